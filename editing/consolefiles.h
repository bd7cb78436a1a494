#pragma once

#include <QString>

#include "cardpack/sablona.h"
#include "editing/keybinding.h"
#include "records/pcrecord.h"

class TAPult;

// Small console queries of the main window, and the board slot edits, without a window.
namespace ConsoleFiles
{

// One of the console's 224 keys lies on the GSM-R board (board code 114, "r").
bool PultHasKindRKey(const TAPult *config, int console);

// Language text 234 for system type 2, 235 for 3, 233 otherwise; empty without a configuration.
QString SystemTypeText(const TAPult *config, const QString &standard, const QString &type2,
                       const QString &type3);

// When the record's board codes of slots 0 to 15 and its tables for every
// configured key (NumLin not 255) of console c agree with the configuration,
// the keys take their names from the record's key texts. Key 223 is never
// written to a record and takes no part. True when a name changed.
bool TakeKeyNamesFromPcRecord(TAPult &config, const TPcRecord &record, int console);

// The file name proposed for a console file: the last project file with the extension replaced.
QString ProposedFileName(const QString &lastFile, const QString &extension);

// ---- board slots ----

// The card class for a card-type item's caption: "T" + caption (first "&" dropped) + "Card".
QString CardClassOfCaption(const QString &caption);
// A card may be placed: a configuration, a valid slot, and no card named in it.
bool MayPlaceCard(const TAPult *config, int slot, bool slotValid);
// The board of the slot goes from both consoles with its lines and extended
// lines; every key on it is reset (the observer hears of each) and the slot
// entry is emptied with board code 255.
void RemoveBoard(TAPult &config, int slot, TKeyObserver *observer = nullptr);

} // namespace ConsoleFiles
