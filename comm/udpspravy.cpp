#include "comm/udpspravy.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "platform/codepage.h"

std::uint32_t T_MSG::GetU32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void T_MSG::PutU32(std::uint8_t *p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(value >> (8 * i));
}

std::uint32_t T_MSG::ComputeSum(const std::uint8_t *message)
{
    std::uint32_t sum = 0;
    for (int i = 0; i < SumOffset; ++i)
        sum += message[i];
    return sum;
}

T_MSG T_MSG::Create(const TBytes &message, const QString &address)
{
    T_MSG m;
    m.FData = message;
    m.FAddress = address;
    m.FSum = ComputeSum(m.FData.data());
    PutU32(m.FData.data() + SumOffset, m.FSum);
    return m;
}

T_MSG T_MSG::CreateReceived(const std::uint8_t *datagram, const QString &address)
{
    T_MSG m;
    std::memcpy(m.FData.data(), datagram, Size);
    m.FAddress = address;
    m.FSum = ComputeSum(m.FData.data());
    return m;
}

std::optional<T_MSG> T_MSG::FromDatagram(const QByteArray &datagram, const QString &address)
{
    if (datagram.size() < Size)
        return std::nullopt;
    T_MSG message = CreateReceived(reinterpret_cast<const std::uint8_t *>(datagram.constData()), address);
    if (!message.IsValid())
        return std::nullopt;
    return message;
}

QString T_MSG::ReadText(const std::uint8_t *p, int max)
{
    const void *end = std::memchr(p, 0, std::size_t(max));
    const int length = end ? int(static_cast<const std::uint8_t *>(end) - p) : max;
    return platform::FromCp1250(QByteArray(reinterpret_cast<const char *>(p), length));
}

QString T_MSG::Text(const TBytes &message)
{
    return ReadText(message.data() + BodyOffset, BodySize - 1);
}

void TPrFace::Print(bool flag, const QString &text)
{
    if (!flag || !Enabled)
        return;
    const QString line = QStringLiteral("%1 - %2").arg(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy / MM /dd hh:mm:ss")), text);
    if (Sink)
        Sink(TLogKind::Information, line);
}

QString TIUDP::DefaultHostFor(const QString &host)
{
    if (host == QLatin1String("127.0.0.1"))
        return host;
    const qsizetype dot = host.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return host + QStringLiteral(".255");
    return host.left(dot + 1) + QStringLiteral("255");
}

TIUDP::TIUDP(const QString &host, TPrFace *log, bool logFlag, int reportLevel, int remotePort, int localPort,
             QObject *parent)
    : QObject(parent), FDefaultHost(DefaultHostFor(host)), FRemotePort(remotePort), FLocalPort(localPort),
      FLog(log ? log : new TPrFace), FOwnLog(log == nullptr), FLogFlag(logFlag), FReportLevel(reportLevel)
{
    if (FOwnLog)
        FLog->Sink = [this](TLogKind kind, const QString &text) { emit LogEntry(kind, text); };
    const QHostAddress bindAddress = host == QLatin1String("127.0.0.1")
                                         ? QHostAddress(QHostAddress::LocalHost)
                                         : QHostAddress(QHostAddress::AnyIPv4);
    // Not shared: a second copy on the same port must fail, not split the traffic.
    FBound = FSocket.bind(bindAddress, quint16(localPort), QAbstractSocket::DontShareAddress);
    if (!FBound) {
        const QString where = QStringLiteral("UDP %1:%2").arg(bindAddress.toString()).arg(localPort);
        switch (FSocket.error()) {
        case QAbstractSocket::AddressInUseError: FLastError = TRelayError::PortInUse; break;
        case QAbstractSocket::SocketAccessError: FLastError = TRelayError::NoAccess; break;
        case QAbstractSocket::SocketAddressNotAvailableError: FLastError = TRelayError::NoAddress; break;
        default: FLastError = TRelayError::Io; break;
        }
        FLastErrorText = RelayErrorMessage(FLastError, where, FSocket.errorString());
        emit LogEntry(TLogKind::Error, FLastErrorText);
    }
    connect(&FSocket, &QUdpSocket::readyRead, this, &TIUDP::DataReceived);
    connect(&FSocket, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        Status(QStringLiteral("socket state %1").arg(int(state)));
    });
}

TIUDP::~TIUDP()
{
    FSendQueue.clear();
    FReceiveQueue.clear();
    if (FOwnLog)
        delete FLog;
}

void TIUDP::Status(const QString &text)
{
    if (FReportLevel >= 0)
        FLog->Print(FLogFlag, text);
}

void TIUDP::Queue(const T_MSG::TBytes &message, const QString &address)
{
    FSendQueue.push_back(T_MSG::Create(message, address));
    SendNext();
}

void TIUDP::SendMessage(std::uint32_t code, const QString &text, const QString &address)
{
    T_MSG::TBytes message{};
    T_MSG::PutU32(message.data(), code);
    const QByteArray bytes = platform::ToCp1250(text).left(T_MSG::BodySize - 1);
    std::memcpy(message.data() + T_MSG::BodyOffset, bytes.constData(), std::size_t(bytes.size()));
    Queue(message, address);
}

void TIUDP::SendRaw(std::uint32_t code, const QByteArray &body, const QString &address)
{
    T_MSG::TBytes message{};
    T_MSG::PutU32(message.data(), code);
    const QByteArray bytes = body.left(T_MSG::BodySize);
    std::memcpy(message.data() + T_MSG::BodyOffset, bytes.constData(), std::size_t(bytes.size()));
    Queue(message, address);
}

void TIUDP::SendNext()
{
    if (FSendQueue.empty())
        return;
    const T_MSG message = FSendQueue.front();
    FSendQueue.pop_front();
    const QString target = message.Address().isEmpty() ? FDefaultHost : message.Address();
    const QHostAddress address(target);
    const QByteArray bytes = message.Bytes();
    const qint64 sent = address.isNull() ? -1 : FSocket.writeDatagram(bytes, address, quint16(FRemotePort));
    if (sent != bytes.size()) {
        const QString reason = address.isNull() ? QStringLiteral("not an address") : FSocket.errorString();
        emit LogEntry(
            TLogKind::Error,
            RelayErrorMessage(TRelayError::Io, QStringLiteral("UDP %1:%2").arg(target).arg(FRemotePort),
                              QStringLiteral("message %1 not sent: %2").arg(message.Code()).arg(reason)));
    }
    // As after the socket's data-sent event: the next one follows.
    if (!FSendQueue.empty() && !FSendScheduled) {
        FSendScheduled = true;
        QTimer::singleShot(0, this, [this] {
            FSendScheduled = false;
            SendNext();
        });
    }
}

void TIUDP::DataReceived()
{
    while (FSocket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = FSocket.receiveDatagram();
        const QByteArray data = datagram.data();
        if (data.size() < T_MSG::Size)
            continue;
        QHostAddress sender = datagram.senderAddress();
        bool isV4 = false;
        const QHostAddress v4(sender.toIPv4Address(&isV4));
        if (isV4)
            sender = v4;
        const std::optional<T_MSG> message = T_MSG::FromDatagram(data, sender.toString());
        if (!message)
            continue;
        if (FAcceptor && !FAcceptor(*message))
            continue;
        if (int(FReceiveQueue.size()) >= MaxReceiveQueue) {
            emit LogEntry(TLogKind::Warning,
                          QStringLiteral("UDP: %1 messages unread, message from %2 dropped")
                              .arg(MaxReceiveQueue)
                              .arg(sender.toString()));
            continue;
        }
        FReceiveQueue.push_back(*message);
        emit MessageQueued();
    }
}

int TIUDP::ReadMessage(T_MSG::TBytes &message, QString &address)
{
    const int count = int(FReceiveQueue.size());
    if (count >= 1) {
        message = FReceiveQueue.front().Data();
        address = FReceiveQueue.front().Address();
        FReceiveQueue.pop_front();
    }
    return count;
}
