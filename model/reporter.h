#pragma once

#include <QString>

// The model never shows a box itself: warnings and errors go to one reporter,
// which the main window installs (log pane, and a box unless the quiet switch
// is on). Without an installed reporter they go to the Qt message log.
enum class TReportKind { Information, Warning, Error };

class TModelReporter
{
public:
    virtual ~TModelReporter() = default;
    virtual void Report(TReportKind kind, const QString &text) = 0;
};

// Installs the reporter (not owned); nullptr restores the Qt message log.
void SetModelReporter(TModelReporter *reporter);
TModelReporter *ModelReporter();

void ReportInformation(const QString &text);
void ReportWarning(const QString &text);
void ReportError(const QString &text);
