#pragma once

#include <QString>
#include <QStringList>

class TAPult;

// The boards a project places in its slots against the boards the running
// system reported for the same slots, before anything is written.
namespace dlg
{

struct BoardComparison {
    QStringList differing; // slot names where both name a board and the names differ
    QStringList missing;   // slot names of project boards ("T...") the system does not have
    QStringList trace;     // one "[povodna=..., v systeme=...]" line per differing slot
};

BoardComparison CompareBoards(const TAPult &apult);

} // namespace dlg
