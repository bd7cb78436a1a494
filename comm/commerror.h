#pragma once

#include <QString>

// The few ways a connection can fail, each with a message that tells the user
// what to do about it.
enum class TLinkError {
    None = 0,
    NoDevice, // the port or host does not exist
    NoAccess, // no permission for the device, or the login was refused
    Busy,     // another program holds the port
    Io,       // reading or writing failed
    Timeout,  // no answer in time
    Protocol, // the peer answered with something the link does not accept
    Refused,  // the host is there but refuses the connection
};

// "COM1 (/dev/ttyS0): ..." or "ftp 127.0.0.1: ...": where names the port or
// host, detail (optional) is the system's own reason.
QString LinkErrorMessage(TLinkError kind, const QString &where, const QString &detail = QString());

// Short name of the kind, for logs and tests.
const char *LinkErrorName(TLinkError kind);
