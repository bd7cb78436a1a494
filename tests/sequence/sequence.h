#pragma once

// A stateful test of the real main window: a generator picks user commands
// one after another and drives them with real events; every question and
// file dialog is answered by the generator too. After every step the program
// is checked for lost work. The choices come from a seeded generator (the
// ctest run and the long run) or from a fuzzer's input bytes.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <random>

namespace sequence
{

// Where the choices come from.
class TChooser
{
public:
    virtual ~TChooser() = default;
    // A number from 0 to count - 1 (count > 0).
    virtual int Pick(int count) = 0;
    bool Chance(int percent) { return Pick(100) < percent; }
};

// The choices of one step of a seeded run: they depend on the seed and the
// step's number only, so a run replayed with steps left out makes the same
// choices in the steps it keeps.
class TSeededChooser : public TChooser
{
public:
    TSeededChooser(std::uint64_t seed, int step);
    int Pick(int count) override;

private:
    std::mt19937_64 random_;
};

// The check that failed, and what it saw.
struct TFailure {
    QString check; // empty: none failed
    QString detail;
};

class TRig;

// One program under test, in a folder of its own with the project and
// import files it works on. The program may be ended (Exit) and started
// again within one session.
class TSession
{
public:
    TSession();
    ~TSession();
    TSession(const TSession &) = delete;
    TSession &operator=(const TSession &) = delete;

    // Checks named here are not counted (to look past a known fault).
    void Ignore(const QStringList &checks);
    // Prints to standard error what each step changed of the engineer's work.
    void Trace(bool on);
    // Prints each action to standard output as it happens.
    void Live(bool on);
    // The folder and the first main window were made.
    bool Ok() const;
    // Runs one command and checks the program after it; false when a check failed.
    bool Step(TChooser &chooser);
    // What the last step did, in the user's words.
    QString LastStep() const;
    const TFailure &Failure() const;

private:
    std::unique_ptr<TRig> rig_;
};

} // namespace sequence
