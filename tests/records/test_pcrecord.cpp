#include "records/pcrecord.h"

#include <QTest>

#include <functional>
#include <stdexcept>

namespace
{

Byte At(const QByteArray &bytes, int offset)
{
    return Byte(bytes.at(offset));
}

// Bytes from..to (inclusive) all hold value; reports the first that does not.
bool AllAre(const QByteArray &bytes, int from, int to, Byte value, int *bad = nullptr)
{
    for (int i = from; i <= to; ++i) {
        if (At(bytes, i) != value) {
            if (bad)
                *bad = i;
            return false;
        }
    }
    return true;
}

#define VERIFY_RANGE(bytes, from, to, value)                                                                 \
    do {                                                                                                     \
        int bad_ = -1;                                                                                       \
        QVERIFY2(AllAre(bytes, from, to, value, &bad_),                                                      \
                 qPrintable(QStringLiteral("byte %1 is 0x%2, expected 0x%3")                                 \
                                .arg(bad_)                                                                   \
                                .arg(bad_ >= 0 ? At(bytes, bad_) : 0, 2, 16, QLatin1Char('0'))               \
                                .arg(int(value), 2, 16, QLatin1Char('0'))));                                 \
    } while (0)

TPcRecord DefaultPcRecord()
{
    TPcRecord r;
    InitPcRecord(r);
    return r;
}

// A buffer of one whole record with the given magic and filler.
QByteArray RawRecord(int size, const QByteArray &magic, char fill)
{
    QByteArray b(size, fill);
    b.replace(0, magic.size(), magic);
    return b;
}

quint32 U32At(const QByteArray &b, int offset)
{
    return quint32(At(b, offset)) | quint32(At(b, offset + 1)) << 8 | quint32(At(b, offset + 2)) << 16 |
           quint32(At(b, offset + 3)) << 24;
}

} // namespace

class TestPcRecord : public QObject
{
    Q_OBJECT

private slots:
    void defaultsGolden();
    void initWritesEveryFieldButReserved();
    void accessorOffsets_data();
    void accessorOffsets();
    void roundTrip();
    void textsAreWindows1250();
    void overlongLengthsClampedOnRead_data();
    void overlongLengthsClampedOnRead();
    void overlongTextsCutOnWrite();
    void refusedBuffers_data();
    void refusedBuffers();
    void longerBufferTakesOneRecord();
    void indexesOutsideTablesThrow();

    void uniDefaultsGolden();
    void uniInitLeavesByteFive();
    void uniEntriesAndRoundTrip();
    void uniRefusedBuffers_data();
    void uniRefusedBuffers();

    void oldAcfRecord();
    void oldCfgRecord();
    void oldRecordRefused_data();
    void oldRecordRefused();
};

void TestPcRecord::defaultsGolden()
{
    const QByteArray b = DefaultPcRecord().ToBytes();
    QCOMPARE(b.size(), 49460);
    QCOMPARE(b.left(6), QByteArray("\x05KAVSW"));
    VERIFY_RANGE(b, 6, 21, 0xFF);

    // The first key entry of block 0 is key address 32, at 22 + 320 + 14 x 32.
    QCOMPARE(At(b, 790), Byte(0x01));
    VERIFY_RANGE(b, 791, 802, 0xFF);
    QCOMPARE(At(b, 803), Byte(0x07));

    for (int block = 0; block < 4; ++block) {
        const int base = 22 + 4160 * block;
        VERIFY_RANGE(b, base, base + 767, 0xFF); // the three 256-byte tables
        for (int c = 32; c <= 255; ++c) {
            const int e = base + 320 + 14 * c;
            QCOMPARE(At(b, e), Byte(1));
            VERIFY_RANGE(b, e + 1, e + 12, 0xFF);
            QCOMPARE(At(b, e + 13), Byte(7));
        }
        VERIFY_RANGE(b, base + 3904, base + 4159, 0xFF); // tail
    }
    VERIFY_RANGE(b, 16662, 16861, 0xFF); // 20/40/60/80-byte tables
    for (int a = 0; a < 256; ++a) {
        QCOMPARE(At(b, 16862 + 122 * a), Byte(0));       // hint length
        QCOMPARE(At(b, 16862 + 122 * a + 101), Byte(0)); // name length
    }
    VERIFY_RANGE(b, 48094, 48349, 0xA0);
    VERIFY_RANGE(b, 48350, 48351, 0x00); // reserved, as a fresh buffer holds them
    VERIFY_RANGE(b, 48352, 49375, 0x00); // text colours

    const quint32 scheme[21] = {0x000000FF, 0x0000FF00, 0x8000000F, 0x00800080, 0x8000000F, 0x80000010,
                                0x00FF00FF, 0x00FFFFFF, 0x00800000, 0x0000FFFF, 0x00800000, 0x00FF00FF,
                                0x80000001, 0x000000FF, 0x00800000, 0x001491FA, 0x8000000F, 0x00F6EB30,
                                0x005DFF30, 0x000485FF, 0x0000FFFF};
    for (int i = 0; i < 21; ++i)
        QCOMPARE(U32At(b, 49376 + 4 * i), scheme[i]);
    QCOMPARE(b.mid(49376, 4), QByteArray("\xFF\x00\x00\x00", 4));
    QCOMPARE(b.mid(49384, 4), QByteArray("\x0F\x00\x00\x80", 4));
    QCOMPARE(b.right(4), QByteArray("\xFF\xFF\x00\x00", 4));

    const TPcRecord r = DefaultPcRecord();
    QCOMPARE(r.Magic(), QByteArray("KAVSW"));
    QCOMPARE(r.Hint(32), QByteArray());
    QCOMPARE(r.Name(255), QByteArray());
}

void TestPcRecord::initWritesEveryFieldButReserved()
{
    // A record full of 0x55 (with a valid magic), then initialised, must equal
    // a fresh default record except in the reserved bytes and in the string
    // bodies behind the zeroed length bytes.
    TPcRecord dirty;
    QCOMPARE(dirty.FromBytes(RawRecord(49460, "\x05KAVSW", 0x55)), RecordResult::Ok);
    InitPcRecord(dirty);
    const QByteArray got = dirty.ToBytes();
    const QByteArray want = DefaultPcRecord().ToBytes();
    QCOMPARE(got.mid(48350, 2), QByteArray("\x55\x55"));
    for (int i = 0; i < 49460; ++i) {
        if (i == 48350 || i == 48351)
            continue;
        if (i >= 16862 && i < 48094) {
            const int in = (i - 16862) % 122;
            if (in != 0 && in != 101)
                continue; // string body
        }
        QVERIFY2(got.at(i) == want.at(i), qPrintable(QStringLiteral("byte %1 not initialised").arg(i)));
    }
}

using Setter = std::function<void(TPcRecord &)>;
Q_DECLARE_METATYPE(Setter)

void TestPcRecord::accessorOffsets_data()
{
    QTest::addColumn<Setter>("set");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("board code slot 15")
        << Setter([](TPcRecord &r) { r.BoardCode(15) = 0x47; }) << 21 << QByteArray("\x47");
    QTest::newRow("key-to-line block 1 addr 33")
        << Setter([](TPcRecord &r) { r.KeyToLineTable(1)[33] = 9; }) << 22 + 4160 + 33 << QByteArray("\x09");
    QTest::newRow("line-to-lamp block 2 line 0")
        << Setter([](TPcRecord &r) { r.LineToLampTable(2)[0] = 0x21; }) << 22 + 8320 + 256
        << QByteArray("\x21");
    QTest::newRow("key-to-subscriber block 3 addr 255")
        << Setter([](TPcRecord &r) { r.KeyToSubscriberTable(3)[255] = 0x0B; }) << 22 + 12480 + 512 + 255
        << QByteArray("\x0B");
    QTest::newRow("key entry block 0 addr 32")
        << Setter([](TPcRecord &r) { r.KeyEntry(0, 32)[pcrec::KeObsluhaKlavesy] = 0x05; }) << 790
        << QByteArray("\x05");
    QTest::newRow("key entry block 3 addr 255 bit byte")
        << Setter([](TPcRecord &r) { r.KeyEntry(3, 255)[pcrec::KeBitovyByte] = 0x03; }) << 16405
        << QByteArray("\x03");
    QTest::newRow("tail block 0") << Setter([](TPcRecord &r) { r.TailTable(0)[0] = 0x12; }) << 22 + 3904
                                  << QByteArray("\x12");
    QTest::newRow("block span") << Setter([](TPcRecord &r) { r.Block(1)[4159] = 0x34; }) << 22 + 4160 + 4159
                                << QByteArray("\x34");
    QTest::newRow("value tables end")
        << Setter([](TPcRecord &r) { r.ValueTables()[199] = 0x56; }) << 16861 << QByteArray("\x56");
    QTest::newRow("hint addr 32") << Setter([](TPcRecord &r) { r.SetHint(32, "abc"); }) << 16862 + 122 * 32
                                  << QByteArray("\x03"
                                                "abc");
    QTest::newRow("name addr 32") << Setter([](TPcRecord &r) { r.SetName(32, "XY"); })
                                  << 16862 + 122 * 32 + 101 << QByteArray("\x02XY");
    QTest::newRow("name addr 255") << Setter([](TPcRecord &r) { r.SetName(255, "Z"); })
                                   << 16862 + 122 * 255 + 101 << QByteArray("\x01Z");
    QTest::newRow("dial code addr 32")
        << Setter([](TPcRecord &r) { r.DialCode(32) = 0xB1; }) << 48094 + 32 << QByteArray("\xB1");
    // The colour table goes by key index: key 0's colour is at 48352 although
    // its key entry belongs to key address 32.
    QTest::newRow("text colour key 0") << Setter([](TPcRecord &r) { r.SetTextColor(0, 0x11223344); }) << 48352
                                       << QByteArray("\x44\x33\x22\x11");
    QTest::newRow("text colour key 255") << Setter([](TPcRecord &r) { r.SetTextColor(255, 0x00FF0080); })
                                         << 48352 + 1020 << QByteArray("\x80\x00\xFF\x00", 4);
    QTest::newRow("scheme colour 20") << Setter([](TPcRecord &r) { r.SetSchemeColor(20, 0x80000005); })
                                      << 49456 << QByteArray("\x05\x00\x00\x80", 4);
}

void TestPcRecord::accessorOffsets()
{
    QFETCH(Setter, set);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    TPcRecord r = DefaultPcRecord();
    const QByteArray before = r.ToBytes();
    set(r);
    const QByteArray after = r.ToBytes();
    QCOMPARE(after.mid(offset, bytes.size()), bytes);
    // Nothing outside the field moved.
    QCOMPARE(after.left(offset), before.left(offset));
    QCOMPARE(after.mid(offset + bytes.size()), before.mid(offset + bytes.size()));
}

void TestPcRecord::roundTrip()
{
    TPcRecord r = DefaultPcRecord();
    for (int slot = 0; slot < 16; ++slot)
        r.BoardCode(slot) = Byte(0x10 + slot);
    for (int block = 0; block < 4; ++block) {
        for (int i = 0; i < 256; ++i) {
            r.KeyToLineTable(block)[i] = Byte(i + block);
            r.LineToLampTable(block)[i] = Byte(255 - i);
            r.KeyToSubscriberTable(block)[i] = Byte(i * 3);
            r.TailTable(block)[i] = Byte(i ^ 0x5A);
        }
        for (int a = 32; a <= 255; ++a)
            for (int j = 0; j < 14; ++j)
                r.KeyEntry(block, a)[j] = Byte(a + j + block);
    }
    for (int i = 0; i < 200; ++i)
        r.ValueTables()[i] = Byte(i);
    for (int a = 0; a < 256; ++a) {
        r.SetHint(a, QByteArray(a % 101, char('a' + a % 26)));
        r.SetName(a, QByteArray(a % 21, char('A' + a % 26)));
        r.DialCode(a) = Byte(0xA0 + a % 10);
        r.SetTextColor(a, 0x01020304u * quint32(a));
    }
    r.SetSchemeColor(3, 0xDEADBEEF);

    const QByteArray first = r.ToBytes();
    QCOMPARE(first.size(), 49460);
    TPcRecord back;
    QCOMPARE(back.FromBytes(first), RecordResult::Ok);
    QCOMPARE(back.ToBytes(), first);
    QCOMPARE(back.Hint(100), QByteArray(100 % 101, char('a' + 100 % 26)));
    QCOMPARE(back.Name(40), QByteArray(40 % 21, char('A' + 40 % 26)));
    QCOMPARE(back.TextColor(7), 0x01020304u * 7);
    QCOMPARE(back.SchemeColor(3), 0xDEADBEEFu);
    QCOMPARE(back.KeyEntry(2, 100)[5], Byte(100 + 5 + 2));

    // Bytes the program gives no meaning (the reserved pair) travel unchanged.
    QByteArray foreign = first;
    foreign[48350] = char(0x12);
    foreign[48351] = char(0x34);
    TPcRecord carried;
    QCOMPARE(carried.FromBytes(foreign), RecordResult::Ok);
    QCOMPARE(carried.ToBytes(), foreign);
}

void TestPcRecord::textsAreWindows1250()
{
    TPcRecord r = DefaultPcRecord();
    r.SetNameText(40, QString::fromUtf8("Čaša"));
    QCOMPARE(r.Name(40), QByteArray("\xC8"
                                    "a\x9A"
                                    "a"));
    QCOMPARE(r.NameText(40), QString::fromUtf8("Čaša"));
    r.SetHintText(41, QString::fromUtf8("Žilina – Košice"));
    QCOMPARE(r.HintText(41), QString::fromUtf8("Žilina – Košice"));
    QCOMPARE(At(r.ToBytes(), 16862 + 122 * 41), Byte(15));
}

void TestPcRecord::overlongLengthsClampedOnRead_data()
{
    QTest::addColumn<int>("fieldOffset");
    QTest::addColumn<int>("storedLength");
    QTest::addColumn<int>("expected");
    const int text = 16862 + 122 * 40;
    QTest::newRow("hint 101") << text << 101 << 100;
    QTest::newRow("hint 255") << text << 255 << 100;
    QTest::newRow("hint 100 kept") << text << 100 << 100;
    QTest::newRow("name 21") << text + 101 << 21 << 20;
    QTest::newRow("name 255") << text + 101 << 255 << 20;
    QTest::newRow("name 20 kept") << text + 101 << 20 << 20;
}

void TestPcRecord::overlongLengthsClampedOnRead()
{
    QFETCH(int, fieldOffset);
    QFETCH(int, storedLength);
    QFETCH(int, expected);
    QByteArray b = DefaultPcRecord().ToBytes();
    b[fieldOffset] = char(storedLength);
    for (int i = 1; i <= 120 && fieldOffset + i < b.size(); ++i)
        b[fieldOffset + i] = 'q';
    TPcRecord r;
    QCOMPARE(r.FromBytes(b), RecordResult::Ok);
    const bool isName = fieldOffset != 16862 + 122 * 40;
    const QByteArray text = isName ? r.Name(40) : r.Hint(40);
    QCOMPARE(text.size(), expected);
    // Written back, the record carries a length that fits its field.
    QCOMPARE(At(r.ToBytes(), fieldOffset), Byte(expected));
}

void TestPcRecord::overlongTextsCutOnWrite()
{
    TPcRecord r = DefaultPcRecord();
    r.SetName(50, "n");
    r.SetHint(50, QByteArray(300, 'h'));
    QCOMPARE(r.Hint(50), QByteArray(100, 'h'));
    QCOMPARE(r.Name(50), QByteArray("n")); // the name after the hint is untouched
    r.SetName(50, QByteArray(25, 'n'));
    QCOMPARE(r.Name(50), QByteArray(20, 'n'));
    QCOMPARE(At(r.ToBytes(), 16862 + 122 * 51), Byte(0)); // next record's hint length untouched

    // A shorter text leaves no trace of the longer one behind it.
    r.SetHint(50, "ab");
    const QByteArray b = r.ToBytes();
    const int base = 16862 + 122 * 50;
    QCOMPARE(b.mid(base, 3), QByteArray("\x02"
                                        "ab"));
    VERIFY_RANGE(b, base + 3, base + 100, 0x00);
}

void TestPcRecord::refusedBuffers_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("result");
    const QByteArray good = DefaultPcRecord().ToBytes();
    auto withMagic = [&](const QByteArray &m) {
        QByteArray b = good;
        b.replace(0, m.size(), m);
        return b;
    };
    QTest::newRow("empty") << QByteArray() << int(RecordResult::TooShort);
    QTest::newRow("one byte short") << good.left(49459) << int(RecordResult::TooShort);
    QTest::newRow("ACF sized") << good.left(16862) << int(RecordResult::TooShort);
    QTest::newRow("other letter") << withMagic("\x05KAVSX") << int(RecordResult::WrongMagic);
    QTest::newRow("lower case") << withMagic("\x05kavsw") << int(RecordResult::WrongMagic);
    QTest::newRow("length 4") << withMagic("\x04KAVS") << int(RecordResult::WrongMagic);
    QTest::newRow("length 6") << withMagic("\x06KAVSW") << int(RecordResult::WrongMagic);
    QTest::newRow("old magic") << withMagic("\x04KAV2") << int(RecordResult::WrongMagic);
    QTest::newRow("UNI magic") << withMagic("\x04KAUN") << int(RecordResult::WrongMagic);
    QTest::newRow("zeros") << QByteArray(49460, '\0') << int(RecordResult::WrongMagic);
}

void TestPcRecord::refusedBuffers()
{
    QFETCH(QByteArray, data);
    QFETCH(int, result);
    TPcRecord r = DefaultPcRecord();
    r.SetName(60, "kept");
    const QByteArray before = r.ToBytes();
    QCOMPARE(int(r.FromBytes(data)), result);
    QCOMPARE(r.ToBytes(), before);
    QVERIFY(QByteArray(RecordResultName(RecordResult(result))).size() > 0);
}

void TestPcRecord::longerBufferTakesOneRecord()
{
    TPcRecord src = DefaultPcRecord();
    src.SetName(33, "first");
    const QByteArray one = src.ToBytes();
    TPcRecord r;
    QCOMPARE(r.FromBytes(one + QByteArray(100, 'x')), RecordResult::Ok);
    QCOMPARE(r.ToBytes(), one);
}

void TestPcRecord::indexesOutsideTablesThrow()
{
    TPcRecord r = DefaultPcRecord();
    const TPcRecord &c = r;
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.KeyEntry(0, 31));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.KeyEntry(0, 256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.KeyEntry(4, 32));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.KeyEntry(-1, 40));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.Block(4));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.KeyToLineTable(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.BoardCode(16));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.BoardCode(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.Hint(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.SetName(-1, "x"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.DialCode(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.TextColor(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.SetTextColor(-1, 0));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.SchemeColor(21));
    // The record is unchanged by the refused calls.
    QCOMPARE(r.ToBytes(), DefaultPcRecord().ToBytes());
}

void TestPcRecord::uniDefaultsGolden()
{
    TUniRecord u;
    InitUniRecord(u);
    const QByteArray b = u.ToBytes();
    QCOMPARE(b.size(), 1046);
    QCOMPARE(b.left(5), QByteArray("\x04KAUN"));
    QCOMPARE(At(b, 5), Byte(0)); // never written: a fresh buffer's zero
    VERIFY_RANGE(b, 6, 1045, 0xFF);
    QCOMPARE(u.Magic(), QByteArray("KAUN"));
}

void TestPcRecord::uniInitLeavesByteFive()
{
    QByteArray raw = RawRecord(1046, "\x04KAUN", 0x11);
    raw[5] = char(0x42);
    TUniRecord u;
    QCOMPARE(u.FromBytes(raw), RecordResult::Ok);
    InitUniRecord(u);
    const QByteArray b = u.ToBytes();
    QCOMPARE(b.left(5), QByteArray("\x04KAUN"));
    QCOMPARE(At(b, 5), Byte(0x42));
    VERIFY_RANGE(b, 6, 1045, 0xFF);
}

void TestPcRecord::uniEntriesAndRoundTrip()
{
    TUniRecord u;
    InitUniRecord(u);
    const Byte entry0[8] = {5, 1, 0x47, 0xFF, 0x30, 0, 0xFE, 0xFF};
    std::copy(std::begin(entry0), std::end(entry0), u.Entry(0).begin());
    u.Entry(129)[7] = 0x77;
    QCOMPARE(u.Entries().size(), std::size_t(1040));
    QCOMPARE(u.Entries()[0], Byte(5));
    QCOMPARE(u.Entries()[1039], Byte(0x77));
    const QByteArray b = u.ToBytes();
    QCOMPARE(b.mid(6, 8), QByteArray("\x05\x01\x47\xFF\x30\x00\xFE\xFF", 8));
    QCOMPARE(At(b, 1045), Byte(0x77));
    QCOMPARE(At(b, 1038), Byte(0xFF));

    TUniRecord back;
    QCOMPARE(back.FromBytes(b), RecordResult::Ok);
    QCOMPARE(back.ToBytes(), b);
    QCOMPARE(back.Entry(0)[2], Byte(0x47));

    QVERIFY_THROWS_EXCEPTION(std::out_of_range, u.Entry(130));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, u.Entry(-1));
}

void TestPcRecord::uniRefusedBuffers_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("result");
    TUniRecord good;
    InitUniRecord(good);
    const QByteArray b = good.ToBytes();
    QTest::newRow("empty") << QByteArray() << int(RecordResult::TooShort);
    QTest::newRow("one byte short") << b.left(1045) << int(RecordResult::TooShort);
    QTest::newRow("PC magic") << RawRecord(1046, "\x05KAVSW", char(0xFF)) << int(RecordResult::WrongMagic);
    QTest::newRow("other letter") << RawRecord(1046, "\x04KAUX", char(0xFF)) << int(RecordResult::WrongMagic);
    QTest::newRow("length 3") << RawRecord(1046, "\x03KAU", char(0xFF)) << int(RecordResult::WrongMagic);
    QTest::newRow("length 5") << RawRecord(1046, "\x05KAUN", char(0xFF)) << int(RecordResult::WrongMagic);
}

void TestPcRecord::uniRefusedBuffers()
{
    QFETCH(QByteArray, data);
    QFETCH(int, result);
    TUniRecord u;
    InitUniRecord(u);
    u.Entry(3)[0] = 9;
    const QByteArray before = u.ToBytes();
    QCOMPARE(int(u.FromBytes(data)), result);
    QCOMPARE(u.ToBytes(), before);
}

void TestPcRecord::oldAcfRecord()
{
    QByteArray raw = RawRecord(16862, "\x04KAV2", char(0xFF));
    raw[6 + 3] = char(0x90);                         // board code of slot 3
    raw[22 + 4160 * 2 + 320 + 14 * 40] = char(0x02); // block 2, key address 40
    raw[22 + 4160 * 1 + 3904 + 7] = char(0x33);      // block 1 tail
    raw[16662 + 20] = char(0x44);                    // first two-byte value
    TOldRecord r;
    QCOMPARE(r.FromBytes(raw, true), RecordResult::Ok);
    QVERIFY(r.IsAcf());
    QVERIFY(!r.HasKeyTexts());
    QCOMPARE(r.Size(), 16862);
    QCOMPARE(r.Magic(), QByteArray("KAV2"));
    QCOMPARE(r.BoardCode(3), Byte(0x90));
    QCOMPARE(r.KeyEntry(2, 40)[0], Byte(0x02));
    QCOMPARE(r.Block(1)[3904 + 7], Byte(0x33));
    QCOMPARE(r.ValueTables()[20], Byte(0x44));
    QVERIFY(std::equal(r.Bytes().begin(), r.Bytes().end(), reinterpret_cast<const Byte *>(raw.constData())));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, r.Hint(40));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, r.DialCode(40));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.KeyEntry(0, 31));
}

void TestPcRecord::oldCfgRecord()
{
    QByteArray raw = RawRecord(45796, "\x04KAV2", 'z');
    const int text50 = 16862 + 110 * 50;
    raw[text50] = char(120);     // hint longer than its field
    raw[text50 + 101] = char(9); // name longer than its 8 characters
    const int text51 = 16862 + 110 * 51;
    raw[text51] = char(3);
    raw.replace(text51 + 1, 3, "abc");
    raw[text51 + 101] = char(2);
    raw.replace(text51 + 102, 2, "NM");
    raw[45022 + 50] = char(0xA5);
    TOldRecord r;
    QCOMPARE(r.FromBytes(raw, false), RecordResult::Ok);
    QVERIFY(!r.IsAcf());
    QVERIFY(r.HasKeyTexts());
    QCOMPARE(r.Size(), 45796);
    QCOMPARE(r.Hint(50), QByteArray(100, 'z'));
    QCOMPARE(r.Name(50), QByteArray(8, 'z'));
    QCOMPARE(r.Hint(51), QByteArray("abc"));
    QCOMPARE(r.Name(51), QByteArray("NM"));
    QCOMPARE(r.DialCode(50), Byte(0xA5));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, r.Hint(256));
}

void TestPcRecord::oldRecordRefused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("isAcf");
    QTest::addColumn<int>("result");
    QTest::newRow("ACF short") << RawRecord(16861, "\x04KAV2", 0) << true << int(RecordResult::TooShort);
    QTest::newRow("CFG given an ACF")
        << RawRecord(16862, "\x04KAV2", 0) << false << int(RecordResult::TooShort);
    QTest::newRow("ACF without magic")
        << RawRecord(16862, "\x04KAV3", 0) << true << int(RecordResult::WrongMagic);
    QTest::newRow("CFG that is a PC record")
        << RawRecord(49460, "\x05KAVSW", 0) << false << int(RecordResult::WrongMagic);
    QTest::newRow("length hides magic")
        << RawRecord(16862, "\x03KAV2", 0) << true << int(RecordResult::WrongMagic);
}

void TestPcRecord::oldRecordRefused()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, isAcf);
    QFETCH(int, result);
    TOldRecord r;
    QCOMPARE(int(r.FromBytes(data, isAcf)), result);
}

QTEST_GUILESS_MAIN(TestPcRecord)
#include "test_pcrecord.moc"
