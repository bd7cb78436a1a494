// Key states and the key-information rows and hint, without a window.
#include <QtTest>

#include "cardpack/dll_load.h"
#include "editing/keyinfo.h"
#include "model/conversions.h"
#include "tests/fixture/fixture.h"
#include "windows/keystates.h"

namespace
{

class FakeSource : public TKeyInfoSource
{
public:
    QString CardLineText(int slot, int line) override { return QStringLiteral("Type%1.%2").arg(slot).arg(line); }
    QString CardTypeName(int slot) override { return slot == 0 ? QStringLiteral("UL10") : QString(); }
    QString LineName(int slot, int line) override
    {
        return LinePosName(slot) + QStringLiteral(" - Line%1").arg(line);
    }
    QString SystemTypeText() override { return QStringLiteral("Zapojovac"); }
};

TKeyTable emptyTable()
{
    TKeyTable keys;
    for (auto &k : keys)
        k = std::make_unique<TKlavesa>();
    return keys;
}

TKeyInfo sentinelInfo()
{
    TKeyInfo info;
    for (int i = 1; i <= KeyInfoCount; ++i)
        info[i] = {QStringLiteral("old%1").arg(i), QStringLiteral("v%1").arg(i)};
    return info;
}

QString label(int n) { return LoadStrDll(n); }

} // namespace

class TestKeyInfo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { fixture::LoadLanguage(); QVERIFY(!LoadStrDll(95).isEmpty()); }

    void stateRules_data();
    void stateRules();
    void stateTests();
    void boundKeyPcConsole();
    void unboundKey();
    void skippedPairsKeepValues();
    void keyReferenceHandling();
    void speedDialKeysHandling();
    void lineNumberHandling();
    void cleanSpeedDial_data();
    void cleanSpeedDial();
    void hintItemsByConsoleType_data();
    void hintItemsByConsoleType();
    void hintOrderAndEmptyValues();
    void logText();
};

void TestKeyInfo::stateRules_data()
{
    QTest::addColumn<uint>("from");
    QTest::addColumn<uint>("activated");
    QTest::addColumn<uint>("passivated");
    QTest::addColumn<uint>("negated");
    using namespace KeyColors;
    QTest::newRow("normal") << uint(Normal) << uint(Active) << uint(Normal) << uint(Marked);
    QTest::newRow("active") << uint(Active) << uint(Active) << uint(Normal) << uint(ActiveMarked);
    QTest::newRow("marked") << uint(Marked) << uint(ActiveMarked) << uint(Marked) << uint(Normal);
    QTest::newRow("active+marked") << uint(ActiveMarked) << uint(ActiveMarked) << uint(Marked) << uint(Active);
    QTest::newRow("move") << uint(Move) << uint(Move) << uint(Move) << uint(Move);
}

void TestKeyInfo::stateRules()
{
    QFETCH(uint, from);
    QFETCH(uint, activated);
    QFETCH(uint, passivated);
    QFETCH(uint, negated);
    QCOMPARE(uint(KeyStates::Activated(from)), activated);
    QCOMPARE(uint(KeyStates::Passivated(from)), passivated);
    QCOMPARE(uint(KeyStates::Negated(from)), negated);
}

void TestKeyInfo::stateTests()
{
    using namespace KeyColors;
    QVERIFY(KeyStates::IsActive(Active) && KeyStates::IsActive(ActiveMarked));
    QVERIFY(!KeyStates::IsActive(Marked) && !KeyStates::IsActive(Normal) && !KeyStates::IsActive(Move));
    QVERIFY(KeyStates::IsMarked(Marked) && KeyStates::IsMarked(ActiveMarked));
    QVERIFY(!KeyStates::IsMarked(Active) && !KeyStates::IsMarked(Move));
    QVERIFY(KeyStates::IsMove(Move) && !KeyStates::IsMove(Normal));
}

void TestKeyInfo::boundKeyPcConsole()
{
    auto cfg = fixture::BuildFixture();
    TKeyTable keys = emptyTable();
    for (int i = 0; i < KeyCount; ++i)
        keys[i]->Assign(cfg->Pulty[0]->Klavesy[i].get());
    FakeSource source;
    TKeyInfo info = sentinelInfo();
    FillKeyInfo(info, 0, keys, QStringLiteral("1234F5"), 1, source);
    const TKlavesa &k = *keys[0];
    QCOMPARE(info[1], (TKeyInfoPair{label(95), k.MenoKlavesy}));
    QCOMPARE(info[2], (TKeyInfoPair{label(96), k.HintKlavesy}));
    QCOMPARE(info[3].value, QStringLiteral("1234"));
    QCOMPARE(info[4].value, QStringLiteral("1234"));
    QCOMPARE(info[5].value, QStringLiteral("0")); // MSNpriznak[0] = 1, no bit $40
    QCOMPARE(info[6].value, QStringLiteral("1 (01H)"));
    QCOMPARE(info[7].value, label(162) + QStringLiteral(" (Type0.0")); // handling 2
    QCOMPARE(info[8].value, QStringLiteral("E0"));
    QCOMPARE(info[9].value, QStringLiteral("L0"));
    QCOMPARE(info[10].value, QStringLiteral("UL10"));
    QCOMPARE(info[11].value, QString());
    QCOMPARE(info[16].value, QStringLiteral("00"));
    QCOMPARE(info[18].value, QString());
    QCOMPARE(info[19].value, QStringLiteral("0 (00H)"));
    QCOMPARE(info[22], (TKeyInfoPair{label(241), QStringLiteral("A1")}));
    QCOMPARE(info[23].value, QStringLiteral("255"));
    // The line's own name without its position prefix.
    QCOMPARE(info[15], (TKeyInfoPair{QStringLiteral("old15"), QStringLiteral("v15")})); // not on a PC console
    TKeyInfo all = sentinelInfo();
    FillKeyInfo(all, 0, keys, QString(), 0, source);
    QCOMPARE(all[15].value, QStringLiteral("Line0"));
    QCOMPARE(all[12].value, QStringLiteral("47"));
    QCOMPARE(all[13].value, QStringLiteral("00"));
    QCOMPARE(all[14].value, QStringLiteral("E0-L0 - MB"));
    QCOMPARE(all[17].value, QString());
    QCOMPARE(all[21].value, QStringLiteral("05"));
    QCOMPARE(all[24], (TKeyInfoPair{label(238), QStringLiteral("Zapojovac")}));
    QCOMPARE(all[3].value, QString());
    QCOMPARE(all[25], (TKeyInfoPair{QStringLiteral("old25"), QStringLiteral("v25")}));
}

void TestKeyInfo::unboundKey()
{
    TKeyTable keys = emptyTable();
    FakeSource source;
    TKeyInfo info = sentinelInfo();
    FillKeyInfo(info, 7, keys, QString(), 0, source);
    QCOMPARE(info[1].value, QString());
    QCOMPARE(info[4].value, QString());       // MSN digits all F
    QCOMPARE(info[6].value, QStringLiteral("255 (FFH)"));
    QCOMPARE(info[7].value, label(161));       // handling 1
    QCOMPARE(info[8].value, QString());        // no board position
    QCOMPARE(info[10].value, QString());
    QCOMPARE(info[15].value, QString());
    for (int i : {16, 17, 18, 19})
        QCOMPARE(info[i].value, QString());
    QCOMPARE(info[20], (TKeyInfoPair{label(107), QStringLiteral(" ")}));
    QCOMPARE(info[21].value, QStringLiteral("07"));
    QCOMPARE(info[22].value, QStringLiteral("A0"));

    // A missing key or an index outside the table leaves everything.
    TKeyTable none;
    TKeyInfo untouched = sentinelInfo();
    FillKeyInfo(untouched, 3, none, QString(), 0, source);
    FillKeyInfo(untouched, 224, keys, QString(), 0, source);
    FillKeyInfo(untouched, -1, keys, QString(), 0, source);
    QCOMPARE(untouched, sentinelInfo());
}

void TestKeyInfo::skippedPairsKeepValues()
{
    TKeyTable keys = emptyTable();
    FakeSource source;
    for (Byte type : {Byte(1), Byte(2)}) {
        TKeyInfo info = sentinelInfo();
        FillKeyInfo(info, 0, keys, QString(), type, source);
        QList<int> kept;
        for (int i = 1; i <= KeyInfoCount; ++i)
            if (info[i].label == QStringLiteral("old%1").arg(i))
                kept.append(i);
        if (type == 1)
            QCOMPARE(kept, (QList<int>{12, 13, 14, 15, 17, 21, 24, 25}));
        else
            QCOMPARE(kept, (QList<int>{12, 13, 14, 15, 17, 21, 22, 24, 25}));
    }
}

void TestKeyInfo::keyReferenceHandling()
{
    TKeyTable keys = emptyTable();
    keys[3]->MenoKlavesy = QStringLiteral("Third");
    TKlavesa &k = *keys[5];
    k.MenoKlavesy = QStringLiteral("Dial");
    k.ObsluhaKlavesy = 12;
    k.CisloUcastnika = 3;
    k.HWPozicDosky = 0;
    const Byte bytes[] = {0x12, 0x3A, 0xDC, 0xC5, 0xCF, 0xFF};
    std::copy(std::begin(bytes), std::end(bytes), k.SkratenaVolba.begin());
    FakeSource source;
    TKeyInfo info;
    FillKeyInfo(info, 5, keys, QString(), 0, source);
    QCOMPARE(info[7].value, label(163));
    QCOMPARE(info[8].value, QString()); // group: no position, card or line
    QCOMPARE(info[10].value, QString());
    QCOMPARE(info[11], (TKeyInfoPair{label(168), QStringLiteral("Third (3)")}));
    // 12 3A DC C5 C|F..: cut at F, A->0, D->., C->t,p,t
    QCOMPARE(info[20], (TKeyInfoPair{label(107), QStringLiteral("1230.tp5t")}));

    k.CisloUcastnika = 255;
    FillKeyInfo(info, 5, keys, QString(), 0, source);
    QCOMPARE(info[11].value, label(169));
}

void TestKeyInfo::speedDialKeysHandling()
{
    TKeyTable keys = emptyTable();
    keys[3]->MenoKlavesy = QStringLiteral("K3");
    keys[7]->MenoKlavesy = QStringLiteral("K7");
    TKlavesa &k = *keys[9];
    k.ObsluhaKlavesy = 238;
    k.SkratenaVolba[0] = 3;
    k.SkratenaVolba[1] = 250; // no such key: skipped in the names
    k.SkratenaVolba[2] = 7;
    FakeSource source;
    TKeyInfo info;
    FillKeyInfo(info, 9, keys, QString(), 0, source);
    QCOMPARE(info[7].value, label(164));
    QCOMPARE(info[11], (TKeyInfoPair{label(171), QStringLiteral("3, 250, 7")}));
    QCOMPARE(info[20], (TKeyInfoPair{label(170), QStringLiteral("K3, K7")}));

    k.SkratenaVolba.fill(255);
    FillKeyInfo(info, 9, keys, QString(), 0, source);
    QCOMPARE(info[11].value, QString());
    QCOMPARE(info[20].value, QStringLiteral(" "));
}

void TestKeyInfo::lineNumberHandling()
{
    TKeyTable keys = emptyTable();
    keys[40]->MenoKlavesy = QStringLiteral("Numbered");
    keys[40]->NumLin = 17;
    keys[41]->NumLin = 17; // only the first counts
    TKlavesa &k = *keys[2];
    k.ObsluhaKlavesy = 49;
    k.CisloUcastnika = 17;
    FakeSource source;
    TKeyInfo info;
    FillKeyInfo(info, 2, keys, QString(), 0, source);
    QCOMPARE(info[11], (TKeyInfoPair{label(168), QStringLiteral("Numbered (40)")}));
    QCOMPARE(info[18].value, QStringLiteral("17 (11H)"));
    k.CisloUcastnika = 18;
    FillKeyInfo(info, 2, keys, QString(), 0, source);
    QCOMPARE(info[11].value, label(169));
    // Other handling: no target text.
    k.ObsluhaKlavesy = 22;
    FillKeyInfo(info, 2, keys, QString(), 0, source);
    QCOMPARE(info[11].value, QString());
    QCOMPARE(info[7].value, label(162) + QStringLiteral(" (Type255.255"));
}

void TestKeyInfo::cleanSpeedDial_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("hex tail") << "12 34 FF FF FF " << "12 34";
    QTest::newRow("all FF") << "FF FF FF " << " ";
    QTest::newRow("empty") << "" << " ";
    QTest::newRow("double space") << "AB  CD " << "AB CD";
    QTest::newRow("FF at end") << "01 FF" << "01";
}

void TestKeyInfo::cleanSpeedDial()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(CleanSpeedDialText(in), out);
}

void TestKeyInfo::hintItemsByConsoleType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("shown");
    // Every value filled (25 too, which the window never fills), so only the
    // type and code rules decide.
    QTest::newRow("PC") << 1 << 0x47 << QList<int>{1, 2, 25, 5, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 22, 23};
    QTest::newRow("PC code 72") << 1 << 0x72 << QList<int>{1, 2, 25, 3, 4, 5, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 22, 23};
    QTest::newRow("mechanical") << 2 << 0x47 << QList<int>{1, 2, 25, 5, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 23};
    QTest::newRow("none") << 0 << 0x72
                          << QList<int>{1, 2, 24, 25, 3, 4, 5, 20, 11, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};
}

void TestKeyInfo::hintItemsByConsoleType()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(QList<int>, shown);
    TKeyInfo info;
    for (int i = 1; i <= KeyInfoCount; ++i)
        info[i] = {QStringLiteral("L%1=").arg(i), QStringLiteral("v")};
    QStringList expected;
    for (int i : shown)
        expected.append(QStringLiteral("L%1=v").arg(i));
    QCOMPARE(KeyHintLines(info, Byte(type), Byte(code)), expected);
    QCOMPARE(KeyHintText(info, Byte(type), Byte(code)), expected.join(QStringLiteral("\r\n")));
}

void TestKeyInfo::hintOrderAndEmptyValues()
{
    auto cfg = fixture::BuildFixture();
    TKeyTable keys = emptyTable();
    for (int i = 0; i < KeyCount; ++i)
        keys[i]->Assign(cfg->Pulty[0]->Klavesy[i].get());
    keys[0]->KodDosky = 0x72;
    FakeSource source;
    TKeyInfo info;
    FillKeyInfo(info, 0, keys, QStringLiteral("5551"), 1, source);
    const QStringList lines = KeyHintLines(info, 1, 0x72);
    QCOMPARE(lines.value(0), label(95) + keys[0]->MenoKlavesy);
    QCOMPARE(lines.value(1), label(96) + keys[0]->HintKlavesy);
    QCOMPARE(lines.value(2), label(237) + QStringLiteral("5551"));
    QCOMPARE(lines.value(3), label(239) + QStringLiteral("1234"));
    // Empty values from item 3 on are left out (subscriber and 11 here).
    for (const QString &line : lines) {
        QVERIFY2(!line.startsWith(label(105)), qPrintable(line));
        QVERIFY2(!line.startsWith(label(168)), qPrintable(line));
    }
    // An empty name and hint are still listed.
    TKeyTable blank = emptyTable();
    TKeyInfo b;
    FillKeyInfo(b, 0, blank, QString(), 1, source);
    QCOMPARE(KeyHintLines(b, 1, 255).mid(0, 2), (QStringList{label(95), label(96)}));
}

void TestKeyInfo::logText()
{
    TKeyInfo info;
    for (int i = 1; i <= KeyInfoCount; ++i)
        info[i] = {QStringLiteral("a%1").arg(i), QStringLiteral("b")};
    const QStringList lines = KeyInfoLogText(info).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 25);
    QCOMPARE(lines.first(), QStringLiteral("a1: b"));
    QCOMPARE(lines.last(), QStringLiteral("a25: b"));
}

QTEST_GUILESS_MAIN(TestKeyInfo)
#include "test_keyinfo.moc"
