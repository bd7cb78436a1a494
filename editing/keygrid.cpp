#include "editing/keygrid.h"

#include <algorithm>

KeyGrid ConsoleKeyGrid(TZoznam &list, Byte consoleType)
{
    return KeyGrid{list.XKey(consoleType), list.YKey(consoleType)};
}

int KeysPerScreen(const KeyGrid &grid)
{
    return grid.IsValid() ? grid.rows * grid.columns : 0;
}

int KeyCountFor(const KeyGrid &grid, int screens)
{
    if (screens <= 0)
        return 0;
    // Capped before multiplying: a large screen count must not overflow.
    const int perScreen = KeysPerScreen(grid);
    if (perScreen == 0)
        return 0;
    if (screens > KeyCapacity)
        return KeyCapacity;
    return std::min(perScreen * screens, KeyCapacity);
}

int KeysOnPage(const KeyGrid &grid, int page)
{
    const int perScreen = KeysPerScreen(grid);
    if (perScreen == 0 || page < 0 || page >= KeyCapacity)
        return 0;
    const int first = perScreen * page;
    if (first >= KeyCapacity)
        return 0;
    return std::min(perScreen, KeyCapacity - first);
}

KeyPlace KeyToPlace(int n, const KeyGrid &grid)
{
    const int perScreen = KeysPerScreen(grid);
    if (perScreen == 0 || n < 0 || n >= KeyCapacity)
        return {};
    const int m = n % perScreen;
    return KeyPlace{n / perScreen, m / grid.rows, m % grid.rows};
}

int PlaceToKey(const KeyPlace &place, const KeyGrid &grid)
{
    if (!grid.IsValid() || !place.IsValid() || place.column >= grid.columns || place.row >= grid.rows)
        return -1;
    if (place.page >= KeyCapacity)
        return -1;
    const int n = KeysPerScreen(grid) * place.page + grid.rows * place.column + place.row;
    return n < KeyCapacity ? n : -1;
}

int KeyAtCell(const KeyGrid &grid, int page, int column, int rowFromTop)
{
    if (rowFromTop < 1 || rowFromTop > grid.rows)
        return -1;
    return PlaceToKey(KeyPlace{page - 1, column - 1, grid.rows - rowFromTop}, grid);
}

KeyLayout LayoutForWindow(int windowW, int windowH, int statusBarHeight, const KeyGrid &grid)
{
    KeyLayout layout;
    if (!grid.IsValid())
        return layout;
    statusBarHeight = std::max(statusBarHeight, 0);
    const int cellW = std::max((windowW - WindowExtraWidth) / grid.columns, 1);
    const int cellH = std::max((windowH - WindowExtraHeight - statusBarHeight) / grid.rows, 1);
    const int gridW = cellW * grid.columns;
    const int gridH = cellH * grid.rows;
    layout.grid = QSize(gridW, gridH);
    layout.cell = QSize(cellW, cellH);
    layout.window = QSize(gridW + WindowExtraWidth, gridH + WindowExtraHeight + statusBarHeight);
    layout.pageControl = QSize(gridW + 18, gridH + 45);
    layout.panel = QSize(gridW + 10, gridH + 10);
    layout.statusBarTop = gridH + 45;
    layout.statusBarWidth = gridW + 18;
    return layout;
}

QRect KeyCellRect(int n, const KeyGrid &grid, const QSize &cell)
{
    const KeyPlace place = KeyToPlace(n, grid);
    if (!place.IsValid())
        return {};
    return QRect(place.column * cell.width() + CellMargin,
                 (grid.rows - 1 - place.row) * cell.height() + CellMargin, cell.width(), cell.height());
}
