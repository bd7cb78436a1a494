#include "platform/langlib.h"

#include <dlfcn.h>

namespace platform {

// The handle is the dlopen handle itself: no table, so the copies of this
// library linked into the program and into Movika agree on every handle.
ModuleHandle LoadLanguageLibrary(const QString &path)
{
    void *library = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return 0;
    if (!dlsym(library, "LangText")) {
        dlclose(library);
        return 0;
    }
    return reinterpret_cast<ModuleHandle>(library);
}

int LoadLanguageString(ModuleHandle handle, std::uint32_t id, char16_t *buffer, int bufferSize)
{
    if (!buffer || bufferSize <= 0)
        return 0;
    buffer[0] = 0;
    if (handle <= 32)
        return 0;
    auto *text = reinterpret_cast<LangTextFunction *>(dlsym(reinterpret_cast<void *>(handle), "LangText"));
    if (!text)
        return 0;
    const char16_t *source = text(id);
    if (!source)
        return 0;
    int count = 0;
    while (count < bufferSize - 1 && source[count]) {
        buffer[count] = source[count];
        ++count;
    }
    buffer[count] = 0;
    return count;
}

} // namespace platform
