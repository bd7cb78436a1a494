// The language library against the program's own sources: every text number
// that the code asks for must have a text, and the table must not hold a
// number twice (the loader would silently return the first one).
#include "cardpack/dll_load.h"
#include "platform/langlib.h"

#include <QDirIterator>
#include <dlfcn.h>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// Literal numbers passed to LoadStrDll in one source text.
QList<int> NumbersAskedFor(const QString &source)
{
    static const QRegularExpression call(QStringLiteral("\\bLoadStrDll\\s*\\(\\s*(\\d+)\\s*\\)"));
    QList<int> numbers;
    for (auto it = call.globalMatch(source); it.hasNext();)
        numbers.append(it.next().captured(1).toInt());
    return numbers;
}

QString ReadText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Every table entry of the library's source, in file order: number -> line.
QList<QPair<int, int>> TableEntries()
{
    static const QRegularExpression entry(QStringLiteral("^\\s*\\{(\\d+),\\s*u\""));
    QList<QPair<int, int>> entries;
    const QStringList lines = ReadText(QStringLiteral(KELVARA_SOURCE_DIR "/lang/texts.cpp")).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const auto match = entry.match(lines[i]);
        if (match.hasMatch())
            entries.append({match.captured(1).toInt(), i + 1});
    }
    return entries;
}

// The whole text of a number, without the loader's 299-character cut.
QString FullText(int id)
{
    char16_t buffer[2048] = {};
    platform::LoadLanguageString(HInstDll, std::uint32_t(id), buffer, 2048);
    return QString::fromUtf16(buffer);
}

} // namespace

class TestLangTexts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
        QVERIFY2(HInstDll > 32, "LANG.DLL did not load from the program folder");
    }

    void scannerFindsLiteralCalls_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("plain") << "x = LoadStrDll(143);" << QList<int>{143};
        QTest::newRow("blanks") << "LoadStrDll( 7 ) + LoadStrDll (18)" << QList<int>{7, 18};
        QTest::newRow("in an expression") << "LoadStrDll(71) + \" \" + LoadStrDll(72)" << QList<int>{71, 72};
        QTest::newRow("computed number is not a literal") << "LoadStrDll(162 + k); LoadStrDll(id)" << QList<int>{};
        QTest::newRow("other function") << "MyLoadStrDll(5); LoadStrDllX(6)" << QList<int>{};
        QTest::newRow("over lines") << "a(LoadStrDll(\n  9\n))" << QList<int>{9};
    }

    void scannerFindsLiteralCalls()
    {
        QFETCH(QString, source);
        QFETCH(QList<int>, numbers);
        QCOMPARE(NumbersAskedFor(source), numbers);
    }

    // The check that matters: a number used in code without a text shows an
    // empty caption or message at run time.
    void everyNumberUsedHasText()
    {
        const QStringList folders{"model", "comm", "mainwindow", "windows", "cardpack"};
        QStringList missing;
        int calls = 0;
        for (const QString &folder : folders) {
            const QString root = QStringLiteral(KELVARA_SOURCE_DIR "/") + folder;
            QDirIterator it(root, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                for (int id : NumbersAskedFor(ReadText(path))) {
                    ++calls;
                    if (LoadStrDll(id).isEmpty())
                        missing.append(QStringLiteral("%1 in %2").arg(id).arg(path));
                }
            }
        }
        if (calls == 0)
            qInfo("no LoadStrDll call with a literal number in the sources yet");
        QVERIFY2(missing.isEmpty(), qPrintable("numbers without a text: " + missing.join(", ")));
    }

    void tableHasEachNumberOnceInOrder()
    {
        const auto entries = TableEntries();
        QVERIFY2(entries.size() > 100, "the table of lang/texts.cpp was not found or not parsed");
        QMap<int, int> firstLine;
        int previous = 0;
        for (const auto &[id, line] : entries) {
            QVERIFY2(!firstLine.contains(id),
                     qPrintable(QStringLiteral("text %1 on lines %2 and %3").arg(id).arg(firstLine[id]).arg(line)));
            firstLine.insert(id, line);
            QVERIFY2(id > previous, qPrintable(QStringLiteral("text %1 on line %2 is out of order").arg(id).arg(line)));
            previous = id;
        }
    }

    void tableEntriesLoadWithinLimits()
    {
        static const QRegularExpression directive(QStringLiteral("%(.)"));
        for (const auto &[id, line] : TableEntries()) {
            const QString text = FullText(id);
            QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("text %1 (line %2) loads empty").arg(id).arg(line)));
            QVERIFY2(text.size() < 300, qPrintable(QStringLiteral("text %1 is longer than the loader keeps").arg(id)));
            QCOMPARE(LoadStrDll(id), text);
            // Callers format with a single file name; any other directive would
            // eat an argument or print garbage.
            int names = 0;
            for (auto it = directive.globalMatch(text); it.hasNext();) {
                const QString kind = it.next().captured(1);
                QVERIFY2(kind == "s", qPrintable(QStringLiteral("text %1 has the directive %%%2").arg(id).arg(kind)));
                ++names;
            }
            QVERIFY2(names <= 1, qPrintable(QStringLiteral("text %1 takes more than one value").arg(id)));
        }
    }

    void unknownNumbersGiveNothing()
    {
        const auto entries = TableEntries();
        QVERIFY(!entries.isEmpty());
        QSet<int> known;
        for (const auto &entry : entries)
            known.insert(entry.first);
        int gap = 1;
        while (known.contains(gap))
            ++gap;
        for (int id : {0, gap, entries.last().first + 1, 65535, 1000000}) {
            QVERIFY(!known.contains(id));
            QVERIFY2(LoadStrDll(id).isEmpty(), qPrintable(QStringLiteral("text %1 should not exist").arg(id)));
        }
        auto *lookup = reinterpret_cast<LangTextFunction *>(dlsym(reinterpret_cast<void *>(HInstDll), "LangText"));
        QVERIFY(lookup);
        QCOMPARE(lookup(std::uint32_t(gap)), nullptr);
        QVERIFY(lookup(std::uint32_t(entries.first().first)) != nullptr);
    }
};

QTEST_GUILESS_MAIN(TestLangTexts)
#include "test_texts.moc"
