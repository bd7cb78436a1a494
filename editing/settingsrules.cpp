#include "editing/settingsrules.h"

#include <algorithm>

#include "editing/consolefiles.h"
#include "model/objekty.h"

namespace SettingsRules
{

namespace
{
constexpr int FrameBlockData = 10240; // what a received frame block holds

int keysPerScreen(int type, int pc, int mech)
{
    return type == 1 ? pc : type == 2 ? mech : 0;
}
} // namespace

int ScreenLimit(int consoleType, int keysPerScreenPC, int keysPerScreenMech)
{
    const int per = keysPerScreen(consoleType, keysPerScreenPC, keysPerScreenMech);
    if (per <= 0)
        return 1;
    return (KeyCount + per - 1) / per;
}

int Capacity(int consoleType, int screens, int keysPerScreenPC, int keysPerScreenMech)
{
    const int per = keysPerScreen(consoleType, keysPerScreenPC, keysPerScreenMech);
    return std::clamp(per * std::max(screens, 0), 0, KeyCount);
}

TScreenRule Nastav(int type, int value, bool twoScreens, int keysPerScreenPC, int keysPerScreenMech)
{
    TScreenRule r;
    r.Type = std::clamp(type, 0, 2);
    if (twoScreens && r.Type == 2)
        r.Type = 1;
    r.Enabled = r.Type != 0;
    if (twoScreens) {
        r.Minimum = r.Maximum = 2;
    } else {
        r.Minimum = 1;
        r.Maximum = ScreenLimit(r.Type, keysPerScreenPC, keysPerScreenMech);
    }
    r.Value = std::min(value, r.Maximum);
    r.Value = std::max(r.Value, twoScreens ? 2 : 1);
    return r;
}

bool AsksCapacityQuestion(bool hasConfig, const TLayout &saved, const TLayout &now, int keysPerScreenPC,
                          int keysPerScreenMech)
{
    if (!hasConfig)
        return false;
    for (int n = 0; n < 2; ++n) {
        const int before = Capacity(saved.Type[n], saved.Screens[n], keysPerScreenPC, keysPerScreenMech);
        const int after = Capacity(now.Type[n], now.Screens[n], keysPerScreenPC, keysPerScreenMech);
        if (after >= 1 && after < before)
            return true;
    }
    return false;
}

int PortFromText(const QString &text)
{
    if (text.size() != 4 && text.size() != 5)
        return 0;
    bool ok = false;
    const int n = text.mid(3).toInt(&ok, 10);
    return ok && n >= 0 && text.at(3).isDigit() && text.back().isDigit() ? n : 0;
}

QString PortText(int number) { return QStringLiteral("COM%1").arg(number); }

QString CleanFunctionNumber(const QString &text)
{
    QString digits;
    for (QChar c : text)
        if (c >= u'0' && c <= u'9' && digits.size() < FunctionNumberDigits)
            digits += c;
    return digits;
}

bool FunctionNumberKey(QChar key)
{
    const char16_t c = key.unicode();
    return (c >= u'0' && c <= u'9') || c == 8 || c == 13 || c == 3 || c == 22;
}

bool FunctionNumberOk(TAPult *config, int console, const QString &text)
{
    if (!config || console < 0 || console >= ConsoleCount || console >= config->PocetPultov ||
        !config->Pulty[console] || !text.isEmpty())
        return true;
    return !ConsoleFiles::PultHasKindRKey(config, console);
}

QStringList RingMinuteItems()
{
    QStringList items;
    for (int m = 2; m <= 30; m += 2)
        items << QString::number(m);
    return items;
}

int RingMinuteIndex(int minutes)
{
    const int i = int(RingMinuteItems().indexOf(QString::number(minutes)));
    return i < 0 ? 0 : i;
}

int ClampDorstMode(int mode) { return std::clamp(mode, 0, 2); }

QByteArray TestRequest(Byte command)
{
    QByteArray request(5, '\0');
    request[0] = char(command);
    return request;
}

QString TimeStamp(const QDateTime &time) { return time.toString(QStringLiteral("dd. MM. yyyy hh:mm:ss")); }

QStringList RequestLines(const QDateTime &time, Byte command)
{
    return {TimeStamp(time) + QStringLiteral(" poslany prikaz:"),
            QString::number(command, 16).rightJustified(2, u'0').toUpper() + QStringLiteral(" 00 00 00 00 [Hex]"),
            QString()};
}

TFrameDump DumpFrame(const QByteArray &frame)
{
    TFrameDump d;
    int wanted = 5;
    if (frame.size() >= 5)
        wanted = (Byte(frame[3]) << 8 | Byte(frame[4])) + 5;
    const int count = std::min({wanted, int(frame.size()), FrameBlockData});
    d.Bytes = frame.left(count);
    QStringList hex, dec;
    for (char c : d.Bytes) {
        hex << QStringLiteral("%1").arg(Byte(c), 3, 16, QLatin1Char('0')).toUpper();
        dec << QStringLiteral("%1").arg(Byte(c), 3, 10, QLatin1Char('0'));
    }
    d.Hex = hex.join(u' ');
    d.Dec = dec.join(u' ');
    return d;
}

QStringList AnswerLines(const QDateTime &time, const TFrameDump &dump)
{
    return {TimeStamp(time) + QStringLiteral(" prijate data:"), dump.Hex + QStringLiteral(" [Hex]"),
            dump.Dec + QStringLiteral(" [Dec]"), QString()};
}

bool AnswersTest(const QByteArray &bytes, int awaited)
{
    if (bytes.isEmpty())
        return false;
    const Byte first = Byte(bytes[0]);
    return first == 0x0A || (first == 0x00 && awaited == 6) || (first == 0x80 && awaited == 7);
}

} // namespace SettingsRules
