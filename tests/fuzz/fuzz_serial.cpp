// The serial link's receive state machine (TApdA) fed arbitrary bytes, with
// pauses longer than the inter-byte time-out between them. The harness keeps
// its own reading of the wire format beside the link's:
//   A5 5A, five header bytes (data length big-endian in the last two), the
//   data, then (A5 + 5A + header + data) mod 256; a frame of more than 10240
//   bytes is dropped at its length, a bad sum drops the frame, and a pause
//   inside the data drops it too.
// The link must end in the same receive state and deliver the same frames, in
// order.
//
// Input: events until the input ends: raw bytes, a run of one byte, or a pause.

#include <QElapsedTimer>
#include <QList>
#include <QThread>

#include <utility>

#include "comm/com_orva.h"
#include "fuzzinput.h"
#include "platform/timing.h"

namespace
{

constexpr int Compared = 6; // frames compared, in order, per input

// The harness's own reading of the wire; states numbered as the link's.
class WireModel
{
public:
    int state = 1;
    int total = 0;            // good frames
    QList<QByteArray> frames; // the first of them

    void Byte(std::uint8_t b)
    {
        switch (state) {
        case 1:
            if (b == 0xA5)
                state = 2;
            break;
        case 2:
            if (b == 0x5A) {
                state = 3;
                frame.clear();
                sum = 0xA5 + 0x5A;
            } else if (b != 0xA5) {
                state = 1;
            }
            break;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
            frame.append(char(b));
            sum += b;
            ++state;
            if (state == 8) {
                expected = (std::uint8_t(frame[3]) << 8) | std::uint8_t(frame[4]);
                if (expected + 5 > 10240)
                    state = 1;
                else if (expected == 0)
                    state = 9;
            }
            break;
        case 8:
            frame.append(char(b));
            sum += b;
            if (frame.size() == expected + 5)
                state = 9;
            break;
        case 9:
            if (b == (sum & 0xFF)) {
                ++total;
                if (frames.size() < Compared)
                    frames.append(frame);
            }
            state = 1;
            break;
        }
    }

    // A pause past the inter-byte time-out.
    void Pause()
    {
        if (state == 8)
            state = 1;
    }

private:
    QByteArray frame;
    std::uint32_t sum = 0;
    int expected = 0;
};

// One link for the whole run: opening resets its receiver and queues, and
// the device it opens is missing, so every input starts on a fresh link.
TApdA *theLink = nullptr;
QList<QByteArray> *received = nullptr;

void resetLink()
{
    theLink->SetOpen(true);
    // Frames and log entries still on their way belong to no input.
    QList<QByteArray> *kept = std::exchange(received, nullptr);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    received = kept;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    // The inter-byte time-out becomes 1 ms, so a pause costs little.
    platform::SetTimeScale(0.001);
    theLink = new TApdA(nullptr);
    theLink->SetDeviceName(QStringLiteral("/nonexistent/kelvara-fuzz-port"));
    QObject::connect(theLink, &TApdA::FrameReceived, [](const QByteArray &frame, int) {
        if (received)
            received->append(frame);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    QList<QByteArray> frames;
    received = &frames;
    resetLink();
    FUZZ_CHECK(theLink->ReceiveState() == 1);
    WireModel model;
    int pauses = 0;

    while (!in.AtEnd()) {
        const std::uint8_t op = in.Byte();
        if (op < 0xF0) {
            const QByteArray bytes = in.Bytes(op % 64 + 1);
            for (char c : bytes)
                model.Byte(std::uint8_t(c));
            theLink->ReceiveBytes(bytes);
        } else if (op < 0xFC) {
            const std::uint8_t value = in.Byte();
            const int count = in.U16() % 12000 + 1;
            for (int i = 0; i < count; ++i)
                model.Byte(value);
            theLink->ReceiveBytes(QByteArray(count, char(value)));
        } else if (pauses < 3) {
            ++pauses;
            model.Pause();
            QThread::usleep(3000);
            QElapsedTimer clock;
            clock.start();
            do
                QCoreApplication::processEvents();
            while (model.state == 1 && theLink->ReceiveState() == 8 && clock.elapsed() < 5000);
        }
        FUZZ_CHECK(theLink->ReceiveState() == model.state);
    }

    // Frames reach the owner through the receiver thread and a queued signal.
    QElapsedTimer clock;
    clock.start();
    while (frames.size() < model.frames.size() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    FUZZ_CHECK(frames.size() >= model.frames.size());
    FUZZ_CHECK(frames.size() <= model.total);
    for (int i = 0; i < model.frames.size(); ++i)
        FUZZ_CHECK(frames[i] == model.frames[i]);
    resetLink();
    received = nullptr;
    return 0;
}
