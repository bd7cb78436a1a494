#include "mainwindow/consolehostimpl.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFrame>
#include <QRadioButton>
#include <QToolButton>

#include "dialogue/dialogue.h"
#include "mainwindow/mainform.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "windows/consoleopen.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

TMainConsoleHost::TMainConsoleHost(TMainForm1 &form) : form_(form) {}

int TMainConsoleHost::ActiveConsoleNo()
{
    TMDIChild *w = ActiveConsoleWindow();
    return w ? w->ConsoleNo : 255;
}

TSystemImage &TMainConsoleHost::SystemImage() { return form_.SystemImage; }

TPanelState TMainConsoleHost::PanelState()
{
    TPanelState p;
    LinePanels::TSelCard card;
    form_.SelectedCard(card);
    LinePanels::TSelLine line;
    form_.SelectedLine(line);
    LinePanels::TSelRLine ext;
    form_.SelectedRLine(ext);
    p.Slot = card.Slot;
    p.Line = line.Index;
    p.ExtPosition = ext.Position;
    if (p.ExtPosition != 255) {
        p.HasPressedButton = true;
        p.PressedCaption = ext.Name;
    } else if (TSpeedButton *b = form_.GetLineButton(line.Index); b && b->Down()) {
        p.HasPressedButton = true;
        p.PressedCaption = b->text();
    }
    if (form_.PanelRB) {
        p.TypePanel = true;
        p.TypePanelEnabled = form_.PanelRB->isEnabled();
        for (QRadioButton *r : form_.RadioButtons())
            if (r->isChecked())
                p.CheckedType = r->text();
    }
    p.LineButtonCount = form_.LineButtonList ? int(form_.LineButtonList->size()) : 0;
    return p;
}

void TMainConsoleHost::ApplyPanelChange(const TPanelChange &change)
{
    LinePanels::TSelLine line;
    form_.SelectedLine(line);
    if (TSpeedButton *b = form_.GetLineButton(line.Index)) {
        if (change.LineButtonCaption)
            b->setText(*change.LineButtonCaption);
        if (change.LineButtonHint)
            b->setToolTip(*change.LineButtonHint);
        if (change.DisableLineButton)
            b->setEnabled(false);
    }
    if (change.ReleaseExtButton && form_.rozForm)
        for (QObject *o : form_.rozForm->children())
            if (auto *b = dynamic_cast<TSpeedButton *>(o); b && b->Down() && b->isEnabled()) {
                b->setChecked(false);
                b->setEnabled(false);
            }
    if (change.DisableTypePanel && form_.PanelRB)
        form_.PanelRB->setEnabled(false);
    if (change.ShowCardAgain)
        form_.ShowCard(true, 0);
}

// ---- card and line texts ---------------------------------------------------------------

QString TMainConsoleHost::CardLineText(int slot, int line) { return form_.CardLineText(slot, line); }
QString TMainConsoleHost::CardTypeName(int slot) { return form_.CardTypeName(slot); }
QString TMainConsoleHost::LineName(int slot, int line) { return form_.LineName(slot, line); }
QString TMainConsoleHost::SystemTypeText() { return form_.GetSystemTypeText(); }
TCardOld *TMainConsoleHost::CardOfSlot(int slot) { return form_.CardOfSlot(slot); }
void TMainConsoleHost::FreeCardButtons() { form_.FreeCardButtons(); }
void TMainConsoleHost::ShowCard(bool useSelected, int slot) { form_.ShowCard(useSelected, slot); }
void TMainConsoleHost::SyncCardWithActiveConsole() { form_.SyncCardWithActiveConsole(); }
void TMainConsoleHost::SelectCardAndLine(bool pressLine) { form_.SelectCardAndLine(pressLine); }

// ---- model, options, flags -------------------------------------------------------------

TAPult *TMainConsoleHost::Configuration() { return form_.APult; }
TZoznam *TMainConsoleHost::BoardList() { return form_.Zoznam.get(); }

Byte TMainConsoleHost::ConsoleTypeSetting(int console)
{
    return console >= 0 && console < 2 ? form_.PultTyp[console] : 0;
}

bool TMainConsoleHost::Invert() { return form_.Invert != 0; }
bool TMainConsoleHost::SelectOnMove() { return form_.SelectOnMove != 0; }
bool TMainConsoleHost::VlAkoHint() { return form_.VlAkoHint != 0; }
void TMainConsoleHost::SetInvert(bool on) { form_.Invert = on ? 1 : 0; }
void TMainConsoleHost::SetSelectOnMove(bool on) { form_.SelectOnMove = on ? 1 : 0; }
QFont TMainConsoleHost::KeyFont() { return form_.KeyFont; }
Byte &TMainConsoleHost::CloseAccepted() { return form_.CloseAccepted; }
bool TMainConsoleHost::AskToSave() { return form_.AskToSave != 0; }
bool TMainConsoleHost::ConsoleClosing() { return form_.ConsoleClosingFlag != 0; }
void TMainConsoleHost::SetConsoleClosing(bool on) { form_.ConsoleClosingFlag = on ? 1 : 0; }
bool TMainConsoleHost::Modified() { return form_.ModifiedFlag != 0; }
void TMainConsoleHost::SetModified(bool on) { form_.ModifiedFlag = on ? 1 : 0; }
bool TMainConsoleHost::DialogueRunning()
{
    const TDialogue &e = form_.Dialogue();
    return e.Kom != 0 || e.ktKrok != 0;
}
Byte TMainConsoleHost::OperationMode() { return form_.Dialogue().OperationMode; }
int TMainConsoleHost::CopiedKeyCount() { return copyBuffer_.Count; }
void TMainConsoleHost::ClearNewProjectFlag() { form_.NewProjectFlag = 0; }

// ---- actions -----------------------------------------------------------------------------

void TMainConsoleHost::AbortCommunication() { form_.AbortCommunication(); }
bool TMainConsoleHost::Save2FileOrv() { return form_.Save2FileOrv(); }
void TMainConsoleHost::DisableWriteToSystem()
{
    if (form_.DoSystemu)
        form_.DoSystemu->setEnabled(false);
}
// A console window closed by the user's own hand closes all of them: that
// round ends here, however it ends.
bool TMainConsoleHost::CloseAllConsoles()
{
    TMainForm1::TCloseRound round(form_);
    return form_.CloseAllConsoles();
}
void TMainConsoleHost::AddLogEntry(int kind, const QString &text) { form_.AddLogEntry(kind, text); }
void TMainConsoleHost::Delay(int ms) { TMainForm1::Delay(ms); }
TPrompt &TMainConsoleHost::Prompt() { return form_.Prompt(); }
bool TMainConsoleHost::CreateCardByName(const QString &name, int slot) { return form_.CreateCardByName(name, slot); }
void TMainConsoleHost::FreeConfiguration() { form_.FreeConfiguration(); }
void TMainConsoleHost::ReleaseCardButton() { form_.ReleaseCardButton(); }
void TMainConsoleHost::ShowMoveListing(const QString &text) { form_.ShowMoveListing(text); }
void TMainConsoleHost::UpdatePultButtons(int console)
{
    form_.UpdatePultButtons(console);
}

// ---- console windows ---------------------------------------------------------------------

void TMainConsoleHost::AdoptConsoleWindow(TMDIChild *window)
{
    if (!window)
        return;
    // A closed console window frees itself.
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    form_.MdiArea->addSubWindow(window);
    window->PageControl1->setEnabled(ConsoleTypeSetting(window->ConsoleNo) != 0);
}

QList<TMDIChild *> TMainConsoleHost::ConsoleWindows()
{
    QList<TMDIChild *> list;
    if (form_.MdiArea)
        for (QMdiSubWindow *w : form_.MdiArea->subWindowList())
            if (auto *c = qobject_cast<TMDIChild *>(w))
                list.append(c);
    return list;
}

TMDIChild *TMainConsoleHost::ActiveConsoleWindow()
{
    if (!form_.MdiArea)
        return nullptr;
    // Without an active frame (offscreen, another window on top) the current one counts.
    QMdiSubWindow *w = form_.MdiArea->activeSubWindow();
    if (!w)
        w = form_.MdiArea->currentSubWindow();
    return qobject_cast<TMDIChild *>(w);
}

// ---- the main window's side ----------------------------------------------------------------

bool TMainForm1::Nove(const QString &prefix, const QString &text, bool upgraded, TAPult *config)
{
    return ConsoleHostImpl && OpenConsoleWindows(*ConsoleHostImpl, prefix, text, upgraded, config);
}

bool TMainForm1::NovyPult(int consoleNo, const QString &prefix, TAPult *config, const QString &text)
{
    return ConsoleHostImpl && OpenConsoleWindow(*ConsoleHostImpl, consoleNo, prefix, config, text);
}

void TMainForm1::FreeConfiguration()
{
    if (!APult)
        return;
    ConsoleChanging();
    FreeConsole(APult, 0);
    FreeConsole(APult, 1);
    delete APult;
    APult = nullptr;
}

void TMainForm1::CreateConsoleHost()
{
    ConsoleHostImpl = std::make_unique<TMainConsoleHost>(*this);
    SetConsoleHost(ConsoleHostImpl.get());
    SetKeyEditServices(ConsoleHostImpl.get());
}

void TMainForm1::FreeConsoleHost()
{
    // The windows go first: they may still ask the host while they are destroyed.
    if (MdiArea)
        for (QMdiSubWindow *w : MdiArea->subWindowList()) {
            w->setAttribute(Qt::WA_DeleteOnClose, false);
            delete w;
        }
    if (ConsoleHost() == ConsoleHostImpl.get())
        SetConsoleHost(nullptr);
    if (KeyEditServices() == ConsoleHostImpl.get())
        SetKeyEditServices(nullptr);
    ConsoleHostImpl.reset();
    FreeConfiguration();
}
