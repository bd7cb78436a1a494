#include <QFile>
#include <QTest>

#include <limits>

#include "cardpack/dll_load.h"
#include "cardpack/konstkarty.h"
#include "platform/langlib.h"

class TestDllLoad : public QObject
{
    Q_OBJECT

private slots:
    void int2Str_data();
    void int2Str();
    void noLibrary_data();
    void noLibrary();
    void fromLibrary_data();
    void fromLibrary();
    void longTextIsCut();
    void pStrBuffer();
    void notALibrary();
    void countedUnit();

private:
    platform::ModuleHandle library();
};

platform::ModuleHandle TestDllLoad::library()
{
    static platform::ModuleHandle handle = platform::LoadLanguageLibrary(QStringLiteral(CARDPACK_TESTLANG));
    return handle;
}

void TestDllLoad::int2Str_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("width");
    QTest::addColumn<QString>("text");
    QTest::newRow("7,3") << qint64(7) << qint64(3) << "007";
    QTest::newRow("1234,2") << qint64(1234) << qint64(2) << "1234";
    QTest::newRow("0,0") << qint64(0) << qint64(0) << "0";
    QTest::newRow("-5,4 zeros before minus") << qint64(-5) << qint64(4) << "00-5";
    QTest::newRow("-5,2 exact") << qint64(-5) << qint64(2) << "-5";
    QTest::newRow("width equal") << qint64(123) << qint64(3) << "123";
    QTest::newRow("negative width") << qint64(42) << qint64(-10) << "42";
    QTest::newRow("0,5") << qint64(0) << qint64(5) << "00000";
    QTest::newRow("64-bit value") << qint64(1) << qint64(0) << "1";
    QTest::newRow("max") << std::numeric_limits<qint64>::max() << qint64(20) << "09223372036854775807";
    QTest::newRow("min") << std::numeric_limits<qint64>::min() << qint64(1) << "-9223372036854775808";
}

void TestDllLoad::int2Str()
{
    QFETCH(qint64, value);
    QFETCH(qint64, width);
    QFETCH(QString, text);
    QCOMPARE(Int2Str(value, width), text);
}

void TestDllLoad::noLibrary_data()
{
    QTest::addColumn<quintptr>("handle");
    QTest::newRow("0") << quintptr(0);
    QTest::newRow("1") << quintptr(1);
    QTest::newRow("32") << quintptr(32);
}

void TestDllLoad::noLibrary()
{
    QFETCH(quintptr, handle);
    QCOMPARE(HInstDll, std::uintptr_t(0)); // nothing loaded at start
    HInstDll = handle;
    QCOMPARE(LoadStrDll(1), QString());
    QCOMPARE(LoadStrDll(400), QString());
    QCOMPARE(QByteArray(LoadPStrDll(1)), QByteArray());
    HInstDll = 0;
}

void TestDllLoad::fromLibrary_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "Kelvara";
    QTest::newRow("diacritics") << 2 << QStringLiteral("Nekonfigurovaná linka");
    QTest::newRow("empty text") << 3 << "";
    QTest::newRow("missing number") << 4 << "";
    QTest::newRow("missing 0") << 0 << "";
    QTest::newRow("missing large") << 100000 << "";
    QTest::newRow("-1 is the unsigned number") << -1 << "minus one";
}

void TestDllLoad::fromLibrary()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QVERIFY(library() > 32);
    HInstDll = library();
    QCOMPARE(LoadStrDll(id), text);
    QCOMPARE(QString::fromUtf8(LoadPStrDll(id)), text);
    HInstDll = 0;
}

void TestDllLoad::longTextIsCut()
{
    QVERIFY(library() > 32);
    HInstDll = library();
    const QString text = LoadStrDll(400);
    QCOMPARE(text.size(), 299);
    for (int i = 0; i < 298; ++i)
        QCOMPARE(text[i], QChar(u'A' + i % 26));
    QCOMPARE(text[298], QChar(u'š'));
    QCOMPARE(QString::fromUtf8(LoadPStrDll(400)), text);
    HInstDll = 0;
}

void TestDllLoad::pStrBuffer()
{
    HInstDll = library();
    const char *first = LoadPStrDll(2);
    QCOMPARE(QString::fromUtf8(first), QStringLiteral("Nekonfigurovaná linka"));
    // The package's buffer holds the latest text.
    const char *second = LoadPStrDll(1);
    QCOMPARE(QByteArray(second), QByteArray("Kelvara"));
    HInstDll = 0;
}

void TestDllLoad::notALibrary()
{
    QCOMPARE(platform::LoadLanguageLibrary(QStringLiteral("/nonexistent/LANG.DLL")),
             platform::ModuleHandle(0));
}

void TestDllLoad::countedUnit()
{
    const platform::ModuleHandle handle = library();
    HInstDll = handle;
    // The package's own start ran at load; a second one does not touch the handle.
    DllLoadInitialization();
    QCOMPARE(HInstDll, handle);
    DllLoadFinalization();
    QCOMPARE(HInstDll, handle);
    QCOMPARE(LoadStrDll(1), QStringLiteral("Kelvara"));
    // The last end clears it without freeing the library.
    DllLoadFinalization();
    QCOMPARE(HInstDll, std::uintptr_t(0));
    QCOMPARE(LoadStrDll(1), QString());
    HInstDll = handle;
    DllLoadFinalization(); // no start left: nothing happens
    QCOMPARE(HInstDll, handle);
    DllLoadInitialization(); // a fresh first start clears it
    QCOMPARE(HInstDll, std::uintptr_t(0));
    HInstDll = handle;
    QCOMPARE(LoadStrDll(1), QStringLiteral("Kelvara")); // still loaded
    HInstDll = 0;
}

QTEST_GUILESS_MAIN(TestDllLoad)
#include "tst_dllload.moc"
