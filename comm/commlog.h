#pragma once

#include <QString>
#include <functional>

// Kinds of log entries the links hand to whoever routes them (the main window's
// program log uses the words "Information", "WARNING" and "ERROR").
enum class TLogKind { Information = 0, Warning = 1, Error = 2 };

// A log sink for objects that are not QObjects; may be called from any thread.
using TLogHook = std::function<void(TLogKind kind, const QString &text)>;
