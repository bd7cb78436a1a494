#include "editing/layoutchange.h"

#include "editing/keygrid.h"

namespace LayoutChange
{

int Capacity(TZoznam *list, Byte consoleType, int screens)
{
    if (!list || consoleType == 0 || screens <= 0)
        return 0;
    return KeyCountFor(ConsoleKeyGrid(*list, consoleType), screens);
}

TAPult &EnsureConfiguration(TAPult *&config, const QString &programPath, TZoznam *list)
{
    if (!config) {
        config = new TAPult(programPath);
        config->PocetPultov = ConsoleCount;
        config->TypNumlinov = list ? list->TypNumlin() : 0;
    }
    return *config;
}

void EnsureConsoles(TAPult &config)
{
    for (auto &console : config.Pulty) {
        if (console)
            continue;
        console = std::make_unique<TPult>();
        console->TypPultu = 0;
        console->PocetObrazoviek = 1;
        for (auto &key : console->Klavesy)
            key = std::make_unique<TKlavesa>();
    }
}

void UnbindKey(TAPult &config, int console, int key, TKeyObserver *observer)
{
    if (console < 0 || console >= ConsoleCount || key < 0 || key >= KeyCount || !config.Pulty[console])
        return;
    TPult &p = *config.Pulty[console];
    // Every line that names the key lets go of it, not only the one the key
    // names: a half binding would point at a key that no longer carries it.
    for (auto &board : p.Dosky) {
        if (!board)
            continue;
        for (auto &line : board->Linky) {
            if (!line)
                continue;
            Byte otherKey = 255; // a key of another extended line of this line
            for (auto &ext : line->RLinky) {
                if (!ext)
                    continue;
                if (ext->Klavesa == key)
                    ext->Klavesa = 255;
                else if (ext->Klavesa < KeyCount && otherKey == 255)
                    otherKey = ext->Klavesa;
            }
            // A line that still has keyed extended lines names one of their keys.
            if (line->Klavesa == key)
                line->Klavesa = otherKey;
            else if (line->Klavesa == 253 && otherKey == 255)
                line->Klavesa = 255;
        }
    }
    if (p.Klavesy[key])
        p.Klavesy[key]->Reset();
    else
        p.Klavesy[key] = std::make_unique<TKlavesa>();
    if (observer)
        observer->KeyCleared(console, key);
}

void UnbindKeysFrom(TAPult &config, int console, int capacity, TKeyObserver *observer)
{
    for (int k = std::max(0, capacity); k < KeyCount; ++k)
        UnbindKey(config, console, k, observer);
}

void ShareBoards(TAPult &config)
{
    for (int a = 0; a < ConsoleCount; ++a)
        for (int b = 0; b < ConsoleCount; ++b) {
            if (a == b || !config.Pulty[a] || !config.Pulty[b] || config.Pulty[a]->TypPultu == 0)
                continue;
            TPult &from = *config.Pulty[a];
            TPult &to = *config.Pulty[b];
            for (int s = 0; s < BoardCount; ++s) {
                const TDoska *source = from.Dosky[s].get();
                if (!source)
                    continue;
                if (!to.Dosky[s]) {
                    auto board = std::make_unique<TDoska>();
                    board->MenoDosky = source->MenoDosky;
                    board->CisloDosky = source->CisloDosky;
                    board->PocetLiniek = source->PocetLiniek;
                    to.Dosky[s] = std::move(board);
                }
                if (to.TypPultu == 0)
                    continue;
                TDoska &target = *to.Dosky[s];
                for (int l = 0; l < source->PocetLiniek && l < LineCount; ++l) {
                    const TLinka *line = source->Linky[l].get();
                    if (!line)
                        continue;
                    if (!target.Linky[l]) {
                        auto copy = std::make_unique<TLinka>();
                        copy->MenoLinky = line->MenoLinky;
                        copy->CisloLinky = line->CisloLinky;
                        copy->PocetRLiniek = line->PocetRLiniek;
                        copy->Klavesa = 255;
                        target.Linky[l] = std::move(copy);
                    }
                    TLinka &into = *target.Linky[l];
                    for (int r = 0; r < line->PocetRLiniek && r < ExtLineCount; ++r) {
                        const TRLinka *ext = line->RLinky[r].get();
                        if (!ext || into.RLinky[r])
                            continue;
                        auto copy = std::make_unique<TRLinka>();
                        copy->MenoRLinky = ext->MenoRLinky;
                        copy->CisloRLinky = ext->CisloRLinky;
                        copy->Klavesa = 255;
                        into.RLinky[r] = std::move(copy);
                    }
                }
            }
        }
}

} // namespace LayoutChange
