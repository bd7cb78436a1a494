#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "model/objekty.h"

// The key-information rows of a console key and the hint built from them,
// without a window.

inline constexpr int KeyInfoCount = 25; // pairs 1..25

struct TKeyInfoPair {
    QString label;
    QString value;
    friend bool operator==(const TKeyInfoPair &, const TKeyInfoPair &) = default;
};

// Pairs by their number 1..25 (entry 0 unused).
using TKeyInfo = std::array<TKeyInfoPair, KeyInfoCount + 1>;

using TKeyTable = std::array<std::unique_ptr<TKlavesa>, KeyCount>;

// What the key information needs from the main window beyond the keys.
class TKeyInfoSource
{
public:
    virtual ~TKeyInfoSource() = default;
    // Type name of the current type of a card line; empty without a card.
    virtual QString CardLineText(int slot, int line) = 0;
    // Card type name of a slot ("TUL10Card" gives "UL10"); empty for none.
    virtual QString CardTypeName(int slot) = 0;
    // MenoLinky of a line of the active console's board; empty for none.
    virtual QString LineName(int slot, int line) = 0;
    // The system type text.
    virtual QString SystemTypeText() = 0;
};

// Key handling groups whose position, card and line rows stay empty.
bool IsKeyReferenceHandling(Byte h);   // 12, 13, 14, 15, 24: the value names another key
bool IsSpeedDialKeysHandling(Byte h);  // 52, 238: the bytes name keys
bool IsLineNumberHandling(Byte h);     // 48..51: the value is a line number

// Whether pair `index` is filled and shown for a console type.
bool KeyInfoApplies(int index, Byte consoleType);

// Fills the pairs for key n of `keys` (a copy of the active console's keys).
// Pairs that do not apply to the console type keep what they held; pair 25 is
// never filled. A missing key n leaves every pair as it was.
void FillKeyInfo(TKeyInfo &info, int n, const TKeyTable &keys, const QString &fngsmr, Byte consoleType,
                 TKeyInfoSource &source);

// Order in which the pairs are shown in the hint.
inline constexpr std::array<int, KeyInfoCount> HintOrder = {1,  2,  24, 25, 3,  4,  5,  20, 11, 6,  7,  8, 9,
                                                            10, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};

// The hint lines (label directly followed by value) of filled pairs: pairs the
// console type leaves out are skipped, 3 and 4 unless the board code is $72,
// and pairs from 3 on with an empty value.
QStringList KeyHintLines(const TKeyInfo &info, Byte consoleType, Byte boardCode);
// The lines joined by CR LF.
QString KeyHintText(const TKeyInfo &info, Byte consoleType, Byte boardCode);

// The 25 pairs as "label: value" lines, joined by CR LF (for the log).
QString KeyInfoLogText(const TKeyInfo &info);

// Value texts, exposed for tests.
QString CutAtF(const QString &text);
QString SpeedDialDigitsText(const TKlavesa &key);                          // pair 20 for handling 12..15, 24
QString SpeedDialKeysText(const TKlavesa &key, const TKeyTable &keys);     // pair 20 for 52, 238
QString SpeedDialDecimalText(const TKlavesa &key);                         // pair 11 for 52, 238
QString CleanSpeedDialText(QString text);                                  // the common end of pair 20
