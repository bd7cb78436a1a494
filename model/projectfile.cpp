// The project text file (.orv): writing, reading of every older layout, the
// dated backup and the upgrade copies.

#include "model/objekty.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cardpack/dll_load.h"
#include "cardpack/konstkarty.h"
#include "model/conversions.h"
#include "model/reporter.h"
#include "platform/codepage.h"
#include "platform/programfolder.h"

namespace {

// The format has no quoting. Line breaks inside a text would split it into
// lines of their own, so they are kept as two control characters that no
// typed text holds. A ";" needs nothing: the reader splits at the last ";"
// and no comment holds one.
constexpr char16_t StoredCR = 0x1D;
constexpr char16_t StoredLF = 0x1E;

const QString NullText = QStringLiteral("null");

QString fileBase(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString name = fi.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return fileName;
    return fileName.left(fileName.size() - (name.size() - dot));
}

QString baseName(const QString &fileName)
{
    return QFileInfo(fileBase(fileName)).fileName();
}

// --- writing ---

class Writer
{
public:
    QByteArray out;

    Writer() { out.reserve(1 << 20); }

    void raw(const char *text)
    {
        out.append(text);
        out.append("\r\n");
    }

    // The bytes a text is stored as. The reader drops blanks at the end of a
    // value, so they are not written: a second save then writes the same bytes
    // as the first, and the file reads as the original program reads it.
    static QByteArray stored(const QString &value)
    {
        QByteArray bytes;
        if (value.contains(u'\r') || value.contains(u'\n')) {
            QString v = value;
            v.replace(u'\r', QChar(StoredCR));
            v.replace(u'\n', QChar(StoredLF));
            bytes = platform::ToCp1250(v);
        } else {
            bytes = platform::ToCp1250(value);
        }
        qsizetype n = bytes.size();
        while (n > 0 && bytes[n - 1] == ' ')
            --n;
        bytes.truncate(n);
        return bytes;
    }

    void text(const QString &value, const char *comment)
    {
        out.append(stored(value));
        end(comment);
    }

    // A text that must never read back as the word "null": a trailing blank
    // keeps it apart (the original writer never puts one after "null").
    void namedText(const QString &value, const char *comment)
    {
        const QByteArray bytes = stored(value);
        out.append(bytes);
        if (bytes == "null")
            out.append(' ');
        end(comment);
    }

    // One blank as the value.
    void blank(const char *comment)
    {
        out.append(' ');
        end(comment);
    }

    void number(std::int64_t value, const char *comment)
    {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, value);
        out.append(buf, r.ptr - buf);
        end(comment);
    }

    void hex(const Byte *bytes, int count, const char *comment)
    {
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < count; ++i) {
            out.append(digits[bytes[i] >> 4]);
            out.append(digits[bytes[i] & 15]);
        }
        end(comment);
    }

    void null(const char *comment)
    {
        out.append("null");
        end(comment);
    }

    void end(const char *comment)
    {
        out.append(';');
        out.append(comment);
        out.append("\r\n");
    }

    void endLatin(const QString &comment)
    {
        out.append(';');
        out.append(comment.toLatin1());
        out.append("\r\n");
    }
};

// A configured key: the reader gives it a one-blank name when its name is empty.
bool KeepsBlankName(const TKlavesa &k)
{
    return k.MenoLinky != NekonfName && k.ObsluhaKlavesy != 1;
}

// Empty or only blanks: a name the reader gives back as one blank.
bool IsBlanks(const QString &text)
{
    return std::ranges::all_of(text, [](QChar c) { return c == u' '; });
}

void writeKey(Writer &w, const TKlavesa &k)
{
    // A configured key's empty or blank name is written as the one blank it
    // reads back as, so Save, Open and Save give the same bytes.
    if (IsBlanks(k.MenoKlavesy) && KeepsBlankName(k))
        w.blank("uzivatelske meno klavesy");
    else
        w.namedText(k.MenoKlavesy, "uzivatelske meno klavesy");
    w.text(k.HintKlavesy, "jej uzivatelsky hint");
    w.text(k.MenoLinky, "meno klavesy");
    w.number(k.TypLinky, "typ linky");
    w.number(k.HWPozicDosky, "HW pozicia dosky");
    w.number(k.PozicLinky, "pozicia priradenej linky");
    w.number(k.PozicRLinky, "pozicia priradenej rozsirenej linky");
    w.number(k.NumLin, "NumLin priradenej rozsirenej linky");
    w.number(k.Led, "Ledka priradenej rozsirenej linky");
    w.number(k.CisloUcastnika, "Cislo ucastnika priradenej rozsirenej linky");
    w.number(k.bitovyByte, "bitovy byte");
    w.number(k.KodDosky, "kod dosky");
    w.number(k.ObsluhaKlavesy, "obsluha klavesy");
    w.number(k.Volba, "typ volby");
    w.hex(k.SkratenaVolba.data(), int(k.SkratenaVolba.size()), "skratena volba");
    w.hex(k.MSNcislo.data(), int(k.MSNcislo.size()), "MSN cislo");
    w.hex(k.MSNpriznak.data(), int(k.MSNpriznak.size()), "MSN priznaky");
    w.number(k.TextColor, "farba klavesy");
}

void writeBoard(Writer &w, int b, const TDoska &d)
{
    w.number(b, "poradie dosky");
    w.text(d.MenoDosky, "jej meno");
    w.number(d.CisloDosky, "jej cislo");
    w.number(d.PocetLiniek, "jej pocet liniek");
    const int lines = std::min<int>(d.PocetLiniek, LineCount);
    for (int j = 0; j < lines; ++j) {
        const TLinka *l = d.Linky[j].get();
        if (!l) {
            w.null("nema definovanu linku");
            continue;
        }
        w.number(j, "poradie linky");
        w.text(l->MenoLinky, "jej meno");
        w.number(l->CisloLinky, "jej cislo");
        w.number(l->Klavesa, "priradena klavesa");
        w.number(l->PocetRLiniek, "pocet rozsirenych liniek");
        const int ext = std::min<int>(l->PocetRLiniek, ExtLineCount);
        for (int e = 0; e < ext; ++e) {
            const TRLinka *r = l->RLinky[e].get();
            if (!r) {
                w.null("nema definovanu rozsirenu linku");
                continue;
            }
            w.number(e, "poradie rozsirenej linky");
            w.text(r->MenoRLinky, "jej meno");
            w.number(r->CisloRLinky, "jej cislo");
            w.number(r->Klavesa, "priradena klavesa");
        }
    }
}

void writeConsole(Writer &w, int p, const TPult &pult)
{
    w.number(p, "poradie pultu");
    w.number(pult.PocetObrazoviek, "pocet obrazoviek");
    w.number(pult.TypPultu, "typ pultu");
    w.namedText(pult.FNGSMR, "FN GSMR");
    for (int b = 0; b < BoardCount; ++b) {
        if (pult.Dosky[b])
            writeBoard(w, b, *pult.Dosky[b]);
        else
            w.null("nema definovanu dosku");
    }
    for (int k = 0; k < KeyCount; ++k) {
        if (pult.Klavesy[k])
            writeKey(w, *pult.Klavesy[k]);
        else
            w.null("nepriradena klavesa");
    }
    // An entry whose name or number is blanks alone would read back empty.
    auto kept = [](const std::unique_ptr<TTelZoznam> &t) {
        return t && !Writer::stored(t->Meno).isEmpty() && !Writer::stored(t->Cislo).isEmpty();
    };
    int count = 0;
    for (const auto &t : pult.TelZoznam)
        if (kept(t))
            ++count;
    w.number(count, "pocet poloziek telefonneho zoznamu");
    for (const auto &t : pult.TelZoznam) {
        if (!kept(t))
            continue;
        w.text(t->Meno, "meno");
        w.text(t->Cislo, "cislo");
    }
}

// The file a save writes: through symbolic links to the file they name, so a
// link stays a link. A link to a missing file names the file to create.
QString saveTarget(const QString &fileName)
{
    namespace fs = std::filesystem;
    fs::path p(QFile::encodeName(fileName).toStdString());
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            return QFile::decodeName(QByteArray::fromStdString(p.string()));
        const fs::path link = fs::read_symlink(p, ec);
        if (ec)
            throw EFileError(fileName, QString::fromStdString(ec.message()));
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    throw EFileError(fileName, QStringLiteral("too many levels of symbolic links"));
}

// Writes all of data to a new file beside target, with the permissions (and,
// where allowed, the owner) of target when it exists; returns its name.
QString writeTemporary(const QString &fileName, const QString &target, const QByteArray &data)
{
    const QString temp = target + QStringLiteral(".new~");
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileError(fileName, f.errorString());
    struct stat old;
    if (::stat(QFile::encodeName(target).constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        // Another owner is kept only where the system lets us; the mode always.
        [[maybe_unused]] const int owner = ::fchown(f.handle(), old.st_uid, old.st_gid);
        if (::fchmod(f.handle(), old.st_mode & 07777) != 0) {
            const QString error = QString::fromLocal8Bit(std::strerror(errno));
            f.close();
            QFile::remove(temp);
            throw EFileError(fileName, error);
        }
    }
    const bool ok = f.write(data) == data.size() && f.flush();
    QString error = f.errorString();
    // On the disk, not only in the system's cache, before it replaces anything:
    // a power cut must never leave an empty or partial project behind.
    const bool synced = ok && ::fsync(f.handle()) == 0;
    if (ok && !synced)
        error = QString::fromLocal8Bit(std::strerror(errno));
    f.close();
    if (!synced || f.error() != QFile::NoError) {
        QFile::remove(temp);
        throw EFileError(fileName, error);
    }
    return temp;
}

// The folder's entry for a renamed file reaches the disk only with the folder.
void syncFolder(const QString &fileName, const QString &file)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(fileName, QString::fromLocal8Bit(std::strerror(errno)));
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // A file system that cannot sync folders has nothing more to give.
    if (result != 0 && error != EINVAL && error != ENOTSUP)
        throw EFileError(fileName, QString::fromLocal8Bit(std::strerror(error)));
}

QString backupStamp(const QDateTime &now)
{
    return now.toString(QStringLiteral("_yyyy-MM-dd_HH-mm-ss"));
}

// The reader's upgrade copies of one project: base_HH.MM.SS.mmm.bak.
QString upgradeCopyMask(const QString &fileName)
{
    return WildcardLiteral(fileBase(fileName))
           + QStringLiteral("_[0-9][0-9].[0-9][0-9].[0-9][0-9].[0-9][0-9][0-9].bak");
}

} // namespace

QByteArray TAPult::ProjectText() const
{
    Writer w;
    w.raw("ORV ver2.6");
    w.number(TypSystemu, "typ systemu");
    w.number(CasUkonceniaVyzvanania, "cas ukoncenia vyzvanania");
    w.number(RezimDORST, "rezim DORST");
    w.number(PocetPultov, "pocet pultov");
    w.number(TypDosiek, "typ dosiek");
    for (int i = 0; i < BoardCount; ++i)
        w.text(SlotyDosiek[i].Meno, (QByteArray::number(i) + ". doska").constData());
    for (int i = 0; i < BoardCount; ++i) {
        char buf[8];
        const auto r = std::to_chars(buf, buf + sizeof buf, int(SlotyDosiek[i].Kod));
        w.out.append(buf, r.ptr - buf);
        w.endLatin(QString::number(i) + QStringLiteral(". doska"));
    }
    const int consoles = std::clamp<int>(PocetPultov, 0, ConsoleCount);
    for (int p = 0; p < consoles; ++p) {
        if (Pulty[p])
            writeConsole(w, p, *Pulty[p]);
        else
            w.null("nedefinovany pult");
    }
    for (int r = 0; r < FlagRecordCount; ++r) {
        const QString comment = r == 0 ? QStringLiteral("00: tabulka priznakov")
                                       : Int2Str(r, 2) + QStringLiteral(" [")
                                             + QStringLiteral("%1").arg(r, 2, 16, QLatin1Char('0')).toUpper()
                                             + QStringLiteral("H]");
        w.hex(TabulkaPriznakov[r].data(), FlagRecordSize, "");
        w.out.chop(3); // the empty comment and its line end
        w.endLatin(comment);
    }
    return w.out;
}

void TAPult::SaveToFile(const QString &FileName) const
{
    const QByteArray data = ProjectText();

    // The new file is complete on disk before the old one is touched.
    const QString target = saveTarget(FileName);
    const QString temp = writeTemporary(FileName, target, data);

    QString backup;
    if (QFileInfo(FileName).isFile()) {
        const QString folder = platform::WritePath(QStringLiteral("backup"));
        QDir().mkpath(folder);
        const QString name =
            folder + u'/' + baseName(FileName) + backupStamp(QDateTime::currentDateTime()) + QStringLiteral(".bak");
        // A backup of the same second is kept as it is; this save then has none.
        if (!QFileInfo::exists(name) && QFile::copy(FileName, name))
            backup = name;
    }

    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(temp).toStdString(), QFile::encodeName(target).toStdString(),
                            ec);
    if (ec) {
        QFile::remove(temp);
        if (!backup.isEmpty())
            QFile::remove(backup);
        throw EFileError(FileName, QString::fromStdString(ec.message()));
    }
    syncFolder(FileName, target);

    if (!backup.isEmpty() && TextFilesEqual(FileName, backup))
        QFile::remove(backup);

    DeleteOldFiles(upgradeCopyMask(FileName), 10);
}

// --- reading ---

namespace {

struct Fault {
    QString reason;
};

enum Level { V10 = 10, V20 = 20, V21 = 21, V22 = 22, V23 = 23, V24 = 24, V25 = 25, VNewer = 26 };

class Reader
{
public:
    Reader(TAPult &cfg, const QByteArray &data) : cfg(cfg), data(data) {}

    TAPult &cfg;
    const QByteArray &data;
    qsizetype pos = 0;  // start of the next line
    qsizetype next = 0; // number of lines read
    int level = VNewer;
    bool upgrade = false;
    bool endReadsEmpty = false; // past the end of the file come empty lines

    QByteArrayView raw;     // the value before its blanks were cut
    QByteArrayView value;   // the value
    QByteArrayView comment; // the comment (kept from the line before when a line has none)

    [[noreturn]] void fault(const QString &reason) const
    {
        throw Fault{QStringLiteral("line %1: %2").arg(next).arg(reason)};
    }

    QString shown() const { return QString::fromLatin1(value.first(std::min<qsizetype>(value.size(), 60))); }

    void readLine()
    {
        if (pos >= data.size()) {
            // A file that ends early is faulty, except in the line flags, whose
            // empty lines are records of zeros.
            if (!endReadsEmpty)
                fault(QStringLiteral("the file ends early"));
            ++next;
            raw = value = comment = QByteArrayView();
            return;
        }
        const char *begin = data.constData() + pos;
        const char *stop = data.constData() + data.size();
        const char *end = begin;
        while (end < stop && *end != '\r' && *end != '\n')
            ++end;
        // CR LF, LF or CR ends a line.
        pos = end - data.constData();
        if (pos < data.size())
            pos += data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n' ? 2 : 1;
        ++next;
        QByteArrayView line(begin, end - begin);
        const qsizetype semi = line.lastIndexOf(';');
        if (semi >= 0) {
            comment = line.sliced(semi + 1);
            line = line.first(semi);
        }
        raw = line;
        qsizetype n = line.size();
        while (n > 0 && line[n - 1] == ' ')
            --n;
        value = line.first(n);
    }

    // The value as text, its line breaks restored.
    QString text() const
    {
        QString t = platform::FromCp1250(value.toByteArray());
        if (t.contains(QChar(StoredCR)) || t.contains(QChar(StoredLF))) {
            t.replace(QChar(StoredCR), u'\r');
            t.replace(QChar(StoredLF), u'\n');
        }
        return t;
    }

    bool isNull() const { return value == "null"; }
    bool rawIsNull() const { return raw == "null"; }
    bool commentIs(const char *c) const { return comment == c; }

    // "null" leaves the preset; otherwise a decimal 32-bit number.
    bool number(std::int32_t &v) const
    {
        if (isNull())
            return true;
        qsizetype i = 0;
        bool negative = false;
        if (i < value.size() && (value[i] == '-' || value[i] == '+'))
            negative = value[i++] == '-';
        if (i == value.size())
            return false;
        std::int64_t n = 0;
        for (; i < value.size(); ++i) {
            const char c = value[i];
            if (c < '0' || c > '9')
                return false;
            n = n * 10 + (c - '0');
            if (n > std::int64_t(INT32_MAX) + 1)
                return false;
        }
        n = negative ? -n : n;
        if (n > INT32_MAX || n < INT32_MIN)
            return false;
        v = std::int32_t(n);
        return true;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    }

    // The byte of hex digits i and i+1 of the value, or -1.
    int hexByte(qsizetype i) const
    {
        const int hi = hexDigit(value[i]), lo = hexDigit(value[i + 1]);
        return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
    }

    std::int32_t readInt(std::int32_t preset, const char *what)
    {
        readLine();
        std::int32_t v = preset;
        if (!number(v))
            fault(QStringLiteral("%1 is not a number: \"%2\"").arg(QLatin1String(what), shown()));
        return v;
    }

    Byte readByte(Byte preset, const char *what)
    {
        const std::int32_t v = readInt(preset, what);
        if (v < 0 || v > 255)
            fault(QStringLiteral("%1 out of range 0..255: %2").arg(QLatin1String(what)).arg(v));
        return Byte(v);
    }

    // An index line: false for "null", else it must carry the expected index.
    bool readIndex(int expected, const char *what)
    {
        readLine();
        if (isNull())
            return false;
        std::int32_t v = 255;
        if (!number(v) || v != expected)
            fault(QStringLiteral("%1 %2 expected, found \"%3\"").arg(QLatin1String(what)).arg(expected).arg(shown()));
        return true;
    }

    // The value of hex digits i and i+1 of the value; past its end a digit is
    // absent: two absent digits are 0, one is the value of the other alone.
    int hexPair(qsizetype i) const
    {
        if (i >= value.size())
            return 0;
        if (i + 1 >= value.size())
            return hexDigit(value[i]);
        return hexByte(i);
    }

    // The 27 speed-dial bytes: 27 pairs, however long the line.
    template <std::size_t N> void readPairs(std::array<Byte, N> &bytes, const char *what)
    {
        readLine();
        for (std::size_t i = 0; i < N; ++i) {
            const int v = hexPair(qsizetype(2 * i));
            if (v < 0)
                fault(QStringLiteral("%1 is not hex: \"%2\"").arg(QLatin1String(what), shown()));
            bytes[i] = Byte(v);
        }
    }

    // As many whole pairs as the line holds, at most N; the other bytes keep their preset.
    template <std::size_t N> void readWholePairs(std::array<Byte, N> &bytes, const char *what)
    {
        readLine();
        const std::size_t count = std::min<std::size_t>(N, std::size_t(value.size() / 2));
        for (std::size_t i = 0; i < count; ++i) {
            const int v = hexByte(qsizetype(2 * i));
            if (v < 0)
                fault(QStringLiteral("%1 is not hex: \"%2\"").arg(QLatin1String(what), shown()));
            bytes[i] = Byte(v);
        }
    }

    void convertOldName(QString &s, const char *const (*table)[2], int count)
    {
        for (int i = 0; i < count; ++i)
            if (TAPult::ReplaceIfEqual(s, QLatin1String(table[i][0]), QLatin1String(table[i][1])))
                upgrade = true;
    }

    static QString firstWord(const QString &s)
    {
        const qsizetype blank = s.indexOf(u' ');
        return blank < 0 ? s : s.left(blank);
    }

    // 1H3 MB -> E1-H3 MB
    void convertPosition(QString &s)
    {
        const qsizetype blank = s.indexOf(u' ');
        if (blank < 0)
            return;
        const QString word = s.left(blank);
        if (!IsLinePosName(word))
            return;
        const QString full = LinePosName(LinePosFromName(word));
        if (full == word)
            return;
        s = full + s.mid(blank);
        upgrade = true;
    }

    // E0-L3 - E0-L3 MB -> E0-L3 MB
    void convertDoubled(QString &s)
    {
        const qsizetype dash = s.indexOf(QLatin1String(" - "));
        if (dash < 0)
            return;
        const QString rest = s.mid(dash + 3);
        if (firstWord(rest) != firstWord(s))
            return;
        s = rest;
        upgrade = true;
    }

    void read();
    void readConsole(int p);
    void readBoard(TPult &pult, int b);
    void readKey(TPult &pult, int k);
};

const char *const slotNames[][2] = {{"TUNI10", "TUL10"}, {"TAUT", "TAUT3"}, {"TMB", "TMB5"}, {"TUB", "TUB5"}};
const char *const boardNames[][2] = {{"UNI10", "UL10"}, {"AUT", "AUT3"}, {"MB", "MB5"}, {"UB", "UB5"}};

void Reader::read()
{
    readLine();
    // The line reader has cut the blanks at the end: "ORV ver2.3 " is version 2.3.
    const QString first = platform::FromCp1250(value.toByteArray());
    if (!first.contains(QLatin1String("ORV ver"))) {
        level = V10;
        upgrade = true;
        pos = next = 0; // the first line is already the console count
    } else {
        const QString version = QString(first).remove(QLatin1String("ORV ver"));
        static const struct {
            const char *text;
            int level;
        } versions[] = {{"2.0", V20}, {"2.1", V21}, {"2.2", V22}, {"2.3", V23}, {"2.4", V24}, {"2.5", V25}};
        level = VNewer;
        for (const auto &v : versions)
            if (version == QLatin1String(v.text))
                level = v.level;
    }

    if (level > V25) {
        cfg.TypSystemu = readByte(0, "system type");
        cfg.CasUkonceniaVyzvanania = readByte(0, "ring end time");
        cfg.RezimDORST = readByte(0, "DORST mode");
    }
    // A configuration without consoles is saved with the count 0.
    cfg.PocetPultov = readInt(255, "console count");
    if (cfg.PocetPultov < 0 || cfg.PocetPultov > ConsoleCount)
        fault(QStringLiteral("console count %1, only 0, 1 or 2 are possible").arg(cfg.PocetPultov));
    cfg.TypDosiek = readInt(255, "board type");

    for (int i = 0; i < BoardCount; ++i) {
        readLine();
        QString name = text();
        convertOldName(name, slotNames, 4);
        cfg.SlotyDosiek[i].Meno = name;
    }
    for (int i = 0; i < BoardCount; ++i)
        cfg.SlotyDosiek[i].Kod = readByte(255, "slot code");

    for (int p = 0; p < cfg.PocetPultov; ++p)
        readConsole(p);

    if (level > V25) {
        endReadsEmpty = true;
        for (int r = 0; r < FlagRecordCount; ++r) {
            readLine();
            TFlagRecord &rec = cfg.TabulkaPriznakov[r];
            for (int i = 0; i < FlagRecordSize; ++i) {
                // A byte without its two digits is 0.
                const int v = 2 * i + 2 <= value.size() ? hexByte(2 * i) : 0;
                if (v < 0)
                    fault(QStringLiteral("line flags are not hex: \"%1\"").arg(shown()));
                rec[i] = Byte(v);
            }
        }
    }
}

void Reader::readConsole(int p)
{
    readLine();
    // Key blocks left over before the console's own index line.
    while (commentIs("uzivatelske meno klavesy") || commentIs("nepriradena klavesa")) {
        upgrade = true;
        if (commentIs("uzivatelske meno klavesy")) {
            do
                readLine();
            while (!commentIs("skratena volba"));
        }
        readLine();
    }
    if (isNull())
        return;
    std::int32_t index = 255;
    if (!number(index) || index != p)
        fault(QStringLiteral("console %1 expected, found \"%2\"").arg(p).arg(shown()));

    cfg.Pulty[p] = std::make_unique<TPult>();
    TPult &pult = *cfg.Pulty[p];
    pult.PocetObrazoviek = readByte(255, "screen count");
    pult.TypPultu = readByte(255, "console type");
    if (level >= V25) {
        readLine();
        if (!rawIsNull())
            pult.FNGSMR = text();
    }
    for (int b = 0; b < BoardCount; ++b)
        readBoard(pult, b);
    for (int k = 0; k < KeyCount; ++k)
        readKey(pult, k);
    if (level >= V21) {
        const std::int32_t count = readInt(255, "phone-book count");
        if (count < 0 || count > PhoneCount)
            fault(QStringLiteral("phone-book count %1 out of range 0..256").arg(count));
        for (int i = 0; i < count; ++i) {
            auto entry = std::make_unique<TTelZoznam>();
            readLine();
            entry->Meno = text();
            readLine();
            entry->Cislo = text();
            pult.TelZoznam[i] = std::move(entry);
        }
    }
}

void Reader::readBoard(TPult &pult, int b)
{
    if (!readIndex(b, "board"))
        return;
    pult.Dosky[b] = std::make_unique<TDoska>();
    TDoska &d = *pult.Dosky[b];
    readLine();
    d.MenoDosky = text();
    convertOldName(d.MenoDosky, boardNames, 4);
    d.CisloDosky = readByte(255, "board code");
    d.PocetLiniek = readByte(255, "line count");
    if (d.PocetLiniek > LineCount)
        fault(QStringLiteral("line count %1 above 10").arg(d.PocetLiniek));
    for (int j = 0; j < d.PocetLiniek; ++j) {
        if (!readIndex(j, "line"))
            continue;
        d.Linky[j] = std::make_unique<TLinka>();
        TLinka &l = *d.Linky[j];
        readLine();
        l.MenoLinky = text();
        convertPosition(l.MenoLinky);
        l.CisloLinky = readByte(255, "line number");
        l.Klavesa = readByte(255, "line key");
        l.PocetRLiniek = readByte(255, "extended-line count");
        if (l.PocetRLiniek > ExtLineCount)
            fault(QStringLiteral("extended-line count %1 above 250").arg(l.PocetRLiniek));
        for (int e = 0; e < l.PocetRLiniek; ++e) {
            if (!readIndex(e, "extended line")) {
                // The first layout kept the line itself as no extended line.
                if (level == V10 && e == 0 && l.CisloLinky != 255) {
                    auto r = std::make_unique<TRLinka>();
                    r->MenoRLinky = l.MenoLinky;
                    r->CisloRLinky = 0;
                    r->Klavesa = l.Klavesa;
                    l.RLinky[0] = std::move(r);
                    upgrade = true;
                }
                continue;
            }
            l.RLinky[e] = std::make_unique<TRLinka>();
            TRLinka &r = *l.RLinky[e];
            readLine();
            r.MenoRLinky = text();
            convertPosition(r.MenoRLinky);
            convertDoubled(r.MenoRLinky);
            r.CisloRLinky = readByte(255, "extended-line number");
            r.Klavesa = readByte(255, "extended-line key");
        }
    }
}

void Reader::readKey(TPult &pult, int k)
{
    readLine();
    if (rawIsNull())
        return;
    pult.Klavesy[k] = std::make_unique<TKlavesa>();
    TKlavesa &key = *pult.Klavesy[k];
    key.MenoKlavesy = text();
    convertPosition(key.MenoKlavesy);
    readLine();
    key.HintKlavesy = text();
    convertPosition(key.HintKlavesy);
    readLine();
    key.MenoLinky = text();
    convertPosition(key.MenoLinky);
    convertDoubled(key.MenoLinky);
    key.TypLinky = readByte(255, "line type");
    key.HWPozicDosky = readByte(255, "board position");
    key.PozicLinky = readByte(255, "line position");
    key.PozicRLinky = readByte(255, "extended-line position");
    key.NumLin = readByte(255, "line number");
    key.Led = readByte(255, "lamp");
    key.CisloUcastnika = readByte(255, "subscriber");
    key.bitovyByte = readByte(7, "bit byte");
    key.KodDosky = readByte(255, "board code");
    key.ObsluhaKlavesy = readByte(255, "key handling");
    key.Volba = level >= V22 ? readByte(160, "dial type") : 160;
    readPairs(key.SkratenaVolba, "speed dial");
    if (level >= V23) {
        readWholePairs(key.MSNcislo, "MSN number");
        readWholePairs(key.MSNpriznak, "MSN flags");
    }
    if (level >= V24)
        key.TextColor = readInt(0, "key colour");
    if (key.MenoKlavesy.isEmpty() && KeepsBlankName(key))
        key.MenoKlavesy = QStringLiteral(" ");
}

// Every field but the consoles and the program's path, as a new configuration has them.
void clearHeader(TAPult &cfg)
{
    const TAPult fresh;
    cfg.PocetPultov = fresh.PocetPultov;
    cfg.TypDosiek = fresh.TypDosiek;
    cfg.TypNumlinov = fresh.TypNumlinov;
    cfg.TypSystemu = fresh.TypSystemu;
    cfg.CasUkonceniaVyzvanania = fresh.CasUkonceniaVyzvanania;
    cfg.RezimDORST = fresh.RezimDORST;
    cfg.Vlastnosti = fresh.Vlastnosti;
    cfg.TabTelZozOK = fresh.TabTelZozOK;
    cfg.VerziaDat = fresh.VerziaDat;
    cfg.ReplyField5 = fresh.ReplyField5;
    cfg.ReplyField8 = fresh.ReplyField8;
    cfg.DoskySystemu = fresh.DoskySystemu;
    cfg.KodHodnota = fresh.KodHodnota;
    cfg.SlotyDosiek = fresh.SlotyDosiek;
    cfg.TabulkaPriznakov = fresh.TabulkaPriznakov;
}

} // namespace

int TAPult::LoadFromFile(const QString &FileName)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EFileError(FileName, f.errorString());
    const QByteArray all = f.readAll();
    if (f.error() != QFile::NoError)
        throw EFileError(FileName, f.errorString());
    f.close();

    // Whatever this configuration held gives way to the file: it reads as into a new one.
    Clear();
    clearHeader(*this);
    Reader reader(*this, all);
    try {
        reader.read();
    } catch (const Fault &fault) {
        ReportWarning(LoadStrDll(62) + QStringLiteral("\n") + FileName + QStringLiteral(" (") + fault.reason
                      + QStringLiteral(")"));
        Clear();
        return 1;
    }

    if (reader.upgrade) {
        const QString copy = fileBase(FileName) + QDateTime::currentDateTime().toString(QStringLiteral("_HH.mm.ss.zzz"))
                             + QStringLiteral(".bak");
        QFile::remove(copy);
        try {
            if (!QFile::copy(FileName, copy))
                throw EFileError(copy, QStringLiteral("the upgrade copy could not be made"));
            // The copy is new: it must count as the newest when old copies are pruned.
            QFile c(copy);
            if (c.open(QIODevice::ReadWrite))
                c.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
            SaveToFile(FileName);
        } catch (const EFileError &e) {
            // The configuration was read; only its rewrite failed.
            ReportError(QString::fromStdString(e.what()));
        }
    }
    return reader.level == V10 ? 2 : 0;
}
