#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUdpSocket>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "comm/commerror.h"
#include "comm/commlog.h"

// One 264-byte datagram: code (u32 LE), 256 body bytes, sum (u32 LE) of the
// first 260 bytes taken as unsigned bytes.
class T_MSG
{
public:
    static constexpr int Size = 264;
    static constexpr int BodyOffset = 4;
    static constexpr int BodySize = 256;
    static constexpr int SumOffset = 260;
    using TBytes = std::array<std::uint8_t, Size>;

    // From a complete message: the sum is computed and stored, so it is valid.
    static T_MSG Create(const TBytes &message, const QString &address);
    // From a received datagram (at least Size bytes): kept as received.
    static T_MSG CreateReceived(const std::uint8_t *datagram, const QString &address);
    // A received datagram as a message; none when it is shorter than a
    // message or its sum is wrong. Bytes past Size are ignored.
    static std::optional<T_MSG> FromDatagram(const QByteArray &datagram, const QString &address);

    bool IsValid() const { return StoredSum() == FSum; }
    std::uint32_t Code() const { return GetU32(FData.data()); }
    std::uint32_t StoredSum() const { return GetU32(FData.data() + SumOffset); }
    std::uint32_t ComputedSum() const { return FSum; }
    const TBytes &Data() const { return FData; }
    TBytes &Data() { return FData; }
    const QString &Address() const { return FAddress; }
    QByteArray Bytes() const { return QByteArray(reinterpret_cast<const char *>(FData.data()), Size); }

    static std::uint32_t ComputeSum(const std::uint8_t *message);
    static std::uint32_t GetU32(const std::uint8_t *p);
    static void PutU32(std::uint8_t *p, std::uint32_t value);
    // A zero-terminated text of at most max bytes (Windows-1250) from p.
    static QString ReadText(const std::uint8_t *p, int max);
    // The plain-layout text of a message (at most 255 characters).
    static QString Text(const TBytes &message);

private:
    TBytes FData{};
    QString FAddress;
    std::uint32_t FSum = 0;
};

// The log interface of the datagram socket: builds "yyyy / MM /dd hh:mm:ss - text"
// and hands it to the sink when one is attached.
class TPrFace
{
public:
    bool Enabled = true;
    TLogHook Sink;
    void Print(bool flag, const QString &text);
};

// UDP socket with a send queue and a receive queue of messages.
class TIUDP : public QObject
{
    Q_OBJECT

public:
    // host: "127.0.0.1", or any other host whose subnet broadcast address
    // becomes the default destination. Binds localPort (on the loopback
    // address for "127.0.0.1"); sends go to remotePort.
    TIUDP(const QString &host, TPrFace *log, bool logFlag, int reportLevel, int remotePort, int localPort,
          QObject *parent = nullptr);
    ~TIUDP() override;

    static QString DefaultHostFor(const QString &host);

    // Queue a message and send; the text is cut to 255 bytes, the raw body to 256.
    void SendMessage(std::uint32_t code, const QString &text, const QString &address);
    void SendRaw(std::uint32_t code, const QByteArray &body, const QString &address);
    void SendNext();
    // Number queued before the call; when at least 1 the oldest is copied out
    // and removed. Arguments are left alone on an empty queue.
    int ReadMessage(T_MSG::TBytes &message, QString &address);

    // Extra check for received messages (the relayed layout sets one).
    void SetAcceptor(std::function<bool(const T_MSG &)> acceptor) { FAcceptor = std::move(acceptor); }

    bool Bound() const { return FBound; }
    TRelayError LastError() const { return FLastError; }
    QString LastErrorText() const { return FLastErrorText; }
    // Why the endpoint could not bind, for the user (the address is in use,
    // no permission, ...); empty when it is bound.
    QString BindFailureReason() const { return FBound ? QString() : FLastErrorText; }
    QString DefaultHost() const { return FDefaultHost; }
    int RemotePort() const { return FRemotePort; }
    int LocalPort() const { return FLocalPort; }
    int SendQueueCount() const { return int(FSendQueue.size()); }
    int ReceiveQueueCount() const { return int(FReceiveQueue.size()); }

    static constexpr int MaxReceiveQueue = 1024;

signals:
    void LogEntry(TLogKind kind, const QString &text);
    // A valid message was queued.
    void MessageQueued();

private:
    void DataReceived();
    void Queue(const T_MSG::TBytes &message, const QString &address);
    void Status(const QString &text);

    QUdpSocket FSocket;
    QString FDefaultHost;
    int FRemotePort;
    int FLocalPort;
    TPrFace *FLog;
    bool FOwnLog;
    bool FLogFlag;
    int FReportLevel;
    std::deque<T_MSG> FReceiveQueue;
    std::deque<T_MSG> FSendQueue;
    std::function<bool(const T_MSG &)> FAcceptor;
    bool FBound = false;
    bool FSendScheduled = false;
    TRelayError FLastError = TRelayError::None;
    QString FLastErrorText;
};
