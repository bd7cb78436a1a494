#include "records/netfiles.h"

#include <QFileInfo>
#include <QSaveFile>

#include "model/conversions.h"

namespace netfiles
{

namespace
{

QString CutBeforeCard(const QString &name)
{
    const int at = int(name.indexOf(QLatin1String("Card")));
    return at < 0 ? name : name.left(at);
}

QString RecordText(int offset)
{
    return BoardsFileName + QStringLiteral(", record %1 (offset %2)").arg(offset / BoardRecordSize + 1).arg(offset);
}

} // namespace

int RecordSlot(Byte b0, Byte b1)
{
    return (b0 >> 4) + (b1 == SecondHalf ? 16 : 0);
}

TBoardsRead ReadBoardsFile(const QByteArray &bytes, TZoznam &list, const std::function<bool(int)> &slotValid)
{
    TBoardsRead r;
    auto fail = [&r](BoardError e, int slot, Byte code, int offset, const QString &why) {
        r.error = e;
        r.slot = slot;
        r.code = code;
        r.offset = offset;
        r.detail = why;
        r.boards.clear();
        return r;
    };
    if (bytes.size() % BoardRecordSize != 0)
        return fail(BoardError::Length, -1, 0, int(bytes.size() - bytes.size() % BoardRecordSize),
                    BoardsFileName + QStringLiteral(": %1 bytes, not a whole number of %2-byte records")
                        .arg(bytes.size())
                        .arg(BoardRecordSize));
    bool taken[32] = {};
    const int count = int(bytes.size() / BoardRecordSize);
    for (int i = 0; i < count; ++i) {
        const int offset = i * BoardRecordSize;
        const auto *rec = reinterpret_cast<const Byte *>(bytes.constData()) + offset;
        const int slot = RecordSlot(rec[0], rec[1]);
        const Byte code = rec[2];
        if (code == NoBoard)
            continue;
        // One board per slot: a second record for it leaves the choice unclear.
        if (taken[slot])
            return fail(BoardError::DoubledSlot, slot, code, offset,
                        RecordText(offset) + QStringLiteral(": a second board for slot %1 (%2)")
                            .arg(slot)
                            .arg(LinePosName(slot)));
        taken[slot] = true;
        const QString name = list.Num2Name(code);
        const bool valid = slotValid(slot);
        if (!valid && name.startsWith(QLatin1Char('T')))
            return fail(BoardError::SlotNotAllowed, slot, code, offset,
                        RecordText(offset) + QStringLiteral(": board code %1 in slot %2, which this system does not have")
                            .arg(code)
                            .arg(slot));
        if (name.isEmpty())
            return fail(BoardError::UnknownCode, slot, code, offset,
                        RecordText(offset) + QStringLiteral(": unknown board code %1 [$%2]")
                            .arg(code)
                            .arg(QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
        if (!valid || !name.startsWith(QLatin1Char('T')))
            continue;
        r.boards.append(TBoardEntry{slot, code, CutBeforeCard(name), offset});
    }
    return r;
}

QByteArray BuildTablesFile(const QList<QByteArray> &images)
{
    QByteArray out;
    out.reserve(int(TablesFileSize(int(images.size()))));
    out.append(char(0));
    out.append(char(Byte(images.size())));
    for (const QByteArray &image : images) {
        // An image is always whole: a short one is padded, a long one cut.
        QByteArray block = image.left(ImageSize);
        block.append(QByteArray(ImageSize - block.size(), char(0xFF)));
        out.append(block);
    }
    return out;
}

bool ReadTablesFile(const QByteArray &bytes, int consoles, QList<QByteArray> &images, QString &reason)
{
    images.clear();
    if (bytes.size() < TablesHeaderSize) {
        reason = TablesFileName + QStringLiteral(": %1 bytes, shorter than its header").arg(bytes.size());
        return false;
    }
    if (Byte(bytes[0]) != 0) {
        reason = TablesFileName + QStringLiteral(": the first byte is %1, not 0").arg(Byte(bytes[0]));
        return false;
    }
    if (Byte(bytes[1]) != consoles) {
        reason = TablesFileName + QStringLiteral(": it holds %1 consoles, the configuration has %2 connected")
                                      .arg(Byte(bytes[1]))
                                      .arg(consoles);
        return false;
    }
    if (bytes.size() != TablesFileSize(consoles)) {
        reason = TablesFileName + QStringLiteral(": %1 bytes, %2 expected for %3 consoles")
                                      .arg(bytes.size())
                                      .arg(TablesFileSize(consoles))
                                      .arg(consoles);
        return false;
    }
    for (int n = 0; n < consoles; ++n)
        images.append(bytes.mid(TablesHeaderSize + n * ImageSize, ImageSize));
    return true;
}

bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        error = path + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace netfiles
