#include "cardpack/t4w5card.h"

namespace
{

constexpr Byte typeHLS = 7;
constexpr Byte typeMD = 8;
constexpr Byte typeMS = 9;
constexpr Byte typeSL = 10;
constexpr Byte typeMM = 11;
constexpr Byte typeNekonf = 255;
constexpr Byte noType = 254;
constexpr Byte usedLines = 5;

constexpr Byte blankPos = 241;   // an empty row of the extended-line list
constexpr Byte noPos = 242;      // a list index that names no position
constexpr Byte unknownPos = 254; // a name that names no position

struct LineType {
    const char16_t *name;
    Byte number;
};

// In the order names are tested: the first one found in a stored name decides.
constexpr LineType lineTypes[] = {
    {u"HLS", typeHLS}, {u"MD", typeMD}, {u"MS", typeMS},
    {u"MM", typeMM},   {u"SL", typeSL}, {u"nekonf", typeNekonf},
};

bool hasSubscribers(Byte type)
{
    return type == typeMD || type == typeMS;
}
bool hasRozsir(Byte type)
{
    return hasSubscribers(type) || type == typeMM;
}

// The subscriber positions of an MD or MS line.
bool isSubscriber(int pos)
{
    switch (pos) {
    case 19:
    case 22:
    case 25:
    case 34:
    case 35:
    case 37:
    case 38:
        return true;
    }
    return (pos >= 1 && pos <= 16) || (pos >= 28 && pos <= 32) || (pos >= 40 && pos <= 63);
}

// Dispatcher number 1 to 8 of an MM position, 0 when pos is none.
int dispatcherOf(int pos)
{
    static constexpr Byte codes[] = {6, 8, 9, 10, 12, 13, 14, 15};
    for (int n = 0; n < 8; ++n)
        if (codes[n] == pos)
            return n + 1;
    return 0;
}

QString hex2(int pos)
{
    return QStringLiteral("%1").arg(pos, 2, 16, QLatin1Char('0')).toUpper();
}

// The name of pos on a line of the given type; empty when it is no position.
QString positionName(Byte type, int pos)
{
    if (!hasRozsir(type))
        return {};
    if (pos == 0)
        return QStringLiteral("Linka/GV");
    if (pos == blankPos)
        return QStringLiteral(" ");
    if (hasSubscribers(type))
        return isSubscriber(pos) ? QStringLiteral("Pr. ") + hex2(pos) : QString();
    const int disp = dispatcherOf(pos);
    return disp ? QStringLiteral("Disp. %1").arg(disp) : QString();
}

const QString emptyName;

} // namespace

const QString &TExtendedLineCard::nameOf(Byte i) const
{
    return i < usedLines ? lines[i] : emptyName;
}

void TExtendedLineCard::Reset()
{
    for (Byte i = 0; i < usedLines; ++i)
        if (GetTypLinNum(lines[i]) == noType)
            lines[i] = QStringLiteral("nekonf");
}

QString TExtendedLineCard::GetTypLinName(Byte index, Byte &code)
{
    code = 255;
    switch (index) {
    case 0:
    case typeHLS:
        return QStringLiteral("HLS");
    case 1:
    case typeMD:
        return QStringLiteral("MD");
    case 2:
    case typeMS:
        return QStringLiteral("MS");
    case 3:
    case typeMM:
        return QStringLiteral("MM");
    case 4:
    case typeSL:
        return QStringLiteral("SL");
    default:
        return {};
    }
}

QString TExtendedLineCard::GetHelpLin(Byte i)
{
    switch (typeOf(i)) {
    case typeHLS:
        return QStringLiteral("Hlasitá linka");
    case typeMD:
        return QStringLiteral("Master");
    case typeMS:
        return QStringLiteral("Master Selected");
    case typeSL:
        return QStringLiteral("Slave");
    case typeMM:
        return QStringLiteral("Multimaster");
    case typeNekonf:
        return QStringLiteral("Nekonfigurovaná linka");
    default:
        return {};
    }
}

QString TExtendedLineCard::GetNameLin(Byte i)
{
    return nameOf(i);
}

void TExtendedLineCard::SetNameLin(Byte i, const QString &name)
{
    if (i >= usedLines)
        return;
    const Byte type = GetTypLinNum(name);
    lines[i] = (type == noType || type == typeNekonf) ? QStringLiteral("nekonf") : name;
}

void TExtendedLineCard::GetCfgPoleLin(Byte i, TCfgPole *rec)
{
    if (!rec)
        return;
    rec->fill(255);
    (*rec)[0] = GetKeyCode(i);
    (*rec)[29] = 7;
    const Byte type = typeOf(i);
    if (type == typeHLS || type == typeSL)
        (*rec)[1] = 255;
    else if (hasRozsir(type))
        (*rec)[1] = 0;
}

Byte TExtendedLineCard::GetTypLinNum(const QString &name)
{
    for (const LineType &t : lineTypes)
        if (name.contains(QStringView(t.name)))
            return t.number;
    return noType;
}

std::int32_t TExtendedLineCard::ChangePos(Byte i, Byte index)
{
    const Byte type = typeOf(i);
    if (hasSubscribers(type)) {
        if (index == 0)
            return 0;
        if (index <= 2)
            return blankPos;
        if (index <= 18)
            return index - 2;
        if (index <= 21) {
            static constexpr Byte codes[] = {19, 22, 25};
            return codes[index - 19];
        }
        if (index <= 26)
            return index + 6;
        if (index <= 30) {
            static constexpr Byte codes[] = {34, 35, 37, 38};
            return codes[index - 27];
        }
        if (index >= 40 && index <= 63)
            return index;
        return noPos;
    }
    if (type == typeMM) {
        if (index == 0 || dispatcherOf(index))
            return index;
        if (index == 11)
            return blankPos;
    }
    return noPos;
}

bool TExtendedLineCard::IsRozsirLin(Byte i)
{
    return hasRozsir(typeOf(i));
}

Byte TExtendedLineCard::GetTypRozsir(Byte i)
{
    const Byte type = typeOf(i);
    return (type == typeHLS || type == typeSL) ? 255 : 0;
}

Byte TExtendedLineCard::GetNumRozsir(Byte i)
{
    const Byte type = typeOf(i);
    if (hasSubscribers(type))
        return 64;
    return type == typeMM ? 16 : 0;
}

Byte TExtendedLineCard::GetRozsirLinNum(Byte i, const QString &name)
{
    const Byte type = typeOf(i);
    if (!hasRozsir(type))
        return unknownPos;
    // The highest position whose name occurs wins; a blank row is never a match.
    for (int pos = 255; pos >= 0; --pos) {
        if (pos == blankPos)
            continue;
        const QString candidate = positionName(type, pos);
        if (!candidate.isEmpty() && name.contains(candidate))
            return Byte(pos);
    }
    return unknownPos;
}

QString TExtendedLineCard::GetRozsirLinName(Byte i, Byte pos)
{
    return positionName(typeOf(i), pos);
}

QString TExtendedLineCard::GetRozsirLinHelp(Byte i, Byte pos)
{
    const Byte type = typeOf(i);
    if (!hasRozsir(type) || pos == blankPos)
        return {};
    if (pos == 0)
        return GetHelpLin(i);
    if (hasSubscribers(type))
        return isSubscriber(pos) ? QStringLiteral("Účastnícky prístroj ") + hex2(pos) : QString();
    const int disp = dispatcherOf(pos);
    return disp ? QStringLiteral("Dispečer %1 (%2H)").arg(disp).arg(QString::number(pos, 16).toUpper())
                : QString();
}

void TExtendedLineCard::GetCfgPoleRLin(Byte i, Byte pos, TCfgPole *rec)
{
    if (!rec)
        return;
    rec->fill(255);
    (*rec)[0] = GetKeyCode(i);
    (*rec)[29] = 7;
    if (hasRozsir(typeOf(i)))
        (*rec)[1] = pos == 255 ? 0 : pos;
}

Byte TExtendedLineCard::GetKeyCode(Byte i)
{
    const QString &name = nameOf(i);
    for (const char16_t *t : {u"MD", u"MS", u"MM", u"SL", u"HLS"})
        if (name.contains(QStringView(t)))
            return 22;
    return name.contains(u"nekonf") ? 1 : 0;
}

QString T4W5Card::GetCardName()
{
    return QStringLiteral("4W5");
}
Byte T4W5Card::GetCardNum(Byte)
{
    return 148;
}
QString T4W5Card::GetCardHelp()
{
    return QStringLiteral(" (4W5)");
}
