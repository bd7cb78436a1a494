// Reads from the simulated system over a real pseudo-terminal and the
// program's serial link: the requests on the wire byte for byte, the answers
// as they end up in the system image, and the faults of the line.
#include <QElapsedTimer>
#include <QtTest>
#include <memory>

#include "comm/com_orva.h"
#include "dialogue/apdalink.h"
#include "dialogue/dialogue.h"
#include "expected.h"
#include "platform/timing.h"
#include "simpeer.h"
#include "testhost.h"

namespace
{

const QString CRLF = QStringLiteral("\r\n");

QString Text(int n)
{
    return LoadStrDll(n);
}

QString TimeoutText(bool consolePhase)
{
    QString t = Text(61) + CRLF + CRLF + Text(83) + CRLF;
    if (consolePhase)
        t += " - " + Text(114) + CRLF + " - " + Text(115) + CRLF;
    return t + " - " + Text(84) + CRLF + " - " + Text(85) + CRLF + " - " + Text(86) + CRLF + " - " + Text(87) + CRLF
           + " - " + Text(88);
}

struct SimRun {
    TTestHost host;
    TScriptPrompt prompt;
    QObject owner;
    TApdA *port = nullptr;
    std::unique_ptr<TApdALink> link;
    std::unique_ptr<TDialogue> d;
    QList<TConversion> conversions;
    QList<bool> ends;
    TListConversionLog conversionLog;

    explicit SimRun(const TSimPeer &sim)
    {
        qputenv("KELVARA_COM1", sim.path.toLocal8Bit());
        d = std::make_unique<TDialogue>(host, prompt);
        port = CreateComPort(&owner, 1);
        link = std::make_unique<TApdALink>(*port);
        d->SetLink(link.get());
        d->SetComNumber(1);
        ConnectFrames(*port, *d);
        RecordConversions(*d, host, conversions);
        QObject::connect(d.get(), &TDialogue::SessionFinished, [this](bool ok) { ends.append(ok); });
    }

    bool WaitIdle(int ms = 60000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!(d->Idle() && d->AnswerAwaited == 0) && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return d->Idle();
    }

    void OpenProject()
    {
        TAPult &a = host.CreateModel();
        a.PocetPultov = 2;
        for (int n = 0; n < 2; ++n) {
            a.Pulty[n] = std::make_unique<TPult>();
            a.Pulty[n]->TypPultu = 2;
        }
    }
};

QList<QByteArray> Requests(const TSimPeer &sim, bool *wellFormed = nullptr)
{
    QList<QByteArray> out;
    bool ok = true;
    for (const QByteArray &w : sim.Frames(QStringLiteral("rx"))) {
        ok = ok && TSimPeer::WellFormed(w);
        out << TSimPeer::CallerFrame(w);
    }
    if (wellFormed)
        *wellFormed = ok;
    return out;
}

const char *SetupName(int t0, int t1)
{
    if (t0 == 2 && t1 == 2)
        return "mech+mech";
    if (t0 == 1 && t1 == 2)
        return "pc+mech";
    return "mech";
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LoadProgramTexts());
        fixtureDir = std::make_unique<QTemporaryDir>();
    }

    void init() { platform::SetTimeScale(1.0); }

    void readFromTheSimulator_data()
    {
        QTest::addColumn<int>("feature");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("t0");
        QTest::addColumn<int>("t1");
        for (int feature : {13, 14, 15})
            for (int version = 1; version <= 4; ++version)
                for (auto [t0, t1] : {std::pair{2, 2}, std::pair{1, 2}, std::pair{2, 0}})
                    QTest::addRow("f%d v%d %s", feature, version, SetupName(t0, t1)) << feature << version << t0 << t1;
    }

    void readFromTheSimulator()
    {
        QFETCH(int, feature);
        QFETCH(int, version);
        QFETCH(int, t0);
        QFETCH(int, t1);
        const QStringList args{"--feature",  QString::number(feature),  "--data-version",
                               QString::number(version), "--consoles", SetupName(t0, t1)};
        const TSimFixture fx = TSimFixture::Write(args, fixtureDir->filePath(QStringLiteral("fx.json")));
        QVERIFY(!fx.json.isEmpty());
        TSimPeer sim(args);
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        SimRun run(sim);
        RealConversions(*run.d, run.host, run.conversionLog, run.conversions);
        run.host.consoleTypes = {Byte(t0), Byte(t1)};
        run.d->ReadConfigClick();
        QVERIFY(run.WaitIdle());
        QCOMPARE(run.ends, QList<bool>{true});
        QCOMPARE(run.prompt.texts(), QStringList{});
        sim.Stop();

        ReadSetup s;
        s.feature = feature;
        s.dataVersion = version;
        s.types = {t0, t1};
        bool wellFormed = false;
        QCOMPARE(Requests(sim, &wellFormed), ExpectedReadRequests(s));
        QVERIFY(wellFormed);

        // The answers as the conversion found them in the image.
        QList<int> mech;
        for (int n = 0; n < 2; ++n)
            if (s.types[n] == 2)
                mech << n;
        QCOMPARE(run.conversions.size(), mech.size());
        for (int i = 0; i < mech.size(); ++i) {
            const int n = mech[i];
            const QByteArray img = run.conversions[i].image;
            QCOMPARE(run.conversions[i].console, n);
            QCOMPARE(img.mid(img::KeyToLineOffset, 256), fx.Console(n, "key_line"));
            QCOMPARE(img.mid(img::LineToLampOffset, 256), fx.Console(n, "line_lamp"));
            QCOMPARE(img.mid(img::KeyToSubscriberOffset, 256), fx.Console(n, "key_sub"));
            QCOMPARE(img.mid(img::UniOffset, 1040), fx.System("uni"));
            QCOMPARE(img.mid(img::KeyNamesOffset, 8192), fx.Console(n, "key_names"));
            const QByteArray records = fx.Console(n, "key_records");
            for (int k = 0; k < 256; ++k)
                QCOMPARE(img.mid(img::KeyRecordsOffset + 40 * k, 32), records.mid(32 * k, 32));
            TSystemImage image;
            QCOMPARE(image.FromBytes(img), RecordResult::Ok);
            // The phone book as the console holds it.
            const QByteArray phone = fx.Console(n, "phone1");
            QCOMPARE(image.PhoneBookWire(0), feature >= 14 ? phone.left(64) : QByteArray(64, char(0xFF)));
            const bool msn = feature >= 15 && version > 1, fn = feature >= 15 && version > 2,
                       flags = feature >= 15 && version > 3;
            QCOMPARE(img.mid(img::MsnOffset, 512), msn ? fx.System("msn") : QByteArray(512, char(0xFF)));
            QCOMPARE(img.mid(img::GsmrFunctionOffset, 18), fn ? fx.System("fn").left(18) : QByteArray(18, char(0xFF)));
            QCOMPARE(img.mid(img::LineFlagsOffset, 480), flags ? fx.System("line_flags") : QByteArray(480, char(0xFF)));
            QCOMPARE(img.mid(img::DataVersionOffset, 6),
                     feature >= 15 ? fx.System("data_version") : QByteArray(6, 0));
        }
        QCOMPARE(run.host.model->VerziaDat, feature >= 15 ? version : 0);
        // The program's conversion took every key the system sent.
        QCOMPARE(run.conversionLog.boxes, QStringList{});
        for (int n : mech) {
            const TPult *pult = run.host.model->Pulty[n].get();
            QVERIFY(pult);
            for (const auto &key : pult->Klavesy)
                QVERIFY(key != nullptr);
            const QString name = OemToAnsiText(fx.Console(n, "key_names").left(32)).trimmed();
            QCOMPARE(pult->Klavesy[0]->MenoKlavesy, name);
        }
        QCOMPARE(run.host.pcLoads, t0 == 1 ? QList<int>{0} : QList<int>{});
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("answer");      // the button chosen in the one box, 0 when no box is expected
        QTest::addColumn<QString>("text");    // the box's text
        QTest::addColumn<QByteArray>("again"); // the request sent twice in a row, empty for none
        QTest::addColumn<bool>("completes");

        const QString e109 = Text(109) + " (" + Text(91) + " - 2 [$02H])";
        QTest::newRow("no answer, retry") << "no-answer@0x02" << int(TDialoguePrompt::Retry) << TimeoutText(false)
                                          << Req(0x02, 0) << true;
        QTest::newRow("no answer to the test, retry")
            << "no-answer@#1" << int(TDialoguePrompt::Retry) << TimeoutText(false) << Req(0x00, 0) << true;
        QTest::newRow("error code, abort") << "error-code=2@0x03" << int(TDialoguePrompt::Ok) << e109 << QByteArray()
                                           << false;
        QTest::newRow("console error code, retry") << "error-code=2@0x81" << int(TDialoguePrompt::Retry) << e109
                                                   << Req(0x81, 0) << true;
        QTest::newRow("bad checksum, retry") << "bad-checksum@0x04" << int(TDialoguePrompt::Retry)
                                             << TimeoutText(false) << Req(0x04, 0) << true;
        QTest::newRow("short answer, retry") << "short-answer@0x82" << int(TDialoguePrompt::Retry)
                                             << TimeoutText(true) << Req(0x82, 0) << true;
        QTest::newRow("no console test, abort")
            << "no-answer@0x80" << int(TDialoguePrompt::Ok) << TimeoutText(true) << QByteArray() << false;
        QTest::newRow("garbage between frames") << "garbage-between-frames@0x01" << 0 << QString() << QByteArray()
                                                << true;
        QTest::newRow("garbage before every answer") << "garbage-between-frames,always" << 0 << QString()
                                                     << QByteArray() << true;
        QTest::newRow("acknowledgement first") << "ack-first@0x88" << 0 << QString() << QByteArray() << true;
    }

    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(int, answer);
        QFETCH(QString, text);
        QFETCH(QByteArray, again);
        QFETCH(bool, completes);
        platform::SetTimeScale(0.05);
        TSimPeer sim({"--fault", fault});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        SimRun run(sim);
        if (answer)
            run.prompt.answers << answer;
        run.d->ReadConfigClick();
        QVERIFY(run.WaitIdle());
        sim.Stop();

        QCOMPARE(run.prompt.texts(), answer ? QStringList{text} : QStringList{});
        QCOMPARE(run.ends, QList<bool>{completes});
        const QList<QByteArray> sent = Requests(sim);
        QList<QByteArray> expected = ExpectedReadRequests(ReadSetup{});
        if (!again.isEmpty()) {
            const int at = expected.indexOf(again);
            QVERIFY(at >= 0);
            expected.insert(at, again);
        }
        if (completes) {
            QCOMPARE(sent, expected);
            QCOMPARE(run.conversions.size(), 2);
            QVERIFY(run.host.model != nullptr);
            QCOMPARE(run.host.status, Text(71));
        } else {
            // Nothing more was asked after the failed request; a read frees its new model.
            QCOMPARE(sent, expected.mid(0, sent.size()));
            QVERIFY(run.conversions.isEmpty());
            QVERIFY(run.host.model == nullptr);
            QCOMPARE(run.host.windowsOpened, 0);
            QVERIFY(run.host.status.startsWith(Text(61)));
        }
    }

    void shortDataVersionRecord()
    {
        platform::SetTimeScale(0.05);
        TSimPeer sim({"--fault", "short-answer=3@0x0F/F7"});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        SimRun run(sim);
        run.d->ReadConfigClick();
        QVERIFY(run.WaitIdle());
        sim.Stop();
        QVERIFY(run.prompt.asked.isEmpty());
        const QList<QByteArray> sent = Requests(sim);
        const int at = sent.indexOf(TableReq(0, "0000F7000006"));
        QVERIFY(at > 0);
        QCOMPARE(sent.at(at + 1), Req(0x05, 0));
        QCOMPARE(run.host.model->VerziaDat, 0);
        QCOMPARE(run.ends, QList<bool>{true});
    }

    void boardsOnlyWithoutAnswerKeepsTheProject()
    {
        platform::SetTimeScale(0.05);
        TSimPeer sim({"--fault", "no-answer@0x01"});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        SimRun run(sim);
        run.OpenProject();
        TAPult *before = run.host.model.get();
        run.prompt.answers << TDialoguePrompt::Ok;
        run.d->DoskySBClick();
        QVERIFY(run.WaitIdle());
        sim.Stop();
        QCOMPARE(run.prompt.texts(), QStringList{TimeoutText(false)});
        QCOMPARE(run.host.model.get(), before);
        QCOMPARE(run.d->BoardsReadState, Byte(2));
        QCOMPARE(Requests(sim), (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0)}));
    }

    void boardsOnlyReadsTwoFrames()
    {
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        SimRun run(sim);
        run.OpenProject();
        run.d->DoskySBClick();
        QVERIFY(run.WaitIdle());
        sim.Stop();
        QCOMPARE(run.prompt.texts(), QStringList{Text(71)});
        QCOMPARE(Requests(sim), (QList<QByteArray>{Req(0x00, 0), Req(0x01, 0)}));
        QCOMPARE(run.host.model->SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
    }

private:
    std::unique_ptr<QTemporaryDir> fixtureDir;
};

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
