#include "windows/prompt.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

TPrompt *&installed()
{
    static TPrompt *prompt = nullptr;
    return prompt;
}

QMessageBox::StandardButton standardButton(int button)
{
    switch (button) {
    case TPrompt::Ok: return QMessageBox::Ok;
    case TPrompt::Cancel: return QMessageBox::Cancel;
    case TPrompt::Abort: return QMessageBox::Abort;
    case TPrompt::Retry: return QMessageBox::Retry;
    case TPrompt::Ignore: return QMessageBox::Ignore;
    case TPrompt::Yes: return QMessageBox::Yes;
    case TPrompt::No: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

} // namespace

int TPrompt::DefaultButton(Buttons buttons)
{
    for (int b : {Ok, Yes, Retry, Abort, Ignore, No, Cancel})
        if (buttons & (1u << b))
            return b;
    return Ok;
}

QString TPrompt::KindWord(Kind kind)
{
    switch (kind) {
    case Kind::Error: return QStringLiteral("error");
    case Kind::Warning: return QStringLiteral("warning");
    case Kind::Information: return QStringLiteral("information");
    case Kind::Confirmation: return QStringLiteral("confirmation");
    }
    return QString();
}

TPrompt &TPrompt::Current()
{
    if (installed())
        return *installed();
    if (qEnvironmentVariable("KELVARA_PROMPT") == QLatin1String("stderr") || !qobject_cast<QApplication *>(QCoreApplication::instance())) {
        static TStderrPrompt stderrPrompt;
        return stderrPrompt;
    }
    static TWidgetPrompt widgetPrompt;
    return widgetPrompt;
}

void TPrompt::SetCurrent(TPrompt *prompt) { installed() = prompt; }

int TWidgetPrompt::Ask(Kind kind, const QString &text, Buttons buttons, const QString &title)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case Kind::Error: icon = QMessageBox::Critical; break;
    case Kind::Warning: icon = QMessageBox::Warning; break;
    case Kind::Information: icon = QMessageBox::Information; break;
    case Kind::Confirmation: icon = QMessageBox::Question; break;
    }
    const QString caption = title.isEmpty() ? QApplication::applicationDisplayName() : title;
    // Texts written for the old platform break lines with CR alone.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox box(icon, caption, shown, QMessageBox::NoButton, parent_);
    for (int b : {Ok, Yes, Retry, Abort, Ignore, No, Cancel})
        if (buttons & (1u << b))
            box.addButton(standardButton(b));
    if (buttons == 0)
        box.addButton(QMessageBox::Ok);
    box.setDefaultButton(standardButton(DefaultButton(buttons)));
    const int chosen = box.exec();
    for (int b : {Ok, Yes, Retry, Abort, Ignore, No, Cancel})
        if (chosen == standardButton(b))
            return b;
    // Closed by the window's close button: the box's escape answer.
    if (buttons & Bit(Cancel))
        return Cancel;
    if (buttons & Bit(No))
        return No;
    return DefaultButton(buttons);
}

int TStderrPrompt::Ask(Kind kind, const QString &text, Buttons buttons, const QString &)
{
    const QByteArray line = QStringLiteral("PROMPT %1: %2\n").arg(KindWord(kind), text).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return DefaultButton(buttons);
}

int TScriptedPrompt::Ask(Kind kind, const QString &text, Buttons buttons, const QString &title)
{
    asked_.append({kind, text, buttons, title});
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return DefaultButton(buttons);
}

QStringList TScriptedPrompt::texts() const
{
    QStringList result;
    for (const Asked &a : asked_)
        result.append(a.text);
    return result;
}

TPromptScope::TPromptScope(TPrompt *prompt) : previous_(installed()) { installed() = prompt; }

TPromptScope::~TPromptScope() { installed() = previous_; }
