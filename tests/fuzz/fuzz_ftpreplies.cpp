// The FTP client's reading of the server's reply lines (TFtpReplies), as the
// transfer library hands them over during one command: each line on its own,
// with its line end.
//
// Input: the server's replies; every "\n" ends a line. A first byte with bit 0
// set hands the lines over in pieces of the next byte's length instead, as a
// reader that never sees whole lines would get them.

#include <vector>

#include "comm/ftpclient.h"
#include "fuzzinput.h"

namespace
{

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::size_t piece = std::size_t(in.Byte() % 64) + 1;
    const QByteArray replies = in.Rest();

    std::vector<QByteArray> lines;
    if (flags & 1) {
        for (qsizetype at = 0; at < replies.size(); at += qsizetype(piece))
            lines.push_back(replies.mid(at, qsizetype(piece)));
    } else {
        qsizetype start = 0;
        while (start < replies.size()) {
            const qsizetype end = replies.indexOf('\n', start);
            const qsizetype next = end < 0 ? replies.size() : end + 1;
            lines.push_back(replies.mid(start, next - start));
            start = next;
        }
    }

    TFtpReplies reader;
    std::vector<int> expected;
    for (const QByteArray &line : lines) {
        const int code = TFtpReplies::ReplyCode(line.constData(), std::size_t(line.size()));
        if (code >= 0) {
            // Three digits, the first 1 to 5, then a blank or the line's end.
            FUZZ_CHECK(code >= 100 && code <= 599);
            FUZZ_CHECK(line.size() >= 3 && digit(line[0]) && digit(line[1]) && digit(line[2]));
            FUZZ_CHECK((line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') == code);
            FUZZ_CHECK(line.size() == 3 || line[3] == ' ' || line[3] == '\r' || line[3] == '\n');
            expected.push_back(code);
        } else if (line.size() >= 4 && line[0] >= '1' && line[0] <= '5' && digit(line[1]) && digit(line[2])) {
            // A continuation line of a multi-line reply, or a longer number.
            FUZZ_CHECK(line[3] != ' ' && line[3] != '\r' && line[3] != '\n');
        }
        reader.TakeLine(line.constData(), std::size_t(line.size()));
    }
    FUZZ_CHECK(reader.Codes() == expected);

    // The reply a failure goes by: the last that is not QUIT's 221.
    const int last = reader.LastBeforeQuit();
    int wanted = 0;
    for (int code : expected)
        if (code != 221)
            wanted = code;
    FUZZ_CHECK(last == wanted);
    FUZZ_CHECK(reader.Unsupported() == (last == 502 || last == 504));
    reader.Clear();
    FUZZ_CHECK(reader.Codes().empty() && reader.LastBeforeQuit() == 0 && !reader.Unsupported());
    return 0;
}
