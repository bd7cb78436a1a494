#pragma once

// A project for the write tests and the tables its write must carry: the
// project's system-wide tables worked out by hand from its keys, and for the
// console tables a stand-in conversion that puts known tables into the image.

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>

#include "expected.h"
#include "model/objekty.h"
#include "records/systemimage.h"

namespace writeproject
{

inline QByteArray Bytes(int size, int seed)
{
    QByteArray d(size, 0);
    for (int i = 0; i < size; ++i)
        d[i] = char((i * 7 + seed * 29 + 3) & 0xFF);
    return d;
}

// Dial codes of digits, as the consoles hold them, padded with 0xFF.
inline QByteArray DialCodes(const QByteArray &digits)
{
    QByteArray out;
    for (char c : digits)
        out.append(char(c == '0' ? 0xAF : (c - '0') * 16 + 15));
    return out + QByteArray(32 - out.size(), char(0xFF));
}

inline QByteArray PhoneName(int console, int i)
{
    return QByteArray("Tel ") + QByteArray::number(console) + '-' + QByteArray::number(i);
}

inline QByteArray PhoneNumber(int console, int i)
{
    return QByteArray("09") + QByteArray::number(100 * console + i);
}

// The tables console `console` is converted into (phone-book entries every
// third place, the rest empty).
inline ConsoleTables MakeConsoleTables(int console)
{
    ConsoleTables t;
    t.keyToLine = Bytes(256, 10 + console);
    t.lineToLamp = Bytes(256, 20 + console);
    t.keyToSubscriber = Bytes(256, 30 + console);
    t.uni = Bytes(1040, 40 + console);
    t.keyNames = Bytes(8192, 50 + console);
    t.keyRecords = Bytes(8192, 60 + console);
    for (int i = 0; i < 256; ++i) {
        if (i % 3 == 0) {
            QByteArray name = PhoneName(console, i);
            t.phoneBook +=
                name + QByteArray(32 - name.size(), char(0xFF)) + DialCodes(PhoneNumber(console, i));
        } else {
            t.phoneBook += QByteArray(64, char(0xFF));
        }
    }
    return t;
}

// The stand-in conversion: the image holds console `console`'s tables.
inline void PutConsoleIntoImage(TSystemImage &image, int console)
{
    const ConsoleTables t = MakeConsoleTables(console);
    auto put = [&image](ImageTable table, const QByteArray &bytes) { image.CopyIntoTable(table, bytes); };
    put(ImageTable::KeyToLine, t.keyToLine);
    put(ImageTable::LineToLamp, t.lineToLamp);
    put(ImageTable::KeyToSubscriber, t.keyToSubscriber);
    put(ImageTable::Uni, t.uni);
    put(ImageTable::KeyNames, t.keyNames);
    for (int k = 0; k < 256; ++k) {
        auto r = image.KeyRecord(k);
        for (int i = 0; i < 32; ++i)
            r[i] = Byte(t.keyRecords[32 * k + i]);
    }
    for (int i = 0; i < 256; ++i)
        image.SetPhoneBookWire(i, reinterpret_cast<const Byte *>(t.phoneBook.constData()) + 64 * i);
}

inline std::unique_ptr<TKlavesa> Key(Byte numLin, Byte code)
{
    auto k = std::make_unique<TKlavesa>();
    k->NumLin = numLin;
    k->KodDosky = code;
    return k;
}

inline void Bind(TPult &p, int slot, int line, int key, Byte code, int lines)
{
    auto &d = p.Dosky[slot];
    if (!d) {
        d = std::make_unique<TDoska>();
        d->CisloDosky = code;
        d->PocetLiniek = Byte(lines);
    }
    auto &l = d->Linky[line];
    if (!l)
        l = std::make_unique<TLinka>();
    l->Klavesa = Byte(key);
}

// Boards UL10 in slots 0 and 16 and 4W5 in slot 1 (those of the simulated
// systems), a UL10 line bound in console 0, a GSM-R board (0x72) in slot 6
// whose lines carry MSN data, function numbers 12345 and 678, line flags and
// an MB key whose ring time-out flag the write refreshes.
inline std::unique_ptr<TAPult> MakeProject(const std::array<int, 2> &types)
{
    auto a = std::make_unique<TAPult>(QStringLiteral("/tmp/kelvara"));
    a->PocetPultov = 2;
    a->TypDosiek = 1;
    a->SlotyDosiek[0] = {QStringLiteral("TUL10"), 71};
    a->SlotyDosiek[1] = {QStringLiteral("T4W5"), 148};
    a->SlotyDosiek[16] = {QStringLiteral("TUL10"), 71};
    a->CasUkonceniaVyzvanania = 5;
    for (int i = 0; i < FlagRecordCount; ++i)
        for (int j = 0; j < FlagRecordSize; ++j)
            a->TabulkaPriznakov[std::size_t(i)][std::size_t(j)] = Byte(i + 16 * j);
    for (int n = 0; n < 2; ++n) {
        a->Pulty[n] = std::make_unique<TPult>();
        a->Pulty[n]->TypPultu = Byte(types[n]);
        a->Pulty[n]->PocetObrazoviek = 1;
    }
    TPult &p0 = *a->Pulty[0];
    TPult &p1 = *a->Pulty[1];
    p0.FNGSMR = QStringLiteral("12345");
    p1.FNGSMR = QStringLiteral("678");
    // A UL10 line in slot 0, an MB key of line 3 (board code 0xB0).
    p0.Klavesy[7] = Key(3, 0xB0);
    Bind(p0, 0, 2, 7, 71, 10);
    // GSM-R lines: console 0 binds lines 1 and 3, console 1 lines 0 and 1.
    p0.Klavesy[10] = Key(31, 0x72);
    p0.Klavesy[10]->MSNpriznak = {1, 2, 3};
    p0.Klavesy[10]->MSNcislo = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
    p0.Klavesy[11] = Key(33, 0x72);
    p0.Klavesy[11]->MSNpriznak = {4, 5, 6};
    p0.Klavesy[11]->MSNcislo.fill(0x3F);
    Bind(p0, 6, 1, 10, 0x72, 4);
    Bind(p0, 6, 3, 11, 0x72, 4);
    p1.Klavesy[5] = Key(30, 0x72);
    p1.Klavesy[5]->MSNpriznak = {7, 8, 9};
    p1.Klavesy[5]->MSNcislo.fill(0x12);
    p1.Klavesy[6] = Key(99, 0x72);
    Bind(p1, 6, 0, 5, 0x72, 4);
    Bind(p1, 6, 1, 6, 0x72, 4);
    return a;
}

// The system-wide tables of MakeProject, worked out by hand.
inline SystemTables ExpectedSystemTables(const std::array<int, 2> &types)
{
    (void)types;
    SystemTables s;
    // Only slot 0 has lines bound to keys among the named slots; slot 6 has
    // bound lines but no board named in the project.
    s.boards = QByteArray(32, char(0xFF));
    s.boards[0] = char(71);
    s.msn = QByteArray(512, char(0xFF));
    // Slot 6 in line order: line 0 from console 1, line 1 from console 0 (the
    // first console binding it), line 3 from console 0.
    s.msn.replace(0, 16, QByteArray::fromHex("1E070809121212121212121212121212"));
    s.msn.replace(16, 16, QByteArray::fromHex("1F010203112233445566778899AABBCC"));
    s.msn.replace(32, 16, QByteArray::fromHex("210405063F3F3F3F3F3F3F3F3F3F3F3F"));
    s.functionNumbers = QByteArray(54, char(0xFF));
    s.functionNumbers.replace(0, 9, QByteArray::fromHex("12345FFFFFFFFFFFFF"));
    s.functionNumbers.replace(9, 9, QByteArray::fromHex("678FFFFFFFFFFFFFFF"));
    for (int i = 0; i < FlagRecordCount; ++i)
        for (int j = 0; j < FlagRecordSize; ++j)
            s.lineFlags.append(char(i + 16 * j));
    // Line 3's MB key: the ring time-out 5 in bits 2 to 7 of byte 0.
    s.lineFlags[3 * 6] = char((3 & 0x03) | (5 << 2));
    return s;
}

} // namespace writeproject
