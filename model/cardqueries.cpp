#include "model/cardqueries.h"

#include "cardpack/registry.h"
#include "model/objekty.h"

std::int32_t FindPairValue(const TAPult *config, std::int32_t Code)
{
    if (!config)
        return 0;
    std::int32_t value = 0;
    for (const TKodHodnota &entry : config->KodHodnota)
        if (entry.Kod == Code)
            value = entry.Hodnota;
    return value;
}

void StorePairValue(TAPult *config, std::int32_t Code, std::int32_t Value)
{
    if (!config)
        return;
    for (TKodHodnota &entry : config->KodHodnota)
        if (entry.Kod == Code)
            entry.Hodnota = Value;
}

namespace
{

Byte keyCodeWithType(TCardOld &card, Byte line, const QString &typeName)
{
    const QString kept = card.GetNameLin(line);
    card.SetNameLin(line, typeName);
    const Byte code = card.GetKeyCode(line);
    card.SetNameLin(line, kept);
    return code;
}

} // namespace

Byte CardTemplateQuery(TCardOld *card, Byte Line, Byte TypeIndex)
{
    if (!card)
        return 1;
    Byte ignored = 255;
    const QString typeName = card->GetTypLinName(TypeIndex, ignored);
    // Setting a name back cannot always restore it exactly (a card stores an
    // empty or typeless name as "nekonf"), so the question goes to a fresh card
    // of the same class when the package can make one.
    if (auto scratch = Registry::CreateCard(card->ClassName()))
        return keyCodeWithType(*scratch, Line, typeName);
    return keyCodeWithType(*card, Line, typeName);
}

Byte CardTemplateQuery(TCardSlots &cards, int Slot, Byte Line, Byte TypeIndex)
{
    return CardTemplateQuery(cards.CardOfSlot(Slot), Line, TypeIndex);
}

bool SyncRadioPanel(const TAPult *config, TCardOld *card, Byte boardCode, Byte Line,
                    const std::optional<QString> &checkedCaption)
{
    if (!card)
        return true;
    if (card->GetTypLinNum(card->GetNameLin(Line)) == 255) {
        QString name;
        if (checkedCaption) {
            name = *checkedCaption + QStringLiteral("-") + QString::number(Line);
        } else {
            Byte ignored = 255;
            name = card->GetTypLinName(Byte(FindPairValue(config, boardCode)), ignored);
        }
        card->SetNameLin(Line, name);
    }
    return !card->IsRozsirLin(Line);
}
