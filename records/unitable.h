#pragma once

#include "cardpack/sablona.h"

class TAPult;
class TSystemImage;

// Gives every bound board line its line number (NumLin of the keys bound to
// the line and to its extended lines) and, for boards of the UNI kind when the
// board-type list's flags have bit 1, writes the line's UNI table entry.
// Console 0 comes first; with TypDosiek 1 console 1 reuses console 0's numbers
// for the same slot and line. Missing lines among a board's PocetLiniek places
// are created. Without a configuration nothing happens; a missing list counts
// as flags 0.
void BuildUniTable(TAPult *config, TSystemImage &image, TZoznam *list);

// The board codes 56 and 57 (0x38, 0x39): lines numbered even when unbound.
constexpr bool IsUniBoardCode(Byte code)
{
    return (code & 0xFE) == 56;
}
