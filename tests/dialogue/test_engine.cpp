// The dialogue against an in-process system: the steps of a read, the answer
// rules, the watchdog and the ends of a session.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>
#include <stdexcept>

#include "dialogue/dialogue.h"
#include "expected.h"
#include "minisystem.h"
#include "platform/timing.h"
#include "testhost.h"

namespace
{

constexpr double Scale = 0.05; // watchdog tick 50 ms

const QString CRLF = QStringLiteral("\r\n");

struct Engine {
    TTestHost host;
    TScriptPrompt prompt;
    TMiniSystem sys;
    TDialogue d{host, prompt};
    QList<TConversion> conversions;
    QList<bool> ends;

    Engine()
    {
        sys.dialogue = &d;
        d.SetLink(&sys);
        RecordConversions(d, host, conversions);
        QObject::connect(&d, &TDialogue::SessionFinished, [this](bool ok) { ends.append(ok); });
    }

    void SetTypes(int t0, int t1)
    {
        host.consoleTypes = {Byte(t0), Byte(t1)};
        sys.consoleTypes = {Byte(t0), Byte(t1)};
    }

    // Runs the event loop until the session is over (or the time is up).
    bool WaitIdle(int ms = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!(d.Idle() && d.AnswerAwaited == 0) && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return d.Idle();
    }

    // Runs until `count` frames were sent.
    bool WaitSent(int count, int ms = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (sys.sent.size() < count && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return sys.sent.size() >= count;
    }

    // An existing project for the commands that need one.
    void OpenProject()
    {
        host.CreateModel();
        TAPult &a = *host.model;
        a.PocetPultov = 2;
        for (int n = 0; n < 2; ++n) {
            a.Pulty[n] = std::make_unique<TPult>();
            a.Pulty[n]->TypPultu = 2;
        }
        a.SlotyDosiek[5].Meno = QStringLiteral("TUL10");
    }
};

QString Text(int n)
{
    return LoadStrDll(n);
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LoadProgramTexts());
        platform::SetTimeScale(Scale);
    }

    void fullReadSendsTheRequests_data()
    {
        QTest::addColumn<int>("feature");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("t0");
        QTest::addColumn<int>("t1");
        for (int feature : {13, 14, 15})
            for (int version = 1; version <= 4; ++version) {
                QTest::addRow("f%d v%d mech+mech", feature, version) << feature << version << 2 << 2;
                QTest::addRow("f%d v%d pc+mech", feature, version) << feature << version << 1 << 2;
                QTest::addRow("f%d v%d mech", feature, version) << feature << version << 2 << 0;
            }
    }

    void fullReadSendsTheRequests()
    {
        QFETCH(int, feature);
        QFETCH(int, version);
        QFETCH(int, t0);
        QFETCH(int, t1);
        Engine e;
        e.SetTypes(t0, t1);
        e.sys.feature = feature;
        e.sys.dataVersion = version;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());

        ReadSetup s;
        s.feature = feature;
        s.dataVersion = version;
        s.types = {t0, t1};
        QCOMPARE(e.sys.sent, ExpectedReadRequests(s));
        QCOMPARE(e.ends, QList<bool>{true});
        QVERIFY(e.prompt.asked.isEmpty());
        QCOMPARE(e.host.status, Text(71));
        QCOMPARE(e.host.windowsOpened, 1);
        QCOMPARE(e.host.pcLoads, t0 == 1 ? QList<int>{0} : QList<int>{});
        QVERIFY(!e.sys.open);
        QCOMPARE(e.d.UserInterfaceUnlocked, Byte(1));

        // Every mechanical console was converted from its own answers.
        QList<int> converted;
        for (const TConversion &c : e.conversions)
            converted << c.console;
        QList<int> mech;
        for (int n = 0; n < 2; ++n)
            if (s.types[n] == 2)
                mech << n;
        QCOMPARE(converted, mech);
        for (const TConversion &c : e.conversions) {
            const int n = c.console;
            const QByteArray img = c.image;
            QCOMPARE(img.mid(img::KeyToLineOffset, 256), Pattern(256, 0x02 + 31 * n));
            QCOMPARE(img.mid(img::LineToLampOffset, 256), Pattern(256, 0x03 + 31 * n));
            QCOMPARE(img.mid(img::KeyToSubscriberOffset, 256), Pattern(256, 0x04 + 31 * n));
            QCOMPARE(img.mid(img::UniOffset, 1040), Pattern(1040, 0x05 + 31 * n));
            QCOMPARE(img.mid(img::KeyNamesOffset, 8192), Pattern(8192, 0x81 + 31 * n));
            const QByteArray records = Pattern(8192, 0x82 + 31 * n);
            for (int k : {0, 77, 255}) {
                QCOMPARE(img.mid(img::KeyRecordsOffset + 40 * k, 32), records.mid(32 * k, 32));
                QCOMPARE(Byte(img[img::KeyRecordsOffset + 40 * k + 32]), Byte(0xA0));
                QCOMPARE(img.mid(img::KeyRecordsOffset + 40 * k + 36, 4), QByteArray(4, 0));
            }
            // The symbol table is never asked for: it keeps its empty preset.
            QCOMPARE(img.mid(img::SymbolsOffset, 8192), QByteArray(8192, 0));
            const QByteArray msn = img.mid(img::MsnOffset, 512);
            QCOMPARE(msn, feature >= 15 && version > 1 ? Pattern(512, 0xF9) : QByteArray(512, char(0xFF)));
            QCOMPARE(img.mid(img::LineFlagsOffset, 480),
                     feature >= 15 && version > 3 ? Pattern(480, 0xE7) : QByteArray(480, char(0xFF)));
            QCOMPARE(img.mid(img::GsmrFunctionOffset, 18),
                     feature >= 15 && version > 2 ? Pattern(54, 0xF8).left(18) : QByteArray(18, char(0xFF)));
        }
        QCOMPARE(e.host.model->VerziaDat, feature >= 15 ? version : 0);
        QCOMPARE(e.host.model->TypSystemu, Byte(1));
        QCOMPARE(e.host.model->TabTelZozOK, Byte(feature >= 14 ? 1 : 0));
        QCOMPARE(e.host.model->SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(e.host.model->SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(e.host.model->SlotyDosiek[16].Meno, QStringLiteral("TUL10"));
        // Each request and each answer went to the frame log.
        int sentLogged = 0, answersLogged = 0;
        for (const QString &entry : e.host.memo1) {
            sentLogged += entry.contains(QStringLiteral("\n - poslane"));
            answersLogged += entry.contains(QStringLiteral("\n - odpoved na"));
        }
        QCOMPARE(sentLogged, e.sys.sent.size());
        QCOMPARE(answersLogged, e.sys.sent.size());
    }

    void phoneBooksAreCopiedIntoTheImage()
    {
        Engine e;
        e.SetTypes(2, 0);
        QByteArray book(8192, char(0xFF));
        // Entry 3: "Ab" then dial codes of "12".
        book[64 * 3] = 'A';
        book[64 * 3 + 1] = 'b';
        book[64 * 3 + 32] = char(DialDigitCode(QLatin1Char('1')));
        book[64 * 3 + 33] = char(DialDigitCode(QLatin1Char('2')));
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            if (Byte(r[0]) == 0x88)
                return Frame(0x88, 0, book);
            if (Byte(r[0]) == 0x89)
                return Frame(0x89, 0, QByteArray(8192, char(0xFF)));
            return a;
        };
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.conversions.size(), 1);
        TSystemImage img;
        QCOMPARE(img.FromBytes(e.conversions[0].image), RecordResult::Ok);
        QCOMPARE(img.PhoneEntryName(3), QByteArray("Ab"));
        QCOMPARE(img.PhoneEntryNumber(3), QStringLiteral("12"));
        QCOMPARE(img.PhoneBookWire(3), book.mid(64 * 3, 64));
        QCOMPARE(img.PhoneEntryName(4), QByteArray());
        QCOMPARE(img.PhoneEntryName(130), QByteArray());
    }

    void boardsOnlySendsTwoRequestsAndKeepsTheProject()
    {
        Engine e;
        e.OpenProject();
        TAPult *before = e.host.model.get();
        e.d.DoskySBClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.sys.sent, (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0)}));
        QCOMPARE(e.host.model.get(), before);
        QCOMPARE(e.host.model->SlotyDosiek[16].Meno, QStringLiteral("TUL10"));
        QCOMPARE(e.prompt.texts(), QStringList{Text(71)});
        QCOMPARE(e.d.BoardsReadState, Byte(1));
        QVERIFY(e.conversions.isEmpty());
        QCOMPARE(e.host.windowsOpened, 0);
    }

    void boardsRecordsNameTheirSlots()
    {
        Engine e;
        e.OpenProject();
        QByteArray boards;
        for (int i = 0; i < 10; ++i)
            boards.append(QByteArray::fromHex("0000FF"));
        boards.append(QByteArray::fromHex("FE3047")); // slot 19
        boards.append(QByteArray::fromHex("003094")); // slot 3
        e.sys.boards = boards;
        e.d.DoskySBClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.host.model->SlotyDosiek[19].Meno, QStringLiteral("TUL10"));
        QCOMPARE(e.host.model->SlotyDosiek[3].Meno, QStringLiteral("T4W5"));
        QVERIFY(e.host.Card(19) != nullptr);
        QCOMPARE(e.host.model->TypDosiek, 1);
    }

    void boardsReRead_keepsTheProjectSlots()
    {
        Engine e;
        e.OpenProject();
        e.d.OperationMode = opmode::BoardsForWrite;
        e.d.DoskySBClick();
        QTRY_COMPARE_WITH_TIMEOUT(e.d.BoardsReadState, Byte(1), 5000);
        QCOMPARE(e.sys.sent.size(), 2);
        QCOMPARE(e.host.model->DoskySystemu[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(e.host.model->DoskySystemu[1].Kod, Byte(148));
        QCOMPARE(e.host.model->SlotyDosiek[1].Meno, QString());
        QCOMPARE(e.host.model->SlotyDosiek[5].Meno, QStringLiteral("TUL10"));
        // The write that waits goes on from here: port and phase stay.
        QVERIFY(e.sys.open);
        QCOMPARE(e.d.OperationMode, opmode::BoardsForWrite);
        QVERIFY(e.prompt.asked.isEmpty());
    }

    void boardsErrors_data()
    {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<int>("invalidSlot");
        QTest::addColumn<QString>("text");
        QByteArray ten;
        for (int i = 0; i < 10; ++i)
            ten.append(QByteArray::fromHex("0000FF"));
        QTest::newRow("length") << ten + QByteArray::fromHex("00") << -1 << Text(58);
        // A good board before the bad one: it must not be taken either.
        const QByteArray good = QByteArray::fromHex("001047");
        QTest::newRow("invalid slot") << ten + good + QByteArray::fromHex("00E047") << 14
                                      << Text(127) + QStringLiteral(" 14 (") + LinePosName(14) + QLatin1Char(')');
        QTest::newRow("unknown code") << ten + good + QByteArray::fromHex("002033") << -1
                                      << Text(129) + QStringLiteral(" 3 (") + LinePosName(2)
                                             + QStringLiteral(" [$33])");
    }

    void boardsErrors()
    {
        QFETCH(QByteArray, records);
        QFETCH(int, invalidSlot);
        QFETCH(QString, text);
        for (bool boardsOnly : {false, true}) {
            Engine e;
            if (invalidSlot >= 0)
                e.host.validSlots[std::size_t(invalidSlot)] = false;
            e.sys.boards = records;
            TCardOld *card = nullptr;
            if (boardsOnly) {
                e.OpenProject();
                QVERIFY(e.host.cards.CreateCardByName(QStringLiteral("TUL10"), 5));
                card = e.host.cards.CardOfSlot(5);
                e.host.model->SlotyDosiek[5].Kod = 71;
                e.d.DoskySBClick();
            } else {
                e.d.ReadConfigClick();
            }
            QVERIFY(e.WaitIdle());
            QCOMPARE(e.prompt.texts(), QStringList{text});
            QCOMPARE(e.sys.sent.size(), 2);
            QCOMPARE(e.d.BoardsReadState, Byte(2));
            QCOMPARE(e.ends, QList<bool>{false});
            // A boards-only read keeps the open project; a read frees the new one.
            QCOMPARE(e.host.model != nullptr, boardsOnly);
            QVERIFY(!e.sys.open);
            if (boardsOnly) {
                // Its slots, cards and close flag as they were: nothing of the answer is taken.
                QCOMPARE(e.host.cardButtonsFreed, 0);
                QCOMPARE(e.host.cards.CardOfSlot(5), card);
                QVERIFY(!e.host.cards.CardOfSlot(1));
                QCOMPARE(e.host.model->SlotyDosiek[5].Meno, QStringLiteral("TUL10"));
                QCOMPARE(e.host.model->SlotyDosiek[5].Kod, Byte(71));
                QVERIFY(e.host.model->SlotyDosiek[1].Meno.isEmpty());
                QVERIFY(e.host.closeAccepted);
            }
        }
    }

    void acknowledgementsOfARead_data()
    {
        QTest::addColumn<QByteArray>("ack");
        QTest::addColumn<QString>("text"); // empty: the read keeps waiting
        QTest::newRow("5 bytes") << Req(0x0A, 0) << QString();
        QTest::newRow("6 bytes code 0") << Req(0x0A, 0, QByteArray(1, 0)) << QString();
        QTest::newRow("console code 0") << Req(0x87, 0, QByteArray(1, 0)) << QString();
        QTest::newRow("code 1") << Req(0x0A, 0, QByteArray(1, 1)) << Text(80) + QStringLiteral(" (1 [$01H])");
        QTest::newRow("code 2") << Req(0x0A, 0, QByteArray(1, 2))
                                << Text(109) + QStringLiteral(" (") + Text(91) + QStringLiteral(" - 2 [$02H])");
        QTest::newRow("code 3") << Req(0x0A, 0, QByteArray(1, 3))
                                << Text(110) + QStringLiteral(" (") + Text(91) + QStringLiteral(" - 3 [$03H])") + CRLF
                                       + CRLF + Text(83) + CRLF + QStringLiteral(" - ") + Text(173) + CRLF
                                       + QStringLiteral(" - ") + Text(174) + CRLF + QStringLiteral(" - ")
                                       + Text(175) + CRLF + CRLF + Text(176);
        QTest::newRow("code 200") << Req(0x0A, 0, QByteArray(1, char(200)))
                                  << Text(80) + QStringLiteral(" (200 [$C8H])");
    }

    void acknowledgementsOfARead()
    {
        QFETCH(QByteArray, ack);
        QFETCH(QString, text);
        Engine e;
        // The key-to-line request of console 0 gets the acknowledgement first.
        bool once = true;
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            if (Byte(r[0]) == 0x02 && once) {
                once = false;
                return ack;
            }
            return a;
        };
        e.prompt.answers << TDialoguePrompt::Retry;
        e.d.ReadConfigClick();
        if (text.isEmpty()) {
            // Waiting goes on; the real answer then comes after it.
            QVERIFY(e.WaitSent(3));
            QTest::qWait(50);
            QCOMPARE(e.sys.sent.size(), 3);
            QCOMPARE(e.d.AnswerAwaited, Byte(1));
            QVERIFY(e.prompt.asked.isEmpty());
            e.d.WMAnswer(e.sys.AnswerTo(e.sys.sent.last()), 1);
            QVERIFY(e.WaitIdle());
            QVERIFY(e.prompt.asked.isEmpty());
            QCOMPARE(e.ends, QList<bool>{true});
        } else {
            // The error box at once; Retry sends the very same frame again.
            QVERIFY(e.WaitIdle());
            QCOMPARE(e.prompt.texts(), QStringList{text});
            QCOMPARE(e.prompt.asked[0].buttons,
                     TDialoguePrompt::Bit(TDialoguePrompt::Ok) | TDialoguePrompt::Bit(TDialoguePrompt::Retry));
            QCOMPARE(e.sys.sent[3], e.sys.sent[2]);
            QCOMPARE(e.ends, QList<bool>{true});
            QVERIFY(e.host.log.contains(QStringLiteral("1: ") + text));
        }
    }

    void errorAnswerWithOkAbortsTheRead()
    {
        Engine e;
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            return Byte(r[0]) == 0x03 ? Req(0x0A, 0, QByteArray(1, 2)) : a;
        };
        e.prompt.answers << TDialoguePrompt::Ok;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        const QString error = Text(109) + QStringLiteral(" (") + Text(91) + QStringLiteral(" - 2 [$02H])");
        QCOMPARE(e.prompt.texts(), QStringList{error});
        QCOMPARE(e.ends, QList<bool>{false});
        QVERIFY(e.host.model == nullptr);
        QCOMPARE(e.host.status, Text(61) + QStringLiteral(" - ") + error);
        QCOMPARE(e.host.windowsOpened, 0);
        QVERIFY(e.conversions.isEmpty());
        QVERIFY(!e.sys.open);
        QCOMPARE(e.d.UserInterfaceUnlocked, Byte(1));
    }

    void dataVersionRecords_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("version");
        QTest::addColumn<QList<QByteArray>>("next"); // the requests after the data version
        const QList<QByteArray> none{Req(0x05, 0)};
        const QList<QByteArray> msn{TableReq(0, "0000F9000200"), Req(0x05, 0)};
        for (int n = 2; n <= 5; ++n)
            QTest::addRow("%d bytes", n) << QByteArray("VER\x00\x04", 5).left(n) << 0 << none;
        QByteArray two = QByteArray::fromHex("5645520002");
        two.append(char(0x56 + 0x45 + 0x52 + 0x00 + 0x02));
        QTest::newRow("version 2") << two << 2 << msn;
        QByteArray bad = QByteArray::fromHex("564552000400");
        bad.append(char(0x00)); // wrong sum
        QTest::newRow("bad sum") << bad << 0 << none;
        QTest::newRow("not VER") << QByteArray::fromHex("58455200040000") << 0 << none;
    }

    void dataVersionRecords()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, version);
        QFETCH(QList<QByteArray>, next);
        Engine e;
        e.SetTypes(2, 0);
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            return Byte(r[0]) == 0x0F && Byte(r[7]) == 0xF7 ? Frame(0x0F, 0, data) : a;
        };
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QVERIFY(e.prompt.asked.isEmpty());
        const int at = e.sys.sent.indexOf(TableReq(0, "0000F7000006"));
        QVERIFY(at > 0);
        QCOMPARE(e.sys.sent.mid(at + 1, next.size()), next);
        QCOMPARE(e.host.model->VerziaDat, version);
    }

    void answerLongerThanItsSlotIsNoAnswer()
    {
        Engine e;
        e.SetTypes(2, 0);
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            return Byte(r[0]) == 0x81 ? Frame(0x81, 0, Pattern(8197, 5)) : a;
        };
        e.prompt.answers << TDialoguePrompt::Ok;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.sys.sent.last(), Req(0x81, 0));
        QCOMPARE(e.prompt.texts().size(), 1);
        QVERIFY(e.prompt.texts()[0].startsWith(Text(61)));
        QVERIFY(e.prompt.texts()[0].contains(Text(114)));
        QCOMPARE(e.ends, QList<bool>{false});
    }

    void skippedStepsNeverConvertAnEarlierRead()
    {
        Engine e;
        e.SetTypes(2, 0);
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.conversions.size(), 1);
        // The second system has no optional tables and a console without
        // answers for its key names.
        e.sys.feature = 13;
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            if (Byte(r[0]) == 0x81)
                return Frame(0x81, 0, QByteArray(8192, 'x'));
            return a;
        };
        e.sys.sent.clear();
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.conversions.size(), 2);
        const QByteArray img = e.conversions[1].image;
        QCOMPARE(img.mid(img::MsnOffset, 512), QByteArray(512, char(0xFF)));
        QCOMPARE(img.mid(img::LineFlagsOffset, 480), QByteArray(480, char(0xFF)));
        QCOMPARE(img.mid(img::GsmrFunctionOffset, 18), QByteArray(18, char(0xFF)));
        QCOMPARE(img.mid(img::DataVersionOffset, 6), QByteArray(6, 0));
        // Phone books not read (test value 13): empty, not the first read's.
        TSystemImage image;
        QCOMPARE(image.FromBytes(img), RecordResult::Ok);
        for (int i = 0; i < 256; ++i)
            QVERIFY(image.PhoneEntryName(i).isEmpty());
    }

    void failedConversionStopsTheSession()
    {
        Engine e;
        RecordConversions(e.d, e.host, e.conversions, false);
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.conversions.size(), 1);
        QCOMPARE(e.ends, QList<bool>{false});
        QCOMPARE(e.host.windowsOpened, 0);
        QVERIFY(e.host.status != Text(71));
        QVERIFY(e.host.model == nullptr);
        QVERIFY(!e.sys.open);
        QVERIFY(e.prompt.asked.isEmpty());
    }

    // A failure that a handler catches is logged and ends the read as it
    // always did; a hook, when set, hears of it too.
    void caughtFailureEndsTheReadAndReachesTheHook_data()
    {
        QTest::addColumn<bool>("hooked");
        QTest::newRow("no hook") << false;
        QTest::newRow("hook") << true;
    }

    void caughtFailureEndsTheReadAndReachesTheHook()
    {
        QFETCH(bool, hooked);
        static QStringList caught;
        caught.clear();
        if (hooked)
            TDialogue::CaughtFailureHook = [](const char *where, const std::exception &e) {
                caught << QString::fromLatin1(where) + QStringLiteral(": ") + QString::fromLatin1(e.what());
            };
        struct Unhook {
            ~Unhook() { TDialogue::CaughtFailureHook = nullptr; }
        } unhook;
        Engine e;
        e.d.ImageToModelHook = [](int, bool, int &) -> bool { throw std::runtime_error("no room for the keys"); };
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.host.log.filter(QStringLiteral("no room")),
                 QStringList{QStringLiteral("1: WMAnswer: no room for the keys")});
        QCOMPARE(caught, hooked ? QStringList{QStringLiteral("WMAnswer: no room for the keys")} : QStringList{});
        QCOMPARE(e.ends, QList<bool>{false});
        QVERIFY(e.host.model == nullptr);
        QCOMPARE(e.host.windowsOpened, 0);
        QVERIFY(!e.sys.open);
        QVERIFY(e.prompt.asked.isEmpty());
    }

    // Without a reader of the frame log no frame is formatted; the read is the same.
    void frameLogLeftOutChangesNothingElse()
    {
        QList<TConversion> seen[2];
        QStringList memo[2];
        for (int off = 0; off < 2; ++off) {
            Engine e;
            e.host.frameLog = off == 0;
            e.d.ReadConfigClick();
            QVERIFY(e.WaitIdle());
            QCOMPARE(e.ends, QList<bool>{true});
            seen[off] = e.conversions;
            memo[off] = e.host.memo1;
        }
        QCOMPARE(seen[1].size(), 2);
        for (int n = 0; n < 2; ++n)
            QCOMPARE(seen[1][n].image, seen[0][n].image);
        QVERIFY(memo[0].size() > 20);
        QCOMPARE(memo[1], QStringList{QStringLiteral("1:")});
    }

    void retryOnTheLastSystemStepResends()
    {
        Engine e;
        int unis = 0;
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            // Console 1's UNI table is lost once.
            if (Byte(r[0]) == 0x05 && Byte(r[2]) == 1 && unis++ == 0)
                return QByteArray();
            return a;
        };
        e.prompt.answers << TDialoguePrompt::Retry;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.prompt.texts().size(), 1);
        QVERIFY(e.prompt.texts()[0].startsWith(Text(61)));
        ReadSetup s;
        QList<QByteArray> expected = ExpectedReadRequests(s);
        const int at = expected.indexOf(Req(0x05, 1));
        expected.insert(at, Req(0x05, 1));
        QCOMPARE(e.sys.sent, expected);
        QCOMPARE(e.ends, QList<bool>{true});
        QCOMPARE(e.conversions.size(), 2);
    }

    void watchdogLimits_data()
    {
        QTest::addColumn<int>("kom");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("limit");
        QTest::newRow("test") << 1 << 0 << 4;
        QTest::newRow("boards") << 1 << 1 << 15;
        QTest::newRow("table") << 1 << 7 << 15;
        QTest::newRow("time keeper") << 1 << 200 << 15;
        QTest::newRow("console system test") << 3 << 0 << 4;
        QTest::newRow("console test") << 3 << 1 << 4;
        QTest::newRow("console table") << 3 << 2 << 30;
        QTest::newRow("write test") << 2 << 1 << 15;
        QTest::newRow("console write") << 4 << 1 << 4;
        QTest::newRow("console write table") << 4 << 3 << 30;
    }

    void watchdogLimits()
    {
        QFETCH(int, kom);
        QFETCH(int, step);
        QFETCH(int, limit);
        Engine e;
        e.OpenProject();
        e.d.Kom = Byte(kom);
        e.d.ktKrok = Byte(step);
        e.d.OperationMode = kom == 1 || kom == 3 ? opmode::Read : opmode::Write;
        e.d.AnswerAwaited = 1;
        e.prompt.answers << TDialoguePrompt::Ok;
        for (int tick = 1; tick <= limit; ++tick)
            e.d.TimerKomunikTimer();
        QVERIFY(e.prompt.asked.isEmpty());
        e.d.TimerKomunikTimer();
        QCOMPARE(e.prompt.asked.size(), 1);
        QCOMPARE(e.prompt.asked[0].kind, TDialoguePrompt::Kind::Error);
        QCOMPARE(e.prompt.texts()[0].contains(Text(114)), kom == 3 || kom == 4);
        // Reads free the model, writes keep it.
        QCOMPARE(e.host.model != nullptr, kom == 2 || kom == 4);
        QVERIFY(e.d.Idle());
    }

    void idleWatchdogTickOnlyStops()
    {
        Engine e;
        e.d.TimerKomunik.start();
        e.d.Tag = 7;
        e.d.TimerKomunikTimer();
        QVERIFY(!e.d.TimerKomunik.isActive());
        QCOMPARE(e.d.Tag, 0);
        QVERIFY(e.prompt.asked.isEmpty());
    }

    void boardsOnlyTimeoutKeepsTheProject()
    {
        Engine e;
        e.OpenProject();
        TAPult *before = e.host.model.get();
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) { return Byte(r[0]) == 0x01 ? QByteArray() : a; };
        e.prompt.answers << TDialoguePrompt::Ok;
        e.d.DoskySBClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.prompt.texts().size(), 1);
        QCOMPARE(e.host.model.get(), before);
        QCOMPARE(e.ends, QList<bool>{false});
        QCOMPARE(e.d.BoardsReadState, Byte(2));
    }

    void consoleTypeChosenInTheQuestionIsApplied()
    {
        Engine e;
        // Console 0 is answered as a PC console, console 1 confirmed as it is.
        e.prompt.consoleAnswers << std::pair<bool, Byte>{true, 1} << std::pair<bool, Byte>{true, 0};
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.prompt.consoleAsked.size(), 2);
        QCOMPARE(e.prompt.consoleAsked[0].console, 0);
        QCOMPARE(e.prompt.consoleAsked[0].presetType, Byte(2));
        QCOMPARE(e.prompt.consoleAsked[0].caption, Text(63));
        QCOMPARE(e.host.model->Pulty[0]->TypPultu, Byte(1));
        QCOMPARE(e.host.pcLoads, QList<int>{0});
        ReadSetup s;
        QList<QByteArray> expected = ExpectedSystemRequests(s) + ExpectedConsoleRequests(s, 1);
        QCOMPARE(e.sys.sent, expected);
        QCOMPARE(e.conversions.size(), 1);
        QCOMPARE(e.conversions[0].console, 1);
    }

    void everyConsoleCancelledEndsWithTheSystemTables()
    {
        Engine e;
        e.prompt.consoleAnswers << std::pair<bool, Byte>{false, 0} << std::pair<bool, Byte>{false, 0};
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.sys.sent, ExpectedSystemRequests(ReadSetup{}));
        QCOMPARE(e.ends, QList<bool>{true});
        QVERIFY(e.conversions.isEmpty());
        QCOMPARE(e.host.modifiedMarks, 1);
    }

    void twoPcConsolesReadTheSystemOnly()
    {
        Engine e;
        e.SetTypes(1, 1);
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        ReadSetup s;
        s.types = {1, 1};
        QCOMPARE(e.sys.sent, ExpectedSystemRequests(s));
        QCOMPARE(e.host.pcLoads, (QList<int>{0, 1}));
        QCOMPARE(e.ends, QList<bool>{true});
    }

    void failedSideFileAbortsTheRead()
    {
        Engine e;
        e.SetTypes(1, 2);
        e.host.pcLoadFails = true;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.ends, QList<bool>{false});
        QVERIFY(e.host.model == nullptr);
        QVERIFY(!e.sys.open);
    }

    void phoneBookGivenUpGoesOnWithTheNextConsole()
    {
        Engine e;
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            return Byte(r[0]) == 0x88 && Byte(r[2]) == 0 ? QByteArray() : a;
        };
        e.prompt.answers << TDialoguePrompt::Ok;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.prompt.texts().size(), 1);
        ReadSetup s;
        QList<QByteArray> expected = ExpectedSystemRequests(s);
        expected << Req(0x00, 0) << Req(0x80, 0) << Req(0x81, 0) << Req(0x82, 0) << Req(0x88, 0);
        expected << ExpectedConsoleRequests(s, 1);
        QCOMPARE(e.sys.sent, expected);
        QCOMPARE(e.conversions.size(), 2);
        QCOMPARE(e.ends, QList<bool>{true});
    }

    void busyAcknowledgementOfAWriteAsksToWait()
    {
        Engine e;
        e.OpenProject();
        e.d.OperationMode = opmode::Write;
        e.d.Kom = 2;
        e.d.ktKrok = 1;
        e.d.AnswerAwaited = 1;
        e.d.TimerKomunik.start();
        e.prompt.answers << TDialoguePrompt::Ok;
        e.d.WMAnswer(Req(0x0A, 0, QByteArray(1, 1)), 1);
        const QString error = Text(79) + QStringLiteral(" (1 [$01H])");
        const QString question = error + CRLF + Text(59) + CRLF + Text(60);
        QCOMPARE(e.prompt.texts(), QStringList{question});
        QCOMPARE(e.prompt.asked[0].kind, TDialoguePrompt::Kind::Warning);
        QVERIFY(e.host.log.contains(QStringLiteral("0: ") + question + CRLF + QStringLiteral("mrOK")));
        QVERIFY(e.d.TimerKomunik.isActive());
        QCOMPARE(e.d.Tag, 0);
        QCOMPARE(e.d.AnswerAwaited, Byte(1));
        // Cancel the next time turns into the error box; OK there ends the write, keeping the model.
        e.prompt.answers << TDialoguePrompt::Cancel << TDialoguePrompt::Ok;
        e.d.WMAnswer(Req(0x0A, 0, QByteArray(1, 1)), 1);
        QCOMPARE(e.prompt.texts().size(), 3);
        QCOMPARE(e.prompt.texts()[2], error);
        QVERIFY(e.host.model != nullptr);
        QVERIFY(e.d.Idle());
    }

    void shortWriteAcknowledgementIsNoAcknowledgement()
    {
        Engine e;
        e.OpenProject();
        e.d.OperationMode = opmode::Write;
        e.d.Kom = 2;
        e.d.ktKrok = 3;
        e.d.AnswerAwaited = 1;
        e.d.TimerKomunik.start();
        for (int size : {2, 3, 4, 5}) {
            QByteArray ack = Req(0x0A, 0).left(size);
            e.d.WMAnswer(ack, 1);
        }
        QCOMPARE(e.d.AnswerAwaited, Byte(1));
        QCOMPARE(e.d.ktKrok, Byte(3));
        QVERIFY(e.prompt.asked.isEmpty());
    }

    void unawaitedFrameIsDropped()
    {
        Engine e;
        e.d.WMAnswer(Req(0x00, 0, QByteArray(6, 0)), 1);
        QVERIFY(e.host.memo1.isEmpty());
        QVERIFY(e.prompt.asked.isEmpty());
    }

    void timeKeeperListsTheMemory()
    {
        Engine e;
        e.OpenProject();
        e.sys.filter = [&](const QByteArray &r, const QByteArray &a) {
            return Byte(r[0]) == 0x0F ? Frame(0x0F, 0, QByteArray::fromHex("000102030405060708090A0B0C0D0E0F1011ABFF"))
                                      : a;
        };
        e.d.bbTimeKeeperClick();
        QVERIFY(e.WaitIdle());
        QCOMPARE(e.sys.sent, QList<QByteArray>{TableReq(0, "0000E0001C00")});
        QCOMPARE(e.host.memo2.join(QLatin1Char('\n')),
                 QStringLiteral("e000: 00 01 02 03 04 05 06 07\ne008: 08 09 0a 0b 0c 0d 0e 0f\ne010: 10 11 ab ff"));
        QCOMPARE(e.prompt.texts(), QStringList{Text(71) + QLatin1Char(' ') + Text(72)});
        QVERIFY(e.host.model != nullptr);
    }

    void portThatCannotOpen()
    {
        Engine e;
        e.sys.openFails = true;
        e.d.ComNumber = 3;
        e.d.ReadConfigClick();
        QVERIFY(e.WaitIdle());
        const QString text = Text(143) + QStringLiteral(" (COM 3)");
        QCOMPARE(e.prompt.texts(), QStringList{text});
        QVERIFY(e.host.model == nullptr);
        QVERIFY(e.sys.sent.isEmpty());
        QCOMPARE(e.d.UserInterfaceUnlocked, Byte(1));
    }

    void consoleWindowThatRefusesToClose()
    {
        Engine e;
        e.host.windowsStayOpen = true;
        e.host.closeAccepted = true;
        e.prompt.answers << TDialoguePrompt::Retry << TDialoguePrompt::Abort;
        e.d.ReadConfigClick();
        QCOMPARE(e.prompt.texts(), (QStringList{Text(29), Text(29)}));
        QCOMPARE(e.d.OperationMode, opmode::Idle);
        QVERIFY(e.sys.sent.isEmpty());
        e.host.closeAccepted = false;
        e.prompt.asked.clear();
        e.d.ReadConfigClick();
        QVERIFY(e.prompt.asked.isEmpty());
        QVERIFY(e.sys.sent.isEmpty());
    }

    void newConsoleDialogCancelled()
    {
        Engine e;
        e.host.newConsoleGoAhead = false;
        e.d.ReadConfigClick();
        QCOMPARE(e.d.OperationMode, opmode::Idle);
        QVERIFY(e.sys.sent.isEmpty());
        QCOMPARE(e.host.projectName, QString());
        QCOMPARE(e.d.UserInterfaceUnlocked, Byte(1));
    }

    void lockingIsIdempotent()
    {
        Engine e;
        QSignalSpy spy(&e.d, &TDialogue::UserInterfaceLocked);
        e.d.LockUserInterface();
        e.d.LockUserInterface();
        e.d.UnlockUserInterface();
        e.d.UnlockUserInterface();
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].toBool(), true);
        QCOMPARE(spy[1][0].toBool(), false);
        QCOMPARE(e.d.UserInterfaceUnlocked, Byte(1));
    }

    void commStateTexts()
    {
        const QList<std::pair<int, int>> cases{{1, 67}, {18, 67}, {2, 68}, {3, 69}, {4, 70}, {5, 131}, {8, 131}};
        for (auto [mode, text] : cases)
            QCOMPARE(TDialogue::CommStateText(Byte(mode)), Text(text));
        for (int mode : {0, 11, 12, 13, 15})
            QCOMPARE(TDialogue::CommStateText(Byte(mode)), QString());
    }

    void abortWhileTheBoardsAreReReadOnlyReports()
    {
        Engine e;
        e.OpenProject();
        e.d.OperationMode = opmode::BoardsForWrite;
        e.d.Kom = 1;
        e.d.ktKrok = 1;
        e.d.AbortSession(true);
        QCOMPARE(e.d.Kom, Byte(1));
        QCOMPARE(e.d.BoardsReadState, Byte(2));
        QVERIFY(e.host.model != nullptr);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
