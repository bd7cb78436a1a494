// The phone-book dialog offscreen: real keys typed into the grid's cells, real
// clicks on OK and Cancel, and what reaches the console's phone book.
#include <QtTest>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "cardpack/dll_load.h"
#include "model/conversions.h"
#include "platform/codepage.h"
#include "tests/fixture/fixture.h"
#include "tests/phonebook/phonebooktest.h"
#include "windows/telzoznam.h"

namespace
{

using Script = std::function<void(TfTelZoznam &)>;

QLineEdit *openEditor(TfTelZoznam &d)
{
    return qobject_cast<QLineEdit *>(d.ValueListEditor1->indexWidget(d.ValueListEditor1->currentIndex()));
}

QString cell(TfTelZoznam &d, int row, int column)
{
    const QTableWidgetItem *item = d.ValueListEditor1->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

class TestPhoneBookDialog : public QObject
{
    Q_OBJECT

    // Key by key; characters outside ASCII come as key events carrying their text.
    static void typeText(QWidget *w, const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(w, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    // F2 on the cell, everything selected, the text typed, and Enter unless told not to.
    static void type(TfTelZoznam &d, int row, int column, const QString &text, bool enter = true)
    {
        QTableWidget *grid = d.ValueListEditor1;
        grid->setCurrentCell(row, column);
        QTest::keyClick(grid, Qt::Key_F2);
        QLineEdit *editor = openEditor(d);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            typeText(editor, text);
        if (enter) {
            QTest::keyClick(editor, Qt::Key_Return);
            // The delegate commits on its next turn of the event loop.
            QTRY_VERIFY(!openEditor(d));
        }
    }

    // Runs the command's dialog over the console; the script ends with a click.
    static PhoneBook::TWriteResult run(TPult &console, const Script &script, int *result = nullptr)
    {
        int shown = -1;
        TfTelZoznam::Exec = [&](TfTelZoznam &d) {
            QTimer::singleShot(0, &d, [&d, &script] {
                script(d);
                if (d.isVisible()) // the script failed before its click
                    d.done(99);
            });
            shown = d.exec();
            return shown;
        };
        const PhoneBook::TWriteResult r = EditPhoneBook(nullptr, console);
        TfTelZoznam::Exec = nullptr;
        if (result)
            *result = shown;
        return r;
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
    }

    void captionsAndRows()
    {
        TPult console;
        phonebooktest::Fill(console, {"B=2", "A=1", "-", "C=3"});
        QStringList shownRows;
        QString title, ok, cancel, names, numbers;
        int result = -1;
        const auto r = run(
            console,
            [&](TfTelZoznam &d) {
                title = d.windowTitle();
                ok = d.bOK->text();
                cancel = d.bCancel->text();
                names = d.ValueListEditor1->horizontalHeaderItem(0)->text();
                numbers = d.ValueListEditor1->horizontalHeaderItem(1)->text();
                for (const PhoneBook::TRow &row : d.Rows())
                    shownRows << row.Name + u'=' + row.Number;
                QTest::mouseClick(d.bCancel, Qt::LeftButton);
            },
            &result);
        QCOMPARE(result, int(TelZoznamCancel));
        QCOMPARE(title, LoadStrDll(230));
        QCOMPARE(ok, LoadStrDll(31));
        QCOMPARE(cancel, LoadStrDll(30));
        QCOMPARE(names, LoadStrDll(231));
        QCOMPARE(numbers, LoadStrDll(232));
        QCOMPARE(shownRows, (QStringList{"A=1", "B=2", "C=3"}));
        QVERIFY(!r.Modified);
    }

    // Entries B, A and C come back as A, B, C.
    void okSortsAndCompacts()
    {
        TPult console;
        phonebooktest::Fill(console, {"B=2", "-", "A=1", "C=3"});
        int result = -1;
        const auto r = run(
            console, [](TfTelZoznam &d) { QTest::mouseClick(d.bOK, Qt::LeftButton); }, &result);
        QCOMPARE(result, int(TelZoznamOK));
        QVERIFY(r.Modified);
        QCOMPARE(phonebooktest::Dump(console), (QStringList{"A=1", "B=2", "C=3"}));
    }

    void okWithoutChangeIsNoChange()
    {
        TPult console;
        phonebooktest::Fill(console, {"A=1", "B=2"});
        const auto r = run(console, [](TfTelZoznam &d) { QTest::mouseClick(d.bOK, Qt::LeftButton); });
        QVERIFY(!r.Modified);
        QCOMPARE(phonebooktest::Dump(console), (QStringList{"A=1", "B=2"}));
    }

    // A row whose number is cleared is dropped and the entries after it move up.
    void clearedNumberDropsRow()
    {
        TPult console;
        phonebooktest::Fill(console, {"A=1", "B=2", "C=3"});
        const auto r = run(console, [](TfTelZoznam &d) {
            type(d, 1, 1, QString());
            QCOMPARE(cell(d, 1, 1), QString());
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QVERIFY(r.Modified);
        QCOMPARE(phonebooktest::Dump(console), (QStringList{"A=1", "C=3"}));
        QVERIFY(!console.TelZoznam[2]);
    }

    // Typed over the number column's text, only the accepted characters arrive;
    // a refused key leaves the text as it was.
    void numberColumnFilter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("x refused") << "x"
                                   << "7";
        QTest::newRow("digits with letters") << "12x3a4"
                                             << "1234";
        QTest::newRow("pause and tone") << "0p1t2"
                                        << "0p1t2";
        QTest::newRow("signs") << "#*.9"
                               << "#*.9";
        QTest::newRow("capitals and blanks") << "P T+5,6"
                                             << "56";
    }
    void numberColumnFilter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TPult console;
        phonebooktest::Fill(console, {"Anna=7"});
        run(console, [&](TfTelZoznam &d) {
            type(d, 0, 1, typed);
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(phonebooktest::Dump(console), QStringList{"Anna=" + stored});
    }

    // Keys on the grid itself: in the number column a refused key opens no
    // editor and changes nothing, an accepted one starts editing with it; the
    // name column takes every key.
    void keysOnTheGrid()
    {
        TPult console;
        phonebooktest::Fill(console, {"Anna=7"});
        run(console, [](TfTelZoznam &d) {
            QTableWidget *grid = d.ValueListEditor1;
            grid->setCurrentCell(0, 1);
            QTest::keyClick(grid, 'x');
            QVERIFY(!openEditor(d));
            QCOMPARE(cell(d, 0, 1), QStringLiteral("7"));
            QTest::keyClick(grid, '5');
            QLineEdit *editor = openEditor(d);
            QVERIFY(editor);
            QCOMPARE(editor->text(), QStringLiteral("5")); // the key replaces the cell's text
            QTest::keyClicks(editor, "x9");
            QCOMPARE(editor->text(), QStringLiteral("59"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(cell(d, 0, 1), QStringLiteral("59"));

            grid->setCurrentCell(0, 0);
            QTest::keyClick(grid, 'x');
            editor = openEditor(d);
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_Escape); // the edit is dropped
            QCOMPARE(cell(d, 0, 0), QStringLiteral("Anna"));
            QTest::mouseClick(d.bCancel, Qt::LeftButton);
        });
    }

    // Pasted text obeys the same filter.
    void pasteIntoNumber()
    {
        TPult console;
        phonebooktest::Fill(console, {"Anna=7"});
        run(console, [](TfTelZoznam &d) {
            d.ValueListEditor1->setCurrentCell(0, 1);
            QTest::keyClick(d.ValueListEditor1, Qt::Key_F2);
            QLineEdit *editor = openEditor(d);
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_End);
            QGuiApplication::clipboard()->setText(QStringLiteral("12ab"));
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(editor->text(), QStringLiteral("7"));
            QGuiApplication::clipboard()->setText(QStringLiteral("12"));
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(editor->text(), QStringLiteral("712"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!openEditor(d));
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(phonebooktest::Dump(console), QStringList{"Anna=712"});
    }

    // A name and a number take at most the 32 characters the system stores,
    // typed or pasted, so that writing to the console cuts nothing.
    void textsTakeWhatTheSystemStores()
    {
        TPult console;
        phonebooktest::Fill(console, {"Anna=7"});
        const QString name = QStringLiteral("Ústredňa Žilina, oddelenie dopravy");
        const QString digits = QStringLiteral("0123456789012345678901234567890123456789");
        run(console, [&](TfTelZoznam &d) {
            type(d, 0, 0, name);
            d.ValueListEditor1->setCurrentCell(0, 1);
            QTest::keyClick(d.ValueListEditor1, Qt::Key_F2);
            QLineEdit *editor = openEditor(d);
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QGuiApplication::clipboard()->setText(digits);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_End);
            QTest::keyClick(editor, Qt::Key_5);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!openEditor(d));
            QCOMPARE(cell(d, 0, 0), name.left(32));
            QCOMPARE(cell(d, 0, 1), digits.left(32));
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(phonebooktest::Dump(console), QStringList{name.left(32) + u'=' + digits.left(32)});
        const TTelZoznam &entry = *console.TelZoznam[0];
        QCOMPARE(entry.GetPaddedName(), platform::ToCp1250(entry.Meno));
        QCOMPARE(entry.GetCodedNumber(), DialDigitsToCode(entry.Cislo));
    }

    void nameColumnTakesEverything()
    {
        TPult console;
        phonebooktest::Fill(console, {"Anna=7"});
        run(console, [](TfTelZoznam &d) {
            type(d, 0, 0, QStringLiteral("Ústredňa x+1 #"));
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(phonebooktest::Dump(console), QStringList{"Ústredňa x+1 #=7"});
    }

    // OK stores what the open editor holds.
    void okCommitsOpenEditor()
    {
        TPult console;
        phonebooktest::Fill(console, {"Anna=7"});
        run(console, [](TfTelZoznam &d) {
            type(d, 0, 1, QStringLiteral("42"), false);
            QVERIFY(openEditor(d));
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(phonebooktest::Dump(console), QStringList{"Anna=42"});
    }

    // Rows added with Down on the last row and with Insert, in sorted order at OK.
    void addRows()
    {
        TPult console;
        phonebooktest::Fill(console, {"Bob=2"});
        const auto r = run(console, [](TfTelZoznam &d) {
            QTableWidget *grid = d.ValueListEditor1;
            grid->setCurrentCell(0, 0);
            QTest::keyClick(grid, Qt::Key_Down);
            QCOMPARE(grid->rowCount(), 2);
            QCOMPARE(grid->currentRow(), 1);
            // Below an empty last row nothing more is added.
            QTest::keyClick(grid, Qt::Key_Down);
            QCOMPARE(grid->rowCount(), 2);
            type(d, 1, 0, QStringLiteral("Cyril"));
            type(d, 1, 1, QStringLiteral("3"));
            grid->setCurrentCell(0, 0);
            QTest::keyClick(grid, Qt::Key_Insert);
            QCOMPARE(grid->rowCount(), 3);
            QCOMPARE(grid->currentRow(), 0);
            QCOMPARE(cell(d, 1, 0), QStringLiteral("Bob"));
            type(d, 0, 0, QStringLiteral("Adam"));
            type(d, 0, 1, QStringLiteral("1"));
            // An added row left without a number is not stored.
            grid->setCurrentCell(2, 0);
            QTest::keyClick(grid, Qt::Key_Down);
            type(d, 3, 0, QStringLiteral("Dana"));
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QVERIFY(r.Modified);
        QCOMPARE(phonebooktest::Dump(console), (QStringList{"Adam=1", "Bob=2", "Cyril=3"}));
    }

    // Deleting every row (Ctrl+Delete) and OK frees all 256 entries.
    void deleteAllRows()
    {
        TPult console;
        phonebooktest::Fill(console, phonebooktest::Numbered(256));
        const auto r = run(console, [](TfTelZoznam &d) {
            QTableWidget *grid = d.ValueListEditor1;
            QCOMPARE(grid->rowCount(), 256);
            grid->setCurrentCell(0, 0);
            for (int i = 0; i < 256; ++i)
                QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
            // The grid keeps one empty row to type into.
            QCOMPARE(grid->rowCount(), 1);
            QCOMPARE(d.Rows(), QList<PhoneBook::TRow>{PhoneBook::TRow()});
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QVERIFY(r.Modified);
        for (const auto &entry : console.TelZoznam)
            QVERIFY(!entry);
    }

    // A full grid takes no further row and says so; one place free takes one row.
    void limitOf256()
    {
        TPult console;
        phonebooktest::Fill(console, phonebooktest::Numbered(256));
        run(console, [](TfTelZoznam &d) {
            QTableWidget *grid = d.ValueListEditor1;
            QCOMPARE(d.StatusPanel->text(), QString());
            grid->setCurrentCell(255, 0);
            QTest::keyClick(grid, Qt::Key_Down);
            QCOMPARE(grid->rowCount(), 256);
            QCOMPARE(d.StatusPanel->text(), LoadStrDll(301));
            grid->setCurrentCell(10, 0);
            QTest::keyClick(grid, Qt::Key_Insert);
            QCOMPARE(grid->rowCount(), 256);
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(phonebooktest::Dump(console), phonebooktest::Numbered(256));

        phonebooktest::Fill(console, phonebooktest::Numbered(255, 1));
        const auto r = run(console, [](TfTelZoznam &d) {
            QTableWidget *grid = d.ValueListEditor1;
            grid->setCurrentCell(254, 0);
            QTest::keyClick(grid, Qt::Key_Down);
            QCOMPARE(grid->rowCount(), 256);
            type(d, 255, 0, QStringLiteral("Name000"));
            type(d, 255, 1, QStringLiteral("1000"));
            QTest::keyClick(grid, Qt::Key_Down);
            QCOMPARE(grid->rowCount(), 256);
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QVERIFY(r.Modified);
        QCOMPARE(r.Dropped, 0);
        QCOMPARE(phonebooktest::Dump(console), phonebooktest::Numbered(256));
    }

    // Cancel, Escape and the frame close change nothing, whatever was edited.
    void cancelChangesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close") << 2;
    }
    void cancelChangesNothing()
    {
        QFETCH(int, how);
        auto cfg = fixture::BuildFixture();
        TPult &console = *cfg->Pulty[0];
        const QString before = fixture::DumpFields(*cfg);
        const QStringList book = phonebooktest::Dump(console);
        QList<const TTelZoznam *> objects;
        for (const auto &entry : console.TelZoznam)
            objects << entry.get();
        int result = -1;
        const auto r = run(
            console,
            [how](TfTelZoznam &d) {
                type(d, 0, 1, QStringLiteral("999"));
                type(d, 1, 0, QString());
                QTest::keyClick(d.ValueListEditor1, Qt::Key_Delete, Qt::ControlModifier);
                if (how == 0)
                    QTest::mouseClick(d.bCancel, Qt::LeftButton);
                else if (how == 1)
                    QTest::keyClick(d.ValueListEditor1, Qt::Key_Escape);
                else
                    d.close();
            },
            &result);
        QCOMPARE(result, int(TelZoznamCancel));
        QVERIFY(!r.Modified);
        QCOMPARE(phonebooktest::Dump(console), book);
        QCOMPARE(fixture::DumpFields(*cfg), before);
        for (int i = 0; i < PhoneCount; ++i)
            QCOMPARE(console.TelZoznam[std::size_t(i)].get(), objects[i]);
    }

    // Renaming a row to a name another row has: Anna taken, Ann free, Ann stored.
    void uniqueNames()
    {
        TPult console;
        phonebooktest::Fill(console, {"Anna=1", "Bob=2"});
        QString note, shown;
        run(console, [&](TfTelZoznam &d) {
            type(d, 1, 0, QStringLiteral("Anna"));
            shown = cell(d, 1, 0);
            note = d.StatusPanel->text();
            QTest::mouseClick(d.bOK, Qt::LeftButton);
        });
        QCOMPARE(shown, QStringLiteral("Ann"));
        QString expected = LoadStrDll(300);
        expected.replace(QStringLiteral("%s"), QStringLiteral("Anna"));
        QCOMPARE(note, expected + QStringLiteral(" 1"));
        QCOMPARE(phonebooktest::Dump(console), (QStringList{"Ann=2", "Anna=1"}));
    }

    // Each button takes a third of the dialog's width.
    void buttonsTakeThirds_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("300") << 300;
        QTest::newRow("451") << 451;
        QTest::newRow("800") << 800;
    }
    void buttonsTakeThirds()
    {
        QFETCH(int, width);
        TfTelZoznam d(nullptr);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.resize(width, 400);
        QTRY_COMPARE(d.width(), width);
        QCOMPARE(d.bOK->width(), width / 3);
        QCOMPARE(d.bCancel->width(), width / 3);
        QVERIFY(d.bOK->geometry().right() < d.bCancel->geometry().left());
        QVERIFY(d.bOK->x() > 0);
        QVERIFY(d.bCancel->geometry().right() < d.Panel1->width());
        QVERIFY(d.bOK->isVisible() && d.bCancel->isVisible());
    }
};

QTEST_MAIN(TestPhoneBookDialog)
#include "test_dialog.moc"
