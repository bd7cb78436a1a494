#pragma once

#include <QList>
#include <QLocale>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "model/objekty.h"

// The printed key layouts of the mechanical consoles as pages of cells, without
// a printer: one painter routine draws this model onto the preview, the printer
// and a PDF.
//
// Lengths are report units of 1/96 inch. Positions are taken from the top left
// corner of the printable area (inside the page margins): the page-header band
// starts there, the page band right under it.
namespace PrintLayout
{

inline constexpr double UnitsPerInch = 96.0;
inline constexpr double MarginMm = 10.0;
inline constexpr int HeaderBandHeight = 40;
inline constexpr int KeysPerGroup = 16; // TypPultu (2) x 8
inline constexpr int GroupsPerPage = 7;
inline constexpr int CellX = 10; // left of the first column
inline constexpr int ColumnStep = 100;
inline constexpr int RowStep = 47;
inline constexpr int CellWidth = 90;
inline constexpr int CellHeight = 47;
inline constexpr int PageLabelTop = 10;
inline constexpr int PageLabelHeight = 20;

// What the print command's name asks for.
struct TModes {
    bool Empty = false;    // empty cells, one page
    bool All = false;      // key names even where they repeat the line name
    bool Original = false; // the line names instead of the key names
    friend bool operator==(const TModes &, const TModes &) = default;
};

// Empty, All and Original when the name contains that word (case-sensitive).
TModes ModesFromName(const QString &senderName);

// Some existing key of console 0 or 1 has a name that is neither empty nor "nekonf".
bool HasNamedKey(const TAPult &cfg);

// A key's line name as a cell shows it: each " - " becomes one blank, then,
// unless it is "nekonf", the position's first three characters go (a name of
// three characters or fewer gives an empty text).
QString CleanLineName(const QString &lineName);

// The caption of a key's cell; a missing key has a blank one.
QString KeyCaption(const TKlavesa *key, const TModes &modes);

enum class TPaper { A4, Letter };

// Letter where the locale measures in U.S. units, else A4.
TPaper PaperForLocale(const QLocale &locale);
// The paper's size in report units (portrait).
QSizeF PaperSize(TPaper paper);
double MarginUnits();

// A label placed on a band. Cell labels have no font of their own: they take
// the main window's key font.
struct TLabel {
    QString Name;
    QRect Rect;
    QString Caption;
    QString FontFamily;
    int PointSize = 0;
    bool Centred = true;
};

// A rectangle shape.
struct TShape {
    QString Name;
    QRect Rect;
    int PenWidth = 1;
};

// One key: outer and inner rectangle and the caption label.
struct TCell {
    int Number = 0; // console x 224 + key index
    int Row = 0;    // 15 - key mod 16: key 0 of a group at the bottom
    int Column = 0; // the group's place on the page, 0..6
    TShape Outer;
    TShape Inner;
    TLabel Label;
};

// A page band: its title label and the cells placed on it.
struct TPage {
    int Number = 0; // from 1 over the whole print
    QString Name;   // "page" + Number
    QStringList Items;
    QRect Band;
    TLabel Title; // "pagelab" + Number
    QList<TCell> Cells;
};

struct TReport {
    TModes Modes;
    TPaper Paper = TPaper::A4;
    QSizeF PageSize;     // the paper in report units
    double Margin = 0.0; // on every side, in report units
    QRect HeaderBand;
    TLabel Header; // "PageHeader1"
    QList<TPage> Pages;

    // Pages the printer gets: a print without page bands still has its header page.
    int PrintedPageCount() const { return Pages.isEmpty() ? 1 : int(Pages.size()); }
};

// The texts a print needs from outside the configuration.
struct TTexts {
    QString Caption;   // the main window's caption, the page header's title
    QString KeyLayout; // language text 189
    QString Console;   // language text 17
};

// One cell; Number and the band's origin (X, Y) place it as the key print does.
TCell MakeCell(const QRect &band, const QString &caption, int number, int row, int column, int x, int y);

// A new page band with its title, under the page-header band.
TPage MakePage(const TReport &report, int number, const QString &title);

// The whole print of the mechanical consoles of cfg in the modes of senderName.
// Empty mode is switched on when no key is named.
TReport BuildReport(const TAPult &cfg, const QString &senderName, const TTexts &texts, TPaper paper);

} // namespace PrintLayout
