#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;

// Modal results the start dialog closes with.
enum : int { WizardResultCancel = 2, WizardResultChoice = 5 };

// Choice codes of the start dialog (0: none was chosen).
enum TWizardChoice : int {
    wcNone = 0,
    wcSettings = 1,
    wcImportACF = 2,
    wcImportCFG = 3,
    wcOpenUNI = 4,
    wcNewProject = 5,
    wcReadSystem = 6,
    wcOpenProject = 7,
};

// One button of the start dialog: its name, caption text number, the modal
// result its click closes with (0: it does not close) and its choice code.
struct TWizardButton {
    const char *Name;
    int TextId;
    int ModalResult;
    int Choice;
};

// Every button in the order of the dialog.
const QList<TWizardButton> &WizardButtons();

// The entry of a button name; null for an unknown name.
const TWizardButton *WizardButton(const QString &Name);

// The seven choice buttons, disabled when there is no board-type list.
QStringList WizardChoiceButtonNames();

// The start dialog: the ways to begin work when no configuration is loaded.
class TWizard : public QDialog
{
    Q_OBJECT
public:
    explicit TWizard(QWidget *parent = nullptr);

    QLabel *verzia;
    QGroupBox *GroupBox1;
    QPushButton *BitBtn1;
    QPushButton *BitBtn3;
    QPushButton *BitBtn4;
    QPushButton *BitBtn5;
    QPushButton *BitBtn11;
    QGroupBox *GroupBox2;
    QPushButton *BitBtn6;
    QPushButton *BitBtn2;
    QPushButton *BitBtn7;
    QPushButton *BitBtn8;
    QPushButton *BitBtn9;

    // The choice code, 0 until a choice button is clicked.
    int Choice() const { return choice_; }

    // The full file version the about button shows (the program's by default).
    QString FileVersion;

    // The button of a name ("BitBtn4"), null for another name.
    QPushButton *Button(const QString &Name) const;

    // Enables or disables the seven choice buttons (no board-type list, or
    // the relay link failed); close, about and help stay.
    void EnableChoices(bool Enable);

    void BitBtn9Click(); // about
    void BitBtn11Click(); // help

    // Closed by its frame or Escape: Cancel, no choice.
    void reject() override { done(WizardResultCancel); }

private:
    void FormCreate();
    void buttonClicked(const TWizardButton &entry);
    int choice_ = 0;
};
