// The help pages and history files must reach the program folder unchanged,
// and the pages must not link to anything that is not shipped with them.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QStringList FilesIn(const QString &folder, const QStringList &filters)
{
    return QDir(folder).entryList(filters, QDir::Files, QDir::Name);
}

const QString helpSource = QStringLiteral(KELVARA_SOURCE_DIR "/help");
const QString helpShipped = QStringLiteral(KELVARA_BIN_DIR "/help");
const QString historySource = QStringLiteral(KELVARA_SOURCE_DIR "/lang/history");

} // namespace

class TestLangShipped : public QObject {
    Q_OBJECT

private slots:
    void helpPagesAreShippedUnchanged()
    {
        const QStringList pages = FilesIn(helpSource, {"*"});
        QVERIFY(pages.contains("index.html"));
        for (const QString &name : pages) {
            const QString shipped = helpShipped + "/" + name;
            QVERIFY2(QFile::exists(shipped), qPrintable(name + " is not in the program folder"));
            QVERIFY2(ReadBytes(shipped) == ReadBytes(helpSource + "/" + name), qPrintable(name + " differs"));
        }
    }

    void historyFilesAreShippedAsPlainText()
    {
        const QStringList files = FilesIn(historySource, {"*.txt"});
        QVERIFY(!files.isEmpty());
        for (const QString &name : files) {
            const QByteArray bytes = ReadBytes(historySource + "/" + name);
            QVERIFY(!bytes.isEmpty());
            QCOMPARE(ReadBytes(QStringLiteral(KELVARA_BIN_DIR "/") + name), bytes);
            // ASCII reads the same in every code page the history window may assume.
            for (char c : bytes)
                QVERIFY2(static_cast<unsigned char>(c) < 0x80, qPrintable(name + " holds a byte above 127"));
        }
    }

    void linksStayInsideTheShippedPages()
    {
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)(#[^\"]*)?\""));
        static const QRegularExpression anchor(QStringLiteral("id=\"([^\"]+)\""));
        const QStringList pages = FilesIn(helpShipped, {"*.html"});
        QVERIFY(pages.size() > 1);
        QMap<QString, QSet<QString>> anchors;
        for (const QString &page : pages)
            for (auto it = anchor.globalMatch(QString::fromUtf8(ReadBytes(helpShipped + "/" + page))); it.hasNext();)
                anchors[page].insert(it.next().captured(1));
        QSet<QString> linkedFromIndex;
        for (const QString &page : pages) {
            const QString text = QString::fromUtf8(ReadBytes(helpShipped + "/" + page));
            QVERIFY2(text.contains("<title>"), qPrintable(page + " has no title"));
            if (page != "index.html")
                QVERIFY2(text.contains("href=\"index.html\""), qPrintable(page + " has no way back to the contents"));
            for (auto it = link.globalMatch(text); it.hasNext();) {
                const auto match = it.next();
                const QString target = match.captured(1).isEmpty() ? page : match.captured(1);
                QVERIFY2(!target.contains(':') && !target.contains('/'),
                         qPrintable(page + " links outside the help folder: " + target));
                QVERIFY2(pages.contains(target), qPrintable(page + " links to a missing page: " + target));
                const QString fragment = match.captured(2).mid(1);
                if (!fragment.isEmpty())
                    QVERIFY2(anchors[target].contains(fragment),
                             qPrintable(page + " links to a missing anchor: " + target + "#" + fragment));
                if (page == "index.html")
                    linkedFromIndex.insert(target);
            }
        }
        for (const QString &page : pages)
            if (page != "index.html")
                QVERIFY2(linkedFromIndex.contains(page), qPrintable(page + " is not listed in the contents"));
    }
};

QTEST_GUILESS_MAIN(TestLangShipped)
#include "test_shipped.moc"
