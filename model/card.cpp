#include "model/card.h"

void TCard::SetData(std::uint16_t Word, Byte Code)
{
    FWord = Word;
    FKodDosky = Code;
}

QString TCard::Prepojka() const
{
    const Byte low = Byte(FWord & 0xFF);
    return QString(QChar((low & 0x80) ? u'H' : u'L')) + QString::number((low >> 4) & 7);
}

bool TCard::ReadData(TReader &Reader)
{
    std::int32_t word = 0;
    std::int32_t code = 0;
    if (!Reader.ReadInteger(word, 0, 0xFFFF, "TCard position word") ||
        !Reader.ReadInteger(code, 0, 255, "KodDosky"))
        return false;
    SetData(std::uint16_t(word), Byte(code));
    return true;
}

bool TCard::WriteData(TWriter &Writer)
{
    Writer.WriteInteger(FWord);
    Writer.WriteInteger(FKodDosky);
    return true;
}
