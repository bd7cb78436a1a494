#pragma once

#include <QDialog>
#include <QFont>
#include <QGroupBox>
#include <QString>
#include <functional>

#include "cardpack/sablona.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFontDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;
class TAPult;

// The serial port the settings dialog probes and tests with. The main window
// lends one (the dialog's own link, never the window's port); its frames come
// back through TNastav1::ComDataReceived.
class TNastavLink
{
public:
    virtual ~TNastavLink() = default;
    // The device a port number means (the COM map).
    virtual QString Device(int number) = 0;
    // The port opens and closes without an error.
    virtual bool ValidComPort(int number) = 0;
    // Opens the test port: 9600 baud, space parity, one stop bit, buffers of
    // 10240 bytes, traffic traced to COMn.trc and COMn.log. False with the reason.
    virtual bool Open(int number, QString &error) = 0;
    virtual bool Send(const QByteArray &frame) = 0;
    // Closes and releases the test port; harmless when none is open.
    virtual void Close() = 0;
};

// A radio group of three console types (0 not connected, 1 PC, 2 mechanical).
class TTypeGroup : public QGroupBox
{
    Q_OBJECT
public:
    TTypeGroup(const QString &name, QWidget *parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton *Items[3] = {nullptr, nullptr, nullptr};
signals:
    void Clicked();

private:
    QButtonGroup *group_ = nullptr;
};

// The settings dialog: serial port and its test, console types and screens,
// detailed information at a key, key font, system type, ring time-out, DORST
// mode and the GSM-R function numbers.
class TNastav1 : public QDialog
{
    Q_OBJECT

public:
    // currentPort: the main window's port number, selected in the list when usable.
    TNastav1(QWidget *owner, bool twoScreens, TNastavLink *link, int currentPort);
    ~TNastav1() override;

    // ---- components ----
    QLabel *Label1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLabel *lDevice = nullptr; // the device of the chosen port
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Pulty = nullptr, *Label4 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *obrazovky = nullptr;
    TTypeGroup *p1 = nullptr, *p2 = nullptr;
    QSpinBox *op1 = nullptr, *op2 = nullptr;
    QCheckBox *Vlastnosti = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QCheckBox *TestOrvy = nullptr, *TestPultu = nullptr;
    QPushButton *Test = nullptr;
    QLabel *LabTestA = nullptr, *LabTestP = nullptr;
    QFrame *Vysielanie = nullptr, *Prijem = nullptr;
    QTimer *Timer1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QPushButton *bX = nullptr, *bC = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *Label5 = nullptr;
    QFrame *pSystemZP = nullptr;
    QLabel *lSystem = nullptr, *lSystemHint = nullptr;
    QRadioButton *rbZapojovac = nullptr, *rbPrepojovac = nullptr;
    QFrame *pUkoncit = nullptr, *pPodpora = nullptr;
    QCheckBox *cbUkoncitPo5min = nullptr;
    QLabel *lCasUkoncit = nullptr, *lPodpora1 = nullptr, *lPodpora2 = nullptr, *lPodpora3 = nullptr;
    QComboBox *cbCasUkoncit = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *lRezimDORST = nullptr;
    QComboBox *cbRezimDORST = nullptr;
    QFrame *pFunkcneCisla = nullptr;
    QLabel *lFunkcneCisla = nullptr, *lFNPult0 = nullptr, *lFNPult1 = nullptr, *lFNHint = nullptr;
    QLineEdit *eFunkcneCislo0 = nullptr, *eFunkcneCislo1 = nullptr;
    QPushButton *BtnOK = nullptr, *BtnCancel = nullptr;
    int BtnOKTag = 3; // bit n: console n's function number is in order

    // ---- fields ----
    int FSaved[4] = {0, 1, 0, 1};
    int FKeysPerScreenMech = 112;
    int FKeysPerScreenPC = 80;
    bool FTwoScreens = false;
    bool FHasConfig = false;
    TAPult *FConfig = nullptr; // for the function-number check
    int FTicks = 0;
    int FAwaited = 0; // 6 system test, 7 console test
    bool FKeepMemo = false;
    bool FTestRunning = false;
    int PortNumber = 0; // BtnOKClick's result; 0 none
    bool VlAkoHint = false;

    // The font dialog runs through this when set (tests): the font in, the
    // chosen one out; true when confirmed.
    static std::function<bool(QFont &font)> FontDialogExec;

    void FormCreate(int currentPort);
    void Nastav(QSpinBox *spinEdit, TTypeGroup *radioGroup);
    void BtnOKClick();
    void BtnCancelClick();
    void TestClick();
    void Timer1Timer();
    void TestOrvyClick();
    void Button1Click();
    void GroupBox2DblClick();
    void bXClick();
    void bCClick();
    void cbUkoncitPo5minClick();
    void eFunkcneCislo0Change(QLineEdit *sender);
    // A received frame while the dialog exists: logged, and a waiting test ends
    // when the frame answers it. The frame is only read.
    void ComDataReceived(const QByteArray &frame);
    // The test port's traffic lights.
    void Transmitted();
    void Received();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // The console types and screens as they were when the dialog opened.
    void restoreLayout();
    void stopTest(); // ends a test waiting for its answer
    void setTestLogShown(bool shown);
    // Sends one request and waits for its answer or the time-out; true when answered.
    bool runOneTest(Byte command, int awaited);
    void flash(QFrame *light);

    TNastavLink *link_ = nullptr;
};

// The dialog while it exists (the answer handler hands it every frame).
extern TNastav1 *Nastav1;
