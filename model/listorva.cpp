#include "model/listorva.h"

#include <QFile>
#include <QFileDevice>
#include <QSaveFile>

#include "cardpack/registry.h"
#include "model/card.h"
#include "model/noorvacard.h"
#include "model/orvacard.h"
#include "model/verzia.h"
#include "platform/codepage.h"

namespace
{

template <class T> std::unique_ptr<TPersistent> make()
{
    return std::make_unique<T>();
}

struct RecordClass {
    const char *name;
    Registry::Factory factory;
};

#define RECORD(T)                                                                                            \
    {                                                                                                        \
#T, &make < T>                                                                                       \
    }
const RecordClass recordClasses[] = {
    RECORD(TVerzia),
    RECORD(TCard),
    RECORD(TParent_Data),
    RECORD(TOrvaCard),
    RECORD(TJednoucastnicke),
    RECORD(TVolbaAUT),
    RECORD(TAUT),
    RECORD(TISDN),
    RECORD(TZnacky),
    RECORD(TMB),
    RECORD(TORST),
    RECORD(TRDZ2),
    RECORD(TSK5),
    RECORD(TUB5),
    RECORD(TZL3),
    RECORD(TRFT),
    RECORD(TPPT),
    RECORD(TViacucastnicke),
    RECORD(TRDZ),
    RECORD(TSLDS),
    RECORD(TRozhlasy),
    RECORD(TORU),
    RECORD(TDORU),
    RECORD(TDRAH),
    RECORD(TNoOrvaCard),
    RECORD(TVolnaVolba),
    RECORD(TVolnaAUT),
    RECORD(TVolnaMB),
    RECORD(TPevnaVolba),
    RECORD(TPevnaAUT),
    RECORD(TPevnaMB),
    RECORD(TKamera),
    RECORD(TKonferencia),
};
#undef RECORD

int unitCount = 0;

// The class name as it may appear in an error text: printable and short.
QString shownName(const QByteArray &name)
{
    QString s = platform::FromCp1250(name.left(64));
    for (QChar &c : s)
        if (!c.isPrint())
            c = u'?';
    return name.size() > 64 ? s + QStringLiteral("...") : s;
}

} // namespace

const QStringList &RecordClassNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const RecordClass &c : recordClasses)
            n << QLatin1String(c.name);
        return n;
    }();
    return names;
}

void ListOrvaInitialization()
{
    if (unitCount++ > 0)
        return;
    for (const RecordClass &c : recordClasses)
        Registry::RegisterClass(QLatin1String(c.name), c.factory);
}

void ListOrvaFinalization()
{
    if (unitCount == 0 || --unitCount > 0)
        return;
    for (const RecordClass &c : recordClasses)
        Registry::UnregisterClass(QLatin1String(c.name));
}

namespace
{
struct ListOrvaUnit {
    ListOrvaUnit() { ListOrvaInitialization(); }
    ~ListOrvaUnit() { ListOrvaFinalization(); }
} listOrvaUnit;
} // namespace

void TListOrva::Add(std::unique_ptr<TDataRW> Item)
{
    if (Item)
        FItems.push_back(std::move(Item));
}

bool TListOrva::WriteData(TWriter &Writer)
{
    Writer.WriteSignature();
    Writer.WriteListBegin();
    for (const auto &item : FItems) {
        Writer.WriteString(item->ClassName());
        if (!item->WriteData(Writer))
            return false;
    }
    Writer.WriteListEnd();
    return !FItems.empty();
}

bool TListOrva::ReadData(TReader &Reader)
{
    if (!Reader.ReadSignature() || !Reader.ReadListBegin())
        return false;
    while (!Reader.EndOfList()) {
        if (Reader.Failed())
            return false;
        const qsizetype start = Reader.Position();
        QByteArray name;
        if (!Reader.ReadStringBytes(name, "class name"))
            return false;
        std::unique_ptr<TPersistent> object = Registry::Create(QString::fromLatin1(name));
        if (!object)
            return Reader.Fail(QStringLiteral("unknown record class \"%1\" (record at byte %2)")
                                   .arg(shownName(name))
                                   .arg(start));
        auto *record = dynamic_cast<TDataRW *>(object.get());
        if (!record)
            return Reader.Fail(QStringLiteral("\"%1\" is not a record class (record at byte %2)")
                                   .arg(shownName(name))
                                   .arg(start));
        Reader.SetContext(QStringLiteral("record %1 from byte %2").arg(shownName(name)).arg(start));
        if (!record->ReadData(Reader))
            return Reader.Fail(QStringLiteral("the record could not be read"));
        Reader.SetContext(QString());
        object.release();
        FItems.emplace_back(record);
    }
    if (!Reader.ReadListEnd())
        return false;
    if (!Reader.AtEnd())
        return Reader.Fail(QStringLiteral("%1 bytes follow the list end").arg(Reader.BytesLeft()));
    return true;
}

bool TListOrva::SaveToStream(QIODevice &Stream, QString *Error)
{
    TWriter writer;
    if (!WriteData(writer)) {
        if (Error)
            *Error = FItems.empty() ? QStringLiteral("the export list is empty")
                                    : QStringLiteral("a record could not be written");
        return false;
    }
    const qint64 size = writer.Data().size();
    const qint64 written = Stream.write(writer.Data());
    if (written != size) {
        const auto *file = qobject_cast<QFileDevice *>(&Stream);
        const bool known = written < 0 || (file && file->error() != QFileDevice::NoError);
        if (Error)
            *Error = known ? Stream.errorString()
                           : QStringLiteral("only %1 of %2 bytes could be written (disk full?)")
                                 .arg(qMax<qint64>(written, 0))
                                 .arg(size);
        return false;
    }
    return true;
}

bool TListOrva::SaveToFile(const QString &FileName, QString *Error)
{
    QString reason;
    QSaveFile file(FileName);
    // Unbuffered, so a short write (disk full, size limit) shows in the write
    // itself; a buffered one is only flushed at commit, which keeps the short file.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!ok)
        reason = file.errorString();
    else if (!SaveToStream(file, &reason))
        ok = false;
    if (ok && !file.commit()) {
        reason = file.errorString();
        ok = false;
    }
    if (!ok) {
        file.cancelWriting();
        if (Error)
            *Error = QStringLiteral("%1: %2").arg(FileName, reason);
    }
    return ok;
}

bool TListOrva::LoadFromFile(const QString &FileName, QString *Error)
{
    auto fail = [&](const QString &reason) {
        if (Error)
            *Error = reason;
        return false;
    };
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(FileName, file.errorString()));
    if (file.size() > MaxFileSize)
        return fail(
            QStringLiteral("%1: %2 bytes is too large for an export file").arg(FileName).arg(file.size()));
    QByteArray data = file.read(MaxFileSize + 1);
    if (file.error() != QFile::NoError)
        return fail(QStringLiteral("%1: %2").arg(FileName, file.errorString()));
    if (data.size() > MaxFileSize)
        return fail(QStringLiteral("%1: too large for an export file").arg(FileName));
    TReader reader(std::move(data), FileName);
    TListOrva read;
    if (!read.ReadData(reader))
        return fail(reader.ErrorText());
    FItems = std::move(read.FItems);
    return true;
}
