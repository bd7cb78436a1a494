#include "model/cardset.h"

#include "cardpack/registry.h"

std::unique_ptr<TPersistent> CreateObjectByCardName(const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    if (auto object = Registry::Create(name + QStringLiteral("Card")))
        return object;
    return Registry::Create(name);
}

bool IsCardClassName(const QString &name)
{
    auto object = CreateObjectByCardName(name);
    return dynamic_cast<TCardOld *>(object.get()) != nullptr;
}

int BoardSlotCount(Byte listType)
{
    return (listType & 4) ? 16 : 13;
}

bool IsBoardSlotValid(int slot, Byte listType)
{
    if (slot >= 0 && slot < BoardSlotCount(listType) && slot < 16)
        return true;
    if (slot >= 16 && slot <= 28)
        return (listType & 1) != 0;
    return false;
}

TCardOld *TCardSet::CardOfSlot(int slot)
{
    if (slot < 0 || slot >= CardSlotCount)
        return nullptr;
    return cards[slot].get();
}

bool TCardSet::CreateCardByName(const QString &name, int slot)
{
    auto object = CreateObjectByCardName(name);
    if (auto *card = dynamic_cast<TCardOld *>(object.get())) {
        object.release();
        return SetCard(slot, std::unique_ptr<TCardOld>(card));
    }
    if (auto *list = dynamic_cast<TZoznam *>(object.get())) {
        object.release();
        BoardList.reset(list);
    }
    return false;
}

bool TCardSet::SetCard(int slot, std::unique_ptr<TCardOld> card)
{
    if (slot < 0 || slot >= CardSlotCount)
        return false;
    cards[slot] = std::move(card);
    return cards[slot] != nullptr;
}

std::unique_ptr<TCardOld> TCardSet::TakeCard(int slot)
{
    if (slot < 0 || slot >= CardSlotCount)
        return nullptr;
    return std::move(cards[slot]);
}

void TCardSet::FreeCard(int slot)
{
    if (slot >= 0 && slot < CardSlotCount)
        cards[slot].reset();
}

void TCardSet::Clear()
{
    for (auto &card : cards)
        card.reset();
}
