// Saving consoles as PC console files, the hidden keyboard items, the quiet
// switch's repeated read and the accessors of the configuration.
#include "mainwindow/mainform.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QThread>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/consolefiles.h"
#include "mainwindow/mainform_dialogue.h"
#include "model/objekty.h"
#include "windows/mdichild.h"

// ---- hidden items -------------------------------------------------------------------------

void TMainForm1::CreateHiddenItems()
{
    auto item = [this](QAction *&action, const char *name, const QList<QKeySequence> &keys,
                       void (TMainForm1::*handler)()) {
        action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        QWidget::addAction(action); // in no menu: reached by its keys only
        connect(action, &QAction::triggered, this, [this, name, handler] { Guard(name, [this, handler] { (this->*handler)(); }); });
    };
    item(povolit, "povolit", {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P)}, &TMainForm1::povolitClick);
    item(dalsiakarta1, "dalsiakarta1", {}, &TMainForm1::dalsiakarta1Click);
    item(dalsialinka1, "dalsialinka1", {}, &TMainForm1::dalsialinka1Click);
    item(dalsiavolnakarta1, "dalsiavolnakarta1", {}, &TMainForm1::dalsiavolnakarta1Click);
    item(predchadzajucavolnakarta1, "predchadzajucavolnakarta1", {}, &TMainForm1::predchadzajucavolnakarta1Click);
    item(prepni1, "prepni1",
         {QKeySequence(Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::SHIFT | Qt::Key_Tab)},
         &TMainForm1::prepni1Click);
    // Until Ctrl+Alt+P: Shift+Tab keeps moving the focus backwards.
    for (QAction *a : {dalsiakarta1, dalsialinka1, dalsiavolnakarta1, predchadzajucavolnakarta1, prepni1})
        a->setEnabled(false);
    connect(test, &QPushButton::clicked, this, [this] { Guard("testClick", [this] { testClick(); }); });
}

void TMainForm1::povolitClick()
{
    for (QAction *a : {dalsiakarta1, dalsialinka1, dalsiavolnakarta1, predchadzajucavolnakarta1, prepni1})
        a->setEnabled(!a->isEnabled());
}

// Hidden service items that Ctrl+Alt+P enables; they have no action of their own.
void TMainForm1::dalsiakarta1Click() {}
void TMainForm1::dalsialinka1Click() {}
void TMainForm1::dalsiavolnakarta1Click() {}
void TMainForm1::predchadzajucavolnakarta1Click() {}

void TMainForm1::prepni1Click()
{
    if (!rozForm)
        return;
    rozForm->activateWindow();
    rozForm->setFocus(Qt::ShortcutFocusReason);
}

void TMainForm1::testClick()
{
    // A click while the loop runs ends it: the caption goes, and with it the quiet switch.
    static bool running = false;
    if (running) {
        test->setText(QString());
        return;
    }
    running = true;
    test->setText(QString::number(TestRuns));
    while (!test->text().isEmpty() && Dialogue().OperationMode != opmode::Exit) {
        const TDialogue &e = Dialogue();
        if (e.Kom == 0 && e.ktKrok == 0) {
            ++TestRuns;
            ReadFromSystemClick();
            if (!test->text().isEmpty())
                test->setText(QString::number(TestRuns));
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    running = false;
}

// ---- accessors -------------------------------------------------------------------------------

QString TMainForm1::GetPultName() const
{
    const TPult *p = ActivePult();
    return APult && p ? p->FNGSMR : QString();
}

void TMainForm1::SetPultName(const QString &name)
{
    TPult *p = ActivePult();
    if (p && p->FNGSMR != name) {
        p->FNGSMR = name;
        ModifiedFlag = 1;
    }
}

QString TMainForm1::GetSystemTypeText() const
{
    return ConsoleFiles::SystemTypeText(APult, LoadStrDll(233), LoadStrDll(234), LoadStrDll(235));
}

void TMainForm1::SetSystemType(Byte type)
{
    if (APult && APult->TypSystemu != type) {
        APult->TypSystemu = type;
        ModifiedFlag = 1;
    }
}

bool TMainForm1::PultHasKindRKey(int console) const { return ConsoleFiles::PultHasKindRKey(APult, console); }

bool TMainForm1::TakeKeyNamesFromPcRecord(const TPcRecord &record, int console)
{
    if (!APult || !ConsoleFiles::TakeKeyNamesFromPcRecord(*APult, record, console))
        return false;
    ModifiedFlag = 1;
    return true;
}

// ---- consoles as PC console files ------------------------------------------------------------

void TMainForm1::Uloipult0akoPC1Click() { SaveConsolesAsPc(0); }
void TMainForm1::Uloipult1akoPC1Click() { SaveConsolesAsPc(1); }
void TMainForm1::UlozitpultyakoPC1Click() { SaveConsolesAsPc(-1); }

void TMainForm1::SaveConsolesAsPc(int n)
{
    const QString extension = n < 0 ? QStringLiteral("uni") : QStringLiteral("cfg");
    const QString base = !ProjectName.isEmpty() && ProjectName != LoadStrDll(2) ? ProjectName : LastFileName;
    QString name = ConsoleFiles::ProposedFileName(base, QStringLiteral(".") + extension);
    QFileDialog &dialog = *SaveDialog1;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    dialog.setNameFilters({QStringLiteral("*.") + extension});
    if (!name.isEmpty()) {
        dialog.setDirectory(QFileInfo(name).absolutePath());
        dialog.selectFile(QFileInfo(name).fileName());
    }
    if (!RunFileDialog(dialog, name) || !APult)
        return;
    auto &save = DialogueSide().Engine().SaveToPcHook;
    if (!save)
        return;
    for (int c = 0; c < ConsoleCount; ++c) {
        if (n >= 0 ? c != n : !(APult->Pulty[c] && APult->Pulty[c]->TypPultu != 0))
            continue;
        if (!save(c, name))
            return; // the failure has been shown
    }
}
