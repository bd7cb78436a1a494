#include "platform/htmlhelp.h"

#include "platform/programfolder.h"

#include <QFileInfo>
#include <stdexcept>

namespace platform {
namespace {

struct HelpLibrary {
    HtmlHelpEntry registered; // what the user interface offers
    HtmlHelpEntry entry;      // the entry in use while loaded
    bool loaded = false;
    std::uintptr_t cookie = 0;
};

HelpLibrary &library()
{
    static HelpLibrary lib;
    return lib;
}

void load()
{
    HelpLibrary &lib = library();
    const QString contents = ProgramFolder() + QStringLiteral("/help/index.html");
    if (!QFileInfo(contents).isFile())
        throw std::runtime_error(HelpNotInstalledText);
    if (!lib.registered)
        throw std::runtime_error(HelpEntryMissingText);
    lib.entry = lib.registered;
    lib.loaded = true;
    lib.cookie = 0;
    lib.entry(nullptr, QString(), HH_INITIALIZE, reinterpret_cast<std::uintptr_t>(&lib.cookie));
}

} // namespace

void RegisterHtmlHelpEntry(HtmlHelpEntry entry) { library().registered = std::move(entry); }

QString HelpFile() { return ProgramFolder() + QStringLiteral("/Kelvara.chm"); }

QString HelpPagesFolder(const QString &file)
{
    if (file.endsWith(QStringLiteral(".chm"), Qt::CaseInsensitive)) {
        const QFileInfo info(file);
        return info.path() + QStringLiteral("/help");
    }
    return file;
}

std::intptr_t ShowHtmlHelp(QObject *window, const QString &file, unsigned command, std::uintptr_t data)
{
    HelpLibrary &lib = library();
    if (!lib.loaded)
        load();
    return lib.entry(window, file, command, data);
}

void CloseHtmlHelp()
{
    HelpLibrary &lib = library();
    if (!lib.loaded)
        return;
    lib.entry(nullptr, QString(), HH_UNINITIALIZE, lib.cookie);
    lib.entry = nullptr;
    lib.loaded = false;
    lib.cookie = 0;
}

bool HtmlHelpLoaded() { return library().loaded; }

} // namespace platform
