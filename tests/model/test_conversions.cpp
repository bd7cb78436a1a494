#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "model/conversions.h"
#include "platform/codepage.h"

namespace {

DynPole bytes(std::initializer_list<int> list)
{
    DynPole d;
    for (int b : list)
        d.push_back(std::uint8_t(b));
    return d;
}

void writeFile(const QString &name, const QByteArray &data)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

} // namespace

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void replyFields_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("kind");
        QTest::newRow("5: 7 bytes is too short") << QByteArray("\x01\x02\x03\x04\x05\x06\x07", 7) << 5 << false << 0 << 0;
        QTest::newRow("5: 8 bytes") << QByteArray("\0\0\0\0\0\x01\x00P", 8) << 5 << true << 255 << int('P');
        QTest::newRow("5: x255 not x256") << QByteArray("\0\0\0\0\0\x02\x03Z", 8) << 5 << true << 513 << int('Z');
        QTest::newRow("5: top values") << QByteArray("\0\0\0\0\0\xFF\xFF\xFF", 8) << 5 << true << 65280 << 255;
        QTest::newRow("8: 10 bytes is too short") << QByteArray(10, '\x05') << 8 << false << 0 << 0;
        QTest::newRow("8: 11 bytes") << QByteArray("\0\0\0\0\0\0\0\0\x01\x01P", 11) << 8 << true << 256 << int('P');
    }

    void replyFields()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, k);
        QFETCH(bool, changed);
        QFETCH(int, value);
        QFETCH(int, kind);
        const DynPole a(answer.begin(), answer.end());
        using Decoder = void (*)(const DynPole &, TReplyField &);
        const Decoder decoders[] = {k == 5 ? DecodePultReplyField5 : DecodePultReplyField8,
                                    k == 5 ? DecodeSystemReplyField5 : DecodeSystemReplyField8};
        for (Decoder d : decoders) {
            TReplyField f{9, 1234};
            d(a, f);
            QCOMPARE(f.Value, changed ? value : 1234);
            QCOMPARE(int(f.Kind), changed ? kind : 9);
        }
        // Each decoder reads its own place only.
        TReplyField other{9, 1234};
        (k == 5 ? DecodePultReplyField8 : DecodePultReplyField5)(bytes({0, 0, 0, 0, 0, 1, 2, 3}), other);
        QCOMPARE(other.Value, k == 5 ? 1234 : 257);
    }

    void hexText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("value");
        QTest::newRow("empty") << QString() << true << qint64(0);
        QTest::newRow("FF") << QStringLiteral("FF") << true << qint64(255);
        QTest::newRow("ff") << QStringLiteral("ff") << true << qint64(255);
        QTest::newRow("mixed") << QStringLiteral("1a2B") << true << qint64(0x1A2B);
        QTest::newRow("leading zeros") << QStringLiteral("000F") << true << qint64(15);
        QTest::newRow("not hex") << QStringLiteral("G1") << false << qint64(0);
        QTest::newRow("blank") << QStringLiteral("1 2") << false << qint64(0);
    }

    void hexText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, value);
        std::int64_t v = -7;
        QCOMPARE(TryHexStrToInt(text, v), ok);
        QCOMPARE(qint64(v), ok ? value : qint64(-7));
        QCOMPARE(qint64(HexStrToInt(text)), value);
    }

    void bytesToHex()
    {
        const Byte b[] = {0x00, 0x0F, 0xA5, 0xFF};
        QCOMPARE(BytesToHex(b, 4), QStringLiteral("000FA5FF"));
        QCOMPARE(BytesToHex(b, 0), QString());
    }

    void strToIntOrNull_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("null keeps") << QStringLiteral("null") << true << 77;
        QTest::newRow("number") << QStringLiteral("42") << true << 42;
        QTest::newRow("zero") << QStringLiteral("0") << true << 0;
        QTest::newRow("negative") << QStringLiteral("-5") << true << -5;
        QTest::newRow("plus") << QStringLiteral("+5") << true << 5;
        QTest::newRow("lowest") << QStringLiteral("-2147483648") << true << INT32_MIN;
        QTest::newRow("highest") << QStringLiteral("2147483647") << true << INT32_MAX;
        QTest::newRow("too big") << QStringLiteral("2147483648") << false << 77;
        QTest::newRow("far too big") << QStringLiteral("99999999999999999999") << false << 77;
        QTest::newRow("empty") << QString() << false << 77;
        QTest::newRow("sign only") << QStringLiteral("-") << false << 77;
        QTest::newRow("word") << QStringLiteral("abc") << false << 77;
        QTest::newRow("NULL") << QStringLiteral("NULL") << false << 77;
        QTest::newRow("leading blank") << QStringLiteral(" 5") << false << 77;
        QTest::newRow("hex") << QStringLiteral("0x10") << false << 77;
    }

    void strToIntOrNull()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        std::int32_t v = 77;
        QCOMPARE(StrToIntOrNull(text, v), ok);
        QCOMPARE(v, value);
    }

    void linePosNames()
    {
        const char *const names[32] = {"E0-L0", "E0-L1", "E0-L2", "E0-L3", "E0-L4", "E0-L5", "E0-L6", "E0-L7",
                                       "E0-H0", "E0-H1", "E0-H2", "E0-H3", "E0-H4", "E0-H5", "E0-H6", "E0-H7",
                                       "E1-L0", "E1-L1", "E1-L2", "E1-L3", "E1-L4", "E1-L5", "E1-L6", "E1-L7",
                                       "E1-H0", "E1-H1", "E1-H2", "E1-H3", "E1-H4", "E1-H5", "E1-H6", "E1-H7"};
        for (int n = 0; n < 32; ++n) {
            QCOMPARE(LinePosName(n), QLatin1String(names[n]));
            QCOMPARE(LinePosFromName(QLatin1String(names[n])), n);
            QVERIFY(IsLinePosName(QLatin1String(names[n])));
        }
    }

    void linePosFromName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pos");
        QTest::addColumn<bool>("valid");
        QTest::newRow("E0-H3") << QStringLiteral("E0-H3") << 11 << true;
        QTest::newRow("E1-L3") << QStringLiteral("E1-L3") << 19 << true;
        QTest::newRow("bank X, half 0") << QStringLiteral("E0-X3") << 0 << false;
        QTest::newRow("bank X, half 1") << QStringLiteral("E1-X3") << 16 << false;
        QTest::newRow("digit 8") << QStringLiteral("E1-H8") << 16 << false;
        QTest::newRow("half 2") << QStringLiteral("E2-L3") << 3 << false;
        QTest::newRow("lower case") << QStringLiteral("e0-l3") << 0 << false;
        QTest::newRow("short 1H3") << QStringLiteral("1H3") << 27 << true;
        QTest::newRow("short 0L3") << QStringLiteral("0L3") << 3 << true;
        QTest::newRow("short 7H7") << QStringLiteral("7H7") << 15 << true;
        QTest::newRow("short 8L3") << QStringLiteral("8L3") << 3 << false;
        QTest::newRow("short bad bank") << QStringLiteral("1X3") << 16 << false;
        QTest::newRow("four characters") << QStringLiteral("E0L3") << 0 << false;
        QTest::newRow("empty") << QString() << 0 << false;
    }

    void linePosFromName()
    {
        QFETCH(QString, name);
        QFETCH(int, pos);
        QFETCH(bool, valid);
        QCOMPARE(LinePosFromName(name), pos);
        QCOMPARE(IsLinePosName(name), valid);
        if (name.size() == 3)
            QCOMPARE(ShortLinePosFromName(name), pos);
        else
            QCOMPARE(ShortLinePosFromName(name), 0);
    }

    void oemText_data()
    {
        QTest::addColumn<QString>("ansi");
        QTest::addColumn<QByteArray>("oem");
        QTest::newRow("plain") << QStringLiteral("Linka 1") << QByteArray("Linka 1");
        QTest::newRow("Zilina") << QStringLiteral("Žilina") << QByteArray::fromHex("a6696c696e61");
        QTest::newRow("r caron") << QStringLiteral("ř") << QByteArray::fromHex("d1");
        QTest::newRow("R caron") << QStringLiteral("Ř") << QByteArray::fromHex("d0");
        QTest::newRow("sentence") << QStringLiteral("Příliš žluťoučký kůň")
                                  << QByteArray::fromHex("50d1a16c69e720a76c759c6f759f6bec206b85e5");
        QTest::newRow("slovak") << QStringLiteral("ÁÄČĎÉÍĹĽŇÓÔŔŠŤÚÝŽáäčďéíĺľňóôŕšťúýž")
                                << QByteArray::fromHex("b58eacd290d69195d5e0e2e8e69be9eda6a0849fd482a19296e5a293eae79ca3eca7");
    }

    void oemText()
    {
        QFETCH(QString, ansi);
        QFETCH(QByteArray, oem);
        QCOMPARE(AnsiToOemText(ansi).toHex(), oem.toHex());
        QCOMPARE(OemToAnsiText(oem), ansi);
        QCOMPARE(platform::ToCp1250(OemToAnsiText(oem)).toHex(), platform::ToCp1250(ansi).toHex());
    }

    void oemSwapsBothWays()
    {
        // The console keeps the R carons where code page 852 has d with stroke.
        QCOMPARE(OemToAnsiText(QByteArray::fromHex("d0d1")), QStringLiteral("Řř"));
        QCOMPARE(OemToAnsiText(QByteArray::fromHex("fcfd")), QStringLiteral("Řř"));
        QCOMPARE(platform::ToCp1250(OemToAnsiText(QByteArray::fromHex("d0d1"))).toHex(), QByteArray("d8f8"));
        QCOMPARE(AnsiToOemText(QStringLiteral("đĐ")).toHex(), QByteArray("d0d1"));
        // At most 254 characters each way.
        QCOMPARE(AnsiToOemText(QString(300, u'a')).size(), 254);
        QCOMPARE(OemToAnsiText(QByteArray(300, 'a')).size(), 254);
    }

    void versionText_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("test");
        QTest::addColumn<bool>("build");
        QTest::addColumn<QString>("text");
        QTest::newRow("short") << QStringLiteral("2.1.9.114") << false << false << QStringLiteral("2.1.9");
        QTest::newRow("with build") << QStringLiteral("2.1.9.114") << false << true << QStringLiteral("2.1.9.114");
        QTest::newRow("test") << QStringLiteral("2.1.9.114") << true << false << QStringLiteral("2.1.9 (test)");
        QTest::newRow("test with build") << QStringLiteral("2.1.9.2") << true << true << QStringLiteral("2.1.9.2 (test)");
        QTest::newRow("release build 1") << QStringLiteral("2.1.9.1") << true << false << QStringLiteral("2.1.9");
        QTest::newRow("release build 0") << QStringLiteral("2.6.0.0") << true << true << QStringLiteral("2.6.0.0");
    }

    void versionText()
    {
        QFETCH(QString, version);
        QFETCH(bool, test);
        QFETCH(bool, build);
        QFETCH(QString, text);
        QCOMPARE(VersionText(version, test, build), text);
    }

    void scaledLimit()
    {
        const int table[][5] = {
            // mode, value, factor2, factor1, keys
            {1, 1, 112, 80, 80}, {1, 2, 112, 80, 160}, {1, 3, 112, 80, 224}, {2, 1, 112, 80, 112},
            {2, 2, 112, 80, 224}, {2, 3, 112, 80, 224}, {0, 3, 112, 80, 0},   {3, 1, 112, 80, 0},
            {1, 0, 112, 80, 0},
        };
        for (const auto &r : table)
            QCOMPARE(ScaledLimit224(r[0], r[1], r[2], r[3]), r[4]);
    }

    void dialDigits()
    {
        const struct {
            char c;
            int code;
        } table[] = {{'1', 0x1F}, {'2', 0x2F}, {'3', 0x3F}, {'4', 0x4F}, {'5', 0x5F}, {'6', 0x6F},
                     {'7', 0x7F}, {'8', 0x8F}, {'9', 0x9F}, {'0', 0xAF}, {'*', 0xBF}, {'#', 0x0F},
                     {'.', 0xDF}, {'p', 0xCF}, {'t', 0xCF}};
        for (const auto &r : table)
            QCOMPARE(int(DialDigitCode(QLatin1Char(r.c))), r.code);
        QCOMPARE(int(DialDigitCode(u'x')), 255);

        QCOMPARE(DialDigitsToCode(QStringLiteral("0905*#.")).toHex(), QByteArray("af9faf5fbf0fdf"));
        QCOMPARE(DialDigitsToCode(QString(40, u'7')).size(), 32);
        QCOMPARE(DialDigitsToCode(QString()).size(), 0);

        // Pauses come back as t and p in turn.
        QCOMPARE(DialCodeToDigits(DialDigitsToCode(QStringLiteral("12p3p"))), QStringLiteral("12t3p"));
        QCOMPARE(DialCodeToDigits(QByteArray::fromHex("cfcfcf")), QStringLiteral("tpt"));
        QCOMPARE(DialCodeToDigits(QByteArray::fromHex("af9f0fbfdf")), QStringLiteral("09#*."));
        // Other codes give nothing; 255 marks an empty place.
        QCOMPARE(DialCodeToDigits(QByteArray::fromHex("1fff00102fef")), QStringLiteral("12"));
        QCOMPARE(DialCodeToDigits(QByteArray(40, char(0x5F))), QString(32, u'5'));
    }

    void textFilesEqual()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.txt")), b = dir.filePath(QStringLiteral("b.txt"));
        writeFile(a, "one\r\ntwo\r\n");
        writeFile(b, "one\r\ntwo\r\n");
        QVERIFY(TextFilesEqual(a, b));
        writeFile(b, "one\ntwo\n");
        QVERIFY(TextFilesEqual(a, b)); // the same lines
        writeFile(b, "one\r\ntwo\r\n\r\n");
        QVERIFY(!TextFilesEqual(a, b)); // one more empty line
        writeFile(b, "one\r\nTwo\r\n");
        QVERIFY(!TextFilesEqual(a, b));
        writeFile(b, "one\r\n");
        QVERIFY(!TextFilesEqual(a, b));
        // A missing file or an empty name is never equal: a backup must not go against it.
        QVERIFY(!TextFilesEqual(a, dir.filePath(QStringLiteral("missing.txt"))));
        QVERIFY(!TextFilesEqual(dir.filePath(QStringLiteral("missing.txt")), a));
        QVERIFY(!TextFilesEqual(a, QString()));
        QVERIFY(!TextFilesEqual(QString(), QString()));
        QVERIFY(!TextFilesEqual(a, dir.path())); // a folder
    }

    void deleteOldFiles()
    {
        QTemporaryDir dir;
        const QDateTime base = QDateTime::currentDateTime().addDays(-1);
        auto make = [&](const QString &name, int minutes) {
            const QString p = dir.filePath(name);
            writeFile(p, "x");
            QFile f(p);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(base.addSecs(60 * minutes), QFileDevice::FileModificationTime));
        };
        for (int i = 0; i < 10; ++i)
            make(QStringLiteral("p_%1.bak").arg(i), 10 + i);
        make(QStringLiteral("q_0.bak"), 0);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("p_folder.bak")));
        const QString mask = dir.filePath(QStringLiteral("p_*.bak"));
        QCOMPARE(DeleteOldFiles(mask, 10), 0); // ten match: nothing goes
        make(QStringLiteral("P_X.bak"), 5);     // another case: not the same name
        make(QStringLiteral("p_new.bak"), 30);
        QCOMPARE(DeleteOldFiles(mask, 10), 1);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("p_0.bak")))); // the oldest
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("p_new.bak"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("q_0.bak"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("P_X.bak"))));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("p_folder.bak"))).isDir());
        QCOMPARE(DeleteOldFiles(mask, 3), 7);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("p_*.bak")}, QDir::Files | QDir::CaseSensitive, QDir::Name),
                 QStringList({QStringLiteral("p_8.bak"), QStringLiteral("p_9.bak"), QStringLiteral("p_new.bak")}));

        // Equal times: by name without regard to case.
        QTemporaryDir d2;
        for (const char *n : {"b.bak", "A.bak", "c.bak"}) {
            writeFile(d2.filePath(QLatin1String(n)), "x");
            QFile f(d2.filePath(QLatin1String(n)));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(base, QFileDevice::FileModificationTime));
        }
        QCOMPARE(DeleteOldFiles(d2.filePath(QStringLiteral("*.bak")), 1), 2);
        QVERIFY(QFileInfo::exists(d2.filePath(QStringLiteral("c.bak"))));
    }

    void wildcardLiteral()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("a[1]*.bak")), "x");
        writeFile(dir.filePath(QStringLiteral("a1x.bak")), "x");
        writeFile(dir.filePath(QStringLiteral("a[1]zz.bak")), "x");
        QCOMPARE(DeleteOldFiles(dir.filePath(WildcardLiteral(QStringLiteral("a[1]*")) + QStringLiteral(".bak")), 0), 1);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("a[1]*.bak"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a1x.bak"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a[1]zz.bak"))));
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
