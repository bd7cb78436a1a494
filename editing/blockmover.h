#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "editing/keybinding.h"
#include "editing/keygrid.h"

// Copying, pasting, moving and deleting blocks of console keys, without a
// window. The console window tells which keys are marked, hands in the
// binding of its console and shows what the mover answers: per key a caption,
// a hint and whether it is drawn in the move colour, and the listing of the
// previewed layout.

// Key state colours ($BBGGRR) the delete commands read.
namespace StateColors
{
inline constexpr std::uint32_t Active = 0xECEFF0;
inline constexpr std::uint32_t Marked = 0xFFA54A;
inline constexpr std::uint32_t ActiveMarked = 0xFFCF9F;
} // namespace StateColors

// The main window's copy buffer: owned copies of the copied keys, index = key
// number. Pasting reads it and never changes it.
struct TCopyBuffer {
    int Count = 0;
    int Lowest = 0;
    int Highest = 0;
    TKeyArray Keys;

    bool Empty() const { return Count <= 0; }
    void Clear();
};

// Copies the marked keys of the binding's console into the buffer (owned
// copies). last is the window's last key number. With no marked key the buffer
// stays as it was; the answer tells whether it was refilled.
bool CopyMarkedKeys(TCopyBuffer &buffer, const QList<int> &marked, int last, const TKeyBinding &binding);

// The keys a delete command acts on: those whose state colour is marked (when
// `marked`) or active, in key order.
QList<int> KeysToDelete(const QList<std::uint32_t> &colours, bool marked);
// Deletes each key through `deleteKey` (DeleteKeys of the main window); the
// keys it reported deleted.
QList<int> DeleteKeyList(const QList<int> &keys, const std::function<bool(int key)> &deleteKey);

// What a paste needs to know of the main window's cards and lines.
struct TPasteChecks {
    // The card of the slot answers the board code for the system type.
    std::function<bool(int slot, int code)> CardModeMatches;
    // The line of the active console carries a key (0..223).
    std::function<bool(int slot, int line)> LineHasKey;

    // Both answered from the binding's configuration and a card lookup.
    static TPasteChecks FromCards(const TKeyBinding &binding, std::function<TCardOld *(int slot)> cardOfSlot);
};

// One key control as the mover wants it shown.
struct TKeyView {
    QString Caption;
    QString Hint;
    bool Moved = false;         // drawn in the move colour; else normal
    std::int32_t TextColor = 0; // the caption colour of the key shown
};

// The listing line of one destination of a layout, as the move preview writes it.
QString MoveListingLine(const TKlavesa &key, int destination, int source);

// Key steps of the keyboard: "J"/"4" one column down the numbers, "K"/"5" one
// key down, "L"/"6" one column up, "I"/"8" one key up; 0 for other keys. One
// column is 8 keys on a PC console (type 1) and 16 on a mechanical one.
int KeyboardStep(QChar key, Byte consoleType);

// The key a keyboard step from the active key a leads to, or -1 for no change:
// from the target in the step's direction the first enabled key; running past
// an end goes back to a, the search then runs from the target the other way,
// and reaching a a second time ends it.
int KeyboardTarget(int a, int step, int last, const std::function<bool(int key)> &enabled);

// What a character typed in a console window asks for (upper case taken;
// Esc, "*", "+", "-", "/", "0", "4", "5", "6", "8", "I", "J", "K", "L", "P").
struct TKeyPress {
    enum What {
        None,
        DeleteMarked, // "-": the marked keys, when the prepared menu enables it
        InvertAll,    // "*"
        StartMove,    // "/"
        ClickActive,  // "+", and "0" / "P" before their (empty) step
        Move,         // a keyboard step of Step keys
        CancelMove,   // in move mode: Esc, "-", "/"
        PlaceBlock,   // in move mode: "+", "0", "P"
    };
    What what = None;
    bool PrepareMenu = false; // the pop-up menu is prepared first (enabled states)
    bool Navigate = false;    // the active-key search follows (also for "0" / "P")
    int Step = 0;
};
TKeyPress KeyPressAction(QChar key, bool moving, Byte consoleType);

// The block mover of one console window.
class TBlockMover
{
public:
    TBlockMover(const KeyGrid &grid, int screens);

    enum class Mode { Off, Move, Paste };

    const KeyGrid Grid;
    const int Last; // min(rows * columns * screens, 224) - 1

    Mode MoveMode() const { return mode_; }
    bool Active() const { return mode_ != Mode::Off; }
    int BlockLow() const { return blockLow_; }
    int BlockHigh() const { return blockHigh_; }
    int Shift() const { return shift_; }
    // Lowest destination of the previewed block; KeyCount before any.
    int MoveBase() const { return moveBase_; }
    // A shift has passed every check since the mode began.
    bool HasValidShift() const { return validShift_; }
    bool InBlock(int n) const;

    // Starts moving the keys `block` (the marked keys that carry a caption):
    // key arrays A, B and C from the binding's console, the marked keys into
    // the copy buffer. False, and nothing changed, without a block key.
    bool StartMove(const QList<int> &block, const QList<int> &marked, const TKeyBinding &binding,
                   TCopyBuffer &buffer);

    struct TPasteStart {
        bool Started = false; // at least one key was accepted
        int Refused = 0;      // keys text 75 tells about
        QList<int> Accepted;
    };
    // Starts pasting the buffer. A buffered key joins the block when its line
    // name is unique in the console, its board answers its code and the line
    // place it takes is free (see the source for the three forms).
    TPasteStart StartPaste(const TCopyBuffer &buffer, const TKeyBinding &binding, const TPasteChecks &checks);

    // The block would stay inside its columns when shifted.
    bool MoveFits(int shift, int rows) const;
    // Every check a shift must pass before it is shown or placed: inside
    // 0..last, inside the columns, and every block key lands on a free key.
    bool ShiftValid(int shift) const;

    // Mouse over key k (or a keyboard step to it): shows the block at the
    // shift that puts block low on k, or searches a valid position nearby.
    // True when the preview changed.
    bool Preview(int k, bool fromMouse = true);
    // A keyboard move in move mode: steps from the move base until the preview
    // takes a new position or the step reaches key 0 or the last key.
    bool KeyboardMove(int step);

    // Computes the layout with the block shifted; with preview only the views
    // and the listing change, else B takes the layout.
    void PlaceBlock(int shift, int last, bool preview);

    // The placing click: writes the block at the current shift into the
    // console (StoreKeyLines) when that shift passed every check, the console
    // still holds the keys the mode began with and, for a paste, every line
    // is still free on a board whose card answers its code; ends the mode
    // then. Only the places the block leaves and takes are written. False
    // when nothing was placed.
    bool Place(TKeyBinding &binding, const TPasteChecks &checks);
    // The console's keys are no longer those the mode began with (snapshot
    // A): something outside the mode changed them, and B and the block are
    // out of date. False when no mode is on.
    bool Stale(const TKeyBinding &binding) const;
    // Ends the mode. The views take the captions and hints of the console as
    // it is now when `current` is given (a missing console shows nothing),
    // else those of the snapshot A.
    void Cancel(const TKeyBinding *current = nullptr);

    // What keys 0..last show now.
    const std::array<TKeyView, KeyCount> &Views() const { return views_; }
    // The listing of the last layout PlaceBlock computed: one line per configured key.
    const QStringList &Listing() const { return listing_; }
    QString ListingText() const { return listing_.join(QStringLiteral("\r\n")); }

    // The working arrays, for tests and the window.
    const TKeyArray &KeysA() const { return a_; }
    const TKeyArray &KeysB() const { return b_; }
    const TKeyArray &KeysC() const { return c_; }

    struct TMoveRecord {
        bool InBlock = false;
        int Source = 0;
        int Destination = 0;
        TKlavesa Key;
    };
    const std::array<TMoveRecord, KeyCount> &Records() const { return records_; }

private:
    void begin(const TKeyBinding &binding);
    void finishBlock();
    bool previewOne(int k, bool fromMouse, bool &again, int &next);
    bool linesStillFree(const TKeyBinding &binding, const TPasteChecks &checks) const;
    void viewsFrom(const TKeyArray &keys, bool moved);

    Mode mode_ = Mode::Off;
    int blockLow_ = 0;
    int blockHigh_ = 0;
    int shift_ = 0;
    bool validShift_ = false;
    int moveBase_ = KeyCount;
    bool snapFlag_ = true;
    int snapBase_ = -1;
    TKeyArray a_, b_, c_;
    std::array<TMoveRecord, KeyCount> records_;
    std::array<TKeyView, KeyCount> views_;
    QStringList listing_;
};
