#include "platform/singleinstance.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString InstanceFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime;
    const QString folder = QStringLiteral("/tmp/kelvara-%1").arg(::getuid());
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    // Someone else's folder or a link planted in /tmp is not used.
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return QString();
    if ((info.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return QString();
    return folder;
}

QString InstanceSocketPath(const QString &name)
{
    const QString folder = InstanceFolder();
    if (folder.isEmpty())
        return QString();
    return folder + u'/' + name + QStringLiteral(".sock");
}

TInstanceLock::TInstanceLock(const QString &name) : name_(name) {}

TInstanceLock::~TInstanceLock() { Release(); }

QString TInstanceLock::LockPath() const
{
    const QString folder = InstanceFolder();
    if (folder.isEmpty())
        return QString();
    return folder + u'/' + name_ + QStringLiteral(".lock");
}

bool TInstanceLock::Acquire()
{
    if (fd_ >= 0)
        return true;
    const QString path = LockPath();
    if (path.isEmpty())
        return true; // no place for a lock: run rather than refuse to start
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void TInstanceLock::Release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace platform
