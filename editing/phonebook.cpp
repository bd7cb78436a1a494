#include "editing/phonebook.h"

#include <algorithm>

namespace PhoneBook
{

namespace
{

int compareText(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded : QString::compare(a, b, Qt::CaseSensitive);
}

} // namespace

bool IsComplete(const TRow &Row)
{
    return !Row.Name.isEmpty() && !Row.Number.isEmpty();
}

QList<TRow> RowsOf(const TPult &Console)
{
    QList<TRow> rows;
    for (const auto &entry : Console.TelZoznam)
        if (entry)
            rows.append({entry->Meno, entry->Cislo});
    return rows;
}

bool RowLess(const TRow &A, const TRow &B)
{
    const int byName = compareText(A.Name, B.Name);
    if (byName != 0)
        return byName < 0;
    return compareText(A.Number, B.Number) < 0;
}

void SortRows(QList<TRow> &Rows)
{
    std::stable_sort(Rows.begin(), Rows.end(), RowLess);
}

bool NumberCharAccepted(QChar C)
{
    if (C.unicode() < 0x20 || C.unicode() == 0x7F)
        return true;
    if (C >= u'0' && C <= u'9')
        return true;
    return C == u'#' || C == u'*' || C == u'.' || C == u'p' || C == u't';
}

bool NumberTextAccepted(const QString &Text)
{
    return std::all_of(Text.cbegin(), Text.cend(), NumberCharAccepted);
}

int FindName(const QList<TRow> &Rows, const QString &Name, int Except)
{
    for (int i = 0; i < Rows.size(); ++i)
        if (i != Except && QString::compare(Rows[i].Name, Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TUniqueName UniqueName(const QList<TRow> &Rows, int Row, const QString &Name)
{
    TUniqueName result;
    result.Name = Name;
    if (Name.isEmpty())
        return result;
    result.Duplicate = FindName(Rows, Name, Row);
    if (result.Duplicate < 0)
        return result;
    while (!result.Name.isEmpty() && FindName(Rows, result.Name, Row) >= 0)
        result.Name.chop(1);
    return result;
}

TWriteResult WriteRows(TPult &Console, QList<TRow> Rows)
{
    SortRows(Rows);
    TWriteResult result;
    int k = 0;
    for (const TRow &row : Rows) {
        if (!IsComplete(row))
            continue;
        if (k >= PhoneCount) {
            ++result.Dropped;
            continue;
        }
        auto &entry = Console.TelZoznam[std::size_t(k)];
        if (!entry) {
            entry = std::make_unique<TTelZoznam>();
            result.Modified = true;
        }
        if (entry->Meno != row.Name || entry->Cislo != row.Number) {
            entry->Meno = row.Name;
            entry->Cislo = row.Number;
            result.Modified = true;
        }
        ++k;
    }
    result.Written = k;
    for (int i = k; i < PhoneCount; ++i) {
        auto &entry = Console.TelZoznam[std::size_t(i)];
        if (entry) {
            entry.reset();
            result.Modified = true;
        }
    }
    return result;
}

} // namespace PhoneBook
