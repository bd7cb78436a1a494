#pragma once

#include <QString>
#include <functional>

#include "cardpack/sablona.h"
#include "model/reporter.h"

class TAPult;
class TSystemImage;

// The conversion of a console's image into the configuration over the main
// window's card buttons. Kept apart from the main window's header, whose
// slot-count variable shares a name with the card-set helpers.
struct TFormCards {
    std::function<TCardOld *(int slot)> CardOfSlot;
    std::function<bool(const QString &name, int slot)> CreateCardByName;

    // Where the conversion's messages go: a trace line, a log entry, a box.
    struct Log {
        std::function<void(const QString &)> Trace;
        std::function<void(TReportKind, const QString &)> Entry;
        std::function<void(TReportKind, const QString &)> Box;
    };
    // ImageToModel for `console`.
    bool Convert(TAPult *&config, TSystemImage &image, TZoznam &list, const Log &log, bool quiet,
                 const QString &programPath, int console, bool fromSystem, int &unconfigured);
};
