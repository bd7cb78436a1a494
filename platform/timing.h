#pragma once

namespace platform {

// Every timer that tests wait on (answer watchdog, status timer, inter-byte
// time-out, network waits) takes its interval from here. Production keeps the
// given value; tests set a scale (or KELVARA_TIME_SCALE=0.01) to run fast.
int ScaledInterval(int milliseconds);

// Sets the scale factor (1.0 = production). Never below 0.001.
void SetTimeScale(double scale);
double TimeScale();

} // namespace platform
