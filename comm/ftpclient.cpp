#include "comm/ftpclient.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QMetaObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>
#include <curl/curl.h>
#include <mutex>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/timing.h"

namespace
{

const char *const OperationNames[] = {"ChangeDir", "MakeDir", "Delete",        "RemoveDir",
                                      "List",      "Rename",  "UploadRestore", "DownloadRestore",
                                      "Download",  "Upload",  "UploadAppend",  "ReInit",
                                      "Allocate",  "NList",   "DoCommand"};

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool validHost(const QString &host)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9.\\-]+$|^\\[[0-9A-Fa-f:.]+\\]$"));
    return !host.isEmpty() && pattern.match(host).hasMatch();
}

// Errors after which the control connection cannot be trusted any more.
bool connectionLost(CURLcode rc)
{
    switch (rc) {
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
    case CURLE_REMOTE_ACCESS_DENIED:
        return false;
    default:
        return true;
    }
}

} // namespace

// Runs the blocking libcurl calls on its own thread; one command at a time.
class FtpWorker : public QObject
{
public:
    struct Settings {
        QString user, host, password;
        int port;
        int timeOut;
    };

    FtpWorker(const Settings &settings, std::shared_ptr<std::atomic<bool>> abort)
        : FSettings(settings), FAbort(std::move(abort))
    {
    }
    ~FtpWorker() override { Drop(); }

    // cancel: set when the owner gives the command up.
    TFTPCL::Result Run(const TCommand &command, std::shared_ptr<std::atomic<bool>> cancel);
    void Quit()
    {
        if (FLoggedIn)
            Drop();
    }
    // From the owner's thread: breaks off the exchange under way at once (a
    // given-up command would otherwise run on until libcurl's next progress call).
    void Interrupt()
    {
        const std::lock_guard<std::mutex> lock(FSocketsLock);
        for (const curl_socket_t fd : FSockets)
            ::shutdown(fd, SHUT_RDWR);
    }

private:
    using Event = TFTPCL::Event;

    CURL *Handle();
    static void Defaults(CURL *curl);
    void Drop()
    {
        if (FCurl)
            curl_easy_cleanup(FCurl); // sends QUIT on a live connection
        FCurl = nullptr;
        FLoggedIn = false;
    }
    QByteArray Url(const QString &remote) const;
    CURLcode Perform(CURL *curl);
    Event ErrorFor(CURLcode rc, const QString &local = QString()) const;
    QString Server() const { return QStringLiteral("FTP %1:%2").arg(FSettings.host).arg(FSettings.port); }
    bool Cancelled() const { return FCancel && FCancel->load(); }
    bool EnsureConnected(std::vector<Event> &events);
    void Failed(std::vector<Event> &events, CURLcode rc, int cmd, QString &information,
                const QString &local = QString());

    static size_t WriteToFile(char *data, size_t size, size_t count, void *file);
    static size_t ReadFromFile(char *data, size_t size, size_t count, void *file);
    static size_t Response(char *data, size_t size, size_t count, void *self);
    static int Progress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static curl_socket_t OpenSocket(void *self, curlsocktype purpose, curl_sockaddr *address);
    static int CloseSocket(void *self, curl_socket_t fd);

    Settings FSettings;
    std::shared_ptr<std::atomic<bool>> FAbort;
    std::shared_ptr<std::atomic<bool>> FCancel;
    CURL *FCurl = nullptr;
    bool FLoggedIn = false;
    char FErrorBuffer[CURL_ERROR_SIZE] = {};
    QDeadlineTimer FStall;
    qint64 FLastProgress = -1;
    bool FStalled = false;
    TFtpReplies FResponses; // reply codes of the server during one perform
    std::mutex FSocketsLock;
    std::set<curl_socket_t> FSockets; // the sockets libcurl has open
};

curl_socket_t FtpWorker::OpenSocket(void *self, curlsocktype purpose, curl_sockaddr *address)
{
    (void)purpose;
    auto *worker = static_cast<FtpWorker *>(self);
    if (worker->Cancelled() || worker->FAbort->load())
        return CURL_SOCKET_BAD;
    const curl_socket_t fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd != CURL_SOCKET_BAD) {
        const std::lock_guard<std::mutex> lock(worker->FSocketsLock);
        worker->FSockets.insert(fd);
    }
    return fd;
}

int FtpWorker::CloseSocket(void *self, curl_socket_t fd)
{
    auto *worker = static_cast<FtpWorker *>(self);
    {
        const std::lock_guard<std::mutex> lock(worker->FSocketsLock);
        worker->FSockets.erase(fd);
    }
    return ::close(fd);
}

int TFtpReplies::ReplyCode(const char *line, std::size_t length)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (length < 3 || line[0] < '1' || line[0] > '5' || !digit(line[1]) || !digit(line[2]))
        return -1;
    if (length > 3 && line[3] != ' ' && line[3] != '\r' && line[3] != '\n')
        return -1;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

void TFtpReplies::TakeLine(const char *line, std::size_t length)
{
    const int code = ReplyCode(line, length);
    if (code >= 0)
        FCodes.push_back(code);
}

int TFtpReplies::LastBeforeQuit() const
{
    for (auto it = FCodes.rbegin(); it != FCodes.rend(); ++it)
        if (*it != 221)
            return *it;
    return 0;
}

bool TFtpReplies::Unsupported() const
{
    const int code = LastBeforeQuit();
    return code == 502 || code == 504;
}

size_t FtpWorker::Response(char *data, size_t size, size_t count, void *self)
{
    const size_t n = size * count;
    static_cast<FtpWorker *>(self)->FResponses.TakeLine(data, n);
    return n;
}

// Back to the plain options between commands. Not curl_easy_reset: on a reused
// connection it makes the data connection time out at once.
void FtpWorker::Defaults(CURL *curl)
{
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
}

CURL *FtpWorker::Handle()
{
    if (!FCurl) {
        FCurl = curl_easy_init();
        curl_easy_setopt(FCurl, CURLOPT_OPENSOCKETFUNCTION, &FtpWorker::OpenSocket);
        curl_easy_setopt(FCurl, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(FCurl, CURLOPT_CLOSESOCKETFUNCTION, &FtpWorker::CloseSocket);
        curl_easy_setopt(FCurl, CURLOPT_CLOSESOCKETDATA, this);
    }
    return FCurl;
}

QByteArray FtpWorker::Url(const QString &remote) const
{
    const QString url = QStringLiteral("ftp://%1:%2/").arg(FSettings.host).arg(FSettings.port);
    // No credentials here: they go in their own options.
    return url.toLatin1() + QUrl::toPercentEncoding(remote, "/");
}

int FtpWorker::Progress(void *self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                        curl_off_t ulnow)
{
    (void)dltotal;
    (void)ultotal;
    auto *worker = static_cast<FtpWorker *>(self);
    if (worker->FAbort->load() || worker->Cancelled())
        return 1;
    const qint64 moved = qint64(dlnow + ulnow);
    if (moved != worker->FLastProgress) {
        worker->FLastProgress = moved;
        worker->FStall.setRemainingTime(platform::ScaledInterval(worker->FSettings.timeOut) * 2);
    } else if (worker->FStall.hasExpired()) {
        worker->FStalled = true;
        return 1;
    }
    return 0;
}

CURLcode FtpWorker::Perform(CURL *curl)
{
    const int timeOut = platform::ScaledInterval(FSettings.timeOut);
    const long seconds = std::max(1L, long((timeOut + 999) / 1000));
    FErrorBuffer[0] = '\0';
    FLastProgress = -1;
    FStalled = false;
    FStall.setRemainingTime(timeOut * 2);
    FResponses.Clear();
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &FtpWorker::Response);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, FErrorBuffer);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERNAME, FSettings.user.toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, FSettings.password.toUtf8().constData());
    // Every command logs in on a fresh control connection: on a reused one this
    // libcurl times the data connection from a stale start and fails it.
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(timeOut));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, long(timeOut));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &FtpWorker::Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    return curl_easy_perform(curl);
}

TFTPCL::Event FtpWorker::ErrorFor(CURLcode rc, const QString &local) const
{
    const QString detail =
        FErrorBuffer[0] ? QString::fromLocal8Bit(FErrorBuffer) : QString::fromLatin1(curl_easy_strerror(rc));
    if (rc == CURLE_COULDNT_RESOLVE_HOST || rc == CURLE_URL_MALFORMAT)
        return {true, -1, QStringLiteral("Invalid host!"), FtpErrorMessage(TFtpError::NoHost, Server(), detail)};
    if (Cancelled())
        return {true, std::int32_t(rc), Server() + QStringLiteral(": given up, no longer awaited")};
    TFtpError kind = TFtpError::Broken;
    switch (rc) {
    case CURLE_COULDNT_CONNECT:
        kind = TFtpError::Refused;
        break;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT:
        kind = TFtpError::Timeout;
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        kind = FStalled ? TFtpError::Timeout : TFtpError::Broken;
        break;
    case CURLE_LOGIN_DENIED:
        kind = TFtpError::LoginRefused;
        break;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
        kind = TFtpError::RemoteFile;
        break;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
        kind = TFtpError::Protocol;
        break;
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
        kind = TFtpError::LocalFile;
        break;
    default:
        break;
    }
    const QString where = kind == TFtpError::LocalFile && !local.isEmpty() ? local : Server();
    return {true, std::int32_t(rc), FtpErrorMessage(kind, where, detail)};
}

bool FtpWorker::EnsureConnected(std::vector<Event> &events)
{
    if (FLoggedIn)
        return true;
    if (!validHost(FSettings.host)) {
        events.push_back({true, -1, QStringLiteral("Invalid host!"),
                          FtpErrorMessage(TFtpError::NoHost, QStringLiteral("FTP ") + FSettings.host)});
        return false;
    }
    CURL *curl = Handle();
    Defaults(curl);
    curl_easy_setopt(curl, CURLOPT_URL, Url(QString()).constData());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L); // log in, no listing
    const CURLcode rc = Perform(curl);
    if (rc != CURLE_OK) {
        events.push_back(ErrorFor(rc));
        Drop();
        return false;
    }
    FLoggedIn = true;
    events.push_back({false, -1, QStringLiteral("connect!")});
    return true;
}

void FtpWorker::Failed(std::vector<Event> &events, CURLcode rc, int cmd, QString &information,
                       const QString &local)
{
    if (!Cancelled() && FResponses.Unsupported()) {
        // The server does not implement the command.
        events.push_back({false, 300 + cmd, QStringLiteral("Data Transfer Complete")});
        information = TFTPCL::OperationName(cmd) + QStringLiteral(" unsupported");
        return;
    }
    events.push_back(ErrorFor(rc, local));
    events.push_back({true, 100 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" failure")});
    if (connectionLost(rc))
        Drop();
}

size_t FtpWorker::WriteToFile(char *data, size_t size, size_t count, void *file)
{
    const qint64 n = qint64(size * count);
    return static_cast<QSaveFile *>(file)->write(data, n) == n ? size * count : 0;
}

size_t FtpWorker::ReadFromFile(char *data, size_t size, size_t count, void *file)
{
    const qint64 n = static_cast<QFile *>(file)->read(data, qint64(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : size_t(n);
}

TFTPCL::Result FtpWorker::Run(const TCommand &command, std::shared_ptr<std::atomic<bool>> cancel)
{
    FCancel = std::move(cancel);
    TFTPCL::Result result;
    std::vector<Event> &events = result.events;
    if (command.Kind == TCommand::Disconnect) {
        // Disconnecting when not connected does nothing.
        if (FLoggedIn) {
            Drop();
            events.push_back({false, -1, QStringLiteral("disconect!")});
        }
        result.connected = FLoggedIn;
        return result;
    }
    if (!EnsureConnected(events) || command.Kind == TCommand::Connect) {
        result.connected = FLoggedIn;
        return result;
    }
    CURL *curl = Handle();
    Defaults(curl);
    switch (command.Kind) {
    case TCommand::Download: {
        const int cmd = TFTPCL::DownloadOp;
        // Into a temporary file beside the target, renamed only on success.
        QSaveFile file(command.Local);
        if (!file.open(QIODevice::WriteOnly)) {
            events.push_back({true, std::int32_t(CURLE_WRITE_ERROR),
                              FtpErrorMessage(TFtpError::LocalFile, command.Local, file.errorString())});
            events.push_back({true, 100 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" failure")});
            break;
        }
        events.push_back({false, -1, QStringLiteral("Beginning Data Transfer")});
        curl_easy_setopt(curl, CURLOPT_URL, Url(command.Remote).constData());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &FtpWorker::WriteToFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &file);
        CURLcode rc = Perform(curl);
        // A download given up is never put in place, however far it came.
        if (rc == CURLE_OK && Cancelled())
            rc = CURLE_ABORTED_BY_CALLBACK;
        if (rc == CURLE_OK && file.commit()) {
            events.push_back({false, -1, QStringLiteral("Data Transfer complete")});
            events.push_back({false, 200 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" success")});
        } else {
            file.cancelWriting();
            if (rc == CURLE_OK) {
                events.push_back({true, std::int32_t(CURLE_WRITE_ERROR),
                                  FtpErrorMessage(TFtpError::LocalFile, command.Local, file.errorString())});
                events.push_back({true, 100 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" failure")});
            } else {
                Failed(events, rc, cmd, result.information, command.Local);
            }
        }
        break;
    }
    case TCommand::Upload: {
        const int cmd = TFTPCL::UploadOp;
        QFile file(command.Local);
        if (!file.open(QIODevice::ReadOnly)) {
            events.push_back({true, std::int32_t(CURLE_READ_ERROR),
                              FtpErrorMessage(TFtpError::LocalFile, command.Local, file.errorString())});
            events.push_back({true, 100 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" failure")});
            break;
        }
        events.push_back({false, -1, QStringLiteral("Beginning Data Transfer")});
        curl_easy_setopt(curl, CURLOPT_URL, Url(command.Remote).constData());
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &FtpWorker::ReadFromFile);
        curl_easy_setopt(curl, CURLOPT_READDATA, &file);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
        const CURLcode rc = Perform(curl);
        if (rc == CURLE_OK) {
            events.push_back({false, -1, QStringLiteral("Data Transfer complete")});
            events.push_back({false, 200 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" success")});
        } else {
            Failed(events, rc, cmd, result.information, command.Local);
        }
        break;
    }
    case TCommand::Delete: {
        const int cmd = TFTPCL::DeleteOp;
        const QByteArray dele = "DELE " + command.Remote.toUtf8();
        curl_slist *quote = curl_slist_append(nullptr, dele.constData());
        curl_easy_setopt(curl, CURLOPT_URL, Url(QString()).constData());
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(curl, CURLOPT_QUOTE, quote);
        const CURLcode rc = Perform(curl);
        curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(quote);
        if (rc == CURLE_OK)
            events.push_back({false, 200 + cmd, TFTPCL::OperationName(cmd) + QStringLiteral(" success")});
        else
            Failed(events, rc, cmd, result.information);
        break;
    }
    default:
        break; // unknown kinds do nothing
    }
    result.connected = FLoggedIn;
    return result;
}

QString TFTPCL::OperationName(int cmd)
{
    if (cmd < 0 || cmd >= int(std::size(OperationNames)))
        return QString();
    return QString::fromLatin1(OperationNames[cmd]);
}

TFTPCL::TFTPCL(const QString &user, const QString &host, const QString &password, QObject *parent)
    : QObject(parent), FUser(user), FHost(host), FPassword(password),
      FAbort(std::make_shared<std::atomic<bool>>(false))
{
    initialiseCurl();
    FThread.setObjectName(QStringLiteral("ftp"));
    FThread.start();
}

TFTPCL::~TFTPCL()
{
    FAbort->store(true); // a running transfer ends at its next progress call
    if (FWorker) {
        FWorker->Interrupt(); // or at once
        FtpWorker *worker = FWorker;
        // Waits for a running command, which the abort flag cuts short; the
        // worker thread never waits for this one, so this cannot deadlock.
        QMetaObject::invokeMethod(
            worker,
            [worker] {
                worker->Quit();
                delete worker;
            },
            Qt::BlockingQueuedConnection);
        FWorker = nullptr;
    }
    FThread.quit();
    FThread.wait();
    FQueue.clear();
}

int TFTPCL::AddCommand(std::int32_t kind, const QString &remote, const QString &local)
{
    FQueue.emplace_back(kind, remote, local);
    return int(FQueue.size()) - 1;
}

void TFTPCL::ClearQueue()
{
    // A running command stays at the head until its end removes it.
    const std::size_t keep = FBusy && !FQueue.empty() ? 1 : 0;
    FQueue.erase(FQueue.begin() + std::ptrdiff_t(keep), FQueue.end());
    if (FBusy && FCancel) {
        FCancel->store(true);
        if (FWorker)
            FWorker->Interrupt();
    }
}

std::optional<TCommand> TFTPCL::Pending() const
{
    if (FQueue.empty())
        return std::nullopt;
    return FQueue.front();
}

void TFTPCL::ExecuteNext()
{
    if (FQueue.empty() || FBusy)
        return;
    if (!FWorker) {
        // Made on first use so that the port can still be changed after creation.
        FWorker = new FtpWorker({FUser, FHost, FPassword, FPort, FTimeOut}, FAbort);
        FWorker->moveToThread(&FThread);
    }
    FBusy = true;
    const TCommand command = FQueue.front();
    FtpWorker *worker = FWorker;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    FCancel = cancel;
    QMetaObject::invokeMethod(
        worker,
        [this, worker, command, cancel] {
            const Result result = worker->Run(command, cancel);
            QMetaObject::invokeMethod(
                this, [this, result, cancel] { Finish(result, cancel->load()); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void TFTPCL::Fire(const Event &event, const TCommand &command, bool late)
{
    // The message is the firing side's: it lives only for the call.
    auto fill = [&](TFtpMsg &message) {
        message.Code = event.code;
        message.Text = event.text;
        message.Kind = command.Kind;
        message.Remote = command.Remote;
        message.Late = late;
    };
    if (event.error) {
        TErrMsg message;
        fill(message);
        if (OnErrorEvent)
            OnErrorEvent(message);
    } else {
        TStatusMsg message;
        fill(message);
        if (OnstatusEvent)
            OnstatusEvent(message);
    }
}

void TFTPCL::Finish(const Result &result, bool late)
{
    const TCommand command = FQueue.empty() ? TCommand(0, QString(), QString()) : FQueue.front();
    // The command ends here whatever the outcome: a failure never holds the queue.
    if (!FQueue.empty())
        FQueue.pop_front();
    FBusy = false;
    FCancel.reset();
    FConnected = result.connected;
    if (!late)
        for (const Event &event : result.events)
            if (event.error) {
                FLastFailure = {command.Kind, command.Remote, event.code,
                                event.advice.isEmpty() ? event.text : event.advice};
                break;
            }
    for (const Event &event : result.events)
        Fire(event, command, late);
    if (!result.information.isEmpty() && OnInformation && !late)
        OnInformation(result.information);
    emit CommandFinished(command.Kind);
}
