#pragma once

#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

#include "editing/keygrid.h"
#include "editing/keyinfo.h"
#include "model/objekty.h"
#include "windows/colorbutton.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QTabWidget;
class QTimer;
class TConsoleHost;

// The window of one console: its keys as pages of key controls, one page per
// screen, named "Pult" + console number. It talks to the main window only
// through TConsoleHost (ConsoleHost()).
class TMDIChild : public QMdiSubWindow
{
    Q_OBJECT
public:
    // owner: none (the frame adopts the window); text is accepted and not used.
    TMDIChild(QWidget *owner, const QString &text, const QString &prefix, Byte consoleType, int consoleNo,
              int screens);
    ~TMDIChild() override;

    // ---- components ----
    QTabWidget *PageControl1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanels[2] = {nullptr, nullptr}; // widths 130 and 50
    QMenu *PopupMenu1 = nullptr;
    QAction *Vlastnosti1 = nullptr, *ZmazAktivnu = nullptr, *Zmaz1 = nullptr, *ZmazNaVsetkychPaneloch = nullptr,
            *Oznac1 = nullptr, *Odznac1 = nullptr, *InvertujVsetko = nullptr, *KopirovatLinky = nullptr,
            *VlozitLinky = nullptr, *PresuvatLinky = nullptr, *InvertL = nullptr, *SelectOnMoveP = nullptr,
            *Odznaclinkyaktivdosky1 = nullptr, *Oznaclinkyaktivdosky1 = nullptr;
    QTimer *MyHintTimer = nullptr;
    QTimer *Timer1 = nullptr;
    QLabel *HintWindow = nullptr;

    // ---- run-time state ----
    int ActiveKeyIndex = 0;
    int MoveBase = 0;
    QList<TColorButton *> KeyList;   // index = key number
    QList<QWidget *> PageList;
    QList<QFrame *> PanelList;
    int KeyCapacityOfWindow = KeyCapacity;
    TKeyTable KeysA, KeysB, KeysC;   // working copies for moving and pasting
    struct TMoveRecord {
        Byte Flag = 0;
        int Destination = 0;
        int Source = 0;
        TKlavesa Key;
    };
    std::array<TMoveRecord, KeyCount> MoveRecords;
    struct TMoveState {
        Byte Flag = 0;
        int BlockLow = 0;
        int BlockHigh = 0;
        int Shift = 0;
    } MoveState;
    TColorButton *LastPassed = nullptr; // last key passed over
    bool Inside = false;
    TColorButton *Anchor = nullptr;
    TColorButton *PropertiesKey = nullptr;
    TColorButton *ColorSource = nullptr;
    // The key whose pop-up menu is open (a paste previews there); none once
    // the menu has closed and its command has run.
    QPointer<TColorButton> PopupKey;
    TKeyInfo KeyInfo;
    QString LastHintText;
    Byte ConsoleType = 0;
    Byte Rows = 0;
    Byte Columns = 0;
    int Tag = 0; // screens
    int ConsoleNo = 0;

    KeyGrid Grid() const { return KeyGrid{Rows, Columns}; }
    int StatusBarHeight() const;
    // min(rows * columns * screens, 224) - 1
    int LastKeyNumber() const;
    // The PresuvatLinky item carries its check mark.
    bool Moving() const;

    // ---- layout (mainly Part of creation) ----
    void FormCreate();
    void FormChange();
    void FormResize();
    void FormActivate();
    // canClose starts true.
    void FormCloseQuery(bool &canClose);
    TColorButton *GetButton(int n) const;

    // ---- key states ----
    static bool IsActive(const TColorButton *key);
    static bool IsMarked(const TColorButton *key);
    static bool OnPresun(const TColorButton *key);
    void SetActive(TColorButton *key);
    void SetPassive(TColorButton *key);
    void SetNegative(TColorButton *key);
    void SetNormal(TColorButton *key);
    void SetMove(TColorButton *key);
    void SetFrom(TColorButton *key, const TColorButton *source);
    int CountMarked() const;
    void FillKeyInfo(int n);
    // A fresh copy of this window's console keys (unconfigured where absent).
    void CopyConsoleKeys(TKeyTable &keys) const;

    // ---- events ----
    void ButtonClick(TColorButton *sender);
    void ButtonMouseDown(TColorButton *sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                         Qt::KeyboardModifiers shift, QPoint pos);
    void ButtonMouseMove(TColorButton *sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos);
    void ContextPopup(TColorButton *sender, QPoint pos, bool *handled);
    // Shows and enables the pop-up items for the keys as they are now marked.
    void UpdatePopupItems();
    void PageControl1MouseMove();
    void MyHintTimerTimer();
    void HideHint();
    // Every key control takes the key font.
    void SetKeyFont(const QFont &font);

    // ---- menu ----
    void Oznac1Click();
    void Odznac1Click();
    void InvertujVsetkoClick();
    void Oznaclinkyaktivdosky1Click();
    void Odznaclinkyaktivdosky1Click();
    void InvertLClick();
    void SelectOnMovePClick();
    void Vlastnosti1Click();

    // ---- key editing commands (mdichild_edit.cpp) ----
    void ZmazAktivnuClick();
    void Zmaz1Click();
    void ZmazNaVsetkychPaneloch1Click();
    void KopirovatLinkyClick();
    void VlozitLinkyClick();
    void PresuvatLinkyClick();
    void FormKeyPress(QChar key);
    // A click and a move on a key while moving or pasting.
    void MoveModeClick(TColorButton *key);
    void MoveModeMouseMove(TColorButton *key);

    // Program-wide count of mouse moves over keys (the hint timer compares it).
    static int MouseMoveCount;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createMenu();
    void addPage(int p, const KeyLayout &layout, bool withKeys);
    TColorButton *createKey(int n, QWidget *parent, const QSize &cell);
    void removeLastKey();
    void placeChildren(const KeyLayout &layout);
    KeyLayout currentLayout() const;
    void guarded(const char *where, const std::function<void()> &handler);
    // Runs FormActivate when the frame it lives in activates it.
    void watchArea();

    QWidget *client_ = nullptr;
    bool resizing_ = false;
    bool created_ = false;
    int hintTicksSeen_ = -1;
    QPointer<QMdiArea> watchedArea_;
};
