#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QDialog;
class TDialogue;
class TMainForm1;
class TNovyPult;

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

    // The new-console dialog is shown through this when set (tests);
    // otherwise modally. Returns the dialog's result.
    std::function<int(TNovyPult &)> NovyPultExec;
    // The console question (a small dialog with the console type) is shown
    // through this when set; without it, and with a prompt service other than
    // the widget one, the question goes to the prompt as OK/Cancel with the
    // console's type kept.
    std::function<int(QDialog &)> ConsoleDialogExec;

private:
    class Host;
    class Prompt;
    class Link;
    class Consoles;

    TMainForm1 &form_;
    std::unique_ptr<Consoles> consoles_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<Prompt> prompt_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<TDialogue> engine_;
    std::array<bool, 10> savedEnabled_{};
};
