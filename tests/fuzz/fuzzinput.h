#pragma once

// What every harness shares: one QCoreApplication for the process, the real
// language library (so that texts are built as in the program), and a reader
// that takes choices and chunks from the front of the fuzzer's input.

#include <QByteArray>
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
