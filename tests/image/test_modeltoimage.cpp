// The configuration into the system image and the PC console record, and back:
// round trips of the whole fixture, the table rules of the conversion, the
// bounds of every text and index, and hostile models and records.
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

#include "cardpack/karty.h"
#include "model/cardset.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "records/imagetomodel.h"
#include "records/modeltoimage.h"
#include "records/pcrecord.h"
#include "records/systemimage.h"
#include "tests/fixture/fixture.h"

#include "imagefixture.h"
#include "roundtripfixture.h"

namespace
{

// A card with a chosen card number and type flags; line 0 of the type ORST0
// when asked for.
class NumberedCard : public TCardOld
{
public:
    NumberedCard(Byte number, Byte type, bool orst0 = false) : number(number), type(type), orst0(orst0) {}
    QString ClassName() const override { return QStringLiteral("NumberedCard"); }
    Byte LinCount() override { return 5; }
    Byte GetCardNum(Byte) override { return number; }
    Byte GetType() override { return type; }
    QString GetTypLinName(Byte index, Byte &code) override
    {
        code = 255;
        return index == 0 && orst0 ? QStringLiteral("ORST0") : QStringLiteral("MB");
    }

private:
    Byte number;
    Byte type;
    bool orst0;
};

QByteArray Bytes(std::span<const Byte> s)
{
    return QByteArray(reinterpret_cast<const char *>(s.data()), qsizetype(s.size()));
}

QByteArray Hex(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

// The image without its phone book, which comes back without gaps.
QByteArray WithoutPhoneBook(QByteArray image)
{
    return image.remove(img::PhoneBookOffset, img::PhoneBookSize);
}

struct Rig {
    std::unique_ptr<TAPult> config;
    TCardSet cards;
    TZOZ zoz;
    TZoznam *list = &zoz;
    std::unique_ptr<TSystemImage> image = std::make_unique<TSystemImage>();
    RecordingLog log;

    TRecordContext Context(std::unique_ptr<TAPult> &place)
    {
        return TRecordContext{place, *image, list, cards, QStringLiteral("/prog/kelvara")};
    }
    bool ToImage(int console)
    {
        TRecordContext ctx = Context(config);
        return ModelToImage(ctx, console);
    }
    bool FromImage(std::unique_ptr<TAPult> &out, int console, bool fromSystem, int &count)
    {
        TImageToModelContext ctx{out, *image, *list, cards, log, true, QStringLiteral("/prog/kelvara")};
        return ImageToModel(ctx, console, fromSystem, count);
    }
    void SetConsoles(Byte type0, Byte type1)
    {
        config->Pulty[0]->TypPultu = type0;
        config->Pulty[1]->TypPultu = type1;
        for (int c = 0; c < ConsoleCount; ++c) {
            image->ConsoleType(c) = config->Pulty[c]->TypPultu;
            image->ScreenCount(c) = config->Pulty[c]->PocetObrazoviek;
        }
    }
    // A configuration with one console and a board of the given code in slot 0.
    TPult &SmallConfig(Byte code = 71)
    {
        config = std::make_unique<TAPult>();
        config->PocetPultov = 1;
        config->TypDosiek = 1;
        config->TypNumlinov = 1;
        config->SlotyDosiek[0] = {QStringLiteral("TUL10"), code};
        config->Pulty[0] = std::make_unique<TPult>();
        config->Pulty[0]->TypPultu = 2;
        config->Pulty[0]->PocetObrazoviek = 2;
        return *config->Pulty[0];
    }
};

// Key k bound to line `line` of slot `slot` (a board is made when missing).
TKlavesa &Bind(TPult &pult, int k, int slot, int line, Byte code, Byte subscriber = 255, Byte led = 255)
{
    auto &board = pult.Dosky[slot];
    if (!board) {
        board = std::make_unique<TDoska>();
        board->CisloDosky = code;
        board->PocetLiniek = 10;
    }
    auto &l = board->Linky[line];
    if (!l)
        l = std::make_unique<TLinka>();
    if (l->Klavesa == 255)
        l->Klavesa = Byte(k);
    auto &key = pult.Klavesy[k];
    key = std::make_unique<TKlavesa>();
    key->MenoLinky = QStringLiteral("MB");
    key->HWPozicDosky = Byte(slot);
    key->PozicLinky = Byte(line);
    key->KodDosky = code;
    key->CisloUcastnika = subscriber;
    key->Led = led;
    key->ObsluhaKlavesy = 2;
    return *key;
}

} // namespace

class TestModelToImage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LoadShippedLanguage(); }

    // ---- whole configurations ---------------------------------------------------------------

    void roundTrip_data()
    {
        QTest::addColumn<int>("type0");
        QTest::addColumn<int>("type1");
        QTest::addColumn<bool>("fromSystem");
        QTest::newRow("PC and mechanical, from system") << 1 << 2 << true;
        QTest::newRow("PC and mechanical, from records") << 1 << 2 << false;
        QTest::newRow("both mechanical") << 2 << 2 << true;
        QTest::newRow("both PC") << 1 << 1 << true;
    }

    // Fixture -> ModelToImage -> ImageToModel gives the configuration back
    // field by field, and a second trip gives the same image bytes.
    void roundTrip()
    {
        QFETCH(int, type0);
        QFETCH(int, type1);
        QFETCH(bool, fromSystem);
        Rig rig;
        rig.config = roundtrip::ConsistentFixture(rig.cards);
        rig.SetConsoles(Byte(type0), Byte(type1));

        QByteArray images[ConsoleCount];
        for (int c = 0; c < ConsoleCount; ++c) {
            QVERIFY(rig.ToImage(c));
            images[c] = rig.image->ToBytes();
        }
        std::unique_ptr<TAPult> out = roundtrip::FreshLike(*rig.config);
        for (int c = 0; c < ConsoleCount; ++c) {
            QCOMPARE(rig.image->FromBytes(images[c]), RecordResult::Ok);
            int unconfigured = 0;
            QVERIFY(rig.FromImage(out, c, fromSystem, unconfigured));
            QCOMPARE(unconfigured, 0);
        }
        QVERIFY(rig.log.entries.empty());
        QVERIFY(rig.log.boxes.empty());

        // What the fixture says must come back, spelled out for the fields
        // whose loss would hurt most.
        const TPult &p0 = *out->Pulty[0];
        QCOMPARE(p0.FNGSMR, QStringLiteral("12345678"));
        QCOMPARE(p0.Klavesy[0]->MenoKlavesy, QStringLiteral("Dispečer Ľubo"));
        QCOMPARE(p0.Klavesy[3]->PozicRLinky, Byte(10));
        QCOMPARE(p0.Dosky[1]->Linky[0]->RLinky[10]->Klavesa, Byte(3));
        QCOMPARE(Bytes(p0.Klavesy[roundtrip::GsmrKey]->MSNcislo),
                 Hex({0x42, 0x19, 0x01, 0x23, 0x45, 0x6F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
        QCOMPARE(Bytes(p0.Klavesy[roundtrip::GsmrKey]->MSNpriznak), Hex({1, 2, 3}));
        QCOMPARE(p0.TelZoznam[4]->Meno, QStringLiteral("Posledná"));
        QCOMPARE(p0.TelZoznam[3]->Cislo, QStringLiteral("12t3p4*#."));
        QCOMPARE(out->Pulty[1]->Klavesy[100]->MenoKlavesy, QStringLiteral("HLS Ťahač"));
        QCOMPARE(out->TabulkaPriznakov[79], rig.config->TabulkaPriznakov[79]);

        TAPult &expected = *rig.config;
        roundtrip::ToImageForm(expected);
        COMPARE_DUMPS(fixture::DumpFields(expected), fixture::DumpFields(*out));

        // The configuration read back converts to the same tables.
        std::swap(rig.config, out);
        for (int c = 0; c < ConsoleCount; ++c) {
            QVERIFY(rig.ToImage(c));
            QCOMPARE(WithoutPhoneBook(rig.image->ToBytes()), WithoutPhoneBook(images[c]));
        }
    }

    // The PC console record built from the fixture and read back: the same
    // configuration with its hints, for each console's block.
    void pcRecordRoundTrip_data()
    {
        QTest::addColumn<int>("console");
        QTest::newRow("console 0") << 0;
        QTest::newRow("console 1") << 1;
    }

    void pcRecordRoundTrip()
    {
        QFETCH(int, console);
        Rig rig;
        rig.config = roundtrip::ConsistentFixture(rig.cards);
        rig.SetConsoles(1, 1);
        auto record = std::make_unique<TPcRecord>();
        auto uni = std::make_unique<TUniRecord>();
        {
            TRecordContext ctx = rig.Context(rig.config);
            QVERIFY(ModelToPcRecord(ctx, console, *record, *uni));
        }
        // The record holds no MSN values: the image's table is the system's.
        std::ranges::fill(rig.image->Table(ImageTable::Msn), Byte(0xFF));
        std::unique_ptr<TAPult> out = roundtrip::FreshLike(*rig.config);
        TImageToModelContext ctx{out, *rig.image, *rig.list, rig.cards, rig.log, true, QString()};
        int unconfigured = 0;
        QVERIFY(PcRecordToModel(ctx, console, false, unconfigured, *record, *uni));
        QCOMPARE(unconfigured, 0);

        roundtrip::ToPcRecordForm(*rig.config, console);
        TPult &want = *rig.config->Pulty[console];
        TPult &got = *out->Pulty[console];
        got.FNGSMR.clear(); // the image's, not the record's
        QCOMPARE(got.Klavesy[10]->HintKlavesy,
                 console == 0 ? QStringLiteral("Riadok 1\r\nRiadok 2\nRiadok 3") : QString());
        for (int k = 0; k < KeyCount; ++k)
            COMPARE_DUMPS(
                QStringLiteral("%1: ").arg(k) + fixture::DumpKey(*want.Klavesy[k]).replace(u' ', u'\n'),
                QStringLiteral("%1: ").arg(k) + fixture::DumpKey(*got.Klavesy[k]).replace(u' ', u'\n'));
    }

    // Hints are set on the keys after ImageToModel resets them.
    void pcRecordHintsSurvive()
    {
        Rig rig;
        auto record = std::make_unique<TPcRecord>();
        InitPcRecord(*record);
        auto uni = std::make_unique<TUniRecord>();
        InitUniRecord(*uni);
        record->SetHintText(KeyAddress(0), QStringLiteral("Výpravca"));
        record->SetHintText(KeyAddress(222), QStringLiteral("posledný"));
        rig.image->ConsoleType(0) = 1;
        TImageToModelContext ctx{rig.config, *rig.image, *rig.list, rig.cards, rig.log, true, QString()};
        int unconfigured = 0;
        QVERIFY(PcRecordToModel(ctx, 0, false, unconfigured, *record, *uni));
        QCOMPARE(rig.config->Pulty[0]->Klavesy[0]->HintKlavesy, QStringLiteral("Výpravca"));
        QCOMPARE(rig.config->Pulty[0]->Klavesy[222]->HintKlavesy, QStringLiteral("posledný"));
        QCOMPARE(rig.config->Pulty[0]->Klavesy[223]->HintKlavesy, QString());
    }

    // ---- the rules of ModelToImage -----------------------------------------------------------

    void refusals()
    {
        Rig rig;
        QVERIFY(!rig.ToImage(0));
        rig.SmallConfig();
        QVERIFY(!rig.ToImage(2));
        QVERIFY(!rig.ToImage(-1));
        QVERIFY(rig.ToImage(1)); // a missing console is made, not connected
        QVERIFY(rig.config->Pulty[1]);
        QCOMPARE(rig.config->Pulty[1]->TypPultu, Byte(0));
    }

    void functionNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("123") << "123" << Hex({0x12, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        QTest::newRow("empty") << "" << Hex({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        QTest::newRow("lower case") << "abc9" << Hex({0xAB, 0xC9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        QTest::newRow("not hex") << "12G4-+ 7" << Hex({0x12, 0xF4, 0xFF, 0xF7, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        QTest::newRow("18 digits") << "123456789012345678"
                                   << Hex({0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56, 0x78});
        QTest::newRow("too long") << "98765432109876543210ABCDEF"
                                  << Hex({0x98, 0x76, 0x54, 0x32, 0x10, 0x98, 0x76, 0x54, 0x32});
        QTest::newRow("letters beyond F")
            << QString(40, QLatin1Char('z')) << Hex({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    }

    // The console's 9 bytes; the other console's 9 bytes stay as they are.
    void functionNumber()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        for (int console = 0; console < ConsoleCount; ++console) {
            Rig rig;
            rig.SmallConfig();
            rig.config->PocetPultov = 2;
            rig.config->Pulty[1] = std::make_unique<TPult>();
            rig.config->Pulty[1]->TypPultu = 1;
            rig.config->Pulty[console]->FNGSMR = text;
            const QByteArray other = Hex({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x0F});
            std::copy(other.begin(), other.end(), rig.image->GsmrFunction(1 - console).begin());
            QVERIFY(rig.ToImage(console));
            QCOMPARE(Bytes(rig.image->GsmrFunction(console)), bytes);
            QCOMPARE(Bytes(rig.image->GsmrFunction(1 - console)), other);
        }
    }

    // Keys with a lamp write the line-to-lamp entry of their line by the
    // rules of their card.
    void lampRules_data()
    {
        QTest::addColumn<int>("cardNumber"); // -1: no card in the slot
        QTest::addColumn<int>("cardType");
        QTest::addColumn<int>("typDosiek");
        QTest::addColumn<QList<int>>("subscribers"); // keys 0, 1, ... on the same line, lamps 10, 11, ...
        QTest::addColumn<int>("lampEntry");
        QTest::newRow("no card, subscriber") << -1 << 1 << 1 << QList<int>{5} << 10 + 32;
        QTest::newRow("plain card, subscriber") << 148 << 1 << 1 << QList<int>{5} << 0xFF;
        QTest::newRow("plain card, subscriber 0") << 148 << 1 << 1 << QList<int>{0} << 10 + 32;
        QTest::newRow("plain card, no subscriber") << 148 << 1 << 1 << QList<int>{255} << 10 + 32;
        QTest::newRow("plain card, last key wins") << 148 << 1 << 1 << QList<int>{255, 0} << 11 + 32;
        QTest::newRow("TypDosiek 0, MB card") << 0x01 << 1 << 0 << QList<int>{5} << 10 + 32;
        QTest::newRow("TypDosiek 0, card C0") << 0xC0 << 1 << 0 << QList<int>{5} << 10 + 32;
        QTest::newRow("TypDosiek 0, other card") << 0x20 << 1 << 0 << QList<int>{7} << 0xFF;
        QTest::newRow("TypDosiek 0, card without flag") << 0x01 << 0 << 0 << QList<int>{5} << 0xFF;
        QTest::newRow("shared lamps: 11 first keeps it") << 240 << 0 << 1 << QList<int>{11, 5, 0} << 10 + 32;
        QTest::newRow("shared lamps: 11 overwrites") << 32 << 0 << 1 << QList<int>{5, 11} << 11 + 32;
        QTest::newRow("shared lamps: no 11") << 208 << 0 << 1 << QList<int>{5, 6} << 11 + 32;
    }

    void lampRules()
    {
        QFETCH(int, cardNumber);
        QFETCH(int, cardType);
        QFETCH(int, typDosiek);
        QFETCH(QList<int>, subscribers);
        QFETCH(int, lampEntry);
        Rig rig;
        TPult &pult = rig.SmallConfig(cardNumber < 0 ? 71 : Byte(cardNumber));
        rig.config->TypDosiek = typDosiek;
        if (cardNumber >= 0)
            rig.cards.SetCard(0, std::make_unique<NumberedCard>(Byte(cardNumber), Byte(cardType)));
        // Keys of another board code: the shared-lamp step leaves them alone.
        // The later keys share the line number of the first, as keys of its
        // extended lines would.
        for (int i = 0; i < subscribers.size(); ++i)
            Bind(pult, i, 0, 2, 71, Byte(subscribers[i]), Byte(10 + i)).NumLin = 0;
        QVERIFY(rig.ToImage(0));
        const Byte n = pult.Klavesy[0]->NumLin;
        QCOMPARE(n, Byte(0));
        QCOMPARE(int(rig.image->LineToLamp(n)), lampEntry);
    }

    // Keys of boards 240, 32 and 208 with subscriber 0 share the lamp of a
    // key of their line.
    void sharedLamps()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig(240);
        Bind(pult, 0, 0, 1, 240, 3, 255); // takes its own index as lamp
        Bind(pult, 1, 0, 1, 240, 0, 255);
        Bind(pult, 2, 0, 1, 240, 0, 40);  // has a lamp already
        Bind(pult, 3, 0, 2, 240, 0, 255); // another line
        Bind(pult, 4, 0, 1, 32, 0, 255);  // another board code
        Bind(pult, 5, 0, 4, 240, 11, 255);
        Bind(pult, 6, 0, 4, 240, 0, 255); // a subscriber-11 key gives no lamp
        QVERIFY(rig.ToImage(0));
        QCOMPARE(pult.Klavesy[0]->Led, Byte(0));
        QCOMPARE(pult.Klavesy[1]->Led, Byte(0));
        QCOMPARE(pult.Klavesy[2]->Led, Byte(40));
        QCOMPARE(pult.Klavesy[3]->Led, Byte(3)); // took its own: it is not subscriber 11
        QCOMPARE(pult.Klavesy[4]->Led, Byte(4));
        QCOMPARE(pult.Klavesy[5]->Led, Byte(255));
        QCOMPARE(pult.Klavesy[6]->Led, Byte(6));
    }

    void subscriberEntry_data()
    {
        QTest::addColumn<bool>("orst0");
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("subscriber");
        QTest::addColumn<int>("entry");
        QTest::newRow("ORST0 card, subscriber 0") << true << true << 0 << 0xFF;
        QTest::newRow("ORST0 card, subscriber 4") << true << true << 4 << 4;
        QTest::newRow("ORST0 card, slot without name") << true << false << 0 << 0;
        QTest::newRow("other card, subscriber 0") << false << true << 0 << 0;
    }

    void subscriberEntry()
    {
        QFETCH(bool, orst0);
        QFETCH(bool, named);
        QFETCH(int, subscriber);
        QFETCH(int, entry);
        Rig rig;
        TPult &pult = rig.SmallConfig();
        if (!named)
            rig.config->SlotyDosiek[0].Meno.clear();
        rig.cards.SetCard(0, std::make_unique<NumberedCard>(71, 0, orst0));
        Bind(pult, 7, 0, 0, 71, Byte(subscriber));
        QVERIFY(rig.ToImage(0));
        QCOMPARE(int(rig.image->KeyToSubscriber(KeyAddress(7))), entry);
        QCOMPARE(int(rig.image->KeyRecord(7)[img::KrCisloUcastnika]), subscriber);
    }

    // Key tables by key address, key records and names by key index.
    void keyTables()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig();
        pult.TypPultu = 1;
        TKlavesa &key = Bind(pult, 5, 0, 3, 71, 9, 20);
        key.MenoKlavesy = QStringLiteral("Čakáreň");
        key.ObsluhaKlavesy = 3;
        key.bitovyByte = 4;
        key.Volba = 0xA7;
        key.TextColor = 0x00ABCDEF;
        for (int i = 0; i < 27; ++i)
            key.SkratenaVolba[i] = Byte(0x10 + i);
        QVERIFY(rig.ToImage(0));
        QCOMPARE(rig.image->KeyToLine(KeyAddress(5)), Byte(0));
        QCOMPARE(rig.image->KeyToSubscriber(KeyAddress(5)), Byte(9));
        QCOMPARE(rig.image->LineToLamp(0), Byte(20 + 32)); // no card in the slot: always written
        const auto rec = rig.image->KeyRecord(5);
        QCOMPARE(rec[0], Byte(3));
        QCOMPARE(rec[1], Byte(9));
        QCOMPARE(rec[2], Byte(0x10));
        QCOMPARE(rec[28], Byte(0x10 + 26));
        QCOMPARE(rec[29], Byte(4));
        QCOMPARE(rec[30], Byte(0));
        QCOMPARE(rec[31], Byte(71));
        QCOMPARE(rec[32], Byte(0xA7));
        QCOMPARE(rig.image->KeyTextColor(5), 0x00ABCDEFu);
        QCOMPARE(rig.image->KeyNameBytes(5),
                 platform::ToCp1250(QStringLiteral("Čakáreň")).leftJustified(32, ' '));
        // A mechanical console holds its names in the OEM code page.
        pult.TypPultu = 2;
        QVERIFY(rig.ToImage(0));
        QCOMPARE(rig.image->KeyNameBytes(5), AnsiToOemText(QStringLiteral("Čakáreň")).leftJustified(32, ' '));
        // Missing keys were made unconfigured.
        QVERIFY(pult.Klavesy[223]);
        QCOMPARE(rig.image->KeyRecord(223)[0], Byte(1));
        QCOMPARE(rig.image->KeyToLine(255), Byte(0xFF));
    }

    // The line entries and the console entries of the UNI table.
    void uniEntries()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig(0xB1);
        rig.config->PocetPultov = 2;
        rig.config->SlotyDosiek[20] = {QStringLiteral("X"), 0x11};
        rig.config->SlotyDosiek[25] = {QStringLiteral("Y"), 0x39};
        Bind(pult, 2, 3, 1, 0xB1).TypLinky = 9;
        Bind(pult, 3, 3, 2, 0x40).TypLinky = 9;
        Bind(pult, 1, 20, 4, 0x11);
        // Every line of a board 0x38/0x39 is numbered, bound or not.
        Bind(pult, 0, 25, 0, 0x39);
        QVERIFY(rig.ToImage(0));
        QCOMPARE(Bytes(rig.image->UniEntry(0)), Hex({0, 1, 0xB1, 255, 0x30, 1, 255, 255}));
        QCOMPARE(Bytes(rig.image->UniEntry(1)), Hex({1, 9, 0x40, 255, 0x30, 2, 255, 255}));
        QCOMPARE(Bytes(rig.image->UniEntry(2)), Hex({2, 2, 0x11, 254, 0x40, 4, 255, 255}));
        QCOMPARE(Bytes(rig.image->UniEntry(3)), Hex({3, 6, 0x39, 254, 0x90, 0, 255, 255}));
        QCOMPARE(pult.Dosky[25]->Linky[9]->Klavesa, Byte(255));
        QCOMPARE(Bytes(rig.image->UniEntry(4)), Hex({128, 0, 170, 253, 0, 8, 255, 255}));
        QCOMPARE(Bytes(rig.image->UniEntry(5)), Hex({129, 1, 170, 253, 0, 9, 255, 255}));
        QCOMPARE(rig.image->UniEntry(6)[0], Byte(255));
        // Not connected: the tables stay empty.
        pult.TypPultu = 0;
        QVERIFY(rig.ToImage(0));
        QCOMPARE(rig.image->UniEntry(0)[0], Byte(255));
        QCOMPARE(rig.image->KeyToLine(KeyAddress(0)), Byte(255));
    }

    void msnAndLineFlags()
    {
        Rig rig;
        rig.config = roundtrip::ConsistentFixture(rig.cards);
        rig.SetConsoles(1, 2);
        std::fill(rig.image->Table(ImageTable::Msn).begin(), rig.image->Table(ImageTable::Msn).end(),
                  Byte(0x5A));
        QVERIFY(rig.ToImage(1));
        const Byte n = rig.config->Pulty[0]->Klavesy[roundtrip::GsmrKey]->NumLin;
        QCOMPARE(Bytes(rig.image->MsnEntry(0)),
                 Hex({n, 1, 2, 3, 0x42, 0x19, 0x01, 0x23, 0x45, 0x6F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
        QCOMPARE(rig.image->MsnEntry(1)[0], Byte(0xFF));
        QCOMPARE(rig.image->MsnEntry(31)[15], Byte(0xFF));
        for (int r = 0; r < FlagRecordCount; ++r)
            QCOMPARE(Bytes(rig.image->LineFlags(r)), Bytes(rig.config->TabulkaPriznakov[r]));
    }

    // The image holds the phone book as the console does, whichever path filled it.
    void phoneBookForm()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig();
        pult.TelZoznam[0] = std::make_unique<TTelZoznam>();
        pult.TelZoznam[0]->Meno = QStringLiteral("Žilina");
        pult.TelZoznam[0]->Cislo = QStringLiteral("0415*#");
        pult.TelZoznam[7] = std::make_unique<TTelZoznam>();
        pult.TelZoznam[7]->Meno = QString(40, QLatin1Char('N'));
        pult.TelZoznam[7]->Cislo = QString(40, QLatin1Char('9'));
        QVERIFY(rig.ToImage(0));
        QVERIFY(pult.TelZoznam[255]);
        QByteArray wire = platform::ToCp1250(QStringLiteral("Žilina")).leftJustified(32, char(0xFF));
        wire += Hex({0xAF, 0x4F, 0x1F, 0x5F, 0xBF, 0x0F}).leftJustified(32, char(0xFF));
        QCOMPARE(rig.image->PhoneBookWire(0), wire);
        QCOMPARE(rig.image->PhoneName(7), QByteArray(32, 'N'));
        QCOMPARE(rig.image->PhoneNumber(7), QByteArray(32, char(0x9F)));
        QCOMPARE(rig.image->PhoneBookWire(1), QByteArray(64, char(0xFF)));
        // A console's record is taken as it is.
        rig.image->SetPhoneBookWire(9, reinterpret_cast<const Byte *>(wire.constData()));
        QCOMPARE(rig.image->PhoneBookWire(9), wire);
        QCOMPARE(rig.image->PhoneEntryName(9), platform::ToCp1250(QStringLiteral("Žilina")));
        QCOMPARE(rig.image->PhoneEntryNumber(9), QStringLiteral("0415*#"));
        rig.image->SetPhoneBookWire(9,
                                    reinterpret_cast<const Byte *>(QByteArray(64, char(0xFF)).constData()));

        // Read back: the wire form and the characters form give the same entries.
        std::unique_ptr<TAPult> out = roundtrip::FreshLike(*rig.config);
        int count = 0;
        QVERIFY(rig.FromImage(out, 0, true, count));
        rig.image->SetPhoneName(3, platform::ToCp1250(QStringLiteral("Čadca")));
        rig.image->SetPhoneNumber(3, "12t3");
        QCOMPARE(rig.image->PhoneBookWire(3),
                 platform::ToCp1250(QStringLiteral("Čadca")).leftJustified(32, char(0xFF)) +
                     Hex({0x1F, 0x2F, 0xCF, 0x3F}).leftJustified(32, char(0xFF)));
        std::unique_ptr<TAPult> chars = roundtrip::FreshLike(*rig.config);
        QVERIFY(rig.FromImage(chars, 0, true, count));
        const auto &book = out->Pulty[0]->TelZoznam;
        QCOMPARE(book[0]->Meno, QStringLiteral("Žilina"));
        QCOMPARE(book[0]->Cislo, QStringLiteral("0415*#"));
        QCOMPARE(book[1]->Meno, QString(32, QLatin1Char('N')));
        QCOMPARE(book[1]->Cislo, QString(32, QLatin1Char('9')));
        QVERIFY(!book[2]);
        const auto &book2 = chars->Pulty[0]->TelZoznam;
        QCOMPARE(book2[1]->Meno, QStringLiteral("Čadca"));
        QCOMPARE(book2[1]->Cislo, QStringLiteral("12t3"));
        QVERIFY(!book2[3]);
    }

    // ---- bounds --------------------------------------------------------------------------------

    // Texts longer than their fields never reach the neighbouring field.
    void overlongTexts()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig();
        pult.TypPultu = 1;
        Bind(pult, 0, 0, 0, 71).MenoKlavesy = QString(300, QLatin1Char('A'));
        Bind(pult, 1, 0, 1, 71).MenoKlavesy = QStringLiteral("B");
        pult.Klavesy[0]->HintKlavesy = QString(500, QLatin1Char('H'));
        pult.Klavesy[1]->HintKlavesy = QStringLiteral("h");
        pult.Klavesy[222] = std::make_unique<TKlavesa>();
        pult.Klavesy[222]->MenoKlavesy = QString(64, QLatin1Char('Z'));
        pult.TelZoznam[0] = std::make_unique<TTelZoznam>();
        pult.TelZoznam[0]->Meno = QString(300, QLatin1Char('M'));
        pult.TelZoznam[0]->Cislo = QStringLiteral("1");
        QVERIFY(rig.ToImage(0));
        QCOMPARE(rig.image->KeyNameBytes(0), QByteArray(32, 'A'));
        QCOMPARE(rig.image->KeyNameBytes(1), QByteArray("B").leftJustified(32, ' '));
        QCOMPARE(rig.image->PhoneName(0), QByteArray(32, 'M'));
        QCOMPARE(rig.image->PhoneNumber(0), Hex({0x1F}).leftJustified(32, char(0xFF)));

        auto record = std::make_unique<TPcRecord>();
        auto uni = std::make_unique<TUniRecord>();
        TRecordContext ctx = rig.Context(rig.config);
        QVERIFY(ModelToPcRecord(ctx, 0, *record, *uni));
        QCOMPARE(record->Name(KeyAddress(0)), QByteArray(20, 'A'));
        QCOMPARE(record->Hint(KeyAddress(0)), QByteArray(100, 'H'));
        QCOMPARE(record->Name(KeyAddress(1)), QByteArray("B"));
        QCOMPARE(record->Hint(KeyAddress(1)), QByteArray("h"));
        QCOMPARE(record->Name(KeyAddress(222)), QByteArray(20, 'Z'));
        QCOMPARE(record->Hint(KeyAddress(223)), QByteArray()); // key 223 has no place in the record
        QCOMPARE(record->Name(0), QByteArray());
    }

    void uniIndexBounds_data()
    {
        QTest::addColumn<int>("numbering");
        QTest::newRow("running numbers") << 1;
        QTest::newRow("by position") << 0;
    }

    // More bound lines than the UNI table has entries: the entries past 129
    // are not written, and the key names after the table keep their bytes.
    void uniIndexBounds()
    {
        QFETCH(int, numbering);
        Rig rig;
        TestList list{1, Byte(numbering)};
        rig.list = &list;
        TPult &pult = rig.SmallConfig();
        rig.config->TypNumlinov = numbering;
        rig.config->PocetPultov = 2;
        pult.TypPultu = 1;
        int k = 0;
        for (int slot = 0; slot < 20; ++slot)
            for (int line = 0; line < 10 && k < 200; ++line, ++k)
                Bind(pult, k, slot, line, 71).MenoKlavesy = QStringLiteral("K%1").arg(k);
        // A key whose line number lies past the table.
        Bind(pult, 210, 31, 9, 71);
        QVERIFY(rig.ToImage(0));
        for (int i = 0; i < img::UniCount - 2; ++i)
            QCOMPARE(int(rig.image->UniEntry(i)[0]), numbering == 1 ? i : (i / 10) * 5 + i % 10);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(rig.image->KeyNameBytes(i),
                     QStringLiteral("K%1").arg(i).toLatin1().leftJustified(32, ' '));
        QCOMPARE(rig.image->KeyToLine(KeyAddress(210)), Byte(numbering == 1 ? 200 : 164));
    }

    // A key whose position cannot be a line number has none.
    void positionNumberBounds()
    {
        Rig rig;
        TestList list{1, 0};
        rig.list = &list;
        TPult &pult = rig.SmallConfig();
        rig.config->TypNumlinov = 0;
        auto key = std::make_unique<TKlavesa>();
        key->HWPozicDosky = 60;
        key->PozicLinky = 2;
        pult.Klavesy[0] = std::move(key);
        QVERIFY(rig.ToImage(0));
        QCOMPARE(rig.image->KeyToLine(KeyAddress(0)), Byte(255));
        QCOMPARE(pult.Klavesy[0]->NumLin, Byte(255));
    }

    // Converting one console into the PC record leaves the other console's
    // block as that console's own conversion made it.
    void otherConsoleBlock()
    {
        Rig rig;
        rig.config = roundtrip::ConsistentFixture(rig.cards);
        rig.SetConsoles(1, 2);
        rig.config->Pulty[0]->FNGSMR = QStringLiteral("98765432109876543210XYZ");
        rig.config->Pulty[0]->Klavesy[0]->MenoKlavesy = QString(80, QLatin1Char('L'));
        auto blocksOnly = std::make_unique<TPcRecord>();
        InitPcRecord(*blocksOnly);
        TRecordContext ctx = rig.Context(rig.config);
        FillPcRecordBlocks(ctx, *blocksOnly);
        auto record = std::make_unique<TPcRecord>();
        auto uni = std::make_unique<TUniRecord>();
        QVERIFY(ModelToPcRecord(ctx, 0, *record, *uni));
        QCOMPARE(Bytes(record->Block(1)), Bytes(blocksOnly->Block(1)));
        QCOMPARE(Bytes(record->Block(0)), Bytes(blocksOnly->Block(0)));
        QCOMPARE(Bytes(record->Block(2)), Bytes(blocksOnly->Block(2)));
        QCOMPARE(Bytes(record->Block(3)), Bytes(blocksOnly->Block(3)));
        // The image holds console 0 now; console 1's function number is its own.
        QCOMPARE(Bytes(rig.image->GsmrFunction(0)),
                 Hex({0x98, 0x76, 0x54, 0x32, 0x10, 0x98, 0x76, 0x54, 0x32}));
        QCOMPARE(Bytes(rig.image->GsmrFunction(1)),
                 Hex({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    }

    // ---- the PC console record --------------------------------------------------------------

    void pcRecordWithoutConsole1()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig();
        pult.TypPultu = 1;
        Bind(pult, 0, 0, 0, 71);
        auto record = std::make_unique<TPcRecord>();
        auto uni = std::make_unique<TUniRecord>();
        TRecordContext ctx = rig.Context(rig.config);
        QVERIFY(ModelToPcRecord(ctx, 0, *record, *uni));
        auto defaults = std::make_unique<TPcRecord>();
        InitPcRecord(*defaults);
        QCOMPARE(Bytes(record->Block(1)), Bytes(defaults->Block(1)));
        QVERIFY(Bytes(record->Block(0)) != Bytes(defaults->Block(0)));
        QCOMPARE(record->BoardCode(0), Byte(71));
        QCOMPARE(record->BoardCode(15), Byte(255));
        QCOMPARE(Bytes(uni->Entry(0)), Bytes(rig.image->UniEntry(0)));
        // Without the console the defaults stand.
        QVERIFY(ModelToPcRecord(ctx, 1, *record, *uni));
        QCOMPARE(Bytes(record->Block(1)), Bytes(defaults->Block(1)));
        QCOMPARE(record->BoardCode(0), Byte(255));
    }

    void pcRecordTexts()
    {
        Rig rig;
        TPult &pult = rig.SmallConfig();
        pult.TypPultu = 1;
        TKlavesa &key = Bind(pult, 4, 0, 0, 71);
        key.MenoKlavesy = QStringLiteral("   ");
        key.HintKlavesy = QStringLiteral("  Nápoveda  ");
        key.Volba = 0xA5;
        key.TextColor = std::int32_t(0x8000000F);
        auto record = std::make_unique<TPcRecord>();
        auto uni = std::make_unique<TUniRecord>();
        TRecordContext ctx = rig.Context(rig.config);
        QVERIFY(ModelToPcRecord(ctx, 0, *record, *uni));
        QCOMPARE(record->Name(KeyAddress(4)), QByteArray());
        QCOMPARE(record->HintText(KeyAddress(4)), QStringLiteral("Nápoveda"));
        QCOMPARE(record->DialCode(KeyAddress(4)), Byte(0xA5));
        QCOMPARE(record->TextColor(4), 0x8000000Fu); // by key index
        QCOMPARE(record->TextColor(KeyAddress(4)), 0u);
        const auto entry = record->KeyEntry(0, KeyAddress(4));
        QCOMPARE(entry[0], Byte(2));
        QCOMPARE(entry[13], Byte(7));
    }

    // The record made is the same whatever the buffer held before.
    void pcRecordFromDirtyBuffer()
    {
        Rig rig;
        rig.config = roundtrip::ConsistentFixture(rig.cards);
        rig.SetConsoles(1, 1);
        TRecordContext ctx = rig.Context(rig.config);
        auto clean = std::make_unique<TPcRecord>();
        auto uni = std::make_unique<TUniRecord>();
        QVERIFY(ModelToPcRecord(ctx, 0, *clean, *uni));
        auto dirty = std::make_unique<TPcRecord>();
        QByteArray filler(pcrec::Size, char(0x55));
        filler.replace(0, 6, QByteArray("\x05KAVSW", 6));
        QCOMPARE(dirty->FromBytes(filler), RecordResult::Ok);
        QVERIFY(ModelToPcRecord(ctx, 0, *dirty, *uni));
        QByteArray got = dirty->ToBytes();
        QByteArray want = clean->ToBytes();
        // The two reserved bytes are written as the buffer holds them.
        QCOMPARE(got.mid(pcrec::ReservedOffset, 2), QByteArray("\x55\x55"));
        got.remove(pcrec::ReservedOffset, 2);
        want.remove(pcrec::ReservedOffset, 2);
        QCOMPARE(got, want);
    }

    // With TypNumlinov 1 and TypDosiek 1 the record's line numbers 5, 9, 12
    // load as 0, 1, 2, their lamps with them.
    void renumbering()
    {
        Rig rig;
        auto record = std::make_unique<TPcRecord>();
        InitPcRecord(*record);
        auto uni = std::make_unique<TUniRecord>();
        InitUniRecord(*uni);
        const Byte numbers[3] = {5, 9, 12};
        for (int j = 0; j < 3; ++j) {
            auto e = uni->Entry(j);
            const Byte entry[8] = {numbers[j], 0, Byte(70 + j), 255, Byte(16 * j), 1, 254, 255};
            std::copy(entry, entry + 8, e.begin());
            record->KeyToLineTable(0)[KeyAddress(j)] = numbers[j];
            record->LineToLampTable(0)[numbers[j]] = Byte(40 + j);
        }
        rig.image->ConsoleType(0) = 1;
        TRecordContext ctx = rig.Context(rig.config);
        PcRecordToImage(ctx, 0, *record, *uni);
        QCOMPARE(rig.config->TypDosiek, 1);
        QCOMPARE(rig.config->TypNumlinov, 1);
        for (int j = 0; j < 3; ++j) {
            QCOMPARE(rig.image->UniEntry(j)[0], Byte(j));
            QCOMPARE(rig.image->UniEntry(j)[2], Byte(70 + j));
            QCOMPARE(rig.image->KeyToLine(KeyAddress(j)), Byte(j));
            QCOMPARE(rig.image->KeyRecord(j)[img::KrNumLin], Byte(j));
            QCOMPARE(rig.image->KeyRecord(j)[img::KrKodDosky], Byte(70 + j));
            QCOMPARE(rig.image->LineToLamp(j), Byte(40 + j));
        }
        QCOMPARE(rig.image->LineToLamp(5), Byte(0xFF));
        QCOMPARE(rig.image->KeyRecord(3)[img::KrNumLin], Byte(0xFF));
    }

    // By position, the board code comes from the record's slot.
    void positionNumbersFromRecord()
    {
        Rig rig;
        TestList list{0, 0};
        rig.list = &list;
        auto record = std::make_unique<TPcRecord>();
        InitPcRecord(*record);
        auto uni = std::make_unique<TUniRecord>();
        InitUniRecord(*uni);
        record->BoardCode(3) = 148;
        record->KeyToLineTable(1)[KeyAddress(0)] = 17;  // slot 3
        record->KeyToLineTable(1)[KeyAddress(1)] = 80;  // slot 16: not in the record
        record->KeyToLineTable(1)[KeyAddress(2)] = 254; // slot 50
        record->SetName(KeyAddress(0), "Kľúč");
        rig.image->ConsoleType(1) = 2;
        TRecordContext ctx = rig.Context(rig.config);
        PcRecordToImage(ctx, 1, *record, *uni);
        QCOMPARE(rig.image->KeyRecord(0)[img::KrNumLin], Byte(17));
        QCOMPARE(rig.image->KeyRecord(0)[img::KrKodDosky], Byte(148));
        QCOMPARE(rig.image->KeyRecord(1)[img::KrKodDosky], Byte(0xFF));
        QCOMPARE(rig.image->KeyRecord(2)[img::KrKodDosky], Byte(0xFF));
        // A mechanical console takes no names from the record.
        QCOMPARE(rig.image->KeyNameBytes(0), QByteArray(32, ' '));
        QCOMPARE(rig.config->Pulty[1]->TypPultu, Byte(2));
    }

    // ---- hostile input ---------------------------------------------------------------------------

    void hostileModels()
    {
        for (quint32 seed = 1; seed <= 16; ++seed) {
            QRandomGenerator random(seed);
            Rig rig;
            TestList list{Byte(random.bounded(8)), Byte(random.bounded(2))};
            rig.list = &list;
            rig.config = std::make_unique<TAPult>();
            TAPult &cfg = *rig.config;
            cfg.PocetPultov = random.bounded(-1, 4);
            cfg.TypNumlinov = random.bounded(2);
            cfg.TypDosiek = random.bounded(2);
            for (auto &slot : cfg.SlotyDosiek) {
                slot.Kod = Byte(random.bounded(256));
                if (random.bounded(2))
                    slot.Meno = QStringLiteral("S");
            }
            for (int s = 0; s < 8; ++s)
                rig.cards.SetCard(s * 4,
                                  std::make_unique<NumberedCard>(Byte(random.bounded(256)),
                                                                 Byte(random.bounded(2)), random.bounded(2)));
            for (auto &pult : cfg.Pulty) {
                pult = std::make_unique<TPult>();
                pult->TypPultu = Byte(random.bounded(4));
                pult->FNGSMR = QString::number(random.generate64(), 36).repeated(random.bounded(4));
                for (auto &key : pult->Klavesy) {
                    if (random.bounded(5) == 0)
                        continue;
                    key = std::make_unique<TKlavesa>();
                    Byte *fields[] = {&key->TypLinky,       &key->KodDosky,       &key->HWPozicDosky,
                                      &key->PozicLinky,     &key->PozicRLinky,    &key->Led,
                                      &key->CisloUcastnika, &key->ObsluhaKlavesy, &key->NumLin,
                                      &key->Volba};
                    for (Byte *f : fields)
                        *f = Byte(random.bounded(256));
                    key->MenoKlavesy = QString(random.bounded(80), QChar(u'Ž'));
                    key->HintKlavesy = QString(random.bounded(300), QChar(u'ň'));
                    key->TextColor = std::int32_t(random.generate());
                }
                for (auto &board : pult->Dosky) {
                    if (random.bounded(3))
                        continue;
                    board = std::make_unique<TDoska>();
                    board->CisloDosky = Byte(random.bounded(256));
                    board->PocetLiniek = Byte(random.bounded(256));
                    for (auto &line : board->Linky) {
                        line = std::make_unique<TLinka>();
                        line->Klavesa = Byte(random.bounded(256));
                        for (int e = 0; e < 5; ++e) {
                            auto &ext = line->RLinky[random.bounded(ExtLineCount)];
                            ext = std::make_unique<TRLinka>();
                            ext->Klavesa = Byte(random.bounded(256));
                        }
                    }
                }
                for (int t = 0; t < 10; ++t) {
                    auto &entry = pult->TelZoznam[random.bounded(PhoneCount)];
                    entry = std::make_unique<TTelZoznam>();
                    entry->Meno = QString(random.bounded(100), QChar(u'ť'));
                    entry->Cislo = QString(random.bounded(100), QChar(u'7'));
                }
            }
            TRecordContext ctx = rig.Context(rig.config);
            for (int c = 0; c < ConsoleCount; ++c) {
                QVERIFY(ModelToImage(ctx, c));
                for (int i = 0; i < img::UniCount; ++i) {
                    const Byte line = rig.image->UniEntry(i)[0];
                    QVERIFY(line == 255 || line >= 128 || cfg.TypNumlinov == 0 || line == i);
                }
            }
            auto record = std::make_unique<TPcRecord>();
            auto uni = std::make_unique<TUniRecord>();
            QVERIFY(ModelToPcRecord(ctx, int(seed % 2), *record, *uni));
        }
    }

    void hostileRecords()
    {
        for (quint32 seed = 1; seed <= 16; ++seed) {
            QRandomGenerator random(seed * 31u);
            Rig rig;
            TestList list{Byte(random.bounded(8)), Byte(random.bounded(2))};
            rig.list = &list;
            QByteArray pcBytes(pcrec::Size, Qt::Uninitialized);
            for (char &b : pcBytes)
                b = char(random.bounded(256));
            pcBytes.replace(0, 6, QByteArray("\x05KAVSW", 6));
            QByteArray uniBytes(unirec::Size, Qt::Uninitialized);
            for (char &b : uniBytes)
                b = char(random.bounded(256));
            uniBytes.replace(0, 5, QByteArray("\x04KAUN", 5));
            auto record = std::make_unique<TPcRecord>();
            auto uni = std::make_unique<TUniRecord>();
            QCOMPARE(record->FromBytes(pcBytes), RecordResult::Ok);
            QCOMPARE(uni->FromBytes(uniBytes), RecordResult::Ok);
            for (int c = 0; c < ConsoleCount; ++c) {
                rig.image->ConsoleType(c) = Byte(random.bounded(3));
                TImageToModelContext ctx{rig.config, *rig.image, list, rig.cards, rig.log, true, QString()};
                int count = 0;
                PcRecordToModel(ctx, c, random.bounded(2), count, *record, *uni);
                QVERIFY(rig.config);
                QVERIFY(rig.log.boxes.empty());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestModelToImage)
#include "test_modeltoimage.moc"
