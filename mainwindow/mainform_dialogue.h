#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QDialog;
class TDialogue;
class TDialogueHost;
class TDialoguePrompt;
class TMainForm1;
class TNovyPult;
class TUlozitProjekt;
enum class TLinkError;

// The device dialogue as the main window runs it: the engine, the window's
// side of it (configuration, image, cards, logs, console windows), the serial
// link over the window's port and the questions through the window's prompt.
// A child of the main window; built by TMainForm1::DialogueSide().
class TFormDialogue : public QObject
{
    Q_OBJECT

public:
    explicit TFormDialogue(TMainForm1 &form);
    ~TFormDialogue() override;

    TDialogue &Engine() { return *engine_; }
    // The window's side and questions, for the network operations.
    TDialogueHost &HostSide();
    TDialoguePrompt &PromptSide();

    // The commands of the device dialogue, on the window's COM number.
    void DoskySBClick();      // Nacitaniedosiek1, DoskySB: the boards only
    void bbTimeKeeperClick(); // sbTimeKeeper: the time keeper's memory
    void WriteConfigClick();  // WriteConfig, DoSystemu: write to the system
    void VymazatPultClick();  // VymazatPult: erase the consoles

    // The window's serial link failed while open.
    void ComPortFailed(TLinkError kind, const QString &message);

    // The new-console dialog is shown through this when set (tests);
    // otherwise modally. Returns the dialog's result.
    std::function<int(TNovyPult &)> NovyPultExec;
    // The console question (a small dialog with the console type) is shown
    // through this when set; without it, and with a prompt service other than
    // the widget one, the question goes to the prompt as OK/Cancel with the
    // console's type kept.
    std::function<int(QDialog &)> ConsoleDialogExec;
    // The save prompt before a write is shown through this when set (tests);
    // otherwise modally. Returns 1 save, 4 save under the current name, 2 cancel.
    std::function<int(TUlozitProjekt &)> SavePromptExec;
    // Saves the project for a write: 1 under a chosen name (Save2FileOrv),
    // 4 under the current name (Save1Click). Set by the project commands;
    // until then a save is refused and the project stays unsaved, so that
    // nothing is written.
    std::function<void(int choice)> SaveProjectRoutine;
    // The open dialog of a PC console's side file is shown through this when
    // set (tests): title, filter ("*.cfg|*.cfg"), the proposed and chosen file.
    std::function<bool(const QString &title, const QString &filter, QString &fileName)> ChooseFileExec;

    // The open dialog of a side file (ChooseFileExec when set, else the
    // window's open dialog):
    // fileName holds the proposal, whose folder the dialog opens in, and
    // receives the absolute name chosen (defaultExtension added when it has
    // none). False when cancelled.
    bool ChooseSideFile(const QString &title, const QString &defaultExtension, const QString &filter,
                        QString &fileName);
    // The proposal for a side-file dialog: the folder of the open project, or
    // of the last project that had a file when the open one has none yet.
    QString SideFileProposal();

private:
    void NoteProjectFolder(const QString &projectName);

    class Host;
    class Prompt;
    class Link;
    class SideFiles;

    TMainForm1 &form_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<Prompt> prompt_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<TDialogue> engine_;
    std::array<bool, 10> savedEnabled_{};
    QString projectFolder_; // the folder of the last project that had a file
};
