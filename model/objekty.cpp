#include "model/objekty.h"

#include <algorithm>

#include "cardpack/registry.h"
#include "cardpack/sablona.h"
#include "platform/codepage.h"

namespace {

// Counts held in the model are bytes; a count beyond its array never reaches one.
int lineCount(const TDoska &d) { return std::min<int>(d.PocetLiniek, LineCount); }
int extCount(const TLinka &l) { return std::min<int>(l.PocetRLiniek, ExtLineCount); }

bool isMBUBBoard(Byte code)
{
    const Byte c = code & 0xFE;
    return c == 0x00 || c == 0xB0;
}

bool isPR3Board(Byte code)
{
    const Byte c = code & 0xFE;
    return c == 0x40 || c == 0xF0;
}

// Only line numbers below 80 have a flag record.
bool hasFlagRecord(const TKlavesa &k) { return k.NumLin < FlagRecordCount; }

} // namespace

// --- TKlavesa ---

void TKlavesa::Reset()
{
    MenoKlavesy.clear();
    HintKlavesy.clear();
    MenoLinky = NekonfName;
    TypLinky = KodDosky = HWPozicDosky = PozicLinky = PozicRLinky = Led = CisloUcastnika = 255;
    ObsluhaKlavesy = 1;
    bitovyByte = 7;
    NumLin = 255;
    Volba = 0xA0;
    TextColor = 0;
    SkratenaVolba.fill(255);
    MSNpriznak.fill(0);
    MSNcislo.fill(255);
}

void TKlavesa::Assign(const TKlavesa *Source)
{
    if (!Source) {
        Reset();
        return;
    }
    if (Source != this)
        *this = *Source;
}

void TKlavesa::CopyTo(std::unique_ptr<TKlavesa> &Dest) const
{
    if (!Dest)
        Dest = std::make_unique<TKlavesa>();
    Dest->Assign(this);
}

void TKlavesa::AssignMSN(const TKlavesa *Source)
{
    if (!Source)
        return;
    MSNcislo = Source->MSNcislo;
    MSNpriznak = Source->MSNpriznak;
}

void TKlavesa::CopyMSNTo(TKlavesa &Dest) const
{
    Dest.MSNcislo = MSNcislo;
    Dest.MSNpriznak = MSNpriznak;
}

QString TKlavesa::GetMSNText() const
{
    QString text = BytesToHex(MSNcislo.data(), int(MSNcislo.size()));
    text.remove(u'F');
    return text;
}

bool TKlavesa::IsUnconfigured() const
{
    return (MenoLinky == NekonfName || MenoLinky.isEmpty()) && CisloUcastnika == 255 && TypLinky == 255
           && KodDosky == 255 && HWPozicDosky == 255 && PozicLinky == 255 && PozicRLinky == 255
           && ObsluhaKlavesy == 1;
}

// --- lines and boards ---

void TRLinka::Reset()
{
    MenoRLinky = NekonfName;
    CisloRLinky = 255;
    Klavesa = 255;
}

void TLinka::Reset()
{
    MenoLinky = NekonfName;
    CisloLinky = 255;
    Klavesa = 255;
    PocetRLiniek = 0;
}

void TDoska::Reset()
{
    MenoDosky.clear();
    CisloDosky = 255;
    PocetLiniek = 0;
}

// --- phone book ---

namespace {

QByteArray padded(QByteArray bytes)
{
    if (bytes.size() < 32)
        bytes.append(32 - bytes.size(), char(0xFF));
    return bytes;
}

} // namespace

QByteArray TTelZoznam::GetPaddedName() const { return padded(platform::ToCp1250(Meno.left(255))); }

QByteArray TTelZoznam::GetCodedNumber() const { return padded(DialDigitsToCode(Cislo)); }

QByteArray TTelZoznam::EmptyName() { return QByteArray(32, char(0xFF)); }

QByteArray TTelZoznam::EmptyNumber() { return QByteArray(32, char(0xFF)); }

// --- TPult ---

void TPult::FreeKeysAndBoards()
{
    for (auto &k : Klavesy)
        k.reset();
    for (auto &d : Dosky) {
        if (!d)
            continue;
        for (int j = 0; j < lineCount(*d); ++j) {
            if (auto &l = d->Linky[j]) {
                for (int e = 0; e < extCount(*l); ++e)
                    l->RLinky[e].reset();
            }
            d->Linky[j].reset();
        }
        d.reset();
    }
}

// --- TAPult ---

EFileError::EFileError(const QString &fileName, const QString &reason)
    : std::runtime_error((fileName + QStringLiteral(": ") + reason).toStdString()), FileName(fileName),
      Reason(reason)
{
}

TAPult::TAPult(const QString &Name) : CestaProgramu(Name) {}

void TAPult::Clear()
{
    for (auto &p : Pulty) {
        if (!p)
            continue;
        p->FreeKeysAndBoards();
        for (auto &t : p->TelZoznam)
            t.reset();
        p.reset();
    }
}

void TAPult::Assign(const TAPult &Source)
{
    if (&Source == this)
        return;
    Clear();
    PocetPultov = Source.PocetPultov;
    TypDosiek = Source.TypDosiek;
    TypNumlinov = Source.TypNumlinov;
    DoskySystemu = Source.DoskySystemu;
    KodHodnota = Source.KodHodnota;
    SlotyDosiek = Source.SlotyDosiek;
    const int consoles = std::clamp<int>(PocetPultov, 0, ConsoleCount);
    for (int p = 0; p < consoles; ++p) {
        const TPult *sp = Source.Pulty[p].get();
        if (!sp)
            continue;
        auto np = std::make_unique<TPult>();
        np->TypPultu = sp->TypPultu;
        np->PocetObrazoviek = sp->PocetObrazoviek;
        for (int b = 0; b < BoardCount; ++b) {
            const TDoska *sd = sp->Dosky[b].get();
            if (!sd)
                continue;
            auto nd = std::make_unique<TDoska>();
            nd->MenoDosky = sd->MenoDosky;
            nd->CisloDosky = sd->CisloDosky;
            nd->PocetLiniek = sd->PocetLiniek;
            for (int j = 0; j < lineCount(*sd); ++j) {
                const TLinka *sl = sd->Linky[j].get();
                if (!sl)
                    continue;
                auto nl = std::make_unique<TLinka>();
                nl->MenoLinky = sl->MenoLinky;
                nl->CisloLinky = sl->CisloLinky;
                nl->Klavesa = sl->Klavesa;
                nl->PocetRLiniek = sl->PocetRLiniek;
                for (int e = 0; e < extCount(*sl); ++e) {
                    if (const TRLinka *sr = sl->RLinky[e].get())
                        nl->RLinky[e] = std::make_unique<TRLinka>(*sr);
                }
                nd->Linky[j] = std::move(nl);
            }
            np->Dosky[b] = std::move(nd);
        }
        for (int k = 0; k < KeyCount; ++k) {
            if (const TKlavesa *sk = sp->Klavesy[k].get()) {
                np->Klavesy[k] = std::make_unique<TKlavesa>();
                np->Klavesy[k]->Assign(sk);
            }
        }
        Pulty[p] = std::move(np);
    }
}

bool TAPult::BoardHasAssignedLines(int Slot) const
{
    if (Slot < 0 || Slot >= BoardCount)
        throw std::out_of_range("board slot out of range");
    const int consoles = std::clamp<int>(PocetPultov, 0, ConsoleCount);
    for (int p = 0; p < consoles; ++p) {
        const TPult *pult = Pulty[p].get();
        if (!pult || !pult->Dosky[Slot])
            continue;
        const TDoska &d = *pult->Dosky[Slot];
        for (int j = 0; j < lineCount(d); ++j) {
            const TLinka *l = d.Linky[j].get();
            if (!l)
                continue;
            if (l->Klavesa < 255)
                return true;
            for (int e = 0; e < extCount(*l); ++e)
                if (l->RLinky[e] && l->RLinky[e]->Klavesa < 255)
                    return true;
        }
    }
    return false;
}

void TAPult::ConvertBoardCodes(Byte SystemType, TZoznam &List)
{
    TypSystemu = SystemType;
    for (TSlotEntry &slot : SlotyDosiek) {
        const QString name = List.Num2Name(slot.Kod);
        if (name.isEmpty())
            continue; // the list does not know the code: keep it
        Byte code = 255;
        // The card knows its own code (a 4W5 board is 148, not its group's 144).
        if (auto card = Registry::CreateCard(name))
            code = card->GetCardNum(TypSystemu);
        if (code == 255)
            code = List.Name2Num(name, TypSystemu);
        if (code != 255)
            slot.Kod = code;
    }
    for (auto &p : Pulty) {
        if (!p)
            continue;
        for (int b = 0; b < BoardCount; ++b)
            if (p->Dosky[b])
                p->Dosky[b]->CisloDosky = SlotyDosiek[b].Kod;
        for (auto &k : p->Klavesy)
            if (k && k->HWPozicDosky < BoardCount)
                k->KodDosky = SlotyDosiek[k->HWPozicDosky].Kod;
    }
}

void TAPult::SetMBUBFlag(bool Enable, Byte Value)
{
    CasUkonceniaVyzvanania = Enable ? Value : 0;
    for (auto &p : Pulty) {
        if (!p)
            continue;
        for (auto &k : p->Klavesy) {
            if (!k || !hasFlagRecord(*k) || !isMBUBBoard(k->KodDosky))
                continue;
            Byte &b = TabulkaPriznakov[k->NumLin][0];
            b = Byte((b & 0x03) | (Enable ? Byte(Value << 2) : 0));
        }
    }
}

bool TAPult::GetMBUBFlag(Byte &Value, bool Scan)
{
    if (Scan) {
        for (auto &p : Pulty) {
            if (!p)
                continue;
            for (auto &k : p->Klavesy) {
                if (!k || !hasFlagRecord(*k) || !isMBUBBoard(k->KodDosky))
                    continue;
                Value = TabulkaPriznakov[k->NumLin][0] >> 2;
                CasUkonceniaVyzvanania = Value;
                return Value > 0;
            }
        }
        Value = CasUkonceniaVyzvanania;
        return false;
    }
    Value = CasUkonceniaVyzvanania;
    return Value > 0;
}

void TAPult::SetPR3Flag(Byte Value)
{
    RezimDORST = Value;
    for (auto &p : Pulty) {
        if (!p)
            continue;
        for (auto &k : p->Klavesy) {
            if (!k || !hasFlagRecord(*k) || !isPR3Board(k->KodDosky))
                continue;
            Byte &b = TabulkaPriznakov[k->NumLin][0];
            b = Byte((b & 0x3F) | Byte(Value << 6));
        }
    }
}

Byte TAPult::GetF0Flag(bool Scan)
{
    if (!Scan)
        return RezimDORST;
    for (auto &p : Pulty) {
        if (!p)
            continue;
        for (auto &k : p->Klavesy) {
            if (!k || !hasFlagRecord(*k) || (k->KodDosky & 0xFE) != 0xF0)
                continue;
            RezimDORST = TabulkaPriznakov[k->NumLin][0] >> 6;
            return RezimDORST;
        }
    }
    return 0;
}

bool TAPult::ReplaceIfEqual(QString &S, const QString &Old, const QString &New)
{
    if (S != Old)
        return false;
    S = New;
    return true;
}
