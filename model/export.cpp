#include "model/export.h"

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "model/card.h"
#include "model/orvacard.h"

namespace
{

// Key records take these fixed values.
constexpr std::int32_t KeyColorText = 10;
constexpr std::int32_t KeyColorButton = 2;
constexpr std::int32_t KeyRinging = 1;
constexpr std::int32_t KeyRecording = 1;

std::unique_ptr<TParent_Data> createKeyRecord(const QString &className)
{
    std::unique_ptr<TPersistent> object = Registry::Create(className);
    if (auto *record = dynamic_cast<TParent_Data *>(object.get())) {
        object.release();
        return std::unique_ptr<TParent_Data>(record);
    }
    return nullptr;
}

bool isKeyRecordClass(const QString &className)
{
    return createKeyRecord(className) != nullptr;
}

std::unique_ptr<TParent_Data> keyRecord(const QString &className, int console, int index, const TKlavesa &key)
{
    auto record = createKeyRecord(className);
    if (!record)
        return nullptr;
    record->Reset();
    const QByteArray pole1{"\x01\x02\x03", 3};
    const QByteArray pole2 = QByteArray(1, char(index)) + QByteArray("\x09\x08\x07\x06", 4);
    const QByteArray withKey = pole1 + QByteArray(1, char(index));
    // Only a record of an Orva board has the line's place; the others keep the key values alone.
    if (auto *orva = dynamic_cast<TOrvaCard *>(record.get()))
        orva->SetData(key.HWPozicDosky, key.NumLin, console, index, KeyRinging, KeyRecording, KeyColorText,
                      key.MenoKlavesy, key.HintKlavesy, withKey, pole2, key.PozicLinky, KeyColorButton);
    else
        record->SetData(console, index, KeyColorText, key.MenoKlavesy, key.HintKlavesy, withKey, pole2,
                        KeyColorButton);
    return record;
}

} // namespace

std::optional<std::uint16_t> BoardPositionWord(int Slot)
{
    if (Slot < 0 || Slot >= BoardCount)
        return std::nullopt;
    const int shelf = Slot < 16 ? 0xFF : 0x01;
    const int place = Slot % 16;
    return std::uint16_t((shelf << 8) | (place << 4));
}

QString ExportCardTypeName(const TAPult &Config, int Slot, const TSlotValidity &SlotValid)
{
    if (Slot < 0 || Slot >= BoardCount || !SlotValid || !SlotValid(Slot))
        return {};
    QString name = Config.SlotyDosiek[Slot].Meno;
    const int at = name.indexOf(QStringLiteral("Card"));
    if (at >= 0)
        name.truncate(at);
    return name.mid(1);
}

QString ExportRecordClassName(const QString &CardTypeName)
{
    if (CardTypeName.isEmpty())
        return {};
    const QString full = u'T' + CardTypeName;
    if (isKeyRecordClass(full))
        return full;
    const QString shorter = full.chopped(1);
    if (isKeyRecordClass(shorter))
        return shorter;
    return {};
}

std::unique_ptr<TListOrva> BuildExportList(const TAPult &Config, const TSlotValidity &SlotValid,
                                           const QTime &TimeOfDay)
{
    auto list = std::make_unique<TListOrva>();
    list->Add(std::make_unique<TVerzia>(TimeOfDay));

    for (int s = 0; s < BoardCount; ++s) {
        if (!SlotValid || !SlotValid(s))
            continue;
        const TSlotEntry &slot = Config.SlotyDosiek[s];
        auto card = std::make_unique<TCard>();
        card->SetData(*BoardPositionWord(s), slot.Meno.isEmpty() ? Byte(255) : slot.Kod);
        list->Add(std::move(card));
    }

    for (int c = 0; c < ConsoleCount; ++c) {
        const TPult *console = Config.Pulty[c].get();
        if (!console || console->TypPultu == 0)
            continue;
        for (int k = 0; k < KeyCount; ++k) {
            const TKlavesa *key = console->Klavesy[k].get();
            if (!key || key->ObsluhaKlavesy == 1)
                continue;
            const QString className =
                ExportRecordClassName(ExportCardTypeName(Config, key->HWPozicDosky, SlotValid));
            if (className.isEmpty())
                continue;
            if (auto record = keyRecord(className, c, k, *key))
                list->Add(std::move(record));
        }
    }
    return list;
}

TExportResult ExportConfiguration(const TAPult &Config, const QString &FileName,
                                  const TSlotValidity &SlotValid, const TClock &Clock)
{
    const QTime now = Clock ? Clock().time() : SystemClock().time();
    auto list = BuildExportList(Config, SlotValid, now);
    TExportResult result;
    result.Ok = list->SaveToFile(FileName, &result.ErrorText);
    return result;
}

TExportResult RunExportCommand(const TAPult &Config, const QString &FileName, const TSlotValidity &SlotValid,
                               const std::function<bool(const QString &Question)> &AskRetry,
                               const TClock &Clock)
{
    const QTime now = Clock ? Clock().time() : SystemClock().time();
    auto list = BuildExportList(Config, SlotValid, now);
    TExportResult result;
    for (;;) {
        result.ErrorText.clear();
        result.Ok = list->SaveToFile(FileName, &result.ErrorText);
        if (result.Ok || !AskRetry || !AskRetry(ExportRetryQuestion(FileName)))
            return result;
    }
}

QString ExportProposedFileName(const QString &ProjectFileName)
{
    if (ProjectFileName.isEmpty())
        return {};
    const qsizetype slash = ProjectFileName.lastIndexOf(u'/');
    const qsizetype dot = ProjectFileName.lastIndexOf(u'.');
    const QString stem = dot > slash ? ProjectFileName.left(dot) : ProjectFileName;
    return stem + QStringLiteral(".cfn");
}

QString ExportRetryQuestion(const QString &FileName)
{
    QString text = LoadStrDll(ExportRetryText);
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    if (at >= 0)
        text.replace(at, 2, FileName);
    else
        text += u' ' + FileName;
    return text;
}
