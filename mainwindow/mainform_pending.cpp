// Routines of the main window whose areas are built elsewhere. Each stands in
// until its area lands: move the body into that area's own file and delete it here.
#include "mainwindow/mainform.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include "comm/com_orva.h"
#include "mainwindow/speedbutton.h"
#include "platform/timing.h"

// ---- start action, projects, network --------------------------------------------------

// The start dialog's choices whose commands are not built yet.
void TMainForm1::KonverziaACFClick() { RunCommand(QStringLiteral("KonverziaACF")); }
void TMainForm1::KonverziaCFGClick() { RunCommand(QStringLiteral("KonverziaCFG")); }
void TMainForm1::readcfg1Click() { RunCommand(QStringLiteral("NacitaniezUNI1")); }
void TMainForm1::ReadConfigClick() { ReadFromSystemClick(); }


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
        return ReadFromSystemClick();
    if (name == QLatin1String("Help1"))
        return HelpClick();
    if (name == QLatin1String("History1"))
        return History1Click();
    if (name == QLatin1String("About2"))
        return About1Click();
    if (name == QLatin1String("miHelp"))
        return miHelpClick();
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
    // New1, Open1 and Save1 have their own connections (mainform_project.cpp).
    // SaveNew1, WriteConfig, Nacitaniedosiek1,
    // KonverziaACF, KonverziaCFG, NacitaniezUNI1, Report2, Print1, PrintEmpty1,
    // PrintAll1, PrintOriginal1, Kopirujpult121, Kopirujpult211,
    // miTelZoznam, VymazatPult, Odlozitakualnukonfiguraciu1,
    // Porovnatsodlozenoukonfiguraciou1, Zlucitsodlozenou1,
    // predchadzajuca, dalsia, sbTimeKeeper.
    Q_UNUSED(name);
}
