#pragma once

#include <QFont>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "cardpack/sablona.h"
#include "editing/linepanels.h"
#include "editing/settingsfile.h"
#include "editing/statusrules.h"
#include "model/reporter.h"
#include "records/pcrecord.h"
#include "records/systemimage.h"

class QAction;
class QDialog;
class QFileDialog;
class QFrame;
class QLabel;
class QMdiArea;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class TBoardPanel;
class TClickPanel;
class TDragBar;
class TPrompt;
class TSLController;
class TStatusBar;
class TStatusLight;
class TUDPRForm1;
class TSpeedButton;
class QFrame;
class QRadioButton;
class QSpinBox;
class QWidget;
class TDialogue;
class TFormDialogue;
class TMainConsoleHost;
class TMDIChild;
class TNastav1;
class TWizard;

// Owned by the main window, built by other parts of the program.
class TAPult;
class TApdA;
class TUDPR_S;
class TFTPCL;
class TErrMsg;
class TStatusMsg;
class TNetOperations;
class TNetLink;

// The program's one main window (null before it is created and after it is gone).
class TMainForm1;
extern TMainForm1 *MainForm1;

// The multiple-document main window: it owns everything that outlives a dialog.
// Areas of its implementation live in their own files (mainform_*.cpp).
class TMainForm1 : public QMainWindow, public TModelReporter
{
    Q_OBJECT

public:
    // Runs FormCreate. `screen` replaces the primary screen's size (tests).
    explicit TMainForm1(QWidget *parent = nullptr, QSize screen = QSize());
    // Runs FormDestroy.
    ~TMainForm1() override;

    // ---- creation and destruction (mainform.cpp) ------------------------------------
    void FormCreate();
    void FormDestroy();

    // ---- components, named as in the layout -------------------------------------
    QMenu *File1 = nullptr;
    QAction *New1 = nullptr, *Open1 = nullptr, *Save1 = nullptr, *SaveNew1 = nullptr, *Config1 = nullptr;
    QAction *ReadConfig = nullptr, *WriteConfig = nullptr, *Nacitaniedosiek1 = nullptr;
    QAction *KonverziaACF = nullptr, *KonverziaCFG = nullptr, *NacitaniezUNI1 = nullptr;
    QAction *Report2 = nullptr, *Print1 = nullptr, *PrintEmpty1 = nullptr, *PrintAll1 = nullptr,
            *PrintOriginal1 = nullptr, *Close1 = nullptr;
    QMenu *Edit1 = nullptr;
    QAction *Kopirujpult121 = nullptr, *Kopirujpult211 = nullptr, *miTelZoznam = nullptr, *VymazatPult = nullptr;
    QAction *Odlozitakualnukonfiguraciu1 = nullptr, *Porovnatsodlozenoukonfiguraciou1 = nullptr,
            *Zlucitsodlozenou1 = nullptr;
    QMenu *Tools1 = nullptr;
    QAction *Uloipult0akoPC1 = nullptr, *Uloipult1akoPC1 = nullptr, *UlozitpultyakoPC1 = nullptr;
    QMenu *Window1 = nullptr;
    QAction *Tile1 = nullptr, *Cascade1 = nullptr, *N6404801 = nullptr, *N8006001 = nullptr,
            *N10247681 = nullptr, *comunication1 = nullptr;
    QMenu *About1 = nullptr; // the help menu
    QAction *Help1 = nullptr, *History1 = nullptr, *About2 = nullptr;

    QToolBar *SpeedBar1 = nullptr;
    QToolButton *NewSB = nullptr, *OpenSB = nullptr, *SaveSB = nullptr, *ZoSystemu = nullptr,
                *DoSystemu = nullptr, *ReportSB = nullptr, *PrintSB = nullptr, *PrintEmptySB = nullptr,
                *sbConfig = nullptr, *sbKopirujDo0 = nullptr, *sbKopirujDo1 = nullptr, *sbPult0 = nullptr,
                *sbPult1 = nullptr, *sbTelZoz = nullptr, *SpeedButton1 = nullptr, *SpeedButton2 = nullptr,
                *ExitSB = nullptr, *DoskySB = nullptr;

    // Hidden test buttons; `test` with a caption is the quiet switch.
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *test = nullptr;

    QFrame *Card_Panel = nullptr;
    TClickPanel *Line_panel = nullptr;
    QLabel *Label1 = nullptr;
    QMdiArea *MdiArea = nullptr;

    QFrame *Panel2 = nullptr; // log panel
    TDragBar *Panel1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr; // program log
    QPlainTextEdit *MoveListing = nullptr; // a move preview's listing, a tool window of its own
    QPlainTextEdit *Memo2 = nullptr; // communication log
    QToolButton *sbHelpClose = nullptr, *sbNorm = nullptr, *sbClearMemo = nullptr, *sbTimeKeeper = nullptr,
                *sbSaveLogs = nullptr;

    QFrame *Panel3 = nullptr;
    TStatusBar *StatusBar1 = nullptr;
    QFrame *LightsPanel = nullptr;
    TStatusLight *Vysielanie = nullptr, *Prijem = nullptr;
    TSLController *ApdSLController1 = nullptr;

    QTimer *TimerStatus = nullptr;  // 200 ms
    QTimer *TimerKomunik = nullptr; // 1000 ms
    QTimer *Timer2 = nullptr;       // 5000 ms

    QMenu *PopupMenu1 = nullptr;
    QAction *Delete2 = nullptr, *miHelp = nullptr, *predchadzajuca = nullptr, *dalsia = nullptr;
    QFileDialog *OpenDialog1 = nullptr, *SaveDialog1 = nullptr;
    QList<QIcon> ImageList1; // 0 mechanical console, 1 PC console

    // ---- board slots (mainform_slots.cpp) ---------------------------------------
    QMenu *CardTypeMenu = nullptr;
    QList<TBoardPanel *> BoardPanels; // 32, null where a slot has none
    QList<QLabel *> BoardLabels;      // 32, null where a slot has none
    QList<QLabel *> RowLabels;

    // Lays out the 32 board slots from the board-type list (step by step as at creation).
    void LayoutBoardSlots();
    void FillCardTypeMenu();
    // Creates by class name + "Card", else the name: a card becomes the card of
    // `slot`, a board-type list the card package; anything else is freed.
    bool CreateCardByName(const QString &name, int slot);
    QString CardCaptionByName(const QString &name);
    bool IsBoardSlotValid(int slot) const;
    // 13, or 16 when the board-type list's flags have bit 2.
    Byte SlotCount = 13;

    // ---- state ----------------------------------------------------------------------
    TAPult *APult = nullptr;       // the configuration, none when nothing is loaded
    std::unique_ptr<TAPult> StoredAPult; // stored copy for compare and merge, from the first store on
    std::unique_ptr<TZoznam> Zoznam; // the board-type list (card package)
    TApdA *ComPort = nullptr;
    TUDPR_S *UDPR_S = nullptr;
    TFTPCL *FTPCL = nullptr;
    TUDPRForm1 *UDPRForm1 = nullptr; // the status window, from start to end
    QStringList SavedProgramLog; // Memo1's text while the variable views are shown
    TPcRecord PcRecord;
    TUniRecord UniRecord;
    TOldRecord AcfRecord;    // older ACF import record
    TOldRecord OldCfgRecord; // older CFG import record
    TSystemImage SystemImage;

    Byte PultTyp[2] = {0, 0};     // 0 not connected, 1 PC console, 2 mechanical console
    Byte PultScreens[2] = {1, 1}; // screen counts
    int KeysPerScreenMech = 0;
    int KeysPerScreenPC = 0;

    int ContextTarget = -1;             // the board slot last right-clicked, -1 none
    QPointer<TSpeedButton> ContextCard; // the card button last right-clicked, instead of a slot
    Byte ModifiedFlag = 0;
    Byte NewProjectFlag = 0;
    Byte FirstActivation = 1;
    Byte FirstStartFile = 1;
    Byte StartActionGuard = 0;
    Byte NotFromStartDialog = 1;
    Byte CloseAccepted = 1;
    Byte AskToSave = 1;
    Byte ConsoleRebuild = 0;
    Byte RLineWindowPosFlag = 0;
    QPoint RLineWindowPos{-255, -255};
    Byte UDPFailed = 0;

    Qt::WindowState StateToApply = Qt::WindowNoState;
    Byte Invert = 0, SelectOnMove = 0, VlAkoHint = 0;
    Byte PortNumber = 1;
    QFont KeyFont;
    std::int32_t KeyFontColor = SettingsFile::DefaultFontColor;
    int KeyFontCharset = SettingsFile::DefaultCharset;

    QString LastFileName; // cfg.ini "FileName="
    QString ProjectName;
    QString BaseTitle;
    QString ModifiedMarker; // language text 138
    QString NewMarker;      // language text 2
    QString DateTextNow, TimeTextNow;
    QString HistoryFiles[3];
    QString NetParams[3]; // address, then the two arguments after it
    QString HelpFile;     // absolute path of Kelvara.chm

    // ---- shared routines (mainform.cpp) ----------------------------------------------
    // Processes events for `ms` milliseconds.
    static void Delay(int ms);
    void ShowFileInCaption(const QString &fileName);
    QString ConsoleLabelText(int console) const;
    void AppShowHint(const QString &hint);
    QSize ScreenSize() const;
    void FormResize();

    // ---- messages, reports and the quiet switch (mainform.cpp) ----------------------
    TPrompt &Prompt() const;
    void SetPrompt(TPrompt *prompt); // not owned; null returns to the program's service
    bool Quiet() const;              // `test` carries a caption
    // The model's warnings and errors: to the log and, unless quiet, to a box.
    void Report(TReportKind kind, const QString &text) override;
    // The program log's kind code of a report: 0 WARNING, 1 ERROR, 2 Information.
    static int LogKind(TReportKind kind);
    // Runs a handler so that no exception leaves it: it is reported instead.
    void Guard(const char *where, const std::function<void()> &handler);

    // ---- settings (mainform_settings.cpp) -----------------------------------------
    QString SettingsFileName() const; // cfg.ini where the program writes
    void LoadSettings(const QString &fileName);
    bool SaveSettings(const QString &fileName);
    SettingsFile::TSettings CurrentSettings() const;
    void ApplySettings(const SettingsFile::TSettings &values);

    // ---- logs (mainform_logs.cpp) -------------------------------------------------------
    void AddLogEntry(int kind, const QString &text);
    // An error entry in the log and, unless quiet, an error box.
    void ReportError(const QString &text);
    void AppendCommLog(const QString &text);
    void ClearCommLog();
    QString LogFolder() const;
    bool sbSaveLogsClick();
    void bClearMemoClick();
    void helpcloseClick();
    void ShowLogPanel(bool visible);
    void Panel1MouseDown(int globalY);
    void Panel1MouseMove(int globalY);
    void Panel1MouseUp();

    // ---- log pane splitter and size presets (mainform_logs.cpp) ------------------
    int SplitterLeft() const;
    void Splitter1Moved();
    void btnNormClick();
    void N6404801Click();
    void N8006001Click();
    void N10247681Click();
    void UpdateSizePresets();
    // Gives the outer window the size, as FormCanResize lets it.
    void SetOuterSize(QSize outer);
    // The outer window's smallest size, in the terms of the window's client size.
    void ApplyMinimumSize();

    // ---- start, hand-over and exit (mainform_start.cpp) --------------------------
    void FormActivate();
    // Runs FormActivate once from the event loop, at the first show or
    // activation, whichever comes first.
    void ScheduleFirstActivation();
    // A second copy's file: raises the window, then opens the file when it
    // exists. While another dialog or question is open the file is kept and
    // opened once it has closed.
    void HandOverFile(const QString &name);
    void WMCopyData(const QString &name);
    // Opens the kept file unless the window must still wait.
    void TakeHandOver();
    bool HandOverMustWait();
    std::optional<QString> PendingHandOver; // the file a second copy handed over, not opened yet
    QTimer *HandOverTimer = nullptr;        // retries the kept file while it waits
    void Close1Click();
    // Exit has decided to close the window: nothing re-arms the status timer.
    bool ExitDecided() const { return closingByExit_; }

    // ---- placeholders until their parts land (mainform_pending.cpp) -------------
    bool ParseCommandLine(); // built (mainform_start.cpp)
    void EnterNetworkMode();
    void ReclickSelectedCard();
    // The selected card button comes up: the extended-line window closes (its
    // position kept) and the line buttons go.
    void ReleaseCardButton();
    void ShowMoveListing(const QString &text);
    void CreateComPort(); // built (mainform_start.cpp)
    void WMAnswer(const QByteArray &frame, int port);
    void RunStartAction(Byte udpFailed);
    bool OpenProjectByName(const QString &name); // built (mainform_project.cpp)
    bool AbortCommunication();
    QString CommStateText();
    void TimerStatusTimer();
    void TimerKomunikTimer();
    void Timer2Timer();
    void MenuClick();
    // The application's help event (F1, context help, the help commands):
    // the help command and its data; always handled.
    bool FormHelp(unsigned command, std::intptr_t data);
    // F1 over the focused control, and context help over a clicked one: the
    // control's help context, or the contents when it has none.
    void HelpOnControl(QWidget *control);
    unsigned LastHelpCommand = 0; // the last request FormHelp passed on
    std::intptr_t LastHelpData = 0;
    void miHelpClick();
    void Panel2Click();
    Byte StatusTimerPaused = 0; // Panel2Click stopped the status timer; Timer2 starts it again
    void PultClick(const QString &senderName);
    void Tile1Click();
    void Cascade1Click();
    void comunication1Click();
    void StatusBar1DblClick();
    void Panel1Click();
    void DoskaContextPopup(int slot, const QPoint &globalPos);
    void PMClick(const QString &caption); // a card-type item's caption
    void PopupMenu1Popup();
    void SetRecordDefaults();
    void CreateStatusWindow(); // built (mainform_logs.cpp)
    void PlaceStatusWindow();
    void FreeOwnedLinks();
    void CloseHelp();
    void RunCommand(const QString &name); // a command by its menu item's name

    // ---- card buttons, board selection, consoles (mainform_cards.cpp) -----------
    // Card buttons by slot (32 entries once the first is made); none before.
    std::unique_ptr<QList<TSpeedButton *>> CardButtonList;
    Byte ClosingGuard = 0;      // set while CloseAllConsoles runs
    Byte ConsoleClosingFlag = 0; // a console window closes by the user's own hand
    QWidget *LastActiveConsole = nullptr;

    bool AddCardButton(std::unique_ptr<TCardOld> card, int slot, QWidget *parent = nullptr);
    TSpeedButton *CreateCardButton(std::unique_ptr<TCardOld> &card, int slot, QWidget *parent);
    TSpeedButton *GetCardButton(int slot) const;
    TSpeedButton *GetLineButton(int n) const;
    TSpeedButton *GetRLineButton(int n) const;
    static TCardOld *CardOfButton(QObject *button);
    TCardOld *CardOfSlot(int slot) const; // the card of a slot's card button
    void FreeCardButton(int slot);
    // The slot's card button and card go; what was built from the card goes first.
    void DropCardButton(int slot);
    void FreeCardButtons();
    void Card_SpeedButtonClick(QObject *sender);
    void ShowCard(bool useSelected, int slot);
    void SelectCardAndLine(bool pressLine);
    void SyncCardWithActiveConsole();
    bool CardModeMatches(int slot, int value) const;
    // The right button on a card button: the press makes it the context
    // target, the release over it opens PopupMenu1.
    void Card_ButtonMouseDown(TSpeedButton *sender, Qt::MouseButton button, QPoint pos);
    void Card_ButtonMouseUp(TSpeedButton *sender, Qt::MouseButton button, QPoint pos);
    QWidget *ActiveConsoleWindow() const;
    void ActiveConsoleInfo(LinePanels::TConsoleInfo &rec) const;
    void SelectedCard(LinePanels::TSelCard &rec) const;
    void SelectedLine(LinePanels::TSelLine &rec) const;
    void SelectedRLine(LinePanels::TSelRLine &rec) const;
    int ActiveConsoleNumber() const; // 255 none
    TPult *ActivePult() const;
    bool CloseAllConsoles();
    // A console window shown (a closed one may linger until it is deleted).
    bool AnyConsoleWindowShown() const;
    // Held by each command that asks the console windows to close (Exit, New,
    // Open, the reads, a window closed by the user, the console disconnect).
    // The close-accepted flag lives only for that command: however it ends,
    // windows still open ask again at their next close.
    class TCloseRound
    {
    public:
        explicit TCloseRound(TMainForm1 &form) : form_(form) {}
        ~TCloseRound()
        {
            if (form_.AnyConsoleWindowShown())
                form_.CloseAccepted = 0;
        }
        TCloseRound(const TCloseRound &) = delete;
        TCloseRound &operator=(const TCloseRound &) = delete;

    private:
        TMainForm1 &form_;
    };
    static void FreeConsole(TAPult *configuration, int n);
    static void ClearConsole(TAPult *configuration, int n);

    // Small card-line queries.
    QString CardTypeName(int slot) const;
    QString LineName(int slot, int line) const;
    QString CardLineText(int slot, int line) const;
    Byte CardLineTypeNumber(int slot, int index) const;
    QString ImageLineName(int slot, int line, int pos, int type) const;
    QString ImageLineNameSplit(int slot, int line, int pos, int type) const;
    Byte ExtendedLineValue(int slot, int line, Byte value) const;
    bool LineHasKey(int slot, int line) const;
    bool LineIsAssigned(int slot, int line) const;
    bool LineKeyName(int slot, int line, QString &name) const;

    // ---- line buttons, line-type panel, extended-line window (mainform_lines.cpp) ----
    std::unique_ptr<QList<TSpeedButton *>> LineButtonList;
    std::unique_ptr<QList<TSpeedButton *>> RLineButtonList;
    QFrame *PanelRB = nullptr;
    QWidget *rozForm = nullptr;

    void AddLineButton(TCardOld *card, int i, QWidget *parent);
    TSpeedButton *CreateLineButton(TCardOld *card, int i, QWidget *parent);
    void FreeLineButtons();
    void Line_SpeedButtonClick(QObject *sender);
    void LineButtonAction(QObject *sender);
    void Line_SpeedButtonMouseMove(QObject *sender);
    void BuildRLinePanel(TCardOld *card, int index);
    void FreeRLinePanel();
    QFrame *FindPanelRB() const;
    QToolButton *FindArrowButtonR(int g) const;
    QMenu *FindPopupMenuR(int g) const;
    QList<QRadioButton *> RadioButtons() const;
    void RButtonClick(QRadioButton *sender);
    void ArrowButtonRClick(QToolButton *sender);
    void MenuItemRClick(QAction *sender);
    void Vytvor(QWidget *&window, TCardOld *card, int line);
    void ShowRozForm();
    void ClickRB();
    void RLine_SpeedButtonClick(QObject *sender);
    void RLineButtonAction(QObject *sender);
    void RLine_SpeedButtonMouseMove(QObject *sender);
    void RLine_SpinEditChange(QSpinBox *sender);
    TSpeedButton *FindRozButton(int n) const;
    void CloseRozForm();
    void RozsirClose();

    // ---- settings dialog (mainform_settings.cpp) ---------------------------------
    // Runs the settings dialog modally and gives its result (exec unless set); tests replace it.
    static std::function<int(TNastav1 &)> SettingsDialogExec;

    // ---- console layout change (mainform_layout.cpp) -----------------------------
    // The configuration and the console windows follow PultTyp and PultScreens.
    void RefreshMdiChilds();
    // Console `console` (every console for -1) changes from outside the key
    // editing of its windows: a pending move or paste there ends first and
    // its keys show the console as it is. Every command that changes a
    // console behind its windows' backs tells it here.
    void ConsoleChanging(int console = -1);
    // The key font, for the key controls of the open console windows too.
    void SetKeyFont(const QFont &font);

    // ---- board slot menus (mainform_slots.cpp) -------------------------------------
    void Delete2Click();
    // Every window of console c shows key k empty in the normal colour.
    void ClearKeyControl(int console, int key);

    // ---- console files, hidden items, accessors (mainform_consolefiles.cpp) ---
    QAction *povolit = nullptr, *dalsiakarta1 = nullptr, *dalsialinka1 = nullptr, *dalsiavolnakarta1 = nullptr,
            *predchadzajucavolnakarta1 = nullptr, *prepni1 = nullptr;
    void CreateHiddenItems();
    void povolitClick();
    void dalsiakarta1Click();
    void dalsialinka1Click();
    void dalsiavolnakarta1Click();
    void predchadzajucavolnakarta1Click();
    void prepni1Click();
    void testClick();
    int TestRuns = 0; // the quiet switch's repeated reads
    QString GetPultName() const;
    void SetPultName(const QString &name);
    QString GetSystemTypeText() const;
    void SetSystemType(Byte type);
    bool PultHasKindRKey(int console) const;
    // True when a name changed.
    bool TakeKeyNamesFromPcRecord(const TPcRecord &record, int console);
    void Uloipult0akoPC1Click();
    void Uloipult1akoPC1Click();
    void UlozitpultyakoPC1Click();
    // Saves console n (or every connected one, n -1) as a PC console file
    // under a name from the save dialog.
    void SaveConsolesAsPc(int n);

    // ---- console windows and key binding (consolehostimpl.cpp) -------------------
    std::unique_ptr<TMainConsoleHost> ConsoleHostImpl; // installed as the console host
    bool Nove(const QString &prefix, const QString &text, bool upgraded, TAPult *config);
    bool NovyPult(int consoleNo, const QString &prefix, TAPult *config, const QString &text);
    void FreeConfiguration(); // both consoles (FreeConsole) and the TAPult
    void CreateConsoleHost();
    void FreeConsoleHost();

    // ---- device dialogue (mainform_dialogue.cpp) ---------------------------------
    TFormDialogue *FormDialogue = nullptr; // made on first use, a child of the window
    TFormDialogue &DialogueSide();
    // The device dialogue's engine. It owns the dialogue state (phase Kom, step
    // ktKrok, console KomPult, the operation mode and the session flags);
    // the window reads it there.
    TDialogue &Dialogue();
    // Nothing runs: no phase and no operation.
    bool DialogueIdle();
    void ReadFromSystemClick(); // ReadConfig and ZoSystemu, only when idle
    // At the end: the console windows, the dialogue and the configuration go.
    void FreeDialogueSide();
    // ---- start action, status timer, menus, help (mainform_life.cpp, mainform_status.cpp) ----
    StatusRules::TNetSlots NetResult{}; // network result slots 0..10
    Byte MarkIndex = 1;                  // turning mark "-\|/", 1..4
    QString ShownCommState;              // the state text the tick put in panel 0 last
    int DatagramCount = 0;               // relay replies counted from the -i address
    Byte VariableView = 0;               // Line_panel's tag: 0 program log, 1 refreshed, 2 frozen
    Byte NetWaitBusy = 0;                // a wait on a network slot is in progress
    Byte WaitCancelled = 0;              // Exit asked the running wait to end
    Byte ExitPending = 0;                // Exit runs as soon as the wait has ended
    TWizard *StartDialog = nullptr;      // while shown
    int StartDialogShows = 0;            // how often the start dialog was shown
    QString LastStartFile;               // the file argument the start action opened
    int LastStartChoice = 0;             // the choice the start action ran last
    QString LastTickError;               // shown once while the same failure repeats
    // Runs the start dialog modally and gives its result (exec unless set); tests replace it.
    static std::function<int(TWizard &)> StartDialogExec;
    QStringList (*Arguments)() = nullptr; // the program's arguments; tests replace them
    // Opens a project for the start action and the hand-over; OpenProjectByName unless set.
    std::function<bool(const QString &)> OpenProjectRoutine;

    void RunStartChoice(int choice);
    void CreateFtpClient();
    void StatusWindowClick();
    // Waits up to `ms` for slot's Code to leave -1, serving events; false on time-out
    // or when Exit cancelled the wait.
    bool WaitForNetSlot(int slot, int ms);
    void UpdatePultButtons(int n);
    void ApplyMenuStates(const StatusRules::TMenuStates &states);
    void TakeRelayReply();
    void HelpClick();
    void History1Click();
    void About1Click();
    // Placeholders of the start dialog's choices until their parts land (mainform_pending.cpp).
    void Config1Click();
    void KonverziaACFClick(); // built (mainform_import.cpp)
    void KonverziaCFGClick(); // built (mainform_import.cpp)
    void readcfg1Click();     // built (mainform_import.cpp)
    void New1Click();  // built (mainform_project.cpp)
    void ReadConfigClick(); // built (mainform_network.cpp)
    void Open1Click(); // built (mainform_project.cpp)

    // ---- network operations (mainform_network.cpp) ---------------------------------
    std::shared_ptr<TNetLink> NetLink;      // made with NetOps
    std::shared_ptr<TNetOperations> NetOps; // made on first use
    QAction *writeFile4FTP1 = nullptr, *ReadFromFile4FTP1 = nullptr; // network mode's file commands
    TNetOperations &NetOperations();
    void SendNetCommand(int Code, const QString &Text);
    bool ReadBoardsByNet(bool OnlySystemList, bool CloseAfter);
    void WriteConfigByNet();
    void ReadConfigByNet();
    void writeFile4FTP1Click();
    void ReadFromFile4FTP1Click();
    void FtpError(const TErrMsg &message);
    void FtpStatus(const TStatusMsg &message);
    // Network mode's controls: the FTP client's events, the status window's
    // buttons and the two file commands.
    void BindNetworkControls();

    // ---- printing and the report (mainform_print.cpp) ----------------------------
    void GenerateReport(const QStringList &Lines);
    void ReportSBClick();
    void Print1Click(const QString &senderName); // the mode comes from the item's name

    // ---- export file (mainform_export.cpp) ---------------------------------------
    // Runs the export's save dialog modally (exec unless set); tests replace it.
    static std::function<int(QFileDialog &)> ExportDialogExec;
    void SaveNew1Click();

    // ---- stored copy, compare, merge, copy of consoles (mainform_stored.cpp) -----
    void ConnectStoredCommands();
    void Odlozitakualnukonfiguraciu1Click();
    void Porovnatsodlozenoukonfiguraciou1Click();
    void Zlucitsodlozenou1Click();
    void Kopirujpult121Click();
    void Kopirujpult211Click();
    void CopyPult(int Source, int Target);
    // The keys of one console shown again on its windows, then the selected board.
    void RefreshPultKeys(int Console);
    // Marks the project modified and shows the mark at once.
    void ShowModified();

    // ---- phone book (mainform_phonebook.cpp) -----------------------------------------
    void miTelZoznamClick();
    // ---- projects: new, open, save (mainform_project.cpp) ------------------------
    QString SaveFileName;       // the name the save step writes; empty: it asks for one
    Byte AllConsolesClosed = 0; // CloseAllConsoles closed every window for the running command
    // The open and save dialogs run through this when set (tests): fileName
    // holds the proposed name and receives the chosen one; returns the
    // dialog's result (QDialog::Accepted when confirmed).
    static std::function<int(QFileDialog &, QString &fileName)> FileDialogExec;
    // A filter of the form "text|pattern|text|pattern" as a file dialog's name filters.
    static QStringList NameFilters(const QString &filter);
    // Runs one of the window's file dialogs (through FileDialogExec when set):
    // name receives the absolute name chosen, with the dialog's default suffix
    // when it has none. False when cancelled or nothing was chosen.
    static bool RunFileDialog(QFileDialog &dialog, QString &name);
    // Save1 asks for the name (fromMenu); SaveSB only for a new project.
    void Save1Click(bool fromMenu);
    // Writes the project file; true when it was written.
    bool Save2FileOrv();
    // Opens the project file with its side files; the result of Nove.
    bool OpenProjectFile(const QString &name);
    // The new-console dialog: 0 read the boards, 1 do not read them, 2 cancel.
    int RunNewConsoleDialog(bool showFirst, bool showSecond);
    // The same dialog without touching the configuration: the one it made
    // goes to `config` (result 0 or 1), none on cancel (2).
    int AskNewConsoleSetup(bool showFirst, bool showSecond, std::unique_ptr<TAPult> &config);
    // Frees the configuration; `config` and its console set-up take its place.
    void InstallConfiguration(std::unique_ptr<TAPult> config);
    // The window's console table and the image take the configuration's console set-up.
    void TakeConsoleSetup();

    // ---- imports of older files (mainform_import.cpp) ----------------------------
    // The open dialog OpenDialog1 for one file (through FileDialogExec when
    // set), its settings put back afterwards: name holds the proposal, whose
    // folder the dialog opens in, and receives the absolute name chosen
    // (suffix added when it has none). False when cancelled.
    bool ChooseFileToOpen(const QString &suffix, const QString &filter, const QString &title, QString &name);
    // The line types of a four-wire board (two answers); 255 when no card
    // class for it is registered.
    Byte CardTypeDialog(int boardPosition, int linePosition, Byte &second);
    // The card-type dialog runs through this when set (tests).
    static std::function<int(QDialog &)> CardTypeDialogExec;
    // The UNI import's loader (mode 17): builds a configuration for the
    // consoles of `config` from the UNI file fileName (none: the side-file
    // dialog asks) and the console side files beside it, apart from the open
    // project, which makes way only once the new one is whole. loadedName:
    // the file the side files were named after. False, with the open project,
    // its windows and its name as they were, when a file is missing or
    // damaged, a board is refused, a dialog is cancelled or a console window
    // refuses to close.
    bool LoadUniConfig(const QString &fileName, std::unique_ptr<TAPult> config, QString &loadedName);
    // The save prompt's answer before a write: 1 save under the project's
    // name (asked only when it has none), 4 save under a name asked for.
    void SaveForWrite(int choice);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void createMenus();
    void createToolBar();
    void createPanels();
    void createLogPanel();
    void createStatusPanel();
    void createTimersAndPopups();
    void setCaptions();
    QAction *addAction(QMenu *menu, const char *name, const QString &caption);
    QToolButton *addSpeedButton(const char *name, const QIcon &icon, const QString &text);
    void placeLogButtons();

    TPrompt *prompt_ = nullptr;
    QSize screenOverride_;
    bool closingByExit_ = false;
    bool firstActivationPosted_ = false;
    QPoint handlePress_{-1, -1}; // a press on the splitter's handle, for Panel2Click
    bool inCloseEvent_ = false;
    bool inSettings_ = false; // Settings runs: its dialog, then the changes it applies
    bool destroyed_ = false;
    int dragRow_ = 0;
    bool dragging_ = false;
};
