#pragma once

#include <QString>

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
    // Drops the FTP commands still queued, so that none runs after a failure.
    virtual void DropQueuedFtp() = 0;
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

    TNetOperations(TDialogue &engine, TDialogueHost &host, TDialoguePrompt &prompt, TNetLink &link);

    // Files where the program keeps them (the write folder).
    static QString BoardsFilePath();
    static QString TablesFilePath();
    // tabulky.dat as fetched, checked before it replaces TablesFilePath.
    static QString FetchedTablesPath();

    // True = failed; the failure is logged, shown and sent to the relay.
    bool WaitNetResult(int slot);
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

private:
    // Closes every console window, asking Abort/Retry while some stays.
    bool CloseConsoles();
    int ConnectedConsoles() const;
    void Fail(const QString &text);
    // After a tables load: each key takes the line type its card gives it; missing keys come unconfigured.
    void FixKeys(int console);

    TDialogue &engine_;
    TDialogueHost &host_;
    TDialoguePrompt &prompt_;
    TNetLink &link_;
};
