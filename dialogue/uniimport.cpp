// The UNI import: a new configuration from a UNI file and the console side
// files beside it, read like the side files of PC consoles.
#include <QFileInfo>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "model/objekty.h"
#include "records/systemimage.h"

#include <algorithm>

using Prompt = TDialoguePrompt;

bool TDialogue::LoadUniConfig(const QString &fileName)
{
    const Byte saved = OperationMode;
    if (saved != opmode::Idle && saved != opmode::ImportAcf && saved != opmode::ImportCfg)
        return false;
    host_.RefreshMenus();
    OperationMode = opmode::ImportUni;
    const auto restore = [this, saved](bool result) {
        OperationMode = saved;
        return result;
    };

    if (host_.ConsoleWindowsOpen() && !host_.CloseAllConsoles())
        return restore(false);
    // A UNI file makes a project of its own; the ACF and CFG imports keep the
    // configuration their new-console dialog made.
    if (saved == opmode::Idle && host_.Model())
        host_.FreeModel();

    TSystemImage &image = host_.Image();
    if (image.ConsoleType(0) == 0 && image.ConsoleType(1) == 0) {
        const QString text = LoadStrDll(323);
        host_.AddLogEntry(1, text);
        if (!host_.Quiet())
            Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
        return restore(false);
    }

    bool asked = false;
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile()) {
        host_.SetProjectName(fileName);
        asked = true;
    }
    QString rejected;
    int unconfigured = 0;
    bool failed = false;
    bool converted = true;
    for (int n = 0; n < ConsoleCount && !failed && converted; ++n)
        if (image.ConsoleType(n) != 0)
            converted = host_.LoadPcPultFile(asked, failed, n, false, rejected, unconfigured);
    if (failed || !converted) {
        AbortSession(true);
        return restore(false);
    }

    if (unconfigured > 0) {
        QString count = LoadStrDll(41);
        count.insert(std::max<int>(int(count.size()) - 1, 0), QString::number(unconfigured));
        QString text = count;
        if (!rejected.isEmpty())
            text = LoadStrDll(18) + QLatin1Char(' ') + LoadStrDll(74) + QStringLiteral("\r\n") + LoadStrDll(134) +
                   QStringLiteral(": ") + rejected + QStringLiteral("\r\n") + count;
        host_.AddLogEntry(1, text);
        if (!host_.Quiet())
            Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
    }
    ResetOperation();
    if (!host_.Quiet())
        host_.OpenConsoleWindows();
    host_.SetStatusText(LoadStrDll(71));
    UnlockUserInterface();
    return restore(true);
}
