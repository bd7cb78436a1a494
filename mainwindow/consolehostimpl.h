#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "editing/blockmover.h"
#include "windows/consolehost.h"
#include "windows/keyedit.h"

class TMainForm1;
class TSystemImage;
struct TBindingChange;
struct TLineSelection;

// What the board panels show, read for a binding (the binding's selection).
struct TPanelState {
    int Slot = 255;
    Byte Line = 255;
    Byte ExtPosition = 255;
    bool HasPressedButton = false;
    QString PressedCaption;
    bool TypePanel = false;
    bool TypePanelEnabled = false;
    QString CheckedType;
    int LineButtonCount = 0;
};

// What the panels change after a binding.
struct TPanelChange {
    std::optional<QString> LineButtonCaption;
    std::optional<QString> LineButtonHint;
    bool DisableLineButton = false;
    bool ReleaseExtButton = false;
    bool DisableTypePanel = false;
    bool ShowCardAgain = false;
};

// The main window's side of the console windows and of the key binding. The
// main window owns one and installs it with SetConsoleHost while it lives.
// The binding calls live in consolebinding.cpp, apart from the main window's header.
class TMainConsoleHost : public TConsoleHost, public TKeyEditServices
{
public:
    explicit TMainConsoleHost(TMainForm1 &form);

    // The board-panel selection a key click binds.
    TPanelState PanelState();
    // Shows on the panels what a binding changed (line buttons, type panel).
    void ApplyPanelChange(const TPanelChange &change);

    int ActiveConsoleNo(); // 255 none
    TSystemImage &SystemImage();
    // Key k of console c loses its caption and shows the normal colour.
    void KeyCleared(int console, int key);
    // Key k of console c shows the colour when it has a caption and is enabled.
    void KeyColour(int console, int key, std::uint32_t colour);

    // ---- TKeyInfoSource ----
    QString CardLineText(int slot, int line) override;
    QString CardTypeName(int slot) override;
    QString LineName(int slot, int line) override;
    QString SystemTypeText() override;

    // ---- TConsoleHost ----
    TAPult *Configuration() override;
    TZoznam *BoardList() override;
    Byte ConsoleTypeSetting(int console) override;
    bool Invert() override;
    bool SelectOnMove() override;
    bool VlAkoHint() override;
    void SetInvert(bool on) override;
    void SetSelectOnMove(bool on) override;
    QFont KeyFont() override;
    Byte &CloseAccepted() override;
    bool AskToSave() override;
    bool ConsoleClosing() override;
    void SetConsoleClosing(bool on) override;
    bool Modified() override;
    void SetModified(bool on) override;
    bool DialogueRunning() override;
    void AbortCommunication() override;
    bool Save2FileOrv() override;
    void ShowCard(bool useSelected, int slot) override;
    void DisableWriteToSystem() override;
    bool CloseAllConsoles() override;
    void SyncCardWithActiveConsole() override;
    void SelectCardAndLine(bool pressLine) override;
    void AddLogEntry(int kind, const QString &text) override;
    void Delay(int ms) override;
    void ClearNewProjectFlag() override;
    TPrompt &Prompt() override;
    bool AssignLineToKey(int n, QString &caption) override;
    bool DeleteKeys(int n, bool confirmed, bool allConsoles, bool testOnly) override;
    void MarkBoardKeys(bool mark) override;
    int CopiedKeyCount() override;
    void OpenKeyProperties(TMDIChild *window, int n) override;
    Byte OperationMode() override;
    bool CreateCardByName(const QString &name, int slot) override;
    TCardOld *CardOfSlot(int slot) override;
    void FreeCardButtons() override;
    void FreeConfiguration() override;
    void UpdatePultButtons(int console) override;
    void AdoptConsoleWindow(TMDIChild *window) override;
    QList<TMDIChild *> ConsoleWindows() override;
    TMDIChild *ActiveConsoleWindow() override;

    // ---- TKeyEditServices ----
    TCopyBuffer &CopyBuffer() override { return copyBuffer_; }
    void ReleaseCardButton() override;
    void ShowMoveListing(const QString &text) override;

private:
    TMainForm1 &form_;
    TCopyBuffer copyBuffer_; // outlives the console windows
};
