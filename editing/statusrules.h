#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "cardpack/sablona.h"

class TAPult;

// Start-up and status-timer decisions of the main window, kept apart from its
// widgets so that tests reach them without a window.
namespace StatusRules {

// ---- command line ----------------------------------------------------------------

// The address in canonical dotted decimal ("010.001.0.7" gives "10.1.0.7");
// empty when it is no valid IPv4 address.
QString CanonicalIPv4(const QString &text);

// Both valid and the same address, however written.
bool SameIPv4(const QString &a, const QString &b);

struct TCommandLine {
    bool Network = false;    // -i with a valid address and three more arguments
    bool HasParams = false;  // some -i gave the three parameters (kept even when invalid)
    QString NetParams[3];    // address (canonical when valid), then the two after it
};

// args[0] is the program. "-nwnp" is accepted and has no effect; a later "-i"
// overrides an earlier one.
TCommandLine ParseArguments(const QStringList &args);

// ---- network result slots ------------------------------------------------------

struct TNetSlot {
    Byte Done = 0;           // 1 = positive answer
    std::int32_t Code = -1;  // -1 = no answer yet
};

// Slots 0..10: every network operation waits on one of them.
constexpr int NetSlotCount = 11;
using TNetSlots = std::array<TNetSlot, NetSlotCount>;

void ResetSlot(TNetSlots &table, int slot);

// A relay reply's effect on the slots; true when it touched one. Replies 16
// and 17 answer command 9 (slot 8): done and refused.
bool ApplyRelayReply(TNetSlots &table, std::uint32_t code);

// The FTP client's events on the fetch (5) and upload (6) slots: a status of
// 200..299 is a success, any other numbered status a failure, an error a
// failure; informational events (code -1) and events after a slot was
// answered change nothing.
constexpr int FetchSlot = 5, UploadSlot = 6;
void ApplyFtpStatus(TNetSlots &table, std::int32_t code);
void ApplyFtpError(TNetSlots &table, std::int32_t code);

// The status window's line for a counted reply. The datagram text is data,
// never a format.
QString DatagramLogText(int counter, std::uint32_t code, const QString &text);

// ---- status bar --------------------------------------------------------------------

// The turning mark "-\|/" at index 1..4.
QChar TurningMark(Byte index);
// 1, 2, 3, 4, then 1 again.
Byte NextMarkIndex(Byte index);

// Panel 0 while a device operation runs.
QString CommPanelText(const QString &stateText, Byte markIndex);

// "  marker  " while the flag is set, else empty (panels 1 and 2).
QString MarkerPanelText(bool flag, const QString &marker);

// ---- menu rules -------------------------------------------------------------------------

struct TMenuInputs {
    bool HasConfig = false;
    bool ConsoleExists[2] = {false, false};
    Byte ConsoleType[2] = {0, 0}; // 0 not connected, 1 PC, 2 mechanical
    bool StoredCopy = false;
    int ActiveConsole = -1;       // console shown by the active console window
};

// Inputs from a configuration, its stored copy and the active console window.
TMenuInputs MenuInputsFrom(const TAPult *config, const TAPult *stored, int activeConsole);

struct TMenuStates {
    bool SaveAsPC[2] = {false, false}; // Uloipult0akoPC1, Uloipult1akoPC1
    bool Loaded = false;               // Save1, SaveSB, Report2, WriteConfig, DoSystemu, Tile1, Cascade1, Odlozit...
    bool Print = false;                // Print1, PrintEmpty1, PrintSB, PrintEmptySB, PrintAll1, PrintOriginal1
    bool CopyConsoles = false;         // Kopirujpult121, Kopirujpult211, sbKopirujDo0, sbKopirujDo1
    bool CompareStored = false;        // Porovnat..., Zlucitsodlozenou1
    bool Pult[2] = {false, false};     // Window1 "Pult"n items and sbPult0/sbPult1
    bool PultChecked[2] = {false, false};
};

TMenuStates MenuStates(const TMenuInputs &in);

// The number after "Pult" in a name; -1 when there is none.
int ConsoleNumberFromName(const QString &name);

// The console button's hint: type 2 "Pult n (text10)", type 1 "Pult n (text9)", else "Pult n".
QString PultHint(Byte type, int n, const QString &text9, const QString &text10);

// The tick may run the start action: no configuration, mode 0, no start action
// running and no wait in progress.
bool StartActionDue(bool hasConfig, Byte mode, bool startActionRuns, bool waitInProgress);

// ---- debug views -------------------------------------------------------------------------

// Memo1's variable view (consoles, boards, lines, extended lines).
QStringList ConsoleVariableView(const TAPult *config);
// Memo2's variable view (keys).
QStringList KeyVariableView(const TAPult *config);

} // namespace StatusRules
