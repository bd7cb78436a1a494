// The commands the generator picks from, each driven as the engineer does it:
// mouse clicks on keys, card and line buttons, the pop-up and window menus,
// the tool buttons and the keyboard.
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "editing/keygrid.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "platform/handover.h"
#include "tests/sequence/rig.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/wizard.h"

namespace sequence
{

const QList<TRig::TCommand> &TRig::Commands()
{
    using N = TNeeds;
    static const QList<TCommand> commands = {
        {"bind a line to a key", 12, N::Windows, &TRig::BindLine},
        {"mark keys", 5, N::Windows, &TRig::MarkKeys},
        {"delete keys", 6, N::Windows, &TRig::DeleteKeys},
        {"copy keys", 4, N::Windows, &TRig::CopyKeys},
        {"paste keys", 5, N::Windows, &TRig::PasteKeys},
        {"move keys", 7, N::Windows, &TRig::MoveKeys},
        {"place the pending block", 5, N::Windows, &TRig::PlacePending},
        {"key properties", 4, N::Windows, &TRig::KeyProperties},
        {"place a card", 4, N::Windows, &TRig::PlaceCard},
        {"remove a card", 4, N::Windows, &TRig::RemoveCard},
        {"activate a console window", 3, N::Windows, &TRig::ActivateWindow},
        {"show a screen", 2, N::Windows, &TRig::ShowPage},
        {"copy a console", 2, N::Windows, &TRig::CopyConsole},
        {"close a console window", 3, N::Windows, &TRig::CloseWindow},
        {"settings", 6, N::Nothing, &TRig::Settings},
        {"new project", 3, N::Nothing, &TRig::NewProject},
        {"open project", 5, N::Nothing, &TRig::OpenProject},
        {"save", 5, N::Nothing, &TRig::SaveProject},
        {"save as", 3, N::Nothing, &TRig::SaveProjectAs},
        {"stored copy", 4, N::Nothing, &TRig::StoredCopy},
        {"import", 3, N::Nothing, &TRig::Import},
        {"exit", 3, N::Nothing, &TRig::Exit},
        {"hand-over", 3, N::Nothing, &TRig::HandOverFile},
        {"arrange windows", 1, N::Nothing, &TRig::Arrange},
        {"start dialog", 10, N::NoConfiguration, &TRig::StartDialog},
    };
    return commands;
}

// ---- real events ----------------------------------------------------------------------------

void TRig::Click(QWidget *w, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint at)
{
    if (!w)
        return;
    if (at.x() < 0)
        at = w->rect().center();
    // Through the window system when nothing covers the widget there, as a user's click comes.
    if (form_ && w->window() == form_.get() && form_->windowHandle()) {
        const QPoint p = w->mapTo(form_.get(), at);
        QWidget *top = form_->childAt(p);
        if (top && (top == w || w->isAncestorOf(top))) {
            QTest::mouseClick(form_->windowHandle(), button, mods, p);
            return;
        }
    }
    QTest::mouseClick(w, button, mods, at);
    // The window system follows a right click with the context-menu event.
    if (button == Qt::RightButton) {
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, w->mapToGlobal(at), mods);
        QApplication::sendEvent(w, &menu);
    }
}

void TRig::MoveMouseTo(QWidget *w)
{
    if (!w)
        return;
    if (form_ && w->window() == form_.get() && form_->windowHandle())
        QTest::mouseMove(form_->windowHandle(), w->mapTo(form_.get(), w->rect().center()));
    else
        QTest::mouseMove(w, w->rect().center());
}

bool TRig::ClickMenuItem(QMenu *menu, QAction *item)
{
    if (!menu || !item || !menu->isVisible() || !item->isVisible() || !item->isEnabled()) {
        if (menu && menu->isVisible())
            menu->close();
        return false;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    return true;
}

bool TRig::RunMenuItem(QMenu *menu, QAction *item)
{
    // The menu opens from its title in the menu bar, then the item is clicked.
    QMenuBar *bar = form_->menuBar();
    const QRect title = bar->actionGeometry(menu->menuAction());
    Click(bar, Qt::LeftButton, {}, title.center());
    if (!menu->isVisible())
        menu->popup(bar->mapToGlobal(title.bottomLeft()));
    const bool clicked = ClickMenuItem(menu, item);
    if (!clicked)
        Say(item->text().remove(u'&') + QStringLiteral(" is not offered"));
    return clicked;
}

void TRig::ClickToolButton(QWidget *button)
{
    // The tool buttons follow the menus' rules at every status tick.
    form_->MenuClick();
    if (!button->isEnabled()) {
        Say(button->objectName() + QStringLiteral(" is disabled"));
        return;
    }
    Click(button);
}

void TRig::PressKey(QWidget *w, int key, Qt::KeyboardModifiers mods)
{
    ActivateForm();
    QWidget *focus = QApplication::focusWidget();
    if (!focus || (focus != w && !w->isAncestorOf(focus)))
        w->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(w, Qt::Key(key), mods);
}

void TRig::ActivateForm()
{
    if (!form_ || QApplication::activeWindow() == form_.get())
        return;
    form_->activateWindow();
    (void)QTest::qWaitForWindowActive(form_.get(), 500);
}

QList<TMDIChild *> TRig::Windows() const
{
    QList<TMDIChild *> list;
    if (!form_)
        return list;
    for (QMdiSubWindow *w : form_->MdiArea->subWindowList())
        if (auto *c = qobject_cast<TMDIChild *>(w); c && !c->isHidden())
            list << c;
    std::sort(list.begin(), list.end(),
              [](TMDIChild *a, TMDIChild *b) { return a->ConsoleNo < b->ConsoleNo; });
    return list;
}

TMDIChild *TRig::ActiveWindow() const
{
    auto *w = qobject_cast<TMDIChild *>(form_->MdiArea->activeSubWindow());
    return w && !w->isHidden() ? w : nullptr;
}

TMDIChild *TRig::ChooseWindow()
{
    const QList<TMDIChild *> all = Windows();
    if (all.isEmpty())
        return nullptr;
    TMDIChild *active = ActiveWindow();
    TMDIChild *w = active && Chance(60) ? active : all[Pick(int(all.size()))];
    Activate(w);
    return w;
}

bool TRig::Activate(TMDIChild *w)
{
    if (!w)
        return false;
    if (ActiveWindow() == w)
        return true;
    // A click on its title bar.
    Click(w, Qt::LeftButton, {}, QPoint(w->width() / 2, 6));
    if (ActiveWindow() != w)
        form_->MdiArea->setActiveSubWindow(w);
    return ActiveWindow() == w;
}

TColorButton *TRig::ShowKey(TMDIChild *w, int key)
{
    const int perScreen = KeysPerScreen(w->Grid());
    if (perScreen > 0 && w->PageControl1) {
        const int page = key / perScreen;
        if (page < w->PageControl1->count() && w->PageControl1->currentIndex() != page) {
            QTabBar *bar = w->PageControl1->tabBar();
            Click(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
            if (w->PageControl1->currentIndex() != page)
                w->PageControl1->setCurrentIndex(page);
        }
    }
    return w->GetButton(key);
}

void TRig::ClickKey(TMDIChild *w, int key, Qt::KeyboardModifiers mods)
{
    Activate(w);
    Click(ShowKey(w, key), Qt::LeftButton, mods);
}

QList<int> TRig::KeysWhere(TMDIChild *w, const std::function<bool(int, TColorButton *)> &test) const
{
    QList<int> keys;
    for (int k = 0; k <= w->LastKeyNumber(); ++k)
        if (TColorButton *b = w->GetButton(k); b && b->isEnabled() && test(k, b))
            keys << k;
    return keys;
}

QString TRig::KeyName(TMDIChild *w, int key) const
{
    const TColorButton *b = w->GetButton(key);
    const QString caption = b ? b->Caption() : QString();
    return QStringLiteral("Pult%1 key %2%3")
        .arg(w->ConsoleNo)
        .arg(key)
        .arg(caption.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(caption));
}

void TRig::MarkSomeKeys(TMDIChild *w)
{
    if (Chance(15)) {
        PressKey(w, Qt::Key_A, Qt::ControlModifier);
        Say(QStringLiteral("Ctrl+A in Pult%1 (%2 marked)").arg(w->ConsoleNo).arg(w->CountMarked()));
        return;
    }
    const QList<int> named = KeysWhere(w, [](int, TColorButton *b) { return !b->Caption().isEmpty(); });
    if (named.isEmpty())
        return;
    QStringList marked;
    for (int i = 1 + Pick(3); i > 0; --i) {
        const int k = named[Pick(int(named.size()))];
        ClickKey(w, k);
        marked << QString::number(k);
    }
    Say(QStringLiteral("click keys %1 of Pult%2 (%3 marked)")
            .arg(marked.join(u','), QString::number(w->ConsoleNo), QString::number(w->CountMarked())));
}

void TRig::WhenModal(const QString &name, std::function<void(QDialog &)> drive)
{
    StopWatching();
    auto *timer = new QTimer;
    timer->setInterval(5);
    watcher_ = timer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, drive] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != name)
            return;
        timer->stop();
        drive(*dialog);
    });
    timer->start();
}

void TRig::StopWatching()
{
    delete watcher_.data();
}

// ---- editing in a console window -----------------------------------------------------------

TKind TRig::BindLine()
{
    TMDIChild *w = ChooseWindow();
    QList<int> cardSlots;
    for (int s = 0; s < BoardCount; ++s)
        if (form_->GetCardButton(s))
            cardSlots << s;
    if (cardSlots.isEmpty()) {
        Say(QStringLiteral("no card to bind a line of"));
        return TKind::Other;
    }
    const int slot = cardSlots[Pick(int(cardSlots.size()))];
    Click(form_->GetCardButton(slot));
    QList<int> lines;
    for (int i = 0; form_->LineButtonList && i < form_->LineButtonList->size(); ++i)
        if (TSpeedButton *b = form_->GetLineButton(i); b && b->isVisible() && b->isEnabled())
            lines << i;
    if (lines.isEmpty()) {
        Say(QStringLiteral("card in slot %1 shows no free line").arg(slot));
        return TKind::Edit;
    }
    const int line = lines[Pick(int(lines.size()))];
    Click(form_->GetLineButton(line));
    QString what = QStringLiteral("slot %1 line %2").arg(slot).arg(line);
    // A card with line types offers them in the line-type panel.
    QList<QRadioButton *> types;
    for (QRadioButton *r : form_->RadioButtons())
        if (r->isVisible() && r->isEnabled())
            types << r;
    if (!types.isEmpty() && Chance(70)) {
        QRadioButton *r = types[Pick(int(types.size()))];
        Click(r, Qt::LeftButton, {}, QPoint(6, r->height() / 2));
        what += QStringLiteral(" as %1").arg(r->text().remove(u'&'));
    }
    // A line with extended lines offers them in a window of its own.
    if (form_->rozForm && form_->rozForm->isVisible() && Chance(70)) {
        QList<TSpeedButton *> ext;
        for (TSpeedButton *b : form_->rozForm->findChildren<TSpeedButton *>())
            if (b->isVisible() && b->isEnabled())
                ext << b;
        if (!ext.isEmpty()) {
            TSpeedButton *b = ext[Pick(int(ext.size()))];
            Click(b);
            what += QStringLiteral(" extended line \"%1\"").arg(b->text());
        }
    }
    const QList<int> free = KeysWhere(w, [w](int, TColorButton *b) {
        return b->Caption().isEmpty() && !TMDIChild::IsMarked(b) && !w->Moving();
    });
    if (free.isEmpty()) {
        Say(what + QStringLiteral(": no free key"));
        return TKind::Edit;
    }
    const int key = free[Pick(int(free.size()))];
    Say(QStringLiteral("bind %1 to %2").arg(what, KeyName(w, key)));
    ClickKey(w, key);
    return TKind::Edit;
}

TKind TRig::MarkKeys()
{
    TMDIChild *w = ChooseWindow();
    switch (Pick(4)) {
    case 0:
        PressKey(w, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        Say(QStringLiteral("Ctrl+Shift+A in Pult%1").arg(w->ConsoleNo));
        break;
    case 1:
        PressKey(w, Qt::Key_Insert);
        Say(QStringLiteral("Insert in Pult%1 (%2 marked)").arg(w->ConsoleNo).arg(w->CountMarked()));
        break;
    default:
        MarkSomeKeys(w);
    }
    return TKind::Edit;
}

TKind TRig::DeleteKeys()
{
    TMDIChild *w = ChooseWindow();
    if (w->CountMarked() == 0 || Chance(40))
        MarkSomeKeys(w);
    const int how = Pick(3);
    const Qt::KeyboardModifiers mods = how == 0   ? Qt::NoModifier
                                       : how == 1 ? Qt::ShiftModifier
                                                  : Qt::ControlModifier;
    const char *names[] = {"Del", "Shift+Del", "Ctrl+Del"};
    Say(QStringLiteral("%1 in Pult%2").arg(QString::fromLatin1(names[how])).arg(w->ConsoleNo));
    PressKey(w, Qt::Key_Delete, mods);
    return TKind::Edit;
}

TKind TRig::CopyKeys()
{
    TMDIChild *w = ChooseWindow();
    if (w->CountMarked() == 0 || Chance(40))
        MarkSomeKeys(w);
    Say(QStringLiteral("Ctrl+C in Pult%1").arg(w->ConsoleNo));
    PressKey(w, Qt::Key_C, Qt::ControlModifier);
    return TKind::Other;
}

void TRig::AfterMove(TMDIChild *w)
{
    // A file handed over during a question of the command may have closed the window.
    if (!w) {
        Say(QStringLiteral("the console window went"));
        return;
    }
    if (!w->Moving()) {
        Say(QStringLiteral("no block to place"));
        return;
    }
    const int target = Pick(w->LastKeyNumber() + 1);
    TColorButton *key = ShowKey(w, target);
    MoveMouseTo(key);
    const int how = Pick(20);
    if (how < 10) {
        const QString name = KeyName(w, target);
        Click(key);
        Say(QStringLiteral("place the block at %1").arg(name));
    } else if (how < 13) {
        PressKey(w, Qt::Key_Escape);
        Say(QStringLiteral("Esc"));
    } else {
        Say(QStringLiteral("the block waits over %1").arg(KeyName(w, target)));
    }
}

TKind TRig::PasteKeys()
{
    QPointer<TMDIChild> w = ChooseWindow();
    if (Chance(50)) {
        Say(QStringLiteral("Ctrl+V in Pult%1").arg(w->ConsoleNo));
        PressKey(w, Qt::Key_V, Qt::ControlModifier);
    } else {
        // From the pop-up menu of a free key.
        const QList<int> free = KeysWhere(w, [](int, TColorButton *b) { return b->Caption().isEmpty(); });
        if (free.isEmpty()) {
            Say(QStringLiteral("no free key to paste at"));
            return TKind::Other;
        }
        const int k = free[Pick(int(free.size()))];
        Click(ShowKey(w, k), Qt::RightButton);
        Say(QStringLiteral("paste from the menu of %1").arg(KeyName(w, k)));
        if (!ClickMenuItem(w->PopupMenu1, w->VlozitLinky)) {
            Say(QStringLiteral("paste is not offered"));
            return TKind::Other;
        }
    }
    AfterMove(w);
    return TKind::Edit;
}

TKind TRig::MoveKeys()
{
    QPointer<TMDIChild> w = ChooseWindow();
    if (!w->Moving() && (w->CountMarked() == 0 || Chance(30)))
        MarkSomeKeys(w);
    if (Chance(60)) {
        Say(QStringLiteral("Ctrl+M in Pult%1").arg(w->ConsoleNo));
        PressKey(w, Qt::Key_M, Qt::ControlModifier);
    } else {
        const QList<int> marked = KeysWhere(w, [](int, TColorButton *b) { return TMDIChild::IsMarked(b); });
        const int k = marked.isEmpty() ? w->ActiveKeyIndex : marked[Pick(int(marked.size()))];
        Click(ShowKey(w, k), Qt::RightButton);
        Say(QStringLiteral("move from the menu of %1").arg(KeyName(w, k)));
        if (!ClickMenuItem(w->PopupMenu1, w->PresuvatLinky)) {
            Say(QStringLiteral("move is not offered"));
            return TKind::Other;
        }
    }
    AfterMove(w);
    return TKind::Edit;
}

TKind TRig::PlacePending()
{
    TMDIChild *moving = nullptr;
    for (TMDIChild *w : Windows())
        if (w->Moving())
            moving = w;
    if (!moving) {
        Say(QStringLiteral("no block is pending"));
        return TKind::Other;
    }
    Activate(moving);
    const int target = Pick(moving->LastKeyNumber() + 1);
    TColorButton *key = ShowKey(moving, target);
    MoveMouseTo(key);
    if (Chance(85)) {
        Click(key);
        Say(QStringLiteral("place the pending block at %1").arg(KeyName(moving, target)));
    } else {
        PressKey(moving, Qt::Key_Escape);
        Say(QStringLiteral("Esc ends the pending block in Pult%1").arg(moving->ConsoleNo));
    }
    return TKind::Edit;
}

TKind TRig::KeyProperties()
{
    TMDIChild *w = ChooseWindow();
    const QList<int> named = KeysWhere(w, [](int, TColorButton *b) { return !b->Caption().isEmpty(); });
    if (named.isEmpty() || w->Moving()) {
        Say(QStringLiteral("no key for its properties"));
        return TKind::Other;
    }
    const int k = named[Pick(int(named.size()))];
    Click(ShowKey(w, k), Qt::RightButton);
    Say(QStringLiteral("properties of %1").arg(KeyName(w, k)));
    const bool edit = Chance(70);
    const bool ok = Chance(75);
    WhenModal(QStringLiteral("Vl"), [this, edit, ok](QDialog &dialog) {
        QList<QLineEdit *> edits;
        for (QLineEdit *e : dialog.findChildren<QLineEdit *>())
            if (e->isVisible() && e->isEnabled() && !e->isReadOnly())
                edits << e;
        if (edit && !edits.isEmpty()) {
            QLineEdit *e = edits[0];
            QTest::keyClicks(e, QStringLiteral("x"));
            Say(QStringLiteral("type \"x\" into %1").arg(e->objectName()));
        }
        auto *okButton = dialog.findChild<QAbstractButton *>(QStringLiteral("bOK"));
        auto *cancel = dialog.findChild<QAbstractButton *>(QStringLiteral("bCancel"));
        if (ok && okButton && okButton->isEnabled()) {
            Say(QStringLiteral("OK"));
            QTest::mouseClick(okButton, Qt::LeftButton);
        } else if (cancel) {
            Say(QStringLiteral("Cancel"));
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
        if (dialog.isVisible())
            dialog.reject();
    });
    if (!ClickMenuItem(w->PopupMenu1, w->Vlastnosti1))
        Say(QStringLiteral("properties are not offered"));
    StopWatching();
    return TKind::Edit;
}

// ---- the board cardSlots ---------------------------------------------------------------------------

TKind TRig::PlaceCard()
{
    QList<int> empty;
    for (int s = 0; s < BoardCount; ++s)
        if (form_->BoardPanels.value(s) && form_->IsBoardSlotValid(s) && !form_->GetCardButton(s))
            empty << s;
    if (empty.isEmpty()) {
        Say(QStringLiteral("no empty slot"));
        return TKind::Other;
    }
    const int slot = empty[Pick(int(empty.size()))];
    Click(form_->BoardPanels[slot], Qt::RightButton);
    QList<QAction *> items;
    for (QAction *a : form_->CardTypeMenu->actions())
        if (a->isVisible() && a->isEnabled() && !a->data().toString().isEmpty())
            items << a;
    if (items.isEmpty()) {
        form_->CardTypeMenu->close();
        Say(QStringLiteral("slot %1 offers no card").arg(slot));
        return TKind::Other;
    }
    QAction *item = items[Pick(int(items.size()))];
    Say(QStringLiteral("place %1 in slot %2").arg(item->text().remove(u'&')).arg(slot));
    if (!ClickMenuItem(form_->CardTypeMenu, item))
        Say(QStringLiteral("the card-type menu did not open"));
    return TKind::Edit;
}

TKind TRig::RemoveCard()
{
    QList<int> cardSlots;
    for (int s = 0; s < BoardCount; ++s)
        if (form_->GetCardButton(s))
            cardSlots << s;
    if (cardSlots.isEmpty()) {
        Say(QStringLiteral("no card to remove"));
        return TKind::Other;
    }
    const int slot = cardSlots[Pick(int(cardSlots.size()))];
    Say(QStringLiteral("remove the card of slot %1").arg(slot));
    Click(form_->GetCardButton(slot), Qt::RightButton);
    if (!ClickMenuItem(form_->PopupMenu1, form_->Delete2))
        Say(QStringLiteral("removal is not offered"));
    return TKind::Edit;
}

// ---- windows ---------------------------------------------------------------------------------

TKind TRig::ActivateWindow()
{
    QList<TMDIChild *> others = Windows();
    others.removeAll(ActiveWindow());
    if (others.isEmpty()) {
        Say(QStringLiteral("no other console window"));
        return TKind::Other;
    }
    TMDIChild *w = others[Pick(int(others.size()))];
    Activate(w);
    Say(QStringLiteral("activate Pult%1").arg(w->ConsoleNo));
    return TKind::Other;
}

TKind TRig::ShowPage()
{
    TMDIChild *w = ChooseWindow();
    const int pages = w->PageControl1 ? w->PageControl1->count() : 0;
    if (pages < 2) {
        Say(QStringLiteral("Pult%1 has one screen").arg(w->ConsoleNo));
        return TKind::Other;
    }
    const int page = Pick(pages);
    QTabBar *bar = w->PageControl1->tabBar();
    Click(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    Say(QStringLiteral("screen %1 of Pult%2").arg(page + 1).arg(w->ConsoleNo));
    return TKind::Other;
}

TKind TRig::CopyConsole()
{
    const bool toOne = Chance(50);
    Say(toOne ? QStringLiteral("copy console 0 to 1") : QStringLiteral("copy console 1 to 0"));
    ClickToolButton(toOne ? form_->sbKopirujDo1 : form_->sbKopirujDo0);
    return TKind::Edit;
}

TKind TRig::CloseWindow()
{
    const QList<TMDIChild *> all = Windows();
    TMDIChild *w = all[Pick(int(all.size()))];
    Say(QStringLiteral("close Pult%1 by its window menu").arg(w->ConsoleNo));
    for (QAction *a : w->systemMenu()->actions())
        if (a->text().remove(u'&') == QLatin1String("Close")) {
            a->trigger();
            break;
        }
    return TKind::Replace;
}

TKind TRig::Arrange()
{
    const bool tile = Chance(50);
    Say(tile ? QStringLiteral("Window > Tile") : QStringLiteral("Window > Cascade"));
    form_->MenuClick();
    RunMenuItem(form_->Window1, tile ? form_->Tile1 : form_->Cascade1);
    return TKind::Other;
}

// ---- the project ---------------------------------------------------------------------------

TKind TRig::Settings()
{
    if (Chance(50)) {
        Say(QStringLiteral("File > Settings"));
        RunMenuItem(form_->File1, form_->Config1);
    } else {
        Say(QStringLiteral("settings button"));
        ClickToolButton(form_->sbConfig);
    }
    return TKind::Settings;
}

TKind TRig::NewProject()
{
    if (Chance(50)) {
        Say(QStringLiteral("File > New"));
        RunMenuItem(form_->File1, form_->New1);
    } else {
        Say(QStringLiteral("New button"));
        ClickToolButton(form_->NewSB);
    }
    return TKind::Replace;
}

TKind TRig::OpenProject()
{
    if (Chance(50)) {
        Say(QStringLiteral("File > Open"));
        RunMenuItem(form_->File1, form_->Open1);
    } else {
        Say(QStringLiteral("Open button"));
        ClickToolButton(form_->OpenSB);
    }
    return TKind::Replace;
}

TKind TRig::SaveProject()
{
    Say(QStringLiteral("Save button"));
    ClickToolButton(form_->SaveSB);
    Settle();
    // Now and then the saved file is opened again: it must give back the same project.
    const QString name = form_->ProjectName;
    if (!form_->APult || form_->ModifiedFlag || !QFileInfo(name).isAbsolute() || !QFileInfo::exists(name) ||
        !Chance(40))
        return TKind::Save;
    const QByteArray saved = WorkText(form_->APult);
    Say(QStringLiteral("open it again"));
    forcedOpen_ = name;
    ClickToolButton(form_->OpenSB);
    forcedOpen_.clear();
    Settle();
    if (!form_->APult)
        Fail(QStringLiteral("save and open"), QStringLiteral("the saved project did not open"));
    else if (WorkText(form_->APult) != saved)
        Fail(QStringLiteral("save and open"), QStringLiteral("the saved project opens otherwise: ") +
                                                  FirstDifference(saved, WorkText(form_->APult)));
    return TKind::Replace;
}

TKind TRig::SaveProjectAs()
{
    Say(QStringLiteral("File > Save"));
    RunMenuItem(form_->File1, form_->Save1);
    return TKind::Save;
}

TKind TRig::StoredCopy()
{
    QAction *items[] = {form_->Odlozitakualnukonfiguraciu1, form_->Porovnatsodlozenoukonfiguraciou1,
                        form_->Zlucitsodlozenou1};
    QAction *item = items[Pick(3)];
    Say(QStringLiteral("Edit > ") + item->text());
    RunMenuItem(form_->Edit1, item);
    return TKind::Edit;
}

TKind TRig::Import()
{
    QAction *items[] = {form_->KonverziaACF, form_->KonverziaCFG, form_->NacitaniezUNI1};
    QAction *item = items[Pick(3)];
    Say(QStringLiteral("File > ") + item->text());
    RunMenuItem(form_->File1, item);
    return TKind::Replace;
}

TKind TRig::Exit()
{
    if (Chance(50)) {
        Say(QStringLiteral("File > Exit"));
        RunMenuItem(form_->File1, form_->Close1);
    } else {
        Say(QStringLiteral("Exit button"));
        ClickToolButton(form_->ExitSB);
    }
    if (!form_->isVisible())
        Say(QStringLiteral("the program ends"));
    return TKind::Replace;
}

bool TRig::StartHandOver(const QString &when)
{
    QStringList files;
    for (const QString &f : QDir(projectDir_).entryList({QStringLiteral("*.orv")}, QDir::Files))
        files << projectDir_ + QLatin1Char('/') + f;
    const QString name = Chance(10) || files.isEmpty() ? projectDir_ + QStringLiteral("/nie.orv")
                                                       : files[Pick(int(files.size()))];
    Say(when + QStringLiteral("a second copy hands over %1").arg(QDir(dir_.path()).relativeFilePath(name)));
    openChosen_ = name;
    handedOver_ = name;
    handOverDone_ = false;
    if (!when.isEmpty())
        handOverInBox_ = true;
    sender_ = new QLocalSocket;
    sender_->connectToServer(socketPath_);
    if (!sender_->waitForConnected(1000)) {
        Fail(QStringLiteral("hand-over"), QStringLiteral("the running copy does not listen"));
        return false;
    }
    sender_->write(HandOver::AbsoluteName(name, dir_.path()).toUtf8() + '\0');
    sender_->flush();
    return true;
}

void TRig::EndHandOver()
{
    senderGivesUp_ = false;
    delete sender_;
    sender_ = nullptr;
}

TKind TRig::HandOverFile()
{
    senderGivesUp_ = Chance(40);
    if (StartHandOver(QString())) {
        // The second copy waits for the answer (and may give up while a question is open).
        QByteArray answer;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000 &&
               !(handOverDone_ && (answer.size() >= 3 || sender_->state() != QLocalSocket::ConnectedState))) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (sender_->state() == QLocalSocket::ConnectedState)
                answer += sender_->readAll();
        }
        if (sender_->state() == QLocalSocket::ConnectedState || answer.startsWith(HandOver::Acknowledgement))
            Say(answer.startsWith(HandOver::Acknowledgement)
                    ? QStringLiteral("the second copy is answered")
                    : QStringLiteral("the second copy is not answered"));
    }
    EndHandOver();
    return TKind::Replace;
}

TKind TRig::StartDialog()
{
    const struct {
        int choice;
        const char *name;
    } choices[] = {{wcNewProject, "New project"},
                   {wcOpenProject, "Open project"},
                   {wcImportACF, "Import ACF"},
                   {wcImportCFG, "Import CFG"},
                   {wcOpenUNI, "Open from UNI"},
                   {wcSettings, "Settings"},
                   {-1, "Cancel"}};
    const auto &c = choices[Pick(int(std::size(choices)))];
    Say(QStringLiteral("start dialog: ") + QString::fromLatin1(c.name));
    startChoice_ = c.choice;
    startShown_ = false;
    // The status tick offers the dialog while nothing is loaded.
    QElapsedTimer clock;
    clock.start();
    while (!startShown_ && clock.elapsed() < 3000)
        QTest::qWait(10);
    if (!startShown_) {
        startChoice_ = 0;
        Say(QStringLiteral("the start dialog did not come"));
    }
    return c.choice == wcSettings ? TKind::Settings : TKind::Replace;
}

} // namespace sequence
