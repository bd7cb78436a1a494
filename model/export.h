#pragma once

#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "model/listorva.h"
#include "model/objekty.h"
#include "model/verzia.h"

// The export command without its window: the list of records built from a
// configuration and written as a .cfn file. The main window shows the save
// dialog and the retry question; everything else is here.

// The main window's board-slot rule (IsBoardSlotValid).
using TSlotValidity = std::function<bool(int Slot)>;

// The position word of board slot 0..31; none outside. The high byte is the
// shelf: 0xFF for the slots 0..15 and 0x01 for the extension shelf (16..31),
// so the word never wraps; the low byte holds the place: bit 7 set for the H
// half, bits 4..6 the number (slot 3 gives 0xFF30, slot 16 0x0100, slot 28 0x01C0).
std::optional<std::uint16_t> BoardPositionWord(int Slot);

// The slot's card name cut before "Card" and without its first character
// ("TUL10Card" gives "UL10", "TMB5" "MB5"); empty for a slot that is not valid.
QString ExportCardTypeName(const TAPult &Config, int Slot, const TSlotValidity &SlotValid);

// The key record class for a card type name: "T" + the name, else "T" + the name
// without its last character ("MB5" gives "TMB"); empty when neither is a
// registered key record class.
QString ExportRecordClassName(const QString &CardTypeName);

// The version record (of TimeOfDay), one board record per valid slot and one
// key record per configured key of each connected console.
std::unique_ptr<TListOrva> BuildExportList(const TAPult &Config, const TSlotValidity &SlotValid,
                                           const QTime &TimeOfDay);

struct TExportResult {
    bool Ok = false;
    QString ErrorText; // the file and the reason; empty on success
};

// One attempt: the list built and written. A failure leaves no new or partial
// file; a file that was there stays as it was.
TExportResult ExportConfiguration(const TAPult &Config, const QString &FileName,
                                  const TSlotValidity &SlotValid, const TClock &Clock = SystemClock);

// The export command once the file is chosen: built once, then written until it
// succeeds or AskRetry (shown ExportRetryQuestion, answers Yes and No) says no.
// Returns the last attempt.
TExportResult RunExportCommand(const TAPult &Config, const QString &FileName, const TSlotValidity &SlotValid,
                               const std::function<bool(const QString &Question)> &AskRetry,
                               const TClock &Clock = SystemClock);

// The save dialog of the command.
inline const QString ExportDefaultSuffix = QStringLiteral("cfn");
inline const QString ExportNameFilter = QStringLiteral("*.cfn (*.cfn)");
constexpr int ExportRetryText = 229;

// The project file name with its extension replaced by ".cfn" (added when it
// has none); empty for an empty name, rather than a bare ".cfn".
QString ExportProposedFileName(const QString &ProjectFileName);

// Language text 229 with the file name.
QString ExportRetryQuestion(const QString &FileName);
