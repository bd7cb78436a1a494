#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "cardpack/sablona.h"
#include "model/objekty.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

// Modal results of the new-console dialog.
enum : int { NovyPultCancel = 2, NovyPultRead = 6, NovyPultNoRead = 7 };

// The console set-up the main window keeps: type (0 not connected, 1 PC
// console, 2 mechanical console) and screen count of consoles 0 and 1.
struct TConsoleSetup {
    std::array<Byte, 2> Typ{0, 0};
    std::array<Byte, 2> Obrazovky{1, 1};
    bool operator==(const TConsoleSetup &) const = default;
};

// The most screens a console type has: 1 for type 0, else 224 keys over the
// keys per screen of the type, rounded up (1 when no keys per screen are known).
int ScreenLimit(int Type, int KeysPerScreenPC, int KeysPerScreenMech);

// One console's choice as the dialog applies it.
struct TScreenChoice {
    int Type = 0;
    int Minimum = 1;
    int Maximum = 1;
    int Value = 1;
    bool SpinEnabled = false;
    bool operator==(const TScreenChoice &) const = default;
};

// A chosen type and screen count checked against the limits: in fixed
// two-screen mode a mechanical console becomes a PC console and every console
// has 2 screens; otherwise the value is kept within 1 and the type's limit.
TScreenChoice NastavChoice(int Type, int Value, bool TwoScreens, int KeysPerScreenPC, int KeysPerScreenMech);

// The new configuration before the dialog is shown: both consoles created
// from the set-up, system type 0, named after the program's own file.
std::unique_ptr<TAPult> CreateNewConfiguration(const TConsoleSetup &Setup, const QString &ProgramPath);

// Puts one console's choice into the configuration.
void ApplyConsoleChoice(TAPult &Config, int Console, const TScreenChoice &Choice);

// The go-ahead buttons are enabled when some console is connected.
bool AnyConsoleConnected(const TAPult &Config);

// The go-ahead click: two consoles, the system type, ring time-out off, and
// 224 new unconfigured keys in each console.
void FinishNewConfiguration(TAPult &Config, bool Prepojovac);

// The set-up a configuration's consoles hold (what the caller copies back).
TConsoleSetup ConsoleSetupOf(const TAPult &Config);

// The new-console dialog: which consoles are connected and, for some board
// lists, the system type; it builds the new, empty configuration.
class TNovyPult : public QDialog
{
    Q_OBJECT
public:
    TNovyPult(QWidget *Owner, int KeysPerScreenPC, int KeysPerScreenMech, bool ShowSystem, bool TwoScreens,
              const TConsoleSetup &Setup = TConsoleSetup());
    ~TNovyPult() override;

    QLabel *Label2;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QGroupBox *RadioGroup1;
    QGroupBox *RadioGroup2;
    QSpinBox *SpinEdit1;
    QSpinBox *SpinEdit2;
    QPushButton *Nacitanie;
    QPushButton *BezCitania;
    QPushButton *Koniec;
    QWidget *pSystemZP;
    QLabel *lSystem;
    QRadioButton *rbZapojovac;
    QRadioButton *rbPrepojovac;
    QLabel *lSystemHint;

    // The selected item of a console's radio group (0, 1 or 2).
    int RadioIndex(int Console) const;
    void SetRadioIndex(int Console, int Index);

    // Shows a console set-up (types and screen counts) and applies it.
    void ShowSetup(const TConsoleSetup &Setup);

    // The caller's button variants: without the first, BezCitania is hidden
    // and Nacitanie reads language text 31; without the second, Koniec reads 30.
    void ApplyButtonFlags(bool ShowFirst, bool ShowSecond);

    // Applies one console's choice (radio group and spin edit of console 0 or 1).
    void Nastav(int Console);
    void NacitanieClick();

    // The configuration built, until the caller takes it.
    TAPult *Configuration() const { return FNovaKonfiguracia.get(); }
    std::unique_ptr<TAPult> TakeConfiguration() { return std::move(FNovaKonfiguracia); }

    void reject() override { done(NovyPultCancel); }

    const int FKeysPerScreenPC;
    const int FKeysPerScreenMech;
    const bool FShowSystem;
    const bool FTwoScreens;

protected:
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void FormCreate(const TConsoleSetup &Setup);
    QSpinBox *spin(int Console) const { return Console == 0 ? SpinEdit1 : SpinEdit2; }
    std::array<QButtonGroup *, 2> groups_{};
    std::unique_ptr<TAPult> FNovaKonfiguracia;
};
