#include "editing/linepanels.h"

#include <QPoint>
#include <QRect>

#include "editing/keybinding.h"
#include "model/cardqueries.h"
#include "model/conversions.h"
#include "model/objekty.h"

namespace LinePanels
{

namespace
{

const QString Nekonf = QStringLiteral("nekonf");

QString typeName(TCardOld &card, Byte index)
{
    Byte group = 255;
    return card.GetTypLinName(index, group);
}

bool keyPresent(const TPult *console, Byte k) { return console && k < KeyCount && console->Klavesy[k]; }

bool slotInRange(int slot) { return slot >= 0 && slot < BoardCount; }
bool lineInRange(int line) { return line >= 0 && line < LineCount; }
bool posInRange(int pos) { return pos >= 0 && pos < ExtLineCount; }

TDoska *board(const TPult *console, int slot)
{
    return console && slotInRange(slot) ? console->Dosky[slot].get() : nullptr;
}

TLinka &lineCreated(TDoska &b, int line)
{
    if (!b.Linky[line]) {
        b.Linky[line] = std::make_unique<TLinka>();
        b.Linky[line]->MenoLinky = Nekonf;
        b.Linky[line]->Klavesa = 255;
    }
    return *b.Linky[line];
}

} // namespace

int NumberAfter(const QString &name, const QString &prefix)
{
    const int at = name.indexOf(prefix);
    if (at < 0)
        return -1;
    bool ok = false;
    const int n = name.mid(at + prefix.size()).toInt(&ok, 10);
    return ok && n >= 0 ? n : -1;
}

Byte ConsoleNumberFromCaption(const QString &caption)
{
    bool ok = false;
    const int n = caption.mid(4).toInt(&ok, 10);
    return ok && n >= 0 && n < 255 ? Byte(n) : Byte(255);
}

TPult *Console(const TAPult *config, int n)
{
    if (!config || n < 0 || n >= ConsoleCount)
        return nullptr;
    return config->Pulty[n].get();
}

TLinka *Line(const TPult *console, int slot, int line)
{
    TDoska *b = board(console, slot);
    return b && lineInRange(line) ? b->Linky[line].get() : nullptr;
}

TRLinka *RLine(const TPult *console, int slot, int line, int pos)
{
    TLinka *l = Line(console, slot, line);
    return l && posInRange(pos) ? l->RLinky[pos].get() : nullptr;
}

bool StoreBoardCode(TAPult *config, Byte code)
{
    if (!config)
        return false;
    for (const TKodHodnota &e : config->KodHodnota)
        if (e.Kod == code)
            return false;
    for (TKodHodnota &e : config->KodHodnota)
        if (e.Kod == 255) {
            e.Kod = code;
            return true;
        }
    return false;
}

bool LineKeyMatches(const TLinka *line, const TPult *console)
{
    if (!line || line->MenoLinky == Nekonf || !keyPresent(console, line->Klavesa))
        return false;
    return console->Klavesy[line->Klavesa]->MenoLinky == line->MenoLinky;
}

bool RLineKeyMatches(const TRLinka *rline, const TPult *console)
{
    if (!rline || rline->MenoRLinky == Nekonf || !keyPresent(console, rline->Klavesa))
        return false;
    const TKlavesa &key = *console->Klavesy[rline->Klavesa];
    return key.MenoLinky == rline->MenoRLinky && key.TypLinky == rline->CisloRLinky;
}

bool RLineButtonEnabled(const TPult *console, int slot, int line, int pos)
{
    const TRLinka *r = RLine(console, slot, line, pos);
    if (!r || !keyPresent(console, r->Klavesa))
        return true;
    return console->Klavesy[r->Klavesa]->PozicRLinky != pos;
}

QString CardTypeName(const TAPult *config, int slot, bool slotValid)
{
    if (!config || !slotValid || !slotInRange(slot))
        return {};
    QString name = config->SlotyDosiek[slot].Meno;
    const int at = name.indexOf(QStringLiteral("Card"));
    if (at >= 0)
        name = name.left(at);
    return name.mid(1);
}

QString LineName(const TPult *console, int slot, int line, bool slotValid)
{
    TDoska *b = slotValid ? board(console, slot) : nullptr;
    if (!b || line < 0 || line >= b->PocetLiniek || !lineInRange(line) || !b->Linky[line])
        return {};
    return b->Linky[line]->MenoLinky;
}

QString CardLineText(TCardOld *card, Byte line)
{
    if (!card)
        return {};
    return typeName(*card, card->GetTypLinNum(card->GetNameLin(line)));
}

Byte CardLineTypeNumber(TCardOld *card, Byte index)
{
    if (!card)
        return 255;
    if ((card->GetType() & 1) == 0)
        return card->GetTypLinNum(typeName(*card, index));
    return card->GetTypLinNum(typeName(*card, card->GetTypLinNum(card->GetNameLin(index))));
}

QString ImageLineNameSplit(TCardOld *card, Byte line, Byte pos, Byte type)
{
    if (!card)
        return {};
    QString name = card->GetRozsirLinName(line, pos);
    if (!name.isEmpty())
        return name;
    name = typeName(*card, type);
    if (card->LinCount() > 1)
        name += QStringLiteral("-") + QString::number(line);
    return name;
}

QString ImageLineName(TCardOld *card, Byte line, Byte pos, Byte type)
{
    if (!card)
        return {};
    if (card->GetType() & 1)
        return ImageLineNameSplit(card, line, pos, type);
    const QString name = card->GetRozsirLinName(line, pos);
    return name.isEmpty() ? typeName(*card, line) : name;
}

Byte ExtendedLineValue(TCardOld *card, Byte line, Byte value)
{
    return card && card->IsRozsirLin(line) ? value : Byte(255);
}

bool LineHasKey(const TPult *console, int slot, int line, bool slotValid)
{
    const TLinka *l = slotValid ? Line(console, slot, line) : nullptr;
    return l && l->Klavesa < KeyCount;
}

bool LineIsAssigned(const TAPult *config, int slot, int line)
{
    QString ignored;
    return LineKeyName(config, slot, line, ignored);
}

bool LineKeyName(const TAPult *config, int slot, int line, QString &name)
{
    for (int c = 0; c < ConsoleCount; ++c) {
        const TLinka *l = Line(Console(config, c), slot, line);
        if (l && (l->Klavesa < KeyCount || l->Klavesa == 253)) {
            name = StripPositionPrefix(l->MenoLinky);
            return true;
        }
    }
    return false;
}

QString StripPositionPrefix(const QString &name) { return StripLinePosPrefix(name); }

QString FreeLineName(TCardOld *card, const TAPult *config, Byte boardCode, Byte line,
                     const std::optional<QString> &checkedCaption)
{
    if (checkedCaption && !checkedCaption->isEmpty())
        return *checkedCaption + QStringLiteral("-") + QString::number(line);
    if (!card)
        return Nekonf;
    return typeName(*card, Byte(FindPairValue(config, boardCode)));
}

QString PanelLineName(TCardOld *card, const TAPult *config, Byte boardCode, Byte line,
                      const std::optional<QString> &checkedCaption)
{
    if (checkedCaption && !checkedCaption->isEmpty())
        return FreeLineName(card, config, boardCode, line, checkedCaption);
    // Nothing checked: the type stored for the board code stands in.
    const QString stored = FreeLineName(card, config, boardCode, line, std::nullopt);
    if (stored.isEmpty() || stored == Nekonf)
        return Nekonf;
    return stored + QStringLiteral("-") + QString::number(line);
}

TLineAction ApplyLineSelection(TAPult *config, int activeConsole, TCardOld &card, int slot, int line,
                               const TSelLine &selected, bool hasPanel, const QStringList &radioCaptions,
                               int checked)
{
    TLineAction r;
    r.Name = selected.Name;
    r.Type = selected.Type;
    const bool haveSlot = slotInRange(slot);
    const bool haveLine = haveSlot && lineInRange(line);
    const Byte code = card.GetCardNum(config ? config->TypSystemu : 0);
    const std::optional<QString> checkedCaption =
        hasPanel && checked >= 0 && checked < radioCaptions.size() ? std::optional<QString>(radioCaptions[checked])
                                                                   : std::nullopt;
    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *console = Console(config, c);
        if (!console || !haveSlot)
            continue;
        if (!console->Dosky[slot])
            console->Dosky[slot] = std::make_unique<TDoska>();
        TDoska &b = *console->Dosky[slot];
        b.PocetLiniek = card.LinCount();
        if (!haveLine)
            continue;
        TLinka &l = lineCreated(b, line);
        const Byte k = l.Klavesa;
        if (k == 253) {
            r.Name = StripPositionPrefix(l.MenoLinky);
            r.Type = l.CisloLinky;
        } else if (k == 255) {
            l.MenoLinky = Nekonf;
            QString assigned;
            if (LineKeyName(config, slot, line, assigned)) {
                r.Name = assigned;
            } else {
                r.Name = Nekonf;
                r.Type = card.GetTypLinNum(Nekonf);
            }
            l.CisloLinky = r.Type;
        } else {
            l.MenoLinky = LinePosName(slot) + QStringLiteral(" - ") + r.Name;
            l.CisloLinky = r.Type;
        }
        card.SetNameLin(Byte(line), r.Name);
        if (k == 255) {
            if (!hasPanel) {
                r.Name = FreeLineName(&card, config, code, Byte(line), std::nullopt);
                card.SetNameLin(Byte(line), r.Name);
            } else if (r.Name == Nekonf) {
                r.Name = PanelLineName(&card, config, code, Byte(line), checkedCaption);
                card.SetNameLin(Byte(line), r.Name);
            }
        } else if (hasPanel) {
            for (int i = 0; i < radioCaptions.size(); ++i)
                if (i != checked && r.Name.contains(radioCaptions[i]) &&
                    card.GetTypLinNum(radioCaptions[i]) == r.Type) {
                    r.CheckRadio = i;
                    break;
                }
        }
    }
    if (haveLine) {
        r.OpenRozForm = card.IsRozsirLin(Byte(line));
        if (TPult *active = Console(config, activeConsole)) {
            if (!active->Dosky[slot])
                active->Dosky[slot] = std::make_unique<TDoska>();
            TLinka &l = lineCreated(*active->Dosky[slot], line);
            l.MenoLinky = LinePosName(slot) + QStringLiteral(" - ") + r.Name;
            l.CisloLinky = r.Type;
            card.SetNameLin(Byte(line), r.Name);
        }
    }
    r.PanelEnabled = !LineIsAssigned(config, slot, line);
    return r;
}

bool ApplyRLineSelection(TAPult *config, int activeConsole, int slot, int line, const TSelRLine &rline)
{
    const int pos = rline.Position;
    if (!slotInRange(slot) || !lineInRange(line) || !posInRange(pos))
        return true;
    for (int c = 0; c < ConsoleCount; ++c) {
        TLinka *l = Line(Console(config, c), slot, line);
        if (l && !l->RLinky[pos]) {
            l->RLinky[pos] = std::make_unique<TRLinka>();
            l->RLinky[pos]->MenoRLinky = rline.Name;
            l->RLinky[pos]->CisloRLinky = rline.Position;
            l->RLinky[pos]->Klavesa = 255;
        }
    }
    if (TLinka *l = Line(Console(config, activeConsole), slot, line)) {
        if (!l->RLinky[pos])
            l->RLinky[pos] = std::make_unique<TRLinka>();
        l->RLinky[pos]->MenoRLinky = rline.Name;
        l->RLinky[pos]->CisloRLinky = rline.Position;
    }
    for (int c = 0; c < ConsoleCount; ++c) {
        TPult *console = Console(config, c);
        if (RLineKeyMatches(RLine(console, slot, line, pos), console))
            return false;
    }
    return true;
}

void CreateSelectedBoards(TAPult *config, int slot)
{
    if (!slotInRange(slot))
        return;
    for (int c = 0; c < ConsoleCount; ++c)
        if (TPult *console = Console(config, c); console && !console->Dosky[slot]) {
            console->Dosky[slot] = std::make_unique<TDoska>();
            console->Dosky[slot]->MenoDosky.clear();
            console->Dosky[slot]->CisloDosky = 0;
            console->Dosky[slot]->PocetLiniek = 0;
        }
}

bool ApplyBoardSelection(TAPult *config, int activeConsole, int slot, const QString &cardName, Byte code,
                         Byte lineCount)
{
    if (!slotInRange(slot))
        return false;
    CreateSelectedBoards(config, slot);
    TPult *active = Console(config, activeConsole);
    if (!active)
        return false;
    TDoska &b = *active->Dosky[slot];
    b.MenoDosky = cardName;
    b.CisloDosky = code;
    b.PocetLiniek = lineCount;
    return true;
}

int CheckedRadio(const QList<int> &radioTypes, int index, int typeCount)
{
    if (index > typeCount - 1)
        index = typeCount - 1;
    for (int i = 0; i < radioTypes.size(); ++i)
        if (radioTypes[i] == index)
            return i;
    for (int i = 0; i < radioTypes.size(); ++i)
        if (radioTypes[i] > index)
            return i;
    return -1;
}

TGrid ExtendedLineGrid(int cells)
{
    TGrid g;
    int width = 53, height = 20;
    while (g.Columns * g.Rows < cells) {
        if (height < width) {
            ++g.Rows;
            height += 20;
        } else {
            ++g.Columns;
            width += 53;
        }
    }
    if (g.Columns > 1 && (g.Columns - 1) * g.Rows >= cells)
        --g.Columns;
    if (g.Rows > 1 && (g.Rows - 1) * g.Columns >= cells)
        --g.Rows;
    return g;
}

QSize RozFormSize(const TGrid &grid) { return QSize((53 + 5) * grid.Columns + 3, 20 * grid.Rows + 24); }

QRect CellRect(int column, int row) { return QRect((column - 1) * 58 + 1, (row - 1) * 20 + 1, 53, 20); }

bool IsPacked(std::int32_t code) { return code >= 256; }

TPacked Unpack(std::int32_t code)
{
    const auto u = std::uint32_t(code);
    return TPacked{Byte(u >> 24), Byte(u >> 16), Byte(u >> 8), Byte(u)};
}

int PagePosition(int v, const TPacked &packed, int k) { return v * packed.D + packed.A + k - 1; }

QList<TRozCell> PlanExtendedLines(TCardOld &card, Byte line, TGrid *gridOut)
{
    const int n = card.GetNumRozsir(line);
    auto codeAt = [&](int p) { return p <= 255 ? card.ChangePos(line, Byte(p)) : std::int32_t(-1); };
    auto shown = [&](int p) {
        const std::int32_t code = codeAt(p);
        return code >= 0 && !card.GetRozsirLinName(line, Byte(code % 256)).isEmpty();
    };
    int count = 0;
    for (int p = 0; p <= n; ++p)
        if (shown(p))
            ++count;
    TGrid grid = ExtendedLineGrid(count);
    Byte cols = Byte(grid.Columns), rows = Byte(grid.Rows);
    card.GetSize(line, cols, rows);
    grid = TGrid{qMax(1, int(cols)), qMax(1, int(rows))};
    if (gridOut)
        *gridOut = grid;

    QList<TRozCell> cells;
    int p = 0;
    for (int col = 1; col <= grid.Columns; ++col)
        for (int row = 1; row <= grid.Rows; ++row) {
            while (p <= n && !shown(p))
                ++p;
            if (p > n)
                return cells;
            TRozCell cell;
            cell.Column = col;
            cell.Row = row;
            cell.Index = p;
            cell.Code = codeAt(p);
            cell.Packed = IsPacked(cell.Code);
            if (cell.Packed) {
                cell.Name = card.GetRozsirLinName(line, Unpack(cell.Code).A);
                const std::int32_t code2 = codeAt(p + 1);
                if (code2 >= 0) {
                    const QString text = code2 >= 256 ? card.GetRozsirLinName(line, Byte(code2 % 256))
                                                      : card.GetRozsirLinHelp(line, Byte(code2 % 256));
                    cell.LabelCaption = text.size() > 3 ? text.left(text.size() - 3) : QString();
                }
            } else {
                cell.Name = card.GetRozsirLinName(line, Byte(cell.Code));
            }
            cell.Blank = cell.Name == QStringLiteral(" ");
            cells.append(cell);
            p += cell.Packed ? 2 : 1;
        }
    return cells;
}

QString RLineButtonPrefix(TCardOld &card, Byte line, Byte pos)
{
    TCfgPole own{}, ext{};
    card.GetCfgPoleLin(line, &own);
    card.GetCfgPoleRLin(line, pos, &ext);
    return own == ext ? QStringLiteral("hlr") : QStringLiteral("roz");
}

QPoint RozFormPosition(const QPoint &remembered, const QRect &mainGeometry, int width)
{
    QPoint p = remembered;
    if (p.x() == -255)
        p.setX(mainGeometry.left() + mainGeometry.width() - width - 25);
    if (p.y() == -255)
        p.setY(mainGeometry.top() + 73);
    return p;
}

} // namespace LinePanels
