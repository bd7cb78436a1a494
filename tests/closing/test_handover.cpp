// A second copy hands its file to the running copy through the real socket
// while the running copy's save question stays open longer than the sender
// waits. The sender gives up and goes; the running copy must neither write to
// the connection that is gone (this program runs under AddressSanitizer) nor
// lose the project or the file. A file that comes while another dialog is
// open waits for it; the start dialog gives way to it.
#include <QtTest>

#include <QMdiArea>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/keybinding.h"
#include "mainwindow/application.h"
#include "mainwindow/mainform_dialogue.h"
#include "platform/handover.h"
#include "platform/programfolder.h"
#include "platform/singleinstance.h"
#include "platform/timing.h"
#include "tests/closing/closingfixture.h"
#include "tests/fixture/consolewindows.h"
#include "windows/nastav.h"
#include "windows/wizard.h"

using closing::ReadAll;
using fixture::ConsoleWindows;

namespace
{

// A second copy's hand-over from its own thread; `result` once it has ended.
class TSender
{
public:
    TSender(const QString &socket, const QString &file, int waitMs)
        : thread_(QThread::create([this, socket, file, waitMs] { sent_ = HandOver::Send(socket, file, waitMs); }))
    {
        thread_->start();
    }
    ~TSender()
    {
        thread_->wait();
        delete thread_;
    }
    bool finished() const { return thread_->isFinished(); }
    bool sent() const { return sent_; }

private:
    bool sent_ = false;
    QThread *thread_;
};

} // namespace

class TestHandOver : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;
    QTemporaryDir work_;
    closing::THeldPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QString project_, handed_, socket_;

    std::unique_ptr<TMainForm1> makeForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return nullptr;
        return form;
    }

    // The project open in a window that listens at `socketPath`, with an edit
    // made by the mouse; `config` stays none when any of it failed.
    struct TEdited {
        std::unique_ptr<TMainForm1> form;
        std::unique_ptr<HandOver::TServer> server;
        int key = -1;
        const TAPult *config = nullptr;
        QString bound;
        QByteArray file;
    };
    TEdited openEdited(const QString &socketPath)
    {
        TEdited e;
        e.form = makeForm();
        if (!e.form)
            return e;
        e.server = ListenForHandOver(*e.form, socketPath);
        if (!e.form->OpenProjectByName(project_) || (e.key = closing::BindAFreeLine(*e.form, 0)) < 0)
            return e;
        e.config = e.form->APult;
        e.bound = e.config->Pulty[0]->Klavesy[e.key]->MenoKlavesy;
        e.file = ReadAll(project_);
        return e;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(closing::StartTestProgram(program_, prompt_, scope_));
        QVERIFY(work_.isValid());
        project_ = work_.filePath(QStringLiteral("stanica.orv"));
        handed_ = work_.filePath(QStringLiteral("odovzdana.orv"));
        socket_ = work_.filePath(QStringLiteral("handover.sock"));
        closing::WriteProject(handed_, QStringLiteral("Odovzdaná"));
    }

    void init()
    {
        // Until a project is open the status ticks offer the start dialog: here it is left at once.
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        closing::WriteProject(project_);
        prompt_.clear();
        prompt_.holdMs = 0;
    }

    void cleanupTestCase()
    {
        TMainForm1::StartDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    // The sender waits 300 ms, the question stays open 1.5 s. Cancel keeps the
    // modified project; No lets the handed file replace it, though nobody
    // waits for the answer any more.
    void questionOutlastsTheSender_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Cancel") << int(TPrompt::Cancel);
        QTest::newRow("No") << int(TPrompt::No);
    }

    void questionOutlastsTheSender()
    {
        QFETCH(int, answer);
        const TEdited edited = openEdited(socket_);
        QVERIFY(edited.config);
        const auto &[form, server, key, config, bound, file] = edited;

        prompt_.holdMs = 1500;
        prompt_.Answer(answer);
        QElapsedTimer clock;
        clock.start();
        {
            TSender sender(socket_, handed_, 300);
            QTRY_VERIFY_WITH_TIMEOUT(sender.finished(), 10000);
            QVERIFY(!sender.sent()); // it gave up before the question was answered
        }
        QTRY_VERIFY_WITH_TIMEOUT(prompt_.answered() && !QApplication::activeModalWidget(), 10000);
        QVERIFY(clock.elapsed() >= 1500);
        // Whatever the sender left behind is gone by now.
        QTest::qWait(100);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QCOMPARE(form->Dialogue().OperationMode, opmode::Idle);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(ReadAll(project_), file);
        if (answer == TPrompt::Cancel) {
            QCOMPARE(form->APult, config);
            QCOMPARE(form->ProjectName, project_);
            QCOMPARE(form->APult->Pulty[0]->Klavesy[key]->MenoKlavesy, bound);
            QCOMPARE(int(form->ModifiedFlag), 1);
            QCOMPARE(int(form->CloseAccepted), 0);
        } else {
            QCOMPARE(form->ProjectName, handed_);
            QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Odovzdaná"));
            QCOMPARE(int(form->ModifiedFlag), 0);
        }

        // The socket serves the next copy as before.
        prompt_.clear();
        prompt_.holdMs = 0;
        prompt_.Answer(TPrompt::Cancel);
        form->ModifiedFlag = 1;
        TSender next(socket_, answer == TPrompt::Cancel ? handed_ : project_, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(next.finished(), 15000);
        QVERIFY(next.sent());
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
    }

    // The program itself as the second copy, with its own wait of about 10 s:
    // the question stays open longer, the copy gives up and ends, and Cancel
    // then keeps the modified project; the socket serves the next copy.
    void realSecondCopyGivesUp()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const auto unset = qScopeGuard([] { qunsetenv("XDG_RUNTIME_DIR"); });
        platform::TInstanceLock lock; // this process is the running copy
        QVERIFY(lock.Acquire());
        const TEdited edited = openEdited(platform::InstanceSocketPath());
        QVERIFY(edited.config);
        const auto &[form, server, key, config, bound, file] = edited;

        const auto startCopy = [&](QProcess &copy) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
            env.remove(QStringLiteral("KELVARA_TIME_SCALE"));
            copy.setProcessEnvironment(env);
            copy.start(QStringLiteral(KELVARA_BIN_DIR) + QStringLiteral("/kelvara"), {handed_});
            return copy.waitForStarted(10000);
        };
        // The question runs in its own event loop: the copy is watched from there.
        prompt_.holdMs = -1;
        prompt_.Answer(TPrompt::Cancel);
        QElapsedTimer clock;
        clock.start();
        QProcess copy;
        qint64 copyEnded = -1;
        bool questionOpen = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (copy.state() != QProcess::NotRunning)
                return;
            watch.stop();
            copyEnded = clock.elapsed();
            QAbstractButton *cancel = closing::THeldPrompt::openBoxButton(TPrompt::Cancel);
            questionOpen = cancel != nullptr;
            if (cancel)
                QTest::mouseClick(cancel, Qt::LeftButton);
        });
        QVERIFY(startCopy(copy));
        watch.start(50);
        QTRY_VERIFY_WITH_TIMEOUT(copyEnded >= 0 && !QApplication::activeModalWidget(), 30000);
        QVERIFY(questionOpen);
        QVERIFY2(copyEnded >= 9000, qPrintable(QString::number(copyEnded)));
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.exitCode(), 0);
        QTest::qWait(100);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QCOMPARE(form->APult, config);
        QCOMPARE(form->ProjectName, project_);
        QCOMPARE(form->APult->Pulty[0]->Klavesy[key]->MenoKlavesy, bound);
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(int(form->CloseAccepted), 0);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(ReadAll(project_), file);

        // The next copy is answered at once; "No" lets its file replace the project.
        prompt_.clear();
        prompt_.holdMs = 0;
        prompt_.Answer(TPrompt::No);
        QProcess next;
        QVERIFY(startCopy(next));
        QTRY_VERIFY_WITH_TIMEOUT(next.state() == QProcess::NotRunning, 15000);
        QCOMPARE(next.exitCode(), 0);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QTRY_COMPARE(form->ProjectName, handed_);
        QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Odovzdaná"));
        QCOMPARE(ReadAll(project_), file);
    }

    // A file handed over while the settings dialog is open waits until it has
    // closed; then the question comes and the file opens.
    void waitsForAnOpenDialog()
    {
        auto form = makeForm();
        QVERIFY(form);
        const std::unique_ptr<HandOver::TServer> server = ListenForHandOver(*form, socket_);
        QVERIFY(form->OpenProjectByName(project_));
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        const TAPult *config = form->APult;
        bool sent = false;
        QStringList askedInDialog;
        const TAPult *configInDialog = nullptr;
        TMainForm1::SettingsDialogExec = [&](TNastav1 &d) {
            QTimer::singleShot(0, &d, [&] {
                TSender sender(socket_, handed_, 10000);
                QTRY_VERIFY_WITH_TIMEOUT(sender.finished(), 10000);
                sent = sender.sent();
                QTest::qWait(300);
                askedInDialog = prompt_.asked();
                configInDialog = form->APult;
                QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
            });
            return d.exec();
        };
        prompt_.Answer(TPrompt::No);
        form->Config1->trigger();
        TMainForm1::SettingsDialogExec = nullptr;
        QVERIFY(sent);
        QVERIFY(askedInDialog.isEmpty());
        QCOMPARE(configInDialog, config);
        QTRY_COMPARE(form->ProjectName, handed_);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Odovzdaná"));
        QVERIFY(!form->PendingHandOver);
    }

    // A file comes while Settings disconnects console 1: the disconnect is
    // applied to the project it was meant for first, then the handed file
    // opens as it is, with both its console windows.
    void waitsUntilSettingsAreApplied()
    {
        auto form = makeForm();
        QVERIFY(form);
        const std::unique_ptr<HandOver::TServer> server = ListenForHandOver(*form, socket_);
        QVERIFY(form->OpenProjectByName(project_));
        QVERIFY(closing::BindAFreeLine(*form, 0) >= 0);
        bool sent = false;
        TMainForm1::SettingsDialogExec = [&](TNastav1 &d) {
            QTimer::singleShot(0, &d, [&] {
                TSender sender(socket_, handed_, 10000);
                QTRY_VERIFY_WITH_TIMEOUT(sender.finished(), 10000);
                sent = sender.sent();
                QRadioButton *off = d.p2->Items[0];
                QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
                QTest::mouseClick(d.BtnOK, Qt::LeftButton);
            });
            return d.exec();
        };
        // No to the disconnect's question, No to the hand-over's.
        prompt_.Answer(TPrompt::No);
        form->Config1->trigger();
        TMainForm1::SettingsDialogExec = nullptr;
        QVERIFY(sent);
        QTRY_COMPARE(form->ProjectName, handed_);
        QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Odovzdaná"));
        QCOMPARE(form->APult->Pulty[1]->TypPultu, Byte(2));
        QCOMPARE(fixture::ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(BindingFaults(*form->APult, form->Zoznam.get()), QStringList());
        QCOMPARE(int(form->ModifiedFlag), 0);
        QVERIFY(!form->PendingHandOver);
    }

    // The start dialog is open when a file comes: the dialog goes, the file
    // opens, and the program does not end.
    void startDialogGivesWay()
    {
        TMainForm1::StartDialogExec = nullptr; // the dialog itself
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->FirstActivation = 0;
        form->resize(1200, 900);
        const std::unique_ptr<HandOver::TServer> server = ListenForHandOver(*form, socket_);
        // The dialog runs its own loop: the second copy starts from inside it.
        std::unique_ptr<TSender> sender;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (!sender && form->StartDialog && form->StartDialog->isVisible())
                sender = std::make_unique<TSender>(socket_, handed_, 10000);
        });
        watch.start(10);
        form->show();
        QTRY_VERIFY_WITH_TIMEOUT(sender && sender->finished(), 15000);
        watch.stop();
        QVERIFY(sender->sent());
        QTRY_COMPARE(form->ProjectName, handed_);
        QVERIFY(!form->StartDialog);
        QVERIFY(form->isVisible());
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->StartDialogShows, 1);
        QTest::qWait(200); // the status ticks do not bring it back
        QCOMPARE(form->StartDialogShows, 1);
        QVERIFY(prompt_.asked().isEmpty());
    }
};

QTEST_MAIN(TestHandOver)
#include "test_handover.moc"
