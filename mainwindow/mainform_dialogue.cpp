// The device dialogue wired into the main window: Read from system over the
// serial port, the answers from the window's port, the watchdog, the logs, and
// at the end the configuration with its console windows.
#include "mainwindow/mainform_dialogue.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "comm/com_orva.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/windowlog.h"
#include "model/objekty.h"
#include "records/formcards.h"
#include "records/modeltoimage.h"
#include "records/sidefiles.h"
#include "windows/consoleopen.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/nastav.h"
#include "windows/prompt.h"
#include "windows/ulozitprojekt.h"

// ---- the side files of PC consoles ----------------------------------------------------------------

// What the side-file routines need of the main window: its configuration,
// image, record buffers, cards, logs and the open dialog.
class TFormDialogue::SideFiles : public TSideFileHost, public TWindowLog, public TCardSlots
{
public:
    // name: the file the side files are named after; the load may change it.
    SideFiles(TFormDialogue &side, TMainForm1 &form, QString &name)
        : TWindowLog(form), context{TConfigPlace(form.APult),
                  form.SystemImage,
                  form.PcRecord,
                  form.UniRecord,
                  *form.Zoznam,
                  *this,
                  *this,
                  *this,
                  name,
                  form.Quiet(),
                  QCoreApplication::applicationFilePath()},
          side_(side), form_(form)
    {
    }

    bool ChooseFile(const QString &title, const QString &defaultExtension, const QString &filter,
                    QString &fileName) override
    {
        return side_.ChooseSideFile(title, defaultExtension, filter, fileName);
    }
    void SetInterfaceLocked(bool locked) override
    {
        if (locked)
            side_.Engine().LockUserInterface();
        else
            side_.Engine().UnlockUserInterface();
    }

    TCardOld *CardOfSlot(int slot) override { return form_.CardOfSlot(slot); }
    bool CreateCardByName(const QString &name, int slot) override
    {
        return form_.CreateCardByName(name, slot);
    }

    TSideFileContext context;

private:
    TFormDialogue &side_;
    TMainForm1 &form_;
};

// ---- the window's side of the engine --------------------------------------------------------

class TFormDialogue::Host : public TDialogueHost
{
public:
    Host(TFormDialogue &side, TMainForm1 &form) : side_(side), form_(form) {}

    TAPult *Model() override { return form_.APult; }
    TAPult &CreateModel() override
    {
        delete form_.APult;
        form_.APult = new TAPult(QCoreApplication::applicationFilePath());
        return *form_.APult;
    }
    void FreeModel() override
    {
        form_.FreeCardButtons();
        TMainForm1::FreeConsole(form_.APult, 1);
        TMainForm1::FreeConsole(form_.APult, 0);
        delete form_.APult;
        form_.APult = nullptr;
    }
    TSystemImage &Image() override { return form_.SystemImage; }
    TZoznam *BoardList() override { return form_.Zoznam.get(); }
    bool CreateCardByName(const QString &name, int slot) override
    {
        if (name == QLatin1String("TZOZ")) {
            form_.Zoznam = Registry::CreateBoardList(name);
            return form_.Zoznam != nullptr;
        }
        return form_.CreateCardByName(name, slot);
    }
    TCardOld *Card(int slot) override { return form_.CardOfSlot(slot); }
    bool IsBoardSlotValid(int slot) override { return form_.IsBoardSlotValid(slot); }
    void FreeCardButtons() override { form_.FreeCardButtons(); }
    Byte CardLineTypeNumber(int slot, int line) override { return form_.CardLineTypeNumber(slot, line); }
    bool LoadPcPultFile(bool &asked, bool &failed, int console, bool fromSystem, QString &rejectedBoards,
                        int &unconfiguredCount) override
    {
        if (!form_.Zoznam) {
            failed = true;
            form_.AddLogEntry(
                1, QStringLiteral("PC console %1: no board-type list to read its side file").arg(console));
            return true;
        }
        // The file chosen in the dialog names the side files of this read
        // only: the read makes a new project, which its first save names.
        if (!asked)
            sideFileName_ = side_.SideFileProposal();
        SideFiles files(side_, form_, sideFileName_);
        return ::LoadPcPultFile(files.context, asked, failed, console, fromSystem, rejectedBoards,
                                unconfiguredCount);
    }

    // A PC console written to its side files beside the project file.
    bool SaveToPC(int console, const QString &projectFile)
    {
        // A project that has no file yet has no place for them.
        if (projectFile.isEmpty() || projectFile == LoadStrDll(2) || !QFileInfo(projectFile).isAbsolute()) {
            const QString text =
                LoadStrDll(1) + QStringLiteral(" \"") + projectFile + QStringLiteral("\": ") +
                QStringLiteral("the project has no file name; PC console %1 is not written").arg(console);
            form_.AddLogEntry(1, text);
            if (!form_.Quiet())
                form_.Prompt().Error(text);
            return false;
        }
        if (!form_.Zoznam)
            return false;
        QString name = projectFile;
        SideFiles files(side_, form_, name);
        return ::SaveToPC(files.context, console, projectFile);
    }

    bool CloseAllConsoles() override { return form_.CloseAllConsoles(); }
    bool ConsoleWindowsOpen() override
    {
        for (QMdiSubWindow *w : form_.MdiArea->subWindowList())
            if (qobject_cast<TMDIChild *>(w))
                return true;
        return false;
    }
    bool CloseAccepted() override { return form_.CloseAccepted; }
    void SetCloseAccepted(bool accepted) override { form_.CloseAccepted = accepted ? 1 : 0; }
    bool RunNewConsoleDialog() override
    {
        TZoznam *list = form_.Zoznam.get();
        const Byte type = list ? list->GetType() : 0;
        const int pc = list ? list->XKey(1) * list->YKey(1) : form_.KeysPerScreenPC;
        const int mech = list ? list->XKey(2) * list->YKey(2) : form_.KeysPerScreenMech;
        TConsoleSetup setup;
        for (int n = 0; n < ConsoleCount; ++n) {
            setup.Typ[std::size_t(n)] = form_.PultTyp[n];
            setup.Obrazovky[std::size_t(n)] = form_.PultScreens[n];
        }
        TNovyPult dialog(&form_, pc, mech, type == 4, (type & 2) != 0, setup);
        const int result = side_.NovyPultExec ? side_.NovyPultExec(dialog) : dialog.exec();
        if (result != NovyPultRead && result != NovyPultNoRead)
            return false;
        std::unique_ptr<TAPult> config = dialog.TakeConfiguration();
        if (!config)
            return false;
        const TConsoleSetup chosen = ConsoleSetupOf(*config);
        FreeModel();
        form_.APult = config.release();
        for (int n = 0; n < ConsoleCount; ++n) {
            form_.PultTyp[n] = chosen.Typ[std::size_t(n)];
            form_.PultScreens[n] = chosen.Obrazovky[std::size_t(n)];
            form_.SystemImage.ConsoleType(n) = chosen.Typ[std::size_t(n)];
            form_.SystemImage.ScreenCount(n) = chosen.Obrazovky[std::size_t(n)];
        }
        return true;
    }
    void OpenConsoleWindows() override
    {
        form_.Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form_.APult);
    }
    QString ProjectName() override { return form_.ProjectName; }
    void SetProjectName(const QString &name) override
    {
        side_.NoteProjectFolder(form_.ProjectName);
        form_.ProjectName = name;
    }
    void MarkModified() override { form_.ModifiedFlag = 1; }
    bool ProjectModified() override { return form_.ModifiedFlag != 0; }
    int AskSaveProject() override
    {
        TUlozitProjekt dialog(&form_);
        FillSavePromptTexts(dialog);
        return side_.SavePromptExec ? side_.SavePromptExec(dialog) : dialog.exec();
    }
    void SaveProject(int choice) override
    {
        if (side_.SaveProjectRoutine) {
            side_.SaveProjectRoutine(choice);
            return;
        }
        // Saving lives with the project commands; without them the project
        // stays unsaved and the write does not start.
        form_.AddLogEntry(0, QStringLiteral("The project cannot be saved here yet: ") + LoadStrDll(147));
    }

    bool Quiet() override { return form_.Quiet(); }
    void SetConfigEnabled(bool enabled) override
    {
        if (form_.Config1)
            form_.Config1->setEnabled(enabled);
    }
    void SetStatusText(const QString &text) override { form_.StatusBar1->SetText(0, text); }
    void SetLightsMonitoring(bool on) override
    {
        if (!on && form_.ApdSLController1)
            form_.ApdSLController1->Reset();
    }
    void RefreshMenus() override { form_.MenuClick(); }
    void Delay(int ms) override { TMainForm1::Delay(ms); }

    QString TimeText() override
    {
        return form_.TimeTextNow.isEmpty() ? MainRules::TimeText(QDateTime::currentDateTime()) : form_.TimeTextNow;
    }
    // The frames go to the communication log.
    void AppendMemo1(const QString &text) override { form_.Memo2->appendPlainText(text); }
    // The communication log holds the frames too: the time keeper's listing
    // is added to it, never clearing them.
    void ClearMemo2() override {}
    void AppendMemo2(const QString &text) override { form_.Memo2->appendPlainText(text); }
    void AddLogEntry(int kind, const QString &text) override { form_.AddLogEntry(kind, text); }
    void SaveLogPanes() override { form_.sbSaveLogsClick(); }

    // A console of the configuration into the system image, before its tables are written.
    bool ModelToImage(int console)
    {
        class Slots : public TCardSlots
        {
        public:
            explicit Slots(TMainForm1 &form) : form_(form) {}
            TCardOld *CardOfSlot(int slot) override { return form_.CardOfSlot(slot); }
            bool CreateCardByName(const QString &name, int slot) override
            {
                return form_.CreateCardByName(name, slot);
            }

        private:
            TMainForm1 &form_;
        } cardSlots(form_);
        TRecordContext context{TConfigPlace(form_.APult), form_.SystemImage, form_.Zoznam.get(), cardSlots,
                               QCoreApplication::applicationFilePath()};
        return ::ModelToImage(context, console);
    }

    bool Convert(int console, bool fromSystem, int &unconfigured)
    {
        if (!form_.Zoznam)
            return false;
        TFormCards cards;
        cards.CardOfSlot = [this](int slot) { return form_.CardOfSlot(slot); };
        cards.CreateCardByName = [this](const QString &name, int slot) { return form_.CreateCardByName(name, slot); };
        TFormCards::Log log;
        log.Trace = [this](const QString &line) { form_.Memo2->appendPlainText(line); };
        log.Entry = [this](TReportKind kind, const QString &text) { form_.AddLogEntry(TMainForm1::LogKind(kind), text); };
        log.Box = [this](TReportKind kind, const QString &text) {
            switch (kind) {
            case TReportKind::Error: form_.Prompt().Error(text); break;
            case TReportKind::Warning: form_.Prompt().Warning(text); break;
            default: form_.Prompt().Information(text); break;
            }
        };
        return cards.Convert(form_.APult, form_.SystemImage, *form_.Zoznam, log, form_.Quiet(),
                             QCoreApplication::applicationFilePath(), console, fromSystem, unconfigured);
    }

private:
    TFormDialogue &side_;
    TMainForm1 &form_;
    QString sideFileName_; // the side file chosen in the read running now
};

// ---- questions ---------------------------------------------------------------------------------

class TFormDialogue::Prompt : public TDialoguePrompt
{
public:
    Prompt(TFormDialogue &side, TMainForm1 &form) : side_(side), form_(form) {}

    int Ask(Kind kind, const QString &text, Buttons buttons) override
    {
        return form_.Prompt().Ask(TPrompt::Kind(int(kind)), text, buttons);
    }

    bool AskConsole(int console, const QString &caption, const QString &okText, const QString &cancelText,
                    Byte &type) override
    {
        const QString label = LoadStrDll(56) + QLatin1Char(' ') + QString::number(console) + QLatin1Char(' ')
                              + LoadStrDll(57);
        if (!side_.ConsoleDialogExec && !dynamic_cast<TWidgetPrompt *>(&form_.Prompt()))
            return form_.Prompt().Ask(TPrompt::Kind::Confirmation, label, TPrompt::OkCancel, caption) == TPrompt::Ok;

        QDialog dialog(&form_);
        dialog.setObjectName(QStringLiteral("ConsoleDialog"));
        dialog.setWindowTitle(caption);
        QFont font = dialog.font();
        font.setPointSize(10);
        dialog.setFont(font);
        auto *text = new QLabel(label, &dialog);
        auto *group = new QGroupBox(LoadStrDll(17), &dialog);
        auto *pc = new QRadioButton(LoadStrDll(9), group);
        auto *mech = new QRadioButton(LoadStrDll(10), group);
        pc->setObjectName(QStringLiteral("ConsoleTypePC"));
        mech->setObjectName(QStringLiteral("ConsoleTypeMech"));
        auto *columns = new QHBoxLayout(group);
        columns->addWidget(pc);
        columns->addWidget(mech);
        (type == 1 ? pc : mech)->setChecked(true);
        auto *ok = new QPushButton(okText, &dialog);
        ok->setObjectName(QStringLiteral("OK"));
        ok->setDefault(true);
        auto *cancel = new QPushButton(cancelText, &dialog);
        cancel->setObjectName(QStringLiteral("Cancel"));
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(text);
        layout->addWidget(group);
        layout->addLayout(buttons);
        const int result = side_.ConsoleDialogExec ? side_.ConsoleDialogExec(dialog) : dialog.exec();
        if (result != QDialog::Accepted)
            return false;
        type = pc->isChecked() ? 1 : 2;
        return true;
    }

private:
    TFormDialogue &side_;
    TMainForm1 &form_;
};

// ---- the serial link of the window -------------------------------------------------------------

class TFormDialogue::Link : public TDialogueLink
{
public:
    Link(TFormDialogue &side, TMainForm1 &form) : side_(side), form_(form) {}

    bool Open(int comNumber, QString &reason) override
    {
        if (!form_.ComPort)
            form_.CreateComPort();
        TApdA &port = *form_.ComPort;
        // The link may be a new one since the last session.
        QObject::connect(&port, &TApdA::PortFailed, &side_, &TFormDialogue::ComPortFailed,
                         Qt::UniqueConnection);
        if (port.Open() && port.ComNumber() == comNumber)
            return true;
        if (port.Open())
            port.SetOpen(false);
        port.SetComNumber(comNumber);
        if (port.SetOpen(true))
            return true;
        reason = port.LastErrorText();
        return false;
    }
    void Close() override
    {
        if (form_.ComPort && form_.ComPort->Open())
            form_.ComPort->SetOpen(false);
        if (form_.ApdSLController1)
            form_.ApdSLController1->Reset();
    }
    bool Send(const QByteArray &frame) override { return form_.ComPort && form_.ComPort->Send(frame); }

private:
    TFormDialogue &side_;
    TMainForm1 &form_;
};

// ---- the side itself ---------------------------------------------------------------------------

TFormDialogue::TFormDialogue(TMainForm1 &form)
    : QObject(&form), form_(form), host_(std::make_unique<Host>(*this, form)),
      prompt_(std::make_unique<Prompt>(*this, form)), link_(std::make_unique<Link>(*this, form))
{
    setObjectName(QStringLiteral("FormDialogue"));
    engine_ = std::make_unique<TDialogue>(*host_, *prompt_);
    engine_->SetLink(link_.get());
    engine_->ImageToModelHook = [this](int console, bool fromSystem, int &unconfigured) {
        return host_->Convert(console, fromSystem, unconfigured);
    };
    engine_->ModelToImageHook = [this](int console) { return host_->ModelToImage(console); };
    engine_->SaveToPcHook = [this](int console, const QString &file) {
        return host_->SaveToPC(console, file);
    };
    // Lock and unlock: the ten controls keep their states across the session.
    connect(engine_.get(), &TDialogue::UserInterfaceLocked, this, [this](bool locked) {
        TMainForm1 &f = form_;
        QList<QObject *> controls{f.About1 ? f.About1->menuAction() : nullptr,
                                  f.Window1 ? f.Window1->menuAction() : nullptr,
                                  f.Edit1 ? f.Edit1->menuAction() : nullptr,
                                  f.File1 ? f.File1->menuAction() : nullptr,
                                  f.History1,
                                  f.SpeedBar1,
                                  f.Card_Panel,
                                  f.Line_panel,
                                  f.Panel3,
                                  f.Panel2};
        for (int i = 0; i < controls.size(); ++i) {
            QObject *c = controls[i];
            auto *action = qobject_cast<QAction *>(c);
            auto *widget = qobject_cast<QWidget *>(c);
            if (locked) {
                savedEnabled_[std::size_t(i)] = action ? action->isEnabled() : widget ? widget->isEnabled() : false;
                if (action)
                    action->setEnabled(false);
                if (widget)
                    widget->setEnabled(false);
            } else {
                if (action)
                    action->setEnabled(savedEnabled_[std::size_t(i)]);
                if (widget)
                    widget->setEnabled(savedEnabled_[std::size_t(i)]);
            }
        }
        if (locked)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    connect(engine_.get(), &TDialogue::RequestSent, this, [this] {
        if (form_.ApdSLController1)
            form_.ApdSLController1->Transmitted();
    });
}

TDialogueHost &TFormDialogue::HostSide() { return *host_; }
TDialoguePrompt &TFormDialogue::PromptSide() { return *prompt_; }

bool TFormDialogue::ChooseSideFile(const QString &title, const QString &defaultExtension, const QString &filter,
                                   QString &fileName)
{
    if (!ChooseFileExec)
        return form_.ChooseFileToOpen(defaultExtension, filter, title, fileName);
    QString chosen = fileName;
    if (!ChooseFileExec(title, filter, chosen) || chosen.trimmed().isEmpty())
        return false;
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + defaultExtension;
    fileName = QFileInfo(chosen).absoluteFilePath();
    return true;
}

void TFormDialogue::NoteProjectFolder(const QString &projectName)
{
    const QFileInfo info(projectName);
    if (info.isAbsolute() && info.dir().exists())
        projectFolder_ = info.absolutePath();
}

QString TFormDialogue::SideFileProposal()
{
    NoteProjectFolder(form_.ProjectName);
    return projectFolder_.isEmpty() ? QString() : projectFolder_ + QLatin1Char('/');
}

TFormDialogue::~TFormDialogue()
{
    if (engine_ && !engine_->UserInterfaceUnlocked)
        QApplication::restoreOverrideCursor();
}

// ---- the main window's routines ----------------------------------------------------------------

TFormDialogue &TMainForm1::DialogueSide()
{
    if (!FormDialogue)
        FormDialogue = new TFormDialogue(*this);
    return *FormDialogue;
}

TDialogue &TMainForm1::Dialogue() { return DialogueSide().Engine(); }

bool TMainForm1::DialogueIdle()
{
    const TDialogue &e = Dialogue();
    return e.Kom == 0 && e.ktKrok == 0 && e.OperationMode == 0;
}

void TMainForm1::FreeDialogueSide()
{
    // The console windows refer to the configuration and to the dialogue's
    // console host: they go first.
    for (QMdiSubWindow *w : MdiArea->subWindowList())
        if (qobject_cast<TMDIChild *>(w))
            delete w;
    delete FormDialogue;
    FormDialogue = nullptr;
    delete APult;
    APult = nullptr;
}

void TMainForm1::ReadFromSystemClick()
{
    // Only when nothing else runs.
    TFormDialogue &side = DialogueSide();
    TDialogue &engine = side.Engine();
    if (!engine.Idle())
        return;
    engine.SetComNumber(PortNumber);
    // A read that gives up with windows still open leaves them asking again.
    TCloseRound round(*this);
    const QString before = ProjectName;
    engine.ReadConfigClick();
    // The read names the project it makes (or none when it was cancelled
    // after the windows had closed): the caption no longer shows the old file.
    if (ProjectName != before)
        ShowFileInCaption(ProjectName);
}

void TMainForm1::WMAnswer(const QByteArray &frame, int port)
{
    // The settings dialog sees every frame while it is open.
    if (Nastav1)
        Nastav1->ComDataReceived(frame);
    TFormDialogue &side = DialogueSide();
    side.Engine().WMAnswer(frame, port);
}

void TMainForm1::TimerKomunikTimer()
{
    // The engine's own timer is the watchdog; a tick of the window's timer
    // counts as one of its ticks.
    TFormDialogue &side = DialogueSide();
    side.Engine().TimerKomunikTimer();
}

bool TMainForm1::AbortCommunication()
{
    TFormDialogue &side = DialogueSide();
    TDialogue &engine = side.Engine();
    if (engine.Kom == 0 && engine.ktKrok == 0)
        return false;
    // Decided by the operation, not the phase: only a read's half-built model
    // goes with the session; a boards-only read, the time keeper and the
    // writes keep the open project.
    if (engine.OperationMode == opmode::BoardsForWrite)
        engine.OperationMode = opmode::Write; // the write waiting for its boards ends too
    engine.AbortSession(engine.OperationMode == opmode::Read);
    const QString text = LoadStrDll(118);
    StatusBar1->SetText(0, text);
    AddLogEntry(2, text);
    if (!Quiet())
        Prompt().Information(text);
    return true;
}

QString TMainForm1::CommStateText() { return TDialogue::CommStateText(Dialogue().OperationMode); }

// ---- the dialogue's commands -------------------------------------------------------------------

void TFormDialogue::DoskySBClick()
{
    engine_->SetComNumber(form_.PortNumber);
    engine_->DoskySBClick();
}

void TFormDialogue::bbTimeKeeperClick()
{
    engine_->SetComNumber(form_.PortNumber);
    engine_->bbTimeKeeperClick();
}

void TFormDialogue::WriteConfigClick()
{
    // In network mode the write goes through the relay and FTP.
    if (form_.FTPCL) {
        if (engine_->Idle()) {
            form_.MenuClick();
            form_.WriteConfigByNet();
        }
        return;
    }
    engine_->SetComNumber(form_.PortNumber);
    engine_->WriteConfigClick();
}

void TFormDialogue::VymazatPultClick()
{
    engine_->SetComNumber(form_.PortNumber);
    engine_->VymazatPultClick();
}

void TFormDialogue::ComPortFailed(TLinkError kind, const QString &message)
{
    (void)kind;
    form_.Guard("PortFailed", [this, &message] { engine_->PortFailed(message); });
}
