#include <QTest>

#include "cardpack/ul10card.h"

class TestUL10 : public QObject
{
    Q_OBJECT

private slots:
    void lineTypes_data();
    void lineTypes();
    void typLinName_data();
    void typLinName();
    void typLinNum_data();
    void typLinNum();
    void newCard();
    void reset();
    void resetKeepsTypes();
    void setNameLin_data();
    void setNameLin();
    void setNameLinOutOfRange();
    void cfgPoleLin_data();
    void cfgPoleLin();
    void cfgPoleNull();
    void noExtendedLines();
    void outOfRange_data();
    void outOfRange();
    void cardConstants();
    void templateCard();
};

void TestUL10::lineTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<QString>("help");
    QTest::newRow("MB") << "MB" << 0 << 2 << QStringLiteral("Prístroj s miestnou batériou (MB)");
    QTest::newRow("UB") << "UB" << 1 << 26 << QStringLiteral("Prístroj s ústrednou batériou (UB)");
    QTest::newRow("AUT") << "AUT" << 2 << 3 << QStringLiteral("Verejná telefónna sieť (AUT)");
    QTest::newRow("KONF") << "KONF" << 3 << 27 << QStringLiteral("Riadené konferenčné linky (KONF)");
    QTest::newRow("HTP") << "HTP" << 4 << 28 << QStringLiteral("Hlasitý telefónny prístroj (HTP)");
    QTest::newRow("Bre") << "Bre" << 5 << 26 << QStringLiteral("Budenie relé (Bre)");
    QTest::newRow("ODP") << "ODP" << 6 << 26 << QStringLiteral("Odposluchy (ODP)");
    QTest::newRow("nekonf") << "nekonf" << 255 << 1 << QStringLiteral("Nekonfigurovaná linka");
    QTest::newRow("name inside a longer text")
        << "linka KONF 2" << 3 << 27 << QStringLiteral("Riadené konferenčné linky (KONF)");
    QTest::newRow("UB and MB: MB first")
        << "UB/MB" << 0 << 2 << QStringLiteral("Prístroj s miestnou batériou (MB)");
    QTest::newRow("AUT before HTP") << "HTP AUT" << 2 << 3 << QStringLiteral("Verejná telefónna sieť (AUT)");
}

void TestUL10::lineTypes()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QFETCH(int, keyCode);
    QFETCH(QString, help);
    TUL10Card card;
    QCOMPARE(int(card.GetTypLinNum(name)), number);
    for (Byte i = 0; i < 10; ++i) {
        card.SetNameLin(i, name);
        QCOMPARE(card.GetNameLin(i), name);
        QCOMPARE(int(card.GetKeyCode(i)), keyCode);
        QCOMPARE(card.GetHelpLin(i), help);
    }
}

void TestUL10::typLinName_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    const QStringList names{"MB", "UB", "AUT", "KONF", "HTP", "Bre", "ODP"};
    for (int index = 0; index < 256; ++index) {
        QString name;
        if (index < names.size())
            name = names[index];
        else if (index == 255)
            name = QStringLiteral("nekonf");
        QTest::addRow("%d", index) << index << name;
    }
}

void TestUL10::typLinName()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    TUL10Card card;
    Byte code = 0;
    QCOMPARE(card.GetTypLinName(Byte(index), code), name);
    QCOMPARE(int(code), 255);
    // Every offered type name reads back as its own number.
    if (!name.isEmpty())
        QCOMPARE(int(card.GetTypLinNum(name)), index);
}

void TestUL10::typLinNum_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("empty") << "" << 254;
    QTest::newRow("unknown") << "HLS" << 254;
    QTest::newRow("case-sensitive mb") << "mb" << 254;
    QTest::newRow("case-sensitive bre") << "BRE" << 254;
    QTest::newRow("Nekonf capital") << "Nekonf" << 254;
    QTest::newRow("nekonf holds no upper-case KONF") << "nekonf" << 255;
    QTest::newRow("KONF before nekonf") << "nekonf KONF" << 3;
    QTest::newRow("Bre before ODP") << "ODP Bre" << 5;
}

void TestUL10::typLinNum()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    TUL10Card card;
    QCOMPARE(int(card.GetTypLinNum(name)), number);
}

void TestUL10::newCard()
{
    TUL10Card card;
    for (Byte i = 0; i < 10; ++i) {
        QCOMPARE(card.GetNameLin(i), QString());
        QCOMPARE(int(card.GetTypLinNum(card.GetNameLin(i))), 254);
        QCOMPARE(int(card.GetKeyCode(i)), 0);
        QCOMPARE(card.GetHelpLin(i), QString());
    }
}

void TestUL10::reset()
{
    TUL10Card card;
    card.Reset();
    for (Byte i = 0; i < 10; ++i) {
        QCOMPARE(card.GetNameLin(i), QStringLiteral("nekonf"));
        QCOMPARE(int(card.GetKeyCode(i)), 1);
        QCOMPARE(card.GetHelpLin(i), QStringLiteral("Nekonfigurovaná linka"));
    }
}

void TestUL10::resetKeepsTypes()
{
    TUL10Card card;
    card.SetNameLin(0, QStringLiteral("MB"));
    card.SetNameLin(9, QStringLiteral("ODP 1"));
    card.Reset();
    QCOMPARE(card.GetNameLin(0), QStringLiteral("MB"));
    QCOMPARE(card.GetNameLin(9), QStringLiteral("ODP 1"));
    for (Byte i = 1; i < 9; ++i)
        QCOMPARE(card.GetNameLin(i), QStringLiteral("nekonf"));
}

void TestUL10::setNameLin_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("KONF") << 3 << "KONF"
                          << "KONF";
    QTest::newRow("no type name") << 3 << "XYZ"
                                  << "nekonf";
    QTest::newRow("empty") << 3 << ""
                           << "nekonf";
    QTest::newRow("nekonf with more") << 3 << "nekonf 7"
                                      << "nekonf";
    QTest::newRow("kept as given") << 0 << " AUT 12 "
                                   << " AUT 12 ";
    QTest::newRow("last line") << 9 << "HTP"
                               << "HTP";
}

void TestUL10::setNameLin()
{
    QFETCH(int, line);
    QFETCH(QString, name);
    QFETCH(QString, stored);
    TUL10Card card;
    card.SetNameLin(Byte(line), QStringLiteral("MB"));
    card.SetNameLin(Byte(line), name);
    QCOMPARE(card.GetNameLin(Byte(line)), stored);
    // The other lines stay untouched.
    for (Byte i = 0; i < 10; ++i)
        if (i != line)
            QCOMPARE(card.GetNameLin(i), QString());
}

void TestUL10::setNameLinOutOfRange()
{
    TUL10Card card;
    card.Reset();
    for (int i = 10; i < 256; ++i)
        card.SetNameLin(Byte(i), QStringLiteral("KONF"));
    for (Byte i = 0; i < 10; ++i)
        QCOMPARE(card.GetNameLin(i), QStringLiteral("nekonf"));
    QCOMPARE(card.GetNameLin(10), QString());
}

void TestUL10::cfgPoleLin_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("keyCode");
    QTest::newRow("HTP") << "HTP" << 28;
    QTest::newRow("MB") << "MB" << 2;
    QTest::newRow("UB") << "UB" << 26;
    QTest::newRow("AUT") << "AUT" << 3;
    QTest::newRow("KONF") << "KONF" << 27;
    QTest::newRow("Bre") << "Bre" << 26;
    QTest::newRow("ODP") << "ODP" << 26;
    QTest::newRow("nekonf") << "nekonf" << 1;
}

void TestUL10::cfgPoleLin()
{
    QFETCH(QString, name);
    QFETCH(int, keyCode);
    TUL10Card card;
    card.SetNameLin(4, name);
    TCfgPole rec;
    rec.fill(0x11);
    card.GetCfgPoleLin(4, &rec);
    QCOMPARE(int(rec[0]), keyCode);
    for (int b = 1; b <= 28; ++b)
        QCOMPARE(int(rec[b]), 255);
    QCOMPARE(int(rec[29]), 7);
}

void TestUL10::cfgPoleNull()
{
    TUL10Card card;
    card.Reset();
    card.GetCfgPoleLin(0, nullptr); // must not crash
}

void TestUL10::noExtendedLines()
{
    TUL10Card card;
    card.SetNameLin(2, QStringLiteral("KONF"));
    QVERIFY(!card.IsRozsirLin(2));
    QCOMPARE(int(card.GetTypRozsir(2)), 255);
    QCOMPARE(int(card.GetNumRozsir(2)), 0);
    QCOMPARE(int(card.GetRozsirLinNum(2, QStringLiteral("Linka/GV"))), 0);
    QCOMPARE(card.GetRozsirLinName(2, 0), QString());
    QCOMPARE(card.GetRozsirLinHelp(2, 0), QString());
    for (int index = 0; index < 256; ++index)
        QCOMPARE(card.ChangePos(2, Byte(index)), 2);
    Byte a = 3, b = 4;
    card.GetSize(2, a, b);
    QCOMPARE(int(a), 3);
    QCOMPARE(int(b), 4);
    TCfgPole rec;
    rec.fill(0x5A);
    card.GetCfgPoleRLin(2, 1, &rec);
    for (Byte v : rec)
        QCOMPARE(int(v), 0x5A);
}

void TestUL10::outOfRange_data()
{
    QTest::addColumn<int>("line");
    for (int line : {10, 11, 100, 254, 255})
        QTest::addRow("%d", line) << line;
}

void TestUL10::outOfRange()
{
    QFETCH(int, line);
    TUL10Card card;
    for (Byte i = 0; i < 10; ++i)
        card.SetNameLin(i, QStringLiteral("KONF"));
    const Byte i = Byte(line);
    QCOMPARE(card.GetNameLin(i), QString());
    QCOMPARE(int(card.GetKeyCode(i)), 0);
    QCOMPARE(card.GetHelpLin(i), QString());
    QVERIFY(!card.IsRozsirLin(i));
    QCOMPARE(int(card.GetNumRozsir(i)), 0);
    TCfgPole rec;
    rec.fill(0);
    card.GetCfgPoleLin(i, &rec);
    QCOMPARE(int(rec[0]), 0);
    QCOMPARE(int(rec[1]), 255);
    QCOMPARE(int(rec[29]), 7);
}

void TestUL10::cardConstants()
{
    TUL10Card card;
    QCOMPARE(int(card.LinCount()), 10);
    QCOMPARE(int(card.TypLinCount()), 7);
    QCOMPARE(int(card.GetType()), 1);
    QCOMPARE(card.GetCardName(), QStringLiteral("UL10"));
    for (int arg : {0, 1, 70, 255})
        QCOMPARE(int(card.GetCardNum(Byte(arg))), 71);
    QCOMPARE(card.GetCardHelp(), QStringLiteral("Univerzálna doska desiatich liniek (UL10)"));
    QCOMPARE(card.ClassName(), QStringLiteral("TUL10Card"));
}

void TestUL10::templateCard()
{
    TCardOld card;
    card.Reset();
    QCOMPARE(int(card.LinCount()), 0);
    QCOMPARE(int(card.TypLinCount()), 0);
    Byte code = 0;
    QCOMPARE(card.GetTypLinName(0, code), QString());
    QCOMPARE(int(code), 255);
    QCOMPARE(card.GetHelpLin(0), QStringLiteral("Help Line"));
    card.SetNameLin(0, QStringLiteral("MB"));
    QCOMPARE(card.GetNameLin(0), QString());
    TCfgPole rec;
    rec.fill(0x33);
    card.GetCfgPoleLin(0, &rec);
    card.GetCfgPoleRLin(0, 0, &rec);
    for (Byte v : rec)
        QCOMPARE(int(v), 0x33);
    QCOMPARE(int(card.GetTypLinNum(QStringLiteral("MB"))), 0);
    QCOMPARE(card.ChangePos(7, 30), 7);
    Byte a = 1, b = 2;
    card.GetSize(0, a, b);
    QCOMPARE(int(a), 1);
    QCOMPARE(int(b), 2);
    QVERIFY(!card.IsRozsirLin(0));
    QCOMPARE(int(card.GetTypRozsir(0)), 255);
    QCOMPARE(int(card.GetNumRozsir(0)), 0);
    QCOMPARE(int(card.GetRozsirLinNum(0, QStringLiteral("Linka/GV"))), 0);
    QCOMPARE(card.GetRozsirLinName(0, 0), QString());
    QCOMPARE(card.GetRozsirLinHelp(0, 0), QString());
    QCOMPARE(int(card.GetType()), 0);
    QCOMPARE(card.GetCardName(), QStringLiteral("Card"));
    QCOMPARE(int(card.GetCardNum(71)), 0);
    QCOMPARE(int(card.GetKeyCode(0)), 0);
    QCOMPARE(card.GetCardHelp(), QStringLiteral("Help"));
}

QTEST_GUILESS_MAIN(TestUL10)
#include "tst_ul10.moc"
