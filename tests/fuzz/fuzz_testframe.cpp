// The settings dialog's reading of a received frame in its port test
// (SettingsRules::DumpFrame, AnswersTest) on arbitrary frames: it takes no
// more than the frame holds, its length field announces and a frame block
// holds, and its two dump lines carry exactly those bytes.

#include "editing/settingsrules.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray frame(reinterpret_cast<const char *>(data), qsizetype(size));
    const SettingsRules::TFrameDump d = SettingsRules::DumpFrame(frame);
    const qsizetype n = d.Bytes.size();
    FUZZ_CHECK(n <= frame.size() && n <= 10240);
    FUZZ_CHECK(frame.startsWith(d.Bytes));
    if (frame.size() >= 5) {
        const int announced = (std::uint8_t(frame[3]) << 8 | std::uint8_t(frame[4])) + 5;
        FUZZ_CHECK(n == std::min<qsizetype>({announced, frame.size(), 10240}));
    } else {
        FUZZ_CHECK(n == frame.size());
    }
    FUZZ_CHECK(d.Hex.size() == (n == 0 ? 0 : 4 * n - 1));
    FUZZ_CHECK(d.Dec.size() == d.Hex.size());
    for (int awaited : {0, 6, 7})
        if (SettingsRules::AnswersTest(d.Bytes, awaited))
            FUZZ_CHECK(n > 0);
    return 0;
}
