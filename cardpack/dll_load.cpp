#include "cardpack/dll_load.h"

#include <QByteArray>

#include "platform/langlib.h"

std::uintptr_t HInstDll = 0;

namespace
{
int unitCount = 0;
}

QString LoadStrDll(std::int32_t id)
{
    // 299 characters and the terminating zero.
    constexpr int bufferSize = 300;
    char16_t buffer[bufferSize] = {};
    if (HInstDll > 32)
        platform::LoadLanguageString(HInstDll, std::uint32_t(id), buffer, bufferSize);
    return QString::fromUtf16(buffer);
}

const char *LoadPStrDll(std::int32_t id)
{
    static QByteArray buffer;
    buffer = LoadStrDll(id).toUtf8();
    return buffer.constData();
}

void DllLoadInitialization()
{
    if (unitCount++ > 0)
        return;
    HInstDll = 0;
}

void DllLoadFinalization()
{
    if (unitCount == 0 || --unitCount > 0)
        return;
    HInstDll = 0;
}

namespace
{
struct DllLoadUnit {
    DllLoadUnit() { DllLoadInitialization(); }
    ~DllLoadUnit() { DllLoadFinalization(); }
} dllLoadUnit;
} // namespace
