// The status timer's tick, the menu rules, the console buttons, window
// arrangement, the debug views and the slow-down timer.
#include "mainwindow/mainform.h"

#include <QDateTime>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "comm/ftpclient.h"
#include "comm/udpr_sock.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/timing.h"

void TMainForm1::TimerStatusTimer()
{
    TimerStatus->stop();
    QString failure;
    bool due = false;
    try {
        MenuClick();

        // Variable views.
        if (VariableView == 1) {
            if (Dialogue().Kom == 0)
                Memo1->setPlainText(StatusRules::ConsoleVariableView(APult).join(u'\n'));
            if (APult)
                Memo2->setPlainText(StatusRules::KeyVariableView(APult).join(u'\n'));
        }

        TakeRelayReply();
        if (FTPCL)
            FTPCL->ExecuteNext();

        StatusBar1->SetText(1, StatusRules::MarkerPanelText(ModifiedFlag, ModifiedMarker));
        StatusBar1->SetText(2, StatusRules::MarkerPanelText(NewProjectFlag, NewMarker));
        const QDateTime now = QDateTime::currentDateTime();
        DateTextNow = MainRules::DateText(now);
        TimeTextNow = MainRules::TimeText(now);
        StatusBar1->SetText(4, QStringLiteral("  ") + TimeTextNow + QStringLiteral("  "));

        const QString state = CommStateText();
        if (!state.isEmpty()) {
            ShownCommState = StatusRules::CommPanelText(state, MarkIndex);
            StatusBar1->SetText(0, ShownCommState);
            MarkIndex = StatusRules::NextMarkIndex(MarkIndex);
        } else if (!ShownCommState.isEmpty()) {
            // An operation that ended without a word of its own (a read
            // cancelled at its save question) leaves no state behind.
            if (StatusBar1->Text(0) == ShownCommState)
                StatusBar1->SetText(0, QString());
            ShownCommState.clear();
        }

        int others = 0;
        for (int i = 1; i < StatusBar1->Count(); ++i) {
            const QString text = StatusBar1->Text(i);
            if (!text.isEmpty())
                StatusBar1->SetWidth(i, StatusBar1->TextWidth(text) + 6);
            others += StatusBar1->Width(i);
        }
        StatusBar1->SetWidth(0, width() - (LightsPanel ? LightsPanel->width() : 0) - others - 10);

        due = StatusRules::StartActionDue(APult != nullptr, Dialogue().OperationMode, StartActionGuard, NetWaitBusy);
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("unexpected error");
    }
    // The tick always re-arms its timer; only an Exit that closes the window
    // leaves it stopped (one that is cancelled goes on with it).
    if (!ExitDecided())
        TimerStatus->start();
    // A file a second copy handed over comes before the start dialog.
    if (failure.isEmpty() && due && !PendingHandOver) {
        try {
            ShowFileInCaption(QString());
            // Network mode without its relay link keeps the choices disabled.
            RunStartAction(UDPFailed || (FTPCL && !UDPR_S));
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
        } catch (...) {
            failure = QStringLiteral("unexpected error");
        }
    }
    if (failure.isEmpty()) {
        LastTickError.clear();
        return;
    }
    // A failure that repeats every tick is shown once, not box upon box.
    if (failure != LastTickError) {
        LastTickError = failure;
        Report(TReportKind::Error, QStringLiteral("TimerStatusTimer: ") + failure);
    }
}

void TMainForm1::TakeRelayReply()
{
    if (!UDPR_S)
        return;
    T_MSG::TBytes message{};
    QString address;
    if (UDPR_S->ReadMessage(message, address) < 1)
        return;
    // Only the system named with -i answers the network commands.
    if (!StatusRules::SameIPv4(address, NetParams[0]))
        return;
    ++DatagramCount;
    const std::uint32_t code = T_MSG::GetU32(message.data());
    StatusRules::ApplyRelayReply(NetResult, code);
    AppendCommLog(StatusRules::DatagramLogText(DatagramCount, code, T_MSG::Text(message)));
}

void TMainForm1::MenuClick()
{
    const int active = ActiveConsoleNumber(); // 255: none
    ApplyMenuStates(StatusRules::MenuStates(StatusRules::MenuInputsFrom(APult, StoredAPult.get(), active < 2 ? active : -1)));
}

void TMainForm1::ApplyMenuStates(const StatusRules::TMenuStates &m)
{
    auto set = [](auto *item, bool on) {
        if (item)
            item->setEnabled(on);
    };
    set(Uloipult0akoPC1, m.SaveAsPC[0]);
    set(Uloipult1akoPC1, m.SaveAsPC[1]);
    for (QAction *a : {Save1, Report2, WriteConfig, Tile1, Cascade1, Odlozitakualnukonfiguraciu1})
        set(a, m.Loaded);
    for (QToolButton *b : {SaveSB, DoSystemu})
        set(b, m.Loaded);
    for (QAction *a : {Print1, PrintEmpty1, PrintAll1, PrintOriginal1})
        set(a, m.Print);
    for (QToolButton *b : {PrintSB, PrintEmptySB})
        set(b, m.Print);
    for (QAction *a : {Kopirujpult121, Kopirujpult211})
        set(a, m.CopyConsoles);
    for (QToolButton *b : {sbKopirujDo0, sbKopirujDo1})
        set(b, m.CopyConsoles);
    set(Porovnatsodlozenoukonfiguraciou1, m.CompareStored);
    set(Zlucitsodlozenou1, m.CompareStored);
    for (QAction *a : Window1->actions()) {
        const int n = a->objectName().contains(QLatin1String("Pult")) ? StatusRules::ConsoleNumberFromName(a->objectName()) : -1;
        if (n < 0 || n > 1)
            continue;
        a->setEnabled(m.Pult[n]);
        a->setChecked(m.PultChecked[n]);
    }
    QToolButton *pults[2] = {sbPult0, sbPult1};
    for (int n = 0; n < 2; ++n)
        if (pults[n]) {
            pults[n]->setEnabled(m.Pult[n]);
            pults[n]->setCheckable(true);
            pults[n]->setChecked(m.PultChecked[n]);
        }
}

void TMainForm1::UpdatePultButtons(int n)
{
    if (n < 0 || n > 1)
        return;
    QToolButton *button = n == 0 ? sbPult0 : sbPult1;
    if (!button)
        return;
    button->setIcon(QIcon());
    const Byte type = PultTyp[n];
    if (type == 2 && ImageList1.size() > 0)
        button->setIcon(ImageList1[0]);
    else if (type == 1 && ImageList1.size() > 1)
        button->setIcon(ImageList1[1]);
    const QString hint = StatusRules::PultHint(type, n, LoadStrDll(9), LoadStrDll(10));
    button->setToolTip(hint);
    button->setStatusTip(hint);
}

void TMainForm1::PultClick(const QString &senderName)
{
    const int n = StatusRules::ConsoleNumberFromName(senderName);
    if (n < 0)
        return;
    const QString wanted = QStringLiteral("Pult%1").arg(n);
    for (QMdiSubWindow *w : MdiArea->subWindowList())
        if (w->objectName() == wanted || (w->widget() && w->widget()->objectName() == wanted)) {
            MdiArea->setActiveSubWindow(w);
            w->raise();
        }
}

void TMainForm1::Tile1Click() { MdiArea->tileSubWindows(); }

void TMainForm1::Cascade1Click() { MdiArea->cascadeSubWindows(); }

void TMainForm1::Panel1Click()
{
    if (!Panel2->isVisible())
        return;
    if (VariableView == 0)
        SavedProgramLog = Memo1->toPlainText().split(u'\n');
    if (VariableView == 2)
        Memo1->setPlainText(SavedProgramLog.join(u'\n'));
    VariableView = Byte((VariableView + 1) % 3);
    static const char *const labels[] = {"Program logs", "Variables refresh", "Variables non refresh"};
    Label1->setText(QString::fromLatin1(labels[VariableView]));
    Timer2->start();
}

void TMainForm1::StatusBar1DblClick()
{
    TimerStatus->setInterval(platform::ScaledInterval(5000));
    // Panel2Click may have shortened Timer2: the slow period is five seconds.
    Timer2->setInterval(platform::ScaledInterval(5000));
    Timer2->start();
}

void TMainForm1::Panel2Click()
{
    if (TimerStatus->isActive()) {
        TimerStatus->stop();
        StatusTimerPaused = 1;
        Label1->setText(QStringLiteral("Timer not enabled"));
    } else {
        TimerStatus->start();
        StatusTimerPaused = 0;
        Label1->setText(QStringLiteral("Timer enabled"));
    }
    Timer2->setInterval(platform::ScaledInterval(3000));
    Timer2->start();
}

void TMainForm1::Timer2Timer()
{
    if (TimerStatus->interval() == platform::ScaledInterval(5000)) {
        Timer2->stop();
        TimerStatus->setInterval(platform::ScaledInterval(200));
    }
    // A status timer that Panel2Click stopped runs again: the program must
    // not stay without its menus, status bar and start action.
    if (StatusTimerPaused) {
        StatusTimerPaused = 0;
        if (!ExitDecided())
            TimerStatus->start();
    }
    Label1->clear();
}
