#include "platform/codepage.h"

#include <QHash>

#include <array>
#include <iconv.h>

namespace platform {
namespace {

// Both code pages are single-byte: a table each way, built once from iconv.
struct CodePage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    explicit CodePage(const char *name)
    {
        iconv_t cd = iconv_open("UTF-16LE", name);
        for (int b = 0; b < 256; ++b) {
            char in = char(b);
            char out[4] = {};
            char *inp = &in, *outp = out;
            size_t inLeft = 1, outLeft = sizeof out;
            // A byte the code page leaves undefined maps to the control
            // character of the same number, so every byte reads back unchanged.
            char16_t u = char16_t(b);
            if (cd != iconv_t(-1)) {
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) && outLeft == 2)
                    u = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
            }
            toUnicode[b] = u;
        }
        if (cd != iconv_t(-1))
            iconv_close(cd);
        for (int b = 255; b >= 0; --b)
            fromUnicode.insert(toUnicode[b], char(b));
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

const CodePage &cp1250()
{
    static const CodePage page("CP1250");
    return page;
}

const CodePage &cp852()
{
    static const CodePage page("CP852");
    return page;
}

} // namespace

QString FromCp1250(const QByteArray &bytes) { return cp1250().decode(bytes); }
QByteArray ToCp1250(const QString &text) { return cp1250().encode(text); }
QString FromCp852(const QByteArray &bytes) { return cp852().decode(bytes); }
QByteArray ToCp852(const QString &text) { return cp852().encode(text); }

} // namespace platform
