#pragma once

#include <QChar>
#include <QList>
#include <QString>

#include "model/objekty.h"

// The phone-book dialog's rules without the window: the rows it shows, their
// order, the number filter, unique names and writing the rows back.
namespace PhoneBook
{

// One grid row: key = name, value = number.
struct TRow {
    QString Name;
    QString Number;
    bool operator==(const TRow &) const = default;
};

// A row goes into the phone book only with both a name and a number.
bool IsComplete(const TRow &Row);

// One row per existing entry 0..255 of the console, in entry order.
QList<TRow> RowsOf(const TPult &Console);

// Ascending by name, then by number; letters compare without regard to case
// (ties broken with it, so the order is total).
bool RowLess(const TRow &A, const TRow &B);
void SortRows(QList<TRow> &Rows);

// The characters the number column takes: control characters (backspace,
// Enter, Escape), "#", "*", ".", the digits, "p" and "t".
bool NumberCharAccepted(QChar C);
// Every character of a typed or pasted text is accepted.
bool NumberTextAccepted(const QString &Text);

// The row whose name equals Name without regard to case, other than Except; -1 none.
int FindName(const QList<TRow> &Rows, const QString &Name, int Except);

// A name given to row Row: when another row has it, characters are taken off
// its end until no other row has it or it is empty.
struct TUniqueName {
    QString Name;       // the name to store
    int Duplicate = -1; // the row that had the name first; -1 when it was free
};
TUniqueName UniqueName(const QList<TRow> &Rows, int Row, const QString &Name);

struct TWriteResult {
    bool Modified = false; // an entry was created, changed or removed
    int Written = 0;       // complete rows stored
    int Dropped = 0;       // complete rows beyond the 256 places
};

// The rows written back as a compact, sorted phone book: sorted, incomplete
// rows skipped, then the complete rows into entries 0, 1, ... (at most 256);
// every entry after the last one filled is freed. Incomplete rows are skipped
// before the limit is applied, so they never take a complete row's place.
TWriteResult WriteRows(TPult &Console, QList<TRow> Rows);

} // namespace PhoneBook
