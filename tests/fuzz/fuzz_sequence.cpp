// The command-sequence test driven by the fuzzer: the input bytes choose the
// commands and every answer to the program's questions and dialogs, one byte
// a choice, so the fuzzer's own shrinking of a finding gives its shortest
// sequence. Each input runs a fresh main window in a folder of its own; a
// failed check is reported like a sanitizer finding, with the steps it took.

#include <QApplication>

#include <cstdio>

#include "fuzzinput.h"
#include "tests/sequence/sequence.h"

namespace
{

constexpr int MaxSteps = 48;

class BytesChooser : public sequence::TChooser
{
public:
    explicit BytesChooser(fuzz::Input &in) : in_(in) {}
    int Pick(int count) override
    {
        if (count <= 1)
            return 0;
        const unsigned value = count > 256 ? in_.U16() : in_.Byte();
        return int(value % unsigned(count));
    }

private:
    fuzz::Input &in_;
};

} // namespace

// The font configuration library keeps caches the leak check cannot see
// through; they are no leak of ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_sequence";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    BytesChooser chooser(in);
    sequence::TSession session;
    FUZZ_CHECK(session.Ok());
    QStringList steps;
    for (int step = 0; step < MaxSteps && !in.AtEnd(); ++step) {
        const bool passed = session.Step(chooser);
        steps << QStringLiteral("  step %1: %2").arg(step).arg(session.LastStep());
        if (!passed) {
            std::fprintf(stderr, "%s\n", qPrintable(steps.join(u'\n')));
            const QString what = session.Failure().check + QStringLiteral(": ") + session.Failure().detail;
            fuzz::Fail(qPrintable(what));
        }
    }
    return 0;
}
