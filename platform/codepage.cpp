#include "platform/codepage.h"

#include <QHash>
#include <QStringList>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr char16_t Replacement = 0xFFFD;

// Both code pages are single-byte: a table each way, built once from iconv.
struct CodePage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;
    QString error; // empty when the page is usable

    // page: the code page's own name; name: the name iconv is asked for;
    // check: a byte whose letter every genuine table of the page agrees on.
    CodePage(const char *page, const char *name, uchar checkByte, char16_t checkLetter)
    {
        iconv_t cd = iconv_open("UTF-16LE", name);
        if (cd == iconv_t(-1)) {
            const int code = errno;
            error = QStringLiteral("the C library cannot convert the code page %1 (iconv \"%2\": %3)")
                        .arg(QLatin1String(page), QLatin1String(name),
                             QString::fromLocal8Bit(std::strerror(code)));
            asciiOnly();
            return;
        }
        for (int b = 0; b < 256; ++b) {
            char in = char(b);
            char out[4] = {};
            char *inp = &in, *outp = out;
            size_t inLeft = 1, outLeft = sizeof out;
            // A byte the code page leaves undefined maps to the control
            // character of the same number, so every byte reads back unchanged.
            char16_t u = char16_t(b);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) && outLeft == 2)
                u = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
            toUnicode[b] = u;
        }
        iconv_close(cd);
        bool genuine = toUnicode[checkByte] == checkLetter;
        for (int b = 0; b < 128; ++b)
            genuine = genuine && toUnicode[b] == char16_t(b);
        if (!genuine) {
            error = QStringLiteral("the C library's code page %1 (iconv \"%2\") does not hold its letters")
                        .arg(QLatin1String(page), QLatin1String(name));
            asciiOnly();
            return;
        }
        for (int b = 255; b >= 0; --b)
            fromUnicode.insert(toUnicode[b], char(b));
    }

    void asciiOnly()
    {
        for (int b = 0; b < 256; ++b)
            toUnicode[b] = b < 128 ? char16_t(b) : Replacement;
        fromUnicode.clear();
        for (int b = 0; b < 128; ++b)
            fromUnicode.insert(char16_t(b), char(b));
    }

    QString decode(const QByteArray &bytes) const
    {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            text[i] = QChar(toUnicode[uchar(bytes[i])]);
        return text;
    }

    QByteArray encode(const QString &text) const
    {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            // A character outside the basic plane is one '?', not two.
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                bytes.append('?');
                ++i;
                continue;
            }
            bytes.append(fromUnicode.value(c.unicode(), '?'));
        }
        return bytes;
    }
};

struct Pages {
    CodePage cp1250;
    CodePage cp852;
    Pages(const char *name1250, const char *name852)
        : cp1250("CP1250", name1250, 0x8A, u'\u0160'), cp852("CP852", name852, 0xE6, u'\u0160')
    {
    }
};

// Pages built by the test hook; kept to the end, as a converting thread may still hold one.
std::atomic<const Pages *> replaced{nullptr};
std::mutex replacedLock;
std::vector<std::unique_ptr<const Pages>> replacedPages;

const Pages &pages()
{
    if (const Pages *p = replaced.load(std::memory_order_acquire))
        return *p;
    static const Pages real("CP1250", "CP852");
    return real;
}

} // namespace

QString FromCp1250(const QByteArray &bytes)
{
    return pages().cp1250.decode(bytes);
}
QByteArray ToCp1250(const QString &text)
{
    return pages().cp1250.encode(text);
}
QString FromCp852(const QByteArray &bytes)
{
    return pages().cp852.decode(bytes);
}
QByteArray ToCp852(const QString &text)
{
    return pages().cp852.encode(text);
}

QString CodePageError()
{
    const Pages &p = pages();
    QStringList errors;
    for (const CodePage *page : {&p.cp1250, &p.cp852})
        if (!page->error.isEmpty())
            errors << page->error;
    if (errors.isEmpty())
        return QString();
    return QStringLiteral("Kelvara cannot start: ") + errors.join(QStringLiteral("; ")) +
           QStringLiteral(".\nProject files and console texts cannot be converted without it. "
                          "Install the C library's code-page modules (gconv) and start Kelvara again.");
}

namespace testing {

void UseCodePageNames(const char *cp1250, const char *cp852)
{
    const std::lock_guard lock(replacedLock);
    if (!cp1250 && !cp852) {
        replaced.store(nullptr, std::memory_order_release);
        return;
    }
    replacedPages.push_back(
        std::make_unique<const Pages>(cp1250 ? cp1250 : "CP1250", cp852 ? cp852 : "CP852"));
    replaced.store(replacedPages.back().get(), std::memory_order_release);
}

} // namespace testing

} // namespace platform
