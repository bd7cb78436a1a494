#include "editing/statusrules.h"

#include "editing/mainrules.h"
#include "model/objekty.h"

namespace StatusRules {

QString CanonicalIPv4(const QString &text)
{
    if (!MainRules::IsValidIPAddress(text))
        return QString();
    // Valid means four digit-only parts, the fourth the rest after the third dot.
    QStringList parts;
    QString rest = text;
    for (int i = 0; i < 3; ++i) {
        const int dot = rest.indexOf(u'.');
        parts.append(rest.left(dot));
        rest = rest.mid(dot + 1);
    }
    parts.append(rest);
    // Leading zeros are decimal here; some resolvers would read them as octal.
    QStringList canonical;
    for (const QString &p : parts)
        canonical.append(QString::number(p.toInt()));
    return canonical.join(u'.');
}

bool SameIPv4(const QString &a, const QString &b)
{
    const QString ca = CanonicalIPv4(a);
    return !ca.isEmpty() && ca == CanonicalIPv4(b);
}

TCommandLine ParseArguments(const QStringList &args)
{
    TCommandLine result;
    const int count = int(args.size()) - 1;
    for (int i = 1; i <= count; ++i) {
        // "-nwnp" is accepted and has no effect.
        if (args[i] == QLatin1String("-i") && count >= i + 4) {
            result.HasParams = true;
            const QString address = CanonicalIPv4(args[i + 1]);
            result.Network = !address.isEmpty();
            result.NetParams[0] = result.Network ? address : args[i + 1];
            result.NetParams[1] = args[i + 2];
            result.NetParams[2] = args[i + 3];
        }
    }
    return result;
}

void ResetSlot(TNetSlots &table, int slot)
{
    if (slot >= 0 && slot < NetSlotCount)
        table[size_t(slot)] = TNetSlot{};
}

bool ApplyRelayReply(TNetSlots &table, std::uint32_t code)
{
    auto set = [&](std::initializer_list<int> which, Byte done) {
        for (int s : which) {
            table[size_t(s)].Done = done;
            table[size_t(s)].Code = std::int32_t(code);
        }
        return true;
    };
    switch (code) {
    case 6: return set({1}, 1);
    case 7: return set({1}, 0);
    case 8: return set({2, 4}, 1);
    case 9: return set({2, 4}, 0);
    case 11: return set({3}, 1);
    case 12: return set({3}, 0);
    case 14: return set({1, 4}, 1);
    case 15: return set({1, 4}, 0);
    // The relay's answer to command 9 (the uploaded tables taken): 16 done, 17 refused.
    case 16: return set({8}, 1);
    case 17: return set({8}, 0);
    default: return false;
    }
}

namespace
{

// An answered slot keeps its answer: later events of the session (its
// disconnect, a transfer's informational notes) do not overwrite it.
void fillUnanswered(TNetSlot &slot, Byte done, std::int32_t code)
{
    if (slot.Code != -1)
        return;
    slot.Done = done;
    slot.Code = code;
}

} // namespace

void ApplyFtpStatus(TNetSlots &table, std::int32_t code)
{
    if (code == -1)
        return;
    const Byte ok = code >= 200 && code < 300 ? 1 : 0;
    fillUnanswered(table[FetchSlot], ok, code);
    fillUnanswered(table[UploadSlot], ok, code);
}

void ApplyFtpError(TNetSlots &table, std::int32_t code)
{
    // An error without its own number still answers the wait, as a failure.
    const std::int32_t answer = code == -1 ? 0 : code;
    fillUnanswered(table[FetchSlot], 0, answer);
    fillUnanswered(table[UploadSlot], 0, answer);
}

QString DatagramLogText(int counter, std::uint32_t code, const QString &text)
{
    return QStringLiteral(" Pocet prijatych %1 Sprava typ = %2 Msg = ").arg(QString::number(counter), QString::number(code)) +
           text;
}

QChar TurningMark(Byte index)
{
    static const char marks[] = "-\\|/";
    if (index < 1 || index > 4)
        index = 1;
    return QChar::fromLatin1(marks[index - 1]);
}

Byte NextMarkIndex(Byte index) { return index >= 4 || index < 1 ? 1 : Byte(index + 1); }

QString CommPanelText(const QString &stateText, Byte markIndex) { return stateText + TurningMark(markIndex); }

QString MarkerPanelText(bool flag, const QString &marker)
{
    return flag ? QStringLiteral("  ") + marker + QStringLiteral("  ") : QString();
}

TMenuInputs MenuInputsFrom(const TAPult *config, const TAPult *stored, int activeConsole)
{
    TMenuInputs in;
    in.HasConfig = config != nullptr;
    in.StoredCopy = stored != nullptr;
    in.ActiveConsole = activeConsole;
    if (config)
        for (int n = 0; n < 2; ++n)
            if (const TPult *p = config->Pulty[size_t(n)].get()) {
                in.ConsoleExists[n] = true;
                in.ConsoleType[n] = p->TypPultu;
            }
    return in;
}

TMenuStates MenuStates(const TMenuInputs &in)
{
    TMenuStates out;
    bool anyConsole = false, allConnected = true, anyMechanical = false;
    for (int n = 0; n < 2; ++n) {
        const bool exists = in.HasConfig && in.ConsoleExists[n];
        if (!exists)
            continue;
        anyConsole = true;
        allConnected = allConnected && in.ConsoleType[n] != 0;
        anyMechanical = anyMechanical || in.ConsoleType[n] == 2;
        out.SaveAsPC[n] = in.ConsoleType[n] != 0;
        out.Pult[n] = in.ConsoleType[n] != 0;
        out.PultChecked[n] = in.ActiveConsole == n;
    }
    out.Loaded = in.HasConfig && anyConsole;
    out.Print = out.Loaded && anyMechanical;
    out.CopyConsoles = out.Loaded && allConnected;
    out.CompareStored = out.Loaded && in.StoredCopy;
    return out;
}

int ConsoleNumberFromName(const QString &name)
{
    const int at = name.indexOf(QLatin1String("Pult"));
    if (at < 0)
        return -1;
    bool ok = false;
    const int n = name.mid(at + 4).toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

QString PultHint(Byte type, int n, const QString &text9, const QString &text10)
{
    if (type == 2)
        return QStringLiteral("%1 %2 (%3)").arg(QStringLiteral("Pult"), QString::number(n), text10);
    if (type == 1)
        return QStringLiteral("%1 %2 (%3)").arg(QStringLiteral("Pult"), QString::number(n), text9);
    return QStringLiteral("%1 %2").arg(QStringLiteral("Pult")).arg(n);
}

bool StartActionDue(bool hasConfig, Byte mode, bool startActionRuns, bool waitInProgress)
{
    return !hasConfig && mode == 0 && !startActionRuns && !waitInProgress;
}

namespace {
QString two(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
QString num(int v) { return QString::number(v); }
QString three(int v) { return QStringLiteral("%1").arg(v, 3, 10, QLatin1Char('0')); }
} // namespace

QStringList ConsoleVariableView(const TAPult *config)
{
    QStringList out;
    if (!config)
        return out;
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *p = config->Pulty[size_t(n)].get();
        if (!p) {
            out << QStringLiteral("Pult%1 nie je definovany.").arg(n);
            continue;
        }
        out << QStringLiteral("Pult%1 je typu %2:").arg(n).arg(p->TypPultu);
        for (int s = 0; s < BoardCount; ++s) {
            const TDoska *d = p->Dosky[size_t(s)].get();
            if (!d)
                continue;
            out << QStringLiteral("  %1. doska je typu %2 (%3) s poctom liniek %4")
                       .arg(two(s), d->MenoDosky, num(d->CisloDosky), num(d->PocetLiniek));
            for (int l = 0; l < LineCount; ++l) {
                const TLinka *li = d->Linky[size_t(l)].get();
                if (!li)
                    continue;
                out << QStringLiteral("    %1. linka je %2 (%3) na klavese %4")
                           .arg(two(l), li->MenoLinky, num(li->CisloLinky), num(li->Klavesa));
                for (int r = 0; r < ExtLineCount; ++r) {
                    const TRLinka *rl = li->RLinky[size_t(r)].get();
                    if (!rl || r >= li->PocetRLiniek)
                        continue;
                    out << QStringLiteral("    %1. Rlinka je %2 (%3) na klavese %4")
                               .arg(two(r), rl->MenoRLinky, num(rl->CisloRLinky), num(rl->Klavesa));
                }
            }
        }
    }
    return out;
}

QStringList KeyVariableView(const TAPult *config)
{
    QStringList out;
    if (!config)
        return out;
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *p = config->Pulty[size_t(n)].get();
        if (!p)
            continue;
        out << QStringLiteral("Pult%1:").arg(n);
        for (int k = 0; k < KeyCount; ++k) {
            const TKlavesa *key = p->Klavesy[size_t(k)].get();
            if (!key) {
                out << QStringLiteral("  %1. klavesa nie je definovana.").arg(three(k));
                continue;
            }
            if (key->MenoKlavesy == NekonfName)
                continue;
            // Names are data: one pass of substitution, so a "%1" in a name stays as it is.
            out << QStringLiteral("  %1 MenoKl=%2; HintKl=%3; meno=%4 (%5);\n    HWPozicDosky=%6; PozicLin=%7; "
                                  "PozicRLinky=%8; TypLin=%9; ")
                           .arg(three(k), key->MenoKlavesy, key->HintKlavesy, key->MenoLinky, num(key->TypLinky),
                                num(key->HWPozicDosky), num(key->PozicLinky), num(key->PozicRLinky),
                                num(key->TypLinky)) +
                       QStringLiteral("NumLin=%1; Led=%2; CisloUcast=%3")
                           .arg(num(key->NumLin), num(key->Led), num(key->CisloUcastnika));
        }
    }
    return out;
}

} // namespace StatusRules
