#include "editing/blockmover.h"

#include <QTest>

#include "cardpack/dll_load.h"
#include "editing/keyinfo.h"
#include "tests/fixture/fixture.h"
#include "tests/keyedit/rig.h"

namespace
{

const KeyGrid PcGrid{8, 10};
const KeyGrid MechGrid{16, 7};

QList<int> movedKeys(const TBlockMover &m)
{
    QList<int> keys;
    for (int d = 0; d <= m.Last; ++d)
        if (m.Views()[d].Moved)
            keys << d;
    return keys;
}

// Keys 5 and 6 (one column, rows 5 and 6) bound to lines 0 and 1 of a UL10 card in slot 3.
struct StackedRig : KeyRig {
    StackedRig()
    {
        addCard(3, std::make_unique<TUL10Card>());
        bindLine(0, 5, 3, 0);
        bindLine(0, 6, 3, 1);
    }
};

} // namespace

class TestBlockMover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fixture::LoadLanguage(); }
    void moveFits_data();
    void moveFits();
    void snapsBelowTheColumnTop();
    void snapsOneColumnLeft();
    void listingText();
    void moveAndPlaceFollowLines();
    void cancelRestoresTheSnapshot();
    void placingNeedsAValidShift();
    void placeAfterAnOutsideChange_data();
    void placeAfterAnOutsideChange();
    void pasteAcceptance_data();
    void pasteAcceptance();
    void pasteKeepsTheBufferAndRepeats();
    void pasteNeverOverwritesAConfiguredKey();
    void copyMarkedKeys();
    void deleteMarkedOrActive();
    void keyboardTarget_data();
    void keyboardTarget();
    void keyboardMoveInMoveMode_data();
    void keyboardMoveInMoveMode();
    void keyPressActions_data();
    void keyPressActions();
    void emptySpeedDialRows_data();
    void emptySpeedDialRows();
};

void TestBlockMover::moveFits_data()
{
    QTest::addColumn<bool>("mechanical");
    QTest::addColumn<QList<int>>("block");
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("fits");
    QTest::newRow("pc up to the top") << false << QList<int>{5, 6} << 1 << true;
    QTest::newRow("pc across the top") << false << QList<int>{5, 6} << 2 << false;
    QTest::newRow("pc down to the bottom") << false << QList<int>{5, 6} << -5 << true;
    QTest::newRow("pc across the bottom") << false << QList<int>{5, 6} << -6 << false;
    QTest::newRow("pc one column right") << false << QList<int>{5, 6} << 8 << true;
    QTest::newRow("pc two columns, whole rows") << false << QList<int>{0, 15} << 8 << true;
    QTest::newRow("pc two columns, shifted a row") << false << QList<int>{0, 15} << 1 << false;
    QTest::newRow("mech top key stays") << true << QList<int>{14, 15} << 0 << true;
    QTest::newRow("mech top key across") << true << QList<int>{14, 15} << 1 << false;
    QTest::newRow("mech next column top") << true << QList<int>{14, 15} << 16 << true;
    QTest::newRow("mech full column") << true << QList<int>{16, 31} << -16 << true;
}

void TestBlockMover::moveFits()
{
    QFETCH(bool, mechanical);
    QFETCH(QList<int>, block);
    QFETCH(int, shift);
    QFETCH(bool, fits);
    KeyRig rig(mechanical ? 2 : 1, 2);
    rig.addCard(3, std::make_unique<TUL10Card>());
    const int console = mechanical ? 1 : 0;
    int line = 0;
    for (int n : block)
        QVERIFY(rig.bindLine(console, n, 3, line++));
    TBlockMover mover(mechanical ? MechGrid : PcGrid, 2);
    TCopyBuffer buffer;
    QVERIFY(mover.StartMove(block, block, rig.binding(console), buffer));
    const KeyGrid grid = mechanical ? MechGrid : PcGrid;
    QCOMPARE(mover.MoveFits(shift, grid.rows), fits);
    QCOMPARE(mover.ShiftValid(shift), fits);
}

void TestBlockMover::snapsBelowTheColumnTop()
{
    StackedRig rig;
    TBlockMover mover(PcGrid, 3);
    TCopyBuffer buffer;
    const QList<int> block{5, 6};
    QVERIFY(mover.StartMove(block, block, rig.binding(), buffer));
    QCOMPARE(movedKeys(mover), block);
    QCOMPARE(mover.MoveBase(), 5);

    // One key up: free above, so it is taken as it is.
    QVERIFY(mover.Preview(6));
    QCOMPARE(mover.Shift(), 1);
    QCOMPARE(movedKeys(mover), (QList<int>{6, 7}));
    QCOMPARE(mover.Views()[5].Caption, QString());
    QCOMPARE(mover.Views()[7].Caption, rig.key(0, 6).MenoKlavesy);

    // Back at shift 0, then the mouse on the top key: keys 7 and 8 would cross
    // the top, the search goes down the column to the nearest valid place.
    QVERIFY(mover.Preview(5));
    QVERIFY(!mover.ShiftValid(2));
    QVERIFY(mover.Preview(7));
    QCOMPARE(mover.Shift(), 1);
    QCOMPARE(mover.MoveBase(), 6);
    QCOMPARE(movedKeys(mover), (QList<int>{6, 7}));
    CHECK_BINDINGS(*rig.cfg); // nothing written while previewing
    QCOMPARE(rig.line(0, 3, 0)->Klavesa, Byte(5));
}

void TestBlockMover::snapsOneColumnLeft()
{
    // A full column (keys 16..23) can only move by whole columns. Column 1 is
    // blocked by a key at 12, so from key 13 the search runs down, up, and on
    // into column 0.
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(4, std::make_unique<TUL10Card>());
    QList<int> block;
    for (int n = 16; n < 24; ++n) {
        QVERIFY(rig.bindLine(0, n, n < 20 ? 3 : 4, n % 4));
        block << n;
    }
    QVERIFY(rig.bindLine(0, 12, 3, 7));
    TBlockMover mover(PcGrid, 3);
    TCopyBuffer buffer;
    QVERIFY(mover.StartMove(block, block, rig.binding(), buffer));
    QVERIFY(mover.Preview(13));
    QCOMPARE(mover.Shift(), -16);
    QCOMPARE(mover.MoveBase(), 0);
    QCOMPARE(movedKeys(mover), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(mover.Views()[12].Caption, rig.key(0, 12).MenoKlavesy);
    QCOMPARE(mover.Views()[12].Moved, false);
}

void TestBlockMover::listingText()
{
    StackedRig rig;
    QVERIFY(rig.bindLine(0, 20, 3, 4, QStringLiteral("AUT")));
    TBlockMover mover(PcGrid, 3);
    TCopyBuffer buffer;
    QVERIFY(mover.StartMove({5}, {5}, rig.binding(), buffer));
    QVERIFY(mover.Preview(7));
    const TKlavesa &moved = rig.key(0, 5);
    const QString line7 = QStringLiteral("007. \"%1\" \"%2\" %3 (%4) konfig 3. doska 0. linka (od 5 kam 7)")
                              .arg(moved.MenoKlavesy, moved.HintKlavesy, moved.MenoLinky)
                              .arg(moved.TypLinky);
    const TKlavesa &stays = rig.key(0, 20);
    const QString line20 =
        QStringLiteral("020. \"%1\" \"%2\" %3 (%4) konfig 3. doska 4. linka (od 20 kam 20)")
            .arg(stays.MenoKlavesy, stays.HintKlavesy, stays.MenoLinky)
            .arg(stays.TypLinky);
    // Key 6 stays too; key 5's place is free and not listed.
    const QString line6 = MoveListingLine(rig.key(0, 6), 6, 6);
    QCOMPARE(mover.Listing(), (QStringList{line6, line7, line20}));
    QVERIFY(line6.endsWith(QStringLiteral("(od 6 kam 6)")));
    QCOMPARE(mover.ListingText(), mover.Listing().join(QStringLiteral("\r\n")));

    // An extended line names its position as an "Rlinka".
    TKlavesa ext;
    ext.MenoKlavesy = QStringLiteral("Pr");
    ext.HintKlavesy = QStringLiteral("H");
    ext.MenoLinky = QStringLiteral("E0-L1 - MD-0 - Pr. 05");
    ext.TypLinky = 10;
    ext.HWPozicDosky = 1;
    ext.PozicRLinky = 5;
    QCOMPARE(MoveListingLine(ext, 12, 3),
             QStringLiteral(
                 "012. \"Pr\" \"H\" E0-L1 - MD-0 - Pr. 05 (10) konfig 1. doska 5. Rlinka (od 3 kam 12)"));
}

void TestBlockMover::moveAndPlaceFollowLines()
{
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.bindLine(0, 5, 3, 0));
    QVERIFY(rig.bindExt(0, 6, 1, 0, 5));
    QVERIFY(rig.bindLine(0, 30, 3, 2));
    CHECK_BINDINGS(*rig.cfg);
    const QString name5 = rig.key(0, 5).MenoKlavesy;
    const QString name6 = rig.key(0, 6).MenoKlavesy;

    TBlockMover mover(PcGrid, 3);
    TCopyBuffer buffer;
    TKeyBinding binding = rig.binding();
    QVERIFY(mover.StartMove({5, 6}, {5, 6}, binding, buffer));
    QVERIFY(mover.Preview(13)); // one column to the right
    QCOMPARE(mover.Shift(), 8);
    const TPasteChecks checks = rig.checks(binding);
    QVERIFY(mover.Place(binding, checks));
    QVERIFY(!mover.Active());
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(rig.key(0, 13).MenoKlavesy, name5);
    QCOMPARE(rig.key(0, 14).MenoKlavesy, name6);
    QCOMPARE(rig.key(0, 13).Led, Byte(13));
    QVERIFY(rig.key(0, 5).IsUnconfigured());
    QVERIFY(rig.key(0, 6).IsUnconfigured());
    QCOMPARE(rig.line(0, 3, 0)->Klavesa, Byte(13));
    QCOMPARE(rig.line(0, 1, 0)->RLinky[5]->Klavesa, Byte(14));
    QCOMPARE(rig.line(0, 3, 2)->Klavesa, Byte(30));
    QCOMPARE(mover.Views()[13].Caption, name5);
    QCOMPARE(mover.Views()[13].Moved, false);
    QCOMPARE(mover.MoveBase(), 13);
    // The marked keys went into the copy buffer as they were.
    QCOMPARE(buffer.Count, 2);
    QCOMPARE(buffer.Keys[5]->MenoKlavesy, name5);
}

void TestBlockMover::cancelRestoresTheSnapshot()
{
    StackedRig rig;
    rig.key(0, 5).HintKlavesy = QStringLiteral("hint five");
    const QString before = DumpConsole(rig.pult(0));
    TBlockMover mover(PcGrid, 3);
    TCopyBuffer buffer;
    QVERIFY(mover.StartMove({5, 6}, {5, 6}, rig.binding(), buffer));
    QVERIFY(mover.Preview(29));
    QCOMPARE(mover.Views()[5].Caption, QString());
    mover.Cancel();
    QVERIFY(!mover.Active());
    for (int d = 0; d <= mover.Last; ++d) {
        QCOMPARE(mover.Views()[d].Caption, rig.key(0, d).MenoKlavesy);
        QCOMPARE(mover.Views()[d].Hint, rig.key(0, d).HintKlavesy);
        QVERIFY(!mover.Views()[d].Moved);
    }
    QCOMPARE(DumpConsole(rig.pult(0)), before);
    TKeyBinding binding = rig.binding();
    QVERIFY(!mover.Place(binding, rig.checks(binding)));
}

void TestBlockMover::placingNeedsAValidShift()
{
    // Keys 5 and 6 cannot go where the mouse is (crossing the top) and no
    // valid place was previewed in the paste: the click places nothing.
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.bindLine(0, 5, 3, 0));
    QVERIFY(rig.bindLine(0, 6, 3, 1));
    TCopyBuffer buffer;
    QVERIFY(CopyMarkedKeys(buffer, {5, 6}, 223, rig.binding(0)));
    // Console 1 carries keys at 5 and 6 as well and everything below.
    for (int n = 0; n < 8; ++n)
        QVERIFY(rig.bindLine(1, n, 3, n + 2 < 10 ? n + 2 : 9));
    TKeyBinding b1 = rig.binding(1);
    TBlockMover mover(PcGrid, 1);
    const auto start = mover.StartPaste(buffer, b1, rig.checks(b1));
    QVERIFY(start.Started);
    QVERIFY(!mover.HasValidShift());
    const QString before = DumpConsole(rig.pult(1));
    QVERIFY(!mover.Place(b1, rig.checks(b1)));
    QVERIFY(mover.Active());
    QCOMPARE(DumpConsole(rig.pult(1)), before);
}

void TestBlockMover::placeAfterAnOutsideChange_data()
{
    QTest::addColumn<bool>("paste"); // else a move in console 0
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("stale"); // the console's keys changed
    QTest::newRow("move, another key deleted") << false << "delete 30" << true;
    QTest::newRow("move, the moved key deleted") << false << "delete 5" << true;
    QTest::newRow("move, a board code converted") << false << "code" << true;
    QTest::newRow("paste, a key of the console deleted") << true << "delete 30" << true;
    QTest::newRow("paste, the card of its line gone") << true << "card" << false;
}

// The console changes between the start of a move or paste and its placing
// click: nothing is placed, and the console stays as the change left it.
void TestBlockMover::placeAfterAnOutsideChange()
{
    QFETCH(bool, paste);
    QFETCH(QString, change);
    QFETCH(bool, stale);
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.bindLine(0, 5, 3, 0));
    QVERIFY(rig.bindLine(0, 30, 3, 2));
    QVERIFY(rig.bindLine(1, 30, 3, 4));
    const int console = paste ? 1 : 0;
    TKeyBinding binding = rig.binding(console);
    const TPasteChecks checks = rig.checks(binding);
    TBlockMover mover(PcGrid, 3);
    TCopyBuffer buffer;
    if (paste) {
        QVERIFY(CopyMarkedKeys(buffer, {5}, 223, rig.binding(0)));
        QVERIFY(mover.StartPaste(buffer, binding, checks).Started);
    } else {
        QVERIFY(mover.StartMove({5}, {5}, binding, buffer));
    }
    QVERIFY(mover.Preview(13));
    QVERIFY(!mover.Stale(binding));

    if (change == QStringLiteral("delete 30"))
        QVERIFY(rig.binding(console).DeleteKeys(30, true, false, false));
    else if (change == QStringLiteral("delete 5"))
        QVERIFY(rig.binding(0).DeleteKeys(5, true, false, false));
    else if (change == QStringLiteral("code"))
        rig.key(0, 5).KodDosky = 0x72;
    else if (change == QStringLiteral("card"))
        rig.cards.FreeCard(3);
    const QString after = DumpConsole(rig.pult(console));
    QCOMPARE(mover.Stale(binding), stale);

    QVERIFY(!mover.Place(binding, checks));
    QCOMPARE(DumpConsole(rig.pult(console)), after);
    QVERIFY(!IsConfiguredKey(&rig.key(console, 13)));
    CHECK_BINDINGS(*rig.cfg);

    // Ended from outside, the views show the console as it is now.
    mover.Cancel(&binding);
    QVERIFY(!mover.Active());
    QVERIFY(!mover.Stale(binding));
    for (int d = 0; d <= mover.Last; ++d) {
        QCOMPARE(mover.Views()[d].Caption, rig.key(console, d).MenoKlavesy);
        QVERIFY(!mover.Views()[d].Moved);
    }
}

void TestBlockMover::pasteAcceptance_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QList<int>>("accepted");
    QTest::addColumn<int>("refused");
    // Keys 5 (plain line 0 of slot 3), 6 (plain line 1 of slot 3), 7
    // (extended line 5 of the MD line of slot 1) copied from console 0.
    QTest::newRow("all lines free in the other console") << "free" << QList<int>{5, 6, 7} << 0;
    QTest::newRow("same console: names and lines taken") << "same" << QList<int>{} << 3;
    QTest::newRow("a plain line already bound") << "line taken" << QList<int>{6, 7} << 1;
    QTest::newRow("a line name already used") << "name used" << QList<int>{5, 7} << 1;
    QTest::newRow("the slot's card answers another code") << "other card" << QList<int>{7} << 2;
    QTest::newRow("an extended line already bound") << "ext taken" << QList<int>{5, 6} << 1;
    QTest::newRow("an extended line of a keyed line, taken")
        << "ext taken, line keyed" << QList<int>{5, 6} << 1;
    QTest::newRow("an empty entry is no key") << "empty entry" << QList<int>{5, 6, 7} << 0;
}

void TestBlockMover::pasteAcceptance()
{
    QFETCH(QString, setup);
    QFETCH(QList<int>, accepted);
    QFETCH(int, refused);
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.bindLine(0, 5, 3, 0));
    QVERIFY(rig.bindLine(0, 6, 3, 1));
    QVERIFY(rig.bindExt(0, 7, 1, 0, 5));
    TCopyBuffer buffer;
    QList<int> marked{5, 6, 7};
    if (setup == QStringLiteral("empty entry"))
        marked << 8; // an unconfigured key marked as well
    QVERIFY(CopyMarkedKeys(buffer, marked, 223, rig.binding(0)));

    int console = 1;
    if (setup == QStringLiteral("same")) {
        console = 0;
    } else if (setup == QStringLiteral("line taken")) {
        QVERIFY(rig.bindLine(1, 40, 3, 0));
        rig.key(1, 40).MenoLinky = QStringLiteral("E0-L3 - other"); // the name alone would pass
    } else if (setup == QStringLiteral("name used")) {
        QVERIFY(rig.bindLine(1, 41, 3, 6, QStringLiteral("MB")));
        rig.key(1, 41).MenoLinky = rig.key(0, 6).MenoLinky;
    } else if (setup == QStringLiteral("other card")) {
        rig.cards.SetCard(3, std::make_unique<TGsmCard>());
    } else if (setup == QStringLiteral("ext taken")) {
        QVERIFY(rig.bindExt(1, 42, 1, 0, 5));
        rig.key(1, 42).MenoLinky = QStringLiteral("E0-L1 - elsewhere");
    } else if (setup == QStringLiteral("ext taken, line keyed")) {
        // A key on the plain line itself and the extended line held by another key.
        QVERIFY(rig.bindExt(1, 42, 1, 0, 5));
        rig.key(1, 42).MenoLinky = QStringLiteral("E0-L1 - elsewhere");
        rig.key(1, 43) = rig.key(1, 42);
        rig.key(1, 43).PozicRLinky = 255;
        rig.key(1, 43).MenoLinky = QStringLiteral("E0-L1 - plain");
        rig.line(1, 1, 0)->Klavesa = 43;
    }
    CHECK_BINDINGS(*rig.cfg);
    const QString bufferBefore = DumpBuffer(buffer);
    TKeyBinding binding = rig.binding(console);
    const TPasteChecks checks = rig.checks(binding);
    TBlockMover mover(PcGrid, 3);
    const auto start = mover.StartPaste(buffer, binding, checks);
    QCOMPARE(start.Accepted, accepted);
    QCOMPARE(start.Refused, refused);
    QCOMPARE(start.Started, !accepted.isEmpty());
    QCOMPARE(mover.Active(), !accepted.isEmpty());
    QCOMPARE(DumpBuffer(buffer), bufferBefore);
    if (accepted.isEmpty())
        return;
    QCOMPARE(mover.BlockLow(), accepted.front());
    QCOMPARE(mover.BlockHigh(), accepted.back());
    // Placed wherever the preview finds room: the lines follow, nothing breaks.
    mover.Preview(accepted.front() + 16);
    QVERIFY(mover.HasValidShift());
    QVERIFY(mover.Place(binding, checks));
    CHECK_BINDINGS(*rig.cfg);
    for (int n : accepted) {
        const TKlavesa &k = rig.key(console, n + mover.Shift());
        QCOMPARE(k.MenoLinky, buffer.Keys[n]->MenoLinky);
        QCOMPARE(k.Led, Byte(n + mover.Shift()));
    }
}

void TestBlockMover::pasteKeepsTheBufferAndRepeats()
{
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    rig.addCard(1, std::make_unique<T4W5Card>());
    QVERIFY(rig.bindLine(0, 5, 3, 0));
    QVERIFY(rig.bindExt(0, 6, 1, 0, 5));
    TCopyBuffer buffer;
    QVERIFY(CopyMarkedKeys(buffer, {5, 6}, 223, rig.binding(0)));
    const QString bufferBefore = DumpBuffer(buffer);
    const QString emptyConsole = DumpConsole(rig.pult(1));

    auto pasteAt = [&](int k) {
        TKeyBinding b = rig.binding(1);
        const TPasteChecks checks = rig.checks(b);
        TBlockMover mover(PcGrid, 3);
        const auto start = mover.StartPaste(buffer, b, checks);
        if (!start.Started || start.Refused != 0)
            return false;
        mover.Preview(k);
        return mover.Place(b, checks);
    };
    QVERIFY(pasteAt(21));
    CHECK_BINDINGS(*rig.cfg);
    const QString first = DumpConsole(rig.pult(1));
    QCOMPARE(rig.key(1, 21).MenoLinky, rig.key(0, 5).MenoLinky);
    QCOMPARE(rig.line(1, 3, 0)->Klavesa, Byte(21));
    QCOMPARE(rig.line(1, 1, 0)->RLinky[5]->Klavesa, Byte(22));
    QCOMPARE(DumpBuffer(buffer), bufferBefore);

    // The same buffer again into the same console: its lines are bound now.
    {
        TKeyBinding b = rig.binding(1);
        TBlockMover mover(PcGrid, 3);
        const auto start = mover.StartPaste(buffer, b, rig.checks(b));
        QVERIFY(!start.Started);
        QCOMPARE(start.Refused, 2);
    }
    QCOMPARE(DumpConsole(rig.pult(1)), first);

    // Deleted again, then pasted again: the very same layout.
    TKeyBinding b = rig.binding(1);
    const QList<int> deleted =
        DeleteKeyList({21, 22}, [&](int n) { return b.DeleteKeys(n, false, false, false); });
    QCOMPARE(deleted, (QList<int>{21, 22}));
    CHECK_BINDINGS(*rig.cfg);
    QVERIFY(pasteAt(21));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(DumpConsole(rig.pult(1)), first);
    QCOMPARE(DumpBuffer(buffer), bufferBefore);
    QVERIFY(first != emptyConsole);
}

void TestBlockMover::pasteNeverOverwritesAConfiguredKey()
{
    KeyRig rig;
    rig.addCard(3, std::make_unique<TUL10Card>());
    QVERIFY(rig.bindLine(0, 5, 3, 0));
    TCopyBuffer buffer;
    QVERIFY(CopyMarkedKeys(buffer, {5}, 223, rig.binding(0)));
    // Console 1 holds a configured key at 5 (another line) and one at 6 with
    // a caption but no line.
    QVERIFY(rig.bindLine(1, 5, 3, 3));
    rig.key(1, 6).MenoKlavesy = QStringLiteral("Label");
    TKeyBinding b = rig.binding(1);
    const TPasteChecks checks = rig.checks(b);
    TBlockMover mover(PcGrid, 3);
    QVERIFY(mover.StartPaste(buffer, b, checks).Started);
    QVERIFY(!mover.ShiftValid(0));
    // The mouse on key 5: the search goes down to key 4.
    QVERIFY(mover.Preview(5));
    QCOMPARE(mover.Shift(), -1);
    QVERIFY(mover.Place(b, checks));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(rig.key(1, 5).PozicLinky, Byte(3));
    QCOMPARE(rig.key(1, 4).PozicLinky, Byte(0));
    QCOMPARE(rig.line(1, 3, 0)->Klavesa, Byte(4));
    QCOMPARE(rig.line(1, 3, 3)->Klavesa, Byte(5));
}

void TestBlockMover::copyMarkedKeys()
{
    StackedRig rig;
    TCopyBuffer buffer;
    QVERIFY(!CopyMarkedKeys(buffer, {}, 223, rig.binding()));
    QVERIFY(buffer.Empty());
    QVERIFY(CopyMarkedKeys(buffer, {6, 5, 300, -1}, 223, rig.binding()));
    QCOMPARE(buffer.Count, 2);
    QCOMPARE(buffer.Lowest, 5);
    QCOMPARE(buffer.Highest, 6);
    QVERIFY(!buffer.Keys[4]);
    const QString before = DumpBuffer(buffer);
    // Owned copies: the console changing does not change the buffer.
    rig.key(0, 5).MenoKlavesy = QStringLiteral("renamed");
    QCOMPARE(DumpBuffer(buffer), before);
    // Nothing marked: the buffer stays.
    QVERIFY(!CopyMarkedKeys(buffer, {}, 223, rig.binding()));
    QCOMPARE(DumpBuffer(buffer), before);
}

void TestBlockMover::deleteMarkedOrActive()
{
    StackedRig rig;
    QVERIFY(rig.bindLine(0, 9, 3, 2));
    QList<std::uint32_t> colours(24, 0xC8D0D4);
    colours[5] = StateColors::Marked;
    colours[6] = StateColors::ActiveMarked;
    colours[9] = StateColors::Active;
    colours[10] = 0xA4A4A4;
    QCOMPARE(KeysToDelete(colours, true), (QList<int>{5, 6}));
    QCOMPARE(KeysToDelete(colours, false), (QList<int>{6, 9}));

    TKeyBinding b = rig.binding();
    const QList<int> deleted = DeleteKeyList(KeysToDelete(colours, false),
                                             [&](int n) { return b.DeleteKeys(n, false, false, false); });
    QCOMPARE(deleted, (QList<int>{6, 9}));
    CHECK_BINDINGS(*rig.cfg);
    QVERIFY(rig.key(0, 9).IsUnconfigured());
    QCOMPARE(rig.line(0, 3, 2)->Klavesa, Byte(255));
    QCOMPARE(rig.line(0, 3, 0)->Klavesa, Byte(5));
    // An unconfigured key is not deleted.
    QCOMPARE(DeleteKeyList({20}, [&](int n) { return b.DeleteKeys(n, false, false, false); }), QList<int>{});
}

void TestBlockMover::keyboardTarget_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("active");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QList<int>>("disabled");
    QTest::addColumn<int>("target");
    // PC: 3 screens, 224 keys.
    QTest::newRow("pc L one column right") << 1 << 10 << "L" << QList<int>{} << 18;
    QTest::newRow("pc 6 as L") << 1 << 10 << "6" << QList<int>{} << 18;
    QTest::newRow("pc l in lower case") << 1 << 10 << "l" << QList<int>{} << 18;
    QTest::newRow("pc L at the right edge of the last page") << 1 << 220 << "L" << QList<int>{} << 223;
    QTest::newRow("pc J below zero goes to 0") << 1 << 3 << "J" << QList<int>{} << 0;
    QTest::newRow("pc K at 0 changes nothing") << 1 << 0 << "K" << QList<int>{} << -1;
    QTest::newRow("pc I over disabled keys") << 1 << 10 << "I" << QList<int>{11, 12, 13} << 14;
    QTest::newRow("pc I at the top, wraps back below") << 1 << 222 << "I" << QList<int>{223} << -1;
    QTest::newRow("pc K all below disabled, back up") << 1 << 2 << "K" << QList<int>{0, 1} << -1;
    QTest::newRow("pc J wraps to the other direction") << 1 << 9 << "J" << QList<int>{0} << 1;
    QTest::newRow("pc other key") << 1 << 9 << "X" << QList<int>{} << -1;
    // Mechanical: one column is 16 keys.
    QTest::newRow("mech L") << 2 << 5 << "L" << QList<int>{} << 21;
    QTest::newRow("mech J") << 2 << 20 << "J" << QList<int>{} << 4;
    QTest::newRow("mech L past the last key") << 2 << 210 << "L" << QList<int>{} << 223;
    QTest::newRow("mech 8 up") << 2 << 15 << "8" << QList<int>{} << 16;
    QTest::newRow("mech L past the end, all above disabled: no change")
        << 2 << 210 << "L" << QList<int>{211, 212, 213, 214, 215, 216, 217, 218, 219, 220, 221, 222, 223}
        << -1;
}

void TestBlockMover::keyboardTarget()
{
    QFETCH(int, type);
    QFETCH(int, active);
    QFETCH(QString, key);
    QFETCH(QList<int>, disabled);
    QFETCH(int, target);
    const int step = KeyboardStep(key.at(0), Byte(type));
    QCOMPARE(KeyboardTarget(active, step, 223, [&](int n) { return !disabled.contains(n); }), target);
}

void TestBlockMover::keyboardMoveInMoveMode_data()
{
    QTest::addColumn<bool>("mechanical");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("base");
    QTest::newRow("pc up") << false << "I" << 6;
    QTest::newRow("pc up over a taken key") << false << "8" << 7;
    QTest::newRow("pc right") << false << "L" << 13;
    QTest::newRow("pc left at the first column") << false << "J" << 0;
    QTest::newRow("pc down") << false << "K" << 4;
    QTest::newRow("mech right") << true << "L" << 21;
    QTest::newRow("mech up over a taken key") << true << "I" << 7;
}

void TestBlockMover::keyboardMoveInMoveMode()
{
    QFETCH(bool, mechanical);
    QFETCH(QString, key);
    QFETCH(int, base);
    KeyRig rig(2, 2);
    rig.addCard(3, std::make_unique<TUL10Card>());
    const int console = mechanical ? 1 : 0;
    QVERIFY(rig.bindLine(console, 5, 3, 0));
    if (key == QStringLiteral("8") || key == QStringLiteral("I"))
        if (base == 7)
            QVERIFY(rig.bindLine(console, 6, 3, 1));
    TBlockMover mover(mechanical ? MechGrid : PcGrid, 2);
    TCopyBuffer buffer;
    QVERIFY(mover.StartMove({5}, {5}, rig.binding(console), buffer));
    const TKeyPress press = KeyPressAction(key.at(0), true, mechanical ? 2 : 1);
    QCOMPARE(press.what, TKeyPress::Move);
    QVERIFY(mover.KeyboardMove(press.Step));
    QCOMPARE(mover.MoveBase(), base);
    QCOMPARE(movedKeys(mover), QList<int>{base});
    TKeyBinding b = rig.binding(console);
    QVERIFY(mover.Place(b, rig.checks(b)));
    CHECK_BINDINGS(*rig.cfg);
    QCOMPARE(rig.line(console, 3, 0)->Klavesa, Byte(base));
}

void TestBlockMover::keyPressActions_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("moving");
    QTest::addColumn<int>("what");
    QTest::addColumn<bool>("menu");
    QTest::addColumn<bool>("navigate");
    QTest::addColumn<int>("step");
    QTest::newRow("-") << "-" << false << int(TKeyPress::DeleteMarked) << true << false << 0;
    QTest::newRow("*") << "*" << false << int(TKeyPress::InvertAll) << true << false << 0;
    QTest::newRow("/") << "/" << false << int(TKeyPress::StartMove) << true << false << 0;
    QTest::newRow("+") << "+" << false << int(TKeyPress::ClickActive) << true << false << 0;
    QTest::newRow("p") << "p" << false << int(TKeyPress::ClickActive) << true << true << 0;
    QTest::newRow("0") << "0" << false << int(TKeyPress::ClickActive) << true << true << 0;
    QTest::newRow("j") << "j" << false << int(TKeyPress::Move) << false << true << -8;
    QTest::newRow("x") << "x" << false << int(TKeyPress::None) << false << false << 0;
    QTest::newRow("esc moving") << "\x1b" << true << int(TKeyPress::CancelMove) << false << false << 0;
    QTest::newRow("/ moving") << "/" << true << int(TKeyPress::CancelMove) << false << false << 0;
    QTest::newRow("- moving") << "-" << true << int(TKeyPress::CancelMove) << false << false << 0;
    QTest::newRow("p moving") << "P" << true << int(TKeyPress::PlaceBlock) << false << false << 0;
    QTest::newRow("+ moving") << "+" << true << int(TKeyPress::PlaceBlock) << false << false << 0;
    QTest::newRow("6 moving") << "6" << true << int(TKeyPress::Move) << false << false << 8;
    QTest::newRow("* moving") << "*" << true << int(TKeyPress::None) << false << false << 0;
    QTest::newRow("esc outside") << "\x1b" << false << int(TKeyPress::None) << false << false << 0;
}

void TestBlockMover::keyPressActions()
{
    QFETCH(QString, key);
    QFETCH(bool, moving);
    QFETCH(int, what);
    QFETCH(bool, menu);
    QFETCH(bool, navigate);
    QFETCH(int, step);
    const TKeyPress press = KeyPressAction(key.at(0), moving, 1);
    QCOMPARE(int(press.what), what);
    QCOMPARE(press.PrepareMenu, menu);
    QCOMPARE(press.Navigate, navigate);
    QCOMPARE(press.Step, step);
}

namespace
{
class NoSource : public TKeyInfoSource
{
public:
    QString CardLineText(int, int) override { return QString(); }
    QString CardTypeName(int) override { return QString(); }
    QString LineName(int, int) override { return QString(); }
    QString SystemTypeText() override { return QString(); }
};
} // namespace

void TestBlockMover::emptySpeedDialRows_data()
{
    QTest::addColumn<int>("handling");
    QTest::addColumn<QString>("row11");
    QTest::addColumn<QString>("row20");
    QTest::newRow("digits") << 12 << "K3 (3)"
                            << "";
    QTest::newRow("key numbers 52") << 52 << ""
                                    << " ";
    QTest::newRow("key numbers 238") << 238 << ""
                                     << " ";
    QTest::newRow("line number") << 48 << ""
                                 << " ";
    QTest::newRow("plain") << 22 << ""
                           << " ";
}

void TestBlockMover::emptySpeedDialRows()
{
    // All 27 speed-dial bytes empty: no row loses characters it never had.
    QFETCH(int, handling);
    QFETCH(QString, row11);
    QFETCH(QString, row20);
    TKeyTable keys;
    for (auto &k : keys)
        k = std::make_unique<TKlavesa>();
    keys[3]->MenoKlavesy = QStringLiteral("K3");
    TKlavesa &k = *keys[5];
    k.ObsluhaKlavesy = Byte(handling);
    k.CisloUcastnika = handling == 12 ? 3 : 200;
    k.SkratenaVolba.fill(255);
    NoSource source;
    TKeyInfo info;
    FillKeyInfo(info, 5, keys, QString(), 1, source);
    if (handling == 48)
        row11 = LoadStrDll(169);
    QCOMPARE(info[11].value, row11);
    if (handling == 12)
        row20 = QStringLiteral(" ");
    QCOMPARE(info[20].value, row20);
    QCOMPARE(SpeedDialDecimalText(k), QString());
    QCOMPARE(SpeedDialKeysText(k, keys), QString());
    QCOMPARE(SpeedDialDigitsText(k), QString());
}

QTEST_GUILESS_MAIN(TestBlockMover)
#include "test_blockmover.moc"
