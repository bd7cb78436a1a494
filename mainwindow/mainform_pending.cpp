// Menu commands reached by name (the start dialog's choices) and the log-panel item.
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
    if (name == QLatin1String("Config1"))
        return Config1Click();
    if (name == QLatin1String("Delete2"))
        return Delete2Click();
    if (name == QLatin1String("Uloipult0akoPC1"))
        return Uloipult0akoPC1Click();
    if (name == QLatin1String("Uloipult1akoPC1"))
        return Uloipult1akoPC1Click();
    if (name == QLatin1String("UlozitpultyakoPC1"))
        return UlozitpultyakoPC1Click();
    // The other commands have their own connections.
}
