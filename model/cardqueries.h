#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "cardpack/sablona.h"
#include "model/cardset.h"

class TAPult;

// The board-code value table of the configuration: one remembered value per
// board code (the line type last chosen for cards of that code).

// The value of the last entry whose code is Code; 0 without a configuration
// or when no entry has the code.
std::int32_t FindPairValue(const TAPult *config, std::int32_t Code);

// Every entry whose code is Code takes Value; no entry is added.
void StorePairValue(TAPult *config, std::int32_t Code, std::int32_t Value);

// The key code that line Line of the card would have with the line type
// TypeIndex. The card is left as it was found. 1 without a card.
Byte CardTemplateQuery(TCardOld *card, Byte Line, Byte TypeIndex);
Byte CardTemplateQuery(TCardSlots &cards, int Slot, Byte Line, Byte TypeIndex);

// The line-type check made before line Line of the selected card is bound to
// a key. A line of the unconfigured type first gets a type: with the
// line-type panel (checkedCaption set) its checked caption followed by "-"
// and the line index, without it the type stored for the card's board code.
// False when the line carries extended lines (they are bound one by one);
// true without a card.
bool SyncRadioPanel(const TAPult *config, TCardOld *card, Byte boardCode, Byte Line,
                    const std::optional<QString> &checkedCaption);
