#include "platform/comports.h"

namespace platform {

QString ComPortDevice(int number)
{
    const QString overridden = qEnvironmentVariable(QStringLiteral("KELVARA_COM%1").arg(number).toLatin1().constData());
    if (!overridden.isEmpty())
        return overridden;
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

} // namespace platform
