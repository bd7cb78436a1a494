// A pending move or paste in a console window while the console changes
// from outside it, all through the real main window and its menus: the mode
// ends, and the placing click brings back nothing the change removed. The
// paste from a key's own menu starts at that key.
#include <QtTest>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <functional>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/fixture/consolewindows.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/keystates.h"
#include "windows/mdichild.h"
#include "windows/nastav.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

constexpr int FreeSlot = 5;

// The fixture with the card types the card package knows; `change` adjusts it
// before it is saved and opened.
std::unique_ptr<TAPult> project(const std::function<void(TAPult &)> &change)
{
    auto cfg = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        cfg->SlotyDosiek[s].Meno.clear();
    cfg->Pulty[1]->Dosky[2].reset();
    cfg->Pulty[0]->Dosky[1]->Linky[0]->MenoLinky = LinePosName(1) + QStringLiteral(" - MD");
    if (change)
        change(*cfg);
    return cfg;
}

// Key k of console c bound to line l of the slot's board, the board made when
// the console has none there.
void bindInModel(TAPult &cfg, int c, int k, int slot, int l, const TKlavesa *like = nullptr)
{
    TPult &p = *cfg.Pulty[c];
    if (!p.Dosky[slot]) {
        p.Dosky[slot] = std::make_unique<TDoska>();
        p.Dosky[slot]->MenoDosky = QStringLiteral("UL10");
        p.Dosky[slot]->CisloDosky = 71;
        p.Dosky[slot]->PocetLiniek = 10;
    }
    TDoska &board = *p.Dosky[slot];
    board.PocetLiniek = std::max<Byte>(board.PocetLiniek, Byte(l + 1));
    if (!board.Linky[l]) {
        board.Linky[l] = std::make_unique<TLinka>();
        board.Linky[l]->CisloLinky = Byte(l);
        board.Linky[l]->MenoLinky = LinePosName(slot) + QStringLiteral(" - MB");
    }
    board.Linky[l]->Klavesa = Byte(k);
    if (like) {
        p.Klavesy[k] = std::make_unique<TKlavesa>(*like);
        p.Klavesy[k]->Led = Byte(k);
    } else {
        p.Klavesy[k] =
            fixture::BoundKey(QStringLiteral("UL %1").arg(k), Byte(slot), Byte(l), 255, 71, Byte(k));
    }
}

TMDIChild *window(TMainForm1 &form, int console)
{
    return fixture::ConsoleWindow(form, QStringLiteral("Pult%1").arg(console));
}

QPoint centreIn(TMainForm1 &form, QWidget *w)
{
    return w->mapTo(&form, w->rect().center());
}

void leftClick(TMainForm1 &form, QWidget *w)
{
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, centreIn(form, w));
}

void rightClick(TMainForm1 &form, QWidget *w)
{
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, centreIn(form, w));
}

void mouseOver(TMainForm1 &form, QWidget *w)
{
    QTest::mouseMove(form.windowHandle(), centreIn(form, w));
}

// Clicks an item of a shown pop-up menu.
bool clickItem(QMenu *menu, QAction *item)
{
    if (!menu->isVisible() || !item || !item->isVisible() || !item->isEnabled())
        return false;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    return true;
}

// The user clicks the window's title bar.
bool activate(TMainForm1 &form, TMDIChild *w)
{
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, w->mapTo(&form, QPoint(w->width() / 2, 6)));
    return QTest::qWaitFor([&] { return form.MdiArea->activeSubWindow() == w; });
}

std::uint32_t colourOf(const TColorButton *key)
{
    return TColorFromColor(key->Color());
}

// Every key control of the window shows its console's key as the
// configuration holds it.
QStringList shownOtherwise(TMainForm1 &form, TMDIChild *w)
{
    QStringList wrong;
    const TPult &p = *form.APult->Pulty[w->ConsoleNo];
    for (int k = 0; k < w->KeyList.size(); ++k) {
        const QString caption = p.Klavesy[k] ? p.Klavesy[k]->MenoKlavesy : QString();
        if (w->GetButton(k)->Caption() != caption)
            wrong << QStringLiteral("%1: \"%2\" for \"%3\"").arg(k).arg(w->GetButton(k)->Caption(), caption);
    }
    return wrong;
}

} // namespace

class TestPendingModes : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    std::unique_ptr<TMainForm1> openForm(const std::function<void(TAPult &)> &change = {})
    {
        const QString name = dir_.filePath(QStringLiteral("proj.orv"));
        project(change)->SaveToFile(name);
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->resize(1240, 1000);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()) || !form->OpenProjectByName(name))
            return nullptr;
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            return nullptr;
        form->MdiArea->tileSubWindows();
        form->ModifiedFlag = 0;
        prompt_.clear();
        return form;
    }

    // Marks the key with a click and starts moving it with Ctrl+M, then
    // previews it over `target`.
    static bool startMove(TMainForm1 &form, TMDIChild *w, int key, int target)
    {
        if (!activate(form, w))
            return false;
        TColorButton *source = w->GetButton(key);
        const QString caption = source->Caption();
        leftClick(form, source);
        if (!TMDIChild::IsMarked(source))
            return false;
        QTest::keyClick(w, Qt::Key_M, Qt::ControlModifier);
        if (!w->Moving())
            return false;
        TColorButton *to = w->GetButton(target);
        mouseOver(form, to);
        return w->Moving() && colourOf(to) == KeyColors::Move && to->Caption() == caption;
    }

    // Runs the settings dialog from its menu item; `drive` works it.
    static void settings(TMainForm1 &form, const std::function<void(TNastav1 &)> &drive)
    {
        TMainForm1::SettingsDialogExec = [&](TNastav1 &d) {
            QTimer::singleShot(0, &d, [&d, &drive] {
                drive(d);
                if (d.isVisible())
                    d.reject();
            });
            return d.exec();
        };
        form.Config1->trigger();
        TMainForm1::SettingsDialogExec = nullptr;
    }

    void checkBindings(TMainForm1 &form)
    {
        const QStringList faults = BindingFaults(*form.APult, form.Zoznam.get());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        // No real serial port is probed by the settings dialog.
        for (int n = 1; n <= 8; ++n)
            qputenv(qPrintable(QStringLiteral("KELVARA_COM%1").arg(n)), "/nonexistent/kelvara-tty");
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
    }

    void init() { prompt_.clear(); }

    void cleanup()
    {
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
    }

    // A card removed through its slot menu while its key is being moved.
    void cardRemovedDuringMove()
    {
        auto form = openForm();
        QVERIFY(form);
        TMDIChild *w0 = window(*form, 0);
        QVERIFY(w0);
        // The card goes in through the card-type menu; key 20 carries its first line.
        rightClick(*form, form->BoardPanels.value(FreeSlot));
        QAction *ul10 = nullptr;
        for (QAction *a : form->CardTypeMenu->actions())
            if (a->objectName() == QStringLiteral("CardType_TUL10Card"))
                ul10 = a;
        QVERIFY(clickItem(form->CardTypeMenu, ul10));
        QVERIFY(form->GetCardButton(FreeSlot));
        bindInModel(*form->APult, 0, 20, FreeSlot, 0);
        w0->GetButton(20)->SetCaption(form->APult->Pulty[0]->Klavesy[20]->MenoKlavesy);
        checkBindings(*form);

        QVERIFY(startMove(*form, w0, 20, 21));
        QCOMPARE(w0->GetButton(21)->Caption(), form->APult->Pulty[0]->Klavesy[20]->MenoKlavesy);

        prompt_.Answer(TPrompt::Ok);
        TSpeedButton *card = form->GetCardButton(FreeSlot);
        QTest::mouseClick(card, Qt::RightButton, {}, card->rect().center());
        QVERIFY(clickItem(form->PopupMenu1, form->Delete2));
        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(36)});
        prompt_.clear();
        QVERIFY(!form->GetCardButton(FreeSlot));
        QVERIFY(!w0->Moving());
        QCOMPARE(shownOtherwise(*form, w0), QStringList());

        // Where the block was to be placed, the click places nothing.
        QVERIFY(activate(*form, w0));
        leftClick(*form, w0->GetButton(21));
        const TPult &p = *form->APult->Pulty[0];
        QVERIFY(p.Klavesy[20]->IsUnconfigured());
        QVERIFY(p.Klavesy[21]->IsUnconfigured());
        QVERIFY(!p.Dosky[FreeSlot]);
        QCOMPARE(w0->GetButton(21)->Caption(), QString());
        checkBindings(*form);
    }

    void screensLoweredDuringMove_data()
    {
        QTest::addColumn<int>("key");    // the key moved
        QTest::addColumn<int>("target"); // where it is previewed
        // Key 150 of the second screen stands by while key 20 is moved.
        QTest::newRow("a key beyond the capacity stands by") << 20 << 21;
        // The key moved lies beyond the new capacity itself.
        QTest::newRow("the key moved lies beyond it") << 150 << 151;
    }
    // The mechanical console goes down to one screen in Settings, the loss of
    // the keys above it accepted, while a move is pending on its window.
    void screensLoweredDuringMove()
    {
        QFETCH(int, key);
        QFETCH(int, target);
        auto form = openForm([](TAPult &cfg) {
            TPult &p = *cfg.Pulty[1];
            p.Klavesy[150] = std::move(p.Klavesy[100]);
            p.Klavesy[150]->Led = 150;
            p.Klavesy[100] = std::make_unique<TKlavesa>();
            p.Dosky[1]->Linky[2]->Klavesa = 150;
            bindInModel(cfg, 1, 20, 0, 1);
        });
        QVERIFY(form);
        checkBindings(*form);
        TMDIChild *w1 = window(*form, 1);
        QVERIFY(w1);
        QVERIFY(activate(*form, w1));
        if (key >= 112) {
            QTabBar *tabs = w1->PageControl1->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
            QCOMPARE(w1->PageControl1->currentIndex(), 1);
        }
        QVERIFY(startMove(*form, w1, key, target));

        prompt_.Answer(TPrompt::Yes);
        settings(*form, [](TNastav1 &d) {
            d.op2->setValue(1);
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        });
        QCOMPARE(prompt_.texts(),
                 QStringList{LoadStrDll(122) + "\r" + LoadStrDll(123) + "\r" + LoadStrDll(124)});
        prompt_.clear();
        QCOMPARE(w1->KeyList.size(), 112);
        QVERIFY(!w1->Moving());
        QCOMPARE(shownOtherwise(*form, w1), QStringList());

        // The click that would have placed the block, on the first screen.
        QVERIFY(activate(*form, w1));
        leftClick(*form, w1->GetButton(21));
        const TPult &p = *form->APult->Pulty[1];
        for (int k = 112; k < KeyCount; ++k)
            QVERIFY2(!IsConfiguredKey(p.Klavesy[k].get()), qPrintable(QString::number(k)));
        QCOMPARE(p.Dosky[1]->Linky[2]->Klavesa, Byte(255));
        QVERIFY(!IsConfiguredKey(p.Klavesy[21].get()));
        // The key of the first screen was not moved: it stays where it was.
        QCOMPARE(p.Klavesy[20]->MenoKlavesy, QStringLiteral("UL 20"));
        QCOMPARE(p.Dosky[0]->Linky[1]->Klavesa, Byte(20));
        checkBindings(*form);
    }

    // Shift+Del in console 0's window deletes a key on all consoles while
    // console 1's window moves that key.
    void keyDeletedOnAllConsolesDuringMove()
    {
        auto form = openForm([](TAPult &cfg) {
            // Console 1's key 30 carries the same line as console 0's key 0.
            bindInModel(cfg, 1, 30, 0, 0, cfg.Pulty[0]->Klavesy[0].get());
        });
        QVERIFY(form);
        checkBindings(*form);
        TMDIChild *w0 = window(*form, 0);
        TMDIChild *w1 = window(*form, 1);
        QVERIFY(w0 && w1);
        const QString name = form->APult->Pulty[1]->Klavesy[30]->MenoKlavesy;
        QCOMPARE(w1->GetButton(30)->Caption(), name);
        QVERIFY(startMove(*form, w1, 30, 31));

        QVERIFY(activate(*form, w0));
        leftClick(*form, w0->GetButton(0));
        QVERIFY(TMDIChild::IsMarked(w0->GetButton(0)));
        QTest::keyClick(w0, Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(!IsConfiguredKey(form->APult->Pulty[0]->Klavesy[0].get()));
        QVERIFY(!IsConfiguredKey(form->APult->Pulty[1]->Klavesy[30].get()));
        QVERIFY(!w1->Moving());
        QCOMPARE(shownOtherwise(*form, w1), QStringList());

        // The placing click in console 1's window brings nothing back.
        QVERIFY(activate(*form, w1));
        leftClick(*form, w1->GetButton(31));
        const TPult &p = *form->APult->Pulty[1];
        QVERIFY(!IsConfiguredKey(p.Klavesy[30].get()));
        QVERIFY(!IsConfiguredKey(p.Klavesy[31].get()));
        QCOMPARE(p.Dosky[0]->Linky[0]->Klavesa, Byte(255));
        QCOMPARE(w1->GetButton(31)->Caption(), QString());
        checkBindings(*form);
    }

    // Paste from a free key's menu previews and places the block at that
    // key, not at the window's active key.
    void pasteFromAKeysMenu()
    {
        auto form = openForm();
        QVERIFY(form);
        TMDIChild *w0 = window(*form, 0);
        TMDIChild *w1 = window(*form, 1);
        QVERIFY(w0 && w1);
        const TKlavesa copied = *form->APult->Pulty[0]->Klavesy[0];
        QVERIFY(activate(*form, w0));
        leftClick(*form, w0->GetButton(0));
        QTest::keyClick(w0, Qt::Key_C, Qt::ControlModifier);

        QVERIFY(activate(*form, w1));
        w1->move(0, 0); // the engineer drags it where the screen shows its keys
        const int active = w1->ActiveKeyIndex;
        // A free key away from the active one, where the screen shows it (the
        // menu opens over the control under the mouse).
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        int at = -1;
        for (int k = w1->LastKeyNumber(); k > active + 1 && at < 0; --k) {
            TColorButton *b = w1->GetButton(k);
            if (b->isVisible() && b->Caption().isEmpty() &&
                screen.contains(b->mapToGlobal(b->rect().center())))
                at = k;
        }
        QVERIFY2(at > active + 1, qPrintable(QString::number(at)));
        rightClick(*form, w1->GetButton(at));
        QVERIFY(w1->PopupMenu1->isVisible());
        QVERIFY(clickItem(w1->PopupMenu1, w1->VlozitLinky));
        QVERIFY(w1->Moving());
        QCOMPARE(w1->GetButton(at)->Caption(), copied.MenoKlavesy);
        QCOMPARE(colourOf(w1->GetButton(at)), KeyColors::Move);
        QCOMPARE(w1->GetButton(active)->Caption(), QString());
        QVERIFY(form->MoveListing &&
                form->MoveListing->toPlainText().contains(QStringLiteral("(od 0 kam %1)").arg(at)));

        // "+" places the block where it is shown.
        QTest::keyClick(w1, '+');
        QVERIFY(!w1->Moving());
        const TPult &p = *form->APult->Pulty[1];
        QCOMPARE(p.Klavesy[at]->MenoKlavesy, copied.MenoKlavesy);
        QCOMPARE(p.Klavesy[at]->Led, Byte(at));
        QVERIFY(!IsConfiguredKey(p.Klavesy[active].get()));
        QCOMPARE(p.Dosky[0]->Linky[0]->Klavesa, Byte(at));
        QCOMPARE(w1->GetButton(at)->Caption(), copied.MenoKlavesy);
        checkBindings(*form);
    }
};

QTEST_MAIN(TestPendingModes)
#include "test_pending.moc"
