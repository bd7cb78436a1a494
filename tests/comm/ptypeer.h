#pragma once

// The far end of a serial link in tests: the master side of a pseudo-terminal
// pair; the link opens the slave path.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

class PtyPeer
{
public:
    PtyPeer()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        const char *name = ptsname(master);
        if (name)
            slavePath = QString::fromLocal8Bit(name);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        // Hold the slave open ourselves so that the master never sees a hang-up
        // while the link closes and reopens the port.
        holder = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (holder >= 0) {
            termios raw{};
            tcgetattr(holder, &raw);
            cfmakeraw(&raw);
            tcsetattr(holder, TCSANOW, &raw);
        }
    }
    ~PtyPeer() { Close(); }
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    bool Ok() const { return master >= 0 && holder >= 0 && !slavePath.isEmpty(); }

    void Close()
    {
        if (holder >= 0)
            ::close(holder);
        if (master >= 0)
            ::close(master);
        holder = master = -1;
    }
    void CloseMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    bool Write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        QElapsedTimer clock;
        clock.start();
        while (done < bytes.size() && clock.elapsed() < 5000) {
            const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else
                usleep(1000);
        }
        return done == bytes.size();
    }

    // Reads until count bytes arrived or the time is up; runs the event loop
    // meanwhile, as the link writes from it.
    QByteArray Read(int count, int timeoutMs)
    {
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (out.size() < count) {
            const int left = timeoutMs - int(clock.elapsed());
            if (left <= 0)
                break;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, std::min(left, 5)) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                out.append(buffer, n);
        }
        return out;
    }

    // The slave side as the link left it (termios is shared by every opener).
    bool SlaveAttributes(termios &attributes) const { return tcgetattr(holder, &attributes) == 0; }

    int master = -1;
    int holder = -1;
    QString slavePath;
};
