#pragma once

#include <cstdint>

#include "cardpack/sablona.h"
#include "mainwindow/cardset.h"

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
