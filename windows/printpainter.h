#pragma once

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QString>

#include "editing/printlayout.h"

class QPainter;
class QPrinter;

// The one drawing of a key-layout print: the same routine paints the preview,
// the printer, a PDF and an image.
namespace PrintPainter
{

// A font of `font`'s family and style sized in report units (a point is 96/72 units).
QFont UnitFont(const QFont &font);
QFont UnitFont(const QString &family, int pointSize);

// Draws page `index` (from 0) of the report. The painter's coordinates are report
// units with the origin at the top left corner of the printable area.
void PaintPage(QPainter &painter, const PrintLayout::TReport &report, int index, const QFont &keyFont);

// Paper, portrait, the report's margins.
QPageLayout PageLayoutFor(const PrintLayout::TReport &report);
void SetupPrinter(QPrinter &printer, const PrintLayout::TReport &report);

// Every page onto a printer already set up; false when painting could not start.
bool PrintReport(QPrinter &printer, const PrintLayout::TReport &report, const QFont &keyFont);

// The report as a PDF file; false with the reason in `error`.
bool WritePdf(const PrintLayout::TReport &report, const QString &fileName, const QFont &keyFont,
              QString *error);

// One whole sheet of paper at `dpi`, white, margins included.
QImage RenderPage(const PrintLayout::TReport &report, int index, const QFont &keyFont, double dpi);

} // namespace PrintPainter
