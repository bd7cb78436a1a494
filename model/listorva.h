#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "model/konfiguracia.h"
#include "model/listrw.h"

// The export list: it owns its records and writes them as one export file.
class TListOrva : public TlistRW
{
public:
    int Count() const override { return int(FItems.size()); }
    void Clear() override { FItems.clear(); }
    void Add(std::unique_ptr<TDataRW> Item);
    TDataRW *Items(int Index) const { return FItems.at(std::size_t(Index)).get(); }

    // Signature, list begin, each record's class name and values, list end.
    // False at the first record that fails (no list end then) and for an
    // empty list (written whole all the same).
    bool WriteData(TWriter &Writer) override;
    // Records are created by the class name before them through the class
    // registry and added; an unknown class, a class that is not a record, a
    // record that fails, a missing list end or bytes after it fail the reading
    // (the reader tells why).
    bool ReadData(TReader &Reader) override;

    bool SaveToStream(QIODevice &Stream, QString *Error = nullptr);
    // Written to a temporary file beside the target, which replaces the target
    // only when all was written: a failure leaves the old file (or none) as it was.
    bool SaveToFile(const QString &FileName, QString *Error = nullptr);
    // The list then holds the file's records; on failure it is left as it was.
    bool LoadFromFile(const QString &FileName, QString *Error = nullptr);

    // A real export file is a few hundred kilobytes at most.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

private:
    std::vector<std::unique_ptr<TDataRW>> FItems;
};

// The record classes in the order they are registered in the class registry.
const QStringList &RecordClassNames();

// Registration of the record classes by name; counted, so only the first
// initialisation and the last finalisation act. Runs when the program starts.
void ListOrvaInitialization();
void ListOrvaFinalization();
