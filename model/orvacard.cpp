#include "model/orvacard.h"

TOrvaCard::TOrvaCard()
{
    TOrvaCard::Reset();
}

void TOrvaCard::Reset()
{
    TParent_Data::Reset();
    NumberCard = 255;
    Numlin = 255;
    LinkaNaKarte = 255;
    Zvonenie = 255;
    Nahravanie = 255;
}

void TOrvaCard::SetData(std::int32_t NumberCard, std::int32_t Numlin, std::int32_t Console, std::int32_t Key,
                        std::int32_t Zvonenie, std::int32_t Nahravanie, std::int32_t ColorText,
                        const QString &Popis, const QString &PomPopis, const QByteArray &Pole1Bytes,
                        const QByteArray &Pole2Bytes, std::int32_t LinkaNaKarte, std::int32_t ColotTlacidlo)
{
    TParent_Data::SetData(Console, Key, ColorText, Popis, PomPopis, Pole1Bytes, Pole2Bytes, ColotTlacidlo);
    this->NumberCard = NumberCard;
    this->Numlin = Numlin;
    this->LinkaNaKarte = LinkaNaKarte;
    this->Zvonenie = Zvonenie;
    this->Nahravanie = Nahravanie;
}

bool TOrvaCard::ReadData(TReader &Reader)
{
    return TParent_Data::ReadData(Reader) && Reader.ReadInteger(NumberCard, "NumberCard") &&
           Reader.ReadInteger(Numlin, "Numlin") && Reader.ReadInteger(LinkaNaKarte, "LinkaNaKarte") &&
           Reader.ReadInteger(Zvonenie, "Zvonenie") && Reader.ReadInteger(Nahravanie, "Nahravanie");
}

bool TOrvaCard::WriteData(TWriter &Writer)
{
    if (!TParent_Data::WriteData(Writer))
        return false;
    Writer.WriteInteger(NumberCard);
    Writer.WriteInteger(Numlin);
    Writer.WriteInteger(LinkaNaKarte);
    Writer.WriteInteger(Zvonenie);
    Writer.WriteInteger(Nahravanie);
    return true;
}

TJednoucastnicke::TJednoucastnicke()
{
    TJednoucastnicke::Reset();
}

void TJednoucastnicke::Reset()
{
    TOrvaCard::Reset();
    NumberCard = 2;
    Numlin = 3;
    LinkaNaKarte = 4;
    Zvonenie = 5;
}
