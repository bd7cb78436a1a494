// The write and the erase against an in-process system: the requests byte for
// byte, the save prompt and the confirmation, the boards re-read, every
// acknowledgement code, silence, and the faults the dialogue must not have.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include "dialogue/dialogue.h"
#include "expected.h"
#include "minisystem.h"
#include "platform/timing.h"
#include "testhost.h"
#include "writeproject.h"

namespace
{

constexpr double Scale = 0.05; // watchdog tick 50 ms

const QString CRLF = QStringLiteral("\r\n");

QString Text(int n)
{
    return LoadStrDll(n);
}

QString Suffix(int code)
{
    return QStringLiteral(" (%1 [$%2H])").arg(code).arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

// The error text of a negative acknowledgement; console: phase 4.
QString AckError(int code, bool console)
{
    const QString inner = QStringLiteral(" (") + Text(console ? 17 : 91) + QStringLiteral(" - ") +
                          QString::number(code) +
                          QStringLiteral(" [$%1H])").arg(code, 2, 16, QLatin1Char('0')).toUpper();
    switch (code) {
    case 1:
        return Text(console ? 81 : 79) + Suffix(code);
    case 2:
        return Text(109) + inner;
    case 3:
        return Text(110) + inner + CRLF + CRLF + Text(83) + CRLF + QStringLiteral(" - ") + Text(173) + CRLF +
               QStringLiteral(" - ") + Text(174) + CRLF + QStringLiteral(" - ") + Text(175) + CRLF + CRLF +
               Text(176);
    default:
        return Text(console ? 82 : 80) + Suffix(code);
    }
}

struct Writer {
    TTestHost host;
    TScriptPrompt prompt;
    TMiniSystem sys;
    TDialogue d{host, prompt};
    QList<int> converted;
    QList<int> sideFiles;
    QStringList sideFileNames;
    bool sideFileOk = true;
    QList<bool> ends;
    // Answers replaced by index of the request (0 = the first frame sent).
    QMap<int, QByteArray> replaced;
    QSet<int> silent;

    explicit Writer(std::array<int, 2> types = {2, 2})
    {
        sys.dialogue = &d;
        sys.consoleTypes = {Byte(types[0]), Byte(types[1])};
        host.consoleTypes = sys.consoleTypes;
        d.SetLink(&sys);
        host.model = writeproject::MakeProject(types);
        host.projectName = QStringLiteral("/tmp/kelvara-write/project.orv");
        d.ModelToImageHook = [this](int console) {
            converted << console;
            writeproject::PutConsoleIntoImage(host.image, console);
            return true;
        };
        d.SaveToPcHook = [this](int console, const QString &file) {
            sideFiles << console;
            sideFileNames << file;
            return sideFileOk;
        };
        sys.filter = [this](const QByteArray &, const QByteArray &a) {
            const int index = int(sys.sent.size()) - 1;
            if (silent.contains(index))
                return QByteArray();
            return replaced.value(index, a);
        };
        QObject::connect(&d, &TDialogue::SessionFinished, [this](bool ok) { ends.append(ok); });
    }

    bool WaitIdle(int ms = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!(d.Idle() && d.AnswerAwaited == 0) && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // Posted steps of an ended session run out.
        QCoreApplication::processEvents();
        return d.Idle();
    }
};

std::array<ConsoleTables, 2> Tables()
{
    return {writeproject::MakeConsoleTables(0), writeproject::MakeConsoleTables(1)};
}

QString Success()
{
    return Text(71) + QLatin1Char(' ') + Text(72);
}

int IndexOf(const QList<QByteArray> &list, const QByteArray &frame, int from = 0)
{
    return int(list.indexOf(frame, from));
}

} // namespace

class TestWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LoadProgramTexts());
        platform::SetTimeScale(Scale);
    }

    void fullWrite_data()
    {
        QTest::addColumn<int>("feature");
        QTest::addColumn<int>("t0");
        QTest::addColumn<int>("t1");
        QTest::addColumn<int>("typDosiek");
        QTest::addColumn<int>("consoleVersion");
        for (int feature : {13, 14, 15}) {
            QTest::addRow("f%d mech+mech", feature) << feature << 2 << 2 << 1 << 21;
            QTest::addRow("f%d pc+mech", feature) << feature << 1 << 2 << 1 << 21;
            QTest::addRow("f%d mech+pc", feature) << feature << 2 << 1 << 1 << 21;
            QTest::addRow("f%d mech+none", feature) << feature << 2 << 0 << 1 << 21;
        }
        QTest::newRow("boards of type 0: no UNI table") << 15 << 2 << 2 << 0 << 21;
        QTest::newRow("console version 20: no phone books") << 15 << 2 << 2 << 1 << 20;
    }

    void fullWrite()
    {
        QFETCH(int, feature);
        QFETCH(int, t0);
        QFETCH(int, t1);
        QFETCH(int, typDosiek);
        QFETCH(int, consoleVersion);
        Writer w({t0, t1});
        w.sys.feature = feature;
        w.sys.consoleVersion = consoleVersion;
        SystemTables sys = writeproject::ExpectedSystemTables({t0, t1});
        if (typDosiek == 0) {
            // No board the board-type list knows: TypDosiek stays as the project has it.
            w.host.model->TypDosiek = 0;
            for (TSlotEntry &slot : w.host.model->SlotyDosiek)
                slot = TSlotEntry{};
            w.sys.boards = QByteArray::fromHex("0000FF").repeated(32);
            sys.boards = QByteArray(32, char(0xFF));
        }
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());

        WriteSetup s;
        s.feature = feature;
        s.types = {t0, t1};
        s.typDosiek = typDosiek;
        s.consoleVersion = consoleVersion;
        const QList<QByteArray> expected = ExpectedWriteRequests(s, Tables(), sys);
        QCOMPARE(w.sys.sent.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(w.sys.sent[i] == expected[i],
                     qPrintable(QStringLiteral("request %1: %2 instead of %3")
                                    .arg(i)
                                    .arg(QString::fromLatin1(w.sys.sent[i].left(12).toHex(' ')))
                                    .arg(QString::fromLatin1(expected[i].left(12).toHex(' ')))));

        // Confirmation, then success; each mechanical console asked in turn.
        QCOMPARE(w.prompt.texts(), (QStringList{Text(94), Success()}));
        QCOMPARE(w.prompt.asked[0].kind, TDialoguePrompt::Kind::Warning);
        QList<int> asked, converted{0, 1}, sideFiles;
        for (int n = 0; n < 2; ++n) {
            const int type = n == 0 ? t0 : t1;
            if (type == 2) {
                asked << n;
                converted << n;
            }
            if (type == 1)
                sideFiles << n;
        }
        QList<int> consoles;
        for (const auto &c : w.prompt.consoleAsked) {
            consoles << c.console;
            QCOMPARE(c.caption, Text(65));
        }
        QCOMPARE(consoles, asked);
        QCOMPARE(w.converted, converted);
        QCOMPARE(w.sideFiles, sideFiles);
        for (const QString &name : w.sideFileNames)
            QCOMPARE(name, QStringLiteral("/tmp/kelvara-write/project.orv"));

        // One open for the whole session, boards re-read included.
        QCOMPARE(w.sys.opens, 1);
        QVERIFY(!w.sys.open);
        QCOMPARE(w.ends, QList<bool>{true});
        QVERIFY(w.host.model);
        if (typDosiek == 1) {
            QCOMPARE(w.host.model->DoskySystemu[1].Meno, QStringLiteral("T4W5"));
            QCOMPARE(w.host.model->DoskySystemu[1].Kod, Byte(148));
        }
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
        QCOMPARE(w.host.status, Text(71));
        QCOMPARE(w.d.SessionCounter, std::int64_t(2)); // the boards re-read and the write
    }

    // Every acknowledgement code at every kind of step: 1 asks to wait (OK,
    // then 0 comes), the errors show their text at once; Retry sends the
    // same request again and the write goes on, OK ends it keeping the project.
    void acknowledgementCodes_data()
    {
        QTest::addColumn<QByteArray>("request"); // the request answered with the code
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("console");
        QTest::addColumn<int>("answer"); // to the error box
        const QByteArray keyToLine = Req(0x06, 0, writeproject::MakeConsoleTables(0).keyToLine);
        const QByteArray lamps1 = Req(0x07, 1, writeproject::MakeConsoleTables(1).lineToLamp);
        const QByteArray flags =
            Req(0x10, 0,
                QByteArray::fromHex("0000E70001E0") + writeproject::ExpectedSystemTables({2, 2}).lineFlags);
        const QByteArray names1 = Req(0x84, 1, writeproject::MakeConsoleTables(1).keyNames);
        const QByteArray book0 = Req(0x8B, 0, writeproject::MakeConsoleTables(0).phoneBook.mid(8192));
        for (int code : {2, 3, 5}) {
            QTest::addRow("key-to-line %d retry", code)
                << keyToLine << code << false << int(TDialoguePrompt::Retry);
            QTest::addRow("key-to-line %d ok", code)
                << keyToLine << code << false << int(TDialoguePrompt::Ok);
            QTest::addRow("console 1 lamps %d retry", code)
                << lamps1 << code << false << int(TDialoguePrompt::Retry);
            QTest::addRow("line flags %d ok", code) << flags << code << false << int(TDialoguePrompt::Ok);
            QTest::addRow("key names 1 %d retry", code)
                << names1 << code << true << int(TDialoguePrompt::Retry);
            QTest::addRow("phone book 0 %d ok", code) << book0 << code << true << int(TDialoguePrompt::Ok);
        }
        QTest::newRow("system test 2 retry") << Req(0x00, 0) << 2 << false << int(TDialoguePrompt::Retry);
        QTest::newRow("system test 5 ok") << Req(0x00, 0) << 5 << false << int(TDialoguePrompt::Ok);
        QTest::newRow("console system test 5 retry")
            << Req(0x00, 1) << 5 << true << int(TDialoguePrompt::Retry);
        QTest::newRow("console test 2 ok") << Req(0x80, 0) << 2 << true << int(TDialoguePrompt::Ok);
        QTest::newRow("console test 3 retry") << Req(0x80, 1) << 3 << true << int(TDialoguePrompt::Retry);
    }

    void acknowledgementCodes()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, code);
        QFETCH(bool, console);
        QFETCH(int, answer);
        Writer w;
        const QList<QByteArray> expected =
            ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}));
        // The phase's own request: a system test of phase 2 comes after the boards re-read.
        const int at = IndexOf(expected, request, request == Req(0x00, 0) ? 2 : 0);
        QVERIFY(at >= 0);
        w.replaced[at] = TMiniSystem::Ack(console ? 0x87 : 0x0A, request[2], Byte(code));
        w.prompt.answers << TDialoguePrompt::Ok << answer;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());

        const QString error = AckError(code, console);
        QCOMPARE(w.prompt.texts().value(1), error);
        QCOMPARE(w.prompt.asked.value(1).kind, TDialoguePrompt::Kind::Error);
        QCOMPARE(w.prompt.asked.value(1).buttons,
                 TDialoguePrompt::Bit(TDialoguePrompt::Ok) | TDialoguePrompt::Bit(TDialoguePrompt::Retry));
        QVERIFY(w.host.log.contains(QStringLiteral("1: ") + error));
        QVERIFY(w.host.model);
        QVERIFY(!w.sys.open);
        if (answer == TDialoguePrompt::Retry) {
            QList<QByteArray> again = expected;
            again.insert(at + 1, request);
            QCOMPARE(w.sys.sent, again);
            QCOMPARE(w.prompt.texts().size(), 3);
            QCOMPARE(w.prompt.texts().value(2), Success());
            QCOMPARE(w.ends, QList<bool>{true});
        } else {
            QCOMPARE(w.sys.sent, expected.mid(0, at + 1));
            QCOMPARE(w.prompt.texts().size(), 2);
            QCOMPARE(w.ends, QList<bool>{false});
            QCOMPARE(w.host.status, Text(61) + QStringLiteral(" - ") + error);
        }
    }

    // Code 1: the device asks to wait; OK waits, and the 0 that follows lets
    // the write go on without sending anything twice.
    void busyThenWritten_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("console");
        QTest::newRow("key-to-subscriber")
            << Req(0x08, 0, writeproject::MakeConsoleTables(0).keyToSubscriber) << false;
        QTest::newRow("key records 1") << Req(0x85, 1, writeproject::MakeConsoleTables(1).keyRecords) << true;
    }

    void busyThenWritten()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, console);
        Writer w;
        const QList<QByteArray> expected =
            ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}));
        const int at = IndexOf(expected, request);
        const Byte ack = console ? 0x87 : 0x0A;
        w.sys.filter = [&w, at, ack, request](const QByteArray &, const QByteArray &a) {
            if (int(w.sys.sent.size()) - 1 != at)
                return a;
            // The real acknowledgement a little later.
            TDialogue *d = &w.d;
            QTimer::singleShot(platform::ScaledInterval(3000), d,
                               [d, ack, request] { d->WMAnswer(TMiniSystem::Ack(ack, request[2], 0), 1); });
            return TMiniSystem::Ack(ack, request[2], 1);
        };
        w.prompt.answers << TDialoguePrompt::Ok << TDialoguePrompt::Ok;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        const QString question = AckError(1, console) + CRLF + Text(59) + CRLF + Text(60);
        QCOMPARE(w.prompt.texts(), (QStringList{Text(94), question, Success()}));
        QCOMPARE(w.prompt.asked[1].kind, TDialoguePrompt::Kind::Warning);
        QVERIFY(w.host.log.contains(QStringLiteral("0: ") + question + CRLF + QStringLiteral("mrOK")));
        QCOMPARE(w.sys.sent, expected);
        QCOMPARE(w.ends, QList<bool>{true});
    }

    // The 0 comes while the question is still open: taken after OK, at once.
    void writtenWhileTheQuestionIsOpen()
    {
        Writer w;
        const QByteArray request = Req(0x07, 0, writeproject::MakeConsoleTables(0).lineToLamp);
        const QList<QByteArray> expected =
            ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}));
        const int at = IndexOf(expected, request);
        w.replaced[at] = TMiniSystem::Ack(0x0A, 0, 1);
        w.prompt.whileOpen = [&w](const QString &text) {
            if (text.startsWith(Text(79)))
                w.d.WMAnswer(TMiniSystem::Ack(0x0A, 0, 0), 1);
        };
        w.prompt.answers << TDialoguePrompt::Ok << TDialoguePrompt::Ok;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        // Taken at once: no second question after a watchdog period.
        QCOMPARE(w.prompt.texts().size(), 3);
        QCOMPARE(w.prompt.texts()[2], Success());
        QCOMPARE(w.sys.sent, expected);
    }

    // No answer: the watchdog's box; Retry sends the request again, OK ends
    // the write keeping the project.
    void silence_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("console");
        QTest::addColumn<int>("answer");
        const QByteArray uni1 = Req(0x09, 0, writeproject::MakeConsoleTables(1).uni);
        const QByteArray records0 = Req(0x85, 0, writeproject::MakeConsoleTables(0).keyRecords);
        for (int answer : {int(TDialoguePrompt::Retry), int(TDialoguePrompt::Ok)}) {
            const char *how = answer == TDialoguePrompt::Retry ? "retry" : "ok";
            QTest::addRow("system test %s", how) << Req(0x00, 0) << false << answer;
            QTest::addRow("console 1 UNI %s", how) << uni1 << false << answer;
            QTest::addRow("console test %s", how) << Req(0x80, 1) << true << answer;
            QTest::addRow("key records %s", how) << records0 << true << answer;
        }
    }

    void silence()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, console);
        QFETCH(int, answer);
        Writer w;
        const QList<QByteArray> expected =
            ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}));
        const int at = IndexOf(expected, request, request == Req(0x00, 0) ? 2 : 0);
        w.silent << at;
        w.prompt.answers << TDialoguePrompt::Ok << answer;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle(60000));
        const QString box = w.prompt.texts().value(1);
        QVERIFY(box.startsWith(Text(61)));
        QCOMPARE(box.contains(Text(114)), console);
        QVERIFY(w.host.model);
        if (answer == TDialoguePrompt::Retry) {
            QList<QByteArray> again = expected;
            again.insert(at + 1, request);
            QCOMPARE(w.sys.sent, again);
            QCOMPARE(w.prompt.texts().value(2), Success());
            QCOMPARE(w.ends, QList<bool>{true});
        } else {
            QCOMPARE(w.sys.sent, expected.mid(0, at + 1));
            QCOMPARE(w.ends, QList<bool>{false});
            QCOMPARE(w.host.status, Text(61));
        }
        QVERIFY(!w.sys.open);
    }

    // OK in the box when the first phone-book half was lost: the console's
    // phone book is given up and the next console is written at once.
    void phoneBookGivenUpGoesOnWithTheNextConsole()
    {
        Writer w;
        const QList<QByteArray> expected =
            ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}));
        const QByteArray book = Req(0x8A, 0, writeproject::MakeConsoleTables(0).phoneBook.left(8192));
        const int at = IndexOf(expected, book);
        w.silent << at;
        w.prompt.answers << TDialoguePrompt::Ok << TDialoguePrompt::Ok;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle(60000));
        QList<QByteArray> sent = expected;
        sent.removeAt(at + 1); // the second half of console 0
        QCOMPARE(w.sys.sent, sent);
        QCOMPARE(w.prompt.texts().size(), 3);
        QVERIFY(w.prompt.texts()[1].startsWith(Text(61)));
        QCOMPARE(w.prompt.texts()[2], Success());
        QCOMPARE(w.ends, QList<bool>{true});
    }

    // A project with unsaved changes is never written: the save prompt, and
    // the write only when the project is saved afterwards.
    void modifiedProjectIsNeverWritten_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("written");
        QTest::newRow("cancel") << 2 << false << false;
        QTest::newRow("save refused") << 1 << false << false;
        QTest::newRow("save under the current name refused") << 4 << false << false;
        QTest::newRow("saved") << 1 << true << true;
        QTest::newRow("saved under the current name") << 4 << true << true;
    }

    void modifiedProjectIsNeverWritten()
    {
        QFETCH(int, choice);
        QFETCH(bool, saved);
        QFETCH(bool, written);
        Writer w;
        w.host.modified = true;
        w.host.saveChoice = choice;
        w.host.saveSucceeds = saved;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.host.savePrompts, 1);
        QCOMPARE(w.host.saves, choice == 2 ? QList<int>{} : QList<int>{choice});
        if (written) {
            QCOMPARE(w.prompt.texts(), (QStringList{Text(94), Success()}));
            QCOMPARE(w.ends, QList<bool>{true});
        } else {
            QVERIFY(w.prompt.asked.isEmpty()); // not even the confirmation
            QVERIFY(w.sys.sent.isEmpty());
            QCOMPARE(w.sys.opens, 0);
            QVERIFY(w.ends.isEmpty());
        }
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
        QVERIFY(w.d.Idle());
    }

    // Changed while its boards were read: not written either.
    void changedDuringTheBoardsReReadIsNotWritten()
    {
        Writer w;
        w.sys.filter = [&w](const QByteArray &r, const QByteArray &a) {
            if (Byte(r[0]) == 0x01)
                w.host.modified = true;
            return a;
        };
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.sys.sent, (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0)}));
        QCOMPARE(w.ends, QList<bool>{false});
        QVERIFY(w.host.model);
        QVERIFY(!w.sys.open);
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
    }

    void confirmationCancelled()
    {
        Writer w;
        w.prompt.answers << TDialoguePrompt::Cancel;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.prompt.texts(), QStringList{Text(94)});
        QVERIFY(w.sys.sent.isEmpty());
        QCOMPARE(w.sys.opens, 0);
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
    }

    // The boards of the system against the project's.
    void boardCheck_data()
    {
        QTest::addColumn<QString>("slot1");     // the project's board in slot 1
        QTest::addColumn<bool>("removeSlot16"); // the system has no board in slot 16
        QTest::addColumn<int>("answer");        // to the question about missing boards
        QTest::addColumn<bool>("written");
        QTest::newRow("differs") << QStringLiteral("TUL10") << false << 0 << false;
        QTest::newRow("differs and missing") << QStringLiteral("TUL10") << true << 0 << false;
        QTest::newRow("missing, yes") << QStringLiteral("T4W5") << true << int(TDialoguePrompt::Yes) << true;
        QTest::newRow("missing, no") << QStringLiteral("T4W5") << true << int(TDialoguePrompt::No) << false;
    }

    void boardCheck()
    {
        QFETCH(QString, slot1);
        QFETCH(bool, removeSlot16);
        QFETCH(int, answer);
        QFETCH(bool, written);
        Writer w;
        w.host.model->SlotyDosiek[1].Meno = slot1;
        if (removeSlot16)
            w.sys.boards.replace(16 * 3, 3, QByteArray::fromHex("FE00FF"));
        w.prompt.answers << TDialoguePrompt::Ok;
        if (answer)
            w.prompt.answers << answer;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        const QString box = w.prompt.texts().value(1);
        if (slot1 != QStringLiteral("T4W5")) {
            QVERIFY(box.startsWith(Text(135)));
            QVERIFY(box.endsWith(Text(139)));
            QVERIFY(w.host.memo1.contains(LinePosName(1) +
                                          QStringLiteral("[povodna=TUL10, v systeme=T4W5=$94]")));
            QCOMPARE(w.prompt.asked[1].buttons, TDialoguePrompt::Bit(TDialoguePrompt::Ok));
        } else {
            QCOMPARE(box, Text(136) + CRLF + Text(134) + QStringLiteral(": ") + LinePosName(16) + CRLF +
                              Text(137));
        }
        if (written) {
            QCOMPARE(w.sys.sent.size(),
                     ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}))
                         .size());
            QCOMPARE(w.ends, QList<bool>{true});
        } else {
            QCOMPARE(w.sys.sent, (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0)}));
            QCOMPARE(w.ends, QList<bool>{false});
            QVERIFY(w.host.model);
            QVERIFY(!w.sys.open);
        }
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
    }

    // A frame the link does not take: the box, then the watchdog's Retry sends it.
    void frameNotTakenIsSentOnRetry()
    {
        Writer w;
        w.sys.filter = [&w](const QByteArray &r, const QByteArray &a) {
            if (Byte(r[0]) == 0x06 && r[2] == 0)
                w.sys.refusals = 1; // the next frame, the lamps of console 0
            return a;
        };
        w.prompt.answers << TDialoguePrompt::Ok << TDialoguePrompt::Ok << TDialoguePrompt::Retry;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        const QStringList boxes = w.prompt.texts();
        QCOMPARE(boxes.size(), 4);
        QCOMPARE(boxes[1], QStringLiteral("Data was not send. Try again."));
        QVERIFY(boxes[2].startsWith(Text(61)));
        QCOMPARE(boxes[3], Success());
        QCOMPARE(w.sys.sent,
                 ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2})));
        QCOMPARE(w.ends, QList<bool>{true});
    }

    // The boards cannot be read: the write ends once, keeping the project.
    void boardsReReadFails()
    {
        Writer w;
        w.sys.filter = [](const QByteArray &r, const QByteArray &a) {
            return Byte(r[0]) == 0x01 ? QByteArray() : a;
        };
        w.prompt.answers << TDialoguePrompt::Ok << TDialoguePrompt::Ok;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.sys.sent, (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0)}));
        QCOMPARE(w.prompt.texts().size(), 2);
        QVERIFY(w.prompt.texts()[1].startsWith(Text(61)));
        QCOMPARE(w.ends, QList<bool>{false});
        QVERIFY(w.host.model);
        QCOMPARE(w.d.BoardsReadState, Byte(2));
        QVERIFY(!w.sys.open);
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
    }

    void portThatCannotOpen()
    {
        Writer w;
        w.sys.openFails = true;
        w.d.ComNumber = 4;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.prompt.texts(), (QStringList{Text(94), Text(143) + QStringLiteral(" (COM 4)")}));
        QVERIFY(w.sys.sent.isEmpty());
        QVERIFY(w.host.model);
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
    }

    // Without the conversion nothing is written after the system test.
    void writeWithoutConversionWritesNothing()
    {
        Writer w;
        w.d.ModelToImageHook = nullptr;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.sys.sent, (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0), Req(0x00, 0)}));
        QCOMPARE(w.ends, QList<bool>{false});
        QVERIFY(w.host.model);
        QVERIFY(w.host.status.startsWith(Text(139)));
    }

    // A PC console's side file that cannot be written: the write goes on,
    // and ends without "without errors".
    void sideFileFailureIsNoCleanSuccess()
    {
        Writer w({1, 2});
        w.sideFileOk = false;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.prompt.texts(), (QStringList{Text(94), Text(71)}));
        QCOMPARE(w.sideFiles, QList<int>{0});
        QCOMPARE(w.ends, QList<bool>{true});
    }

    // Erase: empty tables to every mechanical console, however full the image
    // was and whatever a PC console's side file put into it on the way.
    void erase_data()
    {
        QTest::addColumn<int>("t0");
        QTest::addColumn<int>("t1");
        QTest::newRow("mech+mech") << 2 << 2;
        QTest::newRow("pc+mech") << 1 << 2;
        QTest::newRow("mech+none") << 2 << 0;
    }

    void erase()
    {
        QFETCH(int, t0);
        QFETCH(int, t1);
        Writer w({t0, t1});
        writeproject::PutConsoleIntoImage(w.host.image, 1);
        // Saving a PC console's side files converts it into the image.
        w.d.SaveToPcHook = [&w](int console, const QString &) {
            w.sideFiles << console;
            writeproject::PutConsoleIntoImage(w.host.image, console);
            return true;
        };
        w.d.VymazatPultClick();
        QVERIFY(w.WaitIdle());
        ConsoleTables empty;
        empty.keyNames = QByteArray(8192, ' ');
        empty.keyRecords = QByteArray(8192, char(0xFF));
        empty.phoneBook = QByteArray(16384, char(0xFF));
        QList<QByteArray> expected;
        QList<int> asked;
        for (int n = 0; n < 2; ++n)
            if ((n == 0 ? t0 : t1) == 2) {
                expected << ExpectedConsoleWrite(WriteSetup{}, empty, n);
                asked << n;
            }
        QCOMPARE(w.sys.sent, expected);
        QVERIFY(w.converted.isEmpty());
        QCOMPARE(w.sideFiles, t0 == 1 ? QList<int>{0} : QList<int>{});
        QList<int> consoles;
        for (const auto &c : w.prompt.consoleAsked)
            consoles << c.console;
        QCOMPARE(consoles, asked);
        QCOMPARE(w.prompt.texts(), QStringList{Success()});
        QCOMPARE(w.sys.opens, 1);
        QVERIFY(!w.sys.open);
        QCOMPARE(w.d.EraseFlag, Byte(0));
        QCOMPARE(w.ends, QList<bool>{true});
    }

    // Stop at the console question: nothing more is written.
    void consoleQuestionStopsTheWrite()
    {
        Writer w;
        w.prompt.consoleAnswers << std::pair<bool, Byte>{false, 0};
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        const QList<QByteArray> expected =
            ExpectedWriteRequests(WriteSetup{}, Tables(), writeproject::ExpectedSystemTables({2, 2}));
        QCOMPARE(w.sys.sent, expected.mid(0, IndexOf(expected, Req(0x00, 0), 3)));
        QCOMPARE(w.prompt.consoleAsked.size(), 1);
        QCOMPARE(w.ends, QList<bool>{true});
    }

    // The port fails on its own: the running dialogue ends with the port's
    // message, the project stays unless a read was building it, and the next
    // operation opens the port afresh.
    void portFailure_data()
    {
        QTest::addColumn<int>("command"); // 0 read, 1 boards only, 2 write, 3 time keeper
        QTest::addColumn<int>("request"); // failing after this many requests
        QTest::addColumn<bool>("modelKept");
        QTest::newRow("read") << 0 << 4 << false;
        QTest::newRow("boards only") << 1 << 1 << true;
        QTest::newRow("boards re-read of a write") << 2 << 1 << true;
        QTest::newRow("write") << 2 << 6 << true;
        QTest::newRow("console write") << 2 << 18 << true;
        QTest::newRow("time keeper") << 3 << 1 << true;
    }

    void portFailure()
    {
        QFETCH(int, command);
        QFETCH(int, request);
        QFETCH(bool, modelKept);
        Writer w;
        const QString message = QStringLiteral("COM1 (/dev/ttyUSB0): input/output error.");
        w.sys.filter = [&w, request, message](const QByteArray &, const QByteArray &a) {
            if (int(w.sys.sent.size()) == request) {
                TDialogue *d = &w.d;
                QTimer::singleShot(0, d, [d, message] { d->PortFailed(message); });
                return QByteArray();
            }
            return a;
        };
        switch (command) {
        case 0:
            w.host.model.reset();
            w.d.ReadConfigClick();
            break;
        case 1:
            w.d.DoskySBClick();
            break;
        case 2:
            w.d.WriteConfigClick();
            break;
        default:
            w.d.bbTimeKeeperClick();
            break;
        }
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.sys.sent.size(), request);
        const QString box = Text(61) + CRLF + CRLF + message;
        QVERIFY2(w.prompt.texts().contains(box), qPrintable(w.prompt.texts().join(QStringLiteral(" | "))));
        QCOMPARE(w.prompt.texts().count(box), 1);
        QCOMPARE(w.host.model != nullptr, modelKept);
        QCOMPARE(w.ends, QList<bool>{false});
        QCOMPARE(w.host.status, Text(61) + QStringLiteral(" - ") + message);
        QVERIFY(!w.sys.open);
        QCOMPARE(w.d.UserInterfaceUnlocked, Byte(1));
        QVERIFY(w.host.log.contains(QStringLiteral("1: ") + message));

        // The next operation opens the port again.
        const int opens = w.sys.opens;
        w.sys.filter = nullptr;
        if (!w.host.model)
            w.host.model = writeproject::MakeProject({2, 2});
        w.d.DoskySBClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.sys.opens, opens + 1);
        QCOMPARE(w.ends.last(), true);
    }

    // The port fails while the watchdog's box is open: no second box.
    void portFailureUnderABoxStacksNoBox()
    {
        Writer w;
        w.silent << 2;
        w.prompt.whileOpen = [&w](const QString &text) {
            if (text.startsWith(Text(61)))
                w.d.PortFailed(QStringLiteral("COM1 (/dev/ttyUSB0): gone"));
        };
        w.prompt.answers << TDialoguePrompt::Ok << TDialoguePrompt::Retry;
        w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(w.prompt.texts().size(), 2);
        QCOMPARE(w.sys.sent.size(), 3); // no Retry after the port has gone
        QCOMPARE(w.ends, QList<bool>{false});
        QVERIFY(w.host.model);
    }

    // A board-error box left open: the watchdog stays quiet behind it, so no
    // second box and one abort only.
    void boardErrorBoxStopsTheWatchdog_data()
    {
        QTest::addColumn<int>("command"); // 0 read, 1 boards only, 2 write
        QTest::addColumn<QByteArray>("boards");
        QTest::addColumn<int>("text");
        const QByteArray ten = QByteArray::fromHex("0000FF").repeated(10);
        const struct {
            const char *name;
            QByteArray boards;
            int text;
        } errors[] = {
            {"length", ten + QByteArray::fromHex("00"), 58},
            {"invalid slot", ten + QByteArray::fromHex("00E047"), 127},
            {"unknown code", ten + QByteArray::fromHex("002033"), 129},
        };
        const char *const commands[] = {"read", "boards only", "write"};
        for (int c = 0; c < 3; ++c)
            for (const auto &e : errors)
                QTest::addRow("%s, %s", commands[c], e.name) << c << e.boards << e.text;
    }

    void boardErrorBoxStopsTheWatchdog()
    {
        QFETCH(int, command);
        QFETCH(QByteArray, boards);
        QFETCH(int, text);
        Writer w;
        w.sys.boards = boards;
        w.prompt.whileOpen = [text](const QString &shown) {
            if (!shown.startsWith(Text(text)))
                return;
            // Longer than the watchdog's limit at the boards step.
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < platform::ScaledInterval(25000))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        };
        if (command == 0) {
            w.host.model.reset();
            w.d.ReadConfigClick();
        } else if (command == 1) {
            w.d.DoskySBClick();
        } else {
            w.prompt.answers << TDialoguePrompt::Ok;
        }
        if (command == 2)
            w.d.WriteConfigClick();
        QVERIFY(w.WaitIdle());
        QStringList boxes = w.prompt.texts();
        if (command == 2)
            boxes.removeFirst(); // the confirmation
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(Text(text)), qPrintable(boxes[0]));
        QCOMPARE(w.ends, QList<bool>{false});
        QCOMPARE(w.host.model != nullptr, command != 0);
        QCOMPARE(w.sys.sent.size(), 2);
    }

    // A short table answer that passes the length test: the rest of the table
    // holds no bytes of the console read before it.
    void shortTableAnswerLeavesNoEarlierBytes()
    {
        Writer w;
        w.host.model.reset();
        QList<TConversion> seen;
        RecordConversions(w.d, w.host, seen);
        w.sys.filter = [](const QByteArray &r, const QByteArray &a) {
            const Byte cmd = Byte(r[0]);
            if (Byte(r[2]) == 1 && (cmd == 0x02 || cmd == 0x05 || cmd == 0x81 || cmd == 0x82))
                return Frame(cmd, 1, a.mid(5, a.size() - 5 - 3));
            return a;
        };
        w.d.ReadConfigClick();
        QVERIFY(w.WaitIdle());
        QCOMPARE(seen.size(), 2);
        TSystemImage first, second;
        QCOMPARE(first.FromBytes(seen[0].image), RecordResult::Ok);
        QCOMPARE(second.FromBytes(seen[1].image), RecordResult::Ok);
        for (int i = 253; i < 256; ++i) {
            QVERIFY(first.KeyToLine(i) != 0xFF); // console 0's table reaches the end
            QCOMPARE(second.KeyToLine(i), Byte(0xFF));
        }
        // 1037 bytes: 129 whole entries, the last one empty.
        for (Byte b : second.UniEntry(129))
            QCOMPARE(b, Byte(0xFF));
        QCOMPARE(second.KeyNameBytes(255), QByteArray(32, ' '));
        const auto record = second.KeyRecord(255);
        QCOMPARE(record[0], Byte(0x01));
        QCOMPARE(record[29], Byte(0x07));
        for (int i : {1, 2, 28, 30, 31})
            QCOMPARE(record[std::size_t(i)], Byte(0xFF));
    }
};

QTEST_GUILESS_MAIN(TestWrite)
#include "test_write.moc"
