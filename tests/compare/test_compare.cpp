#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "cardpack/sablona.h"
#include "editing/keybinding.h"
#include "model/compare.h"
#include "model/storedcopy.h"
#include "tests/fixture/fixture.h"

using fixture::DumpFields;
using fixture::DumpKey;

// Line lists, so a failure names the first field that differs.
#define COMPARE_DUMPS(a, b) QCOMPARE(QString(a).split(u'\n'), QString(b).split(u'\n'))

namespace
{

constexpr int MechKeys = 112; // keys on a screen of a mechanical console (type 2)
constexpr int PcKeys = 80;    // keys on a screen of a PC console (type 1)

const QString Ellipsis = QStringLiteral("\u2026");

// The two-sided binding of keys and lines, as the binding editor checks it.
QStringList bindingFaults(const TAPult &a) { return BindingFaults(a); }

QString title(int text)
{
    return QStringLiteral("--== ") + LoadStrDll(text) + QStringLiteral(" ==--");
}

// An expected entry ending in an ellipsis only fixes the entry's beginning.
void checkReport(const QStringList &actual, const QStringList &expected)
{
    for (int i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (expected[i].endsWith(Ellipsis)) {
            const QString head = expected[i].chopped(1);
            if (!actual[i].startsWith(head))
                QCOMPARE(actual[i].left(head.size()), head);
        } else {
            QCOMPARE(actual[i], expected[i]);
        }
    }
    QCOMPARE(actual.size(), expected.size());
}

// The fixture with every key place filled, so that a merge writing all keys
// back changes nothing by creating keys.
std::unique_ptr<TAPult> fullFixture()
{
    auto a = fixture::BuildFixture();
    for (auto &p : a->Pulty)
        for (auto &k : p->Klavesy)
            if (!k)
                k = std::make_unique<TKlavesa>();
    return a;
}

TLinka &lineOf(TAPult &a, int c, int s, int j)
{
    return *a.Pulty[c]->Dosky[s]->Linky[j];
}

// --- scenarios: changes to the current configuration (orig) or its stored copy (save) ---

void identical(TAPult &, TAPult &) {}

TKlavesa speedDialKey()
{
    TKlavesa k;
    k.MenoKlavesy = QStringLiteral("Hasiči 2");
    k.MenoLinky = QStringLiteral("Skratena volba");
    k.ObsluhaKlavesy = 12;
    k.CisloUcastnika = 7;
    k.Led = 9;
    const QByteArray codes = DialDigitsToCode(QStringLiteral("150"));
    for (int i = 0; i < codes.size(); ++i)
        k.SkratenaVolba[i] = Byte(codes[i]);
    k.TextColor = 0x00FF00;
    return k;
}

void keyTakeOver(TAPult &, TAPult &save)
{
    *save.Pulty[1]->Klavesy[150] = speedDialKey();
}

void keyConflict(TAPult &, TAPult &save)
{
    save.Pulty[0]->Klavesy[5]->CisloUcastnika = 4;
}

void countMismatch(TAPult &, TAPult &save)
{
    save.Pulty[1].reset();
    save.PocetPultov = 1;
}

void numlinMismatch(TAPult &, TAPult &save)
{
    save.TypNumlinov = 2;
}

void freeSlot(TAPult &, TAPult &save)
{
    save.SlotyDosiek[5] = {QStringLiteral("TUL10"), 70};
    auto d = std::make_unique<TDoska>();
    d->MenoDosky = QStringLiteral("UL10");
    d->CisloDosky = 70;
    d->PocetLiniek = 2;
    for (int j = 0; j < 2; ++j) {
        d->Linky[j] = std::make_unique<TLinka>();
        d->Linky[j]->MenoLinky = j ? QStringLiteral("UB") : QStringLiteral("MB");
        d->Linky[j]->CisloLinky = Byte(j);
    }
    save.Pulty[0]->Dosky[5] = std::move(d);
}

std::unique_ptr<TKlavesa> htpKey()
{
    auto k = fixture::BoundKey(QStringLiteral("Tel 50"), 0, 4, 255, 71, 20);
    k->MenoLinky = QStringLiteral("E0-L4 - HTP");
    k->TypLinky = 28;
    return k;
}

void lineWithKey(TAPult &, TAPult &save)
{
    TLinka &l = lineOf(save, 0, 0, 4);
    l.MenoLinky = QStringLiteral("HTP");
    l.CisloLinky = 4;
    l.Klavesa = 50;
    save.Pulty[0]->Klavesy[50] = htpKey();
}

void boardConflict(TAPult &, TAPult &save)
{
    save.Pulty[1]->Dosky[2]->MenoDosky = QStringLiteral("UB5");
}

void slotConflict(TAPult &, TAPult &save)
{
    save.SlotyDosiek[3] = {QStringLiteral("TUB5"), 176};
}

// The stored copy has the MB and UB lines on each other's keys.
void swappedKeys(TAPult &, TAPult &save)
{
    lineOf(save, 0, 0, 0).Klavesa = 1;
    lineOf(save, 0, 0, 1).Klavesa = 0;
    std::swap(save.Pulty[0]->Klavesy[0], save.Pulty[0]->Klavesy[1]);
}

// The stored copy has extended line 10 of the MD line on key 60 instead of 3.
void movedExtLine(TAPult &, TAPult &save)
{
    lineOf(save, 0, 1, 0).RLinky[10]->Klavesa = 60;
    save.Pulty[0]->Klavesy[60] = std::make_unique<TKlavesa>(*save.Pulty[0]->Klavesy[3]);
    save.Pulty[0]->Klavesy[3]->Reset();
}

// Take-overs in console 0, then a board that differs in console 1.
void conflictAfterTakeOvers(TAPult &orig, TAPult &save)
{
    freeSlot(orig, save);
    lineWithKey(orig, save);
    boardConflict(orig, save);
}

using Setup = void (*)(TAPult &orig, TAPult &save);

QString speedDialEntry(const QString &p, const QString &s)
{
    return QStringLiteral("150: \r\n"
                          "MenoKlavesy=\"\" {P}\"Hasiči 2\"{S}\r\n"
                          "HintKlavesy=\"\" {P}\"\"{S}\r\n"
                          "MSNcislo=FFFFFFFFFFFFFFFFFFFFFFFF {P}FFFFFFFFFFFFFFFFFFFFFFFF{S}\r\n"
                          "MSNpriznak=000000 {P}000000{S}\r\n"
                          "Volba=\"160\" {P}\"160\"{S}\r\n"
                          "SkratenaVolba= {P}1{S}\r\n"
                          "bitovyByte=07H {P}07H{S}\r\n"
                          "TypLinky=FFH {P}FFH{S}\r\n"
                          "KodDosky=FFH {P}FFH{S}\r\n"
                          "HWPozicDosky=FFH {P}FFH{S}\r\n"
                          "PozicLinky=FFH {P}FFH{S}\r\n"
                          "PozicRLinky=FFH {P}FFH{S}\r\n"
                          "ObsluhaKlavesy=01H {P}0CH{S}\r\n"
                          "NumLin=FFH {P}FFH{S}\r\n"
                          "Led=FFH {P}09H{S}\r\n"
                          "CisloUcastnika=FFH {P}07H{S}\r\n"
                          "TextColor=00H {P}FF00H{S}\r\n")
        .replace(QLatin1String("{P}"), p)
        .replace(QLatin1String("{S}"), s);
}

QString htpKeyEntry(const QString &p, const QString &s)
{
    return QStringLiteral("050: \r\n"
                          "MenoKlavesy=\"\" {P}\"Tel 50\"{S}\r\n"
                          "HintKlavesy=\"\" {P}\"Hint Tel 50\"{S}\r\n"
                          "MSNcislo=FFFFFFFFFFFFFFFFFFFFFFFF {P}FFFFFFFFFFFFFFFFFFFFFFFF{S}\r\n"
                          "MSNpriznak=000000 {P}000000{S}\r\n"
                          "Volba=\"160\" {P}\"161\"{S}\r\n"
                          "SkratenaVolba= {P}{S}\r\n"
                          "bitovyByte=07H {P}05H{S}\r\n"
                          "TypLinky=FFH {P}1CH{S}\r\n"
                          "KodDosky=FFH {P}47H{S}\r\n"
                          "HWPozicDosky=FFH {P}00H{S}\r\n"
                          "PozicLinky=FFH {P}04H{S}\r\n"
                          "PozicRLinky=FFH {P}FFH{S}\r\n"
                          "ObsluhaKlavesy=01H {P}16H{S}\r\n"
                          "NumLin=FFH {P}14H{S}\r\n"
                          "Led=FFH {P}15H{S}\r\n"
                          "CisloUcastnika=FFH {P}FFH{S}\r\n"
                          "TextColor=00H {P}FFH{S}\r\n")
        .replace(QLatin1String("{P}"), p)
        .replace(QLatin1String("{S}"), s);
}

const QString keyConflictEntry =
    QStringLiteral("005: \r\n"
                   "MenoKlavesy=\"Hasiči\" [\"Hasiči\"]\r\n"
                   "HintKlavesy=\"\" [\"\"]\r\n"
                   "MSNcislo=FFFFFFFFFFFFFFFFFFFFFFFF [FFFFFFFFFFFFFFFFFFFFFFFF]\r\n"
                   "MSNpriznak=000000 [000000]\r\n"
                   "Volba=\"160\" [\"160\"]\r\n"
                   "SkratenaVolba=A [A]\r\n"
                   "bitovyByte=07H [07H]\r\n"
                   "TypLinky=FFH [FFH]\r\n"
                   "KodDosky=FFH [FFH]\r\n"
                   "HWPozicDosky=FFH [FFH]\r\n"
                   "PozicLinky=FFH [FFH]\r\n"
                   "PozicRLinky=FFH [FFH]\r\n"
                   "ObsluhaKlavesy=0CH [0CH]\r\n"
                   "NumLin=FFH [FFH]\r\n"
                   "Led=05H [05H]\r\n"
                   "CisloUcastnika=03H [04H]\r\n"
                   "TextColor=00H [00H]\r\n");

QByteArray savedBytes(const TAPult &a, const QString &fileName)
{
    a.SaveToFile(fileName);
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// A card holder standing in for the main window's card buttons.
struct Cards {
    std::array<std::unique_ptr<TCardOld>, BoardCount> cards;
    int validSlots = 13;

    TMergeCardHooks hooks()
    {
        TMergeCardHooks h;
        h.SlotValid = [this](int s) { return s < validSlots; };
        h.CardOfSlot = [this](int s) { return cards[s].get(); };
        h.TakeCard = [this](int s, std::unique_ptr<TCardOld> card) {
            cards[s] = std::move(card);
            return cards[s].get();
        };
        return h;
    }
};

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestCompare : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    int files = 0;
    QString nextFile() { return dir.filePath(QStringLiteral("p%1.orv").arg(files++)); }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        for (int n : {206, 208, 209, 210, 211, 212, 215, 73, 74})
            QVERIFY2(!LoadStrDll(n).isEmpty(), qPrintable(QString::number(n)));
        QVERIFY(dir.isValid());
        // Every scenario starts from a configuration whose bindings hold.
        QCOMPARE(bindingFaults(*fixture::BuildFixture()), QStringList());
    }

    void scenarios_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("equal");
        QTest::addColumn<QStringList>("compareReport");
        QTest::addColumn<bool>("merged");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QStringList>("mergeReport");

        const QString e;
        const QString lineTakeOver = QStringLiteral("MenoLinky=\"nekonf\" <- \"HTP\"\r\n"
                                                    "CisloLinky=FFH <- 04H\r\n"
                                                    "Klavesa=FFH <- 32H\r\n"
                                                    "pocetRLiniek=00H <- 00H\r\n");
        const QString counts = LoadStrDll(209) + QStringLiteral(" [Orig=2; Save=1]. ") + LoadStrDll(206);
        const QString numlin = QStringLiteral("Typ numlinov je rozny [Orig=1; Save=2]. ") + LoadStrDll(206);
        const QString board = QStringLiteral("MenoDosky=\"MB5\" [\"UB5\"]\r\n"
                                             "CisloDosky=00H [00H]\r\n"
                                             "pocetLiniek=00H [00H]\r\n");
        const QString slot =
            LoadStrDll(211) + QStringLiteral(" 3 [Orig=\"TAUT3\"(10)H, Save=\"TUB5\"(B0H)].");
        const QString boardTakeOver = QStringLiteral("MenoDosky=\"\" <- \"UL10\"\r\n"
                                                     "CisloDosky=FFH <- 46H\r\n"
                                                     "pocetLiniek=00H <- 02H\r\n");
        const QString mbBroken = QStringLiteral("MenoLinky=\"MB\" [\"MB\"]\r\n"
                                                "CisloLinky=00H [00H]\r\n"
                                                "Klavesa=00H [01H]\r\n"
                                                "pocetRLiniek=00H [00H]\r\n");
        const QString ubTakeOver = QStringLiteral("MenoLinky=\"UB\" <- \"UB\"\r\n"
                                                  "CisloLinky=01H <- 01H\r\n"
                                                  "Klavesa=01H <- 00H\r\n"
                                                  "pocetRLiniek=00H <- 00H\r\n");
        const QString extBroken = QStringLiteral("MenoRLinky=\"PR. 0A\" [\"PR. 0A\"]\r\n"
                                                 "CisloRLinky=0AH [0AH]\r\n"
                                                 "Klavesa=03H [3CH]\r\n");
        const QString key0 = QStringLiteral("000: \r\nMenoKlavesy=\"\" ");
        const QString key1 = QStringLiteral("001: \r\nMenoKlavesy=\"E0-H2 Výhybňa\" [\"Dispečer Ľubo\"]");
        const QString key1Reset = QStringLiteral("001: \r\nMenoKlavesy=\"\" ");
        const QString key60 = QStringLiteral("060: \r\nMenoKlavesy=\"\" ");
        const QString takeTitle = title(212);

        QTest::newRow("identical") << Setup(identical) << true
                                   << QStringList{e, title(209), e, e, takeTitle, e} << true << false
                                   << QStringList{e, takeTitle, e};
        QTest::newRow("key take-over")
            << Setup(keyTakeOver) << true
            << QStringList{e, title(209), e, e, takeTitle, e, speedDialEntry(QStringLiteral("<- "), e)}
            << true << true
            << QStringList{e, takeTitle, e, speedDialEntry(QStringLiteral("["), QStringLiteral("]"))};
        QTest::newRow("key conflict")
            << Setup(keyConflict) << false << QStringList{e, title(208), e, keyConflictEntry, e, takeTitle, e}
            << false << false << QStringList{e, title(208), e, keyConflictEntry, e, takeTitle, e};
        QTest::newRow("count mismatch")
            << Setup(countMismatch) << false << QStringList{e, title(208), e, counts, e, takeTitle, e}
            << false << false << QStringList{e, title(208), e, counts};
        QTest::newRow("line-number type")
            << Setup(numlinMismatch) << false << QStringList{e, title(208), e, numlin, e, takeTitle, e}
            << false << false << QStringList{e, title(208), e, numlin};
        QTest::newRow("free slot") << Setup(freeSlot) << true
                                   << QStringList{e, title(209), e, e, takeTitle, e, boardTakeOver} << true
                                   << true << QStringList{e, takeTitle, e};
        QTest::newRow("line with key")
            << Setup(lineWithKey) << true << QStringList{e,
                                                         title(209),
                                                         e,
                                                         e,
                                                         takeTitle,
                                                         e,
                                                         lineTakeOver,
                                                         htpKeyEntry(QStringLiteral("<- "), e)}
            << true << true
            << QStringList{e, takeTitle, e, htpKeyEntry(QStringLiteral("["), QStringLiteral("]"))};
        QTest::newRow("board conflict")
            << Setup(boardConflict) << false << QStringList{e, title(208), e, board, e, takeTitle, e} << false
            << false << QStringList{e, title(208), e, board};
        QTest::newRow("slot conflict")
            << Setup(slotConflict) << false << QStringList{e, title(208), e, slot, e, takeTitle, e} << false
            << false << QStringList{e, title(208), e, slot};
        // What a merge took over before its conflict is not kept.
        QTest::newRow("conflict after take-overs")
            << Setup(conflictAfterTakeOvers) << false << QStringList{e,
                                                                     title(208),
                                                                     e,
                                                                     board,
                                                                     e,
                                                                     takeTitle,
                                                                     e,
                                                                     lineTakeOver,
                                                                     boardTakeOver,
                                                                     htpKeyEntry(QStringLiteral("<- "), e)}
            << false << false << QStringList{e, title(208), e, board};
        // Taking the stored keys over would leave the MB line on a key that
        // names the UB line: refused in both modes.
        QTest::newRow("swapped keys")
            << Setup(swappedKeys) << false
            << QStringList{e,         title(208), e,          mbBroken,        key1 + Ellipsis,     e,
                           takeTitle, e,          ubTakeOver, key0 + Ellipsis, key1Reset + Ellipsis}
            << false << false << QStringList{e, title(208), e, mbBroken,        key1 + Ellipsis,
                                             e, takeTitle,  e, key0 + Ellipsis, key1Reset + Ellipsis};
        // An extended line keeps its key while the stored copy moves the key:
        // the line would point at a reset key.
        QTest::newRow("moved extended line")
            << Setup(movedExtLine) << false
            << QStringList{e, title(208), e, extBroken, key60 + Ellipsis, e, takeTitle, e, key60 + Ellipsis}
            << false << false
            << QStringList{e, title(208), e, extBroken, key60 + Ellipsis, e, takeTitle, e, key60 + Ellipsis};
    }

    void scenarios()
    {
        QFETCH(Setup, setup);
        QFETCH(bool, equal);
        QFETCH(QStringList, compareReport);
        QFETCH(bool, merged);
        QFETCH(bool, changed);
        QFETCH(QStringList, mergeReport);

        auto orig = fullFixture();
        std::unique_ptr<TAPult> stored;
        QVERIFY(StoreConfiguration(stored, orig.get(), orig->CestaProgramu));
        setup(*orig, *stored);
        QCOMPARE(bindingFaults(*stored), QStringList());

        const QString before = DumpFields(*orig);
        const QByteArray bytesBefore = savedBytes(*orig, nextFile());

        const TStoredCompare c = CompareWithStored(orig.get(), stored.get(), MechKeys, PcKeys);
        QCOMPARE(c.Status, TStoredCopyStatus::Done);
        QCOMPARE(c.Equal, equal);
        checkReport(c.Report, compareReport);
        QCOMPARE(c.Message, equal ? LoadStrDll(215) : QString());
        // Comparing leaves the configuration exactly as it was.
        QCOMPARE(savedBytes(*orig, nextFile()), bytesBefore);
        COMPARE_DUMPS(DumpFields(*orig), before);

        const TStoredMerge m = MergeStored(orig.get(), stored.get(), MechKeys, PcKeys);
        QCOMPARE(m.Status, TStoredCopyStatus::Done);
        QCOMPARE(m.Merged, merged);
        QCOMPARE(m.Changed, changed);
        checkReport(m.Report, mergeReport);
        QCOMPARE(bindingFaults(*orig), QStringList());
        if (!merged) {
            QCOMPARE(m.Message, QString());
            QCOMPARE(savedBytes(*orig, nextFile()), bytesBefore);
            COMPARE_DUMPS(DumpFields(*orig), before);
            return;
        }
        QCOMPARE(m.Message, LoadStrDll(210));
        QCOMPARE(savedBytes(*orig, nextFile()) != bytesBefore, changed);
        // Merged once, the stored copy has nothing more to give.
        QStringList again;
        QVERIFY(CompareWith(*orig, *stored, MechKeys, PcKeys, false, &again));
        QCOMPARE(again, (QStringList{QString(), title(212), QString()}));
    }

    // What each take-over put into the current configuration.
    void mergeTakesOver()
    {
        auto orig = fullFixture();
        std::unique_ptr<TAPult> stored;
        StoreConfiguration(stored, orig.get(), QString());
        keyTakeOver(*orig, *stored);
        freeSlot(*orig, *stored);
        lineWithKey(*orig, *stored);
        TKlavesa *key150 = orig->Pulty[1]->Klavesy[150].get();

        const TStoredMerge m = MergeStored(orig.get(), stored.get(), MechKeys, PcKeys);
        QVERIFY(m.Merged);
        // The objects the windows may hold stay; they take the new values.
        QCOMPARE(orig->Pulty[1]->Klavesy[150].get(), key150);
        QCOMPARE(DumpKey(*key150), DumpKey(speedDialKey()));
        QCOMPARE(orig->SlotyDosiek[5].Meno, QStringLiteral("TUL10"));
        QCOMPARE(orig->SlotyDosiek[5].Kod, Byte(70));
        const TDoska &d = *orig->Pulty[0]->Dosky[5];
        QCOMPARE(d.MenoDosky, QStringLiteral("UL10"));
        QCOMPARE(d.CisloDosky, Byte(70));
        QCOMPARE(d.PocetLiniek, Byte(2));
        // Lines without a key are placed, not taken over.
        QCOMPARE(d.Linky[0]->MenoLinky, NekonfName);
        QCOMPARE(d.Linky[1]->MenoLinky, NekonfName);
        const TLinka &htp = lineOf(*orig, 0, 0, 4);
        QCOMPARE(htp.MenoLinky, QStringLiteral("HTP"));
        QCOMPARE(htp.CisloLinky, Byte(4));
        QCOMPARE(htp.Klavesa, Byte(50));
        QCOMPARE(DumpKey(*orig->Pulty[0]->Klavesy[50]), DumpKey(*htpKey()));
        QCOMPARE(bindingFaults(*orig), QStringList());
    }

    // Keys are written back with every place filled; the console takes the
    // stored type and screen count where the stored one shows more keys.
    void mergeLayout_data()
    {
        QTest::addColumn<int>("origType");
        QTest::addColumn<int>("origScreens");
        QTest::addColumn<int>("saveType");
        QTest::addColumn<int>("saveScreens");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("screens");

        QTest::newRow("more screens") << 2 << 1 << 2 << 2 << 2 << 2;
        QTest::newRow("fewer screens kept") << 2 << 2 << 2 << 1 << 2 << 2;
        QTest::newRow("not connected takes the type") << 0 << 1 << 1 << 3 << 1 << 3;
        QTest::newRow("connected keeps its type") << 2 << 1 << 1 << 2 << 2 << 2;
        QTest::newRow("more screens, no more keys") << 2 << 2 << 2 << 3 << 2 << 2;
    }

    void mergeLayout()
    {
        QFETCH(int, origType);
        QFETCH(int, origScreens);
        QFETCH(int, saveType);
        QFETCH(int, saveScreens);
        QFETCH(int, type);
        QFETCH(int, screens);

        auto orig = fixture::BuildFixture();
        std::unique_ptr<TAPult> stored;
        StoreConfiguration(stored, orig.get(), QString());
        orig->Pulty[1]->TypPultu = Byte(origType);
        orig->Pulty[1]->PocetObrazoviek = Byte(origScreens);
        stored->Pulty[1]->TypPultu = Byte(saveType);
        stored->Pulty[1]->PocetObrazoviek = Byte(saveScreens);

        const TStoredMerge m = MergeStored(orig.get(), stored.get(), MechKeys, PcKeys);
        QVERIFY(m.Merged);
        QCOMPARE(int(orig->Pulty[1]->TypPultu), type);
        QCOMPARE(int(orig->Pulty[1]->PocetObrazoviek), screens);
        QCOMPARE(int(m.Layout[1].TypPultu), type);
        QCOMPARE(int(m.Layout[1].PocetObrazoviek), screens);
        QCOMPARE(int(m.Layout[0].TypPultu), 1);
        QCOMPARE(int(m.Layout[0].PocetObrazoviek), 3);
        for (int k = 0; k < KeyCount; ++k)
            QVERIFY(orig->Pulty[0]->Klavesy[k]);
        // The fixture's console 0 had empty key places: filling them is a change.
        QVERIFY(m.Changed);
    }

    // A current configuration lacking a console the stored copy has gets it
    // only by a merge.
    void missingConsole()
    {
        auto orig = fixture::BuildFixture();
        std::unique_ptr<TAPult> stored;
        StoreConfiguration(stored, orig.get(), QString());
        orig->Pulty[1].reset();
        const QByteArray bytes = orig->ProjectText();

        const TStoredCompare c = CompareWithStored(orig.get(), stored.get(), MechKeys, PcKeys);
        QVERIFY(c.Equal);
        QVERIFY(!orig->Pulty[1]);
        QCOMPARE(orig->ProjectText(), bytes);

        const TStoredMerge m = MergeStored(orig.get(), stored.get(), MechKeys, PcKeys);
        QVERIFY(m.Merged);
        QVERIFY(m.Changed);
        QVERIFY(orig->Pulty[1]);
        QCOMPARE(int(orig->Pulty[1]->TypPultu), 2);
        QCOMPARE(lineOf(*orig, 1, 1, 2).Klavesa, Byte(100));
        QCOMPARE(DumpKey(*orig->Pulty[1]->Klavesy[100]), DumpKey(*stored->Pulty[1]->Klavesy[100]));
        QCOMPARE(bindingFaults(*orig), QStringList());
    }

    void withoutStoredCopy()
    {
        auto orig = fixture::BuildFixture();
        const QString before = DumpFields(*orig);

        const TStoredCompare c = CompareWithStored(orig.get(), nullptr, MechKeys, PcKeys);
        QCOMPARE(c.Status, TStoredCopyStatus::NoStoredCopy);
        QVERIFY(!c.Equal);
        QVERIFY(c.Report.isEmpty());
        QVERIFY(c.Message.isEmpty());
        const TStoredMerge m = MergeStored(orig.get(), nullptr, MechKeys, PcKeys);
        QCOMPARE(m.Status, TStoredCopyStatus::NoStoredCopy);
        QVERIFY(!m.Merged);
        QVERIFY(!m.Changed);
        QVERIFY(m.Report.isEmpty());
        COMPARE_DUMPS(DumpFields(*orig), before);

        QCOMPARE(CompareWithStored(nullptr, orig.get(), MechKeys, PcKeys).Status,
                 TStoredCopyStatus::NoConfiguration);
        QCOMPARE(MergeStored(nullptr, orig.get(), MechKeys, PcKeys).Status,
                 TStoredCopyStatus::NoConfiguration);
        std::unique_ptr<TAPult> stored;
        QVERIFY(!StoreConfiguration(stored, nullptr, QStringLiteral("/opt/kelvara/kelvara")));
        QVERIFY(!stored);
    }

    void storeKeepsItsOwnCopy()
    {
        auto orig = fixture::BuildFixture();
        std::unique_ptr<TAPult> stored;
        QVERIFY(StoreConfiguration(stored, orig.get(), QStringLiteral("/opt/kelvara/kelvara")));
        QCOMPARE(stored->CestaProgramu, QStringLiteral("/opt/kelvara/kelvara"));
        const QString copy = DumpFields(*stored);

        // Later edits of the current configuration do not reach the copy.
        orig->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("changed");
        lineOf(*orig, 0, 0, 0).Klavesa = 7;
        orig->Pulty[1].reset();
        COMPARE_DUMPS(DumpFields(*stored), copy);

        // A second store replaces the copy and keeps the object.
        const TAPult *object = stored.get();
        QVERIFY(StoreConfiguration(stored, orig.get(), QStringLiteral("/other")));
        QCOMPARE(stored.get(), object);
        QCOMPARE(stored->CestaProgramu, QStringLiteral("/opt/kelvara/kelvara"));
        QVERIFY(!stored->Pulty[1]);
        QCOMPARE(stored->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("changed"));
        QCOMPARE(lineOf(*stored, 0, 0, 0).Klavesa, Byte(7));
    }

    void compareReportOfKeys_data()
    {
        QTest::addColumn<bool>("merge");
        QTest::addColumn<bool>("origConfigured");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("marker");

        QTest::newRow("compare onto a free key") << false << false << true << QStringLiteral("<- ");
        QTest::newRow("merge onto a free key") << true << false << true << QStringLiteral("[");
        QTest::newRow("compare onto a bound key") << false << true << false << QStringLiteral("[");
        QTest::newRow("merge onto a bound key") << true << true << false << QStringLiteral("[");
    }

    void compareReportOfKeys()
    {
        QFETCH(bool, merge);
        QFETCH(bool, origConfigured);
        QFETCH(bool, result);
        QFETCH(QString, marker);

        TKlavesa key;
        if (origConfigured)
            key = *fixture::BoundKey(QStringLiteral("Mine"), 3, 1, 255, 16, 9);
        const TKlavesa before = key;
        TKlavesa save = *fixture::BoundKey(QStringLiteral("Theirs"), 2, 0, 255, 0, 8);
        // Digits 9 and 7: the text stops at the first F, after the 9.
        save.SkratenaVolba[0] = 0x9F;
        save.SkratenaVolba[1] = 0x7F;
        save.TextColor = -16777201;
        save.MSNcislo[0] = 0x12;
        save.MSNpriznak = {1, 2, 3};

        QString text;
        QCOMPARE(CompareReport(key, 77, save, merge, text), result);
        const QString end = marker == QStringLiteral("[") ? QStringLiteral("]") : QString();
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 19); // the head, 17 lines, and nothing after the last line end
        QCOMPARE(lines[0], QStringLiteral("077: "));
        QCOMPARE(lines[1],
                 QStringLiteral("MenoKlavesy=\"%1\" %2\"Theirs\"%3").arg(before.MenoKlavesy, marker, end));
        QCOMPARE(lines[3], QStringLiteral("MSNcislo=FFFFFFFFFFFFFFFFFFFFFFFF ") + marker +
                               QStringLiteral("12FFFFFFFFFFFFFFFFFFFFFF") + end);
        QCOMPARE(lines[4], QStringLiteral("MSNpriznak=000000 ") + marker + QStringLiteral("010203") + end);
        QCOMPARE(lines[6], QStringLiteral("SkratenaVolba= ") + marker + QStringLiteral("9") + end);
        QCOMPARE(lines[10],
                 QStringLiteral("HWPozicDosky=%1H ").arg(QLatin1String(origConfigured ? "03" : "FF")) +
                     marker + QStringLiteral("02H") + end);
        QCOMPARE(lines[17], QStringLiteral("TextColor=%1H %2FF00000FH%3")
                                .arg(QLatin1String(origConfigured ? "FF" : "00"), marker, end));
        QVERIFY(lines[18].isEmpty());
        if (merge && result)
            QCOMPARE(DumpKey(key), DumpKey(save));
        else
            QCOMPARE(DumpKey(key), DumpKey(before));
    }

    void compareReportWithoutText_data()
    {
        QTest::addColumn<bool>("merge");
        QTest::newRow("compare") << false;
        QTest::newRow("merge") << true;
    }

    // An unconfigured stored key, or one bound as the current key, gives no text.
    void compareReportWithoutText()
    {
        QFETCH(bool, merge);
        TKlavesa key = *fixture::BoundKey(QStringLiteral("Mine"), 3, 1, 255, 16, 9);
        const TKlavesa before = key;
        QString text = QStringLiteral("kept");
        QVERIFY(CompareReport(key, 1, TKlavesa(), merge, text));
        QCOMPARE(text, QStringLiteral("kept"));
        QCOMPARE(DumpKey(key), DumpKey(before));

        TKlavesa renamed = key;
        renamed.MenoKlavesy = QStringLiteral("Renamed");
        renamed.Led = 99;
        QVERIFY(CompareReport(key, 1, renamed, merge, text));
        QCOMPARE(text, QStringLiteral("kept"));
        QCOMPARE(DumpKey(key), DumpKey(merge ? renamed : before));
    }

    void appendReportLine()
    {
        AppendReportLine(nullptr, QStringLiteral("nowhere"));
        QStringList list;
        AppendReportLine(&list, QStringLiteral("a"));
        AppendReportLine(&list, QString());
        QCOMPARE(list, (QStringList{QStringLiteral("a"), QString()}));
        // Without a list the comparison still answers.
        auto orig = fixture::BuildFixture();
        std::unique_ptr<TAPult> stored;
        StoreConfiguration(stored, orig.get(), QString());
        keyConflict(*orig, *stored);
        QVERIFY(!CompareWith(*orig, *stored, MechKeys, PcKeys, false, nullptr));
    }

    void cloneCopiesEverything()
    {
        auto orig = fixture::BuildFixture();
        // A place beyond the count is kept as well.
        lineOf(*orig, 0, 1, 2).RLinky[200] = std::make_unique<TRLinka>();
        const auto copy = CloneConfiguration(*orig);
        COMPARE_DUMPS(DumpFields(*copy), DumpFields(*orig));
        QVERIFY(lineOf(*copy, 0, 1, 2).RLinky[200]);
        QVERIFY(copy->Pulty[0]->Klavesy[0].get() != orig->Pulty[0]->Klavesy[0].get());
    }

    void mergeCards()
    {
        auto orig = fixture::BuildFixture();
        std::unique_ptr<TAPult> stored;
        StoreConfiguration(stored, orig.get(), QString());
        freeSlot(*orig, *stored);
        stored->Pulty[0]->Dosky[5]->Linky[1]->MenoLinky = QStringLiteral("E0-L1 - UB");
        stored->Pulty[0]->Dosky[5]->Linky[1]->Klavesa = 60;
        auto key = fixture::BoundKey(QStringLiteral("UB 60"), 5, 1, 255, 70, 30);
        key->MenoLinky = QStringLiteral("E0-H5 - E0-L1 - UB");
        key->TypLinky = 26;
        stored->Pulty[0]->Klavesy[60] = std::move(key);
        QVERIFY(MergeStored(orig.get(), stored.get(), MechKeys, PcKeys).Merged);
        // Only slots whose cards the package has.
        for (int s = 2; s < 5; ++s)
            orig->SlotyDosiek[s] = {};

        Cards cards;
        cards.cards[0] = Registry::CreateCard(QStringLiteral("TUL10Card"));
        TCardOld *first = cards.cards[0].get();
        const auto fresh = Registry::CreateCard(QStringLiteral("TUL10Card"));
        QVERIFY(fresh->GetNameLin(0) != QStringLiteral("MB"));

        const TMergeCards r = MergeCards(*orig, cards.hooks());
        QCOMPARE(r.Warnings, QStringList());
        QVERIFY(r.Changed);
        QCOMPARE(cards.cards[0].get(), first);
        QVERIFY(cards.cards[1]);
        QCOMPARE(cards.cards[1]->ClassName(), QStringLiteral("T4W5Card"));
        QVERIFY(cards.cards[5]);
        QCOMPARE(cards.cards[5]->ClassName(), QStringLiteral("TUL10Card"));
        QCOMPARE(orig->SlotyDosiek[5].Meno, QStringLiteral("TUL10"));
        QCOMPARE(orig->SlotyDosiek[5].Kod, cards.cards[5]->GetCardNum(orig->TypSystemu));
        QCOMPARE(orig->SlotyDosiek[5].Kod, Byte(71));
        // Line names without their position part.
        QCOMPARE(cards.cards[5]->GetNameLin(1), QStringLiteral("UB"));
        QCOMPARE(cards.cards[0]->GetNameLin(0), QStringLiteral("MB"));
        QCOMPARE(cards.cards[0]->GetNameLin(3), QStringLiteral("KONF"));
    }

    void mergeCardsUnknownType()
    {
        auto orig = fixture::BuildFixture();
        orig->SlotyDosiek[6] = {QStringLiteral("TXYZ"), 99};
        orig->SlotyDosiek[20] = {QStringLiteral("TXYZ"), 99}; // not a valid slot: left alone
        Cards cards;
        cards.validSlots = 7;
        const auto fresh = Registry::CreateCard(QStringLiteral("TUL10Card"));

        const TMergeCards r = MergeCards(*orig, cards.hooks());
        // Slots 2, 3, 4 and 6 name cards the package does not have.
        QCOMPARE(r.Warnings.size(), 4);
        QCOMPARE(r.Warnings[0], LoadStrDll(73) + QStringLiteral(" TMB5 ") + LoadStrDll(74));
        QCOMPARE(r.Warnings[3], LoadStrDll(73) + QStringLiteral(" TXYZ ") + LoadStrDll(74));
        QVERIFY(!cards.cards[6]);
        QVERIFY(!cards.cards[20]);
        QCOMPARE(orig->SlotyDosiek[6].Meno, QStringLiteral("TXYZ"));
        QCOMPARE(orig->SlotyDosiek[6].Kod, Byte(99));
        // The cards that could be made are there; they are given no line names.
        QVERIFY(r.Changed);
        QVERIFY(cards.cards[0]);
        QVERIFY(cards.cards[1]);
        QCOMPARE(cards.cards[0]->GetNameLin(0), fresh->GetNameLin(0));
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cardLine");
        QTest::newRow("position") << QStringLiteral("E0-L0 - MB") << QStringLiteral("MB");
        QTest::newRow("first dash only")
            << QStringLiteral("E0-L1 - E0-L0 - Pr. 01") << QStringLiteral("E0-L0 - Pr. 01");
        QTest::newRow("no dash") << QStringLiteral("HLS") << QStringLiteral("HLS");
        QTest::newRow("dash at the end") << QStringLiteral("MB - ") << QString();
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, cardLine);
        QCOMPARE(CardLineName(name), cardLine);
        QCOMPARE(MergedCardClassName(QStringLiteral("TUL10")), QStringLiteral("TUL10Card"));
        QCOMPARE(MergedCardClassName(QStringLiteral("X4W5")), QStringLiteral("T4W5Card"));
    }

    void copyPult_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<int>>("resetKeys");
        QTest::addColumn<int>("releasedLines");

        // Key 100 of console 1 was on the HLS line that console 0 leaves unbound.
        QTest::newRow("0 to 1") << 0 << 1 << QList<int>{100} << 0;
        // Console 1 binds none of console 0's keys 0..10: MB, UB, KONF, MD
        // (253) with its extended lines 1 and 10, MM with extended line 8.
        QTest::newRow("1 to 0") << 1 << 0 << QList<int>{} << 8;
    }

    void copyPult()
    {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(QList<int>, resetKeys);
        QFETCH(int, releasedLines);

        auto a = fixture::BuildFixture();
        const auto before = CloneConfiguration(*a);
        const TCopyPult r = CopyPult(a.get(), source, target);
        QVERIFY(r.Copied);
        QCOMPARE(r.ResetKeys, resetKeys);
        QCOMPARE(r.ReleasedLines, releasedLines);
        QCOMPARE(bindingFaults(*a), QStringList());

        const TPult &s = *a->Pulty[source];
        const TPult &t = *a->Pulty[target];
        const TPult &old = *before->Pulty[target];
        COMPARE_DUMPS(
            DumpFields(*a).split(u'\n').filter(QStringLiteral("Pulty[%1]").arg(source)).join(u'\n'),
            DumpFields(*before).split(u'\n').filter(QStringLiteral("Pulty[%1]").arg(source)).join(u'\n'));
        for (int k = 0; k < KeyCount; ++k) {
            if (resetKeys.contains(k))
                QCOMPARE(DumpKey(*t.Klavesy[k]), DumpKey(TKlavesa()));
            else if (s.Klavesy[k])
                QCOMPARE(DumpKey(*t.Klavesy[k]), DumpKey(*s.Klavesy[k]));
            else if (old.Klavesy[k])
                QCOMPARE(DumpKey(*t.Klavesy[k]), DumpKey(*old.Klavesy[k]));
            else
                QVERIFY(!t.Klavesy[k]);
        }
        for (int b = 0; b < BoardCount; ++b) {
            if (s.Dosky[b]) {
                QVERIFY(t.Dosky[b]);
                QCOMPARE(t.Dosky[b]->MenoDosky, s.Dosky[b]->MenoDosky);
                QCOMPARE(t.Dosky[b]->PocetLiniek, s.Dosky[b]->PocetLiniek);
            } else {
                // Boards only the target has stay.
                QCOMPARE(bool(t.Dosky[b]), bool(old.Dosky[b]));
                if (old.Dosky[b])
                    QCOMPARE(t.Dosky[b]->MenoDosky, old.Dosky[b]->MenoDosky);
            }
        }
        QCOMPARE(t.TypPultu, old.TypPultu);
        QCOMPARE(t.PocetObrazoviek, old.PocetObrazoviek);
        QCOMPARE(t.FNGSMR, old.FNGSMR);
        for (int i = 0; i < PhoneCount; ++i)
            QCOMPARE(bool(t.TelZoznam[i]), bool(old.TelZoznam[i]));
    }

    // A board only the target has keeps its line, but not a key the copy gave
    // to another line.
    void copyPultReleasesTargetLine()
    {
        auto a = fixture::BuildFixture();
        auto d = std::make_unique<TDoska>();
        d->MenoDosky = QStringLiteral("UL10");
        d->CisloDosky = 71;
        d->PocetLiniek = 1;
        d->Linky[0] = std::make_unique<TLinka>();
        d->Linky[0]->MenoLinky = QStringLiteral("MB");
        d->Linky[0]->CisloLinky = 0;
        d->Linky[0]->Klavesa = 0;
        a->Pulty[1]->Dosky[6] = std::move(d);
        a->SlotyDosiek[6] = {QStringLiteral("TUL10"), 71};
        auto key = fixture::BoundKey(QStringLiteral("Own"), 6, 0, 255, 71, 40);
        key->MenoLinky = QStringLiteral("E0-L6 - MB");
        key->TypLinky = 2;
        a->Pulty[1]->Klavesy[0] = std::move(key);
        QCOMPARE(bindingFaults(*a), QStringList());

        const TCopyPult r = CopyPult(a.get(), 0, 1);
        QVERIFY(r.Copied);
        QCOMPARE(bindingFaults(*a), QStringList());
        QCOMPARE(lineOf(*a, 1, 6, 0).Klavesa, Byte(255));
        QCOMPARE(lineOf(*a, 1, 6, 0).MenoLinky, QStringLiteral("MB"));
        QCOMPARE(lineOf(*a, 1, 0, 0).Klavesa, Byte(0));
        QCOMPARE(a->Pulty[1]->Klavesy[0]->MenoKlavesy, QStringLiteral("Dispečer Ľubo"));
        QCOMPARE(r.ReleasedLines, 1);
    }

    void copyPultNothing_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("dropSource");
        QTest::newRow("missing source") << 1 << 0 << true;
        QTest::newRow("same console") << 0 << 0 << false;
        QTest::newRow("source out of range") << 2 << 0 << false;
        QTest::newRow("target out of range") << 0 << -1 << false;
    }

    void copyPultNothing()
    {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(bool, dropSource);
        auto a = fixture::BuildFixture();
        if (dropSource)
            a->Pulty[source].reset();
        const QString before = DumpFields(*a);
        QVERIFY(!CopyPult(a.get(), source, target).Copied);
        COMPARE_DUMPS(DumpFields(*a), before);
        QVERIFY(!CopyPult(nullptr, 0, 1).Copied);
    }

    void copyPultCreatesTarget()
    {
        auto a = fixture::BuildFixture();
        a->Pulty[1].reset();
        const TCopyPult r = CopyPult(a.get(), 0, 1);
        QVERIFY(r.Copied);
        QVERIFY(a->Pulty[1]);
        QCOMPARE(int(a->Pulty[1]->TypPultu), 0);
        QVERIFY(a->Pulty[1]->TelZoznam[0] == nullptr);
        QCOMPARE(DumpKey(*a->Pulty[1]->Klavesy[2]), DumpKey(*a->Pulty[0]->Klavesy[2]));
        QCOMPARE(lineOf(*a, 1, 1, 0).RLinky[1]->Klavesa, Byte(2));
        QCOMPARE(bindingFaults(*a), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCompare)
#include "test_compare.moc"
