#include "cardpack/te1card.h"

QString TE1Card::GetCardName()
{
    return QStringLiteral("E1");
}
Byte TE1Card::GetCardNum(Byte)
{
    return 160;
}
QString TE1Card::GetCardHelp()
{
    return QStringLiteral(" (E1)");
}
