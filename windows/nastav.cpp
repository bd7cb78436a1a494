#include "windows/nastav.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "cardpack/dll_load.h"
#include "editing/settingsrules.h"
#include "platform/timing.h"
#include "windows/prompt.h"

using namespace SettingsRules;

TNastav1 *Nastav1 = nullptr;
std::function<bool(QFont &)> TNastav1::FontDialogExec;

namespace
{

QFrame *panel(const char *name, QWidget *parent, const QColor &colour = QColor())
{
    auto *f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::StyledPanel);
    if (colour.isValid()) {
        f->setAutoFillBackground(true);
        QPalette p = f->palette();
        p.setColor(QPalette::Window, colour);
        f->setPalette(p);
    }
    return f;
}

template <class T> T *named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Delphi colours are $BBGGRR.
QColor fromBgr(unsigned bgr) { return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF)); }

} // namespace

// ---- the type groups ---------------------------------------------------------------------

TTypeGroup::TTypeGroup(const QString &name, QWidget *parent) : QGroupBox(parent)
{
    setObjectName(name);
    group_ = new QButtonGroup(this);
    auto *column = new QVBoxLayout(this);
    const int texts[3] = {7, 9, 10};
    for (int i = 0; i < 3; ++i) {
        Items[i] = new QRadioButton(LoadStrDll(texts[i]), this);
        Items[i]->setObjectName(name + QStringLiteral("Item%1").arg(i));
        group_->addButton(Items[i], i);
        column->addWidget(Items[i]);
    }
    Items[0]->setChecked(true);
    connect(group_, &QButtonGroup::idClicked, this, [this](int) { emit Clicked(); });
}

int TTypeGroup::ItemIndex() const { return group_->checkedId(); }

void TTypeGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < 3)
        Items[index]->setChecked(true);
}

// ---- creation ----------------------------------------------------------------------------

TNastav1::TNastav1(QWidget *owner, bool twoScreens, TNastavLink *link, int currentPort)
    : QDialog(owner), FTwoScreens(twoScreens), link_(link)
{
    setObjectName(QStringLiteral("Nastav1"));
    setModal(true);
    buildControls();
    FormCreate(currentPort);
}

TNastav1::~TNastav1()
{
    if (Timer1)
        Timer1->stop();
    if (link_)
        link_->Close();
}

void TNastav1::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    // Port.
    auto *portRow = new QHBoxLayout;
    Label1 = named(new QLabel(this), "Label1");
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    lDevice = named(new QLabel(this), "lDevice");
    portRow->addWidget(Label1);
    portRow->addWidget(ComboBox1);
    portRow->addWidget(lDevice, 1);
    left->addLayout(portRow);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { lDevice->setText(ComboBox1->currentData(Qt::ToolTipRole).toString()); });

    // Consoles.
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    auto *grid = new QGridLayout(GroupBox1);
    Pulty = named(new QLabel(GroupBox1), "Pulty");
    Label4 = named(new QLabel(GroupBox1), "Label4");
    Label2 = named(new QLabel(GroupBox1), "Label2");
    Label3 = named(new QLabel(GroupBox1), "Label3");
    obrazovky = named(new QLabel(GroupBox1), "obrazovky");
    p1 = new TTypeGroup(QStringLiteral("p1"), GroupBox1);
    p2 = new TTypeGroup(QStringLiteral("p2"), GroupBox1);
    op1 = named(new QSpinBox(GroupBox1), "op1");
    op2 = named(new QSpinBox(GroupBox1), "op2");
    grid->addWidget(Pulty, 0, 0, 1, 2);
    grid->addWidget(p1, 1, 0);
    grid->addWidget(p2, 1, 1);
    grid->addWidget(obrazovky, 2, 0, 1, 2);
    grid->addWidget(op1, 3, 0);
    grid->addWidget(op2, 3, 1);
    Label4->hide();
    Label2->hide();
    Label3->hide();
    left->addWidget(GroupBox1);
    connect(p1, &TTypeGroup::Clicked, this, [this] { Nastav(op1, p1); });
    connect(p2, &TTypeGroup::Clicked, this, [this] { Nastav(op2, p2); });

    Vlastnosti = named(new QCheckBox(this), "Vlastnosti");
    left->addWidget(Vlastnosti);

    // Port test.
    GroupBox2 = named(new QGroupBox(this), "GroupBox2");
    auto *test = new QGridLayout(GroupBox2);
    TestOrvy = named(new QCheckBox(GroupBox2), "TestOrvy");
    TestPultu = named(new QCheckBox(GroupBox2), "TestPultu");
    Test = named(new QPushButton(GroupBox2), "Test");
    Test->setAutoDefault(false);
    Test->setEnabled(false);
    LabTestA = named(new QLabel(GroupBox2), "LabTestA");
    LabTestP = named(new QLabel(GroupBox2), "LabTestP");
    Vysielanie = panel("Vysielanie", GroupBox2, Qt::darkGreen);
    Prijem = panel("Prijem", GroupBox2, Qt::darkRed);
    Vysielanie->setFixedSize(12, 12);
    Prijem->setFixedSize(12, 12);
    Memo1 = named(new QPlainTextEdit(GroupBox2), "Memo1");
    Memo1->setReadOnly(true);
    bX = named(new QPushButton(QStringLiteral("X"), GroupBox2), "bX");
    bC = named(new QPushButton(QStringLiteral("C"), GroupBox2), "bC");
    for (QPushButton *b : {bX, bC})
        b->setAutoDefault(false);
    test->addWidget(TestOrvy, 0, 0);
    test->addWidget(LabTestA, 0, 1);
    test->addWidget(TestPultu, 1, 0);
    test->addWidget(LabTestP, 1, 1);
    test->addWidget(Test, 2, 0);
    auto *lights = new QHBoxLayout;
    lights->addWidget(Vysielanie);
    lights->addWidget(Prijem);
    test->addLayout(lights, 2, 1);
    test->addWidget(Memo1, 3, 0, 1, 2);
    auto *memoButtons = new QHBoxLayout;
    memoButtons->addStretch();
    memoButtons->addWidget(bX);
    memoButtons->addWidget(bC);
    test->addLayout(memoButtons, 4, 0, 1, 2);
    left->addWidget(GroupBox2);
    GroupBox2->installEventFilter(this);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(platform::ScaledInterval(100));
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(Test, &QPushButton::clicked, this, [this] { TestClick(); });
    connect(TestOrvy, &QCheckBox::clicked, this, [this] { TestOrvyClick(); });
    connect(TestPultu, &QCheckBox::clicked, this, [this] { TestOrvyClick(); });
    connect(bX, &QPushButton::clicked, this, [this] { bXClick(); });
    connect(bC, &QPushButton::clicked, this, [this] { bCClick(); });

    // Font.
    GroupBox3 = named(new QGroupBox(this), "GroupBox3");
    auto *font = new QHBoxLayout(GroupBox3);
    Button1 = named(new QPushButton(QStringLiteral("..."), GroupBox3), "Button1");
    Button1->setAutoDefault(false);
    Label5 = named(new QLabel(QStringLiteral("AaBbYyZz 0123"), GroupBox3), "Label5");
    font->addWidget(Button1);
    font->addWidget(Label5, 1);
    left->addWidget(GroupBox3);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    left->addStretch();

    // System, ring time-out and DORST mode.
    pSystemZP = panel("pSystemZP", this, fromBgr(0xA6FFA6));
    auto *system = new QVBoxLayout(pSystemZP);
    lSystem = named(new QLabel(pSystemZP), "lSystem");
    rbZapojovac = named(new QRadioButton(pSystemZP), "rbZapojovac");
    rbPrepojovac = named(new QRadioButton(pSystemZP), "rbPrepojovac");
    rbZapojovac->setChecked(true);
    lSystemHint = named(new QLabel(pSystemZP), "lSystemHint");
    lSystemHint->setWordWrap(true);
    for (QWidget *w : std::initializer_list<QWidget *>{lSystem, rbZapojovac, rbPrepojovac, lSystemHint})
        system->addWidget(w);
    pUkoncit = panel("pUkoncit", pSystemZP, fromBgr(0xA6D1FF));
    auto *ring = new QGridLayout(pUkoncit);
    cbUkoncitPo5min = named(new QCheckBox(pUkoncit), "cbUkoncitPo5min");
    lCasUkoncit = named(new QLabel(pUkoncit), "lCasUkoncit");
    cbCasUkoncit = named(new QComboBox(pUkoncit), "cbCasUkoncit");
    cbCasUkoncit->addItems(RingMinuteItems());
    ring->addWidget(cbUkoncitPo5min, 0, 0, 1, 2);
    ring->addWidget(lCasUkoncit, 1, 0);
    ring->addWidget(cbCasUkoncit, 1, 1);
    system->addWidget(pUkoncit);
    pPodpora = panel("pPodpora", pSystemZP, fromBgr(0xA6D1FF));
    auto *support = new QVBoxLayout(pPodpora);
    lPodpora1 = named(new QLabel(pPodpora), "lPodpora1");
    lPodpora2 = named(new QLabel(pPodpora), "lPodpora2");
    lPodpora3 = named(new QLabel(pPodpora), "lPodpora3");
    for (QLabel *l : {lPodpora1, lPodpora2, lPodpora3})
        support->addWidget(l);
    system->addWidget(pPodpora);
    connect(cbUkoncitPo5min, &QCheckBox::clicked, this, [this] { cbUkoncitPo5minClick(); });
    Panel2 = panel("Panel2", pSystemZP);
    auto *dorst = new QHBoxLayout(Panel2);
    lRezimDORST = named(new QLabel(Panel2), "lRezimDORST");
    cbRezimDORST = named(new QComboBox(Panel2), "cbRezimDORST");
    dorst->addWidget(lRezimDORST);
    dorst->addWidget(cbRezimDORST, 1);
    system->addWidget(Panel2);
    right->addWidget(pSystemZP);

    // Function numbers.
    pFunkcneCisla = panel("pFunkcneCisla", this);
    auto *fn = new QGridLayout(pFunkcneCisla);
    lFunkcneCisla = named(new QLabel(pFunkcneCisla), "lFunkcneCisla");
    lFNPult0 = named(new QLabel(pFunkcneCisla), "lFNPult0");
    lFNPult1 = named(new QLabel(pFunkcneCisla), "lFNPult1");
    lFNHint = named(new QLabel(pFunkcneCisla), "lFNHint");
    lFNHint->setWordWrap(true);
    eFunkcneCislo0 = named(new QLineEdit(pFunkcneCisla), "eFunkcneCislo0");
    eFunkcneCislo1 = named(new QLineEdit(pFunkcneCisla), "eFunkcneCislo1");
    eFunkcneCislo1->setProperty("Tag", 1);
    eFunkcneCislo0->setProperty("Tag", 0);
    fn->addWidget(lFunkcneCisla, 0, 0, 1, 2);
    fn->addWidget(lFNPult0, 1, 0);
    fn->addWidget(eFunkcneCislo0, 1, 1);
    fn->addWidget(lFNPult1, 2, 0);
    fn->addWidget(eFunkcneCislo1, 2, 1);
    fn->addWidget(lFNHint, 3, 0, 1, 2);
    for (QLineEdit *e : {eFunkcneCislo0, eFunkcneCislo1}) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, [this, e] { eFunkcneCislo0Change(e); });
    }
    right->addWidget(pFunkcneCisla);
    right->addStretch();

    // Buttons.
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnOK = named(new QPushButton(this), "BtnOK");
    BtnCancel = named(new QPushButton(this), "BtnCancel");
    BtnOK->setDefault(true);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    outer->addLayout(buttons);
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        BtnOKClick();
        accept();
    });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    connect(op1, &QSpinBox::valueChanged, this, [this] { op1->setValue(std::clamp(op1->value(), op1->minimum(), op1->maximum())); });
    connect(op2, &QSpinBox::valueChanged, this, [this] { op2->setValue(std::clamp(op2->value(), op2->minimum(), op2->maximum())); });
}

void TNastav1::FormCreate(int currentPort)
{
    // 1. Spin edits.
    for (auto [spin, group] : {std::pair{op1, p1}, std::pair{op2, p2}}) {
        if (FTwoScreens) {
            spin->setRange(2, 2);
            spin->setValue(2);
        } else {
            spin->setRange(1, ScreenLimit(group->ItemIndex(), FKeysPerScreenPC, FKeysPerScreenMech));
        }
    }
    // 2. Captions.
    setWindowTitle(LoadStrDll(23));
    Label1->setText(LoadStrDll(27));
    GroupBox1->setTitle(LoadStrDll(119));
    Pulty->setText(LoadStrDll(119));
    Label4->setText(LoadStrDll(7));
    Label2->setText(LoadStrDll(9));
    Label3->setText(LoadStrDll(10));
    obrazovky->setText(LoadStrDll(125));
    Vlastnosti->setText(LoadStrDll(130));
    GroupBox2->setTitle(QStringLiteral(" ") + LoadStrDll(193) + QStringLiteral(" "));
    TestOrvy->setText(LoadStrDll(194));
    TestPultu->setText(LoadStrDll(195));
    Test->setText(LoadStrDll(196));
    lSystem->setText(LoadStrDll(243));
    rbZapojovac->setText(LoadStrDll(244));
    rbPrepojovac->setText(LoadStrDll(245));
    lSystemHint->setText(LoadStrDll(219));
    cbUkoncitPo5min->setText(LoadStrDll(220));
    lCasUkoncit->setText(LoadStrDll(221));
    lPodpora1->setText(LoadStrDll(246));
    lPodpora2->setText(LoadStrDll(247));
    lPodpora3->setText(LoadStrDll(248));
    lRezimDORST->setText(LoadStrDll(252));
    lFunkcneCisla->setText(LoadStrDll(250));
    lFNPult0->setText(LoadStrDll(17) + QStringLiteral(" 0:"));
    lFNPult1->setText(LoadStrDll(17) + QStringLiteral(" 1:"));
    lFNHint->setText(LoadStrDll(251));
    BtnOK->setText(LoadStrDll(121));
    BtnCancel->setText(LoadStrDll(120));
    cbRezimDORST->clear();
    cbRezimDORST->addItems({LoadStrDll(234), LoadStrDll(235), LoadStrDll(233)});
    cbRezimDORST->setCurrentIndex(0);
    cbUkoncitPo5minClick();
    setTestLogShown(false);

    // 3. The ports that open, and the configured one even when it does not
    // open now (unplugged, busy): OK must never change it unasked.
    PortNumber = currentPort;
    const bool listCurrent = currentPort > 0 && PortFromText(PortText(currentPort)) == currentPort;
    for (int n = 1; n <= std::max(8, listCurrent ? currentPort : 0); ++n) {
        const bool usable = n <= 8 && link_ && link_->ValidComPort(n);
        if (!usable && !(listCurrent && n == currentPort))
            continue;
        ComboBox1->addItem(PortText(n));
        ComboBox1->setItemData(ComboBox1->count() - 1, link_ ? link_->Device(n) : QString(), Qt::ToolTipRole);
        if (n == currentPort)
            ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    }
    lDevice->setText(ComboBox1->currentData(Qt::ToolTipRole).toString());
}

// ---- consoles ------------------------------------------------------------------------------

void TNastav1::Nastav(QSpinBox *spinEdit, TTypeGroup *radioGroup)
{
    const TScreenRule r =
        SettingsRules::Nastav(radioGroup->ItemIndex(), spinEdit->value(), FTwoScreens, FKeysPerScreenPC,
                              FKeysPerScreenMech);
    if (r.Type != radioGroup->ItemIndex())
        radioGroup->SetItemIndex(r.Type);
    spinEdit->setEnabled(r.Enabled);
    BtnOK->setEnabled((p1->ItemIndex() != 0 || p2->ItemIndex() != 0) && (BtnOKTag & 3) == 3);
    spinEdit->setRange(r.Minimum, r.Maximum);
    spinEdit->setValue(r.Value);
}

void TNastav1::BtnOKClick()
{
    const TLayout saved{{FSaved[0], FSaved[2]}, {FSaved[1], FSaved[3]}};
    const TLayout now{{p1->ItemIndex(), p2->ItemIndex()}, {op1->value(), op2->value()}};
    if (AsksCapacityQuestion(FHasConfig, saved, now, FKeysPerScreenPC, FKeysPerScreenMech)) {
        const QString text =
            LoadStrDll(122) + QStringLiteral("\r") + LoadStrDll(123) + QStringLiteral("\r") + LoadStrDll(124);
        if (TPrompt::Current().Ask(TPrompt::Kind::Warning, text, TPrompt::YesNo) != TPrompt::Yes) {
            p1->SetItemIndex(FSaved[0]);
            op1->setRange(1, std::max(FSaved[1], op1->maximum()));
            op1->setValue(FSaved[1]);
            p2->SetItemIndex(FSaved[2]);
            op2->setRange(1, std::max(FSaved[3], op2->maximum()));
            op2->setValue(FSaved[3]);
            return;
        }
    }
    PortNumber = PortFromText(ComboBox1->currentText());
    VlAkoHint = Vlastnosti->isChecked();
}

void TNastav1::BtnCancelClick()
{
    if (Timer1->isActive())
        stopTest();
    restoreLayout();
    reject();
}

void TNastav1::stopTest()
{
        Timer1->stop();
        TestOrvy->setChecked(false);
        TestPultu->setChecked(false);
}

void TNastav1::restoreLayout()
{
    p1->SetItemIndex(FSaved[0]);
    op1->setRange(std::min(op1->minimum(), FSaved[1]), std::max(op1->maximum(), FSaved[1]));
    op1->setValue(FSaved[1]);
    p2->SetItemIndex(FSaved[2]);
    op2->setRange(std::min(op2->minimum(), FSaved[3]), std::max(op2->maximum(), FSaved[3]));
    op2->setValue(FSaved[3]);
}

void TNastav1::closeEvent(QCloseEvent *event)
{
    // A test waiting for its answer ends with the dialog.
    if (Timer1->isActive())
        stopTest();
    // Closed by its frame: a cancel. The layout chosen so far never passed
    // the capacity question and must not be applied.
    restoreLayout();
    QDialog::closeEvent(event);
}

void TNastav1::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        BtnCancelClick();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (focusWidget() == BtnCancel) {
            BtnCancelClick();
        } else if (BtnOK->isEnabled()) {
            // Enter is the OK button: never past it while it is disabled.
            BtnOK->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- function numbers -------------------------------------------------------------------

bool TNastav1::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == eFunkcneCislo0 || watched == eFunkcneCislo1) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        const bool copyPaste = control && (key->key() == Qt::Key_C || key->key() == Qt::Key_V);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            keyPressEvent(key);
            return true;
        }
        if (!copyPaste && !key->text().isEmpty() && !FunctionNumberKey(key->text().at(0)))
            return true;
    }
    if (watched == GroupBox2 && event->type() == QEvent::MouseButtonDblClick) {
        GroupBox2DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TNastav1::eFunkcneCislo0Change(QLineEdit *sender)
{
    // A paste may bring anything: only digits, at most 18 of them, stay.
    const QString clean = CleanFunctionNumber(sender->text());
    if (clean != sender->text()) {
        sender->setText(clean);
        return; // the change of the text comes back here
    }
    const int n = sender->property("Tag").toInt();
    const bool ok = FunctionNumberOk(FConfig, n, clean);
    if (ok)
        BtnOKTag |= 1 << n;
    else
        BtnOKTag &= ~(1 << n);
    QPalette p = sender->palette();
    p.setColor(QPalette::Base, ok ? QApplication::palette().color(QPalette::Base) : fromBgr(0x8080FF));
    sender->setPalette(p);
    BtnOK->setEnabled((BtnOKTag & 3) == 3 && (p1->ItemIndex() != 0 || p2->ItemIndex() != 0));
}

// ---- options ---------------------------------------------------------------------------------

void TNastav1::Button1Click()
{
    QFont font = Label5->font();
    bool ok = false;
    if (FontDialogExec)
        ok = FontDialogExec(font);
    else
        font = QFontDialog::getFont(&ok, Label5->font(), this);
    if (ok)
        Label5->setFont(font);
}

void TNastav1::cbUkoncitPo5minClick()
{
    const bool on = cbUkoncitPo5min->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{lCasUkoncit, cbCasUkoncit, pPodpora, lPodpora1, lPodpora2,
                                                        lPodpora3})
        w->setEnabled(on);
}

// ---- port test -------------------------------------------------------------------------------

void TNastav1::setTestLogShown(bool shown)
{
    Memo1->setVisible(shown);
    bX->setVisible(shown);
    bC->setVisible(shown);
}

void TNastav1::GroupBox2DblClick()
{
    FKeepMemo = true;
    setTestLogShown(true);
}

void TNastav1::bXClick()
{
    FKeepMemo = false;
    setTestLogShown(false);
}

void TNastav1::bCClick() { Memo1->clear(); }

void TNastav1::TestOrvyClick() { Test->setEnabled(TestOrvy->isChecked() || TestPultu->isChecked()); }

void TNastav1::Timer1Timer()
{
    if (FAwaited != 0 && FTicks < 41)
        ++FTicks;
    else
        Timer1->stop();
}

void TNastav1::flash(QFrame *light)
{
    QPalette p = light->palette();
    const QColor lit = light == Vysielanie ? QColor(Qt::green) : QColor(Qt::red);
    const QColor dark = light == Vysielanie ? QColor(Qt::darkGreen) : QColor(Qt::darkRed);
    p.setColor(QPalette::Window, lit);
    light->setPalette(p);
    QTimer::singleShot(platform::ScaledInterval(100), light, [light, dark] {
        QPalette q = light->palette();
        q.setColor(QPalette::Window, dark);
        light->setPalette(q);
    });
}

void TNastav1::Transmitted() { flash(Vysielanie); }
void TNastav1::Received() { flash(Prijem); }

bool TNastav1::runOneTest(Byte command, int awaited)
{
    for (const QString &line : RequestLines(QDateTime::currentDateTime(), command))
        Memo1->appendPlainText(line);
    FAwaited = awaited;
    link_->Send(TestRequest(command));
    FTicks = 0;
    Timer1->start();
    // The answer and the ticks come in while this waits; a second click on
    // Test stops the timer.
    while (Timer1->isActive()) {
        QThread::msleep(10);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return FAwaited == 0;
}

void TNastav1::TestClick()
{
    if (Timer1->isActive() || FTestRunning) {
        stopTest();
        return;
    }
    if (!TestOrvy->isChecked() && !TestPultu->isChecked())
        return;
    const int port = PortFromText(ComboBox1->currentText());
    if (port == 0 || !link_) {
        // No port in the list: nothing to open, and no port number to guess.
        TPrompt::Current().Error(LoadStrDll(143) + QStringLiteral(": no serial port is listed."));
        return;
    }
    FTestRunning = true;
    Test->setText(LoadStrDll(30));
    LabTestA->clear();
    LabTestP->clear();
    const bool orvy = TestOrvy->isChecked();
    const bool pultu = TestPultu->isChecked();

    QString error;
    if (!link_->Open(port, error)) {
        TPrompt::Current().Error(LoadStrDll(143) + QStringLiteral(" (COM %1)").arg(port) +
                                 (error.isEmpty() ? QString() : QStringLiteral("\r") + error));
        link_->Close();
        Test->setText(LoadStrDll(196));
        FTestRunning = false;
        return;
    }
    QApplication::setOverrideCursor(Qt::BusyCursor);
    setTestLogShown(true);

    if (TestOrvy->isChecked())
        LabTestA->setText(LoadStrDll(runOneTest(0x00, 6) ? 31 : 197));
    if (TestPultu->isChecked())
        LabTestP->setText(LoadStrDll(runOneTest(0x80, 7) ? 31 : 197));
    FAwaited = 0;
    if (LabTestA->text() != LoadStrDll(197) && LabTestP->text() != LoadStrDll(197) && !FKeepMemo)
        setTestLogShown(false);

    QApplication::restoreOverrideCursor();
    TestOrvy->setChecked(orvy);
    TestPultu->setChecked(pultu);
    link_->Close();
    Test->setText(LoadStrDll(196));
    FTestRunning = false;
}

void TNastav1::ComDataReceived(const QByteArray &frame)
{
    Timer1->stop();
    const TFrameDump dump = DumpFrame(frame);
    for (const QString &line : AnswerLines(QDateTime::currentDateTime(), dump))
        Memo1->appendPlainText(line);
    if (AnswersTest(dump.Bytes, FAwaited)) {
        Timer1->stop();
        FAwaited = 0;
    }
}
