#include "records/recordfile.h"

#include <QFile>
#include <QFileInfo>

#include "cardpack/dll_load.h"

namespace recordfile
{

namespace
{
// Reasons beside language text 16 ("does not exist.").
constexpr int TextTooShort = 280;
constexpr int TextCannotRead = 283;
} // namespace

QString FileMessage(const QString &fileName, const QString &reason)
{
    return LoadStrDll(1) + QStringLiteral(" \"") + fileName + QStringLiteral("\" ") + reason;
}

bool ReadRecordBytes(const QString &fileName, int size, QByteArray &data, QString &error)
{
    if (!QFileInfo(fileName).isFile()) {
        error = FileMessage(fileName, LoadStrDll(16));
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = FileMessage(fileName, LoadStrDll(TextCannotRead) + QLatin1Char(' ') + file.errorString());
        return false;
    }
    data = file.read(size);
    if (file.error() != QFileDevice::NoError) {
        error = FileMessage(fileName, LoadStrDll(TextCannotRead) + QLatin1Char(' ') + file.errorString());
        return false;
    }
    if (data.size() < size) {
        error = FileMessage(fileName, LoadStrDll(TextTooShort));
        return false;
    }
    return true;
}

} // namespace recordfile
