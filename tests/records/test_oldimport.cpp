// The older console files converted for the import: ACF and old CFG records
// made by the tests, their UNI entries, key entries and texts, hostile files
// refused with their reason, and the private folder of the temporary side files.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "platform/programfolder.h"
#include "records/oldimport.h"
#include "records/sidefiles.h"
#include "tests/fixture/fixture.h"
#include "tests/records/oldrecords.h"

namespace
{

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray Entry(const TUniRecord &uni, int i)
{
    const auto e = uni.Entry(i);
    return QByteArray(reinterpret_cast<const char *>(e.data()), int(e.size()));
}

QStringList Leftovers()
{
    return QDir(platform::WriteFolder())
        .entryList({QStringLiteral(".kelvara-import-*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestOldImport : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(program_.isValid());
        platform::SetProgramFolder(program_.path());
    }
    void cleanupTestCase() { platform::SetProgramFolder(QString()); }

    // An old CFG record: boards, blocks, the lines as UNI entries (each line
    // once, placed on its board), key entries but the skipped ones, key texts
    // and dial codes.
    void cfgRecordConverts()
    {
        QTemporaryDir dir;
        oldfile::Builder b(false);
        b.Board(0, 71).Board(3, 0x90).Board(15, 71);
        b.KeyLine(0, 32, 2).KeyLine(0, 33, 2).KeyLine(0, 40, 16).KeyLine(1, 50, 77).KeyLine(0, 60, 200);
        b.KeyEntry(0, 32, QByteArray::fromHex("05010203"));
        b.KeyEntry(0, 33, QByteArray::fromHex("14"));  // 20 among 32 to 38: skipped
        b.KeyEntry(0, 39, QByteArray::fromHex("1402")); // 20 past 38: copied
        b.Hint(32, "Hint one").Name(32, "ABC").Dial(32, 0x33);
        b.Hint(40, QByteArray(100, 'h'), 250).Name(40, "12345678", 200); // lengths past their fields
        b.Byte_(pcrec::ValueTablesOffset + 7, 0x42);
        const QString file = WriteFile(dir, QStringLiteral("old.cfg"), b.Bytes());

        TOldRecord old;
        TPcRecord pc;
        TUniRecord uni;
        InitUniRecord(uni);
        int asked = 0;
        const TCardTypeQuestion ask = [&asked](int, int, Byte &second) {
            ++asked;
            second = 255;
            return Byte(255);
        };
        QString error;
        QCOMPARE(ReadOldRecord(file, false, old, pc, uni, ask, error), TOldReadResult::Converted);
        QCOMPARE(pc.Magic(), QByteArray("KAVSW"));
        QCOMPARE(pc.BoardCode(0), Byte(71));
        QCOMPARE(pc.BoardCode(3), Byte(0x90));
        QCOMPARE(pc.KeyToLineTable(0)[32], Byte(2));
        QCOMPARE(pc.KeyToLineTable(1)[50], Byte(77));
        // Line 2: slot 0, line position 2, on a UL10; line 16: the four-wire
        // board of slot 3 asks, and with no answer its partner entry stays
        // free; 200 is past the slots: no board, no position; 77 (block 1)
        // is line 2 of slot 15.
        QCOMPARE(Entry(uni, 0), QByteArray::fromHex("020047ff0002ffff"));
        QCOMPARE(Entry(uni, 1), QByteArray::fromHex("10ff90ff3001ffff"));
        QCOMPARE(Entry(uni, 2), QByteArray::fromHex("c800ffffff00ffff"));
        QCOMPARE(Entry(uni, 3), QByteArray::fromHex("4d0047fff002ffff"));
        QCOMPARE(Entry(uni, 4), QByteArray(8, char(0xFF)));
        QCOMPARE(asked, 1);

        QCOMPARE(pc.KeyEntry(0, 32)[0], Byte(5));
        QCOMPARE(pc.KeyEntry(0, 32)[3], Byte(3));
        QCOMPARE(pc.KeyEntry(0, 33)[0], Byte(1)); // skipped: the default entry
        QCOMPARE(pc.KeyEntry(0, 33)[13], Byte(7));
        QCOMPARE(pc.KeyEntry(0, 39)[0], Byte(20));
        QCOMPARE(pc.Hint(32), QByteArray("Hint one"));
        QCOMPARE(pc.Name(32), QByteArray("ABC"));
        QCOMPARE(pc.DialCode(32), Byte(0x33));
        QCOMPARE(pc.DialCode(33), Byte(0xA0));
        QCOMPARE(pc.Hint(40), QByteArray(100, 'h'));
        QCOMPARE(pc.Name(40), QByteArray("12345678"));
        QCOMPARE(pc.ValueTables()[7], Byte(0x42));
        QCOMPARE(pc.SchemeColor(0), pcrec::DefaultScheme[0]);
    }

    // A four-wire board whose card can be asked: the partner line follows
    // with the second answer; lines past the pair have no partner.
    void fourWirePartner()
    {
        QTemporaryDir dir;
        oldfile::Builder b(true);
        b.Board(2, 145).KeyLine(0, 32, 10).KeyLine(0, 33, 13).KeyLine(0, 34, 11);
        const QString file = WriteFile(dir, QStringLiteral("four.acf"), b.Bytes());
        TOldRecord old;
        TPcRecord pc;
        TUniRecord uni;
        InitUniRecord(uni);
        QList<QPair<int, int>> asked;
        const TCardTypeQuestion ask = [&asked](int position, int line, Byte &second) {
            asked << qMakePair(position, line);
            second = 4;
            return Byte(3);
        };
        QString error;
        QCOMPARE(ReadOldRecord(file, true, old, pc, uni, ask, error), TOldReadResult::Converted);
        QCOMPARE(asked, (QList<QPair<int, int>>{{2, 0}, {2, 3}}));
        QCOMPARE(Entry(uni, 0), QByteArray::fromHex("0a0391ff2000ffff"));
        QCOMPARE(Entry(uni, 1), QByteArray::fromHex("0b0491ff2001ffff"));
        QCOMPARE(Entry(uni, 2), QByteArray::fromHex("0d0391ff2003ffff"));
        QCOMPARE(Entry(uni, 3), QByteArray(8, char(0xFF))); // 11 was there already
    }

    // Hostile files: each refused with the file's name and its reason, and
    // nothing prepared.
    void hostileFilesRefused_data()
    {
        QTest::addColumn<bool>("acf");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("reason");

        QTest::newRow("acf short") << true << oldfile::Builder(true).Bytes().left(16861) << 280;
        QTest::newRow("cfg short") << false << oldfile::Builder(false).Bytes().left(20000) << 280;
        QTest::newRow("acf wrong magic") << true << oldfile::Builder(true).Magic("KAV3").Bytes() << 320;
        QTest::newRow("acf empty magic") << true << oldfile::Builder(true).Magic("").Bytes() << 320;
        // Neither "KAV2" nor a PC console record: not copied either.
        QTest::newRow("cfg wrong magic") << false << oldfile::Builder(false).Magic("KAVSX").Bytes() << 280;
        QByteArray longWrong = oldfile::Builder(false).Magic("XYZ").Bytes();
        longWrong.append(pcrec::Size - longWrong.size(), char(0));
        QTest::newRow("cfg neither record") << false << longWrong << 281;
        // Every key of all four blocks on a line of its own: 896 lines for
        // 130 UNI entries, but only 255 line numbers exist.
        oldfile::Builder full(false);
        for (int b = 0; b < 4; ++b)
            for (int a = 0; a < 255; ++a)
                full.KeyLine(b, a, Byte(a));
        QTest::newRow("more lines than UNI entries") << false << full.Bytes() << 321;
    }

    void hostileFilesRefused()
    {
        QFETCH(bool, acf);
        QFETCH(QByteArray, bytes);
        QFETCH(int, reason);
        QTemporaryDir dir;
        const QString file = WriteFile(dir, acf ? QStringLiteral("bad.acf") : QStringLiteral("bad.cfg"), bytes);
        TImportRequest request;
        request.IsAcf = acf;
        request.ConsoleTypes = {1, 2};
        request.AcfFile = file;
        request.CfgFiles = {file, QString()};
        TOldRecord old;
        TImportSet set;
        QString error;
        QVERIFY(!PrepareImport(request, old, nullptr, set, error));
        QVERIFY2(error.contains(QLatin1Char('"') + file + QLatin1Char('"')), qPrintable(error));
        QVERIFY2(error.contains(LoadStrDll(reason)), qPrintable(error));
    }

    // A CFG file that is a PC console record already is copied unchanged; an
    // ACF import makes one record for every connected console. The
    // temporary files go into a private folder that takes them with it, and
    // folders left by an import that never ended are deleted first.
    void temporaryFiles()
    {
        QTemporaryDir dir;
        TPcRecord pc;
        InitPcRecord(pc);
        pc.SetHint(40, "as a PC record");
        QByteArray pcBytes = pc.ToBytes();
        pcBytes.append("tail");
        const QString pcFile = WriteFile(dir, QStringLiteral("pc.cfz"), pcBytes);
        const QString oldFile =
            WriteFile(dir, QStringLiteral("old.cfg"), oldfile::Builder(false).KeyLine(1, 40, 7).Bytes());

        QDir(platform::WriteFolder()).mkpath(QStringLiteral(".kelvara-import-stale1/x"));
        QFile stale(platform::WriteFolder() + QStringLiteral("/.kelvara-import-stale1/temp.uni"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();

        TImportRequest request;
        request.IsAcf = false;
        request.ConsoleTypes = {2, 1};
        request.CfgFiles = {pcFile, oldFile};
        TOldRecord old;
        TImportSet set;
        QString error;
        QVERIFY2(PrepareImport(request, old, nullptr, set, error), qPrintable(error));
        QString folderPath;
        {
            const TImportFolder folder;
            QVERIFY(folder.IsValid());
            folderPath = folder.Path();
            QCOMPARE(Leftovers(), QStringList{QFileInfo(folderPath).fileName()});
            QVERIFY(QFileInfo(folderPath).permissions() == (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                            QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
            QStringList errors;
            const QString uni = WriteTempPultFiles(folder, set, errors);
            QCOMPARE(errors, QStringList());
            QCOMPARE(uni, folder.UniFile());
            QFile copied(folder.ConsoleFile(0));
            QVERIFY(copied.open(QIODevice::ReadOnly));
            QCOMPARE(copied.readAll(), pcBytes);
            TPcRecord converted;
            QVERIFY(ReadPcRecordFile(folder.ConsoleFile(1), converted, error));
            QCOMPARE(converted.KeyToLineTable(1)[40], Byte(7));
            QVERIFY(!(QFile::permissions(folder.ConsoleFile(1)) & QFile::WriteOwner));
            TUniRecord written;
            QVERIFY(ReadUniRecordFile(uni, written, error));
            QCOMPARE(Entry(written, 0).left(2), QByteArray::fromHex("0700"));
        }
        QVERIFY(!QFileInfo::exists(folderPath));
        QCOMPARE(Leftovers(), QStringList());

        request = TImportRequest();
        request.ConsoleTypes = {1, 0};
        request.AcfFile = WriteFile(dir, QStringLiteral("a.acf"), oldfile::Builder(true).Bytes());
        QVERIFY2(PrepareImport(request, old, nullptr, set, error), qPrintable(error));
        QVERIFY(set.Records[0] && !set.Records[1]);
        const TImportFolder folder;
        QStringList errors;
        QVERIFY(!WriteTempPultFiles(folder, set, errors).isEmpty());
        QVERIFY(QFileInfo::exists(folder.ConsoleFile(0)));
        QVERIFY(!QFileInfo::exists(folder.ConsoleFile(1)));
    }

    // The boards of an old file as the card package codes them: the slots'
    // codes and the UNI entries of their lines; a code without a card and the
    // empty code stay, and so does a file copied unchanged.
    void cardCodesOfOldBoards()
    {
        QTemporaryDir dir;
        oldfile::Builder b(false);
        b.Board(0, 144).Board(1, 161).Board(2, 70).Board(3, 0x20);
        b.KeyLine(0, 32, 0).KeyLine(0, 33, 5).KeyLine(0, 34, 10).KeyLine(0, 35, 15);
        TPcRecord pc;
        InitPcRecord(pc);
        const QString pcFile = WriteFile(dir, QStringLiteral("pc.cfg"), pc.ToBytes());
        TImportRequest request;
        request.IsAcf = false;
        request.ConsoleTypes = {1, 1};
        request.CfgFiles = {WriteFile(dir, QStringLiteral("old.cfg"), b.Bytes()), pcFile};
        TOldRecord old;
        TImportSet set;
        QString error;
        QVERIFY2(PrepareImport(request, old, nullptr, set, error), qPrintable(error));
        QCOMPARE(Entry(*set.Uni, 0).at(2), char(144));

        const auto list = Registry::CreateBoardList(QStringLiteral("TZOZ"));
        QVERIFY(list);
        TakeCardCodes(set, [&list](Byte code) { return CardCodeOf(*list, code, 0); });
        const TPcRecord &record = *set.Records[0];
        QCOMPARE(record.BoardCode(0), Byte(148));
        QCOMPARE(record.BoardCode(1), Byte(160));
        QCOMPARE(record.BoardCode(2), Byte(71));
        QCOMPARE(record.BoardCode(3), Byte(0x20));
        QCOMPARE(record.BoardCode(4), Byte(0xFF));
        // The entries of lines 0, 5, 10 and 15, then the first free one.
        QByteArray codes;
        for (int j = 0; j < 5; ++j)
            codes.append(Entry(*set.Uni, j).at(2));
        QCOMPARE(codes, QByteArray::fromHex("94A04720FF"));
        QVERIFY(!set.Records[1]);
        QCOMPARE(set.CopyFrom[1], pcFile);
    }
};

QTEST_GUILESS_MAIN(TestOldImport)
#include "test_oldimport.moc"
