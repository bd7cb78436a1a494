// The console windows inside the main window: opening, binding through the
// host, closing all and Exit.
#include <QtTest>

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "mainwindow/consolehostimpl.h"
#include "mainwindow/mainform.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/consolehost.h"
#include "windows/helpchm.h"
#include "windows/helpviewer.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace {

TMDIChild *windowNamed(TMainForm1 &form, const QString &name)
{
    for (QMdiSubWindow *w : form.MdiArea->subWindowList())
        if (w->objectName() == name)
            return qobject_cast<TMDIChild *>(w);
    return nullptr;
}

// A free key of the window's console, shown without a caption.
int freeKey(TAPult &config, TMDIChild *w, int from = 0)
{
    const TPult &console = *config.Pulty[w->ConsoleNo];
    for (int i = from; i <= w->LastKeyNumber(); ++i)
        if (!IsConfiguredKey(console.Klavesy[i].get()) && w->GetButton(i)->Caption().isEmpty())
            return i;
    return -1;
}

// A real click in the main window at a point of one of its widgets.
void clickAt(TMainForm1 &form, QWidget *w, QPoint p)
{
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, w->mapTo(&form, p));
}

void clickKey(TMainForm1 &form, TColorButton *key)
{
    clickAt(form, key, key->rect().center());
}

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

class TestConsoles : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    // A main window with the fixture loaded and its console windows open.
    std::unique_ptr<TMainForm1> openForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->resize(1200, 900);
        form->show();
        form->APult = fixture::BuildFixture().release();
        form->PultTyp[0] = 1;
        form->PultTyp[1] = 2;
        return form;
    }

private slots:
    void initTestCase()
    {
        // The idle window offers the start dialog; here it is left at once.
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        fixture::LoadLanguage();
        scope_ = std::make_unique<TPromptScope>(&prompt_);
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

    void hostInstalledWhileFormLives()
    {
        {
            TMainForm1 form(nullptr, QSize(1024, 768));
            QVERIFY(form.ConsoleHostImpl);
            QCOMPARE(ConsoleHost(), static_cast<TConsoleHost *>(form.ConsoleHostImpl.get()));
            QCOMPARE(int(form.ConsoleClosingFlag), 1);
            QVERIFY(form.ConsoleHostImpl->ConsoleClosing());
            // The device dialogue's side serves its windows through the same host.
            form.DialogueSide();
            QCOMPARE(ConsoleHost(), static_cast<TConsoleHost *>(form.ConsoleHostImpl.get()));
            form.ConsoleHostImpl->SetConsoleClosing(false);
            QCOMPARE(int(form.ConsoleClosingFlag), 0);
        }
        QCOMPARE(ConsoleHost(), nullptr);
    }

    void noveOpensBothConsoles()
    {
        auto form = openForm();
        QVERIFY(!form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, nullptr));
        QVERIFY(form->MdiArea->subWindowList().isEmpty());

        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        QCOMPARE(form->ConsoleHostImpl->ConsoleWindows().size(), 2);
        struct Row {
            int console;
            int pages;
            int keysOnLastPage;
        };
        // PC console: 80 + 80 + 64 keys; mechanical: 112 + 112.
        for (const Row &row : {Row{0, 3, 64}, Row{1, 2, 112}}) {
            const QString name = QStringLiteral("Pult") + QString::number(row.console);
            TMDIChild *w = windowNamed(*form, name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->windowTitle(), name);
            QCOMPARE(w->ConsoleNo, row.console);
            QCOMPARE(w->KeyList.size(), KeyCount);
            QCOMPARE(w->PageControl1->count(), row.pages);
            QCOMPARE(w->PanelList.last()->findChildren<TColorButton *>().size(), row.keysOnLastPage);
            QVERIFY(w->PageControl1->isEnabled());
            QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
            // Bound keys show their names.
            const TPult &console = *form->APult->Pulty[row.console];
            int shown = 0;
            for (int k = 0; k < KeyCount; ++k) {
                const TKlavesa *key = console.Klavesy[k].get();
                if (!key || key->MenoLinky.isEmpty())
                    continue;
                QCOMPARE(w->GetButton(k)->Caption(), key->MenoKlavesy);
                ++shown;
            }
            QVERIFY(shown > 0);
        }
        QCOMPARE(int(form->CloseAccepted), 0);
    }

    void pageControlFollowsConsoleType()
    {
        auto form = openForm();
        form->PultTyp[1] = 0;
        QVERIFY(form->NovyPult(1, QStringLiteral("Pult"), form->APult, LoadStrDll(18)));
        TMDIChild *w = windowNamed(*form, QStringLiteral("Pult1"));
        QVERIFY(w);
        QVERIFY(!w->PageControl1->isEnabled());
        QVERIFY(!form->NovyPult(5, QStringLiteral("Pult"), form->APult, LoadStrDll(18)));
    }

    void activeWindowAndDeleteThroughHost()
    {
        auto form = openForm();
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        TMDIChild *w0 = windowNamed(*form, QStringLiteral("Pult0"));
        form->MdiArea->setActiveSubWindow(w0);
        TMainConsoleHost &host = *form->ConsoleHostImpl;
        QTRY_COMPARE(host.ActiveConsoleWindow(), w0);
        QCOMPARE(host.ActiveConsoleNo(), 0);

        // A bound key of console 0.
        TPult &console = *form->APult->Pulty[0];
        int k = -1;
        for (int i = 0; i < KeyCount && k < 0; ++i)
            if (console.Klavesy[i] && console.Klavesy[i]->HWPozicDosky < BoardCount
                && console.Klavesy[i]->MenoLinky != QStringLiteral("nekonf") && !w0->GetButton(i)->Caption().isEmpty())
                k = i;
        QVERIFY(k >= 0);
        QVERIFY(BindingFaults(*form->APult).isEmpty());
        QVERIFY(host.DeleteKeys(k, true, false, true));
        QVERIFY(!w0->GetButton(k)->Caption().isEmpty()); // only a test
        QVERIFY(host.DeleteKeys(k, true, false, false));
        QVERIFY(w0->GetButton(k)->Caption().isEmpty());
        QVERIFY(!IsConfiguredKey(console.Klavesy[k].get()));
        QVERIFY2(BindingFaults(*form->APult).isEmpty(), qPrintable(BindingFaults(*form->APult).join('\n')));
        QCOMPARE(int(form->ModifiedFlag), 1);

        // Nothing selected: nothing is bound and the caption stays.
        QString caption = QStringLiteral("unchanged");
        QVERIFY(!host.AssignLineToKey(k, caption));
        QCOMPARE(caption, QStringLiteral("unchanged"));
    }

    void cardLineAndKeyClickBind()
    {
        auto form = openForm();
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        TMDIChild *w0 = windowNamed(*form, QStringLiteral("Pult0"));
        form->MdiArea->setActiveSubWindow(w0);
        QTRY_COMPARE(form->ConsoleHostImpl->ActiveConsoleWindow(), w0);
        const int slot = 6;
        QVERIFY(!form->APult->Pulty[0]->Dosky[slot]);
        // Placed as the card-type menu places it: the slot names its card.
        form->ContextTarget = slot;
        form->PMClick(QStringLiteral("UL10"));
        QVERIFY(form->GetCardButton(slot));
        form->GetCardButton(slot)->click();
        QVERIFY(form->GetLineButton(0));
        form->GetLineButton(0)->click();
        QVERIFY(form->GetLineButton(0)->Down());

        // A free key of console 0.
        const TPult &console = *form->APult->Pulty[0];
        int k = -1;
        for (int i = 0; i <= w0->LastKeyNumber() && k < 0; ++i)
            if (!IsConfiguredKey(console.Klavesy[i].get()) && w0->GetButton(i)->Caption().isEmpty())
                k = i;
        QVERIFY(k >= 0);
        TColorButton *key = w0->GetButton(k);
        QCOMPARE(key->Tag, k);
        w0->ButtonClick(key);
        const TKlavesa *bound = console.Klavesy[k].get();
        QVERIFY(bound);
        QVERIFY(!key->Caption().isEmpty());
        QCOMPARE(key->Caption(), bound->MenoKlavesy);
        QCOMPARE(int(bound->HWPozicDosky), slot);
        QCOMPARE(int(bound->PozicLinky), 0);
        QVERIFY(console.Dosky[slot] && console.Dosky[slot]->Linky[0]);
        QCOMPARE(int(console.Dosky[slot]->Linky[0]->Klavesa), k);
        QVERIFY2(BindingFaults(*form->APult).isEmpty(), qPrintable(BindingFaults(*form->APult).join('\n')));
        QCOMPARE(int(form->ModifiedFlag), 1);
    }

    // Activating the console windows in turn: the line buttons show the
    // bindings of the console that is active now, not of the one before.
    void activationShowsItsConsolesLines()
    {
        auto form = openForm();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        TMDIChild *w0 = windowNamed(*form, QStringLiteral("Pult0"));
        TMDIChild *w1 = windowNamed(*form, QStringLiteral("Pult1"));
        QVERIFY(w0 && w1);
        form->MdiArea->tileSubWindows();
        form->MdiArea->setActiveSubWindow(w0);
        const int slot = 6;
        // Placed as the card-type menu places it: the slot names its card.
        form->ContextTarget = slot;
        form->PMClick(QStringLiteral("UL10"));
        QVERIFY(form->GetCardButton(slot));
        QTest::mouseClick(form->GetCardButton(slot), Qt::LeftButton);
        QTest::mouseClick(form->GetLineButton(0), Qt::LeftButton);
        const int k0 = freeKey(*form->APult, w0);
        QVERIFY(k0 >= 0);
        clickKey(*form, w0->GetButton(k0));
        QCOMPARE(int(form->APult->Pulty[0]->Dosky[slot]->Linky[0]->Klavesa), k0);
        QVERIFY(!form->GetLineButton(0)->isEnabled()); // bound in console 0

        // Console 1 has the line free: its button is enabled at once.
        form->MdiArea->setActiveSubWindow(w1);
        QVERIFY(form->GetLineButton(0));
        QVERIFY(form->GetLineButton(0)->isEnabled());
        form->MdiArea->setActiveSubWindow(w0);
        QVERIFY(!form->GetLineButton(0)->isEnabled());
        // The user clicks the other window's title bar.
        clickAt(*form, w1, QPoint(w1->width() / 2, 6));
        QTRY_COMPARE(form->MdiArea->activeSubWindow(), static_cast<QMdiSubWindow *>(w1));
        QVERIFY(form->GetLineButton(0)->isEnabled());

        // Binding it in console 1 works as in console 0.
        QTest::mouseClick(form->GetLineButton(0), Qt::LeftButton);
        QVERIFY(form->GetLineButton(0)->Down());
        const int k1 = freeKey(*form->APult, w1);
        QVERIFY(k1 >= 0);
        clickKey(*form, w1->GetButton(k1));
        QVERIFY(!w1->GetButton(k1)->Caption().isEmpty());
        const TKlavesa &bound = *form->APult->Pulty[1]->Klavesy[k1];
        QCOMPARE(int(bound.HWPozicDosky), slot);
        QCOMPARE(int(bound.PozicLinky), 0);
        QCOMPARE(int(form->APult->Pulty[1]->Dosky[slot]->Linky[0]->Klavesa), k1);
        QVERIFY2(BindingFaults(*form->APult).isEmpty(), qPrintable(BindingFaults(*form->APult).join('\n')));
        clickAt(*form, w0, QPoint(w0->width() / 2, 6));
        QTRY_COMPARE(form->MdiArea->activeSubWindow(), static_cast<QMdiSubWindow *>(w0));
        QVERIFY(!form->GetLineButton(0)->isEnabled());
    }

    // Key editing in the main window: Ctrl+M moves a marked key with its
    // listing in a view of its own, a click places it, Del deletes it. The
    // listing never takes the keyboard from the console window.
    void keyEditingFromTheKeyboardAndMouse()
    {
        auto form = openForm();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        TMDIChild *w1 = windowNamed(*form, QStringLiteral("Pult1"));
        QVERIFY(w1);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->MdiArea->setActiveSubWindow(w1);
        QTRY_COMPARE(form->MdiArea->activeSubWindow(), static_cast<QMdiSubWindow *>(w1));
        TPult &console = *form->APult->Pulty[1];
        int k = -1;
        for (int i = 0; i <= w1->LastKeyNumber() && k < 0; ++i)
            if (IsConfiguredKey(console.Klavesy[i].get()) && !w1->GetButton(i)->Caption().isEmpty()
                && w1->GetButton(i)->isVisible())
                k = i;
        QVERIFY(k >= 0);
        const QString name = w1->GetButton(k)->Caption();
        const int slot = console.Klavesy[k]->HWPozicDosky, line = console.Klavesy[k]->PozicLinky;
        form->Memo1->setPlainText(QStringLiteral("program log"));

        TColorButton *source = w1->GetButton(k);
        QWindow *window = form->windowHandle();
        // Marking by mouse is the console window's own test; here the key is marked.
        w1->SetActive(source);
        w1->SetNegative(source);
        QVERIFY(TMDIChild::IsMarked(source));

        QTest::keyClick(w1, Qt::Key_M, Qt::ControlModifier);
        QVERIFY(w1->Moving());
        // The free key below the source in its column, when there is one, else above.
        int target = -1;
        for (int t : {k - 1, k + 1, k - int(w1->Rows), k + int(w1->Rows)})
            if (t >= 0 && t <= w1->LastKeyNumber() && !IsConfiguredKey(console.Klavesy[t].get())
                && w1->GetButton(t)->Caption().isEmpty() && w1->GetButton(t)->isVisible() && target < 0)
                target = t;
        QVERIFY(target >= 0);
        TColorButton *to = w1->GetButton(target);
        QTest::mouseMove(window, to->mapTo(form.get(), to->rect().center()));
        QVERIFY(form->MoveListing && form->MoveListing->isVisible());
        QVERIFY(!form->MoveListing->toPlainText().isEmpty());
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("program log"));
        QCOMPARE(QApplication::activeWindow(), form.get());
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, to->mapTo(form.get(), to->rect().center()));
        QVERIFY(!w1->Moving());
        QVERIFY2(BindingFaults(*form->APult).isEmpty(), qPrintable(BindingFaults(*form->APult).join('\n')));
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("program log"));
        // Wherever the snap put it, the line follows its key.
        const int placed = console.Dosky[slot]->Linky[line]->Klavesa;
        QVERIFY(placed != k && placed < KeyCount);
        QCOMPARE(w1->GetButton(placed)->Caption(), name);
        QVERIFY(w1->GetButton(k)->Caption().isEmpty());

        // Del deletes the marked key with its binding.
        w1->SetActive(w1->GetButton(placed));
        w1->SetNegative(w1->GetButton(placed));
        prompt_.Answer(TPrompt::Yes);
        QTest::keyClick(w1, Qt::Key_Delete);
        prompt_.clear();
        QVERIFY(!IsConfiguredKey(console.Klavesy[placed].get()));
        QCOMPARE(int(console.Dosky[slot]->Linky[line]->Klavesa), 255);
        QVERIFY2(BindingFaults(*form->APult).isEmpty(), qPrintable(BindingFaults(*form->APult).join('\n')));
    }

    // The key's menu opens its properties dialog through the main window; OK
    // without a change leaves the configuration as it was.
    void keyMenuOpensKeyProperties()
    {
        auto form = openForm();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        TMDIChild *w1 = windowNamed(*form, QStringLiteral("Pult1"));
        QVERIFY(w1);
        form->MdiArea->setActiveSubWindow(w1);
        QTRY_COMPARE(form->MdiArea->activeSubWindow(), static_cast<QMdiSubWindow *>(w1));
        const TPult &console = *form->APult->Pulty[1];
        int k = -1;
        for (int i = 0; i <= w1->LastKeyNumber() && k < 0; ++i)
            if (IsConfiguredKey(console.Klavesy[i].get()) && w1->GetButton(i)->isVisible())
                k = i;
        QVERIFY(k >= 0);
        const QString before = BindingFaults(*form->APult).join('\n');
        QString shown;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            watch.stop();
            shown = dialog->objectName();
            if (auto *ok = dialog->findChild<QAbstractButton *>(QStringLiteral("bOK")))
                ok->click();
            else
                dialog->close();
        });
        TColorButton *key = w1->GetButton(k);
        w1->SetActive(key);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, key->rect().center(), key->mapToGlobal(key->rect().center()));
        QApplication::sendEvent(key, &menu);
        QTRY_VERIFY(w1->PopupMenu1->isVisible());
        QVERIFY(w1->Vlastnosti1->isVisible() && w1->Vlastnosti1->isEnabled());
        w1->PopupMenu1->setActiveAction(w1->Vlastnosti1);
        watch.start();
        QTest::keyClick(w1->PopupMenu1, Qt::Key_Return);
        QCOMPARE(shown, QStringLiteral("Vl"));
        QCOMPARE(BindingFaults(*form->APult).join('\n'), before);
    }

    // The console buttons show each console's type once the windows are built.
    void pultButtonsShowConsoleTypes_data()
    {
        QTest::addColumn<int>("type0");
        QTest::addColumn<int>("type1");
        QTest::newRow("PC and mechanical") << 1 << 2;
        QTest::newRow("mechanical, none") << 2 << 0;
    }
    void pultButtonsShowConsoleTypes()
    {
        QFETCH(int, type0);
        QFETCH(int, type1);
        auto form = openForm();
        form->PultTyp[0] = Byte(type0);
        form->PultTyp[1] = Byte(type1);
        QCOMPARE(form->sbPult1->toolTip(), QStringLiteral("Pult 1"));
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        const int types[2] = {type0, type1};
        QToolButton *buttons[2] = {form->sbPult0, form->sbPult1};
        for (int n = 0; n < 2; ++n) {
            const QString hint =
                types[n] == 0 ? QStringLiteral("Pult %1").arg(n)
                              : QStringLiteral("Pult %1 (%2)").arg(n).arg(LoadStrDll(types[n] == 1 ? 9 : 10));
            QCOMPARE(buttons[n]->toolTip(), hint);
            QCOMPARE(buttons[n]->statusTip(), hint);
            if (types[n] == 0)
                QVERIFY(buttons[n]->icon().isNull());
            else
                QCOMPARE(buttons[n]->icon().cacheKey(), form->ImageList1[types[n] == 2 ? 0 : 1].cacheKey());
        }
    }

    // F1 in a console window asks for the active control's help: the active
    // key's context, or the window's area without one; context help names
    // the control clicked.
    void helpInConsoleWindow()
    {
        QVERIFY(copyHelpPages(dir_.path()));
        auto form = openForm();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        TMDIChild *w0 = windowNamed(*form, QStringLiteral("Pult0"));
        form->MdiArea->setActiveSubWindow(w0);
        auto pressF1 = [&](Qt::KeyboardModifiers mods = Qt::NoModifier) {
            // The help window took the focus: it goes, the main window is active again.
            if (CurrentHelpViewer())
                FormHelp(HELP_QUIT, 0, form.get());
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            QVERIFY(focus == w0 || w0->isAncestorOf(focus));
            QTest::keyClick(focus, Qt::Key_F1, mods);
        };

        // No active key: the console windows' area.
        pressF1();
        QCOMPARE(form->LastHelpCommand, unsigned(HELP_CONTEXT));
        QCOMPARE(form->LastHelpData, std::intptr_t(9));
        QVERIFY(CurrentHelpViewer());
        QTRY_VERIFY(CurrentHelpViewer()->CurrentFile().endsWith(QStringLiteral("/okno.html")));

        // An active key: the key's own context.
        int k = -1;
        for (int i = 0; i < KeyCount && k < 0; ++i)
            if (!w0->GetButton(i)->Caption().isEmpty())
                k = i;
        QVERIFY(k >= 0);
        clickKey(*form, w0->GetButton(k));
        QVERIFY(TMDIChild::IsActive(w0->GetButton(k)));
        form->LastHelpCommand = 0;
        pressF1();
        QCOMPARE(form->LastHelpCommand, unsigned(HELP_CONTEXT));
        QCOMPARE(form->LastHelpData, std::intptr_t(1));
        QTRY_VERIFY(CurrentHelpViewer()->CurrentFile().endsWith(QStringLiteral("/index.html")));

        // Context help: Shift+F1, then a click on the control.
        form->LastHelpCommand = 0;
        pressF1(Qt::ShiftModifier);
        QCOMPARE(form->LastHelpCommand, 0u);
        QTest::mouseClick(form->Card_Panel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(form->LastHelpCommand, unsigned(HELP_CONTEXT));
        QCOMPARE(form->LastHelpData, std::intptr_t(11));
        QTRY_VERIFY(CurrentHelpViewer()->CurrentFile().endsWith(QStringLiteral("/konfig.html")));
        // The mode ends with that click: the next click is an ordinary one.
        form->LastHelpCommand = 0;
        QTest::mouseClick(form->Card_Panel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(form->LastHelpCommand, 0u);
        FormHelp(HELP_QUIT, 0, form.get());
    }

    void closeAllFreesConfiguration()
    {
        auto form = openForm();
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        form->ModifiedFlag = 0;
        QVERIFY(form->CloseAllConsoles());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form->MdiArea->subWindowList().isEmpty());
        QCOMPARE(form->APult, nullptr);
        QCOMPARE(int(form->CloseAccepted), 1);
        QCOMPARE(int(form->ConsoleClosingFlag), 1);
        // Nothing open: at once true.
        QVERIFY(form->CloseAllConsoles());
    }

    void closeAllRefusedKeepsConfiguration()
    {
        auto form = openForm();
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        form->ModifiedFlag = 1;
        prompt_.Answer(TPrompt::Cancel);
        QVERIFY(!form->CloseAllConsoles());
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].text, LoadStrDll(33));
        prompt_.clear();
        QCOMPARE(form->ConsoleHostImpl->ConsoleWindows().size(), 2);
        QVERIFY(form->APult);
        QCOMPARE(int(form->ModifiedFlag), 1);
    }

    void exitWithUnsavedProjectAnsweredNo()
    {
        auto form = openForm();
        QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
        form->ModifiedFlag = 1;
        prompt_.Answer(TPrompt::No);
        form->Close1Click();
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].text, LoadStrDll(33));
        prompt_.clear();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->APult, nullptr);
        QCOMPARE(form->ConsoleHostImpl->ConsoleWindows().size(), 0);
    }
};

QTEST_MAIN(TestConsoles)
#include "test_consoles.moc"
