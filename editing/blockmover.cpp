#include "editing/blockmover.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace
{

int lastKeyOf(const KeyGrid &grid, int screens)
{
    return KeyCountFor(grid, screens) - 1;
}

QString pad3(int n)
{
    return QStringLiteral("%1").arg(n, 3, 10, QChar(u'0'));
}

// The line place a key takes when it is written back: its plain line, or the
// extended line its PozicRLinky names.
struct TLinePlace {
    int slot = 255;
    int line = 255;
    int ext = 255;
    bool operator<(const TLinePlace &o) const
    {
        return std::tie(slot, line, ext) < std::tie(o.slot, o.line, o.ext);
    }
};

bool sameKey(const TKlavesa &a, const TKlavesa &b)
{
    return a.MenoKlavesy == b.MenoKlavesy && a.HintKlavesy == b.HintKlavesy && a.MenoLinky == b.MenoLinky &&
           a.TypLinky == b.TypLinky && a.KodDosky == b.KodDosky && a.HWPozicDosky == b.HWPozicDosky &&
           a.PozicLinky == b.PozicLinky && a.PozicRLinky == b.PozicRLinky && a.Led == b.Led &&
           a.CisloUcastnika == b.CisloUcastnika && a.ObsluhaKlavesy == b.ObsluhaKlavesy &&
           a.bitovyByte == b.bitovyByte && a.NumLin == b.NumLin && a.Volba == b.Volba &&
           a.TextColor == b.TextColor && a.SkratenaVolba == b.SkratenaVolba && a.MSNpriznak == b.MSNpriznak &&
           a.MSNcislo == b.MSNcislo;
}

TLinePlace placeOf(const TKlavesa &k)
{
    return TLinePlace{k.HWPozicDosky, k.PozicLinky, k.PozicRLinky};
}

// No key of the active console holds the place the key would take: a pasted
// key must never steal a line or extended line from a key that keeps naming it.
bool placeFree(const TKeyBinding &binding, const TKlavesa &k, const TPasteChecks &checks)
{
    const TPult *console = binding.ActiveConsole();
    if (!console || k.HWPozicDosky >= BoardCount || k.PozicLinky >= LineCount)
        return false;
    if (k.PozicRLinky == 255)
        return !(checks.LineHasKey && checks.LineHasKey(k.HWPozicDosky, k.PozicLinky));
    if (k.PozicRLinky >= ExtLineCount)
        return false;
    const TDoska *board = console->Dosky[k.HWPozicDosky].get();
    const TLinka *line = board ? board->Linky[k.PozicLinky].get() : nullptr;
    const TRLinka *ext = line ? line->RLinky[k.PozicRLinky].get() : nullptr;
    return !ext || ext->Klavesa >= KeyCount;
}

// The three forms a pasted key may take (a plain line that is still free, an
// extended line that is still free, an extended line of a plain line that a
// key of the console carries), all under a unique line name.
bool pasteAccepts(const TKlavesa &k, const TKeyBinding &binding, const TKeyArray &b,
                  const TPasteChecks &checks)
{
    if (!binding.KeyNameUnique(k.MenoLinky))
        return false;
    if (!checks.CardModeMatches || !checks.CardModeMatches(k.HWPozicDosky, k.KodDosky))
        return false;
    if (k.PozicRLinky == 255 || k.PozicRLinky == 0) {
        if (!(checks.LineHasKey && checks.LineHasKey(k.HWPozicDosky, k.PozicLinky)))
            return true;
    }
    if (k.PozicRLinky != 255) {
        if (!binding.CanPlaceLine(k.HWPozicDosky, k.PozicLinky, k.MenoLinky, k.PozicRLinky))
            return true;
        for (int i = 0; i < KeyCount; ++i) {
            const TKlavesa *x = b[i].get();
            if (x && IsConfiguredKey(x) && x->HWPozicDosky == k.HWPozicDosky &&
                x->PozicLinky == k.PozicLinky && (x->PozicRLinky == 0 || x->PozicRLinky == 255))
                return true;
        }
    }
    return false;
}

} // namespace

// ---- copy buffer, delete ----------------------------------------------------------------------

void TCopyBuffer::Clear()
{
    Count = 0;
    Lowest = 0;
    Highest = 0;
    for (auto &k : Keys)
        k.reset();
}

bool CopyMarkedKeys(TCopyBuffer &buffer, const QList<int> &marked, int last, const TKeyBinding &binding)
{
    std::set<int> chosen;
    for (int n : marked)
        if (n >= 0 && n < KeyCount && n <= last)
            chosen.insert(n);
    if (chosen.empty() || !binding.ActiveConsole())
        return false;
    buffer.Count = int(chosen.size());
    buffer.Lowest = *chosen.begin();
    buffer.Highest = *chosen.rbegin();
    for (int n = 0; n < KeyCount; ++n) {
        if (chosen.count(n))
            buffer.Keys[n] = std::make_unique<TKlavesa>();
        else
            buffer.Keys[n].reset();
    }
    binding.RefreshSavedKeys(buffer.Keys);
    return true;
}

QList<int> KeysToDelete(const QList<std::uint32_t> &colours, bool marked)
{
    QList<int> keys;
    for (int n = 0; n < colours.size(); ++n) {
        const std::uint32_t c = colours[n];
        const bool isMarked = c == StateColors::Marked || c == StateColors::ActiveMarked;
        const bool isActive = c == StateColors::Active || c == StateColors::ActiveMarked;
        if (marked ? isMarked : isActive)
            keys.append(n);
    }
    return keys;
}

QList<int> DeleteKeyList(const QList<int> &keys, const std::function<bool(int)> &deleteKey)
{
    QList<int> deleted;
    if (!deleteKey)
        return deleted;
    for (int n : keys)
        if (deleteKey(n))
            deleted.append(n);
    return deleted;
}

TPasteChecks TPasteChecks::FromCards(const TKeyBinding &binding, std::function<TCardOld *(int)> cardOfSlot)
{
    TPasteChecks checks;
    TAPult *config = binding.Config;
    checks.CardModeMatches = [config, cardOfSlot](int slot, int code) {
        if (slot < 0 || slot >= BoardCount || !cardOfSlot)
            return false;
        TCardOld *card = cardOfSlot(slot);
        return card && card->GetCardNum(config ? config->TypSystemu : 0) == code;
    };
    const TPult *console = binding.ActiveConsole();
    checks.LineHasKey = [console](int slot, int line) {
        if (!console || slot < 0 || slot >= BoardCount || line < 0 || line >= LineCount)
            return false;
        const TDoska *board = console->Dosky[slot].get();
        const TLinka *l = board ? board->Linky[line].get() : nullptr;
        return l && l->Klavesa < KeyCount;
    };
    return checks;
}

// ---- texts and keyboard ---------------------------------------------------------------------

QString MoveListingLine(const TKlavesa &k, int destination, int source)
{
    QString line = pad3(destination) + QStringLiteral(". \"") + k.MenoKlavesy + QStringLiteral("\" \"") +
                   k.HintKlavesy + QStringLiteral("\" ") + k.MenoLinky + QStringLiteral(" (") +
                   QString::number(k.TypLinky) + QStringLiteral(") konfig ") +
                   QString::number(k.HWPozicDosky) + QStringLiteral(". doska ");
    if (k.PozicLinky < 255)
        line += QString::number(k.PozicLinky) + QStringLiteral(". linka (od ");
    else
        line += QString::number(k.PozicRLinky) + QStringLiteral(". Rlinka (od ");
    line += QString::number(source) + QStringLiteral(" kam ") + QString::number(destination) + u')';
    return line;
}

int KeyboardStep(QChar key, Byte consoleType)
{
    const int column = 8 * consoleType;
    switch (key.toUpper().unicode()) {
    case u'J':
    case u'4':
        return -column;
    case u'K':
    case u'5':
        return -1;
    case u'L':
    case u'6':
        return column;
    case u'I':
    case u'8':
        return 1;
    default:
        return 0;
    }
}

int KeyboardTarget(int a, int step, int last, const std::function<bool(int)> &enabled)
{
    if (step == 0 || last < 0 || !enabled)
        return -1;
    int t = a + step;
    int dir = step > 0 ? 1 : -1;
    if (t == a)
        return -1;
    if (t < 0) {
        t = 0;
        dir = 1;
    }
    int pos = t;
    int reached = 0;
    // Every key is passed at most twice each way.
    for (int guard = 4 * (last + 2) + std::abs(step) * 2; guard > 0; --guard) {
        if ((dir > 0 && pos > last) || (dir < 0 && pos < 0))
            pos = a;
        if (pos == a) {
            if (++reached == 2)
                return -1;
            dir = -dir;
            pos = t;
            continue;
        }
        if (pos >= 0 && pos <= last && enabled(pos))
            return pos;
        pos += dir;
    }
    return -1;
}

TKeyPress KeyPressAction(QChar key, bool moving, Byte consoleType)
{
    TKeyPress press;
    const char16_t c = key.toUpper().unicode();
    const int step = KeyboardStep(key, consoleType);
    if (moving) {
        if (c == 0x1B || c == u'-' || c == u'/')
            press.what = TKeyPress::CancelMove;
        else if (c == u'+' || c == u'0' || c == u'P')
            press.what = TKeyPress::PlaceBlock;
        else if (step != 0) {
            press.what = TKeyPress::Move;
            press.Step = step;
        }
        return press;
    }
    switch (c) {
    case u'-':
        press.what = TKeyPress::DeleteMarked;
        press.PrepareMenu = true;
        break;
    case u'*':
        press.what = TKeyPress::InvertAll;
        press.PrepareMenu = true;
        break;
    case u'/':
        press.what = TKeyPress::StartMove;
        press.PrepareMenu = true;
        break;
    case u'+':
        press.what = TKeyPress::ClickActive;
        press.PrepareMenu = true;
        break;
    case u'0':
    case u'P':
        press.what = TKeyPress::ClickActive;
        press.PrepareMenu = true;
        press.Navigate = true;
        break;
    default:
        if (step != 0) {
            press.what = TKeyPress::Move;
            press.Navigate = true;
            press.Step = step;
        }
        break;
    }
    return press;
}

// ---- the mover --------------------------------------------------------------------------------

TBlockMover::TBlockMover(const KeyGrid &grid, int screens) : Grid(grid), Last(lastKeyOf(grid, screens))
{
    for (auto *arr : {&a_, &b_, &c_})
        for (auto &k : *arr)
            k = std::make_unique<TKlavesa>();
}

bool TBlockMover::InBlock(int n) const
{
    return n >= 0 && n < KeyCount && records_[n].InBlock;
}

void TBlockMover::begin(const TKeyBinding &binding)
{
    binding.SaveKeys(a_);
    binding.SaveKeys(b_);
    binding.SaveKeys(c_);
    for (auto *arr : {&a_, &b_, &c_})
        for (auto &k : *arr)
            if (!k)
                k = std::make_unique<TKlavesa>();
    for (int n = 0; n < KeyCount; ++n) {
        TMoveRecord &r = records_[n];
        r.InBlock = false;
        r.Source = 0;
        r.Destination = 0;
        r.Key = *b_[n];
    }
    moveBase_ = KeyCount;
    shift_ = 0;
    validShift_ = false;
    snapFlag_ = true;
    snapBase_ = -1;
    listing_.clear();
}

void TBlockMover::finishBlock()
{
    blockLow_ = KeyCount;
    blockHigh_ = -1;
    for (int n = 0; n < KeyCount; ++n)
        if (records_[n].InBlock) {
            blockLow_ = std::min(blockLow_, n);
            blockHigh_ = std::max(blockHigh_, n);
        }
    moveBase_ = blockLow_;
}

void TBlockMover::viewsFrom(const TKeyArray &keys, bool moved)
{
    for (int d = 0; d < KeyCount; ++d) {
        const TKlavesa *k = keys[d].get();
        views_[d].Caption = k ? k->MenoKlavesy : QString();
        views_[d].Hint = k ? k->HintKlavesy : QString();
        views_[d].Moved = moved && records_[d].InBlock;
        views_[d].TextColor = k ? k->TextColor : 0;
    }
}

bool TBlockMover::StartMove(const QList<int> &block, const QList<int> &marked, const TKeyBinding &binding,
                            TCopyBuffer &buffer)
{
    std::set<int> members;
    for (int n : block)
        if (n >= 0 && n <= Last)
            members.insert(n);
    if (members.empty() || !binding.ActiveConsole() || Last < 0) {
        mode_ = Mode::Off;
        return false;
    }
    begin(binding);
    CopyMarkedKeys(buffer, marked, Last, binding);
    for (int n = 0; n < KeyCount; ++n) {
        if (members.count(n)) {
            TMoveRecord &r = records_[n];
            r.InBlock = true;
            r.Source = n;
            r.Destination = n;
            b_[n]->Reset(); // its place becomes free
        } else {
            c_[n]->Reset();
        }
    }
    finishBlock();
    mode_ = Mode::Move;
    // The block at its own places always fits: those places were freed above.
    validShift_ = true;
    viewsFrom(a_, true);
    return true;
}

TBlockMover::TPasteStart TBlockMover::StartPaste(const TCopyBuffer &buffer, const TKeyBinding &binding,
                                                 const TPasteChecks &checks)
{
    TPasteStart result;
    mode_ = Mode::Off;
    if (buffer.Empty() || !binding.ActiveConsole() || Last < 0)
        return result;
    begin(binding);
    for (auto &k : c_)
        k->Reset();
    std::set<TLinePlace> taken;
    for (int n = 0; n < KeyCount; ++n) {
        const TKlavesa *k = buffer.Keys[n].get();
        if (!k || !IsConfiguredKey(k))
            continue; // an empty entry carries nothing to paste
        const TLinePlace place = placeOf(*k);
        if (!pasteAccepts(*k, binding, b_, checks) || !placeFree(binding, *k, checks) || taken.count(place)) {
            ++result.Refused;
            continue;
        }
        taken.insert(place);
        TMoveRecord &r = records_[n];
        r.InBlock = true;
        r.Key = *k; // an owned copy: the buffer stays as it is
        r.Key.Led = Byte(n);
        *c_[n] = r.Key;
        r.Source = n;
        r.Destination = n;
        result.Accepted.append(n);
    }
    if (result.Accepted.isEmpty())
        return result;
    finishBlock();
    mode_ = Mode::Paste;
    result.Started = true;
    viewsFrom(a_, false);
    return result;
}

bool TBlockMover::MoveFits(int shift, int rows) const
{
    if (rows <= 0)
        return false;
    int lo = rows;
    int hi = -1;
    for (int n = std::max(blockLow_, 0); n <= blockHigh_ && n < KeyCount; ++n)
        if (records_[n].InBlock) {
            const int row = records_[n].Source % rows;
            lo = std::min(lo, row);
            hi = std::max(hi, row);
        }
    if (hi < 0)
        return false;
    const int row = (((lo + shift) % rows) + rows) % rows;
    return row < rows - hi + lo;
}

bool TBlockMover::ShiftValid(int shift) const
{
    if (mode_ == Mode::Off || blockHigh_ < 0)
        return false;
    if (blockLow_ + shift < 0 || blockHigh_ + shift > Last)
        return false;
    if (!MoveFits(shift, Grid.rows))
        return false;
    if (!CanMoveKeys(c_, b_, Last, shift))
        return false;
    // Every block key, configured or not, lands on a key that carries nothing.
    for (int s = blockLow_; s <= blockHigh_; ++s)
        if (records_[s].InBlock && IsConfiguredKey(b_[s + shift].get()))
            return false;
    return true;
}

bool TBlockMover::Preview(int k, bool fromMouse)
{
    if (mode_ == Mode::Off || Grid.rows <= 0)
        return false;
    const int rows = Grid.rows;
    // The search visits each key a bounded number of times (down, up, left).
    for (int guard = 8 * KeyCount; guard > 0; --guard) {
        if (k < 0 || k > Last)
            return false;
        const int shift = k - blockLow_;
        if (validShift_ && shift == shift_)
            return false;
        if (ShiftValid(shift)) {
            PlaceBlock(shift, Last, true);
            validShift_ = true;
            snapFlag_ = true;
            snapBase_ = -1;
            return true;
        }
        if (fromMouse)
            snapBase_ = k;
        fromMouse = false;
        if (snapFlag_ && k % rows == 0)
            snapFlag_ = false;
        if (snapFlag_) {
            if (k - 1 < 0)
                return false;
            k = k - 1; // downward in the column
            continue;
        }
        if (k % rows != rows - 1) {
            if (k + 1 > Last)
                return false;
            k = k + 1; // upward
            continue;
        }
        snapFlag_ = true; // top row: one column to the left
        if (snapBase_ == -1)
            snapBase_ = k;
        snapBase_ -= rows;
        if (snapBase_ < 0)
            return false;
        k = snapBase_;
    }
    return false;
}

bool TBlockMover::KeyboardMove(int step)
{
    if (mode_ == Mode::Off || step == 0 || Last < 0)
        return false;
    const int old = moveBase_;
    int p = std::clamp(moveBase_, 0, Last);
    for (int guard = KeyCount + 1; guard > 0; --guard) {
        p = std::clamp(p + step, 0, Last);
        Preview(p, true);
        if (moveBase_ != old)
            return true;
        if (p == 0 || p == Last)
            return false;
    }
    return false;
}

void TBlockMover::PlaceBlock(int shift, int last, bool preview)
{
    last = std::min(last, KeyCount - 1);
    const int from = shift >= 0 ? shift : 0;
    const int to = shift >= 0 ? last : last + shift;
    const int savedBase = moveBase_;
    moveBase_ = last;
    bool anyMoved = false;
    std::array<TMoveRecord, KeyCount> layout;
    for (int d = 0; d <= last; ++d) {
        const int s = d - shift;
        TMoveRecord &e = layout[d];
        if (d >= from && d <= to && s >= 0 && s < KeyCount && records_[s].InBlock) {
            e.Key = records_[s].Key;
            e.InBlock = true;
            e.Source = s;
            moveBase_ = std::min(moveBase_, d);
            anyMoved = true;
        } else {
            e.Key = *b_[d];
            e.InBlock = false;
            e.Source = d;
        }
        e.Key.Led = Byte(d);
        e.Destination = d;
    }
    if (!anyMoved)
        moveBase_ = savedBase;
    listing_.clear();
    for (int d = 0; d <= last; ++d) {
        const TMoveRecord &e = layout[d];
        if (!preview)
            *b_[d] = e.Key;
        views_[d].Caption = e.Key.MenoKlavesy;
        views_[d].Hint = e.Key.HintKlavesy;
        views_[d].Moved = preview && e.InBlock;
        views_[d].TextColor = e.Key.TextColor;
        if (IsConfiguredKey(&e.Key))
            listing_.append(MoveListingLine(e.Key, e.Destination, e.Source));
    }
    shift_ = shift;
}

bool TBlockMover::linesStillFree(const TKeyBinding &binding, const TPasteChecks &checks) const
{
    std::set<TLinePlace> taken;
    for (int n = 0; n < KeyCount; ++n) {
        if (!records_[n].InBlock)
            continue;
        const TKlavesa &k = records_[n].Key;
        if (!IsConfiguredKey(&k))
            continue;
        // The card may have gone from its slot, or changed, since the paste began.
        if (!checks.CardModeMatches || !checks.CardModeMatches(k.HWPozicDosky, k.KodDosky))
            return false;
        if (!binding.KeyNameUnique(k.MenoLinky) || !placeFree(binding, k, checks) || taken.count(placeOf(k)))
            return false;
        taken.insert(placeOf(k));
    }
    return true;
}

bool TBlockMover::Stale(const TKeyBinding &binding) const
{
    if (mode_ == Mode::Off)
        return false;
    const TPult *console = binding.ActiveConsole();
    if (!console)
        return true;
    const TKlavesa unconfigured;
    for (int n = 0; n < KeyCount; ++n) {
        const TKlavesa *k = console->Klavesy[n].get();
        if (!sameKey(k ? *k : unconfigured, *a_[n]))
            return true;
    }
    return false;
}

bool TBlockMover::Place(TKeyBinding &binding, const TPasteChecks &checks)
{
    if (mode_ == Mode::Off || !validShift_ || !ShiftValid(shift_))
        return false;
    TPult *console = binding.ActiveConsole();
    if (!console || Stale(binding))
        return false;
    if (mode_ == Mode::Paste && !linesStillFree(binding, checks))
        return false;
    PlaceBlock(shift_, Last, false);
    // Only the places the block leaves (a move) and the places it lands on
    // are written; every other key stays as the console holds it.
    TKeyArray changed;
    for (int d = 0; d <= Last; ++d) {
        const int s = d - shift_;
        const bool lands = s >= 0 && s < KeyCount && records_[s].InBlock;
        const bool leaves = mode_ == Mode::Move && records_[d].InBlock;
        if (!lands && !leaves)
            continue;
        changed[d] = std::make_unique<TKlavesa>(*b_[d]);
        // StoreKeyLines writes only keys the console has.
        if (!console->Klavesy[d])
            console->Klavesy[d] = std::make_unique<TKlavesa>();
    }
    binding.StoreKeyLines(changed);
    mode_ = Mode::Off;
    return true;
}

void TBlockMover::Cancel(const TKeyBinding *current)
{
    mode_ = Mode::Off;
    if (current) {
        if (current->ActiveConsole())
            current->SaveKeys(a_);
        else
            for (auto &k : a_)
                k->Reset();
    }
    for (int d = 0; d < KeyCount; ++d) {
        views_[d].Caption = a_[d]->MenoKlavesy;
        views_[d].Hint = a_[d]->HintKlavesy;
        views_[d].Moved = false;
        views_[d].TextColor = a_[d]->TextColor;
    }
}
