#include "editing/settingsfile.h"

#include <QList>

#include <limits>
#include <optional>

#include "platform/codepage.h"

namespace SettingsFile {
namespace {

// Decimal integer as the platform's string conversion takes it: optional sign,
// digits, surrounding blanks; nothing else and nothing beyond 32 bits.
std::optional<std::int32_t> toInteger(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i >= t.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9')
            return std::nullopt;
        value = value * 10 + (t[i].unicode() - u'0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return std::int32_t(value);
}

QString notInteger(const QString &value) { return QStringLiteral("'%1' is not a valid integer value").arg(value); }

QString outOfRange(const QString &value)
{
    return QStringLiteral("Range check error: '%1' is not within 0..255").arg(value);
}

// The last file name. "FileName=" holds it in Windows-1250, as the original
// program wrote and reads it. A Linux name may hold what Windows-1250 cannot
// (Cyrillic, CJK, a line break); such a name follows whole on the next line,
// "FileNameUtf8=", as percent-escaped UTF-8. That line is plain ASCII without
// "=" in its value, so the original program matches no key in it and ignores
// it. It counts only while the FileName line before it is the Windows-1250
// form of its name: a FileName line edited by hand or by the original program
// wins. Files without that line read exactly as before.
const QLatin1String ExactFileNameKey("FileNameUtf8");

// The name as the FileName line carries it: a line break would end the line.
QString fileNameLine(const QString &name)
{
    QString line = name;
    line.replace(u'\r', u'?').replace(u'\n', u'?');
    return platform::FromCp1250(platform::ToCp1250(line));
}

QString exactFileName(const QString &value)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value.toLatin1()));
}

} // namespace

QString Read(const QByteArray &bytes, TSettings &values)
{
    const QString text = platform::FromCp1250(bytes);
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const int equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).toLower();
        const QString value = line.mid(equals + 1);
        auto is = [&](const char *name) { return key.endsWith(QLatin1String(name)); };

        auto number = [&](int &into) -> bool {
            const auto n = toInteger(value);
            if (!n)
                return false;
            into = *n;
            return true;
        };
        auto byteNumber = [&](int &into, QString &error) -> bool {
            const auto n = toInteger(value);
            if (!n) {
                error = notInteger(value);
                return false;
            }
            if (*n < 0 || *n > 255) {
                error = outOfRange(value);
                return false;
            }
            into = *n;
            return true;
        };

        // Every key is tried on every line, in the file's order.
        QString error;
        bool ok = true;
        if (ok && is("top"))
            ok = number(values.Top);
        if (ok && is("left"))
            ok = number(values.Left);
        if (ok && is("width"))
            ok = number(values.Width);
        if (ok && is("height"))
            ok = number(values.Height);
        if (ok && is("windowstate")) {
            int state = 0;
            ok = number(state);
            if (ok && state >= 0 && state <= 2)
                values.WindowState = state;
        }
        if (ok && is("options"))
            ok = number(values.Options);
        if (!ok)
            return notInteger(value);
        if (is("comport") && !byteNumber(values.COMport, error))
            return error;
        if (is("filename"))
            values.FileName = value;
        if (is("filenameutf8")) {
            const QString exact = exactFileName(value);
            if (fileNameLine(exact) == values.FileName)
                values.FileName = exact;
        }
        if (is("fontname"))
            values.Font.Name = value;
        if (is("fontsize") && !number(values.Font.Size))
            return notInteger(value);
        if (is("fontcolor")) {
            int color = 0;
            if (!number(color))
                return notInteger(value);
            values.Font.Color = color;
        }
        if (is("fontstyle")) {
            const QString styles = value.toLower();
            values.Font.Bold = styles.contains(QLatin1String("fsbold"));
            values.Font.Italic = styles.contains(QLatin1String("fsitalic"));
            values.Font.Underline = styles.contains(QLatin1String("fsunderline"));
            values.Font.StrikeOut = styles.contains(QLatin1String("fsstrikeout"));
        }
        if (is("fontcharset") && !byteNumber(values.Font.Charset, error))
            return error;
    }
    return QString();
}

QString StyleList(const TKeyFontSettings &font)
{
    QStringList styles;
    if (font.Bold)
        styles << QStringLiteral("fsBold");
    if (font.Italic)
        styles << QStringLiteral("fsItalic");
    if (font.Underline)
        styles << QStringLiteral("fsUnderline");
    if (font.StrikeOut)
        styles << QStringLiteral("fsStrikeOut");
    return u'[' + styles.join(u',') + u']';
}

QByteArray Write(const TSettings &values)
{
    QStringList lines;
    lines << QStringLiteral("Top=%1").arg(values.Top) << QStringLiteral("Left=%1").arg(values.Left)
          << QStringLiteral("Width=%1").arg(values.Width) << QStringLiteral("Height=%1").arg(values.Height)
          << QStringLiteral("WindowState=%1").arg(values.WindowState)
          << QStringLiteral("Options=%1").arg(values.Options)
          << QStringLiteral("COMport=%1").arg(values.COMport)
          << QStringLiteral("FileName=") + fileNameLine(values.FileName);
    if (fileNameLine(values.FileName) != values.FileName)
        lines << ExactFileNameKey + u'=' + QString::fromLatin1(values.FileName.toUtf8().toPercentEncoding());
    lines << QStringLiteral("FontName=") + values.Font.Name
          << QStringLiteral("FontSize=%1").arg(values.Font.Size)
          << QStringLiteral("FontColor=%1").arg(values.Font.Color)
          << QStringLiteral("FontStyle=") + StyleList(values.Font)
          << QStringLiteral("FontCharset=%1").arg(values.Font.Charset);
    return platform::ToCp1250(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

} // namespace SettingsFile
