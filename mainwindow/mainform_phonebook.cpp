// The phone book of the console in the active console window.
#include "mainwindow/mainform.h"

#include "dialogue/dialogue.h"
#include "model/objekty.h"
#include "windows/telzoznam.h"

void TMainForm1::miTelZoznamClick()
{
    if (Dialogue().OperationMode != opmode::Idle || !APult || !ActiveConsoleWindow())
        return;
    TPult *console = ActivePult();
    if (!console)
        return;
    MenuClick();
    if (EditPhoneBook(this, *console).Modified)
        ModifiedFlag = 1;
}
