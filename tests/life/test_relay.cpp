// Relay replies reach the network result slots only from the address given
// with -i: real datagrams on the loopback relay ports.
#include <QtTest>

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUdpSocket>

#include "cardpack/dll_load.h"
#include "comm/udpr_sock.h"
#include "mainwindow/mainform.h"
#include "model/objekty.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "windows/prompt.h"
#include "windows/udprform.h"
#include "windows/wizard.h"

class TestLifeRelay : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

private slots:
    void initTestCase()
    {
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(TEST_LANG_LIBRARY));
        QVERIFY(HInstDll > 32);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        platform::SetProgramFolder(dir_.path());
    }

    void cleanup()
    {
        TMainForm1::StartDialogExec = nullptr;
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
    }

    void repliesFromTheSystemOnly()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.TimerStatus->stop();
        form.FirstActivation = 0;
        form.APult = new TAPult; // not idle: the tick runs no start action
        form.CreateStatusWindow();
        // As given on the command line, with leading zeros.
        static QStringList args;
        args = {"kelvara", "-i", "010.000.000.007", "user", "pass", "x"};
        form.Arguments = [] { return args; };
        QVERIFY(form.ParseCommandLine());
        QCOMPARE(form.NetParams[0], QStringLiteral("10.0.0.7"));

        form.UDPR_S = CreateRelayLink(&form);
        QVERIFY2(form.UDPR_S->Ok(), qPrintable(form.UDPR_S->LastErrorText()));
        // The relay's side: listens on 60001, sends to 60000.
        TUDPR_S relay(TUDPR_S::RelayedLayout, QStringLiteral("127.0.0.1"), TUDPR_S::RelaySendPort,
                      TUDPR_S::RelayListenPort, true);
        QVERIFY2(relay.Ok(), qPrintable(relay.LastErrorText()));

        auto tickUntilQuiet = [&] {
            // Each tick takes one datagram; give them time to arrive.
            for (int i = 0; i < 20; ++i) {
                QTest::qWait(20);
                form.TimerStatusTimer();
                form.TimerStatus->stop();
            }
        };

        // Another system's reply: no slot, no count, no log line.
        relay.SendMessage(6, QStringLiteral("other"), QStringLiteral("10.0.0.8"));
        tickUntilQuiet();
        QCOMPARE(form.DatagramCount, 0);
        QCOMPARE(form.NetResult[1].Code, -1);
        QCOMPARE(form.UDPRForm1->M->toPlainText(), QString());

        // The system's reply, its text carrying format directives.
        relay.SendMessage(8, QStringLiteral("ok %s%n%d"), QStringLiteral("10.0.0.7"));
        tickUntilQuiet();
        QCOMPARE(form.DatagramCount, 1);
        QCOMPARE(int(form.NetResult[2].Done), 1);
        QCOMPARE(form.NetResult[2].Code, 8);
        QCOMPARE(int(form.NetResult[4].Done), 1);
        QCOMPARE(form.NetResult[1].Code, -1);
        QVERIFY2(form.UDPRForm1->M->toPlainText().contains(
                     QStringLiteral(" Pocet prijatych 1 Sprava typ = 8 Msg = ok %s%n%d")),
                 qPrintable(form.UDPRForm1->M->toPlainText()));

        // The same system written with zeros by the relay counts too.
        relay.SendMessage(12, QStringLiteral("no"), QStringLiteral("10.00.0.007"));
        tickUntilQuiet();
        QCOMPARE(form.DatagramCount, 2);
        QCOMPARE(int(form.NetResult[3].Done), 0);
        QCOMPARE(form.NetResult[3].Code, 12);

        delete form.APult;
        form.APult = nullptr;
    }

    // First activation in network mode: status window entry, FTP client, relay link.
    void networkModeActivation()
    {
        static QStringList args;
        args = {"kelvara", "-i", "127.0.0.1", "user", "pass", "x"};
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.TimerStatus->stop();
        form.CreateStatusWindow();
        form.Arguments = [] { return args; };
        int shows = 0;
        form.StartDialogExec = [&](TWizard &) {
            ++shows;
            return 0;
        };
        form.FormActivate();
        QCOMPARE(form.FirstActivation, Byte(0));
        QVERIFY(form.Window1->findChild<QAction *>("StatusWindow"));
        QCOMPARE(form.Window1->findChild<QAction *>("StatusWindow")->text(), QStringLiteral("T150"));
        QVERIFY(form.FTPCL);
        QVERIFY(form.UDPR_S);
        QVERIFY(form.ComPort);
        QCOMPARE(form.UDPFailed, Byte(0));
        // "x" names no file: no dialog at activation.
        QCOMPARE(shows, 0);
        form.FormActivate(); // once only
        QCOMPARE(shows, 0);
    }

    // The relay port taken: a warning, no link, and the choices stay disabled.
    void relayPortTaken()
    {
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress::LocalHost, TUDPR_S::RelayListenPort, QAbstractSocket::DontShareAddress));
        static QStringList args;
        args = {"kelvara", "-i", "127.0.0.1", "user", "pass", "x"};
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.TimerStatus->stop();
        form.Arguments = [] { return args; };
        form.FirstStartFile = 0; // the dialog at once
        QStringList enabled;
        form.StartDialogExec = [&](TWizard &d) {
            for (QPushButton *b : d.findChildren<QPushButton *>())
                if (b->isEnabled())
                    enabled << b->objectName();
            return 0;
        };
        form.FormActivate();
        QVERIFY(!form.UDPR_S);
        QCOMPARE(form.UDPFailed, Byte(1));
        QCOMPARE(prompt_.texts().size(), 1);
        QVERIFY(prompt_.texts()[0].startsWith(QStringLiteral("T151\r\nUDP 127.0.0.1:60000: the address is already in use")));
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        prompt_.clear();
        enabled.sort();
        QCOMPARE(enabled, (QStringList{"BitBtn11", "BitBtn5", "BitBtn9"}));
    }

    // The relay port taken, with the status timer running as in the program:
    // the warning box runs the event loop, and no tick opens the start dialog
    // over it; the dialog comes once the warning is answered.
    void relayWarningAnsweredBeforeTheStartDialog()
    {
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress::LocalHost, TUDPR_S::RelayListenPort, QAbstractSocket::DontShareAddress));
        QStringList order;
        // A box that takes a user's time: the event loop runs while it is open.
        class TSlowPrompt : public TScriptedPrompt
        {
        public:
            QStringList *order = nullptr;
            int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override
            {
                *order << QStringLiteral("box");
                QTest::qWait(700);
                *order << QStringLiteral("box answered");
                return TScriptedPrompt::Ask(kind, text, buttons, title);
            }
        } slow;
        slow.order = &order;
        TPromptScope scope(&slow);
        static QStringList args;
        args = {"kelvara", "-i", "127.0.0.1", "user", "pass", "x"};
        TMainForm1 form(nullptr, QSize(1024, 768));
        QVERIFY(form.TimerStatus->isActive());
        form.Arguments = [] { return args; };
        form.FirstStartFile = 0;
        form.StartDialogExec = [&](TWizard &) {
            order << QStringLiteral("start dialog");
            return 0;
        };
        form.FormActivate();
        form.TimerStatus->stop();
        QVERIFY(!form.UDPR_S);
        QCOMPARE(slow.texts().size(), 1);
        QVERIFY(slow.texts()[0].startsWith(QStringLiteral("T151\r\nUDP 127.0.0.1:60000: the address is already in use")));
        QVERIFY(order.size() >= 3);
        QCOMPARE(order.mid(0, 3), (QStringList{"box", "box answered", "start dialog"}));
        QCOMPARE(int(form.StartActionGuard), 0);
    }
};

QTEST_MAIN(TestLifeRelay)
#include "test_relay.moc"
