#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

using Byte = std::uint8_t;

class TAPult;
class TCardOld;
class TSystemImage;
class TZoznam;

// What the device dialogue needs from the outside, kept small so that the
// dialogue runs without a window: the serial link, the questions it asks and
// the main window's services.

// The serial link as the dialogue sees it. Received frames come back through
// TDialogue::WMAnswer.
class TDialogueLink
{
public:
    virtual ~TDialogueLink() = default;
    // Opens the port of COM number comNumber; false (with the reason) when it cannot.
    virtual bool Open(int comNumber, QString &reason) = 0;
    virtual void Close() = 0;
    // Queues a frame (header and data); false when it was not taken.
    virtual bool Send(const QByteArray &frame) = 0;
};

// Boxes and questions. The button numbers are the platform's dialog results,
// the same as the program's prompt service uses.
class TDialoguePrompt
{
public:
    enum class Kind { Error, Warning, Information, Confirmation };
    enum Button : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
    using Buttons = unsigned;
    static constexpr Buttons Bit(Button b) { return 1u << b; }

    virtual ~TDialoguePrompt() = default;
    // Shows one box; returns the button chosen.
    virtual int Ask(Kind kind, const QString &text, Buttons buttons) = 0;
    // The console question (ConsoleDialog): console `console`, its type
    // (1 PC, 2 mechanical) preset in `type` and the choice returned there.
    // True when closed with OK.
    virtual bool AskConsole(int console, const QString &caption, const QString &okText,
                            const QString &cancelText, Byte &type) = 0;
};

// The main window's side of the dialogue.
class TDialogueHost
{
public:
    virtual ~TDialogueHost() = default;

    // ---- configuration, image, cards -----------------------------------------
    virtual TAPult *Model() = 0;
    // A new configuration (named after the program's path) becomes the current one.
    virtual TAPult &CreateModel() = 0;
    // Frees the line and extended-line buttons, the card buttons, the
    // extended-line panel, then console 1, console 0 and the configuration.
    virtual void FreeModel() = 0;
    virtual TSystemImage &Image() = 0;
    virtual TZoznam *BoardList() = 0;
    // CreateCardByName: a card on `slot`, or with "TZOZ" the board-type list
    // (an existing one is freed first).
    virtual bool CreateCardByName(const QString &name, int slot) = 0;
    virtual TCardOld *Card(int slot) = 0;
    virtual bool IsBoardSlotValid(int slot) = 0;
    virtual void FreeCardButtons() = 0;
    // The line type the card of `slot` gives its line `line`.
    virtual Byte CardLineTypeNumber(int slot, int line) = 0;
    // The PC console's side file (console record and UNI record) into the
    // image and the configuration.
    virtual bool LoadPcPultFile(bool &asked, bool &failed, int console, bool fromSystem, QString &rejectedBoards,
                                int &unconfiguredCount) = 0;

    // ---- console windows, new configuration ------------------------------------
    // Closes every console window; true when none is open afterwards.
    virtual bool CloseAllConsoles() = 0;
    virtual bool ConsoleWindowsOpen() = 0;
    virtual bool CloseAccepted() = 0;
    virtual void SetCloseAccepted(bool accepted) = 0;
    // The new-console dialog; true when it gave a new configuration (and set
    // the console set-up of the image).
    virtual bool RunNewConsoleDialog() = 0;
    virtual void OpenConsoleWindows() {}
    // The project's file name (a PC console's side files are named after it).
    virtual QString ProjectName() { return {}; }
    virtual void SetProjectName(const QString &name) { (void)name; }
    virtual void MarkModified() {}
    // The project has changes that are not saved.
    virtual bool ProjectModified() { return false; }
    // The save prompt before a write: 1 save under a chosen name, 4 save
    // under the current name, 2 cancel.
    virtual int AskSaveProject() { return 2; }
    // Saves the project as the prompt's answer says; a save that cannot be
    // done leaves the project modified.
    virtual void SaveProject(int choice) { (void)choice; }

    // ---- the window around ---------------------------------------------------------
    virtual bool Quiet() = 0;
    virtual void SetConfigEnabled(bool enabled) { (void)enabled; }
    virtual void SetStatusText(const QString &text) { (void)text; }
    virtual void SetLightsMonitoring(bool on) { (void)on; }
    virtual void RefreshShownCard() {}
    virtual void RefreshMenus() {}
    // Waits, keeping the event loop running (events are served at least once).
    virtual void Delay(int ms);

    // ---- logs ------------------------------------------------------------------------
    virtual QString TimeText() = 0;
    // The log pane with the frames (several lines at once, joined by "\n").
    virtual void AppendMemo1(const QString &text) = 0;
    // False where nobody reads the frame log (the fuzz harnesses): the frames
    // are then not formatted at all.
    virtual bool FrameLogShown() { return true; }
    virtual void ClearMemo2() {}
    virtual void AppendMemo2(const QString &text) { (void)text; }
    // Program log entry: 0 WARNING, 1 ERROR, 2 Information.
    virtual void AddLogEntry(int kind, const QString &text) = 0;
    virtual void SaveLogPanes() {}

    // ---- other areas --------------------------------------------------------------
    // The open settings dialog sees every frame first.
    virtual void SettingsFrame(const QByteArray &frame, int port)
    {
        (void)frame;
        (void)port;
    }
};
