#include <QtTest>

#include "comm/buffer.h"

namespace
{

QByteArray numbered(int n, int size = 7)
{
    QByteArray frame(size, char(n));
    frame[0] = char(n & 0xFF);
    frame[1] = char((n >> 8) & 0xFF);
    return frame;
}

struct LogRecorder {
    QStringList entries;
    TLogHook hook()
    {
        return [this](TLogKind, const QString &text) { entries << text; };
    }
};

} // namespace

class TestBuffer : public QObject
{
    Q_OBJECT

private slots:
    void newQueueIsEmpty()
    {
        TBuffer queue;
        QCOMPARE(queue.FrameCount(), 0);
        QCOMPARE(queue.P_In(), 1);
        QCOMPARE(queue.P_Out(), 1);
        QCOMPARE(queue.Count(), 1);
        QVERIFY(!queue.Wrap());
    }

    void framesComeOutInOrderWithTheirLengths()
    {
        TBuffer queue;
        const QList<QByteArray> frames{QByteArray("\x01\x02\x03", 3), QByteArray(5, 'x'),
                                       QByteArray(TBuffer::SlotSize, 'z')};
        for (const QByteArray &f : frames)
            QVERIFY(queue.PutFrame(f));
        QCOMPARE(queue.FrameCount(), 3);
        for (const QByteArray &f : frames) {
            std::uint8_t out[TBuffer::SlotSize];
            std::uint16_t length = 0;
            QVERIFY(queue.GetFrame(out, length));
            QCOMPARE(int(length), int(f.size()));
            QCOMPARE(QByteArray(reinterpret_cast<char *>(out), length), f);
        }
        QCOMPARE(queue.FrameCount(), 0);
    }

    void getFrameOnEmptyQueueChangesNothing()
    {
        TBuffer queue;
        std::uint8_t out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
        std::uint16_t length = 4242;
        QVERIFY(!queue.GetFrame(out, length));
        QCOMPARE(int(length), 4242);
        QCOMPARE(int(out[0]), 9);
        QCOMPARE(queue.P_Out(), 1);
        QCOMPARE(queue.P_In(), 1);
    }

    void emptyFrameIsTakenButReportsFalse()
    {
        TBuffer queue;
        QVERIFY(queue.PutFrame(nullptr, 0));
        QVERIFY(queue.PutFrame(QByteArray("ab")));
        QByteArray out;
        QVERIFY(!queue.GetFrame(out));
        QCOMPARE(queue.FrameCount(), 1);
        QVERIFY(queue.GetFrame(out));
        QCOMPARE(out, QByteArray("ab"));
    }

    void overlongPutFrameIsRefused()
    {
        TBuffer queue;
        LogRecorder log;
        queue.SetLogHook(log.hook());
        QVERIFY(!queue.PutFrame(QByteArray(TBuffer::SlotSize + 1, 'a')));
        QCOMPARE(queue.FrameCount(), 0);
        QCOMPARE(log.entries.size(), 1);
    }

    void fullQueueRefusesTheNewFrameAndKeepsTheOthers()
    {
        TBuffer queue;
        LogRecorder log;
        queue.SetLogHook(log.hook());
        for (int i = 0; i < TBuffer::Capacity; ++i)
            QVERIFY(queue.PutFrame(numbered(i)));
        QCOMPARE(queue.FrameCount(), 149);
        QVERIFY(log.entries.isEmpty());
        QVERIFY(!queue.PutFrame(numbered(999)));
        QCOMPARE(queue.FrameCount(), 149);
        QCOMPARE(log.entries.size(), 1);
        QVERIFY(log.entries[0].contains(QStringLiteral("refused")));
        // Built byte by byte: refused the same way.
        for (char c : QByteArray("abc"))
            queue.PutByte(std::uint8_t(c));
        QVERIFY(!queue.EndFrame());
        QCOMPARE(queue.FrameCount(), 149);
        QCOMPARE(queue.Count(), 1);
        for (int i = 0; i < TBuffer::Capacity; ++i) {
            QByteArray out;
            QVERIFY(queue.GetFrame(out));
            QCOMPARE(out, numbered(i));
        }
        QCOMPARE(queue.FrameCount(), 0);
    }

    void countAcrossTheWrap()
    {
        TBuffer queue;
        QByteArray out;
        for (int i = 0; i < 99; ++i) {
            QVERIFY(queue.PutFrame(numbered(i)));
            QVERIFY(queue.GetFrame(out));
        }
        QCOMPARE(queue.P_Out(), 100);
        for (int i = 0; i < TBuffer::Capacity; ++i)
            QVERIFY(queue.PutFrame(numbered(i)));
        QVERIFY(queue.Wrap());
        QCOMPARE(queue.P_In(), 99);
        QCOMPARE(queue.P_Out(), 100);
        QCOMPARE(queue.FrameCount(), 149);
        QVERIFY(!queue.PutFrame(numbered(1000)));
        // Reading past slot 150 clears the wrap and keeps the order.
        for (int i = 0; i < TBuffer::Capacity; ++i) {
            QVERIFY(queue.GetFrame(out));
            QCOMPARE(out, numbered(i));
            if (i == 50) {
                QVERIFY(!queue.Wrap());
                QCOMPARE(queue.P_Out(), 1);
            }
        }
        QCOMPARE(queue.FrameCount(), 0);
    }

    void byteByByteFrames()
    {
        TBuffer queue;
        for (std::uint8_t b : {1, 2, 3})
            QVERIFY(queue.PutByte(b));
        QCOMPARE(queue.Count(), 4);
        QVERIFY(queue.EndFrame());
        QCOMPARE(queue.FrameCount(), 1);
        QCOMPARE(queue.Count(), 1);

        queue.PutByte(7);
        queue.PutByte(8);
        queue.ResetFrame();
        QCOMPARE(queue.Count(), 1);
        queue.PutByte(9);
        QVERIFY(queue.EndFrame());

        QByteArray out;
        QVERIFY(queue.GetFrame(out));
        QCOMPARE(out, QByteArray("\x01\x02\x03", 3));
        QVERIFY(queue.GetFrame(out));
        QCOMPARE(out, QByteArray("\x09", 1));
    }

    void frameBuiltPastASlotIsDroppedWithOneReport()
    {
        TBuffer queue;
        LogRecorder log;
        queue.SetLogHook(log.hook());
        for (int i = 0; i < TBuffer::SlotSize; ++i)
            QVERIFY(queue.PutByte(std::uint8_t(i)));
        QVERIFY(log.entries.isEmpty());
        for (int i = 0; i < 100; ++i)
            QVERIFY(!queue.PutByte(0xEE));
        QCOMPARE(log.entries.size(), 1);
        QVERIFY(
            log.entries[0].contains(QStringLiteral("Range check error\r\nP_In=<1;150>; Count=<1;10240>;")));
        QVERIFY(!queue.EndFrame());
        QCOMPARE(queue.FrameCount(), 0);
        QCOMPARE(log.entries.size(), 2);
        // The next frame is built from position 1 again.
        queue.PutByte(0x42);
        QVERIFY(queue.EndFrame());
        QByteArray out;
        QVERIFY(queue.GetFrame(out));
        QCOMPARE(out, QByteArray("\x42", 1));
    }

    void exactlyOneSlotIsCommitted()
    {
        TBuffer queue;
        for (int i = 0; i < TBuffer::SlotSize; ++i)
            queue.PutByte(std::uint8_t(i));
        QVERIFY(queue.EndFrame());
        QByteArray out;
        QVERIFY(queue.GetFrame(out));
        QCOMPARE(out.size(), TBuffer::SlotSize);
        QCOMPARE(std::uint8_t(out[TBuffer::SlotSize - 1]), std::uint8_t((TBuffer::SlotSize - 1) & 0xFF));
    }

    void clearEmptiesTheQueue()
    {
        TBuffer queue;
        queue.PutFrame(QByteArray("abc"));
        queue.PutByte(1);
        queue.Clear();
        QCOMPARE(queue.FrameCount(), 0);
        QCOMPARE(queue.Count(), 1);
        QByteArray out;
        QVERIFY(!queue.GetFrame(out));
    }
};

QTEST_GUILESS_MAIN(TestBuffer)
#include "test_buffer.moc"
