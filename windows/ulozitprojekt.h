#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Answers of the save prompt.
enum : int { UlozitSave = 1, UlozitCancel = 2, UlozitSaveAs = 4 };

// The save prompt before a write to the system: save, save as or cancel.
class TUlozitProjekt : public QDialog
{
    Q_OBJECT
public:
    explicit TUlozitProjekt(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Image1;
    QPushButton *BitBtn1; // save, 1
    QPushButton *BitBtn2; // save as, 4
    QPushButton *BitBtn3; // cancel, 2

    // Escape and the frame answer Cancel.
    void reject() override { done(UlozitCancel); }

protected:
    void showEvent(QShowEvent *event) override;
};

// The texts the write command shows: caption 144, the save button 145, the
// two lines 146 and 147, cancel 30.
void FillSavePromptTexts(TUlozitProjekt &Prompt);
