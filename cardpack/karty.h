#pragma once

#include <array>

#include "cardpack/sablona.h"

// A set of byte as 256 bits: bit k of byte k div 8 set when k is a member.
using TByteSet = std::array<Byte, 32>;

constexpr bool InSet(const TByteSet &set, Byte k)
{
    return set[k / 8] & (1u << (k % 8));
}

extern const TByteSet ffnl; // 12, 13, 14, 15, 24, 48, 49, 50, 51, 52
extern const TByteSet OK;   // the key codes the card templates produce

// The concrete board-type list: one object serves the whole program.
class TZOZ : public TZoznam
{
public:
    QString ClassName() const override { return QStringLiteral("TZOZ"); }
    Byte XKey(Byte t) override;
    Byte YKey(Byte t) override;
    Byte GetType() override { return 1; }
    bool FindInFFnl(Byte k) override;
    bool FindInOK(Byte k) override;
    Byte TypNumlin() override { return 1; }
    QString Num2Name(Byte code) override;
    Byte Name2Num(const QString &name, Byte t) override;
};

// Registers TZoznam, TZOZ, TCardOld, TUL10Card, T4W5Card and TE1Card by name;
// runs when the package is loaded. Counted: only the first initialisation
// registers and only the matching last finalisation unregisters; a
// finalisation without an initialisation does nothing.
void KartyInitialization();
void KartyFinalization();
