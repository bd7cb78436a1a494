#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

using Byte = std::uint8_t;

// The frame log entry of one sent or received frame, line by line as it goes
// to the log pane: a heading, the step line, the bytes as rows of hex and
// decimal values (runs of filler rows at the end left out), two empty lines.
//
// bytes: the frame from its command byte; lastIndex: the last byte that may be
// looked at (8196 for the request buffer, the answer's last byte otherwise);
// length: the frame length of a sent frame (a received one shows lastIndex + 1).
namespace dlg
{

struct FrameLogContext {
    int kom = 0;
    int step = 0;
    QString timeText;
};

QStringList FrameLogLines(std::span<const Byte> bytes, int lastIndex, bool sent, int length,
                          const FrameLogContext &context);

// The number of leading bytes the dump shows (header included), after the
// filler rows at the end are cut off.
int FrameLogCut(std::span<const Byte> bytes, int lastIndex, bool sent, int length, int kom, int step);

} // namespace dlg
