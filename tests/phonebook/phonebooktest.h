#pragma once

// Shared helpers of the phone-book tests: consoles with a given phone book and
// a readable dump of it.
#include <QString>
#include <QStringList>
#include <memory>

#include "model/objekty.h"

namespace phonebooktest
{

// "name=number" per existing entry, "-" for an empty place (trailing empty places left out).
inline QStringList Dump(const TPult &console)
{
    QStringList out;
    for (const auto &entry : console.TelZoznam)
        out << (entry ? entry->Meno + u'=' + entry->Cislo : QStringLiteral("-"));
    while (!out.isEmpty() && out.last() == QLatin1String("-"))
        out.removeLast();
    return out;
}

// Entries from "name=number" items; "-" leaves the place free.
inline void Fill(TPult &console, const QStringList &entries)
{
    for (auto &entry : console.TelZoznam)
        entry.reset();
    for (int i = 0; i < entries.size() && i < PhoneCount; ++i) {
        if (entries[i] == QLatin1String("-"))
            continue;
        const qsizetype eq = entries[i].indexOf(u'=');
        auto entry = std::make_unique<TTelZoznam>();
        entry->Meno = entries[i].left(eq);
        entry->Cislo = eq < 0 ? QString() : entries[i].mid(eq + 1);
        console.TelZoznam[std::size_t(i)] = std::move(entry);
    }
}

// n entries "Name000=1000", "Name001=1001", ... (already in sorted order).
inline QStringList Numbered(int n, int from = 0)
{
    QStringList out;
    for (int i = from; i < from + n; ++i)
        out << QStringLiteral("Name%1=%2").arg(i, 3, 10, QChar(u'0')).arg(1000 + i);
    return out;
}

} // namespace phonebooktest
