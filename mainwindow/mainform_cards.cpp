// Card objects, card buttons over the board panels, the board selection and
// the queries that read the selection back; closing and freeing the consoles.
#include "mainwindow/mainform.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>

#include "cardpack/registry.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/cardqueries.h"
#include "model/objekty.h"
#include "windows/mdichild.h"

using namespace LinePanels;


namespace
{
constexpr int CardGroup = 10;
} // namespace

// ---- card objects and buttons ----------------------------------------------------------

bool TMainForm1::CreateCardByName(const QString &name, int slot)
{
    // Board slots take cards only: a slot's name read from a project file must
    // never replace the board-type list, which start-up creates by itself.
    if (name.isEmpty())
        return false;
    const QString withCard = name + QStringLiteral("Card");
    std::unique_ptr<TCardOld> card =
        Registry::CreateCard(Registry::IsRegistered(withCard) ? withCard : name);
    if (!card)
        return false;
    return AddCardButton(std::move(card), slot);
}

bool TMainForm1::AddCardButton(std::unique_ptr<TCardOld> card, int slot, QWidget *parent)
{
    if (!CardButtonList)
        CardButtonList = std::make_unique<QList<TSpeedButton *>>(BoardCount, nullptr);
    if (slot < 0 || slot >= CardButtonList->size())
        return false;
    // A slot holds one card: the one there before goes, the slot's name stays.
    DropCardButton(slot);
    (*CardButtonList)[slot] = CreateCardButton(card, slot, parent ? parent : Card_Panel);
    return (*CardButtonList)[slot] != nullptr;
}

TSpeedButton *TMainForm1::CreateCardButton(std::unique_ptr<TCardOld> &card, int slot, QWidget *parent)
{
    if (!card || slot < 0 || slot >= BoardCount || slot >= BoardPanels.size() || !BoardPanels[slot])
        return nullptr;
    QWidget *panel = BoardPanels[slot];
    auto *button = new TSpeedButton(parent);
    button->setGeometry(panel->geometry());
    button->Tag = card.get();
    button->OwnedCard = std::move(card);
    button->setText(button->Tag->GetCardName());
    button->setObjectName(QStringLiteral("card") + QString::number(slot));
    button->setToolTip(button->Tag->GetCardHelp());
    button->setStatusTip(button->Tag->GetCardHelp());
    button->GroupIndex = CardGroup;
    connect(button, &QToolButton::clicked, this,
            [this, button] { Guard("Card_SpeedButtonClick", [this, button] { Card_SpeedButtonClick(button); }); });
    connect(button, &TSpeedButton::MouseDown, this,
            [this](TSpeedButton *b, Qt::MouseButton which, Qt::KeyboardModifiers, QPoint pos) {
                Guard("Card_ButtonMouseDown", [&] { Card_ButtonMouseDown(b, which, pos); });
            });
    connect(button, &TSpeedButton::MouseUp, this,
            [this](TSpeedButton *b, Qt::MouseButton which, Qt::KeyboardModifiers, QPoint pos) {
                Guard("Card_ButtonMouseUp", [&] { Card_ButtonMouseUp(b, which, pos); });
            });
    panel->hide();
    button->show();
    button->raise();
    return button;
}

TSpeedButton *TMainForm1::GetCardButton(int slot) const
{
    if (!CardButtonList || slot < 0 || slot >= CardButtonList->size())
        return nullptr;
    return (*CardButtonList)[slot];
}

TSpeedButton *TMainForm1::GetLineButton(int n) const
{
    if (!LineButtonList || n < 0 || n >= LineButtonList->size())
        return nullptr;
    return (*LineButtonList)[n];
}

TSpeedButton *TMainForm1::GetRLineButton(int n) const
{
    if (!RLineButtonList || n < 0 || n >= RLineButtonList->size())
        return nullptr;
    return (*RLineButtonList)[n];
}

TCardOld *TMainForm1::CardOfButton(QObject *button)
{
    auto *b = dynamic_cast<TSpeedButton *>(button);
    return b ? b->Tag : nullptr;
}

TCardOld *TMainForm1::CardOfSlot(int slot) const { return CardOfButton(GetCardButton(slot)); }

void TMainForm1::FreeCardButton(int slot)
{
    if (!CardButtonList || slot < 0 || slot >= CardButtonList->size())
        return;
    DropCardButton(slot);
    if (APult)
        APult->SlotyDosiek[slot].Meno.clear();
    if (slot < BoardPanels.size() && BoardPanels[slot])
        BoardPanels[slot]->show();
}

void TMainForm1::DropCardButton(int slot)
{
    TSpeedButton *b = (*CardButtonList)[slot];
    if (!b)
        return;
    // Nothing may keep pointing at the card: the line buttons, the line-type
    // panel and the extended-line window that were built from it go first.
    bool rozPoints = false;
    if (rozForm)
        for (QObject *o : rozForm->children())
            if (auto *r = dynamic_cast<TSpeedButton *>(o); r && r->Tag == b->Tag)
                rozPoints = true;
    if (rozPoints)
        CloseRozForm();
    if (LineButtonList && !LineButtonList->isEmpty() && LineButtonList->first() &&
        LineButtonList->first()->Tag == b->Tag)
        FreeLineButtons();
    if (rozPoints || b->Down())
        FreeRLinePanel();
    (*CardButtonList)[slot] = nullptr;
    delete b; // the card with it
}

void TMainForm1::FreeCardButtons()
{
    FreeLineButtons();
    FreeRLinePanel();
    CloseRozForm();
    if (!CardButtonList)
        return;
    for (int s = 0; s < CardButtonList->size(); ++s)
        if ((*CardButtonList)[s])
            FreeCardButton(s);
    CardButtonList.reset();
}

// ---- board selection ------------------------------------------------------------------

void TMainForm1::Card_SpeedButtonClick(QObject *sender)
{
    auto *button = dynamic_cast<TSpeedButton *>(sender);
    if (button) {
        CloseRozForm();
        // One card down at a time; a click never releases it.
        if (CardButtonList)
            for (TSpeedButton *b : *CardButtonList)
                if (b && b != button && b->GroupIndex == button->GroupIndex)
                    b->SetDown(false);
        button->SetDown(true);
    }
    TCardOld *card = CardOfButton(button);
    if (!card)
        return;

    FreeLineButtons();
    for (QMdiSubWindow *w : MdiArea->subWindowList())
        if (auto *child = dynamic_cast<TMDIChild *>(w); child && child->Moving())
            child->PresuvatLinky->trigger();

    TSelCard sel;
    SelectedCard(sel);
    StoreBoardCode(APult, sel.Code);

    if ((card->GetType() & 1) && sel.Slot != 255)
        BuildRLinePanel(card, FindPairValue(APult, sel.Code));
    else
        FreeRLinePanel();

    card->Reset();
    button->SetDown(true);

    TConsoleInfo console;
    ActiveConsoleInfo(console);
    if (sel.Slot != 255)
        CreateSelectedBoards(APult, sel.Slot);
    if (!ActiveConsoleWindow())
        return;
    if (!LinePanels::Console(APult, console.Number))
        return;
    ApplyBoardSelection(APult, console.Number, sel.Slot, sel.Name, sel.Code, sel.Lines);

    if (card->LinCount() == 1 && card->IsRozsirLin(0)) {
        Line_SpeedButtonClick(button);
        return;
    }
    for (int i = 0; i < card->LinCount(); ++i)
        AddLineButton(card, i, Line_panel);
}

void TMainForm1::ShowCard(bool useSelected, int slot)
{
    if (useSelected) {
        TSelCard sel;
        SelectedCard(sel);
        Card_SpeedButtonClick(GetCardButton(sel.Slot));
        return;
    }
    Card_SpeedButtonClick(slot < 0 ? nullptr : GetCardButton(slot));
}

void TMainForm1::ReclickSelectedCard() { ShowCard(true, 0); }

void TMainForm1::ReleaseCardButton()
{
    TSelCard sel;
    SelectedCard(sel);
    if (sel.Slot == 255)
        return;
    CloseRozForm();
    FreeLineButtons();
    if (TSpeedButton *b = GetCardButton(sel.Slot))
        b->SetDown(false);
}

void TMainForm1::ShowMoveListing(const QString &text)
{
    // Never in the program log: a preview would wipe it.
    if (!MoveListing) {
        MoveListing = new QPlainTextEdit(this);
        MoveListing->setObjectName(QStringLiteral("MoveListing"));
        MoveListing->setWindowFlag(Qt::Tool);
        MoveListing->setAttribute(Qt::WA_ShowWithoutActivating);
        MoveListing->setReadOnly(true);
        MoveListing->setFont(Memo1->font());
        MoveListing->setWindowTitle(windowTitle());
        MoveListing->resize(Memo1->width(), 300);
    }
    MoveListing->setPlainText(text);
    if (!MoveListing->isVisible()) {
        // The keyboard stays with the console window that moves its keys.
        QWidget *active = QApplication::activeWindow();
        MoveListing->show();
        if (active && active != MoveListing)
            active->activateWindow();
    }
}

void TMainForm1::SelectCardAndLine(bool pressLine)
{
    TSelCard card;
    SelectedCard(card);
    if (card.Slot == 255)
        return;
    TSelLine line;
    SelectedLine(line);
    Card_SpeedButtonClick(GetCardButton(card.Slot));
    if (!pressLine || line.Index == 255)
        return;
    if (TSpeedButton *b = GetLineButton(line.Index)) {
        for (TSpeedButton *other : *LineButtonList)
            if (other && other != b)
                other->SetDown(false);
        b->SetDown(true);
        Line_SpeedButtonClick(b);
    }
}

void TMainForm1::SyncCardWithActiveConsole()
{
    QWidget *active = ActiveConsoleWindow();
    if (CardButtonList && active != LastActiveConsole) {
        CloseRozForm();
        ShowCard(true, 0);
    }
    LastActiveConsole = active;
}

void TMainForm1::Card_ButtonMouseDown(TSpeedButton *sender, Qt::MouseButton button, QPoint pos)
{
    Q_UNUSED(pos);
    if (button != Qt::RightButton || !sender)
        return;
    ContextCard = sender;
    ContextTarget = -1;
}

void TMainForm1::Card_ButtonMouseUp(TSpeedButton *sender, Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::RightButton || !sender || ContextCard != sender || !sender->rect().contains(pos))
        return;
    PopupMenu1->popup(sender->mapToGlobal(pos));
}

bool TMainForm1::CardModeMatches(int slot, int value) const
{
    TCardOld *card = CardOfSlot(slot);
    return card && card->GetCardNum(APult ? APult->TypSystemu : 0) == value;
}

// ---- selection queries ----------------------------------------------------------------

QWidget *TMainForm1::ActiveConsoleWindow() const
{
    // Tests and an inactive frame have no active window; the current one counts.
    return MdiArea ? MdiArea->currentSubWindow() : nullptr;
}

void TMainForm1::ActiveConsoleInfo(TConsoleInfo &rec) const
{
    rec = TConsoleInfo();
    if (QWidget *w = ActiveConsoleWindow()) {
        rec.Caption = w->windowTitle();
        rec.Number = rec.Number2 = ConsoleNumberFromCaption(rec.Caption);
    }
}

int TMainForm1::ActiveConsoleNumber() const
{
    TConsoleInfo rec;
    ActiveConsoleInfo(rec);
    return rec.Number;
}

TPult *TMainForm1::ActivePult() const { return LinePanels::Console(APult, ActiveConsoleNumber()); }

void TMainForm1::SelectedCard(TSelCard &rec) const
{
    rec = TSelCard();
    if (!CardButtonList)
        return;
    for (TSpeedButton *b : *CardButtonList) {
        if (!b || !b->Down() || !b->objectName().contains(QStringLiteral("card")))
            continue;
        const int slot = NumberAfter(b->objectName(), QStringLiteral("card"));
        if (slot < 0 || slot >= BoardCount || !b->Tag)
            continue;
        rec.Slot = Byte(slot);
        rec.Name = b->Tag->GetCardName();
        rec.Code = b->Tag->GetCardNum(APult ? APult->TypSystemu : 0);
        rec.Lines = b->Tag->LinCount();
    }
}

// ---- closing and freeing the consoles ----------------------------------------------------

bool TMainForm1::CloseAllConsoles()
{
    bool result = MdiArea->subWindowList().isEmpty();
    if (ClosingGuard)
        return result;
    ClosingGuard = 1;
    // While every window is closed from here, none may take its close for the
    // user's own and put the close off: that would look like a refusal.
    const Byte consoleClosing = ConsoleClosingFlag;
    ConsoleClosingFlag = 0;
    auto leave = [&](bool value) {
        ClosingGuard = 0;
        ConsoleClosingFlag = consoleClosing;
        return value;
    };

    const QList<QMdiSubWindow *> windows = MdiArea->subWindowList();
    for (int i = windows.size() - 1; i >= 0; --i) {
        QMdiSubWindow *w = windows[i];
        if (MdiArea->subWindowList().contains(w))
            w->close();
        if (!CloseAccepted) {
            ModifiedFlag = 1;
            return leave(false);
        }
        if (i > 0)
            Delay(200);
    }
    for (QMdiSubWindow *w : MdiArea->subWindowList())
        if (!w->isHidden())
            return leave(false);

    CloseAccepted = 1;
    FreeLineButtons();
    FreeCardButtons();
    FreeRLinePanel();
    if (APult) {
        FreeConsole(APult, 0);
        FreeConsole(APult, 1);
        delete APult;
        APult = nullptr;
    }
    ModifiedFlag = 0;
    NewProjectFlag = 0;
    result = true;
    return leave(result);
}

bool TMainForm1::AnyConsoleWindowShown() const
{
    for (QMdiSubWindow *w : MdiArea->subWindowList())
        if (qobject_cast<TMDIChild *>(w) && !w->isHidden())
            return true;
    return false;
}

void TMainForm1::FreeConsole(TAPult *configuration, int n)
{
    if (!configuration || n < 0 || n >= ConsoleCount || !configuration->Pulty[n])
        return;
    TPult &console = *configuration->Pulty[n];
    console.FreeKeysAndBoards();
    for (auto &entry : console.TelZoznam)
        entry.reset();
    configuration->Pulty[n].reset();
}

void TMainForm1::ClearConsole(TAPult *configuration, int n)
{
    TPult *console = LinePanels::Console(configuration, n);
    if (!console)
        return;
    for (auto &key : console->Klavesy)
        if (key)
            key->Reset();
    for (auto &board : console->Dosky) {
        if (!board)
            continue;
        for (int l = 0; l < board->PocetLiniek && l < LineCount; ++l) {
            TLinka *line = board->Linky[l].get();
            if (!line)
                continue;
            line->Klavesa = 255;
            for (int r = 0; r < line->PocetRLiniek && r < ExtLineCount; ++r)
                if (line->RLinky[r])
                    line->RLinky[r]->Klavesa = 255;
        }
    }
}

// ---- small card-line queries ------------------------------------------------------------

QString TMainForm1::CardTypeName(int slot) const
{
    return LinePanels::CardTypeName(APult, slot, IsBoardSlotValid(slot));
}

QString TMainForm1::LineName(int slot, int line) const
{
    return LinePanels::LineName(ActivePult(), slot, line, IsBoardSlotValid(slot));
}

QString TMainForm1::CardLineText(int slot, int line) const
{
    return line < 0 || line > 255 ? QString() : LinePanels::CardLineText(CardOfSlot(slot), Byte(line));
}

Byte TMainForm1::CardLineTypeNumber(int slot, int index) const
{
    return index < 0 || index > 255 ? Byte(255) : LinePanels::CardLineTypeNumber(CardOfSlot(slot), Byte(index));
}

QString TMainForm1::ImageLineName(int slot, int line, int pos, int type) const
{
    return LinePanels::ImageLineName(CardOfSlot(slot), Byte(line), Byte(pos), Byte(type));
}

QString TMainForm1::ImageLineNameSplit(int slot, int line, int pos, int type) const
{
    return LinePanels::ImageLineNameSplit(CardOfSlot(slot), Byte(line), Byte(pos), Byte(type));
}

Byte TMainForm1::ExtendedLineValue(int slot, int line, Byte value) const
{
    return LinePanels::ExtendedLineValue(CardOfSlot(slot), Byte(line), value);
}

bool TMainForm1::LineHasKey(int slot, int line) const
{
    return LinePanels::LineHasKey(ActivePult(), slot, line, IsBoardSlotValid(slot));
}

bool TMainForm1::LineIsAssigned(int slot, int line) const { return LinePanels::LineIsAssigned(APult, slot, line); }

bool TMainForm1::LineKeyName(int slot, int line, QString &name) const
{
    return LinePanels::LineKeyName(APult, slot, line, name);
}
