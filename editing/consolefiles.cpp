#include "editing/consolefiles.h"

#include "model/objekty.h"

namespace ConsoleFiles
{

bool PultHasKindRKey(const TAPult *config, int console)
{
    if (!config || console < 0 || console >= ConsoleCount || !config->Pulty[console])
        return false;
    for (const auto &key : config->Pulty[console]->Klavesy)
        if (key && key->KodDosky == 114)
            return true;
    return false;
}

QString SystemTypeText(const TAPult *config, const QString &standard, const QString &type2, const QString &type3)
{
    if (!config)
        return QString();
    return config->TypSystemu == 2 ? type2 : config->TypSystemu == 3 ? type3 : standard;
}

bool TakeKeyNamesFromPcRecord(TAPult &config, const TPcRecord &record, int console)
{
    if (console < 0 || console >= ConsoleCount || !config.Pulty[console])
        return false;
    for (int s = 0; s < pcrec::BoardSlots; ++s)
        if (record.BoardCode(s) != config.SlotyDosiek[s].Kod)
            return false;
    TPult &pult = *config.Pulty[console];
    const auto lines = record.KeyToLineTable(console);
    const auto subscribers = record.KeyToSubscriberTable(console);
    // The writer stops at key 222; the last key is never in a record.
    constexpr int lastKey = KeyCount - 1;
    for (int k = 0; k < lastKey; ++k) {
        const TKlavesa *key = pult.Klavesy[k].get();
        if (!key || key->NumLin == 255)
            continue;
        const int address = KeyAddress(k);
        if (lines[address] != key->NumLin || subscribers[address] != key->CisloUcastnika ||
            record.KeyEntry(console, address)[0] != key->ObsluhaKlavesy)
            return false;
    }
    bool changed = false;
    for (int k = 0; k < lastKey; ++k) {
        TKlavesa *key = pult.Klavesy[k].get();
        if (!key)
            continue;
        const QString name = record.NameText(KeyAddress(k));
        if (key->MenoKlavesy != name) {
            key->MenoKlavesy = name;
            changed = true;
        }
    }
    return changed;
}

QString ProposedFileName(const QString &lastFile, const QString &extension)
{
    if (lastFile.isEmpty())
        return QString();
    const int slash = std::max(lastFile.lastIndexOf(u'/'), lastFile.lastIndexOf(u'\\'));
    const int dot = lastFile.lastIndexOf(u'.');
    return (dot > slash ? lastFile.left(dot) : lastFile) + extension;
}

QString CardClassOfCaption(const QString &caption)
{
    QString text = caption;
    const int amp = int(text.indexOf(u'&'));
    if (amp >= 0)
        text.remove(amp, 1);
    return QStringLiteral("T") + text + QStringLiteral("Card");
}

bool MayPlaceCard(const TAPult *config, int slot, bool slotValid)
{
    return config && slotValid && slot >= 0 && slot < BoardCount && config->SlotyDosiek[slot].Meno.isEmpty();
}

void RemoveBoard(TAPult &config, int slot, TKeyObserver *observer)
{
    if (slot < 0 || slot >= BoardCount)
        return;
    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *p = config.Pulty[c].get();
        if (!p)
            continue;
        p->Dosky[slot].reset(); // its lines and extended lines with it
        for (int k = 0; k < KeyCount; ++k) {
            TKlavesa *key = p->Klavesy[k].get();
            if (!key || key->HWPozicDosky != slot)
                continue;
            key->Reset();
            if (observer)
                observer->KeyCleared(c, k);
        }
    }
    config.SlotyDosiek[slot].Meno.clear();
    config.SlotyDosiek[slot].Kod = 255;
}

} // namespace ConsoleFiles
