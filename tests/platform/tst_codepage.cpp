#include <QTest>

#include "platform/codepage.h"

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void allBytesRoundTrip_data();
    void allBytesRoundTrip();
    void ascii_data();
    void ascii();
    void knownCharacters_data();
    void knownCharacters();
    void notInPage_data();
    void notInPage();
    void empty();
    void realPagesHaveNoError();
    void missingPage_data();
    void missingPage();
};

namespace
{

using Decode = QString (*)(const QByteArray &);
using Encode = QByteArray (*)(const QString &);

struct Page {
    Decode from;
    Encode to;
};

Page page(const QString &name)
{
    if (name == "CP1250")
        return {platform::FromCp1250, platform::ToCp1250};
    return {platform::FromCp852, platform::ToCp852};
}

void addPages()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("CP1250") << "CP1250";
    QTest::newRow("CP852") << "CP852";
}

} // namespace

void TestCodePage::allBytesRoundTrip_data()
{
    addPages();
}

void TestCodePage::allBytesRoundTrip()
{
    QFETCH(QString, page);
    const Page p = ::page(page);
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = p.from(all);
    QCOMPARE(text.size(), 256);
    // Every byte is one character and a different one.
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    QCOMPARE(p.to(text), all);
    // Byte by byte too, so that no neighbour hides a fault.
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const QString c = p.from(one);
        QCOMPARE(c.size(), 1);
        QCOMPARE(c[0], text[b]);
        QCOMPARE(p.to(c), one);
    }
}

void TestCodePage::ascii_data()
{
    addPages();
}

void TestCodePage::ascii()
{
    QFETCH(QString, page);
    const Page p = ::page(page);
    for (int b = 0; b < 128; ++b)
        QCOMPARE(p.from(QByteArray(1, char(b)))[0].unicode(), char16_t(b));
}

void TestCodePage::knownCharacters_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("character");
    const struct {
        int byte;
        const char16_t *c;
    } cp1250[] = {{0x9A, u"š"}, {0x8A, u"Š"}, {0x9E, u"ž"}, {0x8E, u"Ž"}, {0x9D, u"ť"}, {0x8D, u"Ť"},
                  {0xE8, u"č"}, {0xC8, u"Č"}, {0xE1, u"á"}, {0xE4, u"ä"}, {0xF4, u"ô"}, {0xBE, u"ľ"},
                  {0xBC, u"Ľ"}, {0xF2, u"ň"}, {0xE0, u"ŕ"}, {0xE5, u"ĺ"}, {0x80, u"€"}, {0xED, u"í"}};
    const struct {
        int byte;
        const char16_t *c;
    } cp852[] = {{0xE7, u"š"}, {0xE6, u"Š"}, {0xA7, u"ž"}, {0xA6, u"Ž"}, {0x9C, u"ť"}, {0x9B, u"Ť"},
                 {0x9F, u"č"}, {0xAC, u"Č"}, {0xA0, u"á"}, {0x84, u"ä"}, {0x93, u"ô"}, {0x96, u"ľ"},
                 {0x95, u"Ľ"}, {0xE5, u"ň"}, {0xEA, u"ŕ"}, {0x92, u"ĺ"}, {0x85, u"ů"}, {0xA1, u"í"}};
    for (const auto &e : cp1250)
        QTest::addRow("CP1250 %02X", e.byte) << "CP1250" << e.byte << QString::fromUtf16(e.c);
    for (const auto &e : cp852)
        QTest::addRow("CP852 %02X", e.byte) << "CP852" << e.byte << QString::fromUtf16(e.c);
}

void TestCodePage::knownCharacters()
{
    QFETCH(QString, page);
    QFETCH(int, byte);
    QFETCH(QString, character);
    const Page p = ::page(page);
    QCOMPARE(p.from(QByteArray(1, char(byte))), character);
    QCOMPARE(p.to(character), QByteArray(1, char(byte)));
    // Inside a text as well.
    QCOMPARE(p.to("a" + character + "b"), QByteArray("a") + char(byte) + "b");
}

void TestCodePage::notInPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CP852 euro") << "CP852" << QStringLiteral("a€b") << QByteArray("a?b");
    QTest::newRow("CP1250 n tilde") << "CP1250" << QStringLiteral("ñ") << QByteArray("?");
    QTest::newRow("CP1250 CJK") << "CP1250" << QStringLiteral("x中y") << QByteArray("x?y");
    QTest::newRow("CP852 CJK") << "CP852" << QStringLiteral("中文") << QByteArray("??");
    QTest::newRow("CP1250 Greek") << "CP1250" << QStringLiteral("αβ") << QByteArray("??");
    QTest::newRow("CP852 right quote") << "CP852" << QStringLiteral("\u201D") << QByteArray("?");
    QTest::newRow("question mark stays") << "CP1250" << QStringLiteral("?") << QByteArray("?");
    QTest::newRow("CP1250 emoji is one character") << "CP1250" << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
}

void TestCodePage::notInPage()
{
    QFETCH(QString, page);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(::page(page).to(text), bytes);
}

void TestCodePage::empty()
{
    QCOMPARE(platform::FromCp1250({}), QString());
    QCOMPARE(platform::ToCp852({}), QByteArray());
}

void TestCodePage::realPagesHaveNoError()
{
    QCOMPARE(platform::CodePageError(), QString());
}

void TestCodePage::missingPage_data()
{
    QTest::addColumn<QByteArray>("name1250");
    QTest::addColumn<QByteArray>("name852");
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("no CP1250") << QByteArray("NO-SUCH-PAGE") << QByteArray() << QStringList{"CP1250"};
    QTest::newRow("no CP852") << QByteArray() << QByteArray("NO-SUCH-PAGE") << QStringList{"CP852"};
    QTest::newRow("neither") << QByteArray("NO-SUCH-1250") << QByteArray("NO-SUCH-852")
                             << QStringList{"CP1250", "CP852"};
    // A page iconv has, but not the right one: its letters sit elsewhere.
    QTest::newRow("CP1250 is Latin-2") << QByteArray("ISO-8859-2") << QByteArray() << QStringList{"CP1250"};
    QTest::newRow("CP852 is CP1250") << QByteArray() << QByteArray("CP1250") << QStringList{"CP852"};
}

void TestCodePage::missingPage()
{
    QFETCH(QByteArray, name1250);
    QFETCH(QByteArray, name852);
    QFETCH(QStringList, missing);
    struct Restore {
        ~Restore() { platform::testing::UseCodePageNames(nullptr, nullptr); }
    } restore;
    platform::testing::UseCodePageNames(name1250.isEmpty() ? nullptr : name1250.constData(),
                                        name852.isEmpty() ? nullptr : name852.constData());

    const QString error = platform::CodePageError();
    QVERIFY(!error.isEmpty());
    for (const QString &page : {QStringLiteral("CP1250"), QStringLiteral("CP852")}) {
        QCOMPARE(error.contains(page + " ") || error.contains(page + ")"), missing.contains(page));
        if (!name1250.isEmpty() && page == "CP1250")
            QVERIFY(error.contains(QString::fromLatin1(name1250)));
    }

    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    for (const QString &name : {QStringLiteral("CP1250"), QStringLiteral("CP852")}) {
        const Page p = page(name);
        const QString text = p.from(all);
        QCOMPARE(text.size(), 256);
        if (!missing.contains(name)) {
            // The page that is there converts as before.
            QCOMPARE(p.to(text), all);
            QCOMPARE(p.to(QStringLiteral("Šč")).size(), 2);
            QVERIFY(!p.to(QStringLiteral("Šč")).contains('?'));
            continue;
        }
        // A missing page never gives a wrong letter: ASCII as it is, the rest visibly unknown.
        for (int b = 0; b < 256; ++b)
            QCOMPARE(text[b].unicode(), b < 128 ? char16_t(b) : char16_t(0xFFFD));
        QCOMPARE(p.to(QStringLiteral("Dispečer Ľubo")), QByteArray("Dispe?er ?ubo"));
        QCOMPARE(p.to(QStringLiteral("\uFFFD")), QByteArray("?"));
    }

    platform::testing::UseCodePageNames(nullptr, nullptr);
    QCOMPARE(platform::CodePageError(), QString());
    QCOMPARE(platform::ToCp1250(QStringLiteral("Š")), QByteArray("\x8A"));
    QCOMPARE(platform::FromCp852(QByteArray("\xE6")), QStringLiteral("Š"));
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
