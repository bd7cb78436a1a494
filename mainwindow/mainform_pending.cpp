// Routines of the main window whose areas are built elsewhere. Each stands in
// until its area lands: move the body into that area's own file and delete it here.
#include "mainwindow/mainform.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include "comm/com_orva.h"
#include "model/objekty.h"
#include "mainwindow/speedbutton.h"
#include "platform/timing.h"

// ---- start action, projects, network --------------------------------------------------

// The start dialog's choices whose commands are not built yet.
void TMainForm1::Config1Click() { RunCommand(QStringLiteral("Config1")); }

// ---- card buttons and consoles -----------------------------------------------------------

void TMainForm1::DoskaContextPopup(int slot, const QPoint &globalPos)
{
    ContextTarget = slot;
    ContextCard = nullptr;
    CardTypeMenu->popup(globalPos);
}

void TMainForm1::PMClick(const QString &className) { Q_UNUSED(className); }

void TMainForm1::PopupMenu1Popup()
{
    // Both board menus: their items only with a configuration; the two
    // browsing items never.
    for (QMenu *menu : {PopupMenu1, CardTypeMenu}) {
        if (!menu)
            continue;
        for (QAction *a : menu->actions())
            a->setVisible(APult != nullptr && a != predchadzajuca && a != dalsia);
    }
}

// ---- console layout ---------------------------------------------------------------------

// Until the layout change lands: the consoles take the layout and the console
// buttons show it; open windows keep the pages they were built with.
void TMainForm1::RefreshMdiChilds()
{
    ShowModified();
    if (APult)
        for (int p = 0; p < 2; ++p)
            if (TPult *c = APult->Pulty[p].get()) {
                c->TypPultu = PultTyp[p];
                c->PocetObrazoviek = PultScreens[p];
            }
    UpdatePultButtons(0);
    UpdatePultButtons(1);
}

// ---- status timer, menus, windows ---------------------------------------------------------

void TMainForm1::comunication1Click()
{
    if (Timer2->isActive())
        ShowLogPanel(!Panel2->isVisible());
    MenuClick();
}

// ---- menu commands ---------------------------------------------------------------------

void TMainForm1::RunCommand(const QString &name)
{
    if (name == QLatin1String("ReadConfig"))
        return ReadConfigClick();
    if (name == QLatin1String("Help1"))
        return HelpClick();
    if (name == QLatin1String("History1"))
        return History1Click();
    if (name == QLatin1String("About2"))
        return About1Click();
    if (name == QLatin1String("miHelp"))
        return miHelpClick();
    if (name == QLatin1String("KonverziaACF"))
        return KonverziaACFClick();
    if (name == QLatin1String("KonverziaCFG"))
        return KonverziaCFGClick();
    if (name == QLatin1String("NacitaniezUNI1"))
        return readcfg1Click();
    // Commands not built yet: Config1, Uloipult0akoPC1,
    // Uloipult1akoPC1, UlozitpultyakoPC1, Delete2,
    // predchadzajuca, dalsia, sbTimeKeeper.
    Q_UNUSED(name);
}
