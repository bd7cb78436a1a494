#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class QTextBrowser;
class QToolButton;

// The help window: one page of the help folder at a time, with its links.
class THelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);

    // Shows a page of the folder; false when the page does not exist.
    bool ShowPage(const QString &Folder, const QString &Page);
    // The file of the page shown ("" before the first).
    QString CurrentFile() const;
    QTextBrowser *Browser() const { return browser_; }

private:
    QTextBrowser *browser_;
    QToolButton *back_;
    QToolButton *forward_;
    QToolButton *home_;
    QString folder_;
};

// The help library's entry point (see platform/htmlhelp.h): carries out the
// display, contents, context and close-all commands in one help window.
std::intptr_t HtmlHelpA(QObject *window, const QString &file, unsigned command, std::uintptr_t data);

// Registers HtmlHelpA with the platform's help layer (once is enough).
void InstallHelpViewer();

// The help window while one is open.
THelpViewer *CurrentHelpViewer();

// Where help failures go; by default the program's error box (TPrompt).
using THelpErrorSink = std::function<void(const QString &text)>;

// One request of the program to the help library (viewer installed first):
// the application's help file, the command and data; a failure is handed to
// the sink and gives 0.
std::intptr_t ShowHelp(QWidget *window, unsigned command, std::uintptr_t data,
                       const THelpErrorSink &onError = {});

// The application's help event: translates a help command (context, quit,
// contents, finder) and always reports it handled.
bool FormHelp(unsigned Command, std::intptr_t Data, QWidget *window = nullptr,
              const THelpErrorSink &onError = {});
