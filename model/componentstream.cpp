#include "model/componentstream.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/codepage.h"

namespace
{

QString typeName(Byte type)
{
    switch (TValueType(type)) {
    case TValueType::vaNull:
        return QStringLiteral("list end");
    case TValueType::vaList:
        return QStringLiteral("list begin");
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
        return QStringLiteral("integer");
    case TValueType::vaString:
    case TValueType::vaLString:
        return QStringLiteral("string");
    case TValueType::vaDate:
        return QStringLiteral("date");
    }
    return QStringLiteral("unknown");
}

QString found(Byte type)
{
    return QStringLiteral("value type %1 (%2)").arg(type).arg(typeName(type));
}

} // namespace

// ---- writer -----------------------------------------------------------------

void TWriter::writeValueType(TValueType type)
{
    data_.append(char(type));
}

void TWriter::writeLittleEndian(std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        data_.append(char((value >> (8 * i)) & 0xFF));
}

void TWriter::WriteSignature()
{
    data_.append(FilerSignature, 4);
}

void TWriter::WriteListBegin()
{
    writeValueType(TValueType::vaList);
}

void TWriter::WriteListEnd()
{
    writeValueType(TValueType::vaNull);
}

void TWriter::WriteInteger(std::int32_t value)
{
    if (value >= -128 && value <= 127) {
        writeValueType(TValueType::vaInt8);
        writeLittleEndian(std::uint8_t(std::int8_t(value)), 1);
    } else if (value >= -32768 && value <= 32767) {
        writeValueType(TValueType::vaInt16);
        writeLittleEndian(std::uint16_t(std::int16_t(value)), 2);
    } else {
        writeValueType(TValueType::vaInt32);
        writeLittleEndian(std::uint32_t(value), 4);
    }
}

void TWriter::WriteString(const QString &value)
{
    WriteStringBytes(platform::ToCp1250(value));
}

void TWriter::WriteStringBytes(const QByteArray &bytes)
{
    if (bytes.size() <= 255) {
        writeValueType(TValueType::vaString);
        writeLittleEndian(std::uint8_t(bytes.size()), 1);
    } else {
        // A text of more than 2^31-1 bytes cannot be held here in the first place.
        writeValueType(TValueType::vaLString);
        writeLittleEndian(std::uint32_t(bytes.size()), 4);
    }
    data_.append(bytes);
}

void TWriter::WriteChar(Byte value)
{
    WriteStringBytes(QByteArray(1, char(value)));
}

void TWriter::WriteDate(double value)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    writeValueType(TValueType::vaDate);
    writeLittleEndian(bits, 8);
}

// ---- reader -----------------------------------------------------------------

TReader::TReader(QByteArray data, QString source) : data_(std::move(data)), source_(std::move(source))
{
    if (source_.isEmpty())
        source_ = QStringLiteral("data");
}

bool TReader::Fail(const QString &reason)
{
    if (!error_.isEmpty())
        return false;
    error_ = QStringLiteral("%1: byte %2: ").arg(source_).arg(pos_);
    if (!context_.isEmpty())
        error_ += context_ + QStringLiteral(": ");
    error_ += reason;
    return false;
}

bool TReader::need(qsizetype count, const char *what)
{
    if (Failed())
        return false;
    if (count <= BytesLeft())
        return true;
    return Fail(QStringLiteral("%1: the data ends after %2 of %3 bytes")
                    .arg(QLatin1String(what))
                    .arg(BytesLeft())
                    .arg(count));
}

std::uint64_t TReader::takeLittleEndian(int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= std::uint64_t(Byte(data_[pos_ + i])) << (8 * i);
    pos_ += size;
    return value;
}

bool TReader::readValueType(TValueType &type, const char *what)
{
    if (!need(1, what))
        return false;
    type = TValueType(Byte(data_[pos_]));
    ++pos_;
    return true;
}

bool TReader::ReadSignature()
{
    if (!need(4, "signature"))
        return false;
    if (std::memcmp(data_.constData() + pos_, FilerSignature, 4) != 0)
        return Fail(QStringLiteral("not a component stream: the signature is not \"TPF0\""));
    pos_ += 4;
    return true;
}

bool TReader::ReadListBegin()
{
    if (!need(1, "list begin"))
        return false;
    const Byte type = Byte(data_[pos_]);
    if (TValueType(type) != TValueType::vaList)
        return Fail(QStringLiteral("expected a list begin, found %1").arg(found(type)));
    ++pos_;
    return true;
}

bool TReader::EndOfList()
{
    if (!need(1, "list end"))
        return false;
    return TValueType(Byte(data_[pos_])) == TValueType::vaNull;
}

bool TReader::ReadListEnd()
{
    if (!need(1, "list end"))
        return false;
    const Byte type = Byte(data_[pos_]);
    if (TValueType(type) != TValueType::vaNull)
        return Fail(QStringLiteral("expected a list end, found %1").arg(found(type)));
    ++pos_;
    return true;
}

bool TReader::ReadInteger(std::int32_t &value, const char *what)
{
    if (!need(1, what))
        return false;
    const qsizetype start = pos_;
    TValueType type = TValueType::vaNull;
    readValueType(type, what);
    int size = 0;
    switch (type) {
    case TValueType::vaInt8:
        size = 1;
        break;
    case TValueType::vaInt16:
        size = 2;
        break;
    case TValueType::vaInt32:
        size = 4;
        break;
    default:
        pos_ = start;
        return Fail(QStringLiteral("%1: expected an integer, found %2")
                        .arg(QLatin1String(what))
                        .arg(found(Byte(type))));
    }
    if (!need(size, what))
        return false;
    const std::uint64_t raw = takeLittleEndian(size);
    if (size == 1)
        value = std::int8_t(std::uint8_t(raw));
    else if (size == 2)
        value = std::int16_t(std::uint16_t(raw));
    else
        value = std::int32_t(std::uint32_t(raw));
    return true;
}

bool TReader::ReadInteger(std::int32_t &value, std::int64_t low, std::int64_t high, const char *what)
{
    const qsizetype start = pos_;
    std::int32_t v = 0;
    if (!ReadInteger(v, what))
        return false;
    if (v < low || v > high) {
        pos_ = start;
        return Fail(QStringLiteral("%1: the value %2 is outside %3..%4")
                        .arg(QLatin1String(what))
                        .arg(v)
                        .arg(low)
                        .arg(high));
    }
    value = v;
    return true;
}

bool TReader::ReadStringBytes(QByteArray &bytes, const char *what)
{
    if (!need(1, what))
        return false;
    const qsizetype start = pos_;
    TValueType type = TValueType::vaNull;
    readValueType(type, what);
    qint64 length = 0;
    if (type == TValueType::vaString) {
        if (!need(1, what))
            return false;
        length = qint64(takeLittleEndian(1));
    } else if (type == TValueType::vaLString) {
        if (!need(4, what))
            return false;
        length = std::int32_t(std::uint32_t(takeLittleEndian(4)));
        if (length < 0) {
            pos_ = start;
            return Fail(QStringLiteral("%1: negative string length %2").arg(QLatin1String(what)).arg(length));
        }
    } else {
        pos_ = start;
        return Fail(QStringLiteral("%1: expected a string, found %2")
                        .arg(QLatin1String(what))
                        .arg(found(Byte(type))));
    }
    if (length > BytesLeft()) {
        const qsizetype left = BytesLeft();
        pos_ = start;
        return Fail(QStringLiteral("%1: string length %2 runs past the end of the data (%3 bytes left)")
                        .arg(QLatin1String(what))
                        .arg(length)
                        .arg(left));
    }
    bytes = data_.mid(pos_, qsizetype(length));
    pos_ += qsizetype(length);
    return true;
}

bool TReader::ReadString(QString &value, const char *what)
{
    QByteArray bytes;
    if (!ReadStringBytes(bytes, what))
        return false;
    value = platform::FromCp1250(bytes);
    return true;
}

bool TReader::ReadChar(Byte &value, const char *what)
{
    const qsizetype start = pos_;
    QByteArray bytes;
    if (!ReadStringBytes(bytes, what))
        return false;
    if (bytes.size() != 1) {
        pos_ = start;
        return Fail(QStringLiteral("%1: expected one character, found a string of %2")
                        .arg(QLatin1String(what))
                        .arg(bytes.size()));
    }
    value = Byte(bytes[0]);
    return true;
}

bool TReader::ReadDate(double &value, const char *what)
{
    if (!need(1, what))
        return false;
    const qsizetype start = pos_;
    TValueType type = TValueType::vaNull;
    readValueType(type, what);
    if (type != TValueType::vaDate) {
        pos_ = start;
        return Fail(
            QStringLiteral("%1: expected a date, found %2").arg(QLatin1String(what)).arg(found(Byte(type))));
    }
    if (!need(8, what))
        return false;
    const std::uint64_t bits = takeLittleEndian(8);
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) {
        pos_ = start;
        return Fail(QStringLiteral("%1: the date is not a finite number").arg(QLatin1String(what)));
    }
    value = v;
    return true;
}
