#include "dialogue/netoperations.h"

#include <QFile>
#include <filesystem>
#include <memory>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "cardpack/sablona.h"
#include "comm/ftpclient.h"
#include "dialogue/dialogue.h"
#include "model/cardset.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "records/netfiles.h"
#include "records/systemimage.h"

using Prompt = TDialoguePrompt;

namespace
{

const QString CRLF = QStringLiteral("\r\n");

// The limit of a wait as the user reads it, whatever the time scale of tests.
QString Limit() { return QStringLiteral("%1 s").arg(TNetOperations::WaitMs / 1000); }

} // namespace

TNetOperations::TNetOperations(TDialogue &engine, TDialogueHost &host, TDialoguePrompt &prompt, TNetLink &link)
    : engine_(engine), host_(host), prompt_(prompt), link_(link)
{
}

QString TNetOperations::BoardsFilePath() { return platform::WritePath(netfiles::BoardsFileName); }
QString TNetOperations::TablesFilePath() { return platform::WritePath(netfiles::TablesFileName); }
QString TNetOperations::FetchedTablesPath()
{
    return platform::WritePath(netfiles::TablesFileName + QStringLiteral(".fetched"));
}

void TNetOperations::Fail(const QString &text)
{
    host_.AddLogEntry(1, text);
    prompt_.Ask(Prompt::Kind::Error, text, Prompt::Bit(Prompt::Ok));
}

int TNetOperations::ConnectedConsoles() const
{
    const TAPult *apult = host_.Model();
    int n = 0;
    if (apult)
        for (const auto &p : apult->Pulty)
            if (p && p->TypPultu != 0)
                ++n;
    return n;
}

TNetOperations::TRunning::TRunning(TNetOperations &op) : op_(op)
{
    if (op_.running_++ == 0)
        op_.link_.NetworkOperationRunning(true);
}

TNetOperations::TRunning::~TRunning()
{
    if (--op_.running_ == 0)
        op_.link_.NetworkOperationRunning(false);
}

int TNetOperations::AwaitedCommand(int slot)
{
    switch (slot) {
    case 1: return EnterConfig;
    case 2: return LeaveConfig;
    case 3: return PrepareBoards;
    case 8: return TakeTables;
    default: return 0;
    }
}

int TNetOperations::FailureTextNumber(int slot, Byte done, int code)
{
    if (code == -1)
        return 150;
    if (done != 0)
        return 0;
    switch (slot) {
    case 1: return 152;
    case 2: return 151;
    case 3: return 153;
    case 5: return 154;
    case 6: return 155;
    // The system answered command 9 that it did not take the tables.
    case 8: return 156;
    default: return 0;
    }
}

QString TNetOperations::FtpStepText(int kind, const QString &remote)
{
    switch (kind) {
    case TCommand::Connect: return QStringLiteral("the FTP connect and login");
    case TCommand::Disconnect: return QStringLiteral("the FTP disconnect");
    case TCommand::Download: return QStringLiteral("the FTP fetch of ") + remote;
    case TCommand::Upload: return QStringLiteral("the FTP upload of ") + remote;
    case TCommand::Delete: return QStringLiteral("the FTP delete of ") + remote;
    default: return QStringLiteral("the FTP command");
    }
}

QString TNetOperations::FailureMessage(int slot, Byte done, int code, const std::optional<TCommand> &pending,
                                       const TFTPCL::TFailure &failure, const QString &server)
{
    const int number = FailureTextNumber(slot, done, code);
    if (number == 0)
        return QString();
    const int command = AwaitedCommand(slot);
    const bool ftp = slot == FetchSlot || slot == UploadSlot;
    QString step;
    if (code == -1) {
        if (command != 0)
            step = QStringLiteral("No answer to relay command %1 within %2.").arg(command).arg(Limit());
        else if (ftp) {
            const QString what = pending ? FtpStepText(pending->Kind, pending->Remote)
                                         : slot == FetchSlot ? QStringLiteral("the FTP fetch")
                                                                           : QStringLiteral("the FTP upload");
            step = QStringLiteral("No answer within %1 to %2 (FTP server %3).").arg(Limit(), what, server);
        } else {
            step = QStringLiteral("No answer within %1.").arg(Limit());
        }
    } else if (command != 0) {
        step = QStringLiteral("Relay command %1 was answered with %2.").arg(command).arg(code);
    } else if (ftp) {
        if (failure.Kind != 0 && !failure.Text.isEmpty()) {
            QString what = FtpStepText(failure.Kind, failure.Remote);
            what[0] = what[0].toUpper();
            step = what + QStringLiteral(" failed: ") + failure.Text;
        } else {
            step = QStringLiteral("The FTP server %1 answered %2.").arg(server).arg(code);
        }
    }
    const QString text = LoadStrDll(number);
    return step.isEmpty() ? text : text + CRLF + step;
}

bool TNetOperations::PutInPlace(const QString &from, const QString &to, QString &error)
{
    // One rename: the program's copy is the old file or the new one, never none.
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData(), ec);
    if (!ec)
        return true;
    error = to + QStringLiteral(": the fetched file cannot be put in place (") +
            QString::fromLocal8Bit(ec.message().c_str()) + QLatin1Char(')');
    return false;
}

bool TNetOperations::WaitNetResult(int slot)
{
    link_.WaitSlot(slot, WaitMs);
    const Byte done = link_.SlotDone(slot);
    const int code = link_.SlotCode(slot);
    const bool failed = done == 0;
    const std::optional<TCommand> pending = link_.PendingFtp();
    // Nothing queued behind a failed step runs, not even behind its box, and
    // a step given up answers no later wait.
    if (failed)
        link_.DropQueuedFtp();
    const int number = FailureTextNumber(slot, done, code);
    if (number != 0) {
        const QString text = FailureMessage(slot, done, code, pending, link_.LastFtpFailure(), link_.FtpServer());
        link_.SendNetCommand(number, CommandText);
        host_.AddLogEntry(0, text);
        prompt_.Ask(Prompt::Kind::Warning, text, Prompt::Bit(Prompt::Ok));
    }
    return failed;
}

bool TNetOperations::ReadBoardsByNet(bool onlySystemList, bool closeAfter)
{
    if (!link_.HasFtp())
        return false;
    const TRunning running(*this);
    engine_.LockUserInterface();
    const bool wasVisible = link_.ShowStatusWindow();
    auto fail = [&](bool disconnect) {
        link_.RestoreStatusWindow(wasVisible);
        engine_.UnlockUserInterface();
        if (disconnect)
            link_.QueueFtp(TCommand::Disconnect, QString(), QString());
        return false;
    };
    link_.ResetSlot(2);
    link_.SendNetCommand(LeaveConfig, CommandText);
    if (WaitNetResult(2))
        return fail(false);
    link_.ResetSlot(3);
    link_.SendNetCommand(PrepareBoards, CommandText);
    if (WaitNetResult(3))
        return fail(false);

    // Fetched to the very file it is read from; an old copy never stands in.
    const QString path = BoardsFilePath();
    QFile::remove(path);
    link_.ResetSlot(5);
    link_.QueueFtp(TCommand::Connect, QString(), QString());
    link_.QueueFtp(TCommand::Download, netfiles::BoardsFileName, path);
    if (WaitNetResult(5))
        return fail(true);

    const bool loaded = LoadBoardsFile(onlySystemList);
    if (closeAfter || !loaded) {
        engine_.UnlockUserInterface();
        link_.QueueFtp(TCommand::Disconnect, QString(), QString());
    }
    link_.RestoreStatusWindow(wasVisible);
    return loaded;
}

bool TNetOperations::LoadBoardsFile(bool onlySystemList)
{
    QFile file(BoardsFilePath());
    if (!file.exists())
        return false;
    auto fail = [&](const QString &text) {
        Fail(text);
        engine_.AbortSession(false);
        return false;
    };
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
    const QByteArray bytes = file.readAll();
    file.close();

    // The whole file is checked against a fresh list before anything changes.
    std::unique_ptr<TZoznam> check = Registry::CreateBoardList(QStringLiteral("TZOZ"));
    if (!check)
        return fail(file.fileName() + QStringLiteral(": no board-type list to read it with"));
    const netfiles::TBoardsRead read =
        netfiles::ReadBoardsFile(bytes, *check, [this](int slot) { return host_.IsBoardSlotValid(slot); });
    if (read.error != netfiles::BoardError::None) {
        QString text = read.detail;
        if (read.error == netfiles::BoardError::SlotNotAllowed || read.error == netfiles::BoardError::UnknownCode)
            text = LoadStrDll(read.error == netfiles::BoardError::SlotNotAllowed ? 127 : 129) + QLatin1Char(' ')
                   + QString::number(read.slot) + QStringLiteral(" (") + LinePosName(read.slot)
                   + QLatin1Char(')') + CRLF + read.detail;
        return fail(text);
    }

    host_.CreateCardByName(QStringLiteral("TZOZ"), -1);
    TZoznam *list = host_.BoardList();
    TAPult *apult = host_.Model();
    if (!apult) {
        apult = &host_.CreateModel();
        if (list)
            apult->TypNumlinov = list->TypNumlin();
    }
    if (onlySystemList)
        for (TSlotEntry &e : apult->DoskySystemu) {
            e.Meno.clear();
            e.Kod = 255;
        }
    for (const netfiles::TBoardEntry &b : read.boards) {
        if (onlySystemList) {
            apult->DoskySystemu[std::size_t(b.slot)].Meno = b.name;
            continue;
        }
        apult->SlotyDosiek[std::size_t(b.slot)].Meno = b.name;
        host_.CreateCardByName(b.name, b.slot);
        if (TCardOld *card = host_.Card(b.slot))
            apult->SlotyDosiek[std::size_t(b.slot)].Kod = card->GetCardNum(apult->TypSystemu);
        if (list)
            apult->TypDosiek = list->GetType() & 1;
    }
    return true;
}

bool TNetOperations::SaveTablesFile()
{
    TAPult *apult = host_.Model();
    if (!apult)
        return false;
    QList<QByteArray> images;
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *p = apult->Pulty[std::size_t(n)].get();
        if (!p || p->TypPultu == 0)
            continue;
        bool ok = false;
        if (p->TypPultu == 1) {
            // Its side files first: they fill the image. A project without a
            // file name has no place for them and writes nothing.
            ok = engine_.SaveToPcHook && engine_.SaveToPcHook(n, host_.ProjectName());
        } else {
            ok = engine_.ModelToImageHook && engine_.ModelToImageHook(n);
            if (!ok)
                Fail(netfiles::TablesFileName + QStringLiteral(": console %1 cannot be converted").arg(n));
        }
        if (!ok)
            return false;
        images.append(host_.Image().ToBytes());
    }
    QString error;
    if (!netfiles::WriteWholeFile(TablesFilePath(), netfiles::BuildTablesFile(images), error)) {
        Fail(error);
        return false;
    }
    return true;
}

bool TNetOperations::LoadTablesFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    QList<QByteArray> images;
    QString reason;
    if (!netfiles::ReadTablesFile(bytes, ConnectedConsoles(), images, reason)) {
        Fail(reason);
        return false;
    }
    TAPult *apult = host_.Model();
    if (!apult)
        return false;
    int i = 0;
    for (int n = 0; n < ConsoleCount; ++n) {
        const TPult *p = apult->Pulty[std::size_t(n)].get();
        if (!p || p->TypPultu == 0)
            continue;
        TSystemImage &image = host_.Image();
        if (image.FromBytes(images[i++]) != RecordResult::Ok) {
            Fail(path + QStringLiteral(": the image of console %1 cannot be read").arg(n));
            return false;
        }
        // The file's images name the console set-up; the configuration's holds.
        for (int c = 0; c < ConsoleCount; ++c)
            if (const TPult *q = apult->Pulty[std::size_t(c)].get()) {
                image.ConsoleType(c) = q->TypPultu;
                image.ScreenCount(c) = q->PocetObrazoviek;
            }
        int unconfigured = 0;
        if (!engine_.ImageToModelHook || !engine_.ImageToModelHook(n, true, unconfigured))
            return false;
        FixKeys(n);
    }
    return true;
}

void TNetOperations::FixKeys(int console)
{
    TAPult *apult = host_.Model();
    TZoznam *list = host_.BoardList();
    if (!apult || !apult->Pulty[std::size_t(console)])
        return;
    TPult &p = *apult->Pulty[std::size_t(console)];
    const bool byCard = list && (list->GetType() & 1) == 0;
    for (auto &key : p.Klavesy) {
        if (!key) {
            key = std::make_unique<TKlavesa>();
            continue;
        }
        if (byCard)
            key->TypLinky = host_.CardLineTypeNumber(key->HWPozicDosky, key->PozicLinky);
    }
}

bool TNetOperations::CloseConsoles()
{
    host_.CloseAllConsoles();
    host_.Delay(500);
    while (host_.ConsoleWindowsOpen()) {
        if (!host_.CloseAccepted())
            return false;
        const int b = prompt_.Ask(Prompt::Kind::Warning, LoadStrDll(29),
                                  Prompt::Bit(Prompt::Abort) | Prompt::Bit(Prompt::Retry));
        if (b != Prompt::Retry)
            return false;
        host_.CloseAllConsoles();
    }
    return true;
}

void TNetOperations::WriteConfigByNet()
{
    LastSucceeded = false;
    if (!link_.HasFtp() || !host_.Model())
        return;
    const TRunning running(*this);
    engine_.OperationMode = opmode::NetWrite;
    engine_.LockUserInterface();
    const bool wasVisible = link_.ShowStatusWindow();

    bool ok = ReadBoardsByNet(true, false) && engine_.VerifyWrittenTables();
    // The board check may have ended the session: the write still holds its mode.
    engine_.OperationMode = opmode::NetWrite;
    if (ok)
        ok = SaveTablesFile();
    if (ok) {
        link_.ResetSlot(6);
        link_.QueueFtp(TCommand::Upload, netfiles::TablesFileName, TablesFilePath());
        ok = !WaitNetResult(6);
    }
    if (ok) {
        link_.ResetSlot(1);
        link_.SendNetCommand(EnterConfig, CommandText);
        ok = !WaitNetResult(1);
    }
    if (ok) {
        link_.ResetSlot(8);
        link_.SendNetCommand(TakeTables, CommandText);
        ok = !WaitNetResult(8);
    }
    if (!ok)
        link_.DropQueuedFtp();
    link_.ResetSlot(2);
    link_.SendNetCommand(LeaveConfig, CommandText);
    link_.QueueFtp(TCommand::Disconnect, QString(), QString());
    link_.RestoreStatusWindow(wasVisible);
    engine_.UnlockUserInterface();
    if (ok)
        prompt_.Ask(Prompt::Kind::Information, LoadStrDll(71), Prompt::Bit(Prompt::Ok));
    LastSucceeded = ok;
    engine_.OperationMode = opmode::Idle;
}

void TNetOperations::ReadConfigByNet()
{
    LastSucceeded = false;
    if (!link_.HasFtp())
        return;
    const TRunning running(*this);
    engine_.OperationMode = opmode::NetRead;
    struct TEnd {
        TNetOperations &op;
        ~TEnd()
        {
            op.engine_.UnlockUserInterface();
            op.engine_.OperationMode = opmode::Idle;
        }
    } end{*this};

    if (!CloseConsoles())
        return;
    link_.DropFileFromCaption();
    if (link_.RunNewConsoleDialog() == 2)
        return;
    // What is read is no project file's: a save asks for a name, side files find no place.
    host_.SetProjectName(LoadStrDll(2));
    host_.FreeCardButtons();
    const bool wasVisible = link_.ShowStatusWindow();
    engine_.LockUserInterface();
    // The dialog's configuration holds no tables yet: a read that fails keeps
    // none, or Write to system would send its empty consoles.
    if (!ReadBoardsByNet(false, false)) {
        host_.FreeModel();
        link_.RestoreStatusWindow(wasVisible);
        return;
    }
    engine_.OperationMode = opmode::NetRead;

    link_.ResetSlot(1);
    link_.SendNetCommand(EnterConfig, CommandText);
    bool ok = !WaitNetResult(1);
    const QString fetched = FetchedTablesPath();
    if (ok) {
        QFile::remove(fetched);
        link_.ResetSlot(5);
        link_.QueueFtp(TCommand::Download, netfiles::TablesFileName, fetched);
        ok = !WaitNetResult(5);
    }
    if (ok)
        ok = LoadTablesFile(fetched);
    if (ok) {
        // The checked file becomes the program's tabulky.dat; a read whose
        // file cannot take its place has failed, or the file would lie.
        QString error;
        ok = PutInPlace(fetched, TablesFilePath(), error);
        if (!ok)
            Fail(error);
    }
    if (ok) {
        engine_.ResetOperation();
        host_.OpenConsoleWindows();
        host_.SetStatusText(LoadStrDll(71));
    } else {
        QFile::remove(fetched);
        host_.FreeModel();
    }
    link_.ResetSlot(2);
    link_.SendNetCommand(LeaveConfig, CommandText);
    link_.QueueFtp(TCommand::Disconnect, QString(), QString());
    link_.RestoreStatusWindow(wasVisible);
    LastSucceeded = ok;
}

void TNetOperations::WriteTablesFileClick()
{
    host_.RefreshMenus();
    LastSucceeded = SaveTablesFile();
}

void TNetOperations::ReadTablesFileClick()
{
    LastSucceeded = false;
    host_.RefreshMenus();
    if (engine_.OperationMode != opmode::Idle)
        return;
    // Without the file the open project is not given up for nothing.
    if (!QFile::exists(TablesFilePath())) {
        Fail(TablesFilePath() + QStringLiteral(": no such file"));
        return;
    }
    TAPult *apult = host_.Model();
    if (!apult)
        apult = &host_.CreateModel();
    for (const TSlotEntry &e : apult->SlotyDosiek)
        if (!e.Meno.isEmpty() && !IsCardClassName(e.Meno))
            return;
    engine_.OperationMode = opmode::NetRead;
    struct TEnd {
        TNetOperations &op;
        ~TEnd()
        {
            op.engine_.ResetOperation();
        }
    } end{*this};
    if (!CloseConsoles())
        return;
    if (link_.RunNewConsoleDialog() == 2)
        return;
    host_.SetProjectName(LoadStrDll(2));
    link_.DropFileFromCaption();
    if (TAPult *model = host_.Model(); model && host_.BoardList())
        model->TypDosiek = host_.BoardList()->GetType() & 1;
    host_.FreeCardButtons();
    LastSucceeded = LoadTablesFile(TablesFilePath());
    engine_.ResetOperation();
    // A refused file leaves the dialog's empty consoles: none is kept to be written.
    if (!LastSucceeded) {
        host_.FreeModel();
        return;
    }
    host_.OpenConsoleWindows();
}
