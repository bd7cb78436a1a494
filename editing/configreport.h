#pragma once

#include <QString>
#include <QStringList>

#include "model/objekty.h"

// The configuration report as text lines: per console its heading, boards with
// the lines and extended lines bound to keys, and its phone book.
namespace ConfigReport
{

// The heading's type text: language text 9 for type 1, 10 for type 2, 7 otherwise.
QString ConsoleTypeText(Byte consoleType);

// The report of every existing console. Lines and extended lines are listed
// only when bound to a key (0..223): a free line (253) is left out, and the
// extended lines of every line are still walked.
QStringList ReportLines(const TAPult &cfg);

} // namespace ConfigReport
