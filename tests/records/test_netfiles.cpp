// The two files of network mode: osadenie.dat read record by record and
// refused whole when it cannot be read safely; tabulky.dat built and checked.
#include "records/netfiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "cardpack/registry.h"
#include "records/systemimage.h"

using namespace netfiles;

namespace
{

QByteArray Records(std::initializer_list<std::array<int, 4>> records)
{
    QByteArray b;
    for (const auto &r : records)
        for (int v : r)
            b.append(char(v));
    return b;
}

// Slots 0..12 and 16..28 exist, as a 13-slot system has them.
bool ThirteenSlots(int slot)
{
    return (slot >= 0 && slot < 13) || (slot >= 16 && slot < 29);
}

// A system image of its own size with bytes that differ per console.
QByteArray Image(int seed)
{
    TSystemImage image;
    auto all = image.Bytes();
    for (int i = 0; i < img::KeyNamesOffset; ++i)
        all[i] = Byte((i * 13 + seed) & 0xFF);
    const QByteArray b = image.ToBytes();
    Q_ASSERT(b.size() == ImageSize);
    return b;
}

} // namespace

class TestNetFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<TZoznam> list_;

private slots:
    void initTestCase()
    {
        list_ = Registry::CreateBoardList(QStringLiteral("TZOZ"));
        QVERIFY(list_);
    }

    void boardsFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        QTest::addColumn<QStringList>("boards"); // "slot:code:name"
        QTest::addColumn<int>("offset");         // of the failing record
        QTest::newRow("second half") << Records({{0x30, 0xFE, 0x47, 0x00}}) << int(BoardError::None)
                                     << QStringList{"19:71:TUL10"} << -1;
        QTest::newRow("first half, byte 1 any other value")
            << Records({{0x00, 0x00, 0x90, 0}, {0x10, 0x7F, 0xA0, 0}, {0x2F, 0xFD, 0x46, 0xEE}})
            << int(BoardError::None) << QStringList{"0:144:T4W5", "1:160:TE1", "2:70:TUL10"} << -1;
        QTest::newRow("no board skipped") << Records({{0x30, 0xFE, 0xFF, 0}, {0x30, 0xFE, 0x47, 0}})
                                          << int(BoardError::None) << QStringList{"19:71:TUL10"} << -1;
        QTest::newRow("empty file") << QByteArray() << int(BoardError::None) << QStringList{} << -1;
        QTest::newRow("DF is no card") << Records({{0x40, 0, 90, 0}}) << int(BoardError::None) << QStringList{}
                                       << -1;
        QTest::newRow("DF in a missing slot") << Records({{0xD0, 0, 90, 0}}) << int(BoardError::None)
                                              << QStringList{} << -1;
        QTest::newRow("odd length") << Records({{0x30, 0xFE, 0x47, 0}}) + QByteArray(3, 0)
                                    << int(BoardError::Length) << QStringList{} << 4;
        QTest::newRow("one byte") << QByteArray(1, 0x30) << int(BoardError::Length) << QStringList{} << 0;
        QTest::newRow("doubled slot")
            << Records({{0x30, 0xFE, 0x47, 0}, {0x00, 0, 0x90, 0}, {0x30, 0xFE, 0xA0, 0}})
            << int(BoardError::DoubledSlot) << QStringList{} << 8;
        QTest::newRow("unknown code") << Records({{0x00, 0, 0x90, 0}, {0x20, 0, 0x33, 0}})
                                      << int(BoardError::UnknownCode) << QStringList{} << 4;
        QTest::newRow("code 0 is unknown") << Records({{0x20, 0, 0x00, 0}}) << int(BoardError::UnknownCode)
                                           << QStringList{} << 0;
        QTest::newRow("board in a slot the system lacks")
            << Records({{0xD0, 0xFE, 0x47, 0}}) << int(BoardError::SlotNotAllowed) << QStringList{} << 0;
    }
    void boardsFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        QFETCH(QStringList, boards);
        QFETCH(int, offset);
        const TBoardsRead r = ReadBoardsFile(bytes, *list_, ThirteenSlots);
        QCOMPARE(int(r.error), error);
        QStringList got;
        for (const TBoardEntry &b : r.boards)
            got << QStringLiteral("%1:%2:%3").arg(b.slot).arg(b.code).arg(b.name);
        QCOMPARE(got, boards);
        QCOMPARE(r.offset, offset);
        if (error != int(BoardError::None)) {
            QVERIFY(r.detail.startsWith(BoardsFileName));
            QVERIFY(r.boards.isEmpty());
        } else {
            QVERIFY(r.detail.isEmpty());
        }
    }

    void boardsErrorsSayWhere()
    {
        const TBoardsRead doubled =
            ReadBoardsFile(Records({{0x30, 0xFE, 0x47, 0}, {0x30, 0xFE, 0x47, 0}}), *list_, ThirteenSlots);
        QCOMPARE(doubled.detail, QStringLiteral("osadenie.dat, record 2 (offset 4): a second board for slot 19 (E1-L3)"));
        QCOMPARE(doubled.slot, 19);
        const TBoardsRead odd = ReadBoardsFile(QByteArray(7, 0), *list_, ThirteenSlots);
        QCOMPARE(odd.detail, QStringLiteral("osadenie.dat: 7 bytes, not a whole number of 4-byte records"));
        const TBoardsRead unknown = ReadBoardsFile(Records({{0x20, 0, 0x33, 0}}), *list_, ThirteenSlots);
        QCOMPARE(unknown.detail, QStringLiteral("osadenie.dat, record 1 (offset 0): unknown board code 51 [$33]"));
        QCOMPARE(unknown.slot, 2);
        QCOMPARE(int(unknown.code), 0x33);
    }

    // Write, read, write again: the same bytes; one console or two.
    void tablesRoundTrip_data()
    {
        QTest::addColumn<int>("consoles");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
    }
    void tablesRoundTrip()
    {
        QFETCH(int, consoles);
        QList<QByteArray> images;
        for (int n = 0; n < consoles; ++n)
            images << Image(n + 1);
        const QByteArray file = BuildTablesFile(images);
        QCOMPARE(file.size(), TablesFileSize(consoles));
        QCOMPARE(file.size(), 2 + 46380 * consoles);
        QCOMPARE(Byte(file[0]), Byte(0));
        QCOMPARE(Byte(file[1]), Byte(consoles));
        QList<QByteArray> back;
        QString reason;
        QVERIFY2(ReadTablesFile(file, consoles, back, reason), qPrintable(reason));
        QCOMPARE(back, images);
        QCOMPARE(BuildTablesFile(back), file);
    }

    void hostileTables_data()
    {
        const QByteArray good = BuildTablesFile({Image(1), Image(2)});
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray() << "tabulky.dat: 0 bytes, shorter than its header";
        QTest::newRow("one byte") << QByteArray(1, 0) << "tabulky.dat: 1 bytes, shorter than its header";
        QTest::newRow("wrong first byte") << QByteArray(1, 1) + good.mid(1)
                                          << "tabulky.dat: the first byte is 1, not 0";
        QTest::newRow("wrong N") << QByteArray("\x00\x01", 2) + good.mid(2)
                                 << "tabulky.dat: it holds 1 consoles, the configuration has 2 connected";
        QTest::newRow("short") << good.left(good.size() - 1)
                               << "tabulky.dat: 92761 bytes, 92762 expected for 2 consoles";
        QTest::newRow("long") << good + QByteArray(1, 0) << "tabulky.dat: 92763 bytes, 92762 expected for 2 consoles";
    }
    void hostileTables()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QList<QByteArray> images{QByteArray("stale")};
        QString why;
        QVERIFY(!ReadTablesFile(bytes, 2, images, why));
        QCOMPARE(why, reason);
        QVERIFY(images.isEmpty());
    }

    // A failed write leaves the earlier file whole.
    void wholeFileWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(TablesFileName);
        QString error;
        QVERIFY(WriteWholeFile(path, "first", error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("first"));
        f.close();
        QVERIFY(!WriteWholeFile(dir.filePath("missing/tabulky.dat"), "x", error));
        QVERIFY2(error.startsWith(dir.filePath("missing/tabulky.dat") + QStringLiteral(": ")), qPrintable(error));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool failed = !WriteWholeFile(path, "second", error);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        if (::geteuid() != 0)
            QVERIFY(failed);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), failed ? QByteArray("first") : QByteArray("second"));
    }
};

QTEST_MAIN(TestNetFiles)
#include "test_netfiles.moc"
