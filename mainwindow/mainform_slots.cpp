// Board slots on Card_Panel, the card-type menu and card objects by class name;
// the two board menus: placing a card in a slot and removing one.
#include "mainwindow/mainform.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "editing/consolefiles.h"
#include "editing/mainrules.h"
#include "mainwindow/keycontrolsobserver.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "windows/prompt.h"

bool TMainForm1::IsBoardSlotValid(int slot) const
{
    return MainRules::IsBoardSlotValid(slot, SlotCount, Zoznam ? Zoznam->GetType() : 0);
}

void TMainForm1::LayoutBoardSlots()
{
    for (QWidget *w : BoardPanels)
        delete w;
    for (QWidget *w : BoardLabels)
        delete w;
    for (QWidget *w : RowLabels)
        delete w;
    BoardPanels.clear();
    BoardLabels.clear();
    RowLabels.clear();

    const MainRules::TBoardLayout layout =
        MainRules::LayoutBoardSlots(Zoznam.get(), MainRules::LayoutTextsFromLibrary());
    for (const MainRules::TSlotCell &cell : layout.cells) {
        TBoardPanel *panel = nullptr;
        QLabel *label = nullptr;
        if (cell.label) {
            label = new QLabel(cell.labelText, Card_Panel);
            label->setObjectName(QStringLiteral("BoardLabel%1").arg(cell.slot));
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setAttribute(Qt::WA_TranslucentBackground);
            label->setToolTip(cell.labelHint);
            label->setStatusTip(cell.labelHint);
            label->setGeometry(cell.labelGeometry.left(), cell.labelGeometry.top(), cell.labelGeometry.width(),
                               label->sizeHint().height());
            label->show();
        }
        if (cell.panel) {
            panel = new TBoardPanel(Card_Panel);
            panel->setObjectName(QStringLiteral("BoardPanel%1").arg(cell.slot));
            panel->SetTag(cell.slot);
            panel->setGeometry(cell.geometry);
            panel->SetLowered(cell.lowered);
            panel->SetCaption(cell.caption);
            if (cell.lowered) {
                panel->setToolTip(cell.hint);
                panel->setStatusTip(cell.hint);
                connect(panel, &TBoardPanel::contextRequested, this, [this](int slot, const QPoint &pos) {
                    Guard("DoskaContextPopup", [this, slot, pos] { DoskaContextPopup(slot, pos); });
                });
            }
            panel->lower();
            panel->show();
        }
        BoardPanels.append(panel);
        BoardLabels.append(label);
    }
    for (const MainRules::TRowLabel &row : layout.rowLabels) {
        auto *label = new QLabel(row.text, Card_Panel);
        label->setObjectName(QStringLiteral("RowLabel%1").arg(row.row));
        label->setToolTip(row.hint);
        label->setStatusTip(row.hint);
        const int h = label->sizeHint().height();
        label->setGeometry(row.left, row.bandTop + (40 - h) / 2, 20, h);
        label->show();
        RowLabels.append(label);
    }
    if (layout.hasList) {
        KeysPerScreenMech = layout.keysPerScreenMech;
        KeysPerScreenPC = layout.keysPerScreenPC;
    }
    Card_Panel->setFixedHeight(layout.cardPanelHeight);
}

void TMainForm1::FillCardTypeMenu()
{
    CardTypeMenu->clear();
    const QList<MainRules::TCardMenuItem> items = MainRules::CardMenuItems(
        Zoznam.get(), [this](const QString &name) { return CardCaptionByName(name); }, LoadStrDll(216));
    for (const MainRules::TCardMenuItem &item : items) {
        QAction *action = CardTypeMenu->addAction(item.caption);
        action->setObjectName(QStringLiteral("CardType_") + item.className);
        action->setData(item.className);
        action->setStatusTip(item.hint.mid(1));
        action->setProperty("hint", item.hint);
        connect(action, &QAction::triggered, this,
                [this, action] {
                    if (!action->data().toString().isEmpty())
                        Guard("PMClick", [this, action] { PMClick(action->text()); });
                });
    }
}

QString TMainForm1::CardCaptionByName(const QString &name) { return MainRules::CardCaptionByName(name); }

// ---- the two board menus -----------------------------------------------------------------

void TMainForm1::DoskaContextPopup(int slot, const QPoint &globalPos)
{
    ContextTarget = slot;
    ContextCard = nullptr;
    CardTypeMenu->popup(globalPos);
}

void TMainForm1::PopupMenu1Popup()
{
    // Both board menus: their items only with a configuration; the two
    // browsing items never.
    for (QMenu *menu : {PopupMenu1, CardTypeMenu}) {
        if (!menu)
            continue;
        for (QAction *a : menu->actions())
            a->setVisible(APult != nullptr && a != predchadzajuca && a != dalsia);
    }
}

void TMainForm1::PMClick(const QString &caption)
{
    if (!APult)
        return;
    const int slot = ContextTarget;
    if (!ConsoleFiles::MayPlaceCard(APult, slot, IsBoardSlotValid(slot)))
        return;
    QString text = caption;
    if (const int amp = int(text.indexOf(u'&')); amp >= 0)
        text.remove(amp, 1);
    if (!CreateCardByName(ConsoleFiles::CardClassOfCaption(text), slot)) {
        const QString message = LoadStrDll(73) + u' ' + text + u' ' + LoadStrDll(74);
        AddLogEntry(0, message);
        Prompt().Warning(message);
        return;
    }
    ConsoleChanging();
    ModifiedFlag = 1;
    TCardOld *card = CardOfSlot(slot);
    APult->SlotyDosiek[slot].Meno = QStringLiteral("T") + text;
    APult->SlotyDosiek[slot].Kod = card ? card->GetCardNum(APult->TypSystemu) : Byte(255);
    if (TSpeedButton *b = GetCardButton(slot)) {
        b->SetDown(true);
        Card_SpeedButtonClick(b);
    }
}

void TMainForm1::Delete2Click()
{
    TSpeedButton *button = ContextCard;
    if (!button || !CardButtonList || !APult)
        return;
    const int slot = int(CardButtonList->indexOf(button));
    if (slot < 0)
        return;
    if (Prompt().Ask(TPrompt::Kind::Warning, LoadStrDll(36), TPrompt::OkCancel) != TPrompt::Ok)
        return;
    ConsoleChanging();
    ModifiedFlag = 1;
    LinePanels::TSelCard sel;
    SelectedCard(sel);
    if (sel.Slot == slot) {
        FreeLineButtons();
        FreeRLinePanel();
        CloseRozForm();
    }
    TClearedKeyControls windows(*this);
    ConsoleFiles::RemoveBoard(*APult, slot, &windows);
    FreeCardButton(slot);
    ContextCard = nullptr;
}
