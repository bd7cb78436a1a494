#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QObject;

// Stand-in for the platform's HTML help library. The "library" is the folder
// of help pages beside the program (ProgramFolder() + "/help", with its
// contents page index.html); its entry point is the help viewer that the user
// interface registers. Both are looked up on the first request and again after
// a failed one.
namespace platform {

// Commands of the help entry point, numbered as the library numbers them.
enum HtmlHelpCommand : unsigned {
    HH_DISPLAY_TOPIC = 0,  // data 0: the default topic (the contents page)
    HH_DISPLAY_TOC = 1,    // the table of contents
    HH_HELP_CONTEXT = 15,  // data: a context number of the topic table
    HH_CLOSE_ALL = 18,     // closes every help window
    HH_INITIALIZE = 28,    // data: address of the cookie to fill
    HH_UNINITIALIZE = 29,  // data: the cookie
};

// The entry point: caller window, help file, command, data; its result is the
// request's result (0 when nothing was shown).
using HtmlHelpEntry =
    std::function<std::intptr_t(QObject *window, const QString &file, unsigned command, std::uintptr_t data)>;

// Failure texts of the first request, raised as std::runtime_error.
inline const char *const HelpNotInstalledText = "Help system not installed!\r HTMLHELP cannot displayed!";
inline const char *const HelpEntryMissingText = "Function HTMLHELP cannot loaded!";

// Registers the entry point (the user interface's viewer); an empty one removes it.
void RegisterHtmlHelpEntry(HtmlHelpEntry entry);

// The program's help file: ProgramFolder() + "/Kelvara.chm".
QString HelpFile();

// The folder of help pages a help file stands for: a ".chm" name gives the
// folder "help" beside it; any other name is taken as the folder itself.
QString HelpPagesFolder(const QString &file);

// Loads the library on the first call (throws std::runtime_error with one of
// the texts above when it cannot; it stays unloaded and the next call tries
// again), then passes the request to the entry point.
std::intptr_t ShowHtmlHelp(QObject *window, const QString &file, unsigned command, std::uintptr_t data);

// Uninitialises and unloads the library when it was loaded.
void CloseHtmlHelp();

bool HtmlHelpLoaded();

} // namespace platform
