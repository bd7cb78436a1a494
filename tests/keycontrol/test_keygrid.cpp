#include <QSet>
#include <QtTest>

#include "cardpack/karty.h"
#include "editing/keygrid.h"

Q_DECLARE_METATYPE(KeyGrid)

namespace
{
const KeyGrid PcGrid{8, 10};
const KeyGrid MechGrid{16, 7};
} // namespace

class TestKeyGrid : public QObject
{
    Q_OBJECT
private slots:
    void gridFromBoardTypeList();
    void keyCounts_data();
    void keyCounts();
    void pcThreeScreens();
    void pcCorners();
    void mechanicalPages();
    void roundTrip_data();
    void roundTrip();
    void creationOrderMatchesNumbering_data();
    void creationOrderMatchesNumbering();
    void outOfRange();
    void snapping_data();
    void snapping();
    void snappedWindowIsStable();
    void tinyWindowKeepsPositiveSizes();
    void emptyGridHasNoKeys();
};

void TestKeyGrid::gridFromBoardTypeList()
{
    TZOZ list;
    QCOMPARE(ConsoleKeyGrid(list, 1), PcGrid);
    QCOMPARE(ConsoleKeyGrid(list, 2), MechGrid);
    // Not connected: the list answers the PC grid.
    QCOMPARE(ConsoleKeyGrid(list, 0), PcGrid);
    TZoznam base;
    QVERIFY(!ConsoleKeyGrid(base, 1).IsValid());
}

void TestKeyGrid::keyCounts_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("screens");
    QTest::addColumn<int>("count");
    QTest::newRow("pc 1") << 8 << 10 << 1 << 80;
    QTest::newRow("pc 2") << 8 << 10 << 2 << 160;
    QTest::newRow("pc 3") << 8 << 10 << 3 << 224;
    QTest::newRow("pc 4 capped") << 8 << 10 << 4 << 224;
    QTest::newRow("mech 1") << 16 << 7 << 1 << 112;
    QTest::newRow("mech 2") << 16 << 7 << 2 << 224;
    QTest::newRow("no screens") << 8 << 10 << 0 << 0;
    QTest::newRow("negative screens") << 8 << 10 << -1 << 0;
    QTest::newRow("huge screens") << 16 << 7 << 2000000000 << 224;
    QTest::newRow("no rows") << 0 << 10 << 3 << 0;
}

void TestKeyGrid::keyCounts()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, screens);
    QFETCH(int, count);
    QCOMPARE(KeyCountFor(KeyGrid{rows, columns}, screens), count);
}

void TestKeyGrid::pcThreeScreens()
{
    QCOMPARE(KeysPerScreen(PcGrid), 80);
    QCOMPARE(KeysOnPage(PcGrid, 0), 80);
    QCOMPARE(KeysOnPage(PcGrid, 1), 80);
    QCOMPARE(KeysOnPage(PcGrid, 2), 64);
    QCOMPARE(KeysOnPage(PcGrid, 3), 0);

    int onThird = 0;
    for (int n = 0; n < KeyCapacity; ++n) {
        const KeyPlace place = KeyToPlace(n, PcGrid);
        if (place.page == 2) {
            ++onThird;
            QVERIFY2(n >= 160, qPrintable(QString::number(n)));
            QVERIFY(place.column < 8);
        }
    }
    QCOMPARE(onThird, 64);
    QCOMPARE(PlaceToKey(KeyPlace{2, 0, 0}, PcGrid), 160);
    QCOMPARE(PlaceToKey(KeyPlace{2, 7, 7}, PcGrid), 223);
    // Columns 8 and 9 of page 3 hold no keys.
    QCOMPARE(PlaceToKey(KeyPlace{2, 8, 0}, PcGrid), -1);
    QCOMPARE(KeyAtCell(PcGrid, 3, 9, 8), -1);
    QCOMPARE(KeyAtCell(PcGrid, 3, 8, 1), 223);
}

void TestKeyGrid::pcCorners()
{
    const QSize cell(37, 26);
    // Key 0 at the bottom left, key 7 at the top left of page 1.
    QCOMPARE(KeyToPlace(0, PcGrid), (KeyPlace{0, 0, 0}));
    QCOMPARE(KeyToPlace(7, PcGrid), (KeyPlace{0, 0, 7}));
    QCOMPARE(KeyToPlace(8, PcGrid), (KeyPlace{0, 1, 0}));
    QCOMPARE(KeyToPlace(79, PcGrid), (KeyPlace{0, 9, 7}));
    QCOMPARE(KeyToPlace(80, PcGrid), (KeyPlace{1, 0, 0}));
    QCOMPARE(KeyCellRect(0, PcGrid, cell), QRect(5, 7 * 26 + 5, 37, 26));
    QCOMPARE(KeyCellRect(7, PcGrid, cell), QRect(5, 5, 37, 26));
    QCOMPARE(KeyCellRect(79, PcGrid, cell), QRect(9 * 37 + 5, 5, 37, 26));
    QCOMPARE(KeyAtCell(PcGrid, 1, 1, 8), 0);
    QCOMPARE(KeyAtCell(PcGrid, 1, 1, 1), 7);
}

void TestKeyGrid::mechanicalPages()
{
    QCOMPARE(KeysPerScreen(MechGrid), 112);
    QCOMPARE(KeysOnPage(MechGrid, 0), 112);
    QCOMPARE(KeysOnPage(MechGrid, 1), 112);
    QCOMPARE(KeysOnPage(MechGrid, 2), 0);
    QCOMPARE(KeyToPlace(111, MechGrid), (KeyPlace{0, 6, 15}));
    QCOMPARE(KeyToPlace(112, MechGrid), (KeyPlace{1, 0, 0}));
    QCOMPARE(KeyToPlace(15, MechGrid), (KeyPlace{0, 0, 15}));
    QCOMPARE(KeyToPlace(16, MechGrid), (KeyPlace{0, 1, 0}));
    QCOMPARE(KeyToPlace(223, MechGrid), (KeyPlace{1, 6, 15}));
    for (int n = 0; n < KeyCapacity; ++n)
        QCOMPARE(KeyToPlace(n, MechGrid).page, n < 112 ? 0 : 1);
}

void TestKeyGrid::roundTrip_data()
{
    QTest::addColumn<KeyGrid>("grid");
    QTest::newRow("pc") << PcGrid;
    QTest::newRow("mechanical") << MechGrid;
}

void TestKeyGrid::roundTrip()
{
    QFETCH(KeyGrid, grid);
    QSet<QString> places;
    for (int n = 0; n < KeyCapacity; ++n) {
        const KeyPlace place = KeyToPlace(n, grid);
        QVERIFY(place.IsValid());
        QVERIFY(place.column < grid.columns && place.row < grid.rows);
        QCOMPARE(PlaceToKey(place, grid), n);
        places.insert(QStringLiteral("%1/%2/%3").arg(place.page).arg(place.column).arg(place.row));
    }
    QCOMPARE(places.size(), KeyCapacity);
}

void TestKeyGrid::creationOrderMatchesNumbering_data()
{
    roundTrip_data();
}

// The window walks pages, columns left to right and rows top to bottom and
// places each key at ((c-1)*w + 5, (r-1)*h + 5); a rebuild places key n at
// (((n div rows) mod columns)*w + 5, (rows - n mod rows - 1)*h + 5). Both must
// agree with the numbering.
void TestKeyGrid::creationOrderMatchesNumbering()
{
    QFETCH(KeyGrid, grid);
    const QSize cell(30, 20);
    QList<int> seen;
    for (int p = 1; p <= 3; ++p) {
        for (int c = 1; c <= grid.columns; ++c) {
            for (int r = 1; r <= grid.rows; ++r) {
                const int n = KeyAtCell(grid, p, c, r);
                const int formula =
                    grid.rows * grid.columns * (p - 1) + grid.rows * (c - 1) + (grid.rows - r);
                QCOMPARE(n, formula < KeyCapacity ? formula : -1);
                if (n < 0)
                    continue;
                seen.append(n);
                const QRect created((c - 1) * cell.width() + 5, (r - 1) * cell.height() + 5, cell.width(),
                                    cell.height());
                QCOMPARE(KeyCellRect(n, grid, cell), created);
                const QRect rebuilt(((n / grid.rows) % grid.columns) * cell.width() + 5,
                                    (grid.rows - (n % grid.rows) - 1) * cell.height() + 5, cell.width(),
                                    cell.height());
                QCOMPARE(KeyCellRect(n, grid, cell), rebuilt);
            }
        }
    }
    std::sort(seen.begin(), seen.end());
    QCOMPARE(seen.size(), KeyCapacity);
    for (int n = 0; n < KeyCapacity; ++n)
        QCOMPARE(seen[n], n);
}

void TestKeyGrid::outOfRange()
{
    QVERIFY(!KeyToPlace(-1, PcGrid).IsValid());
    QVERIFY(!KeyToPlace(224, PcGrid).IsValid());
    QVERIFY(!KeyToPlace(224, MechGrid).IsValid());
    QCOMPARE(PlaceToKey(KeyPlace{0, 10, 0}, PcGrid), -1);
    QCOMPARE(PlaceToKey(KeyPlace{0, 0, 8}, PcGrid), -1);
    QCOMPARE(PlaceToKey(KeyPlace{0, -1, 0}, PcGrid), -1);
    QCOMPARE(PlaceToKey(KeyPlace{3, 0, 0}, PcGrid), -1);
    QCOMPARE(PlaceToKey(KeyPlace{2, 0, 0}, MechGrid), -1);
    QCOMPARE(PlaceToKey(KeyPlace{1000000000, 0, 0}, MechGrid), -1);
    QCOMPARE(KeyAtCell(PcGrid, 1, 1, 0), -1);
    QCOMPARE(KeyAtCell(PcGrid, 1, 1, 9), -1);
    QCOMPARE(KeyAtCell(PcGrid, 0, 1, 1), -1);
    QCOMPARE(KeyCellRect(224, PcGrid, QSize(10, 10)), QRect());
    QCOMPARE(KeysOnPage(PcGrid, -1), 0);
}

void TestKeyGrid::snapping_data()
{
    QTest::addColumn<KeyGrid>("grid");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("statusBar");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QSize>("snapped");
    // 400-27 = 373 -> 37 a column; 300-72-19 = 209 -> 26 a row.
    QTest::newRow("pc") << PcGrid << QSize(400, 300) << 19 << QSize(37, 26) << QSize(397, 299);
    // Already whole cells: unchanged.
    QTest::newRow("pc exact") << PcGrid << QSize(397, 299) << 19 << QSize(37, 26) << QSize(397, 299);
    // One pixel short of the next cell.
    QTest::newRow("pc short") << PcGrid << QSize(406, 306) << 19 << QSize(37, 26) << QSize(397, 299);
    QTest::newRow("pc next") << PcGrid << QSize(407, 307) << 19 << QSize(38, 27) << QSize(407, 307);
    // 600-27 = 573 -> 81 a column (567); 700-72-20 = 608 -> 38 a row (608).
    QTest::newRow("mechanical") << MechGrid << QSize(600, 700) << 20 << QSize(81, 38) << QSize(594, 700);
}

void TestKeyGrid::snapping()
{
    QFETCH(KeyGrid, grid);
    QFETCH(QSize, window);
    QFETCH(int, statusBar);
    QFETCH(QSize, cell);
    QFETCH(QSize, snapped);
    const KeyLayout layout = LayoutForWindow(window.width(), window.height(), statusBar, grid);
    QCOMPARE(layout.cell, cell);
    QCOMPARE(layout.grid, QSize(cell.width() * grid.columns, cell.height() * grid.rows));
    QCOMPARE(layout.window, snapped);
    const int gridW = layout.grid.width(), gridH = layout.grid.height();
    QCOMPARE(layout.pageControl, QSize(gridW + 18, gridH + 45));
    QCOMPARE(layout.panel, QSize(gridW + 10, gridH + 10));
    QCOMPARE(layout.statusBarTop, gridH + 45);
    QCOMPARE(layout.statusBarWidth, gridW + 18);
}

void TestKeyGrid::snappedWindowIsStable()
{
    for (const KeyGrid &grid : {PcGrid, MechGrid}) {
        for (int w = 100; w < 900; w += 7) {
            for (int h = 150; h < 900; h += 11) {
                const KeyLayout first = LayoutForWindow(w, h, 19, grid);
                QVERIFY(first.window.width() <= w && first.window.width() > w - grid.columns);
                QVERIFY(first.window.height() <= h && first.window.height() > h - grid.rows);
                QCOMPARE((first.window.width() - WindowExtraWidth) % grid.columns, 0);
                QCOMPARE((first.window.height() - WindowExtraHeight - 19) % grid.rows, 0);
                const KeyLayout again =
                    LayoutForWindow(first.window.width(), first.window.height(), 19, grid);
                QCOMPARE(again.window, first.window);
                QCOMPARE(again.cell, first.cell);
            }
        }
    }
}

void TestKeyGrid::tinyWindowKeepsPositiveSizes()
{
    for (const QSize &size : {QSize(0, 0), QSize(20, 30), QSize(-50, -50), QSize(36, 90)}) {
        const KeyLayout layout = LayoutForWindow(size.width(), size.height(), 19, PcGrid);
        QCOMPARE(layout.cell, QSize(1, 1));
        QCOMPARE(layout.grid, QSize(10, 8));
        QCOMPARE(layout.window, QSize(10 + 27, 8 + 72 + 19));
    }
}

void TestKeyGrid::emptyGridHasNoKeys()
{
    const KeyGrid empty{0, 0};
    QCOMPARE(KeysPerScreen(empty), 0);
    QCOMPARE(KeysOnPage(empty, 0), 0);
    QVERIFY(!KeyToPlace(0, empty).IsValid());
    QCOMPARE(PlaceToKey(KeyPlace{0, 0, 0}, empty), -1);
    const KeyLayout layout = LayoutForWindow(400, 300, 19, empty);
    QVERIFY(layout.window.isEmpty());
}

QTEST_GUILESS_MAIN(TestKeyGrid)
#include "test_keygrid.moc"
