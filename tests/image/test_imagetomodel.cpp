// The system image of one console turned into the configuration: keys,
// boards, lines, extended lines, phone book, function number and line flags,
// and the reports of keys and boards that cannot be placed.
#include <QtTest>

#include <memory>

#include "cardpack/karty.h"
#include "model/cardset.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "records/imagetomodel.h"
#include "records/systemimage.h"

#include "imagefixture.h"

namespace
{

const QString crlf = QStringLiteral("\r\n");

QString unconfiguredText(int count)
{
    QString tail = LoadStrDll(41);
    tail.insert(std::max<int>(int(tail.size()) - 1, 0), QString::number(count));
    return LoadStrDll(40) + crlf + tail;
}

std::array<Byte, 27> digitsOf(std::initializer_list<Byte> digits)
{
    std::array<Byte, 27> out;
    out.fill(0xFF);
    int i = 0;
    for (Byte d : digits)
        out[i++] = d;
    return out;
}

QByteArray recordBytes(const TSystemImage &image, int k, int from, int count)
{
    const auto rec = image.KeyRecord(k);
    return QByteArray(reinterpret_cast<const char *>(rec.data()) + from, count);
}

} // namespace

class TestImageToModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<TSystemImage> image;
    std::unique_ptr<TAPult> config;
    TCardSet cards;
    TZOZ zoz;
    RecordingLog log;

    bool convert(int console, bool fromSystem, int &count, TZoznam *list = nullptr, bool quiet = false)
    {
        // The main window holds its configuration by a plain pointer.
        TAPult *raw = config.release();
        TImageToModelContext ctx{raw, *image, list ? *list : zoz, cards, log, quiet, QStringLiteral("/prog/kelvara")};
        const bool ok = ImageToModel(ctx, console, fromSystem, count);
        config.reset(raw);
        return ok;
    }

    // Slot 3 holds a UL10 board (line 2 named MB), slot 20 a 4W5 board (line 0
    // HLS, line 1 MD with extended lines); slot 5 is empty in the project.
    void fitBoards()
    {
        config = std::make_unique<TAPult>(QStringLiteral("/prog/kelvara"));
        config->SlotyDosiek[3] = {QStringLiteral("TUL10"), 71};
        config->SlotyDosiek[20] = {QStringLiteral("T4W5"), 148};
        QVERIFY(cards.CreateCardByName(QStringLiteral("TUL10"), 3));
        QVERIFY(cards.CreateCardByName(QStringLiteral("T4W5"), 20));
        cards.CardOfSlot(3)->SetNameLin(2, QStringLiteral("MB"));
        cards.CardOfSlot(20)->SetNameLin(0, QStringLiteral("HLS"));
        cards.CardOfSlot(20)->SetNameLin(1, QStringLiteral("MD"));
    }

    void standardUni()
    {
        PutUni(*image, 0, {0, 0, 71, 255, 0x30, 2, 254, 255});   // slot 3 line 2
        PutUni(*image, 1, {1, 1, 71, 255, 0x50, 0, 254, 255});   // slot 5 line 0
        PutUni(*image, 2, {2, 1, 148, 254, 0x40, 1, 254, 255});  // slot 20 line 1 (MD)
        PutUni(*image, 3, {3, 0, 148, 254, 0x40, 0, 254, 255});  // slot 20 line 0 (HLS)
        PutUni(*image, 5, {5, 2, 0xB0, 255, 255, 0, 254, 255});  // no board position
        PutUni(*image, 6, {6, 2, 0xB0, 255, 255, 1, 254, 255});
        PutUni(*image, 7, {7, 3, 0xF0, 255, 255, 0, 254, 255});
        PutUni(*image, 8, {8, 3, 0x40, 255, 255, 1, 254, 255});
    }

    void console0Image()
    {
        EmptyImage(*image);
        image->ConsoleType(0) = 2;
        image->ScreenCount(0) = 2;
        image->ConsoleType(1) = 1;
        image->ScreenCount(1) = 3;
        const Byte fn0[9] = {0x12, 0x34, 0x5F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        std::copy(fn0, fn0 + 9, image->GsmrFunction(0).begin());
        const Byte fn1[9] = {0x98, 0x76, 0x54, 0x32, 0x10, 0xFF, 0xFF, 0xFF, 0xFF};
        std::copy(fn1, fn1 + 9, image->GsmrFunction(1).begin());
        standardUni();

        PutKey(*image, {.key = 0, .handling = 2, .numlin = 0, .code = 71, .lineEntry = 0,
                        .name = "Dispatcher", .dial = 0xA3, .colour = 0x00112233});
        image->LineToLamp(0) = 37;
        auto msn = image->MsnEntry(4);
        const Byte m[16] = {0, 1, 2, 3, 0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        std::copy(m, m + 16, msn.begin());

        PutKey(*image, {.key = 1, .handling = 26, .numlin = 1, .code = 71, .lineEntry = 1});
        PutKey(*image, {.key = 2, .handling = 22, .subscriber = 5, .numlin = 2, .code = 148, .lineEntry = 2,
                        .subscriberEntry = 5});
        image->LineToLamp(2) = 33;
        PutKey(*image, {.key = 3, .handling = 22, .subscriber = 0, .numlin = 2, .code = 148, .lineEntry = 2,
                        .subscriberEntry = 0});
        PutKey(*image, {.key = 7, .handling = 22, .numlin = 3, .code = 148, .lineEntry = 3});
        image->LineToLamp(3) = 20;

        PutKey(*image, {.key = 4, .handling = 52, .subscriber = 7, .digits = {3, 4}});
        PutKey(*image, {.key = 5, .handling = 12, .subscriber = 8, .digits = {1}});
        PutKey(*image, {.key = 6, .handling = 48, .digits = {9}});

        // Keys on boards whose lines carry the shared line flags.
        PutKey(*image, {.key = 12, .handling = 2, .numlin = 5, .code = 0xB1, .lineEntry = 5});
        PutKey(*image, {.key = 13, .handling = 2, .numlin = 6, .code = 0xB0, .lineEntry = 6});
        PutKey(*image, {.key = 14, .handling = 2, .numlin = 7, .code = 0xF0, .lineEntry = 7});
        PutKey(*image, {.key = 15, .handling = 2, .numlin = 8, .code = 0x40, .lineEntry = 8});
        image->LineFlags(5)[0] = 0x0D; // ring end 3, low bits 1
        image->LineFlags(6)[0] = 0x02;
        image->LineFlags(7)[0] = 0x81; // DORST mode 2
        image->LineFlags(8)[0] = 0x05;
        const Byte flags9[6] = {1, 2, 3, 4, 5, 6};
        std::copy(flags9, flags9 + 6, image->LineFlags(9).begin());

        // An extended-line key followed by a key with a line but no board:
        // the second must not inherit the first one's position.
        PutKey(*image, {.key = 20, .handling = 22, .subscriber = 7, .numlin = 2, .code = 148, .lineEntry = 2,
                        .subscriberEntry = 7});
        PutKey(*image, {.key = 21, .handling = 2, .numlin = 2, .code = 0xFF, .lineEntry = 2});

        // Beyond the system's keys: never taken.
        PutKey(*image, {.key = 200, .handling = 2, .numlin = 0, .code = 71, .lineEntry = 0, .name = "Ignored"});

        image->SetPhoneName(0, "Alice");
        image->SetPhoneNumber(0, "123");
        image->SetPhoneName(2, platform::ToCp1250(QStringLiteral("Žofia")));
        image->SetPhoneNumber(2, "456");
    }

private slots:
    void initTestCase()
    {
        LoadShippedLanguage();
        QVERIFY(HInstDll > 32);
        QVERIFY(!LoadStrDll(140).isEmpty());
    }

    void init()
    {
        image = std::make_unique<TSystemImage>();
        config.reset();
        cards.Clear();
        log = RecordingLog();
    }

    void twoConsolesConvert()
    {
        fitBoards();
        console0Image();
        int count = 0;
        QVERIFY(convert(0, true, count));
        QCOMPARE(count, 0);

        // Slot 5 was adopted from the system.
        QCOMPARE(config->SlotyDosiek[5].Meno, QStringLiteral("TUL10"));
        QCOMPARE(config->SlotyDosiek[5].Kod, Byte(71));
        QVERIFY(cards.CardOfSlot(5));
        QCOMPARE(cards.CardOfSlot(5)->ClassName(), QStringLiteral("TUL10Card"));
        const QString adoptedText = LoadStrDll(140) + crlf + LoadStrDll(134) + QStringLiteral(": ") + LinePosName(5);
        QCOMPARE(log.entries.size(), size_t(1));
        QCOMPARE(log.entries[0].kind, TReportKind::Warning);
        QCOMPARE(log.entries[0].text, adoptedText);
        QCOMPARE(log.boxes.size(), size_t(1));
        QCOMPARE(log.boxes[0].text, adoptedText);
        QVERIFY(log.traces.isEmpty());

        QCOMPARE(config->PocetPultov, 1);
        QCOMPARE(config->TypDosiek, 1);
        QCOMPARE(config->TypNumlinov, 1);
        TPult &p0 = *config->Pulty[0];
        QCOMPARE(p0.TypPultu, Byte(2));
        QCOMPARE(p0.PocetObrazoviek, Byte(2));
        QCOMPARE(p0.FNGSMR, QStringLiteral("12345"));

        // A plain line on a UL10 board.
        const TKlavesa &k0 = *p0.Klavesy[0];
        QCOMPARE(k0.NumLin, Byte(0));
        QCOMPARE(k0.HWPozicDosky, Byte(3));
        QCOMPARE(k0.PozicLinky, Byte(2));
        QCOMPARE(k0.PozicRLinky, Byte(255));
        QCOMPARE(k0.TypLinky, Byte(0));
        QCOMPARE(k0.KodDosky, Byte(71));
        QCOMPARE(k0.ObsluhaKlavesy, Byte(2)); // MB on the card
        QCOMPARE(k0.CisloUcastnika, Byte(255));
        QCOMPARE(k0.Led, Byte(5));
        QCOMPARE(k0.MenoKlavesy, QStringLiteral("Dispatcher"));
        QCOMPARE(k0.MenoLinky, LinePosName(3) + QStringLiteral(" - MB"));
        QCOMPARE(k0.TextColor, 0x00112233);
        QCOMPARE(k0.Volba, Byte(0xA3));
        QCOMPARE(k0.bitovyByte, Byte(7));
        QCOMPARE(k0.MSNpriznak, (std::array<Byte, 3>{1, 2, 3}));
        QCOMPARE(k0.GetMSNText(), QStringLiteral("1234"));
        QCOMPARE(cards.CardOfSlot(3)->GetNameLin(2), QStringLiteral("MB"));
        QVERIFY(p0.Dosky[3]);
        QCOMPARE(p0.Dosky[3]->CisloDosky, Byte(71));
        QCOMPARE(p0.Dosky[3]->PocetLiniek, Byte(10));
        QCOMPARE(p0.Dosky[3]->Linky[2]->Klavesa, Byte(0));
        QCOMPARE(p0.Dosky[3]->Linky[2]->MenoLinky, QStringLiteral("MB"));

        // On the adopted board: no lamp.
        const TKlavesa &k1 = *p0.Klavesy[1];
        QCOMPARE(k1.HWPozicDosky, Byte(5));
        QCOMPARE(k1.PozicLinky, Byte(0));
        QCOMPARE(k1.Led, Byte(255));
        QCOMPARE(k1.TypLinky, Byte(1));
        QCOMPARE(k1.ObsluhaKlavesy, Byte(26)); // UB
        QVERIFY(p0.Dosky[5]);
        QCOMPARE(p0.Dosky[5]->Linky[0]->Klavesa, Byte(1));

        // Extended lines of the MD line on the 4W5 board.
        const TKlavesa &k2 = *p0.Klavesy[2];
        QCOMPARE(k2.HWPozicDosky, Byte(20));
        QCOMPARE(k2.PozicLinky, Byte(1));
        QCOMPARE(k2.PozicRLinky, Byte(5));
        QCOMPARE(k2.CisloUcastnika, Byte(5));
        QCOMPARE(k2.Led, Byte(2));
        QCOMPARE(k2.ObsluhaKlavesy, Byte(22));
        QCOMPARE(k2.KodDosky, Byte(148));
        QCOMPARE(k2.MenoLinky, LinePosName(20) + QStringLiteral(" - MD"));
        const TKlavesa &k3 = *p0.Klavesy[3];
        QCOMPARE(k3.PozicRLinky, Byte(0));
        QCOMPARE(k3.CisloUcastnika, Byte(0));
        QCOMPARE(k3.Led, Byte(3));
        TLinka &md = *p0.Dosky[20]->Linky[1];
        QCOMPARE(md.PocetRLiniek, Byte(64));
        QCOMPARE(md.Klavesa, Byte(3)); // the lowest position holds the line
        QVERIFY(md.RLinky[5] && md.RLinky[0] && md.RLinky[7]);
        QCOMPARE(md.RLinky[5]->MenoRLinky, QStringLiteral("Pr. 05"));
        QCOMPARE(md.RLinky[5]->CisloRLinky, Byte(5));
        QCOMPARE(md.RLinky[5]->Klavesa, Byte(2));
        QCOMPARE(md.RLinky[0]->MenoRLinky, QStringLiteral("Linka/GV"));
        QCOMPARE(md.RLinky[0]->Klavesa, Byte(3));
        QCOMPARE(md.RLinky[7]->Klavesa, Byte(20));
        QCOMPARE(p0.Dosky[20]->PocetLiniek, Byte(5));

        const TKlavesa &k7 = *p0.Klavesy[7];
        QCOMPARE(k7.PozicLinky, Byte(0));
        QCOMPARE(k7.PozicRLinky, Byte(255));
        QCOMPARE(k7.Led, Byte(7)); // lamp code below 32
        QCOMPARE(p0.Dosky[20]->Linky[0]->Klavesa, Byte(7));
        QCOMPARE(k7.MenoLinky, LinePosName(20) + QStringLiteral(" - HLS"));

        // No position carried over from the key before.
        const TKlavesa &k21 = *p0.Klavesy[21];
        QCOMPARE(k21.NumLin, Byte(2));
        QCOMPARE(k21.HWPozicDosky, Byte(255));
        QCOMPARE(k21.PozicLinky, Byte(255));
        QCOMPARE(k21.PozicRLinky, Byte(255));
        QCOMPARE(k21.MenoLinky, NekonfName);

        // Speed-dial keys.
        const TKlavesa &k4 = *p0.Klavesy[4];
        QCOMPARE(k4.MenoLinky, LoadStrDll(162) + QStringLiteral("2"));
        QCOMPARE(k4.CisloUcastnika, Byte(7));
        QCOMPARE(k4.Led, Byte(4));
        QCOMPARE(k4.ObsluhaKlavesy, Byte(52));
        QCOMPARE(k4.SkratenaVolba, digitsOf({3, 4}));
        QCOMPARE(k4.NumLin, Byte(255));
        QCOMPARE(p0.Klavesy[5]->MenoLinky, LoadStrDll(162) + QStringLiteral("1"));
        QCOMPARE(p0.Klavesy[5]->CisloUcastnika, Byte(8));
        QCOMPARE(p0.Klavesy[6]->MenoLinky, LoadStrDll(163));

        // Keys the system did not send, and keys beyond its range.
        for (int k : {8, 10, 100, 191, 192, 200, 223}) {
            QVERIFY2(p0.Klavesy[k], qPrintable(QString::number(k)));
            QVERIFY2(p0.Klavesy[k]->IsUnconfigured(), qPrintable(QString::number(k)));
            QCOMPARE(p0.Klavesy[k]->NumLin, Byte(255));
            QVERIFY(p0.Klavesy[k]->MenoKlavesy.isEmpty());
        }
        QCOMPARE(image->KeyRecord(10)[0], Byte(1));

        // Line flags: copied, then one value for all MB/UB keys and all PR3 keys.
        QCOMPARE(p0.Klavesy[12]->KodDosky, Byte(0xB0));
        QCOMPARE(config->CasUkonceniaVyzvanania, Byte(3));
        QCOMPARE(config->TabulkaPriznakov[5][0], Byte(0x0D));
        QCOMPARE(config->TabulkaPriznakov[6][0], Byte(0x0E));
        QCOMPARE(config->RezimDORST, Byte(2));
        QCOMPARE(config->TabulkaPriznakov[7][0], Byte(0x81));
        QCOMPARE(config->TabulkaPriznakov[8][0], Byte(0x85));
        QCOMPARE(config->TabulkaPriznakov[9], (TFlagRecord{1, 2, 3, 4, 5, 6}));

        // Phone book: compacted.
        QVERIFY(p0.TelZoznam[0] && p0.TelZoznam[1]);
        QCOMPARE(p0.TelZoznam[0]->Meno, QStringLiteral("Alice"));
        QCOMPARE(p0.TelZoznam[0]->Cislo, QStringLiteral("123"));
        QCOMPARE(p0.TelZoznam[1]->Meno, QStringLiteral("Žofia"));
        QCOMPARE(p0.TelZoznam[1]->Cislo, QStringLiteral("456"));
        QVERIFY(!p0.TelZoznam[2]);

        // Console 1 from its own tables: slot 5 is known now.
        EmptyImage(*image);
        standardUni();
        PutKey(*image, {.key = 0, .handling = 2, .numlin = 0, .code = 71, .lineEntry = 0,
                        .name = platform::ToCp1250(QStringLiteral("Čierny"))});
        PutKey(*image, {.key = 9, .handling = 26, .numlin = 1, .code = 71, .lineEntry = 1});
        image->SetPhoneName(0, "Carol");
        image->SetPhoneNumber(0, "789");
        log = RecordingLog();
        QVERIFY(convert(1, true, count));
        QCOMPARE(count, 0);
        QCOMPARE(log.entries.size(), size_t(0));
        QCOMPARE(config->PocetPultov, 2);
        TPult &p1 = *config->Pulty[1];
        QCOMPARE(p1.TypPultu, Byte(1));
        QCOMPARE(p1.PocetObrazoviek, Byte(3));
        QCOMPARE(p1.FNGSMR, QStringLiteral("9876543210"));
        QCOMPARE(p1.Klavesy[0]->MenoKlavesy, QStringLiteral("Čierny"));
        QCOMPARE(p1.Klavesy[0]->HWPozicDosky, Byte(3));
        QCOMPARE(p1.Klavesy[9]->HWPozicDosky, Byte(5));
        QCOMPARE(p1.Dosky[5]->Linky[0]->Klavesa, Byte(9));
        QVERIFY(p1.Klavesy[2]->IsUnconfigured());
        QCOMPARE(p1.TelZoznam[0]->Meno, QStringLiteral("Carol"));
        QVERIFY(!p1.TelZoznam[1]);
        // Console 0 stays as it was converted.
        QCOMPARE(config->Pulty[0]->Klavesy[2]->PozicRLinky, Byte(5));
        QCOMPARE(config->Pulty[0]->TelZoznam[1]->Meno, QStringLiteral("Žofia"));
    }

    void createsConfigurationAndConsole()
    {
        EmptyImage(*image);
        image->ConsoleType(1) = 2;
        image->ScreenCount(1) = 1;
        int count = 0;
        QVERIFY(convert(1, false, count));
        QVERIFY(config);
        QCOMPARE(config->CestaProgramu, QStringLiteral("/prog/kelvara"));
        QCOMPARE(config->PocetPultov, 2);
        QVERIFY(!config->Pulty[0]);
        QCOMPARE(config->Pulty[1]->TypPultu, Byte(2));
        QCOMPARE(config->Pulty[1]->FNGSMR, QString());
        for (const auto &key : config->Pulty[1]->Klavesy)
            QVERIFY(key && key->IsUnconfigured());
        QCOMPARE(count, 0);
        QVERIFY(log.entries.empty());

        int ignored = 0;
        QVERIFY(!convert(2, true, ignored));
        QVERIFY(!convert(-1, true, ignored));
    }

    void existingConsoleIsReplacedByTheImage()
    {
        config = std::make_unique<TAPult>();
        config->PocetPultov = 2;
        config->Pulty[0] = std::make_unique<TPult>();
        TPult &p = *config->Pulty[0];
        p.TypPultu = 1;
        p.FNGSMR = QStringLiteral("777");
        for (int i = 0; i < 5; ++i) {
            p.TelZoznam[i] = std::make_unique<TTelZoznam>();
            p.TelZoznam[i]->Meno = QStringLiteral("old");
            p.TelZoznam[i]->Cislo = QStringLiteral("1");
        }
        p.Klavesy[3] = std::make_unique<TKlavesa>();
        p.Klavesy[3]->NumLin = 9;
        EmptyImage(*image);
        image->GsmrFunction(0)[0] = 0x55;
        image->SetPhoneName(7, "New");
        image->SetPhoneNumber(7, "2");
        int count = 0;
        QVERIFY(convert(0, true, count));
        QCOMPARE(p.FNGSMR, QStringLiteral("55"));
        QCOMPARE(p.TypPultu, Byte(1));
        QCOMPARE(p.TelZoznam[0]->Meno, QStringLiteral("New"));
        for (int i = 1; i < 5; ++i)
            QVERIFY(!p.TelZoznam[i]);
        QVERIFY(p.Klavesy[3]->IsUnconfigured());
        QCOMPARE(p.Klavesy[3]->NumLin, Byte(255));
    }

    void unconfiguredKeyIsTracedAndReplaced_data()
    {
        QTest::addColumn<bool>("fromSystem");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<bool>("box");
        QTest::newRow("from system") << true << false << true;
        QTest::newRow("from system, quiet") << true << true << false;
        QTest::newRow("from a record") << false << false << false;
    }

    void unconfiguredKeyIsTracedAndReplaced()
    {
        QFETCH(bool, fromSystem);
        QFETCH(bool, quiet);
        QFETCH(bool, box);
        EmptyImage(*image);
        PutKey(*image, {.key = 8, .handling = 0x63, .subscriber = 3, .digits = {1, 2}, .name = "Odd key"});
        int count = 4; // the caller's counter goes on
        QVERIFY(convert(0, fromSystem, count, nullptr, quiet));
        QCOMPARE(count, 5);
        const QStringList expected = {
            QStringLiteral("i=008 (Obsluha $63 Ucastnik $03 Numlin $FF kodDosky=$FF"),
            QStringLiteral("       Skratena volba: 1, 2)"),
            QStringLiteral("       fyzKont=1 LinOK=0 SkVolOK=0 vynim=0 neoprav=0;"),
            QStringLiteral("  ORVA numlin=FF ucastnik=FF znamy kod obsluhy=0"),
        };
        QCOMPARE(log.traces, expected);
        QCOMPARE(log.entries.size(), size_t(1));
        QCOMPARE(log.entries[0].kind, TReportKind::Error);
        QCOMPARE(log.entries[0].text, unconfiguredText(5));
        QCOMPARE(log.boxes.size(), size_t(box ? 1 : 0));
        if (box) {
            QCOMPARE(log.boxes[0].kind, TReportKind::Error);
            QCOMPARE(log.boxes[0].text, unconfiguredText(5));
        }

        // The image now holds the unconfigured record and an empty name.
        QByteArray unconfigured(32, char(0xFF));
        unconfigured[0] = 1;
        unconfigured[29] = 7;
        QCOMPARE(recordBytes(*image, 8, 0, 32), unconfigured);
        QCOMPARE(image->KeyNameBytes(8), QByteArray(32, ' '));
        const TKlavesa &key = *config->Pulty[0]->Klavesy[8];
        QVERIFY(key.IsUnconfigured());
        QCOMPARE(key.bitovyByte, Byte(7));
        QVERIFY(key.MenoKlavesy.isEmpty());
    }

    void unconfiguredKeyOnAKnownBoardTakesTheCardsRecord()
    {
        fitBoards();
        EmptyImage(*image);
        image->ConsoleType(0) = 2;
        standardUni();
        // The subscriber differs from the system's: not placed.
        PutKey(*image, {.key = 0, .handling = 2, .subscriber = 4, .numlin = 0, .code = 71, .lineEntry = 0});
        int count = 0;
        QVERIFY(convert(0, true, count));
        QCOMPARE(count, 1);
        QCOMPARE(log.traces.size(), 4);
        QCOMPARE(log.traces[2], QStringLiteral("       fyzKont=1 LinOK=0 SkVolOK=0 vynim=0 neoprav=0;"));
        QCOMPARE(log.traces[3], QStringLiteral("  ORVA numlin=00 ucastnik=FF znamy kod obsluhy=1"));

        QByteArray record(32, char(0xFF));
        record[0] = 2; // the MB line's record
        record[29] = 7;
        record[30] = 0;
        record[31] = 71;
        QCOMPARE(recordBytes(*image, 0, 0, 32), record);
        QByteArray name = (LinePosName(3).toLatin1() + " - AUT").leftJustified(32, ' ');
        QCOMPARE(image->KeyNameBytes(0), name);

        const TKlavesa &key = *config->Pulty[0]->Klavesy[0];
        QCOMPARE(key.NumLin, Byte(255));
        QCOMPARE(key.HWPozicDosky, Byte(3));
        QCOMPARE(key.PozicLinky, Byte(2));
        QCOMPARE(key.ObsluhaKlavesy, Byte(2));
        QCOMPARE(key.CisloUcastnika, Byte(255));
        QCOMPARE(key.MenoLinky, NekonfName);
        QVERIFY(!config->Pulty[0]->Dosky[3]);
    }

    void lineNumbersFromSystemOrRecord_data()
    {
        QTest::addColumn<bool>("fromSystem");
        QTest::addColumn<bool>("placed");
        QTest::newRow("record's line number") << false << true;
        QTest::newRow("system's table disagrees") << true << false;
    }

    void lineNumbersFromSystemOrRecord()
    {
        QFETCH(bool, fromSystem);
        QFETCH(bool, placed);
        fitBoards();
        EmptyImage(*image);
        standardUni();
        PutKey(*image, {.key = 0, .handling = 2, .numlin = 0, .code = 71, .lineEntry = 0xFF});
        int count = 0;
        QVERIFY(convert(0, fromSystem, count));
        const TKlavesa &key = *config->Pulty[0]->Klavesy[0];
        QCOMPARE(count, placed ? 0 : 1);
        QCOMPARE(key.NumLin, Byte(placed ? 0 : 255));
        QCOMPARE(key.HWPozicDosky, Byte(placed ? 3 : 255));
        QCOMPARE(bool(config->Pulty[0]->Dosky[3]), placed);
    }

    void numberingByPosition()
    {
        // Line number = board position x 5 + line position; UNI entry by its byte 0.
        TestList list(1, 0);
        fitBoards();
        EmptyImage(*image);
        PutUni(*image, 4, {17, 1, 71, 255, 0x30, 2, 254, 255});
        PutKey(*image, {.key = 0, .handling = 2, .numlin = 17, .code = 71, .lineEntry = 17});
        // Position 40 lies past the board slots: no position.
        PutKey(*image, {.key = 1, .handling = 2, .numlin = 200, .code = 71, .lineEntry = 200});
        int count = 0;
        QVERIFY(convert(0, true, count, &list));
        QCOMPARE(count, 0);
        QCOMPARE(config->TypNumlinov, 0);
        const TKlavesa &k0 = *config->Pulty[0]->Klavesy[0];
        QCOMPARE(k0.HWPozicDosky, Byte(3));
        QCOMPARE(k0.PozicLinky, Byte(2));
        QCOMPARE(k0.TypLinky, Byte(1));
        QCOMPARE(k0.ObsluhaKlavesy, Byte(26)); // UB on line 2
        QCOMPARE(config->Pulty[0]->Dosky[3]->Linky[2]->Klavesa, Byte(0));
        const TKlavesa &k1 = *config->Pulty[0]->Klavesy[1];
        QCOMPARE(k1.NumLin, Byte(200));
        QCOMPARE(k1.HWPozicDosky, Byte(255));
        QCOMPARE(k1.PozicLinky, Byte(0));
        QCOMPARE(k1.ObsluhaKlavesy, Byte(2));
    }

    void lineNumberPastTheUniTable()
    {
        fitBoards();
        EmptyImage(*image);
        PutKey(*image, {.key = 0, .handling = 2, .numlin = 130, .code = 71, .lineEntry = 130});
        PutKey(*image, {.key = 1, .handling = 2, .numlin = 254, .code = 71, .lineEntry = 254});
        int count = 0;
        QVERIFY(convert(0, true, count));
        for (int k : {0, 1}) {
            const TKlavesa &key = *config->Pulty[0]->Klavesy[k];
            QCOMPARE(key.HWPozicDosky, Byte(255));
            QCOMPARE(key.PozicLinky, Byte(255));
            QCOMPARE(key.TypLinky, Byte(255)); // no UNI entry to take it from
            QCOMPARE(key.ObsluhaKlavesy, Byte(2));
        }
        QCOMPARE(config->Pulty[0]->Klavesy[0]->NumLin, Byte(130));
    }

    void slotWithoutCard()
    {
        // The project names a board in slot 4 but no card object exists for it.
        config = std::make_unique<TAPult>();
        config->SlotyDosiek[4] = {QStringLiteral("TUL10"), 71};
        EmptyImage(*image);
        PutUni(*image, 0, {0, 0, 71, 255, 0x40, 1, 254, 255});
        PutKey(*image, {.key = 0, .handling = 2, .numlin = 0, .code = 71, .lineEntry = 0});
        PutKey(*image, {.key = 1, .handling = 2, .subscriber = 9, .numlin = 0, .code = 71, .lineEntry = 0});
        int count = 0;
        QVERIFY(convert(0, true, count));
        QCOMPARE(count, 1);
        const TKlavesa &k0 = *config->Pulty[0]->Klavesy[0];
        QCOMPARE(k0.HWPozicDosky, Byte(4));
        QCOMPARE(k0.ObsluhaKlavesy, Byte(1)); // no card to ask
        QVERIFY(!config->Pulty[0]->Dosky[4]);
        QByteArray unconfigured(30, char(0xFF));
        unconfigured[0] = 1;
        unconfigured[29] = 7;
        QCOMPARE(recordBytes(*image, 1, 0, 30), unconfigured);
    }

    void boardMismatchStopsTheConversion_data()
    {
        QTest::addColumn<bool>("quiet");
        QTest::newRow("boxes") << false;
        QTest::newRow("quiet") << true;
    }

    void boardMismatchStopsTheConversion()
    {
        QFETCH(bool, quiet);
        fitBoards();
        EmptyImage(*image);
        standardUni();
        PutKey(*image, {.key = 0, .handling = 22, .numlin = 0, .code = 148, .lineEntry = 0});
        // The slot's code with bit 0 cleared: no mismatch, but not its board.
        PutKey(*image, {.key = 1, .handling = 2, .numlin = 0, .code = 70, .lineEntry = 0});
        PutKey(*image, {.key = 2, .handling = 2, .numlin = 0, .code = 0x30, .lineEntry = 0});
        int count = 0;
        QVERIFY(!convert(0, true, count, nullptr, quiet));

        QStringList slotCodes;
        for (int s = 0; s < 32; ++s)
            slotCodes << (s == 3 ? QStringLiteral("47") : s == 20 ? QStringLiteral("94") : QStringLiteral("FF"));
        QStringList codes;
        for (int k = 0; k < 256; ++k)
            codes << (k == 0 ? QStringLiteral("94") : k == 1 ? QStringLiteral("46") : k == 2 ? QStringLiteral("30")
                                                                                             : QStringLiteral("FF"));
        QCOMPARE(log.traces.value(0), QStringLiteral("ZozDosiek[pd].Kody=[$") + slotCodes.join(QStringLiteral(", $")) +
                                          QStringLiteral("]"));
        QCOMPARE(log.traces.value(1), QStringLiteral("p.Data[i].KodDosky=[$") + codes.join(QStringLiteral(", $")) +
                                          QStringLiteral("]"));
        QCOMPARE(log.traces.value(2), QStringLiteral("pd=3 [$47]; i=0 [$94];"));
        QVERIFY(log.traces.contains(QStringLiteral("pd=3 [$47]; i=2 [$30];")));
        QCOMPARE(log.traces.filter(QStringLiteral("ZozDosiek")).size(), 1);
        QVERIFY(!log.traces.contains(QStringLiteral("pd=3 [$47]; i=1 [$46];")));
        QVERIFY(log.traces.contains(QStringLiteral("       fyzKont=0 LinOK=0 SkVolOK=0 vynim=0 neoprav=0;")));

        const QString text = LoadStrDll(141) + crlf + LoadStrDll(134) + QStringLiteral(": ") + LinePosName(3) + crlf +
                             LoadStrDll(142);
        QCOMPARE(log.entries.size(), size_t(1));
        QCOMPARE(log.entries[0].kind, TReportKind::Warning);
        QCOMPARE(log.entries[0].text, text);
        QCOMPARE(log.boxes.size(), size_t(quiet ? 0 : 1));
        // Nothing adopted, nothing added to the slots.
        QCOMPARE(config->SlotyDosiek[3].Kod, Byte(71));
    }

    void unknownBoardCodes_data()
    {
        QTest::addColumn<QString>("listName"); // empty: the package's list
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("unknown code") << QString() << 0x50 << QString();
        QTest::newRow("odd code without type") << QString() << 0x49 << QString();
        QTest::newRow("DF board") << QString() << 90 << QStringLiteral("DF");
        QTest::newRow("not a class name") << QStringLiteral("UL10") << 71 << QStringLiteral("UL10");
        QTest::newRow("unregistered class") << QStringLiteral("TNoSuch") << 71 << QStringLiteral("TNoSuch");
        QTest::newRow("board-type list class") << QStringLiteral("TZOZ") << 71 << QStringLiteral("TZOZ");
    }

    void unknownBoardCodes()
    {
        QFETCH(QString, listName);
        QFETCH(int, code);
        QFETCH(QString, shown);
        NamingList naming(listName);
        config = std::make_unique<TAPult>();
        EmptyImage(*image);
        PutUni(*image, 0, {0, 0, Byte(code), 255, 0x60, 0, 254, 255});
        PutKey(*image, {.key = 0, .handling = 2, .numlin = 0, .code = Byte(code), .lineEntry = 0});
        int count = 0;
        QVERIFY(convert(0, true, count, listName.isEmpty() ? nullptr : &naming));
        QCOMPARE(count, 1);
        const QString hex = QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
        QCOMPARE(log.traces.value(0), QStringLiteral("Doska s kodom $") + hex +
                                          QStringLiteral(" sa nenachadza v balicku [") + shown + QStringLiteral("]"));
        QCOMPARE(log.traces.value(3), QStringLiteral("       fyzKont=0 LinOK=0 SkVolOK=0 vynim=0 neoprav=0;"));
        QVERIFY(!cards.CardOfSlot(6));
        QVERIFY(!cards.BoardList);
        QCOMPARE(config->SlotyDosiek[6].Kod, Byte(0xFF));
        QVERIFY(config->SlotyDosiek[6].Meno.isEmpty());
        QCOMPARE(log.entries.size(), size_t(1));
        QCOMPARE(log.entries[0].kind, TReportKind::Error);
        QCOMPARE(log.entries[0].text, unconfiguredText(1));
        // The record keeps the system's line number, without a board.
        QCOMPARE(image->KeyRecord(0)[img::KrNumLin], Byte(0));
        QCOMPARE(image->KeyRecord(0)[img::KrKodDosky], Byte(0xFF));
        QCOMPARE(image->KeyRecord(0)[img::KrObsluhaKlavesy], Byte(1));
    }

    void exceptionsPlaceKeys_data()
    {
        QTest::addColumn<int>("handling");
        QTest::addColumn<int>("subscriber");
        QTest::addColumn<int>("subscriberEntry");
        QTest::addColumn<int>("numlin");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("digit");
        QTest::addColumn<bool>("counted");
        // Unknown handling, but the key's board is right and it has no subscriber.
        QTest::newRow("own board, no subscriber") << 0x63 << 0 << 0xFF << 0 << 71 << 0xFF << false;
        QTest::newRow("own board, a subscriber") << 0x63 << 5 << 5 << 0 << 71 << 0xFF << true;
        // A known handling with speed-dial digits and neither line nor board.
        QTest::newRow("dialling key") << 2 << 4 << 0xFF << 0xFF << 0xFF << 3 << false;
        QTest::newRow("dialling key without digits") << 2 << 4 << 0xFF << 0xFF << 0xFF << 0xFF << true;
        QTest::newRow("speed dial without digits") << 52 << 4 << 0xFF << 0xFF << 0xFF << 0xFF << false;
    }

    void exceptionsPlaceKeys()
    {
        QFETCH(int, handling);
        QFETCH(int, subscriber);
        QFETCH(int, subscriberEntry);
        QFETCH(int, numlin);
        QFETCH(int, code);
        QFETCH(int, digit);
        QFETCH(bool, counted);
        fitBoards();
        EmptyImage(*image);
        standardUni();
        KeySpec spec{.key = 0, .handling = Byte(handling), .subscriber = Byte(subscriber), .numlin = Byte(numlin),
                     .code = Byte(code), .lineEntry = Byte(numlin), .subscriberEntry = Byte(subscriberEntry)};
        if (digit != 0xFF)
            spec.digits = {Byte(digit)};
        PutKey(*image, spec);
        int count = 0;
        QVERIFY(convert(0, true, count));
        QCOMPARE(count, counted ? 1 : 0);
        QCOMPARE(log.traces.isEmpty(), !counted);
    }
};

QTEST_GUILESS_MAIN(TestImageToModel)
#include "test_imagetomodel.moc"
