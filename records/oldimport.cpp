#include "records/oldimport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "cardpack/dll_load.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "records/recordfile.h"
#include "records/sidefiles.h"

namespace
{

using recordfile::FileMessage;
using recordfile::ReadRecordBytes;

constexpr Byte None = 0xFF;
constexpr int LinesPerBoard = 5;
constexpr int BoardPositions = 32; // board slots 0 to 31; 16 and above are extension slots
constexpr int ExtensionFirst = 16;

constexpr int TextTooShort = 280;
constexpr int TextCannotRead = 283;
constexpr int TextNotOld = 320;
constexpr int TextUniFull = 321;

const QString FolderPrefix = QStringLiteral(".kelvara-import-");


// Board code, slot kind and position of line v, as the UNI table builder
// writes them, so that the loader can place the line on its board.
void PlaceEntry(std::span<Byte, unirec::EntrySize> e, int v, const TOldRecord &old)
{
    const int position = v / LinesPerBoard;
    e[2] = position < pcrec::BoardSlots ? old.BoardCode(position) : None;
    if (position >= BoardPositions) {
        e[3] = None;
        e[4] = None;
    } else if (position >= ExtensionFirst) {
        e[3] = 254;
        e[4] = Byte((position - ExtensionFirst) * 16);
    } else {
        e[4] = Byte(position * 16);
    }
}

// Index of the entry of line v, -1 when it is not there; `free` gets the
// first free entry (the table ends there), -1 when the table is full.
int FindLine(const TUniRecord &uni, int v, int &free)
{
    free = -1;
    for (int j = 0; j < unirec::EntryCount; ++j) {
        const Byte line = uni.Entry(j)[0];
        if (line == None) {
            free = j;
            return -1;
        }
        if (line == v)
            return j;
    }
    return -1;
}

bool IsFourWire(Byte code)
{
    return std::ranges::find(FourWireCodes, code) != std::end(FourWireCodes);
}

// Adds line v of the blocks to the UNI entries when it is not there yet.
bool AddLine(const TOldRecord &old, TUniRecord &uni, int v, const TCardTypeQuestion &ask)
{
    int free = -1;
    if (FindLine(uni, v, free) >= 0)
        return true;
    if (free < 0)
        return false;
    const int position = v / LinesPerBoard;
    const int line = v % LinesPerBoard;
    auto e = uni.Entry(free);
    e[0] = Byte(v);
    e[5] = Byte(line);
    PlaceEntry(e, v, old);
    const bool fourWire = position < pcrec::BoardSlots && IsFourWire(old.BoardCode(position));
    if (!fourWire) {
        e[1] = 0;
        return true;
    }
    Byte second = None;
    const Byte first = ask ? ask(position, line, second) : None;
    e[1] = first;
    // The partner is the other line of the pair (0 and 1); a line past the
    // pair, the end of the table or a partner listed already has none.
    const int partnerLine = 1 - line;
    if (partnerLine < 0 || free + 1 >= unirec::EntryCount)
        return true;
    const int partner = position * LinesPerBoard + partnerLine;
    int ignored = -1;
    if (FindLine(uni, partner, ignored) >= 0)
        return true;
    auto p = uni.Entry(free + 1);
    if (first > 254) {
        p[0] = p[1] = p[5] = None;
        return true;
    }
    p[0] = Byte(partner);
    p[1] = second;
    p[5] = Byte(partnerLine);
    PlaceEntry(p, partner, old);
    return true;
}

// Steps shared by both old records: boards, blocks with their lines, key
// entries and the value tables.
bool ConvertCommon(const TOldRecord &old, TPcRecord &pc, TUniRecord &uni, const TCardTypeQuestion &ask,
                   QString &error)
{
    InitPcRecord(pc);
    for (int s = 0; s < pcrec::BoardSlots; ++s)
        pc.BoardCode(s) = old.BoardCode(s);
    for (int b = 0; b < pcrec::BlockCount; ++b) {
        const auto block = old.Block(b);
        const auto from = [&block](int offset) { return block.subspan(offset, 256); };
        std::ranges::copy(from(pcrec::BlockKeyToLine), pc.KeyToLineTable(b).begin());
        std::ranges::copy(from(pcrec::BlockLineToLamp), pc.LineToLampTable(b).begin());
        std::ranges::copy(from(pcrec::BlockKeyToSubscriber), pc.KeyToSubscriberTable(b).begin());
        std::ranges::copy(from(pcrec::BlockTail), pc.TailTable(b).begin());
        for (int i = 0; i < 256; ++i) {
            const Byte v = block[std::size_t(pcrec::BlockKeyToLine + i)];
            if (v != None && !AddLine(old, uni, v, ask)) {
                error = LoadStrDll(TextUniFull);
                return false;
            }
        }
    }
    for (int b = 0; b < pcrec::BlockCount; ++b)
        for (int c = FirstKeyAddress; c < 256; ++c) {
            const auto entry = old.KeyEntry(b, c);
            if (c <= 38 && entry[0] == 20)
                continue;
            std::ranges::copy(entry, pc.KeyEntry(b, c).begin());
        }
    std::ranges::copy(old.ValueTables(), pc.ValueTables().begin());
    return true;
}


QString FreshFolderTemplate()
{
    // Folders of imports that never ended (the program was killed) go first.
    const QDir base(platform::WriteFolder());
    const QStringList stale =
        base.entryList({FolderPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : stale)
        QDir(base.filePath(name)).removeRecursively();
    return base.filePath(FolderPrefix + QStringLiteral("XXXXXX"));
}

} // namespace

bool ConvertOldCfgRecord(const TOldRecord &old, TPcRecord &pc, TUniRecord &uni, const TCardTypeQuestion &ask,
                         QString &error)
{
    if (!old.HasKeyTexts())
        return ConvertAcfRecord(old, pc, uni, ask, error);
    if (!ConvertCommon(old, pc, uni, ask, error))
        return false;
    for (int a = 0; a < pcrec::KeyTextCount; ++a) {
        pc.SetHint(a, old.Hint(a));
        pc.SetName(a, old.Name(a));
        pc.DialCode(a) = old.DialCode(a);
    }
    return true;
}

bool ConvertAcfRecord(const TOldRecord &old, TPcRecord &pc, TUniRecord &uni, const TCardTypeQuestion &ask,
                      QString &error)
{
    return ConvertCommon(old, pc, uni, ask, error);
}

TOldReadResult ReadOldRecord(const QString &fileName, bool isAcf, TOldRecord &old, TPcRecord &pc, TUniRecord &uni,
                             const TCardTypeQuestion &ask, QString &error)
{
    QByteArray data;
    if (!ReadRecordBytes(fileName, isAcf ? oldrec::AcfSize : oldrec::CfgSize, data, error))
        return TOldReadResult::Failed;
    switch (old.FromBytes(data, isAcf)) {
    case RecordResult::Ok:
        break;
    case RecordResult::TooShort:
        error = FileMessage(fileName, LoadStrDll(TextTooShort));
        return TOldReadResult::Failed;
    case RecordResult::WrongMagic:
        error = FileMessage(fileName, LoadStrDll(TextNotOld));
        return TOldReadResult::NotRecognised;
    }
    QString reason;
    const bool converted = isAcf ? ConvertAcfRecord(old, pc, uni, ask, reason)
                                 : ConvertOldCfgRecord(old, pc, uni, ask, reason);
    if (!converted) {
        error = FileMessage(fileName, reason);
        return TOldReadResult::Failed;
    }
    return TOldReadResult::Converted;
}

bool PrepareImport(const TImportRequest &request, TOldRecord &old, const TCardTypeQuestion &ask, TImportSet &set,
                   QString &error)
{
    set = TImportSet{};
    set.Uni = std::make_unique<TUniRecord>();
    InitUniRecord(*set.Uni);
    if (request.IsAcf) {
        auto pc = std::make_unique<TPcRecord>();
        if (ReadOldRecord(request.AcfFile, true, old, *pc, *set.Uni, ask, error) != TOldReadResult::Converted)
            return false;
        for (int c = 0; c < 2; ++c)
            if (request.ConsoleTypes[std::size_t(c)] != 0)
                set.Records[std::size_t(c)] = std::make_unique<TPcRecord>(*pc);
        return true;
    }
    for (int c = 0; c < 2; ++c) {
        const QString &file = request.CfgFiles[std::size_t(c)];
        if (request.ConsoleTypes[std::size_t(c)] == 0 || file.isEmpty())
            continue;
        auto pc = std::make_unique<TPcRecord>();
        switch (ReadOldRecord(file, false, old, *pc, *set.Uni, ask, error)) {
        case TOldReadResult::Converted:
            set.Records[std::size_t(c)] = std::move(pc);
            break;
        case TOldReadResult::NotRecognised:
            // Taken to be a PC console record already: copied as it is, once
            // it reads as one.
            if (!ReadPcRecordFile(file, *pc, error))
                return false;
            set.CopyFrom[std::size_t(c)] = file;
            break;
        case TOldReadResult::Failed:
            return false;
        }
    }
    return true;
}

Byte CardCodeOf(TZoznam &list, Byte code, Byte systemType)
{
    if (code == None)
        return code;
    const QString name = list.Num2Name(code);
    if (!name.startsWith(QLatin1Char('T')))
        return code;
    const std::unique_ptr<TPersistent> object = CreateObjectByCardName(name);
    auto *card = dynamic_cast<TCardOld *>(object.get());
    return card ? card->GetCardNum(systemType) : code;
}

void TakeCardCodes(TImportSet &set, const TCardCodeOf &cardCode)
{
    if (!cardCode)
        return;
    const auto code = [&cardCode](Byte b) { return b == None ? b : cardCode(b); };
    for (auto &record : set.Records)
        if (record)
            for (int s = 0; s < pcrec::BoardSlots; ++s)
                record->BoardCode(s) = code(record->BoardCode(s));
    if (set.Uni)
        for (int j = 0; j < unirec::EntryCount; ++j) {
            auto e = set.Uni->Entry(j);
            e[2] = code(e[2]);
        }
}

TImportFolder::TImportFolder() : dir_(FreshFolderTemplate()) {}

QString TImportFolder::ConsoleFile(int console) const
{
    return dir_.filePath(QStringLiteral("temp_%1.cfg").arg(console));
}

QString TImportFolder::UniFile() const
{
    return dir_.filePath(QStringLiteral("temp.uni"));
}

QString WriteTempPultFiles(const TImportFolder &folder, const TImportSet &set, QStringList &errors)
{
    for (int c = 0; c < 2; ++c) {
        const QString target = folder.ConsoleFile(c);
        QString error;
        if (set.Records[std::size_t(c)]) {
            if (!WriteRecordFile(target, set.Records[std::size_t(c)]->ToBytes(), true, error))
                errors << error;
        } else if (!set.CopyFrom[std::size_t(c)].isEmpty()) {
            QFile source(set.CopyFrom[std::size_t(c)]);
            if (!source.copy(target))
                errors << FileMessage(target, LoadStrDll(284) + QLatin1Char(' ') + source.errorString());
        }
    }
    TUniRecord defaults;
    InitUniRecord(defaults);
    const TUniRecord &uni = set.Uni ? *set.Uni : defaults;
    QString error;
    if (!WriteRecordFile(folder.UniFile(), uni.ToBytes(), false, error)) {
        errors << error;
        return {};
    }
    return folder.UniFile();
}
