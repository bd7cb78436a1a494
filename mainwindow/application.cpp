#include "mainwindow/application.h"

#include <QDir>
#include <QLoggingCategory>

#include <exception>

#include "cardpack/dll_load.h"
#include "mainwindow/mainform.h"
#include "platform/codepage.h"
#include "platform/handover.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/singleinstance.h"
#include "windows/prompt.h"

Q_LOGGING_CATEGORY(lcHandOver, "kelvara.handover", QtWarningMsg)

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void TApplication::ReportException(const QString &what)
{
    try {
        if (MainForm1)
            MainForm1->Report(TReportKind::Error, what);
        else
            TPrompt::Current().Error(what);
    } catch (...) {
    }
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportException(QStringLiteral("unexpected error"));
    }
    return false;
}

std::unique_ptr<HandOver::TServer> ListenForHandOver(TMainForm1 &form, const QString &socketPath)
{
    TMainForm1 *window = &form;
    auto server = std::make_unique<HandOver::TServer>([window](const QString &name) {
        qCInfo(lcHandOver).noquote() << "handed over:" << name;
        window->Guard("WMCopyData", [window, name] { window->HandOverFile(name); });
    });
    if (!server->Listen(socketPath))
        qCWarning(lcHandOver) << "no hand-over socket";
    else
        qCInfo(lcHandOver).noquote() << "listening:" << server->SocketPath();
    return server;
}

int RunProgram(TApplication &app)
{
    // The language library comes before any text is fetched; without it the program does not start.
    HInstDll = platform::LoadLanguageLibrary(platform::ProgramFolder() + QStringLiteral("/LANG.DLL"));
    if (HInstDll <= 32) {
        TPrompt::Current().Error(LanguageLibraryErrorText());
        return 0;
    }
    // Without its code pages the program would write wrong letters into every file.
    if (const QString error = platform::CodePageError(); !error.isEmpty()) {
        TPrompt::Current().Error(error);
        return 1;
    }
    app.setApplicationName(QStringLiteral("Kelvara"));
    app.setApplicationDisplayName(QStringLiteral("Kelvara"));
    app.setProperty("HelpFile", QStringLiteral("Kelvara.chm"));

    auto *form = new TMainForm1;
    std::unique_ptr<HandOver::TServer> server = ListenForHandOver(*form, platform::InstanceSocketPath());
    form->CreateStatusWindow();
    form->show();
    app.exec();
    server.reset(); // no file may reach a window that is gone
    delete form;
    return 0;
}
