#pragma once

#include "model/parentklaves.h"

// A key record of a line on an Orva board: the key values and the line's place.
class TOrvaCard : public TParent_Data
{
public:
    TOrvaCard();
    QString ClassName() const override { return QStringLiteral("TOrvaCard"); }

    void Reset() override;

    void SetData(std::int32_t NumberCard, std::int32_t Numlin, std::int32_t Console, std::int32_t Key,
                 std::int32_t Zvonenie, std::int32_t Nahravanie, std::int32_t ColorText, const QString &Popis,
                 const QString &PomPopis, const QByteArray &Pole1Bytes, const QByteArray &Pole2Bytes,
                 std::int32_t LinkaNaKarte, std::int32_t ColotTlacidlo);

    std::int32_t NumberCard = 255;
    std::int32_t Numlin = 255;
    std::int32_t LinkaNaKarte = 255;
    std::int32_t Zvonenie = 255;
    std::int32_t Nahravanie = 255;

    bool ReadData(TReader &Reader) override;
    bool WriteData(TWriter &Writer) override;
};

// Single-subscriber lines.
class TJednoucastnicke : public TOrvaCard
{
public:
    TJednoucastnicke();
    QString ClassName() const override { return QStringLiteral("TJednoucastnicke"); }
    void Reset() override;
};

KELVARA_RECORD_CLASS(TVolbaAUT, TJednoucastnicke)
KELVARA_RECORD_CLASS(TAUT, TVolbaAUT)
KELVARA_RECORD_CLASS(TISDN, TAUT)
KELVARA_RECORD_CLASS(TZnacky, TJednoucastnicke)
KELVARA_RECORD_CLASS(TMB, TZnacky)
KELVARA_RECORD_CLASS(TORST, TJednoucastnicke)
KELVARA_RECORD_CLASS(TRDZ2, TJednoucastnicke)
KELVARA_RECORD_CLASS(TSK5, TJednoucastnicke)
KELVARA_RECORD_CLASS(TUB5, TJednoucastnicke)
KELVARA_RECORD_CLASS(TZL3, TJednoucastnicke)
KELVARA_RECORD_CLASS(TRFT, TJednoucastnicke)
KELVARA_RECORD_CLASS(TPPT, TJednoucastnicke)

// Multi-subscriber lines.
KELVARA_RECORD_CLASS(TViacucastnicke, TOrvaCard)
KELVARA_RECORD_CLASS(TRDZ, TViacucastnicke)
KELVARA_RECORD_CLASS(TSLDS, TViacucastnicke)

// Public address.
KELVARA_RECORD_CLASS(TRozhlasy, TOrvaCard)
KELVARA_RECORD_CLASS(TORU, TRozhlasy)
KELVARA_RECORD_CLASS(TDORU, TORU)
KELVARA_RECORD_CLASS(TDRAH, TORU)
