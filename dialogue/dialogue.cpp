#include "dialogue/dialogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

#include "cardpack/dll_load.h"
#include "cardpack/sablona.h"
#include "dialogue/boardcheck.h"
#include "dialogue/framelog.h"
#include "dialogue/writerequests.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/timing.h"
#include "records/systemimage.h"

using Prompt = TDialoguePrompt;

namespace
{

const QString CRLF = QStringLiteral("\r\n");

constexpr int SlotBoards = 1;
constexpr int SlotKeyTable(int console, int step) // steps 2, 3, 4
{
    return 9 * console + step;
}
constexpr int SlotUni(int console)
{
    return 9 * console + 6;
}
constexpr int SlotConsole(int console, int j) // 0 names, 1 key records, 2 and 3 phone book, 4 symbols
{
    return 20 + 5 * console + j;
}

QString Hex2(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

int AnswerDataLength(const DynPole &a)
{
    return int(a.size()) - dlg::HeaderSize;
}

QString CutBeforeCard(const QString &name)
{
    const qsizetype at = name.indexOf(QStringLiteral("Card"));
    return at >= 0 ? name.left(at) : name;
}

// A table from an answer: what the answer holds, the rest empty, so that a
// short answer never leaves an earlier console's or read's bytes behind.
void TakeTable(TSystemImage &image, ImageTable table, const Byte *data, int length, Byte empty)
{
    auto span = image.Table(table);
    std::fill(span.begin(), span.end(), empty);
    image.CopyIntoTable(table, data, length);
}

} // namespace

void TDialogueHost::Delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(std::max<qint64>(1, ms - clock.elapsed())));
    while (clock.elapsed() < ms);
}

TDialogue::TDialogue(TDialogueHost &host, TDialoguePrompt &prompt, QObject *parent)
    : QObject(parent), host_(host), prompt_(prompt), store_(dlg::AnswerSlotCount)
{
    TimerKomunik.setInterval(platform::ScaledInterval(TickMs));
    connect(&TimerKomunik, &QTimer::timeout, this, &TDialogue::TimerKomunikTimer);
    for (auto &slot : store_)
        slot.fill(0);
}

TDialogue::~TDialogue() = default;

// ---- state helpers -----------------------------------------------------------------------

std::span<Byte, dlg::AnswerSlotSize> TDialogue::Slot(int slot)
{
    return store_.at(std::size_t(slot));
}

std::span<const Byte, dlg::AnswerSlotSize> TDialogue::Slot(int slot) const
{
    return store_.at(std::size_t(slot));
}

int TDialogue::SlotDataLength(int slot) const
{
    const auto s = Slot(slot);
    return std::min((s[3] << 8) | s[4], dlg::AnswerSlotSize - dlg::HeaderSize);
}

Byte TDialogue::ConsoleType(int console)
{
    TAPult *a = host_.Model();
    if (!a || console < 0 || console >= ConsoleCount || !a->Pulty[console])
        return 0;
    return a->Pulty[console]->TypPultu;
}

QString TDialogue::CodeSuffix(int code)
{
    return QStringLiteral(" (") + QString::number(code) + QStringLiteral(" [$") + Hex2(code) + QStringLiteral("H])");
}

QString TDialogue::CommStateText(Byte mode)
{
    switch (mode) {
    case opmode::Read:
    case opmode::TimeKeeper:
        return LoadStrDll(67);
    case opmode::Write:
        return LoadStrDll(68);
    case opmode::OpenProject:
        return LoadStrDll(69);
    case opmode::SaveProject:
        return LoadStrDll(70);
    case opmode::BoardsOnly:
    case opmode::BoardsForWrite:
        return LoadStrDll(131);
    default:
        return {};
    }
}

QString TDialogue::CommStateText() const
{
    return CommStateText(OperationMode);
}

void TDialogue::LockUserInterface()
{
    if (!UserInterfaceUnlocked)
        return;
    UserInterfaceUnlocked = 0;
    emit UserInterfaceLocked(true);
}

void TDialogue::UnlockUserInterface()
{
    if (UserInterfaceUnlocked)
        return;
    UserInterfaceUnlocked = 1;
    emit UserInterfaceLocked(false);
}

void TDialogue::ReportFailure(const char *where, const std::exception &e)
{
    host_.AddLogEntry(1, QString::fromLatin1(where) + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()));
    if (CaughtFailureHook)
        CaughtFailureHook(where, e);
    if (OperationMode == opmode::BoardsForWrite)
        OperationMode = opmode::Write;
    if (SessionRunning())
        AbortSession(OperationMode == opmode::Read);
}

int TDialogue::Ask(TDialoguePrompt::Kind kind, const QString &text, TDialoguePrompt::Buttons buttons)
{
    ++boxDepth_;
    struct Depth {
        int &depth;
        ~Depth() { --depth; }
    } depth{boxDepth_};
    return prompt_.Ask(kind, text, buttons);
}

// ---- port and sending ----------------------------------------------------------------------

bool TDialogue::OpenPort()
{
    // Once a session: a boards re-read leaves the port open for its write.
    if (portOpen_ && link_)
        return true;
    QString reason;
    if (link_ && link_->Open(ComNumber, reason)) {
        portOpen_ = true;
        return true;
    }
    const QString text = LoadStrDll(143) + QStringLiteral(" (COM ") + QString::number(ComNumber) + QLatin1Char(')');
    host_.AddLogEntry(1, reason.isEmpty() ? text : text + CRLF + reason);
    Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
    return false;
}

void TDialogue::ClosePort()
{
    portOpen_ = false;
    if (link_)
        link_->Close();
}

void TDialogue::LogFrame(std::span<const Byte> bytes, int lastIndex, bool sent, int length)
{
    if (!host_.FrameLogShown())
        return;
    const dlg::FrameLogContext context{Kom, ktKrok, host_.TimeText()};
    host_.AppendMemo1(dlg::FrameLogLines(bytes, lastIndex, sent, length, context).join(QLatin1Char('\n')));
}

void TDialogue::SendRequest(int length)
{
    RequestLength = std::clamp(length, 0, dlg::RequestBufferSize);
    LogFrame(RequestBuffer, dlg::RequestBufferSize - 1, true, RequestLength);
    const QByteArray frame(reinterpret_cast<const char *>(RequestBuffer.data()), RequestLength);
    if (!link_ || !link_->Send(frame)) {
        const QString text = QStringLiteral("Data was not send. Try again.");
        host_.AddLogEntry(1, text);
        if (Kom == dlg::KomWriteSystem || Kom == dlg::KomWriteConsoles)
            Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
    }
    // Even a frame that was not taken is awaited: the watchdog then offers Retry.
    AnswerAwaited = 1;
    emit RequestSent(frame);
}

// The identical frame once more, for Retry.
void TDialogue::Resend()
{
    LastErrorText.clear();
    AskFlag = 0;
    SendRequest(RequestLength);
    Tag = 0;
    TimerKomunik.start(platform::ScaledInterval(TickMs));
}

// ---- commands -------------------------------------------------------------------------------

void TDialogue::ReadConfigClick()
{
    if (OperationMode != opmode::Idle)
        return;
    try {
        host_.Delay(100);
        host_.RefreshMenus();
        ReadFromSystemStep();
    } catch (const std::exception &e) {
        ReportFailure("ReadConfigClick", e);
    }
}

void TDialogue::DoskySBClick()
{
    if (OperationMode != opmode::Idle && OperationMode != opmode::BoardsForWrite)
        return;
    try {
        host_.RefreshMenus();
        host_.RefreshShownCard();
        if (!host_.Model()) {
            if (OperationMode == opmode::BoardsForWrite)
                BoardsReadState = 2;
            return;
        }
        // The session's own open: the read's start finds the port open.
        if (!OpenPort()) {
            BoardsReadState = 2;
            OperationMode = opmode::Idle;
            return;
        }
        if (OperationMode != opmode::BoardsForWrite) {
            LockUserInterface();
            OperationMode = opmode::BoardsOnly;
        }
        ReadFromSystemStep();
    } catch (const std::exception &e) {
        ReportFailure("DoskySBClick", e);
    }
}

void TDialogue::bbTimeKeeperClick()
{
    if (OperationMode != opmode::Idle || !host_.Model())
        return;
    try {
        host_.Delay(100);
        if (!OpenPort())
            return;
        LockUserInterface();
        OperationMode = opmode::TimeKeeper;
        Kom = dlg::KomReadSystem;
        ktKrok = dlg::TimeKeeperStep;
        ReadFromSystemStep();
    } catch (const std::exception &e) {
        ReportFailure("bbTimeKeeperClick", e);
    }
}

// ---- the read, step by step ---------------------------------------------------------------

void TDialogue::PresetAnswerStore()
{
    auto preset = [this](int slot, Byte command, int length, Byte fill) {
        auto s = Slot(slot);
        std::fill(s.begin(), s.end(), Byte(0));
        dlg::PutHeader(s, command, 0, length);
        std::fill_n(s.begin() + dlg::HeaderSize, length, fill);
    };
    std::fill(Slot(SlotBoards).begin(), Slot(SlotBoards).end(), Byte(0));
    for (int n = 0; n < ConsoleCount; ++n) {
        // An earlier read's tables must never be taken for this one's: the
        // system tables of a skipped step convert as empty tables.
        preset(SlotKeyTable(n, 2), 0x02, img::KeyToLineSize, 0xFF);
        preset(SlotKeyTable(n, 3), 0x03, img::LineToLampSize, 0xFF);
        preset(SlotKeyTable(n, 4), 0x04, img::KeyToSubscriberSize, 0xFF);
        preset(SlotUni(n), 0x05, img::UniSize, 0xFF);
        preset(SlotConsole(n, 0), 0x81, 8192, 0x20);
        preset(SlotConsole(n, 1), 0x82, 8192, 0xFF);
        auto records = Slot(SlotConsole(n, 1));
        for (int i = 0; i < img::KeyCount; ++i) {
            Byte *r = records.data() + dlg::HeaderSize + i * img::KeyRecordWireSize;
            r[0] = 0x01;
            r[29] = 0x07;
        }
        preset(SlotConsole(n, 2), 0x88, 8192, 0xFF);
        preset(SlotConsole(n, 3), 0x89, 8192, 0xFF);
        preset(SlotConsole(n, 4), 0x83, 8192, 0x00);
    }
}

void TDialogue::PresetImageTables()
{
    TSystemImage &image = host_.Image();
    for (ImageTable t : {ImageTable::GsmrFunction, ImageTable::Msn, ImageTable::LineFlags}) {
        auto span = image.Table(t);
        std::fill(span.begin(), span.end(), Byte(0xFF));
    }
    auto version = image.DataVersion();
    std::fill(version.begin(), version.end(), Byte(0));
}

void TDialogue::ReadFromSystemStep()
{
    host_.RefreshShownCard();
    TimerKomunik.stop();
    LastErrorText.clear();
    AskFlag = 0;

    const bool fresh = Kom == 0 && ktKrok == 0;
    const bool keeper = Kom == dlg::KomReadSystem && ktKrok == dlg::TimeKeeperStep;
    if (fresh || keeper) {
        if (fresh) {
            if (OperationMode == opmode::Idle)
                OperationMode = opmode::Read;
            if (OperationMode == 7)
                Kom = dlg::KomReadConsoles;
            if (OperationMode == opmode::Read) {
                host_.CloseAllConsoles();
                host_.Delay(500);
                while (host_.ConsoleWindowsOpen()) {
                    if (!host_.CloseAccepted()) {
                        OperationMode = opmode::Idle;
                        return;
                    }
                    const int b = Ask(Prompt::Kind::Warning, LoadStrDll(29),
                                      Prompt::Bit(Prompt::Abort) | Prompt::Bit(Prompt::Retry));
                    if (b != Prompt::Retry) {
                        OperationMode = opmode::Idle;
                        return;
                    }
                }
                host_.SetProjectName(LoadStrDll(2));
                if (!host_.RunNewConsoleDialog()) {
                    OperationMode = opmode::Idle;
                    host_.SetProjectName(QString());
                    return;
                }
                host_.FreeCardButtons();
                LockUserInterface();
            }
        }
        if (!OpenPort()) {
            // A boards-only read or the time keeper works on the open project: keep it.
            AbortSession(OperationMode == opmode::Read);
            UnlockUserInterface();
            OperationMode = opmode::Idle;
            return;
        }
        host_.SetLightsMonitoring(true);
        if (ktKrok == 0) {
            KomPult = 0;
            BlockCount = {0xFF, 0xFF};
            pcAsked_ = false;
            PresetAnswerStore();
            if (OperationMode == opmode::Read)
                PresetImageTables();
            ++SessionCounter;
            host_.AppendMemo1(QString::number(SessionCounter) + QLatin1Char(':'));
            if (Kom == 0)
                Kom = dlg::KomReadSystem;
        }
    }

    int length = 0;
    if (!AnswerAwaited) {
        if (Kom == dlg::KomReadSystem)
            length = BuildReadRequest();
        if (Kom == dlg::KomReadConsoles) {
            for (;;) {
                // Consoles not read over the line: none, or a PC console from its side file.
                while (KomPult < ConsoleCount && ConsoleType(KomPult) != 2) {
                    if (ConsoleType(KomPult) == 1 && !LoadPcConsole(KomPult))
                        return;
                    ++KomPult;
                    ktKrok = 0;
                }
                if (KomPult >= ConsoleCount) {
                    FinishSession(false);
                    host_.MarkModified();
                    return;
                }
                length = BuildPultReadRequest();
                if (Kom == 0)
                    return;
                if (length > 0)
                    break;
                ++KomPult;
                ktKrok = 0;
            }
        }
        const bool send = (Kom == dlg::KomReadSystem && (ktKrok < 11 || ktKrok == dlg::TimeKeeperStep))
                          || (Kom == dlg::KomReadConsoles && ktKrok < 6);
        if (send && length > 0)
            SendRequest(length);
    }
    if (Kom == 0)
        return;
    Tag = 0;
    TimerKomunik.start(platform::ScaledInterval(TickMs));
}

int TDialogue::BuildReadRequest()
{
    TAPult *a = host_.Model();
    for (;;) {
        if (ktKrok == dlg::TimeKeeperStep)
            return dlg::SystemReadRequest(RequestBuffer, ktKrok, KomPult);
        // The optional tables only where the system announced them.
        if (ktKrok >= 5 && ktKrok <= 8 && (!a || !a->Vlastnosti[ktKrok - 4])) {
            ++ktKrok;
            continue;
        }
        if (ktKrok == 9 && a && a->TypDosiek == 0)
            ktKrok = 10;
        if (ktKrok >= 10) {
            if (KomPult == 0 && ConsoleType(1) != 0) {
                KomPult = 1;
                ktKrok = 2;
                continue;
            }
            ktKrok = 0;
            KomPult = 0;
            Kom = dlg::KomReadConsoles;
            return 0;
        }
        return dlg::SystemReadRequest(RequestBuffer, ktKrok, KomPult);
    }
}

bool TDialogue::SelectPultToRead()
{
    TAPult *a = host_.Model();
    for (int n = KomPult; a && n < ConsoleCount; ++n) {
        if (ConsoleType(n) == 0)
            continue;
        bool yes = true;
        if (!host_.Quiet()) {
            Byte type = ConsoleType(n);
            UnlockUserInterface();
            ++boxDepth_;
            yes = prompt_.AskConsole(n, LoadStrDll(63), LoadStrDll(64), LoadStrDll(120), type);
            --boxDepth_;
            if (!SessionRunning())
                return false; // ended while the question was open
            LockUserInterface();
            if (yes && (type == 1 || type == 2) && a->Pulty[n])
                a->Pulty[n]->TypPultu = type; // the type the user confirmed is the one read
        }
        if (!yes)
            continue;
        if (ConsoleType(n) == 2) {
            KomPult = Byte(n);
            return true;
        }
        // Turned into a PC console: its side file instead of the line.
        if (!LoadPcConsole(n))
            return false;
    }
    FinishSession(false);
    host_.MarkModified();
    return false;
}

int TDialogue::BuildPultReadRequest()
{
    TAPult *a = host_.Model();
    if (ktKrok == 0) {
        host_.SetConfigEnabled(false);
        if (!SelectPultToRead())
            return 0;
    }
    if ((ktKrok == 4 || ktKrok == 5) && (!a || a->TabTelZozOK == 0))
        ktKrok = 6;
    if (ktKrok > 5)
        return 0;
    return dlg::ConsoleReadRequest(RequestBuffer, ktKrok, KomPult);
}

bool TDialogue::LoadPcConsole(int console)
{
    bool failed = false;
    QString rejected;
    int unconfigured = 0;
    const bool converted = host_.LoadPcPultFile(pcAsked_, failed, console, true, rejected, unconfigured);
    if (failed) {
        if (Kom != 0 || OperationMode != 0)
            AbortSession(true);
        return false;
    }
    if (!converted) {
        // A refused conversion ends the read: nothing half converted is shown.
        if (Kom != 0 || OperationMode != 0)
            AbortSession(true);
        return false;
    }
    return true;
}

// ---- the write, step by step --------------------------------------------------------------

void TDialogue::WriteConfigClick()
{
    if (OperationMode != opmode::Idle || writePending_)
        return;
    try {
        host_.RefreshMenus();
        WriteToSystemStep();
    } catch (const std::exception &e) {
        ReportFailure("WriteConfigClick", e);
    }
}

void TDialogue::VymazatPultClick()
{
    if (OperationMode != opmode::Idle || writePending_)
        return;
    try {
        host_.RefreshShownCard();
        TimerKomunik.stop();
        LastErrorText.clear();
        AskFlag = 0;
        // The consoles to erase are those of the open project.
        if (!host_.Model())
            return;
        if (!OpenPort())
            return;
        OperationMode = opmode::Write;
        LockUserInterface();
        ktKrok = 0;
        KomPult = 0;
        Kom = dlg::KomWriteConsoles;
        host_.SetLightsMonitoring(true);
        ++SessionCounter;
        host_.AppendMemo1(QString::number(SessionCounter) + QLatin1Char(':'));
        sideFileFailed_ = false;
        ClearImageForErase();
        EraseFlag = 1;
        WriteToSystemStep();
    } catch (const std::exception &e) {
        ReportFailure("VymazatPultClick", e);
    }
}

void TDialogue::WriteToSystemStep()
{
    try {
        host_.RefreshShownCard();
        TimerKomunik.stop();
        LastErrorText.clear();
        AskFlag = 0;
        if (Kom == 0 && ktKrok == 0) {
            if (host_.Model() && !AnswerAwaited && OperationMode == opmode::Idle && !writePending_)
                StartWrite();
            return;
        }
        if (Kom == dlg::KomWriteSystem || Kom == dlg::KomWriteConsoles)
            WriteStep();
    } catch (const std::exception &e) {
        ReportFailure("WriteToSystemStep", e);
    }
}

void TDialogue::StartWrite()
{
    // A project with unsaved changes is never written.
    if (host_.ProjectModified()) {
        const int choice = host_.AskSaveProject();
        if (choice != 1 && choice != 4)
            return;
        host_.SaveProject(choice);
        if (host_.ProjectModified()) {
            host_.AddLogEntry(0, LoadStrDll(147));
            return;
        }
    }
    if (Ask(Prompt::Kind::Warning, LoadStrDll(94), Prompt::Bit(Prompt::Ok) | Prompt::Bit(Prompt::Cancel)) !=
        Prompt::Ok)
        return;
    TAPult *apult = host_.Model();
    if (!apult)
        return;

    // The boards of the running system, read again into DoskySystemu.
    OperationMode = opmode::BoardsForWrite;
    for (TSlotEntry &entry : apult->DoskySystemu) {
        entry.Meno.clear();
        entry.Kod = 0xFF;
    }
    BoardsReadState = 0;
    sideFileFailed_ = false;
    writePending_ = true;
    // Nothing may change the project while its boards are compared.
    LockUserInterface();
    const QString name = host_.ProjectName();
    DoskySBClick();
    host_.SetProjectName(name);
    if (BoardsReadState != 0)
        ContinueWrite();
}

// The boards re-read has ended (BoardsReadState 1 or 2): compare, then write.
void TDialogue::ContinueWrite()
{
    if (!writePending_)
        return;
    writePending_ = false;
    try {
        if (BoardsReadState != 1) {
            // The boards could not be read: the write ends, keeping the project.
            if (SessionRunning()) {
                OperationMode = opmode::Write;
                AbortSession(false);
            } else {
                UnlockUserInterface();
            }
            return;
        }
        if (!VerifyWrittenTables())
            return;
        if (host_.ProjectModified()) {
            // Changed while the boards were read: not written either.
            EndWrite(LoadStrDll(147));
            return;
        }
        if (!OpenPort()) {
            OperationMode = opmode::Write;
            AbortSession(false);
            return;
        }
        OperationMode = opmode::Write;
        LockUserInterface();
        ktKrok = 0;
        KomPult = 0;
        AnswerAwaited = 0;
        host_.SetLightsMonitoring(true);
        Kom = dlg::KomWriteSystem;
        ++SessionCounter;
        host_.AppendMemo1(QString::number(SessionCounter) + QLatin1Char(':'));
        TimerKomunik.stop();
        LastErrorText.clear();
        AskFlag = 0;
        WriteStep();
    } catch (const std::exception &e) {
        ReportFailure("ContinueWrite", e);
    }
}

// Ends a write that cannot go on, keeping the project.
void TDialogue::EndWrite(const QString &error)
{
    host_.AddLogEntry(1, error);
    OperationMode = opmode::Write;
    AbortSession(false);
    host_.SetStatusText(LoadStrDll(139) + QStringLiteral(" - ") + error);
}

bool TDialogue::ConvertForWrite(int console)
{
    const bool converted = ModelToImageHook && ModelToImageHook(console);
    if (!converted) {
        EndWrite(QStringLiteral("ModelToImage: console %1 could not be converted into the system image")
                     .arg(console));
        return false;
    }
    return true;
}

void TDialogue::SavePcConsole(int console)
{
    const QString file = host_.ProjectName();
    const bool saved = SaveToPcHook && SaveToPcHook(console, file);
    if (!SaveToPcHook)
        host_.AddLogEntry(
            1, QStringLiteral("SaveToPC is not available: PC console %1 not written").arg(console));
    if (!saved)
        sideFileFailed_ = true;
}

// An erase sends each console the empty tables, whatever an earlier console
// (or a PC console's side file) left in the image.
void TDialogue::ClearImageForErase()
{
    TSystemImage &image = host_.Image();
    image.ClearSystemImage();
    dlg::ClearPhoneBook(image);
}

// Phase 4 after the last table of a console (or its phone book given up).
void TDialogue::AfterConsoleWritten()
{
    if (ktKrok > 5) {
        ktKrok = 0;
        if (KomPult == 0 && ConsoleType(1) != 0) {
            KomPult = 1;
        } else {
            FinishSession(false);
            return;
        }
    }
    if (Kom == dlg::KomWriteConsoles && ktKrok < 6 && KomPult <= 1)
        WriteToSystemStep();
}

void TDialogue::WriteStep()
{
    if (ktKrok == 1) {
        if (KomPult < ConsoleCount) {
            if (!EraseFlag) {
                if (!ConvertForWrite(KomPult))
                    return;
            } else {
                ClearImageForErase();
            }
        } else {
            ktKrok = 0;
            KomPult = 0;
            Kom = dlg::KomWriteConsoles;
        }
    }

    int length = 0;
    if (Kom == dlg::KomWriteSystem) {
        length = BuildWriteRequest();
        if (!SessionRunning())
            return;
    }
    if (Kom == dlg::KomWriteConsoles) {
        for (;;) {
            // Consoles not written over the line: none, or a PC console to its side files.
            while (KomPult < ConsoleCount && ConsoleType(KomPult) != 2) {
                if (ConsoleType(KomPult) == 1)
                    SavePcConsole(KomPult);
                ++KomPult;
                ktKrok = 0;
            }
            if (KomPult >= ConsoleCount) {
                FinishSession(false);
                return;
            }
            length = ktKrok > 5 ? 0 : BuildPultWriteRequest();
            if (!SessionRunning())
                return;
            if (length > 0)
                break;
            ++KomPult;
            ktKrok = 0;
        }
    }
    const bool send =
        KomPult < ConsoleCount && ((Kom == dlg::KomWriteSystem && ktKrok < 10) ||
                                   (Kom == dlg::KomWriteConsoles && ktKrok < 6 && ConsoleType(KomPult) == 2));
    if (send && length > 0)
        SendRequest(length);
    Tag = 0;
    TimerKomunik.start(platform::ScaledInterval(TickMs));
}

int TDialogue::BuildWriteRequest()
{
    TAPult *a = host_.Model();
    auto flag = [a](int i) { return a && a->Vlastnosti[i]; };
    for (;;) {
        if (ktKrok == 9 && a && (a->TypDosiek == 0 || ConsoleType(KomPult) == 0))
            ktKrok = 10;
        if (ktKrok >= 10) {
            if (KomPult == 0) {
                // Console 1's system tables follow, whatever its type.
                KomPult = 1;
                ktKrok = 1;
                if (!EraseFlag && !ConvertForWrite(1))
                    return 0;
                continue;
            }
            ktKrok = 0;
            KomPult = 0;
            Kom = dlg::KomWriteConsoles;
            return 0;
        }
        // The system-wide tables go once, where the system announced them.
        if ((ktKrok == 4 || ktKrok == 5) && !flag(0)) {
            ktKrok = 6;
            continue;
        }
        if (ktKrok >= 6 && ktKrok <= 8 && !flag(ktKrok - 4)) {
            ++ktKrok;
            continue;
        }
        if (ktKrok == 8 && a) {
            a->SetMBUBFlag(a->CasUkonceniaVyzvanania != 0, a->CasUkonceniaVyzvanania);
            a->SetPR3Flag(a->RezimDORST);
        }
        return dlg::SystemWriteRequest(RequestBuffer, ktKrok, KomPult, host_.Image(), a,
                                       dlg::SystemWriteTables(a));
    }
}

bool TDialogue::SelectPultToWrite()
{
    for (int n = KomPult; n < ConsoleCount; ++n) {
        if (ConsoleType(n) == 0)
            continue;
        bool yes = true;
        if (!host_.Quiet()) {
            Byte type = ConsoleType(n);
            UnlockUserInterface();
            ++boxDepth_;
            yes = prompt_.AskConsole(n, LoadStrDll(65), LoadStrDll(66), LoadStrDll(13), type);
            --boxDepth_;
            if (!SessionRunning())
                return false; // ended while the question was open
            LockUserInterface();
        }
        if (!yes)
            break;
        KomPult = Byte(n);
        return true;
    }
    FinishSession(false);
    host_.MarkModified();
    return false;
}

int TDialogue::BuildPultWriteRequest()
{
    TAPult *a = host_.Model();
    if (ktKrok == 0 && !SelectPultToWrite())
        return 0;
    if ((ktKrok == 4 || ktKrok == 5) && (!a || a->TabTelZozOK == 0))
        ktKrok = 6;
    if (ktKrok > 5)
        return 0;
    return dlg::ConsoleWriteRequest(RequestBuffer, ktKrok, KomPult, host_.Image());
}

// ---- a port that fails while open ---------------------------------------------------------

void TDialogue::PortFailed(const QString &message)
{
    try {
        // Closed now, whatever runs: the next operation opens it afresh.
        ClosePort();
        if (!SessionRunning() && !writePending_)
            return;
        TimerKomunik.stop();
        host_.AddLogEntry(1, message);
        const Byte mode = OperationMode;
        const QString text = LoadStrDll(61) + CRLF + CRLF + message;
        // A box already open (a question, the watchdog) is not stacked with a
        // second one: the session ends and the status bar says why.
        if (boxDepth_ == 0)
            Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
        if (SessionRunning()) {
            if (mode == opmode::BoardsForWrite)
                OperationMode = opmode::Write; // ends the write that waits for the boards too
            AbortSession(mode == opmode::Read);
        }
        host_.SetStatusText(LoadStrDll(61) + QStringLiteral(" - ") + message);
    } catch (const std::exception &e) {
        ReportFailure("PortFailed", e);
    }
}

// ---- answers -------------------------------------------------------------------------------

void TDialogue::WMAnswer(const QByteArray &frame, int port)
{
    try {
        host_.SettingsFrame(frame, port);
        const bool timerWasOn = TimerKomunik.isActive();
        if (!AnswerAwaited)
            return;
        LastErrorText.clear();

        // The answer's length is its own header's; a shorter frame leaves zeros.
        const auto *raw = reinterpret_cast<const Byte *>(frame.constData());
        int length = dlg::HeaderSize;
        if (frame.size() >= dlg::HeaderSize)
            length = ((raw[3] << 8) | raw[4]) + dlg::HeaderSize;
        DynPole answer(std::size_t(length), 0);
        std::copy_n(raw, std::min<qsizetype>(frame.size(), length), answer.begin());

        LogFrame(answer, length - 1, false, length);
        if (frame.isEmpty())
            return;

        Check check = Check::Ignored;
        switch (Kom) {
        case dlg::KomReadSystem:
            check = CheckReadSystem(answer);
            break;
        case dlg::KomWriteSystem:
            check = CheckWriteSystem(answer);
            break;
        case dlg::KomReadConsoles:
            check = CheckReadConsoles(answer);
            break;
        case dlg::KomWriteConsoles:
            check = CheckWriteConsoles(answer);
            break;
        default:
            break;
        }
        if (check == Check::Ended)
            return;
        if (check == Check::Ignored && (Kom == dlg::KomReadSystem || Kom == dlg::KomReadConsoles))
            ReadAcknowledgement(answer);

        if (!AnswerAwaited && timerWasOn && LastErrorText.isEmpty())
            Advance();
        if (!LastErrorText.isEmpty() && !inWatchdogBox_) {
            Tag = 60;
            TimerKomunikTimer();
        }
    } catch (const std::exception &e) {
        ReportFailure("WMAnswer", e);
    }
}

bool TDialogue::StoreAnswer(int slot, const DynPole &a)
{
    // A frame longer than its slot is no answer of this step.
    if (a.size() > std::size_t(dlg::AnswerSlotSize))
        return false;
    auto s = Slot(slot);
    std::fill(s.begin(), s.end(), Byte(0));
    std::copy(a.begin(), a.end(), s.begin());
    return true;
}

TDialogue::Check TDialogue::CheckReadSystem(const DynPole &a)
{
    TAPult *apult = host_.Model();
    const int n = KomPult;
    const int length = int(a.size());
    const auto take = [this] {
        AnswerAwaited = 0;
        return Check::Accepted;
    };
    switch (ktKrok) {
    case 0:
        if (a[0] != 0x00)
            return Check::Ignored;
        if (!apult)
            apult = &host_.CreateModel();
        DecodeSystemReplyField5(a, apult->ReplyField5);
        DecodeSystemReplyField8(a, apult->ReplyField8);
        apult->TypSystemu = apult->ReplyField8.Kind == 0x50 ? 1 : 0;
        for (int i = 1; i <= 4; ++i)
            apult->Vlastnosti[i] = apult->ReplyField5.Value >= 15 ? 1 : 0;
        return take();
    case 1:
        if (length <= 32 || a[0] != 0x01)
            return Check::Ignored;
        return Boards(a);
    case 2:
    case 3:
    case 4:
        if (length <= 256 || a[0] != ktKrok || !StoreAnswer(SlotKeyTable(n, ktKrok), a))
            return Check::Ignored;
        return take();
    case 5:
        if (length <= 6 || a[0] != 0x0F)
            return Check::Ignored;
        DataVersion(a);
        if (apult)
            apult->Vlastnosti[1] = 0;
        return take();
    case 6:
    case 7:
    case 8: {
        static constexpr int minimum[] = {512, 54, 480};
        static constexpr ImageTable table[] = {ImageTable::Msn, ImageTable::GsmrFunction, ImageTable::LineFlags};
        const int i = ktKrok - 6;
        if (length <= minimum[i] || a[0] != 0x0F)
            return Check::Ignored;
        TakeTable(host_.Image(), table[i], a.data() + dlg::HeaderSize,
                  std::min(AnswerDataLength(a), minimum[i]), 0xFF);
        if (apult)
            apult->Vlastnosti[ktKrok - 4] = 0;
        return take();
    }
    case 9:
        if (length <= 1024 || a[0] != 0x05 || !StoreAnswer(SlotUni(n), a))
            return Check::Ignored;
        return take();
    case dlg::TimeKeeperStep:
        TimeKeeperListing(a);
        return take();
    default:
        return Check::Ignored;
    }
}

void TDialogue::DataVersion(const DynPole &a)
{
    TAPult *apult = host_.Model();
    const int data = AnswerDataLength(a);
    const Byte *d = a.data() + dlg::HeaderSize;
    const int c = std::min(data - 1, 5);
    TakeTable(host_.Image(), ImageTable::DataVersion, d, c + 1, 0x00);
    if (!apult)
        return;
    apult->VerziaDat = 0;
    // A record of fewer than six bytes cannot hold "VER", the version and
    // its sum: it is an invalid record, never read past its end.
    bool valid = data >= 6;
    if (valid) {
        Byte sum = 0;
        for (int i = 0; i < c; ++i)
            sum = Byte(sum + d[i]);
        valid = d[c] == sum && d[0] == 0x56 && d[1] == 0x45 && d[2] == 0x52;
    }
    if (valid) {
        apult->VerziaDat = d[3] * 256 + d[4];
        apult->Vlastnosti[2] = apult->Vlastnosti[2] && apult->VerziaDat > 1;
        apult->Vlastnosti[3] = apult->Vlastnosti[3] && apult->VerziaDat > 2;
        apult->Vlastnosti[4] = apult->Vlastnosti[4] && apult->VerziaDat > 3;
    } else {
        apult->Vlastnosti[2] = apult->Vlastnosti[3] = apult->Vlastnosti[4] = 0;
    }
}

void TDialogue::TimeKeeperListing(const DynPole &a)
{
    // The text of each byte value, made once: the memory is 8 KB.
    static const std::array<QString, 256> byteTexts = [] {
        std::array<QString, 256> texts;
        for (int b = 0; b < 256; ++b)
            texts[std::size_t(b)] = QStringLiteral(" %1").arg(b, 2, 16, QLatin1Char('0'));
        return texts;
    }();
    host_.ClearMemo2();
    const int data = AnswerDataLength(a);
    QStringList rows;
    for (int offset = 0; offset < data - 1; offset += 8) {
        QString row = QStringLiteral("%1:").arg(0xE000 + offset, 4, 16, QLatin1Char('0'));
        // A last short row shows only the bytes the answer has.
        for (int i = offset; i < std::min(offset + 8, data); ++i)
            row += byteTexts[a[std::size_t(dlg::HeaderSize + i)]];
        rows << row;
    }
    if (!rows.isEmpty())
        host_.AppendMemo2(rows.join(QLatin1Char('\n')));
}

TDialogue::Check TDialogue::Boards(const DynPole &a)
{
    // Only a read frees its model; a boards-only read keeps the open project.
    const bool freeModel = OperationMode == opmode::Read;
    auto fail = [&](const QString &text) {
        // No watchdog behind a box that may stay open: it would stack its own
        // box and abort a second time.
        TimerKomunik.stop();
        host_.AddLogEntry(1, text);
        Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
        BoardsReadState = 2;
        if (SessionRunning())
            AbortSession(freeModel);
        return Check::Ended;
    };
    if (!StoreAnswer(SlotBoards, a))
        return Check::Ignored;
    AnswerAwaited = 0;
    const int data = AnswerDataLength(a);
    if (data % 3 != 0)
        return fail(LoadStrDll(58));

    host_.CreateCardByName(QStringLiteral("TZOZ"), -1);
    TZoznam *list = host_.BoardList();

    // Every record is checked before anything changes: a board error leaves
    // the slots, the card buttons and the bindings as they were.
    struct TBoard {
        int slot;
        Byte code;
        QString name;
    };
    std::vector<TBoard> boards;
    for (int r = 0; r < data / 3; ++r) {
        const Byte *rec = a.data() + dlg::HeaderSize + 3 * r;
        const int slot = (rec[1] >> 4) + (rec[0] == 0xFE ? 16 : 0);
        const Byte code = rec[2];
        const QString name = code != 0xFF && list ? list->Num2Name(code) : QString();
        const bool valid = host_.IsBoardSlotValid(slot);
        if (!valid && name.startsWith(QLatin1Char('T')))
            return fail(LoadStrDll(127) + QLatin1Char(' ') + QString::number(slot) + QStringLiteral(" (")
                        + LinePosName(slot) + QLatin1Char(')'));
        if (slot > 31)
            return fail(LoadStrDll(58) + QLatin1Char(' ') + QString::number(slot));
        if (code != 0xFF && name.isEmpty())
            return fail(LoadStrDll(129) + QLatin1Char(' ') + QString::number(slot + 1) + QStringLiteral(" (")
                        + LinePosName(slot) + QStringLiteral(" [$") + Hex2(code) + QStringLiteral("])"));
        const QString cut = CutBeforeCard(name);
        if (code != 0xFF && valid && cut.startsWith(QLatin1Char('T')))
            boards.push_back({slot, code, cut});
    }

    if (OperationMode != opmode::BoardsForWrite)
        host_.FreeCardButtons();
    bool created = false;
    TAPult *apult = host_.Model();
    if (!apult) {
        apult = &host_.CreateModel();
        created = true;
    }
    if (apult->PocetPultov == 0)
        apult->PocetPultov = 2;
    TSystemImage &image = host_.Image();
    for (int n = 0; n < ConsoleCount; ++n)
        if (!apult->Pulty[n]) {
            apult->Pulty[n] = std::make_unique<TPult>();
            apult->Pulty[n]->TypPultu = image.ConsoleType(n);
            apult->Pulty[n]->PocetObrazoviek = image.ScreenCount(n);
        }
    host_.SetCloseAccepted(false);
    if (created && list)
        apult->TypNumlinov = list->TypNumlin();

    for (const TBoard &board : boards) {
        if (OperationMode == opmode::BoardsForWrite) {
            apult->DoskySystemu[board.slot].Meno = board.name;
            apult->DoskySystemu[board.slot].Kod = board.code;
        } else {
            apult->SlotyDosiek[board.slot].Meno = board.name;
            host_.CreateCardByName(board.name, board.slot);
            if (TCardOld *card = host_.Card(board.slot))
                apult->SlotyDosiek[board.slot].Kod = card->GetCardNum(apult->TypSystemu);
        }
        if (list)
            apult->TypDosiek = list->GetType() & 1;
    }
    return Check::Accepted;
}

TDialogue::Check TDialogue::CheckReadConsoles(const DynPole &a)
{
    TAPult *apult = host_.Model();
    const int n = KomPult;
    if (!apult || n >= ConsoleCount)
        return Check::Ignored;
    switch (ktKrok) {
    case 0:
        if (a[0] != 0x00)
            return Check::Ignored;
        DecodeSystemReplyField5(a, apult->ReplyField5);
        DecodeSystemReplyField8(a, apult->ReplyField8);
        BlockCount[n] = 0;
        apult->TabTelZozOK = apult->ReplyField5.Value >= 14 ? 1 : 0;
        break;
    case 1: {
        if (a[0] != 0x80 || !apult->Pulty[n])
            return Check::Ignored;
        TPult &pult = *apult->Pulty[n];
        DecodePultReplyField5(a, pult.ReplyField5);
        DecodePultReplyField8(a, pult.ReplyField8);
        apult->TabTelZozOK = (apult->TabTelZozOK && pult.ReplyField5.Value >= 21) ? 1 : 0;
        BlockCount[n] = 1;
        break;
    }
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
        static constexpr Byte commands[] = {0x81, 0x82, 0x88, 0x89, 0x83};
        if (a.size() <= 8192 || a[0] != commands[ktKrok - 2] || !StoreAnswer(SlotConsole(n, ktKrok - 2), a))
            return Check::Ignored;
        BlockCount[n] = ktKrok;
        break;
    }
    default:
        return Check::Ignored;
    }
    AnswerAwaited = 0;
    return Check::Accepted;
}

TDialogue::Check TDialogue::CheckWriteSystem(const DynPole &a)
{
    TAPult *apult = host_.Model();
    if (ktKrok == 0) {
        if (a[0] != 0x00)
            return TestStepAcknowledgement(a, false);
        if (!apult)
            return Check::Ignored;
        DecodeSystemReplyField5(a, apult->ReplyField5);
        DecodeSystemReplyField8(a, apult->ReplyField8);
        if (KomPult < ConsoleCount)
            BlockCount[KomPult] = 0;
        const int value = apult->ReplyField5.Value;
        apult->Vlastnosti[0] = value >= 14;
        apult->Vlastnosti[1] = 0;
        apult->Vlastnosti[2] = apult->Vlastnosti[3] = apult->Vlastnosti[4] = value >= 15;
        AnswerAwaited = 0;
        return Check::Accepted;
    }
    // An acknowledgement carries its result code in byte 5: a shorter frame is none.
    if (ktKrok <= 9 && a.size() >= 6 && a[0] == 0x0A) {
        Acknowledgement(a, false);
        return Check::Accepted;
    }
    return Check::Ignored;
}

TDialogue::Check TDialogue::CheckWriteConsoles(const DynPole &a)
{
    TAPult *apult = host_.Model();
    const int n = KomPult;
    if (!apult || n >= ConsoleCount)
        return Check::Ignored;
    switch (ktKrok) {
    case 0:
        if (a[0] != 0x00)
            return TestStepAcknowledgement(a, true);
        DecodeSystemReplyField5(a, apult->ReplyField5);
        DecodeSystemReplyField8(a, apult->ReplyField8);
        apult->TabTelZozOK = apult->ReplyField5.Value >= 14 ? 1 : 0;
        break;
    case 1:
        if (a[0] != 0x80)
            return TestStepAcknowledgement(a, true);
        if (!apult->Pulty[n])
            return Check::Ignored;
        DecodePultReplyField5(a, apult->Pulty[n]->ReplyField5);
        DecodePultReplyField8(a, apult->Pulty[n]->ReplyField8);
        apult->TabTelZozOK = (apult->TabTelZozOK && apult->Pulty[n]->ReplyField5.Value >= 21) ? 1 : 0;
        break;
    default:
        if (ktKrok > 6 || a.size() < 6 || a[0] != 0x87)
            return Check::Ignored;
        Acknowledgement(a, true);
        return Check::Accepted;
    }
    AnswerAwaited = 0;
    return Check::Accepted;
}

void TDialogue::Acknowledgement(const DynPole &a, bool console)
{
    const int code = a[5];
    const QString T = console ? LoadStrDll(17) : LoadStrDll(91);
    const QString inner = QStringLiteral(" (") + T + QStringLiteral(" - ") + QString::number(code) + QStringLiteral(" [$")
                          + Hex2(code) + QStringLiteral("H])");
    switch (code) {
    case 0: {
        AnswerAwaited = 0;
        AskFlag = 0;
        TAPult *apult = host_.Model();
        if (!console && apult) {
            if (ktKrok == 5)
                apult->Vlastnosti[0] = 0;
            else if (ktKrok >= 6 && ktKrok <= 8)
                apult->Vlastnosti[ktKrok - 4] = 0;
        }
        return;
    }
    case 1:
        LastErrorText = (console ? LoadStrDll(81) : LoadStrDll(79)) + CodeSuffix(code);
        AskFlag = 1;
        return;
    case 2:
        LastErrorText = LoadStrDll(109) + inner;
        return;
    case 3:
        LastErrorText = LoadStrDll(110) + inner + CRLF + CRLF + LoadStrDll(83) + CRLF + QStringLiteral(" - ")
                        + LoadStrDll(173) + CRLF + QStringLiteral(" - ") + LoadStrDll(174) + CRLF
                        + QStringLiteral(" - ") + LoadStrDll(175) + CRLF + CRLF + LoadStrDll(176);
        return;
    default:
        LastErrorText = (console ? LoadStrDll(82) : LoadStrDll(80)) + CodeSuffix(code);
        AskFlag = 0;
        return;
    }
}

// An acknowledgement where a write's test expects its answer: 0 keeps
// waiting, any other code is an error of the write, with the write's texts.
TDialogue::Check TDialogue::TestStepAcknowledgement(const DynPole &a, bool console)
{
    if (a.size() < 6 || (a[0] != 0x0A && a[0] != 0x87))
        return Check::Ignored;
    if (a[5] == 0) {
        AskFlag = 0;
        return Check::Ignored;
    }
    Acknowledgement(a, console);
    return Check::Accepted;
}

// An acknowledgement where a read expects its table: 0 keeps waiting, any
// other code is an error of the read.
void TDialogue::ReadAcknowledgement(const DynPole &a)
{
    if (a.size() < 6 || (a[0] != 0x0A && a[0] != 0x87))
        return;
    const int code = a[5];
    AskFlag = 0;
    if (code == 0) {
        AnswerAwaited = 1;
        return;
    }
    const QString inner = QStringLiteral(" (") + LoadStrDll(91) + QStringLiteral(" - ") + QString::number(code)
                          + QStringLiteral(" [$") + Hex2(code) + QStringLiteral("H])");
    if (code == 2)
        LastErrorText = LoadStrDll(109) + inner;
    else if (code == 3)
        LastErrorText = LoadStrDll(110) + inner + CRLF + CRLF + LoadStrDll(83) + CRLF + QStringLiteral(" - ")
                        + LoadStrDll(173) + CRLF + QStringLiteral(" - ") + LoadStrDll(174) + CRLF
                        + QStringLiteral(" - ") + LoadStrDll(175) + CRLF + CRLF + LoadStrDll(176);
    else
        LastErrorText = LoadStrDll(80) + CodeSuffix(code);
}

void TDialogue::Advance()
{
    TAPult *apult = host_.Model();
    auto flag = [apult](int i) { return apult && apult->Vlastnosti[i]; };
    TimerKomunik.stop();
    ++ktKrok;
    if ((ktKrok == 4 || ktKrok == 5) && (Kom == 3 || Kom == 4) && (!apult || apult->TabTelZozOK == 0))
        ktKrok = 6;
    if ((ktKrok == 4 || ktKrok == 5) && Kom == 2 && !flag(0))
        ktKrok = 6;
    if (ktKrok == 5 && Kom == 1 && !flag(1))
        ktKrok = 6;
    if (ktKrok == 6 && (Kom == 1 || Kom == 2) && !flag(2))
        ktKrok = 7;
    if (ktKrok == 7 && (Kom == 1 || Kom == 2) && !flag(3))
        ktKrok = 8;
    if (ktKrok == 8 && (Kom == 1 || Kom == 2) && !flag(4))
        ktKrok = 9;

    auto nextConsole = [this] {
        ktKrok = 0;
        if (ConsoleType(1) != 0) {
            KomPult = 1;
            return true;
        }
        return false;
    };
    switch (Kom) {
    case dlg::KomReadSystem:
        if (((OperationMode == opmode::BoardsOnly || OperationMode == opmode::BoardsForWrite || OperationMode == 6)
             && ktKrok == 2)
            || (OperationMode == opmode::TimeKeeper && ktKrok == dlg::TimeKeeperDone)) {
            FinishSession(false);
            return;
        }
        if (ktKrok > 9 && KomPult == 1) {
            Kom = dlg::KomReadConsoles;
            ktKrok = 0;
            KomPult = 0;
        }
        ReadFromSystemStep();
        return;
    case dlg::KomWriteSystem:
        if (ktKrok > 9 && KomPult == 1) {
            Kom = dlg::KomWriteConsoles;
            ktKrok = 0;
            KomPult = 0;
        }
        WriteToSystemStep();
        return;
    case dlg::KomReadConsoles:
        if (OperationMode == 7 && ktKrok == 2) {
            FinishSession(false);
            return;
        }
        if (ktKrok > 5 && KomPult == 0 && !nextConsole()) {
            ktKrok = 6;
            KomPult = 1;
        }
        if (ktKrok > 5 && KomPult == 1) {
            FinishSession(false);
            host_.MarkModified();
            return;
        }
        ReadFromSystemStep();
        return;
    case dlg::KomWriteConsoles:
        AfterConsoleWritten();
        return;
    default:
        return;
    }
}

// ---- the watchdog ------------------------------------------------------------------------------

int TDialogue::Limit() const
{
    if (ktKrok == 0 || (ktKrok == 1 && (Kom == 3 || Kom == 4)))
        return TestLimit;
    return (Kom == 1 || Kom == 2) ? SystemLimit : ConsoleLimit;
}

QString TDialogue::TimeoutText() const
{
    QString text = LoadStrDll(61) + CRLF + CRLF + LoadStrDll(83) + CRLF;
    if (Kom == 3 || Kom == 4)
        text += QStringLiteral(" - ") + LoadStrDll(114) + CRLF + QStringLiteral(" - ") + LoadStrDll(115) + CRLF;
    text += QStringLiteral(" - ") + LoadStrDll(84) + CRLF + QStringLiteral(" - ") + LoadStrDll(85) + CRLF
            + QStringLiteral(" - ") + LoadStrDll(86) + CRLF + QStringLiteral(" - ") + LoadStrDll(87) + CRLF
            + QStringLiteral(" - ") + LoadStrDll(88);
    return text;
}

void TDialogue::TimerKomunikTimer()
{
    try {
        if (Kom == 0) {
            TimerKomunik.stop();
            Tag = 0;
            return;
        }
        ++Tag;
        if (Tag <= Limit())
            return;

        struct BoxGuard {
            bool &flag;
            explicit BoxGuard(bool &f) : flag(f) { flag = true; }
            ~BoxGuard() { flag = false; }
        };

        if (AskFlag) {
            TimerKomunik.stop();
            UnlockUserInterface();
            const QString text = LastErrorText + CRLF + LoadStrDll(59) + CRLF + LoadStrDll(60);
            int b;
            {
                BoxGuard guard(inWatchdogBox_);
                b = Ask(Prompt::Kind::Warning, text, Prompt::Bit(Prompt::Ok) | Prompt::Bit(Prompt::Cancel));
            }
            if (!SessionRunning())
                return; // the session ended while the box was open
            AskFlag = b == Prompt::Ok ? 1 : 0;
            host_.AddLogEntry(0, text + CRLF + (AskFlag ? QStringLiteral("mrOK") : QStringLiteral("mrCancel")));
            LockUserInterface();
            if (AskFlag) {
                // The real answer came while the box was open: take it now.
                if (!AnswerAwaited && LastErrorText.isEmpty()) {
                    AskFlag = 0;
                    Advance();
                    return;
                }
                Tag = 0;
                TimerKomunik.start(platform::ScaledInterval(TickMs));
                return;
            }
        }

        TimerKomunik.stop();
        const QString message = LastErrorText.isEmpty() ? TimeoutText() : LastErrorText;
        host_.AddLogEntry(1, message);
        UnlockUserInterface();
        int b;
        {
            BoxGuard guard(inWatchdogBox_);
            b = Ask(Prompt::Kind::Error, message, Prompt::Bit(Prompt::Ok) | Prompt::Bit(Prompt::Retry));
        }
        if (!SessionRunning() || Kom == 0)
            return; // the session ended while the box was open

        if (b == Prompt::Retry) {
            LockUserInterface();
            Resend();
            return;
        }
        if ((Kom == 3 || Kom == 4) && ktKrok == 4) {
            // OK at the phone book: give the two halves up and go on with the next console.
            ktKrok = 6;
            LockUserInterface();
            Tag = 0;
            AnswerAwaited = 0;
            ContinueAfterGivingUp();
            return;
        }

        const Byte mode = OperationMode;
        // Only a read frees its model: the writes, the boards-only read and
        // the time keeper work on the open project.
        const bool freeModel = mode == opmode::Read;
        if (mode != opmode::TimeKeeper)
            OperationMode = opmode::Read;
        const QString error = LastErrorText;
        AbortSession(freeModel);
        host_.SetStatusText(error.isEmpty() ? LoadStrDll(61) : LoadStrDll(61) + QStringLiteral(" - ") + error);
    } catch (const std::exception &e) {
        ReportFailure("TimerKomunikTimer", e);
    }
}

void TDialogue::ContinueAfterGivingUp()
{
    if (Kom == dlg::KomReadConsoles) {
        if (KomPult >= 1) {
            FinishSession(false);
            host_.MarkModified();
        } else {
            ReadFromSystemStep();
        }
    } else {
        // The phone book of this console is given up: on with the next one.
        AfterConsoleWritten();
    }
}

// ---- the end of a session ---------------------------------------------------------------------

void TDialogue::CopyAnswersToImage(int n)
{
    TSystemImage &image = host_.Image();
    auto data = [this](int slot) { return Slot(slot).data() + dlg::HeaderSize; };

    TakeTable(image, ImageTable::KeyToLine, data(SlotKeyTable(n, 2)), SlotDataLength(SlotKeyTable(n, 2)),
              0xFF);
    TakeTable(image, ImageTable::LineToLamp, data(SlotKeyTable(n, 3)), SlotDataLength(SlotKeyTable(n, 3)),
              0xFF);
    TakeTable(image, ImageTable::KeyToSubscriber, data(SlotKeyTable(n, 4)),
              SlotDataLength(SlotKeyTable(n, 4)), 0xFF);
    const int uni = std::min(SlotDataLength(SlotUni(n)) / img::UniEntrySize, img::UniCount);
    TakeTable(image, ImageTable::Uni, data(SlotUni(n)), uni * img::UniEntrySize, 0xFF);

    const int names = std::min(SlotDataLength(SlotConsole(n, 0)) / img::KeyNameSize, img::KeyCount);
    TakeTable(image, ImageTable::KeyNames, data(SlotConsole(n, 0)), names * img::KeyNameSize, ' ');

    // Records the answer does not hold are the console's empty record.
    const int records = std::min(SlotDataLength(SlotConsole(n, 1)) / img::KeyRecordWireSize, img::KeyCount);
    for (int i = 0; i < img::KeyCount; ++i) {
        auto r = image.KeyRecord(i);
        if (i < records) {
            std::copy_n(data(SlotConsole(n, 1)) + i * img::KeyRecordWireSize, img::KeyRecordWireSize,
                        r.begin());
        } else {
            std::fill_n(r.begin(), img::KeyRecordWireSize, Byte(0xFF));
            r[img::KrObsluhaKlavesy] = 0x01;
            r[img::KrBitovyByte] = 0x07;
        }
        r[img::KrVolba] = 0xA0;
        std::fill(r.begin() + img::KrTextColor, r.end(), Byte(0));
    }

    for (int i = 0; i < img::PhoneBookCount; ++i) {
        image.SetPhoneName(i, QByteArray());
        image.SetPhoneNumber(i, QByteArray());
    }
    if (BlockCount[n] > 3) {
        for (int half = 0; half < 2; ++half) {
            const int slot = SlotConsole(n, 2 + half);
            const int entries = std::min(SlotDataLength(slot) / 64, 128);
            // As the console holds them: the image has one form of the phone book.
            for (int i = 0; i < entries; ++i)
                image.SetPhoneBookWire(128 * half + i, data(slot) + 64 * i);
        }
    }
    TakeTable(image, ImageTable::Symbols, data(SlotConsole(n, 4)), SlotDataLength(SlotConsole(n, 4)), 0x00);
}

bool TDialogue::ConvertConsole(int n)
{
    int unconfigured = 0;
    bool converted = false;
    if (ImageToModelHook)
        converted = ImageToModelHook(n, true, unconfigured);
    else
        host_.AddLogEntry(1, QStringLiteral("ImageToModel is not available: console %1 not converted").arg(n));
    if (!converted)
        return false;
    TAPult *apult = host_.Model();
    if (!apult || !apult->Pulty[n])
        return false;
    TPult &pult = *apult->Pulty[n];
    TZoznam *list = host_.BoardList();
    const bool lineTypesFromCards = list && (list->GetType() & 1) == 0;
    for (auto &key : pult.Klavesy) {
        if (!key)
            key = std::make_unique<TKlavesa>();
        else if (lineTypesFromCards)
            key->TypLinky = host_.CardLineTypeNumber(key->HWPozicDosky, key->PozicLinky);
    }
    return true;
}

void TDialogue::FinishSession(bool free)
{
    (void)free;
    const Byte mode = OperationMode;
    if (mode == opmode::Read) {
        ClosePort();
        TimerKomunik.stop();
        for (int n = 0; n < ConsoleCount; ++n) {
            if (ConsoleType(n) != 2 || BlockCount[n] == 0xFF || BlockCount[n] < 3)
                continue;
            CopyAnswersToImage(n);
            if (!host_.Model())
                continue;
            if (!ConvertConsole(n)) {
                // No half-converted configuration, no console windows, no success.
                if (Kom != 0 || OperationMode != 0)
                    AbortSession(true);
                return;
            }
        }
        UnlockUserInterface();
        host_.SetConfigEnabled(true);
        ResetOperation();
        AnswerAwaited = 0;
        if (!host_.Quiet())
            host_.OpenConsoleWindows();
        host_.SetStatusText(LoadStrDll(71));
    } else if (mode == opmode::Write || mode == opmode::BoardsOnly || mode == opmode::TimeKeeper || mode == 6
               || mode == 7) {
        ClosePort();
        TimerKomunik.stop();
        UnlockUserInterface();
        host_.SetConfigEnabled(true);
        Kom = ktKrok = KomPult = 0;
        AnswerAwaited = 0;
        host_.SetStatusText(LoadStrDll(71));
        // A side file that could not be written is no success "without errors".
        const bool clean = mode != opmode::BoardsOnly && !(mode == opmode::Write && sideFileFailed_);
        OperationMode = opmode::Idle;
        if (!host_.Quiet() && mode != 6 && mode != 7)
            Ask(Prompt::Kind::Information,
                clean ? LoadStrDll(71) + QLatin1Char(' ') + LoadStrDll(72) : LoadStrDll(71),
                Prompt::Bit(Prompt::Ok));
    }
    if (!host_.Quiet())
        host_.SaveLogPanes();
    EraseFlag = 0;
    BoardsReadState = 1;
    if (mode == opmode::BoardsForWrite) {
        // The write that waits for these boards goes on, port and phase as they are.
        if (writePending_)
            QTimer::singleShot(0, this, &TDialogue::ContinueWrite);
        return;
    }
    emit SessionFinished(true);
}

void TDialogue::AbortSession(bool freeModel)
{
    const Byte mode = OperationMode;
    if (OperationMode != opmode::BoardsForWrite) {
        if (freeModel && OperationMode != opmode::TimeKeeper)
            host_.FreeModel();
        ClosePort();
        TimerKomunik.stop();
        AnswerAwaited = 0;
        UnlockUserInterface();
        host_.SetConfigEnabled(true);
        ktKrok = KomPult = Kom = 0;
        OperationMode = opmode::Idle;
    }
    if (OperationMode == opmode::TimeKeeper)
        OperationMode = opmode::Idle;
    BoardsReadState = 2;
    if (!host_.Quiet())
        host_.SaveLogPanes();
    EraseFlag = 0;
    host_.SetStatusText(QString());
    // A write waiting for its boards re-read learns of the failure and ends itself.
    if (writePending_)
        QTimer::singleShot(0, this, &TDialogue::ContinueWrite);
    if (mode != opmode::BoardsForWrite)
        emit SessionFinished(false);
}

// ---- the board check before a write -------------------------------------------------------------

bool TDialogue::VerifyWrittenTables()
{
    TAPult *apult = host_.Model();
    if (!apult)
        return false;
    const dlg::BoardComparison cmp = dlg::CompareBoards(*apult);
    for (const QString &line : cmp.trace)
        host_.AppendMemo1(line);
    const QString sep = QStringLiteral(", ");
    if (!cmp.differing.isEmpty()) {
        const QString text = LoadStrDll(135) + CRLF + LoadStrDll(134) + QStringLiteral(": ") + cmp.differing.join(sep)
                             + CRLF + LoadStrDll(139);
        host_.AddLogEntry(1, text);
        Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
        OperationMode = opmode::Write;
        AbortSession(false);
        return false;
    }
    if (!cmp.missing.isEmpty()) {
        const QString text = LoadStrDll(136) + CRLF + LoadStrDll(134) + QStringLiteral(": ") + cmp.missing.join(sep)
                             + CRLF + LoadStrDll(137);
        const int b = Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Yes) | Prompt::Bit(Prompt::No));
        host_.AddLogEntry(0, text + CRLF + (b == Prompt::Yes ? QStringLiteral("mrYes") : QStringLiteral("mrNo")));
        if (b != Prompt::Yes) {
            OperationMode = opmode::Write;
            AbortSession(false);
            return false;
        }
    }
    return true;
}
