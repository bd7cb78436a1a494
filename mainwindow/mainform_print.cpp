// The configuration report and the printed key layouts of the mechanical consoles.
#include "mainwindow/mainform.h"

#include <QLocale>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/configreport.h"
#include "editing/printlayout.h"
#include "windows/printpreview.h"
#include "windows/reportform.h"

void TMainForm1::GenerateReport(const QStringList &Lines)
{
    ShowReport(this, Lines);
}

void TMainForm1::ReportSBClick()
{
    if (Dialogue().OperationMode != opmode::Idle)
        return;
    MenuClick();
    ReclickSelectedCard();
    if (!APult)
        return;
    GenerateReport(ConfigReport::ReportLines(*APult));
}

void TMainForm1::Print1Click(const QString &senderName)
{
    if (Dialogue().OperationMode != opmode::Idle || !APult)
        return;
    const PrintLayout::TTexts texts{windowTitle(), LoadStrDll(189), LoadStrDll(17)};
    const PrintLayout::TReport report =
        PrintLayout::BuildReport(*APult, senderName, texts, PrintLayout::PaperForLocale(QLocale()));
    ShowPrintPreview(this, report, KeyFont);
}
