#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>
#include <memory>

#include "comm/udpr_sock.h"

namespace
{

// A raw 264-byte message built by the test itself.
QByteArray rawMessage(std::uint32_t code, const QByteArray &body, int sumDelta = 0)
{
    QByteArray m(T_MSG::Size, '\0');
    for (int i = 0; i < 4; ++i)
        m[i] = char(code >> (8 * i));
    m.replace(4, int(std::min<qsizetype>(body.size(), 256)), body.left(256));
    std::uint32_t sum = 0;
    for (int i = 0; i < 260; ++i)
        sum += std::uint8_t(m[i]);
    sum += std::uint32_t(sumDelta);
    for (int i = 0; i < 4; ++i)
        m[260 + i] = char(sum >> (8 * i));
    return m;
}

QByteArray relayedBody(std::uint32_t code, const QByteArray &address, const QByteArray &text,
                       int lengthByte = -1)
{
    QByteArray b(256, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(code >> (8 * i));
    b[4] = char(lengthByte >= 0 ? lengthByte : int(address.size()));
    b.replace(5, int(address.size()), address);
    b.replace(20, int(std::min<qsizetype>(text.size(), 236)), text.left(236));
    return b;
}

std::uint32_t u32(const QByteArray &b, int offset)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(std::uint8_t(b[offset + i])) << (8 * i);
    return v;
}

// The relay's side: bound to 127.0.0.1:60001, sends to 127.0.0.1:60000.
struct RawRelay {
    QUdpSocket socket;
    bool Bind() { return socket.bind(QHostAddress::LocalHost, 60001, QAbstractSocket::DontShareAddress); }
    void Send(const QByteArray &datagram) { socket.writeDatagram(datagram, QHostAddress::LocalHost, 60000); }
    QList<QNetworkDatagram> Receive(int count, int timeoutMs = 3000)
    {
        QList<QNetworkDatagram> got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            while (socket.hasPendingDatagrams())
                got << socket.receiveDatagram();
            if (got.size() < count)
                socket.waitForReadyRead(5);
        }
        return got;
    }
};

int waitForQueued(TUDPR_S &link, int count, int timeoutMs = 3000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (link.Socket()->ReceiveQueueCount() < count && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return link.Socket()->ReceiveQueueCount();
}

} // namespace

class TestUdp : public QObject
{
    Q_OBJECT

private slots:
    void messageLayoutAndSum()
    {
        T_MSG::TBytes bytes{};
        T_MSG::PutU32(bytes.data(), 3);
        std::memcpy(bytes.data() + 4, "SetMod ", 7);
        const T_MSG m = T_MSG::Create(bytes, QString());
        std::uint32_t expected = 3;
        for (char c : QByteArray("SetMod "))
            expected += std::uint8_t(c);
        QCOMPARE(m.ComputedSum(), expected);
        QCOMPARE(m.StoredSum(), expected);
        QVERIFY(m.IsValid());
        QCOMPARE(m.Bytes().size(), 264);
        QCOMPARE(m.Bytes(), rawMessage(3, "SetMod "));
        // A sum above 16 bits is kept whole: 256 bytes of 0xFF.
        T_MSG::TBytes full{};
        std::fill(full.begin(), full.begin() + 260, 0xFF);
        QCOMPARE(T_MSG::Create(full, QString()).StoredSum(), 260u * 255u);
    }

    void defaultHost_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        QTest::newRow("loopback") << "127.0.0.1"
                                  << "127.0.0.1";
        QTest::newRow("subnet") << "192.168.5.20"
                                << "192.168.5.255";
        QTest::newRow("other loopback") << "127.0.0.2"
                                        << "127.0.0.255";
        QTest::newRow("no dot") << "orva"
                                << "orva.255";
    }

    void defaultHost()
    {
        QFETCH(QString, host);
        QFETCH(QString, expected);
        QCOMPARE(TIUDP::DefaultHostFor(host), expected);
    }

    void relayedBodyLayout()
    {
        const QByteArray body =
            TUDPR_S::RelayedBody(3, QStringLiteral("10.1.2.3"), QStringLiteral("SetMod "));
        QCOMPARE(body, relayedBody(3, "10.1.2.3", "SetMod "));
        const QByteArray cut =
            TUDPR_S::RelayedBody(1, QStringLiteral("123.123.123.123.1"), QString(300, 'x'));
        QCOMPARE(int(std::uint8_t(cut[4])), 15);
        QCOMPARE(cut.mid(5, 15), QByteArray("123.123.123.123"));
        QCOMPARE(cut.mid(20, 235), QByteArray(235, 'x'));
        QCOMPARE(cut[255], '\0'); // zero-terminated
    }

    void sentMessageHasTheExactLayout()
    {
        RawRelay relay;
        QVERIFY(relay.Bind());
        TUDPR_S link(TUDPR_S::RelayedLayout, QStringLiteral("127.0.0.1"), 60001, 60000, false);
        QVERIFY2(link.Ok(), qPrintable(link.LastErrorText()));
        link.SendMessage(3, QStringLiteral("SetMod "), QStringLiteral("10.1.2.3"));
        const QList<QNetworkDatagram> got = relay.Receive(1);
        QCOMPARE(got.size(), 1);
        const QByteArray d = got[0].data();
        QCOMPARE(d.size(), 264);
        QCOMPARE(got[0].senderPort(), 60000);
        QCOMPARE(d, rawMessage(3, relayedBody(3, "10.1.2.3", "SetMod ")));
        QCOMPARE(u32(d, 0), 3u);
        QCOMPARE(u32(d, 4), 3u);
        QCOMPARE(int(d[8]), 8);
        QCOMPARE(d.mid(9, 8), QByteArray("10.1.2.3"));
        QCOMPARE(d.mid(24, 8), QByteArray("SetMod \0", 8));
    }

    void badDatagramsAreDroppedAndGoodOnesRead()
    {
        RawRelay relay;
        QVERIFY(relay.Bind());
        std::unique_ptr<TUDPR_S> link(CreateRelayLink(nullptr));
        QVERIFY2(link->Ok(), qPrintable(link->LastErrorText()));
        const QByteArray good = rawMessage(6, relayedBody(6, "10.0.0.7", "ok"));
        relay.Send(good.left(263));                                              // short
        relay.Send(rawMessage(6, relayedBody(6, "10.0.0.7", "bad"), 1));         // sum off by one
        relay.Send(rawMessage(6, relayedBody(6, "10.0.0.7", "long", 16)));       // address length 16
        relay.Send(rawMessage(6, relayedBody(6, "10.0.0.7", "edge", 255)));      // address length 255
        relay.Send(good + QByteArray(36, 'z'));                                  // 300 bytes: first 264
        relay.Send(rawMessage(7, relayedBody(7, "123.123.123.123", "max", 15))); // length 15 is fine
        QCOMPARE(waitForQueued(*link, 2), 2);
        QTest::qWait(50);
        QCOMPARE(link->Socket()->ReceiveQueueCount(), 2);

        T_MSG::TBytes message{};
        QString address;
        QCOMPARE(link->ReadMessage(message, address), 2);
        QCOMPARE(T_MSG::GetU32(message.data()), 6u);
        QCOMPARE(address, QStringLiteral("10.0.0.7"));
        QCOMPARE(T_MSG::Text(message), QStringLiteral("ok"));
        QCOMPARE(link->ReadMessage(message, address), 1);
        QCOMPARE(T_MSG::GetU32(message.data()), 7u);
        QCOMPARE(address, QStringLiteral("123.123.123.123"));
    }

    void readMessageCountsAndLeavesArgumentsOnEmpty()
    {
        RawRelay relay;
        QVERIFY(relay.Bind());
        std::unique_ptr<TUDPR_S> link(CreateRelayLink(nullptr));
        QVERIFY(link->Ok());
        T_MSG::TBytes message{};
        message[0] = 0x77;
        QString address = QStringLiteral("keep");
        QCOMPARE(link->ReadMessage(message, address), 0);
        QCOMPARE(int(message[0]), 0x77);
        QCOMPARE(address, QStringLiteral("keep"));
        for (std::uint32_t code : {8u, 9u, 11u})
            relay.Send(rawMessage(code, relayedBody(code, "10.0.0.1", "x")));
        QCOMPARE(waitForQueued(*link, 3), 3);
        QCOMPARE(link->ReadMessage(message, address), 3);
        QCOMPARE(T_MSG::GetU32(message.data()), 8u);
        QCOMPARE(link->Socket()->ReceiveQueueCount(), 2);
    }

    void longRelayedTextIsReadBounded()
    {
        RawRelay relay;
        QVERIFY(relay.Bind());
        std::unique_ptr<TUDPR_S> link(CreateRelayLink(nullptr));
        QVERIFY(link->Ok());
        // 236 characters fill the text field without a terminator.
        relay.Send(rawMessage(11, relayedBody(11, "10.0.0.1", QByteArray(240, 'a'))));
        QCOMPARE(waitForQueued(*link, 1), 1);
        T_MSG::TBytes message{};
        QString address;
        QCOMPARE(link->ReadMessage(message, address), 1);
        QCOMPARE(T_MSG::Text(message), QString(231, 'a'));
        for (int i = 4 + 231; i < 260; ++i)
            QCOMPARE(int(message[i]), 0);
    }

    void plainLayoutCutsTheTextAndKeepsOrder()
    {
        RawRelay relay;
        QVERIFY(relay.Bind());
        // Swapped ports: local = port 1, remote = port 2.
        TUDPR_S link(TUDPR_S::PlainLayout, QStringLiteral("127.0.0.1"), 60000, 60001, true);
        QVERIFY(link.Ok());
        QCOMPARE(link.Socket()->LocalPort(), 60000);
        QCOMPARE(link.Socket()->RemotePort(), 60001);
        link.SendMessage(5, QString(300, 'b'), QString());
        // A burst that the peer's socket buffer still holds (about 160 datagrams).
        constexpr int burst = 100;
        for (int i = 0; i < burst; ++i)
            link.SendMessage(std::uint32_t(1000 + i), QStringLiteral("n%1").arg(i),
                             QStringLiteral("127.0.0.1"));
        const QList<QNetworkDatagram> got = relay.Receive(burst + 1, 5000);
        QCOMPARE(got.size(), burst + 1);
        QCOMPARE(got[0].data(), rawMessage(5, QByteArray(255, 'b')));
        for (int i = 0; i < burst; ++i)
            QCOMPARE(u32(got[i + 1].data(), 0), std::uint32_t(1000 + i));
        QCOMPARE(link.Socket()->SendQueueCount(), 0);

        // Plain replies are read as they are.
        relay.Send(rawMessage(42, QByteArray("hello")));
        QCOMPARE(waitForQueued(link, 1), 1);
        T_MSG::TBytes message{};
        QString address;
        QCOMPARE(link.ReadMessage(message, address), 1);
        QCOMPARE(T_MSG::Text(message), QStringLiteral("hello"));
        QCOMPARE(address, QStringLiteral("127.0.0.1"));
    }

    void busyPortIsReportedByName()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, 60000, QAbstractSocket::DontShareAddress));
        std::unique_ptr<TUDPR_S> link(CreateRelayLink(nullptr));
        QVERIFY(!link->Ok());
        QCOMPARE(link->LastError(), TRelayError::PortInUse);
        const QString text = link->LastErrorText();
        QVERIFY2(text.startsWith(QStringLiteral("UDP 127.0.0.1:60000: the address is already in use.")),
                 qPrintable(text));
        QCOMPARE(link->BindFailureReason(), text);
        // The relay's advice, never the serial port's.
        for (const char *other : {"adapter", "KELVARA_COM", "dialout", "password"})
            QVERIFY2(!text.contains(QLatin1String(other)), other);
    }

    void localAddresses()
    {
        QStringList list{QStringLiteral("stale")};
        QString host, error;
        const int code = GetLocalAddresses(list, host, error);
        QVERIFY(!list.contains(QStringLiteral("stale")));
        QVERIFY(list.size() <= 11);
        if (code == 0) {
            QVERIFY(error.isEmpty());
            QVERIFY(list.contains(QStringLiteral("127.0.0.1")));
        } else {
            QVERIFY(!error.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestUdp)
#include "test_udp.moc"
