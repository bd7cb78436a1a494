// The project commands: New, Open, Save, the named open of the command line
// and of a second copy, the new-console dialog and the save step.
#include "mainwindow/mainform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/windowlog.h"
#include "model/objekty.h"
#include "records/recordfile.h"
#include "records/sidefiles.h"
#include "records/unitable.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"

std::function<int(QFileDialog &, QString &)> TMainForm1::FileDialogExec;

namespace
{

const QString ProjectExtension = QStringLiteral("orv");

bool AnyConsole(const TAPult *config)
{
    if (!config)
        return false;
    for (const auto &console : config->Pulty)
        if (console)
            return true;
    return false;
}

// A text of the file commands: "File "name" <reason text> <detail>".
QString FileText(const QString &name, int reason, const QString &detail)
{
    return recordfile::FileMessage(name, detail.isEmpty() ? LoadStrDll(reason)
                                                          : LoadStrDll(reason) + QLatin1Char(' ') + detail);
}


// A project name that names a file to write: not empty and not the new-project text.
bool NamesAFile(const QString &name)
{
    return !name.isEmpty() && name != LoadStrDll(2);
}

// The save dialog for the project: default extension "orv", the current name proposed.
bool AskProjectName(TMainForm1 &form, QString &name)
{
    QFileDialog &dialog = *form.SaveDialog1;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(ProjectExtension);
    dialog.setNameFilters(TMainForm1::NameFilters(QStringLiteral("*.orv|*.orv")));
    const QFileInfo current(name);
    if (current.isAbsolute() && current.dir().exists())
        dialog.setDirectory(current.dir());
    if (!name.isEmpty())
        dialog.selectFile(name);
    return TMainForm1::RunFileDialog(dialog, name);
}

// Common start of New, Open and the named open: the menus, the pressed board
// button, the mode, and every console window closed. False (mode back to 0)
// when the command cannot go on.
bool StartProjectCommand(TMainForm1 &form, Byte mode)
{
    TDialogue &engine = form.Dialogue();
    if (engine.OperationMode != opmode::Idle)
        return false;
    form.MenuClick();
    form.ReclickSelectedCard();
    engine.OperationMode = mode;
    TMainForm1::TCloseRound round(form);
    if (!form.CloseAllConsoles()) {
        engine.OperationMode = opmode::Idle;
        return false;
    }
    form.AllConsolesClosed = 1;
    return true;
}

} // namespace

bool TMainForm1::RunFileDialog(QFileDialog &dialog, QString &name)
{
    int result = 0;
    if (FileDialogExec) {
        result = FileDialogExec(dialog, name);
    } else {
        result = dialog.exec();
        name = result == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
    if (result != QDialog::Accepted || name.trimmed().isEmpty())
        return false;
    const QFileInfo info(name);
    if (info.suffix().isEmpty() && !dialog.defaultSuffix().isEmpty())
        name += QLatin1Char('.') + dialog.defaultSuffix();
    name = QFileInfo(name).absoluteFilePath();
    return true;
}

void TMainForm1::ReportError(const QString &text)
{
    AddLogEntry(1, text);
    if (!Quiet())
        Prompt().Error(text);
}

QStringList TMainForm1::NameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return filters;
}

// ---- New ------------------------------------------------------------------------------------

void TMainForm1::New1Click()
{
    if (!StartProjectCommand(*this, opmode::NewProject))
        return;
    TDialogue &engine = Dialogue();
    struct TEnd {
        TMainForm1 &form;
        ~TEnd()
        {
            form.Dialogue().OperationMode = opmode::Idle;
            form.AllConsolesClosed = 0;
        }
    } end{*this};

    ProjectName = LoadStrDll(2);
    ShowFileInCaption(ProjectName);
    if (DoSystemu)
        DoSystemu->setEnabled(false);

    const int answer = RunNewConsoleDialog(true, true);
    if (answer == 2) {
        ProjectName.clear();
        ShowFileInCaption(QString());
        return;
    }
    if (answer == 0) {
        if (FTPCL) {
            ReadBoardsByNet(false, true);
        } else {
            // The boards-only read runs as its own operation and ends in mode 0.
            engine.OperationMode = opmode::Idle;
            engine.SetComNumber(PortNumber);
            engine.DoskySBClick();
        }
        while (!(engine.ktKrok == 0 && engine.Kom == 0 &&
                 (engine.OperationMode == opmode::Idle || engine.OperationMode == opmode::NewProject)))
            Delay(50);
    }
    if (AnyConsole(APult)) {
        SaveFileName.clear();
        Nove(QStringLiteral("Pult"), LoadStrDll(18), false, APult);
        NewProjectFlag = 1;
        ModifiedFlag = 1;
    } else {
        FreeConfiguration();
    }
}

int TMainForm1::RunNewConsoleDialog(bool showFirst, bool showSecond)
{
    std::unique_ptr<TAPult> config;
    const int result = AskNewConsoleSetup(showFirst, showSecond, config);
    if (result != 2)
        InstallConfiguration(std::move(config));
    return result;
}

int TMainForm1::AskNewConsoleSetup(bool showFirst, bool showSecond, std::unique_ptr<TAPult> &config)
{
    TZoznam *list = Zoznam.get();
    const Byte type = list ? list->GetType() : 0;
    const int pc = list ? list->XKey(1) * list->YKey(1) : KeysPerScreenPC;
    const int mech = list ? list->XKey(2) * list->YKey(2) : KeysPerScreenMech;
    TConsoleSetup setup;
    for (int n = 0; n < ConsoleCount; ++n) {
        setup.Typ[std::size_t(n)] = PultTyp[n];
        setup.Obrazovky[std::size_t(n)] = PultScreens[n];
    }
    const bool quiet = Quiet();
    if (quiet) {
        setup.Typ[0] = 2;
        setup.Obrazovky[0] = 1;
    }
    TNovyPult dialog(this, pc, mech, type == 4, (type & 2) != 0, setup);
    dialog.ApplyButtonFlags(showFirst, showSecond);
    int result = 0;
    if (quiet) {
        dialog.NacitanieClick();
        result = NovyPultRead;
    } else {
        TFormDialogue &side = DialogueSide();
        result = side.NovyPultExec ? side.NovyPultExec(dialog) : dialog.exec();
    }
    if (result != NovyPultRead && result != NovyPultNoRead)
        return 2;
    config = dialog.TakeConfiguration();
    if (!config)
        return 2;
    return result == NovyPultNoRead ? 1 : 0;
}

void TMainForm1::InstallConfiguration(std::unique_ptr<TAPult> config)
{
    if (!config)
        return;
    FreeConfiguration();
    APult = config.release();
    TakeConsoleSetup();
}

void TMainForm1::TakeConsoleSetup()
{
    const TConsoleSetup setup = ConsoleSetupOf(*APult);
    for (int n = 0; n < ConsoleCount; ++n) {
        PultTyp[n] = setup.Typ[std::size_t(n)];
        PultScreens[n] = setup.Obrazovky[std::size_t(n)];
        SystemImage.ConsoleType(n) = PultTyp[n];
        SystemImage.ScreenCount(n) = PultScreens[n];
    }
}

// ---- Open -----------------------------------------------------------------------------------

void TMainForm1::Open1Click()
{
    const QString current = ProjectName;
    if (!StartProjectCommand(*this, opmode::OpenProject))
        return;
    QFileDialog &dialog = *OpenDialog1;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(ProjectExtension);
    dialog.setNameFilters(TMainForm1::NameFilters(QStringLiteral("*.orv|*.orv|*.bak|*.bak")));
    const QFileInfo info(current);
    if (info.isAbsolute() && info.dir().exists())
        dialog.setDirectory(info.dir());
    QString name;
    if (RunFileDialog(dialog, name)) {
        ShowFileInCaption(name);
        OpenProjectFile(name);
        StatusBar1->SetText(0, QString());
    }
    Dialogue().OperationMode = opmode::Idle;
    AllConsolesClosed = 0;
}

bool TMainForm1::OpenProjectByName(const QString &name)
{
    if (!StartProjectCommand(*this, opmode::OpenProject))
        return false;
    // Closed windows go away with the next turns of the event loop.
    auto anyOpen = [this] {
        for (QMdiSubWindow *w : MdiArea->subWindowList())
            if (qobject_cast<TMDIChild *>(w) && !w->isHidden())
                return true;
        return false;
    };
    for (int i = 0; i < 300 && anyOpen(); ++i)
        Delay(100);
    bool opened = false;
    if (!anyOpen()) {
        ShowFileInCaption(name);
        opened = OpenProjectFile(name);
        StatusBar1->SetText(0, QString());
    }
    Dialogue().OperationMode = opmode::Idle;
    AllConsolesClosed = 0;
    return opened;
}

bool TMainForm1::OpenProjectFile(const QString &name)
{
    NewProjectFlag = 0;
    ProjectName = name;
    SaveFileName = name;
    ShowFileInCaption(name);

    TDialogue &engine = Dialogue();
    while (engine.OperationMode != opmode::Idle && engine.OperationMode != opmode::OpenProject)
        Delay(50);
    engine.OperationMode = opmode::OpenProject;

    FreeConfiguration();
    APult = new TAPult(QCoreApplication::applicationFilePath());
    int result = 1;
    try {
        result = APult->LoadFromFile(name);
    } catch (const EFileError &e) {
        const QString text = FileText(name, 283, e.Reason);
        ReportError(text);
    } catch (const std::exception &e) {
        const QString text = FileText(name, 283, QString::fromLocal8Bit(e.what()));
        ReportError(text);
    }
    if (Zoznam)
        APult->TypNumlinov = Zoznam->TypNumlin();
    if (result == 1) {
        // Nothing of the file is kept, not even its name: a save then asks
        // for one instead of writing the empty configuration over the file.
        delete APult;
        APult = new TAPult(QCoreApplication::applicationFilePath());
        ProjectName.clear();
        SaveFileName.clear();
        ShowFileInCaption(QString());
        return false;
    }

    ModifiedFlag = 0;
    TWindowLog log(*this);
    const bool hintsChanged =
        TakeSideFileHints(*APult, name, PcRecord, log, Quiet(), [this](int console, const TPcRecord &record) {
            return TakeKeyNamesFromPcRecord(record, console);
        });
    TakeConsoleSetup();
    ModifiedFlag = hintsChanged ? 1 : 0;

    BuildUniTable(APult, SystemImage, Zoznam.get());
    const bool opened = Nove(QStringLiteral("Pult"), LoadStrDll(18), result == 2, APult);
    // Hints taken from the side files are changes of the project, unless the
    // upgraded file was saved with them already.
    ModifiedFlag = hintsChanged && ModifiedFlag ? 1 : 0;
    return opened;
}

// ---- Save -----------------------------------------------------------------------------------

void TMainForm1::Save1Click(bool fromMenu)
{
    if (Dialogue().OperationMode != opmode::Idle || !APult)
        return;
    MenuClick();
    ReclickSelectedCard();
    bool go = true;
    // A project that has no file yet is named first, whichever way the save came.
    if (fromMenu || NewProjectFlag || !NamesAFile(ProjectName)) {
        QString name = ProjectName;
        go = AskProjectName(*this, name);
        if (go)
            ProjectName = name;
    }
    if (!go) {
        AllConsolesClosed = 0;
        return;
    }
    ShowFileInCaption(ProjectName);
    SaveFileName = ProjectName;
    Save2FileOrv();
}

bool TMainForm1::Save2FileOrv()
{
    if (!APult)
        return false;
    TDialogue &engine = Dialogue();
    const Byte mode = engine.OperationMode;
    engine.OperationMode = opmode::SaveProject;
    struct TRestore {
        TDialogue &engine;
        Byte mode;
        ~TRestore() { engine.OperationMode = mode; }
    } restore{engine, mode};

    // The name kept from an earlier project belongs to that project's file:
    // a configuration that came since (a read, a new project) is named anew.
    if (SaveFileName != ProjectName)
        SaveFileName.clear();
    if (SaveFileName.isEmpty()) {
        QString name = ProjectName;
        if (!AskProjectName(*this, name)) {
            AllConsolesClosed = 0;
            return false;
        }
        ProjectName = SaveFileName = name;
        ShowFileInCaption(name);
    }

    BuildUniTable(APult, SystemImage, Zoznam.get());
    try {
        APult->SaveToFile(SaveFileName);
    } catch (const EFileError &e) {
        const QString text = FileText(SaveFileName, 284, e.Reason);
        ReportError(text);
        return false;
    } catch (const std::exception &e) {
        const QString text = FileText(SaveFileName, 284, QString::fromLocal8Bit(e.what()));
        ReportError(text);
        return false;
    }
    StatusBar1->SetText(0, QString());
    ModifiedFlag = 0;
    NewProjectFlag = 0;
    return true;
}

void TMainForm1::SaveForWrite(int choice)
{
    // "Save" keeps the project's file; "Save as..." always asks for a name.
    if (choice == 1)
        Save2FileOrv();
    else if (choice == 4)
        Save1Click(true);
}
