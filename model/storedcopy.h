#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

#include "cardpack/sablona.h"
#include "model/objekty.h"

// The main window's commands on whole configurations without the window: keep
// a copy of the current configuration, compare with it, merge it in, and copy
// one console onto the other. Each returns what the window must show or do.

enum class TStoredCopyStatus {
    Done,
    NoConfiguration, // there is no current configuration: nothing done
    NoStoredCopy,    // no copy was stored yet: nothing done
};

// Makes Stored a copy of Current (TAPult::Assign), creating it with the
// program's path as its name the first time. False, and Stored untouched,
// without a current configuration.
bool StoreConfiguration(std::unique_ptr<TAPult> &Stored, const TAPult *Current, const QString &ProgramPath);

struct TStoredCompare {
    TStoredCopyStatus Status = TStoredCopyStatus::NoConfiguration;
    bool Equal = false;
    // Ready to show: an empty line, "--== " + text 209 (equal) or 208 + " ==--",
    // an empty line, then the comparison's entries.
    QStringList Report;
    // For an information box after the report when Equal (text 215); else empty.
    QString Message;
};

// Compares Current with Stored; Current stays exactly as it was.
TStoredCompare CompareWithStored(TAPult *Current, const TAPult *Stored, int KeysPerScreen2,
                                 int KeysPerScreen1);

struct TConsoleLayout {
    Byte TypPultu = 0;
    Byte PocetObrazoviek = 1;
};

struct TStoredMerge {
    TStoredCopyStatus Status = TStoredCopyStatus::NoConfiguration;
    bool Merged = false;  // Current took the stored copy in
    bool Changed = false; // Current differs from before: the project is modified
    // Merged: the entries taken over. Not merged: ready to show, with an empty
    // line, "--== " + text 208 + " ==--" and an empty line in front.
    QStringList Report;
    // Merged: for the information box once the cards are made (text 210).
    QString Message;
    // Merged: the console types and screen counts the consoles have now, for
    // the console layout change. A console that does not exist is 0 and 1.
    std::array<TConsoleLayout, ConsoleCount> Layout{};
};

// Merges Stored into Current. A merge that fails changes nothing.
TStoredMerge MergeStored(TAPult *Current, const TAPult *Stored, int KeysPerScreen2, int KeysPerScreen1);

// After a merge, slots the merge named need card objects, and cards take the
// names of the merged lines. The window lends its card buttons.
struct TMergeCardHooks {
    std::function<bool(int slot)> SlotValid;        // IsBoardSlotValid
    std::function<TCardOld *(int slot)> CardOfSlot; // the slot's card object; none
    // Puts a new card on the slot's button; answers the card as it now sits there.
    std::function<TCardOld *(int slot, std::unique_ptr<TCardOld> card)> TakeCard;
};

struct TMergeCards {
    bool Changed = false; // a card was made or took line names: the project is modified
    // One warning box (OK) and "WARNING" log entry each: text 73, the slot's
    // name, text 74. With any, the merge ends here (no layout change, no box).
    QStringList Warnings;
};

// For each valid slot with a name and no card: a card of the class
// MergedCardClassName(name); the slot becomes "T" + the name without its first
// character, with the card's code for the system type. Then, when every card
// was made, each card of a named valid slot takes the names of the lines the
// consoles hold on that board (CardLineName), line by line.
TMergeCards MergeCards(TAPult &Current, const TMergeCardHooks &Hooks);

// "T" + the slot name without its first character + "Card".
QString MergedCardClassName(const QString &SlotName);
// A line name without everything up to and including its first " - ".
QString CardLineName(const QString &MenoLinky);

struct TCopyPult {
    bool Copied = false;   // the project is modified and the target console's keys are shown again
    QList<int> ResetKeys;  // target keys reset: their line now belongs to the copied binding
    int ReleasedLines = 0; // target lines and extended lines that no longer had their key
};

// Copies console Source onto console Target: boards, lines and extended lines
// where Source has them, and every key Source has. What only the target has
// stays, as do its type, screen count, GSM-R number and phone book, except
// that no line is left bound to a key that names another line and no key to
// a line that is bound elsewhere. Nothing without a configuration, without
// the Source console, or for Source equal to Target.
TCopyPult CopyPult(TAPult *Config, int Source, int Target);
