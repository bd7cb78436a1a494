#include <QtTest>
#include <memory>

#include "comm/com_orva.h"
#include "platform/timing.h"
#include "ptypeer.h"

namespace
{

constexpr double Scale = 0.2; // inter-byte time-out 198 ms

// A caller frame: command, byte 1, argument, big-endian length, data.
QByteArray callerFrame(std::uint8_t command, const QByteArray &data, std::uint8_t argument = 0,
                       std::uint8_t second = 0)
{
    QByteArray f;
    f.append(char(command));
    f.append(char(second));
    f.append(char(argument));
    f.append(char((data.size() >> 8) & 0xFF));
    f.append(char(data.size() & 0xFF));
    f.append(data);
    return f;
}

// What the system puts on the wire for a caller frame (the test's own encoder).
QByteArray wireOf(const QByteArray &frame, int sumDelta = 0)
{
    QByteArray w("\xA5\x5A", 2);
    w.append(frame);
    unsigned sum = 0;
    for (char c : w)
        sum += std::uint8_t(c);
    w.append(char((sum + unsigned(sumDelta)) & 0xFF));
    return w;
}

QByteArray patterned(int size, int seed)
{
    QByteArray d(size, 0);
    for (int i = 0; i < size; ++i) {
        d[i] = char((i * 7 + seed) & 0xFF);
        if (std::uint8_t(d[i]) == 0xA5)
            d[i] = 0x11; // keep start bytes out of test data
    }
    return d;
}

struct Fixture {
    QObject owner;
    PtyPeer peer;
    TApdA *link = nullptr;
    QList<QByteArray> frames;
    QList<int> ports;
    QStringList log;

    explicit Fixture(int number = 1)
    {
        link = CreateComPort(&owner, number);
        link->SetDeviceName(peer.slavePath);
        QObject::connect(link, &TApdA::FrameReceived, &owner, [this](const QByteArray &f, int port) {
            frames << f;
            ports << port;
        });
        QObject::connect(link, &TApdA::LogEntry, &owner,
                         [this](TLogKind, const QString &text) { log << text; });
    }
    QStringList Logged(const QString &word) const { return log.filter(word); }
};

} // namespace

class TestSerial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::SetTimeScale(Scale); }

    void opensWithTheLinkSettingsAndMapsTheComNumber()
    {
        PtyPeer peer;
        QVERIFY(peer.Ok());
        qputenv("KELVARA_COM5", peer.slavePath.toLocal8Bit());
        QObject owner;
        std::unique_ptr<TApdA> link(CreateComPort(&owner, 5));
        QStringList log;
        connect(link.get(), &TApdA::LogEntry, &owner, [&](TLogKind, const QString &t) { log << t; });
        QCOMPARE(link->DeviceName(), peer.slavePath);
        QVERIFY2(link->SetOpen(true), qPrintable(link->LastErrorText()));
        QVERIFY(link->Open());
        termios t{};
        QVERIFY(peer.SlaveAttributes(t));
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
        // Space parity is PARENB | CMSPAR without PARODD; a pseudo-terminal
        // keeps all but PARENB.
        QVERIFY(t.c_cflag & CMSPAR);
        QVERIFY(!(t.c_cflag & PARODD));
        QVERIFY(!(t.c_cflag & CSTOPB));
        // A pseudo-terminal has no RTS/DTR: logged, the open still succeeds.
        QTRY_COMPARE_WITH_TIMEOUT(log.filter(QStringLiteral("RTS/DTR")).size(), 1, 2000);

        QSignalSpy spy(link.get(), &TApdA::FrameReceived);
        QVERIFY(peer.Write(wireOf(callerFrame(0x0A, QByteArray("\x00", 1)))));
        QVERIFY(spy.wait(3000));
        QCOMPARE(spy.at(0).at(1).toInt(), 5);
        qunsetenv("KELVARA_COM5");
    }

    void sendPutsTheExactBytesOnTheWire()
    {
        Fixture f;
        QVERIFY(f.peer.Ok());
        QVERIFY(f.link->SetOpen(true));
        const QByteArray test("\x01\x00\x00\x00\x00", 5);
        QVERIFY(f.link->Send(test));
        const QByteArray got = f.peer.Read(8, 3000);
        QCOMPARE(got.toHex(' '), QByteArray("a5 5a 01 a6 00 00 00 a6"));
        QVERIFY(f.peer.Read(1, 100).isEmpty());

        // Largest frame, with data; the caller's byte 1 is overwritten.
        const QByteArray data = patterned(TApdA::MaxSendFrame - 5, 3);
        const QByteArray big = callerFrame(0x87, data, 1, 0x33);
        QVERIFY(f.link->Send(big));
        QByteArray expected = big;
        expected[1] = char(0xA6);
        QCOMPARE(f.peer.Read(int(big.size()) + 3, 5000), wireOf(expected));

        // Several frames go out in order.
        for (int i = 0; i < 20; ++i)
            QVERIFY(f.link->Send(callerFrame(std::uint8_t(i), patterned(i, i))));
        QByteArray all;
        for (int i = 0; i < 20; ++i) {
            QByteArray e = callerFrame(std::uint8_t(i), patterned(i, i));
            e[1] = char(0xA6);
            all += wireOf(e);
        }
        QCOMPARE(f.peer.Read(int(all.size()), 5000), all);
    }

    void sendRefusesBadFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("4 bytes") << QByteArray("\x01\x00\x00\x00", 4);
        QTest::newRow("length field too small") << QByteArray("\x01\x00\x00\x00\x01\x02\x03", 7);
        QTest::newRow("length field too big") << QByteArray("\x01\x00\x00\x00\x05\x02", 6);
        QTest::newRow("10240 bytes") << callerFrame(1, QByteArray(10235, 'a'));
        QTest::newRow("wrapping 16-bit length") << callerFrame(1, QByteArray(65536 - 5 + 10, 'a'));
    }

    void sendRefusesBadFrames()
    {
        QFETCH(QByteArray, frame);
        Fixture f;
        QVERIFY(f.link->SetOpen(true));
        QVERIFY(!f.link->Send(frame));
        QTRY_COMPARE_WITH_TIMEOUT(f.Logged(QStringLiteral("not sent")).size(), 1, 2000);
        QVERIFY(f.peer.Read(1, 100).isEmpty());
        QCOMPARE(f.link->SendQueueCount(), 0);
    }

    void receivesGoodFramesAndSkipsTheRest()
    {
        Fixture f;
        QVERIFY(f.peer.Ok());
        QVERIFY(f.link->SetOpen(true));
        QList<QByteArray> good;
        for (int i = 0; i < 7; ++i)
            good << callerFrame(std::uint8_t(0x10 + i), patterned(i * 3, i), std::uint8_t(i),
                                std::uint8_t(0x40 + i));
        good[1] = callerFrame(0x0A, QByteArray()); // a header-only answer: 5 bytes

        QByteArray stream;
        stream += QByteArray("\x00\x11\xA5\x22\x5A\x33\xFF", 7); // garbage
        stream += wireOf(good[0]);
        stream += QByteArray("\x5A", 1); // stray 5A
        stream += wireOf(good[1]);
        stream += wireOf(callerFrame(0x20, patterned(10, 9)), 1); // bad sum
        stream += wireOf(good[2]);
        stream += QByteArray("\xA5", 1) + wireOf(good[3]); // doubled start byte
        QVERIFY(f.peer.Write(stream));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 4, 3000);

        // A frame cut by a 1.5 s pause (scaled), then the next good frame.
        const QByteArray cut = wireOf(callerFrame(0x30, QByteArray("\x01\x02\x03", 3)));
        QVERIFY(f.peer.Write(cut.left(cut.size() - 2)));
        QTest::qWait(platform::ScaledInterval(1500));
        QVERIFY(f.peer.Write(wireOf(good[4])));
        // Two frames back to back in one write.
        QVERIFY(f.peer.Write(wireOf(good[5]) + wireOf(good[6])));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 7, 3000);
        QTest::qWait(100);
        QCOMPARE(f.frames, good); // once each, in order, byte 1 as received
        QCOMPARE(f.frames[1].size(), 5);
        for (int port : f.ports)
            QCOMPARE(port, 1);
        QCOMPARE(f.Logged(QStringLiteral("bad checksum")).size(), 1);
        QCOMPARE(f.Logged(QStringLiteral("no byte for")).size(), 1);
    }

    void frameWithoutItsChecksumByteIsNotTimedOut()
    {
        // No time-out while waiting for the checksum: a late checksum still counts.
        Fixture f;
        QVERIFY(f.link->SetOpen(true));
        const QByteArray frame = callerFrame(0x05, QByteArray("\x07", 1));
        const QByteArray wire = wireOf(frame);
        QVERIFY(f.peer.Write(wire.left(wire.size() - 1)));
        QTest::qWait(platform::ScaledInterval(1500));
        QVERIFY(f.peer.Write(wire.right(1)));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 1, 3000);
        QCOMPARE(f.frames[0], frame);
    }

    void frameBlock()
    {
        const QByteArray frame = callerFrame(0x0A, QByteArray("\x00\x01", 2));
        const TFrameBlock block = TFrameBlock::FromFrame(frame);
        QCOMPARE(int(block.Bytes.size()), 10242);
        QCOMPARE(int(block.Length()), 7);
        QCOMPARE(int(block.Bytes[10240]), 7);
        QCOMPARE(int(block.Bytes[10241]), 0);
        QCOMPARE(block.Frame(), frame);
        const TFrameBlock full = TFrameBlock::FromFrame(patterned(10240, 4));
        QCOMPARE(int(full.Bytes[10240]), 0x00);
        QCOMPARE(int(full.Bytes[10241]), 0x28);
        QCOMPARE(full.Frame(), patterned(10240, 4));
    }

    void largestFrameIsReceived()
    {
        Fixture f;
        QVERIFY(f.link->SetOpen(true));
        const QByteArray frame = callerFrame(0x87, patterned(TApdA::MaxReceiveFrame - 5, 1));
        QVERIFY(f.peer.Write(wireOf(frame)));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 1, 5000);
        QCOMPARE(f.frames[0].size(), 10240);
        QCOMPARE(f.frames[0], frame);
    }

    void oversizedFrameIsDroppedAtItsHeader_data()
    {
        QTest::addColumn<int>("announced");
        QTest::newRow("one byte too many") << (TApdA::MaxReceiveFrame - 5 + 1);
        QTest::newRow("65535") << 65535;
    }

    void oversizedFrameIsDroppedAtItsHeader()
    {
        QFETCH(int, announced);
        Fixture f;
        QVERIFY(f.link->SetOpen(true));
        QByteArray header("\xA5\x5A\x01\x00\x00", 5);
        header.append(char(announced >> 8));
        header.append(char(announced & 0xFF));
        QVERIFY(f.peer.Write(header + patterned(300, 5)));
        const QByteArray next = callerFrame(0x02, QByteArray("ok", 2));
        QVERIFY(f.peer.Write(wireOf(next)));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 1, 3000);
        QTest::qWait(100);
        QCOMPARE(f.frames.size(), 1);
        QCOMPARE(f.frames[0], next);
        QCOMPARE(f.Logged(QStringLiteral("dropped")).size(), 1);
        QVERIFY(f.Logged(QStringLiteral("dropped"))[0].contains(QString::number(announced)));
    }

    void reopeningMidFrameLosesNoLaterFrame()
    {
        Fixture f;
        QVERIFY(f.link->SetOpen(true));
        const QByteArray half = wireOf(callerFrame(0x01, patterned(10, 2))).left(9);
        QVERIFY(f.peer.Write(half));
        QTRY_COMPARE_WITH_TIMEOUT(f.link->ReceiveState(), 8, 3000);
        QVERIFY(f.link->SetOpen(false));
        QCOMPARE(f.link->ReceiveState(), 1);
        QVERIFY(f.link->SetOpen(true));
        QCOMPARE(f.link->ReceiveState(), 1);
        const QByteArray next = callerFrame(0x0A, QByteArray("\x00", 1));
        QVERIFY(f.peer.Write(wireOf(next)));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 1, 3000);
        QCOMPARE(f.frames[0], next);
        // Half a frame, then close and reopen at once: same.
        QVERIFY(f.peer.Write(half));
        QTRY_COMPARE_WITH_TIMEOUT(f.link->ReceiveState(), 8, 3000);
        f.link->SetOpen(false);
        f.link->SetOpen(true);
        QVERIFY(f.peer.Write(wireOf(next)));
        QTRY_COMPARE_WITH_TIMEOUT(f.frames.size(), 2, 3000);
    }

    void writeFailureIsLoggedAndTheNextFrameGoes()
    {
        Fixture f;
        const QByteArray test("\x01\x00\x00\x00\x00", 5);
        // The port is closed: the frame is dropped with a log entry.
        QVERIFY(f.link->Send(test));
        QTRY_COMPARE_WITH_TIMEOUT(f.Logged(QStringLiteral("port is closed")).size(), 1, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(f.link->Sender()->Suspended(), 3000);
        QVERIFY(f.link->SetOpen(true));
        QVERIFY(f.link->Send(test));
        QCOMPARE(f.peer.Read(8, 3000).size(), 8);

        // The peer goes away: the link reports it; with a new peer it works on.
        QList<TLinkError> failures;
        connect(f.link, &TApdA::PortFailed, &f.owner, [&](TLinkError kind, const QString &message) {
            failures << kind;
            QVERIFY(message.contains(f.peer.slavePath));
        });
        const QString gone = f.peer.slavePath;
        f.peer.Close();
        f.link->Send(test);
        QTRY_VERIFY_WITH_TIMEOUT(!failures.isEmpty(), 3000);
        QCOMPARE(failures[0], TLinkError::Io);
        QCOMPARE(f.link->LastError(), TLinkError::Io);
        QVERIFY(f.link->LastErrorText().contains(gone));
        PtyPeer second;
        QVERIFY(second.Ok());
        f.link->SetOpen(false);
        f.link->SetDeviceName(second.slavePath);
        QVERIFY(f.link->SetOpen(true));
        QVERIFY(f.link->Send(test));
        QCOMPARE(second.Read(8, 3000).toHex(' '), QByteArray("a5 5a 01 a6 00 00 00 a6"));
    }

    void openErrorsNameThePortAndTheReason()
    {
        QObject owner;
        std::unique_ptr<TApdA> link(CreateComPort(&owner, 3));
        link->SetDeviceName(QStringLiteral("/dev/kelvara-no-such-port"));
        QVERIFY(!link->SetOpen(true));
        QCOMPARE(link->LastError(), TLinkError::NoDevice);
        QVERIFY(link->LastErrorText().contains(QStringLiteral("COM3")));
        QVERIFY(link->LastErrorText().contains(QStringLiteral("/dev/kelvara-no-such-port")));
        QVERIFY(link->LastErrorText().contains(QStringLiteral("no such device")));
        QVERIFY(!link->Open());
        // A plain file is no serial port.
        QTemporaryFile file;
        QVERIFY(file.open());
        link->SetDeviceName(file.fileName());
        QVERIFY(!link->SetOpen(true));
        QVERIFY(link->LastError() != TLinkError::None);
        QVERIFY(link->LastErrorText().startsWith(QStringLiteral("COM3 (")));
    }

    void destroyingALinkWithFramesQueuedReturns()
    {
        for (bool open : {false, true}) {
            auto f = std::make_unique<Fixture>();
            if (open)
                QVERIFY(f->link->SetOpen(true));
            for (int i = 0; i < 120; ++i)
                QVERIFY(f->link->Send(callerFrame(1, patterned(2000, i))));
            // Frames on their way to the owner are dropped with the link.
            f->peer.Write(wireOf(callerFrame(0x0A, QByteArray())));
            QTest::qWait(5);
            QElapsedTimer clock;
            clock.start();
            delete f->link;
            QVERIFY(clock.elapsed() < 2000);
            QCoreApplication::processEvents();
        }
    }

    void destroyingTheLinkFromItsOwnHandlersReturns()
    {
        // From a log handler, fired by the sender's step.
        {
            QObject owner;
            PtyPeer peer;
            TApdA *link = CreateComPort(&owner, 1);
            bool deleted = false;
            connect(link, &TApdA::LogEntry, &owner, [&](TLogKind, const QString &) {
                if (!deleted) {
                    deleted = true;
                    delete link;
                }
            });
            link->Send(QByteArray("\x01\x00\x00\x00\x00", 5)); // port closed: logged
            QTRY_VERIFY_WITH_TIMEOUT(deleted, 3000);
        }
        // From the frame handler, with more frames on their way.
        {
            QObject owner;
            PtyPeer peer;
            TApdA *link = CreateComPort(&owner, 1);
            link->SetDeviceName(peer.slavePath);
            QVERIFY(link->SetOpen(true));
            int frames = 0;
            connect(link, &TApdA::FrameReceived, &owner, [&](const QByteArray &, int) {
                if (++frames == 1)
                    delete link;
            });
            QByteArray burst;
            for (int i = 0; i < 5; ++i)
                burst += wireOf(callerFrame(std::uint8_t(i), QByteArray()));
            QVERIFY(peer.Write(burst));
            QTRY_COMPARE_WITH_TIMEOUT(frames, 1, 3000);
            QTest::qWait(50);
            QCOMPARE(frames, 1);
        }
    }

    void sendQueueOverflowRefusesTheNewFrame()
    {
        // The event loop does not run here, so the sender's step (which writes)
        // cannot drain the queue during the burst.
        Fixture f;
        int accepted = 0;
        for (int i = 0; i < 200; ++i)
            accepted += f.link->Send(callerFrame(1, QByteArray(1, char(i)))) ? 1 : 0;
        QVERIFY(accepted >= TBuffer::Capacity);
        QTRY_VERIFY_WITH_TIMEOUT(f.Logged(QStringLiteral("refused")).size() >= 1, 2000);
        QVERIFY(f.link->SendQueueCount() <= TBuffer::Capacity + 1);
    }

    void traceLogsTheTrafficOnlyWhenEnabled()
    {
        Fixture f;
        QVERIFY(f.link->SetOpen(true));
        QVERIFY(!f.link->Log());
        f.link->Enable_Log = true;
        QVERIFY(f.link->Log());
        QVERIFY(f.link->Send(QByteArray("\x01\x00\x00\x00\x00", 5)));
        QCOMPARE(f.peer.Read(8, 3000).size(), 8);
        QTRY_COMPARE_WITH_TIMEOUT(f.Logged(QStringLiteral("A5 5A 01 A6 00 00 00 A6")).size(), 1, 3000);
        QVERIFY(!f.link->Log());
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "test_serial.moc"
