#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "comm/ftpclient.h"
#include "platform/timing.h"

namespace
{

constexpr double Scale = 0.4; // control-connection time-out 2 s
const QString User = QStringLiteral("kelvara");
const QString Password = QStringLiteral("pa55:w@rd/x");

// pyftpdlib on loopback with its own user, password and folder.
class FtpServer
{
public:
    explicit FtpServer(const QString &folder) : FFolder(folder) {}
    ~FtpServer() { Stop(); }

    bool Start(int port = 0, bool noStor = false, const QStringList &more = {})
    {
        Stop();
        QStringList args{QStringLiteral(KELVARA_SOURCE_DIR "/tests/comm/ftpserver.py"),
                         QStringLiteral("--port"),
                         QString::number(port),
                         QStringLiteral("--user"),
                         User,
                         QStringLiteral("--password"),
                         Password,
                         QStringLiteral("--dir"),
                         FFolder};
        if (noStor)
            args << QStringLiteral("--no-stor");
        args << more;
        FProcess = std::make_unique<QProcess>();
        FProcess->setProcessChannelMode(QProcess::SeparateChannels);
        FProcess->start(QStringLiteral("/usr/bin/python3"), args);
        if (!FProcess->waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(10000);
        while (!FProcess->canReadLine() && !deadline.hasExpired())
            FProcess->waitForReadyRead(100);
        bool ok = false;
        FPort = FProcess->readLine().trimmed().toInt(&ok);
        return ok && FPort > 0;
    }
    void Stop()
    {
        if (FProcess) {
            FProcess->kill();
            FProcess->waitForFinished(5000);
            FProcess.reset();
        }
    }
    int Port() const { return FPort; }

private:
    QString FFolder;
    std::unique_ptr<QProcess> FProcess;
    int FPort = 0;
};

struct Client {
    std::unique_ptr<TFTPCL> ftp;
    QStringList events;
    QStringList information;

    Client(int port, const QString &password = Password, const QString &host = QStringLiteral("127.0.0.1"))
        : ftp(std::make_unique<TFTPCL>(User, host, password))
    {
        ftp->SetPort(port);
        auto line = [](char kind, const TFtpMsg &m) {
            return QStringLiteral("%1 %2 %3").arg(QLatin1Char(kind)).arg(m.Code).arg(m.Text) +
                   (m.Late ? QStringLiteral(" [late]") : QString());
        };
        ftp->OnErrorEvent = [this, line](const TErrMsg &m) { events << line('E', m); };
        ftp->OnstatusEvent = [this, line](const TStatusMsg &m) { events << line('S', m); };
        ftp->OnInformation = [this](const QString &text) { information << text; };
    }
    // Queues one command, runs it and returns its events.
    QStringList Run(std::int32_t kind, const QString &remote = QString(), const QString &local = QString(),
                    int timeoutMs = 10000)
    {
        ftp->AddCommand(kind, remote, local);
        return RunQueued(timeoutMs);
    }
    QStringList RunQueued(int timeoutMs = 10000)
    {
        events.clear();
        QSignalSpy finished(ftp.get(), &TFTPCL::CommandFinished);
        ftp->ExecuteNext();
        if (!finished.wait(timeoutMs))
            return {QStringLiteral("no end")};
        return events;
    }
};

QByteArray allBytes(int repeat)
{
    QByteArray b;
    for (int r = 0; r < repeat; ++r)
        for (int i = 0; i < 256; ++i)
            b.append(char(i));
    return b;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A free loopback port with nobody listening.
int unusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// A loopback listener that accepts connections (the backlog does) but never
// greets: a server that hangs. Closes with the object.
class SilentServer
{
public:
    SilentServer() : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 4) != 0)
            return;
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;
    int Port() const { return port_; } // 0 when it could not listen

private:
    int fd_;
    int port_ = 0;
};

} // namespace

class TestFtp : public QObject
{
    Q_OBJECT

    QTemporaryDir serverDir;
    QTemporaryDir localDir;
    std::unique_ptr<FtpServer> server;

    QString Local(const QString &name) const { return localDir.filePath(name); }
    QString Remote(const QString &name) const { return serverDir.filePath(name); }

private slots:
    void initTestCase()
    {
        platform::SetTimeScale(Scale);
        QVERIFY(serverDir.isValid());
        QVERIFY(localDir.isValid());
        server = std::make_unique<FtpServer>(serverDir.path());
        QVERIFY(server->Start());
        QVERIFY(writeFile(Remote(QStringLiteral("osadenie.dat")), allBytes(40)));
    }

    void cleanupTestCase() { server.reset(); }

    void commandDefaults()
    {
        const TCommand c(3, QStringLiteral("osadenie.dat"), QString());
        QCOMPARE(c.Local, QStringLiteral("osadenie.dat"));
        QCOMPARE(TFTPCL::OperationName(TFTPCL::DownloadOp), QStringLiteral("Download"));
        QCOMPARE(TFTPCL::OperationName(TFTPCL::DoCommand), QStringLiteral("DoCommand"));
        QCOMPARE(TFTPCL::OperationName(15), QString());
        TFTPCL ftp(User, QStringLiteral("127.0.0.1"), Password);
        QCOMPARE(ftp.Vendor(), 2400);
        QCOMPARE(ftp.TimeOut(), 5000);
        QCOMPARE(ftp.AddCommand(1, QString()), 0);
        QCOMPARE(ftp.AddCommand(3, QStringLiteral("a")), 1);
        QCOMPARE(ftp.QueueCount(), 2);
    }

    // Dropping the queue removes what waits and gives up the command that
    // runs: its events come marked late and count as no failure.
    void clearQueueGivesUpTheRunningCommand()
    {
        Client c(server->Port());
        c.ftp->AddCommand(TCommand::Connect, QString());
        c.ftp->AddCommand(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("dropped.dat")));
        QCOMPARE(c.ftp->Pending()->Kind, TCommand::Connect);
        c.ftp->ClearQueue();
        QCOMPARE(c.ftp->QueueCount(), 0);
        QVERIFY(!c.ftp->Pending());

        c.ftp->AddCommand(TCommand::Connect, QString());
        c.ftp->AddCommand(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("dropped.dat")));
        QSignalSpy finished(c.ftp.get(), &TFTPCL::CommandFinished);
        c.ftp->ExecuteNext();
        QVERIFY(c.ftp->Busy());
        c.ftp->ClearQueue();
        QCOMPARE(c.ftp->QueueCount(), 1);
        QCOMPARE(c.ftp->Pending()->Kind, TCommand::Connect); // still running
        QVERIFY(finished.wait(10000));
        QCOMPARE(c.ftp->QueueCount(), 0);
        QVERIFY(!c.events.isEmpty());
        for (const QString &e : c.events)
            QVERIFY2(e.endsWith(QStringLiteral(" [late]")), qPrintable(e));
        QCOMPARE(c.ftp->LastFailure().Kind, 0);
        c.ftp->ExecuteNext();
        QVERIFY(!finished.wait(200));
        QVERIFY(!QFile::exists(Local(QStringLiteral("dropped.dat"))));
    }

    // A download given up while the server hangs ends at once and leaves the
    // old file in place; the next command runs as usual.
    void givenUpDownloadIsNotKept()
    {
        FtpServer hanging(serverDir.path());
        QVERIFY(hanging.Start(0, false, {QStringLiteral("--stall"), QStringLiteral("osadenie.dat:30:1")}));
        Client c(hanging.Port());
        QCOMPARE(c.Run(TCommand::Connect), QStringList{QStringLiteral("S -1 connect!")});
        QVERIFY(writeFile(Local(QStringLiteral("hung.dat")), "old contents"));
        c.ftp->AddCommand(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("hung.dat")));
        QSignalSpy finished(c.ftp.get(), &TFTPCL::CommandFinished);
        c.events.clear();
        c.ftp->ExecuteNext();
        QTest::qWait(300); // the request is with the server, which does not answer
        QVERIFY(finished.isEmpty());
        QElapsedTimer clock;
        clock.start();
        c.ftp->ClearQueue();
        QVERIFY(finished.wait(5000));
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!c.events.isEmpty());
        for (const QString &e : c.events)
            QVERIFY2(e.endsWith(QStringLiteral(" [late]")), qPrintable(e));
        QCOMPARE(c.ftp->LastFailure().Kind, 0);
        QCOMPARE(readFile(Local(QStringLiteral("hung.dat"))), QByteArray("old contents"));
        QCOMPARE(QDir(localDir.path()).entryList(QDir::Files).filter(QStringLiteral("hung")),
                 QStringList{QStringLiteral("hung.dat")});
        // Stalled once only: the next download comes whole, and counts.
        QCOMPARE(c.Run(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("hung.dat"))).last(),
                 QStringLiteral("S 208 Download success"));
        QCOMPARE(readFile(Local(QStringLiteral("hung.dat"))), allBytes(40));
    }

    void executeNextOnAnEmptyQueueDoesNothing()
    {
        Client c(server->Port());
        QSignalSpy finished(c.ftp.get(), &TFTPCL::CommandFinished);
        c.ftp->ExecuteNext();
        QVERIFY(!finished.wait(200));
        QVERIFY(c.events.isEmpty());
        QVERIFY(!c.ftp->Busy());
    }

    void connectDownloadUploadDeleteDisconnect()
    {
        Client c(server->Port());
        QCOMPARE(c.Run(TCommand::Connect), QStringList{QStringLiteral("S -1 connect!")});
        QVERIFY(c.ftp->Connected());
        QCOMPARE(c.Run(TCommand::Connect), QStringList()); // connected already

        QCOMPARE(
            c.Run(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("osadenie.dat"))),
            (QStringList{QStringLiteral("S -1 Beginning Data Transfer"),
                         QStringLiteral("S -1 Data Transfer complete"),
                         QStringLiteral("S 208 Download success")}));
        QCOMPARE(readFile(Local(QStringLiteral("osadenie.dat"))), allBytes(40));

        const QByteArray tables = allBytes(363) + QByteArray("\x00\x01", 2);
        QVERIFY(writeFile(Local(QStringLiteral("tabulky.dat")), tables));
        QCOMPARE(c.Run(TCommand::Upload, QStringLiteral("tabulky.dat"), Local(QStringLiteral("tabulky.dat"))),
                 (QStringList{QStringLiteral("S -1 Beginning Data Transfer"),
                              QStringLiteral("S -1 Data Transfer complete"),
                              QStringLiteral("S 209 Upload success")}));
        QCOMPARE(readFile(Remote(QStringLiteral("tabulky.dat"))), tables);

        QCOMPARE(c.Run(TCommand::Delete, QStringLiteral("tabulky.dat")),
                 QStringList{QStringLiteral("S 202 Delete success")});
        QVERIFY(!QFile::exists(Remote(QStringLiteral("tabulky.dat"))));

        QCOMPARE(c.Run(TCommand::Disconnect), QStringList{QStringLiteral("S -1 disconect!")});
        QVERIFY(!c.ftp->Connected());
        QCOMPARE(c.Run(TCommand::Disconnect), QStringList()); // not connected: nothing
        QCOMPARE(c.ftp->QueueCount(), 0);
    }

    void downloadWhileNotConnectedConnectsFirst()
    {
        Client c(server->Port());
        const QStringList events =
            c.Run(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("second.dat")));
        QCOMPARE(events,
                 (QStringList{QStringLiteral("S -1 connect!"), QStringLiteral("S -1 Beginning Data Transfer"),
                              QStringLiteral("S -1 Data Transfer complete"),
                              QStringLiteral("S 208 Download success")}));
        QCOMPARE(readFile(Local(QStringLiteral("second.dat"))), allBytes(40));
    }

    void unknownKindConnectsAndIsRemoved()
    {
        Client c(server->Port());
        QCOMPARE(c.Run(7, QStringLiteral("x")), QStringList{QStringLiteral("S -1 connect!")});
        QCOMPARE(c.ftp->QueueCount(), 0);
    }

    void failedDownloadKeepsTheOldFileAndTheQueueGoesOn()
    {
        Client c(server->Port());
        QVERIFY(writeFile(Local(QStringLiteral("kept.dat")), "old contents"));
        c.ftp->AddCommand(TCommand::Download, QStringLiteral("missing.dat"),
                          Local(QStringLiteral("kept.dat")));
        c.ftp->AddCommand(TCommand::Download, QStringLiteral("osadenie.dat"),
                          Local(QStringLiteral("next.dat")));
        const QStringList failed = c.RunQueued();
        QCOMPARE(failed.size(), 4);
        QCOMPARE(failed[0], QStringLiteral("S -1 connect!"));
        QCOMPARE(failed[1], QStringLiteral("S -1 Beginning Data Transfer"));
        QVERIFY2(failed[2].startsWith(QStringLiteral("E ")), qPrintable(failed[2]));
        QVERIFY(failed[2].contains(QStringLiteral("FTP 127.0.0.1:")));
        QCOMPARE(failed[3], QStringLiteral("E 108 Download failure"));
        QCOMPARE(readFile(Local(QStringLiteral("kept.dat"))), QByteArray("old contents"));
        QCOMPARE(QDir(localDir.path()).entryList(QDir::Files).filter(QStringLiteral("kept")),
                 QStringList{QStringLiteral("kept.dat")}); // no temporary left behind
        QCOMPARE(c.RunQueued().last(), QStringLiteral("S 208 Download success"));
        QCOMPARE(readFile(Local(QStringLiteral("next.dat"))), allBytes(40));
    }

    void uploadOfAMissingLocalFileFails()
    {
        Client c(server->Port());
        const QStringList events =
            c.Run(TCommand::Upload, QStringLiteral("up.dat"), Local(QStringLiteral("none.dat")));
        QCOMPARE(events.size(), 3);
        QVERIFY(events[1].contains(QStringLiteral("none.dat")));
        QCOMPARE(events[2], QStringLiteral("E 109 Upload failure"));
        QVERIFY(!QFile::exists(Remote(QStringLiteral("up.dat"))));
    }

    void deleteOfAMissingFileFails()
    {
        Client c(server->Port());
        const QStringList events = c.Run(TCommand::Delete, QStringLiteral("nothing.dat"));
        QCOMPARE(events.last(), QStringLiteral("E 102 Delete failure"));
        QCOMPARE(events.size(), 3);
    }

    void refusedLoginFiresOneErrorAndDropsTheCommand()
    {
        Client c(server->Port(), QStringLiteral("wrong"));
        c.ftp->AddCommand(TCommand::Download, QStringLiteral("osadenie.dat"),
                          Local(QStringLiteral("nologin.dat")));
        c.ftp->AddCommand(TCommand::Connect, QString());
        const QStringList events = c.RunQueued();
        QCOMPARE(events.size(), 1);
        QVERIFY2(events[0].startsWith(QStringLiteral("E 67 ")), qPrintable(events[0]));
        QVERIFY(events[0].contains(QStringLiteral("the login was refused")));
        QVERIFY(!events[0].contains(QStringLiteral("wrong")));
        // The failure names its command: the download, which logged in first.
        QCOMPARE(c.ftp->LastFailure().Kind, TCommand::Download);
        QCOMPARE(c.ftp->LastFailure().Remote, QStringLiteral("osadenie.dat"));
        QCOMPARE(c.ftp->LastFailure().Code, 67);
        QVERIFY(!QFile::exists(Local(QStringLiteral("nologin.dat"))));
        QCOMPARE(c.ftp->QueueCount(), 1);
        QCOMPARE(c.RunQueued().size(), 1); // the next command runs (and fails the same way)
    }

    // Every way a transfer fails gets the FTP link's own advice (what to
    // check: the address, the user name and password given with -i, the
    // server on the system, the network), never the serial port's.
    void failuresGiveFtpAdvice_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("kind");   // the command that failed
        QTest::addColumn<QString>("advice");
        QTest::newRow("nobody listening") << "refused" << int(TCommand::Connect)
                                          << "Check that the FTP server on the system runs and that the address "
                                             "given with -i is the system's.";
        QTest::newRow("wrong password") << "login" << int(TCommand::Connect)
                                        << "the login was refused. Check the user name and the password given "
                                           "with -i.";
        QTest::newRow("no such remote file") << "remote" << int(TCommand::Download)
                                             << "the server does not give or take the file.";
        QTest::newRow("silent server") << "silent" << int(TCommand::Connect)
                                       << "time-out: the server did not answer in time. Check the network";
        QTest::newRow("invalid host") << "host" << int(TCommand::Connect)
                                      << "no such host. Check the system's address given with -i.";
        QTest::newRow("local file") << "local" << int(TCommand::Download)
                                    << "the file on this computer cannot be read or written.";
    }
    void failuresGiveFtpAdvice()
    {
        QFETCH(QString, failure);
        QFETCH(int, kind);
        QFETCH(QString, advice);
        int port = server->Port();
        SilentServer silent;
        if (failure == QLatin1String("refused"))
            port = unusedPort();
        if (failure == QLatin1String("silent")) {
            QVERIFY(silent.Port() > 0);
            port = silent.Port();
        }
        Client c(port, failure == QLatin1String("login") ? QStringLiteral("wrong") : Password,
                 failure == QLatin1String("host") ? QStringLiteral("no host/here") : QStringLiteral("127.0.0.1"));
        c.ftp->AddCommand(TCommand::Connect, QString());
        if (kind == TCommand::Download)
            c.RunQueued();
        const QString local = failure == QLatin1String("local") ? Local(QStringLiteral("no/such/folder/x.dat"))
                                                                : Local(QStringLiteral("advice.dat"));
        if (kind == TCommand::Download)
            c.ftp->AddCommand(TCommand::Download,
                              failure == QLatin1String("remote") ? QStringLiteral("missing.dat")
                                                                 : QStringLiteral("osadenie.dat"),
                              local);
        const QStringList events = c.RunQueued(15000);
        QVERIFY2(!events.filter(QStringLiteral("E ")).isEmpty(), qPrintable(events.join(" | ")));
        const TFTPCL::TFailure &f = c.ftp->LastFailure();
        QCOMPARE(f.Kind, kind);
        QVERIFY2(f.Text.contains(advice), qPrintable(f.Text));
        for (const char *serial : {"adapter", "KELVARA_COM", "dialout", "cable"})
            QVERIFY2(!f.Text.contains(QLatin1String(serial)), qPrintable(f.Text));
    }

    // The reading of the server's reply lines: only a line that ends a reply
    // gives its code.
    void replyCodeOfALine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("code");
        QTest::newRow("final") << QByteArray("226 Transfer complete.\r\n") << 226;
        QTest::newRow("bare code") << QByteArray("200\r\n") << 200;
        QTest::newRow("three bytes") << QByteArray("421") << 421;
        QTest::newRow("continuation") << QByteArray("220-Welcome\r\n") << -1;
        QTest::newRow("text of a multi-line reply") << QByteArray("  Hello there\r\n") << -1;
        QTest::newRow("signed") << QByteArray("+22 x\r\n") << -1;
        QTest::newRow("code out of range") << QByteArray("600 no\r\n") << -1;
        QTest::newRow("zero first digit") << QByteArray("099 no\r\n") << -1;
        QTest::newRow("four digits") << QByteArray("2261 x\r\n") << -1;
        QTest::newRow("short") << QByteArray("22") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("letters") << QByteArray("abc def") << -1;
    }
    void replyCodeOfALine()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, code);
        QCOMPARE(TFtpReplies::ReplyCode(line.constData(), std::size_t(line.size())), code);
    }

    void invalidHost()
    {
        Client c(server->Port(), Password, QStringLiteral("bad host/name"));
        QCOMPARE(c.Run(TCommand::Connect), QStringList{QStringLiteral("E -1 Invalid host!")});
    }

    void stoppedServerGivesOneErrorAndTheQueueRecovers()
    {
        FtpServer own(serverDir.path());
        QVERIFY(own.Start());
        const int port = own.Port();
        Client c(port);
        QCOMPARE(c.Run(TCommand::Connect), QStringList{QStringLiteral("S -1 connect!")});
        own.Stop();
        QElapsedTimer clock;
        clock.start();
        const QStringList down =
            c.Run(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("down.dat")));
        QVERIFY(clock.elapsed() < 2 * platform::ScaledInterval(5000) + 2000);
        QCOMPARE(down.filter(QStringLiteral("E ")).size(), 2); // the reason, then "Download failure"
        QVERIFY(!c.ftp->Connected());
        // Not connected any more: a new download meets a refused connection, one error.
        const QStringList refused =
            c.Run(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("down.dat")));
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused[0].startsWith(QStringLiteral("E 7 ")), qPrintable(refused[0]));
        QVERIFY(refused[0].contains(QStringLiteral("refused")));
        QVERIFY(refused[0].contains(QStringLiteral("127.0.0.1:%1").arg(port)));
        QCOMPARE(c.ftp->QueueCount(), 0);

        QVERIFY(own.Start(port));
        const QStringList back =
            c.Run(TCommand::Download, QStringLiteral("osadenie.dat"), Local(QStringLiteral("down.dat")));
        QCOMPARE(back.first(), QStringLiteral("S -1 connect!"));
        QCOMPARE(back.last(), QStringLiteral("S 208 Download success"));
        QCOMPARE(readFile(Local(QStringLiteral("down.dat"))), allBytes(40));
    }

    void nobodyListeningIsRefusedAtOnce()
    {
        const int port = unusedPort();
        Client c(port);
        const QStringList events = c.Run(TCommand::Connect);
        QCOMPARE(events.size(), 1);
        QVERIFY(events[0].startsWith(QStringLiteral("E 7 ")));
    }

    void silentServerTimesOutWithoutBlockingTheCaller()
    {
        SilentServer silent;
        QVERIFY(silent.Port() > 0);
        Client c(silent.Port());
        c.ftp->AddCommand(TCommand::Connect, QString());
        QElapsedTimer clock;
        clock.start();
        QSignalSpy finished(c.ftp.get(), &TFTPCL::CommandFinished);
        c.ftp->ExecuteNext();
        QVERIFY(clock.elapsed() < 500); // the caller goes on at once
        QVERIFY(c.ftp->Busy());
        c.ftp->ExecuteNext(); // while one runs: nothing
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(c.events.size(), 1);
        QVERIFY2(c.events[0].startsWith(QStringLiteral("E 28 ")), qPrintable(c.events[0]));
        QVERIFY(c.events[0].contains(QStringLiteral("time-out")));
    }

    void unsupportedUpload()
    {
        FtpServer noStor(serverDir.path());
        QVERIFY(noStor.Start(0, true));
        Client c(noStor.Port());
        QVERIFY(writeFile(Local(QStringLiteral("u.dat")), "abc"));
        const QStringList events =
            c.Run(TCommand::Upload, QStringLiteral("u.dat"), Local(QStringLiteral("u.dat")));
        QCOMPARE(events.last(), QStringLiteral("S 309 Data Transfer Complete"));
        QCOMPARE(events.filter(QStringLiteral("E ")).size(), 0);
        QCOMPARE(c.information, QStringList{QStringLiteral("Upload unsupported")});
    }

    // The reply lines as the server sends them: only a line that ends a reply
    // gives a code, and a failure goes by the last one before QUIT's 221.
    void replyLines_data()
    {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("unsupported");
        QTest::newRow("unsupported upload")
            << QByteArrayList{"220 ready\r\n", "230 logged in\r\n", "502 STOR not implemented\r\n", "221 bye\r\n"}
            << QList<int>{220, 230, 502, 221} << 502 << true;
        QTest::newRow("multi-line reply counts once")
            << QByteArrayList{"211-Features:\r\n", " MDTM\r\n", "211 End\r\n", "504 no\r\n"}
            << QList<int>{211, 504} << 504 << true;
        QTest::newRow("bare code at the line's end")
            << QByteArrayList{"550\r\n", "226\n", "421"} << QList<int>{550, 226, 421} << 421 << false;
        QTest::newRow("no reply lines")
            << QByteArrayList{"", "22", "Content-Length: 4\r\n", "abc \r\n"} << QList<int>{} << 0 << false;
        // Signs, blanks, letters and codes outside 1xx..5xx are no reply codes.
        QTest::newRow("not three digits")
            << QByteArrayList{"+50 x\r\n", " 50 x\r\n", "-12 x\r\n", "50a x\r\n", "099 x\r\n",
                              "600 x\r\n", "5020 x\r\n", "502-x\r\n"}
            << QList<int>{} << 0 << false;
        QTest::newRow("only the closing 221")
            << QByteArrayList{"221 bye\r\n", "221 bye\r\n"} << QList<int>{221, 221} << 0 << false;
    }

    void replyLines()
    {
        QFETCH(QByteArrayList, lines);
        QFETCH(QList<int>, codes);
        QFETCH(int, last);
        QFETCH(bool, unsupported);
        TFtpReplies replies;
        for (const QByteArray &line : lines)
            replies.TakeLine(line.constData(), std::size_t(line.size()));
        QCOMPARE(QList<int>(replies.Codes().begin(), replies.Codes().end()), codes);
        QCOMPARE(replies.LastBeforeQuit(), last);
        QCOMPARE(replies.Unsupported(), unsupported);
        replies.Clear();
        QVERIFY(replies.Codes().empty());
        QCOMPARE(replies.LastBeforeQuit(), 0);
    }

    void destroyingWithQueuedCommandsReturns()
    {
        {
            Client c(server->Port());
            for (int i = 0; i < 3; ++i)
                c.ftp->AddCommand(TCommand::Download, QStringLiteral("osadenie.dat"),
                                  Local(QStringLiteral("d%1").arg(i)));
            QCOMPARE(c.ftp->QueueCount(), 3);
        }
        // And with one running against a server that never answers.
        SilentServer silent;
        auto c = std::make_unique<Client>(silent.Port());
        for (int i = 0; i < 3; ++i)
            c->ftp->AddCommand(TCommand::Connect, QString());
        c->ftp->ExecuteNext();
        QTest::qWait(50);
        QElapsedTimer clock;
        clock.start();
        c.reset();
        QVERIFY(clock.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestFtp)
#include "test_ftp.moc"
