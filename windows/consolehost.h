#pragma once

#include <QFont>
#include <QList>
#include <QString>

#include "cardpack/sablona.h"
#include "editing/keyinfo.h"

class TAPult;
class TCardOld;
class TMDIChild;
class TPrompt;

// What the console windows need from the main window. The main window
// implements it and installs itself with SetConsoleHost; tests install a fake.
class TConsoleHost : public TKeyInfoSource
{
public:
    ~TConsoleHost() override = default;

    // ---- model and board-type list ----
    virtual TAPult *Configuration() = 0;   // none when nothing is loaded
    virtual TZoznam *BoardList() = 0;      // the card package's board-type list
    virtual Byte ConsoleTypeSetting(int console) = 0; // the main window's console type (PultTyp)

    // ---- options ----
    virtual bool Invert() = 0;
    virtual bool SelectOnMove() = 0;
    virtual bool VlAkoHint() = 0;
    virtual void SetInvert(bool on) = 0;
    virtual void SetSelectOnMove(bool on) = 0;
    virtual QFont KeyFont() = 0;

    // ---- flags of the close question ----
    virtual Byte &CloseAccepted() = 0;
    virtual bool AskToSave() = 0;
    // Set while a console window closes by the user's own hand; the main window
    // clears it while it closes every console window itself.
    virtual bool ConsoleClosing() = 0;
    virtual void SetConsoleClosing(bool on) = 0;
    virtual bool Modified() = 0;
    virtual void SetModified(bool on) = 0;

    // ---- main-window actions ----
    virtual bool DialogueRunning() = 0;
    virtual void AbortCommunication() = 0;
    // Saves the project; true when the file was written (false when the save
    // was cancelled or failed).
    virtual bool Save2FileOrv() = 0;
    virtual void ShowCard(bool useSelected, int slot) = 0;
    virtual void DisableWriteToSystem() = 0;  // the DoSystemu tool button
    virtual bool CloseAllConsoles() = 0;
    virtual void SyncCardWithActiveConsole() = 0;
    virtual void SelectCardAndLine(bool pressLine) = 0;
    virtual void AddLogEntry(int kind, const QString &text) = 0; // kind 0 warning
    virtual void Delay(int ms) = 0;           // waits while processing events
    virtual void ClearNewProjectFlag() = 0;
    virtual TPrompt &Prompt() = 0;

    // ---- key bindings of the active console ----
    // Binds the selected board line to key n; caption := the key's new text.
    virtual bool AssignLineToKey(int n, QString &caption) = 0;
    virtual bool DeleteKeys(int n, bool confirmed, bool allConsoles, bool testOnly) = 0;
    virtual void MarkBoardKeys(bool mark) = 0;
    virtual int CopiedKeyCount() = 0;
    // The properties dialog for key n of the window's console.
    virtual void OpenKeyProperties(TMDIChild *window, int n) = 0;

    // ---- opening the console windows ----
    virtual Byte OperationMode() = 0;
    virtual bool CreateCardByName(const QString &name, int slot) = 0;
    virtual TCardOld *CardOfSlot(int slot) = 0;
    virtual void FreeCardButtons() = 0;       // with the line buttons
    virtual void FreeConfiguration() = 0;     // both consoles and the TAPult
    virtual void UpdatePultButtons(int console) = 0;
    // Adopts a new console window into the frame: PageControl1 enabled by the
    // console type setting, close action free.
    virtual void AdoptConsoleWindow(TMDIChild *window) = 0;
    // The console windows open now.
    virtual QList<TMDIChild *> ConsoleWindows() = 0;
    // The window the user works in; none when no console window is active.
    virtual TMDIChild *ActiveConsoleWindow() = 0;
};

TConsoleHost *ConsoleHost();
void SetConsoleHost(TConsoleHost *host);
