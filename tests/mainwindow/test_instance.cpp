// One running copy: the lock, the hand-over of a file between real processes,
// and the start without the language library.
#include <QtTest>

#include <QLocalSocket>
#include <QProcess>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/handover.h"
#include "platform/singleinstance.h"

namespace {

// A copy of the program folder, so that the program's own files land there.
QString copyProgram(const QString &into, bool withLanguage)
{
    QStringList files = {"kelvara", "libmovika.so"};
    if (withLanguage)
        files << "LANG.DLL";
    for (const QString &f : files) {
        const QString target = into + u'/' + f;
        if (!QFile::copy(QStringLiteral(KELVARA_BIN_DIR) + u'/' + f, target))
            return QString();
        QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
    }
    return into + QStringLiteral("/kelvara");
}

class TCopy
{
public:
    TCopy(const QString &program, const QString &runtime, const QStringList &args, const QString &folder)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KELVARA_PROMPT", "stderr");
        env.insert("QT_LOGGING_RULES", "kelvara.handover.info=true");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, args);
    }
    ~TCopy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    // Waits until the standard error holds `text`.
    bool waitFor(const QString &text, int ms = 20000)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            err += QString::fromUtf8(process.readAllStandardError());
            if (err.contains(text))
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        return false;
    }
    QProcess process;
    QString err;
};

} // namespace

class TestInstance : public QObject
{
    Q_OBJECT

private slots:
    void lockIsExclusive()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        platform::TInstanceLock first, second;
        QVERIFY(first.Acquire());
        QVERIFY(first.Held());
        QCOMPARE(first.LockPath(), runtime.path() + QStringLiteral("/Kelvara.lock"));
        QVERIFY(!second.Acquire());
        first.Release();
        QVERIFY(second.Acquire());
        QCOMPARE(platform::InstanceSocketPath(), runtime.path() + QStringLiteral("/Kelvara.sock"));
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void privateFolderWithoutRuntimeDir()
    {
        qunsetenv("XDG_RUNTIME_DIR");
        const QString folder = platform::InstanceFolder();
        QCOMPARE(folder, QStringLiteral("/tmp/kelvara-%1").arg(::getuid()));
        struct stat info {};
        QCOMPARE(::stat(folder.toLocal8Bit().constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(int(info.st_mode & 0777), 0700);
    }

    void absoluteNames()
    {
        QCOMPARE(HandOver::AbsoluteName("a.orv", "/home/u/work"), QStringLiteral("/home/u/work/a.orv"));
        QCOMPARE(HandOver::AbsoluteName("../b.orv", "/home/u/work"), QStringLiteral("/home/u/b.orv"));
        QCOMPARE(HandOver::AbsoluteName("/x/c.orv", "/home/u/work"), QStringLiteral("/x/c.orv"));
        QVERIFY(HandOver::AbsoluteName(QString(), "/home").isEmpty());
    }

    void protocol()
    {
        QTemporaryDir runtime;
        const QString path = runtime.filePath("test.sock");
        QStringList received;
        HandOver::TServer server([&](const QString &name) { received << name; });
        QVERIFY(server.Listen(path));

        // A name ending in its terminator is handled and acknowledged.
        bool sent = false;
        QThread *sender = QThread::create([&] { sent = HandOver::Send(path, QStringLiteral("/p/\u010c.orv"), 5000); });
        sender->start();
        QTRY_VERIFY(sender->isFinished());
        delete sender;
        QVERIFY(sent);
        QCOMPARE(received, QStringList{QStringLiteral("/p/\u010c.orv")});

        // No terminator: nothing is handled.
        {
            QLocalSocket raw;
            raw.connectToServer(path);
            QVERIFY(raw.waitForConnected(2000));
            raw.write("/no/terminator");
            raw.flush();
            QTest::qWait(100);
            raw.disconnectFromServer();
        }
        // Beyond the bound without a terminator: dropped.
        {
            QLocalSocket raw;
            raw.connectToServer(path);
            QVERIFY(raw.waitForConnected(2000));
            raw.write(QByteArray(HandOver::MaxNameBytes + 10, 'a'));
            raw.flush();
            QTRY_COMPARE(raw.state(), QLocalSocket::UnconnectedState);
        }
        QTest::qWait(100);
        QCOMPARE(received.size(), 1);

        // Nobody listening: the sender gives up.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!HandOver::Send(runtime.filePath("none.sock"), QStringLiteral("x"), 300));
        QVERIFY(clock.elapsed() < 3000);
    }

    void secondCopyHandsOver()
    {
        QTemporaryDir programDir, runtime, work;
        const QString program = copyProgram(programDir.path(), true);
        QVERIFY(!program.isEmpty());
        QFile file(work.filePath("b.orv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        TCopy first(program, runtime.path(), {}, work.path());
        QVERIFY2(first.waitFor("listening:"), qPrintable(first.err));

        struct Case {
            QStringList args;
            QString handed;
        };
        const QList<Case> cases = {
            {{"b.orv"}, work.filePath("b.orv")},                   // relative, resolved in the caller's folder
            {{"a.orv", "b.orv", "c.orv"}, work.filePath("b.orv")}, // the first that exists
            {{"a.orv", "x.orv", "c.orv"}, work.filePath("c.orv")}, // else the last
            {{}, QString()},                                       // no argument: only to the front
        };
        for (const Case &c : cases) {
            TCopy second(program, runtime.path(), c.args, work.path());
            QVERIFY(second.process.waitForFinished(20000));
            QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.process.exitCode(), 0);
            QVERIFY2(first.waitFor(QStringLiteral("handed over: %1\n").arg(c.handed)), qPrintable(first.err));
            first.err.clear();
            QVERIFY(first.process.state() == QProcess::Running);
        }

        // A copy that dies leaves no lock behind: the next one starts as the first.
        ::kill(pid_t(first.process.processId()), SIGKILL);
        QVERIFY(first.process.waitForFinished(5000));
        TCopy next(program, runtime.path(), {}, work.path());
        QVERIFY2(next.waitFor("listening:"), qPrintable(next.err));
        QVERIFY(next.process.state() == QProcess::Running);
        TCopy another(program, runtime.path(), {"b.orv"}, work.path());
        QVERIFY(another.process.waitForFinished(20000));
        QCOMPARE(another.process.exitCode(), 0);
        QVERIFY2(next.waitFor(QStringLiteral("handed over: %1\n").arg(work.filePath("b.orv"))), qPrintable(next.err));
    }

    void withoutLanguageLibrary()
    {
        QTemporaryDir programDir, runtime;
        const QString program = copyProgram(programDir.path(), false);
        QVERIFY(!program.isEmpty());
        TCopy copy(program, runtime.path(), {}, programDir.path());
        QVERIFY(copy.process.waitForFinished(20000));
        copy.err += QString::fromUtf8(copy.process.readAllStandardError());
        QCOMPARE(copy.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.process.exitCode(), 0);
        QVERIFY2(copy.err.contains(QStringLiteral("PROMPT error: Error load library \"Lang.DLL\"!\r\r\"EXIT\"\n")),
                 qPrintable(copy.err));
        QCOMPARE(copy.err.count(QStringLiteral("PROMPT ")), 1);
        // No main window: it never listened for a second copy and wrote no settings.
        QVERIFY(!copy.err.contains(QStringLiteral("listening:")));
        QVERIFY(!QFile::exists(programDir.filePath("cfg.ini")));
    }
};

QTEST_MAIN(TestInstance)
#include "test_instance.moc"
