#include "comm/udpr_sock.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <cstring>

#include "platform/codepage.h"

int GetLocalAddresses(QStringList &list, QString &hostName, QString &errorText)
{
    errorText.clear();
    hostName.clear();
    list.clear();
    int code = 0;
    hostName = QHostInfo::localHostName().left(64);
    if (hostName.isEmpty()) {
        code = 1;
        errorText = QStringLiteral("the host name is not known");
    }
    // The interfaces' own addresses: no name lookup, which may hang without a network.
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &a : addresses) {
        if (list.size() >= 11)
            break;
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            list << a.toString();
    }
    if (list.isEmpty() && code == 0) {
        code = 2;
        errorText = QStringLiteral("no IPv4 address on this computer");
    }
    return code;
}

TUDPR_S::TUDPR_S(int layout, const QString &host, int port1, int port2, bool swap, QObject *parent)
    : QObject(parent), FHost(host), FSwap(swap), FLayout(layout)
{
    FErrorCode = GetLocalAddresses(FLocalAddresses, FLocalHost, FErrorText);
    const int local = swap ? port1 : port2;
    const int remote = swap ? port2 : port1;
    FSocket = std::make_unique<TIUDP>(host, nullptr, FLogFlag, FReportLevel, remote, local);
    connect(FSocket.get(), &TIUDP::LogEntry, this, &TUDPR_S::LogEntry);
    if (FLayout == RelayedLayout) {
        FSocket->SetAcceptor(AcceptRelayed);
    }
}

TUDPR_S::~TUDPR_S() = default;

QByteArray TUDPR_S::RelayedBody(std::uint32_t code, const QString &address, const QString &text)
{
    QByteArray body(T_MSG::BodySize, '\0');
    auto *p = reinterpret_cast<std::uint8_t *>(body.data());
    T_MSG::PutU32(p, code);
    const QByteArray a = address.toLatin1().left(MaxAddress);
    p[AddressOffset] = std::uint8_t(a.size());
    std::memcpy(p + AddressOffset + 1, a.constData(), std::size_t(a.size()));
    const QByteArray t = platform::ToCp1250(text).left(MaxSentText);
    std::memcpy(p + TextOffset, t.constData(), std::size_t(t.size()));
    return body;
}

void TUDPR_S::SendMessage(std::uint32_t code, const QString &text, const QString &address)
{
    if (FLayout != RelayedLayout) {
        FSocket->SendMessage(code, text, address);
        return;
    }
    // The system's address travels inside the body; the datagram goes to the relay.
    FSocket->SendRaw(code, RelayedBody(code, address, text), FHost);
}

bool TUDPR_S::AcceptRelayed(const T_MSG &message)
{
    // A relayed address longer than its field would be read past it.
    return message.Data()[T_MSG::BodyOffset + AddressOffset] <= MaxAddress;
}

QString TUDPR_S::UnpackRelayed(T_MSG::TBytes &message)
{
    const std::uint8_t *body = message.data() + T_MSG::BodyOffset;
    const std::uint32_t code = T_MSG::GetU32(body);
    const int length = std::min<int>(body[AddressOffset], MaxAddress);
    const QString address =
        QString::fromLatin1(reinterpret_cast<const char *>(body + AddressOffset + 1), length);
    T_MSG::TBytes unpacked{};
    T_MSG::PutU32(unpacked.data(), code);
    std::memcpy(unpacked.data() + T_MSG::BodyOffset, body + TextOffset, MaxReadText);
    std::memcpy(unpacked.data() + T_MSG::SumOffset, message.data() + T_MSG::SumOffset, 4);
    message = unpacked;
    return address;
}

int TUDPR_S::ReadMessage(T_MSG::TBytes &message, QString &address)
{
    const int count = FSocket->ReadMessage(message, address);
    if (count >= 1 && FLayout == RelayedLayout)
        address = UnpackRelayed(message);
    return count;
}

QString RelayFailureText(const QString &heading, const TUDPR_S *link)
{
    const QString reason = link ? link->BindFailureReason() : QString();
    return reason.isEmpty() ? heading : heading + QStringLiteral("\r\n") + reason;
}

TUDPR_S *CreateRelayLink(QObject *parent)
{
    return new TUDPR_S(TUDPR_S::RelayedLayout, QStringLiteral("127.0.0.1"), TUDPR_S::RelaySendPort,
                       TUDPR_S::RelayListenPort, false, parent);
}
