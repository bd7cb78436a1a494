#include "mainwindow/windowlog.h"

#include <QPlainTextEdit>

#include "mainwindow/mainform.h"
#include "model/objekty.h"
#include "windows/prompt.h"

void TWindowLog::TraceLine(const QString &line) { logForm_.Memo2->appendPlainText(line); }

void TWindowLog::LogEntry(TReportKind kind, const QString &text)
{
    logForm_.AddLogEntry(TMainForm1::LogKind(kind), text);
}

void TWindowLog::ShowBox(TReportKind kind, const QString &text)
{
    switch (kind) {
    case TReportKind::Error:
        logForm_.Prompt().Error(text);
        break;
    case TReportKind::Warning:
        logForm_.Prompt().Warning(text);
        break;
    default:
        logForm_.Prompt().Information(text);
        break;
    }
}
