#pragma once

// The requests a read must send, built from the rules of the protocol (not
// from the dialogue's own builders), for the system's test value, its data
// version and the console set-up.

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>

inline QByteArray Req(std::uint8_t cmd, std::uint8_t arg, const QByteArray &data = {})
{
    QByteArray f;
    f.append(char(cmd));
    f.append(char(0));
    f.append(char(arg));
    f.append(char(data.size() >> 8));
    f.append(char(data.size() & 0xFF));
    f.append(data);
    return f;
}

inline QByteArray TableReq(std::uint8_t arg, const char *hex6)
{
    return Req(0x0F, arg, QByteArray::fromHex(hex6));
}

struct ReadSetup {
    int feature = 15;
    int dataVersion = 4;
    std::array<int, 2> types{2, 2};
    int consoleVersion = 21;
    bool systemPhase3 = true; // the consoles' phase is reached
};

inline QList<QByteArray> ExpectedSystemRequests(const ReadSetup &s)
{
    QList<QByteArray> r;
    r << Req(0x00, 0) << Req(0x01, 0);
    for (int n = 0; n < 2; ++n) {
        if (n == 1 && s.types[1] == 0)
            break;
        r << Req(0x02, n) << Req(0x03, n) << Req(0x04, n);
        if (n == 0 && s.feature >= 15) {
            r << TableReq(0, "0000F7000006");
            if (s.dataVersion > 1)
                r << TableReq(0, "0000F9000200");
            if (s.dataVersion > 2)
                r << TableReq(0, "0000F8200036");
            if (s.dataVersion > 3)
                r << TableReq(0, "0000E70001E0");
        }
        r << Req(0x05, n);
    }
    return r;
}

inline QList<QByteArray> ExpectedConsoleRequests(const ReadSetup &s, int n)
{
    QList<QByteArray> r;
    r << Req(0x00, n) << Req(0x80, n) << Req(0x81, n) << Req(0x82, n);
    if (s.feature >= 14 && s.consoleVersion >= 21)
        r << Req(0x88, n) << Req(0x89, n);
    return r;
}

inline QList<QByteArray> ExpectedReadRequests(const ReadSetup &s)
{
    QList<QByteArray> r = ExpectedSystemRequests(s);
    for (int n = 0; n < 2; ++n)
        if (s.types[n] == 2)
            r << ExpectedConsoleRequests(s, n);
    return r;
}

// ---- the write --------------------------------------------------------------------

// The tables one console's write carries, as the system image holds them
// after the configuration was converted.
struct ConsoleTables {
    QByteArray keyToLine, lineToLamp, keyToSubscriber; // 256 each
    QByteArray uni;                                    // 1040
    QByteArray keyNames;                               // 8192
    QByteArray keyRecords;                             // 256 x 32
    QByteArray phoneBook;                              // 256 x 64: name, then number
};

// The tables that come from the whole configuration.
struct SystemTables {
    QByteArray boards;          // 32
    QByteArray msn;             // 512
    QByteArray functionNumbers; // 54
    QByteArray lineFlags;       // 480
};

struct WriteSetup {
    int feature = 15;
    std::array<int, 2> types{2, 2};
    int typDosiek = 1;
    int consoleVersion = 21;
    bool boardsReRead = true; // a write starts with test and boards
};

inline QList<QByteArray> ExpectedSystemWrite(const WriteSetup &s, const std::array<ConsoleTables, 2> &t,
                                             const SystemTables &sys)
{
    QList<QByteArray> r;
    r << Req(0x00, 0);
    for (int n = 0; n < 2; ++n) {
        r << Req(0x06, n, t[n].keyToLine) << Req(0x07, n, t[n].lineToLamp)
          << Req(0x08, n, t[n].keyToSubscriber);
        if (n == 0 && s.feature >= 14) {
            r << Req(0x0B, n, QByteArray::fromHex("5645520004F1")) << Req(0x0C, n, sys.boards);
        }
        if (n == 0 && s.feature >= 15) {
            r << Req(0x10, n, QByteArray::fromHex("0000F9000200") + sys.msn);
            r << Req(0x10, n, QByteArray::fromHex("0000F8200036") + sys.functionNumbers);
            r << Req(0x10, n, QByteArray::fromHex("0000E70001E0") + sys.lineFlags);
        }
        if (s.typDosiek == 1 && s.types[n] != 0)
            r << Req(0x09, 0, t[n].uni);
    }
    return r;
}

inline QList<QByteArray> ExpectedConsoleWrite(const WriteSetup &s, const ConsoleTables &t, int n)
{
    QList<QByteArray> r;
    r << Req(0x00, n) << Req(0x80, n) << Req(0x84, n, t.keyNames) << Req(0x85, n, t.keyRecords);
    if (s.feature >= 14 && s.consoleVersion >= 21)
        r << Req(0x8A, n, t.phoneBook.left(8192)) << Req(0x8B, n, t.phoneBook.mid(8192));
    return r;
}

inline QList<QByteArray> ExpectedWriteRequests(const WriteSetup &s, const std::array<ConsoleTables, 2> &t,
                                               const SystemTables &sys)
{
    QList<QByteArray> r;
    if (s.boardsReRead)
        r << Req(0x00, 0) << Req(0x01, 0);
    r << ExpectedSystemWrite(s, t, sys);
    for (int n = 0; n < 2; ++n)
        if (s.types[n] == 2)
            r << ExpectedConsoleWrite(s, t[n], n);
    return r;
}
