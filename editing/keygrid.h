#pragma once

#include <QRect>
#include <QSize>

#include "cardpack/sablona.h"

// Key numbering and cell geometry of a console window, without the window.
//
// A screen has `rows` keys in each column (the board-type list's XKey) and
// `columns` columns (YKey). Key numbers run upward within a column, then
// column after column to the right, then page after page; only keys
// 0..KeyCapacity-1 exist, so a PC console's third page holds 64 keys.

inline constexpr int KeyCapacity = 224;

struct KeyGrid {
    int rows = 0;    // keys per column of a screen
    int columns = 0; // key columns per screen

    bool IsValid() const { return rows > 0 && columns > 0; }
    friend bool operator==(const KeyGrid &, const KeyGrid &) = default;
};

// rows := XKey(consoleType), columns := YKey(consoleType) of the board-type list.
KeyGrid ConsoleKeyGrid(TZoznam &list, Byte consoleType);

// Where a key sits: page counted from 0, column from the left and row from the
// bottom, both from 0.
struct KeyPlace {
    int page = -1;
    int column = -1;
    int row = -1;

    bool IsValid() const { return page >= 0 && column >= 0 && row >= 0; }
    friend bool operator==(const KeyPlace &, const KeyPlace &) = default;
};

// rows * columns; 0 for a grid without rows or columns.
int KeysPerScreen(const KeyGrid &grid);

// Number of key controls a window of `screens` pages holds: min(rows*columns*screens, 224).
int KeyCountFor(const KeyGrid &grid, int screens);

// Number of keys shown on page `page` (from 0) when all 224 keys are laid out.
int KeysOnPage(const KeyGrid &grid, int page);

// The place of key n; an invalid place when n is not 0..223 or the grid is empty.
KeyPlace KeyToPlace(int n, const KeyGrid &grid);

// The key at a place; -1 when the place lies outside the grid or holds no key (n >= 224).
int PlaceToKey(const KeyPlace &place, const KeyGrid &grid);

// The key a window creates for page p, column c (left to right) and row r
// (top to bottom), all counted from 1; -1 when that cell holds no key.
int KeyAtCell(const KeyGrid &grid, int page, int column, int rowFromTop);

// Sizes of a console window's parts for one grid area (gridW x gridH).
struct KeyLayout {
    QSize grid;        // the area the keys cover on a page: whole cells only
    QSize cell;        // one key control
    QSize window;      // the window's outer size snapped to whole cells
    QSize pageControl; // the page control
    QSize panel;       // the panel on each page
    int statusBarTop = 0;
    int statusBarWidth = 0;
};

// Border the window adds around the grid: 27 wide, and 47 + 25 (tabs) plus the
// status bar high.
inline constexpr int WindowExtraWidth = 27;
inline constexpr int WindowExtraHeight = 47 + 25;
// Offset of the first cell inside its panel.
inline constexpr int CellMargin = 5;

// Snaps a window of outer size windowW x windowH to whole key cells. Every cell
// keeps at least one pixel each way, so a window dragged smaller than its frame
// never yields empty or negative sizes.
KeyLayout LayoutForWindow(int windowW, int windowH, int statusBarHeight, const KeyGrid &grid);

// Position and size of key n's control inside its page's panel.
QRect KeyCellRect(int n, const KeyGrid &grid, const QSize &cell);
