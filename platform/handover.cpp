#include "platform/handover.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

namespace HandOver {

QString AbsoluteName(const QString &argument, const QString &folder)
{
    if (argument.isEmpty())
        return QString();
    if (QDir::isAbsolutePath(argument))
        return QDir::cleanPath(argument);
    return QDir::cleanPath(QDir(folder).absoluteFilePath(argument));
}

TReceived ParseReceived(const QByteArray &bytes)
{
    TReceived result;
    const qsizetype end = bytes.indexOf('\0');
    if (end < 0) {
        if (bytes.size() > MaxNameBytes)
            result.kind = TReceived::Refused; // no terminator within bounds: not ours
        return result;
    }
    if (end > MaxNameBytes) {
        result.kind = TReceived::Refused;
        return result;
    }
    result.kind = TReceived::Complete;
    result.name = QString::fromUtf8(bytes.left(end));
    return result;
}

bool Send(const QString &socketPath, const QString &name, int timeoutMs)
{
    QByteArray message = name.toUtf8();
    if (message.size() > MaxNameBytes || message.contains('\0'))
        message.clear(); // the running copy then only comes to the front
    message.append('\0');

    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The first copy may still be starting: try until the deadline.
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(int(std::max<qint64>(1, std::min<qint64>(deadline.remainingTime(), 1000)))))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(message);
    if (!socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime()))))
        return false;
    QByteArray answer;
    while (answer.size() < Acknowledgement.size()) {
        if (!socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            return false;
        answer.append(socket.readAll());
    }
    return answer.startsWith(Acknowledgement);
}

TServer::TServer(Handler handler, QObject *parent) : QObject(parent), handler_(std::move(handler)) {}

TServer::~TServer()
{
    if (server_)
        server_->close();
}

bool TServer::Listen(const QString &socketPath)
{
    if (socketPath.isEmpty())
        return false;
    QLocalServer::removeServer(socketPath);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TServer::onConnection);
    return server_->listen(socketPath);
}

QString TServer::SocketPath() const { return server_ ? server_->fullServerName() : QString(); }

void TServer::onConnection()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onData(socket); });
        if (socket->bytesAvailable())
            onData(socket);
    }
}

void TServer::onData(QLocalSocket *socket)
{
    // One name per connection: what comes after it is not read.
    if (socket->property("handoverTaken").toBool()) {
        socket->readAll();
        return;
    }
    QByteArray buffer = socket->property("handover").toByteArray();
    buffer.append(socket->readAll());
    const TReceived received = ParseReceived(buffer);
    if (received.kind == TReceived::Incomplete) {
        socket->setProperty("handover", buffer);
        return;
    }
    if (received.kind == TReceived::Refused) {
        socket->abort();
        return;
    }
    socket->setProperty("handover", QByteArray());
    socket->setProperty("handoverTaken", true);
    // The name is handled from the event loop, not inside the socket's own
    // signal: the handler may ask a question for as long as the user likes,
    // and the sender may give up and go meanwhile, its socket with it.
    QPointer<QLocalSocket> peer(socket);
    const QString name = received.name;
    QMetaObject::invokeMethod(
        this,
        [this, peer, name] {
            try {
                if (handler_)
                    handler_(name);
            } catch (...) {
                // The handler reports its own errors; the sender still gets its answer.
            }
            // Answered only while the sender still waits for it.
            if (!peer || peer->state() != QLocalSocket::ConnectedState)
                return;
            peer->write(Acknowledgement);
            peer->flush();
            peer->disconnectFromServer();
        },
        Qt::QueuedConnection);
}

} // namespace HandOver
