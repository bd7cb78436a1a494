// The painter of the key print: a page drawn to an image and a PDF written
// offscreen and turned into images by pdftoppm show the keys in their cells.
#include <QtTest>

#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "editing/printlayout.h"
#include "tests/print/printconfig.h"
#include "windows/printpainter.h"

using namespace PrintLayout;

namespace
{

constexpr double Dpi = 150.0;

const TTexts texts{QStringLiteral("Kelvara v. 1.0 - plant.orv"), QStringLiteral("Key layout"),
                   QStringLiteral("Console")};

// Console 1 mechanical with names spread over all 14 groups (two pages), in
// short names that fit a cell on one line.
std::unique_ptr<TAPult> sampleConfig()
{
    auto cfg = printtest::Consoles(0, 2);
    const QStringList names = {"Disp 1", "Fire", "Police", "Depot", "Yard", "Gate", "Tower", "Signal"};
    for (int g = 0; g < 14; ++g)
        for (int i = 0; i < 16; i += 1 + g % 3) {
            const int k = g * 16 + i;
            printtest::Name(*cfg, 1, k, QStringLiteral("%1 %2").arg(names[k % names.size()]).arg(k),
                            QStringLiteral("E0-L%1 - MB").arg(k % 8));
        }
    return cfg;
}

QFont keyFont()
{
    return QFont(QStringLiteral("Arial"), 10);
}

bool dark(QRgb c)
{
    return qGray(c) < 140;
}

// Pixels of a report rectangle (units from the printable area's corner) on a sheet image.
QRect toPixels(const TReport &r, const QRect &units, double dpi)
{
    const double s = dpi / UnitsPerInch;
    const int left = qRound((r.Margin + units.left()) * s), top = qRound((r.Margin + units.top()) * s);
    const int right = qRound((r.Margin + units.left() + units.width()) * s);
    const int bottom = qRound((r.Margin + units.top() + units.height()) * s);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

int darkPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    const QRect a = area.intersected(image.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            n += dark(image.pixel(x, y));
    return n;
}

// A line crosses the point's neighbourhood of two pixels.
bool lineNear(const QImage &image, QPoint p)
{
    return darkPixels(image, QRect(p - QPoint(2, 2), QSize(5, 5))) > 0;
}

// Every cell of the page has its frame, ink inside where it has a caption and
// none where it is blank; the gaps between the columns stay white.
void checkPage(const QImage &image, const TReport &r, int index, double dpi)
{
    const QSize sheet(qRound(r.PageSize.width() * dpi / UnitsPerInch),
                      qRound(r.PageSize.height() * dpi / UnitsPerInch));
    QVERIFY2(qAbs(image.width() - sheet.width()) <= 1 && qAbs(image.height() - sheet.height()) <= 1,
             qPrintable(QStringLiteral("%1x%2").arg(image.width()).arg(image.height())));
    const TPage &page = r.Pages[index];
    int named = 0;
    for (const TCell &c : page.Cells) {
        const QRect px = toPixels(r, c.Outer.Rect, dpi);
        const QString where = QStringLiteral("page %1 cell %2").arg(index + 1).arg(c.Number);
        QVERIFY2(lineNear(image, QPoint(px.center().x(), px.top())), qPrintable(where + " top"));
        QVERIFY2(lineNear(image, QPoint(px.center().x(), px.bottom())), qPrintable(where + " bottom"));
        QVERIFY2(lineNear(image, QPoint(px.left(), px.center().y())), qPrintable(where + " left"));
        QVERIFY2(lineNear(image, QPoint(px.right(), px.center().y())), qPrintable(where + " right"));
        const QRect inside = px.adjusted(4, 5, -4, -5);
        const int ink = darkPixels(image, inside);
        if (c.Label.Caption.isEmpty()) {
            QVERIFY2(ink == 0, qPrintable(where + QStringLiteral(" blank, ink %1").arg(ink)));
        } else {
            ++named;
            QVERIFY2(ink > 20,
                     qPrintable(where + " \"" + c.Label.Caption + QStringLiteral("\" ink %1").arg(ink)));
            // The caption sits in the label's place: below the label's top.
            const QRect above =
                toPixels(r, QRect(c.Outer.Rect.left() + 2, c.Outer.Rect.top() + 3, 86, 7), dpi);
            QVERIFY2(darkPixels(image, above) == 0, qPrintable(where + " ink above the label"));
        }
        // The white gap right of the cell (7 units wide before the next column).
        const QRect gap = toPixels(r, QRect(c.Outer.Rect.right() + 3, c.Outer.Rect.top() + 2, 4, 43), dpi);
        QVERIFY2(darkPixels(image, gap) == 0, qPrintable(where + " gap"));
    }
    QVERIFY(named > 0);
    // The page header and the page title carry ink.
    QVERIFY(darkPixels(image, toPixels(r, r.Header.Rect, dpi)) > 50);
    QVERIFY(darkPixels(image, toPixels(r, page.Title.Rect, dpi)) > 50);
}

QString tool(const char *name)
{
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (path.isEmpty())
        qWarning("%s is missing: install poppler-utils", name);
    return path;
}

QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

} // namespace

class TestPrintPainter : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void image_data()
    {
        QTest::addColumn<int>("paper");
        QTest::newRow("A4") << int(TPaper::A4);
        QTest::newRow("Letter") << int(TPaper::Letter);
    }
    void image()
    {
        QFETCH(int, paper);
        const auto cfg = sampleConfig();
        const TReport r = BuildReport(*cfg, QStringLiteral("Print1"), texts, TPaper(paper));
        QCOMPARE(r.Pages.size(), 2);
        for (int i = 0; i < r.Pages.size(); ++i) {
            checkPage(PrintPainter::RenderPage(r, i, keyFont(), Dpi), r, i, Dpi);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // The empty layout: frames only.
    void emptyImage()
    {
        const auto cfg = printtest::Consoles(2, 0);
        const TReport r = BuildReport(*cfg, QStringLiteral("Print1"), texts, TPaper::A4);
        QCOMPARE(r.Pages.size(), 1);
        const QImage image = PrintPainter::RenderPage(r, 0, keyFont(), Dpi);
        for (const TCell &c : r.Pages[0].Cells) {
            const QRect px = toPixels(r, c.Outer.Rect, Dpi);
            QVERIFY(lineNear(image, QPoint(px.center().x(), px.top())));
            QCOMPARE(darkPixels(image, px.adjusted(4, 5, -4, -5)), 0);
        }
        QCOMPARE(darkPixels(image, toPixels(r, r.Pages[0].Title.Rect, Dpi)), 0);
    }

    void printerSetup_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("size");
        QTest::newRow("A4") << int(TPaper::A4) << int(QPageSize::A4);
        QTest::newRow("Letter") << int(TPaper::Letter) << int(QPageSize::Letter);
    }
    void printerSetup()
    {
        QFETCH(int, paper);
        QFETCH(int, size);
        const auto cfg = sampleConfig();
        const TReport r = BuildReport(*cfg, QStringLiteral("Print1"), texts, TPaper(paper));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        PrintPainter::SetupPrinter(printer, r);
        QCOMPARE(int(printer.pageLayout().pageSize().id()), size);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
        QVERIFY(qAbs(m.left() - 10) < 0.01 && qAbs(m.top() - 10) < 0.01);
        QCOMPARE(printer.docName(), texts.Caption);
    }

    // The PDF, rendered page by page by pdftoppm, shows the same cells as the image.
    void pdf_data() { image_data(); }
    void pdf()
    {
        QFETCH(int, paper);
        const QString pdftoppm = tool("pdftoppm"), pdfinfo = tool("pdfinfo"), pdftotext = tool("pdftotext");
        QVERIFY2(!pdftoppm.isEmpty() && !pdfinfo.isEmpty() && !pdftotext.isEmpty(),
                 "poppler-utils is needed");
        QVERIFY(dir_.isValid());
        const auto cfg = sampleConfig();
        const TReport r = BuildReport(*cfg, QStringLiteral("Print1"), texts, TPaper(paper));
        const QString file = dir_.filePath(QStringLiteral("layout%1.pdf").arg(paper));
        QString error;
        QVERIFY2(PrintPainter::WritePdf(r, file, keyFont(), &error), qPrintable(error));

        const QString info = QString::fromUtf8(run(pdfinfo, {file}));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
        const QString expectSize =
            paper == int(TPaper::Letter) ? QStringLiteral("612 x 792") : QStringLiteral("595");
        QVERIFY2(info.contains(expectSize), qPrintable(info));

        const QString text =
            QString::fromUtf8(run(pdftotext, {QStringLiteral("-layout"), file, QStringLiteral("-")}));
        QVERIFY(text.contains(texts.Caption));
        QVERIFY(text.contains(QStringLiteral("1. Key layout - Console 1")));
        QVERIFY(text.contains(QStringLiteral("2. Key layout - Console 1")));
        for (const TPage &page : r.Pages)
            for (const TCell &c : page.Cells)
                if (!c.Label.Caption.isEmpty())
                    QVERIFY2(text.contains(c.Label.Caption), qPrintable(c.Label.Caption));

        const QString prefix = dir_.filePath(QStringLiteral("page%1").arg(paper));
        run(pdftoppm,
            {QStringLiteral("-r"), QString::number(int(Dpi)), QStringLiteral("-png"), file, prefix});
        for (int i = 0; i < r.Pages.size(); ++i) {
            const QString png = prefix + QStringLiteral("-%1.png").arg(i + 1);
            const QImage image(png);
            QVERIFY2(!image.isNull(), qPrintable(png));
            checkPage(image, r, i, Dpi);
            if (QTest::currentTestFailed())
                return;
            // A look for people: KELVARA_PRINT_SAMPLE=<file.png> keeps the first A4 page.
            const QString sample = qEnvironmentVariable("KELVARA_PRINT_SAMPLE");
            if (i == 0 && paper == int(TPaper::A4) && !sample.isEmpty())
                QVERIFY(QFile::copy(png, sample) || (QFile::remove(sample) && QFile::copy(png, sample)));
        }
    }

    void pdfCannotBeWritten()
    {
        const auto cfg = sampleConfig();
        const TReport r = BuildReport(*cfg, QStringLiteral("Print1"), texts, TPaper::A4);
        QString error;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*")));
        QVERIFY(!PrintPainter::WritePdf(r, dir_.filePath(QStringLiteral("no/such/folder/x.pdf")), keyFont(),
                                        &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestPrintPainter)
#include "test_painter.moc"
