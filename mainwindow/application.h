#pragma once

#include <QApplication>

#include <memory>

class TMainForm1;
namespace HandOver {
class TServer;
}

// The application object: no exception leaves an event handler; it is
// reported through the main window (or a box) and the program goes on.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows or logs an exception that reached the event loop.
    static void ReportException(const QString &what);
};

// The exact text of the box shown when the language library cannot be loaded.
inline QString LanguageLibraryErrorText()
{
    return QStringLiteral("Error load library \"Lang.DLL\"!\r\r\"EXIT\"");
}

// The program body after the single-instance rule: loads the language library,
// creates the main window and runs the message loop. Returns the exit code (0).
int RunProgram(TApplication &app);

// The running copy's hand-over socket: every file a second copy sends goes to
// the main window (HandOverFile).
std::unique_ptr<HandOver::TServer> ListenForHandOver(TMainForm1 &form, const QString &socketPath);
