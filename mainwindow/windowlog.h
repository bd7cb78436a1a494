#pragma once

#include "records/imagetomodel.h"

class TMainForm1;

// Conversion and side-file reports go to the main window's logs and, as
// boxes, through its prompt.
class TWindowLog : public TConversionLog
{
public:
    explicit TWindowLog(TMainForm1 &form) : logForm_(form) {}
    void TraceLine(const QString &line) override;
    void LogEntry(TReportKind kind, const QString &text) override;
    void ShowBox(TReportKind kind, const QString &text) override;

private:
    TMainForm1 &logForm_;
};
