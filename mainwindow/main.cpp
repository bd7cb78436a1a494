#include <QCoreApplication>
#include <QDir>

#include "editing/mainrules.h"
#include "mainwindow/application.h"
#include "platform/handover.h"
#include "platform/singleinstance.h"

int main(int argc, char **argv)
{
    // One copy per user: a second copy hands its file to the running one and ends.
    platform::TInstanceLock lock;
    if (!lock.Acquire()) {
        QCoreApplication app(argc, argv);
        const QString argument = MainRules::ChooseFileArgument(app.arguments(), MainRules::FileExists);
        HandOver::Send(platform::InstanceSocketPath(), HandOver::AbsoluteName(argument, QDir::currentPath()), 10000);
        return 0;
    }
    TApplication app(argc, argv);
    return RunProgram(app);
}
