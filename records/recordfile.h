#pragma once

#include <QByteArray>
#include <QString>

// Reading whole records of the system's byte forms from files, with messages
// that name the file and the reason.
namespace recordfile
{

// Language text 1, the file name in quotes, then the reason.
QString FileMessage(const QString &fileName, const QString &reason);

// Reads exactly `size` bytes from the start of the file; a missing, unreadable
// or short file gives false with the reason in `error`.
bool ReadRecordBytes(const QString &fileName, int size, QByteArray &data, QString &error);

} // namespace recordfile
