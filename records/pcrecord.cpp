#include "records/pcrecord.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{

void CheckIndex(int index, int first, int last, const char *what)
{
    if (index < first || index > last)
        throw std::out_of_range(std::string(what) + " index " + std::to_string(index) + " outside " +
                                std::to_string(first) + ".." + std::to_string(last));
}

std::uint32_t GetU32(const Byte *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void PutU32(Byte *p, std::uint32_t v)
{
    p[0] = Byte(v);
    p[1] = Byte(v >> 8);
    p[2] = Byte(v >> 16);
    p[3] = Byte(v >> 24);
}

// The magic must stand exactly: its own length byte and its characters.
bool HasMagic(const Byte *p, const char *magic)
{
    const auto n = std::strlen(magic);
    return p[0] == n && std::memcmp(p + 1, magic, n) == 0;
}

void WriteMagic(Byte *p, const char *magic)
{
    const auto n = std::strlen(magic);
    p[0] = Byte(n);
    std::memcpy(p + 1, magic, n);
}

// A record file written by another program may carry any length byte.
void ClampLength(Byte &length, int max)
{
    if (length > max)
        length = Byte(max);
}

int BlockBase(int block)
{
    CheckIndex(block, 0, pcrec::BlockCount - 1, "console block");
    return pcrec::BlocksOffset + pcrec::BlockSize * block;
}

int KeyEntryBase(int block, int keyAddress)
{
    CheckIndex(keyAddress, FirstKeyAddress, 255, "key entry address");
    return BlockBase(block) + pcrec::BlockKeyEntries + pcrec::KeyEntrySize * (keyAddress - FirstKeyAddress);
}

} // namespace

const char *RecordResultName(RecordResult result)
{
    switch (result) {
    case RecordResult::Ok:
        return "ok";
    case RecordResult::TooShort:
        return "record too short";
    case RecordResult::WrongMagic:
        return "wrong record magic";
    }
    return "unknown";
}

QByteArray ReadPrefixedString(std::span<const Byte> field, int max)
{
    if (field.empty() || max < 0 || int(field.size()) < max + 1)
        throw std::out_of_range("string field smaller than its length");
    const int n = std::min<int>(field[0], max);
    return QByteArray(reinterpret_cast<const char *>(field.data() + 1), n);
}

void WritePrefixedString(std::span<Byte> field, int max, const QByteArray &text)
{
    if (field.empty() || max < 0 || int(field.size()) < max + 1)
        throw std::out_of_range("string field smaller than its length");
    const int n = std::min<int>(text.size(), max);
    field[0] = Byte(n);
    std::memcpy(field.data() + 1, text.constData(), n);
    std::fill(field.begin() + 1 + n, field.begin() + 1 + max, Byte(0));
}

// ---- TPcRecord ----

TPcRecord::TPcRecord() = default;

QByteArray TPcRecord::ToBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}

RecordResult TPcRecord::FromBytes(const QByteArray &data)
{
    if (data.size() < Size)
        return RecordResult::TooShort;
    const auto *p = reinterpret_cast<const Byte *>(data.constData());
    if (!HasMagic(p, MagicPc))
        return RecordResult::WrongMagic;
    std::copy(p, p + Size, m_bytes.begin());
    for (int a = 0; a < pcrec::KeyTextCount; ++a) {
        const int base = KeyTextAt(a);
        ClampLength(m_bytes[base + pcrec::HintOffset], pcrec::HintMax);
        ClampLength(m_bytes[base + pcrec::NameOffset], pcrec::NameMax);
    }
    return RecordResult::Ok;
}

QByteArray TPcRecord::Magic() const
{
    return ReadPrefixedString(std::span<const Byte>(m_bytes).subspan(pcrec::MagicOffset, pcrec::MagicMax + 1),
                              pcrec::MagicMax);
}

Byte &TPcRecord::BoardCode(int slot)
{
    CheckIndex(slot, 0, pcrec::BoardSlots - 1, "board slot");
    return m_bytes[pcrec::BoardCodesOffset + slot];
}

Byte TPcRecord::BoardCode(int slot) const
{
    CheckIndex(slot, 0, pcrec::BoardSlots - 1, "board slot");
    return m_bytes[pcrec::BoardCodesOffset + slot];
}

std::span<Byte, pcrec::BlockSize> TPcRecord::Block(int block)
{
    return std::span<Byte, pcrec::BlockSize>(m_bytes.data() + BlockBase(block), pcrec::BlockSize);
}

std::span<const Byte, pcrec::BlockSize> TPcRecord::Block(int block) const
{
    return std::span<const Byte, pcrec::BlockSize>(m_bytes.data() + BlockBase(block), pcrec::BlockSize);
}

std::span<Byte, 256> TPcRecord::KeyToLineTable(int block)
{
    return Block(block).subspan<pcrec::BlockKeyToLine, 256>();
}

std::span<Byte, 256> TPcRecord::LineToLampTable(int block)
{
    return Block(block).subspan<pcrec::BlockLineToLamp, 256>();
}

std::span<Byte, 256> TPcRecord::KeyToSubscriberTable(int block)
{
    return Block(block).subspan<pcrec::BlockKeyToSubscriber, 256>();
}

std::span<Byte, 256> TPcRecord::TailTable(int block)
{
    return Block(block).subspan<pcrec::BlockTail, 256>();
}

std::span<const Byte, 256> TPcRecord::KeyToLineTable(int block) const
{
    return Block(block).subspan<pcrec::BlockKeyToLine, 256>();
}

std::span<const Byte, 256> TPcRecord::LineToLampTable(int block) const
{
    return Block(block).subspan<pcrec::BlockLineToLamp, 256>();
}

std::span<const Byte, 256> TPcRecord::KeyToSubscriberTable(int block) const
{
    return Block(block).subspan<pcrec::BlockKeyToSubscriber, 256>();
}

std::span<const Byte, 256> TPcRecord::TailTable(int block) const
{
    return Block(block).subspan<pcrec::BlockTail, 256>();
}

std::span<Byte, pcrec::KeyEntrySize> TPcRecord::KeyEntry(int block, int keyAddress)
{
    return std::span<Byte, pcrec::KeyEntrySize>(m_bytes.data() + KeyEntryBase(block, keyAddress),
                                                pcrec::KeyEntrySize);
}

std::span<const Byte, pcrec::KeyEntrySize> TPcRecord::KeyEntry(int block, int keyAddress) const
{
    return std::span<const Byte, pcrec::KeyEntrySize>(m_bytes.data() + KeyEntryBase(block, keyAddress),
                                                      pcrec::KeyEntrySize);
}

std::span<Byte, pcrec::ValueTablesSize> TPcRecord::ValueTables()
{
    return std::span<Byte, pcrec::ValueTablesSize>(m_bytes.data() + pcrec::ValueTablesOffset,
                                                   pcrec::ValueTablesSize);
}

std::span<const Byte, pcrec::ValueTablesSize> TPcRecord::ValueTables() const
{
    return std::span<const Byte, pcrec::ValueTablesSize>(m_bytes.data() + pcrec::ValueTablesOffset,
                                                         pcrec::ValueTablesSize);
}

int TPcRecord::KeyTextAt(int keyAddress) const
{
    CheckIndex(keyAddress, 0, pcrec::KeyTextCount - 1, "key text address");
    return pcrec::KeyTextsOffset + pcrec::KeyTextSize * keyAddress;
}

QByteArray TPcRecord::Hint(int keyAddress) const
{
    return ReadPrefixedString(
        std::span<const Byte>(m_bytes).subspan(KeyTextAt(keyAddress) + pcrec::HintOffset, pcrec::HintMax + 1),
        pcrec::HintMax);
}

void TPcRecord::SetHint(int keyAddress, const QByteArray &text)
{
    WritePrefixedString(
        std::span<Byte>(m_bytes).subspan(KeyTextAt(keyAddress) + pcrec::HintOffset, pcrec::HintMax + 1),
        pcrec::HintMax, text);
}

QByteArray TPcRecord::Name(int keyAddress) const
{
    return ReadPrefixedString(
        std::span<const Byte>(m_bytes).subspan(KeyTextAt(keyAddress) + pcrec::NameOffset, pcrec::NameMax + 1),
        pcrec::NameMax);
}

void TPcRecord::SetName(int keyAddress, const QByteArray &text)
{
    WritePrefixedString(
        std::span<Byte>(m_bytes).subspan(KeyTextAt(keyAddress) + pcrec::NameOffset, pcrec::NameMax + 1),
        pcrec::NameMax, text);
}

QString TPcRecord::HintText(int keyAddress) const
{
    return platform::FromCp1250(Hint(keyAddress));
}

void TPcRecord::SetHintText(int keyAddress, const QString &text)
{
    SetHint(keyAddress, platform::ToCp1250(text));
}

QString TPcRecord::NameText(int keyAddress) const
{
    return platform::FromCp1250(Name(keyAddress));
}

void TPcRecord::SetNameText(int keyAddress, const QString &text)
{
    SetName(keyAddress, platform::ToCp1250(text));
}

Byte &TPcRecord::DialCode(int keyAddress)
{
    CheckIndex(keyAddress, 0, 255, "dial code address");
    return m_bytes[pcrec::DialCodesOffset + keyAddress];
}

Byte TPcRecord::DialCode(int keyAddress) const
{
    CheckIndex(keyAddress, 0, 255, "dial code address");
    return m_bytes[pcrec::DialCodesOffset + keyAddress];
}

std::uint32_t TPcRecord::TextColor(int keyIndex) const
{
    CheckIndex(keyIndex, 0, pcrec::TextColorCount - 1, "text colour key");
    return GetU32(m_bytes.data() + pcrec::TextColorsOffset + 4 * keyIndex);
}

void TPcRecord::SetTextColor(int keyIndex, std::uint32_t colour)
{
    CheckIndex(keyIndex, 0, pcrec::TextColorCount - 1, "text colour key");
    PutU32(m_bytes.data() + pcrec::TextColorsOffset + 4 * keyIndex, colour);
}

std::uint32_t TPcRecord::SchemeColor(int i) const
{
    CheckIndex(i, 0, pcrec::SchemeCount - 1, "colour scheme");
    return GetU32(m_bytes.data() + pcrec::SchemeOffset + 4 * i);
}

void TPcRecord::SetSchemeColor(int i, std::uint32_t colour)
{
    CheckIndex(i, 0, pcrec::SchemeCount - 1, "colour scheme");
    PutU32(m_bytes.data() + pcrec::SchemeOffset + 4 * i, colour);
}

void InitPcRecord(TPcRecord &record)
{
    auto &b = record.m_bytes;
    WriteMagic(b.data() + pcrec::MagicOffset, MagicPc);
    std::fill_n(b.begin() + pcrec::BoardCodesOffset, pcrec::BoardSlots, Byte(0xFF));
    for (int block = 0; block < pcrec::BlockCount; ++block) {
        auto blk = record.Block(block);
        std::fill_n(blk.begin() + pcrec::BlockKeyToLine, 3 * 256, Byte(0xFF));
        std::fill_n(blk.begin() + pcrec::BlockTail, 256, Byte(0xFF));
        for (int address = FirstKeyAddress; address <= 255; ++address)
            std::ranges::copy(pcrec::DefaultKeyEntry, record.KeyEntry(block, address).begin());
    }
    std::fill_n(b.begin() + pcrec::ValueTablesOffset, pcrec::ValueTablesSize, Byte(0xFF));
    // Whole key texts, not only their lengths: a record written after another
    // was read must not carry that one's texts behind its empty strings.
    std::fill_n(b.begin() + pcrec::KeyTextsOffset, pcrec::KeyTextCount * pcrec::KeyTextSize, Byte(0));
    std::fill_n(b.begin() + pcrec::DialCodesOffset, 256, pcrec::DefaultVolba);
    // The two reserved bytes at 48350 are left as they stand.
    std::fill_n(b.begin() + pcrec::TextColorsOffset, 4 * pcrec::TextColorCount, Byte(0));
    for (int i = 0; i < pcrec::SchemeCount; ++i)
        record.SetSchemeColor(i, pcrec::DefaultScheme[i]);
}

// ---- TUniRecord ----

TUniRecord::TUniRecord() = default;

QByteArray TUniRecord::ToBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}

RecordResult TUniRecord::FromBytes(const QByteArray &data)
{
    if (data.size() < Size)
        return RecordResult::TooShort;
    const auto *p = reinterpret_cast<const Byte *>(data.constData());
    if (!HasMagic(p, MagicUni))
        return RecordResult::WrongMagic;
    std::copy(p, p + Size, m_bytes.begin());
    return RecordResult::Ok;
}

QByteArray TUniRecord::Magic() const
{
    return ReadPrefixedString(std::span<const Byte>(m_bytes).first(unirec::MagicMax + 1), unirec::MagicMax);
}

std::span<Byte, unirec::EntrySize> TUniRecord::Entry(int i)
{
    CheckIndex(i, 0, unirec::EntryCount - 1, "UNI entry");
    return std::span<Byte, unirec::EntrySize>(m_bytes.data() + unirec::EntriesOffset + unirec::EntrySize * i,
                                              unirec::EntrySize);
}

std::span<const Byte, unirec::EntrySize> TUniRecord::Entry(int i) const
{
    CheckIndex(i, 0, unirec::EntryCount - 1, "UNI entry");
    return std::span<const Byte, unirec::EntrySize>(
        m_bytes.data() + unirec::EntriesOffset + unirec::EntrySize * i, unirec::EntrySize);
}

std::span<Byte, unirec::EntryCount * unirec::EntrySize> TUniRecord::Entries()
{
    return std::span<Byte, unirec::EntryCount * unirec::EntrySize>(m_bytes.data() + unirec::EntriesOffset,
                                                                   unirec::EntryCount * unirec::EntrySize);
}

std::span<const Byte, unirec::EntryCount * unirec::EntrySize> TUniRecord::Entries() const
{
    return std::span<const Byte, unirec::EntryCount * unirec::EntrySize>(
        m_bytes.data() + unirec::EntriesOffset, unirec::EntryCount * unirec::EntrySize);
}

void InitUniRecord(TUniRecord &record)
{
    // Byte 5 is not part of the magic and keeps whatever the buffer holds.
    WriteMagic(record.m_bytes.data(), MagicUni);
    std::fill_n(record.m_bytes.begin() + unirec::EntriesOffset, unirec::EntryCount * unirec::EntrySize,
                Byte(0xFF));
}

// ---- TOldRecord ----

TOldRecord::TOldRecord() = default;

RecordResult TOldRecord::FromBytes(const QByteArray &data, bool isAcf)
{
    const int size = isAcf ? oldrec::AcfSize : oldrec::CfgSize;
    if (data.size() < size)
        return RecordResult::TooShort;
    const auto *p = reinterpret_cast<const Byte *>(data.constData());
    if (!ReadPrefixedString(std::span<const Byte>(p, pcrec::MagicMax + 1), pcrec::MagicMax)
             .contains(MagicOld))
        return RecordResult::WrongMagic;
    m_isAcf = isAcf;
    std::fill(m_bytes.begin(), m_bytes.end(), Byte(0));
    std::copy(p, p + size, m_bytes.begin());
    if (!isAcf) {
        for (int a = 0; a < 256; ++a) {
            const int base = oldrec::KeyTextsOffset + oldrec::KeyTextSize * a;
            ClampLength(m_bytes[base], oldrec::HintMax);
            ClampLength(m_bytes[base + oldrec::NameOffset], oldrec::NameMax);
        }
    }
    return RecordResult::Ok;
}

QByteArray TOldRecord::Magic() const
{
    return ReadPrefixedString(std::span<const Byte>(m_bytes).first(pcrec::MagicMax + 1), pcrec::MagicMax);
}

Byte TOldRecord::BoardCode(int slot) const
{
    CheckIndex(slot, 0, pcrec::BoardSlots - 1, "board slot");
    return m_bytes[pcrec::BoardCodesOffset + slot];
}

std::span<const Byte, pcrec::BlockSize> TOldRecord::Block(int block) const
{
    return std::span<const Byte, pcrec::BlockSize>(m_bytes.data() + BlockBase(block), pcrec::BlockSize);
}

std::span<const Byte, pcrec::KeyEntrySize> TOldRecord::KeyEntry(int block, int keyAddress) const
{
    return std::span<const Byte, pcrec::KeyEntrySize>(m_bytes.data() + KeyEntryBase(block, keyAddress),
                                                      pcrec::KeyEntrySize);
}

std::span<const Byte, pcrec::ValueTablesSize> TOldRecord::ValueTables() const
{
    return std::span<const Byte, pcrec::ValueTablesSize>(m_bytes.data() + pcrec::ValueTablesOffset,
                                                         pcrec::ValueTablesSize);
}

int TOldRecord::KeyTextAt(int keyAddress) const
{
    if (m_isAcf)
        throw std::logic_error("an ACF record has no key texts");
    CheckIndex(keyAddress, 0, 255, "key text address");
    return oldrec::KeyTextsOffset + oldrec::KeyTextSize * keyAddress;
}

QByteArray TOldRecord::Hint(int keyAddress) const
{
    return ReadPrefixedString(
        std::span<const Byte>(m_bytes).subspan(KeyTextAt(keyAddress), oldrec::HintMax + 1), oldrec::HintMax);
}

QByteArray TOldRecord::Name(int keyAddress) const
{
    return ReadPrefixedString(std::span<const Byte>(m_bytes).subspan(
                                  KeyTextAt(keyAddress) + oldrec::NameOffset, oldrec::NameMax + 1),
                              oldrec::NameMax);
}

Byte TOldRecord::DialCode(int keyAddress) const
{
    if (m_isAcf)
        throw std::logic_error("an ACF record has no dial codes");
    CheckIndex(keyAddress, 0, 255, "dial code address");
    return m_bytes[oldrec::DialCodesOffset + keyAddress];
}

static_assert(pcrec::BlocksOffset + pcrec::BlockCount * pcrec::BlockSize == pcrec::ValueTablesOffset);
static_assert(pcrec::BlockKeyEntries + pcrec::KeyEntryCount * pcrec::KeyEntrySize == pcrec::BlockTail);
static_assert(pcrec::BlockTail + 256 == pcrec::BlockSize);
static_assert(pcrec::ValueTablesOffset + pcrec::ValueTablesSize == pcrec::KeyTextsOffset);
static_assert(pcrec::FourByteValuesOffset + 80 == pcrec::KeyTextsOffset);
static_assert(pcrec::KeyTextsOffset + pcrec::KeyTextCount * pcrec::KeyTextSize == pcrec::DialCodesOffset);
static_assert(pcrec::DialCodesOffset + 256 == pcrec::ReservedOffset);
static_assert(pcrec::ReservedOffset + pcrec::ReservedSize == pcrec::TextColorsOffset);
static_assert(pcrec::TextColorsOffset + 4 * pcrec::TextColorCount == pcrec::SchemeOffset);
static_assert(pcrec::SchemeOffset + 4 * pcrec::SchemeCount == pcrec::Size);
static_assert(unirec::EntriesOffset + unirec::EntryCount * unirec::EntrySize == unirec::Size);
static_assert(oldrec::KeyTextsOffset + 256 * oldrec::KeyTextSize == oldrec::DialCodesOffset);
static_assert(oldrec::DialCodesOffset + 256 + 518 == oldrec::CfgSize);
