// The stored copy of the configuration: store, compare, merge; and the copy of
// one console onto the other.
#include "mainwindow/mainform.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/layoutchange.h"
#include "editing/statusrules.h"
#include "mainwindow/consolehostimpl.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "model/storedcopy.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

namespace
{

// Compare and merge are only offered with a stored copy; a stray call says so.
QString noStoredCopyText()
{
    return QStringLiteral("No configuration has been stored yet.");
}

} // namespace

void TMainForm1::ConnectStoredCommands()
{
    const struct {
        QAction *action;
        QPushButton *button;
        const char *where;
        void (TMainForm1::*handler)();
    } commands[] = {
        {Odlozitakualnukonfiguraciu1, Button1, "Odlozitakualnukonfiguraciu1Click",
         &TMainForm1::Odlozitakualnukonfiguraciu1Click},
        {Porovnatsodlozenoukonfiguraciou1, Button3, "Porovnatsodlozenoukonfiguraciou1Click",
         &TMainForm1::Porovnatsodlozenoukonfiguraciou1Click},
        {Zlucitsodlozenou1, Button2, "Zlucitsodlozenou1Click", &TMainForm1::Zlucitsodlozenou1Click},
        {Kopirujpult121, nullptr, "Kopirujpult121Click", &TMainForm1::Kopirujpult121Click},
        {Kopirujpult211, nullptr, "Kopirujpult211Click", &TMainForm1::Kopirujpult211Click},
    };
    for (const auto &c : commands) {
        const auto run = [this, where = c.where, handler = c.handler] {
            Guard(where, [this, handler] { (this->*handler)(); });
        };
        if (c.action)
            connect(c.action, &QAction::triggered, this, run);
        if (c.button)
            connect(c.button, &QPushButton::clicked, this, run);
    }
}

void TMainForm1::ShowModified()
{
    ModifiedFlag = 1;
    if (StatusBar1)
        StatusBar1->SetText(1, StatusRules::MarkerPanelText(ModifiedFlag, ModifiedMarker));
}

void TMainForm1::Odlozitakualnukonfiguraciu1Click()
{
    if (!StoreConfiguration(StoredAPult, APult, QCoreApplication::applicationFilePath()))
        return;
    // Compare and merge become available at once, not at the next tick.
    MenuClick();
}

void TMainForm1::Porovnatsodlozenoukonfiguraciou1Click()
{
    if (Dialogue().OperationMode != opmode::Idle || !APult)
        return;
    const TStoredCompare c = CompareWithStored(APult, StoredAPult.get(), KeysPerScreenMech, KeysPerScreenPC);
    if (c.Status == TStoredCopyStatus::NoStoredCopy) {
        Prompt().Information(noStoredCopyText());
        return;
    }
    if (c.Status != TStoredCopyStatus::Done)
        return;
    GenerateReport(c.Report);
    if (c.Equal)
        Prompt().Information(c.Message);
}

void TMainForm1::Zlucitsodlozenou1Click()
{
    if (Dialogue().OperationMode != opmode::Idle || !APult)
        return;
    // The layout before the merge, for the layout change to see what changed.
    std::array<TConsoleLayout, ConsoleCount> before{};
    for (int p = 0; p < ConsoleCount; ++p)
        if (const TPult *c = APult->Pulty[p].get())
            before[p] = {c->TypPultu, c->PocetObrazoviek};

    const TStoredMerge m = MergeStored(APult, StoredAPult.get(), KeysPerScreenMech, KeysPerScreenPC);
    if (m.Status == TStoredCopyStatus::NoStoredCopy) {
        Prompt().Information(noStoredCopyText());
        return;
    }
    if (m.Status != TStoredCopyStatus::Done)
        return;
    if (!m.Merged) {
        GenerateReport(m.Report);
        return;
    }

    ShowModified();
    for (int p = 0; p < ConsoleCount; ++p)
        RefreshPultKeys(p);

    TMergeCardHooks hooks;
    hooks.SlotValid = [this](int slot) { return IsBoardSlotValid(slot); };
    hooks.CardOfSlot = [this](int slot) { return CardOfSlot(slot); };
    hooks.TakeCard = [this](int slot, std::unique_ptr<TCardOld> card) -> TCardOld * {
        if (GetCardButton(slot))
            FreeCardButton(slot);
        return AddCardButton(std::move(card), slot) ? CardOfSlot(slot) : nullptr;
    };
    const TMergeCards cards = MergeCards(*APult, hooks);
    if (cards.Changed)
        ShowModified();
    for (const QString &text : cards.Warnings) {
        AddLogEntry(0, text);
        Prompt().Warning(text);
    }
    if (!cards.Warnings.isEmpty())
        return;

    // The main window takes the layout the consoles have after the merge. The
    // consoles show their earlier layout to the layout change, which then
    // opens, rebuilds and fills their windows for the new one.
    for (int p = 0; p < ConsoleCount && p < 2; ++p) {
        PultTyp[p] = m.Layout[p].TypPultu;
        PultScreens[p] = m.Layout[p].PocetObrazoviek;
        if (TPult *c = APult->Pulty[p].get()) {
            c->TypPultu = before[p].TypPultu;
            c->PocetObrazoviek = before[p].PocetObrazoviek;
        }
    }
    RefreshMdiChilds();
    ShowCard(true, 0);
    Prompt().Information(m.Message);
}

void TMainForm1::Kopirujpult121Click()
{
    CopyPult(0, 1);
    RefreshPultKeys(1);
}

void TMainForm1::Kopirujpult211Click()
{
    CopyPult(1, 0);
    RefreshPultKeys(0);
}

void TMainForm1::CopyPult(int Source, int Target)
{
    if (!::CopyPult(APult, Source, Target).Copied)
        return;
    // The target keeps no key beyond what its own screens hold: a larger
    // source would leave keys bound that no window shows and the write sends.
    const TPult &target = *APult->Pulty[Target];
    const int capacity = LayoutChange::Capacity(Zoznam.get(), target.TypPultu, target.PocetObrazoviek);
    if (capacity < KeyCount)
        LayoutChange::UnbindKeysFrom(*APult, Target, capacity);
    ShowModified();
}

void TMainForm1::RefreshPultKeys(int Console)
{
    if (!APult || Console < 0 || Console >= ConsoleCount || !ConsoleHostImpl)
        return;
    ConsoleChanging(Console);
    const TPult *pult = APult->Pulty[Console].get();
    const QChar digit = QChar(u'0' + Console);
    for (TMDIChild *w : ConsoleHostImpl->ConsoleWindows()) {
        if (!pult || !w->windowTitle().endsWith(digit))
            continue;
        for (int k = 0; k < KeyCount; ++k) {
            const TKlavesa *key = pult->Klavesy[k].get();
            TColorButton *button = key ? w->GetButton(k) : nullptr;
            if (!button)
                continue;
            button->SetCaption(key->MenoKlavesy);
            button->SetFontColor(ColorFromTColor(std::uint32_t(key->TextColor)));
            button->SetHint(key->HintKlavesy);
            button->SetShowHint(true);
        }
    }
    ShowCard(true, 0);
}
