#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "cardpack/sablona.h"

class TAPult;

// The rules of the settings dialog, without the dialog.
namespace SettingsRules
{

// 1 for type 0, ceil(224 / keys per screen) of a PC (1) or mechanical (2) console.
int ScreenLimit(int consoleType, int keysPerScreenPC, int keysPerScreenMech);

// Screens times keys per screen of the type, at most 224; 0 for type 0.
int Capacity(int consoleType, int screens, int keysPerScreenPC, int keysPerScreenMech);

// One console's controls after its type changed.
struct TScreenRule {
    int Type = 0;       // a mechanical console is not allowed in fixed two-screen mode
    bool Enabled = false;
    int Minimum = 1, Maximum = 1;
    int Value = 1;
};
TScreenRule Nastav(int type, int value, bool twoScreens, int keysPerScreenPC, int keysPerScreenMech);

// Layout of both consoles: type 0, screens 0, type 1, screens 1.
struct TLayout {
    int Type[2] = {0, 0};
    int Screens[2] = {1, 1};
};
// A console's capacity drops to a number still above 0 (with a configuration).
bool AsksCapacityQuestion(bool hasConfig, const TLayout &saved, const TLayout &now, int keysPerScreenPC,
                          int keysPerScreenMech);

// The port number of an entry "COMn" / "COMnn"; 0 for any other text.
int PortFromText(const QString &text);
// "COM" + n
QString PortText(int number);

// The digits of a function number, at most 18 of them.
constexpr int FunctionNumberDigits = 18;
QString CleanFunctionNumber(const QString &text);
// Keys an edit of a function number takes: digits, Backspace, Enter, Ctrl+C, Ctrl+V.
bool FunctionNumberKey(QChar key);
// A console with a key on the GSM-R board needs a function number.
bool FunctionNumberOk(TAPult *config, int console, const QString &text);

// The ring time-out's items: "2", "4" .. "30".
QStringList RingMinuteItems();
// The item of that many minutes; 0 when none matches.
int RingMinuteIndex(int minutes);
// A DORST mode within the list of three.
int ClampDorstMode(int mode);

// The five bytes of a test request: command (0x00 system, 0x80 console) and four zeros.
QByteArray TestRequest(Byte command);
// "dd. MM. yyyy hh:mm:ss"
QString TimeStamp(const QDateTime &time);
// The log lines of a sent request (stamp line, bytes line, empty line).
QStringList RequestLines(const QDateTime &time, Byte command);

// A received frame as the test log shows it. The bytes taken are at most
// what the frame holds, what its length field announces (header included)
// and what a frame block holds.
struct TFrameDump {
    QByteArray Bytes;
    QString Hex; // three hex digits a byte, blank-separated
    QString Dec; // three decimal digits a byte
};
TFrameDump DumpFrame(const QByteArray &frame);
QStringList AnswerLines(const QDateTime &time, const TFrameDump &dump);
// The first byte answers a test awaited (6 system, 7 console); 0x0A answers either.
bool AnswersTest(const QByteArray &bytes, int awaited);

} // namespace SettingsRules
