// The phone-book rules without a window: rows, order, the number filter,
// unique names and writing the rows back as a compact list.
#include <QtTest>

#include "editing/phonebook.h"
#include "tests/phonebook/phonebooktest.h"

using PhoneBook::TRow;

namespace
{

QList<TRow> rows(const QStringList &items)
{
    QList<TRow> out;
    for (const QString &item : items) {
        const qsizetype eq = item.indexOf(u'=');
        out.append({item.left(eq), eq < 0 ? QString() : item.mid(eq + 1)});
    }
    return out;
}

QStringList texts(const QList<TRow> &list)
{
    QStringList out;
    for (const TRow &r : list)
        out << r.Name + u'=' + r.Number;
    return out;
}

} // namespace

class TestPhoneBookRules : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfExistingEntries()
    {
        TPult console;
        phonebooktest::Fill(console, {"B=2", "-", "=", "A=", "-", "C=3"});
        console.TelZoznam[255] = std::make_unique<TTelZoznam>();
        console.TelZoznam[255]->Meno = QStringLiteral("Last");
        console.TelZoznam[255]->Cislo = QStringLiteral("9");
        // Free places give no row; an existing entry does, empty or not.
        QCOMPARE(texts(PhoneBook::RowsOf(console)), (QStringList{"B=2", "=", "A=", "C=3", "Last=9"}));
    }

    void sorting_data()
    {
        QTest::addColumn<QStringList>("in");
        QTest::addColumn<QStringList>("out");
        QTest::newRow("names") << QStringList{"B=1", "A=2", "C=3"} << QStringList{"A=2", "B=1", "C=3"};
        QTest::newRow("same name by number")
            << QStringList{"Anna=5", "Anna=12", "Anna=3"} << QStringList{"Anna=12", "Anna=3", "Anna=5"};
        QTest::newRow("prefix first") << QStringList{"Anna=1", "Ann=2"} << QStringList{"Ann=2", "Anna=1"};
        QTest::newRow("case folded") << QStringList{"b=1", "B=1", "a=9", "C=1"}
                                     << QStringList{"a=9", "B=1", "b=1", "C=1"};
        QTest::newRow("empty names first")
            << QStringList{"Z=1", "=5", "M="} << QStringList{"=5", "M=", "Z=1"};
        QTest::newRow("accents") << QStringList{"Žilina=1", "Hasiči=2"}
                                 << QStringList{"Hasiči=2", "Žilina=1"};
    }
    void sorting()
    {
        QFETCH(QStringList, in);
        QFETCH(QStringList, out);
        QList<TRow> list = rows(in);
        PhoneBook::SortRows(list);
        QCOMPARE(texts(list), out);
        // The order is total: sorting the result again or a reversed input gives the same.
        std::reverse(list.begin(), list.end());
        PhoneBook::SortRows(list);
        QCOMPARE(texts(list), out);
    }

    void numberFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("digits") << "0123456789" << true;
        QTest::newRow("signs") << "#*." << true;
        QTest::newRow("pause and tone") << "pt" << true;
        QTest::newRow("backspace") << "\b" << true;
        QTest::newRow("enter") << "\r" << true;
        QTest::newRow("escape") << "\x1b" << true;
        QTest::newRow("x") << "x" << false;
        QTest::newRow("upper P") << "P" << false;
        QTest::newRow("upper T") << "T" << false;
        QTest::newRow("plus") << "+" << false;
        QTest::newRow("space") << " " << false;
        QTest::newRow("comma") << "," << false;
        QTest::newRow("mixed paste") << "12x3" << false;
        QTest::newRow("arabic digit") << QString(QChar(0x0663)) << false;
        QTest::newRow("nothing") << "" << true;
    }
    void numberFilter()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(PhoneBook::NumberTextAccepted(text), accepted);
        if (text.size() == 1)
            QCOMPARE(PhoneBook::NumberCharAccepted(text[0]), accepted);
    }

    void uniqueNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("duplicate");
        QTest::newRow("free") << QStringList{"Anna", "x"} << 1 << "Bob"
                              << "Bob" << -1;
        QTest::newRow("Anna taken, Ann free") << QStringList{"Anna", "x"} << 1 << "Anna"
                                              << "Ann" << 0;
        QTest::newRow("Anna and Ann taken") << QStringList{"Anna", "Ann", "x"} << 2 << "Anna"
                                            << "An" << 0;
        QTest::newRow("case") << QStringList{"x", "anna"} << 0 << "ANNA"
                              << "ANN" << 1;
        QTest::newRow("own name") << QStringList{"Anna", "Bob"} << 0 << "Anna"
                                  << "Anna" << -1;
        QTest::newRow("all prefixes taken") << QStringList{"A", "AB", "x"} << 2 << "AB"
                                            << "" << 1;
        QTest::newRow("empty") << QStringList{"", "x"} << 1 << ""
                               << "" << -1;
    }
    void uniqueNames()
    {
        QFETCH(QStringList, names);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(int, duplicate);
        QList<TRow> list;
        for (const QString &n : names)
            list.append({n, QStringLiteral("1")});
        list[row].Name = typed;
        const PhoneBook::TUniqueName u = PhoneBook::UniqueName(list, row, typed);
        QCOMPARE(u.Name, stored);
        QCOMPARE(u.Duplicate, duplicate);
    }

    // Writing back: sorted, incomplete rows skipped, the rest moved up, the tail freed.
    void writeRows_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("grid");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("written");
        QTest::newRow("same") << QStringList{"A=1", "B=2"} << QStringList{"A=1", "B=2"}
                              << QStringList{"A=1", "B=2"} << false << 2;
        QTest::newRow("same rows in another order") << QStringList{"A=1", "B=2"} << QStringList{"B=2", "A=1"}
                                                    << QStringList{"A=1", "B=2"} << false << 2;
        QTest::newRow("unsorted book is sorted")
            << QStringList{"B=2", "A=1", "C=3"} << QStringList{"B=2", "A=1", "C=3"}
            << QStringList{"A=1", "B=2", "C=3"} << true << 3;
        QTest::newRow("row without number dropped, rest moves up")
            << QStringList{"A=1", "B=2", "C=3"} << QStringList{"A=1", "B=", "C=3"}
            << QStringList{"A=1", "C=3"} << true << 2;
        QTest::newRow("row without name dropped")
            << QStringList{"A=1"} << QStringList{"A=1", "=555"} << QStringList{"A=1"} << false << 1;
        QTest::newRow("gap closed") << QStringList{"A=1", "-", "B=2"} << QStringList{"A=1", "B=2"}
                                    << QStringList{"A=1", "B=2"} << true << 2;
        QTest::newRow("new entry") << QStringList{"A=1"} << QStringList{"A=1", "B=2"}
                                   << QStringList{"A=1", "B=2"} << true << 2;
        QTest::newRow("number changed")
            << QStringList{"A=1"} << QStringList{"A=2"} << QStringList{"A=2"} << true << 1;
        QTest::newRow("all deleted") << QStringList{"A=1", "B=2"} << QStringList{"="} << QStringList{} << true
                                     << 0;
        QTest::newRow("empty stays empty") << QStringList{} << QStringList{} << QStringList{} << false << 0;
        QTest::newRow("free places stay free")
            << QStringList{"A=1"} << QStringList{"A=1", "="} << QStringList{"A=1"} << false << 1;
    }
    void writeRows()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, grid);
        QFETCH(QStringList, after);
        QFETCH(bool, modified);
        QFETCH(int, written);
        TPult console;
        phonebooktest::Fill(console, before);
        const PhoneBook::TWriteResult r = PhoneBook::WriteRows(console, rows(grid));
        QCOMPARE(phonebooktest::Dump(console), after);
        QCOMPARE(r.Modified, modified);
        QCOMPARE(r.Written, written);
        QCOMPARE(r.Dropped, 0);
        // Places after the last one filled hold no entry at all.
        for (int i = written; i < PhoneCount; ++i)
            QVERIFY(!console.TelZoznam[std::size_t(i)]);
    }

    void entriesKeepTheirObjects()
    {
        TPult console;
        phonebooktest::Fill(console, {"A=1", "B=2"});
        const TTelZoznam *first = console.TelZoznam[0].get();
        PhoneBook::WriteRows(console, rows({"A=1", "B=3"}));
        QCOMPARE(console.TelZoznam[0].get(), first);
        QCOMPARE(console.TelZoznam[1]->Cislo, QStringLiteral("3"));
    }

    // Incomplete rows never cost a complete row its place: 300 rows of which
    // 60 have no number still store all 240 complete ones.
    void limitAfterSkipping()
    {
        QList<TRow> grid;
        for (int i = 0; i < 60; ++i)
            grid.append({QStringLiteral("A%1").arg(i, 2, 10, QChar(u'0')), QString()}); // sorted first
        const QList<TRow> complete = rows(phonebooktest::Numbered(240));
        grid += complete;
        TPult console;
        const PhoneBook::TWriteResult r = PhoneBook::WriteRows(console, grid);
        QCOMPARE(r.Written, 240);
        QCOMPARE(r.Dropped, 0);
        QCOMPARE(phonebooktest::Dump(console), phonebooktest::Numbered(240));
    }

    void limitOf256()
    {
        TPult console;
        PhoneBook::TWriteResult r = PhoneBook::WriteRows(console, rows(phonebooktest::Numbered(256)));
        QCOMPARE(r.Written, 256);
        QCOMPARE(r.Dropped, 0);
        QCOMPARE(phonebooktest::Dump(console), phonebooktest::Numbered(256));
        // Beyond the places: the first 256 in order are kept and the rest counted.
        QList<TRow> more = rows(phonebooktest::Numbered(260));
        std::reverse(more.begin(), more.end());
        r = PhoneBook::WriteRows(console, more);
        QCOMPARE(r.Written, 256);
        QCOMPARE(r.Dropped, 4);
        QVERIFY(!r.Modified);
        QCOMPARE(phonebooktest::Dump(console), phonebooktest::Numbered(256));
    }
};

QTEST_APPLESS_MAIN(TestPhoneBookRules)
#include "test_rules.moc"
