#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "cardpack/konstkarty.h"

using Byte = std::uint8_t;

// Base of every class the package registers by name.
class TPersistent
{
public:
    virtual ~TPersistent() = default;
    virtual QString ClassName() const = 0;
};

// The 30-byte line configuration record a card fills for a line or an extended line.
using TCfgPole = std::array<Byte, 30>;

// The card template interface. The base behaviour is the template's own;
// the board types override it.
class TCardOld : public TPersistent
{
public:
    TCardOld() = default;
    QString ClassName() const override { return QStringLiteral("TCardOld"); }

    virtual void Reset() {}
    virtual Byte LinCount() { return 0; }
    virtual Byte TypLinCount() { return 0; }
    virtual QString GetTypLinName(Byte index, Byte &code);
    virtual QString GetHelpLin(Byte i);
    virtual QString GetNameLin(Byte i);
    virtual void SetNameLin(Byte i, const QString &name);
    virtual void GetCfgPoleLin(Byte i, TCfgPole *rec);
    virtual Byte GetTypLinNum(const QString &name);
    virtual std::int32_t ChangePos(Byte i, Byte index);
    virtual void GetSize(Byte i, Byte &a, Byte &b);
    virtual bool IsRozsirLin(Byte i);
    virtual Byte GetTypRozsir(Byte i);
    virtual Byte GetNumRozsir(Byte i);
    virtual Byte GetRozsirLinNum(Byte i, const QString &name);
    virtual QString GetRozsirLinName(Byte i, Byte pos);
    virtual QString GetRozsirLinHelp(Byte i, Byte pos);
    virtual void GetCfgPoleRLin(Byte i, Byte pos, TCfgPole *rec);
    virtual Byte GetType() { return 0; }
    virtual QString GetCardName() { return QStringLiteral("Card"); }
    virtual Byte GetCardNum(Byte ignored);
    virtual Byte GetKeyCode(Byte i);
    virtual QString GetCardHelp() { return QStringLiteral("Help"); }
};

// The board-type list interface.
class TZoznam : public TPersistent
{
public:
    TZoznam() = default;
    QString ClassName() const override { return QStringLiteral("TZoznam"); }

    virtual Byte XKey(Byte t);
    virtual Byte YKey(Byte t);
    virtual Byte GetType() { return 0; }
    virtual bool FindInFFnl(Byte k);
    virtual bool FindInOK(Byte k);
    virtual Byte SetKey(TASetKey &keys);
    virtual Byte TypNumlin() { return 0; }
    virtual QString Num2Name(Byte code);
    virtual Byte Name2Num(const QString &name, Byte t);

    // 2 for key codes 52 and 238, 1 for 12, 13, 14, 15 and 24, else 0.
    static Byte TypRV(Byte k);
};

namespace Sablona
{

// Board code/name table of older board types; exported, not used by the program.
class TPult : public TPersistent
{
public:
    QString ClassName() const override { return QStringLiteral("TPult"); }
    virtual QString Num2Name(Byte code);
    virtual Byte Name2Num(const QString &name);
};

} // namespace Sablona
