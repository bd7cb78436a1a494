#include "comm/commerror.h"

namespace
{

QString advice(TLinkError kind)
{
    switch (kind) {
    case TLinkError::None:
        return QString();
    case TLinkError::NoDevice:
        return QStringLiteral("not found (no such device, host or file). Check that the adapter is "
                              "connected and that the port number (or KELVARA_COMn), the address or the "
                              "file name is right.");
    case TLinkError::NoAccess:
        return QStringLiteral("no access. Check the permissions (for a serial port: membership of the "
                              "dialout group), the user name and the password.");
    case TLinkError::Busy:
        return QStringLiteral("busy. Another program is using it; close that program and try again.");
    case TLinkError::Io:
        return QStringLiteral("input/output error. Check the cable or the network and try again.");
    case TLinkError::Timeout:
        return QStringLiteral("time-out: no answer in time. Check that the system is switched on and "
                              "connected, then try again.");
    case TLinkError::Protocol:
        return QStringLiteral("unexpected answer. Check that the right system is connected.");
    case TLinkError::Refused:
        return QStringLiteral("connection refused. Check that the service runs on the system and that "
                              "the address and port are right.");
    }
    return QString();
}

} // namespace

QString LinkErrorMessage(TLinkError kind, const QString &where, const QString &detail)
{
    if (kind == TLinkError::None)
        return QString();
    QString text = where + QStringLiteral(": ") + advice(kind);
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}

const char *LinkErrorName(TLinkError kind)
{
    switch (kind) {
    case TLinkError::None:
        return "none";
    case TLinkError::NoDevice:
        return "no device";
    case TLinkError::NoAccess:
        return "no access";
    case TLinkError::Busy:
        return "busy";
    case TLinkError::Io:
        return "I/O";
    case TLinkError::Timeout:
        return "time-out";
    case TLinkError::Protocol:
        return "protocol";
    case TLinkError::Refused:
        return "refused";
    }
    return "?";
}
