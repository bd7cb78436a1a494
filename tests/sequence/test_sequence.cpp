// The command-sequence test. Each seed is one run of the real main window,
// made in a process of its own so that a crash or a sanitizer report is a
// finding like any failed check. A failing run is replayed from its seed with
// steps left out until no step can go, and the shortest sequence is printed.
//
//   test_sequence                                  the fixed seeds (ctest)
//   test_sequence --long [-t SECONDS] [-j JOBS] [--steps N] [--first SEED] [--ignore CHECKS]
//                                                  new seeds until the time is up
//   test_sequence --run SEED [--steps N | --only 0,3,7] [--trace]
//                                                  one run in this process, step by step
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

#include "tests/sequence/sequence.h"

namespace
{

// The seeds ctest runs, and the steps of each.
const QList<std::uint64_t> FixedSeeds = {3, 7, 22, 23, 25, 27};
constexpr int FixedSteps = 40;

void out(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// ---- one run in this process -------------------------------------------------------------

int runHere(std::uint64_t seed, const QList<int> &steps, const QStringList &ignored, bool trace)
{
    sequence::TSession session;
    session.Ignore(ignored);
    session.Trace(trace);
    session.Live(true);
    if (!session.Ok()) {
        out(QStringLiteral("RESULT fail set-up: the program could not be started"));
        return 3;
    }
    for (int step : steps) {
        sequence::TSeededChooser chooser(seed, step);
        QElapsedTimer clock;
        clock.start();
        const bool passed = session.Step(chooser);
        out(QStringLiteral("STEP %1: %2").arg(step).arg(session.LastStep()));
        if (trace)
            out(QStringLiteral("  %1 ms").arg(clock.elapsed()));
        if (!passed) {
            out(QStringLiteral("RESULT fail %1: %2").arg(session.Failure().check, session.Failure().detail));
            return 3;
        }
    }
    out(QStringLiteral("RESULT ok"));
    return 0;
}

// ---- runs in child processes ---------------------------------------------------------------

struct TOutcome {
    bool passed = false;
    QString check; // what failed: a check's name, or "crash"
    QString detail;
    int failedStep = -1;
    QList<QPair<int, QString>> steps; // the steps that ran, with what they did
    QStringList dying;                // what the step a run died in had done
};

class TRunner
{
public:
    TRunner(const QString &program, const QStringList &ignored) : program_(program), ignored_(ignored)
    {
        // The runs' folders go below one of ours, also when a run dies.
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("TMPDIR"), root_.path());
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    QProcess *Start(std::uint64_t seed, const QList<int> &steps)
    {
        QStringList only;
        for (int s : steps)
            only << QString::number(s);
        auto *p = new QProcess;
        p->setProcessEnvironment(environment_);
        QStringList arguments{QStringLiteral("--run"), QString::number(seed), QStringLiteral("--only"),
                              only.join(u',')};
        if (!ignored_.isEmpty())
            arguments << QStringLiteral("--ignore") << ignored_.join(u',');
        p->start(program_, arguments);
        return p;
    }

    static TOutcome Finish(QProcess *p)
    {
        TOutcome o;
        if (!p->waitForFinished(300000))
            p->kill(), p->waitForFinished();
        const QString text = QString::fromLocal8Bit(p->readAllStandardOutput());
        const QString errors = QString::fromLocal8Bit(p->readAllStandardError());
        static const QRegularExpression stepLine(QStringLiteral("^STEP (\\d+): (.*)$"));
        bool ended = false;
        for (const QString &line : text.split(u'\n')) {
            if (line.startsWith(QLatin1String("  > "))) {
                o.dying << line.mid(4);
            } else if (const auto m = stepLine.match(line); m.hasMatch()) {
                o.dying.clear();
                o.steps << qMakePair(m.captured(1).toInt(), m.captured(2));
            } else if (line == QLatin1String("RESULT ok")) {
                ended = o.passed = true;
            } else if (line.startsWith(QLatin1String("RESULT fail "))) {
                ended = true;
                const QString rest = line.mid(12);
                const qsizetype colon = rest.indexOf(QLatin1String(": "));
                o.check = rest.left(colon);
                o.detail = rest.mid(colon + 2);
                o.failedStep = o.steps.isEmpty() ? -1 : o.steps.last().first;
            }
        }
        if (!ended || p->exitStatus() != QProcess::NormalExit || (p->exitCode() != 0 && p->exitCode() != 3)) {
            o.passed = false;
            o.check = QStringLiteral("crash");
            // The sanitizer's summary, else the end of what the run wrote.
            const QStringList lines = errors.split(u'\n', Qt::SkipEmptyParts);
            QString summary;
            for (const QString &l : lines)
                if (l.startsWith(QLatin1String("SUMMARY:")) || l.contains(QLatin1String("runtime error:")))
                    summary = l;
            o.detail = summary.isEmpty()
                           ? lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(QStringLiteral(" | "))
                           : summary;
            // The step that was running when it died is the one after the last reported.
            o.failedStep = -2;
        }
        delete p;
        return o;
    }

    TOutcome Run(std::uint64_t seed, const QList<int> &steps) { return Finish(Start(seed, steps)); }

private:
    QString program_;
    QStringList ignored_;
    QTemporaryDir root_;
    QProcessEnvironment environment_;
};

// Two failures are the same finding when the same check fails; crashes
// also in the same place.
QString findingOf(const TOutcome &o)
{
    return o.check == QLatin1String("crash") ? o.check + QStringLiteral(": ") + o.detail : o.check;
}

QList<int> firstSteps(int count)
{
    QList<int> steps;
    for (int i = 0; i < count; ++i)
        steps << i;
    return steps;
}

// The steps that matter: those up to and with the failing one.
QList<int> upToFailure(const QList<int> &steps, const TOutcome &o)
{
    if (o.failedStep >= 0)
        return steps.mid(0, steps.indexOf(o.failedStep) + 1);
    if (o.failedStep == -2) {
        // A crash: every step up to the one after the last that finished.
        const int done = o.steps.isEmpty() ? -1 : int(steps.indexOf(o.steps.last().first));
        return steps.mid(0, done + 2);
    }
    return steps;
}

// Leaves steps out, in ever smaller chunks, while the run still fails the same check.
TOutcome shrink(TRunner &runner, std::uint64_t seed, QList<int> steps, TOutcome failed, QList<int> &kept)
{
    steps = upToFailure(steps, failed);
    int chunks = 2;
    while (steps.size() > 1) {
        const int size = int((steps.size() + chunks - 1) / chunks);
        bool smaller = false;
        for (int start = 0; start < steps.size() && !smaller; start += size) {
            QList<int> candidate = steps;
            candidate.remove(start, std::min<qsizetype>(size, steps.size() - start));
            if (candidate.isEmpty())
                continue;
            const TOutcome o = runner.Run(seed, candidate);
            if (!o.passed && findingOf(o) == findingOf(failed)) {
                steps = upToFailure(candidate, o);
                failed = o;
                chunks = std::max(chunks - 1, 2);
                smaller = true;
            }
        }
        if (!smaller) {
            if (chunks >= steps.size())
                break;
            chunks = int(std::min<qsizetype>(steps.size(), chunks * 2));
        }
    }
    kept = steps;
    return failed;
}

QString onlyList(const QList<int> &steps)
{
    QStringList s;
    for (int n : steps)
        s << QString::number(n);
    return s.join(u',');
}

void report(TRunner &runner, std::uint64_t seed, const QList<int> &steps, const TOutcome &failed,
            const QString &program)
{
    out(QStringLiteral("seed %1 fails \"%2\": %3").arg(seed).arg(failed.check, failed.detail));
    out(QStringLiteral("  shrinking..."));
    QList<int> kept;
    const TOutcome shortest = shrink(runner, seed, steps, failed, kept);
    out(QStringLiteral("  shortest sequence, %1 steps, fails \"%2\": %3")
            .arg(kept.size())
            .arg(shortest.check, shortest.detail));
    for (const auto &[n, text] : shortest.steps)
        out(QStringLiteral("    step %1: %2").arg(n).arg(text));
    if (shortest.check == QLatin1String("crash") && shortest.steps.size() < kept.size())
        out(QStringLiteral("    step %1: %2 (the program died here)")
                .arg(kept.value(shortest.steps.size()))
                .arg(shortest.dying.join(QStringLiteral("; "))));
    out(QStringLiteral("  replay: %1 --run %2 --only %3").arg(program).arg(seed).arg(onlyList(kept)));
}

int runFixed(const QString &program)
{
    TRunner runner(program, {});
    QElapsedTimer clock;
    clock.start();
    int failures = 0;
    // Two runs at a time.
    QList<QPair<std::uint64_t, QProcess *>> running;
    QList<QPair<std::uint64_t, TOutcome>> done;
    for (int i = 0; i < FixedSeeds.size() || !running.isEmpty();) {
        while (i < FixedSeeds.size() && running.size() < 2) {
            running << qMakePair(FixedSeeds[i], runner.Start(FixedSeeds[i], firstSteps(FixedSteps)));
            ++i;
        }
        const auto [seed, process] = running.takeFirst();
        done << qMakePair(seed, TRunner::Finish(process));
    }
    for (const auto &[seed, o] : done) {
        out(QStringLiteral("seed %1: %2 steps, %3")
                .arg(seed)
                .arg(o.steps.size())
                .arg(o.passed ? "passed" : "FAILED"));
        if (!o.passed) {
            ++failures;
            report(runner, seed, firstSteps(FixedSteps), o, program);
        }
    }
    out(QStringLiteral("%1 seeds, %2 failed, %3 s")
            .arg(FixedSeeds.size())
            .arg(failures)
            .arg(clock.elapsed() / 1000));
    return failures ? 1 : 0;
}

int runLong(const QString &program, int seconds, int jobs, int steps, std::uint64_t first,
            const QStringList &ignored)
{
    TRunner runner(program, ignored);
    QElapsedTimer clock;
    clock.start();
    QList<QPair<std::uint64_t, QProcess *>> running;
    QStringList shrunk; // the checks whose shortest sequence was printed
    int runs = 0, failures = 0;
    std::uint64_t next = first;
    while (clock.elapsed() < qint64(seconds) * 1000 || !running.isEmpty()) {
        while (clock.elapsed() < qint64(seconds) * 1000 && running.size() < jobs) {
            running << qMakePair(next, runner.Start(next, firstSteps(steps)));
            ++next;
        }
        if (running.isEmpty())
            break;
        const auto [seed, process] = running.takeFirst();
        const TOutcome o = TRunner::Finish(process);
        ++runs;
        if (o.passed)
            continue;
        ++failures;
        if (shrunk.contains(findingOf(o))) {
            out(QStringLiteral("seed %1 fails \"%2\" as well: %3").arg(seed).arg(o.check, o.detail));
            continue;
        }
        shrunk << findingOf(o);
        report(runner, seed, firstSteps(steps), o, program);
    }
    out(QStringLiteral("%1 runs of %2 steps (seeds %3 to %4), %5 failed, %6 s")
            .arg(runs)
            .arg(steps)
            .arg(first)
            .arg(next - 1)
            .arg(failures)
            .arg(clock.elapsed() / 1000));
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption runOption(QStringLiteral("run"), QStringLiteral("One run of this seed, here."),
                                       QStringLiteral("seed"));
    const QCommandLineOption onlyOption(QStringLiteral("only"), QStringLiteral("Only these steps."),
                                        QStringLiteral("list"));
    const QCommandLineOption stepsOption(QStringLiteral("steps"), QStringLiteral("Steps of a run."),
                                         QStringLiteral("n"), QStringLiteral("60"));
    const QCommandLineOption longOption(QStringLiteral("long"),
                                        QStringLiteral("New seeds until the time is up."));
    const QCommandLineOption timeOption(QStringList{QStringLiteral("t"), QStringLiteral("seconds")},
                                        QStringLiteral("Time of a long run."), QStringLiteral("s"),
                                        QStringLiteral("600"));
    const QCommandLineOption jobsOption(QStringList{QStringLiteral("j"), QStringLiteral("jobs")},
                                        QStringLiteral("Runs at a time."), QStringLiteral("n"),
                                        QStringLiteral("2"));
    const QCommandLineOption firstOption(
        QStringLiteral("first"), QStringLiteral("The first seed of a long run."), QStringLiteral("seed"));
    const QCommandLineOption ignoreOption(
        QStringLiteral("ignore"), QStringLiteral("Checks not counted (a known fault), comma-separated."),
        QStringLiteral("checks"));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
                                         QStringLiteral("With --run: what each step changed, and its time."));
    parser.addOptions({runOption, onlyOption, stepsOption, longOption, timeOption, jobsOption, firstOption,
                       ignoreOption, traceOption});
    parser.process(app);
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList ignored = parser.value(ignoreOption).split(u',', Qt::SkipEmptyParts);

    if (parser.isSet(runOption)) {
        QList<int> steps;
        if (parser.isSet(onlyOption)) {
            for (const QString &s : parser.value(onlyOption).split(u',', Qt::SkipEmptyParts))
                steps << s.toInt();
        } else {
            steps = firstSteps(parser.value(stepsOption).toInt());
        }
        return runHere(parser.value(runOption).toULongLong(), steps, ignored, parser.isSet(traceOption));
    }
    if (parser.isSet(longOption)) {
        const std::uint64_t first = parser.isSet(firstOption)
                                        ? parser.value(firstOption).toULongLong()
                                        : std::uint64_t(QDateTime::currentMSecsSinceEpoch());
        return runLong(program, parser.value(timeOption).toInt(),
                       std::max(1, parser.value(jobsOption).toInt()), parser.value(stepsOption).toInt(),
                       first, ignored);
    }
    return runFixed(program);
}
