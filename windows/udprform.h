#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <memory>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

// Where the docked status window sits: at the bottom right corner of the main
// window, above its status bar (frame geometries).
QPoint DockedStatusPosition(const QRect &MainFrame, const QSize &StatusFrame, int StatusBarHeight);

// The rule that a user's drag of the docked window undocks it: the first few
// moves (placement at start) never do, nor moves made by docking itself.
// Moves reach the window after the call that made them, so a move to the
// place docking chose counts as docking too.
struct TDockMoveState {
    std::uint8_t DockMove = 1; // 0 while the window docks itself
    std::uint8_t Counter = 0;  // counts moves up to 3
    bool HasPlaced = false;
    QPoint Placed;             // where docking last put the window
    // One move of the window to Position; true when Dock is to be unchecked.
    bool OnMove(bool IsActiveWindow, const QPoint &Position);
    void Docked(const QPoint &Position)
    {
        HasPlaced = true;
        Placed = Position;
    }
};

// The status window of network mode: the relay's and the FTP client's log and
// the buttons of the network mode. Closing only hides it.
class TUDPRForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TUDPRForm1(QWidget *parent = nullptr);
    ~TUDPRForm1() override;

    // The log object the window keeps (disabled); its lines go nowhere.
    class TPrFace
    {
    public:
        bool Enabled = true;
        // "yyyy / mm /dd hh:nn:ss - text" when the flag is set, else empty.
        QString Print(bool Flag, const QString &Text) const;
    };

    QPlainTextEdit *M;
    QWidget *Panel2;
    QPushButton *Button4; // "PRECHOD DO CFG", tag 3
    QPushButton *Button1; // "CFG OFF", tag 5
    QPushButton *Button7; // "Read"
    QPushButton *Button8; // "Write"
    QCheckBox *CheckBox1; // "Dock"
    QCheckBox *CheckBox2; // "On top"

    TPrFace *LogFace() const { return face_.get(); }
    const TDockMoveState &DockState() const { return dock_; }

    // Appends a line; a caret the user placed elsewhere keeps its place.
    void AppendLine(const QString &Text);
    void ClearLog();

    // The main window this window docks to, and its status bar height.
    void SetDockTarget(QWidget *MainWindow, int StatusBarHeight);
    // Moves the window into its docked place when Dock is checked; true when placed.
    bool PlaceStatusWindow();

    // The menu entry's click: shows the window and brings it to the front.
    void StatusWindowClick();

    // While a network read or write runs, the four buttons are off: no relay
    // command and no second operation lands in the middle of it.
    void SetOperationRunning(bool Running);

    void Button4Click(QPushButton *Sender);
    void CheckBox1Click();
    void CheckBox2Click();

signals:
    // A relay command: code and text (the button's tag and "SetMod ").
    void SendNetCommand(int Code, const QString &Text);
    void ReadConfigByNet();
    void WriteConfigByNet();

protected:
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<TPrFace> face_;
    TDockMoveState dock_;
    friend bool PlaceStatusWindow(TUDPRForm1 *, const QWidget *, int);
    QWidget *mainWindow_ = nullptr;
    int statusBarHeight_ = 0;
};

// The main window's routine: docks the status window at the main window's
// bottom right when it exists and Dock is checked; true when placed.
bool PlaceStatusWindow(TUDPRForm1 *Status, const QWidget *MainWindow, int StatusBarHeight);
