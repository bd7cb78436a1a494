#pragma once

#include <QString>

#include "cardpack/sablona.h"
#include "editing/keybinding.h"
#include "model/objekty.h"

// The configuration's side of a console layout change, without the windows:
// creating what a change needs, the capacity of a console type, keys lost to
// a smaller capacity and the boards a newly connected console takes over.
namespace LayoutChange
{

// Columns x rows of the type's grid x screens, at most 224; 0 for type 0 or
// a type without a grid.
int Capacity(TZoznam *list, Byte consoleType, int screens);

// The configuration to change, created when there is none (two consoles,
// the board-type list's line numbering).
TAPult &EnsureConfiguration(TAPult *&config, const QString &programPath, TZoznam *list);

// Consoles 0 and 1 exist afterwards; a new one is not connected, has one
// screen and 224 unconfigured keys.
void EnsureConsoles(TAPult &config);

// Key k of console c becomes unconfigured and no line or extended line of
// that console names it any more (a line keeping other extended lines keeps
// 253). The observer hears of it.
void UnbindKey(TAPult &config, int console, int key, TKeyObserver *observer = nullptr);

// Keys from `capacity` up to 223 of console c are unbound (UnbindKey).
void UnbindKeysFrom(TAPult &config, int console, int capacity, TKeyObserver *observer = nullptr);

// Every ordered pair of consoles (A, B), A connected: B takes A's boards it
// lacks, and, when B is connected, the lines and extended lines it lacks, all
// unassigned.
void ShareBoards(TAPult &config);

} // namespace LayoutChange
