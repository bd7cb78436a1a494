// The main window's start action, Exit and its waits, the status tick, the
// menus and the slow-down timer, under offscreen.
#include <QtTest>

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <stdexcept>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform.h"
#include "windows/nastav.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace {

QStringList gArgs;
QStringList testArguments() { return gArgs; }

// A window whose own timer and activation stay out of the way: each test drives them.
std::unique_ptr<TMainForm1> makeForm()
{
    auto form = std::make_unique<TMainForm1>(nullptr, QSize(1024, 768));
    form->TimerStatus->stop();
    form->FirstActivation = 0;
    form->Arguments = testArguments;
    // New and Open from the start dialog: their own dialogs are cancelled.
    form->DialogueSide().NovyPultExec = [](TNovyPult &) { return int(NovyPultCancel); };
    return form;
}

} // namespace

class TestLifeForm : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    QString makeFile(const QString &name)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("x");
        return path;
    }

private slots:
    void initTestCase()
    {
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(TEST_LANG_LIBRARY));
        QVERIFY(HInstDll > 32);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        platform::SetTimeScale(0.05);
        TMainForm1::FileDialogExec = [](QFileDialog &, QString &) { return int(QDialog::Rejected); };
    }

    void init()
    {
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        prompt_.clear();
        gArgs = QStringList{QStringLiteral("kelvara")};
    }

    void cleanup()
    {
        TMainForm1::StartDialogExec = nullptr;
        platform::SetProgramFolder(QString());
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
    }

    // Each button of the start dialog, clicked for real, to its result and the choice run.
    void startDialogButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("choice");
        QTest::newRow("settings") << "BitBtn2" << int(WizardResultChoice) << 1;
        QTest::newRow("acf") << "BitBtn6" << int(WizardResultChoice) << 2;
        QTest::newRow("cfg") << "BitBtn7" << int(WizardResultChoice) << 3;
        QTest::newRow("uni") << "BitBtn8" << int(WizardResultChoice) << 4;
        QTest::newRow("new") << "BitBtn1" << int(WizardResultChoice) << 5;
        QTest::newRow("open") << "BitBtn4" << int(WizardResultChoice) << 7;
        QTest::newRow("close") << "BitBtn5" << int(WizardResultCancel) << 0;
        QTest::newRow("frame") << "" << int(WizardResultCancel) << 0;
    }
    void startDialogButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        QFETCH(int, choice);
        auto form = makeForm();
        QVERIFY(form->Zoznam);
        int got = -1;
        QString title, group;
        bool enabled = false;
        form->StartDialogExec = [&](TWizard &d) {
            title = d.windowTitle();
            group = d.GroupBox1->title();
            QTimer::singleShot(0, &d, [&d, button, &enabled] {
                if (button.isEmpty()) {
                    d.close(); // the frame's close
                    return;
                }
                QPushButton *b = d.Button(button);
                enabled = b && b->isEnabled();
                if (b)
                    b->click();
            });
            got = d.exec();
            return got;
        };
        // The settings choice opens the settings dialog with the console layout locked.
        int settingsShown = 0;
        bool layoutEnabled = true;
        TMainForm1::SettingsDialogExec = [&](TNastav1 &d) {
            ++settingsShown;
            layoutEnabled = d.GroupBox1->isEnabled();
            return int(QDialog::Rejected);
        };
        // The UNI choice asks for its file; Cancel there leaves the fresh program as it was.
        int uniAsked = 0;
        form->DialogueSide().ChooseFileExec = [&](const QString &, const QString &, QString &) {
            ++uniAsked;
            return false;
        };
        form->RunStartAction(0);
        TMainForm1::SettingsDialogExec = nullptr;
        QCOMPARE(uniAsked, choice == 4 ? 1 : 0);
        QCOMPARE(settingsShown, choice == 1 ? 1 : 0);
        if (settingsShown)
            QVERIFY(!layoutEnabled);
        QCOMPARE(got, result);
        QCOMPARE(form->StartDialogShows, 1);
        QCOMPARE(title, QStringLiteral("T90"));
        QCOMPARE(group, QStringLiteral(" T90 "));
        if (!button.isEmpty())
            QVERIFY(enabled);
        QCOMPARE(form->LastStartChoice, choice);
        QCOMPARE(form->StartActionGuard, Byte(0));
        QVERIFY(!form->StartDialog);
        // Cancel ends the program through Exit.
        QCOMPARE(form->Dialogue().OperationMode, Byte(result == WizardResultCancel ? 11 : 0));
        QCOMPARE(form->NotFromStartDialog, Byte(1));
        if (choice == 4) {
            QVERIFY(prompt_.texts().isEmpty());
            QVERIFY(!form->APult);
        }
    }

    // A failed relay link leaves only close, about and help.
    void udpFailedDisablesChoices()
    {
        auto form = makeForm();
        QStringList enabled;
        form->StartDialogExec = [&](TWizard &d) {
            for (QPushButton *b : d.findChildren<QPushButton *>())
                if (b->isEnabled())
                    enabled << b->objectName();
            return 0;
        };
        form->RunStartAction(1);
        enabled.sort();
        QCOMPARE(enabled, (QStringList{"BitBtn11", "BitBtn5", "BitBtn9"}));
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
    }

    void fileArgument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("opens"); // what the open routine answers
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("shows");
        QTest::newRow("project opens") << QStringList{"PROJECT"} << true << "PROJECT" << 0;
        QTest::newRow("project fails") << QStringList{"PROJECT"} << false << "PROJECT" << 1;
        QTest::newRow("-nwnp") << QStringList{"-nwnp"} << true << "" << 0;
        QTest::newRow("missing file") << QStringList{"NOFILE"} << true << "" << 0;
        QTest::newRow("no argument") << QStringList{} << true << "" << 1;
        QTest::newRow("-i and project") << QStringList{"-i", "10.0.0.7", "u", "p", "x", "PROJECT"} << true
                                        << "PROJECT" << 0;
    }
    void fileArgument()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, opens);
        QFETCH(QString, opened);
        QFETCH(int, shows);
        const QString project = makeFile(QStringLiteral("p.kel"));
        for (QString &a : args) {
            a.replace("PROJECT", project);
            a.replace("NOFILE", dir_.filePath("none.kel"));
        }
        opened.replace("PROJECT", project);
        gArgs = QStringList{"kelvara"} + args;
        auto form = makeForm();
        QStringList calls;
        form->OpenProjectRoutine = [&](const QString &name) {
            calls << name;
            return opens;
        };
        form->StartDialogExec = [](TWizard &) { return 0; };
        form->RunStartAction(0);
        QCOMPARE(calls, opened.isEmpty() ? QStringList{} : QStringList{opened});
        QCOMPARE(form->StartDialogShows, shows);
        // The file argument counts once: the next start action offers the dialog.
        form->RunStartAction(0);
        QCOMPARE(form->StartDialogShows, shows + 1);
        QCOMPARE(calls.size(), opened.isEmpty() ? 0 : 1);
    }

    // The first activation runs once from the event loop, whether the
    // window only gets shown (no window manager: no activation event ever
    // reaches it) or an activation event comes before it is shown.
    void firstActivationOnce_data()
    {
        QTest::addColumn<bool>("activationEvent");
        QTest::newRow("shown, no activation event") << false;
        QTest::newRow("activation event first") << true;
    }
    void firstActivationOnce()
    {
        QFETCH(bool, activationEvent);
        static int argumentCalls;
        argumentCalls = 0;
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.TimerStatus->stop();
        form.Arguments = [] {
            ++argumentCalls;
            return QStringList{QStringLiteral("kelvara")};
        };
        form.StartDialogExec = [](TWizard &) { return 0; };
        QCOMPARE(form.FirstActivation, Byte(1));
        QVERIFY(!form.ComPort);

        // Activation events never reach the window here.
        struct TEater : QObject {
            int eaten = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() != QEvent::WindowActivate)
                    return false;
                ++eaten;
                return true;
            }
        } eater;
        if (activationEvent) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&form, &activate);
            // It runs from the event loop, not inside the event.
            QCOMPARE(form.FirstActivation, Byte(1));
        } else {
            form.installEventFilter(&eater);
        }
        form.show();
        QTRY_COMPARE(form.FirstActivation, Byte(0));
        QVERIFY(form.ComPort);
        QCOMPARE(form.StartDialogShows, 1);
        QCOMPARE(argumentCalls, 2); // the command line, then the start action
        TApdA *port = form.ComPort;

        // Later activations run none of it again.
        form.removeEventFilter(&eater);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QEvent again(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&form, &again);
        form.hide();
        form.show();
        QTest::qWait(20);
        QCOMPARE(form.StartDialogShows, 1);
        QCOMPARE(argumentCalls, 2);
        QCOMPARE(form.ComPort, port);
    }

    // A dialogue that began before the first activation keeps its link, and
    // the activation shows no start dialog over it.
    void firstActivationDuringDialogue()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.TimerStatus->stop();
        form.Arguments = testArguments;
        form.StartDialogExec = [](TWizard &) { return 0; };
        form.CreateComPort();
        TApdA *port = form.ComPort;
        form.Dialogue().Kom = 1;
        form.Dialogue().OperationMode = 1;
        form.FormActivate();
        QCOMPARE(form.FirstActivation, Byte(0));
        QCOMPARE(form.ComPort, port);
        QCOMPARE(form.StartDialogShows, 0);
        form.Dialogue().Kom = 0;
        form.Dialogue().OperationMode = 0;
        // Idle again, the status tick offers the dialog.
        form.TimerStatusTimer();
        form.TimerStatus->stop();
        QCOMPARE(form.StartDialogShows, 1);
    }

    // A start request during a modal command runs no second start action.
    void overlappingStartActions()
    {
        auto form = makeForm();
        int nested = 0;
        form->StartDialogExec = [&](TWizard &) {
            ++nested;
            form->RunStartAction(0);
            return 0;
        };
        form->RunStartAction(0);
        QCOMPARE(nested, 1);
        QCOMPARE(form->StartDialogShows, 1);
        QCOMPARE(form->StartActionGuard, Byte(0));
    }

    void handOverMissingFile()
    {
        auto form = makeForm();
        QStringList calls;
        form->OpenProjectRoutine = [&](const QString &name) {
            calls << name;
            return true;
        };
        form->WMCopyData(dir_.filePath("none.kel"));
        QVERIFY(calls.isEmpty());
        const QString project = makeFile("q.kel");
        form->WMCopyData(project);
        QCOMPARE(calls, QStringList{project});
    }

    // The idle tick offers the start dialog again; a failure in it never leaves the timer stopped.
    void tickRunsStartActionAndRearms()
    {
        auto form = makeForm();
        int shows = 0;
        form->StartDialogExec = [&](TWizard &) {
            ++shows;
            throw std::runtime_error("choice failed");
            return 0;
        };
        for (int i = 0; i < 2; ++i) {
            form->Guard("TimerStatusTimer", [&] { form->TimerStatusTimer(); });
            QVERIFY(form->TimerStatus->isActive());
        }
        QCOMPARE(shows, 2);
        QVERIFY(form->TimerStatus->isActive());
        QCOMPARE(form->StartActionGuard, Byte(0));
        // Shown once while it repeats.
        QCOMPARE(prompt_.asked().size(), 1);
        QVERIFY(prompt_.asked()[0].text.contains("choice failed"));
        prompt_.clear();

        // With a configuration the tick does not offer it.
        form->APult = new TAPult;
        form->Guard("TimerStatusTimer", [&] { form->TimerStatusTimer(); });
        QCOMPARE(shows, 2);
        QVERIFY(form->TimerStatus->isActive());
        delete form->APult;
        form->APult = nullptr;
    }

    void turningMarkOverTicks()
    {
        auto form = makeForm();
        form->APult = new TAPult; // not idle: no start action
        form->Dialogue().OperationMode = 1;  // a read runs
        QString marks;
        for (int i = 0; i < 5; ++i) {
            form->TimerStatusTimer();
            const QString text = form->StatusBar1->Text(0);
            QVERIFY(text.startsWith(QStringLiteral("T67")));
            marks += text.right(1);
        }
        QCOMPARE(marks, QStringLiteral("-\\|/-"));
        form->Dialogue().OperationMode = 0;
        delete form->APult;
        form->APult = nullptr;
    }

    void panelsOfTick()
    {
        auto form = makeForm();
        form->APult = new TAPult;
        form->ModifiedFlag = 1;
        form->TimerStatusTimer();
        QCOMPARE(form->StatusBar1->Text(1), QStringLiteral("  T138  "));
        QCOMPARE(form->StatusBar1->Text(2), QString());
        QVERIFY(QRegularExpression("^  \\d\\d:\\d\\d:\\d\\d  $").match(form->StatusBar1->Text(4)).hasMatch());
        QCOMPARE(form->StatusBar1->Width(1), form->StatusBar1->TextWidth("  T138  ") + 6);
        delete form->APult;
        form->APult = nullptr;
    }

    // Menus over configurations, on the window.
    void menusOnWindow()
    {
        auto form = makeForm();
        form->MenuClick();
        QVERIFY(!form->Save1->isEnabled());
        QVERIFY(!form->SaveSB->isEnabled());
        auto *pult = new TAPult;
        pult->Pulty[0] = std::make_unique<TPult>();
        pult->Pulty[0]->TypPultu = 1;
        pult->Pulty[1] = std::make_unique<TPult>();
        pult->Pulty[1]->TypPultu = 0;
        form->APult = pult;
        form->MenuClick();
        QVERIFY(form->Save1->isEnabled());
        QVERIFY(form->DoSystemu->isEnabled());
        QVERIFY(!form->Print1->isEnabled());
        QVERIFY(!form->PrintSB->isEnabled());
        QVERIFY(!form->Kopirujpult121->isEnabled());
        QVERIFY(!form->sbKopirujDo1->isEnabled());
        QVERIFY(form->Uloipult0akoPC1->isEnabled());
        QVERIFY(!form->Uloipult1akoPC1->isEnabled());
        QVERIFY(form->sbPult0->isEnabled());
        QVERIFY(!form->sbPult1->isEnabled());
        QAction *item1 = nullptr;
        for (QAction *a : form->Window1->actions())
            if (a->objectName() == QLatin1String("Pult1"))
                item1 = a;
        QVERIFY(item1);
        QVERIFY(!item1->isEnabled());
        pult->Pulty[1]->TypPultu = 2;
        form->MenuClick();
        QVERIFY(form->Print1->isEnabled());
        QVERIFY(form->Kopirujpult211->isEnabled());
        QVERIFY(item1->isEnabled());
        QVERIFY(!form->Zlucitsodlozenou1->isEnabled());
        form->StoredAPult = std::make_unique<TAPult>();
        form->MenuClick();
        QVERIFY(form->Zlucitsodlozenou1->isEnabled());
        form->StoredAPult.reset();
        delete form->APult;
        form->APult = nullptr;
    }

    void pultButtons()
    {
        auto form = makeForm();
        form->PultTyp[0] = 2;
        form->PultTyp[1] = 1;
        form->UpdatePultButtons(0);
        form->UpdatePultButtons(1);
        QCOMPARE(form->sbPult0->toolTip(), QStringLiteral("Pult 0 (T10)"));
        QCOMPARE(form->sbPult1->toolTip(), QStringLiteral("Pult 1 (T9)"));
        QVERIFY(!form->sbPult0->icon().isNull());
        form->PultTyp[1] = 0;
        form->UpdatePultButtons(1);
        QCOMPARE(form->sbPult1->toolTip(), QStringLiteral("Pult 1"));
        QVERIFY(form->sbPult1->icon().isNull());
    }

    void slowDown()
    {
        auto form = makeForm();
        const int normal = form->TimerStatus->interval();
        QCOMPARE(normal, platform::ScaledInterval(200));
        form->StatusBar1DblClick();
        QCOMPARE(form->TimerStatus->interval(), platform::ScaledInterval(5000));
        QVERIFY(form->Timer2->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(form->TimerStatus->interval(), normal, platform::ScaledInterval(5000) * 4 + 500);
        QVERIFY(!form->Timer2->isActive());
    }

    // Exit during a wait ends the wait first; the wait's objects live until it has ended.
    void exitDuringWait()
    {
        auto form = makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->TimerStatus->stop();
        StatusRules::ResetSlot(form->NetResult, 10);
        bool linksDuringWait = true;
        QTimer::singleShot(10, form.get(), [&] {
            form->Close1Click();
            // Still waiting: nothing may be gone yet.
            linksDuringWait = form->ComPort != nullptr && form->isVisible();
        });
        form->CreateComPort();
        QElapsedTimer clock;
        clock.start();
        const bool answered = form->WaitForNetSlot(10, 60000);
        QVERIFY(!answered);
        QVERIFY(clock.elapsed() < 20000);
        QVERIFY(linksDuringWait);
        QCOMPARE(form->NetWaitBusy, Byte(0));
        QCOMPARE(form->WaitCancelled, Byte(0));
        // Exit follows as soon as the wait has ended.
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(form->Dialogue().OperationMode, Byte(11));
        QVERIFY(!form->TimerStatus->isActive());
    }

    void waitAnswered()
    {
        auto form = makeForm();
        StatusRules::ResetSlot(form->NetResult, 3);
        QTimer::singleShot(5, form.get(), [&] { StatusRules::ApplyRelayReply(form->NetResult, 11); });
        QVERIFY(form->WaitForNetSlot(3, 60000));
        QCOMPARE(int(form->NetResult[3].Done), 1);
        QVERIFY(!form->WaitForNetSlot(StatusRules::NetSlotCount, 10));
    }
};

QTEST_MAIN(TestLifeForm)
#include "test_form.moc"
