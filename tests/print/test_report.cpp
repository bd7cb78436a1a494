// The configuration report's text.
#include <QtTest>

#include "cardpack/dll_load.h"
#include "editing/configreport.h"
#include "tests/fixture/fixture.h"

namespace
{

std::unique_ptr<TLinka> line(const QString &name, Byte number, Byte key, Byte extCount = 0)
{
    auto l = std::make_unique<TLinka>();
    l->MenoLinky = name;
    l->CisloLinky = number;
    l->Klavesa = key;
    l->PocetRLiniek = extCount;
    return l;
}

std::unique_ptr<TRLinka> ext(const QString &name, Byte number, Byte key)
{
    auto r = std::make_unique<TRLinka>();
    r->MenoRLinky = name;
    r->CisloRLinky = number;
    r->Klavesa = key;
    return r;
}

std::unique_ptr<TDoska> board(const QString &name, Byte code, Byte lines)
{
    auto d = std::make_unique<TDoska>();
    d->MenoDosky = name;
    d->CisloDosky = code;
    d->PocetLiniek = lines;
    return d;
}

std::unique_ptr<TTelZoznam> phone(const QString &name, const QString &number)
{
    auto t = std::make_unique<TTelZoznam>();
    t->Meno = name;
    t->Cislo = number;
    return t;
}

QString t(int n)
{
    return LoadStrDll(n);
}

} // namespace

class TestConfigReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
    }

    void typeText_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("text");
        QTest::newRow("not connected") << 0 << 7;
        QTest::newRow("PC") << 1 << 9;
        QTest::newRow("mechanical") << 2 << 10;
        QTest::newRow("unknown") << 5 << 7;
    }
    void typeText()
    {
        QFETCH(int, type);
        QFETCH(int, text);
        QCOMPARE(ConfigReport::ConsoleTypeText(Byte(type)), t(text));
    }

    // Boards are listed; of their lines and extended lines only those bound to a
    // key 0..223. A free line (253) is not shown as bound to key 253, yet its
    // extended lines are; so are those of an unbound line.
    void wholeReport()
    {
        TAPult cfg;
        cfg.PocetPultov = 2;
        cfg.Pulty[0] = std::make_unique<TPult>();
        TPult &p = *cfg.Pulty[0];
        p.TypPultu = 2;
        p.Dosky[0] = board(QStringLiteral("UL10"), 71, 4);
        TDoska &b = *p.Dosky[0];
        b.Linky[0] = line(QStringLiteral("E0-L0 - MB"), 0, 5);
        b.Linky[1] = line(QStringLiteral("E0-L1 - UB"), 26, 255, 1);
        b.Linky[1]->RLinky[0] = ext(QStringLiteral("E0-L1 - UB - 0"), 3, 20);
        b.Linky[2] = line(QStringLiteral("E0-L2 - MD"), 8, 253, 12);
        b.Linky[2]->RLinky[0] = ext(QStringLiteral("E0-L2 - MD - 0"), 1, 7);
        b.Linky[2]->RLinky[1] = ext(QStringLiteral("E0-L2 - MD - 1"), 2, 255);
        b.Linky[2]->RLinky[5] = ext(QStringLiteral("E0-L2 - MD - 5"), 2, 253);
        b.Linky[2]->RLinky[11] = ext(QStringLiteral("E0-L2 - MD - 11"), 4, 223);
        b.Linky[2]->RLinky[12] = ext(QStringLiteral("beyond the count"), 4, 9);
        // Line 3 is missing; line 4 lies beyond the board's line count.
        b.Linky[4] = line(QStringLiteral("beyond"), 1, 1);
        p.Dosky[12] = board(QStringLiteral("4W5"), 144, 0);
        p.TelZoznam[3] = phone(QStringLiteral("Alice"), QStringLiteral("123"));
        p.TelZoznam[4] = phone(QString(), QStringLiteral("55"));
        p.TelZoznam[5] = phone(QStringLiteral("No number"), QString());
        p.TelZoznam[200] = phone(QStringLiteral("Bob"), QStringLiteral("*9"));
        cfg.Pulty[1] = std::make_unique<TPult>();
        cfg.Pulty[1]->TypPultu = 0;
        cfg.Pulty[1]->Dosky[0] = board(QStringLiteral("not listed"), 71, 1);

        const QString key = u' ' + t(97) + u' ';
        const QStringList expected = {
            t(17) + "0 - " + t(10) + " (2):",
            "  0. " + t(18) + " - UL10 (71)",
            "     0. " + t(162) + " E0-L0 - MB (0) -" + key + "5",
            "         0. " + t(172) + " E0-L1 - UB - 0 (3) -" + key + "20",
            "         0. " + t(172) + " E0-L2 - MD - 0 (1) -" + key + "7",
            "        11. " + t(172) + " E0-L2 - MD - 11 (4) -" + key + "223",
            " 12. " + t(18) + " - 4W5 (144)",
            "003. Alice [123]",
            "200. Bob [*9]",
            "",
            t(17) + "1 - " + t(7) + " (0):",
        };
        const QStringList got = ConfigReport::ReportLines(cfg);
        QCOMPARE(got, expected);
        for (const QString &l : got)
            QVERIFY2(!l.contains(QLatin1String("253")), qPrintable(l));
    }

    // The shared two-console fixture: a PC console and a mechanical one.
    void fixtureHeadings()
    {
        const auto cfg = fixture::BuildFixture();
        const QStringList got = ConfigReport::ReportLines(*cfg);
        QVERIFY(got.contains(t(17) + "0 - " + t(9) + " (1):"));
        QVERIFY(got.contains(t(17) + "1 - " + t(10) + " (2):"));
        QCOMPARE(got.count(QString()), 2);
        // No line of the report names a key outside the console.
        const QRegularExpression keyNumber(QStringLiteral("- ") + QRegularExpression::escape(t(97)) +
                                           QStringLiteral(" (\\d+)$"));
        for (const QString &l : got) {
            const auto m = keyNumber.match(l);
            if (m.hasMatch())
                QVERIFY2(m.captured(1).toInt() < 224, qPrintable(l));
        }
    }

    void noConsoles()
    {
        TAPult cfg;
        QCOMPARE(ConfigReport::ReportLines(cfg), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestConfigReport)
#include "test_report.moc"
