#include "model/verzia.h"

#include "model/reporter.h"

QDateTime SystemClock()
{
    return QDateTime::currentDateTime();
}

double TimeOfDayValue(const QTime &Time)
{
    return Time.isValid() ? double(Time.msecsSinceStartOfDay()) / 86400000.0 : 0.0;
}

TVerzia::TVerzia() : TVerzia(SystemClock().time()) {}

TVerzia::TVerzia(const QTime &TimeOfDay)
{
    Verzia = VerziaText;
    Date += TimeOfDayValue(TimeOfDay);
    VerziaFlag = true;
}

bool TVerzia::ReadData(TReader &Reader)
{
    QString version;
    double date = 0;
    if (!Reader.ReadString(version, "Verzia") || !Reader.ReadDate(date, "Date"))
        return false;
    Verzia = version;
    Date = date;
    VerziaFlag = Verzia == VerziaText;
    if (!VerziaFlag) {
        const QString text =
            QStringLiteral("Nesprána verzia konfiguračného súboru.Očakavaná verzia %1 prečítaná verzia %2.")
                .arg(VerziaText, Verzia);
        ReportError(text);
        Reader.Fail(text);
    }
    return VerziaFlag;
}

bool TVerzia::WriteData(TWriter &Writer)
{
    Verzia = VerziaText;
    Writer.WriteString(Verzia);
    Writer.WriteDate(Date);
    return true;
}
