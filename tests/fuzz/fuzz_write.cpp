// The write started from Write to system, and the erase, against a system
// whose every answer the input chooses: the system's own answer, that answer
// with a byte changed, an acknowledgement with any result code, silence until
// the watchdog gives up, a port that fails mid-dialogue, or another command
// of the main window in between. The boards re-read and the board check run
// on the boards the system reports for the project (changed as the input
// says); the program's conversions make the tables and the side files.
//
// Besides the sanitizers and the catch boundary it checks that nothing is
// written before the boards were re-read, nor from a project with unsaved
// changes; that an erase sends only the empty console tables; and that every
// session ends with the project kept, the interface unlocked and the port
// closed.
//
// Input: three header bytes, then events until the input ends.
//   byte 0: bits 0-1 console 0's type, bits 2-3 console 1's (3 counts as 2),
//           bit 4 quiet, bit 5 the project has unsaved changes, bit 6 saving
//           clears them, bit 7 the project of the side-file tests with its
//           cards (else the plain fixture)
//   byte 1: the system's test value (12 + bits 0-1), bit 2 consoles of
//           version 20 (no phone book), bit 3 the port cannot be opened,
//           bits 4-5 the save prompt's answer (cancel, chosen name, current name)
//   byte 2: one byte of valid slots (slots 0-7 are always valid)
// An event is one byte (and its arguments); while a request waits, its low
// three bits say what the system does, else the event starts a command.

#include <QCoreApplication>
#include <QSet>

#include <memory>

#include "dialogue/dialogue.h"
#include "dialogue/readrequests.h"
#include "dialogue/writerequests.h"
#include "fuzzhost.h"
#include "fuzzinput.h"
#include "fuzzmodel.h"
#include "platform/timing.h"
#include "records/systemimage.h"
#include "tests/dialogue/minisystem.h"
#include "tests/fixture/fixture.h"
#include "tests/image/roundtripfixture.h"

namespace
{

enum class Session { None, Write, Erase, Other };

bool isSystemTable(Byte command)
{
    static const QSet<Byte> writes{0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x10};
    return writes.contains(command);
}

bool isConsoleTable(Byte command)
{
    return command == 0x84 || command == 0x85 || command == 0x86 || command == 0x8A || command == 0x8B;
}

int consoleStep(Byte command)
{
    switch (command) {
    case 0x84: return 2;
    case 0x85: return 3;
    case 0x8A: return 4;
    case 0x8B: return 5;
    default: return 6;
    }
}

// A console table as an erase sends it: from an image with its tables cleared.
QByteArray erasedRequest(Byte command, int console)
{
    static std::unique_ptr<TSystemImage> erased = [] {
        auto image = std::make_unique<TSystemImage>();
        image->ClearSystemImage();
        dlg::ClearPhoneBook(*image);
        return image;
    }();
    std::array<Byte, dlg::RequestBufferSize> buffer{};
    const int length = dlg::ConsoleWriteRequest(buffer, consoleStep(command), console, *erased);
    return QByteArray(reinterpret_cast<const char *>(buffer.data()), length);
}

// The system behind the link: answers as the in-process system of the tests
// do, but keeps each answer for the harness to deliver (or not).
class System : public TMiniSystem
{
public:
    bool Send(const QByteArray &frame) override
    {
        if (!TMiniSystem::Send(frame))
            return false;
        if (onSend)
            onSend(frame);
        request = frame;
        answer = AnswerTo(frame);
        waiting = true;
        return true;
    }

    std::function<void(const QByteArray &)> onSend;
    QByteArray request;
    QByteArray answer;
    bool waiting = false;
};

// The boards the system reports: each board the project places, in its slot,
// by the code the board-type list names it with.
QByteArray boardsOf(const TAPult &project, TZoznam &list)
{
    QByteArray records;
    for (int slot = 0; slot < 32; ++slot) {
        const Byte code = fuzz::BoardCode(list, project.SlotyDosiek[std::size_t(slot)].Meno);
        records.append(char(slot >= 16 ? 0xFE : 0x00));
        records.append(char((slot % 16) << 4));
        records.append(char(code));
    }
    return records;
}

std::unique_ptr<TAPult> project(bool sideFileProject, TCardSet &cards)
{
    if (sideFileProject)
        return roundtrip::ConsistentFixture(cards);
    auto config = fixture::BuildFixture(QStringLiteral("/tmp/kelvara"));
    cards.Clear();
    for (int slot = 0; slot < BoardCount; ++slot)
        if (!config->SlotyDosiek[std::size_t(slot)].Meno.isEmpty())
            cards.CreateCardByName(config->SlotyDosiek[std::size_t(slot)].Meno, slot);
    return config;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    fuzz::FailOnCaughtFailures();
    // The harness ticks the watchdog itself: its timer never runs out on its own.
    platform::SetTimeScale(1000);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t setup = in.Byte();
    const std::uint8_t system = in.Byte();
    const std::uint8_t slotBits = in.Byte();

    auto host = std::make_unique<fuzz::Host>();
    host->model = project(setup & 0x80, host->cards);
    host->projectName = fuzz::ScratchFolder("write") + QStringLiteral("/project.orv");
    host->quiet = setup & 0x10;
    host->modified = setup & 0x20;
    host->saveSucceeds = setup & 0x40;
    host->saveChoice = std::array{2, 1, 4, 4}[(system >> 4) & 3];
    for (int s = 0; s < BoardCount; ++s)
        host->validSlots[std::size_t(s)] = s < 8 || (slotBits & (1u << (s % 8)));
    TAPult &config = *host->model;
    for (int n = 0; n < ConsoleCount; ++n) {
        const Byte type = Byte(std::min((setup >> (2 * n)) & 3, 2));
        config.Pulty[std::size_t(n)]->TypPultu = type;
        host->consoleTypes[std::size_t(n)] = type;
        host->image.ConsoleType(n) = type;
        host->image.ScreenCount(n) = config.Pulty[std::size_t(n)]->PocetObrazoviek;
    }

    fuzz::InputPrompt prompt(in);
    System sys;
    sys.feature = 12 + (system & 3);
    sys.consoleVersion = (system & 4) ? 20 : 21;
    sys.openFails = system & 8;
    sys.consoleTypes = host->consoleTypes;
    sys.boards = boardsOf(config, *host->BoardList());
    sys.answering = false;
    auto dialogue = std::make_unique<TDialogue>(*host, prompt);
    dialogue->SetLink(&sys);
    fuzz::Conversions conversions(*dialogue, *host);

    Session session = Session::None;
    bool boardsAnswered = false;
    sys.onSend = [&](const QByteArray &frame) {
        FUZZ_CHECK(frame.size() >= dlg::HeaderSize);
        const Byte command = Byte(frame[0]);
        if (!isSystemTable(command) && !isConsoleTable(command))
            return;
        // Tables go out only from a write or an erase.
        FUZZ_CHECK(session == Session::Write || session == Session::Erase);
        FUZZ_CHECK(Byte(frame[2]) < ConsoleCount || command == 0x09);
        if (session == Session::Write) {
            // Never before the boards were read again, never an unsaved project.
            FUZZ_CHECK(boardsAnswered);
            FUZZ_CHECK(!host->modified);
        } else {
            // An erase sends the consoles their empty tables and nothing else.
            FUZZ_CHECK(isConsoleTable(command));
            FUZZ_CHECK(frame == erasedRequest(command, Byte(frame[2])));
        }
    };

    const auto start = [&](std::uint8_t which) {
        const bool idle = dialogue->Idle() && dialogue->AnswerAwaited == 0;
        switch (which % 5) {
        case 0:
            if (idle)
                session = Session::Write;
            dialogue->WriteConfigClick();
            break;
        case 1:
            if (idle)
                session = Session::Erase;
            dialogue->VymazatPultClick();
            break;
        case 2:
            if (idle)
                session = Session::Other;
            dialogue->DoskySBClick();
            break;
        case 3:
            if (idle)
                session = Session::Other;
            dialogue->bbTimeKeeperClick();
            break;
        default:
            // What closing the main window does to a running session.
            dialogue->AbortSession(false);
            break;
        }
    };
    const auto deliver = [&](const QByteArray &request, const QByteArray &frame) {
        if (Byte(request[0]) == 0x01)
            boardsAnswered = true;
        dialogue->WMAnswer(frame, 1);
    };
    // Silence: the watchdog ticks until the dialogue sends again or stops waiting.
    const auto silence = [&] {
        const qsizetype sent = sys.sent.size();
        for (int t = 0; t < 64 && dialogue->AnswerAwaited && sys.sent.size() == sent; ++t)
            dialogue->TimerKomunikTimer();
    };

    for (int events = 0; events < 96 && !in.AtEnd(); ++events) {
        const std::uint8_t op = in.Byte();
        if (sys.waiting) {
            sys.waiting = false;
            const QByteArray request = sys.request;
            QByteArray answer = sys.answer;
            switch (op & 7) {
            case 3: // one byte of the answer changed
                if (!answer.isEmpty()) {
                    const qsizetype at = qsizetype(in.U16()) % answer.size();
                    answer[at] = char(in.Byte());
                }
                break;
            case 4: { // an acknowledgement with the input's result code
                const Byte command = answer.isEmpty() ? 0x0A : Byte(answer[0]);
                answer = Frame(command, Byte(request[2]), QByteArray(1, char(in.Byte())));
                break;
            }
            case 5:
                answer.clear();
                break;
            case 6:
                dialogue->PortFailed(QStringLiteral("COM1: the adapter was pulled out"));
                answer.clear();
                break;
            case 7:
                start(in.Byte());
                answer.clear();
                break;
            default: // the system's own answer
                break;
            }
            if (!answer.isEmpty())
                deliver(request, answer);
            else if ((op & 7) == 5 || sys.answer.isEmpty())
                silence();
        } else if (dialogue->AnswerAwaited) {
            silence(); // a request that was not taken, or one without an answer
        } else {
            start(op);
        }
        // The step a boards re-read leaves for its write.
        QCoreApplication::sendPostedEvents();

        FUZZ_CHECK(dialogue->RequestLength >= 0 && dialogue->RequestLength <= dlg::RequestBufferSize);
        if (dialogue->Idle() && dialogue->AnswerAwaited == 0) {
            // At rest: the project kept, the interface unlocked, the port closed.
            FUZZ_CHECK(host->model != nullptr);
            FUZZ_CHECK(dialogue->UserInterfaceUnlocked == 1);
            FUZZ_CHECK(!sys.open);
            FUZZ_CHECK(!sys.waiting);
            session = Session::None;
            boardsAnswered = false;
        }
    }
    if (host->model)
        fuzz::CheckConfigBounds(*host->model, false);
    dialogue.reset();
    return 0;
}
