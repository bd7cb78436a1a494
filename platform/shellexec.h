#pragma once

#include <QString>
#include <functional>

// Stand-in for the shell's ShellExecute with the "Open" verb: hands a link or
// file to the desktop's opener.
namespace platform {

// Opens one target; true when it was handed over.
using ShellOpenHandler = std::function<bool(const QString &target)>;

// Replaces the opener (the user interface installs the desktop's, tests a
// recorder); an empty one restores the default, xdg-open.
void SetShellOpenHandler(ShellOpenHandler handler);
bool HasShellOpenHandler();

// Only the "open" verb (any case) is known; an empty target is refused.
// True when the target was handed to the opener and it accepted it.
bool ShellExecute(const QString &verb, const QString &target);

} // namespace platform
