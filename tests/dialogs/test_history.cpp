// The history dialog: which tab shows which file, placement and closing.
#include "dialogtest.h"

#include "platform/codepage.h"
#include "windows/history.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

void WriteFile(const QString &path, const QString &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(platform::ToCp1250(text));
}

QStringList Captions(const QTabBar *bar)
{
    QStringList c;
    for (int i = 0; i < bar->count(); ++i)
        c << bar->tabText(i);
    return c;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(LoadProgramLanguage()); }

    void fileNames()
    {
        QCOMPARE(HistoryFileNames(QStringLiteral("/p")),
                 (QStringList{QStringLiteral("/p/History.txt"), QStringLiteral("/p/HistoryZ.txt"),
                              QStringLiteral("/p/HistoryP.txt")}));
    }

    // Bit 0 History.txt, bit 1 HistoryZ.txt, bit 2 HistoryP.txt present.
    void tabs_data()
    {
        QTest::addColumn<int>("present");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("none") << 0 << QStringList{} << QStringList{};
        QTest::newRow("all") << 7 << QStringList{"Kelvara", "OrvaZ", "OrvaP"}
                             << QStringList{"History.txt", "HistoryP.txt", "HistoryZ.txt"};
        QTest::newRow("only Z") << 2 << QStringList{"OrvaP"} << QStringList{"HistoryZ.txt"};
        QTest::newRow("only P") << 4 << QStringList{"OrvaZ"} << QStringList{"HistoryP.txt"};
        QTest::newRow("only Kelvara") << 1 << QStringList{"Kelvara"} << QStringList{"History.txt"};
        QTest::newRow("Z and P") << 6 << QStringList{"OrvaZ", "OrvaP"} << QStringList{"HistoryP.txt", "HistoryZ.txt"};
    }

    void tabs()
    {
        QFETCH(int, present);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, files);
        QTemporaryDir dir;
        const QStringList names = HistoryFileNames(dir.path());
        for (int i = 0; i < 3; ++i)
            if (present & (1 << i))
                WriteFile(names[i], QStringLiteral("text of ") + names[i].section(u'/', -1));
        QCOMPARE(HistoryAvailable(dir.path()), present != 0);

        const QList<THistoryTab> tabs = HistoryTabs(names[0], names[1], names[2]);
        QStringList gotCaptions, gotFiles;
        for (const THistoryTab &t : tabs) {
            gotCaptions << t.Caption;
            gotFiles << t.FileName.section(u'/', -1);
        }
        QCOMPARE(gotCaptions, captions);
        QCOMPARE(gotFiles, files);

        TfHistory dialog(nullptr, names[0], names[1], names[2]);
        QCOMPARE(Captions(dialog.tcHistory), captions);
        QCOMPARE(dialog.bOK->text(), LoadStrDll(31));
        // Each tab shows its own file's text.
        for (int i = 0; i < files.size(); ++i) {
            dialog.tcHistory->setCurrentIndex(i);
            QCOMPARE(dialog.mHistory->toPlainText(), QStringLiteral("text of ") + files[i]);
        }
        if (files.isEmpty())
            QVERIFY(dialog.mHistory->toPlainText().isEmpty());
    }

    // The first tab is shown at once; the text is read as Windows-1250.
    void firstTabShownAndCodePage()
    {
        QTemporaryDir dir;
        const QStringList names = HistoryFileNames(dir.path());
        WriteFile(names[1], QStringLiteral("Verzia 2.1: oprava čítania dosiek\nĎalšia zmena"));
        TfHistory dialog(nullptr, names[0], names[1], names[2]);
        QCOMPARE(Captions(dialog.tcHistory), QStringList{QStringLiteral("OrvaP")});
        QCOMPARE(dialog.mHistory->toPlainText(), QStringLiteral("Verzia 2.1: oprava čítania dosiek\nĎalšia zmena"));
        QVERIFY(dialog.mHistory->isReadOnly());
    }

    void geometry()
    {
        QCOMPARE(HistoryGeometry(QRect(100, 50, 755, 470)), QRect(176, 97, 604, 376));
        QCOMPARE(HistoryGeometry(QRect(0, 0, 1000, 800)), QRect(100, 80, 800, 640));
        // Rounded, not cut.
        QCOMPARE(HistoryGeometry(QRect(0, 0, 17, 23)), QRect(2, 2, 14, 18));
    }

    void closing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << false << 1;
        QTest::newRow("Escape") << true << 2;
    }

    void closing()
    {
        QFETCH(bool, escape);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QStringList names = HistoryFileNames(dir.path());
        WriteFile(names[0], QStringLiteral("one"));
        TfHistory dialog(nullptr, names[0], names[1], names[2]);
        QTimer::singleShot(0, &dialog, [&] {
            if (escape)
                QTest::keyClick(dialog.mHistory, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog.bOK, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), result);
    }

    void okTakesAThird()
    {
        QTemporaryDir dir;
        const QStringList names = HistoryFileNames(dir.path());
        for (const QString &n : names)
            WriteFile(n, QStringLiteral("Version 1.0\n  first release\nVersion 1.1\n  fixes"));
        TfHistory dialog(nullptr, names[0], names[1], names[2]);
        dialog.resize(600, 400);
        dialog.show();
        QCOMPARE(dialog.bOK->width(), 200);
        SaveShot(dialog, QStringLiteral("history"));
    }

    void menuCommandPlacesDialog()
    {
        QTemporaryDir dir;
        WriteFile(HistoryFileNames(dir.path())[0], QStringLiteral("x"));
        QWidget main;
        main.setGeometry(100, 100, 800, 500);
        main.show();
        QRect placed;
        QString title;
        QTimer::singleShot(50, [&] {
            if (auto *d = qobject_cast<TfHistory *>(QApplication::activeModalWidget())) {
                placed = d->frameGeometry();
                title = d->windowTitle();
                d->close();
            }
        });
        ShowHistoryDialog(&main, dir.path(), QStringLiteral("&History"));
        QCOMPARE(title, QStringLiteral("History"));
        const QRect expected = HistoryGeometry(main.frameGeometry());
        QCOMPARE(placed.topLeft(), expected.topLeft());
        QCOMPARE(placed.size(), expected.size());
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
