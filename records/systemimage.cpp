#include "records/systemimage.h"

#include "model/conversions.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{

void CheckIndex(int index, int last, const char *what)
{
    if (index < 0 || index > last)
        throw std::out_of_range(std::string("system image: ") + what + " index " + std::to_string(index) +
                                " outside 0.." + std::to_string(last));
}

constexpr bool TablesChain()
{
    int at = 0;
    for (const auto &t : img::Tables) {
        if (t.offset != at)
            return false;
        at += t.size;
    }
    return at == img::Size;
}
static_assert(TablesChain(), "image tables must follow each other without gaps");
static_assert(img::KeyToLineSize == 256 && img::LineToLampSize == 256 && img::KeyToSubscriberSize == 256);
static_assert(img::Consoles * img::GsmrBytes == img::GsmrFunctionSize);
static_assert(img::MsnCount * img::MsnEntrySize == img::MsnSize);
static_assert(img::LineFlagCount * img::LineFlagSize == img::LineFlagsSize);
static_assert(img::UniCount * img::UniEntrySize == img::UniSize);
static_assert(img::UniSize == unirec::EntryCount * unirec::EntrySize);
static_assert(img::KeyCount * img::KeyNameSize == img::KeyNamesSize);
static_assert(img::KeyCount * img::KeyRecordSize == img::KeyRecordsSize);
static_assert(img::PhoneBookCount * img::PhoneBookEntrySize == img::PhoneBookSize);
static_assert(img::PhoneNumberOffset + img::PhoneStringMax + 1 == img::PhoneBookEntrySize);

} // namespace

TSystemImage::TSystemImage()
{
    Reset();
}

void TSystemImage::Reset()
{
    std::fill(m_bytes.begin(), m_bytes.end(), Byte(0xFF));
    auto fillTable = [this](ImageTable t, Byte value) {
        auto s = Table(t);
        std::fill(s.begin(), s.end(), value);
    };
    fillTable(ImageTable::ConsoleSetup, 0);
    fillTable(ImageTable::KeyNames, ' ');
    fillTable(ImageTable::PhoneBook, 0);
    fillTable(ImageTable::DataVersion, 0);
    fillTable(ImageTable::Symbols, 0);
    for (int k = 0; k < img::KeyCount; ++k) {
        KeyRecord(k)[img::KrVolba] = pcrec::DefaultVolba;
        SetKeyTextColor(k, 0);
    }
}

void TSystemImage::ClearSystemImage()
{
    for (auto t :
         {ImageTable::KeyToLine, ImageTable::LineToLamp, ImageTable::KeyToSubscriber, ImageTable::Uni}) {
        auto s = Table(t);
        std::fill(s.begin(), s.end(), Byte(0xFF));
    }
    auto names = Table(ImageTable::KeyNames);
    std::fill(names.begin(), names.end(), Byte(' '));
    // Bytes 32 to 39 hold the dial code and the colour, which only the PC
    // record carries; the system never sends them back, so they survive.
    for (int k = 0; k < img::KeyCount; ++k)
        std::fill_n(KeyRecord(k).begin(), img::KeyRecordWireSize, Byte(0xFF));
}

QByteArray TSystemImage::ToBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}

RecordResult TSystemImage::FromBytes(const QByteArray &data)
{
    if (data.size() < Size)
        return RecordResult::TooShort;
    std::memcpy(m_bytes.data(), data.constData(), Size);
    for (int i = 0; i < img::PhoneBookCount; ++i) {
        auto e = PhoneBookEntry(i);
        e[img::PhoneNameOffset] = std::min<Byte>(e[img::PhoneNameOffset], img::PhoneStringMax);
        e[img::PhoneNumberOffset] = std::min<Byte>(e[img::PhoneNumberOffset], img::PhoneStringMax);
    }
    return RecordResult::Ok;
}

std::span<Byte> TSystemImage::Table(ImageTable t)
{
    const auto i = static_cast<int>(t);
    CheckIndex(i, img::TableCount - 1, "table");
    return std::span<Byte>(m_bytes).subspan(img::Tables[i].offset, img::Tables[i].size);
}

std::span<const Byte> TSystemImage::Table(ImageTable t) const
{
    const auto i = static_cast<int>(t);
    CheckIndex(i, img::TableCount - 1, "table");
    return std::span<const Byte>(m_bytes).subspan(img::Tables[i].offset, img::Tables[i].size);
}

int TSystemImage::CopyIntoTable(ImageTable t, const Byte *data, int length)
{
    auto s = Table(t);
    const int n = std::clamp(length, 0, int(s.size()));
    if (n > 0)
        std::memcpy(s.data(), data, n);
    return n;
}

int TSystemImage::CopyIntoTable(ImageTable t, const QByteArray &data)
{
    return CopyIntoTable(t, reinterpret_cast<const Byte *>(data.constData()), int(data.size()));
}

Byte &TSystemImage::ConsoleType(int console)
{
    CheckIndex(console, img::Consoles - 1, "console");
    return m_bytes[img::ConsoleSetupOffset + 2 * console];
}

Byte TSystemImage::ConsoleType(int console) const
{
    CheckIndex(console, img::Consoles - 1, "console");
    return m_bytes[img::ConsoleSetupOffset + 2 * console];
}

Byte &TSystemImage::ScreenCount(int console)
{
    CheckIndex(console, img::Consoles - 1, "console");
    return m_bytes[img::ConsoleSetupOffset + 2 * console + 1];
}

Byte TSystemImage::ScreenCount(int console) const
{
    CheckIndex(console, img::Consoles - 1, "console");
    return m_bytes[img::ConsoleSetupOffset + 2 * console + 1];
}

Byte &TSystemImage::KeyToLine(int keyAddress)
{
    CheckIndex(keyAddress, img::KeyToLineSize - 1, "key-to-line");
    return m_bytes[img::KeyToLineOffset + keyAddress];
}

Byte TSystemImage::KeyToLine(int keyAddress) const
{
    CheckIndex(keyAddress, img::KeyToLineSize - 1, "key-to-line");
    return m_bytes[img::KeyToLineOffset + keyAddress];
}

Byte &TSystemImage::LineToLamp(int line)
{
    CheckIndex(line, img::LineToLampSize - 1, "line-to-lamp");
    return m_bytes[img::LineToLampOffset + line];
}

Byte TSystemImage::LineToLamp(int line) const
{
    CheckIndex(line, img::LineToLampSize - 1, "line-to-lamp");
    return m_bytes[img::LineToLampOffset + line];
}

Byte &TSystemImage::KeyToSubscriber(int keyAddress)
{
    CheckIndex(keyAddress, img::KeyToSubscriberSize - 1, "key-to-subscriber");
    return m_bytes[img::KeyToSubscriberOffset + keyAddress];
}

Byte TSystemImage::KeyToSubscriber(int keyAddress) const
{
    CheckIndex(keyAddress, img::KeyToSubscriberSize - 1, "key-to-subscriber");
    return m_bytes[img::KeyToSubscriberOffset + keyAddress];
}

// Fixed-size element i of a table of count elements.
#define IMAGE_ELEMENT(Name, Offset, Count, ElemSize, What)                                                   \
    std::span<Byte, ElemSize> TSystemImage::Name(int i)                                                      \
    {                                                                                                        \
        CheckIndex(i, (Count)-1, What);                                                                      \
        return std::span<Byte, ElemSize>(m_bytes.data() + (Offset) + (ElemSize)*i, ElemSize);                \
    }                                                                                                        \
    std::span<const Byte, ElemSize> TSystemImage::Name(int i) const                                          \
    {                                                                                                        \
        CheckIndex(i, (Count)-1, What);                                                                      \
        return std::span<const Byte, ElemSize>(m_bytes.data() + (Offset) + (ElemSize)*i, ElemSize);          \
    }

IMAGE_ELEMENT(GsmrFunction, img::GsmrFunctionOffset, img::Consoles, img::GsmrBytes, "GSM-R console")
IMAGE_ELEMENT(MsnEntry, img::MsnOffset, img::MsnCount, img::MsnEntrySize, "MSN entry")
IMAGE_ELEMENT(LineFlags, img::LineFlagsOffset, img::LineFlagCount, img::LineFlagSize, "line flag")
IMAGE_ELEMENT(UniEntry, img::UniOffset, img::UniCount, img::UniEntrySize, "UNI entry")
IMAGE_ELEMENT(KeyName, img::KeyNamesOffset, img::KeyCount, img::KeyNameSize, "key name")
IMAGE_ELEMENT(KeyRecord, img::KeyRecordsOffset, img::KeyCount, img::KeyRecordSize, "key record")
IMAGE_ELEMENT(PhoneBookEntry, img::PhoneBookOffset, img::PhoneBookCount, img::PhoneBookEntrySize,
              "phone book")

#undef IMAGE_ELEMENT

QByteArray TSystemImage::KeyNameBytes(int keyIndex) const
{
    const auto s = KeyName(keyIndex);
    return QByteArray(reinterpret_cast<const char *>(s.data()), img::KeyNameSize);
}

void TSystemImage::SetKeyName(int keyIndex, const QByteArray &name)
{
    auto s = KeyName(keyIndex);
    const int n = std::min<int>(name.size(), img::KeyNameSize);
    std::memcpy(s.data(), name.constData(), n);
    std::fill(s.begin() + n, s.end(), Byte(' '));
}

std::uint32_t TSystemImage::KeyTextColor(int keyIndex) const
{
    const auto r = KeyRecord(keyIndex);
    const Byte *p = r.data() + img::KrTextColor;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void TSystemImage::SetKeyTextColor(int keyIndex, std::uint32_t colour)
{
    auto r = KeyRecord(keyIndex);
    for (int i = 0; i < 4; ++i)
        r[img::KrTextColor + i] = Byte(colour >> (8 * i));
}

QByteArray TSystemImage::PhoneName(int i) const
{
    return ReadPrefixedString(PhoneBookEntry(i).subspan(img::PhoneNameOffset, img::PhoneStringMax + 1),
                              img::PhoneStringMax);
}

void TSystemImage::SetPhoneName(int i, const QByteArray &name)
{
    WritePrefixedString(PhoneBookEntry(i).subspan(img::PhoneNameOffset, img::PhoneStringMax + 1),
                        img::PhoneStringMax, name);
}

QByteArray TSystemImage::PhoneNumber(int i) const
{
    return ReadPrefixedString(PhoneBookEntry(i).subspan(img::PhoneNumberOffset, img::PhoneStringMax + 1),
                              img::PhoneStringMax);
}

void TSystemImage::SetPhoneNumber(int i, const QByteArray &number)
{
    WritePrefixedString(PhoneBookEntry(i).subspan(img::PhoneNumberOffset, img::PhoneStringMax + 1),
                        img::PhoneStringMax, number);
}

namespace
{

// Every dial code ends in the nibble F; no dial character does.
bool IsDialCoded(const QByteArray &number)
{
    return std::all_of(number.begin(), number.end(), [](char c) { return (Byte(c) & 0x0F) == 0x0F; });
}

} // namespace

QByteArray TSystemImage::PhoneBookWire(int i) const
{
    QByteArray wire = PhoneName(i).leftJustified(img::PhoneStringMax, char(0xFF), true);
    QByteArray number = PhoneNumber(i);
    if (!IsDialCoded(number))
        number = DialDigitsToCode(QString::fromLatin1(number));
    wire += number.leftJustified(img::PhoneStringMax, char(0xFF), true);
    return wire;
}

void TSystemImage::SetPhoneBookWire(int i, const Byte *record)
{
    const auto *p = reinterpret_cast<const char *>(record);
    SetPhoneName(i, QByteArray(p, img::PhoneStringMax));
    SetPhoneNumber(i, QByteArray(p + img::PhoneStringMax, img::PhoneStringMax));
}

QByteArray TSystemImage::PhoneEntryName(int i) const
{
    QByteArray name = PhoneName(i);
    name.removeIf([](char c) { return Byte(c) == 0xFF; });
    return name;
}

QString TSystemImage::PhoneEntryNumber(int i) const
{
    const QByteArray number = PhoneNumber(i);
    return IsDialCoded(number) ? DialCodeToDigits(number) : QString::fromLatin1(number);
}

std::span<Byte, img::DataVersionSize> TSystemImage::DataVersion()
{
    return std::span<Byte, img::DataVersionSize>(m_bytes.data() + img::DataVersionOffset,
                                                 img::DataVersionSize);
}

std::span<const Byte, img::DataVersionSize> TSystemImage::DataVersion() const
{
    return std::span<const Byte, img::DataVersionSize>(m_bytes.data() + img::DataVersionOffset,
                                                       img::DataVersionSize);
}

std::span<Byte, img::SymbolsSize> TSystemImage::Symbols()
{
    return std::span<Byte, img::SymbolsSize>(m_bytes.data() + img::SymbolsOffset, img::SymbolsSize);
}

std::span<const Byte, img::SymbolsSize> TSystemImage::Symbols() const
{
    return std::span<const Byte, img::SymbolsSize>(m_bytes.data() + img::SymbolsOffset, img::SymbolsSize);
}
