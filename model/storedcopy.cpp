#include "model/storedcopy.h"

#include <algorithm>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "model/compare.h"

namespace
{

int lineCount(const TDoska &d)
{
    return std::min<int>(d.PocetLiniek, LineCount);
}
int extCount(const TLinka &l)
{
    return std::min<int>(l.PocetRLiniek, ExtLineCount);
}
int consoleCount(const TAPult &a)
{
    return std::clamp<int>(a.PocetPultov, 0, ConsoleCount);
}

QString title(const QString &text)
{
    return QStringLiteral("--== ") + text + QStringLiteral(" ==--");
}

void prependTitle(QStringList &report, const QString &text)
{
    report.prepend(QString());
    report.prepend(title(text));
    report.prepend(QString());
}

bool namesLine(const TKlavesa &k, int slot, int line)
{
    return k.HWPozicDosky == slot && k.PozicLinky == line;
}

// Lines and extended lines whose key names something else give the key up;
// then bound keys whose line is not bound to them are reset.
void releaseBrokenBindings(TPult &t, TCopyPult &result)
{
    for (int s = 0; s < BoardCount; ++s) {
        TDoska *d = t.Dosky[s].get();
        if (!d)
            continue;
        for (int j = 0; j < LineCount; ++j) {
            TLinka *l = d->Linky[j].get();
            if (!l)
                continue;
            bool keyedExt = false;
            for (int e = 0; e < ExtLineCount; ++e) {
                TRLinka *r = l->RLinky[e].get();
                if (!r || r->Klavesa >= KeyCount)
                    continue;
                const TKlavesa *k = t.Klavesy[r->Klavesa].get();
                if (k && namesLine(*k, s, j) && k->PozicRLinky == e) {
                    keyedExt = true;
                } else {
                    r->Klavesa = 255;
                    ++result.ReleasedLines;
                }
            }
            if (l->Klavesa < KeyCount) {
                const TKlavesa *k = t.Klavesy[l->Klavesa].get();
                if (!k || !namesLine(*k, s, j)) {
                    l->Klavesa = keyedExt ? 253 : 255;
                    ++result.ReleasedLines;
                }
            } else if (l->Klavesa == 253 && !keyedExt) {
                l->Klavesa = 255;
                ++result.ReleasedLines;
            }
        }
    }
    for (int k = 0; k < KeyCount; ++k) {
        TKlavesa *key = t.Klavesy[k].get();
        if (!key || key->HWPozicDosky == 255 || key->MenoLinky == NekonfName || key->TypLinky == 255)
            continue;
        const TDoska *d = key->HWPozicDosky < BoardCount ? t.Dosky[key->HWPozicDosky].get() : nullptr;
        const TLinka *l = d && key->PozicLinky < LineCount ? d->Linky[key->PozicLinky].get() : nullptr;
        const TRLinka *r = l && key->PozicRLinky < ExtLineCount ? l->RLinky[key->PozicRLinky].get() : nullptr;
        if (l && (l->Klavesa == k || (r && r->Klavesa == k)))
            continue;
        key->Reset();
        result.ResetKeys << k;
    }
}

} // namespace

bool StoreConfiguration(std::unique_ptr<TAPult> &Stored, const TAPult *Current, const QString &ProgramPath)
{
    if (!Current)
        return false;
    if (Stored) {
        for (auto &p : Stored->Pulty)
            if (p)
                p->FreeKeysAndBoards();
    } else {
        Stored = std::make_unique<TAPult>(ProgramPath);
    }
    Stored->Assign(*Current);
    return true;
}

TStoredCompare CompareWithStored(TAPult *Current, const TAPult *Stored, int KeysPerScreen2,
                                 int KeysPerScreen1)
{
    TStoredCompare out;
    if (!Current)
        return out;
    if (!Stored) {
        out.Status = TStoredCopyStatus::NoStoredCopy;
        return out;
    }
    out.Status = TStoredCopyStatus::Done;
    out.Equal = CompareWith(*Current, *Stored, KeysPerScreen2, KeysPerScreen1, false, &out.Report);
    prependTitle(out.Report, out.Equal ? LoadStrDll(209) : LoadStrDll(208));
    if (out.Equal)
        out.Message = LoadStrDll(215);
    return out;
}

TStoredMerge MergeStored(TAPult *Current, const TAPult *Stored, int KeysPerScreen2, int KeysPerScreen1)
{
    TStoredMerge out;
    if (!Current)
        return out;
    if (!Stored) {
        out.Status = TStoredCopyStatus::NoStoredCopy;
        return out;
    }
    out.Status = TStoredCopyStatus::Done;
    out.Merged =
        CompareWith(*Current, *Stored, KeysPerScreen2, KeysPerScreen1, true, &out.Report, &out.Changed);
    if (!out.Merged) {
        prependTitle(out.Report, LoadStrDll(208));
        return out;
    }
    out.Message = LoadStrDll(210);
    for (int p = 0; p < ConsoleCount; ++p)
        if (const TPult *c = Current->Pulty[p].get())
            out.Layout[p] = {c->TypPultu, c->PocetObrazoviek};
    return out;
}

QString MergedCardClassName(const QString &SlotName)
{
    return QStringLiteral("T") + SlotName.mid(1) + QStringLiteral("Card");
}

QString CardLineName(const QString &MenoLinky)
{
    const qsizetype dash = MenoLinky.indexOf(QLatin1String(" - "));
    return dash < 0 ? MenoLinky : MenoLinky.mid(dash + 3);
}

TMergeCards MergeCards(TAPult &Current, const TMergeCardHooks &Hooks)
{
    TMergeCards out;
    const auto valid = [&Hooks](int s) { return Hooks.SlotValid && Hooks.SlotValid(s); };
    const auto cardOf = [&Hooks](int s) { return Hooks.CardOfSlot ? Hooks.CardOfSlot(s) : nullptr; };

    for (int s = 0; s < BoardCount; ++s) {
        TSlotEntry &slot = Current.SlotyDosiek[s];
        if (!valid(s) || slot.Meno.isEmpty() || cardOf(s))
            continue;
        std::unique_ptr<TCardOld> card = Registry::CreateCard(MergedCardClassName(slot.Meno));
        TCardOld *placed = card && Hooks.TakeCard ? Hooks.TakeCard(s, std::move(card)) : nullptr;
        if (!placed) {
            out.Warnings << LoadStrDll(73) + u' ' + slot.Meno + u' ' + LoadStrDll(74);
            continue;
        }
        out.Changed = true;
        slot.Meno = QStringLiteral("T") + slot.Meno.mid(1);
        slot.Kod = placed->GetCardNum(Current.TypSystemu);
    }
    if (!out.Warnings.isEmpty())
        return out;

    for (int s = 0; s < BoardCount; ++s) {
        if (!valid(s) || Current.SlotyDosiek[s].Meno.isEmpty())
            continue;
        TCardOld *card = cardOf(s);
        if (!card)
            continue;
        for (int p = 0; p < consoleCount(Current); ++p) {
            const TPult *c = Current.Pulty[p].get();
            const TDoska *d = c ? c->Dosky[s].get() : nullptr;
            if (!d)
                continue;
            for (int j = 0; j < lineCount(*d); ++j) {
                const TLinka *l = d->Linky[j].get();
                if (!l || l->MenoLinky == NekonfName)
                    continue;
                card->SetNameLin(Byte(j), CardLineName(l->MenoLinky));
                out.Changed = true;
            }
        }
    }
    return out;
}

TCopyPult CopyPult(TAPult *Config, int Source, int Target)
{
    TCopyPult out;
    if (!Config || Source < 0 || Source >= ConsoleCount || Target < 0 || Target >= ConsoleCount ||
        Source == Target)
        return out;
    const TPult *sp = Config->Pulty[Source].get();
    if (!sp)
        return out;
    auto &target = Config->Pulty[Target];
    if (!target)
        target = std::make_unique<TPult>();
    TPult &tp = *target;

    for (int b = 0; b < BoardCount; ++b) {
        const TDoska *sd = sp->Dosky[b].get();
        if (!sd)
            continue;
        if (!tp.Dosky[b])
            tp.Dosky[b] = std::make_unique<TDoska>();
        TDoska &td = *tp.Dosky[b];
        td.MenoDosky = sd->MenoDosky;
        td.CisloDosky = sd->CisloDosky;
        td.PocetLiniek = sd->PocetLiniek;
        for (int j = 0; j < lineCount(*sd); ++j) {
            const TLinka *sl = sd->Linky[j].get();
            if (!sl)
                continue;
            if (!td.Linky[j])
                td.Linky[j] = std::make_unique<TLinka>();
            TLinka &tl = *td.Linky[j];
            tl.MenoLinky = sl->MenoLinky;
            tl.CisloLinky = sl->CisloLinky;
            tl.Klavesa = sl->Klavesa;
            tl.PocetRLiniek = sl->PocetRLiniek;
            for (int e = 0; e < extCount(*sl); ++e) {
                const TRLinka *sr = sl->RLinky[e].get();
                if (!sr)
                    continue;
                if (!tl.RLinky[e])
                    tl.RLinky[e] = std::make_unique<TRLinka>();
                *tl.RLinky[e] = *sr;
            }
        }
    }
    for (int k = 0; k < KeyCount; ++k)
        if (const TKlavesa *sk = sp->Klavesy[k].get())
            sk->CopyTo(tp.Klavesy[k]);

    // The copied bindings replace the target's where they meet.
    releaseBrokenBindings(tp, out);
    out.Copied = true;
    return out;
}
