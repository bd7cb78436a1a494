#pragma once

#include <QString>

#include <array>
#include <memory>

#include "cardpack/sablona.h"

// The card objects of the 32 board slots, as the conversions between the
// system image and the configuration need them. The main window keeps its
// cards on its card buttons and answers through this interface; TCardSet is a
// plain holder for code that has no window.

constexpr int CardSlotCount = 32;

class TCardSlots
{
public:
    virtual ~TCardSlots() = default;
    // The card of the slot; none for an empty slot or one outside 0..31.
    virtual TCardOld *CardOfSlot(int slot) = 0;
    // Creates the object registered under name + "Card", else under name. A
    // card becomes the card of the slot; the answer tells whether the slot
    // now has a card.
    virtual bool CreateCardByName(const QString &name, int slot) = 0;
};

// The object registered under name + "Card", else under name; none for an
// empty name or a name under which nothing is registered.
std::unique_ptr<TPersistent> CreateObjectByCardName(const QString &name);

// True when the name resolves to a card class (not a board-type list or any
// other class). Creates and frees one object to find out.
bool IsCardClassName(const QString &name);

// 13 board slots, or 16 when the board-type list's flags have bit 2.
int BoardSlotCount(Byte listType);

// Slots below the count (and below 16) are valid; 16..28 only when the list's
// flags have bit 0; 29..31 never.
bool IsBoardSlotValid(int slot, Byte listType);

class TCardSet : public TCardSlots
{
public:
    TCardOld *CardOfSlot(int slot) override;
    // A card replaces the slot's card; a board-type list goes to BoardList; any
    // other object is freed.
    bool CreateCardByName(const QString &name, int slot) override;

    // Takes the card for the slot (replacing what was there); false and the
    // card freed for a slot outside 0..31.
    bool SetCard(int slot, std::unique_ptr<TCardOld> card);
    void FreeCard(int slot);
    // The slot's card leaves the set (none for an empty slot).
    std::unique_ptr<TCardOld> TakeCard(int slot);
    void Clear();

    // A board-type list that CreateCardByName was given.
    std::unique_ptr<TZoznam> BoardList;

private:
    std::array<std::unique_ptr<TCardOld>, CardSlotCount> cards;
};
