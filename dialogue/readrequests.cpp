#include "dialogue/readrequests.h"

#include <array>
#include <stdexcept>

namespace dlg
{

namespace
{

// The six data bytes of a numbered table read: 00 00 table start count.
struct TableRead {
    int step;
    Byte table;
    Byte start;
    int count;
};

constexpr std::array<TableRead, 5> TableReads = {{
    {5, 0xF7, 0x00, 0x0006},
    {6, 0xF9, 0x00, 0x0200},
    {7, 0xF8, 0x20, 0x0036},
    {8, 0xE7, 0x00, 0x01E0},
    {TimeKeeperStep, 0xE0, 0x00, 0x1C00},
}};

int TableRequest(std::span<Byte> buffer, const TableRead &t, int console)
{
    PutHeader(buffer, 0x0F, Byte(console), 6);
    buffer[5] = 0x00;
    buffer[6] = 0x00;
    buffer[7] = t.table;
    buffer[8] = t.start;
    buffer[9] = Byte(t.count >> 8);
    buffer[10] = Byte(t.count & 0xFF);
    return 11;
}

} // namespace

QString PhaseTitle(int kom)
{
    switch (kom) {
    case KomReadSystem:
        return QStringLiteral("Citanie z ORVY");
    case KomWriteSystem:
        return QStringLiteral("Zapis do ORVY");
    case KomReadConsoles:
        return QStringLiteral("Citanie z pultu");
    case KomWriteConsoles:
        return QStringLiteral("Zapis do pultu");
    default:
        return {};
    }
}

QString StepText(int kom, int step)
{
    static const char *const read1[] = {" test",
                                        " nacitanie dosiek",
                                        " nacitanie Klav->Linka",
                                        " nacitanie Linka->Led",
                                        " nacitanie Klav->Cislo ucastnika",
                                        " nacitanie tab. Verzie dat",
                                        " nacitanie tab. MSN GSMR",
                                        " nacitanie tab. FN GSMR",
                                        " nacitanie tab. LIN FLAG",
                                        " nacitanie tab. UNI"};
    static const char *const write2[] = {" test (ping)",
                                         " zapis Klav->Linka",
                                         " zapis Linka->Led",
                                         " zapis Klav->Cislo ucastnika",
                                         " zapis verzie dat DR",
                                         " zapis tab. Dosky (konfigurovane)",
                                         " zapis tab. MSN GSMR",
                                         " zapis tab. FN GSMR",
                                         " zapis tab. LIN FLAG",
                                         " zapis tab. UNI"};
    static const char *const read3[] = {" test orvy",
                                        " test pultu",
                                        " nacitanie TabNazvyLiniek",
                                        " nacitanie TabKonfigPultu",
                                        " nacitanie TabTelZoz1",
                                        " nacitanie TabTelZoz2",
                                        " nacitanie Tab Symbolov"};
    static const char *const write4[] = {" test orvy",
                                         " test pultu",
                                         " zapis TabNazvyLiniek",
                                         " zapis TabKonfigPultu",
                                         " zapis TabTelZoz1",
                                         " zapis TabTelZoz2",
                                         " zapis Tab Symbolov"};
    if (step < 0)
        return {};
    switch (kom) {
    case KomReadSystem:
        return step < 10 ? QString::fromLatin1(read1[step]) : QString();
    case KomWriteSystem:
        return step < 10 ? QString::fromLatin1(write2[step]) : QString();
    case KomReadConsoles:
        return step < 7 ? QString::fromLatin1(read3[step]) : QString();
    case KomWriteConsoles:
        return step < 7 ? QString::fromLatin1(write4[step]) : QString();
    default:
        return {};
    }
}

void PutHeader(std::span<Byte> buffer, Byte command, Byte argument, int dataLength)
{
    if (buffer.size() < std::size_t(HeaderSize + dataLength))
        throw std::out_of_range("request buffer too small");
    buffer[0] = command;
    buffer[1] = 0;
    buffer[2] = argument;
    buffer[3] = Byte(dataLength >> 8);
    buffer[4] = Byte(dataLength & 0xFF);
}

int SystemReadRequest(std::span<Byte> buffer, int step, int console)
{
    switch (step) {
    case 0:
        PutHeader(buffer, 0x00, 0, 0);
        return 5;
    case 1:
        PutHeader(buffer, 0x01, 0, 0);
        return 5;
    case 2:
    case 3:
    case 4:
        PutHeader(buffer, Byte(step), Byte(console), 0);
        return 5;
    case 9:
        PutHeader(buffer, 0x05, Byte(console), 0);
        return 5;
    default:
        for (const TableRead &t : TableReads)
            if (t.step == step)
                return TableRequest(buffer, t, console);
        return 0;
    }
}

int ConsoleReadRequest(std::span<Byte> buffer, int step, int console)
{
    static constexpr Byte commands[] = {0x00, 0x80, 0x81, 0x82, 0x88, 0x89, 0x83};
    if (step < 0 || step > 6)
        return 0;
    PutHeader(buffer, commands[step], Byte(console), 0);
    return 5;
}

} // namespace dlg
