#pragma once

#include <QString>

// One running copy per user: an flock on a lock file that the kernel frees when
// the holder dies, however it dies.
namespace platform {

// $XDG_RUNTIME_DIR, or a private 0700 folder /tmp/kelvara-<uid> when it is unset.
// Empty when no safe folder can be had (the /tmp folder exists but is not ours).
QString InstanceFolder();

// The hand-over socket of the running copy, beside its lock file.
QString InstanceSocketPath(const QString &name = QStringLiteral("Kelvara"));

class TInstanceLock
{
public:
    explicit TInstanceLock(const QString &name = QStringLiteral("Kelvara"));
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock &) = delete;
    TInstanceLock &operator=(const TInstanceLock &) = delete;

    // True when this process now holds the lock: it is the first copy.
    bool Acquire();
    bool Held() const { return fd_ >= 0; }
    void Release();
    QString LockPath() const;

private:
    QString name_;
    int fd_ = -1;
};

} // namespace platform
