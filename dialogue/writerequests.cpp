#include "dialogue/writerequests.h"

#include <algorithm>

#include "dialogue/readrequests.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "records/modeltoimage.h"
#include "records/systemimage.h"

namespace dlg
{

namespace
{

void PutTable(std::span<Byte> buffer, int at, std::span<const Byte> table)
{
    std::copy(table.begin(), table.end(), buffer.begin() + at);
}

// The six bytes naming a numbered table: 00 00 table start count.
int PutTableName(std::span<Byte> buffer, Byte table, Byte start, int count)
{
    buffer[5] = 0x00;
    buffer[6] = 0x00;
    buffer[7] = table;
    buffer[8] = start;
    buffer[9] = Byte(count >> 8);
    buffer[10] = Byte(count & 0xFF);
    return 11;
}

} // namespace

TSystemWriteTables SystemWriteTables(const TAPult *a)
{
    TSystemWriteTables t;
    t.boardCodes.fill(0xFF);
    t.msn.fill(0xFF);
    t.functionNumbers.fill(0xFF);
    if (!a)
        return t;
    for (int slot = 0; slot < BoardCount; ++slot)
        if (a->BoardHasAssignedLines(slot))
            t.boardCodes[std::size_t(slot)] = a->SlotyDosiek[slot].Kod;
    BuildMsnRecords(a, t.msn);
    for (int c = 0; c < ConsoleCount; ++c)
        if (a->Pulty[c]) {
            const std::array<Byte, 9> fn = FunctionNumberBytes(a->Pulty[c]->FNGSMR);
            std::copy(fn.begin(), fn.end(), t.functionNumbers.begin() + 9 * c);
        }
    return t;
}

int SystemWriteRequest(std::span<Byte> buffer, int step, int console, const TSystemImage &image,
                       const TAPult *apult, const TSystemWriteTables &tables)
{
    const Byte n = Byte(console);
    switch (step) {
    case 0:
        PutHeader(buffer, 0x00, 0, 0);
        return 5;
    case 1:
    case 2:
    case 3: {
        static constexpr ImageTable table[] = {ImageTable::KeyToLine, ImageTable::LineToLamp,
                                               ImageTable::KeyToSubscriber};
        PutHeader(buffer, Byte(0x05 + step), n, 256);
        PutTable(buffer, 5, image.Table(table[step - 1]));
        return 261;
    }
    case 4: {
        PutHeader(buffer, 0x0B, n, 6);
        static constexpr Byte version[] = {0x56, 0x45, 0x52, 0x00, 0x04};
        Byte sum = 0;
        for (int i = 0; i < 5; ++i) {
            buffer[std::size_t(5 + i)] = version[i];
            sum = Byte(sum + version[i]);
        }
        buffer[10] = sum;
        return 11;
    }
    case 5:
        PutHeader(buffer, 0x0C, n, 32);
        PutTable(buffer, 5, tables.boardCodes);
        return 37;
    case 6:
        PutHeader(buffer, 0x10, n, 6 + MsnRecordsSize);
        PutTableName(buffer, 0xF9, 0x00, MsnRecordsSize);
        PutTable(buffer, 11, tables.msn);
        return 11 + MsnRecordsSize;
    case 7:
        PutHeader(buffer, 0x10, n, 6 + FunctionNumbersSize);
        PutTableName(buffer, 0xF8, 0x20, FunctionNumbersSize);
        PutTable(buffer, 11, tables.functionNumbers);
        return 11 + FunctionNumbersSize;
    case 8: {
        PutHeader(buffer, 0x10, n, 6 + img::LineFlagsSize);
        PutTableName(buffer, 0xE7, 0x00, img::LineFlagsSize);
        if (apult)
            for (int i = 0; i < FlagRecordCount; ++i)
                PutTable(buffer, 11 + FlagRecordSize * i, apult->TabulkaPriznakov[std::size_t(i)]);
        else
            std::fill_n(buffer.begin() + 11, img::LineFlagsSize, Byte(0xFF));
        return 11 + img::LineFlagsSize;
    }
    case 9:
        PutHeader(buffer, 0x09, 0, img::UniSize);
        PutTable(buffer, 5, image.Table(ImageTable::Uni));
        return 5 + img::UniSize;
    default:
        return 0;
    }
}

void ClearPhoneBook(TSystemImage &image)
{
    for (int i = 0; i < img::PhoneBookCount; ++i) {
        image.SetPhoneName(i, QByteArray());
        image.SetPhoneNumber(i, QByteArray());
    }
}

int ConsoleWriteRequest(std::span<Byte> buffer, int step, int console, const TSystemImage &image)
{
    const Byte n = Byte(console);
    switch (step) {
    case 0:
        PutHeader(buffer, 0x00, n, 0);
        return 5;
    case 1:
        PutHeader(buffer, 0x80, n, 0);
        return 5;
    case 2:
        PutHeader(buffer, 0x84, n, ConsoleTableSize);
        PutTable(buffer, 5, image.Table(ImageTable::KeyNames));
        return 5 + ConsoleTableSize;
    case 3:
        PutHeader(buffer, 0x85, n, ConsoleTableSize);
        for (int k = 0; k < img::KeyCount; ++k)
            PutTable(buffer, 5 + img::KeyRecordWireSize * k,
                     image.KeyRecord(k).first(img::KeyRecordWireSize));
        return 5 + ConsoleTableSize;
    case 4:
    case 5: {
        PutHeader(buffer, step == 4 ? 0x8A : 0x8B, n, ConsoleTableSize);
        const int first = step == 4 ? 0 : 128;
        for (int i = 0; i < 128; ++i) {
            const QByteArray entry = image.PhoneBookWire(first + i);
            std::copy_n(reinterpret_cast<const Byte *>(entry.constData()), 64, buffer.begin() + 5 + 64 * i);
        }
        return 5 + ConsoleTableSize;
    }
    case 6:
        PutHeader(buffer, 0x86, n, ConsoleTableSize);
        PutTable(buffer, 5, image.Symbols());
        return 5 + ConsoleTableSize;
    default:
        return 0;
    }
}

} // namespace dlg
