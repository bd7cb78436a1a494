#include "model/conversions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include "platform/codepage.h"

namespace {

void decodeField(const DynPole &answer, std::size_t k, TReplyField &field)
{
    if (answer.size() <= k + 2)
        return;
    field.Value = std::int32_t(answer[k]) * 255 + std::int32_t(answer[k + 1]);
    field.Kind = answer[k + 2];
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// Reads the lines of a text file as the Pascal reader does: CR LF, LF or CR
// end a line; a last line without an end still counts.
bool readLines(const QString &name, QList<QByteArray> &lines)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = f.readAll();
    if (f.error() != QFile::NoError)
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] == '\r' || all[i] == '\n') {
            lines.append(all.mid(start, i - start));
            if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < all.size())
        lines.append(all.mid(start));
    return true;
}

} // namespace

void DecodePultReplyField5(const DynPole &answer, TReplyField &field) { decodeField(answer, 5, field); }
void DecodePultReplyField8(const DynPole &answer, TReplyField &field) { decodeField(answer, 8, field); }
void DecodeSystemReplyField5(const DynPole &answer, TReplyField &field) { decodeField(answer, 5, field); }
void DecodeSystemReplyField8(const DynPole &answer, TReplyField &field) { decodeField(answer, 8, field); }

bool TryHexStrToInt(const QString &S, std::int64_t &V)
{
    std::int64_t value = 0;
    for (QChar c : S) {
        const int d = hexDigit(c);
        if (d < 0 || value > (INT64_MAX >> 4))
            return false;
        value = value * 16 + d;
    }
    V = value;
    return true;
}

std::int64_t HexStrToInt(const QString &S)
{
    std::int64_t v = 0;
    return TryHexStrToInt(S, v) ? v : 0;
}

QString BytesToHex(const Byte *bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text(count * 2, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        text[2 * i] = QLatin1Char(digits[bytes[i] >> 4]);
        text[2 * i + 1] = QLatin1Char(digits[bytes[i] & 15]);
    }
    return text;
}

bool StrToIntOrNull(const QString &S, std::int32_t &V)
{
    if (S == QLatin1String("null"))
        return true;
    qsizetype i = 0;
    bool negative = false;
    if (i < S.size() && (S[i] == u'-' || S[i] == u'+')) {
        negative = S[i] == u'-';
        ++i;
    }
    if (i == S.size())
        return false;
    std::int64_t value = 0;
    for (; i < S.size(); ++i) {
        const char16_t u = S[i].unicode();
        if (u < '0' || u > '9')
            return false;
        value = value * 10 + (u - '0');
        if (value > std::int64_t(INT32_MAX) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return false;
    V = std::int32_t(value);
    return true;
}

QString LinePosName(int N)
{
    const int half = (N / 16) & 1;
    const int bank = (N / 8) & 1;
    return QStringLiteral("E%1-%2%3").arg(half).arg(QChar(bank ? u'H' : u'L')).arg(N % 8);
}

namespace {

// Bank letter and digit of a position name: L adds 0, H adds 8; a bad letter
// or digit leaves only the half's base.
int bankAndDigit(QChar bank, QChar digit)
{
    const char16_t d = digit.unicode();
    if (d < '0' || d > '7')
        return 0;
    if (bank == u'L')
        return d - '0';
    if (bank == u'H')
        return 8 + d - '0';
    return 0;
}

} // namespace

int LinePosFromName(const QString &S)
{
    if (S.size() != 5)
        return ShortLinePosFromName(S);
    const int base = S[1] == u'1' ? 16 : 0;
    return base + bankAndDigit(S[3], S[4]);
}

int ShortLinePosFromName(const QString &S)
{
    if (S.size() != 3)
        return 0;
    const int base = S[0] == u'1' ? 16 : 0;
    return base + bankAndDigit(S[1], S[2]);
}

bool IsLinePosName(const QString &S)
{
    auto digit07 = [](QChar c) { return c >= u'0' && c <= u'7'; };
    auto bank = [](QChar c) { return c == u'L' || c == u'H'; };
    if (S.size() == 5)
        return S[0] == u'E' && (S[1] == u'0' || S[1] == u'1') && S[2] == u'-' && bank(S[3]) && digit07(S[4]);
    if (S.size() == 3)
        return digit07(S[0]) && bank(S[1]) && digit07(S[2]);
    return false;
}

QString OemToAnsiText(const QByteArray &S)
{
    QByteArray copy = S.left(254);
    for (char &c : copy) {
        if (uchar(c) == 0xD0)
            c = char(0xFC);
        else if (uchar(c) == 0xD1)
            c = char(0xFD);
    }
    return platform::FromCp852(copy);
}

QByteArray AnsiToOemText(const QString &S)
{
    QByteArray oem = platform::ToCp852(S.left(254));
    for (char &c : oem) {
        if (uchar(c) == 0xFC)
            c = char(0xD0);
        else if (uchar(c) == 0xFD)
            c = char(0xD1);
    }
    return oem;
}

QString VersionText(const QString &Version, bool TestFlag, bool WithBuild)
{
    const qsizetype dot = Version.lastIndexOf(u'.');
    const QString head = dot < 0 ? QString() : Version.left(dot);
    const QString last = dot < 0 ? Version : Version.mid(dot + 1);
    QString r = head;
    if (WithBuild)
        r += (r.isEmpty() ? QString() : QStringLiteral(".")) + last;
    bool ok = false;
    const int build = last.toInt(&ok);
    if (ok && build >= 2 && TestFlag)
        r += QStringLiteral(" (test)");
    return r;
}

int ScaledLimit224(int Mode, int Value, int Factor2, int Factor1)
{
    long long n = 0;
    if (Mode == 1)
        n = (long long)Value * Factor1;
    else if (Mode == 2)
        n = (long long)Value * Factor2;
    else
        return 0;
    return int(std::min<long long>(n, 224));
}

Byte DialDigitCode(QChar C)
{
    const char16_t u = C.unicode();
    if (u >= '1' && u <= '9')
        return Byte((u - '0') * 16 + 15);
    switch (u) {
    case '0':
        return 0xAF;
    case '*':
        return 0xBF;
    case '#':
        return 0x0F;
    case '.':
        return 0xDF;
    case 'p':
    case 't':
        return 0xCF;
    default:
        return 255;
    }
}

QByteArray DialDigitsToCode(const QString &S)
{
    const qsizetype n = std::min<qsizetype>(S.size(), 32);
    QByteArray r(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        r[i] = char(DialDigitCode(S[i]));
    return r;
}

QString DialCodeToDigits(const Byte *codes, int count)
{
    QString r;
    bool pauseT = true;
    for (int i = 0; i < std::min(count, 32); ++i) {
        const Byte c = codes[i];
        if ((c & 0x0F) == 0x0F && c >= 0x1F && c <= 0x9F)
            r += QChar(u'0' + (c >> 4));
        else if (c == 0xAF)
            r += u'0';
        else if (c == 0x0F)
            r += u'#';
        else if (c == 0xBF)
            r += u'*';
        else if (c == 0xDF)
            r += u'.';
        else if (c == 0xCF) {
            r += pauseT ? u't' : u'p';
            pauseT = !pauseT;
        }
    }
    return r;
}

QString DialCodeToDigits(const QByteArray &Codes)
{
    return DialCodeToDigits(reinterpret_cast<const Byte *>(Codes.constData()), int(Codes.size()));
}

bool TextFilesEqual(const QString &A, const QString &B)
{
    if (A.isEmpty() || B.isEmpty())
        return false;
    QList<QByteArray> a, b;
    if (!QFileInfo(A).isFile() || !QFileInfo(B).isFile())
        return false;
    if (!readLines(A, a) || !readLines(B, b))
        return false;
    return a == b;
}

QString WildcardLiteral(const QString &text)
{
    QString r;
    for (QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'[' || c == u']')
            r += u'[' + QString(c) + u']';
        else
            r += c;
    }
    return r;
}

int DeleteOldFiles(const QString &Mask, int Keep)
{
    const qsizetype slash = Mask.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QStringLiteral(".") : Mask.left(slash);
    const QString pattern = Mask.mid(slash + 1);
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(
        pattern, QRegularExpression::UnanchoredWildcardConversion));
    const QRegularExpression whole(QStringLiteral("\\A(?:") + re.pattern() + QStringLiteral(")\\z"));

    QFileInfoList files;
    const QFileInfoList all = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &fi : all)
        if (whole.match(fi.fileName()).hasMatch())
            files.append(fi);
    if (files.size() <= Keep)
        return 0;
    std::sort(files.begin(), files.end(), [](const QFileInfo &x, const QFileInfo &y) {
        const QDateTime tx = x.lastModified(), ty = y.lastModified();
        if (tx != ty)
            return tx < ty;
        return x.fileName().compare(y.fileName(), Qt::CaseInsensitive) < 0;
    });
    int deleted = 0;
    for (qsizetype i = 0; i < files.size() - std::max(Keep, 0); ++i)
        if (QFile::remove(files[i].absoluteFilePath()))
            ++deleted;
    return deleted;
}
