#pragma once

#include <QString>
#include <QStringList>

#include "model/objekty.h"

// Comparing the current configuration ("Orig") with a stored one ("Save"),
// and merging the stored one in.
//
// Report entries are texts that may hold CR LF inside. Conflicts go to the
// report as they are found; what merging takes over (or would take over)
// follows at the end after an empty line, the title "--== " + text 212 +
// " ==--" and another empty line. A merge that stops at a conflict of the
// header, slots, boards, lines or extended lines leaves only its conflict
// entries.

// Adds Line to List when there is a list.
void AppendReportLine(QStringList *List, const QString &Line);

// Key comparison of Key (the current key or its working copy) with the stored
// key of the same index. True when the keys agree, when Save is unconfigured
// or when Key is unconfigured and can take Save; Text then holds an entry for
// a key that differs. In merge mode a true result makes Key a copy of Save.
bool CompareReport(TKlavesa &Key, Byte Index, const TKlavesa &Save, bool Merge, QString &Text);

// True when no conflict was found; in merge mode, when the merge was carried
// out. KeysPerScreen1 and KeysPerScreen2 are the keys on one screen of a
// console of type 1 and of type 2.
//
// Comparing never changes Orig, not even by creating empty objects. A merge is
// worked out on a copy and only then written into Orig, into the objects Orig
// already has, so a merge that fails leaves Orig as it was. A merge that would
// leave a line bound to a key that names another line (or a key naming a line
// that is bound elsewhere) is refused; compare reports the same entries. Each
// such entry is the one of the key, line or extended line concerned, in the
// bracket form. Changed (when given) tells whether the merge changed Orig.
bool CompareWith(TAPult &Orig, const TAPult &Save, int KeysPerScreen2, int KeysPerScreen1, bool Merge,
                 QStringList *Report, bool *Changed = nullptr);

// A copy of every field of Source, every object in every place included.
std::unique_ptr<TAPult> CloneConfiguration(const TAPult &Source);
