// Network mode in the main window: Read from system and Write to system
// through the relay and FTP, the boards read of New, the status window's
// buttons and the two file commands. The steps are the dialogue's
// (TNetOperations); the window starts them and shows their results.
#include "mainwindow/mainform.h"

#include <QMenu>
#include <QPushButton>

#include "cardpack/dll_load.h"
#include "comm/ftpclient.h"
#include "comm/udpr_sock.h"
#include "dialogue/dialogue.h"
#include "dialogue/netoperations.h"
#include "editing/statusrules.h"
#include "mainwindow/mainform_dialogue.h"
#include "windows/prompt.h"
#include "windows/udprform.h"

namespace
{

class TFormNetLink : public TNetLink
{
public:
    explicit TFormNetLink(TMainForm1 &form) : form_(form) {}

    bool HasFtp() override { return form_.FTPCL != nullptr; }
    void SendNetCommand(int code, const QString &text) override { form_.SendNetCommand(code, text); }
    void QueueFtp(int kind, const QString &remote, const QString &local) override
    {
        if (form_.FTPCL)
            form_.FTPCL->AddCommand(kind, remote, local);
    }
    void DropQueuedFtp() override
    {
        if (form_.FTPCL)
            form_.FTPCL->ClearQueue();
    }
    std::optional<TCommand> PendingFtp() override
    {
        return form_.FTPCL ? form_.FTPCL->Pending() : std::nullopt;
    }
    TFTPCL::TFailure LastFtpFailure() override
    {
        return form_.FTPCL ? form_.FTPCL->LastFailure() : TFTPCL::TFailure{};
    }
    QString FtpServer() override
    {
        return form_.FTPCL ? QStringLiteral("%1:%2").arg(form_.FTPCL->Host()).arg(form_.FTPCL->Port()) : QString();
    }
    void NetworkOperationRunning(bool running) override
    {
        if (form_.UDPRForm1)
            form_.UDPRForm1->SetOperationRunning(running);
    }
    void ResetSlot(int slot) override
    {
        StatusRules::ResetSlot(form_.NetResult, slot);
        // A failure of an earlier step never explains this one's.
        if (form_.FTPCL && (slot == StatusRules::FetchSlot || slot == StatusRules::UploadSlot))
            form_.FTPCL->ClearLastFailure();
    }
    Byte SlotDone(int slot) override { return valid(slot) ? form_.NetResult[std::size_t(slot)].Done : 0; }
    int SlotCode(int slot) override { return valid(slot) ? form_.NetResult[std::size_t(slot)].Code : -1; }
    void WaitSlot(int slot, int ms) override { form_.WaitForNetSlot(slot, ms); }
    bool ShowStatusWindow() override
    {
        TUDPRForm1 *w = form_.UDPRForm1;
        if (!w)
            return false;
        const bool visible = w->isVisible();
        if (!visible) {
            form_.ClearCommLog();
            w->show();
        }
        return visible;
    }
    void RestoreStatusWindow(bool visible) override
    {
        if (form_.UDPRForm1)
            form_.UDPRForm1->setVisible(visible);
    }
    // Neither command has a choice not to read: OK and Cancel only.
    int RunNewConsoleDialog() override { return form_.RunNewConsoleDialog(false, true); }
    void DropFileFromCaption() override { form_.ShowFileInCaption(QString()); }

private:
    static bool valid(int slot) { return slot >= 0 && slot < StatusRules::NetSlotCount; }
    TMainForm1 &form_;
};

} // namespace

TNetOperations &TMainForm1::NetOperations()
{
    if (!NetOps) {
        TFormDialogue &side = DialogueSide();
        NetLink = std::make_shared<TFormNetLink>(*this);
        NetOps = std::make_shared<TNetOperations>(side.Engine(), side.HostSide(), side.PromptSide(), *NetLink);
    }
    return *NetOps;
}

void TMainForm1::SendNetCommand(int Code, const QString &Text)
{
    if (UDPR_S)
        UDPR_S->SendMessage(std::uint32_t(Code), Text, NetParams[0]);
}

bool TMainForm1::ReadBoardsByNet(bool OnlySystemList, bool CloseAfter)
{
    return NetOperations().ReadBoardsByNet(OnlySystemList, CloseAfter);
}

void TMainForm1::WriteConfigByNet() { NetOperations().WriteConfigByNet(); }

void TMainForm1::ReadConfigByNet() { NetOperations().ReadConfigByNet(); }

void TMainForm1::writeFile4FTP1Click() { NetOperations().WriteTablesFileClick(); }

void TMainForm1::ReadFromFile4FTP1Click() { NetOperations().ReadTablesFileClick(); }

void TMainForm1::ReadConfigClick()
{
    if (Dialogue().OperationMode != opmode::Idle)
        return;
    // A read that gives up with windows still open leaves them asking again.
    TCloseRound round(*this);
    if (!FTPCL) {
        ReadFromSystemClick();
        return;
    }
    Delay(100);
    MenuClick();
    ReadConfigByNet();
}

namespace
{
// The result of a command that was given up answers no wait: it is only logged.
const QString LateMark = QStringLiteral(" (late: the step was given up; not counted)");
} // namespace

void TMainForm1::FtpError(const TErrMsg &message)
{
    if (!message.Late) {
        StatusRules::ApplyFtpError(NetResult, message.Code);
        // A failed step ends its operation: what was queued behind it never
        // runs, not even on a status tick that comes before the wait ends.
        if (FTPCL)
            FTPCL->ClearQueue();
    }
    AppendCommLog(QStringLiteral("FTP ERROR %1  - ").arg(message.Code) + message.Text +
                  (message.Late ? LateMark : QString()));
}

void TMainForm1::FtpStatus(const TStatusMsg &message)
{
    if (!message.Late)
        StatusRules::ApplyFtpStatus(NetResult, message.Code);
    AppendCommLog(QStringLiteral("FTP STATUS %1  - ").arg(message.Code) + message.Text +
                  (message.Late ? LateMark : QString()));
}

void TMainForm1::BindNetworkControls()
{
    if (FTPCL) {
        FTPCL->OnErrorEvent = [this](const TErrMsg &m) { Guard("FtpError", [this, &m] { FtpError(m); }); };
        FTPCL->OnstatusEvent = [this](const TStatusMsg &m) { Guard("FtpStatus", [this, &m] { FtpStatus(m); }); };
        FTPCL->OnInformation = [this](const QString &text) { Prompt().Information(text); };
    }
    if (UDPRForm1 && !UDPRForm1->property("netBound").toBool()) {
        UDPRForm1->setProperty("netBound", true);
        // Network mode is where the window's buttons have their use.
        UDPRForm1->Panel2->show();
        connect(UDPRForm1, &TUDPRForm1::SendNetCommand, this, [this](int code, const QString &text) {
            Guard("SendNetCommand", [this, code, &text] {
                // Never a relay command in the middle of a network read or write.
                if (!NetOperations().Running())
                    SendNetCommand(code, text);
            });
        });
        connect(UDPRForm1, &TUDPRForm1::ReadConfigByNet, this, [this] {
            Guard("ReadConfigByNet", [this] {
                if (Dialogue().Idle())
                    ReadConfigByNet();
            });
        });
        connect(UDPRForm1, &TUDPRForm1::WriteConfigByNet, this, [this] {
            Guard("WriteConfigByNet", [this] {
                if (Dialogue().Idle())
                    WriteConfigByNet();
            });
        });
    }
    if (File1 && !writeFile4FTP1) {
        QAction *before = Nacitaniedosiek1 ? File1->actions().value(File1->actions().indexOf(Nacitaniedosiek1) + 1)
                                           : nullptr;
        writeFile4FTP1 = new QAction(QStringLiteral("Write tables file"), File1);
        writeFile4FTP1->setObjectName(QStringLiteral("writeFile4FTP1"));
        ReadFromFile4FTP1 = new QAction(QStringLiteral("Read tables file"), File1);
        ReadFromFile4FTP1->setObjectName(QStringLiteral("ReadFromFile4FTP1"));
        File1->insertAction(before, writeFile4FTP1);
        File1->insertAction(before, ReadFromFile4FTP1);
        connect(writeFile4FTP1, &QAction::triggered, this,
                [this] { Guard("writeFile4FTP1Click", [this] { writeFile4FTP1Click(); }); });
        connect(ReadFromFile4FTP1, &QAction::triggered, this,
                [this] { Guard("ReadFromFile4FTP1Click", [this] { ReadFromFile4FTP1Click(); }); });
    }
}
