#pragma once

#include <QString>

// How the model tells the main window of warnings and errors; the codes are the
// program log's kinds.
enum class TReportKind { Warning = 0, Error = 1, Information = 2 };

class TReportSink
{
public:
    virtual ~TReportSink() = default;
    virtual void Report(TReportKind kind, const QString &text) = 0;
};
