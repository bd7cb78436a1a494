#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "model/konfiguracia.h"

// Where the export takes the current time from; tests pass a fixed one.
using TClock = std::function<QDateTime()>;
QDateTime SystemClock();

// A time of day as a date-time value: the fraction of a day past midnight.
double TimeOfDayValue(const QTime &Time);

inline const QString VerziaText = QStringLiteral("V1.0");

// The version record, first in the export file.
class TVerzia : public TDataRW
{
public:
    // Verzia "V1.0"; Date holds the time of day only (the value starts at zero).
    TVerzia();
    explicit TVerzia(const QTime &TimeOfDay);

    QString ClassName() const override { return QStringLiteral("TVerzia"); }

    QString Verzia;
    double Date = 0;
    bool VerziaFlag = false;

    // A version other than "V1.0" is reported and fails the reading.
    bool ReadData(TReader &Reader) override;
    bool WriteData(TWriter &Writer) override;
};
