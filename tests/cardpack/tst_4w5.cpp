#include <QTest>

#include <memory>

#include "cardpack/t4w5card.h"
#include "cardpack/te1card.h"

class Test4W5 : public QObject
{
    Q_OBJECT

private slots:
    void lineTypes_data();
    void lineTypes();
    void typLinName_data();
    void typLinName();
    void newCardAndReset();
    void setNameLin_data();
    void setNameLin();
    void cfgPoleLin_data();
    void cfgPoleLin();
    void changePos_data();
    void changePos();
    void rozsirNames_data();
    void rozsirNames();
    void rozsirRoundTrip_data();
    void rozsirRoundTrip();
    void rozsirLinNum_data();
    void rozsirLinNum();
    void cfgPoleRLin_data();
    void cfgPoleRLin();
    void cfgPoleNull();
    void outOfRange_data();
    void outOfRange();
    void e1LikeW5_data();
    void e1LikeW5();
    void cardConstants();
    void distinctClasses();
};

namespace
{

// The subscriber position codes of an MD or MS line.
const QList<int> subscriberCodes = [] {
    QList<int> codes;
    for (int c = 1; c <= 16; ++c)
        codes << c;
    codes << 19 << 22 << 25;
    for (int c = 28; c <= 32; ++c)
        codes << c;
    codes << 34 << 35 << 37 << 38;
    for (int c = 40; c <= 63; ++c)
        codes << c;
    return codes;
}();

struct Disp {
    int code;
    const char *name;
    const char16_t *help;
};

const Disp dispatchers[] = {
    {6, "Disp. 1", u"Dispečer 1 (6H)"},  {8, "Disp. 2", u"Dispečer 2 (8H)"},
    {9, "Disp. 3", u"Dispečer 3 (9H)"},  {10, "Disp. 4", u"Dispečer 4 (AH)"},
    {12, "Disp. 5", u"Dispečer 5 (CH)"}, {13, "Disp. 6", u"Dispečer 6 (DH)"},
    {14, "Disp. 7", u"Dispečer 7 (EH)"}, {15, "Disp. 8", u"Dispečer 8 (FH)"},
};

QString hexPos(int code)
{
    return QString::asprintf("%02X", code);
}

// Expected list-index to position code of an MD or MS line.
int subscriberChangePos(int index)
{
    if (index == 0)
        return 0;
    if (index == 1 || index == 2)
        return 241;
    if (index >= 3 && index <= 18)
        return index - 2;
    if (index == 19)
        return 19;
    if (index == 20)
        return 22;
    if (index == 21)
        return 25;
    if (index >= 22 && index <= 26)
        return index + 6;
    const int tail[] = {34, 35, 37, 38};
    if (index >= 27 && index <= 30)
        return tail[index - 27];
    if (index >= 40 && index <= 63)
        return index;
    return 242;
}

int mmChangePos(int index)
{
    if (index == 0)
        return 0;
    for (const Disp &d : dispatchers)
        if (d.code == index)
            return index;
    return index == 11 ? 241 : 242;
}

std::unique_ptr<TExtendedLineCard> makeCard(bool e1)
{
    if (e1)
        return std::make_unique<TE1Card>();
    return std::make_unique<T4W5Card>();
}

} // namespace

void Test4W5::lineTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("help");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<bool>("rozsir");
    QTest::addColumn<int>("typRozsir");
    QTest::addColumn<int>("numRozsir");
    QTest::newRow("HLS") << "HLS" << 7 << QStringLiteral("Hlasitá linka") << 22 << false << 255 << 0;
    QTest::newRow("MD") << "MD" << 8 << "Master" << 22 << true << 0 << 64;
    QTest::newRow("MS") << "MS" << 9 << "Master Selected" << 22 << true << 0 << 64;
    QTest::newRow("SL") << "SL" << 10 << "Slave" << 22 << false << 255 << 0;
    QTest::newRow("MM") << "MM" << 11 << "Multimaster" << 22 << true << 0 << 16;
    QTest::newRow("nekonf") << "nekonf" << 255 << QStringLiteral("Nekonfigurovaná linka") << 1 << false << 0
                            << 0;
    QTest::newRow("HLS before MD") << "MD HLS" << 7 << QStringLiteral("Hlasitá linka") << 22 << false << 255
                                   << 0;
    QTest::newRow("MM before SL") << "SL-MM" << 11 << "Multimaster" << 22 << true << 0 << 16;
    QTest::newRow("inside text") << "linka MS 3" << 9 << "Master Selected" << 22 << true << 0 << 64;
}

void Test4W5::lineTypes()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QFETCH(QString, help);
    QFETCH(int, keyCode);
    QFETCH(bool, rozsir);
    QFETCH(int, typRozsir);
    QFETCH(int, numRozsir);
    for (bool e1 : {false, true}) {
        auto card = makeCard(e1);
        QCOMPARE(int(card->GetTypLinNum(name)), number);
        for (Byte i = 0; i < 5; ++i) {
            card->SetNameLin(i, name);
            QCOMPARE(card->GetNameLin(i), name);
            QCOMPARE(card->GetHelpLin(i), help);
            QCOMPARE(int(card->GetKeyCode(i)), keyCode);
            QCOMPARE(card->IsRozsirLin(i), rozsir);
            QCOMPARE(int(card->GetTypRozsir(i)), typRozsir);
            QCOMPARE(int(card->GetNumRozsir(i)), numRozsir);
        }
    }
}

void Test4W5::typLinName_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    const QMap<int, QString> names{{0, "HLS"}, {7, "HLS"}, {1, "MD"},  {8, "MD"}, {2, "MS"},
                                   {9, "MS"},  {3, "MM"},  {11, "MM"}, {4, "SL"}, {10, "SL"}};
    for (int index = 0; index < 256; ++index)
        QTest::addRow("%d", index) << index << names.value(index);
}

void Test4W5::typLinName()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    T4W5Card card;
    Byte code = 0;
    QCOMPARE(card.GetTypLinName(Byte(index), code), name);
    QCOMPARE(int(code), 255);
}

void Test4W5::newCardAndReset()
{
    T4W5Card card;
    for (Byte i = 0; i < 5; ++i) {
        QCOMPARE(card.GetNameLin(i), QString());
        QCOMPARE(int(card.GetKeyCode(i)), 0);
        QCOMPARE(card.GetHelpLin(i), QString());
    }
    card.SetNameLin(2, QStringLiteral("MM"));
    card.Reset();
    for (Byte i = 0; i < 5; ++i) {
        QCOMPARE(card.GetNameLin(i), i == 2 ? QStringLiteral("MM") : QStringLiteral("nekonf"));
        QCOMPARE(int(card.GetKeyCode(i)), i == 2 ? 22 : 1);
    }
    // Only five lines exist.
    QCOMPARE(card.GetNameLin(5), QString());
}

void Test4W5::setNameLin_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("MD") << 0 << "MD"
                        << "MD";
    QTest::newRow("kept as given") << 4 << "SL 2"
                                   << "SL 2";
    QTest::newRow("UL10 type") << 1 << "KONF"
                               << "nekonf";
    QTest::newRow("empty") << 1 << ""
                           << "nekonf";
    QTest::newRow("nekonf") << 1 << "x nekonf"
                            << "nekonf";
    QTest::newRow("lower case") << 1 << "md"
                                << "nekonf";
    QTest::newRow("line 5") << 5 << "MD"
                            << "";
    QTest::newRow("line 9") << 9 << "MD"
                            << "";
    QTest::newRow("line 255") << 255 << "MD"
                              << "";
}

void Test4W5::setNameLin()
{
    QFETCH(int, line);
    QFETCH(QString, name);
    QFETCH(QString, stored);
    T4W5Card card;
    card.SetNameLin(Byte(line), name);
    QCOMPARE(card.GetNameLin(Byte(line)), stored);
}

void Test4W5::cfgPoleLin_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("byte0");
    QTest::addColumn<int>("byte1");
    QTest::newRow("MD") << "MD" << 22 << 0;
    QTest::newRow("MS") << "MS" << 22 << 0;
    QTest::newRow("MM") << "MM" << 22 << 0;
    QTest::newRow("HLS") << "HLS" << 22 << 255;
    QTest::newRow("SL") << "SL" << 22 << 255;
    QTest::newRow("nekonf") << "nekonf" << 1 << 255;
}

void Test4W5::cfgPoleLin()
{
    QFETCH(QString, name);
    QFETCH(int, byte0);
    QFETCH(int, byte1);
    T4W5Card card;
    card.SetNameLin(3, name);
    TCfgPole rec;
    rec.fill(0x42);
    card.GetCfgPoleLin(3, &rec);
    QCOMPARE(int(rec[0]), byte0);
    QCOMPARE(int(rec[1]), byte1);
    for (int b = 2; b <= 28; ++b)
        QCOMPARE(int(rec[b]), 255);
    QCOMPARE(int(rec[29]), 7);
}

void Test4W5::changePos_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("code");
    for (int index = 0; index <= 70; ++index) {
        QTest::addRow("MD %d", index) << "MD" << index << subscriberChangePos(index);
        QTest::addRow("MS %d", index) << "MS" << index << subscriberChangePos(index);
        QTest::addRow("MM %d", index) << "MM" << index << mmChangePos(index);
    }
    for (int index : {0, 1, 3, 11, 40})
        for (const char *name : {"HLS", "SL", "nekonf", ""})
            QTest::addRow("%s %d", name, index) << name << index << 242;
    for (int index : {100, 200, 241, 242, 255}) {
        QTest::addRow("MD %d", index) << "MD" << index << 242;
        QTest::addRow("MM %d", index) << "MM" << index << 242;
    }
}

void Test4W5::changePos()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, code);
    T4W5Card card;
    card.SetNameLin(1, name);
    if (name.isEmpty())
        QCOMPARE(card.GetNameLin(1), QStringLiteral("nekonf"));
    QCOMPARE(card.ChangePos(1, Byte(index)), code);
}

void Test4W5::rozsirNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("help");
    for (const char *line : {"MD", "MS"}) {
        const QString own =
            QString(line) == "MD" ? QStringLiteral("Master") : QStringLiteral("Master Selected");
        for (int pos = 0; pos < 256; ++pos) {
            QString name, help;
            if (pos == 0) {
                name = QStringLiteral("Linka/GV");
                help = own;
            } else if (pos == 241) {
                name = QStringLiteral(" ");
            } else if (subscriberCodes.contains(pos)) {
                name = QStringLiteral("Pr. ") + hexPos(pos);
                help = QStringLiteral("Účastnícky prístroj ") + hexPos(pos);
            }
            QTest::addRow("%s %d", line, pos) << line << pos << name << help;
        }
    }
    for (int pos = 0; pos < 256; ++pos) {
        QString name, help;
        if (pos == 0) {
            name = QStringLiteral("Linka/GV");
            help = QStringLiteral("Multimaster");
        } else if (pos == 241) {
            name = QStringLiteral(" ");
        }
        for (const Disp &d : dispatchers)
            if (d.code == pos) {
                name = QString::fromLatin1(d.name);
                help = QString::fromUtf16(d.help);
            }
        QTest::addRow("MM %d", pos) << "MM" << pos << name << help;
    }
    for (const char *line : {"HLS", "SL", "nekonf"})
        for (int pos : {0, 1, 6, 10, 63, 241})
            QTest::addRow("%s %d", line, pos) << line << pos << QString() << QString();
}

void Test4W5::rozsirNames()
{
    QFETCH(QString, line);
    QFETCH(int, pos);
    QFETCH(QString, name);
    QFETCH(QString, help);
    T4W5Card card;
    card.SetNameLin(0, line);
    QCOMPARE(card.GetRozsirLinName(0, Byte(pos)), name);
    QCOMPARE(card.GetRozsirLinHelp(0, Byte(pos)), help);
}

void Test4W5::rozsirRoundTrip_data()
{
    QTest::addColumn<QString>("line");
    for (const char *line : {"MD", "MS", "MM"})
        QTest::newRow(line) << line;
}

void Test4W5::rozsirRoundTrip()
{
    QFETCH(QString, line);
    T4W5Card card;
    card.SetNameLin(2, line);
    int named = 0;
    for (int pos = 0; pos < 256; ++pos) {
        const QString name = card.GetRozsirLinName(2, Byte(pos));
        if (name.isEmpty())
            continue;
        if (pos == 241) {
            QCOMPARE(name, QStringLiteral(" "));
            QCOMPARE(int(card.GetRozsirLinNum(2, name)), 254);
            continue;
        }
        ++named;
        QCOMPARE(int(card.GetRozsirLinNum(2, name)), pos);
    }
    // Every list index that names a position leads to a named one.
    for (int index = 0; index < 256; ++index) {
        const int code = card.ChangePos(2, Byte(index));
        if (code != 242)
            QVERIFY(!card.GetRozsirLinName(2, Byte(code)).isEmpty());
    }
    QCOMPARE(named, line == "MM" ? 9 : 1 + int(subscriberCodes.size()));
}

void Test4W5::rozsirLinNum_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pos");
    QTest::newRow("MS Pr. 3F") << "MS"
                               << "Pr. 3F" << 63;
    QTest::newRow("MS Linka/GV") << "MS"
                                 << "Linka/GV" << 0;
    QTest::newRow("MS lower-case hex") << "MS"
                                       << "Pr. 3f" << 254;
    QTest::newRow("MD lower-case hex 0a") << "MD"
                                          << "Pr. 0a" << 254;
    QTest::newRow("MD not a position") << "MD"
                                       << "Pr. 11" << 254;
    QTest::newRow("MD inside text") << "MD"
                                    << "[Pr. 0A]" << 10;
    QTest::newRow("MD highest wins") << "MD"
                                     << "Pr. 05 Pr. 28" << 40;
    QTest::newRow("MD over Linka/GV") << "MD"
                                      << "Linka/GV Pr. 01" << 1;
    QTest::newRow("MD blank") << "MD"
                              << " " << 254;
    QTest::newRow("MD empty") << "MD"
                              << "" << 254;
    QTest::newRow("MD dispatcher name") << "MD"
                                        << "Disp. 1" << 254;
    QTest::newRow("MM Disp. 5") << "MM"
                                << "Disp. 5" << 12;
    QTest::newRow("MM Linka/GV") << "MM"
                                 << "Linka/GV" << 0;
    QTest::newRow("MM subscriber name") << "MM"
                                        << "Pr. 06" << 254;
    QTest::newRow("MM Disp. 9") << "MM"
                                << "Disp. 9" << 254;
    QTest::newRow("MM blank") << "MM"
                              << " " << 254;
    QTest::newRow("HLS no positions") << "HLS"
                                      << "Linka/GV" << 254;
    QTest::newRow("SL no positions") << "SL"
                                     << "Pr. 01" << 254;
    QTest::newRow("nekonf no positions") << "nekonf"
                                         << "Linka/GV" << 254;
}

void Test4W5::rozsirLinNum()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(int, pos);
    T4W5Card card;
    card.SetNameLin(4, line);
    QCOMPARE(int(card.GetRozsirLinNum(4, name)), pos);
}

void Test4W5::cfgPoleRLin_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("byte0");
    QTest::addColumn<int>("byte1");
    QTest::newRow("MM 255") << "MM" << 255 << 22 << 0;
    QTest::newRow("MM 13") << "MM" << 13 << 22 << 13;
    QTest::newRow("MD 0") << "MD" << 0 << 22 << 0;
    QTest::newRow("MS 63") << "MS" << 63 << 22 << 63;
    QTest::newRow("MD 241") << "MD" << 241 << 22 << 241;
    QTest::newRow("HLS") << "HLS" << 13 << 22 << 255;
    QTest::newRow("SL") << "SL" << 0 << 22 << 255;
    QTest::newRow("nekonf") << "nekonf" << 5 << 1 << 255;
}

void Test4W5::cfgPoleRLin()
{
    QFETCH(QString, line);
    QFETCH(int, pos);
    QFETCH(int, byte0);
    QFETCH(int, byte1);
    T4W5Card card;
    card.SetNameLin(0, line);
    TCfgPole rec;
    rec.fill(0x42);
    card.GetCfgPoleRLin(0, Byte(pos), &rec);
    QCOMPARE(int(rec[0]), byte0);
    QCOMPARE(int(rec[1]), byte1);
    for (int b = 2; b <= 28; ++b)
        QCOMPARE(int(rec[b]), 255);
    QCOMPARE(int(rec[29]), 7);
}

void Test4W5::cfgPoleNull()
{
    T4W5Card card;
    card.SetNameLin(0, QStringLiteral("MD"));
    card.GetCfgPoleLin(0, nullptr);
    card.GetCfgPoleRLin(0, 1, nullptr);
}

void Test4W5::outOfRange_data()
{
    QTest::addColumn<bool>("e1");
    QTest::addColumn<int>("line");
    for (bool e1 : {false, true})
        for (int line : {5, 9, 10, 200, 255})
            QTest::addRow("%s %d", e1 ? "E1" : "4W5", line) << e1 << line;
}

void Test4W5::outOfRange()
{
    QFETCH(bool, e1);
    QFETCH(int, line);
    auto card = makeCard(e1);
    for (Byte i = 0; i < 5; ++i)
        card->SetNameLin(i, QStringLiteral("MD"));
    for (int i = 5; i < 256; ++i)
        card->SetNameLin(Byte(i), QStringLiteral("MM"));
    const Byte i = Byte(line);
    QCOMPARE(card->GetNameLin(i), QString());
    QCOMPARE(card->GetHelpLin(i), QString());
    QCOMPARE(int(card->GetKeyCode(i)), 0);
    QVERIFY(!card->IsRozsirLin(i));
    QCOMPARE(int(card->GetTypRozsir(i)), 0);
    QCOMPARE(int(card->GetNumRozsir(i)), 0);
    QCOMPARE(card->GetRozsirLinName(i, 0), QString());
    QCOMPARE(card->GetRozsirLinHelp(i, 0), QString());
    QCOMPARE(int(card->GetRozsirLinNum(i, QStringLiteral("Linka/GV"))), 254);
    QCOMPARE(card->ChangePos(i, 0), 242);
    TCfgPole rec;
    rec.fill(0);
    card->GetCfgPoleLin(i, &rec);
    QCOMPARE(int(rec[0]), 0);
    QCOMPARE(int(rec[1]), 255);
    QCOMPARE(int(rec[29]), 7);
    rec.fill(0);
    card->GetCfgPoleRLin(i, 6, &rec);
    QCOMPARE(int(rec[0]), 0);
    QCOMPARE(int(rec[1]), 255);
}

void Test4W5::e1LikeW5_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"HLS", "MD", "MS", "SL", "MM", "nekonf", "", "KONF", "x MD y", "SL MS"})
        QTest::newRow(*name ? name : "empty") << name;
}

void Test4W5::e1LikeW5()
{
    QFETCH(QString, name);
    T4W5Card w5;
    TE1Card e1;
    for (TCardOld *card : {static_cast<TCardOld *>(&w5), static_cast<TCardOld *>(&e1)}) {
        card->SetNameLin(0, name);
        card->SetNameLin(4, QStringLiteral("MM"));
        card->Reset();
    }
    QCOMPARE(e1.LinCount(), w5.LinCount());
    QCOMPARE(e1.TypLinCount(), w5.TypLinCount());
    QCOMPARE(e1.GetType(), w5.GetType());
    QCOMPARE(e1.GetTypLinNum(name), w5.GetTypLinNum(name));
    for (int index = 0; index < 256; ++index) {
        Byte c1 = 0, c2 = 1;
        QCOMPARE(e1.GetTypLinName(Byte(index), c1), w5.GetTypLinName(Byte(index), c2));
        QCOMPARE(c1, c2);
    }
    for (int line = 0; line < 12; ++line) {
        const Byte i = Byte(line);
        QCOMPARE(e1.GetNameLin(i), w5.GetNameLin(i));
        QCOMPARE(e1.GetHelpLin(i), w5.GetHelpLin(i));
        QCOMPARE(e1.GetKeyCode(i), w5.GetKeyCode(i));
        QCOMPARE(e1.IsRozsirLin(i), w5.IsRozsirLin(i));
        QCOMPARE(e1.GetTypRozsir(i), w5.GetTypRozsir(i));
        QCOMPARE(e1.GetNumRozsir(i), w5.GetNumRozsir(i));
        TCfgPole r1, r2;
        r1.fill(0);
        r2.fill(1);
        e1.GetCfgPoleLin(i, &r1);
        w5.GetCfgPoleLin(i, &r2);
        QCOMPARE(r1, r2);
        Byte a1 = 3, b1 = 4, a2 = 3, b2 = 4;
        e1.GetSize(i, a1, b1);
        w5.GetSize(i, a2, b2);
        QCOMPARE(a1, a2);
        QCOMPARE(b1, b2);
        for (int p = 0; p < 256; ++p) {
            const Byte pos = Byte(p);
            QCOMPARE(e1.ChangePos(i, pos), w5.ChangePos(i, pos));
            const QString posName = w5.GetRozsirLinName(i, pos);
            QCOMPARE(e1.GetRozsirLinName(i, pos), posName);
            QCOMPARE(e1.GetRozsirLinHelp(i, pos), w5.GetRozsirLinHelp(i, pos));
            QCOMPARE(e1.GetRozsirLinNum(i, posName), w5.GetRozsirLinNum(i, posName));
            r1.fill(0);
            r2.fill(1);
            e1.GetCfgPoleRLin(i, pos, &r1);
            w5.GetCfgPoleRLin(i, pos, &r2);
            QCOMPARE(r1, r2);
        }
    }
}

void Test4W5::cardConstants()
{
    T4W5Card w5;
    TE1Card e1;
    QCOMPARE(int(w5.LinCount()), 5);
    QCOMPARE(int(w5.TypLinCount()), 5);
    QCOMPARE(int(w5.GetType()), 1);
    QCOMPARE(w5.GetCardName(), QStringLiteral("4W5"));
    QCOMPARE(e1.GetCardName(), QStringLiteral("E1"));
    QCOMPARE(w5.GetCardHelp(), QStringLiteral(" (4W5)"));
    QCOMPARE(e1.GetCardHelp(), QStringLiteral(" (E1)"));
    for (int arg : {0, 1, 144, 160, 255}) {
        QCOMPARE(int(w5.GetCardNum(Byte(arg))), 148);
        QCOMPARE(int(e1.GetCardNum(Byte(arg))), 160);
    }
    QCOMPARE(w5.ClassName(), QStringLiteral("T4W5Card"));
    QCOMPARE(e1.ClassName(), QStringLiteral("TE1Card"));
}

void Test4W5::distinctClasses()
{
    TE1Card e1;
    T4W5Card w5;
    TCardOld *asCard = &e1;
    QVERIFY(dynamic_cast<T4W5Card *>(asCard) == nullptr);
    QVERIFY(dynamic_cast<TE1Card *>(asCard) != nullptr);
    asCard = &w5;
    QVERIFY(dynamic_cast<TE1Card *>(asCard) == nullptr);
    QVERIFY(dynamic_cast<T4W5Card *>(asCard) != nullptr);
}

QTEST_GUILESS_MAIN(Test4W5)
#include "tst_4w5.moc"
