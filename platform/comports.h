#pragma once

#include <QString>

namespace platform {

// COM n (1..8) to a device path: /dev/ttyS(n-1) unless KELVARA_COMn names another.
QString ComPortDevice(int number);

} // namespace platform
