// The network files taken into a configuration: osadenie.dat (boards) and
// tabulky.dat (tables) as the FTP server hands them over, through the
// commands of network mode and what they do with the files after parsing them:
// the boards into the project's slots or the system's list, the board check,
// the images of the tables file converted into the consoles, the console
// windows. Relay and FTP answer every step at once; the FTP download writes
// the input's file.
//
// A read that succeeds must give a configuration whose project file reads
// back as itself, whose consoles convert back into images, and whose tables
// file is written whole again; a read that fails keeps no configuration.
//
// Input: a flags byte, for some commands a length, then the files.
//   bits 0-1: the command
//     0 Read from system over the network: the boards file (its length in the
//       next two bytes), then the tables file
//     1 the tables file read without a transfer (the rest is tabulky.dat)
//     2 Write to system over the network: the project's boards checked against
//       the boards file (the rest)
//     3 the boards read into the open project (the rest)
//   bits 2-3: console 0's type, bits 4-5: console 1's (3 counts as 2)
//   bit 6: quiet; bit 7: a system of 13 slots (slots 13-15, 29-31 not valid)

#include <QFile>
#include <QHash>

#include <memory>
#include <optional>

#include "comm/ftpclient.h"
#include "dialogue/netoperations.h"
#include "fuzzhost.h"
#include "fuzzinput.h"
#include "fuzzmodel.h"
#include "platform/programfolder.h"
#include "records/netfiles.h"
#include "tests/fixture/fixture.h"

namespace
{

// Relay and FTP: every command answered at once, positively; a download
// writes the file the harness gave for its name.
class Net : public TNetLink
{
public:
    bool HasFtp() override { return true; }
    void SendNetCommand(int code, const QString &) override
    {
        sent << code;
        // The relay's positive replies of the commands the operations await.
        switch (code) {
        case TNetOperations::EnterConfig: answer(1, 6); break;
        case TNetOperations::LeaveConfig: answer(2, 8); break;
        case TNetOperations::PrepareBoards: answer(3, 11); break;
        case TNetOperations::TakeTables: answer(8, 14); break;
        default: break;
        }
    }
    void QueueFtp(int kind, const QString &remote, const QString &local) override
    {
        if (kind == TCommand::Download) {
            fuzz::WriteFile(local, files.value(remote));
            answer(5, 208);
        } else if (kind == TCommand::Upload) {
            FUZZ_CHECK(QFile::exists(local));
            answer(6, 209);
        }
    }
    void DropQueuedFtp() override {}
    // Every command has run by the time it is awaited, and none failed.
    std::optional<TCommand> PendingFtp() override { return std::nullopt; }
    TFTPCL::TFailure LastFtpFailure() override { return {}; }
    QString FtpServer() override { return QStringLiteral("127.0.0.1:21"); }
    void NetworkOperationRunning(bool running) override { this->running = running; }
    void ResetSlot(int slot) override { slots_[std::size_t(slot)] = {0, -1}; }
    Byte SlotDone(int slot) override { return slots_[std::size_t(slot)].done; }
    int SlotCode(int slot) override { return slots_[std::size_t(slot)].code; }
    void WaitSlot(int, int) override {}
    bool ShowStatusWindow() override { return false; }
    void RestoreStatusWindow(bool) override {}
    int RunNewConsoleDialog() override { return host->RunNewConsoleDialog() ? 0 : 2; }
    void DropFileFromCaption() override {}

    QHash<QString, QByteArray> files;
    TTestHost *host = nullptr;
    QList<int> sent;
    bool running = false;

private:
    struct Slot {
        Byte done = 0;
        int code = -1;
    };
    void answer(int slot, int code) { slots_[std::size_t(slot)] = {1, code}; }
    std::array<Slot, 11> slots_{};
};

int connected(const TAPult &config)
{
    int n = 0;
    for (const auto &p : config.Pulty)
        if (p && p->TypPultu != 0)
            ++n;
    return n;
}

// What follows a read: the console windows show it, Write to system converts
// each console, Save writes the project and the tables file is written anew.
void checkReadConfiguration(TTestHost &host, TDialogue &dialogue, TNetOperations &net)
{
    FUZZ_CHECK(host.model != nullptr);
    TAPult &config = *host.model;
    fuzz::CheckConfigBounds(config, false);
    fuzz::CheckProjectRoundTrip(config, fuzz::ScratchFolder("netload") + QStringLiteral("/project.orv"));
    for (int n = 0; n < ConsoleCount; ++n)
        FUZZ_CHECK(dialogue.ModelToImageHook(n));
    // PC consoles need a project file for their side files: a read has none.
    bool pc = false;
    for (const auto &p : config.Pulty)
        pc = pc || (p && p->TypPultu == 1);
    if (pc)
        return;
    FUZZ_CHECK(net.SaveTablesFile());
    QFile file(TNetOperations::TablesFilePath());
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    QList<QByteArray> images;
    QString reason;
    FUZZ_CHECK(netfiles::ReadTablesFile(file.readAll(), connected(config), images, reason));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    fuzz::LoadTexts();
    fuzz::FailOnCaughtFailures();
    // The files of network mode go to the program folder: ours.
    platform::SetProgramFolder(fuzz::ScratchFolder("netload"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const int command = flags & 3;

    auto host = std::make_unique<fuzz::Host>();
    host->quiet = flags & 0x40;
    for (int n = 0; n < ConsoleCount; ++n)
        host->consoleTypes[std::size_t(n)] = Byte(std::min((flags >> (2 + 2 * n)) & 3, 2));
    for (int s = 0; s < BoardCount; ++s)
        host->validSlots[std::size_t(s)] = !(flags & 0x80) || s % 16 < 13;
    fuzz::InputPrompt prompt(in);
    TDialogue dialogue(*host, prompt);
    fuzz::Conversions conversions(dialogue, *host);
    Net net;
    net.host = host.get();
    TNetOperations operations(dialogue, *host, prompt, net);

    QFile::remove(TNetOperations::BoardsFilePath());
    QFile::remove(TNetOperations::TablesFilePath());
    QFile::remove(TNetOperations::FetchedTablesPath());

    // An open project for the commands that work on one: the fixture with the
    // console set-up of the flags, its cards in their slots.
    const auto openProject = [&] {
        host->model = fixture::BuildFixture(QStringLiteral("/tmp/kelvara"));
        for (int n = 0; n < ConsoleCount; ++n) {
            host->model->Pulty[std::size_t(n)]->TypPultu = host->consoleTypes[std::size_t(n)];
            host->image.ConsoleType(n) = host->consoleTypes[std::size_t(n)];
            host->image.ScreenCount(n) = host->model->Pulty[std::size_t(n)]->PocetObrazoviek;
        }
        for (int slot = 0; slot < BoardCount; ++slot)
            if (!host->model->SlotyDosiek[std::size_t(slot)].Meno.isEmpty())
                host->cards.CreateCardByName(host->model->SlotyDosiek[std::size_t(slot)].Meno, slot);
        host->projectName = fuzz::ScratchFolder("netload") + QStringLiteral("/project.orv");
    };

    switch (command) {
    case 0: {
        const int boardsLength = in.U16();
        net.files[netfiles::BoardsFileName] = in.Bytes(std::size_t(boardsLength));
        net.files[netfiles::TablesFileName] = in.Rest();
        operations.ReadConfigByNet();
        if (operations.LastSucceeded) {
            FUZZ_CHECK(host->windowsOpened == 1);
            checkReadConfiguration(*host, dialogue, operations);
        } else {
            // Nothing half read is kept, and no file stands in for the next read.
            FUZZ_CHECK(host->model == nullptr || host->newConsoleDialogs == 0);
            FUZZ_CHECK(!QFile::exists(TNetOperations::FetchedTablesPath()));
        }
        break;
    }
    case 1: {
        fuzz::WriteFile(TNetOperations::TablesFilePath(), in.Rest());
        operations.ReadTablesFileClick();
        if (operations.LastSucceeded) {
            FUZZ_CHECK(host->windowsOpened == 1);
            checkReadConfiguration(*host, dialogue, operations);
        } else {
            FUZZ_CHECK(host->model == nullptr);
            FUZZ_CHECK(host->windowsOpened == 0);
        }
        break;
    }
    case 2: {
        openProject();
        const auto slotNames = [&] {
            QStringList names;
            for (const TSlotEntry &entry : host->model->SlotyDosiek)
                names << entry.Meno;
            return names;
        };
        const QStringList before = slotNames();
        net.files[netfiles::BoardsFileName] = in.Rest();
        operations.WriteConfigByNet();
        // The project stays as it was; the boards file only fills the system's list.
        FUZZ_CHECK(host->model != nullptr);
        FUZZ_CHECK(slotNames() == before);
        for (const TSlotEntry &entry : host->model->DoskySystemu)
            FUZZ_CHECK(entry.Meno.isEmpty() || entry.Meno.startsWith(QLatin1Char('T')));
        if (!operations.LastSucceeded)
            FUZZ_CHECK(net.sent.count(TNetOperations::TakeTables) == 0);
        break;
    }
    default: {
        openProject();
        std::array<QString, BoardCount> before;
        for (int slot = 0; slot < BoardCount; ++slot)
            before[std::size_t(slot)] = host->model->SlotyDosiek[std::size_t(slot)].Meno;
        net.files[netfiles::BoardsFileName] = in.Rest();
        const bool loaded = operations.ReadBoardsByNet(false, true);
        FUZZ_CHECK(host->model != nullptr);
        for (int slot = 0; slot < BoardCount; ++slot) {
            const QString &name = host->model->SlotyDosiek[std::size_t(slot)].Meno;
            // A board read goes only into a slot this system has.
            if (name != before[std::size_t(slot)])
                FUZZ_CHECK(name.startsWith(QLatin1Char('T')) && host->IsBoardSlotValid(slot));
        }
        if (loaded)
            fuzz::CheckProjectRoundTrip(*host->model,
                                        fuzz::ScratchFolder("netload") + QStringLiteral("/project.orv"));
        break;
    }
    }
    FUZZ_CHECK(dialogue.OperationMode == opmode::Idle);
    FUZZ_CHECK(dialogue.UserInterfaceUnlocked == 1);
    // The status window's buttons are back on.
    FUZZ_CHECK(!net.running && !operations.Running());
    return 0;
}
