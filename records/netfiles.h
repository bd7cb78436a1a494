#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "cardpack/sablona.h"

class TZoznam;

// The two files of network mode, as the system's FTP server holds them.
//
// osadenie.dat, the boards fitted in the system: 4-byte records up to the
// end of the file, one per board position.
//   byte 0  bits 4..7: position within its half, 0..15 (bits 0..3 unused)
//   byte 1  0xFE: second half (slot = 16 + position); other: first half
//   byte 2  board code; 255 = no board, the record is skipped
//   byte 3  unused
//
// tabulky.dat, the system tables, untyped bytes:
//   offset 0          1 byte   0x00
//   offset 1          1 byte   N, the connected consoles (type not 0)
//   offset 2          46380 x N  the system image of each connected console,
//                              console 0 first; its layout is TSystemImage's
//                              (records/systemimage.h), table by table:
//     0 console set-up 4, 4 key-to-line 256, 260 line-to-lamp 256,
//     516 key-to-subscriber 256, 772 GSM-R numbers 18, 790 MSN 512,
//     1302 line flags 480, 1782 UNI 1040, 2822 key names 8192,
//     11014 key records 10240, 21254 phone book 16896, 38150 data version 6,
//     38156 symbols 8192, 46348 reserve 32.
namespace netfiles
{

inline const QString BoardsFileName = QStringLiteral("osadenie.dat");
inline const QString TablesFileName = QStringLiteral("tabulky.dat");
inline constexpr int BoardRecordSize = 4;
inline constexpr Byte SecondHalf = 0xFE;
inline constexpr Byte NoBoard = 0xFF;
inline constexpr int TablesHeaderSize = 2;
inline constexpr int ImageSize = 46380;

// ---- osadenie.dat -----------------------------------------------------------------

struct TBoardEntry {
    int slot = 0;   // 0..31
    Byte code = 0;  // never 255
    QString name;   // the board-type list's card name, "Card" cut off
    int offset = 0; // of its record in the file
};

enum class BoardError { None, Length, DoubledSlot, SlotNotAllowed, UnknownCode };

struct TBoardsRead {
    BoardError error = BoardError::None;
    int slot = -1;   // the slot of the failing record
    Byte code = 0;
    int offset = -1; // the failing record's offset
    QString detail;  // file, record and reason, for the log and the box
    QList<TBoardEntry> boards; // the records to apply, in file order
};

// The slot a record names.
int RecordSlot(Byte b0, Byte b1);

// Reads the whole file before anything is applied. A length that is not a
// multiple of 4, two boards for one slot, a board the list does not know and
// a board ("T...") in a slot `slotValid` refuses are errors; records that
// name no board (255), other slots the system lacks and names not starting
// with "T" are skipped as the system leaves them.
TBoardsRead ReadBoardsFile(const QByteArray &bytes, TZoznam &list, const std::function<bool(int)> &slotValid);

// ---- tabulky.dat ------------------------------------------------------------------

// 2 + 46380 x consoles.
constexpr qint64 TablesFileSize(int consoles)
{
    return TablesHeaderSize + qint64(ImageSize) * consoles;
}

// The file from the images (each ImageSize bytes) of the connected consoles.
QByteArray BuildTablesFile(const QList<QByteArray> &images);

// Checks the whole file: first byte 0, second byte `consoles`, size exactly
// TablesFileSize(consoles). On success `images` holds one image per
// connected console; otherwise `reason` says why and `images` is empty.
bool ReadTablesFile(const QByteArray &bytes, int consoles, QList<QByteArray> &images, QString &reason);

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`: a failure leaves any earlier file whole. `error` names the file.
bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString &error);

} // namespace netfiles
