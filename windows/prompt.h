#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Message boxes and questions of the whole program go through one service, so
// that tests can script the answers and see every box that was asked.
class TPrompt
{
public:
    enum class Kind { Error, Warning, Information, Confirmation };

    // Answers and buttons carry the platform's dialog result numbers.
    enum Button : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

    // A set of buttons, as a bit mask of (1 << Button).
    using Buttons = unsigned;
    static constexpr Buttons Bit(Button b) { return 1u << b; }
    static constexpr Buttons OkOnly = 1u << Ok;
    static constexpr Buttons OkCancel = (1u << Ok) | (1u << Cancel);
    static constexpr Buttons YesNo = (1u << Yes) | (1u << No);
    static constexpr Buttons YesNoCancel = (1u << Yes) | (1u << No) | (1u << Cancel);
    static constexpr Buttons RetryCancel = (1u << Retry) | (1u << Cancel);
    static constexpr Buttons AbortRetryIgnore = (1u << Abort) | (1u << Retry) | (1u << Ignore);

    virtual ~TPrompt() = default;

    // Shows one box and returns the button chosen (one of `buttons`).
    virtual int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) = 0;

    void Error(const QString &text) { Ask(Kind::Error, text, OkOnly); }
    void Warning(const QString &text) { Ask(Kind::Warning, text, OkOnly); }
    void Information(const QString &text) { Ask(Kind::Information, text, OkOnly); }
    bool Confirm(const QString &text) { return Ask(Kind::Confirmation, text, YesNo) == Yes; }

    // The first button of a set in the order Ok, Yes, Retry, Abort, Ignore, No, Cancel:
    // what a box answers when nobody is there to click.
    static int DefaultButton(Buttons buttons);
    static QString KindWord(Kind kind);

    // The service in force. Unless one was set, it is the widget service, or
    // the standard-error service when KELVARA_PROMPT=stderr.
    static TPrompt &Current();
    // Sets the service (not owned); null returns to the default.
    static void SetCurrent(TPrompt *prompt);
};

// Production: a modal QMessageBox.
class TWidgetPrompt : public TPrompt
{
public:
    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override;
    void SetParent(QWidget *parent) { parent_ = parent; }

private:
    QWidget *parent_ = nullptr;
};

// Writes every box to standard error ("PROMPT <kind>: <text>") and answers the
// default button: used where no one can click, and by tests of the executable.
class TStderrPrompt : public TPrompt
{
public:
    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override;
};

// Tests: answers from a script, records every box asked.
class TScriptedPrompt : public TPrompt
{
public:
    struct Asked {
        Kind kind;
        QString text;
        Buttons buttons;
        QString title;
    };

    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override;

    // Queues an answer for the next box; boxes beyond the script get the default button.
    void Answer(int button) { answers_.append(button); }
    const QList<Asked> &asked() const { return asked_; }
    QStringList texts() const;
    void clear()
    {
        asked_.clear();
        answers_.clear();
    }

private:
    QList<int> answers_;
    QList<Asked> asked_;
};

// Installs a service for the life of a scope and puts the previous one back.
class TPromptScope
{
public:
    explicit TPromptScope(TPrompt *prompt);
    ~TPromptScope();
    TPromptScope(const TPromptScope &) = delete;
    TPromptScope &operator=(const TPromptScope &) = delete;

private:
    TPrompt *previous_;
};
