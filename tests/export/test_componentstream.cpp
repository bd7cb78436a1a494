#include <QtTest>
#include <cstring>
#include <limits>

#include "model/componentstream.h"

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

QByteArray repeated(char c, int n)
{
    return QByteArray(n, c);
}

// Which value of the stream a hostile-input case reads.
enum class Read { Signature, ListBegin, ListEnd, Integer, Word, String, Char, Date };

bool readOne(TReader &r, Read what)
{
    std::int32_t i = 0;
    QString s;
    Byte b = 0;
    double d = 0;
    switch (what) {
    case Read::Signature:
        return r.ReadSignature();
    case Read::ListBegin:
        return r.ReadListBegin();
    case Read::ListEnd:
        return r.ReadListEnd();
    case Read::Integer:
        return r.ReadInteger(i, "Value");
    case Read::Word:
        return r.ReadInteger(i, 0, 0xFFFF, "Word");
    case Read::String:
        return r.ReadString(s, "Text");
    case Read::Char:
        return r.ReadChar(b, "Item");
    case Read::Date:
        return r.ReadDate(d, "Date");
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Read)

class TestComponentStream : public QObject
{
    Q_OBJECT

private slots:
    void integers_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0") << 0 << hex("02 00");
        QTest::newRow("127") << 127 << hex("02 7F");
        QTest::newRow("-1") << -1 << hex("02 FF");
        QTest::newRow("-128") << -128 << hex("02 80");
        QTest::newRow("128") << 128 << hex("03 80 00");
        QTest::newRow("255") << 255 << hex("03 FF 00");
        QTest::newRow("-129") << -129 << hex("03 7F FF");
        QTest::newRow("32767") << 32767 << hex("03 FF 7F");
        QTest::newRow("-32768") << -32768 << hex("03 00 80");
        QTest::newRow("32768") << 32768 << hex("04 00 80 00 00");
        QTest::newRow("-32769") << -32769 << hex("04 FF 7F FF FF");
        QTest::newRow("0xFF30") << 0xFF30 << hex("04 30 FF 00 00");
        QTest::newRow("max") << std::numeric_limits<int>::max() << hex("04 FF FF FF 7F");
        QTest::newRow("min") << std::numeric_limits<int>::min() << hex("04 00 00 00 80");
    }
    void integers()
    {
        QFETCH(int, value);
        QFETCH(QByteArray, bytes);
        TWriter w;
        w.WriteInteger(value);
        QCOMPARE(w.Data().toHex(' '), bytes.toHex(' '));

        TReader r(bytes);
        std::int32_t back = 0;
        QVERIFY2(r.ReadInteger(back, "Value"), qPrintable(r.ErrorText()));
        QCOMPARE(back, value);
        QVERIFY(r.AtEnd());
    }

    void strings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << hex("06 00");
        QTest::newRow("ascii") << QStringLiteral("V1.0") << hex("06 04 56 31 2E 30");
        // Windows-1250: Ľ is BC, ý FD, č E8.
        QTest::newRow("cp1250") << QStringLiteral("Ľýč") << hex("06 03 BC FD E8");
        QTest::newRow("255") << QString(255, u'a') << hex("06 FF") + repeated('a', 255);
        QTest::newRow("256") << QString(256, u'b') << hex("0C 00 01 00 00") + repeated('b', 256);
        QTest::newRow("70000") << QString(70000, u'c') << hex("0C 70 11 01 00") + repeated('c', 70000);
    }
    void strings()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        TWriter w;
        w.WriteString(text);
        QCOMPARE(w.Data(), bytes);

        TReader r(bytes);
        QString back;
        QVERIFY2(r.ReadString(back, "Text"), qPrintable(r.ErrorText()));
        QCOMPARE(back, text);
        QVERIFY(r.AtEnd());
    }

    void charsDatesAndMarkers()
    {
        TWriter w;
        w.WriteSignature();
        w.WriteListBegin();
        w.WriteChar(0xC8);
        w.WriteChar(0);
        w.WriteDate(0.5);
        w.WriteDate(-1.25);
        w.WriteListEnd();
        QCOMPARE(w.Data().toHex(' '), hex("54 50 46 30 01 06 01 C8 06 01 00"
                                          "11 00 00 00 00 00 00 E0 3F 11 00 00 00 00 00 00 F4 BF 00")
                                          .toHex(' '));

        TReader r(w.Data());
        Byte c1 = 1, c2 = 1;
        double d1 = 0, d2 = 0;
        QVERIFY(r.ReadSignature());
        QVERIFY(r.ReadListBegin());
        QVERIFY(!r.EndOfList());
        QVERIFY(r.ReadChar(c1, "a") && r.ReadChar(c2, "b"));
        QVERIFY(r.ReadDate(d1, "c") && r.ReadDate(d2, "d"));
        QVERIFY(r.EndOfList());
        QVERIFY(r.ReadListEnd());
        QVERIFY2(!r.Failed(), qPrintable(r.ErrorText()));
        QCOMPARE(c1, Byte(0xC8));
        QCOMPARE(c2, Byte(0));
        QCOMPARE(d1, 0.5);
        QCOMPARE(d2, -1.25);
        QVERIFY(r.AtEnd());
    }

    // Each case is one read of damaged or hostile bytes: it fails, names the
    // reason, and reads nothing past the data (the sanitizers watch that).
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Read>("read");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("offset");
        QTest::newRow("signature: none") << QByteArray() << Read::Signature << "ends after 0 of 4" << 0;
        QTest::newRow("signature: short") << QByteArray("TPF") << Read::Signature << "ends after 3 of 4" << 0;
        QTest::newRow("signature: wrong") << QByteArray("TPF1") << Read::Signature << "signature is not" << 0;
        QTest::newRow("list begin: other") << hex("06") << Read::ListBegin << "found value type 6" << 0;
        QTest::newRow("list end: other") << hex("01") << Read::ListEnd << "found value type 1" << 0;
        QTest::newRow("integer: none") << QByteArray() << Read::Integer << "Value: the data ends" << 0;
        QTest::newRow("integer: int8 cut") << hex("02") << Read::Integer << "ends after 0 of 1" << 1;
        QTest::newRow("integer: int16 cut") << hex("03 FF") << Read::Integer << "ends after 1 of 2" << 1;
        QTest::newRow("integer: int32 cut")
            << hex("04 01 02 03") << Read::Integer << "ends after 3 of 4" << 1;
        QTest::newRow("integer: a string") << hex("06 01 41") << Read::Integer << "expected an integer" << 0;
        QTest::newRow("integer: unknown type")
            << hex("FE 00") << Read::Integer << "value type 254 (unknown)" << 0;
        QTest::newRow("word: too large")
            << hex("04 70 11 01 00") << Read::Word << "70000 is outside 0..65535" << 0;
        QTest::newRow("word: negative") << hex("02 FF") << Read::Word << "-1 is outside" << 0;
        QTest::newRow("string: no length") << hex("06") << Read::String << "ends after 0 of 1" << 1;
        QTest::newRow("string: short") << hex("06 05 41 42") << Read::String << "length 5 runs past" << 0;
        QTest::newRow("long string: cut length")
            << hex("0C 10 00") << Read::String << "ends after 2 of 4" << 1;
        QTest::newRow("long string: huge")
            << hex("0C FF FF FF 7F 41") << Read::String << "2147483647 runs past" << 0;
        QTest::newRow("long string: negative")
            << hex("0C FF FF FF FF") << Read::String << "negative string length" << 0;
        QTest::newRow("string: an integer") << hex("02 05") << Read::String << "expected a string" << 0;
        QTest::newRow("char: two") << hex("06 02 41 42") << Read::Char << "found a string of 2" << 0;
        QTest::newRow("char: none") << hex("06 00") << Read::Char << "found a string of 0" << 0;
        QTest::newRow("date: cut") << hex("11 00 00 00") << Read::Date << "ends after 3 of 8" << 1;
        QTest::newRow("date: NaN") << hex("11 00 00 00 00 00 00 F8 7F") << Read::Date << "not a finite" << 0;
        QTest::newRow("date: infinite")
            << hex("11 00 00 00 00 00 00 F0 7F") << Read::Date << "not a finite" << 0;
        QTest::newRow("date: integer") << hex("02 01") << Read::Date << "expected a date" << 0;
    }
    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Read, read);
        QFETCH(QString, reason);
        QFETCH(int, offset);
        TReader r(bytes, QStringLiteral("bad.cfn"));
        QVERIFY(!readOne(r, read));
        QVERIFY(r.Failed());
        QVERIFY2(r.ErrorText().contains(reason), qPrintable(r.ErrorText()));
        QVERIFY2(r.ErrorText().startsWith(QStringLiteral("bad.cfn: byte %1: ").arg(offset)),
                 qPrintable(r.ErrorText()));
    }

    // The first failure stays; later reads fail without reading on.
    void failureSticks()
    {
        TReader r(hex("06 01 41 02 07 02 08"));
        std::int32_t v = 0;
        QVERIFY(!r.ReadInteger(v, "First"));
        const QString first = r.ErrorText();
        QVERIFY(first.contains(QStringLiteral("First")));
        QVERIFY(!r.ReadInteger(v, "Second"));
        QCOMPARE(r.ErrorText(), first);
        QCOMPARE(r.Position(), qsizetype(0));
        QCOMPARE(v, 0);

        r.SetContext(QStringLiteral("ignored"));
        QVERIFY(!r.Fail(QStringLiteral("later")));
        QCOMPARE(r.ErrorText(), first);
    }

    void contextNamedInErrors()
    {
        TReader r(hex("02 01 06"), QStringLiteral("x.cfn"));
        std::int32_t v = 0;
        QVERIFY(r.ReadInteger(v, "Count"));
        r.SetContext(QStringLiteral("record TAUT from byte 0"));
        QString s;
        QVERIFY(!r.ReadString(s, "Popis"));
        QCOMPARE(r.ErrorText(),
                 QStringLiteral("x.cfn: byte 3: record TAUT from byte 0: Popis: the data ends after 0 "
                                "of 1 bytes"));
    }
};

QTEST_GUILESS_MAIN(TestComponentStream)
#include "test_componentstream.moc"
