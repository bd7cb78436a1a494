#include "windows/consoleopen.h"

#include <QPointer>

#include "cardpack/dll_load.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "windows/consolehost.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

namespace
{

bool closingAll = false;

// Cards for the slots the project names (while a project is being opened).
bool createCards(TConsoleHost &host, TAPult &config)
{
    if (host.OperationMode() != 3)
        return true;
    for (int slot = 0; slot < BoardCount; ++slot) {
        const QString &name = config.SlotyDosiek[slot].Meno;
        if (name.isEmpty())
            continue;
        if (!host.CreateCardByName(name, slot))
            return false;
    }
    return true;
}

void failOpen(TConsoleHost &host)
{
    host.FreeCardButtons();
    host.FreeConfiguration();
    host.Prompt().Error(LoadStrDll(113));
}

TMDIChild *openWindow(TConsoleHost &host, const QString &text, const QString &prefix, const TPult &console, int n)
{
    auto *window = new TMDIChild(nullptr, text, prefix, console.TypPultu, n, console.PocetObrazoviek);
    host.AdoptConsoleWindow(window);
    window->show();
    return window;
}

// The cards learn the line types of the project's lines; with `rename` the
// lines take the card's names.
void syncLineTypes(TConsoleHost &host, TPult &console, bool rename, bool upgraded)
{
    for (int b = 0; b < BoardCount; ++b) {
        TDoska *board = console.Dosky[b].get();
        if (!board || board->MenoDosky.isEmpty())
            continue;
        TCardOld *card = host.CardOfSlot(b);
        if (!card)
            continue;
        const QString pos = LinePosName(b);
        for (int i = 0; i < board->PocetLiniek && i < LineCount; ++i) {
            TLinka *line = board->Linky[i].get();
            if (!line || line->MenoLinky.isEmpty())
                continue;
            const Byte known = card->GetTypLinNum(card->GetNameLin(Byte(i)));
            if (known == 254 || known == 255)
                card->SetNameLin(Byte(i), line->MenoLinky.mid(pos.size() + 3));
            if (!rename)
                continue;
            line->MenoLinky = pos + QStringLiteral(" - ") + card->GetNameLin(Byte(i));
            TRLinka *ext = line->RLinky[0].get();
            if (upgraded && ext) {
                ext->MenoRLinky += QStringLiteral(" - ") + card->GetRozsirLinName(Byte(i), 0);
                if (ext->Klavesa < KeyCount)
                    if (TKlavesa *key = console.Klavesy[ext->Klavesa].get())
                        key->MenoLinky = ext->MenoRLinky;
            }
        }
    }
}

void showKeys(TMDIChild &window, const TPult &console, bool withColour)
{
    for (int k = 0; k < KeyCount; ++k) {
        const TKlavesa *key = console.Klavesy[k].get();
        if (!key || key->MenoLinky.isEmpty())
            continue;
        TColorButton *control = window.GetButton(k);
        if (!control)
            continue;
        control->SetCaption(key->MenoKlavesy);
        control->SetHint(key->HintKlavesy);
        control->Tag = k;
        if (withColour)
            control->SetFontColor(ColorFromTColor(std::uint32_t(key->TextColor)));
    }
}

} // namespace

bool OpenConsoleWindows(TConsoleHost &host, const QString &prefix, const QString &text, bool upgraded,
                        TAPult *config)
{
    if (!config)
        return false;
    if (!createCards(host, *config)) {
        failOpen(host);
        return false;
    }
    if (TZoznam *list = host.BoardList()) {
        config->TypDosiek = list->GetType() & 1;
        config->TypNumlinov = list->TypNumlin();
    }
    host.UpdatePultButtons(0);
    host.UpdatePultButtons(1);
    for (int n = ConsoleCount - 1; n >= 0; --n) {
        TPult *console = config->Pulty[n].get();
        if (!console)
            continue;
        TMDIChild *window = console->TypPultu != 0 ? openWindow(host, text, prefix, *console, n) : nullptr;
        syncLineTypes(host, *console, true, upgraded);
        if (window)
            showKeys(*window, *console, true);
    }
    if (upgraded)
        (void)host.Save2FileOrv();
    host.CloseAccepted() = 0;
    return true;
}

bool OpenConsoleWindow(TConsoleHost &host, int consoleNo, const QString &prefix, TAPult *config,
                       const QString &text)
{
    if (!config)
        return false;
    if (!createCards(host, *config)) {
        failOpen(host);
        return false;
    }
    if (TZoznam *list = host.BoardList())
        config->TypDosiek = list->GetType() & 1;
    if (consoleNo < 0 || consoleNo >= ConsoleCount)
        return false;
    TPult *console = config->Pulty[consoleNo].get();
    if (!console || console->TypPultu == 0)
        return false;
    TMDIChild *window = openWindow(host, text, prefix, *console, consoleNo);
    syncLineTypes(host, *console, false, false);
    showKeys(*window, *console, false);
    return true;
}

bool CloseAllConsoleWindows(TConsoleHost &host)
{
    QList<QPointer<TMDIChild>> windows;
    for (TMDIChild *w : host.ConsoleWindows())
        if (w && w->isVisible())
            windows.append(w);
    const bool none = windows.isEmpty();
    if (closingAll)
        return none;
    closingAll = true;
    // While this runs the windows close on our behalf, not by the user's hand.
    const bool wasClosing = host.ConsoleClosing();
    host.SetConsoleClosing(false);
    const auto finish = [&](bool result) {
        host.SetConsoleClosing(wasClosing);
        closingAll = false;
        return result;
    };
    for (int i = windows.size() - 1; i >= 0; --i) {
        if (windows[i])
            windows[i]->close();
        if (!host.CloseAccepted()) {
            host.SetModified(true);
            return finish(false);
        }
        if (i > 0)
            host.Delay(200);
    }
    for (const QPointer<TMDIChild> &w : std::as_const(windows))
        if (w && w->isVisible())
            return finish(false);
    host.CloseAccepted() = 1;
    host.FreeCardButtons();
    host.FreeConfiguration();
    host.SetModified(false);
    host.ClearNewProjectFlag();
    return finish(true);
}
