// The page layout of the key print without a printer: modes, captions, pages,
// groups, cells and paper.
#include <QtTest>

#include "editing/printlayout.h"
#include "tests/print/printconfig.h"

using namespace PrintLayout;
using printtest::Consoles;
using printtest::Name;

Q_DECLARE_METATYPE(PrintLayout::TModes)

namespace
{

const TTexts texts{QStringLiteral("Kelvara v. 1.0 - plant.orv"), QStringLiteral("Key layout"),
                   QStringLiteral("Console")};

TReport build(const TAPult &cfg, const QString &sender = QStringLiteral("Print1"), TPaper paper = TPaper::A4)
{
    return BuildReport(cfg, sender, texts, paper);
}

// Every group of the console gets a named key.
void nameAllGroups(TAPult &cfg, int n)
{
    for (int g = 0; g < 14; ++g)
        Name(cfg, n, g * 16 + (g % 16), QStringLiteral("K%1").arg(g * 16 + (g % 16)));
}

const TCell *cellOf(const TPage &page, int number)
{
    for (const TCell &c : page.Cells)
        if (c.Number == number)
            return &c;
    return nullptr;
}

QStringList captions(const TReport &r)
{
    QStringList out;
    for (const TPage &p : r.Pages)
        for (const TCell &c : p.Cells)
            out << c.Label.Caption;
    return out;
}

} // namespace

class TestPrintLayout : public QObject
{
    Q_OBJECT

private slots:
    void modesFromName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<TModes>("modes");
        QTest::newRow("Print1") << "Print1" << TModes{};
        QTest::newRow("PrintSB") << "PrintSB" << TModes{};
        QTest::newRow("PrintEmpty1") << "PrintEmpty1" << TModes{true, false, false};
        QTest::newRow("PrintEmptySB") << "PrintEmptySB" << TModes{true, false, false};
        QTest::newRow("PrintAll1") << "PrintAll1" << TModes{false, true, false};
        QTest::newRow("PrintOriginal1") << "PrintOriginal1" << TModes{false, false, true};
        QTest::newRow("case matters") << "printempty1" << TModes{};
    }
    void modesFromName()
    {
        QFETCH(QString, name);
        QFETCH(TModes, modes);
        QCOMPARE(ModesFromName(name), modes);
    }

    void cleanLineName_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("clean");
        QTest::newRow("bound line") << "E0-L3 - MB"
                                    << "L3 MB";
        QTest::newRow("extended line") << "E1-H7 - MD - 12"
                                       << "H7 MD 12";
        QTest::newRow("nekonf kept") << "nekonf"
                                     << "nekonf";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("two characters") << "AB"
                                        << "";
        QTest::newRow("three characters") << "ABC"
                                          << "";
        QTest::newRow("short after replace") << "A - B"
                                             << "";
        QTest::newRow("four characters") << "ABCD"
                                         << "D";
    }
    void cleanLineName()
    {
        QFETCH(QString, line);
        QFETCH(QString, clean);
        QCOMPARE(CleanLineName(line), clean);
    }

    void keyCaption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::addColumn<TModes>("modes");
        QTest::addColumn<QString>("caption");
        const TModes plain{}, empty{true, false, false}, all{false, true, false},
            original{false, false, true};
        QTest::newRow("own name") << "Dispatch"
                                  << "E0-L3 - MB" << plain << "Dispatch";
        QTest::newRow("name repeats line") << "L3 MB"
                                           << "E0-L3 - MB" << plain << "";
        QTest::newRow("all keeps repeat") << "L3 MB"
                                          << "E0-L3 - MB" << all << "L3 MB";
        QTest::newRow("empty mode") << "Dispatch"
                                    << "E0-L3 - MB" << empty << "";
        QTest::newRow("original line") << "Dispatch"
                                       << "E0-L3 - MB" << original << "L3 MB";
        QTest::newRow("original nekonf") << "Dispatch"
                                         << "nekonf" << original << "";
        QTest::newRow("unnamed") << ""
                                 << "nekonf" << plain << "";
        QTest::newRow("short line name") << "AB"
                                         << "AB" << plain << "AB";
    }
    void keyCaption()
    {
        QFETCH(QString, name);
        QFETCH(QString, line);
        QFETCH(TModes, modes);
        QFETCH(QString, caption);
        TKlavesa key;
        key.MenoKlavesy = name;
        key.MenoLinky = line;
        QCOMPARE(KeyCaption(&key, modes), caption);
        QCOMPARE(KeyCaption(nullptr, modes), QString());
    }

    void namedKey_data()
    {
        QTest::addColumn<int>("console");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("named");
        QTest::newRow("mechanical") << 1 << "Fire" << true;
        QTest::newRow("PC console counts too") << 0 << "Fire" << true;
        QTest::newRow("nekonf") << 1 << "nekonf" << false;
        QTest::newRow("empty") << 1 << "" << false;
    }
    void namedKey()
    {
        QFETCH(int, console);
        QFETCH(QString, name);
        QFETCH(bool, named);
        auto cfg = Consoles(1, 2);
        QVERIFY(!HasNamedKey(*cfg));
        Name(*cfg, console, 100, name);
        QCOMPARE(HasNamedKey(*cfg), named);
    }

    // Names in all 14 groups: two pages of seven columns, groups left to right,
    // keys from the bottom up.
    void allGroupsTwoPages()
    {
        auto cfg = Consoles(0, 2);
        nameAllGroups(*cfg, 1);
        const TReport r = build(*cfg);
        QVERIFY(!r.Modes.Empty);
        QCOMPARE(r.Pages.size(), 2);
        QCOMPARE(r.PrintedPageCount(), 2);
        for (int p = 0; p < 2; ++p) {
            const TPage &page = r.Pages[p];
            QCOMPARE(page.Number, p + 1);
            QCOMPARE(page.Name, QStringLiteral("page%1").arg(p + 1));
            QCOMPARE(page.Title.Name, QStringLiteral("pagelab%1").arg(p + 1));
            QCOMPARE(page.Title.Caption, QStringLiteral("%1. Key layout - Console 1").arg(p + 1));
            QCOMPARE(page.Items, QStringList{"321"});
            QCOMPARE(page.Cells.size(), 7 * 16);
            for (int i = 0; i < page.Cells.size(); ++i) {
                const TCell &c = page.Cells[i];
                const int k = p * 112 + i;
                QCOMPARE(c.Number, 224 + k);
                QCOMPARE(c.Column, i / 16);
                QCOMPARE(c.Row, 15 - k % 16);
                const QString expected = k % 16 == (k / 16) % 16 ? QStringLiteral("K%1").arg(k) : QString();
                QCOMPARE(c.Label.Caption, expected);
            }
        }
    }

    // Without any named key the print is one page of empty cells, whatever the item.
    void noNamedKeys_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::newRow("Print1") << "Print1";
        QTest::newRow("PrintAll1") << "PrintAll1";
        QTest::newRow("PrintOriginal1") << "PrintOriginal1";
    }
    void noNamedKeys()
    {
        QFETCH(QString, sender);
        auto cfg = Consoles(2, 2);
        for (auto &key : cfg->Pulty[1]->Klavesy)
            key->MenoLinky = QStringLiteral("E0-L1 - MB");
        const TReport r = build(*cfg, sender);
        QVERIFY(r.Modes.Empty);
        QCOMPARE(r.Pages.size(), 1);
        QCOMPARE(r.Pages[0].Title.Caption, QString());
        QCOMPARE(r.Pages[0].Cells.size(), 112); // the first page of console 0, then printing ends
        QCOMPARE(r.Pages[0].Cells.first().Number, 0);
        QCOMPARE(r.Pages[0].Cells.last().Number, 111);
        for (const QString &c : captions(r))
            QVERIFY2(c.isEmpty(), qPrintable(c));
    }

    // The empty layout asked for with named keys: one page, blank captions.
    void emptyModeWithNames()
    {
        auto cfg = Consoles(0, 2);
        nameAllGroups(*cfg, 1);
        const TReport r = build(*cfg, QStringLiteral("PrintEmpty1"));
        QCOMPARE(r.Pages.size(), 1);
        QCOMPARE(r.Pages[0].Cells.size(), 112);
        for (const QString &c : captions(r))
            QVERIFY(c.isEmpty());
    }

    // Only keys 0..15 named: one column of 16 cells, key 0 at the bottom.
    void firstGroupOnly()
    {
        auto cfg = Consoles(0, 2);
        for (int k = 0; k < 16; ++k)
            Name(*cfg, 1, k, QStringLiteral("N%1").arg(k));
        const TReport r = build(*cfg);
        QCOMPARE(r.Pages.size(), 1);
        const TPage &page = r.Pages[0];
        QCOMPARE(page.Cells.size(), 16);
        int lastTop = INT_MAX;
        for (int k = 0; k < 16; ++k) {
            const TCell *c = cellOf(page, 224 + k);
            QVERIFY(c);
            QCOMPARE(c->Column, 0);
            QCOMPARE(c->Label.Caption, QStringLiteral("N%1").arg(k));
            QVERIFY(c->Outer.Rect.top() < lastTop); // each key above the one before
            lastTop = c->Outer.Rect.top();
        }
        QCOMPARE(cellOf(page, 224)->Row, 15);
        QCOMPARE(cellOf(page, 239)->Row, 0);
    }

    // Groups without names are skipped; the printed ones close up to the left.
    void skippedGroups()
    {
        auto cfg = Consoles(0, 2);
        Name(*cfg, 1, 5 * 16 + 3, QStringLiteral("Five"));
        Name(*cfg, 1, 13 * 16 + 15, QStringLiteral("Last"));
        cfg->Pulty[1]->Klavesy[2 * 16].reset(); // a missing key prints an empty cell
        Name(*cfg, 1, 2 * 16 + 1, QStringLiteral("Two"));
        const TReport r = build(*cfg);
        QCOMPARE(r.Pages.size(), 1);
        const TPage &page = r.Pages[0];
        QCOMPARE(page.Cells.size(), 48);
        QCOMPARE(cellOf(page, 224 + 32)->Column, 0);
        QCOMPARE(cellOf(page, 224 + 32)->Label.Caption, QString());
        QCOMPARE(cellOf(page, 224 + 33)->Label.Caption, QStringLiteral("Two"));
        QCOMPARE(cellOf(page, 224 + 83)->Column, 1);
        QCOMPARE(cellOf(page, 224 + 83)->Row, 12);
        QCOMPARE(cellOf(page, 224 + 223)->Column, 2);
        QCOMPARE(cellOf(page, 224 + 223)->Row, 0);
        QVERIFY(!cellOf(page, 224 + 0));
    }

    // Each mechanical console starts its own page; numbers run over the whole print.
    void twoMechanicalConsoles()
    {
        auto cfg = Consoles(2, 2);
        Name(*cfg, 0, 17, QStringLiteral("Zero"));
        nameAllGroups(*cfg, 1);
        const TReport r = build(*cfg);
        QCOMPARE(r.Pages.size(), 3);
        QCOMPARE(r.Pages[0].Title.Caption, QStringLiteral("1. Key layout - Console 0"));
        QCOMPARE(r.Pages[0].Cells.size(), 16);
        QCOMPARE(r.Pages[1].Title.Caption, QStringLiteral("2. Key layout - Console 1"));
        QCOMPARE(r.Pages[2].Title.Caption, QStringLiteral("3. Key layout - Console 1"));
        QCOMPARE(r.Pages[1].Cells.first().Column, 0);
        QCOMPARE(r.Pages[1].Cells.first().Number, 224);
    }

    // PC consoles and missing consoles are not printed.
    void onlyMechanical()
    {
        auto cfg = Consoles(1, 0);
        Name(*cfg, 0, 3, QStringLiteral("PC key"));
        const TReport r = build(*cfg);
        QCOMPARE(r.Pages.size(), 0);
        QCOMPARE(r.PrintedPageCount(), 1); // the header page
        QCOMPARE(r.Header.Caption, texts.Caption);
    }

    // The captions of the three named modes on one key set.
    void modeCaptions_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QStringList>("expected"); // keys 0, 1, 2
        QTest::newRow("Print1") << "Print1" << QStringList{"Own", "", ""};
        QTest::newRow("PrintAll1") << "PrintAll1" << QStringList{"Own", "L1 UB", ""};
        QTest::newRow("PrintOriginal1") << "PrintOriginal1" << QStringList{"L0 MB", "L1 UB", ""};
        QTest::newRow("PrintEmpty1") << "PrintEmpty1" << QStringList{"", "", ""};
    }
    void modeCaptions()
    {
        QFETCH(QString, sender);
        QFETCH(QStringList, expected);
        auto cfg = Consoles(2, 0);
        Name(*cfg, 0, 0, QStringLiteral("Own"), QStringLiteral("E0-L0 - MB"));
        Name(*cfg, 0, 1, QStringLiteral("L1 UB"), QStringLiteral("E0-L1 - UB"));
        const TReport r = build(*cfg, sender);
        QCOMPARE(r.Pages.size(), 1);
        QStringList got;
        for (int k = 0; k < 3; ++k)
            got << cellOf(r.Pages[0], k)->Label.Caption;
        QCOMPARE(got, expected);
    }

    void cellGeometry()
    {
        auto cfg = Consoles(0, 2);
        for (int g = 0; g < 2; ++g)
            Name(*cfg, 1, g * 16, QStringLiteral("G%1").arg(g));
        const TReport r = build(*cfg);
        QCOMPARE(r.Header.Name, QStringLiteral("PageHeader1"));
        QCOMPARE(r.Header.FontFamily, QStringLiteral("Arial"));
        QCOMPARE(r.Header.PointSize, 14);
        QCOMPARE(r.HeaderBand.top(), 0);
        QCOMPARE(r.HeaderBand.height(), 40);
        const TPage &page = r.Pages[0];
        QCOMPARE(page.Band.top(), 40);
        QCOMPARE(page.Title.Rect.topLeft(), QPoint(0, 50));
        QCOMPARE(page.Title.Rect.width(), page.Band.width());
        QCOMPARE(page.Title.FontFamily, QStringLiteral("MS Sans Serif"));
        QCOMPARE(page.Title.PointSize, 12);
        // Key 0 (console 1: cell 224), bottom of column 0; band top 40, Y = 40 + 20.
        const TCell *c = cellOf(page, 224);
        QCOMPARE(c->Outer.Name, QStringLiteral("shpO224"));
        QCOMPARE(c->Outer.Rect, QRect(10, 40 + 60 + 15 * 47, 90, 47));
        QCOMPARE(c->Outer.PenWidth, 1);
        QCOMPARE(c->Inner.Name, QStringLiteral("shpI224"));
        QCOMPARE(c->Inner.Rect, QRect(10, 40 + 60 + 15 * 47 + 1, 90, 45));
        QCOMPARE(c->Inner.PenWidth, 1);
        QCOMPARE(c->Label.Name, QStringLiteral("lab224"));
        QCOMPARE(c->Label.Rect, QRect(11, 40 + 60 + 15 * 47 + 12, 89, 43));
        // Key 31: top of column 1.
        QCOMPARE(cellOf(page, 255)->Outer.Rect, QRect(110, 100, 90, 47));
        // Every cell lies within the page band and the printable width.
        const double printable = r.PageSize.width() - 2 * r.Margin;
        for (const TCell &cell : page.Cells) {
            QVERIFY(page.Band.contains(cell.Outer.Rect));
            QVERIFY(cell.Outer.Rect.right() < printable);
        }
    }

    void paper_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("paper");
        QTest::newRow("en_US") << "en_US" << int(TPaper::Letter);
        QTest::newRow("de_DE") << "de_DE" << int(TPaper::A4);
        QTest::newRow("en_GB") << "en_GB" << int(TPaper::A4);
        QTest::newRow("sk_SK") << "sk_SK" << int(TPaper::A4);
    }
    void paper()
    {
        QFETCH(QString, locale);
        QFETCH(int, paper);
        QCOMPARE(int(PaperForLocale(QLocale(locale))), paper);
    }

    // The page band is the report's height less the header band's top and height, less 100.
    void pageBand_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("A4") << int(TPaper::A4) << QSizeF(210 / 25.4 * 96, 297 / 25.4 * 96);
        QTest::newRow("Letter") << int(TPaper::Letter) << QSizeF(816, 1056);
    }
    void pageBand()
    {
        QFETCH(int, paper);
        QFETCH(QSizeF, size);
        auto cfg = Consoles(2, 0);
        Name(*cfg, 0, 0, QStringLiteral("A"));
        const TReport r = build(*cfg, QStringLiteral("Print1"), TPaper(paper));
        QCOMPARE(int(r.Paper), paper);
        QVERIFY(qAbs(r.PageSize.width() - size.width()) < 0.01);
        QVERIFY(qAbs(r.PageSize.height() - size.height()) < 0.01);
        const double margin = 10 / 25.4 * 96;
        QVERIFY(qAbs(r.Margin - margin) < 0.01);
        QCOMPARE(r.Pages[0].Band.height(), qRound(size.height() - margin - 40 - 100));
        QCOMPARE(r.HeaderBand.width(), int(size.width() - 2 * margin));
    }
};

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "test_layout.moc"
