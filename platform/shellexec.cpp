#include "platform/shellexec.h"

#include <QProcess>

namespace platform {
namespace {

ShellOpenHandler &handler()
{
    static ShellOpenHandler h;
    return h;
}

bool xdgOpen(const QString &target)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

} // namespace

void SetShellOpenHandler(ShellOpenHandler h) { handler() = std::move(h); }

bool HasShellOpenHandler() { return bool(handler()); }

bool ShellExecute(const QString &verb, const QString &target)
{
    if (verb.compare(QStringLiteral("open"), Qt::CaseInsensitive) != 0 || target.isEmpty())
        return false;
    if (handler())
        return handler()(target);
    return xdgOpen(target);
}

} // namespace platform
