#include "editing/mainrules.h"

#include <algorithm>

#include <QFileInfo>
#include <QSet>

#include <limits>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "model/cardset.h"

namespace MainRules {

std::int32_t NumberFromText(const QString &text)
{
    constexpr std::int64_t top = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            continue;
        value = value * 10 + (c.unicode() - u'0');
        if (value > top)
            return std::int32_t(top);
    }
    return std::int32_t(value);
}

bool IsNumberInRange(const QString &text, std::int64_t low, std::int64_t high)
{
    if (text.isEmpty())
        return false;
    std::int64_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return false;
    }
    if (low == 0 && high == 0)
        return true;
    return value >= low && value <= high;
}

bool IsValidIPAddress(const QString &text)
{
    QStringList parts;
    QString rest = text;
    for (int i = 0; i < 3; ++i) {
        const int dot = rest.indexOf(u'.');
        if (dot < 0)
            return false;
        parts.append(rest.left(dot));
        rest = rest.mid(dot + 1);
    }
    parts.append(rest);
    for (const QString &p : parts)
        if (!IsNumberInRange(p, 0, 255))
            return false;
    return true;
}

QString MakeControlName(Byte kind, int a, int b, int c)
{
    auto hex2 = [](int v) { return QStringLiteral("%1").arg(unsigned(v) & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); };
    QString name;
    if (kind == 254)
        name = QStringLiteral("spe");
    else if (kind == 255)
        name = QStringLiteral("lab");
    else
        name = QStringLiteral("b") + hex2(kind);
    return name + hex2(a) + hex2(b) + hex2(c);
}

QString CaptionForFile(const QString &fileName, const QString &baseTitle)
{
    if (fileName.isEmpty())
        return baseTitle;
    QString name = fileName;
    const int cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (cut >= 0)
        name = name.mid(cut + 1);
    return name + QStringLiteral(" - ") + baseTitle;
}

QString SlotPosName(int n)
{
    n &= 31;
    return QStringLiteral("E%1-%2%3").arg(n / 16).arg(QChar(n % 16 < 8 ? u'L' : u'H')).arg(n % 8);
}

QString FileVersion()
{
    QString version = QStringLiteral(KELVARA_VERSION);
    while (version.count(u'.') < 3)
        version += QStringLiteral(".0");
    return version;
}

QString ChooseFileArgument(const QStringList &args, const std::function<bool(const QString &)> &exists)
{
    const int count = int(args.size());
    if (count <= 1)
        return QString();
    int i = 1;
    while (i < count - 1 && !exists(args[i]))
        ++i;
    return args[i];
}

bool FileExists(const QString &name)
{
    if (name.isEmpty())
        return false;
    const QFileInfo info(name);
    return info.exists() && !info.isDir();
}

int BoardSlotCount(Byte listType) { return ::BoardSlotCount(listType); }

bool IsBoardSlotValid(int slot, int slotCount, Byte listType)
{
    const bool inCount = slot >= 0 && slot < slotCount;
    const bool upper = slot >= 16 && slot <= 28;
    if (!inCount && !upper)
        return false;
    if (slot < 16)
        return true;
    return (listType & 1) != 0;
}

TLayoutTexts LayoutTextsFromLibrary() { return {LoadStrDll(132), LoadStrDll(133), LoadStrDll(134)}; }

TBoardLayout LayoutBoardSlots(TZoznam *list, const TLayoutTexts &texts)
{
    TBoardLayout layout;
    for (int slot = 0; slot < BoardSlots; ++slot) {
        TSlotCell cell;
        cell.slot = slot;
        layout.cells.append(cell);
    }
    if (!list)
        return layout;
    layout.hasList = true;
    const Byte type = list->GetType();
    const int count = BoardSlotCount(type);
    layout.slotCount = count;

    for (int slot = 0; slot < BoardSlots; ++slot) {
        // Row 0 always has its sixteen panels, so the reserve places beyond the
        // slot count show; row 1 only where the list allows cards there.
        const bool row1 = slot >= 16;
        if (row1 ? !IsBoardSlotValid(slot, count, type) : false)
            continue;
        TSlotCell &cell = layout.cells[slot];
        const QString pos = SlotPosName(slot);
        if (slot < count) {
            cell.label = true;
            cell.labelText = pos.mid(3);
            cell.labelHint = QStringLiteral("%1. %2 (%3)").arg(slot).arg(texts.positionHint, cell.labelText);
            cell.labelGeometry = QRect(slot * 45 + 25, 3, 45, 15);
        }
        if (slot == 0 || slot == 16) {
            TRowLabel row;
            row.row = row1 ? 1 : 0;
            row.text = pos.left(2);
            row.hint = texts.rowHint + QStringLiteral(". ") + row.text;
            row.bandTop = row1 ? 47 : 15;
            layout.rowLabels.append(row);
        }
        if (row1)
            layout.cardPanelHeight = 86;
        const int column = row1 ? slot - 16 : slot;
        cell.panel = true;
        cell.geometry = QRect(column * 45 + 25, row1 ? 52 : 20, 45, 30);
        if (slot < count || row1) {
            cell.lowered = true;
            cell.caption = QStringLiteral("X");
            cell.hint = texts.slotHint;
        } else if (slot == count) {
            cell.caption = QStringLiteral("Reserve");
        } else if (slot == count + 1) {
            cell.caption = QStringLiteral("DF");
        } else if (slot == count + 2) {
            cell.caption = QStringLiteral("DR");
        }
    }
    layout.keysPerScreenMech = list->XKey(2) * list->YKey(2);
    layout.keysPerScreenPC = list->XKey(1) * list->YKey(1);
    return layout;
}

QString CardMenuCaption(const QString &className)
{
    QString caption = className.mid(1);
    const int card = caption.indexOf(QStringLiteral("Card"));
    if (card >= 0)
        caption = caption.left(card);
    return caption;
}

QList<TCardMenuItem> CardMenuItems(TZoznam *list, const std::function<QString(const QString &)> &cardCaption,
                                   const QString &noneText)
{
    QList<TCardMenuItem> items;
    QSet<QString> seen;
    if (list) {
        for (int code = 0; code <= 255; ++code) {
            const QString name = list->Num2Name(Byte(code));
            if (name.isEmpty() || !name.startsWith(u'T') || seen.contains(name))
                continue;
            seen.insert(name);
            items.append({name, CardMenuCaption(name), QStringLiteral("|") + cardCaption(name)});
        }
    }
    if (items.isEmpty())
        items.append({QString(), noneText, QString()});
    return items;
}

QString CardCaptionByName(const QString &name)
{
    if (name.isEmpty())
        return QString();
    std::unique_ptr<TPersistent> object = Registry::Create(name + QStringLiteral("Card"));
    if (!object)
        object = Registry::Create(name);
    if (auto *card = dynamic_cast<TCardOld *>(object.get()))
        return card->GetCardHelp();
    return QString();
}

bool SizePresetFits(const QSize &screen, const QSize &preset)
{
    return screen.width() >= preset.width() && screen.height() >= preset.height();
}

bool FormCanResize(QSize &size)
{
    if (size.width() < MinimumWidth && size.height() < MinimumHeight)
        return false;
    size = size.expandedTo(QSize(MinimumWidth, MinimumHeight));
    return true;
}

QRect FitPlacement(const QRect &wanted, const QSize &current, const QSize &screen)
{
    QSize size = wanted.size();
    if (!FormCanResize(size))
        size = current;
    if (screen.width() > 0 && screen.height() > 0)
        size = size.boundedTo(screen);
    int left = wanted.left();
    int top = wanted.top();
    if (screen.width() > 0)
        left = std::clamp(left, 0, std::max(0, screen.width() - size.width()));
    if (screen.height() > 0)
        top = std::clamp(top, 0, std::max(0, screen.height() - size.height()));
    return QRect(QPoint(left, top), size);
}

int DraggedLogHeight(int height, int notedRow, int row, int minimum, int maximum)
{
    const int wanted = height + notedRow - row;
    return (wanted > minimum && wanted < maximum) ? wanted : -1;
}

QString DateText(const QDateTime &t) { return t.toString(QStringLiteral("dd. MM. yyyy")); }

QString TimeText(const QDateTime &t) { return t.toString(QStringLiteral("HH:mm:ss")); }

QString LogKindWord(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("WARNING");
    case 1: return QStringLiteral("ERROR");
    case 2: return QStringLiteral("Information");
    }
    return QString();
}

QStringList LogEntryLines(int kind, const QString &text, const QString &timeText, const QString &dateText)
{
    return {timeText + u' ' + dateText + u' ' + LogKindWord(kind) + u':', text, QString(), QString()};
}

QString LogFileStamp(const QDateTime &t) { return t.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")); }

QString ConsoleLabelText(int console, const QString &text56, const QString &text57)
{
    return text56 + u' ' + QString::number(console) + u' ' + text57;
}

} // namespace MainRules
