// Line buttons, the line-type panel on the tool bar and the extended-line
// window of the selected board.
#include "mainwindow/mainform.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "editing/mainrules.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/cardqueries.h"
#include "model/objekty.h"
#include "windows/helptarget.h"

using namespace LinePanels;


namespace
{

constexpr int LineGroup = 11;
constexpr int ClosedByProgram = 321;

// The extended-line window: tells the main window when the user closes it.
class TRozForm : public QWidget
{
public:
    TRozForm(QWidget *owner, std::function<void()> onClose)
        : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint),
          onClose_(std::move(onClose))
    {
    }
    int Tag = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (Tag != ClosedByProgram && onClose_)
            onClose_();
        event->accept();
    }

private:
    std::function<void()> onClose_;
};

// A spin edit that keeps values outside its range as typed: they hide the pages.
class TSpinEdit : public QSpinBox
{
public:
    explicit TSpinEdit(QWidget *parent) : QSpinBox(parent)
    {
        setRange(-9999, 99999);
        lineEdit()->setMaxLength(5);
    }
    int MinValue = 0;
    int MaxValue = 0;
    TCardOld *Tag = nullptr;
};

QString typeName(TCardOld &card, Byte index, Byte &group) { return card.GetTypLinName(index, group); }

void pressInGroup(const QList<TSpeedButton *> &buttons, TSpeedButton *pressed)
{
    for (TSpeedButton *b : buttons)
        if (b && b != pressed && b->GroupIndex == pressed->GroupIndex)
            b->SetDown(false);
    pressed->SetDown(true);
}

QString withoutBar(const QString &hint) { return hint.startsWith(QLatin1Char('|')) ? hint.mid(1) : hint; }

bool isPageButtonName(const QString &name) { return name.size() == 9 && name.startsWith(QLatin1Char('b')); }

bool isExtendedButtonName(const QString &name)
{
    return name.contains(QStringLiteral("roz")) || name.contains(QStringLiteral("hlr")) || isPageButtonName(name);
}

} // namespace

// ---- line buttons -------------------------------------------------------------------------

void TMainForm1::AddLineButton(TCardOld *card, int i, QWidget *parent)
{
    if (!LineButtonList)
        LineButtonList = std::make_unique<QList<TSpeedButton *>>();
    if (!RLineButtonList)
        RLineButtonList = std::make_unique<QList<TSpeedButton *>>();
    LineButtonList->append(CreateLineButton(card, i, parent));
    RLineButtonList->append(nullptr);
}

TSpeedButton *TMainForm1::CreateLineButton(TCardOld *card, int i, QWidget *parent)
{
    if (!card || i < 0 || i > 255)
        return nullptr;
    TSelCard sel;
    SelectedCard(sel);
    if (!LineIsAssigned(sel.Slot, i))
        card->SetNameLin(Byte(i), QStringLiteral("nekonf"));
    // The panel must hold the 44-pixel buttons.
    if (parent && parent->height() < 54)
        parent->setFixedHeight(54);
    auto *b = new TSpeedButton(parent);
    b->setGeometry(5 + 62 * i, 5, 62, 44);
    b->Tag = card;
    b->setText(card->GetNameLin(Byte(i)));
    b->setToolTip(card->GetHelpLin(Byte(i)));
    b->setObjectName(QStringLiteral("line") + QString::number(i));
    b->GroupIndex = LineGroup;
    TPult *active = ActivePult();
    b->setEnabled(!active || sel.Slot == 255 || !LineKeyMatches(Line(active, sel.Slot, i), active));
    connect(b, &QToolButton::clicked, this, [this, b] {
        Guard("Line_SpeedButtonClick", [this, b] {
            if (LineButtonList)
                pressInGroup(*LineButtonList, b);
            Line_SpeedButtonClick(b);
        });
    });
    connect(b, &TSpeedButton::MouseMove, this,
            [this](TSpeedButton *sender, Qt::MouseButtons, Qt::KeyboardModifiers, QPoint) {
                Guard("Line_SpeedButtonMouseMove", [&] { Line_SpeedButtonMouseMove(sender); });
            });
    b->setMouseTracking(true);
    b->show();
    return b;
}

void TMainForm1::FreeLineButtons()
{
    FreeRLinePanel();
    if (LineButtonList)
        qDeleteAll(*LineButtonList);
    if (RLineButtonList)
        qDeleteAll(*RLineButtonList);
    LineButtonList.reset();
    RLineButtonList.reset();
}

void TMainForm1::Line_SpeedButtonClick(QObject *sender)
{
    auto *b = dynamic_cast<TSpeedButton *>(sender);
    if (b && b->Down() && b->Tag)
        LineButtonAction(sender);
}

void TMainForm1::Line_SpeedButtonMouseMove(QObject *sender)
{
    TCardOld *card = CardOfButton(sender);
    const int n = NumberAfter(sender ? sender->objectName() : QString(), QStringLiteral("line"));
    if (card && n >= 0 && n <= 255 && StatusBar1)
        StatusBar1->SetText(0, card->GetHelpLin(Byte(n)));
}

void TMainForm1::LineButtonAction(QObject *sender)
{
    TCardOld *card = CardOfButton(sender);
    if (!card)
        return;
    TSelCard selCard;
    SelectedCard(selCard);
    TSelLine selLine;
    SelectedLine(selLine);

    CloseRozForm();
    if (RLineButtonList)
        for (TSpeedButton *b : *RLineButtonList)
            if (b)
                b->SetDown(false);

    QStringList captions;
    int checked = -1;
    const QList<QRadioButton *> radios = RadioButtons();
    for (QRadioButton *r : radios) {
        if (r->isChecked())
            checked = int(captions.size());
        captions << r->text();
    }
    const TLineAction action = ApplyLineSelection(APult, ActiveConsoleNumber(), *card, selCard.Slot, selLine.Index,
                                                  selLine, PanelRB != nullptr, captions, checked);
    if (action.CheckRadio >= 0 && action.CheckRadio < radios.size()) {
        for (QRadioButton *r : radios)
            r->setChecked(false);
        radios[action.CheckRadio]->setChecked(true);
    }
    if (action.OpenRozForm && selCard.Slot != 255) {
        Vytvor(rozForm, card, selLine.Index);
        ShowRozForm();
    }
    if (PanelRB)
        PanelRB->setEnabled(action.PanelEnabled);
}

void TMainForm1::SelectedLine(TSelLine &rec) const
{
    rec = TSelLine();
    TSelCard card;
    SelectedCard(card);
    TCardOld *c = CardOfSlot(card.Slot);
    bool found = false;
    if (LineButtonList)
        for (int i = 0; i < LineButtonList->size() && i <= 255; ++i) {
            TSpeedButton *b = (*LineButtonList)[i];
            if (!b || !b->Down() || !b->isEnabled() || !b->objectName().contains(QStringLiteral("line")) || !b->Tag)
                continue;
            rec.Index = Byte(i);
            rec.Name = b->Tag->GetNameLin(Byte(i));
            rec.Type = b->Tag->GetTypLinNum(rec.Name);
            rec.ExtCount = b->Tag->GetNumRozsir(Byte(i));
            found = true;
        }
    if (!found && c && c->LinCount() == 1 && c->IsRozsirLin(0)) {
        rec.Index = 0;
        rec.Name = c->GetNameLin(0);
        rec.Type = c->GetTypLinNum(rec.Name);
        rec.ExtCount = c->GetNumRozsir(0);
    }
    if (rec.Type == 255 && rec.Index == 255 && rec.Name.isEmpty() && RLineButtonList)
        for (int i = 0; i < RLineButtonList->size() && i <= 255; ++i)
            if (TSpeedButton *b = (*RLineButtonList)[i]; b && b->Down()) {
                rec.Name = b->text();
                rec.Index = rec.Type = Byte(i);
                rec.ExtCount = 0;
            }
}

// ---- line-type panel ---------------------------------------------------------------------

QList<QRadioButton *> TMainForm1::RadioButtons() const
{
    QList<QRadioButton *> list;
    if (PanelRB)
        for (QObject *o : PanelRB->children())
            if (auto *r = qobject_cast<QRadioButton *>(o); r && r->objectName().startsWith(QStringLiteral("RButton")))
                list << r;
    return list;
}

QFrame *TMainForm1::FindPanelRB() const { return findChild<QFrame *>(QStringLiteral("PanelRB")); }

QToolButton *TMainForm1::FindArrowButtonR(int g) const
{
    return findChild<QToolButton *>(QStringLiteral("ArrowButtonR") + QString::number(g));
}

QMenu *TMainForm1::FindPopupMenuR(int g) const
{
    return findChild<QMenu *>(QStringLiteral("PopupMenuR") + QString::number(g));
}

void TMainForm1::BuildRLinePanel(TCardOld *card, int index)
{
    FreeRLinePanel();
    if (!card)
        return;
    PanelRB = new QFrame(SpeedBar1);
    PanelRB->setObjectName(QStringLiteral("PanelRB"));
    SetHelpContext(PanelRB, HelpContextOf(Line_panel)); // the line types belong to the lines
    PanelRB->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelRB->setLineWidth(1);
    PanelRB->setAutoFillBackground(true);
    const int count = card->TypLinCount();
    if (index > count - 1)
        index = count - 1;

    QFont font = PanelRB->font();
    if (StatusBar1) {
        font.setFamily(StatusBar1->font().family());
        font.setPointSizeF(StatusBar1->font().pointSizeF() > 0 ? StatusBar1->font().pointSizeF() : font.pointSizeF());
    }
    const QFontMetrics fm(font);

    // Widest name per group, for the arrow buttons.
    QMap<int, int> widest;
    for (int t = 0; t < count; ++t) {
        Byte g = 255;
        const QString name = typeName(*card, Byte(t), g);
        if (!name.isEmpty() && g != 255)
            widest[g] = qMax(widest.value(g), fm.horizontalAdvance(name));
    }

    int x = 5;
    QList<int> radioTypes;
    QList<QRadioButton *> radios;
    QMap<int, int> entries;
    for (int t = 0; t < count; ++t) {
        Byte g = 255;
        const QString name = typeName(*card, Byte(t), g);
        if (name.isEmpty())
            continue;
        const QString old = card->GetNameLin(0);
        card->SetNameLin(0, name);
        const QString help = card->GetHelpLin(0);
        card->SetNameLin(0, old);

        auto makeRadio = [&]() {
            auto *r = new QRadioButton(name, PanelRB);
            r->setObjectName(QStringLiteral("RButton") + QString::number(t));
            r->setAutoExclusive(false);
            r->setFont(font);
            r->setToolTip(help);
            r->setProperty("Tag", t);
            // The style's indicator may be wider than the classic 18 pixels.
            const int indicator = qMax(18, r->sizeHint().width() - r->fontMetrics().horizontalAdvance(name));
            r->setGeometry(x, 4, fm.horizontalAdvance(name) + indicator, 15);
            connect(r, &QRadioButton::clicked, this, [this, r] { Guard("RButtonClick", [this, r] { RButtonClick(r); }); });
            radioTypes << t;
            radios << r;
            return r;
        };
        if (g == 255) {
            QRadioButton *r = makeRadio();
            x += r->width() + 5;
            continue;
        }
        QToolButton *arrow = FindArrowButtonR(g);
        if (!arrow) {
            QRadioButton *r = makeRadio();
            r->setFixedWidth(13);
            auto *menu = new QMenu(this);
            menu->setObjectName(QStringLiteral("PopupMenuR") + QString::number(g));
            arrow = new QToolButton(PanelRB);
            arrow->setObjectName(QStringLiteral("ArrowButtonR") + QString::number(g));
            arrow->setPopupMode(QToolButton::MenuButtonPopup);
            arrow->setMenu(menu);
            arrow->setText(name);
            arrow->setToolTip(help);
            arrow->setFont(font);
            arrow->setProperty("TagRadio", QVariant::fromValue<QObject *>(r));
            const int width = widest.value(g) + 5 + 20;
            arrow->setGeometry(r->x() + 18, 2, width, r->height() + 2);
            connect(arrow, &QToolButton::clicked, this,
                    [this, arrow] { Guard("ArrowButtonRClick", [this, arrow] { ArrowButtonRClick(arrow); }); });
            x += 23 + width;
        }
        QMenu *menu = arrow->menu();
        const int n = entries.value(g);
        entries[g] = n + 1;
        QAction *item = menu->addAction(name);
        item->setObjectName(QStringLiteral("MenuItemR%1_%2").arg(g).arg(n));
        item->setToolTip(QStringLiteral("|") + help);
        item->setProperty("TagArrow", QVariant::fromValue<QObject *>(arrow));
        connect(item, &QAction::triggered, this,
                [this, item] { Guard("MenuItemRClick", [this, item] { MenuItemRClick(item); }); });
    }
    const int check = CheckedRadio(radioTypes, index, count);
    if (check >= 0)
        radios[check]->setChecked(true);

    const int width = x;
    int left = 745 - width;
    if (this->width() < 755) {
        const int last = SlotCount - 1;
        if (last >= 0 && last < BoardPanels.size() && BoardPanels[last]) {
            const QWidget *p = BoardPanels[last];
            left = p->mapTo(this, QPoint(p->width(), 0)).x() - SpeedBar1->mapTo(this, QPoint(0, 0)).x() - width;
        }
    }
    // Never over the tool bar's own buttons.
    int used = 0;
    for (QToolButton *b : SpeedBar1->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly))
        if (b->isVisible())
            used = qMax(used, b->geometry().right() + 1);
    left = qMax(left, used + 5);
    PanelRB->setGeometry(left, 2, width, 23);
    PanelRB->setVisible(count > 1);
    PanelRB->raise();
}

void TMainForm1::FreeRLinePanel()
{
    if (!PanelRB)
        return;
    for (QToolButton *arrow : PanelRB->findChildren<QToolButton *>()) {
        delete arrow->menu();
        delete arrow;
    }
    delete PanelRB;
    PanelRB = nullptr;
}

void TMainForm1::RButtonClick(QRadioButton *sender)
{
    if (!sender)
        return;
    for (QRadioButton *r : findChildren<QRadioButton *>())
        r->setChecked(false);
    sender->setChecked(true);
    TSelCard sel;
    SelectedCard(sel);
    if (sel.Slot == 255)
        return;
    StorePairValue(APult, sel.Code, sender->property("Tag").toInt());
    Line_SpeedButtonClick(GetCardButton(sel.Slot));
}

void TMainForm1::ArrowButtonRClick(QToolButton *sender)
{
    auto *radio = sender ? qobject_cast<QRadioButton *>(sender->property("TagRadio").value<QObject *>()) : nullptr;
    if (!radio)
        return;
    radio->setText(sender->text());
    radio->setToolTip(sender->toolTip());
    RButtonClick(radio);
}

void TMainForm1::MenuItemRClick(QAction *sender)
{
    auto *arrow = sender ? qobject_cast<QToolButton *>(sender->property("TagArrow").value<QObject *>()) : nullptr;
    if (!arrow)
        return;
    arrow->setText(sender->text());
    arrow->setToolTip(withoutBar(sender->toolTip()));
    ArrowButtonRClick(arrow);
}

// ---- extended-line window ----------------------------------------------------------------

void TMainForm1::Vytvor(QWidget *&window, TCardOld *card, int line)
{
    if (window || !card || line < 0 || line >= 255)
        return;
    TSelCard sel;
    SelectedCard(sel);
    const int s = sel.Slot;
    const Byte l = Byte(line);
    TGrid grid;
    const QList<TRozCell> cells = PlanExtendedLines(*card, l, &grid);
    TPult *active = ActivePult();

    auto *form = new TRozForm(this, [this] { RozsirClose(); });
    form->setObjectName(QStringLiteral("rozForm"));
    form->setWindowTitle(card->GetCardName());
    form->Tag = s;
    form->setProperty("Tag", s);
    const QSize outer = RozFormSize(grid);
    form->setProperty("OuterSize", outer);
    form->setFixedSize(outer.width() - 6, outer.height() - 23);
    form->setProperty("Place", RozFormPosition(RLineWindowPos, frameGeometry(), outer.width()));
    form->move(form->property("Place").toPoint());

    for (const TRozCell &cell : cells) {
        if (cell.Blank)
            continue;
        const QRect rect = CellRect(cell.Column, cell.Row);
        if (!cell.Packed) {
            const Byte pos = Byte(cell.Code);
            auto *b = new TSpeedButton(form);
            b->setObjectName(RLineButtonPrefix(*card, l, pos) + QString::number(pos));
            b->setGeometry(rect);
            b->setText(card->GetRozsirLinName(l, pos));
            b->setToolTip(card->GetRozsirLinHelp(l, pos));
            b->Tag = card;
            b->GroupIndex = LineGroup;
            b->setEnabled(RLineButtonEnabled(active, s, l, pos));
            SetHelpContext(b, 1);
            connect(b, &QToolButton::clicked, this, [this, b] {
                Guard("RLine_SpeedButtonClick", [this, b] { RLine_SpeedButtonClick(b); });
            });
            connect(b, &TSpeedButton::MouseMove, this,
                    [this](TSpeedButton *sender, Qt::MouseButtons, Qt::KeyboardModifiers, QPoint) {
                        Guard("RLine_SpeedButtonMouseMove", [&] { RLine_SpeedButtonMouseMove(sender); });
                    });
            b->setMouseTracking(true);
            continue;
        }
        const TPacked packed = Unpack(cell.Code);
        const int left = (cell.Column - 1) * 58 + 1;
        for (int k = 1; k <= packed.D; ++k) {
            const Byte q = Byte((packed.A + k - 1) % 256);
            auto *b = new TSpeedButton(form);
            b->setObjectName(MainRules::MakeControlName(Byte(k - 1), s, l, packed.A));
            b->setGeometry(left, (cell.Row + k) * 20 + 1, 53, 20);
            b->setText(card->GetRozsirLinName(l, q));
            b->setToolTip(card->GetRozsirLinHelp(l, q));
            b->Tag = card;
            b->GroupIndex = LineGroup;
            b->setEnabled(RLineButtonEnabled(active, s, l, q));
            SetHelpContext(b, 1);
            connect(b, &QToolButton::clicked, this, [this, b] {
                Guard("RLine_SpeedButtonClick", [this, b] { RLine_SpeedButtonClick(b); });
            });
        }
        auto *spin = new TSpinEdit(form);
        spin->setObjectName(MainRules::MakeControlName(254, s, l, packed.A));
        spin->setGeometry(left, cell.Row * 20 + 1, 53, 20);
        spin->MaxValue = packed.B;
        spin->MinValue = packed.C;
        spin->setValue(packed.C);
        spin->setToolTip(LoadStrDll(199));
        spin->Tag = card;
        connect(spin, &QSpinBox::valueChanged, this,
                [this, spin] { Guard("RLine_SpinEditChange", [this, spin] { RLine_SpinEditChange(spin); }); });
        auto *label = new QLabel(cell.LabelCaption, form);
        label->setObjectName(MainRules::MakeControlName(255, s, l, packed.A));
        label->setGeometry((cell.Column - 1) * 58 + 2, (cell.Row - 1) * 20 + 5, 53, 20);
        label->setToolTip(LoadStrDll(198));
        label->setProperty("Tag", int(packed.D));
    }
    window = form;
}

void TMainForm1::ShowRozForm()
{
    if (!rozForm || rozForm->isVisible())
        return;
    rozForm->show();
    // The frame is known once shown: its outer corner goes where it belongs.
    rozForm->move(rozForm->property("Place").toPoint());
}

void TMainForm1::ClickRB()
{
    TSelCard sel;
    SelectedCard(sel);
    TCardOld *card = CardOfSlot(sel.Slot);
    if (!card)
        return;
    TSelLine line;
    SelectedLine(line);
    Vytvor(rozForm, card, line.Index);
    ShowRozForm();
    if (PanelRB && PanelRB->isEnabled())
        PanelRB->setEnabled(false);
}

void TMainForm1::RLine_SpeedButtonClick(QObject *sender)
{
    auto *b = dynamic_cast<TSpeedButton *>(sender);
    if (!b)
        return;
    if (rozForm)
        pressInGroup(rozForm->findChildren<TSpeedButton *>(), b);
    if (b->Down())
        RLineButtonAction(sender);
}

void TMainForm1::RLineButtonAction(QObject *sender)
{
    Q_UNUSED(sender);
    TSelCard card;
    SelectedCard(card);
    TSelLine line;
    SelectedLine(line);
    TSelRLine rline;
    SelectedRLine(rline);
    const bool enabled = ApplyRLineSelection(APult, ActiveConsoleNumber(), card.Slot, line.Index, rline);
    if (PanelRB)
        PanelRB->setEnabled(enabled);
}

void TMainForm1::RLine_SpeedButtonMouseMove(QObject *sender)
{
    TSelLine line;
    SelectedLine(line);
    TCardOld *card = CardOfButton(sender);
    bool ok = false;
    const int n = sender ? sender->objectName().mid(3).toInt(&ok, 10) : -1;
    if (card && ok && n >= 0 && n <= 255 && StatusBar1)
        StatusBar1->SetText(0, card->GetRozsirLinHelp(line.Index, Byte(n)));
}

void TMainForm1::SelectedRLine(TSelRLine &rec) const
{
    rec = TSelRLine();
    if (!rozForm)
        return;
    TSelLine line;
    SelectedLine(line);
    for (QObject *o : rozForm->children()) {
        auto *b = dynamic_cast<TSpeedButton *>(o);
        if (!b || !b->Down() || !b->isEnabled() || !isExtendedButtonName(b->objectName()))
            continue;
        rec.Name = b->text();
        if (isPageButtonName(b->objectName())) {
            TCardOld *card = CardOfButton(b);
            rec.Position = card ? card->GetRozsirLinNum(line.Index, rec.Name) : Byte(255);
        } else {
            int n = NumberAfter(b->objectName(), QStringLiteral("roz"));
            if (n < 0)
                n = NumberAfter(b->objectName(), QStringLiteral("hlr"));
            rec.Position = n >= 0 && n <= 255 ? Byte(n) : Byte(255);
        }
        rec.Position2 = rec.Position;
    }
}

void TMainForm1::RLine_SpinEditChange(QSpinBox *sender)
{
    auto *spin = dynamic_cast<TSpinEdit *>(sender);
    if (!spin || !rozForm)
        return;
    const QString key = spin->objectName().mid(3);
    int factor = 0;
    for (QLabel *label : rozForm->findChildren<QLabel *>())
        if (label->objectName().startsWith(QStringLiteral("lab")) && label->objectName().mid(3) == key)
            factor = label->property("Tag").toInt();
    TSelLine line;
    SelectedLine(line);
    TSelCard card;
    SelectedCard(card);
    TPult *active = ActivePult();
    bool ok = false;
    int value = spin->text().toInt(&ok, 10);
    if (!ok)
        value = spin->MinValue;
    for (QObject *o : rozForm->children()) {
        auto *b = dynamic_cast<TSpeedButton *>(o);
        if (!b || !isPageButtonName(b->objectName()) || b->objectName().mid(3) != key)
            continue;
        if (value > spin->MaxValue || value < spin->MinValue) {
            b->hide();
            continue;
        }
        const QString name = b->objectName();
        const int q = value * factor + name.mid(7, 2).toInt(nullptr, 16) + name.mid(1, 2).toInt(nullptr, 16);
        b->setEnabled(RLineButtonEnabled(active, card.Slot, line.Index, q));
        if (spin->Tag) {
            // A byte-wide card has no position above 255: such a page stays empty.
            const QString caption = q >= 0 && q <= 255 ? spin->Tag->GetRozsirLinName(line.Index, Byte(q)) : QString();
            b->setText(caption);
            b->setVisible(!caption.isEmpty());
            if (!caption.isEmpty())
                b->setToolTip(spin->Tag->GetRozsirLinHelp(line.Index, Byte(q)));
        }
    }
}

TSpeedButton *TMainForm1::FindRozButton(int n) const
{
    if (!rozForm)
        return nullptr;
    for (QObject *o : rozForm->children()) {
        auto *b = dynamic_cast<TSpeedButton *>(o);
        if (!b)
            continue;
        if (n >= 0) {
            bool ok = false;
            const int v = b->objectName().mid(3).toInt(&ok, 10);
            if (ok && v == n)
                return b;
        } else if (b->Down() && b->isEnabled() && isExtendedButtonName(b->objectName())) {
            return b;
        }
    }
    return nullptr;
}

void TMainForm1::CloseRozForm()
{
    if (!rozForm)
        return;
    auto *form = static_cast<TRozForm *>(rozForm);
    RLineWindowPos = form->frameGeometry().topLeft();
    RLineWindowPosFlag = 1;
    form->Tag = ClosedByProgram;
    form->close();
    rozForm = nullptr;
    delete form; // its buttons, spin edits and labels with it
}

void TMainForm1::RozsirClose()
{
    // Closed by the user: remember where it was and let it go.
    if (!rozForm)
        return;
    auto *form = static_cast<TRozForm *>(rozForm);
    form->Tag = ClosedByProgram; // a close in progress
    TSelCard sel;
    SelectedCard(sel);
    if (sel.Slot != 255) {
        const bool lineButtons = LineButtonList && !LineButtonList->isEmpty();
        if (lineButtons) {
            // The line whose extended lines were shown is no longer chosen.
            for (TSpeedButton *b : *LineButtonList)
                if (b)
                    b->SetDown(false);
            if (PanelRB)
                PanelRB->setEnabled(true);
        } else {
            // A card of extended lines only: the window was all of it.
            if (TSpeedButton *b = GetCardButton(sel.Slot))
                b->SetDown(false);
            FreeRLinePanel();
        }
    }
    RLineWindowPos = rozForm->frameGeometry().topLeft();
    RLineWindowPosFlag = 1;
    rozForm->deleteLater();
    rozForm = nullptr;
}
