#pragma once

// The two-console fixture in the form the binding rules give it, cards for its
// board slots, and the form a configuration takes after a trip through the
// system image. Shared by the image and side-file round-trip tests.

#include <QStringList>

#include <memory>

#include "cardpack/dll_load.h"
#include "cardpack/karty.h"
#include "model/cardqueries.h"
#include "model/cardset.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "records/systemimage.h"
#include "tests/fixture/fixture.h"

namespace roundtrip
{

// A GSM-R board: the card package has no template for it, the system knows
// its code 0x72; two lines of type MS.
class TGsmrTestCard : public TCardOld
{
public:
    QString ClassName() const override { return QStringLiteral("TGsmrTestCard"); }
    Byte LinCount() override { return 2; }
    Byte TypLinCount() override { return 1; }
    QString GetTypLinName(Byte index, Byte &code) override
    {
        code = 255;
        return index == 0 ? QStringLiteral("MS") : QString();
    }
    QString GetNameLin(Byte) override { return QStringLiteral("MS"); }
    Byte GetTypLinNum(const QString &name) override { return name.contains(QStringLiteral("MS")) ? 0 : 254; }
    void GetCfgPoleLin(Byte i, TCfgPole *rec) override
    {
        rec->fill(255);
        (*rec)[0] = GetKeyCode(i);
        (*rec)[29] = 7;
    }
    Byte GetCardNum(Byte) override { return 0x72; }
    Byte GetKeyCode(Byte) override { return 22; }
};

constexpr int GsmrSlot = 5;
constexpr int GsmrKey = 11;

// The cards of the fixture's slots: UL10 in slot 0, 4W5 in slot 1, the GSM-R
// test card in slot 5, their lines named as the project names them.
inline void PlaceCards(TCardSet &cards, const TAPult &config)
{
    cards.Clear();
    cards.CreateCardByName(QStringLiteral("TUL10"), 0);
    cards.CreateCardByName(QStringLiteral("T4W5"), 1);
    cards.SetCard(GsmrSlot, std::make_unique<TGsmrTestCard>());
    for (int s = 0; s < 2; ++s)
        for (int l = 0; l < LineCount; ++l)
            if (const TLinka *line = config.Pulty[0]->Dosky[s]->Linky[l].get())
                cards.CardOfSlot(s)->SetNameLin(Byte(l), line->MenoLinky);
}

// BuildFixture with every binding as the binding rules make it: a key's line
// type is its line's type number, its key handling the card's key code for
// it, its line name the position and line names; key 10 binds line 6 of slot
// 0 back; key 11 sits on a GSM-R line and carries MSN values.
inline std::unique_ptr<TAPult> ConsistentFixture(TCardSet &cards)
{
    auto cfg = fixture::BuildFixture();
    TPult &p0 = *cfg->Pulty[0];
    p0.Dosky[0]->Linky[6]->MenoLinky = QStringLiteral("AUT");
    p0.Dosky[0]->Linky[6]->Klavesa = 10;
    // A line with extended lines is bound through them, not by itself.
    TLinka &mm = *p0.Dosky[1]->Linky[1];
    mm.Klavesa = 253;
    mm.RLinky[0]->Klavesa = 4;
    p0.Klavesy[4]->PozicRLinky = 0;
    p0.Klavesy[4]->CisloUcastnika = 0;
    p0.Klavesy[4]->Led = 4;

    cfg->SlotyDosiek[GsmrSlot] = {QStringLiteral("TGsmrTest"), 0x72};
    auto gsmr = std::make_unique<TDoska>();
    gsmr->CisloDosky = 0x72;
    gsmr->PocetLiniek = 2;
    gsmr->Linky[0] = std::make_unique<TLinka>();
    gsmr->Linky[0]->MenoLinky = QStringLiteral("MS");
    gsmr->Linky[0]->Klavesa = GsmrKey;
    p0.Dosky[GsmrSlot] = std::move(gsmr);
    p0.Klavesy[GsmrKey] = fixture::BoundKey(QStringLiteral("GSM-R dispečer"), GsmrSlot, 0, 255, 0x72, 0);
    p0.Klavesy[GsmrKey]->MSNpriznak = {1, 2, 3};
    p0.Klavesy[GsmrKey]->MSNcislo = {0x42, 0x19, 0x01, 0x23, 0x45, 0x6F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

    // The system keeps MSN values for GSM-R lines only.
    p0.Klavesy[0]->MSNpriznak = {0, 0, 0};
    p0.Klavesy[0]->MSNcislo.fill(0xFF);

    PlaceCards(cards, *cfg);
    // Extended lines are named and numbered by their card.
    for (auto &pult : cfg->Pulty)
        for (int s = 0; s < 2; ++s)
            if (TDoska *board = pult->Dosky[s].get())
                for (int l = 0; l < LineCount; ++l)
                    if (TLinka *line = board->Linky[l].get())
                        for (int e = 0; e < ExtLineCount; ++e)
                            if (TRLinka *ext = line->RLinky[e].get()) {
                                ext->MenoRLinky = cards.CardOfSlot(s)->GetRozsirLinName(Byte(l), Byte(e));
                                ext->CisloRLinky =
                                    cards.CardOfSlot(s)->GetRozsirLinNum(Byte(l), ext->MenoRLinky);
                            }
    for (auto &pult : cfg->Pulty) {
        for (auto &key : pult->Klavesy) {
            if (!key || key->HWPozicDosky >= BoardCount || key->PozicLinky >= LineCount)
                continue;
            TCardOld *card = cards.CardOfSlot(key->HWPozicDosky);
            if (!card)
                continue;
            const QString line = card->GetNameLin(key->PozicLinky);
            key->TypLinky = card->GetTypLinNum(line);
            key->ObsluhaKlavesy = CardTemplateQuery(card, key->PozicLinky, key->TypLinky);
            key->MenoLinky = LinePosName(key->HWPozicDosky) + QStringLiteral(" - ") + line;
        }
    }
    // Keys of extended lines with subscribers on a 4W5 board leave the lamp
    // of their line to the line's plain key; one with a lamp shows its own.
    p0.Klavesy[2]->Led = 255;
    p0.Klavesy[3]->Led = 255;
    p0.Klavesy[8]->Led = 8;
    // A speed-dial key is named after its dial kind.
    p0.Klavesy[5]->MenoLinky = LoadStrDll(162) + QStringLiteral("1");
    return cfg;
}

// A new configuration as a read from the system starts it: the header from
// the system's answers, no consoles.
inline std::unique_ptr<TAPult> FreshLike(const TAPult &source)
{
    auto cfg = std::make_unique<TAPult>(source.CestaProgramu);
    cfg->PocetPultov = source.PocetPultov;
    cfg->TypSystemu = source.TypSystemu;
    cfg->Vlastnosti = source.Vlastnosti;
    cfg->TabTelZozOK = source.TabTelZozOK;
    cfg->VerziaDat = source.VerziaDat;
    cfg->ReplyField5 = source.ReplyField5;
    cfg->ReplyField8 = source.ReplyField8;
    cfg->DoskySystemu = source.DoskySystemu;
    cfg->KodHodnota = source.KodHodnota;
    cfg->SlotyDosiek = source.SlotyDosiek;
    return cfg;
}

// The image holds keys, not lines: a line (or extended line) without a key
// is not rebuilt, a line's own number, the board name and the key hints are
// not in it. The line of extended-line keys is held by the key of its lowest
// extended line. Trailing blanks of key names are the image's padding.
// CasUkonceniaVyzvanania and RezimDORST are read back from the flags of MB/UB
// and PR3 keys, of which the fixture has none. The phone book comes back
// without gaps, names cut to 32 bytes, numbers through the dial coding.
inline void ToImageForm(TAPult &cfg, bool keepHints = false)
{
    cfg.CasUkonceniaVyzvanania = 0;
    cfg.RezimDORST = 0;
    for (auto &pult : cfg.Pulty) {
        if (!pult)
            continue;
        // The console's test answer, not the image, gives these.
        pult->ReplyField5 = {};
        pult->ReplyField8 = {};
        for (auto &key : pult->Klavesy) {
            if (!key)
                continue;
            if (!keepHints)
                key->HintKlavesy.clear();
            const QByteArray name = pult->TypPultu == 2 ? AnsiToOemText(key->MenoKlavesy.left(32))
                                                        : platform::ToCp1250(key->MenoKlavesy.left(32));
            QString back = pult->TypPultu == 2 ? OemToAnsiText(name) : platform::FromCp1250(name);
            while (back.endsWith(QLatin1Char(' ')))
                back.chop(1);
            key->MenoKlavesy = back;
        }
        for (auto &board : pult->Dosky) {
            if (!board)
                continue;
            board->MenoDosky.clear();
            bool used = false;
            for (auto &line : board->Linky) {
                if (!line)
                    continue;
                Byte first = 255;
                for (auto &ext : line->RLinky) {
                    if (ext && ext->Klavesa >= KeyCount)
                        ext.reset();
                    else if (ext && first == 255)
                        first = ext->Klavesa;
                }
                if (line->Klavesa == 253)
                    line->Klavesa = first;
                if (line->Klavesa >= KeyCount && first == 255) {
                    line.reset();
                    continue;
                }
                line->CisloLinky = 255;
                used = true;
            }
            if (!used)
                board.reset();
        }
        std::vector<std::unique_ptr<TTelZoznam>> kept;
        for (auto &entry : pult->TelZoznam) {
            if (!entry)
                continue;
            QByteArray name = platform::ToCp1250(entry->Meno).left(32);
            name.removeIf([](char c) { return Byte(c) == 0xFF; });
            if (!name.isEmpty()) {
                entry->Meno = platform::FromCp1250(name);
                entry->Cislo = DialCodeToDigits(DialDigitsToCode(entry->Cislo));
                kept.push_back(std::move(entry));
            }
            entry.reset();
        }
        for (std::size_t i = 0; i < kept.size(); ++i)
            pult->TelZoznam[i] = std::move(kept[i]);
    }
}

// What a PC console record keeps of a console beyond the image form: hints
// (trimmed, 100 characters, keys 0 to 222), names of 20 characters, 11
// speed-dial digits; no MSN values, no phone book, no function number.
inline void ToPcRecordForm(TAPult &cfg, int console)
{
    ToImageForm(cfg, true);
    TPult &pult = *cfg.Pulty[console];
    for (int k = 0; k < KeyCount; ++k) {
        if (!pult.Klavesy[k])
            pult.Klavesy[k] = std::make_unique<TKlavesa>(); // every key is loaded
        TKlavesa &key = *pult.Klavesy[k];
        key.MSNpriznak.fill(0);
        key.MSNcislo.fill(0xFF);
        std::fill(key.SkratenaVolba.begin() + 11, key.SkratenaVolba.end(), Byte(255));
        key.MenoKlavesy = key.MenoKlavesy.trimmed().left(20);
        key.HintKlavesy = k < 223 ? key.HintKlavesy.trimmed().left(100) : QString();
    }
    for (auto &entry : pult.TelZoznam)
        entry.reset();
    pult.FNGSMR.clear();
}

// Compares two field dumps line by line; the message names the first
// differing field.
inline bool SameDump(const QString &expected, const QString &actual, QString &difference)
{
    const QStringList a = expected.split(QLatin1Char('\n'));
    const QStringList b = actual.split(QLatin1Char('\n'));
    for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i]) {
            difference = QStringLiteral("expected %1\n   actual %2").arg(a[i], b[i]);
            return false;
        }
    }
    if (a.size() != b.size()) {
        difference = QStringLiteral("%1 fields expected, %2 found; first extra: %3")
                         .arg(a.size())
                         .arg(b.size())
                         .arg(a.size() > b.size() ? a[b.size()] : b[a.size()]);
        return false;
    }
    return true;
}

} // namespace roundtrip

#define COMPARE_DUMPS(expected, actual)                                                                      \
    do {                                                                                                     \
        QString difference_;                                                                                 \
        QVERIFY2(roundtrip::SameDump(expected, actual, difference_), qPrintable(difference_));               \
    } while (0)
