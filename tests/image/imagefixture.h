#pragma once

// Shared helpers of the image tests: a recording conversion log, board-type
// lists with other flags, and a small builder for system images.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>
#include <vector>

#include "cardpack/dll_load.h"
#include "cardpack/karty.h"
#include "platform/langlib.h"
#include "records/imagetomodel.h"
#include "records/systemimage.h"

inline void LoadShippedLanguage()
{
    if (HInstDll <= 32)
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
}

class RecordingLog : public TConversionLog
{
public:
    struct Entry {
        TReportKind kind;
        QString text;
    };
    void TraceLine(const QString &line) override { traces << line; }
    void LogEntry(TReportKind kind, const QString &text) override { entries.push_back({kind, text}); }
    void ShowBox(TReportKind kind, const QString &text) override { boxes.push_back({kind, text}); }

    QStringList traces;
    std::vector<Entry> entries;
    std::vector<Entry> boxes;
};

// TZOZ with other numbering and flags.
class TestList : public TZOZ
{
public:
    TestList(Byte type, Byte numlin) : type(type), numlin(numlin) {}
    Byte GetType() override { return type; }
    Byte TypNumlin() override { return numlin; }

private:
    Byte type;
    Byte numlin;
};

// A list that names a code with a fixed class name.
class NamingList : public TZOZ
{
public:
    explicit NamingList(QString name) : name(std::move(name)) {}
    QString Num2Name(Byte) override { return name; }

private:
    QString name;
};

struct KeySpec {
    int key = 0;
    Byte handling = 0xFF;
    Byte subscriber = 0xFF;
    Byte numlin = 0xFF;      // record byte 30
    Byte code = 0xFF;        // record byte 31
    Byte lineEntry = 0xFF;   // key-to-line
    Byte subscriberEntry = 0xFF;
    std::vector<Byte> digits = {};
    QByteArray name = {};
    Byte dial = 0xA0;
    std::uint32_t colour = 0;
};

// A cleared image: the per-key tables, key names, key records, UNI, MSN and
// line flags empty, the phone book empty.
inline void EmptyImage(TSystemImage &image)
{
    image.ClearSystemImage();
    for (auto &b : image.Table(ImageTable::Msn))
        b = 0xFF;
    for (auto &b : image.Table(ImageTable::LineFlags))
        b = 0;
    for (int i = 0; i < img::PhoneBookCount; ++i) {
        image.SetPhoneName(i, {});
        image.SetPhoneNumber(i, {});
    }
    for (int k = 0; k < img::KeyCount; ++k) {
        image.KeyRecord(k)[img::KrVolba] = 0xA0;
        image.SetKeyTextColor(k, 0);
    }
}

inline void PutKey(TSystemImage &image, const KeySpec &s)
{
    auto rec = image.KeyRecord(s.key);
    rec[img::KrObsluhaKlavesy] = s.handling;
    rec[img::KrCisloUcastnika] = s.subscriber;
    for (int i = 0; i < img::KrSkratenaVolbaCount; ++i)
        rec[img::KrSkratenaVolba + i] = i < int(s.digits.size()) ? s.digits[i] : 0xFF;
    rec[img::KrBitovyByte] = 7;
    rec[img::KrNumLin] = s.numlin;
    rec[img::KrKodDosky] = s.code;
    rec[img::KrVolba] = s.dial;
    image.SetKeyTextColor(s.key, s.colour);
    image.KeyToLine(KeyAddress(s.key)) = s.lineEntry;
    image.KeyToSubscriber(KeyAddress(s.key)) = s.subscriberEntry;
    if (!s.name.isEmpty())
        image.SetKeyName(s.key, s.name);
}

inline void PutUni(TSystemImage &image, int i, std::initializer_list<Byte> bytes)
{
    auto e = image.UniEntry(i);
    int j = 0;
    for (Byte b : bytes)
        e[j++] = b;
}
