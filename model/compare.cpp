#include "model/compare.h"

#include <QSet>

#include <algorithm>
#include <vector>

#include "cardpack/dll_load.h"
#include "cardpack/konstkarty.h"
#include "model/conversions.h"

namespace
{

const QString CRLF = QStringLiteral("\r\n");
const QString TakeArrow = QStringLiteral("<- ");

int lineCount(const TDoska &d)
{
    return std::min<int>(d.PocetLiniek, LineCount);
}
int extCount(const TLinka &l)
{
    return std::min<int>(l.PocetRLiniek, ExtLineCount);
}
int consoleCount(const TAPult &a)
{
    return std::clamp<int>(a.PocetPultov, 0, ConsoleCount);
}

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

// A colour is 32 bits; a system colour is negative and shows all eight digits.
QString hexColour(std::int32_t value)
{
    return QString::number(quint32(value), 16).toUpper().rightJustified(2, u'0');
}

template <std::size_t N> QString hexBytes(const std::array<Byte, N> &bytes)
{
    return BytesToHex(bytes.data(), int(N));
}

QString speedDialText(const TKlavesa &k)
{
    const QString text = hexBytes(k.SkratenaVolba);
    const qsizetype f = text.indexOf(u'F');
    return f < 0 ? text : text.left(f);
}

// One "label=value" line of a take-over entry (Orig <- Save) or a conflict
// entry (Orig [Save]); texts are quoted, numbers are hex with an H.
QString quotedPair(const char *label, const QString &orig, const QString &save, bool takeOver)
{
    return QLatin1String(label) + u'"' + orig +
           (takeOver ? QStringLiteral("\" <- \"") : QStringLiteral("\" [\"")) + save +
           (takeOver ? QStringLiteral("\"") : QStringLiteral("\"]")) + CRLF;
}

QString hexPair(const char *label, int orig, int save, bool takeOver)
{
    return QLatin1String(label) + hex2(orig) + (takeOver ? QStringLiteral("H <- ") : QStringLiteral("H [")) +
           hex2(save) + (takeOver ? QStringLiteral("H") : QStringLiteral("H]")) + CRLF;
}

QString boardEntry(const TDoska &o, const TDoska &s, bool takeOver)
{
    return quotedPair("MenoDosky=", o.MenoDosky, s.MenoDosky, takeOver) +
           hexPair("CisloDosky=", o.CisloDosky, s.CisloDosky, takeOver) +
           hexPair("pocetLiniek=", o.PocetLiniek, s.PocetLiniek, takeOver);
}

QString lineEntry(const TLinka &o, const TLinka &s, bool takeOver)
{
    return quotedPair("MenoLinky=", o.MenoLinky, s.MenoLinky, takeOver) +
           hexPair("CisloLinky=", o.CisloLinky, s.CisloLinky, takeOver) +
           hexPair("Klavesa=", o.Klavesa, s.Klavesa, takeOver) +
           hexPair("pocetRLiniek=", o.PocetRLiniek, s.PocetRLiniek, takeOver);
}

QString extEntry(const TRLinka &o, const TRLinka &s, bool takeOver)
{
    return quotedPair("MenoRLinky=", o.MenoRLinky, s.MenoRLinky, takeOver) +
           hexPair("CisloRLinky=", o.CisloRLinky, s.CisloRLinky, takeOver) +
           hexPair("Klavesa=", o.Klavesa, s.Klavesa, takeOver);
}

QString keyEntry(int index, const TKlavesa &o, const TKlavesa &s, const QString &p, const QString &e)
{
    QString t = Int2Str(index, 3) + QStringLiteral(": ") + CRLF;
    auto add = [&t](const QString &line) { t += line + CRLF; };
    add(QStringLiteral("MenoKlavesy=\"") + o.MenoKlavesy + QStringLiteral("\" ") + p + u'"' + s.MenoKlavesy +
        u'"' + e);
    add(QStringLiteral("HintKlavesy=\"") + o.HintKlavesy + QStringLiteral("\" ") + p + u'"' + s.HintKlavesy +
        u'"' + e);
    add(QStringLiteral("MSNcislo=") + hexBytes(o.MSNcislo) + u' ' + p + hexBytes(s.MSNcislo) + e);
    add(QStringLiteral("MSNpriznak=") + hexBytes(o.MSNpriznak) + u' ' + p + hexBytes(s.MSNpriznak) + e);
    add(QStringLiteral("Volba=\"") + QString::number(o.Volba) + QStringLiteral("\" ") + p + u'"' +
        QString::number(s.Volba) + u'"' + e);
    add(QStringLiteral("SkratenaVolba=") + speedDialText(o) + u' ' + p + speedDialText(s) + e);
    const struct {
        const char *label;
        Byte TKlavesa::*field;
    } bytes[] = {{"bitovyByte=", &TKlavesa::bitovyByte},
                 {"TypLinky=", &TKlavesa::TypLinky},
                 {"KodDosky=", &TKlavesa::KodDosky},
                 {"HWPozicDosky=", &TKlavesa::HWPozicDosky},
                 {"PozicLinky=", &TKlavesa::PozicLinky},
                 {"PozicRLinky=", &TKlavesa::PozicRLinky},
                 {"ObsluhaKlavesy=", &TKlavesa::ObsluhaKlavesy},
                 {"NumLin=", &TKlavesa::NumLin},
                 {"Led=", &TKlavesa::Led},
                 {"CisloUcastnika=", &TKlavesa::CisloUcastnika}};
    for (const auto &b : bytes)
        add(QLatin1String(b.label) + hex2(o.*b.field) + QStringLiteral("H ") + p + hex2(s.*b.field) +
            QStringLiteral("H") + e);
    add(QStringLiteral("TextColor=") + hexColour(o.TextColor) + QStringLiteral("H ") + p +
        hexColour(s.TextColor) + QStringLiteral("H") + e);
    return t;
}

bool sameBinding(const TKlavesa &a, const TKlavesa &b)
{
    return a.TypLinky == b.TypLinky && a.KodDosky == b.KodDosky && a.HWPozicDosky == b.HWPozicDosky &&
           a.PozicLinky == b.PozicLinky && a.PozicRLinky == b.PozicRLinky &&
           a.ObsluhaKlavesy == b.ObsluhaKlavesy && a.CisloUcastnika == b.CisloUcastnika;
}

bool sameKey(const TKlavesa &a, const TKlavesa &b)
{
    return a.MenoKlavesy == b.MenoKlavesy && a.HintKlavesy == b.HintKlavesy && a.MenoLinky == b.MenoLinky &&
           sameBinding(a, b) && a.Led == b.Led && a.bitovyByte == b.bitovyByte && a.NumLin == b.NumLin &&
           a.Volba == b.Volba && a.TextColor == b.TextColor && a.SkratenaVolba == b.SkratenaVolba &&
           a.MSNpriznak == b.MSNpriznak && a.MSNcislo == b.MSNcislo;
}

bool isFreeLine(const TLinka &l)
{
    return l.MenoLinky == NekonfName && l.Klavesa == 255;
}
bool isFreeExt(const TRLinka &r)
{
    return r.MenoRLinky == NekonfName && r.Klavesa == 255;
}

// --- copying and writing back ---

std::unique_ptr<TLinka> cloneLine(const TLinka &l)
{
    auto n = std::make_unique<TLinka>();
    n->MenoLinky = l.MenoLinky;
    n->CisloLinky = l.CisloLinky;
    n->Klavesa = l.Klavesa;
    n->PocetRLiniek = l.PocetRLiniek;
    for (int e = 0; e < ExtLineCount; ++e)
        if (l.RLinky[e])
            n->RLinky[e] = std::make_unique<TRLinka>(*l.RLinky[e]);
    return n;
}

std::unique_ptr<TDoska> cloneBoard(const TDoska &d)
{
    auto n = std::make_unique<TDoska>();
    n->MenoDosky = d.MenoDosky;
    n->CisloDosky = d.CisloDosky;
    n->PocetLiniek = d.PocetLiniek;
    for (int j = 0; j < LineCount; ++j)
        if (d.Linky[j])
            n->Linky[j] = cloneLine(*d.Linky[j]);
    return n;
}

std::unique_ptr<TPult> cloneConsole(const TPult &p)
{
    auto n = std::make_unique<TPult>();
    n->TypPultu = p.TypPultu;
    n->PocetObrazoviek = p.PocetObrazoviek;
    n->FNGSMR = p.FNGSMR;
    n->ReplyField5 = p.ReplyField5;
    n->ReplyField8 = p.ReplyField8;
    for (int k = 0; k < KeyCount; ++k)
        if (p.Klavesy[k])
            n->Klavesy[k] = std::make_unique<TKlavesa>(*p.Klavesy[k]);
    for (int b = 0; b < BoardCount; ++b)
        if (p.Dosky[b])
            n->Dosky[b] = cloneBoard(*p.Dosky[b]);
    for (int t = 0; t < PhoneCount; ++t)
        if (p.TelZoznam[t])
            n->TelZoznam[t] = std::make_unique<TTelZoznam>(*p.TelZoznam[t]);
    return n;
}

template <typename T> void setField(T &dst, const T &src, bool &changed)
{
    if (dst != src) {
        dst = src;
        changed = true;
    }
}

// Moves what src holds and dst lacks; copies the fields of what both hold.
// The objects dst already has stay (windows may point at them). A merge
// never removes an object, so what only dst holds stays too.
template <typename T, std::size_t N, typename Update>
void writeBack(std::array<std::unique_ptr<T>, N> &dst, std::array<std::unique_ptr<T>, N> &src, bool &changed,
               Update update)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (!src[i])
            continue;
        if (!dst[i]) {
            dst[i] = std::move(src[i]);
            changed = true;
        } else {
            update(*dst[i], *src[i]);
        }
    }
}

bool writeMerged(TAPult &dst, TAPult &src)
{
    bool changed = false;
    for (int s = 0; s < BoardCount; ++s) {
        setField(dst.SlotyDosiek[s].Meno, src.SlotyDosiek[s].Meno, changed);
        setField(dst.SlotyDosiek[s].Kod, src.SlotyDosiek[s].Kod, changed);
    }
    writeBack(dst.Pulty, src.Pulty, changed, [&changed](TPult &dp, TPult &sp) {
        setField(dp.TypPultu, sp.TypPultu, changed);
        setField(dp.PocetObrazoviek, sp.PocetObrazoviek, changed);
        writeBack(dp.Klavesy, sp.Klavesy, changed, [&changed](TKlavesa &dk, TKlavesa &sk) {
            if (!sameKey(dk, sk)) {
                dk.Assign(&sk);
                changed = true;
            }
        });
        writeBack(dp.Dosky, sp.Dosky, changed, [&changed](TDoska &dd, TDoska &sd) {
            setField(dd.MenoDosky, sd.MenoDosky, changed);
            setField(dd.CisloDosky, sd.CisloDosky, changed);
            setField(dd.PocetLiniek, sd.PocetLiniek, changed);
            writeBack(dd.Linky, sd.Linky, changed, [&changed](TLinka &dl, TLinka &sl) {
                setField(dl.MenoLinky, sl.MenoLinky, changed);
                setField(dl.CisloLinky, sl.CisloLinky, changed);
                setField(dl.Klavesa, sl.Klavesa, changed);
                setField(dl.PocetRLiniek, sl.PocetRLiniek, changed);
                writeBack(dl.RLinky, sl.RLinky, changed, [&changed](TRLinka &dr, TRLinka &sr) {
                    setField(dr.MenoRLinky, sr.MenoRLinky, changed);
                    setField(dr.CisloRLinky, sr.CisloRLinky, changed);
                    setField(dr.Klavesa, sr.Klavesa, changed);
                });
            });
        });
    });
    return changed;
}

// --- the two-sided binding of keys and lines ---

// One object whose binding is broken: a line, an extended line or a key.
struct Broken {
    enum Kind { Line, Ext, Key } kind;
    int console, slot, line, ext, key;

    QString id() const
    {
        return QStringLiteral("%1/%2/%3/%4/%5/%6")
            .arg(int(kind))
            .arg(console)
            .arg(slot)
            .arg(line)
            .arg(ext)
            .arg(key);
    }
};

bool namesLine(const TKlavesa &k, int slot, int line)
{
    return k.HWPozicDosky == slot && k.PozicLinky == line;
}

// Every line or extended line bound to a key that does not name it, every line
// marked 253 without a bound extended line, every bound key whose line does not
// point back. The places beyond the counts are looked at as well.
std::vector<Broken> brokenBindings(const TAPult &a)
{
    std::vector<Broken> out;
    for (int c = 0; c < ConsoleCount; ++c) {
        const TPult *p = a.Pulty[c].get();
        if (!p)
            continue;
        for (int s = 0; s < BoardCount; ++s) {
            const TDoska *d = p->Dosky[s].get();
            if (!d)
                continue;
            for (int j = 0; j < LineCount; ++j) {
                const TLinka *l = d->Linky[j].get();
                if (!l)
                    continue;
                bool keyedExt = false;
                for (int e = 0; e < ExtLineCount; ++e) {
                    const TRLinka *r = l->RLinky[e].get();
                    if (!r || r->Klavesa == 255)
                        continue;
                    const TKlavesa *k = r->Klavesa < KeyCount ? p->Klavesy[r->Klavesa].get() : nullptr;
                    if (!k || !namesLine(*k, s, j) || k->PozicRLinky != e)
                        out.push_back({Broken::Ext, c, s, j, e, r->Klavesa});
                    keyedExt = keyedExt || r->Klavesa < KeyCount;
                }
                bool bad = false;
                if (l->Klavesa < KeyCount) {
                    const TKlavesa *k = p->Klavesy[l->Klavesa].get();
                    bad = !k || !namesLine(*k, s, j);
                } else if (l->Klavesa == 253) {
                    bad = !keyedExt;
                } else {
                    bad = l->Klavesa != 255;
                }
                if (bad)
                    out.push_back({Broken::Line, c, s, j, 255, l->Klavesa});
            }
        }
        for (int k = 0; k < KeyCount; ++k) {
            const TKlavesa *key = p->Klavesy[k].get();
            if (!key || key->HWPozicDosky == 255 || key->MenoLinky == NekonfName || key->TypLinky == 255)
                continue;
            const TDoska *d = key->HWPozicDosky < BoardCount ? p->Dosky[key->HWPozicDosky].get() : nullptr;
            const TLinka *l = d && key->PozicLinky < LineCount ? d->Linky[key->PozicLinky].get() : nullptr;
            const TRLinka *r =
                l && key->PozicRLinky < ExtLineCount ? l->RLinky[key->PozicRLinky].get() : nullptr;
            if (!l || (l->Klavesa != k && !(r && r->Klavesa == k)))
                out.push_back({Broken::Key, c, key->HWPozicDosky, key->PozicLinky, key->PozicRLinky, k});
        }
    }
    return out;
}

const TLinka *lineAt(const TAPult &a, int c, int s, int j)
{
    const TPult *p = a.Pulty[c].get();
    const TDoska *d = p ? p->Dosky[s].get() : nullptr;
    return d ? d->Linky[j].get() : nullptr;
}

// The entries of what a merge of orig into merged would break.
QStringList newlyBroken(const TAPult &orig, const TAPult &merged, const TAPult &save)
{
    QSet<QString> before;
    for (const Broken &b : brokenBindings(orig))
        before.insert(b.id());
    QStringList entries;
    QSet<QString> shown;
    const TLinka noLine;
    const TRLinka noExt;
    const TKlavesa noKey;
    for (const Broken &b : brokenBindings(merged)) {
        if (before.contains(b.id()) || shown.contains(b.id()))
            continue;
        shown.insert(b.id());
        if (b.kind == Broken::Key) {
            const TPult *op = orig.Pulty[b.console].get();
            const TPult *sp = save.Pulty[b.console].get();
            const TKlavesa *ok = op ? op->Klavesy[b.key].get() : nullptr;
            const TKlavesa *sk = sp ? sp->Klavesy[b.key].get() : nullptr;
            entries << keyEntry(b.key, ok ? *ok : noKey, sk ? *sk : noKey, QStringLiteral("["),
                                QStringLiteral("]"));
            continue;
        }
        const TLinka *ol = lineAt(orig, b.console, b.slot, b.line);
        const TLinka *sl = lineAt(save, b.console, b.slot, b.line);
        if (b.kind == Broken::Line) {
            entries << lineEntry(ol ? *ol : noLine, sl ? *sl : noLine, false);
        } else {
            const TRLinka *orr = ol ? ol->RLinky[b.ext].get() : nullptr;
            const TRLinka *sr = sl ? sl->RLinky[b.ext].get() : nullptr;
            entries << extEntry(orr ? *orr : noExt, sr ? *sr : noExt, false);
        }
    }
    return entries;
}

// --- the comparison ---

class Comparison
{
public:
    Comparison(TAPult &orig, const TAPult &save, int keys2, int keys1, bool merge, QStringList *report)
        : O(orig), S(save), keys2(keys2), keys1(keys1), merge(merge), report(report)
    {
    }

    // Steps up to the keys of the last console; false on a conflict.
    bool Run();

    QStringList TakeOver;
    bool Stopped = false; // a merge ended at a conflict of the header, slots, boards or lines

private:
    // Records a conflict; true when the operation ends here.
    bool conflict(const QString &entry)
    {
        result = false;
        AppendReportLine(report, entry);
        Stopped = merge;
        return merge;
    }

    bool header();
    bool boardSlots();
    bool console(int p);
    bool board(TPult &op, const TPult &sp, int b);
    bool line(TPult &op, const TPult &sp, TLinka &ol, const TLinka &sl);
    bool extLine(TRLinka &orr, const TRLinka &sr);
    void keys(TPult &op, const TPult &sp);

    TAPult &O;
    const TAPult &S;
    const int keys2, keys1;
    const bool merge;
    QStringList *report;
    bool result = true;
    std::array<TKlavesa, KeyCount> work;
};

bool Comparison::Run()
{
    if (header() || boardSlots())
        return false;
    for (int p = 0; p < consoleCount(O); ++p)
        if (console(p))
            return false;
    return result;
}

bool Comparison::header()
{
    const auto count = [](std::int32_t o, std::int32_t s) {
        return QStringLiteral(" [Orig=%1; Save=%2]. ").arg(o).arg(s);
    };
    if (O.PocetPultov != S.PocetPultov &&
        conflict(LoadStrDll(209) + count(O.PocetPultov, S.PocetPultov) + LoadStrDll(206)))
        return true;
    if (O.TypDosiek != S.TypDosiek &&
        conflict(LoadStrDll(210) + count(O.TypDosiek, S.TypDosiek) + LoadStrDll(206)))
        return true;
    if (result && O.TypNumlinov != S.TypNumlinov &&
        conflict(QStringLiteral("Typ numlinov je rozny") + count(O.TypNumlinov, S.TypNumlinov) +
                 LoadStrDll(206)))
        return true;
    return false;
}

bool Comparison::boardSlots()
{
    for (int s = 0; s < BoardCount; ++s) {
        const TSlotEntry &ss = S.SlotyDosiek[s];
        TSlotEntry &os = O.SlotyDosiek[s];
        if (ss.Meno.isEmpty())
            continue;
        if (os.Kod != 255) {
            if ((os.Meno != ss.Meno || os.Kod != ss.Kod) &&
                conflict(LoadStrDll(211) + QStringLiteral(" %1 [Orig=\"").arg(s) + os.Meno +
                         QStringLiteral("\"(") + hex2(os.Kod) + QStringLiteral(")H, Save=\"") + ss.Meno +
                         QStringLiteral("\"(") + hex2(ss.Kod) + QStringLiteral("H)].")))
                return true;
        } else if (merge) {
            os = ss;
        }
    }
    return false;
}

bool Comparison::console(int p)
{
    const TPult *sp = S.Pulty[p].get();
    if (!sp)
        return false;
    if (!O.Pulty[p])
        O.Pulty[p] = std::make_unique<TPult>();
    TPult &op = *O.Pulty[p];
    for (int k = 0; k < KeyCount; ++k)
        work[k].Assign(op.Klavesy[k].get());

    for (int b = 0; b < BoardCount; ++b)
        if (sp->Dosky[b] && board(op, *sp, b))
            return true;
    keys(op, *sp);

    if (merge && result) {
        if (op.TypPultu == 0 && sp->TypPultu != 0)
            op.TypPultu = sp->TypPultu;
        const int saveKeys = ScaledLimit224(sp->TypPultu, sp->PocetObrazoviek, keys2, keys1);
        const int origKeys = ScaledLimit224(op.TypPultu, op.PocetObrazoviek, keys2, keys1);
        if (saveKeys > origKeys && sp->PocetObrazoviek > op.PocetObrazoviek)
            op.PocetObrazoviek = sp->PocetObrazoviek;
        for (int k = 0; k < KeyCount; ++k)
            work[k].CopyTo(op.Klavesy[k]);
    }
    return false;
}

bool Comparison::board(TPult &op, const TPult &sp, int b)
{
    const TDoska &sd = *sp.Dosky[b];
    if (!op.Dosky[b])
        op.Dosky[b] = std::make_unique<TDoska>();
    TDoska &od = *op.Dosky[b];
    if (od.MenoDosky.isEmpty()) {
        if (merge) {
            od.MenoDosky = sd.MenoDosky;
            od.CisloDosky = sd.CisloDosky;
            od.PocetLiniek = sd.PocetLiniek;
        } else if (!sd.MenoDosky.isEmpty() || od.CisloDosky != sd.CisloDosky ||
                   od.PocetLiniek != sd.PocetLiniek) {
            TakeOver << boardEntry(od, sd, true);
        }
    } else if (od.MenoDosky != sd.MenoDosky && conflict(boardEntry(od, sd, false))) {
        return true;
    }

    for (int j = 0; j < lineCount(od); ++j) {
        const TLinka *sl = sd.Linky[j].get();
        if (!sl)
            continue;
        if (!od.Linky[j])
            od.Linky[j] = std::make_unique<TLinka>();
        if (sl->Klavesa == 255)
            continue;
        if (line(op, sp, *od.Linky[j], *sl))
            return true;
    }
    return false;
}

bool Comparison::line(TPult &op, const TPult &sp, TLinka &ol, const TLinka &sl)
{
    if (isFreeLine(ol) || ol.MenoLinky == sl.MenoLinky) {
        if (ol.MenoLinky == sl.MenoLinky && sl.Klavesa != 253 && sl.Klavesa < KeyCount &&
            ol.Klavesa < KeyCount)
            work[ol.Klavesa].Reset();
        if ((sl.Klavesa < KeyCount && work[sl.Klavesa].MenoLinky == NekonfName) || sl.Klavesa == 253) {
            if (merge) {
                ol.MenoLinky = sl.MenoLinky;
                ol.CisloLinky = sl.CisloLinky;
                ol.Klavesa = sl.Klavesa;
                ol.PocetRLiniek = sl.PocetRLiniek;
            } else if (ol.MenoLinky != sl.MenoLinky || ol.CisloLinky != sl.CisloLinky ||
                       ol.Klavesa != sl.Klavesa || ol.PocetRLiniek != sl.PocetRLiniek) {
                TakeOver << lineEntry(ol, sl, true);
            }
        }
    }

    bool differ = ol.MenoLinky != sl.MenoLinky;
    if (differ && ol.Klavesa < KeyCount && sl.Klavesa < KeyCount) {
        const TKlavesa *ok = op.Klavesy[ol.Klavesa].get();
        const TKlavesa *sk = sp.Klavesy[sl.Klavesa].get();
        if (ok && sk && ok->TypLinky == sk->TypLinky)
            differ = false;
    }
    if (differ && ol.MenoLinky != NekonfName && conflict(lineEntry(ol, sl, false)))
        return true;

    for (int e = 0; e < extCount(ol); ++e) {
        const TRLinka *sr = sl.RLinky[e].get();
        if (!sr)
            continue;
        if (!ol.RLinky[e])
            ol.RLinky[e] = std::make_unique<TRLinka>();
        if (sr->Klavesa < 255 && extLine(*ol.RLinky[e], *sr))
            return true;
    }
    return false;
}

bool Comparison::extLine(TRLinka &orr, const TRLinka &sr)
{
    if (orr.MenoRLinky == sr.MenoRLinky && sr.Klavesa != 253 && sr.Klavesa < KeyCount &&
        orr.Klavesa < KeyCount)
        work[orr.Klavesa].Reset();
    if (isFreeExt(orr) && sr.Klavesa < KeyCount && work[sr.Klavesa].MenoLinky == NekonfName) {
        if (merge) {
            orr.MenoRLinky = sr.MenoRLinky;
            orr.CisloRLinky = sr.CisloRLinky;
            orr.Klavesa = sr.Klavesa;
        } else {
            TakeOver << extEntry(orr, sr, true);
        }
    }
    return orr.MenoRLinky != sr.MenoRLinky && orr.MenoRLinky != NekonfName &&
           conflict(extEntry(orr, sr, false));
}

void Comparison::keys(TPult &op, const TPult &sp)
{
    for (int k = 0; k < KeyCount; ++k) {
        const TKlavesa *sk = sp.Klavesy[k].get();
        if (!sk)
            continue;
        QString text;
        if (!CompareReport(work[k], Byte(k), *sk, merge, text)) {
            result = false;
            if (!text.isEmpty())
                AppendReportLine(report, text);
        } else if (!text.isEmpty()) {
            // A key the merge would leave as it is has nothing to take over.
            const TKlavesa *ok = op.Klavesy[k].get();
            if (!ok || !sameKey(*ok, *sk))
                TakeOver << text;
        }
    }
}

} // namespace

void AppendReportLine(QStringList *List, const QString &Line)
{
    if (List)
        List->append(Line);
}

bool CompareReport(TKlavesa &Key, Byte Index, const TKlavesa &Save, bool Merge, QString &Text)
{
    if (Save.IsUnconfigured())
        return true;
    if (sameBinding(Key, Save)) {
        if (Merge)
            Key.Assign(&Save);
        return true;
    }
    const bool result = Key.IsUnconfigured();
    const bool arrow = !Merge && result;
    Text = keyEntry(Index, Key, Save, arrow ? TakeArrow : QStringLiteral("["),
                    arrow ? QString() : QStringLiteral("]"));
    if (result && Merge)
        Key.Assign(&Save);
    return result;
}

std::unique_ptr<TAPult> CloneConfiguration(const TAPult &Source)
{
    auto n = std::make_unique<TAPult>(Source.CestaProgramu);
    n->PocetPultov = Source.PocetPultov;
    n->TypDosiek = Source.TypDosiek;
    n->TypNumlinov = Source.TypNumlinov;
    n->TypSystemu = Source.TypSystemu;
    n->CasUkonceniaVyzvanania = Source.CasUkonceniaVyzvanania;
    n->RezimDORST = Source.RezimDORST;
    n->Vlastnosti = Source.Vlastnosti;
    n->TabTelZozOK = Source.TabTelZozOK;
    n->VerziaDat = Source.VerziaDat;
    n->ReplyField5 = Source.ReplyField5;
    n->ReplyField8 = Source.ReplyField8;
    n->DoskySystemu = Source.DoskySystemu;
    n->KodHodnota = Source.KodHodnota;
    n->SlotyDosiek = Source.SlotyDosiek;
    n->TabulkaPriznakov = Source.TabulkaPriznakov;
    for (int p = 0; p < ConsoleCount; ++p)
        if (Source.Pulty[p])
            n->Pulty[p] = cloneConsole(*Source.Pulty[p]);
    return n;
}

bool CompareWith(TAPult &Orig, const TAPult &Save, int KeysPerScreen2, int KeysPerScreen1, bool Merge,
                 QStringList *Report, bool *Changed)
{
    if (Changed)
        *Changed = false;
    // Comparing creates objects where Save has them: it works on a copy too.
    auto work = CloneConfiguration(Orig);
    Comparison run(*work, Save, KeysPerScreen2, KeysPerScreen1, Merge, Report);
    bool result = run.Run();
    if (run.Stopped)
        return false;

    if (result) {
        const TAPult *merged = work.get();
        std::unique_ptr<TAPult> trial;
        if (!Merge) {
            trial = CloneConfiguration(Orig);
            Comparison m(*trial, Save, KeysPerScreen2, KeysPerScreen1, true, nullptr);
            merged = m.Run() ? trial.get() : nullptr;
        }
        if (merged) {
            const QStringList broken = newlyBroken(Orig, *merged, Save);
            for (const QString &entry : broken)
                AppendReportLine(Report, entry);
            result = broken.isEmpty();
        }
    }

    AppendReportLine(Report, QString());
    AppendReportLine(Report, QStringLiteral("--== ") + LoadStrDll(212) + QStringLiteral(" ==--"));
    AppendReportLine(Report, QString());
    for (const QString &entry : run.TakeOver)
        AppendReportLine(Report, entry);

    if (Merge && result) {
        const bool changed = writeMerged(Orig, *work);
        if (Changed)
            *Changed = changed;
    }
    return result;
}
