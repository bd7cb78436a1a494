#include "mainwindow/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStatusTipEvent>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <exception>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "mainwindow/consolehostimpl.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "model/conversions.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "windows/helpchm.h"
#include "windows/helptarget.h"
#include "windows/prompt.h"

TMainForm1 *MainForm1 = nullptr;

TMainForm1::TMainForm1(QWidget *parent, QSize screen) : QMainWindow(parent), screenOverride_(screen)
{
    setObjectName(QStringLiteral("MainForm1"));
    setWindowTitle(QStringLiteral("Kelvara"));
    MainForm1 = this;
    SetModelReporter(this);
    createMenus();
    createToolBar();
    createPanels();
    createTimersAndPopups();
    ConnectStoredCommands();
    CreateHiddenItems();
    Guard("FormCreate", [this] { FormCreate(); });
}

TMainForm1::~TMainForm1()
{
    Guard("FormDestroy", [this] { FormDestroy(); });
    if (ModelReporter() == this)
        SetModelReporter(nullptr);
    if (MainForm1 == this)
        MainForm1 = nullptr;
}

// ---- layout -------------------------------------------------------------------------

QAction *TMainForm1::addAction(QMenu *menu, const char *name, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    return action;
}

void TMainForm1::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = bar->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    New1 = addAction(File1, "New1", QStringLiteral("New"));
    Open1 = addAction(File1, "Open1", QStringLiteral("Open"));
    Save1 = addAction(File1, "Save1", QStringLiteral("Save"));
    SaveNew1 = addAction(File1, "SaveNew1", QStringLiteral("Save as"));
    File1->addSeparator();
    ReadConfig = addAction(File1, "ReadConfig", QStringLiteral("Read from system"));
    WriteConfig = addAction(File1, "WriteConfig", QStringLiteral("Write to system"));
    Nacitaniedosiek1 = addAction(File1, "Nacitaniedosiek1", QStringLiteral("Read boards"));
    File1->addSeparator();
    KonverziaACF = addAction(File1, "KonverziaACF", QStringLiteral("Import ACF"));
    KonverziaCFG = addAction(File1, "KonverziaCFG", QStringLiteral("Import CFG"));
    NacitaniezUNI1 = addAction(File1, "NacitaniezUNI1", QStringLiteral("Open from UNI"));
    File1->addSeparator();
    Report2 = addAction(File1, "Report2", QStringLiteral("Report"));
    Print1 = addAction(File1, "Print1", QStringLiteral("Print"));
    PrintEmpty1 = addAction(File1, "PrintEmpty1", QStringLiteral("Print empty"));
    PrintAll1 = addAction(File1, "PrintAll1", QStringLiteral("Print all"));
    PrintOriginal1 = addAction(File1, "PrintOriginal1", QStringLiteral("Print original"));
    File1->addSeparator();
    Config1 = addAction(File1, "Config1", QStringLiteral("Settings"));
    File1->addSeparator();
    Close1 = addAction(File1, "Close1", QStringLiteral("Exit"));

    Edit1 = bar->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Kopirujpult121 = addAction(Edit1, "Kopirujpult121", QStringLiteral("Copy console 0 to 1"));
    Kopirujpult211 = addAction(Edit1, "Kopirujpult211", QStringLiteral("Copy console 1 to 0"));
    miTelZoznam = addAction(Edit1, "miTelZoznam", QStringLiteral("Phone book"));
    VymazatPult = addAction(Edit1, "VymazatPult", QStringLiteral("Erase console"));
    Edit1->addSeparator();
    Odlozitakualnukonfiguraciu1 =
        addAction(Edit1, "Odlozitakualnukonfiguraciu1", QStringLiteral("Store configuration"));
    Porovnatsodlozenoukonfiguraciou1 =
        addAction(Edit1, "Porovnatsodlozenoukonfiguraciou1", QStringLiteral("Compare with stored"));
    Zlucitsodlozenou1 = addAction(Edit1, "Zlucitsodlozenou1", QStringLiteral("Merge with stored"));

    Tools1 = bar->addMenu(QStringLiteral("&Tools"));
    Tools1->setObjectName(QStringLiteral("Tools1"));
    Uloipult0akoPC1 = addAction(Tools1, "Uloipult0akoPC1", QStringLiteral("Save console 0 as PC"));
    Uloipult1akoPC1 = addAction(Tools1, "Uloipult1akoPC1", QStringLiteral("Save console 1 as PC"));
    UlozitpultyakoPC1 = addAction(Tools1, "UlozitpultyakoPC1", QStringLiteral("Save consoles as PC"));

    Window1 = bar->addMenu(QStringLiteral("&Window"));
    Window1->setObjectName(QStringLiteral("Window1"));
    Tile1 = addAction(Window1, "Tile1", QStringLiteral("Tile"));
    Cascade1 = addAction(Window1, "Cascade1", QStringLiteral("Cascade"));
    Window1->addSeparator();
    N6404801 = addAction(Window1, "N6404801", QStringLiteral("640:480"));
    N8006001 = addAction(Window1, "N8006001", QStringLiteral("800:600"));
    N10247681 = addAction(Window1, "N10247681", QStringLiteral("1024:768"));
    for (QAction *a : {N6404801, N8006001, N10247681})
        a->setCheckable(true);
    comunication1 = addAction(Window1, "comunication1", QStringLiteral("Communication"));

    About1 = bar->addMenu(QStringLiteral("&Help"));
    About1->setObjectName(QStringLiteral("About1"));
    Help1 = addAction(About1, "Help1", QStringLiteral("Help"));
    History1 = addAction(About1, "History1", QStringLiteral("History"));
    About1->addSeparator();
    About2 = addAction(About1, "About2", QStringLiteral("About"));

    // The menus refresh their rules whenever they open.
    for (QMenu *menu : {File1, Edit1, About1})
        connect(menu, &QMenu::aboutToShow, this, [this] { Guard("MenuClick", [this] { MenuClick(); }); });

    const QList<QAction *> commands = {New1, Open1, Save1, SaveNew1, ReadConfig, WriteConfig, Nacitaniedosiek1,
                                       KonverziaACF, KonverziaCFG, NacitaniezUNI1, Report2, Print1, PrintEmpty1,
                                       PrintAll1, PrintOriginal1, Config1, Kopirujpult121, Kopirujpult211,
                                       miTelZoznam, VymazatPult, Odlozitakualnukonfiguraciu1,
                                       Porovnatsodlozenoukonfiguraciou1, Zlucitsodlozenou1, Uloipult0akoPC1,
                                       Uloipult1akoPC1, UlozitpultyakoPC1, Help1, History1, About2};
    for (QAction *a : commands) {
        const QString name = a->objectName();
        connect(a, &QAction::triggered, this, [this, name] { Guard("command", [this, name] { RunCommand(name); }); });
    }
    connect(Close1, &QAction::triggered, this, [this] { Guard("Close1Click", [this] { Close1Click(); }); });
    connect(Report2, &QAction::triggered, this, [this] { Guard("ReportSBClick", [this] { ReportSBClick(); }); });
    for (QAction *a : {Print1, PrintEmpty1, PrintAll1, PrintOriginal1})
        connect(a, &QAction::triggered, this,
                [this, a] { Guard("Print1Click", [this, a] { Print1Click(a->objectName()); }); });
    connect(WriteConfig, &QAction::triggered, this,
            [this] { Guard("WriteConfigClick", [this] { DialogueSide().WriteConfigClick(); }); });
    connect(Nacitaniedosiek1, &QAction::triggered, this,
            [this] { Guard("DoskySBClick", [this] { DialogueSide().DoskySBClick(); }); });
    connect(VymazatPult, &QAction::triggered, this,
            [this] { Guard("VymazatPultClick", [this] { DialogueSide().VymazatPultClick(); }); });
    connect(SaveNew1, &QAction::triggered, this, [this] { Guard("SaveNew1Click", [this] { SaveNew1Click(); }); });
    connect(miTelZoznam, &QAction::triggered, this,
            [this] { Guard("miTelZoznamClick", [this] { miTelZoznamClick(); }); });
    connect(Tile1, &QAction::triggered, this, [this] { Guard("Tile1Click", [this] { Tile1Click(); }); });
    connect(Cascade1, &QAction::triggered, this, [this] { Guard("Cascade1Click", [this] { Cascade1Click(); }); });
    connect(N6404801, &QAction::triggered, this, [this] { Guard("N6404801Click", [this] { N6404801Click(); }); });
    connect(N8006001, &QAction::triggered, this, [this] { Guard("N8006001Click", [this] { N8006001Click(); }); });
    connect(N10247681, &QAction::triggered, this, [this] { Guard("N10247681Click", [this] { N10247681Click(); }); });
    connect(comunication1, &QAction::triggered, this,
            [this] { Guard("comunication1Click", [this] { comunication1Click(); }); });
    connect(New1, &QAction::triggered, this, [this] { Guard("New1Click", [this] { New1Click(); }); });
    connect(Open1, &QAction::triggered, this, [this] { Guard("Open1Click", [this] { Open1Click(); }); });
    connect(Save1, &QAction::triggered, this, [this] { Guard("Save1Click", [this] { Save1Click(true); }); });
}

QToolButton *TMainForm1::addSpeedButton(const char *name, const QIcon &icon, const QString &text)
{
    auto *button = new QToolButton(SpeedBar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setText(text);
    button->setToolTip(text);
    button->setStatusTip(text);
    button->setAutoRaise(true);
    SpeedBar1->addWidget(button);
    return button;
}

void TMainForm1::createToolBar()
{
    SpeedBar1 = new QToolBar(this);
    SpeedBar1->setObjectName(QStringLiteral("SpeedBar1"));
    SpeedBar1->setMovable(false);
    SpeedBar1->setFloatable(false);
    SpeedBar1->setIconSize(QSize(20, 20));
    SpeedBar1->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, SpeedBar1);
    setContextMenuPolicy(Qt::NoContextMenu);

    QStyle *s = style();
    NewSB = addSpeedButton("NewSB", s->standardIcon(QStyle::SP_FileIcon), QStringLiteral("New"));
    OpenSB = addSpeedButton("OpenSB", s->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Open"));
    SaveSB = addSpeedButton("SaveSB", s->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Save"));
    SpeedBar1->addSeparator();
    ZoSystemu = addSpeedButton("ZoSystemu", s->standardIcon(QStyle::SP_ArrowDown), QStringLiteral("Read from system"));
    DoSystemu = addSpeedButton("DoSystemu", s->standardIcon(QStyle::SP_ArrowUp), QStringLiteral("Write to system"));
    DoskySB = addSpeedButton("DoskySB", s->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("Read boards"));
    SpeedBar1->addSeparator();
    ReportSB = addSpeedButton("ReportSB", s->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("Report"));
    PrintSB = addSpeedButton("PrintSB", s->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("Print"));
    PrintEmptySB = addSpeedButton("PrintEmptySB", s->standardIcon(QStyle::SP_FileDialogListView), QStringLiteral("Print empty"));
    SpeedBar1->addSeparator();
    sbConfig = addSpeedButton("sbConfig", s->standardIcon(QStyle::SP_FileDialogInfoView), QStringLiteral("Settings"));
    sbKopirujDo0 = addSpeedButton("sbKopirujDo0", s->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("Copy console 1 to 0"));
    sbKopirujDo1 = addSpeedButton("sbKopirujDo1", s->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("Copy console 0 to 1"));
    sbPult0 = addSpeedButton("sbPult0", s->standardIcon(QStyle::SP_ComputerIcon), QStringLiteral("Pult 0"));
    sbPult1 = addSpeedButton("sbPult1", s->standardIcon(QStyle::SP_ComputerIcon), QStringLiteral("Pult 1"));
    sbTelZoz = addSpeedButton("sbTelZoz", s->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Phone book"));
    SpeedBar1->addSeparator();
    SpeedButton1 = addSpeedButton("SpeedButton1", s->standardIcon(QStyle::SP_TitleBarNormalButton), QStringLiteral("Tile"));
    SpeedButton2 = addSpeedButton("SpeedButton2", s->standardIcon(QStyle::SP_TitleBarShadeButton), QStringLiteral("Cascade"));
    SpeedBar1->addSeparator();
    ExitSB = addSpeedButton("ExitSB", s->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Exit"));
    for (QToolButton *b : {sbPult0, sbPult1})
        b->setCheckable(true);
    // DoskySB stays out of sight; only its action remains reachable.
    for (QAction *a : SpeedBar1->actions())
        if (SpeedBar1->widgetForAction(a) == DoskySB)
            a->setVisible(false);

    const QList<QPair<QToolButton *, QAction *>> sameAs = {
        {NewSB, New1},           {OpenSB, Open1},           {ZoSystemu, ReadConfig},
        {DoSystemu, WriteConfig}, {DoskySB, Nacitaniedosiek1}, {ReportSB, Report2},  {PrintSB, Print1},
        {PrintEmptySB, PrintEmpty1}, {sbConfig, Config1},   {sbKopirujDo0, Kopirujpult211},
        {sbKopirujDo1, Kopirujpult121}, {sbTelZoz, miTelZoznam}, {SpeedButton1, Tile1}, {SpeedButton2, Cascade1},
        {ExitSB, Close1}};
    for (const auto &[button, action] : sameAs)
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
    // The tool button saves under the current name; the menu item asks for one.
    connect(SaveSB, &QToolButton::clicked, this, [this] { Guard("Save1Click", [this] { Save1Click(false); }); });
    for (QToolButton *b : {sbPult0, sbPult1}) {
        const QString name = b->objectName();
        connect(b, &QToolButton::clicked, this, [this, b, name] {
            b->setChecked(!b->isChecked()); // the console's window decides the down state
            Guard("PultClick", [this, name] { PultClick(name); });
        });
    }
}

void TMainForm1::createPanels()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Card_Panel = new QFrame(central);
    Card_Panel->setObjectName(QStringLiteral("Card_Panel"));
    Card_Panel->setFrameShape(QFrame::StyledPanel);
    Card_Panel->setFixedHeight(55);
    column->addWidget(Card_Panel);

    Line_panel = new TClickPanel(central);
    Line_panel->setObjectName(QStringLiteral("Line_panel"));
    Line_panel->setFrameShape(QFrame::StyledPanel);
    Line_panel->setFixedHeight(34);
    auto *lineRow = new QHBoxLayout(Line_panel);
    lineRow->setContentsMargins(4, 0, 6, 0);
    lineRow->addStretch(1);
    Label1 = new QLabel(Line_panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    lineRow->addWidget(Label1);
    column->addWidget(Line_panel);
    connect(Line_panel, &TClickPanel::clicked, this, [this] { Guard("Panel1Click", [this] { Panel1Click(); }); });

    MdiArea = new QMdiArea(central);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(palette().brush(QPalette::Dark));
    column->addWidget(MdiArea, 1);

    createLogPanel();
    column->addWidget(Panel2);
    createStatusPanel();
    column->addWidget(Panel3);

    Button1 = new QPushButton(QStringLiteral("Button1"), central);
    Button2 = new QPushButton(QStringLiteral("Button2"), central);
    Button3 = new QPushButton(QStringLiteral("Button3"), central);
    test = new QPushButton(QStringLiteral("test"), central);
    for (QPushButton *b : {Button1, Button2, Button3, test}) {
        b->setObjectName(b->text());
        b->hide();
    }
    setCentralWidget(central);
}

void TMainForm1::createLogPanel()
{
    auto *logPanel = new TClickPanel(this);
    Panel2 = logPanel;
    connect(logPanel, &TClickPanel::clicked, this,
            [this] { Guard("Panel2Click", [this] { Panel2Click(); }); });
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(160);
    auto *rows = new QVBoxLayout(Panel2);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    Panel1 = new TDragBar(Panel2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    rows->addWidget(Panel1);

    auto *area = new QWidget(Panel2);
    area->setObjectName(QStringLiteral("LogArea"));
    auto *areaLayout = new QHBoxLayout(area);
    areaLayout->setContentsMargins(1, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, area);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(24);
    Splitter1->setChildrenCollapsible(false);
    Memo1 = new QPlainTextEdit(Splitter1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo2 = new QPlainTextEdit(Splitter1);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    for (QPlainTextEdit *m : {Memo1, Memo2}) {
        m->setReadOnly(true);
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        m->setFont(QFont(QStringLiteral("Monospace"), 9));
    }
    Splitter1->addWidget(Memo1);
    Splitter1->addWidget(Memo2);
    Splitter1->setStretchFactor(1, 1);
    areaLayout->addWidget(Splitter1);
    // The handle's column, where the log buttons stand, is the panel's own
    // surface: a click there (no drag) is a click on the panel.
    Splitter1->handle(1)->installEventFilter(this);
    rows->addWidget(area, 1);

    QStyle *s = style();
    auto logButton = [&](const char *name, QStyle::StandardPixmap icon, const QString &hint) {
        auto *b = new QToolButton(area);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(s->standardIcon(icon));
        b->setToolTip(hint);
        b->setStatusTip(hint);
        b->setAutoRaise(true);
        b->setFixedSize(20, 20);
        b->raise();
        return b;
    };
    sbHelpClose = logButton("sbHelpClose", QStyle::SP_TitleBarCloseButton, QStringLiteral("Close"));
    sbNorm = logButton("sbNorm", QStyle::SP_TitleBarNormalButton, QStringLiteral("Normal width"));
    sbClearMemo = logButton("sbClearMemo", QStyle::SP_DialogResetButton, QStringLiteral("Clear"));
    sbTimeKeeper = logButton("sbTimeKeeper", QStyle::SP_BrowserReload, QStringLiteral("Time keeper"));
    sbSaveLogs = logButton("sbSaveLogs", QStyle::SP_DialogSaveButton, QStringLiteral("Save logs"));

    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { Guard("Splitter1Moved", [this] { Splitter1Moved(); }); });
    connect(sbNorm, &QToolButton::clicked, this, [this] { Guard("btnNormClick", [this] { btnNormClick(); }); });
    connect(sbHelpClose, &QToolButton::clicked, this, [this] { Guard("helpcloseClick", [this] { helpcloseClick(); }); });
    connect(sbClearMemo, &QToolButton::clicked, this, [this] { Guard("bClearMemoClick", [this] { bClearMemoClick(); }); });
    connect(sbSaveLogs, &QToolButton::clicked, this, [this] { Guard("sbSaveLogsClick", [this] { sbSaveLogsClick(); }); });
    connect(sbTimeKeeper, &QToolButton::clicked, this,
            [this] { Guard("bbTimeKeeperClick", [this] { DialogueSide().bbTimeKeeperClick(); }); });
    connect(Panel1, &TDragBar::pressed, this, [this](int y) { Guard("Panel1MouseDown", [this, y] { Panel1MouseDown(y); }); });
    connect(Panel1, &TDragBar::moved, this, [this](int y) { Guard("Panel1MouseMove", [this, y] { Panel1MouseMove(y); }); });
    connect(Panel1, &TDragBar::released, this, [this] { Guard("Panel1MouseUp", [this] { Panel1MouseUp(); }); });
    Panel2->hide();
}

void TMainForm1::createStatusPanel()
{
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto *row = new QHBoxLayout(Panel3);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    StatusBar1 = new TStatusBar(6, Panel3);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    row->addWidget(StatusBar1, 1);

    LightsPanel = new QFrame(Panel3);
    LightsPanel->setObjectName(QStringLiteral("LightsPanel"));
    LightsPanel->setFrameShape(QFrame::Panel);
    LightsPanel->setFrameShadow(QFrame::Sunken);
    auto *lights = new QHBoxLayout(LightsPanel);
    lights->setContentsMargins(6, 2, 6, 2);
    lights->setSpacing(6);
    Vysielanie = new TStatusLight(QColor(0, 220, 0), LightsPanel);
    Vysielanie->setObjectName(QStringLiteral("Vysielanie"));
    Vysielanie->setToolTip(QStringLiteral("TX"));
    Prijem = new TStatusLight(QColor(230, 0, 0), LightsPanel);
    Prijem->setObjectName(QStringLiteral("Prijem"));
    Prijem->setToolTip(QStringLiteral("RX"));
    lights->addWidget(Vysielanie);
    lights->addWidget(Prijem);
    row->addWidget(LightsPanel);
    ApdSLController1 = new TSLController(Vysielanie, Prijem, this);
    ApdSLController1->setObjectName(QStringLiteral("ApdSLController1"));
    // Panel 0 takes what the others leave once the bar has its width.
    connect(StatusBar1, &TStatusBar::resized, this, [this] { Guard("FormResize", [this] { FormResize(); }); });
    connect(StatusBar1, &TStatusBar::doubleClicked, this,
            [this] { Guard("StatusBar1DblClick", [this] { StatusBar1DblClick(); }); });
}

void TMainForm1::createTimersAndPopups()
{
    auto timer = [this](const char *name, int ms) {
        auto *t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(platform::ScaledInterval(ms));
        return t;
    };
    TimerStatus = timer("TimerStatus", 200);
    TimerKomunik = timer("TimerKomunik", 1000);
    Timer2 = timer("Timer2", 5000);
    connect(TimerStatus, &QTimer::timeout, this, [this] { Guard("TimerStatusTimer", [this] { TimerStatusTimer(); }); });
    connect(TimerKomunik, &QTimer::timeout, this, [this] { Guard("TimerKomunikTimer", [this] { TimerKomunikTimer(); }); });
    connect(Timer2, &QTimer::timeout, this, [this] { Guard("Timer2Timer", [this] { Timer2Timer(); }); });
    HandOverTimer = timer("HandOverTimer", 100);
    connect(HandOverTimer, &QTimer::timeout, this, [this] { Guard("TakeHandOver", [this] { TakeHandOver(); }); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Delete2 = addAction(PopupMenu1, "Delete2", QStringLiteral("Delete"));
    miHelp = addAction(PopupMenu1, "miHelp", QStringLiteral("Help"));
    predchadzajuca = addAction(PopupMenu1, "predchadzajuca", QStringLiteral("Previous"));
    dalsia = addAction(PopupMenu1, "dalsia", QStringLiteral("Next"));
    for (QAction *a : {Delete2, miHelp, predchadzajuca, dalsia}) {
        const QString name = a->objectName();
        connect(a, &QAction::triggered, this, [this, name] { Guard("command", [this, name] { RunCommand(name); }); });
    }
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { Guard("PopupMenu1Popup", [this] { PopupMenu1Popup(); }); });

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);

    ImageList1 = {style()->standardIcon(QStyle::SP_DesktopIcon), style()->standardIcon(QStyle::SP_ComputerIcon)};
}

// ---- creation -------------------------------------------------------------------------

void TMainForm1::FormCreate()
{
    // 1. Hints go to the status bar (event()); help requests of the whole
    // application (F1, context help) go to FormHelp (eventFilter()).
    qApp->installEventFilter(this);
    SetHelpContext(SpeedBar1, HelpTopicId(QStringLiteral("MENU")));
    SetHelpContext(Card_Panel, HelpTopicId(QStringLiteral("KONFIG")));
    SetHelpContext(Line_panel, HelpTopicId(QStringLiteral("LINKA")));
    SetHelpContext(MdiArea, HelpTopicId(QStringLiteral("OKNO")));
    // 2. The quiet switch starts off; the layout's debug panel goes.
    test->hide();
    test->setText(QString());
    StatusBar1->RemovePanel(5);

    // 3.
    NotFromStartDialog = 1;
    LastFileName.clear();
    NewProjectFlag = 0;
    RLineWindowPosFlag = 0;
    CloseAccepted = 1;
    ConsoleClosingFlag = 1;
    CreateConsoleHost(); // the console windows reach the main window through it

    // 4.
    BaseTitle = QStringLiteral("Kelvara v. ") + VersionText(MainRules::FileVersion(), false, false);
    setWindowTitle(BaseTitle);

    // 5.
    SavedProgramLog.clear();
    RLineWindowPos = QPoint(-255, -255);
    ContextTarget = -1;
    AskToSave = 1;
    ModifiedFlag = 0;

    // 6. 755 by 470, centred.
    const QSize screen = ScreenSize();
    resize(755, 470);
    move((screen.width() - 755) / 2, (screen.height() - 470) / 2);

    // 7.
    HelpFile = platform::ProgramFolder() + QStringLiteral("/Kelvara.chm");

    // 8.
    const QString folder = platform::ProgramFolder();
    HistoryFiles[0] = folder + QStringLiteral("/History.txt");
    HistoryFiles[1] = folder + QStringLiteral("/HistoryP.txt");
    HistoryFiles[2] = folder + QStringLiteral("/HistoryZ.txt");
    bool anyHistory = false;
    for (const QString &f : HistoryFiles)
        anyHistory = anyHistory || MainRules::FileExists(f);
    History1->setVisible(anyHistory);

    // 9.
    UpdateSizePresets();

    // 10.
    QAction *separator = Window1->addSeparator();
    separator->setObjectName(QStringLiteral("separator1"));
    for (int n = 0; n < 2; ++n) {
        QAction *item = addAction(Window1, n == 0 ? "Pult0" : "Pult1", QStringLiteral("Pult %1").arg(n));
        item->setCheckable(true);
        const QString name = item->objectName();
        connect(item, &QAction::triggered, this, [this, name] { Guard("PultClick", [this, name] { PultClick(name); }); });
    }
    sbPult0->setToolTip(QStringLiteral("Pult 0"));
    sbPult1->setToolTip(QStringLiteral("Pult 1"));
    PultTyp[0] = PultTyp[1] = 0;
    PultScreens[0] = PultScreens[1] = 1;

    // 11.
    FirstActivation = 1;
    FirstStartFile = 1;

    // 12.
    Zoznam = Registry::CreateBoardList(QStringLiteral("TZOZ"));
    SlotCount = Byte(MainRules::BoardSlotCount(Zoznam ? Zoznam->GetType() : 0));

    // 13, 14.
    CardTypeMenu = new QMenu(this);
    CardTypeMenu->setObjectName(QStringLiteral("CardTypeMenu"));
    connect(CardTypeMenu, &QMenu::aboutToShow, this, [this] { Guard("PopupMenu1Popup", [this] { PopupMenu1Popup(); }); });
    LayoutBoardSlots();

    // 15.
    SetRecordDefaults();
    ConsoleRebuild = 0;

    // 16.
    Invert = 0;
    SelectOnMove = 0;
    PortNumber = 1;
    KeyFont = QFont(QStringLiteral("Arial"), 14);

    // 17.
    LoadSettings(SettingsFileName());
    FormResize();
    for (int i = 1; i <= 4; ++i)
        StatusBar1->SetText(i, QString());
    StatusBar1->SetText(3, QStringLiteral("  COM%1").arg(PortNumber));

    // 18.
    OpenDialog1->setDirectory(platform::ProgramFolder());
    SaveDialog1->setDirectory(platform::ProgramFolder());

    // 19.
    setCaptions();
    NewMarker = LoadStrDll(2);
    ModifiedMarker = LoadStrDll(138);

    // 20.
    FormResize();

    // 21.
    FillCardTypeMenu();
    // A write saves a modified project through the project commands.
    DialogueSide().SaveProjectRoutine = [this](int choice) { SaveForWrite(choice); };

    // 22.
    TimerStatus->start();
}

void TMainForm1::setCaptions()
{
    // An item whose text the library lacks keeps its layout default.
    auto text = [](int id, QString fallback) {
        const QString t = LoadStrDll(id);
        return t.isEmpty() ? fallback : t;
    };
    auto caption = [&](QObject *item, int id) {
        if (auto *menu = qobject_cast<QMenu *>(item))
            menu->setTitle(text(id, menu->title()));
        else if (auto *action = qobject_cast<QAction *>(item))
            action->setText(text(id, action->text()));
    };
    auto hint = [&](QToolButton *button, int id) {
        const QString t = text(id, button->toolTip());
        button->setToolTip(t);
        button->setStatusTip(t);
    };

    caption(File1, 90);
    caption(New1, 2), hint(NewSB, 2);
    caption(Open1, 3), hint(OpenSB, 3);
    caption(Save1, 32), hint(SaveSB, 145);
    caption(Config1, 23), hint(sbConfig, 23);
    caption(Report2, 22), hint(ReportSB, 22);
    caption(Print1, 187), hint(PrintSB, 187);
    caption(PrintEmpty1, 188), hint(PrintEmptySB, 188);
    caption(Close1, 4), hint(ExitSB, 4);
    caption(Edit1, 6);
    caption(Kopirujpult121, 92), hint(sbKopirujDo1, 92);
    caption(Kopirujpult211, 93), hint(sbKopirujDo0, 93);
    caption(miTelZoznam, 218), hint(sbTelZoz, 218);
    caption(ReadConfig, 38), hint(ZoSystemu, 38);
    caption(WriteConfig, 39), hint(DoSystemu, 39);
    caption(Window1, 19);
    caption(Tile1, 20);
    caption(Cascade1, 21);
    caption(Nacitaniedosiek1, 8), hint(DoskySB, 8);
    DoskySB->setEnabled(false);
    caption(About1, 117);
    caption(About2, 117);
    caption(History1, 149);
    caption(Help1, 202);
    caption(Tools1, 180);
    caption(Uloipult0akoPC1, 181);
    caption(Uloipult1akoPC1, 182);
    caption(UlozitpultyakoPC1, 204);
    caption(SaveNew1, 190);
    caption(VymazatPult, 217);
    caption(PrintAll1, 191);
    caption(PrintOriginal1, 203);
    caption(KonverziaACF, 177);
    caption(KonverziaCFG, 178);
    caption(NacitaniezUNI1, 179);
    caption(Odlozitakualnukonfiguraciu1, 205);
    caption(Porovnatsodlozenoukonfiguraciou1, 206);
    caption(Zlucitsodlozenou1, 207);
    // Tile and cascade buttons show their items' texts.
    SpeedButton1->setToolTip(Tile1->text());
    SpeedButton2->setToolTip(Cascade1->text());
}

// ---- destruction -------------------------------------------------------------------

void TMainForm1::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    FreeConsoleHost(); // console windows and the configuration
    CloseHelp();
    FreeDialogueSide();
    Zoznam.reset();
    FreeOwnedLinks(); // serial link, UDP link, export list, FTP client
    SavedProgramLog.clear();
    KeyFont = QFont();
}

// ---- shared routines -----------------------------------------------------------------

void TMainForm1::Delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::msleep(2);
    }
}

void TMainForm1::ShowFileInCaption(const QString &fileName)
{
    setWindowTitle(MainRules::CaptionForFile(fileName, BaseTitle));
}

QString TMainForm1::ConsoleLabelText(int console) const
{
    return MainRules::ConsoleLabelText(console, LoadStrDll(56), LoadStrDll(57));
}

void TMainForm1::AppShowHint(const QString &hint)
{
    // A hint "short|long" shows its long part.
    const int bar = hint.indexOf(u'|');
    StatusBar1->SetText(0, QStringLiteral("  ") + (bar >= 0 ? hint.mid(bar + 1) : hint));
}

QSize TMainForm1::ScreenSize() const
{
    if (screenOverride_.isValid())
        return screenOverride_;
    if (QScreen *s = QGuiApplication::primaryScreen())
        return s->size();
    return QSize(1024, 768);
}

void TMainForm1::FormResize()
{
    const QSize now = frameGeometry().size();
    N6404801->setChecked(now == QSize(640, 480));
    N8006001->setChecked(now == QSize(800, 600));
    N10247681->setChecked(now == QSize(1024, 768));
    int others = 0;
    for (int i = 1; i < StatusBar1->Count(); ++i) {
        const QString text = StatusBar1->Text(i);
        if (!text.isEmpty())
            StatusBar1->SetWidth(i, StatusBar1->TextWidth(text) + 6);
        else
            StatusBar1->SetWidth(i, 0);
        others += StatusBar1->Width(i);
    }
    StatusBar1->SetWidth(0, StatusBar1->width() - others);
    PlaceStatusWindow();
}

// ---- messages and reports ----------------------------------------------------------

TPrompt &TMainForm1::Prompt() const { return prompt_ ? *prompt_ : TPrompt::Current(); }

void TMainForm1::SetPrompt(TPrompt *prompt) { prompt_ = prompt; }

bool TMainForm1::Quiet() const { return test && !test->text().isEmpty(); }

int TMainForm1::LogKind(TReportKind kind)
{
    switch (kind) {
    case TReportKind::Warning: return 0;
    case TReportKind::Error: return 1;
    case TReportKind::Information: return 2;
    }
    return 2;
}

void TMainForm1::Report(TReportKind kind, const QString &text)
{
    AddLogEntry(LogKind(kind), text);
    if (Quiet())
        return;
    switch (kind) {
    case TReportKind::Error: Prompt().Error(text); break;
    case TReportKind::Warning: Prompt().Warning(text); break;
    case TReportKind::Information: Prompt().Information(text); break;
    }
}

void TMainForm1::Guard(const char *where, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        try {
            Report(TReportKind::Error, QStringLiteral("%1: %2").arg(QString::fromLatin1(where), QString::fromLocal8Bit(e.what())));
        } catch (...) {
        }
    } catch (...) {
        try {
            Report(TReportKind::Error, QStringLiteral("%1: unexpected error").arg(QString::fromLatin1(where)));
        } catch (...) {
        }
    }
}

// ---- events ----------------------------------------------------------------------------

bool TMainForm1::event(QEvent *e)
{
    if (e->type() == QEvent::StatusTip) {
        AppShowHint(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    if (e->type() == QEvent::WindowActivate) {
        // The first activation runs from the event loop, never inside this
        // event: it may show the start dialog modally.
        if (FirstActivation)
            ScheduleFirstActivation();
        else
            Guard("FormActivate", [this] { FormActivate(); });
    }
    return QMainWindow::event(e);
}

void TMainForm1::ScheduleFirstActivation()
{
    if (firstActivationPosted_ || !FirstActivation)
        return;
    firstActivationPosted_ = true;
    QTimer::singleShot(0, this, [this] { Guard("FormActivate", [this] { FormActivate(); }); });
}

void TMainForm1::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    Guard("ApplyMinimumSize", [this] { ApplyMinimumSize(); });
    // Without a window manager no activation may ever come: being shown is enough.
    ScheduleFirstActivation();
}

bool TMainForm1::eventFilter(QObject *watched, QEvent *e)
{
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(e);
        if (key->key() != Qt::Key_F1 && key->key() != Qt::Key_Help)
            break;
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::ShiftModifier) {
            // Context help: the next click names the control.
            QWhatsThis::enterWhatsThisMode();
            return true;
        }
        if (mods != Qt::NoModifier)
            break;
        // Key events go to the focused control (first through its window).
        QWidget *focus = qobject_cast<QWidget *>(watched);
        if (!focus)
            focus = QApplication::focusWidget();
        if (!focus)
            focus = QApplication::activeWindow() ? QApplication::activeWindow() : this;
        Guard("FormHelp", [this, focus] { HelpOnControl(HelpControl(focus)); });
        return true;
    }
    case QEvent::QueryWhatsThis:
        // Every control has help: its own context or the contents.
        if (watched->isWidgetType()) {
            e->accept();
            return true;
        }
        break;
    case QEvent::WhatsThis:
        if (auto *w = qobject_cast<QWidget *>(watched)) {
            e->accept();
            // One click names one control; the mode ends with it, as showing a text ends it.
            QWhatsThis::leaveWhatsThisMode();
            Guard("FormHelp", [this, w] { HelpOnControl(w); });
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (Splitter1 && Splitter1->count() > 1 && watched == Splitter1->handle(1)) {
            auto *mouse = static_cast<QMouseEvent *>(e);
            if (mouse->button() != Qt::LeftButton)
                break;
            const QPoint at = mouse->globalPosition().toPoint();
            if (e->type() == QEvent::MouseButtonPress) {
                handlePress_ = at;
            } else if (handlePress_ != QPoint(-1, -1)) {
                // A drag of the splitter moves the mouse; a click does not.
                const bool still = (at - handlePress_).manhattanLength() < QApplication::startDragDistance();
                handlePress_ = QPoint(-1, -1);
                if (still)
                    Guard("Panel2Click", [this] { Panel2Click(); });
            }
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm1::closeEvent(QCloseEvent *e)
{
    if (closingByExit_) {
        e->accept();
        return;
    }
    // The window's close command runs Exit, which decides whether the window closes.
    inCloseEvent_ = true;
    Guard("Close1Click", [this] { Close1Click(); });
    inCloseEvent_ = false;
    if (closingByExit_)
        e->accept();
    else
        e->ignore();
}

void TMainForm1::moveEvent(QMoveEvent *e)
{
    QMainWindow::moveEvent(e);
    // The window manager's frame is known once the window is placed.
    if (isVisible())
        Guard("ApplyMinimumSize", [this] { ApplyMinimumSize(); });
    Guard("PlaceStatusWindow", [this] { PlaceStatusWindow(); });
}

void TMainForm1::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    Guard("FormResize", [this] { FormResize(); });
}
