#pragma once

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "editing/keybinding.h"
#include "editing/keyinfo.h"

// The key properties dialog without its window: which rows it shows, what the
// user may type, when OK may be pressed and what OK writes into the
// configuration.

namespace KeyProps
{
inline constexpr Byte GsmBoardCode = 0x72;
inline constexpr Byte F0BoardCode = 0xF0;
inline constexpr int FunctionNumberDigits = 18;            // 9 bytes
inline constexpr int MsnDigits = 24;                       // 12 bytes
inline constexpr std::uint32_t EmptyEditColour = 0x8080FF; // $BBGGRR

// Geometry of the dialog built at run time.
inline constexpr int RowHeight = 25;
inline constexpr int LabelWidth = 120;
inline constexpr int ValueWidth = 410;
inline constexpr int DialogWidth = LabelWidth + ValueWidth + 20;
inline constexpr int ValueLeft = LabelWidth + 6;
int RowTop(int row);
int DialogHeight(int rows);
} // namespace KeyProps

// The characters an item 3 or 4 edit takes from the keyboard: digits,
// backspace, Ctrl+C and Ctrl+V.
bool AcceptsDigitKey(QChar c);
// Only the digits of a text, at most `maxDigits` of them (typed or pasted).
QString DigitsOnly(const QString &text, int maxDigits);
// Digits padded with "F" to twice `bytes` characters, each pair read as hex
// into one byte: "123" over 12 bytes gives 12 3F FF FF ...
QByteArray PackDigits(const QString &digits, int bytes);
// The console's GSM-R function number as its 9 bytes.
QByteArray PackFunctionNumber(const QString &digits);
// The key's 12 MSN bytes from its digits.
std::array<Byte, 12> PackMsn(const QString &digits);

class TKeyPropertiesModel
{
public:
    enum class TRowKind {
        Edit,      // name and hint
        DigitEdit, // function number and MSN digits
        CheckBox,  // MSN flag
        Colour,    // caption colour with "apply to marked keys"
        ReadOnly,  // everything else
    };

    // info: the 25 pairs filled for the key; key: the key itself (array B's entry).
    TKeyPropertiesModel(const TKeyInfo &info, const TKlavesa &key, Byte consoleType);

    const TKeyInfo Info;
    const Byte ConsoleType;
    const bool Gsm; // board code $72: function number, MSN digits and flag
    const bool F0;  // board code $F0: items 24 and 25

    // Whether an item gets a row: the console type leaves some out, items 3 to
    // 5 need a GSM key, 24 and 25 an F0 key, items from 5 on a value.
    bool Shown(int item) const;
    // The items with rows, in display order.
    QList<int> Rows() const;
    // The item whose control gets the focus: the lowest item number shown.
    int FocusItem() const;
    static TRowKind RowKind(int item);
    // The value of an item as the dialog opened with it.
    QString Value(int item) const;

    // A GSM key that opened with an empty function number or MSN: no Cancel,
    // no close until OK.
    const bool Locked;

    // ---- what the user edits ----
    QString Name;
    QString Hint;
    QString FunctionNumber; // digits only, at most 18
    QString Msn;            // digits only, at most 24
    bool MsnFlag = false;
    std::int32_t Colour = 0; // $BBGGRR as the key stores it
    bool ColourToMarked = false;

    void SetFunctionNumber(const QString &text)
    {
        FunctionNumber = DigitsOnly(text, KeyProps::FunctionNumberDigits);
    }
    void SetMsn(const QString &text) { Msn = DigitsOnly(text, KeyProps::MsnDigits); }

    // The OK button's Tag: bit 1 a function number, bit 0 MSN digits.
    int OkTag() const;
    bool OkEnabled() const;
    // Colour of a digit edit: none for the window colour, else $8080FF when empty.
    static std::optional<std::uint32_t> DigitEditColour(const QString &text);
};

// What OK leaves for the console window to show.
struct TKeyPropOutcome {
    std::optional<QString> Caption;
    std::optional<QString> Hint;
    std::optional<std::int32_t> CaptionColour;
    QList<int> RecolouredKeys; // marked captioned keys that take the colour too
    bool Changed = false;      // key data changed: B was written back
    bool MsnChanged = false;
    std::optional<QString> FunctionNumber; // stored as the console's FNGSMR
};

// OK: key `n` of array B (refreshed from the active console) takes the
// edits; the MSN follows to the keys of the same line in each console
// (UpdateKeysOfLine) and B is written back (StoreKeyLines) only when the key
// data changed. markedCaptioned: the marked key controls with a caption.
// setFunctionNumber stores the console's function number (SetPultName).
TKeyPropOutcome ApplyKeyProperties(const TKeyPropertiesModel &model, int n, TKeyArray &b,
                                   const QList<int> &markedCaptioned, const QString &consoleFunctionNumber,
                                   TKeyBinding &binding,
                                   const std::function<void(const QString &)> &setFunctionNumber);
