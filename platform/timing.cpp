#include "platform/timing.h"

#include <QString>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform {
namespace {

double initialScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("KELVARA_TIME_SCALE").toDouble(&ok);
    return ok && scale > 0 ? std::max(scale, 0.001) : 1.0;
}

std::atomic<double> &scaleValue()
{
    static std::atomic<double> value{initialScale()};
    return value;
}

} // namespace

int ScaledInterval(int milliseconds)
{
    const double scale = scaleValue().load();
    if (scale == 1.0)
        return milliseconds;
    return std::max(1, int(std::lround(milliseconds * scale)));
}

void SetTimeScale(double scale) { scaleValue().store(std::max(scale, 0.001)); }

double TimeScale() { return scaleValue().load(); }

} // namespace platform
