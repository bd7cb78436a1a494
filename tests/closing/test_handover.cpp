// A second copy hands its file to the running copy through the real socket
// while the running copy's save question stays open longer than the sender
// waits. The sender gives up and goes; the running copy must neither write to
// the connection that is gone (this program runs under AddressSanitizer) nor
// lose the project or the file. A file that comes while another dialog is
// open waits for it; the start dialog gives way to it.
#include <QtTest>

#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "mainwindow/application.h"
#include "mainwindow/mainform_dialogue.h"
#include "platform/handover.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "tests/closing/closingfixture.h"
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
        auto form = makeForm();
        QVERIFY(form);
        const std::unique_ptr<HandOver::TServer> server = ListenForHandOver(*form, socket_);
        QVERIFY(form->OpenProjectByName(project_));
        const int key = closing::BindAFreeLine(*form, 0);
        QVERIFY(key >= 0);
        const TAPult *config = form->APult;
        const QString bound = config->Pulty[0]->Klavesy[key]->MenoKlavesy;
        const QByteArray file = ReadAll(project_);

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
