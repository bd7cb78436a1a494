#include "comm/commerror.h"

namespace
{

QString compose(const QString &where, const QString &advice, const QString &detail)
{
    QString text = where + QStringLiteral(": ") + advice;
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}

QString serialAdvice(TLinkError kind)
{
    switch (kind) {
    case TLinkError::None:
        return QString();
    case TLinkError::NoDevice:
        return QStringLiteral("not found (no such device). Check that the adapter is connected and that "
                              "the port number (or KELVARA_COMn) is right.");
    case TLinkError::NoAccess:
        return QStringLiteral("no access. Check the permissions of the device (membership of the "
                              "dialout group).");
    case TLinkError::Busy:
        return QStringLiteral("busy. Another program is using it; close that program and try again.");
    case TLinkError::Io:
        return QStringLiteral("input/output error. Check the cable and the adapter and try again.");
    case TLinkError::Timeout:
        return QStringLiteral("time-out: no answer in time. Check that the system is switched on and "
                              "connected, then try again.");
    case TLinkError::Protocol:
        return QStringLiteral("unexpected answer. Check that the right system is connected.");
    }
    return QString();
}

QString relayAdvice(TRelayError kind)
{
    switch (kind) {
    case TRelayError::None:
        return QString();
    case TRelayError::PortInUse:
        return QStringLiteral("the address is already in use. Another program (a second copy of Kelvara, "
                              "say) listens there; close it and start again.");
    case TRelayError::NoAccess:
        return QStringLiteral("no permission to use this address. Check that no security policy of this "
                              "computer forbids it.");
    case TRelayError::NoAddress:
        return QStringLiteral("the address is not available on this computer. Check that its loopback "
                              "interface is up.");
    case TRelayError::Io:
        return QStringLiteral("the datagram could not be sent or received. Check that the relay service "
                              "runs on this computer, then try again.");
    }
    return QString();
}

QString ftpAdvice(TFtpError kind)
{
    switch (kind) {
    case TFtpError::None:
        return QString();
    case TFtpError::NoHost:
        return QStringLiteral("no such host. Check the system's address given with -i.");
    case TFtpError::Refused:
        return QStringLiteral("connection refused. Check that the FTP server on the system runs and that "
                              "the address given with -i is the system's.");
    case TFtpError::LoginRefused:
        return QStringLiteral("the login was refused. Check the user name and the password given with -i.");
    case TFtpError::RemoteFile:
        return QStringLiteral("the server does not give or take the file. Check that the FTP server on the "
                              "system offers it and lets the user given with -i read and write it.");
    case TFtpError::Timeout:
        return QStringLiteral("time-out: the server did not answer in time. Check the network to the system "
                              "and that the system is switched on.");
    case TFtpError::Broken:
        return QStringLiteral("the connection broke off. Check the network to the system and try again.");
    case TFtpError::Protocol:
        return QStringLiteral("the answers are not an FTP server's. Check that the address given with -i is "
                              "the system's.");
    case TFtpError::LocalFile:
        return QStringLiteral("the file on this computer cannot be read or written. Check the permissions "
                              "and the free space of its folder.");
    }
    return QString();
}

} // namespace

QString LinkErrorMessage(TLinkError kind, const QString &where, const QString &detail)
{
    return kind == TLinkError::None ? QString() : compose(where, serialAdvice(kind), detail);
}

const char *LinkErrorName(TLinkError kind)
{
    switch (kind) {
    case TLinkError::None: return "none";
    case TLinkError::NoDevice: return "no device";
    case TLinkError::NoAccess: return "no access";
    case TLinkError::Busy: return "busy";
    case TLinkError::Io: return "I/O";
    case TLinkError::Timeout: return "time-out";
    case TLinkError::Protocol: return "protocol";
    }
    return "?";
}

QString RelayErrorMessage(TRelayError kind, const QString &where, const QString &detail)
{
    return kind == TRelayError::None ? QString() : compose(where, relayAdvice(kind), detail);
}

QString FtpErrorMessage(TFtpError kind, const QString &where, const QString &detail)
{
    return kind == TFtpError::None ? QString() : compose(where, ftpAdvice(kind), detail);
}
