// First activation, the file a second copy hands over, and Exit.
#include "mainwindow/mainform.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include "comm/com_orva.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "mainwindow/mainwidgets.h"
#include "windows/wizard.h"

void TMainForm1::FormActivate()
{
    UDPFailed = 0;
    if (!FirstActivation)
        return;
    FirstActivation = 0;
    if (ParseCommandLine())
        EnterNetworkMode();
    setWindowState(StateToApply);
    update();
    // A dialogue that began before this activation keeps the link it opened,
    // and no start dialog comes over it: the status tick offers one once
    // the program is idle.
    if (!ComPort)
        CreateComPort();
    if (DialogueIdle())
        RunStartAction(UDPFailed);
}

void TMainForm1::HandOverFile(const QString &name)
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // A later file replaces one that still waits: the last double-click counts.
    PendingHandOver = name;
    TakeHandOver();
}

bool TMainForm1::HandOverMustWait()
{
    // The start dialog only offers ways to begin: a handed-over file is one.
    // (Not while a dialog of its own, the about box, is open over it.)
    if (StartDialog && StartDialog->isVisible() && QApplication::activeModalWidget() == StartDialog) {
        StartDialog->done(0);
        return true;
    }
    // Another dialog, question or menu is open, or a command is half-way: the
    // file would replace the project under it.
    return QApplication::activeModalWidget() || QApplication::activePopupWidget() || StartActionGuard ||
           ClosingGuard || NetWaitBusy || inCloseEvent_ || inSettings_;
}

void TMainForm1::TakeHandOver()
{
    if (!PendingHandOver)
        return;
    if (closingByExit_) {
        PendingHandOver.reset();
        HandOverTimer->stop();
        return;
    }
    if (HandOverMustWait()) {
        if (!HandOverTimer->isActive())
            HandOverTimer->start();
        return;
    }
    HandOverTimer->stop();
    const QString name = *PendingHandOver;
    PendingHandOver.reset();
    WMCopyData(name);
}

void TMainForm1::WMCopyData(const QString &name)
{
    if (MainRules::FileExists(name))
        (void)(OpenProjectRoutine ? OpenProjectRoutine(name) : OpenProjectByName(name));
}

void TMainForm1::Close1Click()
{
    // A wait on the network holds objects Exit would free: end the wait, then exit.
    if (NetWaitBusy) {
        WaitCancelled = 1;
        ExitPending = 1;
        return;
    }
    // A running device dialogue is stopped instead; the program stays.
    if (AbortCommunication()) {
        test->setText(QString());
        return;
    }
    // However Exit ends short of closing, the program goes on as before it:
    // idle, with its status timer running.
    struct TStay {
        TMainForm1 &form;
        ~TStay()
        {
            if (form.closingByExit_)
                return;
            form.Dialogue().OperationMode = opmode::Idle;
            if (!form.StatusTimerPaused && !form.TimerStatus->isActive())
                form.TimerStatus->start();
        }
    } stay{*this};
    TCloseRound round(*this);
    Dialogue().OperationMode = opmode::Exit;
    MenuClick();
    ReclickSelectedCard();
    CloseAccepted = 0;
    if (!CloseAllConsoles())
        return;
    closingByExit_ = true;
    TimerStatus->stop();
    // The window closes even when the logs or the settings cannot be written.
    Guard("sbSaveLogsClick", [this] { sbSaveLogsClick(); });
    Guard("SaveSettings", [this] { SaveSettings(SettingsFileName()); });
    if (!inCloseEvent_)
        close();
}

void TMainForm1::CreateComPort()
{
    // An open port belongs to a running dialogue; it is never replaced under it.
    if (ComPort && ComPort->Open())
        return;
    delete ComPort;
    ComPort = ::CreateComPort(this, PortNumber);
    connect(ComPort, &TApdA::BytesSent, ApdSLController1, &TSLController::Transmitted);
    connect(ComPort, &TApdA::BytesReceived, ApdSLController1, &TSLController::Received);
    connect(ComPort, &TApdA::FrameReceived, this, [this](const QByteArray &frame, int port) {
        Guard("WMAnswer", [this, &frame, port] { WMAnswer(frame, port); });
    });
    connect(ComPort, &TApdA::LogEntry, this, [this](TLogKind kind, const QString &text) {
        const int code = kind == TLogKind::Warning ? 0 : kind == TLogKind::Error ? 1 : 2;
        AddLogEntry(code, text);
    });
}

void TMainForm1::SetRecordDefaults()
{
    InitPcRecord(PcRecord);
    InitUniRecord(UniRecord);
}
