// The imports of older console files on arbitrary bytes: an ACF file or old
// CFG files read and converted (PrepareImport), the temporary side files
// written into their private folder and read back, and the converted records
// loaded into a configuration as the UNI import loads them.
//
// Input: a flags byte (bit 0 an ACF file, else CFG; bit 1 console 1 connected
// too; bit 2 the card-type question answers instead of giving up; bit 3 the
// loaded configuration numbers lines by UNI entries), then the file. A CFG
// import of two consoles reads the same file for both.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "fuzzinput.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "records/modeltoimage.h"
#include "records/oldimport.h"
#include "records/sidefiles.h"
#include "records/systemimage.h"
#include "tests/image/imagefixture.h"

namespace
{

QTemporaryDir *gDir = nullptr;

void checkUni(const TUniRecord &uni)
{
    bool ended = false;
    for (int j = 0; j < unirec::EntryCount; ++j) {
        const auto e = uni.Entry(j);
        if (e[0] == 0xFF) {
            ended = true;
            continue;
        }
        // The table ends at its first free entry.
        FUZZ_CHECK(!ended);
        FUZZ_CHECK(e[5] < 5);
        FUZZ_CHECK(e[3] == 0xFF || e[3] == 254);
        FUZZ_CHECK(e[4] == 0xFF || e[4] % 16 == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    gDir = new QTemporaryDir; // lives until the process ends
    platform::SetProgramFolder(gDir->path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const QByteArray bytes = in.Rest();
    const QString file = gDir->filePath(QStringLiteral("input.old"));
    {
        QFile f(file);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(bytes) == bytes.size());
    }

    TImportRequest request;
    request.IsAcf = flags & 1;
    request.ConsoleTypes = {1, Byte(flags & 2 ? 2 : 0)};
    request.AcfFile = file;
    request.CfgFiles = {file, file};
    const TCardTypeQuestion ask = [flags](int position, int line, Byte &second) {
        FUZZ_CHECK(position >= 0 && position < pcrec::BoardSlots && line >= 0 && line < 5);
        second = flags & 4 ? 3 : 255;
        return Byte(flags & 4 ? 2 : 255);
    };
    auto old = std::make_unique<TOldRecord>();
    TImportSet set;
    QString error;
    if (!PrepareImport(request, *old, ask, set, error)) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(set.Uni);
    checkUni(*set.Uni);
    for (const auto &record : set.Records) {
        if (!record)
            continue;
        FUZZ_CHECK(record->Magic() == QByteArray(MagicPc));
        for (int a = 0; a < pcrec::KeyTextCount; ++a) {
            FUZZ_CHECK(record->Hint(a).size() <= oldrec::HintMax);
            FUZZ_CHECK(record->Name(a).size() <= oldrec::NameMax);
        }
    }

    QString folderPath;
    auto pc = std::make_unique<TPcRecord>();
    auto uni = std::make_unique<TUniRecord>();
    {
        const TImportFolder folder;
        FUZZ_CHECK(folder.IsValid());
        folderPath = folder.Path();
        QStringList errors;
        const QString uniFile = WriteTempPultFiles(folder, set, errors);
        FUZZ_CHECK(errors.isEmpty() && uniFile == folder.UniFile());
        FUZZ_CHECK(ReadUniRecordFile(uniFile, *uni, error));
        FUZZ_CHECK(uni->ToBytes() == set.Uni->ToBytes());
        FUZZ_CHECK(ReadPcRecordFile(folder.ConsoleFile(0), *pc, error));
    }
    FUZZ_CHECK(!QFileInfo::exists(folderPath));

    TestList list{1, Byte(flags & 8 ? 1 : 0)};
    TCardSet cards;
    auto image = std::make_unique<TSystemImage>();
    image->ConsoleType(0) = 1;
    image->ScreenCount(0) = 1;
    RecordingLog log;
    std::unique_ptr<TAPult> config = std::make_unique<TAPult>();
    TImageToModelContext context{config, *image, list, cards, log, true, QStringLiteral("/opt/kelvara/kelvara")};
    int unconfigured = 0;
    (void)PcRecordToModel(context, 0, false, unconfigured, *pc, *uni);
    FUZZ_CHECK(unconfigured >= 0 && unconfigured <= KeyCount);
    FUZZ_CHECK(log.boxes.empty());
    return 0;
}
