// cfg.ini: the window's placement, the key options, the port, the last file and the key font.
#include "mainwindow/mainform.h"

#include <QFile>
#include <QSaveFile>

#include "editing/mainrules.h"
#include "platform/programfolder.h"
#include "windows/prompt.h"

QString TMainForm1::SettingsFileName() const { return platform::WritePath(QStringLiteral("cfg.ini")); }

SettingsFile::TSettings TMainForm1::CurrentSettings() const
{
    SettingsFile::TSettings values;
    const Qt::WindowStates state = windowState();
    values.WindowState = (state & Qt::WindowMaximized) ? 1 : (state & Qt::WindowMinimized) ? 2 : 0;
    // The normal placement, in the same terms as it is applied, so that the
    // window does not creep from start to start.
    QRect placement = geometry();
    if (values.WindowState != 0 && normalGeometry().isValid())
        placement = normalGeometry();
    values.Top = placement.top();
    values.Left = placement.left();
    values.Width = placement.width();
    values.Height = placement.height();
    values.Options = VlAkoHint * 4 + SelectOnMove * 2 + Invert;
    values.COMport = PortNumber;
    values.FileName = LastFileName;
    values.Font.Name = KeyFont.family();
    values.Font.Size = KeyFont.pointSize();
    values.Font.Color = KeyFontColor;
    values.Font.Bold = KeyFont.bold();
    values.Font.Italic = KeyFont.italic();
    values.Font.Underline = KeyFont.underline();
    values.Font.StrikeOut = KeyFont.strikeOut();
    values.Font.Charset = KeyFontCharset;
    return values;
}

void TMainForm1::ApplySettings(const SettingsFile::TSettings &values)
{
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    // The smallest size and the screen bound what the file asks for.
    if (normal)
        setGeometry(MainRules::FitPlacement(QRect(values.Left, values.Top, values.Width, values.Height),
                                            size(), ScreenSize()));
    StateToApply = values.WindowState == 1   ? Qt::WindowMaximized
                   : values.WindowState == 2 ? Qt::WindowMinimized
                                             : Qt::WindowNoState;
    Invert = values.Options & 1 ? 1 : 0;
    SelectOnMove = values.Options & 2 ? 1 : 0;
    VlAkoHint = values.Options & 4 ? 1 : 0;
    PortNumber = Byte(values.COMport);
    LastFileName = values.FileName;
    KeyFont.setFamily(values.Font.Name);
    if (values.Font.Size > 0)
        KeyFont.setPointSize(values.Font.Size);
    KeyFont.setBold(values.Font.Bold);
    KeyFont.setItalic(values.Font.Italic);
    KeyFont.setUnderline(values.Font.Underline);
    KeyFont.setStrikeOut(values.Font.StrikeOut);
    KeyFontColor = values.Font.Color;
    KeyFontCharset = values.Font.Charset;
}

void TMainForm1::LoadSettings(const QString &fileName)
{
    if (!MainRules::FileExists(fileName)) {
        SaveSettings(fileName);
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Prompt().Error(QStringLiteral("I/O error: %1: %2").arg(fileName, file.errorString()));
        return;
    }
    SettingsFile::TSettings values = CurrentSettings();
    const QString error = SettingsFile::Read(file.readAll(), values);
    file.close();
    ApplySettings(values);
    if (!error.isEmpty())
        Prompt().Error(error);
}

bool TMainForm1::SaveSettings(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(SettingsFile::Write(CurrentSettings())) < 0 || !file.commit()) {
        Prompt().Error(QStringLiteral("I/O error: %1: %2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}
