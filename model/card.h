#pragma once

#include <QString>
#include <cstdint>

#include "model/konfiguracia.h"

// One board slot of the export file: its position word and board code.
class TCard : public TDataRW
{
public:
    QString ClassName() const override { return QStringLiteral("TCard"); }

    void SetData(std::uint16_t Word, Byte Code);

    std::uint16_t Word() const { return FWord; }
    // The high byte of the word.
    Byte Etaz() const { return Byte(FWord >> 8); }
    // "L", or "H" when bit 7 of the low byte is set, then the number in bits 4..6.
    QString Prepojka() const;
    Byte KodDosky() const { return FKodDosky; }

    bool ReadData(TReader &Reader) override;
    bool WriteData(TWriter &Writer) override;

private:
    std::uint16_t FWord = 0;
    Byte FKodDosky = 0;
};
