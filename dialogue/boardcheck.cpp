#include "dialogue/boardcheck.h"

#include "model/conversions.h"
#include "model/objekty.h"

namespace dlg
{

BoardComparison CompareBoards(const TAPult &apult)
{
    BoardComparison result;
    for (int slot = 0; slot < BoardCount; ++slot) {
        const TSlotEntry &project = apult.SlotyDosiek[slot];
        const TSlotEntry &system = apult.DoskySystemu[slot];
        if (project.Meno.isEmpty())
            continue;
        if (system.Meno.isEmpty()) {
            if (project.Meno.startsWith(QLatin1Char('T')))
                result.missing << LinePosName(slot);
        } else if (project.Meno != system.Meno) {
            result.differing << LinePosName(slot);
            result.trace << LinePosName(slot) + QStringLiteral("[povodna=") + project.Meno
                                + QStringLiteral(", v systeme=") + system.Meno + QStringLiteral("=$")
                                + QStringLiteral("%1").arg(system.Kod, 2, 16, QLatin1Char('0')).toUpper()
                                + QLatin1Char(']');
        }
    }
    return result;
}

} // namespace dlg
