#include "model/reporter.h"

#include <QtGlobal>

namespace {

class LogReporter : public TModelReporter
{
public:
    void Report(TReportKind kind, const QString &text) override
    {
        switch (kind) {
        case TReportKind::Information:
            qInfo("%s", qUtf8Printable(text));
            break;
        case TReportKind::Warning:
            qWarning("%s", qUtf8Printable(text));
            break;
        case TReportKind::Error:
            qCritical("%s", qUtf8Printable(text));
            break;
        }
    }
};

LogReporter logReporter;
TModelReporter *installed = nullptr;

} // namespace

void SetModelReporter(TModelReporter *reporter) { installed = reporter; }

TModelReporter *ModelReporter() { return installed ? installed : &logReporter; }

void ReportInformation(const QString &text) { ModelReporter()->Report(TReportKind::Information, text); }
void ReportWarning(const QString &text) { ModelReporter()->Report(TReportKind::Warning, text); }
void ReportError(const QString &text) { ModelReporter()->Report(TReportKind::Error, text); }
