// The language texts by number. English wording.
#include <cstdint>

namespace {

struct Text {
    std::uint32_t id;
    const char16_t *text;
};

constexpr Text texts[] = {
    {1, u"Kelvara"},
};

} // namespace

extern "C" __attribute__((visibility("default"))) const char16_t *LangText(std::uint32_t id)
{
    for (const Text &t : texts)
        if (t.id == id)
            return t.text;
    return nullptr;
}
