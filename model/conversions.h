#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "cardpack/konstkarty.h"
#include "cardpack/sablona.h"

// Small conversions shared by the model and the windows. No state.

// The two fields of a test answer: Value is b[k] * 255 + b[k+1] (255, as the
// system computes it), Kind is b[k+2].
struct TReplyField {
    Byte Kind = 0;
    std::int32_t Value = 0;
};

// Each decoder fills the field from a received test answer (header included)
// when the answer is long enough, else leaves it as it was.
void DecodePultReplyField5(const DynPole &answer, TReplyField &field);   // k = 5, more than 7 bytes
void DecodePultReplyField8(const DynPole &answer, TReplyField &field);   // k = 8, more than 10 bytes
void DecodeSystemReplyField5(const DynPole &answer, TReplyField &field); // k = 5, more than 7 bytes
void DecodeSystemReplyField8(const DynPole &answer, TReplyField &field); // k = 8, more than 10 bytes

// Hex digits (either case), most significant first; "" is 0. A text with other
// characters gives 0; TryHexStrToInt tells it apart.
std::int64_t HexStrToInt(const QString &S);
bool TryHexStrToInt(const QString &S, std::int64_t &V);

// Two upper-case hex digits per byte, concatenated.
QString BytesToHex(const Byte *bytes, int count);

// "null" leaves V and is true; a decimal 32-bit integer goes to V and is true;
// anything else leaves V and is false.
bool StrToIntOrNull(const QString &S, std::int32_t &V);

// Line-position names of the 32 positions: E0-L0 .. E0-H7, E1-L0 .. E1-H7.
QString LinePosName(int N);
int LinePosFromName(const QString &S);
int ShortLinePosFromName(const QString &S); // the older form 1H3
bool IsLinePosName(const QString &S);

// Text of the mechanical consoles: OEM code page 852 with the system's own
// places for the two letters R with caron (0xD0, 0xD1). At most 254 characters.
QString OemToAnsiText(const QByteArray &S);
QByteArray AnsiToOemText(const QString &S);

// 2.1.9.114 -> "2.1.9"; WithBuild -> "2.1.9.114"; " (test)" when TestFlag and
// the last part is 2 or more.
QString VersionText(const QString &Version, bool TestFlag, bool WithBuild);

// Keys a console shows: type 1 Value * Factor1, type 2 Value * Factor2, at
// most 224; 0 for other types.
int ScaledLimit224(int Mode, int Value, int Factor2, int Factor1);

// Dial digits: one code byte per character, 255 empty.
Byte DialDigitCode(QChar C); // 255 for a character outside the table
QByteArray DialDigitsToCode(const QString &S);          // first 32 characters
QString DialCodeToDigits(const QByteArray &Codes);     // first 32 codes
QString DialCodeToDigits(const Byte *codes, int count); // the same over raw bytes

// Line by line, exact. False when a name is empty or a file is missing.
bool TextFilesEqual(const QString &A, const QString &B);

// Mask is a folder and a file-name wildcard (*, ?, [set]). Of the plain files
// matching the whole name, the oldest (modification time, then name without
// regard to case) are deleted until Keep remain. Returns how many were deleted.
int DeleteOldFiles(const QString &Mask, int Keep);

// Escapes a literal text for use inside a DeleteOldFiles mask.
QString WildcardLiteral(const QString &text);
