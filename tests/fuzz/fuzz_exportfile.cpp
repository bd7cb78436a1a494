// The export file reader (TListOrva::ReadData over the component stream) on
// arbitrary file bytes. A failure must say where; a list that was read is
// written out, and what is written must read back and write out the same.

#include "fuzzinput.h"
#include "model/componentstream.h"
#include "model/listorva.h"
#include "model/reporter.h"

namespace
{

// The version record reports a wrong version; nothing to show here.
class QuietReporter : public TModelReporter
{
public:
    void Report(TReportKind, const QString &) override {}
};

QByteArray written(TListOrva &list)
{
    TWriter writer;
    const bool ok = list.WriteData(writer);
    FUZZ_CHECK(ok == (list.Count() > 0));
    return writer.Data();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    static QuietReporter reporter;
    SetModelReporter(&reporter);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    TReader reader(file, QStringLiteral("fuzz.cfn"));
    TListOrva list;
    const bool read = list.ReadData(reader);
    FUZZ_CHECK(reader.Position() >= 0 && reader.Position() <= file.size());
    if (!read) {
        FUZZ_CHECK(reader.Failed());
        FUZZ_CHECK(reader.ErrorText().startsWith(QStringLiteral("fuzz.cfn: byte ")));
        return 0;
    }
    FUZZ_CHECK(!reader.Failed());
    FUZZ_CHECK(reader.AtEnd());
    for (int i = 0; i < list.Count(); ++i)
        FUZZ_CHECK(RecordClassNames().contains(list.Items(i)->ClassName()));

    // Integers take their smallest form and texts go through the code page,
    // so the first write may differ from the file; from then on nothing changes.
    const QByteArray once = written(list);
    TReader again(once, QStringLiteral("again.cfn"));
    TListOrva second;
    FUZZ_CHECK(second.ReadData(again));
    FUZZ_CHECK(second.Count() == list.Count());
    FUZZ_CHECK(written(second) == once);
    return 0;
}
