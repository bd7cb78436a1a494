// The console layout change: the configuration and the console windows follow
// the console types and screen counts the main window holds.
#include "mainwindow/mainform.h"

#include <QCoreApplication>
#include <QMdiArea>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "editing/layoutchange.h"
#include "mainwindow/consolehostimpl.h"
#include "mainwindow/keycontrolsobserver.h"
#include "model/objekty.h"
#include "windows/colorbutton.h"
#include "windows/keyedit.h"
#include "windows/mdichild.h"

namespace
{

QList<TMDIChild *> windowsOf(QMdiArea *area, int console)
{
    QList<TMDIChild *> list;
    const QString name = QStringLiteral("Pult%1").arg(console);
    if (area)
        for (QMdiSubWindow *w : area->subWindowList())
            if (auto *c = qobject_cast<TMDIChild *>(w); c && c->objectName() == name && c->ConsoleNo == console)
                list.append(c);
    return list;
}

} // namespace

void TMainForm1::ClearKeyControl(int console, int key)
{
    for (TMDIChild *w : windowsOf(MdiArea, console))
        if (TColorButton *b = w->GetButton(key)) {
            b->SetCaption(QString());
            b->SetHint(QString());
            b->SetColor(ColorFromTColor(BindingColors::Normal));
        }
}

void TMainForm1::ConsoleChanging(int console)
{
    if (ConsoleHostImpl)
        TKeyEditor::ConsoleChangedOutside(ConsoleHostImpl->ConsoleWindows(), console);
}

void TMainForm1::SetKeyFont(const QFont &font)
{
    KeyFont = font;
    if (ConsoleHostImpl)
        for (TMDIChild *w : ConsoleHostImpl->ConsoleWindows())
            w->SetKeyFont(font);
}

void TMainForm1::RefreshMdiChilds()
{
    // A pending move must not see its keys rebuilt or dropped under it.
    ConsoleChanging();
    // The windows of a disconnected console are asked to close: whatever the
    // answer, the windows that stay ask again at their next close.
    TCloseRound round(*this);
    ModifiedFlag = 1;
    TAPult &config =
        LayoutChange::EnsureConfiguration(APult, QCoreApplication::applicationFilePath(), Zoznam.get());
    LayoutChange::EnsureConsoles(config);
    TClearedKeyControls lost(*this);

    // Disconnected consoles: their windows are asked to close, the console is cleared.
    for (int n = 0; n < ConsoleCount; ++n) {
        TPult &p = *config.Pulty[n];
        if (PultTyp[n] != 0 || p.TypPultu == 0)
            continue;
        UpdatePultButtons(n);
        bool refused = false;
        for (TMDIChild *w : windowsOf(MdiArea, n)) {
            // Not a close by the user's own hand: it must not close all others.
            const Byte closing = ConsoleClosingFlag;
            ConsoleClosingFlag = 0;
            w->close();
            ConsoleClosingFlag = closing;
            refused = refused || !w->isHidden();
        }
        if (refused) {
            // Cancel at the save question: the console stays as it was,
            // connected, with its keys and its window.
            PultTyp[n] = p.TypPultu;
            PultScreens[n] = p.PocetObrazoviek;
            UpdatePultButtons(n);
            continue;
        }
        ClearConsole(APult, n);
        p.TypPultu = PultTyp[n];
        p.PocetObrazoviek = PultScreens[n];
    }

    bool newlyConnected = false;
    for (int n = 0; n < ConsoleCount; ++n) {
        TPult &p = *config.Pulty[n];
        if (p.TypPultu == PultTyp[n] && p.PocetObrazoviek == PultScreens[n])
            continue;
        UpdatePultButtons(n);
        if (p.TypPultu == 0) {
            p.TypPultu = PultTyp[n];
            p.PocetObrazoviek = PultScreens[n];
            newlyConnected = true;
            NovyPult(n, QStringLiteral("Pult"), APult, LoadStrDll(18));
            continue;
        }
        const int oldCapacity = LayoutChange::Capacity(Zoznam.get(), p.TypPultu, p.PocetObrazoviek);
        const int newCapacity = LayoutChange::Capacity(Zoznam.get(), PultTyp[n], PultScreens[n]);
        // Keys above the new capacity go on both sides of their binding,
        // whether a window shows them or not.
        if (newCapacity < KeyCount)
            LayoutChange::UnbindKeysFrom(config, n, newCapacity, &lost);
        for (TMDIChild *w : windowsOf(MdiArea, n)) {
            const int windowCapacity = LayoutChange::Capacity(Zoznam.get(), w->ConsoleType, w->Tag);
            w->ConsoleType = PultTyp[n];
            w->Tag = PultScreens[n];
            w->FormChange();
            for (int k = std::min(windowCapacity, oldCapacity); k < std::min(newCapacity, KeyCount); ++k) {
                TColorButton *b = w->GetButton(k);
                const TKlavesa *key = p.Klavesy[k].get();
                if (b && key) {
                    b->SetCaption(key->MenoKlavesy);
                    b->SetHint(key->HintKlavesy);
                }
            }
        }
        p.TypPultu = PultTyp[n];
        p.PocetObrazoviek = PultScreens[n];
    }

    if (newlyConnected)
        LayoutChange::ShareBoards(config);
    // A save at the disconnect's question wrote the layout before the change.
    ModifiedFlag = 1;
}
