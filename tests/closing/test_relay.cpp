// In network mode the status timer also takes the relay's replies: Exit that
// was cancelled at its save question leaves it doing so. Real datagrams on the
// loopback relay ports, the real timer, the real Exit button.
#include <QtTest>

#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "cardpack/dll_load.h"
#include "comm/udpr_sock.h"
#include "dialogue/dialogue.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "tests/closing/closingfixture.h"
#include "windows/udprform.h"
#include "windows/wizard.h"

class TestExitInNetworkMode : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;
    QTemporaryDir work_;
    closing::THeldPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

private slots:
    void initTestCase()
    {
        QVERIFY(closing::StartTestProgram(program_, prompt_, scope_));
        QVERIFY(work_.isValid());
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
    }

    void cleanupTestCase()
    {
        TMainForm1::StartDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    void cancelledExitKeepsTakingReplies()
    {
        const QString project = work_.filePath(QStringLiteral("stanica.orv"));
        closing::WriteProject(project);
        TMainForm1 form(nullptr, QSize(1280, 1024));
        form.FirstActivation = 0;
        form.resize(1200, 900);
        static QStringList args;
        args = {QStringLiteral("kelvara"), QStringLiteral("-i"), QStringLiteral("10.0.0.7"), QStringLiteral("user"),
                QStringLiteral("pass"), QStringLiteral("x")};
        form.Arguments = [] { return args; };
        QVERIFY(form.ParseCommandLine());
        form.CreateStatusWindow();
        form.UDPR_S = CreateRelayLink(&form);
        QVERIFY2(form.UDPR_S->Ok(), qPrintable(form.UDPR_S->LastErrorText()));
        // The relay's side: listens on 60001, sends to 60000.
        TUDPR_S relay(TUDPR_S::RelayedLayout, QStringLiteral("127.0.0.1"), TUDPR_S::RelaySendPort,
                      TUDPR_S::RelayListenPort, true);
        QVERIFY2(relay.Ok(), qPrintable(relay.LastErrorText()));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenProjectByName(project));
        QVERIFY(closing::BindAFreeLine(form, 0) >= 0);
        const QByteArray file = closing::ReadAll(project);

        relay.SendMessage(8, QStringLiteral("before"), QStringLiteral("10.0.0.7"));
        QTRY_COMPARE_WITH_TIMEOUT(form.DatagramCount, 1, 5000);

        prompt_.holdMs = 200;
        prompt_.Answer(TPrompt::Cancel);
        QTest::mouseClick(form.ExitSB, Qt::LeftButton);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QVERIFY(form.isVisible());
        QCOMPARE(form.Dialogue().OperationMode, opmode::Idle);

        // Replies still come in through the ticks alone.
        relay.SendMessage(12, QStringLiteral("after"), QStringLiteral("10.0.0.7"));
        QTRY_COMPARE_WITH_TIMEOUT(form.DatagramCount, 2, 5000);
        QCOMPARE(form.NetResult[3].Code, 12);
        QCOMPARE(int(form.NetResult[3].Done), 0);
        QVERIFY2(form.UDPRForm1->M->toPlainText().contains(QStringLiteral("Sprava typ = 12 Msg = after")),
                 qPrintable(form.UDPRForm1->M->toPlainText()));

        prompt_.clear();
        prompt_.Answer(TPrompt::No);
        QTest::mouseClick(form.ExitSB, Qt::LeftButton);
        QCOMPARE(prompt_.asked(), QStringList{LoadStrDll(33)});
        QVERIFY(!form.isVisible());
        QCOMPARE(closing::ReadAll(project), file);
    }
};

QTEST_MAIN(TestExitInNetworkMode)
#include "test_relay.moc"
