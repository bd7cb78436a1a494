#pragma once

#include <QString>

class TAPult;
class TConsoleHost;

// Opening and closing the console windows of a configuration, for the main
// window (its Nove, NovyPult and CloseAllConsoles).

// Opens the windows of all consoles. False, with the configuration freed and
// language text 113 shown, when a card named in the project cannot be created;
// false without a configuration.
bool OpenConsoleWindows(TConsoleHost &host, const QString &prefix, const QString &text, bool upgraded,
                        TAPult *config);

// Opens the window of one console (a newly connected one).
bool OpenConsoleWindow(TConsoleHost &host, int consoleNo, const QString &prefix, TAPult *config,
                       const QString &text);

// Closes every console window, last first, and then frees the configuration.
// True when none remains. A second call while one runs returns at once. The
// console-closing flag is clear while it runs, so the windows' close questions
// do not start another close of all.
bool CloseAllConsoleWindows(TConsoleHost &host);
