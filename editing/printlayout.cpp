#include "editing/printlayout.h"

#include <cmath>

namespace PrintLayout
{

namespace
{

const QString Nekonf = QStringLiteral("nekonf");

bool isNamed(const TKlavesa *key)
{
    return key && !key->MenoKlavesy.isEmpty() && key->MenoKlavesy != Nekonf;
}

// A group is printed when one of its keys exists and carries a name (any key in Empty mode).
bool groupPrinted(const TPult &pult, int first, bool empty)
{
    for (int k = first; k < first + KeysPerGroup && k < KeyCount; ++k) {
        const TKlavesa *key = pult.Klavesy[k].get();
        if (key && (empty || !key->MenoKlavesy.isEmpty()))
            return true;
    }
    return false;
}

} // namespace

TModes ModesFromName(const QString &senderName)
{
    TModes m;
    m.Empty = senderName.contains(QLatin1String("Empty"));
    m.All = senderName.contains(QLatin1String("All"));
    m.Original = senderName.contains(QLatin1String("Original"));
    return m;
}

bool HasNamedKey(const TAPult &cfg)
{
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *pult = cfg.Pulty[n].get();
        if (!pult)
            continue;
        for (const auto &key : pult->Klavesy)
            if (isNamed(key.get()))
                return true;
    }
    return false;
}

QString CleanLineName(const QString &lineName)
{
    QString name = lineName;
    name.replace(QLatin1String(" - "), QLatin1String(" "));
    if (name == Nekonf)
        return name;
    // The position's first three characters; nothing is left of a shorter name.
    if (name.size() <= 3)
        return QString();
    return name.mid(3);
}

QString KeyCaption(const TKlavesa *key, const TModes &modes)
{
    if (!key || modes.Empty)
        return QString();
    const QString line = CleanLineName(key->MenoLinky);
    if (modes.Original)
        return line == Nekonf ? QString() : line;
    if (!modes.All && key->MenoKlavesy == line)
        return QString();
    return key->MenoKlavesy;
}

TPaper PaperForLocale(const QLocale &locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? TPaper::Letter : TPaper::A4;
}

QSizeF PaperSize(TPaper paper)
{
    const double mm = UnitsPerInch / 25.4;
    if (paper == TPaper::Letter)
        return QSizeF(8.5 * UnitsPerInch, 11.0 * UnitsPerInch);
    return QSizeF(210.0 * mm, 297.0 * mm);
}

double MarginUnits()
{
    return MarginMm * UnitsPerInch / 25.4;
}

TCell MakeCell(const QRect &band, const QString &caption, int number, int row, int column, int x, int y)
{
    TCell c;
    c.Number = number;
    c.Row = row;
    c.Column = column;
    const QString n = QString::number(number);
    c.Outer.Name = QStringLiteral("shpO") + n;
    c.Outer.Rect =
        QRect(band.left() + x + column * ColumnStep, band.top() + y + row * RowStep, CellWidth, CellHeight);
    c.Inner.Name = QStringLiteral("shpI") + n;
    c.Inner.Rect =
        QRect(c.Outer.Rect.left(), c.Outer.Rect.top() + 1, c.Outer.Rect.width(), c.Outer.Rect.height() - 2);
    c.Inner.PenWidth = c.Outer.PenWidth;
    c.Label.Name = QStringLiteral("lab") + n;
    c.Label.Rect = QRect(c.Outer.Rect.left() + 1, c.Outer.Rect.top() + 12, c.Outer.Rect.width() - 1,
                         c.Outer.Rect.height() - 4);
    c.Label.Caption = caption;
    c.Label.Centred = true;
    return c;
}

TPage MakePage(const TReport &report, int number, const QString &title)
{
    TPage p;
    p.Number = number;
    p.Name = QStringLiteral("page") + QString::number(number);
    p.Items = QStringList{QStringLiteral("321")};
    const double headerTop = report.Margin;
    const int height =
        int(std::lround(report.PageSize.height() - headerTop - report.HeaderBand.height() - 100.0));
    p.Band =
        QRect(report.HeaderBand.left(), report.HeaderBand.bottom() + 1, report.HeaderBand.width(), height);
    p.Title.Name = QStringLiteral("pagelab") + QString::number(number);
    p.Title.Rect = QRect(p.Band.left(), p.Band.top() + PageLabelTop, p.Band.width(), PageLabelHeight);
    p.Title.Caption = title;
    p.Title.FontFamily = QStringLiteral("MS Sans Serif");
    p.Title.PointSize = 12;
    p.Title.Centred = true;
    return p;
}

TReport BuildReport(const TAPult &cfg, const QString &senderName, const TTexts &texts, TPaper paper)
{
    TReport r;
    r.Modes = ModesFromName(senderName);
    if (!HasNamedKey(cfg))
        r.Modes.Empty = true;
    r.Paper = paper;
    r.PageSize = PaperSize(paper);
    r.Margin = MarginUnits();
    const int width = int(std::floor(r.PageSize.width() - 2 * r.Margin));
    r.HeaderBand = QRect(0, 0, width, HeaderBandHeight);
    r.Header.Name = QStringLiteral("PageHeader1");
    r.Header.Rect = r.HeaderBand;
    r.Header.Caption = texts.Caption;
    r.Header.FontFamily = QStringLiteral("Arial");
    r.Header.PointSize = 14;
    r.Header.Centred = true;

    const int x = CellX;
    const int y = r.HeaderBand.height() + 20;
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *pult = cfg.Pulty[n].get();
        if (!pult || pult->TypPultu != 2)
            continue;
        int printed = 0; // groups of this console
        int place = 0;   // the group's column on its page
        for (int first = 0; first < KeyCount; first += KeysPerGroup) {
            if (!groupPrinted(*pult, first, r.Modes.Empty))
                continue;
            if (printed % GroupsPerPage == 0) {
                // An empty layout is one page.
                if (r.Modes.Empty && !r.Pages.isEmpty())
                    return r;
                const int number = int(r.Pages.size()) + 1;
                const QString title = r.Modes.Empty ? QString()
                                                    : QStringLiteral("%1. %2 - %3 %4")
                                                          .arg(number)
                                                          .arg(texts.KeyLayout, texts.Console)
                                                          .arg(n);
                r.Pages.append(MakePage(r, number, title));
                place = 0;
            }
            TPage &page = r.Pages.last();
            for (int k = first; k < first + KeysPerGroup && k < KeyCount; ++k) {
                const QString caption = KeyCaption(pult->Klavesy[k].get(), r.Modes);
                page.Cells.append(
                    MakeCell(page.Band, caption, n * KeyCount + k, 15 - (k % KeysPerGroup), place, x, y));
            }
            ++place;
            ++printed;
        }
    }
    return r;
}

} // namespace PrintLayout
