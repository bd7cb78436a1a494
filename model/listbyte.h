#pragma once

#include <QByteArray>
#include <vector>

#include "model/listrw.h"

class TByte
{
public:
    explicit TByte(Byte b) : B(b) {}
    Byte B;
};

// Bytes of a key record: written as a count, then one character per byte.
class TListByte : public TlistRW
{
public:
    int Count() const override { return int(FItems.size()); }
    void Clear() override { FItems.clear(); }
    void Add(Byte B) { FItems.emplace_back(B); }
    // One item per byte of the array.
    void Fill(const QByteArray &Bytes);
    Byte Items(int Index) const { return FItems.at(std::size_t(Index)).B; }
    QByteArray Bytes() const;

    // Adds the items read to those already held.
    bool ReadData(TReader &Reader) override;
    bool WriteData(TWriter &Writer) override;

private:
    std::vector<TByte> FItems;
};
