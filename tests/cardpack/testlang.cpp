// A language library for the text tests: a few numbered texts, one too long for the buffer.
#include <cstdint>
#include <string>

namespace
{

std::u16string makeLong()
{
    std::u16string text;
    for (int i = 0; i < 400; ++i)
        text += char16_t(u'A' + i % 26);
    // A character outside Latin-1 at the cut shows it is kept as UTF-16.
    text[298] = u'š';
    return text;
}

const std::u16string longText = makeLong();

} // namespace

extern "C" __attribute__((visibility("default"))) const char16_t *LangText(std::uint32_t id)
{
    switch (id) {
    case 1:
        return u"Kelvara";
    case 2:
        return u"Nekonfigurovaná linka";
    case 3:
        return u"";
    case 400:
        return longText.c_str();
    case 0xFFFFFFFFu:
        return u"minus one";
    default:
        return nullptr;
    }
}
