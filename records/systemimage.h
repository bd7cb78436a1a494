#pragma once

#include "records/pcrecord.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

// The tables as the system and the consoles hold them, kept as one block of
// 46380 bytes: the block is what the network tables file carries per console.
// It holds one console at a time (the console set-up and the GSM-R function
// numbers cover both consoles). Every accessor checks its index and throws
// std::out_of_range outside the table.

enum class ImageTable {
    ConsoleSetup,    // 2 x {type, screen count}
    KeyToLine,       // line number per key address
    LineToLamp,      // lamp code (lamp + 32) per line number
    KeyToSubscriber, // subscriber number per key address
    GsmrFunction,    // 2 x 9 bytes of hex digits
    Msn,             // 32 x 16
    LineFlags,       // 80 x 6
    Uni,             // 130 x 8
    KeyNames,        // 256 x 32, space padded, per key index
    KeyRecords,      // 256 x 40, per key index
    PhoneBook,       // 256 x 66
    DataVersion,     // 6
    Symbols,         // 8192
    Reserve,         // 32 bytes 0xFF
};

namespace img
{

struct TableSpan {
    int offset;
    int size;
};

inline constexpr int Size = 46380;
inline constexpr int TableCount = 14;

inline constexpr int ConsoleSetupOffset = 0, ConsoleSetupSize = 4;
inline constexpr int KeyToLineOffset = 4, KeyToLineSize = 256;
inline constexpr int LineToLampOffset = 260, LineToLampSize = 256;
inline constexpr int KeyToSubscriberOffset = 516, KeyToSubscriberSize = 256;
inline constexpr int GsmrFunctionOffset = 772, GsmrFunctionSize = 18;
inline constexpr int MsnOffset = 790, MsnSize = 512;
inline constexpr int LineFlagsOffset = 1302, LineFlagsSize = 480;
inline constexpr int UniOffset = 1782, UniSize = 1040;
inline constexpr int KeyNamesOffset = 2822, KeyNamesSize = 8192;
inline constexpr int KeyRecordsOffset = 11014, KeyRecordsSize = 10240;
inline constexpr int PhoneBookOffset = 21254, PhoneBookSize = 16896;
inline constexpr int DataVersionOffset = 38150, DataVersionSize = 6;
inline constexpr int SymbolsOffset = 38156, SymbolsSize = 8192;
inline constexpr int ReserveOffset = 46348, ReserveSize = 32;

inline constexpr std::array<TableSpan, TableCount> Tables = {{
    {ConsoleSetupOffset, ConsoleSetupSize},
    {KeyToLineOffset, KeyToLineSize},
    {LineToLampOffset, LineToLampSize},
    {KeyToSubscriberOffset, KeyToSubscriberSize},
    {GsmrFunctionOffset, GsmrFunctionSize},
    {MsnOffset, MsnSize},
    {LineFlagsOffset, LineFlagsSize},
    {UniOffset, UniSize},
    {KeyNamesOffset, KeyNamesSize},
    {KeyRecordsOffset, KeyRecordsSize},
    {PhoneBookOffset, PhoneBookSize},
    {DataVersionOffset, DataVersionSize},
    {SymbolsOffset, SymbolsSize},
    {ReserveOffset, ReserveSize},
}};

constexpr TableSpan Table(ImageTable t)
{
    return Tables[static_cast<int>(t)];
}

inline constexpr int Consoles = 2;
inline constexpr int GsmrBytes = 9; // per console
inline constexpr int MsnCount = 32, MsnEntrySize = 16;
inline constexpr int LineFlagCount = 80, LineFlagSize = 6;
inline constexpr int UniCount = 130, UniEntrySize = 8;
inline constexpr int KeyCount = 256; // key names, key records, phone book
inline constexpr int KeyNameSize = 32;
inline constexpr int KeyRecordSize = 40;
inline constexpr int KeyRecordWireSize = 32; // the console's own part of a key record
inline constexpr int PhoneBookCount = 256, PhoneBookEntrySize = 66;
inline constexpr int PhoneNameOffset = 0, PhoneNumberOffset = 33, PhoneStringMax = 32;

// Key record bytes.
inline constexpr int KrObsluhaKlavesy = 0;
inline constexpr int KrCisloUcastnika = 1;
inline constexpr int KrSkratenaVolba = 2; // 27 digit codes
inline constexpr int KrSkratenaVolbaCount = 27;
inline constexpr int KrBitovyByte = 29;
inline constexpr int KrNumLin = 30;
inline constexpr int KrKodDosky = 31;
inline constexpr int KrVolba = 32;
inline constexpr int KrTextColor = 36; // 32-bit little-endian

// MSN entry bytes.
inline constexpr int MsnLine = 0, MsnFlags = 1, MsnFlagCount = 3, MsnDigits = 4, MsnDigitCount = 12;

// UNI entry bytes.
inline constexpr int UeLine = 0, UeKind = 1, UeBoardCode = 2, UeSlotKind = 3, UePosition = 4, UeLinePos = 5,
                     UeMark = 6, UeUnused = 7;
inline constexpr Byte UeConsoleLineBase = 128; // byte 0 of a console entry: 128 + console
inline constexpr Byte UeConsoleBoard = 0xAA;
inline constexpr Byte UeConsoleSlotKind = 253;
inline constexpr Byte UeExtensionSlot = 254;

} // namespace img

class TSystemImage
{
public:
    static constexpr int Size = img::Size;

    // A fresh image: see Reset.
    TSystemImage();

    // The state of a fresh image: console set-up 0 (not connected), key names
    // spaces, key records {0xFF x 32, dial code 0xA0, 0xFF x 3, colour 0},
    // phone book, data version and symbol table zeros, all else 0xFF.
    void Reset();

    // Empties the per-key tables and the UNI table of the console last
    // converted; the key records keep their bytes 32 to 39, and the console
    // set-up, GSM-R bytes, MSN table, line flags, phone book, data version,
    // symbol table and reserve keep their contents.
    void ClearSystemImage();

    QByteArray ToBytes() const;
    // Exactly one image of Size bytes is taken; a shorter one is refused and
    // leaves the image as it was. Phone-book string lengths are cut to 32.
    RecordResult FromBytes(const QByteArray &data);
    std::span<Byte, Size> Bytes() { return m_bytes; }
    std::span<const Byte, Size> Bytes() const { return m_bytes; }

    std::span<Byte> Table(ImageTable t);
    std::span<const Byte> Table(ImageTable t) const;
    // Copies at most the table's size from data into the table, from its
    // start; returns the number of bytes copied.
    int CopyIntoTable(ImageTable t, const Byte *data, int length);
    int CopyIntoTable(ImageTable t, const QByteArray &data);

    // Console set-up, console 0 or 1.
    Byte &ConsoleType(int console);
    Byte ConsoleType(int console) const;
    Byte &ScreenCount(int console);
    Byte ScreenCount(int console) const;

    // The three per-key tables: key-to-line and key-to-subscriber by key
    // address (KeyAddress(k)), line-to-lamp by line number; all 0 to 255.
    Byte &KeyToLine(int keyAddress);
    Byte KeyToLine(int keyAddress) const;
    Byte &LineToLamp(int line);
    Byte LineToLamp(int line) const;
    Byte &KeyToSubscriber(int keyAddress);
    Byte KeyToSubscriber(int keyAddress) const;

    std::span<Byte, img::GsmrBytes> GsmrFunction(int console);
    std::span<const Byte, img::GsmrBytes> GsmrFunction(int console) const;

    std::span<Byte, img::MsnEntrySize> MsnEntry(int i);
    std::span<const Byte, img::MsnEntrySize> MsnEntry(int i) const;

    std::span<Byte, img::LineFlagSize> LineFlags(int line);
    std::span<const Byte, img::LineFlagSize> LineFlags(int line) const;

    std::span<Byte, img::UniEntrySize> UniEntry(int i);
    std::span<const Byte, img::UniEntrySize> UniEntry(int i) const;

    // Key names by key index 0 to 255: 32 bytes, padded with spaces.
    std::span<Byte, img::KeyNameSize> KeyName(int keyIndex);
    std::span<const Byte, img::KeyNameSize> KeyName(int keyIndex) const;
    QByteArray KeyNameBytes(int keyIndex) const;           // all 32 bytes
    void SetKeyName(int keyIndex, const QByteArray &name); // padded with spaces or cut

    // Key records by key index 0 to 255.
    std::span<Byte, img::KeyRecordSize> KeyRecord(int keyIndex);
    std::span<const Byte, img::KeyRecordSize> KeyRecord(int keyIndex) const;
    std::uint32_t KeyTextColor(int keyIndex) const;
    void SetKeyTextColor(int keyIndex, std::uint32_t colour);

    // Phone book entries 0 to 255: name and number, at most 32 bytes each.
    std::span<Byte, img::PhoneBookEntrySize> PhoneBookEntry(int i);
    std::span<const Byte, img::PhoneBookEntrySize> PhoneBookEntry(int i) const;
    QByteArray PhoneName(int i) const;
    void SetPhoneName(int i, const QByteArray &name);
    QByteArray PhoneNumber(int i) const;
    void SetPhoneNumber(int i, const QByteArray &number);
    // The image keeps an entry as the console holds it: the name padded with
    // 0xFF, the number in dial codes padded with 0xFF, 32 bytes each.
    // PhoneBookWire gives those 64 bytes for the console (a shorter string
    // padded with 0xFF, a number held as characters coded); SetPhoneBookWire
    // takes the 64 bytes of a console's record as they are.
    QByteArray PhoneBookWire(int i) const;
    void SetPhoneBookWire(int i, const Byte *record);
    // The name without its padding (Windows-1250 bytes), and the number as dial
    // characters; a number held as characters is taken as it stands.
    QByteArray PhoneEntryName(int i) const;
    QString PhoneEntryNumber(int i) const;

    std::span<Byte, img::DataVersionSize> DataVersion();
    std::span<const Byte, img::DataVersionSize> DataVersion() const;
    std::span<Byte, img::SymbolsSize> Symbols();
    std::span<const Byte, img::SymbolsSize> Symbols() const;

private:
    std::array<Byte, Size> m_bytes{};
};
