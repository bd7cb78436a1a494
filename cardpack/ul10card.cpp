#include "cardpack/ul10card.h"

namespace
{

struct LineType {
    const char16_t *name;
    Byte number;
    const char16_t *help;
    Byte keyCode;
};

// In the order names are tested: the first one found in a stored name decides.
constexpr LineType lineTypes[] = {
    {u"MB", 0, u"Prístroj s miestnou batériou (MB)", 2},
    {u"UB", 1, u"Prístroj s ústrednou batériou (UB)", 26},
    {u"AUT", 2, u"Verejná telefónna sieť (AUT)", 3},
    {u"KONF", 3, u"Riadené konferenčné linky (KONF)", 27},
    {u"HTP", 4, u"Hlasitý telefónny prístroj (HTP)", 28},
    {u"Bre", 5, u"Budenie relé (Bre)", 26},
    {u"ODP", 6, u"Odposluchy (ODP)", 26},
    {u"nekonf", 255, u"Nekonfigurovaná linka", 1},
};

constexpr Byte noType = 254;

const LineType *findType(const QString &name)
{
    for (const LineType &t : lineTypes)
        if (name.contains(QStringView(t.name)))
            return &t;
    return nullptr;
}

const QString emptyName;

} // namespace

const QString &TUL10Card::nameOf(Byte i) const
{
    return i < lines.size() ? lines[i] : emptyName;
}

void TUL10Card::Reset()
{
    for (Byte i = 0; i < LinCount() && i < lines.size(); ++i)
        if (GetTypLinNum(lines[i]) == noType)
            lines[i] = QStringLiteral("nekonf");
}

QString TUL10Card::GetTypLinName(Byte index, Byte &code)
{
    code = 255;
    if (index <= 6)
        return QString::fromUtf16(lineTypes[index].name);
    if (index == 255)
        return QStringLiteral("nekonf");
    return {};
}

QString TUL10Card::GetHelpLin(Byte i)
{
    const LineType *t = findType(nameOf(i));
    return t ? QString::fromUtf16(t->help) : QString();
}

QString TUL10Card::GetNameLin(Byte i)
{
    return nameOf(i);
}

void TUL10Card::SetNameLin(Byte i, const QString &name)
{
    if (i >= LinCount() || i >= lines.size())
        return;
    const Byte type = GetTypLinNum(name);
    lines[i] = (type == noType || type == 255) ? QStringLiteral("nekonf") : name;
}

void TUL10Card::GetCfgPoleLin(Byte i, TCfgPole *rec)
{
    if (!rec)
        return;
    rec->fill(255);
    (*rec)[0] = GetKeyCode(i);
    (*rec)[29] = 7;
}

Byte TUL10Card::GetTypLinNum(const QString &name)
{
    const LineType *t = findType(name);
    return t ? t->number : noType;
}

Byte TUL10Card::GetKeyCode(Byte i)
{
    const LineType *t = findType(nameOf(i));
    return t ? t->keyCode : 0;
}

QString TUL10Card::GetCardHelp()
{
    return QStringLiteral("Univerzálna doska desiatich liniek (UL10)");
}
