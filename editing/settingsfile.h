#pragma once

#include <QByteArray>
#include <QString>

// The text of cfg.ini: key=value lines in the window's own order.
namespace SettingsFile {

// The key font's colour when none was chosen: the platform's window-text colour.
constexpr std::int32_t DefaultFontColor = -16777208; // 0x80000008
constexpr int DefaultCharset = 1;

struct TKeyFontSettings {
    QString Name = QStringLiteral("Arial");
    int Size = 14;
    std::int32_t Color = DefaultFontColor;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = DefaultCharset;
};

struct TSettings {
    int Top = 0;
    int Left = 0;
    int Width = 755;
    int Height = 470;
    int WindowState = 0; // 0 normal, 1 maximised, 2 minimised
    int Options = 0;     // bit 0 Invert, bit 1 SelectOnMove, bit 2 VlAkoHint
    int COMport = 1;
    QString FileName;
    TKeyFontSettings Font;
};

// Reads the file's bytes (Windows-1250) into `values`, line by line. A line
// counts for a key when the key and its "=" end at the line's first "=",
// without regard to case; the value is the rest of the line. A bad number stops
// the reading: the values read before it stay, and the result is the error's
// message (empty when all went well).
QString Read(const QByteArray &bytes, TSettings &values);

// The whole file, CR LF lines, Windows-1250. A last file name that Windows-1250
// cannot hold is written whole on an extra line, FileNameUtf8, that the
// original program ignores.
QByteArray Write(const TSettings &values);

// "[fsBold,fsItalic]" and the like.
QString StyleList(const TKeyFontSettings &font);

} // namespace SettingsFile
