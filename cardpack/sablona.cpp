#include "cardpack/sablona.h"

QString TCardOld::GetTypLinName(Byte, Byte &code)
{
    code = 255;
    return {};
}

QString TCardOld::GetHelpLin(Byte)
{
    return QStringLiteral("Help Line");
}
QString TCardOld::GetNameLin(Byte)
{
    return {};
}
// The template keeps no line names and has no configuration fields; cards override these.
void TCardOld::SetNameLin(Byte, const QString &) {}
void TCardOld::GetCfgPoleLin(Byte, TCfgPole *) {}
Byte TCardOld::GetTypLinNum(const QString &)
{
    return 0;
}
std::int32_t TCardOld::ChangePos(Byte i, Byte)
{
    return i;
}
// The caller's grid stays; no present card changes it.
void TCardOld::GetSize(Byte, Byte &, Byte &) {}
bool TCardOld::IsRozsirLin(Byte)
{
    return false;
}
Byte TCardOld::GetTypRozsir(Byte)
{
    return 255;
}
Byte TCardOld::GetNumRozsir(Byte)
{
    return 0;
}
Byte TCardOld::GetRozsirLinNum(Byte, const QString &)
{
    return 0;
}
QString TCardOld::GetRozsirLinName(Byte, Byte)
{
    return {};
}
QString TCardOld::GetRozsirLinHelp(Byte, Byte)
{
    return {};
}
// No extended lines in the template, so no fields for them.
void TCardOld::GetCfgPoleRLin(Byte, Byte, TCfgPole *) {}
Byte TCardOld::GetCardNum(Byte)
{
    return 0;
}
Byte TCardOld::GetKeyCode(Byte)
{
    return 0;
}

Byte TZoznam::XKey(Byte)
{
    return 0;
}
Byte TZoznam::YKey(Byte)
{
    return 0;
}
bool TZoznam::FindInFFnl(Byte)
{
    return false;
}
bool TZoznam::FindInOK(Byte)
{
    return false;
}
Byte TZoznam::SetKey(TASetKey &)
{
    return 0;
}
QString TZoznam::Num2Name(Byte)
{
    return {};
}
Byte TZoznam::Name2Num(const QString &, Byte)
{
    return 255;
}

Byte TZoznam::TypRV(Byte k)
{
    switch (k) {
    case 52:
    case 238:
        return 2;
    case 12:
    case 13:
    case 14:
    case 15:
    case 24:
        return 1;
    default:
        return 0;
    }
}

namespace Sablona
{

QString TPult::Num2Name(Byte code)
{
    // Each even code and the odd one after it name one board type.
    switch (code) {
    case 71:
        return QStringLiteral("UNI10");
    case 255:
        return QStringLiteral("NONE");
    }
    if (code >= 144 && code <= 159)
        return QStringLiteral("4W5");
    switch (code & ~1) {
    case 0:
        return QStringLiteral("MB");
    case 16:
        return QStringLiteral("AUT");
    case 32:
        return QStringLiteral("ORU");
    case 64:
        return QStringLiteral("PR3");
    case 80:
        return QStringLiteral("ORST");
    case 96:
        return QStringLiteral("RDZ2");
    case 112:
        return QStringLiteral("PPT");
    case 128:
        return QStringLiteral("RDZ1");
    case 160:
        return QStringLiteral("ONTU");
    case 176:
        return QStringLiteral("UB");
    case 192:
        return QStringLiteral("SK5");
    case 224:
        return QStringLiteral("RFT");
    default:
        return {};
    }
}

Byte TPult::Name2Num(const QString &name)
{
    struct Entry {
        const char *name;
        Byte code;
    };
    // The first name that occurs anywhere in the text wins.
    static constexpr Entry entries[] = {
        {"MB", 0},    {"UB", 176}, {"AUT", 16},   {"PR3", 64},  {"RDZ2", 96}, {"RDZ1", 128}, {"PPT", 112},
        {"RFT", 224}, {"ORU", 32}, {"ONTU", 160}, {"ORST", 80}, {"SK5", 192}, {"4W5", 144},  {"UNI10", 71},
    };
    for (const Entry &e : entries)
        if (name.contains(QLatin1String(e.name)))
            return e.code;
    return 255;
}

} // namespace Sablona
