#pragma once

#include <QString>

// Where the program lives and where it may write.
namespace platform {

// The folder of the executable: LANG.DLL, help pages and history files.
QString ProgramFolder();

// Overrides the program folder (tests); an empty text restores the default.
void SetProgramFolder(const QString &folder);

// The folder that files the program writes go to: the program folder when it
// is writable, else $XDG_DATA_HOME/Kelvara (default ~/.local/share/Kelvara).
// Created when missing.
QString WriteFolder();

// Full path for a file or sub-folder the program writes ("cfg.ini", "log", ...).
QString WritePath(const QString &name);

} // namespace platform
