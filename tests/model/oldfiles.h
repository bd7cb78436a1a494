#pragma once

#include <QByteArray>
#include <QString>

#include "model/objekty.h"

// Project files of older layouts, made from the current text of a configuration.
// Version is the header's version text ("1.0" writes no header at all).
// oldNames puts back the old card and board names, the short position names
// and doubled key-line prefixes that the reader converts.
QByteArray OldProjectText(const TAPult &cfg, const QString &version, bool oldNames);

// What the reader makes of the configuration when it reads that layout:
// the fields the layout lacks at their presets.
void StripToVersion(TAPult &cfg, const QString &version);
