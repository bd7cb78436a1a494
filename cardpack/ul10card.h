#pragma once

#include <array>

#include "cardpack/sablona.h"

// The universal ten-line board (UL10). Lines carry a type name and no extended lines.
class TUL10Card : public TCardOld
{
public:
    TUL10Card() = default;
    QString ClassName() const override { return QStringLiteral("TUL10Card"); }

    void Reset() override;
    Byte LinCount() override { return 10; }
    Byte TypLinCount() override { return 7; }
    QString GetTypLinName(Byte index, Byte &code) override;
    QString GetHelpLin(Byte i) override;
    QString GetNameLin(Byte i) override;
    void SetNameLin(Byte i, const QString &name) override;
    void GetCfgPoleLin(Byte i, TCfgPole *rec) override;
    Byte GetTypLinNum(const QString &name) override;
    Byte GetType() override { return 1; }
    QString GetCardName() override { return QStringLiteral("UL10"); }
    Byte GetCardNum(Byte) override { return 71; }
    Byte GetKeyCode(Byte i) override;
    QString GetCardHelp() override;

private:
    // A line index outside the table answers as a line with no type.
    const QString &nameOf(Byte i) const;

    std::array<QString, 10> lines;
};
