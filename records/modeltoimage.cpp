#include "records/modeltoimage.h"

#include <algorithm>
#include <memory>

#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "records/systemimage.h"
#include "records/unitable.h"

namespace
{

constexpr Byte None = 0xFF;
constexpr Byte MsnBoardCode = 0x72;
constexpr int PcKeyLimit = 223; // the record holds no entry for key address 256
const QString Orst0 = QStringLiteral("ORST0");

bool SharesLamps(Byte code)
{
    return code == 240 || code == 32 || code == 208;
}

int ConsolesInUse(const TAPult &config)
{
    return std::clamp<int>(config.PocetPultov, 0, ConsoleCount);
}

Byte ListType(const TRecordContext &ctx)
{
    return ctx.List ? ctx.List->GetType() : 0;
}

QString Line0TypeName(TCardOld &card)
{
    Byte ignored = None;
    return card.GetTypLinName(0, ignored);
}

TPult &EnsureConsole(TAPult &config, int console, const TSystemImage &image)
{
    auto &place = config.Pulty[console];
    if (!place) {
        place = std::make_unique<TPult>();
        place->TypPultu = image.ConsoleType(console);
        place->PocetObrazoviek = image.ScreenCount(console);
    }
    return *place;
}

void EnsureKeys(TPult &pult, int count)
{
    for (int k = 0; k < count; ++k)
        if (!pult.Klavesy[k])
            pult.Klavesy[k] = std::make_unique<TKlavesa>(); // a new key is unconfigured
}

// Keys of a line with one lamp: keys with subscriber 0 on the line of a key
// that is not subscriber 11 take that key's lamp.
void ShareLamps(TPult &pult)
{
    for (int k = 0; k < KeyCount; ++k) {
        TKlavesa &key = *pult.Klavesy[k];
        if (!SharesLamps(key.KodDosky) || key.CisloUcastnika == 11)
            continue;
        if (key.Led > 254)
            key.Led = Byte(k);
        for (auto &other : pult.Klavesy) {
            TKlavesa &j = *other;
            if (j.CisloUcastnika == 0 && j.HWPozicDosky == key.HWPozicDosky &&
                j.PozicLinky == key.PozicLinky && j.Led > 254 && j.KodDosky == key.KodDosky)
                j.Led = key.Led;
        }
    }
}

class ImageFiller
{
public:
    ImageFiller(TRecordContext &ctx, TAPult &config, TPult &pult, int console)
        : ctx(ctx), image(ctx.Image), config(config), pult(pult), console(console), listType(ListType(ctx))
    {
    }

    void Run();

private:
    Byte lineNumber(TKlavesa &key) const;
    bool lampWritten(const TKlavesa &key);
    Byte subscriberEntry(const TKlavesa &key);
    void fillKey(int k, TKlavesa &key);
    void fillPhoneBook();
    void fillUniTable();
    void fillConsoleEntries();

    TRecordContext &ctx;
    TSystemImage &image;
    TAPult &config;
    TPult &pult;
    const int console;
    const Byte listType;
    // Card numbers whose subscriber-11 key has written its lamp entry.
    std::array<bool, 256> lamp11Written{};
};

void ImageFiller::Run()
{
    std::ranges::copy(FunctionNumberBytes(pult.FNGSMR), image.GsmrFunction(console).begin());
    for (int k = 0; k < KeyCount; ++k)
        fillKey(k, *pult.Klavesy[k]);
    fillPhoneBook();
    fillUniTable();
    fillConsoleEntries();
}

Byte ImageFiller::lineNumber(TKlavesa &key) const
{
    if (config.TypNumlinov != 0)
        return key.NumLin;
    if (key.HWPozicDosky > 254 || key.PozicLinky > 254)
        return None;
    // A position past the byte names no line.
    const int n = key.HWPozicDosky * 5 + key.PozicLinky;
    return n < None ? Byte(n) : None;
}

bool ImageFiller::lampWritten(const TKlavesa &key)
{
    TCardOld *card = ctx.Cards.CardOfSlot(key.HWPozicDosky);
    if (!card)
        return true;
    const Byte subscriber = key.CisloUcastnika;
    const bool subscriberKey = subscriber >= 1 && subscriber <= 254;
    const Byte number = card->GetCardNum(config.TypSystemu);
    if (subscriberKey && config.TypDosiek == 0 && (card->GetType() & 1)) {
        const Byte kind = number & 0xFE;
        return kind == 0 || kind == 0xC0;
    }
    if (SharesLamps(number)) {
        if (subscriber == 11) {
            lamp11Written[number] = true;
            return true;
        }
        return !lamp11Written[number];
    }
    return !subscriberKey;
}

Byte ImageFiller::subscriberEntry(const TKlavesa &key)
{
    const Byte slot = key.HWPozicDosky;
    if (key.CisloUcastnika != 0 || !IsBoardSlotValid(slot, listType) ||
        config.SlotyDosiek[slot].Meno.isEmpty())
        return key.CisloUcastnika;
    TCardOld *card = ctx.Cards.CardOfSlot(slot);
    return card && Line0TypeName(*card) == Orst0 ? None : key.CisloUcastnika;
}

void ImageFiller::fillKey(int k, TKlavesa &key)
{
    const int address = KeyAddress(k);
    const Byte n = lineNumber(key);
    key.NumLin = n;
    image.KeyToLine(address) = n;
    if (n < None && key.Led < KeyCount && lampWritten(key))
        image.LineToLamp(n) = Byte(key.Led + 32);
    image.KeyToSubscriber(address) = subscriberEntry(key);

    const QString name = key.MenoKlavesy.left(img::KeyNameSize);
    image.SetKeyName(k, pult.TypPultu == 2 ? AnsiToOemText(name) : platform::ToCp1250(name));

    auto rec = image.KeyRecord(k);
    rec[img::KrObsluhaKlavesy] = key.ObsluhaKlavesy;
    rec[img::KrCisloUcastnika] = key.CisloUcastnika;
    std::copy(key.SkratenaVolba.begin(), key.SkratenaVolba.end(), rec.begin() + img::KrSkratenaVolba);
    rec[img::KrBitovyByte] = key.bitovyByte;
    rec[img::KrNumLin] = n;
    rec[img::KrKodDosky] = key.KodDosky;
    rec[img::KrVolba] = key.Volba;
    image.SetKeyTextColor(k, std::uint32_t(key.TextColor));
}

void ImageFiller::fillPhoneBook()
{
    if (!pult.TelZoznam[PhoneCount - 1])
        pult.TelZoznam[PhoneCount - 1] = std::make_unique<TTelZoznam>();
    for (int r = 0; r < PhoneCount; ++r) {
        const TTelZoznam *entry = pult.TelZoznam[r].get();
        image.SetPhoneName(r, entry ? entry->GetPaddedName() : TTelZoznam::EmptyName());
        image.SetPhoneNumber(r, entry ? entry->GetCodedNumber() : TTelZoznam::EmptyNumber());
    }
}

// The key that stands for a line: its own, else that of its first extended
// line with a key.
const TKlavesa *LineKey(const TPult &pult, const TLinka &line)
{
    Byte key = line.Klavesa;
    if (key >= KeyCount) {
        for (const auto &ext : line.RLinky) {
            if (ext && ext->Klavesa < KeyCount) {
                key = ext->Klavesa;
                break;
            }
        }
    }
    return key < KeyCount ? pult.Klavesy[key].get() : nullptr;
}

Byte UniKind(const TKlavesa &key)
{
    switch (key.KodDosky & 0xFE) {
    case 0x38:
        return 6;
    case 0x10:
        return 2;
    case 0xB0:
        return 1;
    default:
        return key.TypLinky;
    }
}

void ImageFiller::fillUniTable()
{
    int running = -1;
    for (int c = 0; c < ConsolesInUse(config); ++c) {
        const TPult *owner = config.Pulty[c].get();
        if (!owner)
            continue;
        for (const auto &board : owner->Dosky) {
            if (!board)
                continue;
            for (const auto &line : board->Linky) {
                if (!line)
                    continue;
                const TKlavesa *key = LineKey(*owner, *line);
                if (!key || key->NumLin == None)
                    continue;
                const int index = config.TypNumlinov != 0 ? key->NumLin : ++running;
                // The table has 130 entries; a number past it has no entry.
                if (index >= img::UniCount)
                    continue;
                auto e = image.UniEntry(index);
                e[img::UeLine] = key->NumLin;
                e[img::UeBoardCode] = key->KodDosky;
                const Byte p = key->HWPozicDosky;
                if (p >= BoardCount) {
                    e[img::UeSlotKind] = None;
                    e[img::UePosition] = None;
                } else if (p >= 16 && IsBoardSlotValid(p, listType)) {
                    e[img::UeSlotKind] = img::UeExtensionSlot;
                    e[img::UePosition] = Byte((p - 16) * 16);
                } else {
                    e[img::UePosition] = Byte(p * 16);
                }
                e[img::UeLinePos] = key->PozicLinky;
                e[img::UeKind] = UniKind(*key);
            }
        }
    }
}

void ImageFiller::fillConsoleEntries()
{
    for (int i = 0; i < ConsolesInUse(config); ++i) {
        for (int j = i; j < img::UniCount; ++j) {
            auto e = image.UniEntry(j);
            if (e[img::UeLine] <= 254)
                continue;
            e[img::UeLine] = Byte(img::UeConsoleLineBase + i);
            e[img::UeKind] = Byte(i);
            e[img::UeBoardCode] = img::UeConsoleBoard;
            e[img::UeSlotKind] = img::UeConsoleSlotKind;
            e[img::UePosition] = 0;
            e[img::UeLinePos] = Byte(i + 8);
            break;
        }
    }
}

// The key entry of a PC record block from the image's key record.
void FillKeyEntry(std::span<Byte, pcrec::KeyEntrySize> entry, std::span<const Byte, img::KeyRecordSize> rec)
{
    std::copy_n(rec.begin(), pcrec::KeBitovyByte, entry.begin());
    entry[pcrec::KeBitovyByte] = rec[img::KrBitovyByte];
}

void FillBlock(TPcRecord &record, int block, const TSystemImage &image)
{
    std::ranges::copy(image.Table(ImageTable::KeyToLine), record.KeyToLineTable(block).begin());
    std::ranges::copy(image.Table(ImageTable::LineToLamp), record.LineToLampTable(block).begin());
    std::ranges::copy(image.Table(ImageTable::KeyToSubscriber), record.KeyToSubscriberTable(block).begin());
    for (int k = 0; k < PcKeyLimit; ++k)
        FillKeyEntry(record.KeyEntry(block, KeyAddress(k)), image.KeyRecord(k));
}

} // namespace

std::array<Byte, 9> FunctionNumberBytes(const QString &text)
{
    QString digits;
    for (QChar c : text.left(2 * img::GsmrBytes)) {
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        digits += hex ? c.toUpper() : QLatin1Char('F');
    }
    digits = digits.leftJustified(2 * img::GsmrBytes, QLatin1Char('F'));
    std::array<Byte, 9> bytes{};
    for (int i = 0; i < img::GsmrBytes; ++i)
        bytes[i] = Byte(HexStrToInt(digits.mid(2 * i, 2)));
    return bytes;
}

void BuildMsnRecords(const TAPult *config, std::span<Byte, 512> out)
{
    std::fill(out.begin(), out.end(), None);
    if (!config)
        return;
    const int consoles = ConsolesInUse(*config);
    auto boardOf = [config](int c, int slot) -> const TDoska * {
        const TPult *pult = config->Pulty[c].get();
        return pult ? pult->Dosky[slot].get() : nullptr;
    };
    std::size_t at = 0;
    for (int slot = 0; slot < BoardCount; ++slot) {
        int count = -1;
        for (int c = 0; c < consoles && count < 0; ++c)
            if (const TDoska *board = boardOf(c, slot); board && board->CisloDosky == MsnBoardCode)
                count = std::min<int>(board->PocetLiniek, LineCount);
        for (int l = 0; l < count; ++l) {
            for (int c = 0; c < consoles; ++c) {
                const TDoska *board = boardOf(c, slot);
                const TLinka *line = board ? board->Linky[l].get() : nullptr;
                if (!line || line->Klavesa >= KeyCount)
                    continue;
                const TKlavesa *key = config->Pulty[c]->Klavesy[line->Klavesa].get();
                if (!key)
                    continue;
                if (at + img::MsnEntrySize > out.size())
                    return;
                auto rec = out.subspan(at, img::MsnEntrySize);
                rec[img::MsnLine] = key->NumLin;
                std::ranges::copy(key->MSNpriznak, rec.begin() + img::MsnFlags);
                std::ranges::copy(key->MSNcislo, rec.begin() + img::MsnDigits);
                at += img::MsnEntrySize;
                break;
            }
        }
    }
}

bool ModelToImage(TRecordContext &ctx, int console)
{
    TAPult *config = ctx.Config.Get();
    if (!config || console < 0 || console >= ConsoleCount)
        return false;
    TPult &pult = EnsureConsole(*config, console, ctx.Image);
    EnsureKeys(pult, KeyCount);
    ShareLamps(pult);

    TSystemImage &image = ctx.Image;
    image.ClearSystemImage();
    BuildUniTable(config, image, ctx.List);
    // The system-wide tables come from the whole configuration, so that the
    // image (and the tables file made of it) never carries older values.
    BuildMsnRecords(config, std::span<Byte, 512>(image.Table(ImageTable::Msn)));
    for (int r = 0; r < FlagRecordCount; ++r)
        std::ranges::copy(config->TabulkaPriznakov[r], image.LineFlags(r).begin());

    if (pult.TypPultu == 0)
        return true;
    ImageFiller(ctx, *config, pult, console).Run();
    return true;
}

void FillPcRecordBlocks(TRecordContext &ctx, TPcRecord &record)
{
    TAPult *config = ctx.Config.Get();
    if (!config)
        return;
    for (int c = 0; c < ConsoleCount; ++c) {
        if (!config->Pulty[c])
            continue;
        ModelToImage(ctx, c);
        FillBlock(record, c, ctx.Image);
    }
}

bool ModelToPcRecord(TRecordContext &ctx, int console, TPcRecord &record, TUniRecord &uni)
{
    InitUniRecord(uni);
    InitPcRecord(record);
    FillPcRecordBlocks(ctx, record);
    TAPult *config = ctx.Config.Get();
    if (!config || console < 0 || console >= ConsoleCount || !config->Pulty[console])
        return true;

    ModelToImage(ctx, console);
    const TSystemImage &image = ctx.Image;
    std::ranges::copy(image.Table(ImageTable::Uni), uni.Entries().begin());
    for (int s = 0; s < pcrec::BoardSlots; ++s)
        record.BoardCode(s) = config->SlotyDosiek[s].Kod;

    FillBlock(record, console, image);
    const TPult &pult = *config->Pulty[console];
    for (int k = 0; k < PcKeyLimit; ++k) {
        const int address = KeyAddress(k);
        const TKlavesa &key = *pult.Klavesy[k];
        const QString name = key.MenoKlavesy.trimmed();
        if (!name.isEmpty())
            record.SetNameText(address, name.left(pcrec::NameMax));
        record.SetHintText(address, key.HintKlavesy.trimmed().left(pcrec::HintMax));
        record.DialCode(address) = image.KeyRecord(k)[img::KrVolba];
        record.SetTextColor(k, image.KeyTextColor(k));
    }
    return true;
}

void PcRecordToImage(TRecordContext &ctx, int console, const TPcRecord &record, const TUniRecord &uni)
{
    if (console < 0 || console >= ConsoleCount)
        return;
    if (!ctx.Config.Get())
        ctx.Config.Set(new TAPult(ctx.ProgramPath));
    TAPult &config = *ctx.Config.Get();
    if (ctx.List) {
        config.TypDosiek = ctx.List->GetType() & 1;
        config.TypNumlinov = ctx.List->TypNumlin();
    }
    TPult &pult = EnsureConsole(config, console, ctx.Image);
    TSystemImage &image = ctx.Image;

    // Line numbers of the record become the places of its UNI entries; the
    // map is the identity without renumbering.
    std::array<Byte, 256> map{};
    const bool renumber = config.TypDosiek == 1;
    for (int i = 0; i < 256; ++i)
        map[i] = renumber ? None : Byte(i);
    if (renumber) {
        Byte count = 0;
        for (int j = 0; j < unirec::EntryCount; ++j) {
            const Byte number = uni.Entry(j)[img::UeLine];
            if (number != None)
                map[number] = count++;
        }
    }
    for (int j = 0; j < img::UniCount; ++j) {
        auto e = image.UniEntry(j);
        std::ranges::copy(uni.Entry(j), e.begin());
        if (renumber)
            e[img::UeLine] = map[e[img::UeLine]];
    }

    for (auto t : {ImageTable::KeyToLine, ImageTable::LineToLamp, ImageTable::KeyToSubscriber}) {
        auto s = image.Table(t);
        std::fill(s.begin(), s.end(), None);
    }
    auto names = image.Table(ImageTable::KeyNames);
    std::fill(names.begin(), names.end(), Byte(' '));
    for (int k = 0; k < img::KeyCount; ++k) {
        auto rec = image.KeyRecord(k);
        rec[img::KrObsluhaKlavesy] = 1;
        std::fill(rec.begin() + 1, rec.begin() + img::KrBitovyByte, None);
        rec[img::KrBitovyByte] = 7;
        rec[img::KrNumLin] = None;
        rec[img::KrKodDosky] = None;
    }
    // The record has no phone book: the console's must not come from the
    // console converted before.
    for (int r = 0; r < img::PhoneBookCount; ++r) {
        image.SetPhoneName(r, TTelZoznam::EmptyName());
        image.SetPhoneNumber(r, TTelZoznam::EmptyNumber());
    }

    const bool mapped = config.TypNumlinov == 1;
    const auto keyToLine = record.KeyToLineTable(console);
    const auto lineToLamp = record.LineToLampTable(console);
    const auto keyToSubscriber = record.KeyToSubscriberTable(console);
    for (int i = 0; i < 256; ++i) {
        image.KeyToLine(i) = mapped ? map[keyToLine[i]] : keyToLine[i];
        image.KeyToSubscriber(i) = keyToSubscriber[i];
        // Lamps are kept per line number: they move with the numbers.
        if (!mapped)
            image.LineToLamp(i) = lineToLamp[i];
        else if (map[i] != None)
            image.LineToLamp(map[i]) = lineToLamp[i];
    }

    EnsureKeys(pult, PcKeyLimit);
    for (int i = 0; i < PcKeyLimit; ++i) {
        const int address = KeyAddress(i);
        if (pult.TypPultu != 2)
            image.SetKeyName(i, record.Name(address));
        pult.Klavesy[i]->HintKlavesy = record.HintText(address);

        auto rec = image.KeyRecord(i);
        const auto entry = record.KeyEntry(console, address);
        std::copy_n(entry.begin(), pcrec::KeBitovyByte, rec.begin());
        rec[img::KrBitovyByte] = entry[pcrec::KeBitovyByte];
        rec[img::KrVolba] = record.DialCode(address);
        image.SetKeyTextColor(i, record.TextColor(i));

        if (mapped) {
            const Byte n = map[keyToLine[address]];
            rec[img::KrNumLin] = n;
            rec[img::KrKodDosky] = n < img::UniCount ? image.UniEntry(n)[img::UeBoardCode] : None;
        } else {
            const Byte n = keyToLine[address];
            rec[img::KrNumLin] = n;
            const int slot = n / 5;
            rec[img::KrKodDosky] = n == None || slot >= pcrec::BoardSlots ? None : record.BoardCode(slot);
        }
    }
}

bool TakePcRecordHints(TPult &pult, const TPcRecord &record)
{
    bool changed = false;
    for (int k = 0; k < PcKeyLimit; ++k) {
        auto &key = pult.Klavesy[k];
        const QString hint = record.HintText(KeyAddress(k));
        if (!key && hint.isEmpty())
            continue;
        if (!key)
            key = std::make_unique<TKlavesa>();
        if (key->HintKlavesy != hint) {
            key->HintKlavesy = hint;
            changed = true;
        }
    }
    return changed;
}

bool PcRecordToModel(TImageToModelContext &ctx, int console, bool fromSystem, int &unconfiguredCount,
                     const TPcRecord &record, const TUniRecord &uni)
{
    if (console < 0 || console >= ConsoleCount)
        return false;
    TRecordContext records{ctx.Config, ctx.Image, &ctx.List, ctx.Cards, ctx.ProgramPath};
    PcRecordToImage(records, console, record, uni);
    if (!ImageToModel(ctx, console, fromSystem, unconfiguredCount))
        return false;
    TAPult *config = ctx.Config.Get();
    if (config && config->Pulty[console])
        TakePcRecordHints(*config->Pulty[console], record);
    return true;
}
