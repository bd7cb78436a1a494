// The cfg.ini reader (SettingsFile::Read) on arbitrary file bytes. What it
// read is written out, and the written file must read back without an error
// to the same values.

#include "editing/settingsfile.h"
#include "fuzzinput.h"

namespace
{

bool sameValues(const SettingsFile::TSettings &a, const SettingsFile::TSettings &b)
{
    return a.Top == b.Top && a.Left == b.Left && a.Width == b.Width && a.Height == b.Height &&
           a.WindowState == b.WindowState && a.Options == b.Options && a.COMport == b.COMport &&
           a.FileName == b.FileName && a.Font.Name == b.Font.Name && a.Font.Size == b.Font.Size &&
           a.Font.Color == b.Font.Color && a.Font.Bold == b.Font.Bold && a.Font.Italic == b.Font.Italic &&
           a.Font.Underline == b.Font.Underline && a.Font.StrikeOut == b.Font.StrikeOut &&
           a.Font.Charset == b.Font.Charset;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    SettingsFile::TSettings values;
    const QString error = SettingsFile::Read(file, values);
    FUZZ_CHECK(values.WindowState >= 0 && values.WindowState <= 2);
    FUZZ_CHECK(values.COMport >= 0 && values.COMport <= 255);
    FUZZ_CHECK(values.Font.Charset >= 0 && values.Font.Charset <= 255);
    if (!error.isEmpty())
        FUZZ_CHECK(error.contains(QLatin1Char('\'')));

    const QByteArray written = SettingsFile::Write(values);
    SettingsFile::TSettings again;
    FUZZ_CHECK(SettingsFile::Read(written, again).isEmpty());
    FUZZ_CHECK(sameValues(values, again));
    FUZZ_CHECK(SettingsFile::Write(again) == written);
    return 0;
}
