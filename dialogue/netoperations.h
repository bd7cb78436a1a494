#pragma once

#include <QString>
#include <optional>

#include "comm/ftpclient.h"
#include "dialogue/dialoguehost.h"

class TDialogue;

// What the network operations need beyond the dialogue's host: the relay
// link, the FTP queue, the result slots that relay replies and FTP events
// fill, and the status window.
class TNetLink
{
public:
    virtual ~TNetLink() = default;
    virtual bool HasFtp() = 0;
    // A relay command (SendNetCommand): a datagram with code and text and the
    // system's address; nothing when there is no relay link.
    virtual void SendNetCommand(int code, const QString &text) = 0;
    // Queues an FTP command (kinds of TCommand); none without an FTP client.
    virtual void QueueFtp(int kind, const QString &remote, const QString &local) = 0;
    // Drops the FTP commands still queued and gives up the one that runs, so
    // that none runs after a failure and no late result counts.
    virtual void DropQueuedFtp() = 0;
    // The FTP command that runs or runs next.
    virtual std::optional<TCommand> PendingFtp() = 0;
    // The last FTP command that failed, and why.
    virtual TFTPCL::TFailure LastFtpFailure() = 0;
    // "127.0.0.1:21": the FTP server of the system.
    virtual QString FtpServer() = 0;
    // A network read or write runs: the status window's buttons are off.
    virtual void NetworkOperationRunning(bool running) = 0;
    virtual void ResetSlot(int slot) = 0;
    virtual Byte SlotDone(int slot) = 0;
    virtual int SlotCode(int slot) = 0;
    // Serves events until the slot's code leaves -1 or `ms` (before time
    // scaling) have passed.
    virtual void WaitSlot(int slot, int ms) = 0;
    // Shows the status window (its log cleared when it was hidden); returns
    // whether it was visible before.
    virtual bool ShowStatusWindow() = 0;
    virtual void RestoreStatusWindow(bool visible) = 0;
    // The new-console dialog without its second button (OK and Cancel): 0 go
    // on, 2 cancel.
    virtual int RunNewConsoleDialog() = 0;
    // The caption without the project's file name.
    virtual void DropFileFromCaption() = 0;
};

// Reading and writing the configuration over the network: relay commands
// awaited in result slots, osadenie.dat and tabulky.dat by FTP. Window-free;
// the operation mode, locking and the board check are the dialogue's.
class TNetOperations
{
public:
    static constexpr int WaitMs = 5000;
    // The relay's command codes.
    enum : int { EnterConfig = 3, LeaveConfig = 5, TakeTables = 9, PrepareBoards = 10 };
    inline static const QString CommandText = QStringLiteral("SetMod ");
    // The slots the FTP client's results fill.
    static constexpr int FetchSlot = 5, UploadSlot = 6;

    TNetOperations(TDialogue &engine, TDialogueHost &host, TDialoguePrompt &prompt, TNetLink &link);

    // Files where the program keeps them (the write folder).
    static QString BoardsFilePath();
    static QString TablesFilePath();
    // tabulky.dat as fetched, checked before it replaces TablesFilePath.
    static QString FetchedTablesPath();

    // True = failed; the failure is logged, shown and sent to the relay. The
    // FTP queue is dropped before the box opens.
    bool WaitNetResult(int slot);
    // The message of a failed wait: its language text, then which step got no
    // answer or a negative one, and why. Empty when the slot has no message.
    // pending: the FTP command at the head of the queue when the wait ended.
    static QString FailureMessage(int slot, Byte done, int code, const std::optional<TCommand> &pending,
                                  const TFTPCL::TFailure &failure, const QString &server);
    // The language text of a failed wait, 0 for none.
    static int FailureTextNumber(int slot, Byte done, int code);
    // The relay command awaited in a slot; 0 for an FTP slot.
    static int AwaitedCommand(int slot);
    // "the fetch of osadenie.dat", "the connect and login", ...
    static QString FtpStepText(int kind, const QString &remote);
    // The fetched tables replace the program's tabulky.dat in one step; false
    // (and why) when they cannot.
    static bool PutInPlace(const QString &from, const QString &to, QString &error);
    bool ReadBoardsByNet(bool onlySystemList, bool closeAfter);
    bool LoadBoardsFile(bool onlySystemList);
    bool SaveTablesFile();
    // Checks the whole file before the configuration is touched.
    bool LoadTablesFile(const QString &path);
    void WriteConfigByNet();
    void ReadConfigByNet();
    // The menu commands that write tabulky.dat or read it, no transfer.
    void WriteTablesFileClick();
    void ReadTablesFileClick();

    // The last write or read came to its good end (tests).
    bool LastSucceeded = false;
    // A network read, write or boards read runs.
    bool Running() const { return running_ > 0; }

private:
    // Closes every console window, asking Abort/Retry while some stays.
    bool CloseConsoles();
    int ConnectedConsoles() const;
    void Fail(const QString &text);
    // After a tables load: each key takes the line type its card gives it; missing keys come unconfigured.
    void FixKeys(int console);

    // Holds the status window's buttons off while an operation runs (nests).
    class TRunning
    {
    public:
        explicit TRunning(TNetOperations &op);
        ~TRunning();
        TRunning(const TRunning &) = delete;
        TRunning &operator=(const TRunning &) = delete;

    private:
        TNetOperations &op_;
    };

    TDialogue &engine_;
    TDialogueHost &host_;
    TDialoguePrompt &prompt_;
    TNetLink &link_;
    int running_ = 0;
};
