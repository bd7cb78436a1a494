#pragma once

#include <QByteArray>
#include <QString>

// Code-page conversions of the files and the consoles (Qt has no such codecs).
// Characters a code page cannot hold become '?'.
namespace platform {

QString FromCp1250(const QByteArray &bytes);
QByteArray ToCp1250(const QString &text);

QString FromCp852(const QByteArray &bytes);
QByteArray ToCp852(const QString &text);

} // namespace platform
