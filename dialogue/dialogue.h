#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <span>
#include <vector>

#include "cardpack/konstkarty.h"
#include "dialogue/dialoguehost.h"
#include "dialogue/readrequests.h"

// Operation modes of the main window (0 = none).
namespace opmode
{
inline constexpr Byte Idle = 0, Read = 1, Write = 2, OpenProject = 3, SaveProject = 4, BoardsOnly = 5,
                      BoardsForWrite = 8, Exit = 11, NewProject = 12, NetRead = 13, NetWrite = 14,
                      ImportAcf = 15, ImportCfg = 16, ImportUni = 17, TimeKeeper = 18;
}

// The request-and-answer dialogue with the system over the serial link: the
// dialogue state, the steps of a read, the answer handler and the watchdog.
// It has no window of its own: the main window hands it the received frames
// (WMAnswer), answers its questions through the prompt and serves it through
// the host. Exactly one request is outstanding at a time; the next one is sent
// from the answer handler as soon as an answer is taken.
class TDialogue : public QObject
{
    Q_OBJECT

public:
    // Watchdog tick and limits, in ticks.
    static constexpr int TickMs = 1000;
    static constexpr int TestLimit = 4, SystemLimit = 15, ConsoleLimit = 30;

    TDialogue(TDialogueHost &host, TDialoguePrompt &prompt, QObject *parent = nullptr);
    ~TDialogue() override;

    // Called with every failure a handler caught, once it is logged. Unset in
    // the program; the fuzz harnesses set it to fail, for a failure that is
    // only logged would hide a fault from them.
    static inline void (*CaughtFailureHook)(const char *where, const std::exception &e) = nullptr;

    void SetLink(TDialogueLink *link) { link_ = link; }
    TDialogueLink *Link() const { return link_; }
    void SetComNumber(int number) { ComNumber = number; }

    // Turns the system image of a console into the configuration
    // (ImageToModel(console, fromSystem, unconfiguredCount)); false when a
    // board was refused. Without a hook no read can be converted.
    std::function<bool(int console, bool fromSystem, int &unconfiguredCount)> ImageToModelHook;
    // Turns a console of the configuration into the system image before its
    // tables are written (ModelToImage); false when it could not. Without a
    // hook nothing is written.
    std::function<bool(int console)> ModelToImageHook;
    // Writes a PC console to its side files beside the project file
    // (SaveToPC); false when a file could not be written (the hook has said why).
    std::function<bool(int console, const QString &projectFile)> SaveToPcHook;

    // ---- commands ---------------------------------------------------------------------
    void ReadConfigClick();   // read from the system over the serial port
    void DoskySBClick();      // boards only (also the re-read of a write, mode 8)
    void bbTimeKeeperClick(); // the time keeper's memory into Memo2
    void WriteConfigClick();  // write the project to the system
    void VymazatPultClick();  // erase the consoles
    void ReadFromSystemStep();
    void WriteToSystemStep();
    // The open port failed on its own (adapter pulled out, I/O error): the
    // running dialogue ends with `message`, which names the port, and the
    // next operation opens the port afresh.
    void PortFailed(const QString &message);
    // A received frame (header and data), from port number `port`.
    void WMAnswer(const QByteArray &frame, int port);
    // One tick of the watchdog (TimerKomunik).
    void TimerKomunikTimer();

    void FinishSession(bool free);
    void AbortSession(bool freeModel);
    void LockUserInterface();
    void UnlockUserInterface();
    QString CommStateText() const;
    static QString CommStateText(Byte mode);
    // The project's boards against the system's, before a write.
    bool VerifyWrittenTables();

    // ---- building blocks, also for the write dialogue ----------------------------
    int BuildReadRequest();
    int BuildPultReadRequest();
    bool SelectPultToRead();
    int BuildWriteRequest();
    int BuildPultWriteRequest();
    bool SelectPultToWrite();
    // Logs the request buffer's first `length` bytes as sent, queues them and
    // arms the watchdog.
    void SendRequest(int length);
    bool OpenPort();
    void ClosePort();
    // Frame log entry to Memo1.
    void LogFrame(std::span<const Byte> bytes, int lastIndex, bool sent, int length);
    // " (" + code + " [$" + hex + "H])"
    static QString CodeSuffix(int code);
    int Limit() const;
    bool Idle() const { return Kom == 0 && OperationMode == 0 && !writePending_; }
    // Phase, step and console back to 0 and no operation: the dialogue is at rest.
    void ResetOperation()
    {
        Kom = ktKrok = KomPult = 0;
        OperationMode = opmode::Idle;
    }

    // Answer store access (header included); data length from bytes 3 and 4.
    std::span<Byte, dlg::AnswerSlotSize> Slot(int slot);
    std::span<const Byte, dlg::AnswerSlotSize> Slot(int slot) const;
    int SlotDataLength(int slot) const;
    Byte ConsoleType(int console);

    // ---- dialogue state ---------------------------------------------------------------
    Byte Kom = 0;
    Byte ktKrok = 0;
    Byte KomPult = 0; // console index
    Byte OperationMode = 0;
    Byte AnswerAwaited = 0;
    std::array<Byte, dlg::RequestBufferSize> RequestBuffer{};
    int RequestLength = 0; // of the request last sent
    std::array<Byte, 2> BlockCount{0xFF, 0xFF};
    QString LastErrorText;
    Byte AskFlag = 0;
    Byte EraseFlag = 0;
    Byte BoardsReadState = 0;
    std::int64_t SessionCounter = 0;
    Byte UserInterfaceUnlocked = 1;
    QTimer TimerKomunik; // the watchdog, one tick a second
    int Tag = 0;         // ticks since the request was sent
    int ComNumber = 1;

signals:
    // Lock (true) or unlock (false) the user interface.
    void UserInterfaceLocked(bool locked);
    void RequestSent(const QByteArray &frame);
    // A session came to its end: normally (FinishSession) or not.
    void SessionFinished(bool normally);

private:
    enum class Check { Ignored, Accepted, Ended };

    Check CheckReadSystem(const DynPole &a);
    Check CheckReadConsoles(const DynPole &a);
    Check CheckWriteSystem(const DynPole &a);
    Check CheckWriteConsoles(const DynPole &a);
    Check Boards(const DynPole &a);
    void DataVersion(const DynPole &a);
    void TimeKeeperListing(const DynPole &a);
    void Acknowledgement(const DynPole &a, bool console);
    void ReadAcknowledgement(const DynPole &a);
    bool StoreAnswer(int slot, const DynPole &a);
    void Advance();
    void PresetAnswerStore();
    void PresetImageTables();
    void CopyAnswersToImage(int console);
    bool LoadPcConsole(int console);
    bool ConvertConsole(int console);
    void Resend();
    void ContinueAfterGivingUp();
    void StartWrite();
    void ContinueWrite();
    void WriteStep();
    bool ConvertForWrite(int console);
    void SavePcConsole(int console);
    void ClearImageForErase();
    void AfterConsoleWritten();
    void EndWrite(const QString &error);
    Check TestStepAcknowledgement(const DynPole &a, bool console);
    bool SessionRunning() const { return Kom != 0 || OperationMode != 0; }
    int Ask(TDialoguePrompt::Kind kind, const QString &text, TDialoguePrompt::Buttons buttons);
    QString TimeoutText() const;
    void ReportFailure(const char *where, const std::exception &e);

    TDialogueHost &host_;
    TDialoguePrompt &prompt_;
    TDialogueLink *link_ = nullptr;
    std::vector<std::array<Byte, dlg::AnswerSlotSize>> store_;
    bool pcAsked_ = false;
    bool inWatchdogBox_ = false;
    int boxDepth_ = 0;          // boxes of the dialogue open now
    bool portOpen_ = false;     // opened by this session and not closed since
    bool writePending_ = false; // a write waits for its boards re-read
    bool sideFileFailed_ = false;
};
