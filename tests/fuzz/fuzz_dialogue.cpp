// The device dialogue's answer handling (TDialogue::WMAnswer) fed arbitrary
// frames in every phase and step, with watchdog ticks, commands and a port
// that fails between them, and the program's own conversions behind it (so a
// read that completes converts the answers it took, a write converts what it
// sends). A failure a handler catches fails the harness.
//
// Input: phase, step, console, operation mode, two bytes of set-up flags, one
// byte of valid slots, then events until the input ends. Every question the
// dialogue asks is answered from the input, too.

#include <memory>

#include "dialogue/dialogue.h"
#include "fuzzhost.h"
#include "fuzzinput.h"

namespace
{

class RecordingLink : public TDialogueLink
{
public:
    bool Open(int, QString &reason) override
    {
        if (openFails)
            reason = QStringLiteral("no such port");
        return !openFails;
    }
    void Close() override {}
    bool Send(const QByteArray &frame) override
    {
        FUZZ_CHECK(frame.size() <= dlg::RequestBufferSize);
        ++sent;
        return !sendFails;
    }
    bool openFails = false;
    bool sendFails = false;
    int sent = 0;
};

constexpr Byte Modes[] = {opmode::Idle,
                          opmode::Read,
                          opmode::Write,
                          opmode::BoardsOnly,
                          opmode::BoardsForWrite,
                          opmode::TimeKeeper,
                          6,
                          7};

Byte stepFrom(std::uint8_t b)
{
    const int step = b % 14;
    if (step == 12)
        return dlg::TimeKeeperStep;
    if (step == 13)
        return dlg::TimeKeeperDone;
    return Byte(step);
}

// A frame whose header announces the data it carries; data past the input's
// end is filled.
QByteArray wellFormedFrame(fuzz::Input &in)
{
    const Byte command = in.Byte();
    const Byte argument = in.Byte();
    const int length = in.U16() % 8200;
    const Byte fill = in.Byte();
    QByteArray frame;
    frame.append(char(command));
    frame.append(char(0));
    frame.append(char(argument));
    frame.append(char(length >> 8));
    frame.append(char(length & 0xFF));
    QByteArray payload = in.Bytes(std::size_t(in.Byte()) * 32);
    payload = payload.left(length);
    frame.append(payload);
    frame.append(QByteArray(length - payload.size(), char(fill)));
    return frame;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    fuzz::FailOnCaughtFailures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const Byte kom = in.Byte() % 5;
    const Byte step = stepFrom(in.Byte());
    const Byte console = in.Byte() % 2;
    const Byte mode = Modes[in.Byte() % std::size(Modes)];
    const std::uint8_t setup = in.Byte();
    const std::uint8_t more = in.Byte();
    const std::uint8_t slotBytes = in.Byte();

    auto host = std::make_unique<fuzz::Host>();
    host->projectName = fuzz::ScratchFolder("dialogue") + QStringLiteral("/project.orv");
    fuzz::InputPrompt prompt(in);
    RecordingLink link;
    auto dialogue = std::make_unique<TDialogue>(*host, prompt);
    dialogue->SetLink(&link);
    fuzz::Conversions conversions(*dialogue, *host);

    host->consoleTypes = {Byte(std::min(setup & 3, 2)), Byte(std::min((setup >> 2) & 3, 2))};
    host->quiet = setup & 0x20;
    link.sendFails = more & 1;
    link.openFails = more & 2;
    host->pcLoadFails = more & 4;
    host->pcLoadConverts = !(more & 8);
    host->newConsoleGoAhead = !(more & 0x10);
    for (int s = 0; s < BoardCount; ++s)
        host->validSlots[std::size_t(s)] = !(slotBytes & (1u << (s % 8))) || s < 8;
    if (setup & 0x10) {
        TAPult &a = host->CreateModel();
        a.PocetPultov = 2;
        for (int n = 0; n < ConsoleCount; ++n) {
            a.Pulty[n] = std::make_unique<TPult>();
            a.Pulty[n]->TypPultu = host->consoleTypes[n];
            a.Pulty[n]->PocetObrazoviek = 1;
            host->image.ConsoleType(n) = host->consoleTypes[n];
        }
        for (auto &v : a.Vlastnosti)
            v = (setup & 0x40) ? 1 : 0;
        a.TabTelZozOK = (setup & 0x80) ? 1 : 0;
        a.TypDosiek = (more >> 5) & 1;
    }

    dialogue->Kom = kom;
    dialogue->ktKrok = step;
    dialogue->KomPult = console;
    dialogue->OperationMode = mode;
    if (more & 0x40)
        dialogue->BlockCount = {Byte(step), Byte(step)};
    if (kom != 0) {
        dialogue->AnswerAwaited = 1;
        dialogue->TimerKomunik.start();
    }

    const auto answer = [&](const QByteArray &frame) { dialogue->WMAnswer(frame, 1); };
    for (int events = 0; events < 40 && !in.AtEnd(); ++events) {
        const std::uint8_t op = in.Byte();
        switch (op % 5) {
        case 0: // a frame as it came, its own header saying what it is
            answer(in.Bytes(in.U16() % 8400));
            break;
        case 1:
            answer(wellFormedFrame(in));
            break;
        case 2: // the watchdog's ticks
            for (int t = in.Byte() % 48; t > 0; --t)
                dialogue->TimerKomunikTimer();
            break;
        case 3: // a frame while a request is outstanding
            dialogue->AnswerAwaited = 1;
            answer(wellFormedFrame(in));
            break;
        default: // a command of the main window, or the port failing
            switch (in.Byte() % 7) {
            case 0:
                dialogue->ReadConfigClick();
                break;
            case 1:
                dialogue->DoskySBClick();
                break;
            case 2:
                dialogue->bbTimeKeeperClick();
                break;
            case 3:
                dialogue->AbortSession(op & 0x80);
                break;
            case 4:
                dialogue->WriteConfigClick();
                break;
            case 5:
                dialogue->VymazatPultClick();
                break;
            default:
                dialogue->PortFailed(QStringLiteral("COM1: the adapter was pulled out"));
                break;
            }
            break;
        }
        // The step a boards re-read leaves for its write.
        QCoreApplication::sendPostedEvents();
        FUZZ_CHECK(dialogue->RequestLength >= 0 && dialogue->RequestLength <= dlg::RequestBufferSize);
        FUZZ_CHECK(dialogue->KomPult <= ConsoleCount);
    }
    for (int slot = 0; slot < dlg::AnswerSlotCount; ++slot)
        FUZZ_CHECK(dialogue->SlotDataLength(slot) <= dlg::AnswerSlotSize - dlg::HeaderSize);
    dialogue.reset();
    return 0;
}
