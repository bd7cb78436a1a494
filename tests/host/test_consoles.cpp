// The console windows inside the main window: opening, binding through the
// host, closing all and Exit.
#include <QtTest>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTemporaryDir>

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
        QVERIFY(form->CreateCardByName(QStringLiteral("TUL10"), slot));
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
