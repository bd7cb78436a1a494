// The board slot menus as the user reaches them: a right click on an empty
// slot places a card of the chosen type, a right click on a card button
// removes the card with its lines and keys in both consoles.
#include <QtTest>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

constexpr int FreeSlot = 5;

std::unique_ptr<TAPult> project()
{
    auto cfg = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        cfg->SlotyDosiek[s].Meno.clear();
    cfg->Pulty[1]->Dosky[2].reset();
    // A line whose extended lines carry keys is named with its position, as the binding names it.
    cfg->Pulty[0]->Dosky[1]->Linky[0]->MenoLinky = LinePosName(1) + QStringLiteral(" - MD");
    return cfg;
}

TMDIChild *window(TMainForm1 &form, int console)
{
    for (QMdiSubWindow *w : form.MdiArea->subWindowList())
        if (auto *c = qobject_cast<TMDIChild *>(w); c && c->ConsoleNo == console && !c->isHidden())
            return c;
    return nullptr;
}

// A right click of the mouse through the window system, so that the
// context-menu event comes as it does for a user.
void rightClick(TMainForm1 &form, QWidget *target)
{
    const QPoint at = target->mapTo(&form, target->rect().center());
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, at);
}

// Clicks the item of a shown pop-up menu.
bool clickItem(QMenu *menu, QAction *item)
{
    if (!menu->isVisible() || !item || !item->isVisible())
        return false;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    return true;
}

} // namespace

class TestSlotMenus : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    std::unique_ptr<TMainForm1> openForm()
    {
        const QString name = dir_.filePath(QStringLiteral("proj.orv"));
        project()->SaveToFile(name);
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()) || !form->OpenProjectByName(name))
            return nullptr;
        form->MdiArea->setActiveSubWindow(window(*form, 0));
        form->ModifiedFlag = 0;
        prompt_.clear();
        return form;
    }

    // Places a card through the slot's right click and the card-type menu.
    bool placeCard(TMainForm1 &form, int slot, const QString &type)
    {
        QWidget *panel = form.BoardPanels.value(slot);
        if (!panel)
            return false;
        rightClick(form, panel);
        QAction *item = nullptr;
        for (QAction *a : form.CardTypeMenu->actions())
            if (a->objectName() == QStringLiteral("CardType_") + type)
                item = a;
        return clickItem(form.CardTypeMenu, item);
    }

    // Opens PopupMenu1 with a right click on the slot's card button.
    bool cardMenu(TMainForm1 &form, int slot)
    {
        TSpeedButton *b = form.GetCardButton(slot);
        if (!b)
            return false;
        QTest::mouseClick(b, Qt::RightButton, {}, b->rect().center());
        return form.PopupMenu1->isVisible();
    }

    // Binds line l of the slot's board to key k in console c, as the binding does.
    static void bind(TMainForm1 &form, int c, int k, int slot, int l)
    {
        TPult &p = *form.APult->Pulty[c];
        TDoska &board = *p.Dosky[slot];
        board.PocetLiniek = std::max<Byte>(board.PocetLiniek, Byte(l + 1));
        if (!board.Linky[l]) {
            board.Linky[l] = std::make_unique<TLinka>();
            board.Linky[l]->CisloLinky = Byte(l);
        }
        board.Linky[l]->Klavesa = Byte(k);
        p.Klavesy[k] = fixture::BoundKey(QStringLiteral("UL %1").arg(k), Byte(slot), Byte(l), 255, 71, Byte(k));
        window(form, c)->GetButton(k)->SetCaption(p.Klavesy[k]->MenoKlavesy);
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
    }

    void init() { prompt_.clear(); }

    // A card placed in an empty slot shows its lines at once and is named in the slot.
    void placeCardShowsItsLines()
    {
        auto form = openForm();
        QVERIFY(form);
        QVERIFY(form->IsBoardSlotValid(FreeSlot));
        QVERIFY(placeCard(*form, FreeSlot, QStringLiteral("TUL10Card")));
        TSpeedButton *b = form->GetCardButton(FreeSlot);
        QVERIFY(b);
        QVERIFY(b->Down());
        QCOMPARE(form->APult->SlotyDosiek[FreeSlot].Meno, QStringLiteral("TUL10"));
        QCOMPARE(form->APult->SlotyDosiek[FreeSlot].Kod, b->Tag->GetCardNum(form->APult->TypSystemu));
        QCOMPARE(form->ModifiedFlag, Byte(1));
        QVERIFY(form->LineButtonList);
        QCOMPARE(int(form->LineButtonList->size()), b->Tag->LinCount());
        QVERIFY(form->GetLineButton(0)->isVisible());
        for (int c = 0; c < 2; ++c)
            QVERIFY(form->APult->Pulty[c]->Dosky[FreeSlot]);
        QCOMPARE(form->APult->Pulty[0]->Dosky[FreeSlot]->CisloDosky, b->Tag->GetCardNum(form->APult->TypSystemu));
        QVERIFY(prompt_.asked().isEmpty());

        // A slot that holds a card takes no other through the card-type menu.
        QPointer<TSpeedButton> old = form->GetCardButton(0);
        form->ContextTarget = 0;
        form->PMClick(QStringLiteral("&4W5"));
        QCOMPARE(form->GetCardButton(0), old.data());
        QCOMPARE(form->APult->SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
    }

    // A card type the card package cannot make: a warning in the log and in
    // a box, and the slot stays empty.
    void placeUnknownCardWarns()
    {
        auto form = openForm();
        QVERIFY(form);
        rightClick(*form, form->BoardPanels.value(FreeSlot));
        form->CardTypeMenu->hide();
        QCOMPARE(form->ContextTarget, FreeSlot);
        form->PMClick(QStringLiteral("&XQ9"));
        const QString text = LoadStrDll(73) + QStringLiteral(" XQ9 ") + LoadStrDll(74);
        QCOMPARE(prompt_.texts(), QStringList{text});
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        const QString log = form->Memo1->toPlainText();
        QVERIFY2(log.contains(QStringLiteral("WARNING:\n") + text), qPrintable(log));
        QVERIFY(!form->GetCardButton(FreeSlot));
        QCOMPARE(form->APult->SlotyDosiek[FreeSlot].Meno, QString());
        QCOMPARE(form->ModifiedFlag, Byte(0));
    }

    void withoutConfigurationNoItems()
    {
        TMainForm1 form(nullptr, QSize(1280, 1024));
        form.TimerStatus->stop();
        form.FirstActivation = 0;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        rightClick(form, form.BoardPanels.value(FreeSlot));
        QVERIFY(!form.CardTypeMenu->actions().isEmpty());
        for (QAction *a : form.CardTypeMenu->actions())
            QVERIFY2(!a->isVisible(), qPrintable(a->objectName()));
        form.CardTypeMenu->hide();
        QVERIFY(!form.APult);
    }

    void deleteBoard_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("ok") << int(TPrompt::Ok);
        QTest::newRow("cancel") << int(TPrompt::Cancel);
    }
    // A UL10 bound in both consoles: both consoles' keys go with it.
    void deleteBoard()
    {
        QFETCH(int, answer);
        auto form = openForm();
        QVERIFY(form);
        QVERIFY(placeCard(*form, FreeSlot, QStringLiteral("TUL10Card")));
        bind(*form, 0, 20, FreeSlot, 0);
        bind(*form, 1, 30, FreeSlot, 1);
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        prompt_.clear();
        prompt_.Answer(answer);
        QVERIFY(cardMenu(*form, FreeSlot));
        QVERIFY(!form->predchadzajuca->isVisible() && !form->dalsia->isVisible());
        QVERIFY(clickItem(form->PopupMenu1, form->Delete2));
        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(36)});
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        TAPult &cfg = *form->APult;
        if (answer == TPrompt::Cancel) {
            QVERIFY(form->GetCardButton(FreeSlot));
            QCOMPARE(cfg.Pulty[1]->Klavesy[30]->MenoKlavesy, QStringLiteral("UL 30"));
            return;
        }
        QVERIFY(!form->GetCardButton(FreeSlot));
        QVERIFY(form->BoardPanels[FreeSlot]->isVisible());
        QCOMPARE(cfg.SlotyDosiek[FreeSlot].Meno, QString());
        QCOMPARE(cfg.SlotyDosiek[FreeSlot].Kod, Byte(255));
        const int keys[2] = {20, 30};
        for (int c = 0; c < 2; ++c) {
            QVERIFY(!cfg.Pulty[c]->Dosky[FreeSlot]);
            QVERIFY(cfg.Pulty[c]->Klavesy[keys[c]]->IsUnconfigured());
            TColorButton *b = window(*form, c)->GetButton(keys[c]);
            QCOMPARE(b->Caption(), QString());
            QCOMPARE(b->Color(), ColorFromTColor(BindingColors::Normal));
        }
        QCOMPARE(BindingFaults(cfg), QStringList());
        QVERIFY(!form->LineButtonList || form->LineButtonList->isEmpty());
        QCOMPARE(form->ModifiedFlag, Byte(1));
    }

    // The extended-line window of a card goes before the card does.
    void deleteCardWithItsExtendedLines()
    {
        auto form = openForm();
        QVERIFY(form);
        TSpeedButton *card = form->GetCardButton(1);
        QVERIFY(card);
        QTest::mouseClick(card, Qt::LeftButton);
        TSpeedButton *md = form->GetLineButton(0);
        QVERIFY(md);
        QTest::mouseClick(md, Qt::LeftButton);
        QVERIFY(form->rozForm);
        QVERIFY(form->rozForm->isVisible());
        QVERIFY(form->PanelRB);
        QPointer<QWidget> roz = form->rozForm;
        prompt_.Answer(TPrompt::Ok);
        QVERIFY(cardMenu(*form, 1));
        QVERIFY(clickItem(form->PopupMenu1, form->Delete2));
        QVERIFY(!form->rozForm);
        QTest::qWait(0);
        QVERIFY(!roz);
        QVERIFY(!form->PanelRB);
        QVERIFY(!form->GetCardButton(1));
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        // A card in a slot that holds one replaces it.
        QPointer<TSpeedButton> old = form->GetCardButton(0);
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 0));
        QVERIFY(!old);
        QVERIFY(form->GetCardButton(0));
    }
};

QTEST_MAIN(TestSlotMenus)
#include "test_slots.moc"
