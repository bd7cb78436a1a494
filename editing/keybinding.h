#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "cardpack/sablona.h"
#include "model/cardset.h"
#include "model/objekty.h"

// Binding board lines and extended lines to console keys, without a window.
// Every operation takes the configuration and the active console explicitly
// and changes only the model; what the windows must show is handed back in
// the result or told to a TKeyObserver.
//
// A binding is two-sided: the line's (or extended line's) Klavesa is the key's
// index and the key's HWPozicDosky, PozicLinky and PozicRLinky name the line.

// 224 key references, index = key index; an empty entry holds none.
using TKeyArray = std::array<std::unique_ptr<TKlavesa>, KeyCount>;

// Key face colours as $BBGGRR (the key control's states).
namespace BindingColors
{
inline constexpr std::uint32_t Normal = 0xC8D0D4;
inline constexpr std::uint32_t Marked = 0xFFA54A;
} // namespace BindingColors

// What the console windows do when the model's keys change under them.
class TKeyObserver
{
public:
    virtual ~TKeyObserver() = default;
    // Key k of console c lost its binding: its control loses its caption and
    // shows the normal colour.
    virtual void KeyCleared(int console, int key) = 0;
    // Key k of console c should show the colour, when its control has a
    // caption and is enabled.
    virtual void KeyColour(int console, int key, std::uint32_t colour) = 0;
};

// What the main window lends to the binding.
struct TBindingServices {
    // The card object of a board slot; none for an empty slot.
    std::function<TCardOld *(int slot)> CardOfSlot;
    // Marks the project modified.
    std::function<void()> SetModified;
    // Rebuilds line numbers and the UNI table (BuildUniTable).
    std::function<void()> RebuildUniTable;
    // A warning box with Yes and No; true for Yes. Without it the answer is No.
    std::function<bool(const QString &text)> AskYesNo;
    TKeyObserver *Observer = nullptr;

    // CardOfSlot answered by a card holder (the main window's cards, a TCardSet).
    void UseCards(TCardSlots &cards);
};

// The board-panel selection at the moment a key is clicked in binding mode.
struct TLineSelection {
    int Slot = 255;                  // selected card's slot
    Byte Line = 255;                 // selected line index
    Byte ExtPosition = 255;          // selected extended line's position; 255 none
    bool HasPressedButton = false;   // a line button (or, for an extended line, an extended-line button) is down
    QString PressedCaption;          // its caption
    bool TypePanel = false;          // the line-type panel exists
    bool TypePanelEnabled = false;   // ... and is enabled: the type choice is in use
    QString CheckedType;             // caption of the checked radio button; empty when none
    int LineButtonCount = 0;         // number of line buttons shown

    bool Extended() const { return ExtPosition != 255; }
};

// What the panels show after a binding attempt.
struct TBindingChange {
    bool Bound = false;
    QString KeyCaption;                    // the bound key's MenoKlavesy
    std::optional<QString> LineButtonCaption;
    std::optional<QString> LineButtonHint;
    bool DisableLineButton = false;
    bool ReleaseExtButton = false;         // release and disable the pressed extended-line button
    bool DisableTypePanel = false;
    bool ShowCardAgain = false;            // click the selected card again (ShowCard)
};

// One binding context: the configuration, the active console and the services.
// With no configuration or no such console every operation does nothing and
// answers false, none or 255.
class TKeyBinding
{
public:
    TKeyBinding(TAPult *config, int console, TBindingServices services = {});

    TAPult *Config;
    int Console; // the active console; 255 none

    // Binds the selected line or extended line to key k. Change.Bound tells
    // whether a binding was written; the result is the same.
    bool AssignLineToKey(int k, const TLineSelection &sel, TBindingChange *change = nullptr);

    // Deletes key k with its binding (in both consoles when allConsoles). With
    // testOnly nothing changes and the result tells whether it would be deleted.
    bool DeleteKeys(int k, bool confirmed, bool allConsoles, bool testOnly);

    // Every entry a fresh copy of the console's key, or an unconfigured key.
    void SaveKeys(TKeyArray &keys) const;
    // Each set entry whose console key exists takes that key's values.
    void RefreshSavedKeys(TKeyArray &saved) const;
    // Writes the set entries back and rebuilds boards, lines and extended
    // lines from them.
    void StoreKeyLines(const TKeyArray &keys);

    // The first key whose NumLin is n; none (index 255) for n 255 or no match.
    TKlavesa *FindKeyByNumber(int n, int &index) const;
    // Key n for n 0..223; none otherwise or when absent.
    TKlavesa *GetKey(int n) const;

    // The keys bound to the key's line, in both consoles, take its MSN digits and flags.
    void UpdateKeysOfLine(const TKlavesa &key);
    // A key without MSN digits takes them from a key bound to the same line.
    void ShareMSNOfLine(TKlavesa &key) const;

    // Keys of the slot's board get the marked (or normal) colour.
    void MarkBoardKeys(bool mark, int selectedSlot) const;

    bool CanPlaceLine(int slot, int line, const QString &name, int position) const;
    bool KeyNameUnique(const QString &name) const;

    TPult *ActiveConsole() const;

private:
    TCardOld *cardOf(int slot) const;
    void modified() const;
    void keyCleared(int console, int key) const;
    bool syncRadioPanel(TCardOld &card, Byte line, const TLineSelection &sel) const;

    TBindingServices services;
};

// Lowest number 0..LinCount-1 not yet used by a card line named with the type
// (a name that contains the type and ends in that digit); LinCount - 1 when
// all are used; 255 without a card.
Byte FreeTypeNumber(TCardOld *card, const QString &typeName);

// False when a configured key of source lands, shifted, on a configured key of
// target (indices max(0, -shift) .. last - max(shift, 0)); missing entries
// count as unconfigured.
bool CanMoveKeys(const TKeyArray &source, const TKeyArray &target, int last, int shift);

// A key that carries a line or a type: MenoLinky not "nekonf" or TypLinky not 255.
bool IsConfiguredKey(const TKlavesa *key);

// Name texts. "E0-L3 - MB-0" without its line-position prefix is "MB-0"; a
// name without such a prefix (also "nekonf") comes back whole.
QString StripLinePosPrefix(const QString &name);
// "A - B - C" without its last " - " part is "A - B"; without " - " unchanged.
QString WithoutLastPart(const QString &name);
// The fourth and fifth character of LinePosName: slot 3 L3, slot 10 H2.
QString ShortLinePos(int slot);

// Every fault of the bindings, as readable text; empty when the configuration
// is consistent: lines, extended lines and keys name each other, a key bound
// to a board has a card in that board's slot (the configuration's slot
// entry names one), and, given the board-type list, no key from a console's
// capacity up (its screens of its type's grid; none when it is not
// connected) carries a line or a type.
QStringList BindingFaults(const TAPult &config, TZoznam *boardList = nullptr);
