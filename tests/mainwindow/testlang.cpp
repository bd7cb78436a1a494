// A language library for tests: text N reads "T<N>", so a test can tell which
// number a caption came from.
#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::vector<std::u16string> &texts()
{
    static const std::vector<std::u16string> all = [] {
        std::vector<std::u16string> t(1000);
        for (int i = 0; i < 1000; ++i) {
            const std::string s = "T" + std::to_string(i);
            t[i] = std::u16string(s.begin(), s.end());
        }
        return t;
    }();
    return all;
}

} // namespace

extern "C" __attribute__((visibility("default"))) const char16_t *LangText(std::uint32_t id)
{
    if (id == 0 || id >= texts().size())
        return nullptr;
    return texts()[id].c_str();
}
