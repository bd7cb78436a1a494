#include "records/imagetomodel.h"

#include <QStringList>

#include <algorithm>

#include "cardpack/dll_load.h"
#include "cardpack/konstkarty.h"
#include "model/cardqueries.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "records/systemimage.h"

namespace
{

constexpr Byte None = 0xFF;
constexpr Byte ConsoleBoardCode = 0xAA;
constexpr int ImageKeyLimit = 192; // keys from address 224 on are not the system's
constexpr int KeyNameMax = 31;
const QString Orst0 = QStringLiteral("ORST0");

QString hex2(Byte b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString flag(bool b)
{
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

QString typeName(TCardOld &card, Byte index)
{
    Byte ignored = 255;
    return card.GetTypLinName(index, ignored);
}

// The type name of the line's current type.
QString lineTypeName(TCardOld &card, Byte line)
{
    return typeName(card, card.GetTypLinNum(card.GetNameLin(line)));
}

QString cutBeforeCard(const QString &name)
{
    const int at = name.indexOf(QStringLiteral("Card"));
    return at >= 0 ? name.left(at) : name;
}

QByteArray trimTrailingSpaces(QByteArray bytes)
{
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    return bytes;
}

class Converter
{
public:
    Converter(TImageToModelContext &c, int console, bool fromSystem, int &unconfigured)
        : ctx(c), image(c.Image), list(c.List), cards(c.Cards), log(c.Log), console(console),
          fromSystem(fromSystem), unconfigured(unconfigured)
    {
    }

    bool Run();

private:
    struct Place {
        Byte p = None;        // board slot
        Byte q = None;        // line on the board
        Byte e = None;        // extended line of the line
        bool fyzKont = true;  // the key's board is the one in its slot
        TCardOld *card = nullptr;
    };

    void prepareConfiguration();
    void readFunctionNumber();
    void convertKey(int k);
    Place derivePlace(Byte n, Byte code);
    void checkBoard(int k, Place &place, Byte code, Byte subscriberEntry);
    void adoptBoard(Place &place, Byte code);
    void traceUnconfigured(int k, const Place &place, bool linOK, bool skVolOK, bool vynim, Byte lineEntry,
                           Byte subscriberEntry);
    void replaceKeyEntries(int k, const Place &place, Byte lineEntry, Byte subscriberEntry);
    void takeKeyValues(int k, TKlavesa &key, const Place &place, Byte n, bool placed);
    void takeUniValues(TKlavesa &key, Byte n);
    void completeModel(int k, TKlavesa &key, const Place &place);
    void readPhoneBook();
    bool report();
    void readLineFlags();

    QString posName(Byte p) const { return p < BoardCount ? LinePosName(p) : QString(); }
    QString keyText(const QByteArray &bytes) const
    {
        return pult->TypPultu == 2 ? OemToAnsiText(bytes) : platform::FromCp1250(bytes);
    }
    QByteArray keyBytes(const QString &text) const
    {
        return pult->TypPultu == 2 ? AnsiToOemText(text) : platform::ToCp1250(text);
    }

    TImageToModelContext &ctx;
    TSystemImage &image;
    TZoznam &list;
    TCardSlots &cards;
    TConversionLog &log;
    const int console;
    const bool fromSystem;
    int &unconfigured;

    TAPult *cfg = nullptr;
    TPult *pult = nullptr;
    Byte listType = 0;
    bool boardError = false;
    bool mismatchTraced = false;
    QStringList rejected;
    QStringList adopted;
};

bool Converter::Run()
{
    prepareConfiguration();
    readFunctionNumber();

    for (auto &key : pult->Klavesy) {
        if (!key)
            key = std::make_unique<TKlavesa>();
        key->Reset();
    }
    for (int k = 0; k < ImageKeyLimit; ++k)
        convertKey(k);

    readPhoneBook();
    if (!report())
        return false;
    readLineFlags();
    return true;
}

void Converter::prepareConfiguration()
{
    if (!ctx.Config.Get())
        ctx.Config.Set(new TAPult(ctx.ProgramPath));
    cfg = ctx.Config.Get();
    listType = list.GetType();
    cfg->TypDosiek = listType & 1;
    cfg->TypNumlinov = list.TypNumlin();
    // A console outside the count would be left out of every later loop.
    cfg->PocetPultov = std::max(cfg->PocetPultov, console + 1);

    auto &place = cfg->Pulty[console];
    if (!place) {
        place = std::make_unique<TPult>();
        place->TypPultu = image.ConsoleType(console);
        place->PocetObrazoviek = image.ScreenCount(console);
    }
    pult = place.get();
}

void Converter::readFunctionNumber()
{
    // The number is the image's: an older text would otherwise be extended.
    QString number;
    for (Byte b : image.GsmrFunction(console))
        if (b != None)
            number += hex2(b);
    const int end = number.indexOf(QLatin1Char('F'));
    if (end >= 0)
        number.truncate(end);
    pult->FNGSMR = number;
}

Converter::Place Converter::derivePlace(Byte n, Byte code)
{
    Place place;
    if (n == None || code == None || code == ConsoleBoardCode)
        return place;
    if (cfg->TypNumlinov == 1) {
        // A line number past the UNI table names no entry: no position.
        if (n >= img::UniCount)
            return place;
        const auto u = image.UniEntry(n);
        const int base = u[img::UeSlotKind] == img::UeExtensionSlot ? 16 : 0;
        place.p = u[img::UePosition] == None ? None : Byte(base + (u[img::UePosition] >> 4));
        place.q = u[img::UeLinePos];
    } else {
        place.p = n / 5;
        place.q = n % 5;
    }
    // Positions past the model's arrays are no positions.
    if (place.p >= BoardCount)
        place.p = None;
    if (place.q >= LineCount)
        place.q = None;
    return place;
}

void Converter::checkBoard(int k, Place &place, Byte code, Byte subscriberEntry)
{
    const Byte p = place.p;
    TSlotEntry &slot = cfg->SlotyDosiek[p];
    const Byte slotCode = slot.Kod;
    place.fyzKont = slotCode == code || slotCode == None;

    const bool mismatch = slotCode != None && slotCode != code && (slotCode & 0xFE) != code;
    if (mismatch) {
        if (!mismatchTraced) {
            mismatchTraced = true;
            QStringList slotCodes;
            for (const TSlotEntry &s : cfg->SlotyDosiek)
                slotCodes << hex2(s.Kod);
            log.TraceLine(QStringLiteral("ZozDosiek[pd].Kody=[$") + slotCodes.join(QStringLiteral(", $")) +
                          QStringLiteral("]"));
            QStringList codes;
            for (int i = 0; i < img::KeyCount; ++i)
                codes << hex2(image.KeyRecord(i)[img::KrKodDosky]);
            log.TraceLine(QStringLiteral("p.Data[i].KodDosky=[$") + codes.join(QStringLiteral(", $")) +
                          QStringLiteral("]"));
        }
        log.TraceLine(QStringLiteral("pd=%1 [$%2]; i=%3 [$%4];").arg(p).arg(hex2(slotCode)).arg(k).arg(hex2(code)));
        boardError = true;
        const QString name = LinePosName(p);
        if (!rejected.contains(name))
            rejected << name;
    }

    if (place.fyzKont && slotCode == None)
        adoptBoard(place, code);

    place.card = cards.CardOfSlot(p);
    if (place.card && place.q != None && place.card->IsRozsirLin(place.q))
        place.e = subscriberEntry;
    // Extended-line places end at 250; 254 and 255 mean none.
    if (place.e >= ExtLineCount)
        place.e = None;
}

void Converter::adoptBoard(Place &place, Byte code)
{
    const Byte p = place.p;
    const QString name = list.Num2Name(code);
    // The name must resolve to a card: a board-type list created here would
    // replace the list this conversion is working with.
    const bool created = !name.isEmpty() && name.startsWith(QLatin1Char('T')) && IsCardClassName(name) &&
                         cards.CreateCardByName(name, p) && cards.CardOfSlot(p);
    if (!created) {
        place.fyzKont = false;
        log.TraceLine(QStringLiteral("Doska s kodom $") + hex2(code) + QStringLiteral(" sa nenachadza v balicku [") +
                      name + QStringLiteral("]"));
        return;
    }
    cfg->SlotyDosiek[p].Meno = cutBeforeCard(name);
    cfg->SlotyDosiek[p].Kod = code;
    adopted << LinePosName(p);
}

void Converter::convertKey(int k)
{
    TKlavesa &key = *pult->Klavesy[k];
    auto rec = image.KeyRecord(k);
    const int address = KeyAddress(k);
    const Byte lineEntry = image.KeyToLine(address);
    const Byte subscriberEntry = image.KeyToSubscriber(address);
    const Byte n = fromSystem ? lineEntry : rec[img::KrNumLin];

    if (rec[img::KrNumLin] == None && lineEntry == None && rec[img::KrCisloUcastnika] == None &&
        subscriberEntry == None && rec[img::KrObsluhaKlavesy] == None)
        rec[img::KrObsluhaKlavesy] = 1;

    const Byte code = rec[img::KrKodDosky];
    Place place = derivePlace(n, code);
    if (IsBoardSlotValid(place.p, listType))
        checkBoard(k, place, code, subscriberEntry);
    else if (place.p != None)
        place.card = cards.CardOfSlot(place.p);

    const Byte handling = rec[img::KrObsluhaKlavesy];
    const Byte recLine = rec[img::KrNumLin];
    const Byte recSubscriber = rec[img::KrCisloUcastnika];
    const bool sameLine = recLine == lineEntry;
    const auto noSubscriber = [](Byte b) { return b == None || b == 0; };

    bool vynim = false;
    if (place.p != None && !cfg->SlotyDosiek[place.p].Meno.isEmpty() && recSubscriber == 0 &&
        subscriberEntry == None && place.card && typeName(*place.card, 0) == Orst0 && sameLine)
        vynim = true;
    if (place.fyzKont && sameLine && noSubscriber(recSubscriber) && noSubscriber(subscriberEntry))
        vynim = true;
    if (list.FindInOK(handling) && rec[img::KrSkratenaVolba] != None && recLine == None && code == None)
        vynim = true;
    const bool skVolOK = recLine == None && list.FindInFFnl(handling);
    bool linOK = list.FindInOK(handling) && place.fyzKont;
    if (fromSystem)
        linOK = linOK && sameLine && recSubscriber == subscriberEntry;
    bool neoprav = false;

    if (!linOK && !skVolOK && !vynim && !neoprav) {
        ++unconfigured;
        traceUnconfigured(k, place, linOK, skVolOK, vynim, lineEntry, subscriberEntry);
        neoprav = true;
        replaceKeyEntries(k, place, lineEntry, subscriberEntry);
    }

    takeKeyValues(k, key, place, n, !neoprav);
    if (!neoprav && IsBoardSlotValid(place.p, listType) && place.card && place.q != None)
        completeModel(k, key, place);
    if (!neoprav)
        key.MenoKlavesy = keyText(trimTrailingSpaces(image.KeyNameBytes(k)));
}

void Converter::traceUnconfigured(int k, const Place &place, bool linOK, bool skVolOK, bool vynim, Byte lineEntry,
                                  Byte subscriberEntry)
{
    const auto rec = image.KeyRecord(k);
    log.TraceLine(QStringLiteral("i=") + Int2Str(k, 3) + QStringLiteral(" (Obsluha $") +
                  hex2(rec[img::KrObsluhaKlavesy]) + QStringLiteral(" Ucastnik $") +
                  hex2(rec[img::KrCisloUcastnika]) + QStringLiteral(" Numlin $") + hex2(rec[img::KrNumLin]) +
                  QStringLiteral(" kodDosky=$") + hex2(rec[img::KrKodDosky]));
    QStringList digits;
    for (int i = 0; i < img::KrSkratenaVolbaCount; ++i) {
        const Byte d = rec[img::KrSkratenaVolba + i];
        if (d != 255)
            digits << QString::number(d);
    }
    log.TraceLine(QStringLiteral("       Skratena volba: ") + digits.join(QStringLiteral(", ")) +
                  QStringLiteral(")"));
    log.TraceLine(QStringLiteral("       fyzKont=") + flag(place.fyzKont) + QStringLiteral(" LinOK=") + flag(linOK) +
                  QStringLiteral(" SkVolOK=") + flag(skVolOK) + QStringLiteral(" vynim=") + flag(vynim) +
                  QStringLiteral(" neoprav=0;"));
    if (!linOK)
        log.TraceLine(QStringLiteral("  ORVA numlin=") + hex2(lineEntry) + QStringLiteral(" ucastnik=") +
                      hex2(subscriberEntry) + QStringLiteral(" znamy kod obsluhy=") +
                      flag(list.FindInOK(rec[img::KrObsluhaKlavesy])));
}

void Converter::replaceKeyEntries(int k, const Place &place, Byte lineEntry, Byte subscriberEntry)
{
    const Byte p = place.p, q = place.q, e = place.e;
    TCardOld *card = place.card;
    const bool extended = e < 254;

    QString name;
    if (p != None)
        name += LinePosName(p) + QStringLiteral(" - ");
    if (extended)
        name += posName(q) + QStringLiteral(" - ");
    if (card && q != None)
        name += extended ? card->GetRozsirLinName(q, e) : typeName(*card, q);
    image.SetKeyName(k, keyBytes(name.left(KeyNameMax)));

    // The unconfigured record unless the key's board is known and has a card.
    TCfgPole record{};
    record.fill(None);
    record[0] = 1;
    record[29] = 7;
    const bool named = p != None && !cfg->SlotyDosiek[p].Meno.isEmpty();
    if (place.fyzKont && named && card && q != None) {
        if (subscriberEntry != None)
            card->GetCfgPoleRLin(q, e, &record);
        else
            card->GetCfgPoleLin(q, &record);
    }
    auto rec = image.KeyRecord(k);
    std::copy(record.begin(), record.end(), rec.begin());
    rec[img::KrNumLin] = lineEntry;
    rec[img::KrKodDosky] = p != None ? cfg->SlotyDosiek[p].Kod : None;
    if (card && q != None && subscriberEntry == None && lineTypeName(*card, q) == Orst0)
        rec[img::KrCisloUcastnika] = 0;
}

void Converter::takeKeyValues(int k, TKlavesa &key, const Place &place, Byte n, bool placed)
{
    const auto rec = image.KeyRecord(k);
    key.ObsluhaKlavesy = rec[img::KrObsluhaKlavesy];
    std::copy_n(rec.begin() + img::KrSkratenaVolba, img::KrSkratenaVolbaCount, key.SkratenaVolba.begin());
    key.bitovyByte = rec[img::KrBitovyByte];
    key.Volba = rec[img::KrVolba];
    key.TextColor = std::int32_t(image.KeyTextColor(k));
    key.KodDosky = rec[img::KrKodDosky];
    if (placed)
        key.NumLin = n;

    if (n != None) {
        if (cfg->TypNumlinov == 1) {
            key.HWPozicDosky = place.p;
            key.PozicLinky = place.q;
        } else if (key.NumLin != None) {
            const int slot = key.NumLin / 5;
            key.HWPozicDosky = slot < BoardCount ? Byte(slot) : None;
            key.PozicLinky = key.NumLin % 5;
        }
    }

    if (placed && n != None) {
        const Byte subscriber = rec[img::KrCisloUcastnika];
        key.CisloUcastnika = subscriber;
        const Byte lamp = image.LineToLamp(n);
        if (lamp == None)
            key.Led = None;
        else if (subscriber == None)
            key.Led = lamp < 32 ? Byte(k) : Byte(lamp - 32);
        else
            key.Led = Byte(k);
        if (place.e < ExtLineCount)
            key.PozicRLinky = place.e;
        for (int i = 0; i < img::MsnCount; ++i) {
            const auto msn = image.MsnEntry(i);
            if (msn[img::MsnLine] != n)
                continue;
            std::copy_n(msn.begin() + img::MsnFlags, img::MsnFlagCount, key.MSNpriznak.begin());
            std::copy_n(msn.begin() + img::MsnDigits, img::MsnDigitCount, key.MSNcislo.begin());
            break;
        }
        if (cfg->TypDosiek == 1)
            takeUniValues(key, n);
    }

    if (rec[img::KrNumLin] == None && rec[img::KrKodDosky] == None && rec[img::KrSkratenaVolba] != None &&
        list.FindInFFnl(rec[img::KrObsluhaKlavesy])) {
        const Byte kind = TZoznam::TypRV(key.ObsluhaKlavesy);
        key.MenoLinky = kind > 0 ? LoadStrDll(162) + QString::number(kind) : LoadStrDll(163);
        key.CisloUcastnika = rec[img::KrCisloUcastnika];
        key.Led = Byte(k);
    }
}

void Converter::takeUniValues(TKlavesa &key, Byte n)
{
    int entry = -1;
    if (cfg->TypNumlinov == 1) {
        if (n < img::UniCount)
            entry = n;
    } else {
        for (int j = 0; j < img::UniCount && entry < 0; ++j)
            if (image.UniEntry(j)[img::UeLine] == n)
                entry = j;
    }
    if (entry < 0)
        return;
    const auto u = image.UniEntry(entry);
    key.TypLinky = u[img::UeKind];
    key.KodDosky = u[img::UeBoardCode];
    key.ObsluhaKlavesy = CardTemplateQuery(cards, key.HWPozicDosky, u[img::UeLinePos], u[img::UeKind]);
}

void Converter::completeModel(int k, TKlavesa &key, const Place &place)
{
    const Byte p = place.p, q = place.q, e = place.e;
    TCardOld &card = *place.card;

    auto &board = pult->Dosky[p];
    if (!board) {
        board = std::make_unique<TDoska>();
        board->CisloDosky = card.GetCardNum(cfg->TypSystemu);
        board->PocetLiniek = std::min<Byte>(card.LinCount(), LineCount);
    }
    auto &line = board->Linky[q];
    if (!line)
        line = std::make_unique<TLinka>();
    line->MenoLinky = card.GetNameLin(q);
    bool keep = false;
    if (line->Klavesa < KeyCount) {
        const TKlavesa *holder = pult->Klavesy[line->Klavesa].get();
        keep = holder && holder->PozicRLinky <= key.PozicRLinky;
    }
    if (!keep)
        line->Klavesa = Byte(k);

    if (e < ExtLineCount) {
        // The places in use must cover the extended line, or it would be
        // left out when the project is saved or numbered.
        const int count = std::max<int>(card.GetNumRozsir(q), e + 1);
        line->PocetRLiniek = Byte(std::clamp<int>(std::max<int>(line->PocetRLiniek, count), 0, ExtLineCount));
        auto &ext = line->RLinky[e];
        if (!ext)
            ext = std::make_unique<TRLinka>();
        ext->MenoRLinky = card.GetRozsirLinName(q, e);
        ext->CisloRLinky = card.GetRozsirLinNum(q, ext->MenoRLinky);
        ext->Klavesa = Byte(k);
    }
    key.MenoLinky = LinePosName(p) + QStringLiteral(" - ") + line->MenoLinky;
}

void Converter::readPhoneBook()
{
    int next = 0;
    for (int r = 0; r < img::PhoneBookCount; ++r) {
        const QByteArray name = image.PhoneEntryName(r);
        if (name.isEmpty())
            continue;
        auto &entry = pult->TelZoznam[next++];
        if (!entry)
            entry = std::make_unique<TTelZoznam>();
        entry->Meno = platform::FromCp1250(name);
        entry->Cislo = image.PhoneEntryNumber(r);
    }
    // The image holds the whole phone book: older entries past it go.
    for (int r = next; r < PhoneCount; ++r)
        pult->TelZoznam[r].reset();
}

bool Converter::report()
{
    const QString crlf = QStringLiteral("\r\n");
    if (boardError) {
        const QString text = LoadStrDll(141) + crlf + LoadStrDll(134) + QStringLiteral(": ") +
                             rejected.join(QStringLiteral(", ")) + crlf + LoadStrDll(142);
        log.LogEntry(TReportKind::Warning, text);
        if (!ctx.Quiet)
            log.ShowBox(TReportKind::Warning, text);
        return false;
    }
    if (fromSystem && !adopted.isEmpty()) {
        const QString text =
            LoadStrDll(140) + crlf + LoadStrDll(134) + QStringLiteral(": ") + adopted.join(QStringLiteral(", "));
        log.LogEntry(TReportKind::Warning, text);
        if (!ctx.Quiet)
            log.ShowBox(TReportKind::Warning, text);
    }
    if (unconfigured > 0) {
        QString count = LoadStrDll(41);
        count.insert(std::max<int>(int(count.size()) - 1, 0), QString::number(unconfigured));
        const QString text = LoadStrDll(40) + crlf + count;
        log.LogEntry(TReportKind::Error, text);
        if (fromSystem && !ctx.Quiet)
            log.ShowBox(TReportKind::Error, text);
    }
    return true;
}

void Converter::readLineFlags()
{
    for (int i = 0; i < FlagRecordCount; ++i) {
        const auto flags = image.LineFlags(i);
        std::copy(flags.begin(), flags.end(), cfg->TabulkaPriznakov[i].begin());
    }
    // Every MB/UB key and every PR3 key carries the same flag value.
    Byte value = 0;
    const bool enable = cfg->GetMBUBFlag(value, true);
    cfg->SetMBUBFlag(enable, value);
    cfg->SetPR3Flag(cfg->GetF0Flag(true));
}

} // namespace

bool ImageToModel(TImageToModelContext &context, int console, bool fromSystem, int &unconfiguredCount)
{
    if (console < 0 || console >= ConsoleCount)
        return false;
    Converter converter(context, console, fromSystem, unconfiguredCount);
    return converter.Run();
}
