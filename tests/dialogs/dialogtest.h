#pragma once

// Shared set-up of the dialog tests: the program's language library and a
// screenshot helper for looking at a dialog by hand.
#include "cardpack/dll_load.h"
#include "platform/langlib.h"

#include <QDir>
#include <QString>
#include <QWidget>

inline bool LoadProgramLanguage()
{
    if (HInstDll <= 32)
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
    return HInstDll > 32;
}

// With KELVARA_SHOTS=<folder> set, saves a grab of the widget there.
inline void SaveShot(QWidget &w, const QString &name)
{
    const QString folder = qEnvironmentVariable("KELVARA_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    w.grab().save(folder + u'/' + name + QStringLiteral(".png"));
}
