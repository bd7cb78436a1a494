#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "cardpack/sablona.h"

class TAPult;
class TPult;
class TLinka;
class TRLinka;

// Decisions of the card, line and extended-line panels, kept free of widgets.
// Every index is checked against its array before it is used.
namespace LinePanels
{

// ---- selection records (255 none) ----------------------------------------------

struct TSelCard {
    QString Name;
    Byte Slot = 255;
    Byte Code = 255;
    Byte Lines = 0;
};

struct TSelLine {
    QString Name = QStringLiteral("nekonf");
    Byte Index = 255;
    Byte Type = 255;
    Byte ExtCount = 0;
};

struct TSelRLine {
    QString Name;
    Byte Position = 255;
    Byte Position2 = 255;
    Byte Spare = 0;
};

struct TConsoleInfo {
    QString Caption;
    Byte Number = 255;
    Byte Number2 = 255;
    Byte Spare = 0;
};

// The number after `prefix` in a control name ("card12" -> 12); -1 when the
// name does not hold the prefix or no decimal number follows it.
int NumberAfter(const QString &name, const QString &prefix);
// "Pult1" -> 1 (the caption from its fifth character on); 255 otherwise.
Byte ConsoleNumberFromCaption(const QString &caption);

// ---- model helpers -------------------------------------------------------------------

TPult *Console(const TAPult *config, int n);
TLinka *Line(const TPult *console, int slot, int line);
TRLinka *RLine(const TPult *console, int slot, int line, int pos);

// The first free KodHodnota entry takes the code unless it is there already;
// false when nothing changed (code present or table full).
bool StoreBoardCode(TAPult *config, Byte code);

// The line names its key back: line not "nekonf", key index below 224, the
// key present and its MenoLinky equal to the line's.
bool LineKeyMatches(const TLinka *line, const TPult *console);
// Likewise for an extended line, with the key's TypLinky equal to CisloRLinky.
bool RLineKeyMatches(const TRLinka *rline, const TPult *console);
// The enabling of an extended-line (or page) button for position pos: false
// only when the extended line's key exists and points back at pos.
bool RLineButtonEnabled(const TPult *console, int slot, int line, int pos);

// ---- card-line queries -------------------------------------------------------------

// "TUL10Card" -> "UL10"; empty for an invalid slot or no configuration.
QString CardTypeName(const TAPult *config, int slot, bool slotValid);
QString LineName(const TPult *console, int slot, int line, bool slotValid);
QString CardLineText(TCardOld *card, Byte line);
Byte CardLineTypeNumber(TCardOld *card, Byte index);
QString ImageLineNameSplit(TCardOld *card, Byte line, Byte pos, Byte type);
QString ImageLineName(TCardOld *card, Byte line, Byte pos, Byte type);
Byte ExtendedLineValue(TCardOld *card, Byte line, Byte value);
bool LineHasKey(const TPult *console, int slot, int line, bool slotValid);
bool LineIsAssigned(const TAPult *config, int slot, int line);
// As LineIsAssigned; the name is the assigned line's MenoLinky without its
// line-position prefix (only when one is present).
bool LineKeyName(const TAPult *config, int slot, int line, QString &name);

// Removes a leading line-position name and " - " when the name has them.
QString StripPositionPrefix(const QString &name);

// ---- line selection ------------------------------------------------------------------

// The name a free line gets: with a checked type caption that caption + "-" +
// the line; without one (no panel, or a panel with nothing checked) the type
// the card's board code has stored.
QString FreeLineName(TCardOld *card, const TAPult *config, Byte boardCode, Byte line,
                     const std::optional<QString> &checkedCaption);
// The same with the line-type panel: the checked caption + "-" + line, or,
// when no radio button is checked, the stored type + "-" + line.
QString PanelLineName(TCardOld *card, const TAPult *config, Byte boardCode, Byte line,
                      const std::optional<QString> &checkedCaption);

struct TLineAction {
    QString Name;     // the working name after the selection
    Byte Type = 255;  // the working type number
    int CheckRadio = -1; // index into the radio captions to check; -1 none
    bool OpenRozForm = false;
    bool PanelEnabled = true;
};

// The model side of a line selection: boards and lines of both consoles, the
// active console's line, the card's line name and which radio to check.
// radioCaptions/checked describe the line-type panel (hasPanel false: none).
TLineAction ApplyLineSelection(TAPult *config, int activeConsole, TCardOld &card, int slot, int line,
                               const TSelLine &selected, bool hasPanel, const QStringList &radioCaptions,
                               int checked);

// The model side of an extended-line selection; the answer is the panel's enabling.
bool ApplyRLineSelection(TAPult *config, int activeConsole, int slot, int line, const TSelRLine &rline);

// Every console of the configuration without a board in the slot gets an
// empty one: no name, board code 0, no lines.
void CreateSelectedBoards(TAPult *config, int slot);

// The board of the slot exists in both consoles; the active one takes the card's data.
// False when the active console is missing (nothing set).
bool ApplyBoardSelection(TAPult *config, int activeConsole, int slot, const QString &cardName, Byte code,
                         Byte lineCount);

// ---- line-type panel -----------------------------------------------------------------

// The radio index checked for the wanted type index: clamped to count-1;
// when that type has no radio, the first one after it; -1 when none follows.
int CheckedRadio(const QList<int> &radioTypes, int index, int typeCount);

// ---- extended-line window ------------------------------------------------------------

struct TGrid {
    int Columns = 1;
    int Rows = 1;
};
TGrid ExtendedLineGrid(int cells);
// Outer size: (53 + 5) x columns + 3, 20 x rows + 24.
QSize RozFormSize(const TGrid &grid);
QRect CellRect(int column, int row); // column and row from 1

struct TPacked {
    Byte A = 0, B = 0, C = 0, D = 0;
};
bool IsPacked(std::int32_t code);
TPacked Unpack(std::int32_t code);
// Position of page button k (1..D) at page v.
int PagePosition(int v, const TPacked &packed, int k);

struct TRozCell {
    int Column = 1, Row = 1;
    int Index = 0;           // list index p
    std::int32_t Code = 0;   // ChangePos read whole (never negative)
    bool Packed = false;
    bool Blank = false;      // takes its cell, gets no control
    QString Name;
    QString LabelCaption;    // packed cells
};

// Cells of the extended-line window of line l, column by column.
QList<TRozCell> PlanExtendedLines(TCardOld &card, Byte line, TGrid *grid = nullptr);

// "hlr" when the extended line's record equals the line's, "roz" otherwise.
QString RLineButtonPrefix(TCardOld &card, Byte line, Byte pos);

// Window position: remembered, or placed inside the main window's right edge.
QPoint RozFormPosition(const QPoint &remembered, const QRect &mainGeometry, int width);

} // namespace LinePanels
