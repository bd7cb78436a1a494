// First activation, the file a second copy hands over, and Exit.
#include "mainwindow/mainform.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include "mainwindow/mainrules.h"

bool TMainForm1::ParseCommandLine()
{
    const QStringList args = QCoreApplication::arguments();
    const int count = int(args.size()) - 1;
    bool network = false;
    for (int i = 1; i <= count; ++i) {
        if (args[i] == QLatin1String("-i") && count >= i + 4) {
            NetParams[0] = args[i + 1];
            NetParams[1] = args[i + 2];
            NetParams[2] = args[i + 3];
            network = MainRules::IsValidIPAddress(NetParams[0]);
        }
        // "-nwnp" is accepted and has no effect.
    }
    return network;
}

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
    CreateComPort();
    RunStartAction(UDPFailed);
}

void TMainForm1::HandOverFile(const QString &name)
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    WMCopyData(name);
}

void TMainForm1::WMCopyData(const QString &name)
{
    if (MainRules::FileExists(name))
        OpenProjectByName(name);
}

void TMainForm1::Close1Click()
{
    // A running device dialogue is stopped instead; the program stays.
    if (AbortCommunication()) {
        test->setText(QString());
        return;
    }
    OperationMode = 11;
    MenuClick();
    CloseAccepted = 0;
    if (CloseAllConsoles()) {
        TimerStatus->stop();
        sbSaveLogsClick();
        SaveSettings(SettingsFileName());
        closingByExit_ = true;
        if (!inCloseEvent_)
            close();
        return;
    }
    CloseAccepted = 1;
    OperationMode = 0;
}
