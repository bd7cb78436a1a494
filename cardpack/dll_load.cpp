#include "cardpack/dll_load.h"

#include "platform/langlib.h"

std::uintptr_t HInstDll = 0;

QString LoadStrDll(std::int32_t id)
{
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
