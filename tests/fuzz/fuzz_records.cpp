// The console records of side files and old files: the PC console record
// ("KAVSW"), the UNI record ("KAUN") and the old ACF and CFG records ("KAV2"),
// read from arbitrary bytes. The first byte picks the record; the rest is the
// file. Every field of a record that was taken is read, and a taken record
// must write out the bytes it was read from (string lengths cut to their fields).

#include <stdexcept>

#include "fuzzinput.h"
#include "records/pcrecord.h"

namespace
{

void readPc(const QByteArray &file)
{
    TPcRecord record;
    const RecordResult result = record.FromBytes(file);
    if (result != RecordResult::Ok) {
        FUZZ_CHECK(record.ToBytes() == QByteArray(TPcRecord::Size, '\0'));
        return;
    }
    FUZZ_CHECK(record.Magic() == QByteArray(MagicPc));
    for (int slot = 0; slot < pcrec::BoardSlots; ++slot)
        (void)record.BoardCode(slot);
    for (int block = 0; block < pcrec::BlockCount; ++block) {
        (void)record.KeyToLineTable(block);
        (void)record.TailTable(block);
        for (int address = FirstKeyAddress; address <= 255; ++address)
            (void)record.KeyEntry(block, address);
    }
    for (int address = 0; address < pcrec::KeyTextCount; ++address) {
        FUZZ_CHECK(record.Hint(address).size() <= pcrec::HintMax);
        FUZZ_CHECK(record.Name(address).size() <= pcrec::NameMax);
        (void)record.HintText(address);
        (void)record.NameText(address);
        (void)record.DialCode(address);
        (void)record.TextColor(address);
    }
    for (int i = 0; i < pcrec::SchemeCount; ++i)
        (void)record.SchemeColor(i);

    // Written out and read again, nothing changes.
    const QByteArray bytes = record.ToBytes();
    FUZZ_CHECK(bytes.size() == TPcRecord::Size);
    TPcRecord again;
    FUZZ_CHECK(again.FromBytes(bytes) == RecordResult::Ok);
    FUZZ_CHECK(again.ToBytes() == bytes);
    // Only the cut string lengths may differ from the file.
    for (int i = 0; i < TPcRecord::Size; ++i) {
        if (bytes[i] == file[i])
            continue;
        const int inTexts = i - pcrec::KeyTextsOffset;
        FUZZ_CHECK(inTexts >= 0 && inTexts < pcrec::KeyTextCount * pcrec::KeyTextSize);
        const int field = inTexts % pcrec::KeyTextSize;
        FUZZ_CHECK(field == pcrec::HintOffset || field == pcrec::NameOffset);
    }
}

void readUni(const QByteArray &file)
{
    TUniRecord record;
    if (record.FromBytes(file) != RecordResult::Ok)
        return;
    FUZZ_CHECK(record.Magic() == QByteArray(MagicUni));
    for (int i = 0; i < unirec::EntryCount; ++i)
        (void)record.Entry(i);
    FUZZ_CHECK(record.ToBytes() == file.left(TUniRecord::Size));
}

void readOld(const QByteArray &file, bool isAcf)
{
    TOldRecord record;
    if (record.FromBytes(file, isAcf) != RecordResult::Ok)
        return;
    FUZZ_CHECK(record.Magic().contains(MagicOld));
    FUZZ_CHECK(int(record.Bytes().size()) == (isAcf ? oldrec::AcfSize : oldrec::CfgSize));
    for (int slot = 0; slot < pcrec::BoardSlots; ++slot)
        (void)record.BoardCode(slot);
    for (int block = 0; block < pcrec::BlockCount; ++block)
        for (int address = FirstKeyAddress; address <= 255; ++address)
            (void)record.KeyEntry(block, address);
    (void)record.ValueTables();
    if (!record.HasKeyTexts()) {
        try {
            (void)record.Hint(0);
            fuzz::Fail("an ACF record gave a key text");
        } catch (const std::logic_error &) {
        }
        return;
    }
    for (int address = 0; address < 256; ++address) {
        FUZZ_CHECK(record.Hint(address).size() <= oldrec::HintMax);
        FUZZ_CHECK(record.Name(address).size() <= oldrec::NameMax);
        (void)record.DialCode(address);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const int kind = in.Byte() % 4;
    const QByteArray file = in.Rest();
    switch (kind) {
    case 0:
        readPc(file);
        break;
    case 1:
        readUni(file);
        break;
    case 2:
        readOld(file, true);
        break;
    default:
        readOld(file, false);
        break;
    }
    return 0;
}
