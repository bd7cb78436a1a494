#pragma once

// Older console files made by the tests: an ACF record (16862 bytes) or an
// old CFG record (45796 bytes), both with the magic "KAV2", written field by
// field at their offsets.

#include <QByteArray>

#include "records/pcrecord.h"

namespace oldfile
{

class Builder
{
public:
    explicit Builder(bool acf) : bytes_(acf ? oldrec::AcfSize : oldrec::CfgSize, char(0))
    {
        TPcRecord pc;
        InitPcRecord(pc);
        bytes_.replace(0, oldrec::AcfSize, pc.ToBytes().left(oldrec::AcfSize));
        Magic("KAV2");
        if (!acf)
            for (int a = 0; a < 256; ++a)
                bytes_[oldrec::DialCodesOffset + a] = char(0xA0);
    }
    Builder &Magic(const QByteArray &magic)
    {
        for (int i = 0; i < 6; ++i)
            bytes_[i] = 0;
        bytes_[0] = char(magic.size());
        bytes_.replace(1, magic.size(), magic);
        return *this;
    }
    Builder &Board(int slot, Byte code)
    {
        bytes_[pcrec::BoardCodesOffset + slot] = char(code);
        return *this;
    }
    int BlockAt(int block) const { return pcrec::BlocksOffset + pcrec::BlockSize * block; }
    Builder &KeyLine(int block, int address, Byte line)
    {
        bytes_[BlockAt(block) + pcrec::BlockKeyToLine + address] = char(line);
        return *this;
    }
    Builder &KeyEntry(int block, int address, QByteArray entry)
    {
        entry.resize(pcrec::KeyEntrySize, char(0xFF));
        bytes_.replace(BlockAt(block) + 320 + pcrec::KeyEntrySize * address, pcrec::KeyEntrySize, entry);
        return *this;
    }
    // Writes the length byte as given (a hostile one may be too long).
    Builder &Hint(int address, const QByteArray &text, int length = -1)
    {
        const int at = oldrec::KeyTextsOffset + oldrec::KeyTextSize * address;
        bytes_[at] = char(length < 0 ? text.size() : length);
        bytes_.replace(at + 1, text.size(), text);
        return *this;
    }
    Builder &Name(int address, const QByteArray &text, int length = -1)
    {
        const int at = oldrec::KeyTextsOffset + oldrec::KeyTextSize * address + oldrec::NameOffset;
        bytes_[at] = char(length < 0 ? text.size() : length);
        bytes_.replace(at + 1, text.size(), text);
        return *this;
    }
    Builder &Dial(int address, Byte code)
    {
        bytes_[oldrec::DialCodesOffset + address] = char(code);
        return *this;
    }
    Builder &Byte_(int offset, Byte value)
    {
        bytes_[offset] = char(value);
        return *this;
    }
    QByteArray Bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

} // namespace oldfile
