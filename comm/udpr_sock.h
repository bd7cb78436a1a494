#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "comm/udpspravy.h"

// The computer's own IPv4 addresses (at most 11) and host name; 0 on success.
int GetLocalAddresses(QStringList &list, QString &hostName, QString &errorText);

// The datagram endpoint to the local relay. In the relayed layout (0) the body
// carries the code again, the system's address (length byte 0..15 and up to 15
// characters) and the text from body offset 20; any other layout is plain text.
class TUDPR_S : public QObject
{
    Q_OBJECT

public:
    static constexpr int RelayedLayout = 0;
    static constexpr int PlainLayout = 1;
    static constexpr int RelayListenPort = 60000;
    static constexpr int RelaySendPort = 60001;
    static constexpr int AddressOffset = 4;
    static constexpr int MaxAddress = 15;
    static constexpr int TextOffset = 20;
    static constexpr int MaxSentText = 235;
    static constexpr int MaxReadText = 231;

    // swap: local port = port1, remote = port2; else local = port2, remote = port1.
    TUDPR_S(int layout, const QString &host, int port1, int port2, bool swap, QObject *parent = nullptr);
    ~TUDPR_S() override;

    void SendMessage(std::uint32_t code, const QString &text, const QString &address);
    int ReadMessage(T_MSG::TBytes &message, QString &address);

    // The relayed body of a message (code, address, text), as sent.
    static QByteArray RelayedBody(std::uint32_t code, const QString &address, const QString &text);
    // A received message of the relayed layout is taken only when its address
    // length fits the address field.
    static bool AcceptRelayed(const T_MSG &message);
    // A relayed message turned into the plain layout in place (code, text,
    // sum); returns the system's address it carried.
    static QString UnpackRelayed(T_MSG::TBytes &message);

    TIUDP *Socket() const { return FSocket.get(); }
    bool Ok() const { return FSocket->Bound(); }
    TRelayError LastError() const { return FSocket->LastError(); }
    QString LastErrorText() const { return FSocket->LastErrorText(); }
    QString BindFailureReason() const { return FSocket->BindFailureReason(); }
    const QStringList &LocalAddresses() const { return FLocalAddresses; }
    QString LocalHostName() const { return FLocalHost; }
    int AddressErrorCode() const { return FErrorCode; }
    QString AddressErrorText() const { return FErrorText; }
    int Layout() const { return FLayout; }
    QString Host() const { return FHost; }

signals:
    void LogEntry(TLogKind kind, const QString &text);

private:
    std::unique_ptr<TIUDP> FSocket;
    bool FLogFlag = false;
    int FReportLevel = 0;
    QStringList FLocalAddresses;
    QString FLocalHost;
    QString FHost;
    QString FErrorText;
    int FErrorCode = 0;
    bool FSwap;
    int FLayout;
};

// The main window's relay link: relayed layout, "127.0.0.1", listening on
// 60000, sending to 60001. Check Ok() (and LastErrorText()) after creation.
TUDPR_S *CreateRelayLink(QObject *parent);

// The relay link's failure for the user: heading, then on its own line why
// the link could not bind (none when the link was never made or is bound).
QString RelayFailureText(const QString &heading, const TUDPR_S *link);
