#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "cardpack/sablona.h"
#include "model/conversions.h"

// The configuration held in memory: one TAPult with up to two TPult consoles,
// each with 224 keys, 32 boards (10 lines, each with 250 extended lines) and a
// phone book of 256 entries. Children sit in fixed arrays of owning pointers;
// an empty place holds none. In byte fields 255 means none.

constexpr int KeyCount = 224;
constexpr int BoardCount = 32;
constexpr int LineCount = 10;
constexpr int ExtLineCount = 250;
constexpr int PhoneCount = 256;
constexpr int ConsoleCount = 2;
constexpr int FlagRecordCount = 80;
constexpr int FlagRecordSize = 6;

inline const QString NekonfName = QStringLiteral("nekonf");

class TKlavesa
{
public:
    TKlavesa() { Reset(); }

    QString MenoKlavesy;
    QString HintKlavesy;
    QString MenoLinky;
    Byte TypLinky = 255;
    Byte KodDosky = 255;
    Byte HWPozicDosky = 255;
    Byte PozicLinky = 255;
    Byte PozicRLinky = 255;
    Byte Led = 255;
    Byte CisloUcastnika = 255;
    Byte ObsluhaKlavesy = 1;
    Byte bitovyByte = 7;
    Byte NumLin = 255;
    Byte Volba = 0xA0;
    std::int32_t TextColor = 0;
    std::array<Byte, 27> SkratenaVolba{};
    std::array<Byte, 3> MSNpriznak{};
    std::array<Byte, 12> MSNcislo{};

    void Reset();
    // Every field of Source; a missing Source resets the key.
    void Assign(const TKlavesa *Source);
    // Every field into Dest, creating it when it holds none.
    void CopyTo(std::unique_ptr<TKlavesa> &Dest) const;
    // The 12 MSN digit bytes and the 3 MSN flag bytes.
    void AssignMSN(const TKlavesa *Source);
    void CopyMSNTo(TKlavesa &Dest) const;
    // MSN digits as hex with every F removed (0x12 0x3F 0xFF.. gives "123").
    QString GetMSNText() const;
    // No line, no board, no subscriber and key handling 1.
    bool IsUnconfigured() const;
};

class TRLinka
{
public:
    TRLinka() { Reset(); }

    QString MenoRLinky;
    Byte CisloRLinky = 255;
    Byte Klavesa = 255;

    void Reset();
};

class TLinka
{
public:
    TLinka() { Reset(); }

    QString MenoLinky;
    Byte CisloLinky = 255;
    Byte Klavesa = 255; // 0..223 a key, 253 free but extended lines bound, 255 none
    Byte PocetRLiniek = 0;
    std::array<std::unique_ptr<TRLinka>, ExtLineCount> RLinky;

    // Reset values; the extended lines keep their places, none is in use.
    void Reset();
};

class TDoska
{
public:
    TDoska() { Reset(); }

    QString MenoDosky;
    Byte CisloDosky = 255;
    Byte PocetLiniek = 0;
    std::array<std::unique_ptr<TLinka>, LineCount> Linky;

    void Reset();
};

class TTelZoznam
{
public:
    QString Meno;
    QString Cislo; // dial digits as characters

    // Windows-1250 name padded with 0xFF to 32 bytes (a longer one unchanged).
    QByteArray GetPaddedName() const;
    // The number coded with DialDigitsToCode, padded with 0xFF to 32 bytes.
    QByteArray GetCodedNumber() const;
    bool IsEmpty() const { return Meno.isEmpty() || Cislo.isEmpty(); }
    static QByteArray EmptyName();
    static QByteArray EmptyNumber();
};

class TPult
{
public:
    Byte TypPultu = 0;
    Byte PocetObrazoviek = 0;
    QString FNGSMR;
    std::array<std::unique_ptr<TKlavesa>, KeyCount> Klavesy;
    std::array<std::unique_ptr<TDoska>, BoardCount> Dosky;
    std::array<std::unique_ptr<TTelZoznam>, PhoneCount> TelZoznam;
    TReplyField ReplyField5;
    TReplyField ReplyField8;

    // Frees the keys and the boards with their lines and extended lines
    // (places below the counts); the phone book stays.
    void FreeKeysAndBoards();
};

struct TSlotEntry {
    QString Meno;
    Byte Kod = 255;
};

struct TKodHodnota {
    std::int32_t Kod = 255; // 255 marks a free entry
    std::int32_t Hodnota = 0;
};

using TFlagRecord = std::array<Byte, FlagRecordSize>;

// A project file that could not be opened, read or written.
class EFileError : public std::runtime_error
{
public:
    EFileError(const QString &fileName, const QString &reason);
    QString FileName;
    QString Reason;
};

class TZoznam;

class TAPult
{
public:
    // Name: the program's own file path.
    explicit TAPult(const QString &Name = QString());
    TAPult(const TAPult &) = delete;
    TAPult &operator=(const TAPult &) = delete;

    std::int32_t PocetPultov = 0;
    std::int32_t TypDosiek = 0;
    std::int32_t TypNumlinov = 0;
    QString CestaProgramu;
    Byte TypSystemu = 0; // 0 "Zapojovac", 1 "Prepojovac"
    Byte CasUkonceniaVyzvanania = 0;
    Byte RezimDORST = 0;
    std::array<Byte, 5> Vlastnosti{};
    Byte TabTelZozOK = 0;
    std::int32_t VerziaDat = 0;
    TReplyField ReplyField5;
    TReplyField ReplyField8;
    std::array<TSlotEntry, BoardCount> DoskySystemu;
    std::array<TKodHodnota, BoardCount> KodHodnota;
    std::array<TSlotEntry, BoardCount> SlotyDosiek;
    std::array<TFlagRecord, FlagRecordCount> TabulkaPriznakov{};
    std::array<std::unique_ptr<TPult>, ConsoleCount> Pulty;

    // Frees consoles 0..PocetPultov-1 with everything they hold; the rest stays.
    void Clear();
    // A deep copy of Source's consoles and header tables (for compare and merge).
    void Assign(const TAPult &Source);
    // Some existing line or extended line of the slot's board carries a key.
    bool BoardHasAssignedLines(int Slot) const;
    // New system type: the slot codes renamed through List, then copied into the
    // consoles' boards and keys.
    void ConvertBoardCodes(Byte SystemType, TZoznam &List);

    // Line flags, byte 0 of the record a key's NumLin selects (only below 80).
    void SetMBUBFlag(bool Enable, Byte Value);
    bool GetMBUBFlag(Byte &Value, bool Scan);
    void SetPR3Flag(Byte Value);
    Byte GetF0Flag(bool Scan);

    // Project text file. SaveToFile throws EFileError; through a symbolic link
    // it writes the link's file, keeping that file's permissions. LoadFromFile
    // first clears everything but CestaProgramu. LoadFromFile: 0 read,
    // 2 read and of version 1.0, 1 faulty (reported, consoles freed); throws
    // EFileError when the file cannot be opened or read.
    void SaveToFile(const QString &FileName) const;
    int LoadFromFile(const QString &FileName);

    // The file text SaveToFile writes, Windows-1250 with CR LF.
    QByteArray ProjectText() const;

    // Old-name conversion: S := New when S equals Old; true when it did.
    static bool ReplaceIfEqual(QString &S, const QString &Old, const QString &New);
};
