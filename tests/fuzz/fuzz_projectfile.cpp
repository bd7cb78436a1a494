// The project text file reader (TAPult::LoadFromFile) on arbitrary file bytes.
// Besides the sanitizers it checks that a faulty file is reported and leaves no
// console, and that what the writer makes of a file it read reads back to the
// same text (unless the reader had old names to convert on the way). Every
// project it accepts then goes through the write conversions, as Write to
// system, the tables file and Save as PC console take it: each console into
// the system image (ModelToImage) and into its PC console record
// (ModelToPcRecord), whose bytes must read back; the project converted so
// still saves and reads back as itself.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "cardpack/registry.h"
#include "fuzzinput.h"
#include "fuzzmodel.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "model/reporter.h"
#include "platform/programfolder.h"
#include "records/modeltoimage.h"
#include "records/pcrecord.h"
#include "records/systemimage.h"

namespace
{

class CountingReporter : public TModelReporter
{
public:
    void Report(TReportKind kind, const QString &) override
    {
        if (kind == TReportKind::Warning)
            ++warnings;
        else if (kind == TReportKind::Error)
            ++errors;
    }
    int warnings = 0;
    int errors = 0;
};

QTemporaryDir *folder = nullptr;
CountingReporter *reporter = nullptr;

QString projectPath()
{
    return folder->path() + QStringLiteral("/project.orv");
}

// Everything the reader left (upgrade copies, backups) goes before the next input.
bool removeLeftovers()
{
    QDir dir(folder->path());
    bool upgraded = false;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name.endsWith(QLatin1String(".bak")))
            upgraded = true;
        QFileInfo info(dir.filePath(name));
        if (info.isDir())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }
    return upgraded;
}

// The bounds of a configuration read. written: it went through the write
// conversions, which create console 1 where the project has none (its system
// tables are sent for every project), beyond the console count.
void checkBounds(const TAPult &cfg, bool written = false)
{
    // A count of 0 is what the writer writes for a project without consoles.
    FUZZ_CHECK(cfg.PocetPultov <= 2);
    for (int p = cfg.PocetPultov; p < ConsoleCount && !written; ++p)
        FUZZ_CHECK(!cfg.Pulty[p]);
    for (const auto &pult : cfg.Pulty) {
        if (!pult)
            continue;
        for (const auto &board : pult->Dosky) {
            if (!board)
                continue;
            FUZZ_CHECK(board->PocetLiniek <= LineCount);
            for (const auto &line : board->Linky)
                if (line)
                    FUZZ_CHECK(line->PocetRLiniek <= ExtLineCount);
        }
    }
}

// The write conversions of every console, with the cards an open places in
// the project's slots and the program's board-type list.
void convertForWriting(std::unique_ptr<TAPult> &cfg)
{
    static std::unique_ptr<TZoznam> list = Registry::CreateBoardList(QStringLiteral("TZOZ"));
    FUZZ_CHECK(list != nullptr);
    TCardSet cards;
    for (int slot = 0; slot < BoardCount; ++slot)
        if (!cfg->SlotyDosiek[slot].Meno.isEmpty())
            cards.CreateCardByName(cfg->SlotyDosiek[slot].Meno, slot);
    auto image = std::make_unique<TSystemImage>();
    for (int n = 0; n < ConsoleCount; ++n)
        if (cfg->Pulty[n]) {
            image->ConsoleType(n) = cfg->Pulty[n]->TypPultu;
            image->ScreenCount(n) = cfg->Pulty[n]->PocetObrazoviek;
        }
    TRecordContext ctx{cfg, *image, list.get(), cards, QStringLiteral("/opt/kelvara/kelvara")};
    auto record = std::make_unique<TPcRecord>();
    auto uni = std::make_unique<TUniRecord>();
    auto again = std::make_unique<TPcRecord>();
    auto uniAgain = std::make_unique<TUniRecord>();
    for (int n = 0; n < ConsoleCount; ++n) {
        FUZZ_CHECK(ModelToImage(ctx, n));
        FUZZ_CHECK(image->ToBytes().size() == TSystemImage::Size);
        FUZZ_CHECK(ModelToPcRecord(ctx, n, *record, *uni));
        FUZZ_CHECK(ctx.Config.Get() == cfg.get());
        FUZZ_CHECK(again->FromBytes(record->ToBytes()) == RecordResult::Ok);
        FUZZ_CHECK(again->ToBytes() == record->ToBytes());
        FUZZ_CHECK(uniAgain->FromBytes(uni->ToBytes()) == RecordResult::Ok);
    }
    checkBounds(*cfg, true);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    folder = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/kelvara-fuzz-XXXXXX"));
    if (!folder->isValid())
        fuzz::Fail("no temporary folder");
    // Backups of rewritten files land in the program folder: keep them in ours.
    platform::SetProgramFolder(folder->path());
    reporter = new CountingReporter;
    SetModelReporter(reporter);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = projectPath();
    fuzz::WriteFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    *reporter = CountingReporter();
    auto cfg = std::make_unique<TAPult>(QStringLiteral("/opt/kelvara/kelvara"));
    int result = -1;
    try {
        result = cfg->LoadFromFile(path);
    } catch (const EFileError &) {
        fuzz::Fail("a readable file was refused as unreadable");
    }
    FUZZ_CHECK(result >= 0 && result <= 2);
    if (result == 1) {
        FUZZ_CHECK(reporter->warnings == 1);
        for (const auto &pult : cfg->Pulty)
            FUZZ_CHECK(!pult);
        removeLeftovers();
        return 0;
    }
    FUZZ_CHECK(reporter->errors == 0);
    checkBounds(*cfg);
    removeLeftovers();

    // The writer's text must read back as itself.
    const QByteArray text = cfg->ProjectText();
    fuzz::WriteFile(path, text);
    auto again = std::make_unique<TAPult>(QStringLiteral("/opt/kelvara/kelvara"));
    const int second = again->LoadFromFile(path);
    FUZZ_CHECK(second == 0);
    const bool converted = removeLeftovers();
    if (!converted)
        FUZZ_CHECK(again->ProjectText() == text);

    // Written to the system: the conversions change the project only as the
    // system needs it, and what they leave still saves and reads back.
    convertForWriting(again);
    if (!converted) {
        fuzz::CheckProjectRoundTrip(*again, path);
        removeLeftovers();
    }
    return 0;
}
