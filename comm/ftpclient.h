#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "comm/commerror.h"

// One queued FTP command. Kinds: 1 connect, 2 disconnect, 3 download (remote
// into local), 4 upload (local as remote), 5 delete remote; others are ignored.
class TCommand
{
public:
    enum : std::int32_t { Connect = 1, Disconnect = 2, Download = 3, Upload = 4, Delete = 5 };
    TCommand(std::int32_t kind, const QString &remote, const QString &local)
        : Kind(kind), Remote(remote), Local(local.isEmpty() ? remote : local)
    {
    }
    std::int32_t Kind;
    QString Remote;
    QString Local;
};

// What the client hands to its owner for every event: code and text, the
// command it came from, and whether that command had been given up (Late):
// its result is for the log only and answers nothing.
class TFtpMsg
{
public:
    std::int32_t Code = 0;
    QString Text;
    std::int32_t Kind = 0; // the command's kind (TCommand)
    QString Remote;        // and its remote file
    bool Late = false;
};

class TStatusMsg : public TFtpMsg
{
};

// The reply codes the server gave during one command, read from its reply
// lines as they arrive. Only a line that ends a reply counts ("226 Transfer
// complete"): three digits, the first 1 to 5, then a blank or the line's end;
// continuation lines of a multi-line reply ("211-Features") and other text
// are passed over.
class TFtpReplies
{
public:
    // The code of a line that ends a reply, else -1.
    static int ReplyCode(const char *line, std::size_t length);
    void TakeLine(const char *line, std::size_t length);
    void Clear() { FCodes.clear(); }
    const std::vector<int> &Codes() const { return FCodes; }
    // The reply a failure goes by: the last one before the closing QUIT's
    // 221; 0 when there is none.
    int LastBeforeQuit() const;
    // The server does not implement the command (502 or 504).
    bool Unsupported() const;

private:
    std::vector<int> FCodes;
};

class TErrMsg : public TFtpMsg
{
};

using TErrorEvent = std::function<void(const TErrMsg &message)>;
using TStatusEvent = std::function<void(const TStatusMsg &message)>;

class FtpWorker;

// FTP client with a command queue, on libcurl. ExecuteNext starts the oldest
// command on a worker thread (the caller is never blocked) and does nothing
// while one is still running; its events arrive on the caller's thread in
// order, and the command leaves the queue when it has ended, failed or not.
class TFTPCL : public QObject
{
    Q_OBJECT

public:
    // The component's operation numbers (codes 100, 200 and 300 + number).
    enum TCmdType : int {
        ChangeDir = 0,
        MakeDir,
        DeleteOp,
        RemoveDir,
        List,
        Rename,
        UploadRestore,
        DownloadRestore,
        DownloadOp,
        UploadOp,
        UploadAppend,
        ReInit,
        Allocate,
        NList,
        DoCommand
    };
    static QString OperationName(int cmd);

    TFTPCL(const QString &user, const QString &host, const QString &password, QObject *parent = nullptr);
    // Disconnects when connected (an unfinished transfer is aborted) and frees the queue.
    ~TFTPCL() override;

    TErrorEvent OnErrorEvent;
    TStatusEvent OnstatusEvent;
    // Texts the user is to see in an information box ("Upload unsupported").
    std::function<void(const QString &text)> OnInformation;

    int AddCommand(std::int32_t kind, const QString &remote, const QString &local = QString());
    void ExecuteNext();
    // Drops the commands not yet started and gives up the one that runs: its
    // transfer is broken off, a download it made is not kept, and its events,
    // when they come, are marked Late.
    void ClearQueue();
    // The command that runs, or runs next; none on an empty queue.
    std::optional<TCommand> Pending() const;

    // The last command (not given up) that failed, and why in words for the user.
    struct TFailure {
        std::int32_t Kind = 0;
        QString Remote;
        std::int32_t Code = 0;
        QString Text;
    };
    const TFailure &LastFailure() const { return FLastFailure; }
    void ClearLastFailure() { FLastFailure = TFailure{}; }

    // 21 unless set; the control connection's port.
    void SetPort(int port) { FPort = port; }
    int Port() const { return FPort; }
    int Vendor() const { return FVendor; }
    // Control-connection time-out in ms before scaling (5000).
    int TimeOut() const { return FTimeOut; }
    QString Host() const { return FHost; }
    QString User() const { return FUser; }

    bool Connected() const { return FConnected; }
    bool Busy() const { return FBusy; }
    int QueueCount() const { return int(FQueue.size()); }

signals:
    // The running command has ended and its events have been fired.
    void CommandFinished(int kind);

private:
    struct Event {
        bool error;
        std::int32_t code;
        QString text;
        QString advice = QString(); // for the user, where the text is the fixed event text
    };
    struct Result {
        std::vector<Event> events;
        bool connected = false;
        QString information;
    };

    void Finish(const Result &result, bool late);
    void Fire(const Event &event, const TCommand &command, bool late);

    std::deque<TCommand> FQueue;
    QString FUser;
    QString FHost;
    QString FPassword;
    int FPort = 21;
    int FVendor = 2400;
    int FTimeOut = 5000;
    bool FConnected = false;
    bool FBusy = false;
    std::shared_ptr<std::atomic<bool>> FAbort;  // the client goes: every transfer ends
    std::shared_ptr<std::atomic<bool>> FCancel; // the running command is given up
    TFailure FLastFailure;
    QThread FThread;
    FtpWorker *FWorker = nullptr;

    friend class FtpWorker;
};
