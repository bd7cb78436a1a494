#pragma once

#include <array>

#include "cardpack/sablona.h"

// The five-line boards with extended lines (4W5 and E1). Both answer every
// line query alike; only the card constants differ, so each board type is its
// own class on this shared base and a 4W5 card is never taken for an E1 card.
class TExtendedLineCard : public TCardOld
{
public:
    void Reset() override;
    Byte LinCount() override { return 5; }
    Byte TypLinCount() override { return 5; }
    QString GetTypLinName(Byte index, Byte &code) override;
    QString GetHelpLin(Byte i) override;
    QString GetNameLin(Byte i) override;
    void SetNameLin(Byte i, const QString &name) override;
    void GetCfgPoleLin(Byte i, TCfgPole *rec) override;
    Byte GetTypLinNum(const QString &name) override;
    std::int32_t ChangePos(Byte i, Byte index) override;
    bool IsRozsirLin(Byte i) override;
    Byte GetTypRozsir(Byte i) override;
    Byte GetNumRozsir(Byte i) override;
    Byte GetRozsirLinNum(Byte i, const QString &name) override;
    QString GetRozsirLinName(Byte i, Byte pos) override;
    QString GetRozsirLinHelp(Byte i, Byte pos) override;
    void GetCfgPoleRLin(Byte i, Byte pos, TCfgPole *rec) override;
    Byte GetType() override { return 1; }
    Byte GetKeyCode(Byte i) override;

protected:
    TExtendedLineCard() = default;

private:
    // A line index outside the used lines answers as a line with no type.
    const QString &nameOf(Byte i) const;
    Byte typeOf(Byte i) { return GetTypLinNum(nameOf(i)); }

    std::array<QString, 10> lines;
};

// The four-wire board of five lines (4W5).
class T4W5Card : public TExtendedLineCard
{
public:
    T4W5Card() = default;
    QString ClassName() const override { return QStringLiteral("T4W5Card"); }
    QString GetCardName() override;
    Byte GetCardNum(Byte) override;
    QString GetCardHelp() override;
};
