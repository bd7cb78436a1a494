#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

using Byte = std::uint8_t;

// The console records kept beside a project: the PC console record of a side
// file, the UNI record of the .uni file and the two older console records that
// are only read. Each record is a fixed block of little-endian bytes; every
// field is reached through its offset, and every index is checked (an index
// outside a table throws std::out_of_range and stops the operation).

// Magics shared by the writers and the readers.
inline constexpr char MagicOld[] = "KAV2";
inline constexpr char MagicPc[] = "KAVSW";
inline constexpr char MagicUni[] = "KAUN";

// Result of loading a record from bytes. On anything but Ok the record keeps
// what it held before.
enum class RecordResult {
    Ok,
    TooShort,   // fewer bytes than one whole record
    WrongMagic, // the length-prefixed string at byte 0 is not the record's magic
};

const char *RecordResultName(RecordResult result);

// Key address of key index k (0 to 223): the per-key tables of the records and
// of the system image keep their first 32 places free.
inline constexpr int FirstKeyAddress = 32;
inline constexpr int KeyAddress(int keyIndex)
{
    return keyIndex + FirstKeyAddress;
}

namespace pcrec
{

inline constexpr int Size = 49460;

inline constexpr int MagicOffset = 0; // length byte + 5 characters
inline constexpr int MagicMax = 5;
inline constexpr int BoardCodesOffset = 6;
inline constexpr int BoardSlots = 16;

inline constexpr int BlocksOffset = 22;
inline constexpr int BlockCount = 4;
inline constexpr int BlockSize = 4160;
// Within a console block.
inline constexpr int BlockKeyToLine = 0;
inline constexpr int BlockLineToLamp = 256;
inline constexpr int BlockKeyToSubscriber = 512;
inline constexpr int BlockKeyEntries = 768; // entry of key address c at 320 + 14 x c
inline constexpr int BlockTail = 3904;
inline constexpr int KeyEntrySize = 14;
inline constexpr int KeyEntryCount = 224;
// Within a key entry.
inline constexpr int KeObsluhaKlavesy = 0;
inline constexpr int KeCisloUcastnika = 1;
inline constexpr int KeSkratenaVolba = 2; // 11 digit codes
inline constexpr int KeSkratenaVolbaCount = 11;
inline constexpr int KeBitovyByte = 13;

// The four 20-entry tables of one-, two-, three- and four-byte values.
inline constexpr int ValueTablesOffset = 16662;
inline constexpr int ValueTablesSize = 200;
inline constexpr int OneByteValuesOffset = 16662;
inline constexpr int TwoByteValuesOffset = 16682;
inline constexpr int ThreeByteValuesOffset = 16722;
inline constexpr int FourByteValuesOffset = 16782;

inline constexpr int KeyTextsOffset = 16862;
inline constexpr int KeyTextSize = 122;
inline constexpr int KeyTextCount = 256;
inline constexpr int HintOffset = 0; // length byte + 100 characters
inline constexpr int HintMax = 100;
inline constexpr int NameOffset = 101; // length byte + 20 characters
inline constexpr int NameMax = 20;

inline constexpr int DialCodesOffset = 48094;
inline constexpr int ReservedOffset = 48350;
inline constexpr int ReservedSize = 2;
inline constexpr int TextColorsOffset = 48352; // per key INDEX 0 to 255
inline constexpr int TextColorCount = 256;
inline constexpr int SchemeOffset = 49376;
inline constexpr int SchemeCount = 21;

inline constexpr Byte DefaultVolba = 0xA0;
inline constexpr std::array<Byte, KeyEntrySize> DefaultKeyEntry = {1,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 7};
inline constexpr std::array<std::uint32_t, SchemeCount> DefaultScheme = {
    0x000000FF, 0x0000FF00, 0x8000000F, 0x00800080, 0x8000000F, 0x80000010, 0x00FF00FF,
    0x00FFFFFF, 0x00800000, 0x0000FFFF, 0x00800000, 0x00FF00FF, 0x80000001, 0x000000FF,
    0x00800000, 0x001491FA, 0x8000000F, 0x00F6EB30, 0x005DFF30, 0x000485FF, 0x0000FFFF};

} // namespace pcrec

namespace unirec
{
inline constexpr int Size = 1046;
inline constexpr int MagicMax = 5; // "KAUN" uses bytes 0 to 4; byte 5 is never written
inline constexpr int UnwrittenOffset = 5;
inline constexpr int EntriesOffset = 6;
inline constexpr int EntryCount = 130;
inline constexpr int EntrySize = 8;
} // namespace unirec

namespace oldrec
{
inline constexpr int AcfSize = 16862; // same layout as bytes 0 to 16861 of the PC record
inline constexpr int CfgSize = 45796;
inline constexpr int KeyTextsOffset = 16862;
inline constexpr int KeyTextSize = 110;
inline constexpr int HintMax = 100;
inline constexpr int NameOffset = 101;
inline constexpr int NameMax = 8;
inline constexpr int DialCodesOffset = 45022;
inline constexpr int UnreadOffset = 45278; // 518 bytes nobody reads
} // namespace oldrec

// PC console record (magic "KAVSW"), the one record of a console side file.
// A new record is all zeros, as a fresh buffer; InitPcRecord gives the defaults.
class TPcRecord
{
public:
    static constexpr int Size = pcrec::Size;

    TPcRecord();

    QByteArray ToBytes() const;
    // Takes the first Size bytes. Over-long string lengths are cut to their fields.
    RecordResult FromBytes(const QByteArray &data);
    std::span<const Byte, Size> Bytes() const { return m_bytes; }

    QByteArray Magic() const;

    Byte &BoardCode(int slot);
    Byte BoardCode(int slot) const;

    std::span<Byte, pcrec::BlockSize> Block(int block);
    std::span<const Byte, pcrec::BlockSize> Block(int block) const;
    std::span<Byte, 256> KeyToLineTable(int block);
    std::span<Byte, 256> LineToLampTable(int block);
    std::span<Byte, 256> KeyToSubscriberTable(int block);
    std::span<Byte, 256> TailTable(int block);
    std::span<const Byte, 256> KeyToLineTable(int block) const;
    std::span<const Byte, 256> LineToLampTable(int block) const;
    std::span<const Byte, 256> KeyToSubscriberTable(int block) const;
    std::span<const Byte, 256> TailTable(int block) const;
    // Key entry of a key address 32 to 255.
    std::span<Byte, pcrec::KeyEntrySize> KeyEntry(int block, int keyAddress);
    std::span<const Byte, pcrec::KeyEntrySize> KeyEntry(int block, int keyAddress) const;

    std::span<Byte, pcrec::ValueTablesSize> ValueTables();
    std::span<const Byte, pcrec::ValueTablesSize> ValueTables() const;

    // Key text records by key address 0 to 255; bytes as stored (Windows-1250).
    QByteArray Hint(int keyAddress) const;
    void SetHint(int keyAddress, const QByteArray &text); // cut to 100
    QByteArray Name(int keyAddress) const;
    void SetName(int keyAddress, const QByteArray &text); // cut to 20
    QString HintText(int keyAddress) const;
    void SetHintText(int keyAddress, const QString &text);
    QString NameText(int keyAddress) const;
    void SetNameText(int keyAddress, const QString &text);

    Byte &DialCode(int keyAddress);
    Byte DialCode(int keyAddress) const;

    // Text colour by key INDEX 0 to 255.
    std::uint32_t TextColor(int keyIndex) const;
    void SetTextColor(int keyIndex, std::uint32_t colour);

    std::uint32_t SchemeColor(int i) const;
    void SetSchemeColor(int i, std::uint32_t colour);

private:
    friend void InitPcRecord(TPcRecord &record);
    int KeyTextAt(int keyAddress) const;
    std::array<Byte, Size> m_bytes{};
};

// UNI record (magic "KAUN"), the one record of the project's .uni file.
class TUniRecord
{
public:
    static constexpr int Size = unirec::Size;

    TUniRecord();

    QByteArray ToBytes() const;
    RecordResult FromBytes(const QByteArray &data);
    std::span<const Byte, Size> Bytes() const { return m_bytes; }

    QByteArray Magic() const;

    std::span<Byte, unirec::EntrySize> Entry(int i);
    std::span<const Byte, unirec::EntrySize> Entry(int i) const;
    // All 130 entries, laid out as the system image's UNI table.
    std::span<Byte, unirec::EntryCount * unirec::EntrySize> Entries();
    std::span<const Byte, unirec::EntryCount * unirec::EntrySize> Entries() const;

private:
    friend void InitUniRecord(TUniRecord &record);
    std::array<Byte, Size> m_bytes{};
};

// The older console records (magic "KAV2"), only read: an ACF record of 16862
// bytes, or an old CFG record of 45796 bytes that adds key texts and dial codes.
class TOldRecord
{
public:
    TOldRecord();

    // The record is recognised when its magic string holds "KAV2".
    RecordResult FromBytes(const QByteArray &data, bool isAcf);
    bool IsAcf() const { return m_isAcf; }
    int Size() const { return m_isAcf ? oldrec::AcfSize : oldrec::CfgSize; }
    std::span<const Byte> Bytes() const { return std::span<const Byte>(m_bytes).first(Size()); }

    QByteArray Magic() const;
    Byte BoardCode(int slot) const;
    std::span<const Byte, pcrec::BlockSize> Block(int block) const;
    std::span<const Byte, pcrec::KeyEntrySize> KeyEntry(int block, int keyAddress) const;
    std::span<const Byte, pcrec::ValueTablesSize> ValueTables() const;

    // Old CFG record only (std::logic_error on an ACF record).
    bool HasKeyTexts() const { return !m_isAcf; }
    QByteArray Hint(int keyAddress) const; // at most 100
    QByteArray Name(int keyAddress) const; // at most 8
    Byte DialCode(int keyAddress) const;

private:
    int KeyTextAt(int keyAddress) const;
    bool m_isAcf = true;
    std::array<Byte, oldrec::CfgSize> m_bytes{};
};

// Writes the defaults of every field but the two reserved bytes at 48350.
void InitPcRecord(TPcRecord &record);
// Writes the magic and 1040 bytes 0xFF; byte 5 keeps its value.
void InitUniRecord(TUniRecord &record);

// Length-prefixed string helpers over a byte table. The length byte is cut to
// max both when read and when written.
QByteArray ReadPrefixedString(std::span<const Byte> field, int max);
void WritePrefixedString(std::span<Byte> field, int max, const QByteArray &text);
