#include "editing/configreport.h"

#include "cardpack/dll_load.h"
#include "cardpack/konstkarty.h"

namespace ConfigReport
{

namespace
{

bool boundToKey(Byte key)
{
    return key < KeyCount;
}

} // namespace

QString ConsoleTypeText(Byte consoleType)
{
    if (consoleType == 1)
        return LoadStrDll(9);
    if (consoleType == 2)
        return LoadStrDll(10);
    return LoadStrDll(7);
}

QStringList ReportLines(const TAPult &cfg)
{
    QStringList out;
    const QString consoleText = LoadStrDll(17);
    const QString boardText = LoadStrDll(18);
    const QString lineText = LoadStrDll(162);
    const QString keyText = LoadStrDll(97);
    const QString extText = LoadStrDll(172);
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *pult = cfg.Pulty[n].get();
        if (!pult)
            continue;
        const QString type = ConsoleTypeText(pult->TypPultu);
        out << consoleText + QString::number(n) + QStringLiteral(" - ") + type + QStringLiteral(" (") +
                   QString::number(pult->TypPultu) + QStringLiteral("):");
        if (pult->TypPultu != 1 && pult->TypPultu != 2)
            continue; // not connected: the heading only
        for (int s = 0; s < BoardCount; ++s) {
            const TDoska *board = pult->Dosky[s].get();
            if (!board)
                continue;
            out << QString(s < 10 ? 2 : 1, u' ') + QString::number(s) + QStringLiteral(". ") + boardText +
                       QStringLiteral(" - ") + board->MenoDosky + QStringLiteral(" (") +
                       QString::number(board->CisloDosky) + u')';
            const int lines = qMin<int>(board->PocetLiniek, LineCount);
            for (int j = 0; j < lines; ++j) {
                const TLinka *line = board->Linky[j].get();
                if (!line)
                    continue;
                if (boundToKey(line->Klavesa))
                    out << QString(5, u' ') + QString::number(j) + QStringLiteral(". ") + lineText + u' ' +
                               line->MenoLinky + QStringLiteral(" (") + QString::number(line->CisloLinky) +
                               QStringLiteral(") - ") + keyText + u' ' + QString::number(line->Klavesa);
                const int exts = qMin<int>(line->PocetRLiniek, ExtLineCount);
                for (int e = 0; e < exts; ++e) {
                    const TRLinka *ext = line->RLinky[e].get();
                    if (!ext || !boundToKey(ext->Klavesa))
                        continue;
                    out << QString(e < 10 ? 9 : 8, u' ') + QString::number(e) + QStringLiteral(". ") +
                               extText + u' ' + ext->MenoRLinky + QStringLiteral(" (") +
                               QString::number(ext->CisloRLinky) + QStringLiteral(") - ") + keyText + u' ' +
                               QString::number(ext->Klavesa);
                }
            }
        }
        for (int i = 0; i < PhoneCount; ++i) {
            const TTelZoznam *entry = pult->TelZoznam[i].get();
            if (!entry || entry->IsEmpty())
                continue;
            out << Int2Str(i, 3) + QStringLiteral(". ") + entry->Meno + QStringLiteral(" [") + entry->Cislo +
                       u']';
        }
        out << QString();
    }
    return out;
}

} // namespace ConfigReport
