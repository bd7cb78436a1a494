#include "editing/keybinding.h"

#include <QTemporaryDir>
#include <QTest>

#include "cardpack/dll_load.h"
#include "cardpack/karty.h"
#include "cardpack/t4w5card.h"
#include "cardpack/ul10card.h"
#include "records/systemimage.h"
#include "records/unitable.h"
#include "tests/fixture/fixture.h"

namespace
{

// A UL10 card that answers the board code of the MSN boards.
class TMsnCard : public TUL10Card
{
public:
    Byte GetCardNum(Byte) override { return 114; }
};

class RecordingObserver : public TKeyObserver
{
public:
    void KeyCleared(int console, int key) override { cleared << QStringLiteral("%1/%2").arg(console).arg(key); }
    void KeyColour(int console, int key, std::uint32_t colour) override
    {
        colours << QStringLiteral("%1/%2=%3").arg(console).arg(key).arg(colour, 6, 16, QLatin1Char('0'));
    }
    QStringList cleared;
    QStringList colours;
};

// Two PC consoles with every key present, cards in some slots, and the steps
// of the board panels that come before a binding (card and line selection).
struct Rig {
    std::unique_ptr<TAPult> cfg = std::make_unique<TAPult>();
    TCardSet cards;
    bool numberLines = false; // rebuild with the real BuildUniTable
    TSystemImage image;
    TZOZ boardList;
    int modified = 0;
    int rebuilt = 0;
    bool answer = true;
    QStringList asked;
    RecordingObserver observer;

    explicit Rig(int typDosiek = 0)
    {
        cfg->PocetPultov = 2;
        cfg->TypDosiek = typDosiek;
        for (auto &p : cfg->Pulty) {
            p = std::make_unique<TPult>();
            p->TypPultu = 1;
            p->PocetObrazoviek = 3;
            for (auto &k : p->Klavesy)
                k = std::make_unique<TKlavesa>();
        }
    }

    TBindingServices services()
    {
        TBindingServices s;
        s.UseCards(cards);
        s.SetModified = [this] { ++modified; };
        s.RebuildUniTable = [this] {
            ++rebuilt;
            if (numberLines)
                BuildUniTable(cfg.get(), image, &boardList);
        };
        s.AskYesNo = [this](const QString &text) {
            asked << text;
            return answer;
        };
        s.Observer = &observer;
        return s;
    }
    TKeyBinding binding(int console = 0) { return TKeyBinding(cfg.get(), console, services()); }

    TPult &pult(int c) { return *cfg->Pulty[c]; }
    TKlavesa &key(int c, int k) { return *cfg->Pulty[c]->Klavesy[k]; }
    TCardOld &card(int slot) { return *cards.CardOfSlot(slot); }
    TLinka *line(int c, int s, int l)
    {
        TDoska *d = cfg->Pulty[c]->Dosky[s].get();
        return d ? d->Linky[l].get() : nullptr;
    }

    TCardOld &addCard(int slot, std::unique_ptr<TCardOld> card, int active = 0)
    {
        cards.SetCard(slot, std::move(card));
        TCardOld &c = *cards.CardOfSlot(slot);
        c.Reset();
        for (auto &p : cfg->Pulty)
            if (!p->Dosky[slot]) {
                p->Dosky[slot] = std::make_unique<TDoska>();
                p->Dosky[slot]->PocetLiniek = 0;
                p->Dosky[slot]->CisloDosky = 0;
            }
        TDoska &d = *cfg->Pulty[active]->Dosky[slot];
        d.MenoDosky = c.GetCardName();
        d.CisloDosky = c.GetCardNum(cfg->TypSystemu);
        d.PocetLiniek = c.LinCount();
        cfg->SlotyDosiek[slot] = {QStringLiteral("T") + c.GetCardName(), d.CisloDosky};
        return c;
    }

    // A free line selected with the type checked on the line-type panel.
    TLineSelection selectLine(int slot, int l, const QString &type)
    {
        TCardOld &card = *cards.CardOfSlot(slot);
        for (auto &p : cfg->Pulty) {
            auto &place = p->Dosky[slot]->Linky[l];
            if (!place)
                place = std::make_unique<TLinka>();
        }
        card.SetNameLin(Byte(l), type + u'-' + QString::number(l));
        TLineSelection sel;
        sel.Slot = slot;
        sel.Line = Byte(l);
        sel.HasPressedButton = true;
        sel.PressedCaption = card.GetNameLin(Byte(l));
        sel.TypePanel = true;
        sel.TypePanelEnabled = true;
        sel.CheckedType = type;
        sel.LineButtonCount = card.LinCount();
        return sel;
    }

    // The same line, then an extended line of it pressed in its window.
    TLineSelection selectExt(int slot, int l, const QString &type, int pos)
    {
        TLineSelection sel = selectLine(slot, l, type);
        TCardOld &card = *cards.CardOfSlot(slot);
        const QString name = card.GetRozsirLinName(Byte(l), Byte(pos));
        for (auto &p : cfg->Pulty) {
            auto &place = p->Dosky[slot]->Linky[l]->RLinky[pos];
            if (!place) {
                place = std::make_unique<TRLinka>();
                place->MenoRLinky = name;
                place->CisloRLinky = Byte(pos);
            }
        }
        sel.ExtPosition = Byte(pos);
        sel.PressedCaption = name;
        return sel;
    }
};

// Every field of every key, line and extended line, to tell that nothing changed.
QString dump(const TAPult &cfg)
{
    QStringList out;
    for (int c = 0; c < ConsoleCount; ++c) {
        const TPult *p = cfg.Pulty[c].get();
        if (!p)
            continue;
        for (int k = 0; k < KeyCount; ++k)
            if (const TKlavesa *x = p->Klavesy[k].get())
                out << QStringLiteral("%1 k%2 %3|%4|%5|%6 %7 %8 %9 %10 %11 %12 %13 %14 %15 %16 %17 %18")
                           .arg(c)
                           .arg(k)
                           .arg(x->MenoKlavesy, x->HintKlavesy, x->MenoLinky)
                           .arg(x->TypLinky)
                           .arg(x->KodDosky)
                           .arg(x->HWPozicDosky)
                           .arg(x->PozicLinky)
                           .arg(x->PozicRLinky)
                           .arg(x->Led)
                           .arg(x->CisloUcastnika)
                           .arg(x->ObsluhaKlavesy)
                           .arg(x->bitovyByte)
                           .arg(x->NumLin)
                           .arg(BytesToHex(x->SkratenaVolba.data(), 27))
                           .arg(BytesToHex(x->MSNcislo.data(), 12))
                           .arg(BytesToHex(x->MSNpriznak.data(), 3));
        for (int s = 0; s < BoardCount; ++s) {
            const TDoska *d = p->Dosky[s].get();
            if (!d)
                continue;
            out << QStringLiteral("%1 b%2 %3 %4 %5").arg(c).arg(s).arg(d->MenoDosky).arg(d->CisloDosky).arg(d->PocetLiniek);
            for (int l = 0; l < LineCount; ++l) {
                const TLinka *x = d->Linky[l].get();
                if (!x)
                    continue;
                out << QStringLiteral("%1 b%2 l%3 %4 %5 %6 %7")
                           .arg(c)
                           .arg(s)
                           .arg(l)
                           .arg(x->MenoLinky)
                           .arg(x->CisloLinky)
                           .arg(x->Klavesa)
                           .arg(x->PocetRLiniek);
                for (int r = 0; r < ExtLineCount; ++r)
                    if (const TRLinka *e = x->RLinky[r].get())
                        out << QStringLiteral("%1 b%2 l%3 r%4 %5 %6 %7")
                                   .arg(c)
                                   .arg(s)
                                   .arg(l)
                                   .arg(r)
                                   .arg(e->MenoRLinky)
                                   .arg(e->CisloRLinky)
                                   .arg(e->Klavesa);
            }
        }
    }
    return out.join(u'\n');
}

#define CHECK_BINDINGS(cfg)                                                                                  \
    do {                                                                                                     \
        const QStringList faults_ = BindingFaults(cfg);                                                      \
        if (!faults_.isEmpty())                                                                              \
            QFAIL(qPrintable(faults_.join(u'\n')));                                                          \
    } while (false)

} // namespace

class TestKeyBinding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void invariantSeesBrokenBindings();
    void plainLineBinding_data();
    void plainLineBinding();
    void lineOfExtendedTypeIsRefused();
    void unconfiguredLineTakesStoredType();
    void extendedLinesBindAndDelete_data();
    void extendedLinesBindAndDelete();
    void bindingNothingSelected();
    void occupiedLineOrKeyIsRefused();
    void deleteTestOnlyChangesNothing();
    void deleteMissingAndUnboundKeys();
    void deletePlainLineWithExtendedKeys();
    void deleteKeyOnLineOfExtendedType();
    void deleteOnAllConsoles();
    void msnSharing();
    void keyNameUnique_data();
    void keyNameUnique();
    void canMoveKeys_data();
    void canMoveKeys();
    void canPlaceLine_data();
    void canPlaceLine();
    void freeTypeNumber_data();
    void freeTypeNumber();
    void saveRefreshAndStore();
    void storeMovesKeysAndReleasesOldLines();
    void storeExtendedAndShortNames();
    void findAndGetKeys();
    void markBoardKeys();
    void names_data();
    void names();
    void noConfigurationOrConsole();
    void hostilePositions();
    void lineNumbersAfterBinding();
    void fixtureBindingsHold();
};

void TestKeyBinding::initTestCase()
{
    fixture::LoadLanguage();
    QVERIFY(!LoadStrDll(34).isEmpty());
}

void TestKeyBinding::invariantSeesBrokenBindings()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.selectLine(3, 0, QStringLiteral("MB"));
    QVERIFY(BindingFaults(*rig.cfg).isEmpty());

    rig.line(0, 3, 0)->Klavesa = 7; // the line names a key that names nothing
    QCOMPARE(BindingFaults(*rig.cfg).size(), 1);
    rig.key(0, 7).HWPozicDosky = 3;
    rig.key(0, 7).PozicLinky = 0;
    rig.key(0, 7).MenoLinky = QStringLiteral("E0-L3 - MB-0");
    rig.key(0, 7).TypLinky = 0;
    QVERIFY(BindingFaults(*rig.cfg).isEmpty());
    rig.line(0, 3, 0)->Klavesa = 255; // the key names a line that does not point back
    QCOMPARE(BindingFaults(*rig.cfg).size(), 1);
    rig.line(0, 3, 0)->Klavesa = 253; // 253 with no keyed extended line
    QCOMPARE(BindingFaults(*rig.cfg).size(), 2);
    rig.line(0, 3, 0)->Klavesa = 7;
    QVERIFY(BindingFaults(*rig.cfg).isEmpty());

    // A key bound to a board whose slot has no card.
    rig.cfg->SlotyDosiek[3].Meno.clear();
    QCOMPARE(BindingFaults(*rig.cfg), QStringList{QStringLiteral("console 0 key 7: no card in slot 3")});
    rig.cfg->SlotyDosiek[3].Meno = QStringLiteral("TUL10");

    // Keys from the console's capacity up: checked with the board-type list.
    rig.key(0, 150).MenoLinky = QStringLiteral("Skratena volba");
    rig.pult(0).PocetObrazoviek = 1;
    QVERIFY(BindingFaults(*rig.cfg).isEmpty());
    QCOMPARE(BindingFaults(*rig.cfg, &rig.boardList),
             QStringList{QStringLiteral("console 0 key 150: configured beyond the capacity 80")});
    rig.pult(0).PocetObrazoviek = 2;
    QVERIFY(BindingFaults(*rig.cfg, &rig.boardList).isEmpty());
    rig.pult(0).TypPultu = 0; // not connected: no key at all
    QCOMPARE(BindingFaults(*rig.cfg, &rig.boardList).size(), 2);
}

void TestKeyBinding::plainLineBinding_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("shortPos");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("slot 3") << 3 << "L3" << "E0-L3";
    QTest::newRow("slot 10") << 10 << "H2" << "E0-H2";
    QTest::newRow("slot 20") << 20 << "L4" << "E1-L4";
}

void TestKeyBinding::plainLineBinding()
{
    QFETCH(int, slot);
    QFETCH(QString, shortPos);
    QFETCH(QString, prefix);
    Rig rig;
    TCardOld &card = rig.addCard(slot, std::make_unique<TUL10Card>());
    const TLineSelection sel = rig.selectLine(slot, 0, QStringLiteral("MB"));
    const QString help = card.GetHelpLin(0);

    TBindingChange change;
    QVERIFY(rig.binding().AssignLineToKey(5, sel, &change));

    const TKlavesa &k = rig.key(0, 5);
    QCOMPARE(k.MenoKlavesy, shortPos + QStringLiteral(" MB-0"));
    QCOMPARE(k.HintKlavesy, prefix + QStringLiteral(" - MB-0"));
    QCOMPARE(k.MenoLinky, prefix + QStringLiteral(" - MB-0"));
    QCOMPARE(k.TypLinky, Byte(0));
    QCOMPARE(k.KodDosky, Byte(71));
    QCOMPARE(k.HWPozicDosky, Byte(slot));
    QCOMPARE(k.PozicLinky, Byte(0));
    QCOMPARE(k.PozicRLinky, Byte(255)); // the UL10 card's GetTypRozsir
    QCOMPARE(k.Led, Byte(5));
    QCOMPARE(k.ObsluhaKlavesy, Byte(2)); // key code of MB
    QCOMPARE(k.CisloUcastnika, Byte(255));
    for (Byte b : k.SkratenaVolba)
        QCOMPARE(b, Byte(255));
    QCOMPARE(k.bitovyByte, Byte(7));
    QCOMPARE(k.NumLin, Byte(1)); // MB-0 is taken on the card: the next free MB number
    QCOMPARE(k.Volba, Byte(0xA0));
    QCOMPARE(k.GetMSNText(), QString());

    const TLinka &line = *rig.line(0, slot, 0);
    QCOMPARE(line.MenoLinky, prefix + QStringLiteral(" - MB-0"));
    QCOMPARE(line.CisloLinky, Byte(0));
    QCOMPARE(line.Klavesa, Byte(5));
    QCOMPARE(rig.pult(0).Dosky[slot]->PocetLiniek, Byte(10));
    QCOMPARE(card.GetNameLin(0), QStringLiteral("MB-0"));

    QVERIFY(change.Bound);
    QCOMPARE(change.KeyCaption, shortPos + QStringLiteral(" MB-0"));
    QCOMPARE(change.LineButtonCaption.value_or(QString()), QStringLiteral("MB-0"));
    QCOMPARE(change.LineButtonHint.value_or(QString()), help);
    QVERIFY(change.DisableLineButton);
    QVERIFY(!change.ShowCardAgain);
    QCOMPARE(rig.modified, 1);
    QCOMPARE(rig.rebuilt, 1);
    // The other console's line is untouched.
    QCOMPARE(rig.line(1, slot, 0)->Klavesa, Byte(255));
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyBinding::lineOfExtendedTypeIsRefused()
{
    Rig rig;
    rig.addCard(1, std::make_unique<T4W5Card>());
    const TLineSelection sel = rig.selectLine(1, 0, QStringLiteral("MD"));
    const QString before = dump(*rig.cfg);
    TBindingChange change;
    QVERIFY(!rig.binding().AssignLineToKey(4, sel, &change));
    QVERIFY(!change.Bound);
    QCOMPARE(dump(*rig.cfg), before);
    QCOMPARE(rig.modified, 1);
    QCOMPARE(rig.rebuilt, 1);

    // An HLS line has no extended lines and binds as a plain line.
    const TLineSelection hls = rig.selectLine(1, 2, QStringLiteral("HLS"));
    QVERIFY(rig.binding().AssignLineToKey(4, hls, &change));
    QCOMPARE(rig.key(0, 4).KodDosky, Byte(148));
    QCOMPARE(rig.key(0, 4).TypLinky, Byte(7));
    QCOMPARE(rig.key(0, 4).ObsluhaKlavesy, Byte(22));
    QCOMPARE(rig.key(0, 4).PozicRLinky, Byte(255));
    QCOMPARE(rig.key(0, 4).MenoKlavesy, QStringLiteral("L1 HLS-2"));
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyBinding::unconfiguredLineTakesStoredType()
{
    // Without a line-type panel an unconfigured line takes the type stored
    // for its board code; the pressed caption is then the type name.
    Rig rig;
    TCardOld &card = rig.addCard(3, std::make_unique<TUL10Card>());
    rig.cfg->KodHodnota[0] = {71, 2}; // AUT
    for (auto &p : rig.cfg->Pulty)
        p->Dosky[3]->Linky[4] = std::make_unique<TLinka>();
    TLineSelection sel;
    sel.Slot = 3;
    sel.Line = 4;
    sel.HasPressedButton = true;
    sel.PressedCaption = QStringLiteral("AUT");
    sel.LineButtonCount = 10;
    QVERIFY(rig.binding().AssignLineToKey(9, sel));
    QCOMPARE(card.GetNameLin(4), QStringLiteral("AUT"));
    QCOMPARE(rig.key(0, 9).MenoLinky, QStringLiteral("E0-L3 - AUT"));
    QCOMPARE(rig.key(0, 9).TypLinky, Byte(2));
    QCOMPARE(rig.key(0, 9).ObsluhaKlavesy, Byte(3));
    QCOMPARE(rig.key(0, 9).NumLin, Byte(255)); // no type choice: left alone
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyBinding::extendedLinesBindAndDelete_data()
{
    QTest::addColumn<int>("typDosiek");
    QTest::addColumn<int>("lineAfterFirst");
    QTest::addColumn<int>("lineAfterSecond");
    QTest::addColumn<int>("lineAfterDelete");
    QTest::newRow("boards 0: line stays 253") << 0 << 253 << 253 << 253;
    QTest::newRow("boards 1: line takes the key, then moves") << 1 << 10 << 10 << 11;
}

void TestKeyBinding::extendedLinesBindAndDelete()
{
    QFETCH(int, typDosiek);
    QFETCH(int, lineAfterFirst);
    QFETCH(int, lineAfterSecond);
    QFETCH(int, lineAfterDelete);
    Rig rig(typDosiek);
    TCardOld &card = rig.addCard(1, std::make_unique<T4W5Card>());

    TBindingChange change;
    QVERIFY(rig.binding().AssignLineToKey(10, rig.selectExt(1, 0, QStringLiteral("MD"), 5), &change));
    CHECK_BINDINGS(*rig.cfg);
    const TLinka &line = *rig.line(0, 1, 0);
    QCOMPARE(int(line.Klavesa), lineAfterFirst);
    QCOMPARE(line.MenoLinky, QStringLiteral("E0-L1 - MD-0"));
    QCOMPARE(line.CisloLinky, Byte(8));
    QCOMPARE(line.PocetRLiniek, Byte(64));
    const TRLinka &e5 = *line.RLinky[5];
    QCOMPARE(e5.MenoRLinky, QStringLiteral("E0-L1 - MD-0 - Pr. 05"));
    QCOMPARE(e5.CisloRLinky, Byte(5));
    QCOMPARE(e5.Klavesa, Byte(10));

    const TKlavesa &k10 = rig.key(0, 10);
    QCOMPARE(k10.MenoKlavesy, QStringLiteral("L1 MD-0 Pr. 05"));
    QCOMPARE(k10.HintKlavesy, QStringLiteral("E0-L1 - MD-0 - Pr. 05"));
    QCOMPARE(k10.MenoLinky, QStringLiteral("E0-L1 - MD-0 - Pr. 05"));
    QCOMPARE(k10.TypLinky, Byte(8));
    QCOMPARE(k10.KodDosky, Byte(148));
    QCOMPARE(k10.HWPozicDosky, Byte(1));
    QCOMPARE(k10.PozicLinky, Byte(0));
    QCOMPARE(k10.PozicRLinky, Byte(5));
    QCOMPARE(k10.Led, Byte(10));
    QCOMPARE(k10.ObsluhaKlavesy, Byte(22));
    QCOMPARE(k10.CisloUcastnika, Byte(5));
    QCOMPARE(k10.bitovyByte, Byte(7));
    QCOMPARE(k10.NumLin, Byte(255));
    QVERIFY(change.ReleaseExtButton);
    QVERIFY(change.DisableTypePanel);
    QVERIFY(change.ShowCardAgain);
    QCOMPARE(change.LineButtonCaption.value_or(QString()), QStringLiteral("MD-0"));
    QCOMPARE(card.GetNameLin(0), QStringLiteral("MD-0"));

    QVERIFY(rig.binding().AssignLineToKey(11, rig.selectExt(1, 0, QStringLiteral("MD"), 6)));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(int(line.Klavesa), lineAfterSecond);
    QCOMPARE(line.RLinky[6]->Klavesa, Byte(11));
    QCOMPARE(rig.key(0, 11).MenoKlavesy, QStringLiteral("L1 MD-0 Pr. 06"));

    // Deleting one keeps the line; its key moves to the remaining one when it
    // pointed at the deleted key.
    QVERIFY(rig.binding().DeleteKeys(10, false, false, false));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(int(line.Klavesa), lineAfterDelete);
    QCOMPARE(line.RLinky[5]->Klavesa, Byte(255));
    QCOMPARE(line.RLinky[5]->MenoRLinky, NekonfName);
    QCOMPARE(line.MenoLinky, QStringLiteral("E0-L1 - MD-0"));
    QVERIFY(rig.key(0, 10).IsUnconfigured());
    QCOMPARE(rig.key(0, 11).PozicRLinky, Byte(6));

    // Deleting the last keyed extended line frees the line.
    QVERIFY(rig.binding().DeleteKeys(11, false, false, false));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(line.Klavesa, Byte(255));
    QCOMPARE(line.MenoLinky, NekonfName);
    QCOMPARE(line.CisloLinky, Byte(255));
    QVERIFY(rig.key(0, 11).IsUnconfigured());
    QVERIFY(rig.observer.cleared.contains(QStringLiteral("0/10")));
    QVERIFY(rig.observer.cleared.contains(QStringLiteral("0/11")));
    QVERIFY(rig.asked.isEmpty());
    QCOMPARE(rig.modified, 4);
}

void TestKeyBinding::bindingNothingSelected()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    TLineSelection full = rig.selectLine(3, 0, QStringLiteral("MB"));
    const QString before = dump(*rig.cfg);
    struct Case {
        const char *what;
        std::function<void(TLineSelection &)> change;
    } cases[] = {
        {"no pressed button", [](TLineSelection &s) { s.HasPressedButton = false; }},
        {"no checked type", [](TLineSelection &s) { s.CheckedType.clear(); }},
        {"no slot", [](TLineSelection &s) { s.Slot = 255; }},
        {"empty slot", [](TLineSelection &s) { s.Slot = 4; }},
        {"no line", [](TLineSelection &s) { s.Line = 255; }},
        {"missing line", [](TLineSelection &s) { s.Line = 7; }},
    };
    for (const Case &c : cases) {
        TLineSelection sel = full;
        c.change(sel);
        const int rebuilt = rig.rebuilt;
        QVERIFY2(!rig.binding().AssignLineToKey(5, sel), c.what);
        QVERIFY2(dump(*rig.cfg) == before, c.what);
        QCOMPARE(rig.rebuilt, rebuilt + 1);
    }
}

void TestKeyBinding::occupiedLineOrKeyIsRefused()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.binding().AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    QVERIFY(rig.binding().AssignLineToKey(6, rig.selectLine(3, 1, QStringLiteral("UB"))));
    const TLineSelection again = rig.selectLine(3, 0, QStringLiteral("MB"));
    const TLineSelection other = rig.selectLine(3, 2, QStringLiteral("AUT"));
    const QString before = dump(*rig.cfg);
    // Line 0 already carries key 5; key 6 already carries line 1.
    QVERIFY(!rig.binding().AssignLineToKey(7, again));
    QVERIFY(!rig.binding().AssignLineToKey(6, other));
    QCOMPARE(dump(*rig.cfg), before);
    CHECK_BINDINGS(*rig.cfg);
    // Binding the same key to the same line again is no conflict.
    QVERIFY(rig.binding().AssignLineToKey(5, again));
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyBinding::deleteTestOnlyChangesNothing()
{
    Rig rig;
    rig.addCard(1, std::make_unique<T4W5Card>());
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.binding().AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    QVERIFY(rig.binding().AssignLineToKey(10, rig.selectExt(1, 0, QStringLiteral("MD"), 5)));
    // A plain key on a line whose extended lines carry keys.
    QVERIFY(rig.binding().AssignLineToKey(11, rig.selectExt(1, 1, QStringLiteral("MM"), 6)));
    rig.line(0, 1, 1)->Klavesa = 12;
    TKlavesa &k12 = rig.key(0, 12);
    k12.MenoLinky = QStringLiteral("E0-L1 - MM-1");
    k12.TypLinky = 11;
    k12.HWPozicDosky = 1;
    k12.PozicLinky = 1;
    CHECK_BINDINGS(*rig.cfg);

    const QString before = dump(*rig.cfg);
    const int modified = rig.modified;
    rig.answer = true;
    for (int k : {5, 10, 12}) {
        for (bool all : {false, true}) {
            QVERIFY(rig.binding().DeleteKeys(k, true, all, true));
            QVERIFY(rig.binding().DeleteKeys(k, false, all, true));
        }
    }
    QCOMPARE(dump(*rig.cfg), before);
    QCOMPARE(rig.modified, modified);
    QVERIFY(rig.observer.cleared.isEmpty());
    QVERIFY(!rig.binding().DeleteKeys(0, false, false, true)); // unconfigured
}

void TestKeyBinding::deleteMissingAndUnboundKeys()
{
    Rig rig;
    rig.pult(0).Klavesy[3].reset();
    const QString before = dump(*rig.cfg);
    QVERIFY(!rig.binding().DeleteKeys(3, false, false, false));
    QVERIFY(!rig.binding().DeleteKeys(3, false, true, false));
    QVERIFY(!rig.binding().DeleteKeys(0, false, false, false)); // unconfigured: nothing to delete
    rig.key(0, 1).ObsluhaKlavesy = 255;
    QVERIFY(!rig.binding().DeleteKeys(1, false, false, false));
    QCOMPARE(rig.modified, 0);
    rig.key(0, 1).ObsluhaKlavesy = 1;
    QCOMPARE(dump(*rig.cfg), before);

    // A speed-dial key has no board but is a key: deleted and reset.
    TKlavesa &dial = rig.key(0, 2);
    dial.MenoKlavesy = QStringLiteral("Hasiči");
    dial.ObsluhaKlavesy = 12;
    dial.CisloUcastnika = 3;
    QVERIFY(rig.binding().DeleteKeys(2, false, false, false));
    QVERIFY(dial.IsUnconfigured());
    QCOMPARE(dial.MenoKlavesy, QString());
    QCOMPARE(rig.modified, 1);
    QCOMPARE(rig.observer.cleared, QStringList{QStringLiteral("0/2")});
}

void TestKeyBinding::deletePlainLineWithExtendedKeys()
{
    auto build = [](Rig &rig) {
        rig.addCard(1, std::make_unique<T4W5Card>());
        QVERIFY(rig.binding().AssignLineToKey(11, rig.selectExt(1, 1, QStringLiteral("MM"), 6)));
        QVERIFY(rig.binding().AssignLineToKey(13, rig.selectExt(1, 1, QStringLiteral("MM"), 8)));
        // Key 12 carries the line itself (as older files have it).
        rig.line(0, 1, 1)->Klavesa = 12;
        TKlavesa &k12 = rig.key(0, 12);
        k12.MenoLinky = rig.line(0, 1, 1)->MenoLinky;
        k12.TypLinky = 11;
        k12.HWPozicDosky = 1;
        k12.PozicLinky = 1;
        CHECK_BINDINGS(*rig.cfg);
    };

    {
        Rig rig;
        build(rig);
        const QString before = dump(*rig.cfg);
        rig.answer = false;
        QVERIFY(!rig.binding().DeleteKeys(12, false, false, false));
        QCOMPARE(dump(*rig.cfg), before);
        QCOMPARE(rig.asked.size(), 1);
        const QString crlf = QStringLiteral("\r\n");
        QCOMPARE(rig.asked[0], LoadStrDll(34) + crlf + LoadStrDll(35) + crlf + LoadStrDll(36) + crlf
                                   + QStringLiteral("E0-L1 - MM-1 (12. ") + LoadStrDll(76) + u')');
    }
    {
        Rig rig;
        build(rig);
        rig.answer = true;
        QVERIFY(rig.binding().DeleteKeys(12, false, false, false));
        CHECK_BINDINGS(*rig.cfg);
        QCOMPARE(rig.asked.size(), 1);
        const TLinka &line = *rig.line(0, 1, 1);
        QCOMPARE(line.Klavesa, Byte(255));
        QCOMPARE(line.MenoLinky, NekonfName);
        QCOMPARE(line.RLinky[6]->Klavesa, Byte(255));
        QCOMPARE(line.RLinky[8]->Klavesa, Byte(255));
        for (int k : {11, 12, 13})
            QVERIFY(rig.key(0, k).IsUnconfigured());
        QVERIFY(rig.observer.cleared.contains(QStringLiteral("0/11")));
        QVERIFY(rig.observer.cleared.contains(QStringLiteral("0/13")));
    }
    {
        // Confirmed beforehand: no question.
        Rig rig;
        build(rig);
        rig.answer = false;
        QVERIFY(rig.binding().DeleteKeys(12, true, false, false));
        QVERIFY(rig.asked.isEmpty());
        CHECK_BINDINGS(*rig.cfg);
    }
}

void TestKeyBinding::deleteKeyOnLineOfExtendedType()
{
    // A four-wire line bound as it stands, with no type chosen: the key
    // carries the card's extended-line type as its position, but the line
    // itself holds it. Deleting it lets the line go.
    for (const bool allConsoles : {false, true}) {
        Rig rig;
        TCardOld &card = rig.addCard(1, std::make_unique<T4W5Card>());
        for (auto &p : rig.cfg->Pulty)
            p->Dosky[1]->Linky[1] = std::make_unique<TLinka>();
        TLineSelection sel;
        sel.Slot = 1;
        sel.Line = 1;
        sel.HasPressedButton = true;
        sel.PressedCaption = card.GetNameLin(1);
        sel.LineButtonCount = card.LinCount();
        QVERIFY(rig.binding().AssignLineToKey(25, sel));
        QCOMPARE(rig.line(0, 1, 1)->Klavesa, Byte(25));
        QVERIFY(rig.key(0, 25).PozicRLinky != 255);
        CHECK_BINDINGS(*rig.cfg);

        QVERIFY(rig.binding().DeleteKeys(25, false, allConsoles, false));
        QCOMPARE(rig.line(0, 1, 1)->Klavesa, Byte(255));
        QVERIFY(rig.key(0, 25).IsUnconfigured());
        CHECK_BINDINGS(*rig.cfg);
    }
}

void TestKeyBinding::deleteOnAllConsoles()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.binding(1).AssignLineToKey(40, rig.selectLine(3, 2, QStringLiteral("AUT"))));
    QVERIFY(rig.binding(0).AssignLineToKey(7, rig.selectLine(3, 2, QStringLiteral("AUT"))));
    // A key of console 1 on the same line under another name stays with its line.
    QVERIFY(rig.binding(1).AssignLineToKey(41, rig.selectLine(3, 3, QStringLiteral("KONF"))));
    QVERIFY(rig.binding(0).AssignLineToKey(8, rig.selectLine(3, 3, QStringLiteral("KONF"))));
    rig.key(1, 41).MenoLinky = QStringLiteral("E0-L3 - KONF-3 inak");
    CHECK_BINDINGS(*rig.cfg);

    QVERIFY(rig.binding(0).DeleteKeys(7, false, false, false));
    QCOMPARE(rig.line(1, 3, 2)->Klavesa, Byte(40)); // only the active console
    QVERIFY(!rig.key(1, 40).IsUnconfigured());
    CHECK_BINDINGS(*rig.cfg);

    QVERIFY(rig.binding(1).DeleteKeys(40, false, true, false));
    QCOMPARE(rig.line(1, 3, 2)->Klavesa, Byte(255));
    QVERIFY(rig.key(1, 40).IsUnconfigured());

    QVERIFY(rig.binding(0).DeleteKeys(8, false, true, false));
    QCOMPARE(rig.line(0, 3, 3)->Klavesa, Byte(255));
    QCOMPARE(rig.line(1, 3, 3)->Klavesa, Byte(41));
    QVERIFY(!rig.key(1, 41).IsUnconfigured());
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyBinding::msnSharing()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TMsnCard>());
    QVERIFY(rig.binding(1).AssignLineToKey(20, rig.selectLine(3, 0, QStringLiteral("MB"))));
    TKlavesa &k20 = rig.key(1, 20);
    QCOMPARE(k20.KodDosky, Byte(114));
    k20.MSNcislo = {0x12, 0x34, 0x5F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    k20.MSNpriznak = {0x40, 0, 1};

    // Binding the same line in console 0 takes console 1's MSN digits.
    QVERIFY(rig.binding(0).AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    QCOMPARE(rig.key(0, 5).GetMSNText(), QStringLiteral("12345"));
    QCOMPARE(rig.key(0, 5).MSNpriznak, k20.MSNpriznak);
    CHECK_BINDINGS(*rig.cfg);

    // A key with digits of its own keeps them.
    TKlavesa own;
    own.HWPozicDosky = 3;
    own.PozicLinky = 0;
    own.MSNcislo[0] = 0x99;
    rig.binding(0).ShareMSNOfLine(own);
    QCOMPARE(own.GetMSNText(), QStringLiteral("99"));
    // Without a line nothing is copied.
    TKlavesa loose;
    loose.HWPozicDosky = 3;
    rig.binding(0).ShareMSNOfLine(loose);
    QCOMPARE(loose.GetMSNText(), QString());

    // Editing one key's MSN updates the keys of its line in both consoles.
    TKlavesa edited = rig.key(0, 5);
    edited.MSNcislo.fill(0xFF);
    edited.MSNcislo[0] = 0x77;
    edited.MSNpriznak = {0, 0, 0};
    rig.binding(0).UpdateKeysOfLine(edited);
    QCOMPARE(rig.key(0, 5).GetMSNText(), QStringLiteral("77"));
    QCOMPARE(rig.key(1, 20).GetMSNText(), QStringLiteral("77"));
    QCOMPARE(rig.key(1, 20).MSNpriznak, edited.MSNpriznak);
    QCOMPARE(rig.key(1, 20).MenoLinky, QStringLiteral("E0-L3 - MB-0")); // only the MSN fields

    // A UL10 card of another code does not share.
    Rig plain;
    plain.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(plain.binding(1).AssignLineToKey(20, plain.selectLine(3, 0, QStringLiteral("MB"))));
    plain.key(1, 20).MSNcislo[0] = 0x12;
    QVERIFY(plain.binding(0).AssignLineToKey(5, plain.selectLine(3, 0, QStringLiteral("MB"))));
    QCOMPARE(plain.key(0, 5).GetMSNText(), QString());
}

void TestKeyBinding::keyNameUnique_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("unique");
    QTest::newRow("bound name") << "E0-L3 - MB-0" << false;
    QTest::newRow("other name") << "E0-L3 - MB-1" << true;
    QTest::newRow("nekonf") << "nekonf" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("case differs") << "e0-l3 - mb-0" << true;
    QTest::newRow("name of console 1 only") << "E0-L3 - UB-1" << true;
}

void TestKeyBinding::keyNameUnique()
{
    QFETCH(QString, name);
    QFETCH(bool, unique);
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.binding(0).AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    QVERIFY(rig.binding(1).AssignLineToKey(5, rig.selectLine(3, 1, QStringLiteral("UB"))));
    QCOMPARE(rig.binding(0).KeyNameUnique(name), unique);
}

void TestKeyBinding::canMoveKeys_data()
{
    QTest::addColumn<QList<int>>("source");
    QTest::addColumn<QList<int>>("target");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("fits");
    QTest::newRow("shift 0, same index taken") << QList<int>{3} << QList<int>{3} << 79 << 0 << false;
    QTest::newRow("shift 0, other index taken") << QList<int>{3} << QList<int>{4} << 79 << 0 << true;
    QTest::newRow("shift 2 onto taken") << QList<int>{3} << QList<int>{5} << 79 << 2 << false;
    QTest::newRow("shift 2 onto free") << QList<int>{3} << QList<int>{4} << 79 << 2 << true;
    QTest::newRow("shift -5 onto taken") << QList<int>{7} << QList<int>{2} << 79 << -5 << false;
    QTest::newRow("shift -5, source below 5 not checked") << QList<int>{4} << QList<int>{0} << 79 << -5 << true;
    QTest::newRow("shift 1, source past last - shift") << QList<int>{79} << QList<int>{80} << 79 << 1 << true;
    QTest::newRow("shift 1, source at last - shift") << QList<int>{79} << QList<int>{80} << 80 << 1 << false;
    QTest::newRow("empty block") << QList<int>{} << QList<int>{1, 2, 3} << 79 << 1 << true;
    QTest::newRow("missing entries") << QList<int>{-1} << QList<int>{-1} << 79 << 0 << true;
}

void TestKeyBinding::canMoveKeys()
{
    QFETCH(QList<int>, source);
    QFETCH(QList<int>, target);
    QFETCH(int, last);
    QFETCH(int, shift);
    QFETCH(bool, fits);
    // A configured key at each listed index; -1 leaves every entry missing.
    auto fill = [](TKeyArray &keys, const QList<int> &taken) {
        if (taken.contains(-1))
            return;
        for (int i = 0; i < KeyCount; ++i) {
            keys[i] = std::make_unique<TKlavesa>();
            if (taken.contains(i))
                keys[i]->MenoLinky = QStringLiteral("E0-L0 - MB-0");
        }
    };
    TKeyArray s, t;
    fill(s, source);
    fill(t, target);
    QCOMPARE(CanMoveKeys(s, t, last, shift), fits);
    // A type alone makes a key configured too.
    if (!source.isEmpty() && !source.contains(-1) && !fits) {
        s[source[0]]->MenoLinky = NekonfName;
        s[source[0]]->TypLinky = 3;
        QVERIFY(!CanMoveKeys(s, t, last, shift));
        s[source[0]]->TypLinky = 255;
        QVERIFY(CanMoveKeys(s, t, last, shift));
    }
}

void TestKeyBinding::canPlaceLine_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("placeable");
    QTest::newRow("UL10 typed name") << 3 << 0 << "E0-L3 - MB-0" << 255 << true;
    QTest::newRow("UL10 nekonf") << 3 << 0 << "nekonf" << 255 << false;
    QTest::newRow("UL10 no type") << 3 << 0 << "xyz" << 255 << false;
    QTest::newRow("UL10 position ignored") << 3 << 0 << "MB" << 5 << true;
    QTest::newRow("MD keyed extended line") << 1 << 0 << "Pr. 05" << 5 << true;
    QTest::newRow("MD free extended line") << 1 << 0 << "Pr. 07" << 7 << false;
    QTest::newRow("MD missing extended line") << 1 << 0 << "Pr. 09" << 9 << false;
    QTest::newRow("MD position 255, typed name") << 1 << 0 << "MD" << 255 << true;
    QTest::newRow("MD position past the places") << 1 << 0 << "MD" << 250 << false;
    QTest::newRow("empty slot") << 4 << 0 << "MB" << 255 << false;
    QTest::newRow("slot 255") << 255 << 0 << "MB" << 255 << false;
    QTest::newRow("negative slot") << -1 << 0 << "MB" << 255 << false;
    QTest::newRow("line 10") << 3 << 10 << "MB" << 255 << false;
}

void TestKeyBinding::canPlaceLine()
{
    QFETCH(int, slot);
    QFETCH(int, line);
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(bool, placeable);
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.binding().AssignLineToKey(10, rig.selectExt(1, 0, QStringLiteral("MD"), 5)));
    rig.selectExt(1, 0, QStringLiteral("MD"), 7);
    QCOMPARE(rig.binding().CanPlaceLine(slot, line, name, position), placeable);
}

void TestKeyBinding::freeTypeNumber_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("number");
    QTest::newRow("MB-0 and MB-2") << QStringList{"MB-0", "MB-2"} << "MB" << 1;
    QTest::newRow("none used") << QStringList{} << "MB" << 0;
    QTest::newRow("other type uses 0") << QStringList{"UB-0"} << "MB" << 0;
    QTest::newRow("no digit at the end") << QStringList{"MB-0x", "MB"} << "MB" << 0;
    QTest::newRow("all used")
        << QStringList{"MB-0", "MB-1", "MB-2", "MB-3", "MB-4", "MB-5", "MB-6", "MB-7", "MB-8", "MB-9"} << "MB" << 9;
    QTest::newRow("0 to 3 used") << QStringList{"AUT-0", "AUT-1", "AUT-2", "AUT-3"} << "AUT" << 4;
}

void TestKeyBinding::freeTypeNumber()
{
    QFETCH(QStringList, names);
    QFETCH(QString, type);
    QFETCH(int, number);
    TUL10Card card;
    card.Reset();
    for (int i = 0; i < names.size(); ++i)
        card.SetNameLin(Byte(i), names[i]);
    QCOMPARE(int(FreeTypeNumber(&card, type)), number);
    QCOMPARE(int(FreeTypeNumber(nullptr, type)), 255);
}

void TestKeyBinding::saveRefreshAndStore()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.binding().AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    rig.pult(0).Klavesy[9].reset();

    TKeyArray keys;
    rig.binding().SaveKeys(keys);
    for (int i = 0; i < KeyCount; ++i)
        QVERIFY(keys[i]);
    QCOMPARE(keys[5]->MenoLinky, QStringLiteral("E0-L3 - MB-0"));
    QVERIFY(keys[5].get() != rig.pult(0).Klavesy[5].get());
    QVERIFY(keys[9]->IsUnconfigured());

    TKeyArray saved;
    saved[5] = std::make_unique<TKlavesa>();
    saved[9] = std::make_unique<TKlavesa>();
    saved[9]->MenoKlavesy = QStringLiteral("stays");
    rig.binding().RefreshSavedKeys(saved);
    QCOMPARE(saved[5]->MenoKlavesy, QStringLiteral("L3 MB-0"));
    QCOMPARE(saved[9]->MenoKlavesy, QStringLiteral("stays")); // no console key 9
    QVERIFY(!saved[6]);

    // Writing the same keys back leaves the binding as it was.
    const QString before = dump(*rig.cfg);
    rig.binding().StoreKeyLines(keys);
    QCOMPARE(dump(*rig.cfg), before);
    QVERIFY(!rig.pult(0).Klavesy[9]); // a missing console key is not created
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyBinding::storeMovesKeysAndReleasesOldLines()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.binding().AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    QVERIFY(rig.binding().AssignLineToKey(10, rig.selectExt(1, 0, QStringLiteral("MD"), 5)));
    QVERIFY(rig.binding().AssignLineToKey(11, rig.selectExt(1, 0, QStringLiteral("MD"), 6)));

    // A block of keys 5 and 10 moved by 2, as placing a block writes it.
    TKeyArray keys;
    rig.binding().SaveKeys(keys);
    for (int from : {10, 5}) {
        keys[from + 2]->Assign(keys[from].get());
        keys[from + 2]->Led = Byte(from + 2);
        keys[from]->Reset();
    }
    const int modified = rig.modified;
    rig.binding().StoreKeyLines(keys);
    QVERIFY(rig.modified > modified);
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(rig.line(0, 3, 0)->Klavesa, Byte(7));
    QCOMPARE(rig.line(0, 3, 0)->MenoLinky, QStringLiteral("E0-L3 - MB-0"));
    QCOMPARE(rig.line(0, 3, 0)->PocetRLiniek, Byte(0));
    QCOMPARE(rig.line(0, 1, 0)->Klavesa, Byte(253));
    QCOMPARE(rig.line(0, 1, 0)->RLinky[5]->Klavesa, Byte(12));
    QCOMPARE(rig.line(0, 1, 0)->RLinky[6]->Klavesa, Byte(11));
    QVERIFY(rig.key(0, 5).IsUnconfigured());
    QVERIFY(rig.key(0, 10).IsUnconfigured());

    // A key edited to name another line: the line it left is freed.
    rig.binding().SaveKeys(keys);
    keys[7]->PozicLinky = 4;
    keys[7]->MenoLinky = QStringLiteral("E0-L3 - AUT-4");
    keys[7]->TypLinky = 2;
    rig.binding().StoreKeyLines(keys);
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(rig.line(0, 3, 0)->Klavesa, Byte(255));
    QCOMPARE(rig.line(0, 3, 4)->Klavesa, Byte(7));
    QCOMPARE(rig.card(3).GetNameLin(4), QStringLiteral("AUT-4"));

    // An extended key moved to another extended line: the old one is freed,
    // the line keeps 253 while a keyed extended line remains.
    rig.binding().SaveKeys(keys);
    keys[12]->PozicRLinky = 9;
    keys[12]->MenoLinky = QStringLiteral("E0-L1 - MD-0 - Pr. 09");
    keys[12]->CisloUcastnika = 9;
    rig.binding().StoreKeyLines(keys);
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(rig.line(0, 1, 0)->RLinky[5]->Klavesa, Byte(255));
    QCOMPARE(rig.line(0, 1, 0)->RLinky[9]->Klavesa, Byte(12));
    QCOMPARE(rig.line(0, 1, 0)->RLinky[9]->CisloRLinky, Byte(9));
    QCOMPARE(rig.line(0, 1, 0)->RLinky[9]->MenoRLinky, QStringLiteral("E0-L1 - MD-0 - Pr. 09"));
    QCOMPARE(rig.line(0, 1, 0)->Klavesa, Byte(253));
}

void TestKeyBinding::storeExtendedAndShortNames()
{
    Rig rig;
    rig.addCard(1, std::make_unique<T4W5Card>());
    rig.addCard(3, std::make_unique<TUL10Card>());
    TKeyArray keys;
    rig.binding().SaveKeys(keys);
    auto bind = [&](int i, const QString &name, Byte type, Byte slot, Byte line, Byte ext) {
        keys[i]->MenoLinky = name;
        keys[i]->TypLinky = type;
        keys[i]->HWPozicDosky = slot;
        keys[i]->PozicLinky = line;
        keys[i]->PozicRLinky = ext;
        keys[i]->CisloUcastnika = ext;
    };
    bind(0, QStringLiteral("E0-L1 - MS-2 - Pr. 03"), 9, 1, 2, 3); // a whole extended name
    bind(1, QStringLiteral("MB"), 0, 3, 1, 255);                  // no position prefix: kept whole
    bind(2, QStringLiteral("MM"), 11, 1, 3, 6);                   // a short extended name
    bind(3, QStringLiteral("UB - B"), 1, 3, 2, 255);              // " - " without a position
    bind(4, QStringLiteral("E0-L3 - "), 3, 3, 3, 255);            // nothing after the prefix
    bind(5, QStringLiteral("nekonf"), 0, 3, 5, 255);              // not bound
    bind(6, QStringLiteral("AUT"), 2, 255, 0, 255);               // no board
    rig.binding().StoreKeyLines(keys);
    CHECK_BINDINGS(*rig.cfg);
    // Save writes a line's extended lines up to its count: the ones bound
    // here must be within it, or Save drops them and the keys come back unbound.
    QVERIFY(rig.line(0, 1, 2)->PocetRLiniek > 3);
    QVERIFY(rig.line(0, 1, 3)->PocetRLiniek > 6);
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("vlozene.orv"));
        rig.cfg->SaveToFile(file);
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 0);
        QCOMPARE(BindingFaults(back), QStringList());
        QCOMPARE(back.Pulty[0]->Dosky[1]->Linky[3]->RLinky[6]->Klavesa, Byte(2));
    }

    QCOMPARE(rig.card(1).GetNameLin(2), QStringLiteral("MS-2"));
    QCOMPARE(rig.line(0, 1, 2)->MenoLinky, QStringLiteral("E0-L1 - MS-2"));
    QCOMPARE(rig.line(0, 1, 2)->CisloLinky, Byte(9));
    QCOMPARE(rig.line(0, 1, 2)->Klavesa, Byte(253));
    QCOMPARE(rig.line(0, 1, 2)->RLinky[3]->Klavesa, Byte(0));

    QCOMPARE(rig.card(3).GetNameLin(1), QStringLiteral("MB"));
    QCOMPARE(rig.line(0, 3, 1)->MenoLinky, QStringLiteral("MB"));
    QCOMPARE(rig.line(0, 3, 1)->Klavesa, Byte(1));

    QCOMPARE(rig.card(1).GetNameLin(3), QStringLiteral("MM"));
    QCOMPARE(rig.line(0, 1, 3)->MenoLinky, QStringLiteral("MM"));
    QCOMPARE(rig.line(0, 1, 3)->CisloLinky, Byte(11));
    QCOMPARE(rig.line(0, 1, 3)->RLinky[6]->Klavesa, Byte(2));

    QCOMPARE(rig.card(3).GetNameLin(2), QStringLiteral("UB - B"));
    QCOMPARE(rig.line(0, 3, 2)->Klavesa, Byte(3));
    QCOMPARE(rig.card(3).GetNameLin(3), QStringLiteral("nekonf")); // the empty rest has no type
    QCOMPARE(rig.line(0, 3, 3)->Klavesa, Byte(4));

    QVERIFY(!rig.line(0, 3, 5)); // "nekonf": stored, no line made
    QCOMPARE(rig.key(0, 5).MenoLinky, NekonfName);
    QCOMPARE(rig.key(0, 6).MenoLinky, QStringLiteral("AUT")); // stored without a board
    QVERIFY(!rig.pult(0).Dosky[0]);
}

void TestKeyBinding::findAndGetKeys()
{
    Rig rig;
    rig.key(0, 4).NumLin = 7;
    rig.key(0, 9).NumLin = 7;
    rig.key(1, 2).NumLin = 3;
    int index = -1;
    QCOMPARE(rig.binding().FindKeyByNumber(7, index), &rig.key(0, 4));
    QCOMPARE(index, 4);
    QCOMPARE(rig.binding().FindKeyByNumber(3, index), nullptr); // console 1's key
    QCOMPARE(index, 255);
    index = 0;
    QCOMPARE(rig.binding().FindKeyByNumber(255, index), nullptr); // every other key has 255
    QCOMPARE(index, 255);
    QCOMPARE(rig.binding(1).FindKeyByNumber(3, index), &rig.key(1, 2));

    const struct {
        int n;
        bool found;
    } cases[] = {{0, true}, {223, true}, {224, false}, {255, false}, {-1, false}, {100000, false}};
    for (const auto &c : cases)
        QCOMPARE(rig.binding().GetKey(c.n) != nullptr, c.found);
    QCOMPARE(rig.binding().GetKey(17), &rig.key(0, 17));
    rig.pult(0).Klavesy[17].reset();
    QCOMPARE(rig.binding().GetKey(17), nullptr);
}

void TestKeyBinding::markBoardKeys()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.binding().AssignLineToKey(5, rig.selectLine(3, 0, QStringLiteral("MB"))));
    QVERIFY(rig.binding().AssignLineToKey(9, rig.selectLine(3, 4, QStringLiteral("HTP"))));
    QVERIFY(rig.binding().AssignLineToKey(10, rig.selectExt(1, 0, QStringLiteral("MD"), 5)));
    QVERIFY(rig.binding(1).AssignLineToKey(6, rig.selectLine(3, 1, QStringLiteral("UB"))));

    rig.binding().MarkBoardKeys(true, 3);
    QCOMPARE(rig.observer.colours, (QStringList{"0/5=ffa54a", "0/9=ffa54a"}));
    rig.observer.colours.clear();
    rig.binding().MarkBoardKeys(false, 3);
    QCOMPARE(rig.observer.colours, (QStringList{"0/5=c8d0d4", "0/9=c8d0d4"}));
    rig.observer.colours.clear();
    rig.binding(1).MarkBoardKeys(true, 3);
    QCOMPARE(rig.observer.colours, (QStringList{"1/6=ffa54a"}));
    rig.observer.colours.clear();
    // No board selected: unbound keys (board 255) are not coloured.
    rig.binding().MarkBoardKeys(true, 255);
    rig.binding().MarkBoardKeys(true, -1);
    QVERIFY(rig.observer.colours.isEmpty());
}

void TestKeyBinding::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stripped");
    QTest::addColumn<QString>("withoutLast");
    QTest::newRow("plain") << "E0-L3 - MB-0" << "MB-0" << "E0-L3";
    QTest::newRow("extended") << "E0-L1 - MD-0 - Pr. 05" << "MD-0 - Pr. 05" << "E0-L1 - MD-0";
    QTest::newRow("nekonf") << "nekonf" << "nekonf" << "nekonf";
    QTest::newRow("short") << "MB" << "MB" << "MB";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("no position before") << "UB - B" << "UB - B" << "UB";
    QTest::newRow("only the prefix") << "E1-H7 - " << "" << "E1-H7";
    QTest::newRow("older short position") << "1H3 - KONF" << "KONF" << "1H3";
    QTest::newRow("separator first") << " - MB" << " - MB" << "";
}

void TestKeyBinding::names()
{
    QFETCH(QString, name);
    QFETCH(QString, stripped);
    QFETCH(QString, withoutLast);
    QCOMPARE(StripLinePosPrefix(name), stripped);
    QCOMPARE(WithoutLastPart(name), withoutLast);
}

void TestKeyBinding::noConfigurationOrConsole()
{
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    const TLineSelection sel = rig.selectLine(3, 0, QStringLiteral("MB"));
    rig.cfg->Pulty[1].reset();
    for (TKeyBinding b : {TKeyBinding(nullptr, 0, rig.services()), rig.binding(1), rig.binding(255), rig.binding(-1)}) {
        QVERIFY(!b.AssignLineToKey(5, sel));
        QVERIFY(!b.DeleteKeys(5, true, true, false));
        QVERIFY(!b.KeyNameUnique(QStringLiteral("x")));
        QVERIFY(!b.CanPlaceLine(3, 0, QStringLiteral("E0-L3 - MD-0"), 3));
        QCOMPARE(b.GetKey(5), nullptr);
        int index = 0;
        QCOMPARE(b.FindKeyByNumber(1, index), nullptr);
        QCOMPARE(index, 255);
        TKeyArray keys;
        b.SaveKeys(keys);
        QVERIFY(!keys[0]);
        b.StoreKeyLines(keys);
        b.MarkBoardKeys(true, 3);
        TKlavesa k;
        b.UpdateKeysOfLine(k);
        b.ShareMSNOfLine(k);
    }
    QCOMPARE(rig.modified, 0);
    QCOMPARE(rig.rebuilt, 0);
    QVERIFY(rig.observer.colours.isEmpty());
}

void TestKeyBinding::hostilePositions()
{
    // Positions past every array: nothing is indexed past its end (the
    // sanitizers watch), nothing is bound, nothing throws.
    Rig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    rig.addCard(31, std::make_unique<T4W5Card>());
    TLineSelection ok = rig.selectExt(1, 0, QStringLiteral("MD"), 5);
    const TLineSelection plain = rig.selectLine(3, 0, QStringLiteral("MB"));
    for (int k : {-1, 224, 253, 255, 300, 100000})
        QVERIFY(!rig.binding().AssignLineToKey(k, ok));
    for (int slot : {-5, 32, 255, 1000}) {
        TLineSelection s = plain;
        s.Slot = slot;
        QVERIFY(!rig.binding().AssignLineToKey(5, s));
    }
    for (int line : {10, 200, 254}) {
        TLineSelection s = plain;
        s.Line = Byte(line);
        QVERIFY(!rig.binding().AssignLineToKey(5, s));
        s = ok;
        s.Line = Byte(line);
        QVERIFY(!rig.binding().AssignLineToKey(5, s));
    }
    for (int pos : {250, 251, 254}) {
        TLineSelection s = ok;
        s.ExtPosition = Byte(pos);
        QVERIFY(!rig.binding().AssignLineToKey(5, s));
    }
    {
        TLineSelection s = plain;
        s.LineButtonCount = 5000;
        QVERIFY(rig.binding().AssignLineToKey(6, s));
        QCOMPARE(rig.pult(0).Dosky[3]->PocetLiniek, Byte(10));
    }
    // The last places of every array still work.
    rig.pult(0).Dosky[1]->Linky[0]->PocetRLiniek = 250;
    rig.selectExt(1, 0, QStringLiteral("MD"), 249);
    ok.ExtPosition = 249;
    ok.PressedCaption = QStringLiteral("last");
    QVERIFY(rig.binding().AssignLineToKey(223, ok));
    QCOMPARE(rig.pult(0).Dosky[1]->Linky[0]->RLinky[249]->Klavesa, Byte(223));
    CHECK_BINDINGS(*rig.cfg);
    QVERIFY(rig.binding().DeleteKeys(223, false, true, false));
    CHECK_BINDINGS(*rig.cfg);

    // Keys naming places outside the arrays.
    const struct {
        Byte slot, line, ext;
    } places[] = {{32, 0, 255}, {200, 0, 255}, {254, 9, 255}, {3, 10, 255}, {3, 200, 255}, {3, 254, 5},
                  {1, 0, 250}, {1, 0, 254}, {31, 4, 249}, {3, 255, 255}};
    for (const auto &p : places) {
        TKlavesa &k = rig.key(0, 50);
        k.Reset();
        k.MenoLinky = QStringLiteral("E0-L3 - MB-0 - X");
        k.TypLinky = 0;
        k.HWPozicDosky = p.slot;
        k.PozicLinky = p.line;
        k.PozicRLinky = p.ext;
        TKeyArray keys;
        rig.binding().SaveKeys(keys);
        rig.binding().StoreKeyLines(keys);
        QCOMPARE(rig.key(0, 50).HWPozicDosky, p.slot); // stored as it is
        rig.binding().UpdateKeysOfLine(rig.key(0, 50));
        TKlavesa copy = rig.key(0, 50);
        rig.binding().ShareMSNOfLine(copy);
        rig.binding().MarkBoardKeys(true, p.slot);
        QVERIFY(rig.binding().DeleteKeys(50, false, true, true));
        QVERIFY(rig.binding().DeleteKeys(50, false, true, false));
        QVERIFY(rig.key(0, 50).IsUnconfigured());
    }
    // Lines and extended lines pointing at keys that do not exist.
    rig.pult(0).Dosky[1]->Linky[0]->Klavesa = 240;
    rig.pult(0).Dosky[1]->Linky[0]->RLinky[7] = std::make_unique<TRLinka>();
    rig.pult(0).Dosky[1]->Linky[0]->RLinky[7]->Klavesa = 230;
    TKlavesa probe;
    probe.HWPozicDosky = 1;
    probe.PozicLinky = 0;
    rig.binding().UpdateKeysOfLine(probe);
    rig.binding().ShareMSNOfLine(probe);
    QVERIFY(!BindingFaults(*rig.cfg).isEmpty());

    for (int n : {-1000, -1, 224, 255, 256, 1 << 20})
        QCOMPARE(rig.binding().GetKey(n), nullptr);
    int index = 0;
    QCOMPARE(rig.binding().FindKeyByNumber(-3, index), nullptr);
    QCOMPARE(rig.binding().FindKeyByNumber(1000, index), nullptr);
    for (int k : {-1, 224, 255, 1 << 20})
        QVERIFY(!rig.binding().DeleteKeys(k, true, true, false));

    TKeyArray full;
    rig.binding().SaveKeys(full);
    for (int last : {-10, 0, 223, 224, 500})
        for (int shift : {-300, -224, -1, 0, 1, 223, 224, 300})
            (void)CanMoveKeys(full, full, last, shift); // only the sanitizers judge these
    for (int line : {-1, 10, 255, 1000})
        QVERIFY(!rig.binding().CanPlaceLine(1, line, QStringLiteral("MD"), 5));
    for (int pos : {-1, 250, 254, 1000})
        QVERIFY(!rig.binding().CanPlaceLine(1, 0, QStringLiteral("Pr."), pos));
}

void TestKeyBinding::lineNumbersAfterBinding()
{
    Rig rig;
    rig.numberLines = true;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.binding().AssignLineToKey(5, rig.selectLine(3, 2, QStringLiteral("MB"))));
    QCOMPARE(rig.key(0, 5).NumLin, Byte(17)); // by position: slot x 5 + line
    QVERIFY(rig.binding().AssignLineToKey(10, rig.selectExt(1, 0, QStringLiteral("MD"), 5)));
    QVERIFY(rig.binding().AssignLineToKey(11, rig.selectExt(1, 0, QStringLiteral("MD"), 63)));
    QCOMPARE(rig.line(0, 1, 0)->Klavesa, Byte(253));
    QCOMPARE(rig.key(0, 10).NumLin, Byte(5)); // a line with only keyed extended lines is numbered
    QCOMPARE(rig.key(0, 11).NumLin, Byte(5));
    int index = 0;
    QCOMPARE(rig.binding().FindKeyByNumber(5, index), &rig.key(0, 10));
    QCOMPARE(index, 10);

    // The last extended-line place is numbered, and a count past the places
    // reads nothing beyond them.
    TLinka &md = *rig.line(0, 1, 0);
    md.RLinky[249] = std::make_unique<TRLinka>();
    md.RLinky[249]->Klavesa = 223;
    rig.key(0, 223) = rig.key(0, 11);
    rig.key(0, 223).PozicRLinky = 249;
    rig.key(0, 223).NumLin = 255;
    for (int count : {250, 255}) {
        md.PocetRLiniek = Byte(count);
        BuildUniTable(rig.cfg.get(), rig.image, &rig.boardList);
        QCOMPARE(rig.key(0, 223).NumLin, Byte(5));
        rig.key(0, 223).NumLin = 255;
    }
    CHECK_BINDINGS(*rig.cfg);

    QVERIFY(rig.binding().DeleteKeys(10, false, false, false));
    QVERIFY(rig.binding().DeleteKeys(11, false, false, false));
    QVERIFY(rig.binding().DeleteKeys(223, false, false, false));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(md.Klavesa, Byte(255));
}

void TestKeyBinding::fixtureBindingsHold()
{
    // The shared fixture, with cards for its UL10 and 4W5 boards: consistent
    // as built, after writing every key back, and after deleting key by key.
    for (bool allConsoles : {false, true}) {
        Rig rig;
        rig.cfg = fixture::BuildFixture();
        rig.cards.SetCard(0, std::make_unique<TUL10Card>());
        rig.cards.SetCard(1, std::make_unique<T4W5Card>());
        CHECK_BINDINGS(*rig.cfg);

        for (int c : {0, 1}) {
            TKeyArray keys;
            rig.binding(c).SaveKeys(keys);
            rig.binding(c).StoreKeyLines(keys);
            CHECK_BINDINGS(*rig.cfg);
            for (int k = 0; k < KeyCount; ++k)
                if (rig.cfg->Pulty[c]->Klavesy[k])
                    QCOMPARE(fixture::DumpKey(rig.key(c, k)), fixture::DumpKey(*keys[k]));
        }
        QCOMPARE(rig.line(0, 1, 0)->Klavesa, Byte(253));
        QCOMPARE(rig.line(0, 1, 0)->RLinky[1]->Klavesa, Byte(2));

        int deleted = 0;
        for (int c : {0, 1})
            for (int k = 0; k < KeyCount; ++k) {
                deleted += rig.binding(c).DeleteKeys(k, true, allConsoles, false) ? 1 : 0;
                CHECK_BINDINGS(*rig.cfg);
            }
        QVERIFY(deleted > 0);
        for (int c : {0, 1})
            for (const auto &board : rig.cfg->Pulty[c]->Dosky)
                for (int l = 0; board && l < LineCount; ++l)
                    if (const TLinka *line = board->Linky[l].get()) {
                        QCOMPARE(line->Klavesa, Byte(255));
                        for (const auto &ext : line->RLinky)
                            QVERIFY(!ext || ext->Klavesa == 255);
                    }
        QVERIFY(rig.asked.isEmpty()); // confirmed: no question
    }
}

QTEST_GUILESS_MAIN(TestKeyBinding)
#include "test_keybinding.moc"
