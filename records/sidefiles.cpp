#include "records/sidefiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <memory>

#include "cardpack/dll_load.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "records/modeltoimage.h"
#include "records/recordfile.h"
#include "records/systemimage.h"

namespace
{

using recordfile::FileMessage;
using recordfile::ReadRecordBytes;

constexpr Byte None = 0xFF;

// Reasons beside language text 16 ("does not exist.").
constexpr int TextTooShort = 280;
constexpr int TextNotPcFile = 281;
constexpr int TextNotUniFile = 282;
constexpr int TextCannotRead = 283;
constexpr int TextCannotWrite = 284;

constexpr QFileDevice::Permissions WriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;

QString Hex2(Byte b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString CutBeforeCard(const QString &name)
{
    const int at = name.indexOf(QStringLiteral("Card"));
    return at >= 0 ? name.left(at) : name;
}

template <typename Record>
bool ReadRecordFile(const QString &fileName, Record &record, int wrongMagicText, QString &error)
{
    QByteArray data;
    if (!ReadRecordBytes(fileName, Record::Size, data, error))
        return false;
    switch (record.FromBytes(data)) {
    case RecordResult::Ok:
        return true;
    case RecordResult::TooShort:
        error = FileMessage(fileName, LoadStrDll(TextTooShort));
        return false;
    case RecordResult::WrongMagic:
        error = FileMessage(fileName, LoadStrDll(wrongMagicText));
        return false;
    }
    return false;
}

void ReportError(TSideFileContext &ctx, const QString &text)
{
    ctx.Log.LogEntry(TReportKind::Error, text);
    if (!ctx.Quiet)
        ctx.Log.ShowBox(TReportKind::Error, text);
}

TPult &EnsureConsole(TAPult &config, int n, const TSystemImage &image)
{
    auto &place = config.Pulty[n];
    if (!place) {
        place = std::make_unique<TPult>();
        place->TypPultu = image.ConsoleType(n);
        place->PocetObrazoviek = image.ScreenCount(n);
    }
    return *place;
}

// The record's boards of slots 0 to 15 into the project's slots, when the card
// package knows them.
void TakeRecordBoards(TSideFileContext &ctx, TAPult &config, TPult &pult, int n, const TPcRecord &record,
                      QString &rejectedBoards)
{
    const Byte listType = ctx.List.GetType();
    QStringList rejected =
        rejectedBoards.isEmpty() ? QStringList() : rejectedBoards.split(QStringLiteral(", "));
    QStringList local;
    for (int slot = 0; slot < pcrec::BoardSlots; ++slot) {
        const Byte code = record.BoardCode(slot);
        if (!IsBoardSlotValid(slot, listType) || code == None)
            continue;
        const QString name = ctx.List.Num2Name(code);
        // Only a card class: another class made here would replace the list.
        TCardOld *card = nullptr;
        if (name.startsWith(QLatin1Char('T')) && IsCardClassName(name) &&
            ctx.Cards.CreateCardByName(name, slot))
            card = ctx.Cards.CardOfSlot(slot);
        if (card) {
            config.SlotyDosiek[slot].Meno = CutBeforeCard(name);
            config.SlotyDosiek[slot].Kod = card->GetCardNum(config.TypSystemu);
            auto &board = pult.Dosky[slot];
            if (!board) {
                board = std::make_unique<TDoska>();
                board->CisloDosky = config.SlotyDosiek[slot].Kod;
                board->PocetLiniek = std::min<Byte>(card->LinCount(), LineCount);
            }
            continue;
        }
        const QString text = LinePosName(slot) + QStringLiteral(" ($") + Hex2(code) + QStringLiteral(")");
        if (!rejected.contains(text))
            rejected << text;
        local << text;
    }
    rejectedBoards = rejected.join(QStringLiteral(", "));
    if (!local.isEmpty()) {
        ctx.Log.TraceLine(LoadStrDll(18) + QLatin1Char(' ') + LoadStrDll(74));
        ctx.Log.TraceLine(LoadStrDll(134) + QStringLiteral("(%1. pult): ").arg(n) +
                          local.join(QStringLiteral(", ")));
    }
}

bool HasCfgExtension(const QString &fileName)
{
    return QFileInfo(fileName).fileName().toUpper().endsWith(QStringLiteral(".CFG"));
}

// The key entry the project gives key k (the unconfigured entry for a missing key).
std::array<Byte, pcrec::KeyEntrySize> EntryOfKey(const TKlavesa *key)
{
    if (!key)
        return pcrec::DefaultKeyEntry;
    std::array<Byte, pcrec::KeyEntrySize> e{};
    e[pcrec::KeObsluhaKlavesy] = key->ObsluhaKlavesy;
    e[pcrec::KeCisloUcastnika] = key->CisloUcastnika;
    std::copy_n(key->SkratenaVolba.begin(), pcrec::KeSkratenaVolbaCount, e.begin() + pcrec::KeSkratenaVolba);
    e[pcrec::KeBitovyByte] = key->bitovyByte;
    return e;
}

bool RecordAgrees(const TAPult &config, int n, const TPcRecord &record)
{
    for (int s = 0; s < pcrec::BoardSlots; ++s)
        if (record.BoardCode(s) != config.SlotyDosiek[s].Kod)
            return false;
    const TPult &pult = *config.Pulty[n];
    for (int k = 0; k < KeyCount - 1; ++k) {
        const auto entry = record.KeyEntry(n, KeyAddress(k));
        if (!std::ranges::equal(entry, EntryOfKey(pult.Klavesy[k].get())))
            return false;
    }
    return true;
}

} // namespace

QString WithoutExtension(const QString &fileName)
{
    const int slash =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? fileName.left(dot) : fileName;
}

QString PcConsoleFileName(const QString &projectFile, int console)
{
    return WithoutExtension(projectFile) + QStringLiteral("_%1.cfg").arg(console);
}

QString UniFileName(const QString &projectFile)
{
    return WithoutExtension(projectFile) + QStringLiteral(".uni");
}

bool ReadPcRecordFile(const QString &fileName, TPcRecord &record, QString &error)
{
    return ReadRecordFile(fileName, record, TextNotPcFile, error);
}

bool ReadUniRecordFile(const QString &fileName, TUniRecord &record, QString &error)
{
    return ReadRecordFile(fileName, record, TextNotUniFile, error);
}

bool WriteRecordFile(const QString &fileName, const QByteArray &bytes, bool readOnly, QString &error)
{
    const bool existed = QFileInfo::exists(fileName);
    const QFileDevice::Permissions before =
        existed ? QFile::permissions(fileName) : QFileDevice::Permissions();
    if (readOnly && existed)
        QFile::setPermissions(fileName, before | QFileDevice::WriteOwner);

    QSaveFile file(fileName);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        error = FileMessage(fileName, LoadStrDll(TextCannotWrite) + QLatin1Char(' ') + file.errorString());
        file.cancelWriting();
        if (readOnly && existed)
            QFile::setPermissions(fileName, before);
        return false;
    }
    if (readOnly)
        QFile::setPermissions(fileName, QFile::permissions(fileName) & ~WriteBits);
    return true;
}

bool LoadPcPultFile(TSideFileContext &ctx, bool &asked, bool &failed, int n, bool fromSystem,
                    QString &rejectedBoards, int &unconfiguredCount)
{
    failed = false;
    if (n < 0 || n >= ConsoleCount) {
        failed = true;
        return true;
    }
    const bool perConsole = (ctx.List.GetType() & 4) != 0;
    ctx.Host.SetInterfaceLocked(false);
    if (!asked) {
        const QString title = perConsole
                                  ? LoadStrDll(200) + QStringLiteral(" %1. CFG ").arg(n) + LoadStrDll(201)
                                  : LoadStrDll(200) + QStringLiteral(" UNI ") + LoadStrDll(201);
        QString chosen = ctx.ProjectName;
        asked =
            perConsole
                ? ctx.Host.ChooseFile(title, QStringLiteral("cfg"), QStringLiteral("*.cfg|*.cfg"), chosen)
                : ctx.Host.ChooseFile(title, QStringLiteral("uni"), QStringLiteral("*.uni|*.uni"), chosen);
        if (asked)
            ctx.ProjectName = chosen;
    }
    if (!asked) {
        failed = true;
        return true;
    }

    const QString project = ctx.ProjectName;
    const QString name = HasCfgExtension(project) ? project : PcConsoleFileName(project, n);
    QString error;
    if (!QFileInfo(name).isFile()) {
        error = FileMessage(name, LoadStrDll(16));
        ctx.Log.TraceLine(error);
        ReportError(ctx, error);
        failed = true;
        return true;
    }

    // Both records are read before anything changes: a damaged file leaves
    // the buffers, the image and the model as they were.
    ctx.Host.SetInterfaceLocked(true);
    auto record = std::make_unique<TPcRecord>();
    InitPcRecord(*record);
    auto uni = std::make_unique<TUniRecord>();
    InitUniRecord(*uni);
    bool read = ReadPcRecordFile(name, *record, error);
    if (read && !perConsole)
        read = ReadUniRecordFile(UniFileName(project), *uni, error);
    if (!read) {
        ctx.Log.TraceLine(error);
        ReportError(ctx, error);
        failed = true;
        return true;
    }

    if (!ctx.Config.Get())
        ctx.Config.Set(new TAPult(ctx.ProgramPath));
    TAPult &config = *ctx.Config.Get();
    TPult &pult = EnsureConsole(config, n, ctx.Image);
    if (!fromSystem)
        TakeRecordBoards(ctx, config, pult, n, *record, rejectedBoards);

    ctx.PcRecord = *record;
    ctx.UniRecord = *uni;
    TImageToModelContext convert{ctx.Config, ctx.Image, ctx.List,       ctx.Cards,
                                 ctx.Log,    ctx.Quiet, ctx.ProgramPath};
    const bool converted =
        PcRecordToModel(convert, n, fromSystem, unconfiguredCount, ctx.PcRecord, ctx.UniRecord);

    if (HasCfgExtension(ctx.ProjectName))
        ctx.ProjectName = WithoutExtension(ctx.ProjectName) + QStringLiteral(".orv");
    return converted;
}

bool LoadSideFileSet(TSideFileContext &ctx, bool asked, QString &rejectedBoards, int &unconfiguredCount)
{
    for (int n = 0; n < ConsoleCount; ++n) {
        if (ctx.Image.ConsoleType(n) == 0)
            continue;
        bool failed = false;
        if (!LoadPcPultFile(ctx, asked, failed, n, false, rejectedBoards, unconfiguredCount) || failed)
            return false;
    }
    return true;
}

int HighestUsedKey(const TPcRecord &record, int n)
{
    if (n < 0 || n >= pcrec::BlockCount)
        return -1;
    const auto keyToLine = record.KeyToLineTable(n);
    for (int k = KeyCount - 2; k >= 0; --k) {
        const int address = KeyAddress(k);
        if (keyToLine[address] != None || !std::ranges::equal(record.KeyEntry(n, address), pcrec::DefaultKeyEntry) ||
            !record.NameText(address).isEmpty() || !record.HintText(address).isEmpty())
            return k;
    }
    return -1;
}

bool SaveToPC(TSideFileContext &ctx, int n, const QString &projectFile)
{
    TRecordContext records{ctx.Config, ctx.Image, &ctx.List, ctx.Cards, ctx.ProgramPath};
    // A missing console is written with the defaults, never with what the
    // buffer held before.
    ModelToPcRecord(records, n, ctx.PcRecord, ctx.UniRecord);

    const QString name = PcConsoleFileName(projectFile, n);
    QString error;
    const bool console = WriteRecordFile(name, ctx.PcRecord.ToBytes(), true, error);
    if (!console)
        ReportError(ctx, error);
    const bool uni = WriteRecordFile(UniFileName(projectFile), ctx.UniRecord.ToBytes(), false, error);
    if (!uni)
        ReportError(ctx, error);
    if (!console || !uni)
        return false;

    const QString text = LoadStrDll(222).replace(QStringLiteral("%s"), name);
    ctx.Log.LogEntry(TReportKind::Information, text);
    if (!ctx.Quiet)
        ctx.Log.ShowBox(TReportKind::Information, text);
    return true;
}

bool TakeSideFileHints(TAPult &config, const QString &projectFile, TPcRecord &buffer, TConversionLog &log,
                       bool quiet, const TTakeNames &takeNames)
{
    bool changed = false;
    for (int n = 0; n < ConsoleCount; ++n) {
        if (!config.Pulty[n])
            continue;
        const QString name = PcConsoleFileName(projectFile, n);
        if (!QFileInfo::exists(name))
            continue;
        InitPcRecord(buffer);
        QString error;
        if (!ReadPcRecordFile(name, buffer, error)) {
            log.LogEntry(TReportKind::Error, error);
            if (!quiet)
                log.ShowBox(TReportKind::Error, error);
            continue;
        }
        if (RecordAgrees(config, n, buffer) && TakePcRecordHints(*config.Pulty[n], buffer))
            changed = true;
        if (takeNames && takeNames(n, buffer))
            changed = true;
    }
    return changed;
}
