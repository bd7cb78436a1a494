#include "records/unitable.h"

#include <algorithm>
#include <vector>

#include "model/objekty.h"
#include "records/systemimage.h"

namespace
{

struct NumberedLine {
    int slot;
    int line;
    Byte number;
};

const NumberedLine *findLine(const std::vector<NumberedLine> &list, int slot, int line)
{
    for (const NumberedLine &entry : list)
        if (entry.slot == slot && entry.line == line)
            return &entry;
    return nullptr;
}

void setKeyNumber(TPult &console, Byte key, Byte number)
{
    if (key < KeyCount && console.Klavesy[key])
        console.Klavesy[key]->NumLin = number;
}

void writeUniEntry(TSystemImage &image, Byte number, int slot, int line, Byte code)
{
    if (number >= img::UniCount)
        return;
    auto e = image.UniEntry(number);
    e[img::UeLine] = number;
    e[img::UeKind] = 6;
    e[img::UeBoardCode] = code;
    const bool extension = slot >= 16;
    e[img::UeSlotKind] = extension ? img::UeExtensionSlot : 255;
    e[img::UePosition] = Byte((extension ? slot - 16 : slot) * 16);
    e[img::UeLinePos] = Byte(line);
    e[img::UeMark] = 254;
}

void markSharedLine(TSystemImage &image, Byte number)
{
    if (number >= img::UniCount)
        return;
    auto e = image.UniEntry(number);
    if (e[img::UeMark] == 254)
        e[img::UeMark] = 255;
}

} // namespace

void BuildUniTable(TAPult *config, TSystemImage &image, TZoznam *list)
{
    if (!config)
        return;
    const bool uniEntries = list && (list->GetType() & 2);
    std::vector<NumberedLine> numbered;
    Byte counter = 0;

    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *console = config->Pulty[c].get();
        if (!console)
            continue;
        for (int s = 0; s < BoardCount; ++s) {
            TDoska *board = console->Dosky[s].get();
            if (!board)
                continue;
            const Byte code = config->SlotyDosiek[s].Kod;
            const int lines = std::min<int>(board->PocetLiniek, LineCount);
            for (int l = 0; l < lines; ++l) {
                const NumberedLine *known = config->TypDosiek == 1 ? findLine(numbered, s, l) : nullptr;
                auto &place = board->Linky[l];
                if (!place) {
                    place = std::make_unique<TLinka>();
                    place->Reset();
                }
                TLinka &line = *place;
                const Byte key = line.Klavesa;
                if (key >= KeyCount && key != 253 && !(IsUniBoardCode(code) && key == 255))
                    continue;

                Byte number = known ? known->number
                                    : (config->TypNumlinov == 0 ? Byte(s * 5 + l) : counter);
                setKeyNumber(*console, key, number);

                if (config->TypNumlinov == 1) {
                    // Slots 29..31 hold no boards of the system: no entries for them.
                    if (IsUniBoardCode(code) && uniEntries && s <= 28) {
                        if (!known && key == 255)
                            writeUniEntry(image, number, s, l, code);
                        else if (known && key < 255)
                            markSharedLine(image, number);
                    }
                    if (!known)
                        numbered.push_back({s, l, number});
                }

                const int extended = std::min<int>(line.PocetRLiniek, ExtLineCount);
                for (int r = 0; r < extended; ++r)
                    if (const TRLinka *ext = line.RLinky[r].get())
                        setKeyNumber(*console, ext->Klavesa, number);

                if (!known)
                    ++counter;
            }
        }
    }
}
