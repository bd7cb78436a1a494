#pragma once

#include "cardpack/t4w5card.h"

// The E1 board of five lines; lines behave as on the 4W5 board.
class TE1Card : public TExtendedLineCard
{
public:
    TE1Card() = default;
    QString ClassName() const override { return QStringLiteral("TE1Card"); }
    QString GetCardName() override;
    Byte GetCardNum(Byte) override;
    QString GetCardHelp() override;
};
