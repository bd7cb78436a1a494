// Card buttons, line buttons, the line-type panel and the extended-line window
// of the main window under offscreen.
#include <QtTest>

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QWindow>

#include "cardpack/dll_load.h"
#include "cardpack/karty.h"
#include "cardpack/registry.h"
#include "cardpack/t4w5card.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "windows/helpchm.h"
#include "windows/helptarget.h"
#include "windows/helpviewer.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

using namespace LinePanels;

namespace
{

// A board of one line with extended lines (MM).
class TOneLineCard : public T4W5Card
{
public:
    TOneLineCard() { SetNameLin(0, QStringLiteral("MM")); }
    QString ClassName() const override { return QStringLiteral("TOneLineCard"); }
    Byte LinCount() override { return 1; }
};

// One line whose first position is a packed code: A 10, B 3, C 1, D 4.
class TPackCard : public TCardOld
{
public:
    QString ClassName() const override { return QStringLiteral("TPackCard"); }
    Byte LinCount() override { return 1; }
    Byte TypLinCount() override { return 1; }
    QString GetNameLin(Byte) override { return QStringLiteral("PK"); }
    bool IsRozsirLin(Byte) override { return true; }
    Byte GetNumRozsir(Byte) override { return 1; }
    std::int32_t ChangePos(Byte, Byte index) override
    {
        return index == 0 ? (10 << 24) | (3 << 16) | (1 << 8) | 4 : 5;
    }
    QString GetRozsirLinName(Byte, Byte pos) override
    {
        return pos < 60 ? QStringLiteral("P%1").arg(pos) : QString();
    }
    QString GetRozsirLinHelp(Byte, Byte pos) override { return QStringLiteral("Page %1xyz").arg(pos); }
    Byte GetRozsirLinNum(Byte, const QString &name) override { return Byte(name.mid(1).toInt()); }
    Byte GetCardNum(Byte) override { return 77; }
};

// A console window that reports what happened while it closed.
class TProbeWindow : public QMdiSubWindow
{
public:
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        if (onClose)
            onClose();
        QMdiSubWindow::closeEvent(e);
    }
};

QList<TSpeedButton *> buttonsOf(QWidget *w)
{
    QList<TSpeedButton *> list;
    for (QObject *o : w->children())
        if (auto *b = dynamic_cast<TSpeedButton *>(o))
            list << b;
    return list;
}

// The window does not free a configuration that is still loaded at its end.
struct TFormDeleter {
    void operator()(TMainForm1 *f) const
    {
        if (!f)
            return;
        delete f->APult;
        f->APult = nullptr;
        delete f;
    }
};
using TFormPtr = std::unique_ptr<TMainForm1, TFormDeleter>;

// The program's own help pages beside the program.
bool copyHelpPages(const QString &folder)
{
    QDir source(QStringLiteral(KELVARA_SOURCE_DIR "/help"));
    if (!source.exists() || !QDir().mkpath(folder + QStringLiteral("/help")))
        return false;
    for (const QString &f : source.entryList(QDir::Files))
        if (!QFile::exists(folder + QStringLiteral("/help/") + f) &&
            !QFile::copy(source.filePath(f), folder + QStringLiteral("/help/") + f))
            return false;
    return true;
}

} // namespace

std::int32_t FindPairValue(const TAPult *config, std::int32_t Code);

class TestPanelWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    TFormPtr makeForm()
    {
        TFormPtr form(new TMainForm1(nullptr, QSize(1024, 768)));
        form->resize(1000, 700);
        return form;
    }

    // A configuration of two consoles and the window of console 0.
    QMdiSubWindow *openConsole(TMainForm1 &form)
    {
        form.APult = new TAPult;
        form.APult->Pulty[0] = std::make_unique<TPult>();
        form.APult->Pulty[1] = std::make_unique<TPult>();
        auto *w = new QMdiSubWindow;
        w->setWindowTitle(QStringLiteral("Pult0"));
        w->setAttribute(Qt::WA_DeleteOnClose);
        form.MdiArea->addSubWindow(w);
        w->show();
        form.MdiArea->setActiveSubWindow(w);
        return w;
    }

private slots:
    void initTestCase()
    {
        // The idle window offers the start dialog; here it is left at once.
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        Registry::RegisterClass(QStringLiteral("TOneLineCard"), [] { return std::unique_ptr<TPersistent>(new TOneLineCard); });
        Registry::RegisterClass(QStringLiteral("TPackCard"), [] { return std::unique_ptr<TPersistent>(new TPackCard); });
    }

    void init()
    {
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        prompt_.clear();
    }

    void cleanup()
    {
        platform::SetProgramFolder(QString());
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
    }

    void slotValidityOfTheWindow()
    {
        auto form = makeForm();
        QVERIFY(form->Zoznam);
        const Byte type = form->Zoznam->GetType();
        for (int s = -1; s <= 32; ++s) {
            const bool expected = (s >= 0 && s < form->SlotCount && s < 16) || (s >= 16 && s <= 28 && (type & 1));
            QCOMPARE(form->IsBoardSlotValid(s), expected);
        }
    }

    void createCardByName()
    {
        auto form = makeForm();
        TZoznam *list = form->Zoznam.get();
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 3));
        auto *b = form->Card_Panel->findChild<TSpeedButton *>(QStringLiteral("card3"));
        QVERIFY(b);
        QCOMPARE(b, form->GetCardButton(3));
        QCOMPARE(b->parentWidget(), static_cast<QWidget *>(form->Card_Panel));
        QCOMPARE(b->geometry(), form->BoardPanels[3]->geometry());
        QVERIFY(form->BoardPanels[3]->isHidden());
        QCOMPARE(form->CardOfButton(b)->ClassName(), QStringLiteral("TUL10Card"));
        QCOMPARE(b->text(), b->Tag->GetCardName());
        QCOMPARE(b->GroupIndex, 10);

        QVERIFY(!form->CreateCardByName(QStringLiteral("UL10"), 4));
        QVERIFY(!form->GetCardButton(4));
        // A slot named like the board-type list keeps the list as it is.
        QVERIFY(!form->CreateCardByName(QStringLiteral("TZOZ"), 4));
        QVERIFY(!form->GetCardButton(4));
        QCOMPARE(form->Zoznam.get(), list);
        QVERIFY(!form->CreateCardByName(QStringLiteral("TUL10"), 32));
        QVERIFY(!form->GetCardButton(32));
        QVERIFY(!form->GetCardButton(-1));
        QCOMPARE(form->CardCaptionByName(QStringLiteral("TZOZ")), QString());

        form->FreeCardButton(3);
        QVERIFY(!form->GetCardButton(3));
        QVERIFY(!form->BoardPanels[3]->isHidden());
        form->FreeCardButtons();
        QVERIFY(!form->CardButtonList);
    }

    void pressingStoresBoardCodeOnce()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("T4W5"), 1));
        form->GetCardButton(1)->click();
        form->GetCardButton(1)->click(); // a second click keeps it down
        QVERIFY(form->GetCardButton(1)->Down());
        int n = 0;
        for (const TKodHodnota &e : form->APult->KodHodnota)
            n += e.Kod == 148;
        QCOMPARE(n, 1);
        TSelCard sel;
        form->SelectedCard(sel);
        QCOMPARE(int(sel.Slot), 1);
        QCOMPARE(int(sel.Code), 148);
        QCOMPARE(int(sel.Lines), 5);
        QCOMPARE(form->APult->Pulty[0]->Dosky[1]->MenoDosky, sel.Name);
        // Made for the other console too: empty, board code 0.
        const TDoska *other = form->APult->Pulty[1]->Dosky[1].get();
        QVERIFY(other);
        QVERIFY(other->MenoDosky.isEmpty());
        QCOMPARE(int(other->CisloDosky), 0);
        QCOMPARE(int(other->PocetLiniek), 0);
    }

    // The right button on a card button: the press names it, the release
    // over it opens the board menu; the left button still selects the board.
    void cardButtonRightButton()
    {
        auto form = makeForm();
        openConsole(*form);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 3));
        TSpeedButton *card = form->GetCardButton(3);
        QWindow *window = form->windowHandle();
        const QPoint at = card->mapTo(form.get(), card->rect().center());
        form->ContextTarget = 5;
        QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, at);
        QCOMPARE(form->ContextCard.data(), card);
        QCOMPARE(form->ContextTarget, -1);
        QVERIFY(!form->PopupMenu1->isVisible());
        QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, at);
        QTRY_VERIFY(form->PopupMenu1->isVisible());
        QVERIFY(form->Delete2->isVisible());
        QVERIFY(form->miHelp->isVisible());
        QVERIFY(!form->predchadzajuca->isVisible());
        QVERIFY(!form->dalsia->isVisible());
        form->PopupMenu1->close();
        QTRY_VERIFY(!form->PopupMenu1->isVisible());

        // Released off the button: no menu.
        QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, at);
        QTest::mouseMove(window, at + QPoint(0, 120));
        QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, at + QPoint(0, 120));
        QTest::qWait(20);
        QVERIFY(!form->PopupMenu1->isVisible());
        QVERIFY(!card->Down());

        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(card->Down());
        QVERIFY(form->GetLineButton(0));

        // Without a configuration the menu offers nothing.
        delete form->APult;
        form->APult = nullptr;
        QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, at);
        QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, at);
        QTRY_VERIFY(form->PopupMenu1->isVisible());
        for (QAction *a : form->PopupMenu1->actions())
            QVERIFY2(!a->isVisible(), qPrintable(a->objectName()));
        form->PopupMenu1->close();
    }

    // Help from the board menu: the topic of the slot's card, else the contents.
    void boardHelp_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<unsigned>("command");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::newRow("no topic") << QStringLiteral("TUL10") << 3u << 0 << QStringLiteral("index.html");
        QTest::newRow("SK5") << QStringLiteral("TSK5") << 1u << 20 << QStringLiteral("sk5.html");
        QTest::newRow("SK5_SIG") << QStringLiteral("TSK5_SIG") << 1u << 21 << QStringLiteral("sk5_sig.html");
    }
    void boardHelp()
    {
        QFETCH(QString, name);
        QFETCH(unsigned, command);
        QFETCH(int, context);
        QFETCH(QString, page);
        QVERIFY(copyHelpPages(dir_.path()));
        auto form = makeForm();
        openConsole(*form);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 3));
        form->APult->SlotyDosiek[3].Meno = name;
        TSpeedButton *card = form->GetCardButton(3);
        const QPoint at = card->mapTo(form.get(), card->rect().center());
        QTest::mousePress(form->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
        QTest::mouseRelease(form->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
        QTRY_VERIFY(form->PopupMenu1->isVisible());
        form->miHelp->trigger();
        form->PopupMenu1->close();
        QCOMPARE(form->LastHelpCommand, command);
        QCOMPARE(form->LastHelpData, std::intptr_t(context));
        QVERIFY(CurrentHelpViewer());
        QTRY_VERIFY(CurrentHelpViewer()->CurrentFile().endsWith(QStringLiteral("/") + page));
        FormHelp(HELP_QUIT, 0, form.get());
    }

    // Moving the mouse over a line button or an extended-line button shows
    // its help in the status bar.
    void hintsOnMouseMove()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("T4W5"), 1));
        form->APult->KodHodnota[0] = {148, 3}; // MM lines have extended lines
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->GetCardButton(1)->click();
        TCardOld *card = form->CardOfSlot(1);
        TSpeedButton *line = form->GetLineButton(2);
        QVERIFY(line);
        QWindow *window = form->windowHandle();
        QTest::mouseMove(window, line->mapTo(form.get(), QPoint(5, 5)));
        QTest::mouseMove(window, line->mapTo(form.get(), QPoint(6, 5)));
        QTRY_COMPARE(form->StatusBar1->Text(0), card->GetHelpLin(2));

        form->GetLineButton(0)->click();
        QWidget *roz = form->rozForm;
        QVERIFY(roz);
        QVERIFY(QTest::qWaitForWindowExposed(roz));
        TSpeedButton *ext = nullptr;
        for (TSpeedButton *b : buttonsOf(roz))
            if (!ext && (b->objectName().startsWith(QStringLiteral("roz")) ||
                         b->objectName().startsWith(QStringLiteral("hlr"))))
                ext = b;
        QVERIFY(ext);
        QCOMPARE(HelpContextOf(ext), 1);
        const int n = ext->objectName().mid(3).toInt();
        QTest::mouseMove(roz->windowHandle(), ext->mapTo(roz, QPoint(4, 4)));
        QTest::mouseMove(roz->windowHandle(), ext->mapTo(roz, QPoint(5, 4)));
        QTRY_COMPARE(form->StatusBar1->Text(0), card->GetRozsirLinHelp(0, Byte(n)));
    }

    void noConsoleWindowNoLineButtons()
    {
        auto form = makeForm();
        form->APult = new TAPult;
        form->APult->Pulty[0] = std::make_unique<TPult>();
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 0));
        form->GetCardButton(0)->click();
        QVERIFY(form->APult->Pulty[0]->Dosky[0]);
        QCOMPARE(form->APult->Pulty[0]->Dosky[0]->PocetLiniek, Byte(0));
        QVERIFY(!form->GetLineButton(0));
    }

    void cardAndLineSelection()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 0));
        QVERIFY(form->CreateCardByName(QStringLiteral("T4W5"), 1));
        form->GetCardButton(0)->click();
        QVERIFY(form->GetCardButton(0)->Down());
        for (int i = 0; i < 10; ++i) {
            TSpeedButton *b = form->GetLineButton(i);
            QVERIFY(b);
            QCOMPARE(b->objectName(), QStringLiteral("line%1").arg(i));
            QCOMPARE(b->geometry(), QRect(5 + 62 * i, 5, 62, 44));
            QCOMPARE(b->parentWidget(), static_cast<QWidget *>(form->Line_panel));
        }
        QVERIFY(!form->GetLineButton(10));
        QVERIFY(form->PanelRB);
        QCOMPARE(form->RadioButtons().size(), 7);
        QVERIFY(form->findChild<QRadioButton *>(QStringLiteral("RButton0"))->isChecked());

        form->GetLineButton(2)->click();
        TSelCard card;
        form->SelectedCard(card);
        QCOMPARE(int(card.Slot), 0);
        TSelLine line;
        form->SelectedLine(line);
        QCOMPARE(int(line.Index), 2);
        const QString typed = form->findChild<QRadioButton *>(QStringLiteral("RButton0"))->text() + QStringLiteral("-2");
        QCOMPARE(line.Name, typed);
        QCOMPARE(form->APult->Pulty[0]->Dosky[0]->Linky[2]->MenoLinky, QStringLiteral("E0-L0 - ") + typed);

        // Another card releases the first one and its lines.
        form->GetCardButton(1)->click();
        QVERIFY(!form->GetCardButton(0)->Down());
        QVERIFY(form->GetLineButton(4));
        QVERIFY(!form->GetLineButton(5));
        form->SelectedLine(line);
        QCOMPARE(int(line.Index), 255);
    }

    // A free line with no type checked takes the type stored for its board code.
    void noRadioChecked()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 0));
        form->GetCardButton(0)->click();
        for (QRadioButton *r : form->RadioButtons())
            r->setChecked(false);
        form->GetLineButton(3)->click();
        TSelLine line;
        form->SelectedLine(line);
        Byte g = 0;
        QCOMPARE(line.Name, form->CardOfSlot(0)->GetTypLinName(0, g) + QStringLiteral("-3"));
    }

    void typeChangeStoresValue()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("T4W5"), 1));
        form->GetCardButton(1)->click();
        QCOMPARE(form->RadioButtons().size(), 5);
        form->GetLineButton(0)->click();
        auto *mm = form->findChild<QRadioButton *>(QStringLiteral("RButton3"));
        mm->click();
        QVERIFY(mm->isChecked());
        QCOMPARE(FindPairValue(form->APult, 148), 3);
        QCOMPARE(form->RadioButtons().count(), 5);
        int checked = 0;
        for (QRadioButton *r : form->RadioButtons())
            checked += r->isChecked();
        QCOMPARE(checked, 1);
    }

    void mmWindow()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("T4W5"), 1));
        form->APult->KodHodnota[0] = {148, 3}; // MM
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->GetCardButton(1)->click();
        form->GetLineButton(0)->click();
        QWidget *roz = form->rozForm;
        QVERIFY(roz);
        QCOMPARE(roz->objectName(), QStringLiteral("rozForm"));
        QCOMPARE(roz->windowTitle(), form->CardOfSlot(1)->GetCardName());
        QCOMPARE(roz->property("OuterSize").toSize(), QSize(119, 124));
        QCOMPARE(roz->property("Tag").toInt(), 1);
        const QList<TSpeedButton *> buttons = buttonsOf(roz);
        QCOMPARE(buttons.size(), 9);
        const QList<TRozCell> cells = PlanExtendedLines(*form->CardOfSlot(1), 0);
        QCOMPARE(cells.size(), 10);
        int b = 0;
        for (const TRozCell &c : cells) {
            if (c.Blank)
                continue;
            QCOMPARE(buttons[b]->geometry(), QRect((c.Column - 1) * 58 + 1, (c.Row - 1) * 20 + 1, 53, 20));
            const QString name = buttons[b]->objectName();
            QVERIFY(name == QStringLiteral("roz%1").arg(c.Code) || name == QStringLiteral("hlr%1").arg(c.Code));
            QCOMPARE(buttons[b]->text(), c.Name);
            ++b;
        }
        // First opening: 25 pixels inside the main window's right edge, 73 below its top.
        const QRect main = form->frameGeometry();
        QCOMPARE(roz->frameGeometry().topLeft(), QPoint(main.left() + main.width() - 119 - 25, main.top() + 73));

        // Pressing an extended line makes it in both consoles.
        buttons[1]->click();
        TSelRLine r;
        form->SelectedRLine(r);
        QCOMPARE(r.Name, buttons[1]->text());
        QVERIFY(RLine(form->APult->Pulty[0].get(), 1, 0, r.Position));
        QVERIFY(RLine(form->APult->Pulty[1].get(), 1, 0, r.Position));
        QCOMPARE(form->FindRozButton(-1), buttons[1]);

        // Moved and closed, it opens again where it was.
        roz->move(40, 30);
        form->CloseRozForm();
        QVERIFY(!form->rozForm);
        form->ClickRB();
        QVERIFY(form->rozForm);
        QCOMPARE(form->rozForm->frameGeometry().topLeft(), QPoint(40, 30));
        // The user's close forgets the window too.
        form->rozForm->close();
        QVERIFY(!form->rozForm);
    }

    void oneLineCardOpensWindowDirectly()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("TOneLine"), 2));
        form->APult->KodHodnota[0] = {148, 3};
        form->GetCardButton(2)->click();
        QVERIFY(form->rozForm);
        QVERIFY(!form->GetLineButton(0));
        QVERIFY(form->Line_panel->findChildren<TSpeedButton *>().isEmpty());
        QCOMPARE(buttonsOf(form->rozForm).size(), 9);
        TSelLine line;
        form->SelectedLine(line);
        QCOMPARE(int(line.Index), 0);
    }

    void packedCell()
    {
        auto form = makeForm();
        openConsole(*form);
        QVERIFY(form->CreateCardByName(QStringLiteral("TPack"), 3));
        form->GetCardButton(3)->SetDown(true);
        form->Vytvor(form->rozForm, form->CardOfSlot(3), 0);
        QWidget *roz = form->rozForm;
        QVERIFY(roz);
        auto *label = roz->findChild<QLabel *>(QStringLiteral("lab03000A"));
        QVERIFY(label);
        QCOMPARE(label->pos(), QPoint(2, 5));
        QCOMPARE(label->text(), QStringLiteral("Page 5")); // help of position 5 less three characters
        auto *spin = roz->findChild<QSpinBox *>(QStringLiteral("spe03000A"));
        QVERIFY(spin);
        QCOMPARE(spin->pos(), QPoint(1, 21));
        QCOMPARE(spin->value(), 1);
        QList<TSpeedButton *> pages;
        for (int k = 0; k < 4; ++k) {
            auto *b = roz->findChild<TSpeedButton *>(QStringLiteral("b0") + QString::number(k) + QStringLiteral("03000A"));
            QVERIFY(b);
            QCOMPARE(b->pos(), QPoint(1, 41 + 20 * k));
            QCOMPARE(b->text(), QStringLiteral("P%1").arg(10 + k));
            pages << b;
        }
        spin->setValue(2);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(pages[k]->text(), QStringLiteral("P%1").arg(18 + k));
        spin->setValue(1);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(pages[k]->text(), QStringLiteral("P%1").arg(14 + k));
        spin->setValue(4); // above its highest page
        for (TSpeedButton *b : pages)
            QVERIFY(b->isHidden());
        spin->setValue(2);
        // Selecting a page takes the position the card gives its caption.
        pages[2]->click();
        TSelRLine r;
        form->SelectedRLine(r);
        QCOMPARE(int(r.Position), 20);
    }

    void closeAllConsolesReentry()
    {
        auto form = makeForm();
        openConsole(*form);
        auto *probe = new TProbeWindow;
        probe->setWindowTitle(QStringLiteral("Pult1"));
        probe->setAttribute(Qt::WA_DeleteOnClose);
        form->MdiArea->addSubWindow(probe);
        probe->show();
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 0));
        form->ConsoleClosingFlag = 1;
        bool inner = true;
        int openDuringInner = -1;
        Byte closingFlagSeen = 255;
        TMainForm1 *f = form.get();
        probe->onClose = [&, f] {
            openDuringInner = int(f->MdiArea->subWindowList().size());
            inner = f->CloseAllConsoles();
            closingFlagSeen = f->ConsoleClosingFlag;
        };
        form->CloseAccepted = 1;
        QVERIFY(form->CloseAllConsoles());
        QVERIFY(!inner);                    // returned at once
        QCOMPARE(openDuringInner, 2);       // and closed nothing itself
        QCOMPARE(int(closingFlagSeen), 0);  // the user's closing flag is off meanwhile
        QVERIFY(!form->APult);
        QVERIFY(!form->CardButtonList);
        QCOMPARE(int(form->ModifiedFlag), 0);
        QCOMPARE(int(form->ClosingGuard), 0);
    }

    void closeAllConsolesRefused()
    {
        auto form = makeForm();
        openConsole(*form);
        auto *probe = new TProbeWindow;
        probe->setWindowTitle(QStringLiteral("Pult1"));
        form->MdiArea->addSubWindow(probe);
        probe->show();
        TMainForm1 *f = form.get();
        probe->onClose = [f] { f->CloseAccepted = 0; };
        QVERIFY(!form->CloseAllConsoles());
        QVERIFY(form->APult);
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(int(form->ClosingGuard), 0);
    }

    void freeAndClearConsole()
    {
        std::unique_ptr<TAPult> config = fixture::BuildFixture();
        TMainForm1::ClearConsole(config.get(), 0);
        const TPult &p = *config->Pulty[0];
        for (const auto &board : p.Dosky)
            if (board)
                for (int l = 0; l < board->PocetLiniek; ++l)
                    if (board->Linky[l]) {
                        QCOMPARE(int(board->Linky[l]->Klavesa), 255);
                        for (int r = 0; r < board->Linky[l]->PocetRLiniek; ++r)
                            if (board->Linky[l]->RLinky[r])
                                QCOMPARE(int(board->Linky[l]->RLinky[r]->Klavesa), 255);
                    }
        for (const auto &k : p.Klavesy)
            if (k)
                QCOMPARE(k->MenoLinky, QStringLiteral("nekonf"));
        TMainForm1::FreeConsole(config.get(), 0);
        QVERIFY(!config->Pulty[0]);
        QVERIFY(config->Pulty[1]);
        TMainForm1::FreeConsole(config.get(), 5); // nothing there
        TMainForm1::ClearConsole(config.get(), -1);
    }

    void queriesWithoutSelection()
    {
        auto form = makeForm();
        TSelCard c;
        form->SelectedCard(c);
        QCOMPARE(int(c.Slot), 255);
        TSelLine l;
        form->SelectedLine(l);
        QCOMPARE(l.Name, QStringLiteral("nekonf"));
        TSelRLine r;
        form->SelectedRLine(r);
        QCOMPARE(int(r.Position), 255);
        TConsoleInfo i;
        form->ActiveConsoleInfo(i);
        QCOMPARE(int(i.Number), 255);
        QVERIFY(!form->GetLineButton(0));
        QVERIFY(!form->GetRLineButton(0));
        QVERIFY(!form->CardModeMatches(3, 0));
        QCOMPARE(form->CardLineText(40, 0), QString());
        QCOMPARE(int(form->CardLineTypeNumber(-1, 0)), 255);
        form->ShowCard(false, -1);
        form->SelectCardAndLine(true);
        form->SyncCardWithActiveConsole();
    }

    // Pictures for a look by eye, when a folder is named for them.
    void screenshots()
    {
        const QString out = qEnvironmentVariable("KELVARA_SCREENSHOTS");
        if (out.isEmpty())
            QSKIP("KELVARA_SCREENSHOTS not set");
        auto form = makeForm();
        openConsole(*form);
        form->show();
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), 0));
        QVERIFY(form->CreateCardByName(QStringLiteral("T4W5"), 1));
        form->APult->KodHodnota[0] = {148, 3};
        form->GetCardButton(1)->click();
        form->GetLineButton(0)->click();
        QTest::qWait(50);
        QVERIFY(form->grab().save(out + QStringLiteral("/main.png")));
        QVERIFY(form->rozForm);
        QVERIFY(form->rozForm->grab().save(out + QStringLiteral("/rozform.png")));
        form->GetCardButton(0)->click();
        form->GetLineButton(1)->click();
        QTest::qWait(50);
        QVERIFY(form->grab().save(out + QStringLiteral("/main_ul10.png")));
    }
};

QTEST_MAIN(TestPanelWindow)
#include "test_panelwindow.moc"
