// Imports of older files: an ACF file for both consoles, an old CFG file per
// console, and a UNI file with the console side files beside it.
#include "mainwindow/mainform.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform_dialogue.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "records/oldimport.h"
#include "records/recordfile.h"
#include "records/sidefiles.h"
#include "windows/novypult.h"
#include "windows/prompt.h"

std::function<int(QDialog &)> TMainForm1::CardTypeDialogExec;

namespace
{

// The open dialog's settings, put back when the import ends.
class TDialogSettings
{
public:
    explicit TDialogSettings(QFileDialog &dialog)
        : dialog_(dialog), suffix_(dialog.defaultSuffix()), filters_(dialog.nameFilters()),
          title_(dialog.windowTitle())
    {
    }
    ~TDialogSettings()
    {
        dialog_.setDefaultSuffix(suffix_);
        dialog_.setNameFilters(filters_);
        dialog_.setWindowTitle(title_);
    }

private:
    QFileDialog &dialog_;
    QString suffix_;
    QStringList filters_;
    QString title_;
};

// One file to open: true with its absolute name when confirmed.
bool ChooseOldFile(QFileDialog &dialog, const QString &suffix, const QString &filter, const QString &title,
                   QString &name)
{
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    dialog.setNameFilters(TMainForm1::NameFilters(filter));
    dialog.setWindowTitle(title);
    name.clear();
    int result = 0;
    if (TMainForm1::FileDialogExec) {
        result = TMainForm1::FileDialogExec(dialog, name);
    } else {
        result = dialog.exec();
        name = result == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
    if (result != QDialog::Accepted || name.trimmed().isEmpty())
        return false;
    if (QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + suffix;
    name = QFileInfo(name).absoluteFilePath();
    return true;
}

// ACF import (isAcf) or CFG import. Every file is read and converted before
// the open project is touched: a file that cannot be imported leaves it as it
// was, with its console windows.
void ImportOldFiles(TMainForm1 &form, bool isAcf)
{
    TDialogue &engine = form.Dialogue();
    if (engine.OperationMode != opmode::Idle)
        return;
    form.MenuClick();
    form.ReclickSelectedCard();
    engine.OperationMode = isAcf ? opmode::ImportAcf : opmode::ImportCfg;
    TDialogSettings settings(*form.OpenDialog1);
    struct TEnd {
        TMainForm1 &form;
        ~TEnd()
        {
            form.AllConsolesClosed = 0;
            form.Dialogue().OperationMode = opmode::Idle;
        }
    } end{form};
    const QString projectBefore = form.ProjectName;
    const auto keepProject = [&] { form.ShowFileInCaption(projectBefore); };

    TImportRequest request;
    request.IsAcf = isAcf;
    std::unique_ptr<TAPult> config;
    form.ShowFileInCaption(LoadStrDll(2));
    if (isAcf) {
        QString name;
        if (!ChooseOldFile(*form.OpenDialog1, QStringLiteral("acf"), QStringLiteral("*.acf|*.acf"),
                           LoadStrDll(200) + QStringLiteral(" ACF ") + LoadStrDll(201), name))
            return keepProject();
        form.ShowFileInCaption(name);
        request.AcfFile = name;
        if (form.AskNewConsoleSetup(false, true, config) == 2)
            return keepProject();
    } else {
        if (form.AskNewConsoleSetup(false, true, config) == 2)
            return keepProject();
    }
    const TConsoleSetup setup = ConsoleSetupOf(*config);
    for (int c = 0; c < ConsoleCount; ++c)
        request.ConsoleTypes[std::size_t(c)] = setup.Typ[std::size_t(c)];
    if (!isAcf) {
        for (int c = 0; c < ConsoleCount; ++c) {
            if (request.ConsoleTypes[std::size_t(c)] == 0)
                continue;
            QString name;
            if (!ChooseOldFile(*form.OpenDialog1, QStringLiteral("cfg"), QStringLiteral("*.cfg|*.cfg|*.cfz|*.cfz"),
                               LoadStrDll(200) + QStringLiteral(" %1. CFG ").arg(c) + LoadStrDll(201), name))
                return keepProject();
            form.ShowFileInCaption(name);
            request.CfgFiles[std::size_t(c)] = name;
        }
    }

    const TCardTypeQuestion ask = [&form](int position, int line, Byte &second) {
        return form.CardTypeDialog(position, line, second);
    };
    TImportSet set;
    QString error;
    if (!PrepareImport(request, isAcf ? form.AcfRecord : form.OldCfgRecord, ask, set, error)) {
        form.ReportError(error);
        return keepProject();
    }

    // A save prompt answered with Cancel keeps the project open.
    if (!form.CloseAllConsoles())
        return keepProject();
    form.AllConsolesClosed = 1;
    form.InstallConfiguration(std::move(config));

    bool loaded = false;
    {
        const TImportFolder folder;
        if (!folder.IsValid()) {
            form.ReportError(recordfile::FileMessage(folder.Path(),
                                                     LoadStrDll(284) + QLatin1Char(' ') + folder.ErrorString()));
        } else {
            QStringList errors;
            const QString uni = WriteTempPultFiles(folder, set, errors);
            for (const QString &e : errors)
                form.ReportError(e);
            loaded = !uni.isEmpty() && form.LoadUniConfig(uni);
        }
    } // the temporary side files go with their folder, whatever happened
    if (loaded) {
        // The project has no file yet: the next save asks for its name.
        form.ProjectName = LoadStrDll(2);
        form.SaveFileName.clear();
        form.NewProjectFlag = 1;
        form.ModifiedFlag = 1;
        form.ShowFileInCaption(form.ProjectName);
    } else {
        form.FreeCardButtons();
        form.FreeConfiguration();
        form.ProjectName.clear();
        form.SaveFileName.clear();
        form.ShowFileInCaption(QString());
    }
}

} // namespace

void TMainForm1::KonverziaACFClick() { ImportOldFiles(*this, true); }

void TMainForm1::KonverziaCFGClick() { ImportOldFiles(*this, false); }

void TMainForm1::readcfg1Click()
{
    if (Dialogue().OperationMode != opmode::Idle)
        return;
    ReclickSelectedCard();
    const bool loaded = LoadUniConfig(QString());
    AllConsolesClosed = 0;
    if (loaded) {
        // Named after its UNI file as a project: a save must not write the
        // project text over the UNI file.
        if (QFileInfo(ProjectName).suffix().compare(QLatin1String("uni"), Qt::CaseInsensitive) == 0)
            ProjectName = WithoutExtension(ProjectName) + QStringLiteral(".orv");
        SaveFileName.clear();
        ModifiedFlag = 1;
    } else if (!APult) {
        ProjectName.clear();
        SaveFileName.clear();
    }
    ShowFileInCaption(ProjectName);
}

bool TMainForm1::LoadUniConfig(const QString &fileName)
{
    return Dialogue().LoadUniConfig(fileName);
}

Byte TMainForm1::CardTypeDialog(int boardPosition, int linePosition, Byte &second)
{
    second = 255;
    QString className;
    for (const QString &name : {QStringLiteral("T4W2Card"), QStringLiteral("T4W2")})
        if (className.isEmpty() && Registry::IsRegistered(name))
            className = name;
    if (className.isEmpty())
        return 255;
    std::unique_ptr<TCardOld> card = Registry::CreateCard(className);
    if (!card || card->TypLinCount() == 0)
        return 255;

    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CardTypeDialog"));
    dialog.setWindowTitle(card->GetCardName());
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(LoadStrDll(322) + QLatin1Char(' ') + LinePosName(boardPosition) +
                                     QStringLiteral(" (%1)").arg(linePosition),
                                 &dialog));
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    QButtonGroup *groups[2] = {new QButtonGroup(&dialog), new QButtonGroup(&dialog)};
    for (int g = 0; g < 2; ++g) {
        auto *box = new QGroupBox(&dialog);
        box->setObjectName(QStringLiteral("CardTypeGroup%1").arg(g + 1));
        auto *column = new QVBoxLayout(box);
        for (int i = 0; i < card->TypLinCount(); ++i) {
            Byte code = 0;
            const QString name = card->GetTypLinName(Byte(i), code);
            auto *radio = new QRadioButton(
                QString::number(i) + QStringLiteral(". ") + name + QStringLiteral(": ") + card->GetHelpLin(Byte(i)),
                box);
            radio->setChecked(i == 0);
            groups[g]->addButton(radio, i);
            column->addWidget(radio);
        }
        row->addWidget(box);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    const int result = CardTypeDialogExec ? CardTypeDialogExec(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return 255;
    second = Byte(groups[1]->checkedId());
    return Byte(groups[0]->checkedId());
}
