// Routines of the main window whose areas are built elsewhere. Each stands in
// until its area lands: move the body into that area's own file and delete it here.
#include "mainwindow/mainform.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include "comm/com_orva.h"
#include "platform/timing.h"

// ---- start action, projects, network --------------------------------------------------

void TMainForm1::EnterNetworkMode() {}

void TMainForm1::RunStartAction(Byte udpFailed) { Q_UNUSED(udpFailed); }

bool TMainForm1::OpenProjectByName(const QString &name)
{
    Q_UNUSED(name);
    return false;
}


void TMainForm1::FreeOwnedLinks()
{
    // Serial link: its threads stop and the port closes.
    delete ComPort;
    ComPort = nullptr;
    // UDP link, export list, FTP client come with network mode and the export.
}

void TMainForm1::CloseHelp() {}

void TMainForm1::FormHelp() {}

// ---- card buttons and consoles -----------------------------------------------------------

void TMainForm1::DoskaContextPopup(int slot, const QPoint &globalPos)
{
    ContextTarget = slot;
    CardTypeMenu->popup(globalPos);
}

void TMainForm1::PMClick(const QString &className) { Q_UNUSED(className); }

void TMainForm1::PopupMenu1Popup() {}

// ---- status timer, menus, windows ---------------------------------------------------------

void TMainForm1::TimerStatusTimer() {}

void TMainForm1::MenuClick() {}

void TMainForm1::Panel1Click() {}

void TMainForm1::PultClick(const QString &senderName)
{
    const int at = senderName.indexOf(QStringLiteral("Pult"));
    if (at < 0)
        return;
    const QString wanted = QStringLiteral("Pult") + senderName.mid(at + 4);
    for (QMdiSubWindow *w : MdiArea->subWindowList())
        if (w->objectName() == wanted || (w->widget() && w->widget()->objectName() == wanted)) {
            MdiArea->setActiveSubWindow(w);
            w->raise();
        }
}

void TMainForm1::Tile1Click() { MdiArea->tileSubWindows(); }

void TMainForm1::Cascade1Click() { MdiArea->cascadeSubWindows(); }

void TMainForm1::StatusBar1DblClick()
{
    TimerStatus->setInterval(platform::ScaledInterval(5000));
    Timer2->start();
}

void TMainForm1::Timer2Timer()
{
    if (TimerStatus->interval() == platform::ScaledInterval(5000)) {
        Timer2->stop();
        TimerStatus->setInterval(platform::ScaledInterval(200));
    }
    Label1->clear();
}

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
    // New1, Open1, Save1, SaveNew1, WriteConfig, Nacitaniedosiek1,
    // KonverziaACF, KonverziaCFG, NacitaniezUNI1, Report2, Print1, PrintEmpty1,
    // PrintAll1, PrintOriginal1, Config1, Kopirujpult121, Kopirujpult211,
    // miTelZoznam, VymazatPult, Odlozitakualnukonfiguraciu1,
    // Porovnatsodlozenoukonfiguraciou1, Zlucitsodlozenou1, Uloipult0akoPC1,
    // Uloipult1akoPC1, UlozitpultyakoPC1, Help1, History1, About2, Delete2,
    // miHelp, predchadzajuca, dalsia, sbTimeKeeper.
    Q_UNUSED(name);
}
