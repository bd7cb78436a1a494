#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QLocalSocket;

// The file name a second copy hands to the running copy: UTF-8 bytes ending in
// a zero byte, at most MaxNameBytes before it; the running copy answers "OK\n"
// once it has handled the name.
namespace HandOver {

constexpr int MaxNameBytes = 4096;
inline const QByteArray Acknowledgement = QByteArrayLiteral("OK\n");

// The name to send for a program argument: absolute, resolved in `folder`
// (the caller's working folder); empty stays empty.
QString AbsoluteName(const QString &argument, const QString &folder);

// What the running copy makes of the bytes one connection brought so far:
// wait for more, refuse the connection (no terminator within bounds), or the
// name before the first zero byte. Bytes after that zero are ignored.
struct TReceived {
    enum Kind { Incomplete, Refused, Complete };
    Kind kind = Incomplete;
    QString name; // when Complete
};
TReceived ParseReceived(const QByteArray &bytes);

// Second copy: sends the name and waits for the acknowledgement.
// False when no running copy listens or it did not answer in time.
bool Send(const QString &socketPath, const QString &name, int timeoutMs);

// First copy: listens beside the lock and hands every valid name to the handler.
class TServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QString &name)>;

    explicit TServer(Handler handler, QObject *parent = nullptr);
    ~TServer() override;

    // Removes a socket left by a copy that died (we hold the lock) and listens.
    bool Listen(const QString &socketPath);
    QString SocketPath() const;

private:
    void onConnection();
    void onData(QLocalSocket *socket);

    Handler handler_;
    QLocalServer *server_ = nullptr;
};

} // namespace HandOver
