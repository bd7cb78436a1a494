#pragma once

// What every harness shares: one QCoreApplication for the process, the real
// language library (so that texts are built as in the program), and a reader
// that takes choices and chunks from the front of the fuzzer's input.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "cardpack/dll_load.h"
#include "platform/langlib.h"

namespace fuzz
{

// Creates the application object once; Qt's event machinery, timers and
// sockets need one.
inline void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kelvara-fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives until the process ends
}

inline void LoadTexts()
{
    if (HInstDll > 32)
        return;
    HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
    if (HInstDll <= 32) {
        std::fprintf(stderr, "fuzz: %s/LANG.DLL could not be loaded\n", KELVARA_BIN_DIR);
        std::abort();
    }
}

// A broken expectation of a harness: reported like a sanitizer finding.
[[noreturn]] inline void Fail(const char *what)
{
    std::fprintf(stderr, "fuzz: expectation failed: %s\n", what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::fuzz::Fail(#condition " (" __FILE__ ":" FUZZ_STRINGIFY(__LINE__) ")");                         \
    } while (0)
#define FUZZ_STRINGIFY(x) FUZZ_STRINGIFY2(x)
#define FUZZ_STRINGIFY2(x) #x

// A folder of the harness's own for the process, on a memory file system
// where there is one. libFuzzer ends without running destructors, so the
// folder is named by the process and those of processes that are gone are
// removed here.
inline const QString &ScratchFolder(const char *harness)
{
    static const QString path = [harness] {
        const QString base =
            QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString prefix = QStringLiteral("kelvara-fuzz-%1-").arg(QLatin1String(harness));
        for (const QString &name : QDir(base).entryList({prefix + u'*'}, QDir::Dirs)) {
            bool ok = false;
            const pid_t pid = pid_t(name.mid(prefix.size()).toLong(&ok));
            if (ok && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
                QDir(base + u'/' + name).removeRecursively();
        }
        const QString own = base + u'/' + prefix + QString::number(::getpid());
        if (!QDir().mkpath(own))
            Fail("no scratch folder");
        return own;
    }();
    return path;
}

// Writes a whole file; a file that cannot be written fails the harness.
inline void WriteFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        Fail("a file of the harness could not be written");
}

// Consumes the input from the front; past its end every read gives zeros.
class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return pos_ >= size_; }
    std::size_t Left() const { return size_ - pos_; }

    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::uint16_t U16()
    {
        const std::uint16_t high = Byte();
        return std::uint16_t(high << 8 | Byte());
    }

    // At most n bytes.
    QByteArray Bytes(std::size_t n)
    {
        if (n > Left())
            n = Left();
        QByteArray out(reinterpret_cast<const char *>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return out;
    }

    QByteArray Rest() { return Bytes(Left()); }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace fuzz
