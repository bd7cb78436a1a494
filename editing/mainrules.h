#pragma once

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

#include "cardpack/sablona.h"

// Decisions of the main window kept apart from its widgets, so that tests
// reach them without a window.
namespace MainRules {

// ---- numbers and names ------------------------------------------------------

// Drops every non-digit and converts the rest; 0 when nothing is left. A digit
// string beyond the 32-bit range gives the largest 32-bit number instead of
// wrapping.
std::int32_t NumberFromText(const QString &text);

// True when the text is one or more decimal digits whose value fits 32 bits and,
// unless low and high are both 0, lies in low..high.
bool IsNumberInRange(const QString &text, std::int64_t low, std::int64_t high);

// Four dot-separated parts (the fourth is the rest), each a number 0..255.
bool IsValidIPAddress(const QString &text);

// "spe" for kind 254, "lab" for 255, else "b" and the kind as two hex digits;
// then the three numbers as two hex digits each.
QString MakeControlName(Byte kind, int a, int b, int c);

// The file's name without its folder, " - ", the base title; the base title alone
// for an empty name.
QString CaptionForFile(const QString &fileName, const QString &baseTitle);

// Position name of board slot 0..31 ("E0-L0" .. "E1-H7"), as the model's
// LinePosName gives it.
QString SlotPosName(int n);

// The program's file version as four parts.
QString FileVersion();

// The first of arguments 1..count-1 that names an existing file, else the last
// argument; empty when there is none. args[0] is the program.
QString ChooseFileArgument(const QStringList &args, const std::function<bool(const QString &)> &exists);

// Not empty, attributes readable and not a folder.
bool FileExists(const QString &name);

// ---- board slots ---------------------------------------------------------------

constexpr int BoardSlots = 32;

// 13, or 16 when the list's flags have bit 2.
int BoardSlotCount(Byte listType);

// A slot below the count (and below 16) holds a card; 16..28 only with flag bit 0.
bool IsBoardSlotValid(int slot, int slotCount, Byte listType);

struct TSlotCell {
    int slot = 0;
    bool panel = false;   // a board panel is made for the slot
    bool lowered = false; // an empty place for a card: card-type menu, caption "X"
    QString caption;      // "X", "Reserve", "DF", "DR" or empty
    QString hint;
    QRect geometry;       // on Card_Panel
    bool label = false;   // a position label above the panel
    QString labelText;
    QString labelHint;
    QRect labelGeometry;  // top and left fixed, width 45
};

struct TRowLabel {
    int row = 0;
    QString text;
    QString hint;
    int bandTop = 0; // centred in a 40-pixel band from here
    int left = 5;
};

struct TBoardLayout {
    bool hasList = false;
    int slotCount = 13;
    QList<TSlotCell> cells; // 32, index = slot
    QList<TRowLabel> rowLabels;
    int cardPanelHeight = 55;
    int keysPerScreenMech = 0;
    int keysPerScreenPC = 0;
};

// Texts the layout needs from the language library.
struct TLayoutTexts {
    QString slotHint;     // 132: an empty board slot
    QString rowHint;      // 133: a row of slots
    QString positionHint; // 134: a slot position
};
TLayoutTexts LayoutTextsFromLibrary();

// The board panels and labels for a board-type list (null: none at all).
TBoardLayout LayoutBoardSlots(TZoznam *list, const TLayoutTexts &texts);

// ---- card-type menu -------------------------------------------------------------

struct TCardMenuItem {
    QString className; // empty for the single "none" item
    QString caption;
    QString hint;
};

// "TUL10Card" gives "UL10", "TFoo" gives "Foo".
QString CardMenuCaption(const QString &className);

// One item per distinct class name beginning with "T" over the board codes 0..255;
// the single `noneText` item when there is none. `cardCaption` gives the card's
// description by class name.
QList<TCardMenuItem> CardMenuItems(TZoznam *list, const std::function<QString(const QString &)> &cardCaption,
                                   const QString &noneText);

// The card's description (GetCardHelp) of the class registered as name + "Card"
// or as name; empty when it is no card.
QString CardCaptionByName(const QString &name);

// ---- window sizes -----------------------------------------------------------------

// A size preset is offered where the screen holds it.
bool SizePresetFits(const QSize &screen, const QSize &preset);

// The main window's smallest outer size.
inline constexpr int MinimumWidth = 755;
inline constexpr int MinimumHeight = 480;

// The main window's rule for a new outer size: refused (false) when it is both
// narrower than 755 and lower than 480; otherwise a smaller width becomes 755
// and a smaller height 480.
bool FormCanResize(QSize &size);

// A placement read from cfg.ini made fit: its size by FormCanResize (a refused
// size keeps `current`), then at most the screen's, and the window moved inside
// the screen.
QRect FitPlacement(const QRect &wanted, const QSize &current, const QSize &screen);

// The splitter of the log panes stands at 491 after sbNorm.
constexpr int NormSplitterLeft = 491;
constexpr int NormMemoWidth = 490;
inline bool NormButtonVisible(int splitterLeft) { return splitterLeft != NormSplitterLeft; }

// New height of the log panel while Panel1 is dragged, or -1 when it is not applied.
int DraggedLogHeight(int height, int notedRow, int row, int minimum, int maximum);

// ---- logs ----------------------------------------------------------------------------

// "dd. mm. yyyy" and "hh:mm:ss".
QString DateText(const QDateTime &t);
QString TimeText(const QDateTime &t);

// 0 "WARNING", 1 "ERROR", 2 "Information", else empty.
QString LogKindWord(int kind);

// Heading, text and two empty lines.
QStringList LogEntryLines(int kind, const QString &text, const QString &timeText, const QString &dateText);

// "yyyy-mm-dd_hh-mm-ss".
QString LogFileStamp(const QDateTime &t);

// ---- consoles ------------------------------------------------------------------------

// "<56> n <57>".
QString ConsoleLabelText(int console, const QString &text56, const QString &text57);

} // namespace MainRules
