#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>

#include "comm/commlog.h"

// Fixed ring of frames between the serial link's producers and consumers.
// A slot holds one stored frame: the five header bytes and the data, without
// start bytes and checksum. Slots and positions are 1-based; P_In = P_Out means
// empty, so the ring holds at most 149 frames. No lock of its own.
class TBuffer
{
public:
    static constexpr int SlotCount = 150;
    static constexpr int SlotSize = 10240;
    static constexpr int Capacity = SlotCount - 1;

    TBuffer();
    ~TBuffer();
    TBuffer(const TBuffer &) = delete;
    TBuffer &operator=(const TBuffer &) = delete;

    void Clear();
    int FrameCount() const;

    // Appends one byte to the frame being built; false when the frame is
    // already full (the byte is dropped and the frame will not be committed).
    bool PutByte(std::uint8_t b);
    // Commits the frame being built; false when it was refused (overlong or
    // queue full), in which case it is dropped and the queue is unchanged.
    bool EndFrame();
    // Drops the frame being built.
    void ResetFrame();
    // Queues a whole frame; false (not queued) when longer than a slot or the
    // queue is full.
    bool PutFrame(const std::uint8_t *data, int length);
    bool PutFrame(const QByteArray &frame);
    // Takes the oldest frame into destination (room for SlotSize bytes). False
    // when the queue is empty (nothing changes) or the frame taken was empty.
    bool GetFrame(std::uint8_t *destination, std::uint16_t &length);
    bool GetFrame(QByteArray &frame);

    std::uint16_t P_In() const { return FP_In; }
    std::uint16_t P_Out() const { return FP_Out; }
    bool Wrap() const { return FWrap; }
    std::uint16_t Count() const { return FCount; }

    // Where refusals and range reports go; none by default.
    void SetLogHook(TLogHook hook) { FLog = std::move(hook); }
    // A name for log entries ("send queue", "receive queue").
    void SetName(const QString &name) { FName = name; }

private:
    struct Slot {
        std::uint8_t data[SlotSize];
        std::uint16_t length;
    };

    void NextIn();
    void NextOut();
    bool InRange(bool withCount) const;
    void ReportRange(bool withCount);
    void Report(TLogKind kind, const QString &text) const;

    std::unique_ptr<Slot[]> FSlots; // index 0 is slot 1
    std::uint16_t FP_In = 1;
    std::uint16_t FP_Out = 1;
    bool FWrap = false;
    std::uint16_t FCount = 1;
    bool FOverlong = false; // the frame being built ran past a slot
    TLogHook FLog;
    QString FName = QStringLiteral("queue");
};
