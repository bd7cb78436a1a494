#pragma once

// The inside of a sequence session: the main window under test, its folder,
// the answers to its questions and dialogs, the commands and the checks.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "tests/sequence/sequence.h"
#include "windows/prompt.h"

class QDialog;
class QFileDialog;
class QLocalSocket;
class QMenu;
class QAction;
class QWidget;
class TAPult;
class TColorButton;
class TMainForm1;
class TMDIChild;
class TNastav1;
class TNovyPult;
class TWizard;
class PtyPeer;
namespace HandOver
{
class TServer;
}

namespace sequence
{

// The first line where two texts differ, for a failure's detail.
QString FirstDifference(const QByteArray &a, const QByteArray &b);

// The engineer's work in a configuration, one line per setting, key, binding
// and phone-book entry: what the project text holds less what the program
// derives again on its own (the names and types of free lines, the line
// numbers, the card data of a board without bindings).
QByteArray WorkText(const TAPult *config);

// What a command may do to the project, for the checks that depend on it.
enum class TKind {
    Edit,     // changes the configuration in place
    Settings, // the settings dialog: applies what it shows, whatever the answer
    Replace,  // may put another configuration (or none) in the place of this one
    Save,     // writes the project
    Other,    // changes nothing of the project
};

// A box the program asked, and the answer it got.
struct TBox {
    TPrompt::Kind kind;
    QString text;
    TPrompt::Buttons buttons;
    int answer;
};

// The program as the checks see it between two steps.
struct TState {
    bool alive = false;    // a main window runs
    bool loaded = false;   // it holds a configuration
    bool consoles = false; // the configuration has a console
    const TAPult *config = nullptr;
    QByteArray text;      // the configuration's project text
    QByteArray work;      // its WorkText
    bool unsaved = false; // the text is not that of the project's file
    QStringList windows;  // the console windows shown, as "Pult0:type/screens"
    int port = -1;
    QString projectName;
    QString saveFile; // the file Save writes to; empty: it asks for a name
};

class TRig;

// Every box goes to the rig, which answers with one of its buttons.
class TChoosingPrompt : public TPrompt
{
public:
    explicit TChoosingPrompt(TRig &rig) : rig_(rig) {}
    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override;

private:
    TRig &rig_;
};

class TRig
{
public:
    TRig();
    ~TRig();

    bool ok = false;
    TFailure failure;
    QStringList ignored; // checks that do not fail a run
    bool trace = false;  // print what each step changed
    bool live = false;   // print each action as it happens (a run that dies shows how far it came)
    QString lastStep;

    bool Step(TChooser &chooser);

    // ---- answers (rig.cpp) --------------------------------------------------------------
    int AnswerBox(TPrompt::Kind kind, const QString &text, TPrompt::Buttons buttons);
    int AnswerFile(QFileDialog &dialog, QString &name);
    int AnswerNewConsole(TNovyPult &dialog);
    int AnswerSettings(TNastav1 &dialog);
    int AnswerStart(TWizard &dialog);
    bool AnswerUni(QString &name);

private:
    // ---- the program and its folder (rig.cpp) -------------------------------------------
    bool MakeFolder();
    bool StartProgram();
    void EndProgram();
    void WriteFixtures();
    QByteArray Normalized(const QByteArray &text);
    QByteArray WorkOfText(const QByteArray &text);
    QHash<QString, QByteArray> ProjectFiles() const;
    TState Snapshot();
    void Settle();
    void Say(const QString &text);

    // ---- the checks (rig.cpp) -----------------------------------------------------------
    bool Check(const TState &before, TKind kind);
    bool Fail(const QString &check, const QString &detail);
    QStringList ExceptionsReported();
    QStringList ExpectedWindows() const;

    // ---- real events (commands.cpp) -----------------------------------------------------
    // Outside a step (the program starting) every choice is the first one.
    int Pick(int count) { return chooser_ && count > 1 ? chooser_->Pick(count) : 0; }
    bool Chance(int percent) { return Pick(100) < percent; }
    void Click(QWidget *w, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {},
               QPoint at = QPoint(-1, -1));
    void MoveMouseTo(QWidget *w);
    bool ClickMenuItem(QMenu *menu, QAction *item);
    bool RunMenuItem(QMenu *menu, QAction *item);
    void ClickToolButton(QWidget *button);
    void PressKey(QWidget *w, int key, Qt::KeyboardModifiers mods = {});
    void ActivateForm();
    QList<TMDIChild *> Windows() const;
    TMDIChild *ActiveWindow() const;
    TMDIChild *ChooseWindow();
    bool Activate(TMDIChild *w);
    TColorButton *ShowKey(TMDIChild *w, int key);
    void ClickKey(TMDIChild *w, int key, Qt::KeyboardModifiers mods = {});
    QList<int> KeysWhere(TMDIChild *w, const std::function<bool(int key, TColorButton *control)> &test) const;
    void MarkSomeKeys(TMDIChild *w);
    void WhenModal(const QString &name, std::function<void(QDialog &)> drive);
    void StopWatching();
    QString KeyName(TMDIChild *w, int key) const;

    // ---- the commands (commands.cpp) ----------------------------------------------------
    enum class TNeeds { Nothing, Windows, NoConfiguration };
    struct TCommand {
        const char *name;
        int weight;
        TNeeds needs;
        TKind (TRig::*run)();
    };
    static const QList<TCommand> &Commands();
    TKind BindLine();
    TKind MarkKeys();
    TKind DeleteKeys();
    TKind CopyKeys();
    TKind PasteKeys();
    TKind MoveKeys();
    TKind PlacePending();
    TKind KeyProperties();
    TKind PlaceCard();
    TKind RemoveCard();
    TKind ActivateWindow();
    TKind ShowPage();
    TKind CopyConsole();
    TKind Settings();
    TKind NewProject();
    TKind OpenProject();
    TKind SaveProject();
    TKind SaveProjectAs();
    TKind StoredCopy();
    TKind Import();
    TKind CloseWindow();
    TKind Exit();
    TKind HandOverFile();
    // A second copy connects and sends a project file's name (or one of no file).
    bool StartHandOver(const QString &when);
    void EndHandOver();
    TKind StartDialog();
    TKind Arrange();
    void AfterMove(TMDIChild *w);

    // ---- state ----------------------------------------------------------------------------
    TChooser *chooser_ = nullptr;
    QTemporaryDir dir_;
    QString programDir_, projectDir_, importDir_, scratchDir_, socketPath_;
    std::unique_ptr<PtyPeer> port_; // COM2: a port the settings can offer
    TChoosingPrompt prompt_{*this};
    std::unique_ptr<TPromptScope> promptScope_;
    std::unique_ptr<TMainForm1> form_;
    std::unique_ptr<HandOver::TServer> server_;
    QPointer<QObject> watcher_; // drives a modal dialog without a hook

    QStringList said_;           // what this step did
    QList<TBox> boxes_;          // the boxes of this step
    QString lastFile_;           // the project file last opened or saved; empty: none
    QByteArray baseline_;        // the work the program opened from it or wrote to it
    QString openChosen_;         // a project file an open dialog or a hand-over named in this step
    QString handedOver_;         // the file last handed over: it may be taken in a later step
    bool portChosen_ = false;    // this step chose a port in the settings dialog
    bool saveCancelled_ = false; // a save question (or the name asked after its Yes) was cancelled
    int startChoice_ = 0;        // the start dialog's choice the next time it shows; 0 leave it
    bool startShown_ = false;
    bool settingsFromStep_ = false;
    QString forcedOpen_;             // the open dialog's answer, when a command decides it
    QLocalSocket *sender_ = nullptr; // a hand-over's second copy while it waits
    bool senderGivesUp_ = false;
    bool handOverDone_ = false;
    bool handOverInBox_ = false; // a hand-over came while a box was open in this step
    bool inBox_ = false;
    QHash<QByteArray, QByteArray> normalized_; // text -> the text it reads back as
    int logSeen_ = 0;                          // program log characters already checked
    int restarts_ = 0;
    int ticks_ = 0; // status ticks so far
};

} // namespace sequence
