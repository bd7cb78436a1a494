#include "windows/printpainter.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <cmath>

namespace PrintPainter
{

namespace
{

constexpr double UnitsPerPoint = PrintLayout::UnitsPerInch / 72.0;

void drawLabel(QPainter &p, const PrintLayout::TLabel &label, const QFont &font, const QRect &clip)
{
    if (label.Caption.isEmpty())
        return;
    p.save();
    p.setFont(font);
    p.setClipRect(clip);
    const int flags = (label.Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop | Qt::TextWordWrap;
    p.drawText(label.Rect, flags, label.Caption);
    p.restore();
}

} // namespace

QFont UnitFont(const QFont &font)
{
    QFont f = font;
    if (font.pointSizeF() > 0)
        f.setPixelSize(qMax(1, int(std::lround(font.pointSizeF() * UnitsPerPoint))));
    return f;
}

QFont UnitFont(const QString &family, int pointSize)
{
    QFont f(family);
    f.setPointSize(pointSize > 0 ? pointSize : 10);
    return UnitFont(f);
}

void PaintPage(QPainter &p, const PrintLayout::TReport &report, int index, const QFont &keyFont)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Qt::NoBrush);

    // The page header on every page.
    const PrintLayout::TLabel &header = report.Header;
    if (!header.Caption.isEmpty()) {
        p.save();
        p.setFont(UnitFont(header.FontFamily, header.PointSize));
        p.drawText(header.Rect, Qt::AlignCenter | Qt::TextSingleLine, header.Caption);
        p.restore();
    }

    if (index >= 0 && index < report.Pages.size()) {
        const PrintLayout::TPage &page = report.Pages[index];
        drawLabel(p, page.Title, UnitFont(page.Title.FontFamily, page.Title.PointSize), page.Band);
        const QFont cellFont = UnitFont(keyFont);
        for (const PrintLayout::TCell &cell : page.Cells) {
            p.setPen(QPen(Qt::black, cell.Outer.PenWidth));
            p.drawRect(cell.Outer.Rect);
            p.setPen(QPen(Qt::black, cell.Inner.PenWidth));
            p.drawRect(cell.Inner.Rect);
            // A caption stays inside its own cell.
            drawLabel(p, cell.Label, cellFont, cell.Label.Rect.intersected(cell.Inner.Rect));
        }
    }
    p.restore();
}

QPageLayout PageLayoutFor(const PrintLayout::TReport &report)
{
    const QPageSize size(report.Paper == PrintLayout::TPaper::Letter ? QPageSize::Letter : QPageSize::A4);
    const double m = PrintLayout::MarginMm;
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

void SetupPrinter(QPrinter &printer, const PrintLayout::TReport &report)
{
    printer.setPageLayout(PageLayoutFor(report));
    printer.setFullPage(false);
    printer.setDocName(report.Header.Caption);
    printer.setCreator(QStringLiteral("Kelvara"));
}

bool PrintReport(QPrinter &printer, const PrintLayout::TReport &report, const QFont &keyFont)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / PrintLayout::UnitsPerInch;
    const int pages = report.PrintedPageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            break;
        painter.save();
        painter.scale(scale, scale);
        PaintPage(painter, report, i, keyFont);
        painter.restore();
    }
    return painter.end();
}

bool WritePdf(const PrintLayout::TReport &report, const QString &fileName, const QFont &keyFont,
              QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    SetupPrinter(printer, report);
    if (!PrintReport(printer, report, keyFont))
        return fail(QStringLiteral("the file cannot be created"));
    const QFileInfo written(fileName);
    if (!written.isFile() || written.size() == 0)
        return fail(QStringLiteral("nothing was written"));
    return true;
}

QImage RenderPage(const PrintLayout::TReport &report, int index, const QFont &keyFont, double dpi)
{
    const double scale = dpi / PrintLayout::UnitsPerInch;
    const QSize size(int(std::lround(report.PageSize.width() * scale)),
                     int(std::lround(report.PageSize.height() * scale)));
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.translate(report.Margin, report.Margin);
    PaintPage(painter, report, index, keyFont);
    painter.end();
    return image;
}

} // namespace PrintPainter
