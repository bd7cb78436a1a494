#include "tests/sequence/sequence.h"

#include "tests/sequence/rig.h"

namespace sequence
{

TSeededChooser::TSeededChooser(std::uint64_t seed, int step)
{
    std::seed_seq sequence{std::uint32_t(seed), std::uint32_t(seed >> 32), std::uint32_t(step)};
    random_.seed(sequence);
}

int TSeededChooser::Pick(int count)
{
    if (count <= 1)
        return 0;
    return int(random_() % std::uint64_t(count));
}

TSession::TSession() : rig_(std::make_unique<TRig>()) {}

TSession::~TSession() = default;

void TSession::Ignore(const QStringList &checks)
{
    rig_->ignored = checks;
}

void TSession::Trace(bool on)
{
    rig_->trace = on;
}

void TSession::Live(bool on)
{
    rig_->live = on;
}

bool TSession::Ok() const
{
    return rig_->ok;
}

bool TSession::Step(TChooser &chooser)
{
    return rig_->Step(chooser);
}

QString TSession::LastStep() const
{
    return rig_->lastStep;
}

const TFailure &TSession::Failure() const
{
    return rig_->failure;
}

} // namespace sequence
