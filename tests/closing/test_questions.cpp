// The save question of every command that closes the console windows, on the
// real main window with real boxes and clicks: Cancel leaves everything as it
// was and the next command asks again; a cancelled Exit keeps the status
// timer; a console disconnected in Settings stays a change of the project;
// "Save as..." before a write always asks for a name.
#include <QtTest>

#include <QFileDialog>
#include <QGroupBox>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <optional>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "mainwindow/application.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "platform/handover.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "tests/closing/closingfixture.h"
#include "tests/dialogue/simpeer.h"
#include "windows/nastav.h"
#include "windows/novypult.h"
#include "windows/ulozitprojekt.h"
#include "windows/wizard.h"

using closing::ReadAll;
using fixture::ConsoleWindow;
using fixture::ConsoleWindows;

namespace
{

// The commands that ask whether to save before they close the console windows.
enum class Command { Exit, CloseWindow, Open, New, Read, HandOver, Disconnect };

const QList<Command> AllCommands = {Command::Exit, Command::CloseWindow, Command::Open,      Command::New,
                                    Command::Read, Command::HandOver,    Command::Disconnect};

const char *NameOf(Command c)
{
    switch (c) {
    case Command::Exit: return "Exit";
    case Command::CloseWindow: return "closing a console window";
    case Command::Open: return "Open";
    case Command::New: return "New";
    case Command::Read: return "Read from system";
    case Command::HandOver: return "a hand-over";
    case Command::Disconnect: return "disconnecting console 1 in Settings";
    }
    return "";
}

// The window's own Close command (its system menu).
bool CloseByItsMenu(TMDIChild *w)
{
    for (QAction *a : w->systemMenu()->actions())
        if (a->text().remove(QLatin1Char('&')) == QLatin1String("Close")) {
            a->trigger();
            return true;
        }
    return false;
}

void ClickRadio(QRadioButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

} // namespace

class TestSaveQuestions : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;
    QTemporaryDir work_;
    closing::THeldPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QString project_, other_, socket_;
    QList<std::optional<QString>> fileAnswers_;
    QStringList fileProposed_;
    int newDialogs_ = 0;
    int settingsShown_ = 0;
    int savePromptButton_ = 1; // the write's save prompt: 1 save, 2 save as

    std::unique_ptr<TMainForm1> openForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->DialogueSide().NovyPultExec = [this](TNovyPult &dialog) {
            ++newDialogs_;
            QTimer::singleShot(0, &dialog, [&dialog] { QTest::mouseClick(dialog.Koniec, Qt::LeftButton); });
            return dialog.exec();
        };
        form->DialogueSide().SavePromptExec = [this](TUlozitProjekt &dialog) {
            QTimer::singleShot(0, &dialog, [&dialog, this] {
                QTest::mouseClick(savePromptButton_ == 2 ? dialog.BitBtn2 : dialog.BitBtn1, Qt::LeftButton);
            });
            return dialog.exec();
        };
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()) || !form->OpenProjectByName(project_))
            return nullptr;
        return form;
    }

    // Runs a command the way the user reaches it.
    void run(TMainForm1 &form, Command c)
    {
        switch (c) {
        case Command::Exit: QTest::mouseClick(form.ExitSB, Qt::LeftButton); break;
        case Command::CloseWindow:
            QVERIFY(CloseByItsMenu(ConsoleWindow(form, QStringLiteral("Pult1"))));
            break;
        case Command::Open: QTest::mouseClick(form.OpenSB, Qt::LeftButton); break;
        case Command::New: QTest::mouseClick(form.NewSB, Qt::LeftButton); break;
        case Command::Read: QTest::mouseClick(form.ZoSystemu, Qt::LeftButton); break;
        case Command::HandOver: {
            // A second copy hands over its file and waits for the answer.
            bool sent = false;
            const QString socket = socket_, file = other_;
            QThread *sender = QThread::create([&sent, socket, file] { sent = HandOver::Send(socket, file, 20000); });
            sender->start();
            QTRY_VERIFY_WITH_TIMEOUT(sender->isFinished(), 20000);
            delete sender;
            QVERIFY(sent);
            break;
        }
        case Command::Disconnect:
            TMainForm1::SettingsDialogExec = [this](TNastav1 &d) {
                ++settingsShown_;
                QTimer::singleShot(0, &d, [&d] {
                    ClickRadio(d.p2->Items[0]);
                    QTest::mouseClick(d.BtnOK, Qt::LeftButton);
                });
                return d.exec();
            };
            form.Config1->trigger();
            TMainForm1::SettingsDialogExec = nullptr;
            break;
        }
    }

    // Everything is as it was before the cancelled command.
    void expectUnchanged(TMainForm1 &form, const TAPult *config, const QByteArray &file, const QString &caption)
    {
        QCOMPARE(ConsoleWindows(form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form.APult, config);
        QCOMPARE(int(form.APult->Pulty[1]->TypPultu), 2);
        QCOMPARE(int(form.PultTyp[1]), 2);
        QCOMPARE(form.ProjectName, project_);
        QCOMPARE(form.windowTitle(), caption);
        QCOMPARE(form.Dialogue().OperationMode, opmode::Idle);
        QVERIFY(form.DialogueIdle());
        QCOMPARE(int(form.CloseAccepted), 0);
        QCOMPARE(int(form.ModifiedFlag), 1);
        QCOMPARE(int(form.AllConsolesClosed), 0);
        QVERIFY(form.TimerStatus->isActive());
        QVERIFY(form.isVisible());
        QCOMPARE(ReadAll(project_), file);
        QVERIFY(fileProposed_.isEmpty());
        QCOMPARE(newDialogs_, 0);
        // No operation's state is left in the status bar.
        for (int text : {67, 69, 70})
            QTRY_VERIFY2(!form.StatusBar1->Text(0).contains(LoadStrDll(text)), qPrintable(form.StatusBar1->Text(0)));
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        QVERIFY(program_.isValid() && work_.isValid());
        platform::SetProgramFolder(program_.path());
        platform::SetTimeScale(0.05);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        project_ = work_.filePath(QStringLiteral("stanica.orv"));
        other_ = work_.filePath(QStringLiteral("ina.orv"));
        socket_ = work_.filePath(QStringLiteral("handover.sock"));
        closing::WriteProject(other_, QStringLiteral("Iná"));
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TMainForm1::FileDialogExec = [this](QFileDialog &, QString &name) {
            fileProposed_ << name;
            const std::optional<QString> answer = fileAnswers_.isEmpty() ? std::nullopt : fileAnswers_.takeFirst();
            if (!answer)
                return int(QDialog::Rejected);
            name = *answer;
            return int(QDialog::Accepted);
        };
    }

    void init()
    {
        closing::WriteProject(project_);
        prompt_.clear();
        prompt_.holdMs = 0;
        fileAnswers_.clear();
        fileProposed_.clear();
        newDialogs_ = 0;
        settingsShown_ = 0;
        savePromptButton_ = 1;
    }

    void cleanupTestCase()
    {
        TMainForm1::StartDialogExec = nullptr;
        TMainForm1::FileDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    // After Cancel in one command's save question, each of the commands asks
    // again in turn, and Cancel there changes nothing either. At the end
    // Exit with "No" closes the program without saving.
    void cancelThenEveryCommandAsksAgain_data()
    {
        QTest::addColumn<int>("first");
        for (Command c : AllCommands)
            QTest::newRow(NameOf(c)) << int(c);
    }

    void cancelThenEveryCommandAsksAgain()
    {
        QFETCH(int, first);
        auto form = openForm();
        QVERIFY(form);
        const std::unique_ptr<HandOver::TServer> server = ListenForHandOver(*form, socket_);
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        QCOMPARE(int(form->ModifiedFlag), 1);
        const TAPult *config = form->APult;
        const QByteArray file = ReadAll(project_);
        const QString caption = form->windowTitle();
        // The questions stay open a little: the status timer ticks under them.
        prompt_.holdMs = 60;

        QList<Command> order{Command(first)};
        for (Command c : AllCommands)
            if (c != Command(first))
                order << c;
        for (Command c : order) {
            prompt_.clear();
            prompt_.Answer(TPrompt::Cancel);
            run(*form, c);
            QVERIFY2(prompt_.answered(), NameOf(c));
            QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
            expectUnchanged(*form, config, file, caption);
            if (QTest::currentTestFailed())
                QFAIL(NameOf(c));
        }
        QCOMPARE(settingsShown_, 1);

        prompt_.clear();
        prompt_.Answer(TPrompt::No);
        run(*form, Command::Exit);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QVERIFY(!form->isVisible());
        QCOMPARE(ReadAll(project_), file);
    }

    // Exit, Cancel: the status timer goes on (its clock advances, the modified
    // mark follows an edit); an edit, Exit asks again, and Yes saves it all.
    void cancelledExitKeepsTheTimerAndAsksAgain()
    {
        auto form = openForm();
        QVERIFY(form);
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        prompt_.holdMs = 300;
        prompt_.Answer(TPrompt::Cancel);
        QTest::mouseClick(form->ExitSB, Qt::LeftButton);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QCOMPARE(form->Dialogue().OperationMode, opmode::Idle);
        QVERIFY(form->TimerStatus->isActive());
        const QString clock = form->StatusBar1->Text(4);
        QTRY_VERIFY_WITH_TIMEOUT(form->StatusBar1->Text(4) != clock, 3000);

        // The project saved meanwhile: the mark goes; the edit brings it back.
        QTest::mouseClick(form->SaveSB, Qt::LeftButton);
        QCOMPARE(int(form->ModifiedFlag), 0);
        QTRY_VERIFY(form->StatusBar1->Text(1).isEmpty());
        const int key = closing::BindAFreeLine(*form, 1);
        QVERIFY(key >= 0);
        const QString bound = form->APult->Pulty[1]->Klavesy[key]->MenoKlavesy;
        QTRY_COMPARE(form->StatusBar1->Text(1), QStringLiteral("  ") + LoadStrDll(138) + QStringLiteral("  "));

        prompt_.clear();
        prompt_.Answer(TPrompt::Yes);
        QTest::mouseClick(form->ExitSB, Qt::LeftButton);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QVERIFY(!form->isVisible());
        QVERIFY(!form->TimerStatus->isActive());
        TAPult saved;
        QCOMPARE(saved.LoadFromFile(project_), 0);
        QCOMPARE(saved.Pulty[1]->Klavesy[key]->MenoKlavesy, bound);
    }

    // Console 1 disconnected in Settings, its window's question answered:
    // Yes and No apply the disconnect and leave the project modified, so Exit
    // asks and its save holds the new layout; Cancel keeps the console.
    void disconnectInSettings_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(TPrompt::Yes);
        QTest::newRow("No") << int(TPrompt::No);
        QTest::newRow("Cancel") << int(TPrompt::Cancel);
    }

    void disconnectInSettings()
    {
        QFETCH(int, answer);
        auto form = openForm();
        QVERIFY(form);
        const int key = closing::BindAFreeLine(*form, 0);
        QVERIFY(key >= 0);
        const QString bound = form->APult->Pulty[0]->Klavesy[key]->MenoKlavesy;
        const QString console1Key = form->APult->Pulty[1]->Klavesy[0]->MenoKlavesy;
        prompt_.Answer(answer);
        run(*form, Command::Disconnect);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(int(form->CloseAccepted), 0);
        if (answer == TPrompt::Yes) {
            // What Yes saved is the project before the disconnect.
            TAPult before;
            QCOMPARE(before.LoadFromFile(project_), 0);
            QCOMPARE(int(before.Pulty[1]->TypPultu), 2);
            QCOMPARE(before.Pulty[0]->Klavesy[key]->MenoKlavesy, bound);
        }
        if (answer == TPrompt::Cancel) {
            QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
            QCOMPARE(int(form->PultTyp[1]), 2);
            QCOMPARE(int(form->APult->Pulty[1]->TypPultu), 2);
            QCOMPARE(form->APult->Pulty[1]->Klavesy[0]->MenoKlavesy, console1Key);
        } else {
            QCOMPARE(ConsoleWindows(*form), QStringList{QStringLiteral("Pult0")});
            QCOMPARE(int(form->PultTyp[1]), 0);
            QCOMPARE(int(form->APult->Pulty[1]->TypPultu), 0);
        }

        // A later edit of console 0; Exit asks, Yes saves the layout as it is now.
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        prompt_.clear();
        prompt_.Answer(TPrompt::Yes);
        QTest::mouseClick(form->ExitSB, Qt::LeftButton);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QVERIFY(!form->isVisible());
        TAPult saved;
        QCOMPARE(saved.LoadFromFile(project_), 0);
        QCOMPARE(int(saved.Pulty[1]->TypPultu), answer == TPrompt::Cancel ? 2 : 0);
        QCOMPARE(saved.Pulty[0]->Klavesy[key]->MenoKlavesy, bound);
    }

    // Before a write, the save prompt of a project that has a file: "Save"
    // writes that file; "Save as..." asks for a name, also here, and Cancel
    // there saves nothing and writes nothing.
    void saveAsBeforeAWriteAsksForAName_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("named");
        QTest::newRow("Save") << 1 << true;
        QTest::newRow("Save as..., named") << 2 << true;
        QTest::newRow("Save as..., cancelled") << 2 << false;
    }

    void saveAsBeforeAWriteAsksForAName()
    {
        QFETCH(int, button);
        QFETCH(bool, named);
        auto form = openForm();
        QVERIFY(form);
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        const QByteArray before = ReadAll(project_);
        const QString renamed = work_.filePath(QStringLiteral("premenovana.orv"));
        QFile::remove(renamed);
        savePromptButton_ = button;
        fileAnswers_ << (named ? std::optional<QString>(renamed) : std::nullopt);
        prompt_.Answer(TPrompt::Cancel); // the write's confirmation
        form->MenuClick();               // as the status tick does
        QTest::mouseClick(form->DoSystemu, Qt::LeftButton);
        QVERIFY(form->DialogueIdle());
        if (button == 1) {
            QVERIFY(fileProposed_.isEmpty());
            QCOMPARE(ReadAll(project_), form->APult->ProjectText());
            QCOMPARE(form->ProjectName, project_);
        } else {
            QCOMPARE(fileProposed_, QStringList{project_});
            QCOMPARE(ReadAll(project_), before);
            if (named) {
                QCOMPARE(ReadAll(renamed), form->APult->ProjectText());
                QCOMPARE(form->ProjectName, renamed);
                QCOMPARE(form->windowTitle(), QStringLiteral("premenovana.orv - ") + form->BaseTitle);
            } else {
                QVERIFY(!QFile::exists(renamed));
                QCOMPARE(form->ProjectName, project_);
                QCOMPARE(int(form->ModifiedFlag), 1);
                // The write does not start with unsaved changes.
                QVERIFY(prompt_.asked().isEmpty());
                return;
            }
        }
        QCOMPARE(int(form->ModifiedFlag), 0);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(94)});
    }

    // A read from the simulated system replaces the open project: the caption
    // names the new project, not the old file.
    void readReplacesTheProjectsCaption()
    {
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        qputenv("KELVARA_COM1", sim.path.toLocal8Bit());
        platform::SetTimeScale(1.0);
        auto form = openForm();
        QVERIFY(form);
        form->PortNumber = 1;
        form->DialogueSide().NovyPultExec = [](TNovyPult &dialog) {
            QTimer::singleShot(0, &dialog, [&dialog] {
                for (QGroupBox *box : {dialog.RadioGroup1, dialog.RadioGroup2})
                    ClickRadio(box->findChild<QRadioButton *>(box->objectName() + QStringLiteral("Item2")));
                QTest::mouseClick(dialog.Nacitanie, Qt::LeftButton);
            });
            return dialog.exec();
        };
        QCOMPARE(form->windowTitle(), QStringLiteral("stanica.orv - ") + form->BaseTitle);
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        const QByteArray before = ReadAll(project_);
        prompt_.Answer(TPrompt::No); // do not save the open project
        prompt_.Answer(TPrompt::Ok); // the consoles' questions of the read
        prompt_.Answer(TPrompt::Ok);
        QTest::mouseClick(form->ZoSystemu, Qt::LeftButton);
        const bool done = QTest::qWaitFor([&] { return form->DialogueIdle(); }, 120000);
        platform::SetTimeScale(0.05);
        QVERIFY(done);
        QCOMPARE(prompt_.asked().value(0), LoadStrDll(33));
        QVERIFY2(prompt_.answered(), qPrintable(prompt_.asked().join(QStringLiteral(" | "))));
        QVERIFY(form->APult);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QCOMPARE(form->windowTitle(), LoadStrDll(2) + QStringLiteral(" - ") + form->BaseTitle);
        QCOMPARE(ReadAll(project_), before);
    }
};

QTEST_MAIN(TestSaveQuestions)
#include "test_questions.moc"
