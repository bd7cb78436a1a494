#include "tests/model/oldfiles.h"

#include <QList>
#include <QRegularExpression>

namespace {

int levelOf(const QString &version)
{
    if (version == QLatin1String("1.0"))
        return 10;
    static const char *const known[] = {"2.0", "2.1", "2.2", "2.3", "2.4", "2.5"};
    for (int i = 0; i < 6; ++i)
        if (version == QLatin1String(known[i]))
            return 20 + i;
    return 26;
}

struct Line {
    QByteArray value;
    QByteArray comment;
    bool hasComment = false;
};

QList<Line> split(const QByteArray &text)
{
    QList<Line> lines;
    for (QByteArray raw : text.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        Line l;
        const qsizetype semi = raw.lastIndexOf(';');
        l.hasComment = semi >= 0;
        l.value = l.hasComment ? raw.left(semi) : raw;
        l.comment = l.hasComment ? raw.mid(semi + 1) : QByteArray();
        lines.append(l);
    }
    if (!lines.isEmpty() && lines.last().value.isEmpty() && !lines.last().hasComment)
        lines.removeLast();
    return lines;
}

// "E1-H3 rest" -> "1H3 rest"
bool shorten(QByteArray &value)
{
    static const QRegularExpression longForm(QStringLiteral("^E([01])-([LH])([0-7]) "));
    const auto m = longForm.match(QString::fromLatin1(value));
    if (!m.hasMatch())
        return false;
    value = (m.captured(1) + m.captured(2) + m.captured(3)).toLatin1() + value.mid(5);
    return true;
}

const char *const slotOld[][2] = {{"TUL10", "TUNI10"}, {"TAUT3", "TAUT"}, {"TMB5", "TMB"}, {"TUB5", "TUB"}};
const char *const boardOld[][2] = {{"UL10", "UNI10"}, {"AUT3", "AUT"}, {"MB5", "MB"}, {"UB5", "UB"}};

} // namespace

QByteArray OldProjectText(const TAPult &cfg, const QString &version, bool oldNames)
{
    const int level = levelOf(version);
    QList<Line> lines = split(cfg.ProjectText());
    const qsizetype flagStart = lines.size() - 80;
    QByteArray out;
    bool firstExtReplaced = false;
    int slotNameLines = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Line l = lines[i];
        const QByteArray &c = l.comment;
        const QByteArray prev = i > 0 ? lines[i - 1].comment : QByteArray();
        if (i == 0) {
            if (level == 10)
                continue;
            out += "ORV ver" + version.toLatin1() + "\r\n";
            continue;
        }
        if (level <= 25 && (i >= flagStart || c == "typ systemu" || c == "cas ukoncenia vyzvanania" || c == "rezim DORST"))
            continue;
        if (level < 25 && c == "FN GSMR")
            continue;
        if (level < 24 && c == "farba klavesy")
            continue;
        if (level < 23 && (c == "MSN cislo" || c == "MSN priznaky"))
            continue;
        if (level < 22 && c == "typ volby")
            continue;
        if (level < 21 && (c == "pocet poloziek telefonneho zoznamu" || c == "meno" || c == "cislo"))
            continue;
        // The first layout kept the first place of a numbered line as no extended line.
        if (level == 10 && !firstExtReplaced && c == "poradie rozsirenej linky" && l.value == "0"
            && lines[i - 3].comment == "jej cislo" && lines[i - 3].value != "255") {
            out += "null;nema definovanu rozsirenu linku\r\n";
            i += 3;
            firstExtReplaced = true;
            continue;
        }
        if (oldNames) {
            if (c.endsWith(". doska") && slotNameLines++ < 32) {
                for (const auto &n : slotOld)
                    if (l.value == n[0])
                        l.value = n[1];
            } else if (c == "jej meno" && prev == "poradie dosky") {
                for (const auto &n : boardOld)
                    if (l.value == n[0])
                        l.value = n[1];
            } else if (c == "meno klavesy") {
                QByteArray v = l.value;
                if (shorten(v))
                    l.value = v.left(v.indexOf(' ')) + " - " + l.value; // doubled prefix
            } else if (c == "uzivatelske meno klavesy" || c == "jej uzivatelsky hint"
                       || (c == "jej meno" && (prev == "poradie linky" || prev == "poradie rozsirenej linky"))) {
                shorten(l.value);
            }
        }
        out += l.value;
        if (l.hasComment)
            out += ';' + l.comment;
        out += "\r\n";
    }
    return out;
}

void StripToVersion(TAPult &cfg, const QString &version)
{
    const int level = levelOf(version);
    bool extDone = false;
    if (level <= 25) {
        cfg.TypSystemu = 0;
        cfg.CasUkonceniaVyzvanania = 0;
        cfg.RezimDORST = 0;
        for (auto &r : cfg.TabulkaPriznakov)
            r.fill(0);
    }
    for (auto &p : cfg.Pulty) {
        if (!p)
            continue;
        if (level < 25)
            p->FNGSMR.clear();
        if (level < 21)
            for (auto &t : p->TelZoznam)
                t.reset();
        for (auto &k : p->Klavesy) {
            if (!k)
                continue;
            if (level < 24)
                k->TextColor = 0;
            if (level < 23) {
                k->MSNcislo.fill(255);
                k->MSNpriznak.fill(0);
            }
            if (level < 22)
                k->Volba = 160;
        }
        if (level == 10 && !extDone) {
            // The first numbered line with extended lines gets its line as extended line 0.
            for (auto &d : p->Dosky) {
                if (!d || extDone)
                    continue;
                for (int j = 0; j < d->PocetLiniek && !extDone; ++j) {
                    TLinka *l = d->Linky[j].get();
                    if (l && l->CisloLinky != 255 && l->PocetRLiniek > 0 && l->RLinky[0]) {
                        l->RLinky[0]->MenoRLinky = l->MenoLinky;
                        l->RLinky[0]->CisloRLinky = 0;
                        l->RLinky[0]->Klavesa = l->Klavesa;
                        extDone = true;
                        break;
                    }
                }
            }
        }
    }
}
