// The frame log entry of a sent or received frame (dlg::FrameLogLines and the
// cut of its filler rows, dlg::FrameLogCut) on arbitrary frames. The dialogue
// harnesses leave the frame log out to spend their time on the answers; here
// it gets the fuzzer to itself.
//
// Input: a flags byte (bit 0 sent, bits 1-3 the phase, bit 4 the last index
// from the next two bytes), the step, then the frame. A sent frame lies at the
// front of a request buffer of zeros, as the builders leave it.

#include <QStringList>

#include <vector>

#include "dialogue/framelog.h"
#include "dialogue/readrequests.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const bool sent = flags & 1;
    const int kom = (flags >> 1) & 7;
    const int step = in.Byte();
    const int chosenLast = (flags & 0x10) ? int(in.U16()) : -1;
    const QByteArray frame = in.Bytes(dlg::RequestBufferSize);

    std::vector<Byte> bytes;
    int lastIndex = 0;
    int length = int(frame.size());
    if (sent) {
        bytes.assign(std::size_t(dlg::RequestBufferSize), 0);
        std::copy(frame.begin(), frame.end(), bytes.begin());
        lastIndex = dlg::RequestBufferSize - 1;
    } else {
        bytes.assign(frame.begin(), frame.end());
        lastIndex = int(bytes.size()) - 1;
    }
    if (chosenLast >= 0)
        lastIndex = std::min(chosenLast, lastIndex);
    const int shown = sent ? length : lastIndex + 1;

    const int cut = dlg::FrameLogCut(bytes, lastIndex, sent, length, kom, step);
    FUZZ_CHECK(cut >= 0 && cut <= std::max(shown, 0));
    FUZZ_CHECK(cut <= lastIndex + 1);

    const QStringList lines = dlg::FrameLogLines(bytes, lastIndex, sent, length, {kom, step, QStringLiteral("t")});
    FUZZ_CHECK(lines.size() >= 4);
    FUZZ_CHECK(lines.last().isEmpty() && lines[lines.size() - 2].isEmpty());
    FUZZ_CHECK(lines[0].contains(QStringLiteral("dlzka=") + QString::number(shown) + QLatin1Char('.')));
    // The hex rows show exactly the bytes up to the cut, each as three hex digits.
    const bool names = !bytes.empty() && (bytes[0] == 0x81 || bytes[0] == 0x84);
    qsizetype hexValues = 0;
    qsizetype i = 2;
    while (i + 1 < lines.size() && !lines[i].isEmpty()) {
        const QStringList values = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QStringList decimals = lines[i + 1].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        FUZZ_CHECK(values.size() == decimals.size() && values.size() <= 16);
        for (const QString &v : values)
            FUZZ_CHECK(v.size() == 3);
        hexValues += values.size();
        // A row of names has its characters after it; the header's row has none.
        i += (names && hexValues > dlg::HeaderSize) ? 3 : 2;
        FUZZ_CHECK(i < lines.size() && lines[i].isEmpty());
        ++i;
    }
    FUZZ_CHECK(hexValues == cut);
    return 0;
}
