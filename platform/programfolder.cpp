#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {
namespace {

QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

} // namespace

QString ProgramFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return executableFolder();
}

void SetProgramFolder(const QString &folder) { overrideFolder() = folder; }

QString WriteFolder()
{
    const QString program = ProgramFolder();
    if (::access(QFile::encodeName(program).constData(), W_OK) == 0)
        return program;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = data + QStringLiteral("/Kelvara");
    QDir().mkpath(folder);
    return folder;
}

QString WritePath(const QString &name) { return WriteFolder() + u'/' + name; }

} // namespace platform
