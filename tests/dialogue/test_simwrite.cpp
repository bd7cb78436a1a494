// Writes to the simulated system over a real pseudo-terminal and the
// program's serial link: a configuration read from one system, written to a
// second, empty one and read back from it; the requests on the wire byte for
// byte; acknowledgement codes, silence and the erase as the system answers them.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <memory>

#include "comm/com_orva.h"
#include "dialogue/apdalink.h"
#include "dialogue/dialogue.h"
#include "expected.h"
#include "platform/timing.h"
#include "records/modeltoimage.h"
#include "simpeer.h"
#include "testhost.h"
#include "tests/fixture/fixture.h"

namespace
{

const QString CRLF = QStringLiteral("\r\n");

QString Text(int n)
{
    return LoadStrDll(n);
}

QString Success()
{
    return Text(71) + QLatin1Char(' ') + Text(72);
}

// The program's side of a dialogue with one simulated system, converting both
// ways with the program's own conversions.
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
    QList<int> converted;

    SimRun()
    {
        d = std::make_unique<TDialogue>(host, prompt);
        port = CreateComPort(&owner, 1);
        link = std::make_unique<TApdALink>(*port);
        d->SetLink(link.get());
        d->SetComNumber(1);
        ConnectFrames(*port, *d);
        RealConversions(*d, host, conversionLog, conversions);
        d->ModelToImageHook = [this](int console) {
            converted << console;
            TRecordContext context{TConfigPlace(host.model), host.image, host.BoardList_.get(), host.cards,
                                   QStringLiteral("/tmp/kelvara")};
            return ModelToImage(context, console);
        };
        QObject::connect(d.get(), &TDialogue::SessionFinished, [this](bool ok) { ends.append(ok); });
        // A read leaves the project unsaved: the write's save prompt saves it.
        host.saveChoice = 1;
    }

    // The next dialogue goes to this system.
    void Use(const TSimPeer &sim)
    {
        qputenv("KELVARA_COM1", sim.path.toLocal8Bit());
        ends.clear();
        prompt.asked.clear();
    }

    bool WaitIdle(int ms = 120000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!(d->Idle() && d->AnswerAwaited == 0) && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
        return d->Idle();
    }

    // Reads the whole configuration of the system in use.
    bool Read()
    {
        host.model.reset();
        host.cards.Clear();
        ends.clear();
        d->ReadConfigClick();
        return WaitIdle() && ends == QList<bool>{true} && host.model;
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

// A system with the default system's boards and consoles and nothing configured.
QString EmptySystem(const QTemporaryDir &dir, int feature, const std::array<int, 2> &types)
{
    QJsonObject root{{"format", "orvasim-1"},
                     {"feature", feature},
                     {"system_kind", "P"},
                     {"boards", QJsonObject{{"0", 71}, {"1", 148}, {"16", 71}}}};
    root["consoles"] = QJsonArray{QJsonObject{{"type", types[0]}}, QJsonObject{{"type", types[1]}}};
    const QString file =
        dir.filePath(QStringLiteral("empty-%1-%2%3.json").arg(feature).arg(types[0]).arg(types[1]));
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(QJsonDocument(root).toJson());
    return file;
}

// The default system of the simulator without its GSM-R subscriber records:
// it keeps them for lines that are on no GSM-R board, where a configuration
// cannot hold them. Written to `file`; the fixture returned.
TSimFixture SystemWithoutMsn(const QStringList &setup, const QString &file)
{
    TSimFixture fx = TSimFixture::Write(setup, file);
    QJsonObject tables = fx.json.value("tables").toObject();
    QJsonArray rows;
    for (int i = 0; i < 32; ++i)
        rows.append(QStringLiteral("FF").repeated(16));
    tables["msn"] = rows;
    fx.json["tables"] = tables;
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(QJsonDocument(fx.json).toJson());
    return fx;
}

// The requests of a write of the tables the fixture holds. Key records the
// consoles have no keys for (224 to 255) go empty.
QList<QByteArray> ExpectedFromFixture(const TSimFixture &fx, int feature, const std::array<int, 2> &types,
                                      const QByteArray &boards)
{
    std::array<ConsoleTables, 2> t;
    for (int n = 0; n < 2; ++n) {
        t[n].keyToLine = fx.Console(n, "key_line");
        t[n].lineToLamp = fx.Console(n, "line_lamp");
        t[n].keyToSubscriber = fx.Console(n, "key_sub");
        t[n].uni = fx.System("uni");
        t[n].keyNames = fx.Console(n, "key_names");
        t[n].keyRecords = fx.Console(n, "key_records").left(224 * 32) + QByteArray(32 * 32, char(0xFF));
        // The configuration keeps the named entries in order, without gaps.
        const QByteArray book = fx.Console(n, "phone1") + fx.Console(n, "phone2");
        for (int i = 0; i < 256; ++i)
            if (book.mid(64 * i, 32) != QByteArray(32, char(0xFF)))
                t[n].phoneBook += book.mid(64 * i, 64);
        t[n].phoneBook += QByteArray(16384 - t[n].phoneBook.size(), char(0xFF));
    }
    SystemTables sys;
    sys.boards = boards;
    sys.msn = fx.System("msn");
    sys.functionNumbers = fx.System("fn");
    sys.lineFlags = fx.System("line_flags");
    WriteSetup s;
    s.feature = feature;
    s.types = types;
    return ExpectedWriteRequests(s, t, sys);
}

QString FirstDifference(const QString &a, const QString &b)
{
    const QStringList la = a.split(QLatin1Char('\n')), lb = b.split(QLatin1Char('\n'));
    for (int i = 0; i < std::min(la.size(), lb.size()); ++i)
        if (la[i] != lb[i])
            return la[i] + QStringLiteral("  <>  ") + lb[i];
    return la.size() == lb.size() ? QString() : QStringLiteral("different number of fields");
}

} // namespace

class TestSimWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(LoadProgramTexts());
        QVERIFY(dir.isValid());
    }

    void init() { platform::SetTimeScale(1.0); }

    // Read system A, write what was read to an empty system B, read B: the
    // write carries A's tables byte for byte and B reads back as A did.
    void writeAndReadBack_data()
    {
        QTest::addColumn<int>("feature");
        QTest::addColumn<int>("t1");
        for (int feature : {13, 14, 15}) {
            QTest::addRow("f%d mech+mech", feature) << feature << 2;
            QTest::addRow("f%d mech", feature) << feature << 0;
        }
    }

    void writeAndReadBack()
    {
        QFETCH(int, feature);
        QFETCH(int, t1);
        const std::array<int, 2> types{2, t1};
        const QString consoles = t1 == 2 ? QStringLiteral("mech+mech") : QStringLiteral("mech");
        const QStringList setup{"--feature", QString::number(feature), "--consoles", consoles};
        const QString fixtureA = dir.filePath(QStringLiteral("a.json"));
        const TSimFixture fx = SystemWithoutMsn(setup, fixtureA);
        QVERIFY(!fx.json.isEmpty());

        SimRun run;
        run.host.consoleTypes = {2, Byte(t1)};
        QString before;
        {
            TSimPeer a({"--config", fixtureA});
            QVERIFY2(a.Ok(), qPrintable(a.error));
            run.Use(a);
            QVERIFY(run.Read());
            before = fixture::DumpFields(*run.host.model);
        }

        const QString saved = dir.filePath(QStringLiteral("b-saved.json"));
        TSimPeer b({"--config", EmptySystem(dir, feature, types), "--save", saved});
        QVERIFY2(b.Ok(), qPrintable(b.error));
        run.Use(b);
        run.d->WriteConfigClick();
        QVERIFY(run.WaitIdle());
        QCOMPARE(run.prompt.texts(), (QStringList{Text(94), Success()}));
        QCOMPARE(run.ends, QList<bool>{true});
        bool wellFormed = false;
        QList<QByteArray> sent = Requests(b, &wellFormed);
        QVERIFY(wellFormed);

        // Byte for byte what the system A holds (its boards as configured).
        QByteArray boards(32, char(0xFF));
        for (int slot : {0, 1, 16})
            boards[slot] = char(
                run.host.model->BoardHasAssignedLines(slot) ? run.host.model->SlotyDosiek[slot].Kod : 0xFF);
        const QList<QByteArray> expected = ExpectedFromFixture(fx, feature, types, boards);
        QCOMPARE(sent.size(), expected.size());
        for (int i = 0; i < sent.size(); ++i) {
            int at = 0;
            while (at < std::min(sent[i].size(), expected[i].size()) && sent[i][at] == expected[i][at])
                ++at;
            QVERIFY2(sent[i] == expected[i],
                     qPrintable(QStringLiteral("request %1 (%2 %3) differs at byte %4: %5 / %6")
                                    .arg(i)
                                    .arg(Byte(sent[i][0]), 2, 16, QLatin1Char('0'))
                                    .arg(Byte(sent[i][2]))
                                    .arg(at)
                                    .arg(QString::fromLatin1(sent[i].mid(at - at % 32, 32).toHex()))
                                    .arg(QString::fromLatin1(expected[i].mid(at - at % 32, 32).toHex()))));
        }

        // B reads back as A did, field by field.
        const int before1 = int(sent.size());
        QVERIFY2(run.Read(), qPrintable(run.prompt.texts().join(QStringLiteral(" | ")) +
                                        run.conversionLog.entries.join(QStringLiteral(" | "))));
        const QString after = fixture::DumpFields(*run.host.model);
        QVERIFY2(after == before, qPrintable(FirstDifference(before, after)));
        QVERIFY(int(Requests(b).size()) > before1);
    }

    // What the system answers to a write, through the line: error codes with
    // Retry, code 1 then 0, silence, and an acknowledgement without its code.
    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("answer");       // to the box (the first after the confirmation)
        QTest::addColumn<QString>("text");     // the box's text, or its start for silence
        QTest::addColumn<QByteArray>("again"); // the command sent twice, with its argument
        QTest::addColumn<bool>("completes");
        const auto e = [](int code, bool console) {
            return Text(109) + QStringLiteral(" (") + Text(console ? 17 : 91) +
                   QStringLiteral(" - %1 [$%2H])").arg(code).arg(code, 2, 16, QLatin1Char('0'));
        };
        QTest::newRow("error at the lamps, retry") << "error-code=2@0x07:0" << int(TDialoguePrompt::Retry)
                                                   << e(2, false) << QByteArray::fromHex("0700") << true;
        QTest::newRow("error at the line flags, ok")
            << "error-code=2@0x10/E7" << int(TDialoguePrompt::Ok) << e(2, false) << QByteArray() << false;
        QTest::newRow("error at the phase 2 test, retry")
            << "error-code=2@#3" << int(TDialoguePrompt::Retry) << e(2, false) << QByteArray::fromHex("0000")
            << true;
        QTest::newRow("console refuses the key records, retry")
            << "error-code=2@0x85:1" << int(TDialoguePrompt::Retry) << e(2, true)
            << QByteArray::fromHex("8501") << true;
        QTest::newRow("console test refused, ok")
            << "error-code=5@0x80:0" << int(TDialoguePrompt::Ok) << Text(82) + QStringLiteral(" (5 [$05H])")
            << QByteArray() << false;
        QTest::newRow("busy, then written")
            << "busy=0.3@0x84:1" << int(TDialoguePrompt::Ok)
            << Text(81) + QStringLiteral(" (1 [$01H])") + CRLF + Text(59) + CRLF + Text(60) << QByteArray()
            << true;
        QTest::newRow("silence, retry") << "no-answer@0x08:1" << int(TDialoguePrompt::Retry) << Text(61)
                                        << QByteArray::fromHex("0801") << true;
        QTest::newRow("silence in the console phase, ok")
            << "no-answer@0x8A:0" << int(TDialoguePrompt::Ok) << Text(61) << QByteArray() << true;
        QTest::newRow("no result code, retry") << "short-answer=0@0x0C" << int(TDialoguePrompt::Retry)
                                               << Text(61) << QByteArray::fromHex("0C00") << true;
    }

    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(int, answer);
        QFETCH(QString, text);
        QFETCH(QByteArray, again);
        QFETCH(bool, completes);
        const QString fixtureA = dir.filePath(QStringLiteral("default.json"));
        const TSimFixture fx = SystemWithoutMsn({}, fixtureA);
        SimRun run;
        {
            TSimPeer a({"--config", fixtureA});
            QVERIFY2(a.Ok(), qPrintable(a.error));
            run.Use(a);
            QVERIFY(run.Read());
        }
        // The watchdog quick for the write, not for the read before it.
        platform::SetTimeScale(0.05);
        TSimPeer b({"--config", EmptySystem(dir, 15, {2, 2}), "--fault", fault});
        QVERIFY2(b.Ok(), qPrintable(b.error));
        run.Use(b);
        run.prompt.answers << TDialoguePrompt::Ok << answer;
        run.d->WriteConfigClick();
        QVERIFY(run.WaitIdle());
        b.Stop();

        const QStringList boxes = run.prompt.texts();
        QVERIFY2(boxes.size() >= 2, qPrintable(boxes.join(QStringLiteral(" | "))));
        QVERIFY2(boxes[1].startsWith(text), qPrintable(boxes[1]));
        QCOMPARE(run.ends, QList<bool>{completes});
        QVERIFY(run.host.model);
        const QList<QByteArray> sent = Requests(b);
        QByteArray boards(32, char(0xFF));
        boards[0] = char(71);
        boards[1] = char(148);
        boards[16] = char(71);
        QList<QByteArray> expected = ExpectedFromFixture(fx, 15, {2, 2}, boards);
        if (!again.isEmpty()) {
            int at = -1;
            for (int i = 2; i < expected.size() && at < 0; ++i)
                if (expected[i].left(1) == again.left(1) && expected[i][2] == again[1])
                    at = i;
            QVERIFY(at >= 0);
            expected.insert(at, expected[at]);
        }
        if (fault.startsWith(QLatin1String("no-answer@0x8A"))) {
            // OK at the first phone-book half: console 0's phone book is given up.
            int at = -1;
            for (int i = 0; i < expected.size() && at < 0; ++i)
                if (Byte(expected[i][0]) == 0x8B && expected[i][2] == 0)
                    at = i;
            QVERIFY(at > 0);
            expected.removeAt(at);
        }
        if (completes) {
            QCOMPARE(sent, expected);
            QCOMPARE(boxes.last(), Success());
        } else {
            QCOMPARE(sent, expected.mid(0, sent.size()));
            QVERIFY(sent.size() < expected.size());
            QVERIFY(run.host.status.startsWith(Text(61)));
        }
    }

    // Erase: both consoles get empty tables; a later read finds nothing on them.
    void erase()
    {
        const QString saved = dir.filePath(QStringLiteral("erased.json"));
        SimRun run;
        {
            TSimPeer a({});
            QVERIFY2(a.Ok(), qPrintable(a.error));
            run.Use(a);
            QVERIFY(run.Read());
        }
        TSimPeer b({"--save", saved});
        QVERIFY2(b.Ok(), qPrintable(b.error));
        run.Use(b);
        run.d->VymazatPultClick();
        QVERIFY(run.WaitIdle());
        QCOMPARE(run.prompt.texts(), QStringList{Success()});
        QVERIFY(run.converted.isEmpty());
        b.Stop();
        QList<QByteArray> expected;
        for (int n = 0; n < 2; ++n)
            expected << Req(0x00, n) << Req(0x80, n) << Req(0x84, n, QByteArray(8192, ' '))
                     << Req(0x85, n, QByteArray(8192, char(0xFF)))
                     << Req(0x8A, n, QByteArray(8192, char(0xFF)))
                     << Req(0x8B, n, QByteArray(8192, char(0xFF)));
        QCOMPARE(Requests(b), expected);
        QFile f(saved);
        QVERIFY(f.open(QIODevice::ReadOnly));
        TSimFixture after;
        after.json = QJsonDocument::fromJson(f.readAll()).object();
        for (int n = 0; n < 2; ++n) {
            QCOMPARE(after.Console(n, "key_names"), QByteArray(8192, ' '));
            QCOMPARE(after.Console(n, "key_records"), QByteArray(8192, char(0xFF)));
            QCOMPARE(after.Console(n, "phone1") + after.Console(n, "phone2"), QByteArray(16384, char(0xFF)));
        }
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(TestSimWrite)
#include "test_simwrite.moc"
