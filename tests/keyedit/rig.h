#pragma once

#include <QStringList>
#include <QTest>
#include <memory>

#include "cardpack/t4w5card.h"
#include "cardpack/ul10card.h"
#include "editing/blockmover.h"
#include "editing/keybinding.h"
#include "model/cardset.h"
#include "model/objekty.h"

// A UL10 card that answers the board code of the GSM-R boards.
class TGsmCard : public TUL10Card
{
public:
    Byte GetCardNum(Byte) override { return 0x72; }
};

// Two consoles with every key present: console 0 a PC console (type 1),
// console 1 of the type asked for, both with `screens` screens. Cards go into
// slots and lines are bound with the real binding.
struct KeyRig {
    std::unique_ptr<TAPult> cfg = std::make_unique<TAPult>();
    TCardSet cards;
    int modified = 0;
    bool answer = true;
    QStringList asked;

    explicit KeyRig(Byte type1 = 1, int screens = 3)
    {
        cfg->PocetPultov = 2;
        for (int c = 0; c < ConsoleCount; ++c) {
            auto &p = cfg->Pulty[c];
            p = std::make_unique<TPult>();
            p->TypPultu = c == 0 ? 1 : type1;
            p->PocetObrazoviek = Byte(screens);
            for (auto &k : p->Klavesy)
                k = std::make_unique<TKlavesa>();
        }
    }

    TBindingServices services()
    {
        TBindingServices s;
        s.UseCards(cards);
        s.SetModified = [this] { ++modified; };
        s.AskYesNo = [this](const QString &text) {
            asked << text;
            return answer;
        };
        return s;
    }
    TKeyBinding binding(int console = 0) { return TKeyBinding(cfg.get(), console, services()); }
    TPasteChecks checks(const TKeyBinding &b)
    {
        return TPasteChecks::FromCards(b, [this](int slot) { return cards.CardOfSlot(slot); });
    }

    TPult &pult(int c) { return *cfg->Pulty[c]; }
    TKlavesa &key(int c, int k) { return *cfg->Pulty[c]->Klavesy[k]; }
    TLinka *line(int c, int s, int l)
    {
        TDoska *d = cfg->Pulty[c]->Dosky[s].get();
        return d ? d->Linky[l].get() : nullptr;
    }

    TCardOld &addCard(int slot, std::unique_ptr<TCardOld> card)
    {
        cards.SetCard(slot, std::move(card));
        TCardOld &c = *cards.CardOfSlot(slot);
        c.Reset();
        for (auto &p : cfg->Pulty) {
            if (!p->Dosky[slot])
                p->Dosky[slot] = std::make_unique<TDoska>();
            TDoska &d = *p->Dosky[slot];
            d.MenoDosky = c.GetCardName();
            d.CisloDosky = c.GetCardNum(cfg->TypSystemu);
            d.PocetLiniek = c.LinCount();
            for (int l = 0; l < c.LinCount() && l < LineCount; ++l)
                if (!d.Linky[l])
                    d.Linky[l] = std::make_unique<TLinka>();
        }
        cfg->SlotyDosiek[slot] = {QStringLiteral("T") + c.GetCardName(), c.GetCardNum(cfg->TypSystemu)};
        return c;
    }

    // Binds line l of the card in the slot to key k of console c, with the type checked.
    bool bindLine(int c, int k, int slot, int l, const QString &type = QStringLiteral("MB"))
    {
        TCardOld &card = *cards.CardOfSlot(slot);
        card.SetNameLin(Byte(l), type + u'-' + QString::number(l));
        TLineSelection sel;
        sel.Slot = slot;
        sel.Line = Byte(l);
        sel.HasPressedButton = true;
        sel.PressedCaption = card.GetNameLin(Byte(l));
        sel.TypePanel = true;
        sel.TypePanelEnabled = true;
        sel.CheckedType = type;
        sel.LineButtonCount = card.LinCount();
        return binding(c).AssignLineToKey(k, sel);
    }

    // Binds extended line pos of line l (a 4W5 MD line) to key k of console c.
    bool bindExt(int c, int k, int slot, int l, int pos, const QString &type = QStringLiteral("MD"))
    {
        TCardOld &card = *cards.CardOfSlot(slot);
        card.SetNameLin(Byte(l), type + u'-' + QString::number(l));
        const QString name = card.GetRozsirLinName(Byte(l), Byte(pos));
        auto &place = cfg->Pulty[c]->Dosky[slot]->Linky[l]->RLinky[pos];
        if (!place) {
            place = std::make_unique<TRLinka>();
            place->MenoRLinky = name;
            place->CisloRLinky = Byte(pos);
        }
        TLineSelection sel;
        sel.Slot = slot;
        sel.Line = Byte(l);
        sel.ExtPosition = Byte(pos);
        sel.HasPressedButton = true;
        sel.PressedCaption = name;
        sel.TypePanel = true;
        sel.TypePanelEnabled = true;
        sel.CheckedType = type;
        sel.LineButtonCount = card.LinCount();
        return binding(c).AssignLineToKey(k, sel);
    }
};

// Every field of every key, line and extended line of a console.
inline QString DumpConsole(const TPult &p)
{
    QStringList out;
    for (int k = 0; k < KeyCount; ++k)
        if (const TKlavesa *x = p.Klavesy[k].get())
            out << QStringLiteral("k%1 %2|%3|%4 %5 %6 %7 %8 %9 %10 %11 %12 %13 %14")
                       .arg(k)
                       .arg(x->MenoKlavesy, x->HintKlavesy, x->MenoLinky)
                       .arg(x->TypLinky)
                       .arg(x->KodDosky)
                       .arg(x->HWPozicDosky)
                       .arg(x->PozicLinky)
                       .arg(x->PozicRLinky)
                       .arg(x->Led)
                       .arg(x->CisloUcastnika)
                       .arg(x->TextColor)
                       .arg(BytesToHex(x->MSNcislo.data(), 12))
                       .arg(BytesToHex(x->MSNpriznak.data(), 3));
    for (int s = 0; s < BoardCount; ++s) {
        const TDoska *d = p.Dosky[s].get();
        if (!d)
            continue;
        for (int l = 0; l < LineCount; ++l) {
            const TLinka *x = d->Linky[l].get();
            if (!x)
                continue;
            out << QStringLiteral("b%1 l%2 %3 %4 %5")
                       .arg(s)
                       .arg(l)
                       .arg(x->MenoLinky)
                       .arg(x->CisloLinky)
                       .arg(x->Klavesa);
            for (int r = 0; r < ExtLineCount; ++r)
                if (const TRLinka *e = x->RLinky[r].get())
                    out << QStringLiteral("b%1 l%2 r%3 %4 %5 %6")
                               .arg(s)
                               .arg(l)
                               .arg(r)
                               .arg(e->MenoRLinky)
                               .arg(e->CisloRLinky)
                               .arg(e->Klavesa);
        }
    }
    return out.join(u'\n');
}

inline QString DumpBuffer(const TCopyBuffer &buffer)
{
    QStringList out{QStringLiteral("%1 %2 %3").arg(buffer.Count).arg(buffer.Lowest).arg(buffer.Highest)};
    for (int k = 0; k < KeyCount; ++k)
        if (const TKlavesa *x = buffer.Keys[k].get())
            out << QStringLiteral("%1 %2|%3|%4 %5 %6 %7")
                       .arg(k)
                       .arg(x->MenoKlavesy, x->HintKlavesy, x->MenoLinky)
                       .arg(x->HWPozicDosky)
                       .arg(x->PozicLinky)
                       .arg(x->Led);
    return out.join(u'\n');
}

#define CHECK_BINDINGS(cfg)                                                                                  \
    do {                                                                                                     \
        const QStringList faults_ = BindingFaults(cfg);                                                      \
        if (!faults_.isEmpty())                                                                              \
            QFAIL(qPrintable(faults_.join(u'\n')));                                                          \
    } while (false)
