#pragma once

#include <QString>

// Each link has its own few ways to fail, each with a message that tells the
// user what to do about it: the advice of one link never names another's
// parts (no serial adapter for FTP, no password for a serial port).

// The serial port.
enum class TLinkError {
    None = 0,
    NoDevice, // the port does not exist
    NoAccess, // no permission for the device
    Busy,     // another program holds the port
    Io,       // reading or writing failed
    Timeout,  // no answer in time
    Protocol, // the peer answered with something the link does not accept
};

// "COM1 (/dev/ttyS0): ...": where names the port, detail (optional) is the
// system's own reason.
QString LinkErrorMessage(TLinkError kind, const QString &where, const QString &detail = QString());
// Short name of the kind, for logs and tests.
const char *LinkErrorName(TLinkError kind);

// The datagram link to the relay service on this computer.
enum class TRelayError {
    None = 0,
    PortInUse, // another program listens on the relay's port
    NoAccess,  // listening there is not permitted
    NoAddress, // the loopback address is not available
    Io,        // a datagram could not be sent or received
};

// "UDP 127.0.0.1:60000: ...".
QString RelayErrorMessage(TRelayError kind, const QString &where, const QString &detail = QString());

// The FTP client's transfers to and from the system.
enum class TFtpError {
    None = 0,
    NoHost,       // the address given is no host that can be found
    Refused,      // nothing answers on the FTP port of that host
    LoginRefused, // the server refused the user name or password
    RemoteFile,   // the server does not give or take the file
    Timeout,      // the server did not answer in time
    Broken,       // the connection broke off during the exchange
    Protocol,     // the answers are not an FTP server's
    LocalFile,    // the file on this computer cannot be read or written
};

// "FTP 127.0.0.1:21: ..." (or the local file's name for LocalFile).
QString FtpErrorMessage(TFtpError kind, const QString &where, const QString &detail = QString());
