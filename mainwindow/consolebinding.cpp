// The console host's key-binding calls.
#include <QList>

#include "editing/keybinding.h"
#include "mainwindow/consolehostimpl.h"
#include "mainwindow/mainform.h"
#include "model/objekty.h"
#include "records/unitable.h"
#include "windows/colorbutton.h"
#include "windows/keypropertiesdlg.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

namespace
{

TMDIChild *windowOf(TMainConsoleHost &host, int console)
{
    const QString name = QStringLiteral("Pult") + QString::number(console);
    for (TMDIChild *w : host.ConsoleWindows())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

class TWindowObserver : public TKeyObserver
{
public:
    explicit TWindowObserver(TMainConsoleHost &host) : host_(host) {}
    void KeyCleared(int console, int key) override { host_.KeyCleared(console, key); }
    void KeyColour(int console, int key, std::uint32_t colour) override { host_.KeyColour(console, key, colour); }

private:
    TMainConsoleHost &host_;
};

// A binding context for the active console with the main window's services.
struct TBindingContext {
    explicit TBindingContext(TMainConsoleHost &host) : observer(host), binding(host.Configuration(), host.ActiveConsoleNo(), services(host)) {}

    TBindingServices services(TMainConsoleHost &host)
    {
        TBindingServices s;
        s.CardOfSlot = [&host](int slot) { return host.CardOfSlot(slot); };
        s.SetModified = [&host] { host.SetModified(true); };
        s.RebuildUniTable = [&host] { BuildUniTable(host.Configuration(), host.SystemImage(), host.BoardList()); };
        s.AskYesNo = [&host](const QString &text) {
            return host.Prompt().Ask(TPrompt::Kind::Warning, text, TPrompt::YesNo) == TPrompt::Yes;
        };
        s.Observer = &observer;
        return s;
    }

    TWindowObserver observer;
    TKeyBinding binding;
};

TLineSelection selectionOf(TMainConsoleHost &host)
{
    const TPanelState p = host.PanelState();
    TLineSelection sel;
    sel.Slot = p.Slot;
    sel.Line = p.Line;
    sel.ExtPosition = p.ExtPosition;
    sel.HasPressedButton = p.HasPressedButton;
    sel.PressedCaption = p.PressedCaption;
    sel.TypePanel = p.TypePanel;
    sel.TypePanelEnabled = p.TypePanelEnabled;
    sel.CheckedType = p.CheckedType;
    sel.LineButtonCount = p.LineButtonCount;
    return sel;
}

} // namespace

bool TMainConsoleHost::AssignLineToKey(int n, QString &caption)
{
    const TLineSelection sel = selectionOf(*this);
    TBindingChange change;
    const int console = ActiveConsoleNo();
    TBindingContext(*this).binding.AssignLineToKey(n, sel, &change);
    if (change.Bound) {
        caption = change.KeyCaption;
        form_.ConsoleChanging(console);
    }
    TPanelChange shown;
    shown.LineButtonCaption = change.LineButtonCaption;
    shown.LineButtonHint = change.LineButtonHint;
    shown.DisableLineButton = change.DisableLineButton;
    shown.ReleaseExtButton = change.ReleaseExtButton;
    shown.DisableTypePanel = change.DisableTypePanel;
    shown.ShowCardAgain = change.ShowCardAgain;
    ApplyPanelChange(shown);
    return change.Bound;
}

bool TMainConsoleHost::DeleteKeys(int n, bool confirmed, bool allConsoles, bool testOnly)
{
    const int console = ActiveConsoleNo();
    const bool deleted = TBindingContext(*this).binding.DeleteKeys(n, confirmed, allConsoles, testOnly);
    if (deleted && !testOnly)
        form_.ConsoleChanging(allConsoles ? -1 : console);
    return deleted;
}

void TMainConsoleHost::MarkBoardKeys(bool mark)
{
    const TLineSelection sel = selectionOf(*this);
    TBindingContext(*this).binding.MarkBoardKeys(mark, sel.Slot);
}

void TMainConsoleHost::KeyCleared(int console, int key)
{
    if (TMDIChild *w = windowOf(*this, console))
        if (TColorButton *b = w->GetButton(key)) {
            b->SetCaption(QString());
            b->SetColor(ColorFromTColor(BindingColors::Normal));
        }
}

void TMainConsoleHost::KeyColour(int console, int key, std::uint32_t colour)
{
    if (TMDIChild *w = windowOf(*this, console))
        if (TColorButton *b = w->GetButton(key))
            if (!b->Caption().isEmpty() && b->isEnabled())
                b->SetColor(ColorFromTColor(colour));
}

void TMainConsoleHost::OpenKeyProperties(TMDIChild *window, int n)
{
    if (!window)
        return;
    TBindingContext context(*this);
    TKeyPropertiesCall call;
    call.Config = Configuration();
    call.Source = this;
    call.Binding = context.services(*this);
    const int console = window->ConsoleNo;
    call.SetPultName = [this, console](const QString &number) {
        TAPult *config = Configuration();
        if (!config || console < 0 || console >= ConsoleCount || !config->Pulty[console])
            return;
        config->Pulty[console]->FNGSMR = number;
        SetModified(true);
    };
    call.ReleaseCardButton = [this] { ReleaseCardButton(); };
    // The dialog may share MSN digits with keys of both consoles.
    if (::OpenKeyProperties(window, n, call))
        form_.ConsoleChanging();
}
