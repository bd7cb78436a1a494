// The project text file reader (TAPult::LoadFromFile) on arbitrary file bytes.
// Besides the sanitizers it checks that a faulty file is reported and leaves no
// console, and that what the writer makes of a file it read reads back to the
// same text (unless the reader had old names to convert on the way).

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "fuzzinput.h"
#include "model/objekty.h"
#include "model/reporter.h"
#include "platform/programfolder.h"

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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fuzz::Fail("the project file could not be written");
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

void checkBounds(const TAPult &cfg)
{
    // A count of 0 is what the writer writes for a project without consoles.
    FUZZ_CHECK(cfg.PocetPultov <= 2);
    for (int p = cfg.PocetPultov; p < ConsoleCount; ++p)
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
    writeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

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
    writeFile(path, text);
    auto again = std::make_unique<TAPult>(QStringLiteral("/opt/kelvara/kelvara"));
    const int second = again->LoadFromFile(path);
    FUZZ_CHECK(second == 0);
    const bool converted = removeLeftovers();
    if (!converted)
        FUZZ_CHECK(again->ProjectText() == text);
    return 0;
}
