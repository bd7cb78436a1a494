// The console side files of a project: a PC console written and read back
// through its files, a second save over the read-only file, damaged files
// that change nothing, the open dialog, boards taken from a record and the
// hints taken when a project is opened.
#include <QTemporaryDir>
#include <QtTest>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "cardpack/karty.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "records/modeltoimage.h"
#include "records/pcrecord.h"
#include "records/sidefiles.h"
#include "records/systemimage.h"
#include "tests/fixture/fixture.h"
#include "tests/image/imagefixture.h"
#include "tests/image/roundtripfixture.h"

namespace
{

class ScriptedHost : public TSideFileHost
{
public:
    bool ChooseFile(const QString &title, const QString &defaultExtension, const QString &filter,
                    QString &fileName) override
    {
        questions << title + QLatin1Char('|') + defaultExtension + QLatin1Char('|') + filter;
        if (!answer)
            return false;
        fileName = *answer;
        return true;
    }
    void SetInterfaceLocked(bool locked) override { locks << locked; }

    std::optional<QString> answer;
    QStringList questions;
    QList<bool> locks;
};

QByteArray ReadAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &name, const QByteArray &bytes)
{
    QFile::setPermissions(name, QFile::permissions(name) | QFileDevice::WriteOwner);
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The file's mode bits (the "user" permissions of Qt depend on who asks).
bool WritableByAnyone(const QString &name)
{
    struct stat st {
    };
    return ::stat(QFile::encodeName(name).constData(), &st) != 0 || (st.st_mode & 0222) != 0;
}

QString FileText(const QString &name, int reason)
{
    return LoadStrDll(1) + QStringLiteral(" \"") + name + QStringLiteral("\" ") + LoadStrDll(reason);
}

struct Rig {
    QString folder;
    std::unique_ptr<TAPult> config;
    std::unique_ptr<TSystemImage> image = std::make_unique<TSystemImage>();
    std::unique_ptr<TPcRecord> pc = std::make_unique<TPcRecord>();
    std::unique_ptr<TUniRecord> uni = std::make_unique<TUniRecord>();
    TZOZ zoz;
    TZoznam *list = &zoz;
    TCardSet cards;
    RecordingLog log;
    ScriptedHost host;
    QString project;
    bool quiet = false;

    explicit Rig(const QString &folder) : folder(folder), project(folder + QStringLiteral("/stanica.orv")) {}

    TSideFileContext Context()
    {
        return TSideFileContext{config,
                                *image,
                                *pc,
                                *uni,
                                *list,
                                cards,
                                log,
                                host,
                                project,
                                quiet,
                                QStringLiteral("/prog/kelvara")};
    }
    bool Save(int console, const QString &projectFile)
    {
        TSideFileContext ctx = Context();
        return SaveToPC(ctx, console, projectFile);
    }
    bool Load(int console, bool &failed, bool fromSystem = true, bool asked = true)
    {
        TSideFileContext ctx = Context();
        QString rejected;
        int unconfigured = 0;
        return LoadPcPultFile(ctx, asked, failed, console, fromSystem, rejected, unconfigured);
    }
    // The fixture with both consoles as PC consoles.
    void Fixture()
    {
        config = roundtrip::ConsistentFixture(cards);
        for (int c = 0; c < ConsoleCount; ++c) {
            config->Pulty[c]->TypPultu = 1;
            image->ConsoleType(c) = 1;
            image->ScreenCount(c) = config->Pulty[c]->PocetObrazoviek;
        }
    }
    // A configuration as a read from the system starts it, before the PC
    // consoles are loaded.
    void FreshFrom(const TAPult &source)
    {
        config = roundtrip::FreshLike(source);
        roundtrip::PlaceCards(cards, source);
        for (int c = 0; c < ConsoleCount; ++c) {
            image->ConsoleType(c) = 1;
            image->ScreenCount(c) = source.Pulty[c]->PocetObrazoviek;
        }
    }
};

} // namespace

class TestSideFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        LoadShippedLanguage();
        QVERIFY(dir.isValid());
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("console1");
        QTest::addColumn<QString>("uni");
        QTest::newRow("plain") << "/p/abc.orv"
                               << "/p/abc_1.cfg"
                               << "/p/abc.uni";
        QTest::newRow("two dots") << "/p/x.tar.orv"
                                  << "/p/x.tar_1.cfg"
                                  << "/p/x.tar.uni";
        QTest::newRow("dot in the folder") << "/p.q/abc"
                                           << "/p.q/abc_1.cfg"
                                           << "/p.q/abc.uni";
        QTest::newRow("no folder") << "abc.ORV"
                                   << "abc_1.cfg"
                                   << "abc.uni";
    }

    void fileNames()
    {
        QFETCH(QString, project);
        QFETCH(QString, console1);
        QFETCH(QString, uni);
        QCOMPARE(PcConsoleFileName(project, 1), console1);
        QCOMPARE(UniFileName(project), uni);
    }

    // Both consoles written, read back into a new configuration and written
    // again: the same bytes, the same keys with their hints.
    void roundTrip()
    {
        Rig first(dir.path());
        first.Fixture();
        for (int c = 0; c < ConsoleCount; ++c)
            QVERIFY(first.Save(c, first.project));
        for (int c = 0; c < ConsoleCount; ++c) {
            const QString name = PcConsoleFileName(first.project, c);
            QCOMPARE(first.log.boxes[c].kind, TReportKind::Information);
            QCOMPARE(first.log.boxes[c].text, LoadStrDll(222).replace(QStringLiteral("%s"), name));
            QCOMPARE(QFileInfo(name).size(), qint64(pcrec::Size));
            QVERIFY(!WritableByAnyone(name));
        }
        QCOMPARE(first.log.boxes.size(), std::size_t(2));
        const QString uniName = UniFileName(first.project);
        QCOMPARE(QFileInfo(uniName).size(), qint64(unirec::Size));
        QCOMPARE(ReadAll(uniName), first.uni->ToBytes());
        QCOMPARE(ReadAll(PcConsoleFileName(first.project, 1)), first.pc->ToBytes());

        Rig second(dir.path());
        second.FreshFrom(*first.config);
        for (int c = 0; c < ConsoleCount; ++c) {
            bool failed = true;
            QVERIFY(second.Load(c, failed));
            QVERIFY(!failed);
        }
        QVERIFY(second.log.boxes.empty());
        QVERIFY(second.log.entries.empty());
        QVERIFY(second.host.questions.isEmpty());

        // The saves left the configuration as the conversion makes it.
        TAPult &expected = *first.config;
        for (int c = 0; c < ConsoleCount; ++c) {
            roundtrip::ToPcRecordForm(expected, c);
            const TPult &want = *expected.Pulty[c];
            const TPult &got = *second.config->Pulty[c];
            for (int k = 0; k < KeyCount; ++k)
                COMPARE_DUMPS(QStringLiteral("%1/%2: ").arg(c).arg(k) + fixture::DumpKey(*want.Klavesy[k]),
                              QStringLiteral("%1/%2: ").arg(c).arg(k) + fixture::DumpKey(*got.Klavesy[k]));
        }
        const TPult &p0 = *second.config->Pulty[0];
        QCOMPARE(p0.Klavesy[0]->HintKlavesy, QStringLiteral("Hlavná linka žst. Čierna"));
        QCOMPARE(p0.Klavesy[1]->TextColor, -16777201);
        QCOMPARE(p0.Klavesy[1]->Volba, Byte(0xA1));
        QCOMPARE(p0.Klavesy[3]->PozicRLinky, Byte(10));

        const QString again = dir.path() + QStringLiteral("/znova.orv");
        for (int c = 0; c < ConsoleCount; ++c) {
            QVERIFY(second.Save(c, again));
            QCOMPARE(ReadAll(PcConsoleFileName(again, c)), ReadAll(PcConsoleFileName(first.project, c)));
        }
        QCOMPARE(ReadAll(UniFileName(again)), ReadAll(uniName));
    }

    // A second save replaces the read-only file and leaves it read-only; the
    // old file is replaced whole, never rewritten in place.
    void secondSave()
    {
        Rig rig(dir.path());
        rig.project = dir.path() + QStringLiteral("/druhy.orv");
        rig.Fixture();
        QVERIFY(rig.Save(0, rig.project));
        const QString name = PcConsoleFileName(rig.project, 0);
        const QByteArray before = ReadAll(name);
        QVERIFY(!WritableByAnyone(name));
        const QString kept = name + QStringLiteral(".link");
        QCOMPARE(::link(QFile::encodeName(name).constData(), QFile::encodeName(kept).constData()), 0);

        rig.config->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("Nové meno");
        QVERIFY(rig.Save(0, rig.project));
        const QByteArray after = ReadAll(name);
        QCOMPARE(after.size(), pcrec::Size);
        QVERIFY(after != before);
        auto record = std::make_unique<TPcRecord>();
        QCOMPARE(record->FromBytes(after), RecordResult::Ok);
        QCOMPARE(record->NameText(KeyAddress(0)), QStringLiteral("Nové meno"));
        QVERIFY(!WritableByAnyone(name));
        QCOMPARE(ReadAll(kept), before);
        QVERIFY(QFileInfo(name).permissions() & QFileDevice::ReadOwner);
        QCOMPARE(rig.log.boxes.size(), std::size_t(2));
    }

    void writeFailure()
    {
        Rig rig(dir.path());
        rig.Fixture();
        const QString project = dir.path() + QStringLiteral("/chyba/projekt.orv");
        QVERIFY(!rig.Save(0, project));
        QCOMPARE(rig.log.boxes.size(), std::size_t(2));
        for (const auto &box : rig.log.boxes) {
            QCOMPARE(box.kind, TReportKind::Error);
            QVERIFY2(box.text.contains(LoadStrDll(284)), qPrintable(box.text));
        }
        QVERIFY(rig.log.boxes[0].text.contains(PcConsoleFileName(project, 0)));
        QVERIFY(rig.log.boxes[1].text.contains(UniFileName(project)));
        QCOMPARE(rig.log.entries.size(), std::size_t(2));

        // Quiet: logged only.
        rig.log = RecordingLog();
        rig.quiet = true;
        QVERIFY(!rig.Save(0, project));
        QVERIFY(rig.log.boxes.empty());
        QCOMPARE(rig.log.entries.size(), std::size_t(2));
        QVERIFY(rig.Save(0, rig.project));
        QVERIFY(rig.log.boxes.empty());
        QCOMPARE(rig.log.entries.back().kind, TReportKind::Information);
    }

    void damagedFile_data()
    {
        QTest::addColumn<QString>("file"); // "cfg" or "uni"
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("reason");
        QTest::newRow("missing") << "cfg"
                                 << "missing" << 16;
        QTest::newRow("empty") << "cfg"
                               << "empty" << 280;
        QTest::newRow("short") << "cfg"
                               << "short" << 280;
        QTest::newRow("one byte short") << "cfg"
                                        << "one byte short" << 280;
        QTest::newRow("wrong magic") << "cfg"
                                     << "wrong magic" << 281;
        QTest::newRow("old record") << "cfg"
                                    << "old magic" << 281;
        QTest::newRow("a folder") << "cfg"
                                  << "folder" << 16;
        QTest::newRow("UNI missing") << "uni"
                                     << "missing" << 16;
        QTest::newRow("UNI short") << "uni"
                                   << "short" << 280;
        QTest::newRow("UNI wrong magic") << "uni"
                                         << "wrong magic" << 282;
    }

    // A damaged file fails the load with its name and reason and changes
    // neither the buffers nor the image nor the configuration.
    void damagedFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(int, reason);
        QTemporaryDir here;
        Rig rig(here.path());
        rig.Fixture();
        QVERIFY(rig.Save(0, rig.project));
        const QString name =
            file == QLatin1String("cfg") ? PcConsoleFileName(rig.project, 0) : UniFileName(rig.project);
        QByteArray bytes = ReadAll(name);
        if (damage == QLatin1String("missing") || damage == QLatin1String("folder")) {
            QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QVERIFY(QFile::remove(name));
            if (damage == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(name));
        } else if (damage == QLatin1String("empty")) {
            WriteAll(name, QByteArray());
        } else if (damage == QLatin1String("short")) {
            WriteAll(name, bytes.left(1000));
        } else if (damage == QLatin1String("one byte short")) {
            WriteAll(name, bytes.left(bytes.size() - 1));
        } else if (damage == QLatin1String("wrong magic")) {
            bytes[2] = 'X';
            WriteAll(name, bytes);
        } else if (damage == QLatin1String("old magic")) {
            bytes.replace(0, 6, QByteArray("\x04KAV2W", 6));
            WriteAll(name, bytes);
        }

        // The buffers hold something else before the load.
        rig.config->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("Pred");
        {
            TRecordContext ctx{rig.config, *rig.image, rig.list, rig.cards, QString()};
            QVERIFY(ModelToPcRecord(ctx, 1, *rig.pc, *rig.uni));
        }
        const QByteArray pcBefore = rig.pc->ToBytes();
        const QByteArray uniBefore = rig.uni->ToBytes();
        const QByteArray imageBefore = rig.image->ToBytes();
        const QString modelBefore = fixture::DumpFields(*rig.config);
        rig.log = RecordingLog();

        bool failed = false;
        QVERIFY(rig.Load(0, failed));
        QVERIFY(failed);
        const QString text = FileText(name, reason);
        QCOMPARE(rig.log.boxes.size(), std::size_t(1));
        QCOMPARE(rig.log.boxes[0].kind, TReportKind::Error);
        if (reason == 16)
            QCOMPARE(rig.log.boxes[0].text, text);
        else
            QCOMPARE(rig.log.boxes[0].text.left(text.size()), text);
        QCOMPARE(rig.log.traces, QStringList{rig.log.boxes[0].text});
        QCOMPARE(rig.log.entries.size(), std::size_t(1));
        QCOMPARE(rig.pc->ToBytes(), pcBefore);
        QCOMPARE(rig.uni->ToBytes(), uniBefore);
        QCOMPARE(rig.image->ToBytes(), imageBefore);
        COMPARE_DUMPS(modelBefore, fixture::DumpFields(*rig.config));
        QCOMPARE(rig.project, here.path() + QStringLiteral("/stanica.orv"));
    }

    // A board-type list that keeps one file per console reads no UNI file.
    void perConsoleFiles()
    {
        QTemporaryDir here;
        Rig rig(here.path());
        TestList list{5, 1};
        rig.list = &list;
        rig.Fixture();
        QVERIFY(rig.Save(0, rig.project));
        QVERIFY(QFile::remove(UniFileName(rig.project)));
        Rig load(here.path());
        load.list = &list;
        load.FreshFrom(*rig.config);
        bool failed = true;
        QVERIFY(load.Load(0, failed));
        QVERIFY(!failed);
        QCOMPARE(load.config->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Dispečer Ľubo"));
        // The UNI record stays at its defaults.
        auto defaults = std::make_unique<TUniRecord>();
        InitUniRecord(*defaults);
        QCOMPARE(load.uni->ToBytes(), defaults->ToBytes());
    }

    // The open dialog when the session has not asked yet.
    void chooseFile()
    {
        QTemporaryDir here;
        Rig saved(here.path());
        saved.Fixture();
        QVERIFY(saved.Save(1, here.path() + QStringLiteral("/vyber.orv")));

        Rig rig(here.path());
        rig.FreshFrom(*saved.config);
        rig.project = LoadStrDll(2);
        rig.host.answer = here.path() + QStringLiteral("/vyber.uni");
        bool asked = false;
        bool failed = true;
        QString rejected;
        int unconfigured = 0;
        TSideFileContext ctx = rig.Context();
        QVERIFY(LoadPcPultFile(ctx, asked, failed, 1, true, rejected, unconfigured));
        QVERIFY(asked);
        QVERIFY(!failed);
        QCOMPARE(rig.host.questions, QStringList{LoadStrDll(200) + QStringLiteral(" UNI ") + LoadStrDll(201) +
                                                 QStringLiteral("|uni|*.uni|*.uni")});
        QCOMPARE(rig.host.locks, (QList<bool>{false, true}));
        QCOMPARE(rig.project, here.path() + QStringLiteral("/vyber.uni"));
        QCOMPARE(rig.config->Pulty[1]->Klavesy[100]->MenoKlavesy, QStringLiteral("HLS Ťahač"));

        // Asked already: no dialog.
        QVERIFY(LoadPcPultFile(ctx, asked, failed, 1, true, rejected, unconfigured));
        QCOMPARE(rig.host.questions.size(), 1);

        // Cancel: failed, nothing read.
        Rig cancel(here.path());
        cancel.FreshFrom(*saved.config);
        const QString modelBefore = fixture::DumpFields(*cancel.config);
        const QString projectBefore = cancel.project;
        TSideFileContext cctx = cancel.Context();
        asked = false;
        QVERIFY(LoadPcPultFile(cctx, asked, failed, 1, true, rejected, unconfigured));
        QVERIFY(failed);
        QVERIFY(!asked);
        QCOMPARE(cancel.project, projectBefore);
        COMPARE_DUMPS(modelBefore, fixture::DumpFields(*cancel.config));
        QVERIFY(cancel.log.boxes.empty());
    }

    // A console file chosen directly is read itself, and names the project.
    void chooseConsoleFile()
    {
        QTemporaryDir here;
        Rig saved(here.path());
        TestList list{5, 1};
        saved.list = &list;
        saved.Fixture();
        QVERIFY(saved.Save(0, here.path() + QStringLiteral("/zdroj.orv")));
        const QString chosen = here.path() + QStringLiteral("/PULT.CFG");
        QVERIFY(QFile::copy(PcConsoleFileName(here.path() + QStringLiteral("/zdroj.orv"), 0), chosen));

        Rig rig(here.path());
        rig.list = &list;
        rig.FreshFrom(*saved.config);
        rig.host.answer = chosen;
        bool failed = true;
        QVERIFY(rig.Load(1, failed, true, false));
        QVERIFY(!failed);
        QCOMPARE(rig.host.questions, QStringList{LoadStrDll(200) + QStringLiteral(" 1. CFG ") +
                                                 LoadStrDll(201) + QStringLiteral("|cfg|*.cfg|*.cfg")});
        QCOMPARE(rig.project, here.path() + QStringLiteral("/PULT.orv"));
        QCOMPARE(rig.pc->ToBytes(), ReadAll(chosen));
        // Console 1 takes block 1 of the file (console 0 has no key 100).
        QCOMPARE(rig.config->Pulty[1]->Klavesy[100]->bitovyByte, Byte(5));
        QCOMPARE(rig.config->Pulty[1]->Klavesy[100]->ObsluhaKlavesy,
                 saved.config->Pulty[1]->Klavesy[100]->ObsluhaKlavesy);
    }

    // Not from the system: the record's boards go into the project's slots
    // when the card package knows them; the others are listed.
    void boardsFromRecord()
    {
        QTemporaryDir here;
        Rig rig(here.path());
        rig.project = here.path() + QStringLiteral("/dosky.orv");
        auto record = std::make_unique<TPcRecord>();
        InitPcRecord(*record);
        record->BoardCode(0) = 71;
        record->BoardCode(1) = 0x95;
        record->BoardCode(3) = 0x5A;
        record->BoardCode(5) = 0x5B;
        record->BoardCode(14) = 71; // not a slot of this system
        auto uni = std::make_unique<TUniRecord>();
        InitUniRecord(*uni);
        QString error;
        QVERIFY(WriteRecordFile(PcConsoleFileName(rig.project, 0), record->ToBytes(), true, error));
        QVERIFY(WriteRecordFile(UniFileName(rig.project), uni->ToBytes(), false, error));
        rig.config = std::make_unique<TAPult>();
        rig.config->PocetPultov = 1;
        rig.image->ConsoleType(0) = 1;
        rig.image->ScreenCount(0) = 2;

        TSideFileContext ctx = rig.Context();
        bool asked = true;
        bool failed = true;
        QString rejected = QStringLiteral("E0-L3 ($5A)");
        int unconfigured = 0;
        QVERIFY(LoadPcPultFile(ctx, asked, failed, 0, false, rejected, unconfigured));
        QVERIFY(!failed);
        QCOMPARE(rejected, QStringLiteral("E0-L3 ($5A), E0-L5 ($5B)"));
        QCOMPARE(rig.log.traces,
                 (QStringList{LoadStrDll(18) + QLatin1Char(' ') + LoadStrDll(74),
                              LoadStrDll(134) + QStringLiteral("(0. pult): E0-L3 ($5A), E0-L5 ($5B)")}));
        const TAPult &cfg = *rig.config;
        QCOMPARE(cfg.SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(cfg.SlotyDosiek[0].Kod, Byte(71));
        QCOMPARE(cfg.SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(cfg.SlotyDosiek[1].Kod, Byte(148));
        QCOMPARE(cfg.SlotyDosiek[3].Kod, Byte(255));
        QCOMPARE(cfg.SlotyDosiek[14].Kod, Byte(255));
        QVERIFY(rig.cards.CardOfSlot(0));
        QVERIFY(!rig.cards.CardOfSlot(14));
        const TPult &pult = *cfg.Pulty[0];
        QCOMPARE(pult.TypPultu, Byte(1));
        QCOMPARE(pult.Dosky[0]->CisloDosky, Byte(71));
        QCOMPARE(pult.Dosky[0]->PocetLiniek, Byte(10));
        QCOMPARE(pult.Dosky[1]->PocetLiniek, Byte(5));
        QVERIFY(!pult.Dosky[3]);
    }

    // Opening a project takes the hints of its side files when the files
    // agree with it.
    void hintsOnOpen()
    {
        QTemporaryDir here;
        Rig rig(here.path());
        rig.Fixture();
        QVERIFY(rig.Save(0, rig.project));
        auto buffer = std::make_unique<TPcRecord>();

        auto cfg = roundtrip::ConsistentFixture(rig.cards);
        cfg->Pulty[0]->Klavesy[0]->HintKlavesy = QStringLiteral("iná");
        RecordingLog log;
        QVERIFY(TakeSideFileHints(*cfg, rig.project, *buffer, log, false));
        QCOMPARE(cfg->Pulty[0]->Klavesy[0]->HintKlavesy, QStringLiteral("Hlavná linka žst. Čierna"));
        QCOMPARE(cfg->Pulty[0]->Klavesy[10]->HintKlavesy, QStringLiteral("Riadok 1\r\nRiadok 2\nRiadok 3"));
        QCOMPARE(buffer->ToBytes(), ReadAll(PcConsoleFileName(rig.project, 0)));
        // The same hints again: nothing changes.
        QVERIFY(!TakeSideFileHints(*cfg, rig.project, *buffer, log, false));

        // Files that do not agree with the project give no hints.
        cfg->Pulty[0]->Klavesy[0]->HintKlavesy = QStringLiteral("iná");
        cfg->SlotyDosiek[1].Kod = 149;
        QVERIFY(!TakeSideFileHints(*cfg, rig.project, *buffer, log, false));
        cfg->SlotyDosiek[1].Kod = 148;
        cfg->Pulty[0]->Klavesy[2]->bitovyByte = 1;
        QVERIFY(!TakeSideFileHints(*cfg, rig.project, *buffer, log, false));
        QCOMPARE(cfg->Pulty[0]->Klavesy[0]->HintKlavesy, QStringLiteral("iná"));
        QVERIFY(log.boxes.empty());

        // A damaged file is reported and passed over.
        const QString name = PcConsoleFileName(rig.project, 0);
        WriteAll(name, QByteArray("\x05KAVSW", 6));
        QVERIFY(!TakeSideFileHints(*cfg, rig.project, *buffer, log, false));
        QCOMPARE(log.boxes.size(), std::size_t(1));
        QCOMPARE(log.boxes[0].text, FileText(name, 280));
        QVERIFY(!TakeSideFileHints(*cfg, rig.project, *buffer, log, true));
        QCOMPARE(log.boxes.size(), std::size_t(1));
        QCOMPARE(log.entries.size(), std::size_t(2));
        // A missing side file is no error.
        QVERIFY(!TakeSideFileHints(*cfg, here.path() + QStringLiteral("/iny.orv"), *buffer, log, false));
        QCOMPARE(log.entries.size(), std::size_t(2));
    }
};

QTEST_GUILESS_MAIN(TestSideFiles)
#include "test_sidefiles.moc"
