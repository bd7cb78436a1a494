// The settings dialog's rules, the layout change's model side, the board
// removal and the console-file queries, without a window.
#include <QtTest>

#include "editing/consolefiles.h"
#include "editing/keybinding.h"
#include "editing/layoutchange.h"
#include "editing/settingsrules.h"
#include "model/objekty.h"
#include "records/pcrecord.h"
#include "tests/fixture/fixture.h"

using namespace SettingsRules;

namespace
{

// Console c: key k bound to slot s line l of a board whose line knows the key.
void bind(TAPult &cfg, int c, int k, Byte s, Byte l, Byte ext = 255)
{
    TPult &p = *cfg.Pulty[c];
    if (cfg.SlotyDosiek[s].Meno.isEmpty())
        cfg.SlotyDosiek[s] = {QStringLiteral("TUL10"), 71};
    if (!p.Dosky[s]) {
        p.Dosky[s] = std::make_unique<TDoska>();
        p.Dosky[s]->MenoDosky = QStringLiteral("UL10");
        p.Dosky[s]->CisloDosky = 71;
        p.Dosky[s]->PocetLiniek = 10;
    }
    auto &line = p.Dosky[s]->Linky[l];
    if (!line) {
        line = std::make_unique<TLinka>();
        line->MenoLinky = QStringLiteral("MB");
        line->CisloLinky = l;
        line->PocetRLiniek = 4;
    }
    if (ext == 255) {
        line->Klavesa = Byte(k);
    } else {
        line->RLinky[ext] = std::make_unique<TRLinka>();
        line->RLinky[ext]->Klavesa = Byte(k);
        line->RLinky[ext]->CisloRLinky = ext;
        line->Klavesa = Byte(k);
    }
    p.Klavesy[k] = fixture::BoundKey(QStringLiteral("K%1").arg(k), s, l, ext, 71, Byte(k));
}

std::unique_ptr<TAPult> twoConsoles(Byte type0, Byte type1)
{
    auto cfg = std::make_unique<TAPult>();
    cfg->PocetPultov = 2;
    LayoutChange::EnsureConsoles(*cfg);
    cfg->Pulty[0]->TypPultu = type0;
    cfg->Pulty[1]->TypPultu = type1;
    return cfg;
}

class Recorder : public TKeyObserver
{
public:
    void KeyCleared(int console, int key) override { cleared << QStringLiteral("%1/%2").arg(console).arg(key); }
    void KeyColour(int, int, std::uint32_t) override {}
    QStringList cleared;
};

} // namespace

class TestSettingsRules : public QObject
{
    Q_OBJECT

private slots:
    void screens_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("two");
        QTest::addColumn<QList<int>>("expected"); // type, enabled, min, max, value
        QTest::newRow("none") << 0 << 3 << false << QList<int>{0, 0, 1, 1, 1};
        QTest::newRow("pc allows 3") << 1 << 3 << false << QList<int>{1, 1, 1, 3, 3};
        QTest::newRow("pc lowered to 3") << 1 << 7 << false << QList<int>{1, 1, 1, 3, 3};
        QTest::newRow("mech allows 2") << 2 << 3 << false << QList<int>{2, 1, 1, 2, 2};
        QTest::newRow("mech raised to 1") << 2 << 0 << false << QList<int>{2, 1, 1, 2, 1};
        QTest::newRow("two: mech becomes pc") << 2 << 1 << true << QList<int>{1, 1, 2, 2, 2};
        QTest::newRow("two: none stays 2") << 0 << 1 << true << QList<int>{0, 0, 2, 2, 2};
    }
    void screens()
    {
        QFETCH(int, type);
        QFETCH(int, value);
        QFETCH(bool, two);
        QFETCH(QList<int>, expected);
        const TScreenRule r = Nastav(type, value, two, 80, 112);
        QCOMPARE((QList<int>{r.Type, int(r.Enabled), r.Minimum, r.Maximum, r.Value}), expected);
    }

    void capacityQuestion()
    {
        const TLayout saved{{2, 1}, {2, 3}};
        auto asks = [&](TLayout now, bool config = true) { return AsksCapacityQuestion(config, saved, now, 80, 112); };
        QVERIFY(asks({{2, 1}, {1, 3}}));           // mechanical 2 screens to 1
        QVERIFY(!asks({{0, 1}, {2, 3}}));          // not connected: no keys left to ask about
        QVERIFY(!asks({{2, 1}, {2, 3}}));          // unchanged
        QVERIFY(asks({{2, 1}, {2, 2}}));           // PC 240 (224) to 160
        QVERIFY(!asks({{2, 2}, {2, 3}}));          // PC to mechanical, both 224
        QVERIFY(!asks({{2, 1}, {1, 3}}, false));   // nothing loaded
        QCOMPARE(Capacity(1, 3, 80, 112), 224);
        QCOMPARE(Capacity(2, 1, 80, 112), 112);
        QCOMPARE(Capacity(0, 3, 80, 112), 0);
    }

    void portsAndNumbers()
    {
        QCOMPARE(PortFromText(QStringLiteral("COM3")), 3);
        QCOMPARE(PortFromText(QStringLiteral("COM12")), 12);
        QCOMPARE(PortFromText(QString()), 0);
        QCOMPARE(PortFromText(QStringLiteral("COMx")), 0);
        QCOMPARE(PortFromText(QStringLiteral("COM123")), 0);
        // A pasted text keeps its first 18 digits and nothing else.
        QCOMPARE(CleanFunctionNumber(QStringLiteral("+421 (2) 1234-5678-9012-3456-78")),
                 QStringLiteral("421212345678901234"));
        QCOMPARE(CleanFunctionNumber(QStringLiteral("abc")), QString());
        for (QChar c : QStringLiteral("0123456789\b\r\x03\x16"))
            QVERIFY(FunctionNumberKey(c));
        for (QChar c : QStringLiteral("a -+."))
            QVERIFY(!FunctionNumberKey(c));
        QCOMPARE(ClampDorstMode(3), 2);
        QCOMPARE(ClampDorstMode(-1), 0);
        QCOMPARE(RingMinuteItems().size(), 15);
        QCOMPARE(RingMinuteIndex(30), 14);
        QCOMPARE(RingMinuteIndex(5), 0);
    }

    void functionNumberNeededForGsmKeys()
    {
        auto cfg = twoConsoles(1, 2);
        QVERIFY(FunctionNumberOk(cfg.get(), 0, QString()));
        cfg->Pulty[0]->Klavesy[5]->KodDosky = 0x72;
        QVERIFY(!FunctionNumberOk(cfg.get(), 0, QString()));
        QVERIFY(FunctionNumberOk(cfg.get(), 0, QStringLiteral("1")));
        QVERIFY(FunctionNumberOk(cfg.get(), 1, QString()));
        QVERIFY(ConsoleFiles::PultHasKindRKey(cfg.get(), 0));
        QVERIFY(!ConsoleFiles::PultHasKindRKey(cfg.get(), 1));
        QVERIFY(!ConsoleFiles::PultHasKindRKey(nullptr, 0));
    }

    void requestsAndDumps()
    {
        const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
        QCOMPARE(TestRequest(0x80), QByteArray::fromHex("8000000000"));
        QCOMPARE(RequestLines(t, 0x80),
                 (QStringList{"04. 03. 2026 05:06:07 poslany prikaz:", "80 00 00 00 00 [Hex]", ""}));
        const TFrameDump d = DumpFrame(QByteArray::fromHex("0a00000001ff"));
        QCOMPARE(d.Hex, QStringLiteral("00A 000 000 000 001 0FF"));
        QCOMPARE(d.Dec, QStringLiteral("010 000 000 000 001 255"));
        // A length field far beyond the frame: only the frame's own bytes.
        QCOMPARE(DumpFrame(QByteArray::fromHex("00000fffff")).Bytes.size(), 5);
        // More bytes than the length field says: the announced ones.
        QCOMPARE(DumpFrame(QByteArray::fromHex("0000000001aabbcc")).Bytes.size(), 6);
        QCOMPARE(DumpFrame(QByteArray::fromHex("80")).Bytes, QByteArray::fromHex("80"));
        QCOMPARE(DumpFrame(QByteArray(20000, '\0')).Bytes.size(), 5);
        QByteArray big(12000, '\x01');
        big[3] = char(0xFF);
        big[4] = char(0xFF);
        QCOMPARE(DumpFrame(big).Bytes.size(), 10240); // what a frame block holds
        QVERIFY(DumpFrame(QByteArray()).Bytes.isEmpty());

        QVERIFY(AnswersTest(QByteArray::fromHex("00"), 6));
        QVERIFY(!AnswersTest(QByteArray::fromHex("00"), 7));
        QVERIFY(AnswersTest(QByteArray::fromHex("80"), 7));
        QVERIFY(AnswersTest(QByteArray::fromHex("0a"), 6));
        QVERIFY(AnswersTest(QByteArray::fromHex("0a"), 7));
        QVERIFY(!AnswersTest(QByteArray(), 6));
    }

    // Keys above a smaller capacity go on both sides, extended lines too.
    void unbindKeepsBindingsTwoSided()
    {
        auto cfg = twoConsoles(1, 2);
        bind(*cfg, 0, 10, 0, 0);
        bind(*cfg, 0, 100, 0, 1);
        bind(*cfg, 0, 150, 0, 2, 0);
        bind(*cfg, 0, 151, 0, 2, 1);
        bind(*cfg, 0, 60, 0, 3, 0);
        bind(*cfg, 0, 200, 0, 3, 1);
        cfg->Pulty[0]->Dosky[0]->Linky[3]->Klavesa = 200; // the line names its later key
        QCOMPARE(BindingFaults(*cfg), QStringList());
        Recorder seen;
        LayoutChange::UnbindKeysFrom(*cfg, 0, 80, &seen);
        QCOMPARE(BindingFaults(*cfg), QStringList());
        QCOMPARE(seen.cleared.size(), 224 - 80);
        const TDoska &b = *cfg->Pulty[0]->Dosky[0];
        QCOMPARE(b.Linky[0]->Klavesa, Byte(10));
        QCOMPARE(b.Linky[1]->Klavesa, Byte(255));
        QCOMPARE(b.Linky[2]->Klavesa, Byte(255));
        QCOMPARE(b.Linky[3]->Klavesa, Byte(60)); // its remaining extended line's key
        QCOMPARE(b.Linky[3]->RLinky[1]->Klavesa, Byte(255));
        QVERIFY(cfg->Pulty[0]->Klavesy[100]->IsUnconfigured());
        QCOMPARE(cfg->Pulty[0]->Klavesy[10]->MenoKlavesy, QStringLiteral("K10"));
    }

    void shareBoardsWithNewConsole()
    {
        auto cfg = twoConsoles(2, 0);
        bind(*cfg, 0, 3, 4, 2, 1);
        cfg->Pulty[1]->TypPultu = 1; // newly connected
        LayoutChange::ShareBoards(*cfg);
        const TDoska *b = cfg->Pulty[1]->Dosky[4].get();
        QVERIFY(b);
        QCOMPARE(b->CisloDosky, Byte(71));
        QVERIFY(b->Linky[2]);
        QCOMPARE(b->Linky[2]->Klavesa, Byte(255));
        QVERIFY(b->Linky[2]->RLinky[1]);
        QCOMPARE(b->Linky[2]->RLinky[1]->Klavesa, Byte(255));
        QVERIFY(!b->Linky[0]);
        QCOMPARE(BindingFaults(*cfg), QStringList());
        // A disconnected console gets the board only.
        auto other = twoConsoles(2, 0);
        bind(*other, 0, 3, 4, 2);
        LayoutChange::ShareBoards(*other);
        QVERIFY(other->Pulty[1]->Dosky[4]);
        QVERIFY(!other->Pulty[1]->Dosky[4]->Linky[2]);
    }

    void removeBoardFromBothConsoles()
    {
        auto cfg = twoConsoles(1, 2);
        cfg->SlotyDosiek[3] = {QStringLiteral("TUL10"), 71};
        bind(*cfg, 0, 7, 3, 0);
        bind(*cfg, 1, 9, 3, 1);
        bind(*cfg, 1, 11, 5, 1);
        Recorder seen;
        ConsoleFiles::RemoveBoard(*cfg, 3, &seen);
        QCOMPARE(seen.cleared, (QStringList{"0/7", "1/9"}));
        QVERIFY(!cfg->Pulty[0]->Dosky[3] && !cfg->Pulty[1]->Dosky[3]);
        QVERIFY(cfg->Pulty[0]->Klavesy[7]->IsUnconfigured());
        QVERIFY(!cfg->Pulty[1]->Klavesy[11]->IsUnconfigured());
        QCOMPARE(cfg->SlotyDosiek[3].Meno, QString());
        QCOMPARE(cfg->SlotyDosiek[3].Kod, Byte(255));
        QCOMPARE(BindingFaults(*cfg), QStringList());
    }

    void cardSlots()
    {
        auto cfg = twoConsoles(1, 0);
        QCOMPARE(ConsoleFiles::CardClassOfCaption(QStringLiteral("&UL10")), QStringLiteral("TUL10Card"));
        QVERIFY(ConsoleFiles::MayPlaceCard(cfg.get(), 2, true));
        QVERIFY(!ConsoleFiles::MayPlaceCard(cfg.get(), 2, false));
        QVERIFY(!ConsoleFiles::MayPlaceCard(nullptr, 2, true));
        QVERIFY(!ConsoleFiles::MayPlaceCard(cfg.get(), -1, true));
        cfg->SlotyDosiek[2].Meno = QStringLiteral("TUL10");
        QVERIFY(!ConsoleFiles::MayPlaceCard(cfg.get(), 2, true));
    }

    void namesFromPcRecord()
    {
        auto cfg = twoConsoles(1, 0);
        cfg->SlotyDosiek[0].Kod = 71;
        bind(*cfg, 0, 4, 0, 0);
        cfg->Pulty[0]->Klavesy[223]->NumLin = 9; // never written to a record
        TPcRecord record;
        InitPcRecord(record);
        for (int s = 0; s < pcrec::BoardSlots; ++s)
            record.BoardCode(s) = cfg->SlotyDosiek[s].Kod;
        const TKlavesa &key = *cfg->Pulty[0]->Klavesy[4];
        record.KeyToLineTable(0)[KeyAddress(4)] = key.NumLin;
        record.KeyToSubscriberTable(0)[KeyAddress(4)] = key.CisloUcastnika;
        record.KeyEntry(0, KeyAddress(4))[0] = key.ObsluhaKlavesy;
        record.SetNameText(KeyAddress(4), QStringLiteral("Nove meno"));
        QVERIFY(ConsoleFiles::TakeKeyNamesFromPcRecord(*cfg, record, 0));
        QCOMPARE(cfg->Pulty[0]->Klavesy[4]->MenoKlavesy, QStringLiteral("Nove meno"));
        QVERIFY(!ConsoleFiles::TakeKeyNamesFromPcRecord(*cfg, record, 0)); // nothing differs now

        record.SetNameText(KeyAddress(4), QStringLiteral("Ine"));
        record.KeyToSubscriberTable(0)[KeyAddress(4)] = Byte(key.CisloUcastnika + 1);
        QVERIFY(!ConsoleFiles::TakeKeyNamesFromPcRecord(*cfg, record, 0));
        QCOMPARE(cfg->Pulty[0]->Klavesy[4]->MenoKlavesy, QStringLiteral("Nove meno"));
        record.KeyToSubscriberTable(0)[KeyAddress(4)] = key.CisloUcastnika;
        record.BoardCode(1) = 5;
        QVERIFY(!ConsoleFiles::TakeKeyNamesFromPcRecord(*cfg, record, 0));
    }

    void accessorsAndNames()
    {
        QCOMPARE(ConsoleFiles::SystemTypeText(nullptr, "S", "2", "3"), QString());
        TAPult cfg;
        QCOMPARE(ConsoleFiles::SystemTypeText(&cfg, "S", "2", "3"), QStringLiteral("S"));
        cfg.TypSystemu = 2;
        QCOMPARE(ConsoleFiles::SystemTypeText(&cfg, "S", "2", "3"), QStringLiteral("2"));
        cfg.TypSystemu = 3;
        QCOMPARE(ConsoleFiles::SystemTypeText(&cfg, "S", "2", "3"), QStringLiteral("3"));
        QCOMPARE(ConsoleFiles::ProposedFileName(QStringLiteral("D:\\a\\proj.orv"), ".cfg"),
                 QStringLiteral("D:\\a\\proj.cfg"));
        QCOMPARE(ConsoleFiles::ProposedFileName(QStringLiteral("/x.y/proj"), ".uni"), QStringLiteral("/x.y/proj.uni"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsRules)
#include "test_rules.moc"
