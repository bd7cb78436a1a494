#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "cardpack/sablona.h"

// The subset of the class library's component stream format that the export
// file uses: the "TPF0" signature, list markers, integers in their smallest
// form, short and long strings, characters and dates. All little-endian.

enum class TValueType : Byte {
    vaNull = 0, // list end
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,   // length byte, then the characters
    vaLString = 12, // 32-bit length, then the characters
    vaDate = 17,    // 8-byte double: days since 30 December 1899
};

inline constexpr char FilerSignature[] = "TPF0";

// Builds the stream in memory; texts are stored as Windows-1250 bytes.
class TWriter
{
public:
    void WriteSignature();
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(std::int32_t value);
    void WriteString(const QString &value);
    void WriteStringBytes(const QByteArray &bytes);
    // A character is a string of length 1.
    void WriteChar(Byte value);
    void WriteDate(double value);

    const QByteArray &Data() const { return data_; }

private:
    void writeValueType(TValueType type);
    void writeLittleEndian(std::uint64_t value, int size);

    QByteArray data_;
};

// Reads the same subset from untrusted bytes. Every read checks the value type
// and the bytes left; the first failure is kept (with the byte offset and the
// field being read) and every later read fails at once, so callers may chain
// reads and look at the error once.
class TReader
{
public:
    // source names the data in error texts (usually the file name).
    explicit TReader(QByteArray data, QString source = QString());

    bool ReadSignature();
    bool ReadListBegin();
    // True when the next value is the list end (not consumed); false at a
    // value of any other type and, with an error, at the end of the data.
    bool EndOfList();
    bool ReadListEnd();

    bool ReadInteger(std::int32_t &value, const char *what);
    // An integer that must lie in low..high.
    bool ReadInteger(std::int32_t &value, std::int64_t low, std::int64_t high, const char *what);
    bool ReadString(QString &value, const char *what);
    bool ReadStringBytes(QByteArray &bytes, const char *what);
    bool ReadChar(Byte &value, const char *what);
    // A finite date-time value.
    bool ReadDate(double &value, const char *what);

    // Records a failure at the current offset; returns false.
    bool Fail(const QString &reason);
    // Named in every failure from now on (the record being read); empty for none.
    void SetContext(const QString &context) { context_ = context; }

    bool Failed() const { return !error_.isEmpty(); }
    QString ErrorText() const { return error_; }
    qsizetype Position() const { return pos_; }
    qsizetype BytesLeft() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    const QString &Source() const { return source_; }

private:
    bool need(qsizetype count, const char *what);
    bool readValueType(TValueType &type, const char *what);
    std::uint64_t takeLittleEndian(int size);

    QByteArray data_;
    QString source_;
    qsizetype pos_ = 0;
    QString context_;
    QString error_;
};
