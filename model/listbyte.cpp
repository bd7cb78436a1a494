#include "model/listbyte.h"

#include <limits>

void TListByte::Fill(const QByteArray &Bytes)
{
    for (char b : Bytes)
        Add(Byte(b));
}

QByteArray TListByte::Bytes() const
{
    QByteArray out;
    out.reserve(qsizetype(FItems.size()));
    for (const TByte &b : FItems)
        out.append(char(b.B));
    return out;
}

bool TListByte::ReadData(TReader &Reader)
{
    // Each character takes three bytes at least, which bounds a damaged count.
    std::int32_t count = 0;
    if (!Reader.ReadInteger(count, 0, std::numeric_limits<std::int32_t>::max(), "byte list count"))
        return false;
    if (count > Reader.BytesLeft() / 3)
        return Reader.Fail(QStringLiteral("byte list count %1 runs past the end of the data (%2 bytes left)")
                               .arg(count)
                               .arg(Reader.BytesLeft()));
    for (std::int32_t i = 0; i < count; ++i) {
        Byte b = 0;
        if (!Reader.ReadChar(b, "byte list item"))
            return false;
        Add(b);
    }
    return true;
}

bool TListByte::WriteData(TWriter &Writer)
{
    Writer.WriteInteger(Count());
    for (const TByte &b : FItems)
        Writer.WriteChar(b.B);
    return true;
}
