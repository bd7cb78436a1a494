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

// Empty when both code pages could be built from the C library; otherwise a
// message naming the page that is missing. The program does not start then:
// without the pages every project file and console text would be wrong.
// Until then a missing page converts ASCII only: any other byte reads as
// U+FFFD and any other character writes as '?', never as a wrong letter.
QString CodePageError();

namespace testing {
// Builds both pages again from these iconv names (a name iconv lacks forces
// the failure; nullptr is the real name); two nullptr restore the real pages.
void UseCodePageNames(const char *cp1250, const char *cp852);
} // namespace testing

} // namespace platform
