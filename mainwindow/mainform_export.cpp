// The export of the configuration to a .cfn file.
#include "mainwindow/mainform.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "model/export.h"
#include "windows/prompt.h"

std::function<int(QFileDialog &)> TMainForm1::ExportDialogExec;

namespace
{

// The dialog's own settings, put back once the export has its file.
struct DialogSettings {
    QString suffix;
    QStringList filters;
    QString filter;
    QString fileName;
};

DialogSettings settingsOf(const QFileDialog &dialog)
{
    DialogSettings s{dialog.defaultSuffix(), dialog.nameFilters(), dialog.selectedNameFilter(), QString()};
    // With no name typed the dialog reports its folder; that is no file name.
    const QString first = dialog.selectedFiles().value(0);
    if (!first.isEmpty() && !QFileInfo(first).isDir())
        s.fileName = first;
    return s;
}

// selectFile ignores an empty name; an empty name clears the name field.
void setFileName(QFileDialog &dialog, const QString &name)
{
    if (!name.isEmpty()) {
        dialog.selectFile(name);
        return;
    }
    if (auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->clear();
}

void restore(QFileDialog &dialog, const DialogSettings &s)
{
    dialog.setDefaultSuffix(s.suffix);
    dialog.setNameFilters(s.filters);
    if (!s.filter.isEmpty())
        dialog.selectNameFilter(s.filter);
    setFileName(dialog, s.fileName);
}

// The file the dialog's answer names, with ".cfn" when it has no extension.
// The dialog adds it itself only when no folder of that name exists, and
// looks for one in the working folder; with no name typed it answers its
// own folder, which names no file.
QString typedFileName(const QString &selected, const QString &folder)
{
    if (selected.isEmpty())
        return {};
    const QString name = QDir(folder).absoluteFilePath(selected);
    if (QDir(name) == QDir(folder))
        return {};
    if (QFileInfo(name).fileName().contains(u'.'))
        return name;
    return name + QLatin1Char('.') + ExportDefaultSuffix;
}

} // namespace

void TMainForm1::SaveNew1Click()
{
    if (!APult)
        return;

    QFileDialog &dialog = *SaveDialog1;
    const DialogSettings before = settingsOf(dialog);
    dialog.setDefaultSuffix(ExportDefaultSuffix);
    dialog.setNameFilters({ExportNameFilter});
    dialog.selectNameFilter(ExportNameFilter);
    setFileName(dialog, ExportProposedFileName(ProjectName));
    const int answer = ExportDialogExec ? ExportDialogExec(dialog) : dialog.exec();
    const QString fileName = typedFileName(dialog.selectedFiles().value(0), dialog.directory().absolutePath());
    restore(dialog, before);
    // The dialog's event loop may have seen the configuration go.
    if (answer != QDialog::Accepted || fileName.isEmpty() || !APult)
        return;

    const TExportResult result = RunExportCommand(
        *APult, fileName, [this](int slot) { return IsBoardSlotValid(slot); },
        [this](const QString &question) {
            // Unattended, nobody answers: the failure is logged and the command gives up.
            if (Quiet())
                return false;
            return Prompt().Ask(TPrompt::Kind::Error, question, TPrompt::YesNo) == TPrompt::Yes;
        });
    if (!result.Ok)
        AddLogEntry(LogKind(TReportKind::Error), result.ErrorText);
}
