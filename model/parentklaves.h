#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

#include "model/konfiguracia.h"
#include "model/listbyte.h"

// A key record of the export file.
class TParent_Data : public TDataRW
{
public:
    TParent_Data();
    QString ClassName() const override { return QStringLiteral("TParent_Data"); }

    // Record values; the byte lists are made when missing and keep their items.
    virtual void Reset();

    void SetData(std::int32_t Console, std::int32_t Key, std::int32_t ColorText, const QString &Popis,
                 const QString &PomPopis, const QByteArray &Pole1Bytes, const QByteArray &Pole2Bytes,
                 std::int32_t ColotTlacidlo);

    std::int32_t CisloPultu = 255;
    std::int32_t CisloTlacidla = 255;
    std::int32_t ColorText = 0;
    std::int32_t ColotTlacidlo = 0;
    std::unique_ptr<TListByte> Pole1;
    std::unique_ptr<TListByte> Pole2;
    QString Popis;
    QString PomPopis;

    // Resets the record first.
    bool ReadData(TReader &Reader) override;
    bool WriteData(TWriter &Writer) override;
};

// Key record classes that differ from their base in their names only.
#define KELVARA_RECORD_CLASS(Name, Base)                                                                     \
    class Name : public Base                                                                                 \
    {                                                                                                        \
    public:                                                                                                  \
        QString ClassName() const override { return QStringLiteral(#Name); }                                 \
    };
