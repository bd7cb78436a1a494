// The two files of network mode as they come from the system's FTP server:
// osadenie.dat (boards) and tabulky.dat (tables).
//
// Input: a flags byte, then the file. Bit 0 picks the file (0 boards, 1
// tables). Boards: bit 1 makes slots 13..15 and 29..31 missing, as a 13-slot
// system has it. Tables: bits 1..2 give the connected consoles (0..3).

#include <set>

#include "cardpack/registry.h"
#include "fuzzinput.h"
#include "records/netfiles.h"

namespace
{

TZoznam *boardList()
{
    static std::unique_ptr<TZoznam> list = Registry::CreateBoardList(QStringLiteral("TZOZ"));
    return list.get();
}

void boards(const QByteArray &file, bool thirteen)
{
    TZoznam *list = boardList();
    FUZZ_CHECK(list != nullptr);
    const auto valid = [thirteen](int slot) { return !thirteen || slot % 16 < 13; };
    const netfiles::TBoardsRead r = netfiles::ReadBoardsFile(file, *list, valid);
    if (r.error != netfiles::BoardError::None) {
        FUZZ_CHECK(r.boards.isEmpty());
        FUZZ_CHECK(!r.detail.isEmpty());
        FUZZ_CHECK(r.offset >= 0 && r.offset <= file.size());
        return;
    }
    FUZZ_CHECK(file.size() % netfiles::BoardRecordSize == 0);
    std::set<int> seen;
    for (const netfiles::TBoardEntry &b : r.boards) {
        FUZZ_CHECK(b.slot >= 0 && b.slot < 32);
        FUZZ_CHECK(valid(b.slot));
        FUZZ_CHECK(seen.insert(b.slot).second);
        FUZZ_CHECK(b.code != netfiles::NoBoard);
        FUZZ_CHECK(b.offset % netfiles::BoardRecordSize == 0 && b.offset < file.size());
        FUZZ_CHECK(Byte(file[b.offset + 2]) == b.code);
        FUZZ_CHECK(netfiles::RecordSlot(Byte(file[b.offset]), Byte(file[b.offset + 1])) == b.slot);
        FUZZ_CHECK(b.name.startsWith(QLatin1Char('T')) && !b.name.contains(QLatin1String("Card")));
    }
}

void tables(const QByteArray &file, int consoles)
{
    QList<QByteArray> images;
    QString reason;
    if (!netfiles::ReadTablesFile(file, consoles, images, reason)) {
        FUZZ_CHECK(images.isEmpty());
        FUZZ_CHECK(!reason.isEmpty());
        return;
    }
    FUZZ_CHECK(file.size() == netfiles::TablesFileSize(consoles));
    FUZZ_CHECK(images.size() == consoles);
    for (const QByteArray &image : images)
        FUZZ_CHECK(image.size() == netfiles::ImageSize);
    // Built again from what was read: the same bytes.
    FUZZ_CHECK(netfiles::BuildTablesFile(images) == file);
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
    const std::uint8_t flags = in.Byte();
    const QByteArray file = in.Rest();
    if (flags & 1)
        tables(file, (flags >> 1) & 3);
    else
        boards(file, flags & 2);
    return 0;
}
