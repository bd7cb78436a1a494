#pragma once

#include <QDialog>
#include <QMap>
#include <functional>
#include <optional>

#include "editing/colorpalette.h"
#include "editing/keybinding.h"
#include "editing/keyproperties.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMDIChild;

// The key properties dialog, built at run time over its model: one row per
// key-information item the model shows. It only shows and edits; OK's
// changes are applied by ApplyKeyProperties.
class TKeyPropertiesDlg : public QDialog
{
    Q_OBJECT
public:
    TKeyPropertiesDlg(TKeyPropertiesModel &model, QWidget *owner = nullptr);

    TKeyPropertiesModel &Model;

    QMap<int, QLabel *> Labels;            // by item
    QMap<int, QWidget *> Values;           // by item
    QLineEdit *EditMeno = nullptr;         // item 1
    QLineEdit *EditHint = nullptr;         // item 2
    QLineEdit *EditFunkcneCislo = nullptr; // item 3
    QLineEdit *EditMSN = nullptr;          // item 4
    QCheckBox *CheckMSN = nullptr;         // item 5
    QPushButton *ColorButton = nullptr;    // item 23
    QCheckBox *CheckColor = nullptr;       // item 23: apply to the marked keys
    QPushButton *bOK = nullptr;
    QPushButton *bCancel = nullptr;

    // The close query refuses while this is set (a GSM key opened with an
    // empty function number or MSN); OK lifts it.
    bool CloseBlocked() const { return closeBlocked_; }

    void bOKClick();
    void EditFunkcneCisloChange();
    void EditMSNChange();
    void ShowColorDlg();
    // The colour dialog used by ShowColorDlg: modal, answers the chosen
    // colour or none when cancelled. Tests may replace it.
    std::function<std::optional<TColorValue>(TColorValue current)> ChooseColour;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void digitEditChanged(QLineEdit *edit, int maxDigits, int bit);
    void showColour();
    bool closeBlocked_ = false;
};

// Everything a properties call needs besides the dialog.
struct TKeyPropertiesCall {
    TAPult *Config = nullptr;
    int Console = 255;
    int Key = -1;
    Byte ConsoleType = 0;
    TKeyInfoSource *Source = nullptr;
    TBindingServices Binding;                         // cards, modified flag
    QList<int> MarkedCaptioned;                       // marked key controls with a caption
    std::function<void(const QString &)> SetPultName; // the console's function number
    std::function<void()> ReleaseCardButton;
    QWidget *Parent = nullptr;
    // Called with the dialog just before it runs (tests drive it from there).
    std::function<void(TKeyPropertiesDlg &)> Opened;
};

// Vlastnosti1Click without the console window: refreshes B, opens the dialog
// and, after OK, writes the key. None when cancelled or when there is no such key.
std::optional<TKeyPropOutcome> RunKeyProperties(const TKeyPropertiesCall &call);

// The same for key n of a console window: console, type, marked keys and
// parent come from the window, and the outcome is shown on its key controls.
std::optional<TKeyPropOutcome> OpenKeyProperties(TMDIChild *window, int n, TKeyPropertiesCall call);
