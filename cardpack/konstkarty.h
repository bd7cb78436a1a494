#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// Shared types of the card package and the number formatting.

// Dynamic byte array in which answers and table images are passed.
using DynPole = std::vector<std::uint8_t>;

struct TSetKey {
    QString text;
    std::int32_t value = 0;
};

using TASetKey = std::vector<TSetKey>;

// Decimal text of value, with "0" put in front until it is width long
// (the zeros go in front of a minus sign: Int2Str(-5, 4) is "00-5").
QString Int2Str(std::int64_t value, std::int64_t width);
