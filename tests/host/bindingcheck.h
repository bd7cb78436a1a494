#pragma once

#include <QStringList>

class TAPult;
class TKlavesa;

// The binding's checks, reached apart from the main window's header (both
// name a BoardSlotCount).
QStringList Faults(const TAPult &config);
bool Configured(const TKlavesa *key);
