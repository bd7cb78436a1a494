#include <QTest>

#include "cardpack/karty.h"
#include "cardpack/sablona.h"

class TestZoznam : public QObject
{
    Q_OBJECT

private slots:
    void num2Name_data();
    void num2Name();
    void name2Num_data();
    void name2Num();
    void roundTrip_data();
    void roundTrip();
    void keySets_data();
    void keySets();
    void typRV_data();
    void typRV();
    void keyGrid();
    void listConstants();
    void templateList();
    void pultNum2Name_data();
    void pultNum2Name();
    void pultName2Num_data();
    void pultName2Num();
};

namespace
{

// The card class a board code names, from the code groups of the list.
QString expectedClass(int code)
{
    if (code == 70 || code == 71)
        return QStringLiteral("TUL10Card");
    if (code == 90 || code == 91)
        return QStringLiteral("DF");
    if (code >= 144 && code <= 159)
        return QStringLiteral("T4W5Card");
    if (code >= 160 && code <= 175)
        return QStringLiteral("TE1Card");
    return {};
}

} // namespace

void TestZoznam::num2Name_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    for (int code = 0; code < 256; ++code)
        QTest::addRow("%d", code) << code << expectedClass(code);
}

void TestZoznam::num2Name()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    TZOZ list;
    QCOMPARE(list.Num2Name(Byte(code)), name);
}

void TestZoznam::name2Num_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("UL10") << "TUL10Card" << 71;
    QTest::newRow("4W5 group, not the card's own 148") << "T4W5Card" << 144;
    QTest::newRow("E1") << "TE1Card" << 160;
    QTest::newRow("DF has no code back") << "DF" << 255;
    QTest::newRow("lower case") << "t4w5card" << 255;
    QTest::newRow("upper case") << "TUL10CARD" << 255;
    QTest::newRow("longer text") << "TUL10Card " << 255;
    QTest::newRow("part of the name") << "TE1" << 255;
    QTest::newRow("board name") << "UL10" << 255;
    QTest::newRow("empty") << "" << 255;
    QTest::newRow("list class") << "TZOZ" << 255;
}

void TestZoznam::name2Num()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    TZOZ list;
    QCOMPARE(int(list.Name2Num(name, 0)), code);
    // The second argument plays no part.
    QCOMPARE(int(list.Name2Num(name, 2)), code);
    QCOMPARE(int(list.Name2Num(name, 255)), code);
}

void TestZoznam::roundTrip_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("back");
    for (int code = 0; code < 256; ++code) {
        int back = 255;
        if (code == 70 || code == 71)
            back = 71;
        else if (code >= 144 && code <= 159)
            back = 144;
        else if (code >= 160 && code <= 175)
            back = 160;
        QTest::addRow("%d", code) << code << back;
    }
}

void TestZoznam::roundTrip()
{
    QFETCH(int, code);
    QFETCH(int, back);
    TZOZ list;
    QCOMPARE(int(list.Name2Num(list.Num2Name(Byte(code)), 0)), back);
}

void TestZoznam::keySets_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<bool>("inFfnl");
    QTest::addColumn<bool>("inOk");
    const QList<int> ffnlMembers{12, 13, 14, 15, 24, 48, 49, 50, 51, 52};
    const QList<int> okMembers{1, 2, 3, 22, 26, 27, 28};
    for (int k = 0; k < 256; ++k)
        QTest::addRow("%d", k) << k << ffnlMembers.contains(k) << okMembers.contains(k);
}

void TestZoznam::keySets()
{
    QFETCH(int, k);
    QFETCH(bool, inFfnl);
    QFETCH(bool, inOk);
    TZOZ list;
    QCOMPARE(list.FindInFFnl(Byte(k)), inFfnl);
    QCOMPARE(list.FindInOK(Byte(k)), inOk);
    // The exported sets are 32 bytes, bit k of byte k / 8.
    QCOMPARE(bool(ffnl[k / 8] & (1 << (k % 8))), inFfnl);
    QCOMPARE(bool(OK[k / 8] & (1 << (k % 8))), inOk);
    // The abstract list knows no sets.
    TZoznam base;
    QVERIFY(!base.FindInFFnl(Byte(k)));
    QVERIFY(!base.FindInOK(Byte(k)));
}

void TestZoznam::typRV_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("kind");
    for (int k = 0; k < 256; ++k) {
        int kind = 0;
        if (k == 52 || k == 238)
            kind = 2;
        else if ((k >= 12 && k <= 15) || k == 24)
            kind = 1;
        QTest::addRow("%d", k) << k << kind;
    }
}

void TestZoznam::typRV()
{
    QFETCH(int, k);
    QFETCH(int, kind);
    QCOMPARE(int(TZoznam::TypRV(Byte(k))), kind);
}

void TestZoznam::keyGrid()
{
    TZOZ list;
    for (int t = 0; t < 256; ++t) {
        QCOMPARE(int(list.XKey(Byte(t))), t == 2 ? 16 : 8);
        QCOMPARE(int(list.YKey(Byte(t))), t == 2 ? 7 : 10);
    }
    // A PC console screen holds 80 keys, a mechanical one 112.
    QCOMPARE(list.XKey(1) * list.YKey(1), 80);
    QCOMPARE(list.XKey(2) * list.YKey(2), 112);
}

void TestZoznam::listConstants()
{
    TZOZ list;
    QCOMPARE(int(list.GetType()), 1);
    QCOMPARE(int(list.TypNumlin()), 1);
    TASetKey keys{{QStringLiteral("a"), 5}};
    QCOMPARE(int(list.SetKey(keys)), 0);
    QCOMPARE(keys.size(), size_t(1));
    QCOMPARE(list.ClassName(), QStringLiteral("TZOZ"));
}

void TestZoznam::templateList()
{
    TZoznam base;
    QCOMPARE(int(base.XKey(1)), 0);
    QCOMPARE(int(base.YKey(2)), 0);
    QCOMPARE(int(base.GetType()), 0);
    QCOMPARE(int(base.TypNumlin()), 0);
    QCOMPARE(base.Num2Name(71), QString());
    QCOMPARE(int(base.Name2Num(QStringLiteral("TUL10Card"), 0)), 255);
    TASetKey keys;
    QCOMPARE(int(base.SetKey(keys)), 0);
}

void TestZoznam::pultNum2Name_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    const QMap<int, QString> pairs{{0, "MB"},     {16, "AUT"},  {32, "ORU"},  {64, "PR3"},
                                   {80, "ORST"},  {96, "RDZ2"}, {112, "PPT"}, {128, "RDZ1"},
                                   {160, "ONTU"}, {176, "UB"},  {192, "SK5"}, {224, "RFT"}};
    for (int code = 0; code < 256; ++code) {
        QString name;
        if (pairs.contains(code & ~1))
            name = pairs.value(code & ~1);
        else if (code >= 144 && code <= 159)
            name = QStringLiteral("4W5");
        else if (code == 71) // 70 names nothing
            name = QStringLiteral("UNI10");
        else if (code == 255) // 254 names nothing
            name = QStringLiteral("NONE");
        QTest::addRow("%d", code) << code << name;
    }
}

void TestZoznam::pultNum2Name()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    Sablona::TPult pult;
    QCOMPARE(pult.Num2Name(Byte(code)), name);
}

void TestZoznam::pultName2Num_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("MB") << "MB" << 0;
    QTest::newRow("UB") << "UB" << 176;
    QTest::newRow("AUT") << "AUT" << 16;
    QTest::newRow("PR3") << "PR3" << 64;
    QTest::newRow("RDZ2") << "RDZ2" << 96;
    QTest::newRow("RDZ1") << "RDZ1" << 128;
    QTest::newRow("PPT") << "PPT" << 112;
    QTest::newRow("RFT") << "RFT" << 224;
    QTest::newRow("ORU") << "ORU" << 32;
    QTest::newRow("ONTU") << "ONTU" << 160;
    QTest::newRow("ORST") << "ORST" << 80;
    QTest::newRow("SK5") << "SK5" << 192;
    QTest::newRow("4W5") << "4W5" << 144;
    QTest::newRow("UNI10") << "UNI10" << 71;
    QTest::newRow("UB inside other letters") << "xxUBxx" << 176;
    QTest::newRow("MB tested before UB") << "UB MB" << 0;
    QTest::newRow("UB tested before AUT") << "AUT-UB" << 176;
    QTest::newRow("RDZ2 before RDZ1") << "RDZ1RDZ2" << 96;
    QTest::newRow("NONE is not a name") << "NONE" << 255;
    QTest::newRow("case-sensitive") << "mb" << 255;
    QTest::newRow("empty") << "" << 255;
    QTest::newRow("unknown") << "UL10" << 255;
}

void TestZoznam::pultName2Num()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    Sablona::TPult pult;
    QCOMPARE(int(pult.Name2Num(name)), code);
}

QTEST_GUILESS_MAIN(TestZoznam)
#include "tst_zoznam.moc"
