#include "comm/buffer.h"

#include <cstring>

TBuffer::TBuffer() : FSlots(new Slot[SlotCount])
{
    Clear();
}

TBuffer::~TBuffer() = default;

void TBuffer::Clear()
{
    FP_In = 1;
    FP_Out = 1;
    FWrap = false;
    FCount = 1;
    FOverlong = false;
}

int TBuffer::FrameCount() const
{
    return FWrap ? FP_In - FP_Out + SlotCount : FP_In - FP_Out;
}

bool TBuffer::InRange(bool withCount) const
{
    if (FP_In < 1 || FP_In > SlotCount)
        return false;
    return !withCount || (FCount >= 1 && FCount <= SlotSize);
}

void TBuffer::ReportRange(bool withCount)
{
    QString text = QStringLiteral("Range check error\r\nP_In=<1;%1>; ").arg(SlotCount);
    if (withCount)
        text += QStringLiteral("Count=<1;%1>;\r\nP_In=%2; Count=%3;").arg(SlotSize).arg(FP_In).arg(FCount);
    else
        text += QStringLiteral("P_In=%1;").arg(FP_In);
    Report(TLogKind::Error, FName + QStringLiteral(": ") + text);
}

void TBuffer::Report(TLogKind kind, const QString &text) const
{
    if (FLog)
        FLog(kind, text);
}

bool TBuffer::PutByte(std::uint8_t b)
{
    if (FOverlong)
        return false;
    if (!InRange(true)) {
        // One report per frame: the frame is marked and dropped at EndFrame.
        FOverlong = true;
        ReportRange(true);
        return false;
    }
    Slot &slot = FSlots[FP_In - 1];
    slot.data[FCount - 1] = b;
    slot.length = FCount;
    ++FCount; // may reach SlotSize + 1: the next byte is refused
    return true;
}

bool TBuffer::EndFrame()
{
    if (FOverlong) {
        Report(TLogKind::Warning,
               FName + QStringLiteral(": frame longer than %1 bytes dropped").arg(SlotSize));
        ResetFrame();
        return false;
    }
    if (!InRange(false)) {
        ReportRange(false);
        ResetFrame();
        return false;
    }
    if (FrameCount() >= Capacity) {
        Report(TLogKind::Warning,
               FName + QStringLiteral(": full (%1 frames), new frame refused").arg(Capacity));
        ResetFrame();
        return false;
    }
    FSlots[FP_In - 1].length = FCount - 1;
    NextIn();
    return true;
}

void TBuffer::ResetFrame()
{
    FCount = 1;
    FOverlong = false;
}

bool TBuffer::PutFrame(const std::uint8_t *data, int length)
{
    if (length < 0 || length > SlotSize) {
        Report(TLogKind::Warning,
               FName + QStringLiteral(": frame of %1 bytes refused (at most %2)").arg(length).arg(SlotSize));
        return false;
    }
    if (!InRange(false)) {
        ReportRange(false);
        return false;
    }
    if (FrameCount() >= Capacity) {
        Report(TLogKind::Warning,
               FName + QStringLiteral(": full (%1 frames), new frame refused").arg(Capacity));
        return false;
    }
    Slot &slot = FSlots[FP_In - 1];
    if (length > 0)
        std::memcpy(slot.data, data, std::size_t(length));
    slot.length = std::uint16_t(length);
    NextIn();
    return true;
}

bool TBuffer::PutFrame(const QByteArray &frame)
{
    return PutFrame(reinterpret_cast<const std::uint8_t *>(frame.constData()), int(frame.size()));
}

bool TBuffer::GetFrame(std::uint8_t *destination, std::uint16_t &length)
{
    if (FrameCount() <= 0)
        return false;
    if (FP_Out < 1 || FP_Out > SlotCount) {
        Report(TLogKind::Error, FName + QStringLiteral(": Range check error\r\nP_Out=%1;").arg(FP_Out));
        FP_Out = 1;
        return false;
    }
    const Slot &slot = FSlots[FP_Out - 1];
    const std::uint16_t taken = slot.length <= SlotSize ? slot.length : std::uint16_t(SlotSize);
    if (taken > 0)
        std::memcpy(destination, slot.data, taken);
    length = taken;
    NextOut();
    return taken != 0;
}

bool TBuffer::GetFrame(QByteArray &frame)
{
    if (FrameCount() <= 0)
        return false;
    const Slot &slot = FSlots[FP_Out - 1];
    const std::uint16_t taken = slot.length <= SlotSize ? slot.length : std::uint16_t(SlotSize);
    frame = QByteArray(reinterpret_cast<const char *>(slot.data), taken);
    NextOut();
    return taken != 0;
}

void TBuffer::NextIn()
{
    FCount = 1;
    FOverlong = false;
    ++FP_In;
    if (FP_In > SlotCount) {
        FP_In = 1;
        FWrap = true;
    }
    // Unreachable while commits refuse a full queue; kept so that P_In = P_Out
    // can never mean "full".
    if (FP_In == FP_Out && FWrap)
        Clear();
}

void TBuffer::NextOut()
{
    ++FP_Out;
    if (FP_Out > SlotCount) {
        FP_Out = 1;
        FWrap = false;
    }
}
