// Board slots on Card_Panel, the card-type menu and card objects by class name.
#include "mainwindow/mainform.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "editing/mainrules.h"
#include "mainwindow/mainwidgets.h"

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
        const QString className = item.className;
        connect(action, &QAction::triggered, this,
                [this, className] { Guard("PMClick", [this, className] { PMClick(className); }); });
    }
}

QString TMainForm1::CardCaptionByName(const QString &name) { return MainRules::CardCaptionByName(name); }
