#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "cardpack/dll_load.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "tests/fixture/oldfiles.h"

using fixture::DumpFields;

// Line lists, so a failure names the first field that differs.
#define COMPARE_DUMPS(a, b) QCOMPARE(QString(a).split(u'\n'), QString(b).split(u'\n'))
using fixture::DumpScope;

namespace {

QByteArray readAll(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void writeAll(const QString &name, const QByteArray &data)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

QStringList filesIn(const QString &folder)
{
    // Broken links too.
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Replaces the value of the n-th line with this comment.
QByteArray withValue(const QByteArray &text, const QByteArray &comment, int occurrence, const QByteArray &value)
{
    QList<QByteArray> lines = text.split('\n');
    int seen = 0;
    for (QByteArray &line : lines) {
        if (line.endsWith(";" + comment + "\r") && seen++ == occurrence) {
            line = value + ";" + comment + "\r";
            return lines.join('\n');
        }
    }
    qFatal("no line %s #%d", comment.constData(), occurrence);
}

// The place of the n-th line with this comment.
int lineIndex(const QByteArray &text, const QByteArray &comment, int occurrence)
{
    const QList<QByteArray> lines = text.split('\n');
    int seen = 0;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].endsWith(";" + comment + "\r") && seen++ == occurrence)
            return i;
    qFatal("no line %s #%d", comment.constData(), occurrence);
}

QByteArray firstLines(const QByteArray &text, int count)
{
    QList<QByteArray> lines = text.split('\n');
    return lines.mid(0, count).join('\n') + (count > 0 ? "\n" : "");
}

int lineCount(const QByteArray &text)
{
    return int(text.count('\n'));
}

int modeOf(const QString &name)
{
    struct stat st;
    if (::stat(QFile::encodeName(name).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// A configuration with every place filled, the largest the file can hold.
std::unique_ptr<TAPult> fullProject()
{
    auto cfg = std::make_unique<TAPult>();
    cfg->PocetPultov = 2;
    for (int s = 0; s < BoardCount; ++s)
        cfg->SlotyDosiek[s] = {QStringLiteral("T4W5"), 148};
    for (auto &p : cfg->Pulty) {
        p = std::make_unique<TPult>();
        p->TypPultu = 1;
        p->PocetObrazoviek = 3;
        for (auto &d : p->Dosky) {
            d = std::make_unique<TDoska>();
            d->MenoDosky = QStringLiteral("4W5");
            d->CisloDosky = 148;
            d->PocetLiniek = LineCount;
            for (auto &l : d->Linky) {
                l = std::make_unique<TLinka>();
                l->MenoLinky = QStringLiteral("MD");
                l->PocetRLiniek = ExtLineCount;
                for (int e = 0; e < ExtLineCount; ++e) {
                    l->RLinky[e] = std::make_unique<TRLinka>();
                    l->RLinky[e]->MenoRLinky = QStringLiteral("Pr. %1").arg(e);
                }
            }
        }
        for (int k = 0; k < KeyCount; ++k)
            p->Klavesy[k] = fixture::BoundKey(QStringLiteral("Kľúč %1").arg(k), 1, 0, Byte(k), 148, Byte(k % 80));
        for (int t = 0; t < PhoneCount; ++t) {
            p->TelZoznam[t] = std::make_unique<TTelZoznam>();
            p->TelZoznam[t]->Meno = QStringLiteral("Meno %1").arg(t);
            p->TelZoznam[t]->Cislo = QString::number(100000 + t);
        }
    }
    return cfg;
}

} // namespace

class TestProjectFile : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.path() + u'/' + name; }
    QString backupFolder() const { return dir.path() + QStringLiteral("/prog/backup"); }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(dir.isValid());
    }

    void init()
    {
        // Each test gets an empty project folder and an empty program folder.
        for (const QString &f : filesIn(dir.path()))
            QVERIFY(QFileInfo(path(f)).isDir() ? QDir(path(f)).removeRecursively() : QFile::remove(path(f)));
        QDir().mkpath(path(QStringLiteral("prog")));
        platform::SetProgramFolder(path(QStringLiteral("prog")));
    }

    void cleanupTestCase() { platform::SetProgramFolder(QString()); }

    void roundTrip()
    {
        fixture::RecordingReporter reporter;
        auto cfg = fixture::BuildFixture();
        const QString file = path(QStringLiteral("projekt.orv"));
        cfg->SaveToFile(file);
        QVERIFY(!QFileInfo::exists(backupFolder()) || filesIn(backupFolder()).isEmpty());

        TAPult back(QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(back.LoadFromFile(file), 0);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*cfg, DumpScope::Stored));
        QVERIFY(reporter.reports.isEmpty());

        // The awkward texts come back as they were.
        QCOMPARE(back.Pulty[0]->Klavesy[8]->MenoKlavesy, QStringLiteral("null"));
        QCOMPARE(back.Pulty[0]->Klavesy[10]->MenoKlavesy, QStringLiteral("A;B;jej meno"));
        QCOMPARE(back.Pulty[0]->Klavesy[10]->HintKlavesy, QStringLiteral("Riadok 1\r\nRiadok 2\nRiadok 3\r"));
        QCOMPARE(back.Pulty[0]->Klavesy[9]->MenoKlavesy, QStringLiteral(" "));

        // Line breaks and ";" in the other texts of the file.
        cfg->SlotyDosiek[9] = {QStringLiteral("T;X\r\nY"), 1};
        cfg->Pulty[0]->Dosky[0]->MenoDosky = QStringLiteral("U\nL;10");
        cfg->Pulty[0]->Dosky[0]->Linky[1]->MenoLinky = QStringLiteral("U;B\r\n");
        cfg->Pulty[0]->Dosky[1]->Linky[0]->RLinky[4]->MenoRLinky = QStringLiteral("\nPr.;04");
        cfg->Pulty[0]->FNGSMR = QStringLiteral("12;\n");
        cfg->Pulty[0]->TelZoznam[0]->Meno = QStringLiteral("Meno;\r\nriadok");
        cfg->Pulty[0]->TelZoznam[0]->Cislo = QStringLiteral("1;2\n");
        const QString odd = path(QStringLiteral("zvlastne.orv"));
        cfg->SaveToFile(odd);
        TAPult oddBack;
        QCOMPARE(oddBack.LoadFromFile(odd), 0);
        COMPARE_DUMPS(DumpFields(oddBack, DumpScope::Stored), DumpFields(*cfg, DumpScope::Stored));
        QVERIFY(QFile::remove(odd));
        cfg = fixture::BuildFixture();

        // Write, read, write again: the same bytes; nothing was rewritten by the read.
        const QByteArray first = readAll(file);
        QCOMPARE(back.ProjectText(), first);
        QCOMPARE(filesIn(dir.path()), QStringList({QStringLiteral("prog"), QStringLiteral("projekt.orv")}));
    }

    void textIsWindows1250WithCrLf()
    {
        auto cfg = fixture::BuildFixture();
        const QByteArray text = cfg->ProjectText();
        QVERIFY(text.startsWith("ORV ver2.6\r\n1;typ systemu\r\n5;cas ukoncenia vyzvanania\r\n2;rezim DORST\r\n"
                                "2;pocet pultov\r\n1;typ dosiek\r\nTUL10;0. doska\r\nT4W5;1. doska\r\n"));
        QCOMPARE(text.count('\n'), text.count("\r\n"));
        // Dispečer Ľubo in Windows-1250.
        QVERIFY(text.contains("Dispe\xE8" "er \xBC" "ubo;uzivatelske meno klavesy\r\n"));
        QVERIFY(text.contains("\xDAstred\xF2" "a \x8Eilina;meno\r\n0415123456;cislo\r\n"));
        QVERIFY(text.endsWith("4FCF00FFEDB0;79 [4FH]\r\n"));
    }

    void exactLayout()
    {
        TAPult a;
        a.PocetPultov = 2; // console 1 missing
        a.TypDosiek = 1;
        a.SlotyDosiek[0] = {QStringLiteral("TUL10"), 71};
        a.TabulkaPriznakov[1] = {0xAB, 1, 2, 3, 4, 5};
        a.TabulkaPriznakov[79] = {1, 2, 3, 4, 5, 6};
        a.Pulty[0] = std::make_unique<TPult>();
        TPult &p = *a.Pulty[0];
        p.TypPultu = 1;
        p.PocetObrazoviek = 3;
        p.FNGSMR = QStringLiteral("99");
        p.Dosky[0] = std::make_unique<TDoska>();
        p.Dosky[0]->MenoDosky = QStringLiteral("UL10");
        p.Dosky[0]->CisloDosky = 71;
        p.Dosky[0]->PocetLiniek = 2;
        p.Dosky[0]->Linky[0] = std::make_unique<TLinka>();
        p.Dosky[0]->Linky[0]->MenoLinky = QStringLiteral("MB");
        p.Dosky[0]->Linky[0]->CisloLinky = 0;
        p.Dosky[0]->Linky[0]->Klavesa = 0;
        p.Dosky[0]->Linky[0]->PocetRLiniek = 2;
        p.Dosky[0]->Linky[0]->RLinky[0] = std::make_unique<TRLinka>();
        p.Dosky[0]->Linky[0]->RLinky[0]->MenoRLinky = QStringLiteral("Linka/GV");
        p.Dosky[0]->Linky[0]->RLinky[0]->CisloRLinky = 0;
        p.Dosky[1] = std::make_unique<TDoska>(); // no lines
        p.Klavesy[0] = std::make_unique<TKlavesa>();
        p.Klavesy[0]->MenoKlavesy = QStringLiteral("Ab");
        p.Klavesy[0]->TextColor = -5;
        p.Klavesy[0]->SkratenaVolba[0] = 0x1F;
        p.TelZoznam[0] = std::make_unique<TTelZoznam>();
        p.TelZoznam[0]->Meno = QStringLiteral("\u017Dilina");
        p.TelZoznam[0]->Cislo = QStringLiteral("12");
        p.TelZoznam[1] = std::make_unique<TTelZoznam>();
        p.TelZoznam[1]->Meno = QStringLiteral("bez cisla");

        QByteArray e = "ORV ver2.6\r\n0;typ systemu\r\n0;cas ukoncenia vyzvanania\r\n0;rezim DORST\r\n"
                       "2;pocet pultov\r\n1;typ dosiek\r\n";
        e += "TUL10;0. doska\r\n";
        for (int i = 1; i < 32; ++i)
            e += ";" + QByteArray::number(i) + ". doska\r\n";
        e += "71;0. doska\r\n";
        for (int i = 1; i < 32; ++i)
            e += "255;" + QByteArray::number(i) + ". doska\r\n";
        e += "0;poradie pultu\r\n3;pocet obrazoviek\r\n1;typ pultu\r\n99;FN GSMR\r\n"
             "0;poradie dosky\r\nUL10;jej meno\r\n71;jej cislo\r\n2;jej pocet liniek\r\n"
             "0;poradie linky\r\nMB;jej meno\r\n0;jej cislo\r\n0;priradena klavesa\r\n2;pocet rozsirenych "
             "liniek\r\n"
             "0;poradie rozsirenej linky\r\nLinka/GV;jej meno\r\n0;jej cislo\r\n255;priradena klavesa\r\n"
             "null;nema definovanu rozsirenu linku\r\n"
             "null;nema definovanu linku\r\n"
             "1;poradie dosky\r\n;jej meno\r\n255;jej cislo\r\n0;jej pocet liniek\r\n";
        for (int b = 2; b < 32; ++b)
            e += "null;nema definovanu dosku\r\n";
        e +=
            "Ab;uzivatelske meno klavesy\r\n;jej uzivatelsky hint\r\nnekonf;meno klavesy\r\n255;typ linky\r\n"
            "255;HW pozicia dosky\r\n255;pozicia priradenej linky\r\n255;pozicia priradenej rozsirenej "
            "linky\r\n"
            "255;NumLin priradenej rozsirenej linky\r\n255;Ledka priradenej rozsirenej linky\r\n"
            "255;Cislo ucastnika priradenej rozsirenej linky\r\n7;bitovy byte\r\n255;kod dosky\r\n"
            "1;obsluha klavesy\r\n160;typ volby\r\n1F" +
            QByteArray(52, 'F') + ";skratena volba\r\n" + QByteArray(24, 'F') +
            ";MSN cislo\r\n000000;MSN priznaky\r\n-5;farba klavesy\r\n";
        for (int k = 1; k < 224; ++k)
            e += "null;nepriradena klavesa\r\n";
        e += "1;pocet poloziek telefonneho zoznamu\r\n\x8Eilina;meno\r\n12;cislo\r\n";
        e += "null;nedefinovany pult\r\n";
        e += "000000000000;00: tabulka priznakov\r\n";
        e += "AB0102030405;01 [01H]\r\n";
        for (int r = 2; r < 79; ++r)
            e += "000000000000;" + QByteArray::number(r).rightJustified(2, '0') + " ["
                 + QByteArray::number(r, 16).toUpper().rightJustified(2, '0') + "H]\r\n";
        e += "010203040506;79 [4FH]\r\n";
        QCOMPARE(a.ProjectText(), e);
    }

    void backups()
    {
        auto cfg = fixture::BuildFixture();
        const QString file = path(QStringLiteral("stanica.orv"));
        cfg->SaveToFile(file);
        const QByteArray first = readAll(file);

        // Unchanged: the old file equals the new one, so no backup stays.
        cfg->SaveToFile(file);
        QVERIFY(filesIn(backupFolder()).isEmpty());
        QCOMPARE(readAll(file), first);

        // Changed: exactly one dated backup, equal to the previous file.
        cfg->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("Iné meno");
        cfg->SaveToFile(file);
        const QStringList backups = filesIn(backupFolder());
        QCOMPARE(backups.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^stanica_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.bak$"))
                     .match(backups[0])
                     .hasMatch(),
                 qPrintable(backups[0]));
        QCOMPARE(readAll(backupFolder() + u'/' + backups[0]), first);
        QVERIFY(readAll(file) != first);
        QCOMPARE(filesIn(dir.path()), QStringList({QStringLiteral("prog"), QStringLiteral("stanica.orv")}));
    }

    void failedWriteLeavesOldFile()
    {
        auto cfg = fixture::BuildFixture();
        const QString file = path(QStringLiteral("pevny.orv"));
        cfg->SaveToFile(file);
        const QByteArray before = readAll(file);
        cfg->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("zmena");

        // The temporary name is taken by a folder: the new file cannot be written.
        QVERIFY(QDir().mkpath(file + QStringLiteral(".new~")));
        QVERIFY_THROWS_EXCEPTION(EFileError, cfg->SaveToFile(file));
        QCOMPARE(readAll(file), before);
        QVERIFY(filesIn(backupFolder()).isEmpty());
        QVERIFY(QDir(file + QStringLiteral(".new~")).removeRecursively());

        // A folder that does not exist.
        QVERIFY_THROWS_EXCEPTION(EFileError, cfg->SaveToFile(path(QStringLiteral("nie/je.orv"))));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("nie"))));
    }

    void upgradeCopiesArePruned()
    {
        const QString file = path(QStringLiteral("proj.orv"));
        const QDateTime base = QDateTime::currentDateTime().addDays(-3);
        QStringList copies;
        // Time-of-day names: by name 23.00 sorts last, but it is the oldest copy.
        const char *const names[] = {"23.00.00.000", "08.00.00.000", "08.30.00.000", "09.00.00.000",
                                     "09.30.00.000", "10.00.00.000", "10.30.00.000", "11.00.00.000",
                                     "11.30.00.000", "12.00.00.000", "12.30.00.000"};
        for (int i = 0; i < 11; ++i) {
            const QString c = path(QStringLiteral("proj_%1.bak").arg(QLatin1String(names[i])));
            writeAll(c, "x");
            QFile f(c);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(base.addSecs(60 * i), QFileDevice::FileModificationTime));
            copies << QFileInfo(c).fileName();
        }
        // Files of other projects and other names stay whatever their age.
        const QStringList strangers = {QStringLiteral("proj_old.bak"), QStringLiteral("proj2_01.00.00.000.bak"),
                                       QStringLiteral("projX01.00.00.000.bak"), QStringLiteral("proj_01.00.00.000.bak.txt")};
        for (const QString &s : strangers) {
            writeAll(path(s), "y");
            QFile f(path(s));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(base.addDays(-10), QFileDevice::FileModificationTime));
        }

        fixture::BuildFixture()->SaveToFile(file);
        QVERIFY(!QFileInfo::exists(path(copies[0])));
        for (int i = 1; i < 11; ++i)
            QVERIFY2(QFileInfo::exists(path(copies[i])), qPrintable(copies[i]));
        for (const QString &s : strangers)
            QVERIFY2(QFileInfo::exists(path(s)), qPrintable(s));
    }

    void lineEnds()
    {
        // Lines ended by LF alone, or by CR alone, read the same.
        auto cfg = fixture::BuildFixture();
        cfg->Pulty[0]->Klavesy[10]->HintKlavesy.clear();
        const QByteArray crlf = cfg->ProjectText();
        for (const QByteArray &end : {QByteArray("\n"), QByteArray("\r")}) {
            QByteArray text = crlf;
            text.replace("\r\n", end);
            const QString file = path(QStringLiteral("konce.orv"));
            writeAll(file, text);
            TAPult back;
            QCOMPARE(back.LoadFromFile(file), 0);
            COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*cfg, DumpScope::Stored));
            QCOMPARE(readAll(file), text);
        }
    }

    void nullConsole()
    {
        auto cfg = fixture::BuildFixture();
        cfg->Pulty[1].reset();
        const QString file = path(QStringLiteral("jeden.orv"));
        cfg->SaveToFile(file);
        QVERIFY(readAll(file).contains("\r\nnull;nedefinovany pult\r\n008000FF00FF;00: tabulka priznakov\r\n"));
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 0);
        QVERIFY(back.Pulty[0]);
        QVERIFY(!back.Pulty[1]);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*cfg, DumpScope::Stored));
    }

    void nullTextsOfConsole()
    {
        // "null" as the GSM-R function number is a text, not a missing value.
        auto cfg = fixture::BuildFixture();
        cfg->Pulty[0]->FNGSMR = QStringLiteral("null");
        const QString file = path(QStringLiteral("gsmr.orv"));
        cfg->SaveToFile(file);
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 0);
        QCOMPARE(back.Pulty[0]->FNGSMR, QStringLiteral("null"));
    }

    void readsLinesAsTheOriginalWriterLeftThem()
    {
        // A file of the original writer: "null" without a blank is no key, a ";"
        // in a value cuts the comment off, blanks before ";" go, a blank name comes back.
        fixture::RecordingReporter reporter;
        auto cfg = fixture::BuildFixture();
        QByteArray text = cfg->ProjectText();
        text = withValue(text, "uzivatelske meno klavesy", 0, "null");
        text = withValue(text, "jej uzivatelsky hint", 1, "hint   ");
        const QString file = path(QStringLiteral("povodny.orv"));
        writeAll(file, text);
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 1); // the rest of key 0's block no longer fits
        QVERIFY(!back.Pulty[0]);
        QCOMPARE(reporter.reports.size(), 1);

        text = cfg->ProjectText();
        text = withValue(text, "jej uzivatelsky hint", 1, "hint   ");
        text = withValue(text, "uzivatelske meno klavesy", 6, "");
        writeAll(file, text);
        QCOMPARE(back.LoadFromFile(file), 0);
        QCOMPARE(back.Pulty[0]->Klavesy[1]->HintKlavesy, QStringLiteral("hint"));
        QCOMPARE(back.Pulty[0]->Klavesy[9]->MenoKlavesy, QStringLiteral(" "));
        const QByteArray now = readAll(file);
        QCOMPARE(now.size(), text.size());
        QCOMPARE(now, text);
    }

    // Lines as the original program's writers left them: short hex lines and
    // a flag table cut short are read, not refused.
    void shortLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const auto source = fixture::BuildFixture();
        const QByteArray good = source->ProjectText();
        const int lines = lineCount(good);
        const QByteArray speedDialOfKey0 =
            BytesToHex(source->Pulty[0]->Klavesy[0]->SkratenaVolba.data(), 27).toLatin1();
        // Key 0 of console 0 holds the first key block of the file.
        auto expect = [](auto change) {
            auto cfg = fixture::BuildFixture();
            change(*cfg, *cfg->Pulty[0]->Klavesy[0]);
            return DumpFields(*cfg, DumpScope::Stored);
        };
        using B = std::array<Byte, 12>;
        QTest::newRow("MSN of two pairs")
            << withValue(good, "MSN cislo", 0, "ABCD") << expect([](TAPult &, TKlavesa &k) {
                   k.MSNcislo = B{0xAB, 0xCD, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
               });
        QTest::newRow("MSN with a half pair")
            << withValue(good, "MSN cislo", 0, "ABC") << expect([](TAPult &, TKlavesa &k) {
                   k.MSNcislo = B{0xAB, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
               });
        QTest::newRow("MSN empty") << withValue(good, "MSN cislo", 0, "")
                                   << expect([](TAPult &, TKlavesa &k) { k.MSNcislo.fill(255); });
        QTest::newRow("MSN longer") << withValue(good, "MSN cislo", 0, "0102030405060708090A0B0C0D0E")
                                    << expect([](TAPult &, TKlavesa &k) {
                                           k.MSNcislo = B{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
                                       });
        QTest::newRow("MSN flags of one pair")
            << withValue(good, "MSN priznaky", 0, "07") << expect([](TAPult &, TKlavesa &k) {
                   k.MSNpriznak = {7, 0, 0};
               });
        QTest::newRow("MSN flags with a half pair")
            << withValue(good, "MSN priznaky", 0, "01020") << expect([](TAPult &, TKlavesa &k) {
                   k.MSNpriznak = {1, 2, 0};
               });
        QTest::newRow("MSN flags empty")
            << withValue(good, "MSN priznaky", 0, "") << expect([](TAPult &, TKlavesa &k) {
                   k.MSNpriznak = {0, 0, 0};
               });
        // Speed dial: 27 pairs; a pair past the end is the empty text, 0; a lone digit is its own value.
        QTest::newRow("speed dial of two pairs")
            << withValue(good, "skratena volba", 0, "1F2F") << expect([](TAPult &, TKlavesa &k) {
                   k.SkratenaVolba.fill(0);
                   k.SkratenaVolba[0] = 0x1F;
                   k.SkratenaVolba[1] = 0x2F;
               });
        QTest::newRow("speed dial with a half pair")
            << withValue(good, "skratena volba", 0, "1F2") << expect([](TAPult &, TKlavesa &k) {
                   k.SkratenaVolba.fill(0);
                   k.SkratenaVolba[0] = 0x1F;
                   k.SkratenaVolba[1] = 0x02;
               });
        QTest::newRow("speed dial empty") << withValue(good, "skratena volba", 0, "")
                                          << expect([](TAPult &, TKlavesa &k) { k.SkratenaVolba.fill(0); });
        QTest::newRow("speed dial longer") << withValue(good, "skratena volba", 0, speedDialOfKey0 + "2F2F")
                                           << expect([](TAPult &, TKlavesa &) {});
        QTest::newRow("last flag line missing")
            << firstLines(good, lines - 1)
            << expect([](TAPult &a, TKlavesa &) { a.TabulkaPriznakov[79].fill(0); });
        QTest::newRow("last line without its line end")
            << good.chopped(2) << expect([](TAPult &, TKlavesa &) {});
        QTest::newRow("flag table cut short")
            << firstLines(good, lines - 10) << expect([](TAPult &a, TKlavesa &) {
                   for (int r = 70; r < 80; ++r)
                       a.TabulkaPriznakov[r].fill(0);
               });
        QTest::newRow("no flag lines") << firstLines(good, lines - 80) << expect([](TAPult &a, TKlavesa &) {
            for (auto &r : a.TabulkaPriznakov)
                r.fill(0);
        });
        QTest::newRow("short flag line")
            << withValue(good, "05 [05H]", 0, "AB0")
            << expect([](TAPult &a, TKlavesa &) { a.TabulkaPriznakov[5] = {0xAB, 0, 0, 0, 0, 0}; });
    }

    void shortLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        fixture::RecordingReporter reporter;
        const QString file = path(QStringLiteral("kratke.orv"));
        writeAll(file, content);
        TAPult back(QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(back.LoadFromFile(file), 0);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), expected);
        QVERIFY(reporter.reports.isEmpty());
        // Nothing had to be converted: the file stays as it is.
        QCOMPARE(readAll(file), content);
        QCOMPARE(filesIn(dir.path()), QStringList({QStringLiteral("kratke.orv"), QStringLiteral("prog")}));
    }

    // The writer writes a configuration without consoles with the count 0; it reads back.
    void consoleCountZero_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("result");
        QTest::newRow("2.6") << "2.6" << 0;
        QTest::newRow("2.3") << "2.3" << 0;
        QTest::newRow("1.0") << "1.0" << 2;
    }

    void consoleCountZero()
    {
        QFETCH(QString, version);
        QFETCH(int, result);
        fixture::RecordingReporter reporter;
        TAPult empty;
        empty.TypSystemu = 1;
        empty.CasUkonceniaVyzvanania = 3;
        empty.TypDosiek = 2;
        empty.SlotyDosiek[0] = {QStringLiteral("TUL10"), 71};
        empty.SlotyDosiek[31] = {QStringLiteral("T4W5"), 148};
        empty.TabulkaPriznakov[0] = {1, 2, 3, 4, 5, 6};
        empty.TabulkaPriznakov[79] = {0xFF, 0, 0, 0, 0, 0xEE};
        const QByteArray text =
            version == "2.6" ? empty.ProjectText() : OldProjectText(empty, version, false);
        QVERIFY(text.contains("0;pocet pultov\r\n"));
        const QString file = path(QStringLiteral("prazdny.orv"));
        writeAll(file, text);

        StripToVersion(empty, version);
        // Loaded into a configuration that held consoles: none stay.
        auto back = fixture::BuildFixture();
        QCOMPARE(back->LoadFromFile(file), result);
        QCOMPARE(back->PocetPultov, 0);
        QVERIFY(!back->Pulty[0] && !back->Pulty[1]);
        COMPARE_DUMPS(DumpFields(*back, DumpScope::Stored), DumpFields(empty, DumpScope::Stored));
        QVERIFY(reporter.reports.isEmpty());
        QCOMPARE(readAll(file), version == "1.0" ? empty.ProjectText() : text);
    }

    // "ORV ver2.3 " is version 2.3: the blanks at the end of the header do not count.
    void headerWithTrailingBlanks_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QByteArray>("blanks");
        QTest::newRow("2.0") << "2.0" << QByteArray(" ");
        QTest::newRow("2.2") << "2.2" << QByteArray("   ");
        QTest::newRow("2.3") << "2.3" << QByteArray(" ");
        QTest::newRow("2.5") << "2.5" << QByteArray("  ");
        QTest::newRow("2.6") << "2.6" << QByteArray(" ");
    }

    void headerWithTrailingBlanks()
    {
        QFETCH(QString, version);
        QFETCH(QByteArray, blanks);
        fixture::RecordingReporter reporter;
        auto source = fixture::BuildFixture();
        QByteArray text = OldProjectText(*source, version, false);
        const QByteArray header = "ORV ver" + version.toLatin1() + "\r\n";
        QVERIFY(text.startsWith(header));
        text = "ORV ver" + version.toLatin1() + blanks + text.mid(header.size() - 2);
        const QString file = path(QStringLiteral("hlavicka.orv"));
        writeAll(file, text);

        auto expected = fixture::BuildFixture();
        StripToVersion(*expected, version);
        TAPult back(QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(back.LoadFromFile(file), 0);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*expected, DumpScope::Stored));
        QVERIFY(reporter.reports.isEmpty());
        QCOMPARE(readAll(file), text);
    }

    // A configuration that held another file reads the next one as a new configuration would.
    void reloadIntoUsedConfiguration_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("result");
        TAPult small;
        small.PocetPultov = 1;
        small.SlotyDosiek[7] = {QStringLiteral("TMB5"), 0};
        small.Pulty[0] = std::make_unique<TPult>();
        small.Pulty[0]->TypPultu = 2;
        small.Pulty[0]->PocetObrazoviek = 1;
        small.Pulty[0]->Dosky[7] = std::make_unique<TDoska>();
        small.Pulty[0]->Dosky[7]->MenoDosky = QStringLiteral("MB5");
        small.Pulty[0]->Dosky[7]->CisloDosky = 0;
        small.Pulty[0]->Klavesy[3] = fixture::BoundKey(QStringLiteral("MB"), 7, 0, 255, 0, 0);
        QTest::newRow("current layout") << small.ProjectText() << 0;
        // Without the line flags and the system type in the file, nothing of the old file may show through.
        QTest::newRow("version 2.0") << OldProjectText(small, QStringLiteral("2.0"), false) << 0;
        QTest::newRow("version 1.0") << OldProjectText(small, QStringLiteral("1.0"), false) << 2;
        TAPult none;
        none.SlotyDosiek[3] = {QStringLiteral("TAUT3"), 16};
        QTest::newRow("no consoles") << none.ProjectText() << 0;
        QTest::newRow("faulty after the header")
            << withValue(small.ProjectText(), "poradie dosky", 0, "8") << 1;
        QTest::newRow("faulty console count")
            << withValue(small.ProjectText(), "pocet pultov", 0, "jeden") << 1;
    }

    void reloadIntoUsedConfiguration()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, result);
        const QString program = QStringLiteral("/opt/kelvara/kelvara");
        const QString first = path(QStringLiteral("prvy.orv"));
        const QString second = path(QStringLiteral("druhy.orv"));
        fixture::BuildFixture(program)->SaveToFile(first);

        // Fresh: the file read into a new configuration.
        writeAll(second, content);
        TAPult fresh(program);
        QCOMPARE(fresh.LoadFromFile(second), result);
        writeAll(second, content); // an upgrade rewrote it

        // Used: the fixture in memory (with the fields no file holds), then the first file, then the second.
        auto used = fixture::BuildFixture(program);
        QCOMPARE(used->LoadFromFile(first), 0);
        QVERIFY(DumpFields(*used) != DumpFields(fresh));
        QCOMPARE(used->LoadFromFile(second), result);
        COMPARE_DUMPS(DumpFields(*used, DumpScope::All), DumpFields(fresh, DumpScope::All));
    }

    // Names and hints that end in blanks: the file holds them without the
    // blanks the reader would drop, so save -> load -> save writes the same bytes.
    void trailingBlanksRoundTrip()
    {
        fixture::RecordingReporter reporter;
        auto cfg = fixture::BuildFixture();
        auto expected = fixture::BuildFixture();
        auto both = [&](auto change) {
            change(*cfg, true);
            change(*expected, false);
        };
        // Each change sets a value with blanks, and the expected value without them.
        both([](TAPult &a, bool blanks) {
            const QString b = blanks ? QStringLiteral("  ") : QString();
            TPult &p = *a.Pulty[0];
            a.SlotyDosiek[2].Meno = QStringLiteral("TMB5") + b;
            a.SlotyDosiek[6].Meno = blanks ? QStringLiteral("   ") : QString();
            p.FNGSMR = QStringLiteral("12345678") + b;
            p.Dosky[0]->MenoDosky = QStringLiteral("UL10") + b;
            p.Dosky[0]->Linky[0]->MenoLinky = QStringLiteral("MB") + b;
            p.Dosky[1]->Linky[0]->RLinky[1]->MenoRLinky = QStringLiteral("Pr. 01") + b;
            p.Klavesy[0]->MenoKlavesy = QStringLiteral("Dispečer Ľubo") + b;
            p.Klavesy[0]->HintKlavesy = QStringLiteral("Hlavná linka") + b;
            // The line of the key has no name.
            p.Klavesy[3]->MenoLinky = blanks ? QStringLiteral("E0-L3 - ") : QStringLiteral("E0-L3 -");
            p.Klavesy[4]->MenoLinky = QStringLiteral("E1-H7 - MM") + b;
            p.Klavesy[4]->MenoKlavesy = blanks ? QStringLiteral("null  ") : QStringLiteral("null");
            p.Klavesy[10]->HintKlavesy = QStringLiteral("Riadok 1 \r\nRiadok 2") + b;
            // A configured key whose name is blanks comes back with one blank, as the writer's blank name
            // does.
            p.Klavesy[9]->MenoKlavesy = blanks ? QStringLiteral("   ") : QStringLiteral(" ");
            // An unconfigured key's blank name comes back empty.
            p.Klavesy[20]->MenoKlavesy = blanks ? QStringLiteral("  ") : QString();
            p.Klavesy[21]->HintKlavesy = b;
            p.TelZoznam[0]->Meno = QStringLiteral("Ústredňa Žilina") + b;
            p.TelZoznam[0]->Cislo = QStringLiteral("0415123456") + b;
            // Blanks alone are no name: the entry is empty, as the reader would make it.
            p.TelZoznam[1]->Meno = blanks ? QStringLiteral("   ") : QString();
            a.Pulty[1]->Klavesy[100]->MenoKlavesy = QStringLiteral("HLS Ťahač") + b;
        });

        const QString file = path(QStringLiteral("medzery.orv"));
        cfg->SaveToFile(file);
        const QByteArray first = readAll(file);
        QCOMPARE(first, expected->ProjectText());
        // No value ends in a blank but the "null" that is a name and the one
        // blank of a configured key's blank name, written as the original
        // program writes it.
        int blankNames = 0;
        for (const QByteArray &line : first.split('\n')) {
            const QByteArray value = line.left(line.lastIndexOf(';'));
            if (line == " ;uzivatelske meno klavesy\r")
                ++blankNames;
            else
                QVERIFY2(!value.endsWith(' ') || value == "null ", line.constData());
        }
        QCOMPARE(blankNames, 1);

        TAPult back(QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(back.LoadFromFile(file), 0);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*expected, DumpScope::Stored));
        QCOMPARE(back.Pulty[0]->Klavesy[3]->MenoLinky, QStringLiteral("E0-L3 -"));
        QCOMPARE(back.Pulty[0]->Klavesy[9]->MenoKlavesy, QStringLiteral(" "));
        QCOMPARE(back.Pulty[0]->Klavesy[4]->MenoKlavesy, QStringLiteral("null"));
        QCOMPARE(readAll(file), first); // nothing was converted on reading

        back.SaveToFile(file);
        QCOMPARE(readAll(file), first);
        TAPult again;
        QCOMPARE(again.LoadFromFile(file), 0);
        COMPARE_DUMPS(DumpFields(again, DumpScope::Stored), DumpFields(back, DumpScope::Stored));
        QCOMPARE(filesIn(dir.path()), QStringList({QStringLiteral("medzery.orv"), QStringLiteral("prog")}));
        QVERIFY(filesIn(backupFolder()).isEmpty());
        QVERIFY(reporter.reports.isEmpty());

        // A configured key left with an empty name (a read, a new binding) is
        // written as the blank it reads back as: the second save is the first.
        back.Pulty[0]->Klavesy[9]->MenoKlavesy.clear();
        QCOMPARE(back.ProjectText(), first);
    }

    void savingKeepsPermissions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("0600") << 0600;
        QTest::newRow("0640") << 0640;
        QTest::newRow("0664") << 0664;
        QTest::newRow("0604") << 0604;
    }

    void savingKeepsPermissions()
    {
        QFETCH(int, mode);
        auto cfg = fixture::BuildFixture();
        const QString file = path(QStringLiteral("prava.orv"));
        cfg->SaveToFile(file);
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0);
        cfg->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("zmena");
        cfg->SaveToFile(file);
        QCOMPARE(modeOf(file), mode);
        QVERIFY(readAll(file).contains("zmena;uzivatelske meno klavesy"));
        // The unchanged save too, whose backup is dropped again.
        cfg->SaveToFile(file);
        QCOMPARE(modeOf(file), mode);
        QCOMPARE(filesIn(dir.path()), QStringList({QStringLiteral("prava.orv"), QStringLiteral("prog")}));
    }

    // Saving through a symbolic link writes the file it names; the link stays a link.
    void savingThroughLinks_data()
    {
        QTest::addColumn<QString>("linkTarget"); // as the link holds it
        QTest::addColumn<bool>("chain");
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("relative link") << "data/projekt.orv" << false << true;
        QTest::newRow("absolute link") << "@/data/projekt.orv" << false << true;
        QTest::newRow("link to a link") << "data/projekt.orv" << true << true;
        QTest::newRow("link to a missing file") << "data/projekt.orv" << false << false;
    }

    void savingThroughLinks()
    {
        QFETCH(QString, linkTarget);
        QFETCH(bool, chain);
        QFETCH(bool, targetExists);
        linkTarget.replace(u'@', dir.path());
        QVERIFY(QDir().mkpath(path(QStringLiteral("data"))));
        const QString real = path(QStringLiteral("data/projekt.orv"));
        const QString link = path(QStringLiteral("odkaz.orv"));
        auto cfg = fixture::BuildFixture();
        if (targetExists) {
            cfg->SaveToFile(real);
            QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        }
        QCOMPARE(::symlink(QFile::encodeName(linkTarget).constData(), QFile::encodeName(link).constData()),
                 0);
        QString opened = link;
        if (chain) {
            opened = path(QStringLiteral("odkaz2.orv"));
            QCOMPARE(::symlink(QFile::encodeName(link).constData(), QFile::encodeName(opened).constData()),
                     0);
        }
        const QByteArray before = readAll(real);

        cfg->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("cez odkaz");
        cfg->SaveToFile(opened);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFile::encodeName(QFile::symLinkTarget(link)),
                 QFile::encodeName(QFileInfo(real).absoluteFilePath()));
        if (chain)
            QVERIFY(QFileInfo(opened).isSymLink());
        QVERIFY(QFileInfo(real).isFile() && !QFileInfo(real).isSymLink());
        QCOMPARE(readAll(real), cfg->ProjectText());
        if (targetExists) {
            QCOMPARE(modeOf(real), 0640);
            // The backup holds the file as it was.
            const QStringList backups = filesIn(backupFolder());
            QCOMPARE(backups.size(), 1);
            QCOMPARE(readAll(backupFolder() + u'/' + backups[0]), before);
        }
        // No temporary file is left in either folder.
        QCOMPARE(filesIn(path(QStringLiteral("data"))), QStringList({QStringLiteral("projekt.orv")}));
        QStringList top = filesIn(dir.path());
        top.removeAll(QStringLiteral("odkaz2.orv"));
        QCOMPARE(top,
                 QStringList({QStringLiteral("data"), QStringLiteral("odkaz.orv"), QStringLiteral("prog")}));

        // And it reads back through the link.
        TAPult back;
        QCOMPARE(back.LoadFromFile(opened), 0);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*cfg, DumpScope::Stored));
    }

    void linkLoopIsAFileError()
    {
        const QString a = path(QStringLiteral("a.orv"));
        const QString b = path(QStringLiteral("b.orv"));
        QCOMPARE(::symlink("b.orv", QFile::encodeName(a).constData()), 0);
        QCOMPARE(::symlink("a.orv", QFile::encodeName(b).constData()), 0);
        QVERIFY_THROWS_EXCEPTION(EFileError, fixture::BuildFixture()->SaveToFile(a));
        QVERIFY(QFileInfo(a).isSymLink() && QFileInfo(b).isSymLink());
        QCOMPARE(filesIn(dir.path()),
                 QStringList({QStringLiteral("a.orv"), QStringLiteral("b.orv"), QStringLiteral("prog")}));
    }

    void olderVersions_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("oldNames");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("1.0") << QStringLiteral("1.0") << true << 2 << true;
        QTest::newRow("1.0 plain") << QStringLiteral("1.0") << false << 2 << true;
        QTest::newRow("2.0") << QStringLiteral("2.0") << true << 0 << true;
        QTest::newRow("2.1") << QStringLiteral("2.1") << true << 0 << true;
        QTest::newRow("2.2") << QStringLiteral("2.2") << true << 0 << true;
        QTest::newRow("2.3") << QStringLiteral("2.3") << true << 0 << true;
        QTest::newRow("2.4") << QStringLiteral("2.4") << true << 0 << true;
        QTest::newRow("2.3 plain") << QStringLiteral("2.3") << false << 0 << false;
        QTest::newRow("2.5") << QStringLiteral("2.5") << true << 0 << true;
        QTest::newRow("2.7") << QStringLiteral("2.7") << true << 0 << true;
        QTest::newRow("2.7 plain") << QStringLiteral("2.7") << false << 0 << false;
    }

    void olderVersions()
    {
        QFETCH(QString, version);
        QFETCH(bool, oldNames);
        QFETCH(int, result);
        QFETCH(bool, rewritten);
        fixture::RecordingReporter reporter;

        auto source = fixture::BuildFixture();
        const QByteArray old = OldProjectText(*source, version, oldNames);
        const QString file = path(QStringLiteral("stary.orv"));
        writeAll(file, old);
        if (oldNames) {
            QVERIFY(old.contains("TUNI10;0. doska") && old.contains("TMB;2. doska") && old.contains("UNI10;jej meno"));
            QVERIFY(old.contains("0L0 - E0-L0 - MB;meno klavesy") && old.contains("1L1 Pr. 02;jej meno"));
        }

        auto expected = fixture::BuildFixture();
        StripToVersion(*expected, version);

        TAPult back(QStringLiteral("/opt/kelvara/kelvara"));
        QCOMPARE(back.LoadFromFile(file), result);
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*expected, DumpScope::Stored));
        QVERIFY(reporter.reports.isEmpty());

        const QStringList copies = QDir(dir.path()).entryList({QStringLiteral("stary_*.bak")}, QDir::Files);
        if (!rewritten) {
            QCOMPARE(readAll(file), old);
            QVERIFY(copies.isEmpty());
            return;
        }
        // Rewritten in the current layout, the old file kept beside it and in the backup folder.
        QCOMPARE(readAll(file), expected->ProjectText());
        QVERIFY(readAll(file).startsWith("ORV ver2.6\r\n"));
        QCOMPARE(copies.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^stary_\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d{3}\\.bak$")).match(copies[0]).hasMatch(),
                 qPrintable(copies[0]));
        QCOMPARE(readAll(path(copies[0])), old);
        const QStringList backups = filesIn(backupFolder());
        QCOMPARE(backups.size(), 1);
        QCOMPARE(readAll(backupFolder() + u'/' + backups[0]), old);

        // The rewritten file reads as it is.
        TAPult again;
        QCOMPARE(again.LoadFromFile(file), 0);
        COMPARE_DUMPS(DumpFields(again, DumpScope::Stored), DumpFields(*expected, DumpScope::Stored));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("stary_*.bak")}, QDir::Files).size(), 1);
    }

    void failedUpgradeIsReported()
    {
        // The old file was read; only its rewrite fails. The caller gets the
        // configuration, the error is reported and the old file stays.
        auto source = fixture::BuildFixture();
        const QByteArray old = OldProjectText(*source, QStringLiteral("2.0"), true);
        const QString file = path(QStringLiteral("zamknuty.orv"));
        writeAll(file, old);
        QVERIFY(QDir().mkpath(file + QStringLiteral(".new~")));
        fixture::RecordingReporter reporter;
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 0);
        QVERIFY(back.Pulty[0] && back.Pulty[1]);
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports[0].first, TReportKind::Error);
        QVERIFY(reporter.reports[0].second.contains(file));
        QCOMPARE(readAll(file), old);
        QVERIFY(QDir(file + QStringLiteral(".new~")).removeRecursively());
    }

    void everyOldNameIsConverted()
    {
        // Whichever old name comes first, the others in the file are converted too.
        auto source = fixture::BuildFixture();
        QByteArray text = source->ProjectText();
        text = withValue(text, "0. doska", 0, "TMB");
        text = withValue(text, "2. doska", 0, "TUNI10");
        text = withValue(text, "3. doska", 0, "TAUT");
        text = withValue(text, "4. doska", 0, "TUB");
        const QString file = path(QStringLiteral("mena.orv"));
        writeAll(file, text);
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 0);
        QCOMPARE(back.SlotyDosiek[0].Meno, QStringLiteral("TMB5"));
        QCOMPARE(back.SlotyDosiek[2].Meno, QStringLiteral("TUL10"));
        QCOMPARE(back.SlotyDosiek[3].Meno, QStringLiteral("TAUT3"));
        QCOMPARE(back.SlotyDosiek[4].Meno, QStringLiteral("TUB5"));
        QVERIFY(readAll(file).contains("TMB5;0. doska\r\n"));
    }

    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray good = fixture::BuildFixture()->ProjectText();
        const int lines = lineCount(good);
        QTest::newRow("three consoles") << withValue(good, "pocet pultov", 0, "3");
        QTest::newRow("negative console count") << withValue(good, "pocet pultov", 0, "-1");
        QTest::newRow("console count not a number") << withValue(good, "pocet pultov", 0, "dva");
        QTest::newRow("console count null") << withValue(good, "pocet pultov", 0, "null");
        QTest::newRow("eleven lines") << withValue(good, "jej pocet liniek", 0, "11");
        QTest::newRow("line count 300") << withValue(good, "jej pocet liniek", 0, "300");
        QTest::newRow("251 extended lines") << withValue(good, "pocet rozsirenych liniek", 0, "251");
        QTest::newRow("257 phone entries") << withValue(good, "pocet poloziek telefonneho zoznamu", 0, "257");
        QTest::newRow("negative phone count")
            << withValue(good, "pocet poloziek telefonneho zoznamu", 0, "-1");
        QTest::newRow("phone count not a number")
            << withValue(good, "pocet poloziek telefonneho zoznamu", 1, "x");
        QTest::newRow("speed dial not hex")
            << withValue(good, "skratena volba", 0, "ZZ" + QByteArray(52, 'F'));
        QTest::newRow("speed dial half pair not hex") << withValue(good, "skratena volba", 0, "1FG");
        QTest::newRow("MSN not hex") << withValue(good, "MSN cislo", 0, "12X4");
        QTest::newRow("MSN flags not hex") << withValue(good, "MSN priznaky", 0, "0-");
        QTest::newRow("byte 256") << withValue(good, "typ linky", 0, "256");
        QTest::newRow("negative byte") << withValue(good, "kod dosky", 2, "-1");
        QTest::newRow("slot code 300") << withValue(good, "0. doska", 1, "300");
        QTest::newRow("system type 256") << withValue(good, "typ systemu", 0, "256");
        QTest::newRow("colour beyond 32 bits") << withValue(good, "farba klavesy", 0, "99999999999");
        QTest::newRow("board index 3 for 0") << withValue(good, "poradie dosky", 0, "3");
        QTest::newRow("line index") << withValue(good, "poradie linky", 1, "0");
        QTest::newRow("extended-line index") << withValue(good, "poradie rozsirenej linky", 2, "7");
        QTest::newRow("console index") << withValue(good, "poradie pultu", 1, "0");
        QTest::newRow("flag line not hex") << withValue(good, "79 [4FH]", 0, "GG");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("header only") << QByteArray("ORV ver2.6\r\n");
        QTest::newRow("first line only, version 1.0") << QByteArray("2;pocet pultov");
        QTest::newRow("half the file") << firstLines(good, lines / 2);
        QTest::newRow("ends in the phone book")
            << firstLines(good, lineIndex(good, "pocet poloziek telefonneho zoznamu", 0) + 2);
        QTest::newRow("cut inside a line") << good.left(good.size() / 3);
        QTest::newRow("key block runs to the end") << firstLines(good, 70) + "A;uzivatelske meno klavesy\r\nB;x\r\n";
        QTest::newRow("binary") << QByteArray(4096, '\xFF');
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, content);
        const QString file = path(QStringLiteral("zly.orv"));
        writeAll(file, content);
        fixture::RecordingReporter reporter;
        TAPult cfg;
        QCOMPARE(cfg.LoadFromFile(file), 1);
        for (const auto &p : cfg.Pulty)
            QVERIFY(!p);
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports[0].first, TReportKind::Warning);
        QVERIFY(reporter.reports[0].second.startsWith(LoadStrDll(62)));
        QVERIFY(reporter.reports[0].second.contains(file));
        QCOMPARE(readAll(file), content);
        QCOMPARE(filesIn(dir.path()), QStringList({QStringLiteral("prog"), QStringLiteral("zly.orv")}));
        QVERIFY(!QFileInfo::exists(backupFolder()) || filesIn(backupFolder()).isEmpty());
    }

    void faultKeepsHeaderFields()
    {
        QByteArray text = fixture::BuildFixture()->ProjectText();
        text = withValue(text, "poradie dosky", 0, "3");
        const QString file = path(QStringLiteral("hlavicka.orv"));
        writeAll(file, text);
        fixture::RecordingReporter reporter;
        TAPult cfg;
        QCOMPARE(cfg.LoadFromFile(file), 1);
        QCOMPARE(cfg.PocetPultov, 2);
        QCOMPARE(cfg.SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(cfg.TypSystemu, Byte(1));
    }

    void missingFileIsAFileError()
    {
        TAPult cfg;
        QVERIFY_THROWS_EXCEPTION(EFileError, cfg.LoadFromFile(path(QStringLiteral("nikde.orv"))));
    }

    void savingIsFast()
    {
        auto fixtureCfg = fixture::BuildFixture();
        auto full = fullProject();
        const QString file = path(QStringLiteral("velky.orv"));
        QElapsedTimer t;
        qint64 small = 1 << 30;
        for (int i = 0; i < 3; ++i) {
            fixtureCfg->Pulty[0]->Klavesy[0]->Led = Byte(i); // a real change each time
            t.start();
            fixtureCfg->SaveToFile(path(QStringLiteral("maly.orv")));
            small = std::min(small, t.elapsed());
        }
        t.start();
        full->SaveToFile(file);
        const qint64 large = t.restart();
        TAPult back;
        QCOMPARE(back.LoadFromFile(file), 0);
        const qint64 read = t.elapsed();
        qInfo("save fixture %lld ms, save full %lld ms (%lld bytes), read full %lld ms", small, large,
              QFileInfo(file).size(), read);
        QVERIFY2(small < 100, qPrintable(QString::number(small)));
        QVERIFY2(large < 3000, qPrintable(QString::number(large)));
        COMPARE_DUMPS(DumpFields(back, DumpScope::Stored), DumpFields(*full, DumpScope::Stored));
    }
};

QTEST_GUILESS_MAIN(TestProjectFile)
#include "test_projectfile.moc"
