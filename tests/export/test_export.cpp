#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "model/card.h"
#include "model/export.h"
#include "model/listorva.h"
#include "model/noorvacard.h"
#include "model/orvacard.h"
#include "model/verzia.h"
#include "platform/codepage.h"
#include "tests/fixture/fixture.h"

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}
QByteArray cp1250(const QString &s)
{
    return platform::ToCp1250(s);
}

// Values of the export file encoded here from the format's rules, each with the
// form the test expects the writer to choose, so the writer is checked against them.
class Expected
{
public:
    Expected &raw(const QByteArray &bytes)
    {
        b += bytes;
        return *this;
    }
    Expected &i8(int v)
    {
        Q_ASSERT(v >= -128 && v <= 127);
        b += char(2);
        le(std::uint8_t(v), 1);
        return *this;
    }
    Expected &i16(int v)
    {
        Q_ASSERT(v >= -32768 && v <= 32767);
        b += char(3);
        le(std::uint16_t(v), 2);
        return *this;
    }
    Expected &i32(std::int64_t v)
    {
        b += char(4);
        le(std::uint32_t(v), 4);
        return *this;
    }
    Expected &str(const QByteArray &s)
    {
        Q_ASSERT(s.size() <= 255);
        b += char(6);
        b += char(s.size());
        b += s;
        return *this;
    }
    Expected &lstr(const QByteArray &s)
    {
        b += char(12);
        le(std::uint32_t(s.size()), 4);
        b += s;
        return *this;
    }
    Expected &ch(int c) { return str(QByteArray(1, char(c))); }
    Expected &date(double d)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        b += char(17);
        le(bits, 8);
        return *this;
    }
    QByteArray b;

private:
    void le(std::uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            b += char((v >> (8 * i)) & 0xFF);
    }
};

const QDateTime fixedNow(QDate(2024, 5, 17), QTime(13, 45, 30, 250));
QDateTime fixedClock()
{
    return fixedNow;
}
// 13:45:30.250 as a fraction of a day.
const double fixedDate = (((13 * 60 + 45) * 60 + 30) * 1000 + 250) / 86400000.0;

// The slots the golden fixture counts as valid: the first row to 6 and the first
// extension slot.
bool goldenSlotValid(int s)
{
    return (s >= 0 && s <= 6) || s == 16;
}

const QString longName = QStringLiteral("Dlhý názov ") + QString(289, u'x'); // 300 characters

// The shared two-console fixture with keys on boards that have record classes.
std::unique_ptr<TAPult> goldenFixture()
{
    auto cfg = fixture::BuildFixture();
    cfg->SlotyDosiek[5] = {QStringLiteral("TKamera"), 42};
    cfg->SlotyDosiek[16] = {QStringLiteral("TISDN"), 48};
    TPult &p0 = *cfg->Pulty[0];
    p0.Klavesy[11] = fixture::BoundKey(QStringLiteral("Výpravca"), 3, 2, 255, 16, 7);
    p0.Klavesy[12] = fixture::BoundKey(longName, 2, 0, 255, 0, 8);
    p0.Klavesy[13] = fixture::BoundKey(QStringLiteral("Kamera 1"), 5, 1, 255, 42, 9);
    p0.Klavesy[14] = fixture::BoundKey(QStringLiteral("Rozšírenie"), 16, 3, 255, 48, 10);
    p0.Klavesy[15] = fixture::BoundKey(QStringLiteral("Obsluha 1"), 4, 0, 255, 176, 11);
    p0.Klavesy[15]->ObsluhaKlavesy = 1;
    cfg->Pulty[1]->Klavesy[200] = fixture::BoundKey(QStringLiteral("Ťahač"), 3, 4, 255, 16, 130);
    return cfg;
}

void pole(Expected &e, int key)
{
    e.i8(4).ch(1).ch(2).ch(3).ch(key);
    e.i8(5).ch(key).ch(9).ch(8).ch(7).ch(6);
}

// The golden export of goldenFixture() at fixedNow, value by value.
QByteArray goldenBytes()
{
    Expected e;
    e.raw("TPF0").raw(hex("01"));
    e.str("TVerzia").str("V1.0").date(fixedDate);
    // Board records: position word, code (255 for a slot without a card).
    e.str("TCard").i32(0xFF00).i8(71);
    e.str("TCard").i32(0xFF10).i16(148);
    e.str("TCard").i32(0xFF20).i8(0);
    e.str("TCard").i32(0xFF30).i8(16);
    e.str("TCard").i32(0xFF40).i16(176);
    e.str("TCard").i32(0xFF50).i8(42);
    e.str("TCard").i32(0xFF60).i16(255);
    e.str("TCard").i16(0x0100).i8(48);
    // Console 0, key 11 on the AUT3 board of slot 3.
    e.str("TAUT").i8(0).i8(11).i8(10).i8(2).str(cp1250(QStringLiteral("Výpravca")));
    e.str(cp1250(QStringLiteral("Hint Výpravca")));
    pole(e, 11);
    e.i8(3).i8(7).i8(2).i8(1).i8(1);
    // Key 12 on the MB5 board of slot 2, with texts longer than 255 characters.
    e.str("TMB")
        .i8(0)
        .i8(12)
        .i8(10)
        .i8(2)
        .lstr(cp1250(longName))
        .lstr(cp1250(QStringLiteral("Hint ") + longName));
    pole(e, 12);
    e.i8(2).i8(8).i8(0).i8(1).i8(1);
    // Key 13 on the camera board: a record without the line's place.
    e.str("TKamera").i8(0).i8(13).i8(10).i8(2).str("Kamera 1").str("Hint Kamera 1");
    pole(e, 13);
    // Key 14 on the extension slot 16.
    e.str("TISDN").i8(0).i8(14).i8(10).i8(2).str(cp1250(QStringLiteral("Rozšírenie")));
    e.str(cp1250(QStringLiteral("Hint Rozšírenie")));
    pole(e, 14);
    e.i8(16).i8(10).i8(3).i8(1).i8(1);
    // Console 1, key 200.
    e.str("TAUT")
        .i8(1)
        .i16(200)
        .i8(10)
        .i8(2)
        .str(cp1250(QStringLiteral("Ťahač")))
        .str(cp1250(QStringLiteral("Hint Ťahač")));
    e.i8(4).ch(1).ch(2).ch(3).ch(200);
    e.i8(5).ch(200).ch(9).ch(8).ch(7).ch(6);
    e.i8(3).i16(130).i8(4).i8(1).i8(1);
    e.raw(hex("00"));
    return e.b;
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &name, const QByteArray &data)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// One line per record with every field it has.
QString dumpRecord(const TDataRW &r)
{
    QStringList f{r.ClassName()};
    if (auto *v = dynamic_cast<const TVerzia *>(&r))
        f << v->Verzia << QString::number(v->Date, 'g', 17) << QString::number(v->VerziaFlag);
    if (auto *c = dynamic_cast<const TCard *>(&r))
        f << QString::number(c->Word(), 16) << QString::number(c->KodDosky());
    if (auto *p = dynamic_cast<const TParent_Data *>(&r))
        f << QString::number(p->CisloPultu) << QString::number(p->CisloTlacidla)
          << QString::number(p->ColorText) << QString::number(p->ColotTlacidlo) << p->Popis << p->PomPopis
          << QString::fromLatin1(p->Pole1->Bytes().toHex()) << QString::fromLatin1(p->Pole2->Bytes().toHex());
    if (auto *o = dynamic_cast<const TOrvaCard *>(&r))
        f << QString::number(o->NumberCard) << QString::number(o->Numlin) << QString::number(o->LinkaNaKarte)
          << QString::number(o->Zvonenie) << QString::number(o->Nahravanie);
    return f.join(u'|');
}

QStringList dumpList(const TListOrva &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << dumpRecord(*list.Items(i));
    return out;
}

// Permissions bind root too: the effective user becomes nobody while it lives.
class Unprivileged
{
public:
    Unprivileged()
    {
        if (geteuid() == 0)
            dropped_ = seteuid(65534) == 0;
    }
    ~Unprivileged()
    {
        if (dropped_ && seteuid(0) != 0)
            qFatal("cannot restore the effective user");
    }

private:
    bool dropped_ = false;
};

bool canCreateIn(const QString &folder)
{
    Unprivileged guard;
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

// Writes beyond this many bytes fail while it lives (root is bound by it too).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old_;
        r.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

// A record that cannot be written.
class TFailingRecord : public TDataRW
{
public:
    QString ClassName() const override { return QStringLiteral("TFailingRecord"); }
    bool ReadData(TReader &) override { return false; }
    bool WriteData(TWriter &Writer) override
    {
        Writer.WriteInteger(1);
        return false;
    }
};

QByteArray replaced(QByteArray data, const QByteArray &from, const QByteArray &to)
{
    const qsizetype at = data.indexOf(from);
    Q_ASSERT(at >= 0);
    return data.replace(at, from.size(), to);
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fixture::LoadLanguage(); }

    void recordClassesRegistered()
    {
        const QStringList expected{"TVerzia",
                                   "TCard",
                                   "TParent_Data",
                                   "TOrvaCard",
                                   "TJednoucastnicke",
                                   "TVolbaAUT",
                                   "TAUT",
                                   "TISDN",
                                   "TZnacky",
                                   "TMB",
                                   "TORST",
                                   "TRDZ2",
                                   "TSK5",
                                   "TUB5",
                                   "TZL3",
                                   "TRFT",
                                   "TPPT",
                                   "TViacucastnicke",
                                   "TRDZ",
                                   "TSLDS",
                                   "TRozhlasy",
                                   "TORU",
                                   "TDORU",
                                   "TDRAH",
                                   "TNoOrvaCard",
                                   "TVolnaVolba",
                                   "TVolnaAUT",
                                   "TVolnaMB",
                                   "TPevnaVolba",
                                   "TPevnaAUT",
                                   "TPevnaMB",
                                   "TKamera",
                                   "TKonferencia"};
        QCOMPARE(RecordClassNames(), expected);
        for (const QString &name : expected) {
            std::unique_ptr<TPersistent> object = Registry::Create(name);
            QVERIFY2(object, qPrintable(name));
            QCOMPARE(object->ClassName(), name);
            QVERIFY(dynamic_cast<TDataRW *>(object.get()));
        }
        // Counted: a further initialisation and finalisation leave the classes registered.
        ListOrvaInitialization();
        ListOrvaFinalization();
        for (const QString &name : expected)
            QVERIFY2(Registry::IsRegistered(name), qPrintable(name));
        QVERIFY(!Registry::IsRegistered(QStringLiteral("TVolbaPV")));
        QVERIFY(!Registry::IsRegistered(QStringLiteral("TDataRW")));
    }

    void recordResets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("orva");
        QTest::addColumn<QList<int>>("orvaValues"); // NumberCard, Numlin, LinkaNaKarte, Zvonenie, Nahravanie
        const QList<int> none{255, 255, 255, 255, 255};
        const QList<int> single{2, 3, 4, 5, 255};
        QTest::newRow("TParent_Data") << "TParent_Data" << false << QList<int>{};
        QTest::newRow("TOrvaCard") << "TOrvaCard" << true << none;
        QTest::newRow("TJednoucastnicke") << "TJednoucastnicke" << true << single;
        QTest::newRow("TAUT") << "TAUT" << true << single;
        QTest::newRow("TISDN") << "TISDN" << true << single;
        QTest::newRow("TMB") << "TMB" << true << single;
        QTest::newRow("TPPT") << "TPPT" << true << single;
        QTest::newRow("TRDZ") << "TRDZ" << true << none;
        QTest::newRow("TDRAH") << "TDRAH" << true << none;
        QTest::newRow("TKamera") << "TKamera" << false << QList<int>{};
        QTest::newRow("TPevnaMB") << "TPevnaMB" << false << QList<int>{};
    }
    void recordResets()
    {
        QFETCH(QString, name);
        QFETCH(bool, orva);
        QFETCH(QList<int>, orvaValues);
        std::unique_ptr<TPersistent> object = Registry::Create(name);
        auto *p = dynamic_cast<TParent_Data *>(object.get());
        QVERIFY(p);
        auto check = [&] {
            QCOMPARE(p->CisloPultu, 255);
            QCOMPARE(p->CisloTlacidla, 255);
            QCOMPARE(p->ColorText, 0);
            QCOMPARE(p->ColotTlacidlo, 0);
            QVERIFY(p->Popis.isEmpty() && p->PomPopis.isEmpty());
            QVERIFY(p->Pole1 && p->Pole2);
            auto *o = dynamic_cast<TOrvaCard *>(p);
            QCOMPARE(o != nullptr, orva);
            if (o)
                QCOMPARE((QList<int>{o->NumberCard, o->Numlin, o->LinkaNaKarte, o->Zvonenie, o->Nahravanie}),
                         orvaValues);
        };
        check();
        QCOMPARE(p->Pole1->Count(), 0);
        p->SetData(1, 2, 3, QStringLiteral("a"), QStringLiteral("b"), "\x05", "\x06\x07", 4);
        if (auto *o = dynamic_cast<TOrvaCard *>(p))
            o->NumberCard = o->Numlin = o->LinkaNaKarte = o->Zvonenie = o->Nahravanie = 9;
        p->Reset();
        check();
        // The byte lists keep their items.
        QCOMPARE(p->Pole1->Bytes(), QByteArray("\x05"));
        QCOMPARE(p->Pole2->Bytes(), QByteArray("\x06\x07"));
    }

    void boardPositionWord_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("etaz");
        QTest::addColumn<QString>("prepojka");
        QTest::newRow("0") << 0 << 0xFF00 << 0xFF << "L0";
        QTest::newRow("3") << 3 << 0xFF30 << 0xFF << "L3";
        QTest::newRow("7") << 7 << 0xFF70 << 0xFF << "L7";
        QTest::newRow("8") << 8 << 0xFF80 << 0xFF << "H0";
        QTest::newRow("15") << 15 << 0xFFF0 << 0xFF << "H7";
        QTest::newRow("16") << 16 << 0x0100 << 0x01 << "L0";
        QTest::newRow("24") << 24 << 0x0180 << 0x01 << "H0";
        QTest::newRow("28") << 28 << 0x01C0 << 0x01 << "H4";
        QTest::newRow("31") << 31 << 0x01F0 << 0x01 << "H7";
    }
    void boardPositionWord()
    {
        QFETCH(int, slot);
        QFETCH(int, word);
        QFETCH(int, etaz);
        QFETCH(QString, prepojka);
        const auto w = BoardPositionWord(slot);
        QVERIFY(w);
        QCOMPARE(int(*w), word);
        TCard card;
        card.SetData(*w, 7);
        QCOMPARE(int(card.Etaz()), etaz);
        QCOMPARE(card.Prepojka(), prepojka);
        QCOMPARE(int(card.KodDosky()), 7);
    }

    // No slot's word wraps onto another's, and nothing outside 0..31 has one.
    void boardPositionWordsDistinct()
    {
        QSet<int> seen;
        for (int s = 0; s < BoardCount; ++s)
            seen.insert(*BoardPositionWord(s));
        QCOMPARE(seen.size(), BoardCount);
        QVERIFY(!BoardPositionWord(-1));
        QVERIFY(!BoardPositionWord(32));
        QVERIFY(!BoardPositionWord(255));
    }

    void recordClassName_data()
    {
        QTest::addColumn<QString>("cardType");
        QTest::addColumn<QString>("recordClass");
        QTest::newRow("AUT3") << "AUT3"
                              << "TAUT";
        QTest::newRow("MB5") << "MB5"
                             << "TMB";
        QTest::newRow("UB5") << "UB5"
                             << "TUB5";
        QTest::newRow("RDZ2") << "RDZ2"
                              << "TRDZ2";
        QTest::newRow("SLDS4") << "SLDS4"
                               << "TSLDS";
        QTest::newRow("Kamera") << "Kamera"
                                << "TKamera";
        QTest::newRow("Parent_Data") << "Parent_Data"
                                     << "TParent_Data";
        QTest::newRow("UL10") << "UL10"
                              << "";
        QTest::newRow("4W5") << "4W5"
                             << "";
        QTest::newRow("VolbaPV") << "VolbaPV"
                                 << "";
        QTest::newRow("version record") << "Verzia"
                                        << "";
        QTest::newRow("board record") << "Card"
                                      << "";
        QTest::newRow("board-type list") << "ZOZ"
                                         << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void recordClassName()
    {
        QFETCH(QString, cardType);
        QFETCH(QString, recordClass);
        QCOMPARE(ExportRecordClassName(cardType), recordClass);
    }

    void cardTypeName_data()
    {
        QTest::addColumn<QString>("meno");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("name");
        QTest::newRow("TUL10Card") << "TUL10Card" << true << "UL10";
        QTest::newRow("TMB5") << "TMB5" << true << "MB5";
        QTest::newRow("TAUT3") << "TAUT3" << true << "AUT3";
        QTest::newRow("invalid slot") << "TAUT3" << false << "";
        QTest::newRow("no card") << "" << true << "";
    }
    void cardTypeName()
    {
        QFETCH(QString, meno);
        QFETCH(bool, valid);
        QFETCH(QString, name);
        TAPult cfg;
        cfg.SlotyDosiek[6].Meno = meno;
        QCOMPARE(ExportCardTypeName(cfg, 6, [&](int s) { return valid && s == 6; }), name);
        QCOMPARE(ExportCardTypeName(cfg, 255, [](int) { return true; }), QString());
        QCOMPARE(ExportCardTypeName(cfg, -1, [](int) { return true; }), QString());
    }

    // Without consoles: the version record and one board record per valid slot.
    void withoutConsoles()
    {
        TAPult cfg;
        cfg.SlotyDosiek[0] = {QStringLiteral("TUL10"), 71};
        cfg.SlotyDosiek[3] = {QStringLiteral("TAUT3"), 16};
        cfg.SlotyDosiek[13] = {QStringLiteral("TMB5"), 5}; // not valid: left out
        cfg.SlotyDosiek[7].Kod = 99;                       // no card name: code 255
        const auto valid = [](int s) { return s >= 0 && s < 13; };
        auto list = BuildExportList(cfg, valid, QTime(8, 0));
        QCOMPARE(list->Count(), 1 + 13);
        QCOMPARE(dumpRecord(*list->Items(0)), QStringLiteral("TVerzia|V1.0|%1|1").arg(8 / 24.0, 0, 'g', 17));
        for (int s = 0; s < 13; ++s) {
            const int code = s == 0 ? 71 : s == 3 ? 16 : 255;
            QCOMPARE(dumpRecord(*list->Items(1 + s)),
                     QStringLiteral("TCard|%1|%2").arg(0xFF00 + 16 * s, 0, 16).arg(code));
        }
    }

    // Which key becomes which record.
    void keySelection_data()
    {
        QTest::addColumn<QString>("meno");
        QTest::addColumn<bool>("slotValid");
        QTest::addColumn<int>("typPultu");
        QTest::addColumn<int>("obsluha");
        QTest::addColumn<QString>("recordClass");
        QTest::addColumn<bool>("orva");
        QTest::newRow("AUT3") << "TAUT3" << true << 1 << 22 << "TAUT" << true;
        QTest::newRow("MB5") << "TMB5" << true << 2 << 2 << "TMB" << true;
        QTest::newRow("UB5") << "TUB5" << true << 1 << 26 << "TUB5" << true;
        QTest::newRow("RDZ") << "TRDZ" << true << 1 << 22 << "TRDZ" << true;
        QTest::newRow("Kamera") << "TKamera" << true << 1 << 22 << "TKamera" << false;
        QTest::newRow("Konferencia") << "TKonferencia" << true << 1 << 27 << "TKonferencia" << false;
        QTest::newRow("VolnaAUT2") << "TVolnaAUT2" << true << 1 << 3 << "TVolnaAUT" << false;
        QTest::newRow("UL10 card") << "TUL10Card" << true << 1 << 22 << "" << false;
        QTest::newRow("UL10") << "TUL10" << true << 1 << 22 << "" << false;
        QTest::newRow("version name") << "TVerzia" << true << 1 << 22 << "" << false;
        QTest::newRow("board-type list") << "TZOZ" << true << 1 << 22 << "" << false;
        QTest::newRow("no card") << "" << true << 1 << 22 << "" << false;
        QTest::newRow("slot not valid") << "TAUT3" << false << 1 << 22 << "" << false;
        QTest::newRow("console not connected") << "TAUT3" << true << 0 << 22 << "" << false;
        QTest::newRow("key handling 1") << "TAUT3" << true << 1 << 1 << "" << false;
    }
    void keySelection()
    {
        QFETCH(QString, meno);
        QFETCH(bool, slotValid);
        QFETCH(int, typPultu);
        QFETCH(int, obsluha);
        QFETCH(QString, recordClass);
        QFETCH(bool, orva);
        TAPult cfg;
        cfg.PocetPultov = 2;
        cfg.SlotyDosiek[7] = {meno, 33};
        for (int c = 0; c < 2; ++c) {
            cfg.Pulty[c] = std::make_unique<TPult>();
            cfg.Pulty[c]->TypPultu = Byte(c == 1 ? typPultu : 0);
            auto key = fixture::BoundKey(QStringLiteral("K"), 7, 5, 255, 33, 44);
            key->ObsluhaKlavesy = Byte(obsluha);
            cfg.Pulty[c]->Klavesy[42] = std::move(key);
        }
        const auto valid = [&](int s) { return s == 7 ? slotValid : s == 0; };
        auto list = BuildExportList(cfg, valid, QTime(0, 0));
        const int boards = slotValid ? 2 : 1;
        QCOMPARE(list->Count(), 1 + boards + (recordClass.isEmpty() ? 0 : 1));
        if (recordClass.isEmpty())
            return;
        auto *record = dynamic_cast<TParent_Data *>(list->Items(list->Count() - 1));
        QVERIFY(record);
        QCOMPARE(record->ClassName(), recordClass);
        QCOMPARE(record->CisloPultu, 1);
        QCOMPARE(record->CisloTlacidla, 42);
        auto *o = dynamic_cast<TOrvaCard *>(record);
        QCOMPARE(o != nullptr, orva);
        if (o)
            QCOMPARE((QList<int>{o->NumberCard, o->Numlin, o->LinkaNaKarte, o->Zvonenie, o->Nahravanie}),
                     (QList<int>{7, 44, 5, 1, 1}));
    }

    void keyRecordFields()
    {
        auto cfg = goldenFixture();
        auto list = BuildExportList(*cfg, goldenSlotValid, QTime(1, 2, 3));
        const QStringList dump = dumpList(*list);
        QCOMPARE(dump.size(), 1 + 8 + 5);
        QCOMPARE(dump.last(),
                 QStringLiteral("TAUT|1|200|10|2|Ťahač|Hint Ťahač|010203c8|c809080706|3|130|4|1|1"));
        QCOMPARE(dump.at(11), QStringLiteral("TKamera|0|13|10|2|Kamera 1|Hint Kamera 1|0102030d|0d09080706"));
        QCOMPARE(
            dump.at(12),
            QStringLiteral("TISDN|0|14|10|2|Rozšírenie|Hint Rozšírenie|0102030e|0e09080706|16|10|3|1|1"));
    }

    void goldenBytesOfFixture()
    {
        fixture::RecordingReporter reporter;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("export.cfn"));
        auto cfg = goldenFixture();
        const TExportResult r = ExportConfiguration(*cfg, file, goldenSlotValid, fixedClock);
        QVERIFY2(r.Ok, qPrintable(r.ErrorText));
        QVERIFY(r.ErrorText.isEmpty());
        const QByteArray written = readFile(file);
        // The start spelt out byte by byte: signature, list, the version record
        // with 13:45:30.250 as a date, the first board record.
        const QByteArray start = hex("54 50 46 30 01"
                                     "06 07 54 56 65 72 7A 69 61 06 04 56 31 2E 30"
                                     "11 B6 55 4A 94 33 58 E2 3F"
                                     "06 05 54 43 61 72 64 04 00 FF 00 00 02 47");
        QCOMPARE(written.left(start.size()).toHex(' '), start.toHex(' '));
        const QByteArray golden = goldenBytes();
        if (written != golden) {
            qsizetype at = 0;
            while (at < written.size() && at < golden.size() && written[at] == golden[at])
                ++at;
            QFAIL(qPrintable(QStringLiteral("first difference at byte %1 of %2/%3: %4 / %5")
                                 .arg(at)
                                 .arg(written.size())
                                 .arg(golden.size())
                                 .arg(QString::fromLatin1(written.mid(at, 12).toHex(' ')),
                                      QString::fromLatin1(golden.mid(at, 12).toHex(' ')))));
        }
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("export.cfn")});
        QVERIFY(reporter.reports.isEmpty());
    }

    // Read back, the file gives the fixture's records; written again, the same bytes.
    void roundTrip()
    {
        fixture::RecordingReporter reporter;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("golden.cfn"));
        writeFile(file, goldenBytes());
        TListOrva read;
        QString error;
        QVERIFY2(read.LoadFromFile(file, &error), qPrintable(error));
        auto cfg = goldenFixture();
        auto built = BuildExportList(*cfg, goldenSlotValid, fixedNow.time());
        QCOMPARE(dumpList(read), dumpList(*built));
        QVERIFY(static_cast<TVerzia *>(read.Items(0))->VerziaFlag);

        TWriter again;
        QVERIFY(read.WriteData(again));
        QCOMPARE(again.Data(), goldenBytes());
        QVERIFY(reporter.reports.isEmpty());
    }

    void emptyAndFailingLists()
    {
        QTemporaryDir dir;
        TListOrva empty;
        TWriter w;
        QVERIFY(!empty.WriteData(w));
        QCOMPARE(w.Data(), QByteArray("TPF0\x01\x00", 6));
        const QString file = dir.filePath(QStringLiteral("empty.cfn"));
        QString error;
        QVERIFY(!empty.SaveToFile(file, &error));
        QVERIFY2(error.contains(file) && error.contains(QStringLiteral("empty")), qPrintable(error));
        QVERIFY(!QFile::exists(file));

        // The first record that fails stops the writing without the list end.
        TListOrva failing;
        auto card = std::make_unique<TCard>();
        card->SetData(0xFF00, 5);
        failing.Add(std::move(card));
        failing.Add(std::make_unique<TFailingRecord>());
        failing.Add(std::make_unique<TVerzia>(QTime(1, 0)));
        TWriter w2;
        QVERIFY(!failing.WriteData(w2));
        QCOMPARE(w2.Data(), QByteArray("TPF0\x01") + hex("06 05") + "TCard" + hex("04 00 FF 00 00 02 05") +
                                hex("06 0E") + "TFailingRecord" + hex("02 01"));
        const QString old = dir.filePath(QStringLiteral("old.cfn"));
        writeFile(old, "old contents");
        QVERIFY(!failing.SaveToFile(old, &error));
        QCOMPARE(readFile(old), QByteArray("old contents"));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("old.cfn")});
    }

    // A target that cannot be written: failure with the file and the reason, no
    // new or partial file, an old file unchanged, nothing left beside it.
    void failingTarget_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("read-only folder, old file") << "read-only old";
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("write fails midway, old file") << "midway";
    }
    void failingTarget()
    {
        QFETCH(QString, kind);
        fixture::RecordingReporter reporter;
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(),
                              QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
        const QString folder = dir.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkdir(folder));
        QString file = folder + QStringLiteral("/export.cfn");
        const QByteArray oldContents("old export");
        QStringList before;
        if (kind.endsWith(QLatin1String("old")) || kind == QLatin1String("midway")) {
            writeFile(file, oldContents);
            before << QStringLiteral("export.cfn");
        }
        if (kind == QLatin1String("missing"))
            file = folder + QStringLiteral("/missing/export.cfn");
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(file));
            before << QStringLiteral("export.cfn");
        }
        if (kind.startsWith(QLatin1String("read-only"))) {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
            if (canCreateIn(folder))
                QSKIP("folder permissions do not bind this user");
        }

        auto cfg = goldenFixture();
        TExportResult r;
        if (kind.startsWith(QLatin1String("read-only"))) {
            Unprivileged guard;
            r = ExportConfiguration(*cfg, file, goldenSlotValid, fixedClock);
        } else if (kind == QLatin1String("midway")) {
            FileSizeLimit limit(100);
            QVERIFY(limit.ok());
            r = ExportConfiguration(*cfg, file, goldenSlotValid, fixedClock);
        } else {
            r = ExportConfiguration(*cfg, file, goldenSlotValid, fixedClock);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!r.Ok);
        QVERIFY2(r.ErrorText.startsWith(file + QStringLiteral(": ")), qPrintable(r.ErrorText));
        QVERIFY2(r.ErrorText.size() > file.size() + 2, qPrintable(r.ErrorText));
        QVERIFY2(!r.ErrorText.contains(QStringLiteral("Unknown error")), qPrintable(r.ErrorText));
        QCOMPARE(entries(folder), before);
        if (kind.endsWith(QLatin1String("old")) || kind == QLatin1String("midway"))
            QCOMPARE(readFile(file), oldContents);
        QVERIFY(reporter.reports.isEmpty());
    }

    // The command asks with text 229 and tries again on Yes.
    void retryQuestion()
    {
        QVERIFY(!LoadStrDll(ExportRetryText).isEmpty());
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("later"));
        const QString file = folder + QStringLiteral("/export.cfn");
        auto cfg = goldenFixture();
        const QString question = LoadStrDll(ExportRetryText).replace(QStringLiteral("%s"), file);

        QStringList asked;
        TExportResult r = RunExportCommand(
            *cfg, file, goldenSlotValid,
            [&](const QString &q) {
                asked << q;
                return false;
            },
            fixedClock);
        QVERIFY(!r.Ok);
        QVERIFY(r.ErrorText.startsWith(file));
        QCOMPARE(asked, QStringList{question});
        QVERIFY(!QFile::exists(file));

        asked.clear();
        r = RunExportCommand(
            *cfg, file, goldenSlotValid,
            [&](const QString &q) {
                asked << q;
                return asked.size() < 2 || QDir().mkdir(folder);
            },
            fixedClock);
        QVERIFY2(r.Ok, qPrintable(r.ErrorText));
        QVERIFY(r.ErrorText.isEmpty());
        QCOMPARE(asked, (QStringList{question, question}));
        QCOMPARE(readFile(file), goldenBytes());
    }

    void proposedFileName_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("orv") << "/data/Zilina.orv"
                             << "/data/Zilina.cfn";
        QTest::newRow("two dots") << "/data/a.b.orv"
                                  << "/data/a.b.cfn";
        QTest::newRow("no extension") << "/data/Zilina"
                                      << "/data/Zilina.cfn";
        QTest::newRow("dot in folder") << "/da.ta/Zilina"
                                       << "/da.ta/Zilina.cfn";
        QTest::newRow("empty") << ""
                               << "";
    }
    void proposedFileName()
    {
        QFETCH(QString, project);
        QFETCH(QString, proposed);
        QCOMPARE(ExportProposedFileName(project), proposed);
    }

    // Damaged files: each fails with its reason, and the list keeps what it held.
    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("reason");
        const QByteArray g = goldenBytes();
        const QByteArray head = QByteArray("TPF0\x01");
        QTest::newRow("empty file") << QByteArray() << "signature: the data ends after 0 of 4";
        QTest::newRow("wrong signature") << QByteArray("TPF1") + g.mid(4) << "signature is not";
        QTest::newRow("no list") << QByteArray("TPF0") + g.mid(5) << "expected a list begin";
        QTest::newRow("unknown class")
            << head + hex("06 04") + "TFOO" + hex("00") << "unknown record class \"TFOO\"";
        QTest::newRow("unregistered TVolbaPV") << head + hex("06 08") + "TVolbaPV"
                                               << "unknown record class";
        QTest::newRow("not a record class")
            << head + hex("06 04") + "TZOZ" + hex("00") << "\"TZOZ\" is not a record";
        QTest::newRow("class name not a string") << head + hex("02 05 00") << "class name: expected a string";
        QTest::newRow("board word too large")
            << head + hex("06 05") + "TCard" + hex("04 00 00 01 00 02 01 00")
            << "record TCard from byte 5: TCard position word: the value 65536";
        QTest::newRow("board code too large")
            << head + hex("06 05") + "TCard" + hex("04 00 FF 00 00 03 00 01 00")
            << "KodDosky: the value 256 is outside 0..255";
        QTest::newRow("Popis oversized")
            << head + hex("06 04") + "TAUT" + hex("02 00 02 01 02 0A 02 02 0C FF FF FF 7F 41 42")
            << "Popis: string length 2147483647 runs past the end of the data (2 bytes left)";
        QTest::newRow("byte list oversized")
            << head + hex("06 04") + "TAUT" +
                   hex("02 00 02 01 02 0A 02 02 06 00 06 00 04 FF FF FF 7F 06 01 01")
            << "byte list count 2147483647 runs past";
        QTest::newRow("byte list negative")
            << head + hex("06 04") + "TAUT" + hex("02 00 02 01 02 0A 02 02 06 00 06 00 02 FF")
            << "-1 is outside";
        QTest::newRow("byte list item too long")
            << head + hex("06 04") + "TAUT" + hex("02 00 02 01 02 0A 02 02 06 00 06 00 02 01 06 02 41 42")
            << "byte list item: expected one character, found a string of 2";
        QTest::newRow("missing list end") << g.left(g.size() - 1) << "list end: the data ends";
        QTest::newRow("bytes after the list end") << g + hex("00") << "1 bytes follow the list end";
        QTest::newRow("record cut short") << g.left(g.size() - 3) << "Nahravanie: the data ends after 0 of 1";
    }
    void damagedFile()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, reason);
        fixture::RecordingReporter reporter;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("damaged.cfn"));
        writeFile(file, data);
        TListOrva list;
        list.Add(std::make_unique<TVerzia>(QTime(1, 0)));
        QString error;
        QVERIFY(!list.LoadFromFile(file, &error));
        QVERIFY2(error.startsWith(file + QStringLiteral(": byte ")), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Items(0)->ClassName(), QStringLiteral("TVerzia"));
        QVERIFY(reporter.reports.isEmpty());
    }

    // Another version fails the reading with the system's own message, reported.
    void wrongVersion()
    {
        fixture::RecordingReporter reporter;
        const QByteArray data = replaced(goldenBytes(), "V1.0", "V2.0");
        TReader r(data, QStringLiteral("v2.cfn"));
        TListOrva list;
        QVERIFY(!list.ReadData(r));
        const QString message = QStringLiteral(
            "Nesprána verzia konfiguračného súboru.Očakavaná verzia V1.0 prečítaná verzia V2.0.");
        QVERIFY2(r.ErrorText().contains(message), qPrintable(r.ErrorText()));
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports[0].first, TReportKind::Error);
        QCOMPARE(reporter.reports[0].second, message);
        QCOMPARE(list.Count(), 0);
    }

    // Every prefix of a good file is damaged and reads as such.
    void everyTruncation()
    {
        fixture::RecordingReporter reporter;
        const QByteArray g = goldenBytes();
        for (qsizetype n = 0; n < g.size(); ++n) {
            TReader r(g.left(n), QStringLiteral("cut.cfn"));
            TListOrva list;
            QVERIFY2(!list.ReadData(r), qPrintable(QStringLiteral("prefix %1 read").arg(n)));
            QVERIFY(r.ErrorText().startsWith(QStringLiteral("cut.cfn: byte ")));
        }
        QVERIFY(reporter.reports.isEmpty());
    }

    // Random damage to a good file reads or fails cleanly (the sanitizers watch).
    void randomDamage()
    {
        fixture::RecordingReporter reporter;
        const QByteArray g = goldenBytes();
        QRandomGenerator random(20240517);
        int failed = 0;
        for (int i = 0; i < 3000; ++i) {
            QByteArray d = g;
            const int changes = 1 + int(random.bounded(4));
            for (int c = 0; c < changes; ++c) {
                const qsizetype at = qsizetype(random.bounded(quint32(d.size())));
                switch (random.bounded(3)) {
                case 0:
                    d[at] = char(random.bounded(256));
                    break;
                case 1:
                    d.remove(at, 1 + qsizetype(random.bounded(8)));
                    break;
                default:
                    d.insert(at, char(random.bounded(256)));
                }
            }
            TReader r(d);
            TListOrva list;
            if (!list.ReadData(r)) {
                ++failed;
                QVERIFY(!r.ErrorText().isEmpty());
            }
        }
        QVERIFY(failed > 0);
    }

    void tooLargeFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("large.cfn"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(TListOrva::MaxFileSize + 1)); // sparse
        }
        TListOrva list;
        QString error;
        QVERIFY(!list.LoadFromFile(file, &error));
        QVERIFY2(error.contains(QStringLiteral("too large")), qPrintable(error));
        QVERIFY(!list.LoadFromFile(dir.filePath(QStringLiteral("none.cfn")), &error));
        QVERIFY2(error.startsWith(dir.filePath(QStringLiteral("none.cfn")) + QStringLiteral(": ")),
                 qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
