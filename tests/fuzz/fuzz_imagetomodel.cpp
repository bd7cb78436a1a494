// System image to configuration (ImageToModel) on arbitrary image bytes, then
// the UNI table built back from what it made.
//
// Input: a flags byte (board-type list flags, line numbering, from the system
// or from a record, which console, boards already in their slots), 64 bytes of
// slot presets when the flags ask for them, then the image. An image shorter
// than a whole one is refused; it is then laid over a fresh image and converted.

#include <memory>

#include "fuzzinput.h"
#include "fuzzmodel.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "records/imagetomodel.h"
#include "records/systemimage.h"
#include "records/unitable.h"
#include "tests/image/imagefixture.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const Byte listType = flags & 7;
    const Byte numlin = (flags >> 3) & 1;
    const bool fromSystem = flags & 0x10;
    const int console = (flags >> 5) & 1;
    const bool presetSlots = flags & 0x40;

    TestList list{listType, numlin};
    TCardSet cards;
    std::unique_ptr<TAPult> config;
    if (presetSlots) {
        config = std::make_unique<TAPult>();
        static const char *const names[] = {"TUL10", "T4W5", "TE1"};
        for (int s = 0; s < BoardCount; ++s) {
            const Byte code = in.Byte();
            const Byte card = in.Byte();
            config->SlotyDosiek[s].Kod = code;
            if (card % 4 == 3)
                continue;
            const QString name = QString::fromLatin1(names[card % 4]);
            config->SlotyDosiek[s].Meno = name;
            cards.CreateCardByName(name, s);
        }
    }

    auto image = std::make_unique<TSystemImage>();
    const QByteArray bytes = in.Rest();
    const QByteArray fresh = image->ToBytes();
    if (image->FromBytes(bytes) != RecordResult::Ok) {
        FUZZ_CHECK(bytes.size() < TSystemImage::Size);
        FUZZ_CHECK(image->ToBytes() == fresh);
        FUZZ_CHECK(image->FromBytes(bytes + fresh.mid(bytes.size())) == RecordResult::Ok);
    }
    for (int i = 0; i < img::PhoneBookCount; ++i) {
        FUZZ_CHECK(image->PhoneName(i).size() <= img::PhoneStringMax);
        FUZZ_CHECK(image->PhoneNumber(i).size() <= img::PhoneStringMax);
    }

    RecordingLog log;
    TAPult *raw = config.release();
    TImageToModelContext context{
        raw, *image, list, cards, log, bool(flags & 0x80), QStringLiteral("/opt/kelvara/kelvara")};
    int unconfigured = 0;
    const bool converted = ImageToModel(context, console, fromSystem, unconfigured);
    config.reset(raw);
    FUZZ_CHECK(config);
    FUZZ_CHECK(unconfigured >= 0 && unconfigured <= 192);
    if (context.Quiet)
        FUZZ_CHECK(log.boxes.empty());
    fuzz::CheckConfigBounds(*config, true);
    if (converted) {
        BuildUniTable(config.get(), *image, &list);
        fuzz::CheckConfigBounds(*config, true);
    }
    return 0;
}
