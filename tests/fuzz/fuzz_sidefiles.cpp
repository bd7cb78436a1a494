// The console side files of a project read from arbitrary file bytes: a PC
// console file (base_n.cfg) and the project's .uni file loaded into a console
// (LoadPcPultFile, which converts the record into the model), or the hints of
// the side file taken when a project is opened (TakeSideFileHints).
//
// Input: two flag bytes, then the console file and the .uni file.
//   byte 0: bits 0-2 board-type list flags (bit 2: no .uni file is read),
//           bit 3 line numbering, bit 4 from the system, bit 5 console 1,
//           bit 6 quiet, bit 7 the hints of an open instead of the load
//   byte 1: bit 0 the console file's length in the next two bytes (else one
//           whole record), bit 1 the console file chosen by its own .cfg name,
//           bit 2 the load starts from the project's configuration (else from
//           none), bit 3 no .uni file, bit 4 no console file, bit 5 the open
//           dialog is shown, bit 6 and cancelled
// The rest after the console file is the .uni file.

#include <QDir>
#include <QFile>

#include <memory>

#include "fuzzinput.h"
#include "fuzzmodel.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "records/pcrecord.h"
#include "records/sidefiles.h"
#include "records/systemimage.h"
#include "tests/fixture/fixture.h"
#include "tests/image/imagefixture.h"
#include "tests/image/roundtripfixture.h"

namespace
{

class Host : public TSideFileHost
{
public:
    bool ChooseFile(const QString &, const QString &, const QString &, QString &) override
    {
        ++asked;
        return !cancel;
    }
    void SetInterfaceLocked(bool locked) override { this->locked = locked; }

    bool cancel = false;
    int asked = 0;
    bool locked = false;
};

const QString &folder()
{
    return fuzz::ScratchFolder("sidefiles");
}

void clearFolder()
{
    for (const QString &stale : QDir(folder()).entryList(QDir::Files))
        QFile::remove(folder() + u'/' + stale);
}

void put(const QString &name, const QByteArray &bytes, bool present)
{
    QFile::remove(name);
    if (present)
        fuzz::WriteFile(name, bytes);
}

void openHints(const QString &project, int console, bool quiet)
{
    TCardSet cards;
    auto config = roundtrip::ConsistentFixture(cards);
    auto buffer = std::make_unique<TPcRecord>();
    RecordingLog log;
    TakeSideFileHints(*config, project, *buffer, log, quiet);
    if (quiet)
        FUZZ_CHECK(log.boxes.empty());
    // Only the file that was there can have been reported.
    FUZZ_CHECK(log.entries.size() <= 1);
    for (const auto &entry : log.entries)
        FUZZ_CHECK(entry.text.contains(PcConsoleFileName(project, console)));
    fuzz::CheckConfigBounds(*config, false);
}

void load(const QString &project, std::uint8_t flags, std::uint8_t more)
{
    const Byte listType = flags & 7;
    const int console = (flags >> 5) & 1;
    const bool fromSystem = flags & 0x10;
    TestList list{listType, Byte((flags >> 3) & 1)};
    TCardSet cards;
    std::unique_ptr<TAPult> config;
    auto image = std::make_unique<TSystemImage>();
    if (more & 0x04) {
        config = roundtrip::ConsistentFixture(cards);
        for (int c = 0; c < ConsoleCount; ++c) {
            image->ConsoleType(c) = 1;
            image->ScreenCount(c) = config->Pulty[c]->PocetObrazoviek;
        }
    }
    auto pc = std::make_unique<TPcRecord>();
    auto uni = std::make_unique<TUniRecord>();
    const QByteArray pcBefore = pc->ToBytes();
    const QByteArray uniBefore = uni->ToBytes();
    const QByteArray imageBefore = image->ToBytes();
    // The project's configuration is always made the same way: its fields once.
    static const QString projectFields = [] {
        TCardSet cards;
        return fixture::DumpFields(*roundtrip::ConsistentFixture(cards));
    }();
    const bool hadConfig = bool(config);

    RecordingLog log;
    Host host;
    host.cancel = more & 0x40;
    QString name = project;
    TSideFileContext ctx{config,
                         *image,
                         *pc,
                         *uni,
                         list,
                         cards,
                         log,
                         host,
                         name,
                         bool(flags & 0x40),
                         QStringLiteral("/opt/kelvara/kelvara")};
    bool asked = !(more & 0x20);
    bool failed = false;
    QString rejected;
    int unconfigured = 0;
    const bool converted = LoadPcPultFile(ctx, asked, failed, console, fromSystem, rejected, unconfigured);

    FUZZ_CHECK(host.asked == ((more & 0x20) ? 1 : 0));
    if (ctx.Quiet)
        FUZZ_CHECK(log.boxes.empty());
    FUZZ_CHECK(unconfigured >= 0 && unconfigured <= KeyCount);
    if (failed) {
        // A file that could not be taken changes nothing.
        FUZZ_CHECK(converted);
        FUZZ_CHECK(pc->ToBytes() == pcBefore);
        FUZZ_CHECK(uni->ToBytes() == uniBefore);
        FUZZ_CHECK(image->ToBytes() == imageBefore);
        FUZZ_CHECK(hadConfig ? config && fixture::DumpFields(*config) == projectFields : !config);
        FUZZ_CHECK(name == project);
        FUZZ_CHECK(fromSystem || rejected.isEmpty());
        if (!host.cancel || asked)
            FUZZ_CHECK(!log.entries.empty());
        return;
    }
    FUZZ_CHECK(asked);
    FUZZ_CHECK(pc->Magic() == QByteArray(MagicPc));
    FUZZ_CHECK(config && config->Pulty[console]);
    FUZZ_CHECK(!name.toUpper().endsWith(QStringLiteral(".CFG")));
    if (fromSystem)
        FUZZ_CHECK(rejected.isEmpty());
    fuzz::CheckConfigBounds(*config, false);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    (void)folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::uint8_t more = in.Byte();
    const std::size_t pcLength = (more & 0x01) ? in.U16() : std::size_t(TPcRecord::Size);
    const QByteArray pcFile = in.Bytes(pcLength);
    const QByteArray uniFile = in.Rest();

    const int console = (flags >> 5) & 1;
    const bool byCfgName = (more & 0x02) && !(flags & 0x80);
    const QString project =
        folder() + (byCfgName ? QStringLiteral("/PULT.CFG") : QStringLiteral("/stanica.orv"));
    const QString consoleFile = byCfgName ? project : PcConsoleFileName(project, console);
    clearFolder();
    put(consoleFile, pcFile, !(more & 0x10));
    put(UniFileName(project), uniFile, !(more & 0x08));

    if (flags & 0x80)
        openHints(project, console, flags & 0x40);
    else
        load(project, flags, more);
    clearFolder();
    return 0;
}
