#include "editing/keybinding.h"

#include <algorithm>

#include "cardpack/dll_load.h"
#include "editing/keygrid.h"
#include "model/cardqueries.h"
#include "model/conversions.h"

namespace
{

const QString Separator = QStringLiteral(" - ");

TLinka *lineAt(TPult *console, int slot, int line)
{
    if (!console || slot < 0 || slot >= BoardCount || line < 0 || line >= LineCount)
        return nullptr;
    TDoska *board = console->Dosky[slot].get();
    return board ? board->Linky[line].get() : nullptr;
}

TRLinka *extAt(TLinka *line, int pos)
{
    if (!line || pos < 0 || pos >= ExtLineCount)
        return nullptr;
    return line->RLinky[pos].get();
}

TKlavesa *keyAt(TPult *console, int k)
{
    if (!console || k < 0 || k >= KeyCount)
        return nullptr;
    return console->Klavesy[k].get();
}

// The first extended line that carries a key; -1 when none does.
int firstKeyedExt(const TLinka &line)
{
    for (int r = 0; r < ExtLineCount; ++r)
        if (line.RLinky[r] && line.RLinky[r]->Klavesa < KeyCount)
            return r;
    return -1;
}

bool namesLine(const TKlavesa &key, int slot, int line)
{
    return key.HWPozicDosky == slot && key.PozicLinky == line;
}

// The key names a line of its console and that line (or the extended line it
// names) points back at it.
bool isBoundBack(TPult *console, int k)
{
    const TKlavesa *key = keyAt(console, k);
    if (!key)
        return false;
    TLinka *line = lineAt(console, key->HWPozicDosky, key->PozicLinky);
    if (!line)
        return false;
    if (line->Klavesa == k)
        return true;
    const TRLinka *ext = key->PozicRLinky != 255 ? extAt(line, key->PozicRLinky) : nullptr;
    return ext && ext->Klavesa == k;
}

// A line or extended line points at key j, and key j names it back.
bool heldByOtherKey(TPult *console, Byte j, int k, int slot, int line, int pos)
{
    if (j >= KeyCount || j == k)
        return false;
    const TKlavesa *other = keyAt(console, j);
    if (!other || !namesLine(*other, slot, line))
        return false;
    return pos == 255 || other->PozicRLinky == pos;
}

bool sameIdentity(const TKlavesa &a, const TKlavesa &b)
{
    return a.MenoLinky == b.MenoLinky && a.TypLinky == b.TypLinky && a.HWPozicDosky == b.HWPozicDosky
           && a.PozicLinky == b.PozicLinky && a.PozicRLinky == b.PozicRLinky;
}

void writeRecord(TKlavesa &key, const TCfgPole &rec)
{
    key.ObsluhaKlavesy = rec[0];
    key.CisloUcastnika = rec[1];
    std::copy(rec.begin() + 2, rec.begin() + 29, key.SkratenaVolba.begin());
    key.bitovyByte = rec[29];
}

TCfgPole emptyRecord()
{
    TCfgPole rec;
    rec.fill(255);
    rec[29] = 7;
    return rec;
}

TKlavesa &freshKey(TPult &console, int k)
{
    auto &place = console.Klavesy[k];
    if (!place)
        place = std::make_unique<TKlavesa>();
    place->Reset();
    return *place;
}

Byte lineCountFor(int buttons, int line)
{
    return Byte(std::clamp(std::max(buttons, line + 1), 1, LineCount));
}

} // namespace

// --- texts ---

QString StripLinePosPrefix(const QString &name)
{
    const int at = name.indexOf(Separator);
    if (at > 0 && IsLinePosName(name.left(at)))
        return name.mid(at + Separator.size());
    return name;
}

QString WithoutLastPart(const QString &name)
{
    const int at = name.lastIndexOf(Separator);
    return at >= 0 ? name.left(at) : name;
}

QString ShortLinePos(int slot)
{
    return LinePosName(slot).mid(3, 2);
}

bool IsConfiguredKey(const TKlavesa *key)
{
    return key && (key->MenoLinky != NekonfName || key->TypLinky != 255);
}

// --- free functions ---

Byte FreeTypeNumber(TCardOld *card, const QString &typeName)
{
    if (!card)
        return 255;
    const int count = card->LinCount();
    Byte result = Byte(count - 1);
    for (int d = count - 1; d >= 0; --d) {
        bool used = false;
        for (int i = 0; i < count && !used; ++i) {
            const QString name = card->GetNameLin(Byte(i));
            if (name.isEmpty() || !name.contains(typeName))
                continue;
            const QChar last = name.back();
            used = last.isDigit() && last.digitValue() == d;
        }
        if (!used)
            result = Byte(d);
    }
    return result;
}

bool CanMoveKeys(const TKeyArray &source, const TKeyArray &target, int last, int shift)
{
    const int from = std::max(0, -shift);
    const int to = std::min(shift >= 0 ? last - shift : last, KeyCount - 1);
    for (int i = from; i <= to; ++i) {
        const int j = i + shift;
        if (j < 0 || j >= KeyCount)
            continue;
        if (IsConfiguredKey(source[i].get()) && IsConfiguredKey(target[j].get()))
            return false;
    }
    return true;
}

QStringList BindingFaults(const TAPult &config, TZoznam *boardList)
{
    QStringList faults;
    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *p = config.Pulty[c].get();
        if (!p)
            continue;
        const QString con = QStringLiteral("console %1").arg(c);
        if (boardList) {
            const int capacity =
                p->TypPultu == 0 ? 0
                                 : KeyCountFor(ConsoleKeyGrid(*boardList, p->TypPultu), p->PocetObrazoviek);
            for (int k = capacity; k < KeyCount; ++k)
                if (IsConfiguredKey(p->Klavesy[k].get()))
                    faults << QStringLiteral("%1 key %2: configured beyond the capacity %3")
                                  .arg(con)
                                  .arg(k)
                                  .arg(capacity);
        }
        for (int s = 0; s < BoardCount; ++s) {
            const TDoska *board = p->Dosky[s].get();
            if (!board)
                continue;
            for (int l = 0; l < LineCount; ++l) {
                const TLinka *line = board->Linky[l].get();
                if (!line)
                    continue;
                const QString where = QStringLiteral("%1 slot %2 line %3").arg(con).arg(s).arg(l);
                if (line->Klavesa < KeyCount) {
                    const TKlavesa *key = p->Klavesy[line->Klavesa].get();
                    if (!key)
                        faults << where + QStringLiteral(": key %1 missing").arg(line->Klavesa);
                    else if (!namesLine(*key, s, l))
                        faults << where + QStringLiteral(": key %1 names slot %2 line %3")
                                              .arg(line->Klavesa)
                                              .arg(key->HWPozicDosky)
                                              .arg(key->PozicLinky);
                } else if (line->Klavesa == 253) {
                    if (firstKeyedExt(*line) < 0)
                        faults << where + QStringLiteral(": 253 without a keyed extended line");
                } else if (line->Klavesa != 255) {
                    faults << where + QStringLiteral(": bad key value %1").arg(line->Klavesa);
                }
                for (int r = 0; r < ExtLineCount; ++r) {
                    const TRLinka *ext = line->RLinky[r].get();
                    if (!ext || ext->Klavesa == 255)
                        continue;
                    const QString at = where + QStringLiteral(" ext %1").arg(r);
                    if (ext->Klavesa >= KeyCount) {
                        faults << at + QStringLiteral(": bad key value %1").arg(ext->Klavesa);
                        continue;
                    }
                    const TKlavesa *key = p->Klavesy[ext->Klavesa].get();
                    if (!key)
                        faults << at + QStringLiteral(": key %1 missing").arg(ext->Klavesa);
                    else if (!namesLine(*key, s, l) || key->PozicRLinky != r)
                        faults << at + QStringLiteral(": key %1 names slot %2 line %3 ext %4")
                                           .arg(ext->Klavesa)
                                           .arg(key->HWPozicDosky)
                                           .arg(key->PozicLinky)
                                           .arg(key->PozicRLinky);
                }
            }
        }
        for (int k = 0; k < KeyCount; ++k) {
            const TKlavesa *key = p->Klavesy[k].get();
            if (!key || key->HWPozicDosky == 255 || key->MenoLinky == NekonfName || key->TypLinky > 254)
                continue;
            const QString who = QStringLiteral("%1 key %2").arg(con).arg(k);
            if (key->HWPozicDosky >= BoardCount || key->PozicLinky >= LineCount) {
                faults << who + QStringLiteral(": position %1/%2 outside the board")
                                    .arg(key->HWPozicDosky)
                                    .arg(key->PozicLinky);
                continue;
            }
            if (config.SlotyDosiek[key->HWPozicDosky].Meno.isEmpty())
                faults << who + QStringLiteral(": no card in slot %1").arg(key->HWPozicDosky);
            TLinka *line = lineAt(p, key->HWPozicDosky, key->PozicLinky);
            if (!line) {
                faults << who + QStringLiteral(": its line is missing");
                continue;
            }
            const TRLinka *ext = key->PozicRLinky != 255 ? extAt(line, key->PozicRLinky) : nullptr;
            if (line->Klavesa != k && !(ext && ext->Klavesa == k))
                faults << who + QStringLiteral(": its line does not point back");
        }
    }
    return faults;
}

// --- TKeyBinding ---

void TBindingServices::UseCards(TCardSlots &cards)
{
    CardOfSlot = [&cards](int slot) { return cards.CardOfSlot(slot); };
}

TKeyBinding::TKeyBinding(TAPult *config, int console, TBindingServices services)
    : Config(config), Console(console), services(std::move(services))
{
}

TPult *TKeyBinding::ActiveConsole() const
{
    if (!Config || Console < 0 || Console >= ConsoleCount)
        return nullptr;
    return Config->Pulty[Console].get();
}

TCardOld *TKeyBinding::cardOf(int slot) const
{
    if (slot < 0 || slot >= BoardCount || !services.CardOfSlot)
        return nullptr;
    return services.CardOfSlot(slot);
}

void TKeyBinding::modified() const
{
    if (services.SetModified)
        services.SetModified();
}

void TKeyBinding::keyCleared(int console, int key) const
{
    if (services.Observer)
        services.Observer->KeyCleared(console, key);
}

bool TKeyBinding::syncRadioPanel(TCardOld &card, Byte line, const TLineSelection &sel) const
{
    if (card.GetTypLinNum(card.GetNameLin(line)) == 255) {
        QString name;
        if (!sel.TypePanel) {
            const std::int32_t index = FindPairValue(Config, card.GetCardNum(Config->TypSystemu));
            Byte group = 255;
            name = card.GetTypLinName(index >= 0 && index <= 255 ? Byte(index) : Byte(255), group);
        } else {
            name = sel.CheckedType + u'-' + QString::number(line);
        }
        card.SetNameLin(line, name);
    }
    return !card.IsRozsirLin(line);
}

bool TKeyBinding::AssignLineToKey(int k, const TLineSelection &sel, TBindingChange *out)
{
    TBindingChange local;
    TBindingChange &change = out ? *out : local;
    change = TBindingChange();
    TPult *console = ActiveConsole();
    if (!console)
        return false;

    modified();
    const bool typeChoice = sel.TypePanel && sel.TypePanelEnabled;
    TCardOld *card = cardOf(sel.Slot);
    const Byte l = sel.Line;
    QString pressed = sel.PressedCaption;

    auto bind = [&]() -> bool {
        if (!sel.Extended() && sel.HasPressedButton && card && l < LineCount && !(card->GetType() & 1)) {
            card->SetNameLin(l, QString());
            pressed = card->GetNameLin(l);
            change.LineButtonCaption = pressed;
        }
        const QString chosen = typeChoice ? sel.CheckedType : pressed;
        if (chosen.isEmpty() || !sel.HasPressedButton)
            return false;
        if (k < 0 || k >= KeyCount || sel.Slot < 0 || sel.Slot >= BoardCount || !card)
            return false;
        const int s = sel.Slot;
        TDoska *board = console->Dosky[s].get();
        if (!board || l >= LineCount || !board->Linky[l])
            return false;
        TLinka &line = *board->Linky[l];
        const bool keyTaken = isBoundBack(console, k);

        if (sel.Extended()) {
            const int r = sel.ExtPosition;
            if (r >= ExtLineCount)
                return false;
            const TRLinka *old = line.RLinky[r].get();
            if ((old && heldByOtherKey(console, old->Klavesa, k, s, l, r))
                || (keyTaken && !(old && old->Klavesa == k)))
                return false;

            board->PocetLiniek = lineCountFor(sel.LineButtonCount, l);
            const QString typeName = typeChoice ? chosen + u'-' + QString::number(l) : chosen;
            card->SetNameLin(l, typeName);
            change.LineButtonCaption = card->GetNameLin(l);

            const QString cardOrLine = (card->IsRozsirLin(l) && !(card->GetType() & 1)) ? card->GetCardName()
                                                                                         : card->GetNameLin(l);
            line.MenoLinky = LinePosName(s) + Separator + cardOrLine;
            line.CisloLinky = card->GetTypLinNum(card->GetNameLin(l));
            if (line.Klavesa == 255)
                line.Klavesa = 253;
            change.DisableTypePanel = true;

            line.PocetRLiniek = card->GetNumRozsir(l);
            auto &extPlace = line.RLinky[r];
            if (!extPlace)
                extPlace = std::make_unique<TRLinka>();
            TRLinka &ext = *extPlace;
            ext.MenoRLinky = line.MenoLinky + Separator + pressed;
            change.ReleaseExtButton = true;
            ext.CisloRLinky = Byte(r);
            ext.Klavesa = Byte(k);

            TCfgPole rec = emptyRecord();
            card->GetCfgPoleRLin(l, Byte(r), &rec);
            TKlavesa &key = freshKey(*console, k);
            key.MenoKlavesy = ShortLinePos(s) + u' ' + cardOrLine + u' ' + pressed;
            key.HintKlavesy = ext.MenoRLinky;
            key.MenoLinky = ext.MenoRLinky;
            key.TypLinky = line.CisloLinky;
            key.KodDosky = card->GetCardNum(Config->TypSystemu);
            key.HWPozicDosky = Byte(s);
            key.PozicLinky = l;
            key.PozicRLinky = Byte(r);
            key.Led = Byte(k);
            writeRecord(key, rec);
            if (Config->TypDosiek != 0 && (line.Klavesa == 253 || rec[1] == 0))
                line.Klavesa = Byte(k);
            change.KeyCaption = key.MenoKlavesy;
            return true;
        }

        if (heldByOtherKey(console, line.Klavesa, k, s, l, 255) || (keyTaken && line.Klavesa != k))
            return false;
        if (!syncRadioPanel(*card, l, sel))
            return false;

        board->PocetLiniek = lineCountFor(sel.LineButtonCount, l);
        const QString name = typeChoice ? chosen + u'-' + QString::number(l) : chosen;
        change.LineButtonHint = card->GetHelpLin(l);
        line.MenoLinky = name;
        change.LineButtonCaption = name;
        card->SetNameLin(l, name);
        line.CisloLinky = card->GetTypLinNum(card->GetNameLin(l));
        change.DisableLineButton = true;
        line.Klavesa = Byte(k);

        TCfgPole rec = emptyRecord();
        card->GetCfgPoleLin(l, &rec);
        TKlavesa &key = freshKey(*console, k);
        key.MenoKlavesy = ShortLinePos(s) + u' ' + name;
        key.HintKlavesy = LinePosName(s) + Separator + name;
        key.MenoLinky = key.HintKlavesy;
        key.TypLinky = line.CisloLinky;
        key.KodDosky = card->GetCardNum(Config->TypSystemu);
        key.HWPozicDosky = Byte(s);
        key.PozicLinky = l;
        key.PozicRLinky = card->GetTypRozsir(l);
        key.Led = Byte(k);
        writeRecord(key, rec);
        if (typeChoice)
            key.NumLin = FreeTypeNumber(card, chosen);
        if (key.KodDosky == 114)
            ShareMSNOfLine(key);
        line.MenoLinky = LinePosName(s) + Separator + line.MenoLinky;
        change.KeyCaption = key.MenoKlavesy;
        return true;
    };

    change.Bound = bind();
    if (services.RebuildUniTable)
        services.RebuildUniTable();
    if (change.Bound && card && sel.HasPressedButton && l < LineCount && card->IsRozsirLin(l))
        change.ShowCardAgain = true;
    return change.Bound;
}

bool TKeyBinding::DeleteKeys(int k, bool confirmed, bool allConsoles, bool testOnly)
{
    TPult *active = ActiveConsole();
    const TKlavesa *target = keyAt(active, k);
    if (!target)
        return false;
    const TKlavesa was = *target;
    const int s = was.HWPozicDosky;
    const int l = was.PozicLinky;

    // A line is released only together with the key it points at, so that no
    // key is left naming a free line.
    auto mayRelease = [&](TPult *p, Byte j) {
        const TKlavesa *key = keyAt(p, j);
        return !key || !namesLine(*key, s, l) || sameIdentity(*key, was);
    };

    for (int c = 0; c < ConsoleCount; ++c) {
        if (!allConsoles && c != Console)
            continue;
        TPult *p = Config->Pulty[c].get();
        TLinka *line = lineAt(p, s, l);
        if (!line)
            continue;
        Byte clear = 255;
        // A key bound to the line itself may carry the card's extended-line
        // type as its position: it is on an extended line only when no line holds it.
        bool onExt = was.PozicRLinky != 255;
        if (onExt) {
            const TRLinka *ext = extAt(line, was.PozicRLinky);
            const TKlavesa *extKey = ext ? keyAt(p, ext->Klavesa) : nullptr;
            const TKlavesa *lineKey = keyAt(p, line->Klavesa);
            onExt = !(lineKey && sameIdentity(*lineKey, was) && !(extKey && sameIdentity(*extKey, was)));
        }
        if (onExt) {
            TRLinka *ext = extAt(line, was.PozicRLinky);
            if (testOnly || !ext || !mayRelease(p, ext->Klavesa))
                continue;
            clear = ext->Klavesa;
            ext->Reset();
            const int other = firstKeyedExt(*line);
            if (other < 0)
                line->Reset();
            else if (line->Klavesa == clear)
                line->Klavesa = line->RLinky[other]->Klavesa;
        } else {
            if (firstKeyedExt(*line) >= 0) {
                if (!confirmed) {
                    const QString text = LoadStrDll(34) + QStringLiteral("\r\n") + LoadStrDll(35)
                                         + QStringLiteral("\r\n") + LoadStrDll(36) + QStringLiteral("\r\n")
                                         + line->MenoLinky + QStringLiteral(" (") + QString::number(line->Klavesa)
                                         + QStringLiteral(". ") + LoadStrDll(76) + u')';
                    if (!services.AskYesNo || !services.AskYesNo(text))
                        return false;
                }
                confirmed = true;
            }
            if (testOnly || !mayRelease(p, line->Klavesa))
                continue;
            for (int r = 0; r < ExtLineCount; ++r) {
                TRLinka *ext = line->RLinky[r].get();
                if (!ext || ext->Klavesa >= KeyCount)
                    continue;
                const Byte j = ext->Klavesa;
                ext->Klavesa = 255;
                TKlavesa *key = keyAt(p, j);
                if (key && !namesLine(*key, s, l))
                    continue; // names another line: not ours to clear
                freshKey(*p, j);
                keyCleared(c, j);
            }
            clear = line->Klavesa;
            line->Reset();
        }
        TKlavesa *key = keyAt(p, clear);
        if (key && sameIdentity(*key, was)) {
            key->Reset();
            keyCleared(c, clear);
        }
    }

    // Judged on the key as it was: its own line may have reset it above.
    const bool deleted = !(was.HWPozicDosky == 255 && (was.ObsluhaKlavesy == 1 || was.ObsluhaKlavesy == 255));
    if (deleted && !testOnly) {
        if (TKlavesa *key = keyAt(active, k)) {
            key->Reset();
            keyCleared(Console, k);
        }
        modified();
    }
    return deleted;
}

void TKeyBinding::SaveKeys(TKeyArray &keys) const
{
    TPult *console = ActiveConsole();
    if (!console)
        return;
    for (int i = 0; i < KeyCount; ++i) {
        keys[i] = std::make_unique<TKlavesa>();
        if (console->Klavesy[i])
            keys[i]->Assign(console->Klavesy[i].get());
    }
}

void TKeyBinding::RefreshSavedKeys(TKeyArray &saved) const
{
    TPult *console = ActiveConsole();
    if (!console)
        return;
    for (int i = 0; i < KeyCount; ++i)
        if (saved[i] && console->Klavesy[i])
            saved[i]->Assign(console->Klavesy[i].get());
}

void TKeyBinding::StoreKeyLines(const TKeyArray &keys)
{
    TPult *console = ActiveConsole();
    if (!console)
        return;
    std::array<bool, KeyCount> written{};
    for (int i = 0; i < KeyCount; ++i) {
        if (!keys[i] || !console->Klavesy[i])
            continue;
        modified();
        written[i] = true;
        TKlavesa &key = *console->Klavesy[i];
        key.Assign(keys[i].get());
        if (key.MenoLinky == NekonfName || key.TypLinky > 254)
            continue;
        // A key whose board lies outside the slots is stored as it is.
        if (key.HWPozicDosky >= BoardCount)
            continue;
        auto &board = console->Dosky[key.HWPozicDosky];
        if (!board)
            board = std::make_unique<TDoska>();
        if (key.PozicLinky >= LineCount)
            continue;
        auto &linePlace = board->Linky[key.PozicLinky];
        if (!linePlace)
            linePlace = std::make_unique<TLinka>();
        TLinka &line = *linePlace;
        TCardOld *card = cardOf(key.HWPozicDosky);
        const Byte l = key.PozicLinky;

        if (key.PozicRLinky != 255) {
            if (key.PozicRLinky >= ExtLineCount)
                continue;
            const QString lineName = WithoutLastPart(key.MenoLinky);
            if (card)
                card->SetNameLin(l, StripLinePosPrefix(lineName));
            line.MenoLinky = lineName;
            line.CisloLinky = card ? card->GetTypLinNum(card->GetNameLin(l)) : key.TypLinky;
            // A key that carries the line itself keeps it; else only its
            // extended lines are bound.
            const TKlavesa *holder = keyAt(console, line.Klavesa);
            if (!holder || !namesLine(*holder, key.HWPozicDosky, l))
                line.Klavesa = 253;
            auto &extPlace = line.RLinky[key.PozicRLinky];
            if (!extPlace)
                extPlace = std::make_unique<TRLinka>();
            // Save writes the extended lines up to the line's count: it must
            // reach the one bound here.
            const int count = std::max({int(line.PocetRLiniek), card ? int(card->GetNumRozsir(l)) : 0,
                                        key.PozicRLinky + 1});
            line.PocetRLiniek = Byte(std::min(count, ExtLineCount));
            extPlace->MenoRLinky = key.MenoLinky;
            extPlace->CisloRLinky = key.CisloUcastnika;
            extPlace->Klavesa = Byte(i);
        } else {
            if (card)
                card->SetNameLin(l, StripLinePosPrefix(key.MenoLinky));
            line.MenoLinky = key.MenoLinky;
            line.CisloLinky = key.TypLinky;
            line.Klavesa = Byte(i);
            if (card)
                line.PocetRLiniek = card->GetNumRozsir(l);
        }
    }

    // Lines that pointed at a rewritten key which now names another place are
    // released, so both sides agree again.
    for (int s = 0; s < BoardCount; ++s) {
        TDoska *board = console->Dosky[s].get();
        if (!board)
            continue;
        for (int l = 0; l < LineCount; ++l) {
            TLinka *line = board->Linky[l].get();
            if (!line)
                continue;
            bool released = false;
            for (int r = 0; r < ExtLineCount; ++r) {
                TRLinka *ext = line->RLinky[r].get();
                if (!ext || ext->Klavesa >= KeyCount || !written[ext->Klavesa])
                    continue;
                const TKlavesa *key = console->Klavesy[ext->Klavesa].get();
                if (!key || !namesLine(*key, s, l) || key->PozicRLinky != r) {
                    ext->Reset();
                    released = true;
                }
            }
            if (line->Klavesa < KeyCount && written[line->Klavesa]) {
                const TKlavesa *key = console->Klavesy[line->Klavesa].get();
                if (!key || !namesLine(*key, s, l)) {
                    if (firstKeyedExt(*line) >= 0)
                        line->Klavesa = 253;
                    else
                        line->Reset();
                }
            } else if (released && line->Klavesa == 253 && firstKeyedExt(*line) < 0) {
                line->Reset();
            }
        }
    }
}

TKlavesa *TKeyBinding::FindKeyByNumber(int n, int &index) const
{
    index = 255;
    TPult *console = ActiveConsole();
    if (!console || n == 255)
        return nullptr;
    for (int i = 0; i < KeyCount; ++i) {
        TKlavesa *key = console->Klavesy[i].get();
        if (key && key->NumLin == n) {
            index = i;
            return key;
        }
    }
    return nullptr;
}

TKlavesa *TKeyBinding::GetKey(int n) const
{
    return keyAt(ActiveConsole(), n);
}

void TKeyBinding::UpdateKeysOfLine(const TKlavesa &key)
{
    if (!Config)
        return;
    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *p = Config->Pulty[c].get();
        const TLinka *line = lineAt(p, key.HWPozicDosky, key.PozicLinky);
        if (!line)
            continue;
        if (TKlavesa *bound = keyAt(p, line->Klavesa))
            bound->AssignMSN(&key);
    }
}

void TKeyBinding::ShareMSNOfLine(TKlavesa &key) const
{
    if (!Config || !key.GetMSNText().isEmpty() || key.HWPozicDosky == 255 || key.PozicLinky == 255)
        return;
    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *p = Config->Pulty[c].get();
        const TLinka *line = lineAt(p, key.HWPozicDosky, key.PozicLinky);
        const TKlavesa *source = line ? keyAt(p, line->Klavesa) : nullptr;
        if (source && source != &key && !source->GetMSNText().isEmpty()) {
            source->CopyMSNTo(key);
            return;
        }
    }
}

void TKeyBinding::MarkBoardKeys(bool mark, int selectedSlot) const
{
    TPult *console = ActiveConsole();
    if (!console || !services.Observer || selectedSlot < 0 || selectedSlot >= BoardCount)
        return;
    const std::uint32_t colour = mark ? BindingColors::Marked : BindingColors::Normal;
    for (int k = 0; k < KeyCount; ++k)
        if (console->Klavesy[k] && console->Klavesy[k]->HWPozicDosky == selectedSlot)
            services.Observer->KeyColour(Console, k, colour);
}

bool TKeyBinding::CanPlaceLine(int slot, int line, const QString &name, int position) const
{
    TCardOld *card = cardOf(slot);
    if (!card || line < 0 || line >= LineCount)
        return false;
    const Byte l = Byte(line);
    if (card->IsRozsirLin(l) && position != 255) {
        const TRLinka *ext = extAt(lineAt(ActiveConsole(), slot, line), position);
        return ext && ext->Klavesa < 255;
    }
    return card->GetTypLinNum(name) < 254;
}

bool TKeyBinding::KeyNameUnique(const QString &name) const
{
    TPult *console = ActiveConsole();
    if (!console)
        return false;
    for (const auto &key : console->Klavesy)
        if (key && key->MenoLinky != NekonfName && key->MenoLinky == name)
            return false;
    return true;
}
