// Command line, first activation's network mode, the start action, Exit's
// waits, stopping a device dialogue and the help commands.
#include "mainwindow/mainform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QGroupBox>
#include <QLabel>
#include <QThread>
#include <QTimer>

#include "cardpack/dll_load.h"
#include "comm/com_orva.h"
#include "comm/ftpclient.h"
#include "comm/udpr_sock.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/htmlhelp.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "windows/about.h"
#include "windows/helpchm.h"
#include "windows/helptarget.h"
#include "windows/helpviewer.h"
#include "windows/history.h"
#include "windows/prompt.h"
#include "windows/udprform.h"
#include "windows/wizard.h"

std::function<int(TWizard &)> TMainForm1::StartDialogExec;

bool TMainForm1::ParseCommandLine()
{
    const QStringList args = Arguments ? Arguments() : QCoreApplication::arguments();
    const StatusRules::TCommandLine line = StatusRules::ParseArguments(args);
    if (line.HasParams)
        for (int i = 0; i < 3; ++i)
            NetParams[i] = line.NetParams[i];
    return line.Network;
}

void TMainForm1::EnterNetworkMode()
{
    setWindowState(StateToApply);
    if (!Window1->findChild<QAction *>(QStringLiteral("StatusWindow"))) {
        QAction *item = Window1->addAction(LoadStrDll(150));
        item->setObjectName(QStringLiteral("StatusWindow"));
        item->setParent(Window1);
        connect(item, &QAction::triggered, this,
                [this] { Guard("StatusWindowClick", [this] { StatusWindowClick(); }); });
    }
    if (UDPRForm1)
        UDPRForm1->setWindowTitle(LoadStrDll(150));
    PlaceStatusWindow();
    CreateFtpClient();

    delete UDPR_S;
    UDPR_S = nullptr;
    TUDPR_S *link = nullptr;
    try {
        link = CreateRelayLink(this);
    } catch (...) {
        link = nullptr;
    }
    if (!link || !link->Ok()) {
        const QString text = RelayFailureText(LoadStrDll(151), link);
        delete link;
        AddLogEntry(0, text);
        {
            // The box runs the event loop: no status tick may open the start
            // dialog over it before it is answered.
            const Byte guard = StartActionGuard;
            StartActionGuard = 1;
            struct TRestore {
                TMainForm1 *form;
                Byte guard;
                ~TRestore() { form->StartActionGuard = guard; }
            } restore{this, guard};
            Prompt().Warning(text);
        }
        UDPFailed = 1;
        return;
    }
    UDPR_S = link;
}

void TMainForm1::CreateFtpClient()
{
    // Host, user and password as given with -i; the network commands bind its events.
    delete FTPCL;
    FTPCL = new TFTPCL(NetParams[1], NetParams[0], NetParams[2], this);
    BindNetworkControls();
}

void TMainForm1::StatusWindowClick()
{
    if (UDPRForm1)
        UDPRForm1->StatusWindowClick();
}

void TMainForm1::RunStartAction(Byte udpFailed)
{
    if (StartActionGuard)
        return;
    StartActionGuard = 1;
    // The guard and the dialog pointer are reset however the action ends.
    struct TEnd {
        TMainForm1 *form;
        ~TEnd()
        {
            delete form->StartDialog;
            form->StartDialog = nullptr;
            form->StartActionGuard = 0;
        }
    } end{this};

    StartDialog = new TWizard(this);
    TWizard &dialog = *StartDialog;
    dialog.verzia->setText(QStringLiteral("v. ") + VersionText(MainRules::FileVersion(), false, false));
    dialog.setWindowTitle(LoadStrDll(90));
    dialog.GroupBox1->setTitle(QStringLiteral(" ") + LoadStrDll(90) + QStringLiteral(" "));
    dialog.adjustSize();
    dialog.move(geometry().center() - dialog.rect().center());

    if (!Zoznam || udpFailed)
        for (const QString &name : WizardChoiceButtonNames())
            if (QPushButton *b = dialog.Button(name))
                b->setEnabled(false);
    StatusBar1->SetText(0, QString());

    bool show = true;
    const QStringList args = Arguments ? Arguments() : QCoreApplication::arguments();
    if (FirstStartFile && args.size() > 1) {
        FirstStartFile = 0;
        const QString name = MainRules::ChooseFileArgument(args, MainRules::FileExists);
        if (MainRules::FileExists(name)) {
            LastStartFile = name;
            show = !(OpenProjectRoutine ? OpenProjectRoutine(name) : OpenProjectByName(name));
        } else {
            show = false;
        }
    }

    int result = 0;
    if (show) {
        ++StartDialogShows;
        result = StartDialogExec ? StartDialogExec(dialog) : dialog.exec();
        if (result == WizardResultChoice && Dialogue().OperationMode != opmode::Exit)
            RunStartChoice(dialog.Choice());
    }
    dialog.close();
    if (show && result == WizardResultCancel && Dialogue().OperationMode != opmode::Exit)
        Close1Click();
}

void TMainForm1::RunStartChoice(int choice)
{
    LastStartChoice = choice;
    switch (choice) {
    case wcSettings:
        NotFromStartDialog = 0;
        try {
            Config1Click();
        } catch (...) {
            NotFromStartDialog = 1;
            throw;
        }
        NotFromStartDialog = 1;
        break;
    case wcImportACF: KonverziaACFClick(); break;
    case wcImportCFG: KonverziaCFGClick(); break;
    case wcOpenUNI: readcfg1Click(); break;
    case wcNewProject: New1Click(); break;
    case wcReadSystem: ReadConfigClick(); break;
    case wcOpenProject: Open1Click(); break;
    default: break;
    }
}

bool TMainForm1::WaitForNetSlot(int slot, int ms)
{
    if (slot < 0 || slot >= StatusRules::NetSlotCount)
        return false;
    // Nested waits share one busy flag; only the outermost clears it.
    const Byte wasBusy = NetWaitBusy;
    NetWaitBusy = 1;
    QElapsedTimer clock;
    clock.start();
    const int limit = platform::ScaledInterval(ms);
    bool answered = false;
    while (!WaitCancelled) {
        if (NetResult[size_t(slot)].Code != -1) {
            answered = true;
            break;
        }
        if (clock.elapsed() >= limit)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    NetWaitBusy = wasBusy;
    if (!NetWaitBusy) {
        WaitCancelled = 0;
        // Exit came during the wait: it runs now that nothing waits any more.
        if (ExitPending) {
            ExitPending = 0;
            QTimer::singleShot(0, this, [this] { Guard("Close1Click", [this] { Close1Click(); }); });
        }
    }
    return answered && !WaitCancelled;
}

void TMainForm1::FreeOwnedLinks()
{
    // Serial link: its threads stop and the port closes.
    delete ComPort;
    ComPort = nullptr;
    delete UDPR_S;
    UDPR_S = nullptr;
    delete FTPCL;
    FTPCL = nullptr;
    // The export list comes with the export.
}

// ---- help, history, about ----------------------------------------------------------------

bool TMainForm1::FormHelp(unsigned command, std::intptr_t data)
{
    LastHelpCommand = command;
    LastHelpData = data;
    return ::FormHelp(command, data, this);
}

void TMainForm1::HelpOnControl(QWidget *control)
{
    const int context = HelpContextOf(control);
    if (context != 0)
        FormHelp(HELP_CONTEXT, context);
    else
        FormHelp(HELP_CONTENTS, 0);
}

void TMainForm1::HelpClick()
{
    FormHelp(HELP_CONTENTS, 0);
}

void TMainForm1::miHelpClick()
{
    // Help on the card button last right-clicked: its card's topic, else the contents.
    if (!ContextCard || !CardButtonList)
        return;
    const int slot = int(CardButtonList->indexOf(ContextCard.data()));
    if (slot < 0 || slot >= BoardCount)
        return;
    const QString name = APult ? APult->SlotyDosiek[slot].Meno : QString();
    const int topic = HelpTopicId(name.mid(1));
    if (topic != 0)
        FormHelp(HELP_CONTEXT, topic);
    else
        FormHelp(HELP_CONTENTS, 0);
}

void TMainForm1::CloseHelp() { platform::CloseHtmlHelp(); }

void TMainForm1::About1Click()
{
    if (Dialogue().OperationMode != opmode::Idle)
        return;
    MenuClick();
    ShowAboutBox(this);
}

void TMainForm1::History1Click()
{
    if (Dialogue().OperationMode != opmode::Idle)
        return;
    MenuClick();
    ReclickSelectedCard();
    ShowHistoryDialog(this, platform::ProgramFolder(), History1->text());
}
