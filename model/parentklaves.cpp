#include "model/parentklaves.h"

TParent_Data::TParent_Data()
{
    TParent_Data::Reset();
}

void TParent_Data::Reset()
{
    CisloPultu = 255;
    CisloTlacidla = 255;
    ColorText = 0;
    ColotTlacidlo = 0;
    Popis.clear();
    PomPopis.clear();
    if (!Pole1)
        Pole1 = std::make_unique<TListByte>();
    if (!Pole2)
        Pole2 = std::make_unique<TListByte>();
}

void TParent_Data::SetData(std::int32_t Console, std::int32_t Key, std::int32_t ColorText,
                           const QString &Popis, const QString &PomPopis, const QByteArray &Pole1Bytes,
                           const QByteArray &Pole2Bytes, std::int32_t ColotTlacidlo)
{
    CisloPultu = Console;
    CisloTlacidla = Key;
    this->ColorText = ColorText;
    this->Popis = Popis;
    this->PomPopis = PomPopis;
    this->ColotTlacidlo = ColotTlacidlo;
    Pole1->Fill(Pole1Bytes);
    Pole2->Fill(Pole2Bytes);
}

bool TParent_Data::ReadData(TReader &Reader)
{
    Reset();
    return Reader.ReadInteger(CisloPultu, "CisloPultu") &&
           Reader.ReadInteger(CisloTlacidla, "CisloTlacidla") && Reader.ReadInteger(ColorText, "ColorText") &&
           Reader.ReadInteger(ColotTlacidlo, "ColotTlacidlo") && Reader.ReadString(Popis, "Popis") &&
           Reader.ReadString(PomPopis, "PomPopis") && Pole1->ReadData(Reader) && Pole2->ReadData(Reader);
}

bool TParent_Data::WriteData(TWriter &Writer)
{
    Writer.WriteInteger(CisloPultu);
    Writer.WriteInteger(CisloTlacidla);
    Writer.WriteInteger(ColorText);
    Writer.WriteInteger(ColotTlacidlo);
    Writer.WriteString(Popis);
    Writer.WriteString(PomPopis);
    return Pole1->WriteData(Writer) && Pole2->WriteData(Writer);
}
