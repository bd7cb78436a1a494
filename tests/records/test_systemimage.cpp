#include "records/systemimage.h"

#include <QTest>

#include <functional>
#include <stdexcept>

namespace
{

Byte At(const QByteArray &bytes, int offset)
{
    return Byte(bytes.at(offset));
}

// A pattern that differs from 0xFF and from a space almost everywhere.
Byte Pattern(int i)
{
    return Byte((i * 7 + 3) & 0x7F);
}

void FillPattern(TSystemImage &image)
{
    auto all = image.Bytes();
    for (int i = 0; i < TSystemImage::Size; ++i)
        all[i] = Pattern(i);
}

bool Within(int offset, int from, int size)
{
    return offset >= from && offset < from + size;
}

} // namespace

class TestSystemImage : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void freshImage();
    void elementOffsets_data();
    void elementOffsets();
    void keyAddressAndKeyIndex();
    void clearKeepsWhatItMust();
    void keyNamesPadded();
    void phoneBookStrings();
    void copyIntoTableStopsAtTable();
    void roundTrip();
    void shortImageRefused();
    void indexesOutsideTablesThrow();
};

void TestSystemImage::layout_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");
    QTest::newRow("console set-up") << int(ImageTable::ConsoleSetup) << 0 << 4;
    QTest::newRow("key-to-line") << int(ImageTable::KeyToLine) << 4 << 256;
    QTest::newRow("line-to-lamp") << int(ImageTable::LineToLamp) << 260 << 256;
    QTest::newRow("key-to-subscriber") << int(ImageTable::KeyToSubscriber) << 516 << 256;
    QTest::newRow("GSM-R function numbers") << int(ImageTable::GsmrFunction) << 772 << 18;
    QTest::newRow("MSN") << int(ImageTable::Msn) << 790 << 512;
    QTest::newRow("line flags") << int(ImageTable::LineFlags) << 1302 << 480;
    QTest::newRow("UNI") << int(ImageTable::Uni) << 1782 << 1040;
    QTest::newRow("key names") << int(ImageTable::KeyNames) << 2822 << 8192;
    QTest::newRow("key records") << int(ImageTable::KeyRecords) << 11014 << 10240;
    QTest::newRow("phone book") << int(ImageTable::PhoneBook) << 21254 << 16896;
    QTest::newRow("data version") << int(ImageTable::DataVersion) << 38150 << 6;
    QTest::newRow("symbols") << int(ImageTable::Symbols) << 38156 << 8192;
    QTest::newRow("reserve") << int(ImageTable::Reserve) << 46348 << 32;
}

void TestSystemImage::layout()
{
    QFETCH(int, table);
    QFETCH(int, offset);
    QFETCH(int, size);
    const auto t = ImageTable(table);
    QCOMPARE(img::Table(t).offset, offset);
    QCOMPARE(img::Table(t).size, size);
    TSystemImage image;
    const auto span = image.Table(t);
    QCOMPARE(int(span.data() - image.Bytes().data()), offset);
    QCOMPARE(int(span.size()), size);
    // The tables close up to one image of 46380 bytes.
    QCOMPARE(TSystemImage::Size, 46380);
    QCOMPARE(image.ToBytes().size(), 46380);
    if (t == ImageTable::Reserve)
        QCOMPARE(offset + size, 46380);
}

void TestSystemImage::freshImage()
{
    const TSystemImage image;
    const QByteArray b = image.ToBytes();
    for (int i = 0; i < TSystemImage::Size; ++i) {
        Byte want = 0xFF;
        if (Within(i, 0, 4) || Within(i, 21254, 16896) || Within(i, 38150, 6 + 8192))
            want = 0;
        else if (Within(i, 2822, 8192))
            want = ' ';
        else if (Within(i, 11014, 10240)) {
            const int in = (i - 11014) % 40;
            if (in == 32)
                want = 0xA0;
            else if (in >= 36)
                want = 0;
        }
        QVERIFY2(At(b, i) == want, qPrintable(QStringLiteral("byte %1").arg(i)));
    }
    QCOMPARE(image.PhoneName(0), QByteArray());
    QCOMPARE(image.KeyTextColor(5), 0u);
}

using Setter = std::function<void(TSystemImage &)>;
Q_DECLARE_METATYPE(Setter)

void TestSystemImage::elementOffsets_data()
{
    QTest::addColumn<Setter>("set");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("console 1 type") << Setter([](TSystemImage &m) { m.ConsoleType(1) = 2; }) << 2
                                    << QByteArray("\x02");
    QTest::newRow("console 1 screens")
        << Setter([](TSystemImage &m) { m.ScreenCount(1) = 3; }) << 3 << QByteArray("\x03");
    QTest::newRow("line-to-lamp 255")
        << Setter([](TSystemImage &m) { m.LineToLamp(255) = 0x40; }) << 515 << QByteArray("\x40");
    QTest::newRow("key-to-subscriber 255")
        << Setter([](TSystemImage &m) { m.KeyToSubscriber(255) = 0x0B; }) << 771 << QByteArray("\x0B");
    QTest::newRow("GSM-R console 1") << Setter([](TSystemImage &m) { m.GsmrFunction(1)[0] = 0x12; }) << 781
                                     << QByteArray("\x12");
    QTest::newRow("MSN 31") << Setter([](TSystemImage &m) { m.MsnEntry(31)[img::MsnDigits] = 0x21; })
                            << 790 + 496 + 4 << QByteArray("\x21");
    QTest::newRow("line flags 79") << Setter([](TSystemImage &m) { m.LineFlags(79)[5] = 0x01; })
                                   << 1302 + 474 + 5 << QByteArray("\x01");
    QTest::newRow("UNI 129") << Setter([](TSystemImage &m) { m.UniEntry(129)[img::UeLine] = 0x81; })
                             << 1782 + 1032 << QByteArray("\x81");
    QTest::newRow("key name 255") << Setter([](TSystemImage &m) { m.KeyName(255)[31] = 'x'; }) << 2822 + 8191
                                  << QByteArray("x");
    QTest::newRow("key record 255") << Setter([](TSystemImage &m) { m.KeyRecord(255)[0] = 0x04; })
                                    << 11014 + 10200 << QByteArray("\x04");
    QTest::newRow("key colour 3") << Setter([](TSystemImage &m) { m.SetKeyTextColor(3, 0xAABBCCDD); })
                                  << 11014 + 120 + 36 << QByteArray("\xDD\xCC\xBB\xAA");
    QTest::newRow("phone name 255") << Setter([](TSystemImage &m) { m.SetPhoneName(255, "Jo"); })
                                    << 21254 + 16830 << QByteArray("\x02Jo");
    QTest::newRow("phone number 0") << Setter([](TSystemImage &m) { m.SetPhoneNumber(0, "\x01\x02"); })
                                    << 21254 + 33 << QByteArray("\x02\x01\x02");
    QTest::newRow("data version") << Setter([](TSystemImage &m) { m.DataVersion()[5] = 0x99; }) << 38155
                                  << QByteArray("\x99");
    QTest::newRow("symbols end") << Setter([](TSystemImage &m) { m.Symbols()[8191] = 0x5A; }) << 46347
                                 << QByteArray("\x5A");
}

void TestSystemImage::elementOffsets()
{
    QFETCH(Setter, set);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    TSystemImage image;
    const QByteArray before = image.ToBytes();
    set(image);
    const QByteArray after = image.ToBytes();
    QCOMPARE(after.mid(offset, bytes.size()), bytes);
    QCOMPARE(after.left(offset), before.left(offset));
    QCOMPARE(after.mid(offset + bytes.size()), before.mid(offset + bytes.size()));
}

void TestSystemImage::keyAddressAndKeyIndex()
{
    // Key 0: its line number at index 32 of the key-to-line table and in byte
    // 30 of key record 0.
    TSystemImage image;
    image.KeyToLine(KeyAddress(0)) = 7;
    image.KeyRecord(0)[img::KrNumLin] = 7;
    const QByteArray b = image.ToBytes();
    QCOMPARE(KeyAddress(0), 32);
    QCOMPARE(At(b, 4 + 32), Byte(7));
    QCOMPARE(At(b, 4), Byte(0xFF));
    QCOMPARE(At(b, 11014 + 30), Byte(7));
    QCOMPARE(image.KeyToLine(32), Byte(7));
}

void TestSystemImage::clearKeepsWhatItMust()
{
    TSystemImage image;
    FillPattern(image);
    image.ClearSystemImage();
    const QByteArray b = image.ToBytes();
    for (int i = 0; i < TSystemImage::Size; ++i) {
        Byte want = Pattern(i);
        if (Within(i, 4, 3 * 256) || Within(i, 1782, 1040))
            want = 0xFF; // the three key tables and the UNI table
        else if (Within(i, 2822, 8192))
            want = ' ';
        else if (Within(i, 11014, 10240) && (i - 11014) % 40 < 32)
            want = 0xFF; // the console's own bytes of each key record
        QVERIFY2(At(b, i) == want,
                 qPrintable(QStringLiteral("byte %1 is %2, expected %3").arg(i).arg(At(b, i)).arg(want)));
    }
    // The dial code and the colour of the PC record survive.
    QCOMPARE(image.KeyRecord(10)[img::KrVolba], Pattern(11014 + 400 + 32));
    QCOMPARE(image.KeyRecord(10)[39], Pattern(11014 + 400 + 39));
}

void TestSystemImage::keyNamesPadded()
{
    TSystemImage image;
    image.SetKeyName(4, QByteArray(40, 'L'));
    QCOMPARE(image.KeyNameBytes(4), QByteArray(32, 'L'));
    image.SetKeyName(4, "ABC");
    QCOMPARE(image.KeyNameBytes(4), QByteArray("ABC") + QByteArray(29, ' '));
    QCOMPARE(image.KeyNameBytes(5), QByteArray(32, ' '));
}

void TestSystemImage::phoneBookStrings()
{
    TSystemImage image;
    image.SetPhoneName(7, QByteArray(40, 'n'));
    image.SetPhoneNumber(7, QByteArray(33, '\x05'));
    QCOMPARE(image.PhoneName(7), QByteArray(32, 'n'));
    QCOMPARE(image.PhoneNumber(7), QByteArray(32, '\x05'));
    const auto e = image.PhoneBookEntry(7);
    QCOMPARE(e[0], Byte(32));
    QCOMPARE(e[33], Byte(32));

    // Lengths read from a tables file are cut to the field.
    QByteArray raw = image.ToBytes();
    const int entry9 = 21254 + 66 * 9;
    raw[entry9] = char(0xFF);
    raw[entry9 + 33] = char(40);
    TSystemImage back;
    QCOMPARE(back.FromBytes(raw), RecordResult::Ok);
    QCOMPARE(back.PhoneName(9).size(), 32);
    QCOMPARE(back.PhoneNumber(9).size(), 32);
    QCOMPARE(At(back.ToBytes(), entry9), Byte(32));
    QCOMPARE(At(back.ToBytes(), entry9 + 33), Byte(32));
}

void TestSystemImage::copyIntoTableStopsAtTable()
{
    TSystemImage image;
    const QByteArray before = image.ToBytes();
    QCOMPARE(image.CopyIntoTable(ImageTable::KeyToLine, QByteArray(300, '\x11')), 256);
    QCOMPARE(image.KeyToLine(255), Byte(0x11));
    QCOMPARE(image.LineToLamp(0), Byte(0xFF)); // the next table is untouched
    QCOMPARE(image.CopyIntoTable(ImageTable::Symbols, QByteArray(10000, '\x22')), 8192);
    QCOMPARE(image.Symbols()[8191], Byte(0x22));
    QCOMPARE(image.Table(ImageTable::Reserve)[0], Byte(0xFF));
    QCOMPARE(image.CopyIntoTable(ImageTable::Uni, QByteArray("\x01\x02\x03")), 3);
    QCOMPARE(image.UniEntry(0)[2], Byte(3));
    QCOMPARE(image.UniEntry(0)[3], Byte(0xFF));
    const Byte none = 0;
    QCOMPARE(image.CopyIntoTable(ImageTable::Msn, &none, -5), 0);
    QCOMPARE(image.ToBytes().mid(790, 512), before.mid(790, 512));
}

void TestSystemImage::roundTrip()
{
    TSystemImage image;
    FillPattern(image);
    for (int i = 0; i < 256; ++i) { // keep the phone book's lengths within their fields
        image.SetPhoneName(i, QByteArray(i % 33, 'a'));
        image.SetPhoneNumber(i, QByteArray(i % 30, '\x07'));
    }
    const QByteArray first = image.ToBytes();
    TSystemImage back;
    QCOMPARE(back.FromBytes(first), RecordResult::Ok);
    QCOMPARE(back.ToBytes(), first);

    // Two images back to back, as a tables file holds them.
    QByteArray file = QByteArray("\x00\x02", 2) + first + TSystemImage().ToBytes();
    TSystemImage second;
    FillPattern(second);
    QCOMPARE(second.FromBytes(file.mid(2 + TSystemImage::Size)), RecordResult::Ok);
    QCOMPARE(second.ToBytes(), TSystemImage().ToBytes());
}

void TestSystemImage::shortImageRefused()
{
    TSystemImage image;
    image.ConsoleType(0) = 1;
    const QByteArray before = image.ToBytes();
    QCOMPARE(image.FromBytes(QByteArray(46379, '\x33')), RecordResult::TooShort);
    QCOMPARE(image.FromBytes(QByteArray()), RecordResult::TooShort);
    QCOMPARE(image.ToBytes(), before);
}

void TestSystemImage::indexesOutsideTablesThrow()
{
    TSystemImage image;
    const TSystemImage &c = image;
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.ConsoleType(2));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.ScreenCount(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.KeyToLine(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.LineToLamp(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.KeyToSubscriber(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.GsmrFunction(2));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.MsnEntry(32));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.LineFlags(80));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.UniEntry(130));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.KeyName(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.SetKeyName(256, "x"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.KeyRecord(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.SetKeyTextColor(256, 1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.PhoneBookEntry(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.PhoneName(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.Table(ImageTable(14)));
    QCOMPARE(image.ToBytes(), TSystemImage().ToBytes());
}

QTEST_GUILESS_MAIN(TestSystemImage)
#include "test_systemimage.moc"
