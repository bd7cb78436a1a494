#include "dialogue/framelog.h"

#include "cardpack/konstkarty.h"
#include "dialogue/readrequests.h"
#include "platform/codepage.h"

#include <algorithm>
#include <array>

namespace dlg
{

namespace
{

constexpr int RowSize = 16;

enum class Removed { End, Zeros, Ones, Spaces, FirstHalf, SecondHalf, MsnTail };

bool AllOf(std::span<const Byte> row, Byte value)
{
    return std::all_of(row.begin(), row.end(), [value](Byte b) { return b == value; });
}

// 0x01 then 15 x 0xFF: the first half of an unused key record.
bool IsFirstHalf(std::span<const Byte> row)
{
    return row[0] == 0x01 && AllOf(row.subspan(1), 0xFF);
}

// 13 x 0xFF, 0x07, 0xFF, 0xFF: its second half.
bool IsSecondHalf(std::span<const Byte> row)
{
    return AllOf(row.first(13), 0xFF) && row[13] == 0x07 && row[14] == 0xFF && row[15] == 0xFF;
}

// The tail of the MSN write: the last six table bytes empty, then the unused
// rest of the buffer.
bool IsMsnTail(std::span<const Byte> row)
{
    return AllOf(row.first(6), 0xFF) && AllOf(row.subspan(6), 0x00);
}

QString TrimRight(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

// The texts of every byte value, made once: a frame of 8 KB shows each of
// its bytes three ways, and making them byte by byte costs more than the
// whole dialogue around it.
struct ByteTexts {
    std::array<QString, 256> hex, dec, chars;
};

const ByteTexts &Texts()
{
    static const ByteTexts texts = [] {
        ByteTexts t;
        for (int b = 0; b < 256; ++b) {
            t.hex[std::size_t(b)] = QStringLiteral("%1").arg(b, 3, 16, QLatin1Char('0')).toUpper() + QLatin1Char(' ');
            t.dec[std::size_t(b)] = Int2Str(b, 3) + QLatin1Char(' ');
            t.chars[std::size_t(b)] =
                QLatin1Char('\'') + platform::FromCp852(QByteArray(1, char(b))) + QStringLiteral("' ");
        }
        return t;
    }();
    return texts;
}

} // namespace

int FrameLogCut(std::span<const Byte> bytes, int lastIndex, bool sent, int length, int kom, int step)
{
    const int shown = sent ? length : lastIndex + 1;
    int last = std::min<int>(lastIndex, int(bytes.size()) - 1);
    int cut = std::min(shown, last + 1);
    if (cut <= HeaderSize)
        return std::max(cut, 0);
    const bool msnWrite = sent && kom == KomWriteSystem && step == 6;

    const int rows = (last + 1 - HeaderSize) / RowSize; // whole rows only
    // Nothing after the last row counts like a removed row of 0xFF, so that a
    // table of unused key records ends in a removable second half.
    Removed after = Removed::End;
    bool removedAny = false;
    for (int r = rows - 1; r >= 0; --r) {
        const int start = HeaderSize + r * RowSize;
        const int end = start + RowSize;
        const std::span<const Byte> row = bytes.subspan(start, RowSize);
        Removed kind;
        if (end == cut) {
            if (AllOf(row, 0x00))
                kind = Removed::Zeros;
            else if (AllOf(row, 0xFF))
                kind = Removed::Ones;
            else if (AllOf(row, 0x20))
                kind = Removed::Spaces;
            else if (IsFirstHalf(row) && after == Removed::SecondHalf)
                kind = Removed::FirstHalf;
            else if (IsSecondHalf(row)
                     && (after == Removed::FirstHalf || after == Removed::Ones || after == Removed::End))
                kind = Removed::SecondHalf;
            else
                break;
        } else if (msnWrite && end == cut + 10 && IsMsnTail(row)) {
            kind = Removed::MsnTail;
        } else {
            continue;
        }
        cut = start;
        after = kind;
        removedAny = true;
    }
    // Keep one unused key record in view when something stays before it.
    if (removedAny && (after == Removed::FirstHalf || after == Removed::SecondHalf) && cut > HeaderSize)
        cut = std::min(cut + 2 * RowSize, shown);
    return cut;
}

QStringList FrameLogLines(std::span<const Byte> bytes, int lastIndex, bool sent, int length,
                          const FrameLogContext &context)
{
    QStringList lines;
    const QString direction = sent ? QStringLiteral("poslane") : QStringLiteral("odpoved na");
    const int shown = sent ? length : lastIndex + 1;
    lines << context.timeText + QLatin1Char(' ') + PhaseTitle(context.kom) + QStringLiteral(" (Kom=")
                 + QString::number(context.kom) + QStringLiteral("; ktKrok=") + QString::number(context.step)
                 + QStringLiteral("), dlzka=") + QString::number(shown) + QLatin1Char('.');
    lines << QStringLiteral(" - ") + direction + StepText(context.kom, context.step);

    const int cut = FrameLogCut(bytes, lastIndex, sent, length, context.kom, context.step);
    const bool names = !bytes.empty() && (bytes[0] == 0x81 || bytes[0] == 0x84);
    const ByteTexts &texts = Texts();
    QString hex, dec, chars;
    auto flush = [&](bool header) {
        if (hex.isEmpty())
            return;
        lines << TrimRight(hex) << TrimRight(dec);
        if (names && !header)
            lines << TrimRight(chars);
        lines << QString();
        hex.clear();
        dec.clear();
        chars.clear();
    };
    for (int i = 0; i < cut; ++i) {
        const Byte b = bytes[i];
        hex += texts.hex[b];
        dec += texts.dec[b];
        if (names && i >= HeaderSize)
            chars += texts.chars[b];
        const int data = i - HeaderSize + 1; // data bytes so far
        if (i == HeaderSize - 1 || (data > 0 && data % 8 == 0)) {
            hex += QLatin1Char(' ');
            dec += QLatin1Char(' ');
            if (i >= HeaderSize)
                chars += QLatin1Char(' ');
        }
        if (i == HeaderSize - 1)
            flush(true);
        else if (data > 0 && data % RowSize == 0)
            flush(false);
    }
    flush(cut <= HeaderSize);
    lines << QString() << QString();
    return lines;
}

} // namespace dlg
