#include "comm/com_orva.h"

#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>

#include "platform/comports.h"
#include "platform/timing.h"

namespace
{

constexpr std::uint8_t StartByte1 = 0xA5;
constexpr std::uint8_t StartByte2 = 0x5A;
constexpr std::uint8_t SecondHeaderByte = 0xA6;
constexpr int HeaderSize = 5;

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

TFrameBlock TFrameBlock::FromFrame(const QByteArray &frame)
{
    TFrameBlock block;
    const int length = std::min<int>(int(frame.size()), DataSize);
    std::copy_n(reinterpret_cast<const std::uint8_t *>(frame.constData()), length, block.Bytes.begin());
    block.Bytes[DataSize] = std::uint8_t(length & 0xFF);
    block.Bytes[DataSize + 1] = std::uint8_t(length >> 8);
    return block;
}

TApdA::TApdA(QObject *owner, int wm)
    : QObject(owner), FReceiveQueue(std::make_unique<TBuffer>()), FSendQueue(std::make_unique<TBuffer>()),
      FOwner(owner), FWM(wm)
{
    FReceiveQueue->SetName(QStringLiteral("receive queue"));
    FSendQueue->SetName(QStringLiteral("send queue"));
    // Queue reports may come from the sender thread: the signal crosses threads.
    auto queueLog = [this](TLogKind kind, const QString &text) { WriteLog(kind, text); };
    FReceiveQueue->SetLogHook(queueLog);
    FSendQueue->SetLogHook(queueLog);
    ResetReceiver();

    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, &TApdA::TriggerTimer);
    connect(&FPort, &QSerialPort::readyRead, this, &TApdA::TriggerAvail);
    connect(&FPort, &QSerialPort::errorOccurred, this, &TApdA::PortErrorOccurred);
    connect(&FPort, &QSerialPort::bytesWritten, this, [this](qint64 count) { emit BytesSent(int(count)); });

    FLock = std::make_unique<TThreadMemoryStream>();
    FSender = std::make_unique<TThreading>();
    FSender->OnExecute = [this](QObject *sender) { SenderExecute(sender); };
    FSender->OnSynchronize = [this](QObject *sender) { SenderSynchronize(sender); };
    FReceiver = std::make_unique<TThreading>();
    FReceiver->OnExecute = [this](QObject *sender) { ReceiverExecute(sender); };
    FReceiver->OnSynchronize = [this](QObject *sender) { DeliverReceivedFrame(sender); };
    // The receiver runs from now on (it parks while nothing is waiting); the
    // sender starts with the first frame.
    FReceiver->Resume();
}

TApdA::~TApdA()
{
    // Threads first: a pending synchronised step is abandoned, never waited for.
    // Stopped before the pointers go, as the loops reach them through the link.
    for (TThreading *worker : {FSender.get(), FReceiver.get()}) {
        worker->Terminate();
        worker->Resume();
    }
    FSender->WaitFor();
    FReceiver->WaitFor();
    FSender.reset();
    FReceiver.reset();
    FTimer.stop();
    if (FPort.isOpen())
        FPort.close();
}

QString TApdA::DeviceName() const
{
    return FDevice.isEmpty() ? platform::ComPortDevice(FComNumber) : FDevice;
}

QString TApdA::PortLabel() const
{
    return QStringLiteral("COM%1 (%2)").arg(FComNumber).arg(DeviceName());
}

bool TApdA::Open() const
{
    return FPort.isOpen();
}

void TApdA::WriteLog(TLogKind kind, const QString &text)
{
    // Always by a queued hop: a handler then never runs inside a synchronised
    // step or under the link's lock, where destroying the link would deadlock.
    QMetaObject::invokeMethod(
        this, [this, kind, text] { emit LogEntry(kind, text); }, Qt::QueuedConnection);
}

void TApdA::Fail(TLinkError kind, const QString &detail)
{
    FLastError = kind;
    FLastErrorText = LinkErrorMessage(kind, PortLabel(), detail);
    WriteLog(TLogKind::Error, FLastErrorText);
}

bool TApdA::SetOpen(bool open)
{
    if (open == FPort.isOpen())
        return true;
    if (!open) {
        FPort.close();
        ResetLink();
        return true;
    }
    ResetLink();
    FLastError = TLinkError::None;
    FLastErrorText.clear();
    const QString device = DeviceName();
    FPort.setPortName(device);
    FPort.setBaudRate(FBaud);
    FPort.setParity(FParity);
    FPort.setStopBits(FStopBits);
    FPort.setDataBits(FDataBits);
    FPort.setFlowControl(QSerialPort::NoFlowControl);
    FPort.setReadBufferSize(FInSize);
    FSettingLines = true; // open errors are reported here, not by the error slot
    const bool opened = FPort.open(QIODevice::ReadWrite);
    if (!opened) {
        const QSerialPort::SerialPortError error = FPort.error();
        const QString detail = FPort.errorString();
        FSettingLines = false;
        FPort.clearError();
        const QFileInfo info(device);
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
            Fail(TLinkError::NoDevice, detail);
            break;
        case QSerialPort::PermissionError:
            // Qt reports a port held by another program the same way.
            Fail(info.exists() && info.isReadable() && info.isWritable() ? TLinkError::Busy
                                                                         : TLinkError::NoAccess,
                 detail);
            break;
        default:
            Fail(info.exists() ? TLinkError::Io : TLinkError::NoDevice, detail);
            break;
        }
        return false;
    }
    // A pseudo-terminal or a bare adapter has no modem lines: go on without.
    const bool rts = FPort.setRequestToSend(true);
    const bool dtr = FPort.setDataTerminalReady(false);
    FPort.clearError();
    FSettingLines = false;
    if (!rts || !dtr)
        WriteLog(TLogKind::Information,
                 PortLabel() + QStringLiteral(": RTS/DTR cannot be set on this device; going on without"));
    PortOpened();
    return true;
}

void TApdA::PortOpened()
{
    // The inter-byte time-out is a plain single-shot timer, set up at construction.
    WriteLog(TLogKind::Information, PortLabel() + QStringLiteral(": open"));
}

void TApdA::PortErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || FSettingLines)
        return;
    const QString detail = FPort.errorString();
    FPort.clearError();
    switch (error) {
    case QSerialPort::ResourceError:
        // The device went away (adapter unplugged, peer closed): close cleanly.
        Fail(TLinkError::Io, detail);
        if (FPort.isOpen()) {
            FPort.close();
            ResetLink();
        }
        break;
    case QSerialPort::TimeoutError:
        Fail(TLinkError::Timeout, detail);
        break;
    default:
        Fail(TLinkError::Io, detail);
        break;
    }
    const TLinkError kind = FLastError;
    const QString message = FLastErrorText;
    QMetaObject::invokeMethod(
        this, [this, kind, message] { emit PortFailed(kind, message); }, Qt::QueuedConnection);
}

void TApdA::ResetReceiver()
{
    FTimer.stop();
    FReceiveQueue->ResetFrame();
    FState = 1;
    FSum = 0;
    FByteCount = 0;
    FExpected = 0;
}

void TApdA::ResetLink()
{
    ResetReceiver();
    FReceiveQueue->Clear();
    FLock->Lock();
    FSendQueue->Clear();
    FPendingWire.clear();
    FLock->Unlock();
}

bool TApdA::Send(const QByteArray &frame)
{
    if (frame.size() > MaxSendFrame) {
        // Before the 16-bit cast below, which would wrap it into range.
        WriteLog(TLogKind::Warning, PortLabel() + QStringLiteral(": frame of %1 bytes not sent (%2 to %3)")
                                                      .arg(frame.size())
                                                      .arg(MinFrame)
                                                      .arg(MaxSendFrame));
        return false;
    }
    return Send(reinterpret_cast<const std::uint8_t *>(frame.constData()), std::uint16_t(frame.size()));
}

bool TApdA::Send(const std::uint8_t *frame, std::uint16_t length)
{
    try {
        if (!frame || length < MinFrame || length > MaxSendFrame) {
            WriteLog(TLogKind::Warning,
                     PortLabel() + QStringLiteral(": frame of %1 bytes not sent (%2 to %3)")
                                       .arg(length)
                                       .arg(MinFrame)
                                       .arg(MaxSendFrame));
            return false;
        }
        const int announced = frame[3] * 256 + frame[4];
        if (announced + HeaderSize != length) {
            WriteLog(TLogKind::Warning,
                     PortLabel() +
                         QStringLiteral(": frame not sent: its header announces %1 data bytes, it has %2")
                             .arg(announced)
                             .arg(length - HeaderSize));
            return false;
        }
        FLock->Lock();
        const bool queued = FSendQueue->PutFrame(frame, length);
        FLock->Unlock();
        if (queued)
            FSender->Resume();
        return queued;
    } catch (...) {
        return false;
    }
}

int TApdA::SendQueueCount()
{
    FLock->Lock();
    const int count = FSendQueue->FrameCount() + (FPendingWire.isEmpty() ? 0 : 1);
    FLock->Unlock();
    return count;
}

QByteArray TApdA::FrameToWire(const QByteArray &frame)
{
    QByteArray wire;
    wire.reserve(frame.size() + 3);
    wire.append(char(StartByte1));
    wire.append(char(StartByte2));
    wire.append(frame);
    if (frame.size() > 1)
        wire[3] = char(SecondHeaderByte);
    std::uint32_t sum = StartByte1 + StartByte2;
    for (qsizetype i = 2; i < wire.size(); ++i)
        sum += std::uint8_t(wire[i]);
    wire.append(char(sum & 0xFF));
    return wire;
}

void TApdA::TransmitNextFrame()
{
    // Runs on the sender thread under the lock.
    if (!FPendingWire.isEmpty())
        return;
    QByteArray frame;
    if (!FSendQueue->GetFrame(frame))
        return;
    FPendingWire = FrameToWire(frame);
}

void TApdA::SenderExecute(QObject *)
{
    while (!FSender->Terminated()) {
        FLock->Lock();
        TransmitNextFrame();
        FLock->Unlock();
        FSender->DoSynchronize();
    }
}

void TApdA::SenderSynchronize(QObject *)
{
    FLock->Lock();
    const QByteArray wire = std::exchange(FPendingWire, QByteArray());
    FLock->Unlock();
    if (!wire.isEmpty()) {
        if (!FPort.isOpen()) {
            WriteLog(TLogKind::Error, PortLabel() + QStringLiteral(": frame not sent: the port is closed"));
        } else {
            if (FLoggingOn)
                WriteLog(TLogKind::Information, PortLabel() + QStringLiteral(" out: ") + hexBytes(wire));
            const qint64 written = FPort.write(wire);
            if (written != wire.size()) {
                const QString detail = FPort.errorString();
                FPort.clearError();
                Fail(TLinkError::Io, QStringLiteral("frame not sent: ") + detail);
            }
        }
    }
    FLock->Lock();
    if (FSendQueue->FrameCount() == 0 && FPendingWire.isEmpty())
        FSender->Suspend();
    else
        FSender->Resume();
    FLock->Unlock();
}

void TApdA::ReceiverExecute(QObject *)
{
    while (!FReceiver->Terminated()) {
        FLock->Lock();
        FLock->Unlock();
        FReceiver->DoSynchronize();
    }
}

void TApdA::DeliverReceivedFrame(QObject *)
{
    QByteArray frame;
    if (FReceiveQueue->GetFrame(frame)) {
        // A queued hop, so that the owner's handler never runs inside this
        // step (it may well destroy the link).
        const int port = FComNumber;
        QMetaObject::invokeMethod(
            this, [this, frame, port] { emit FrameReceived(frame, port); }, Qt::QueuedConnection);
    }
    if (FReceiveQueue->FrameCount() == 0)
        FReceiver->Suspend();
}

void TApdA::TriggerAvail()
{
    const QByteArray bytes = FPort.readAll();
    if (bytes.isEmpty())
        return;
    emit BytesReceived(int(bytes.size()));
    if (FLoggingOn)
        WriteLog(TLogKind::Information, PortLabel() + QStringLiteral(" in: ") + hexBytes(bytes));
    ReceiveBytes(bytes);
}

void TApdA::ReceiveBytes(const QByteArray &bytes)
{
    for (const char c : bytes)
        HandleByte(std::uint8_t(c));
}

void TApdA::HandleByte(std::uint8_t b)
{
    switch (FState) {
    case 1:
        if (b == StartByte1) {
            FSum = StartByte1;
            FByteCount = 0;
            FState = 2;
        } else {
            ResetReceiver();
        }
        break;
    case 2:
        if (b == StartByte2) {
            FSum += b;
            FByteCount = 0;
            FState = 3;
        } else if (b != StartByte1) {
            FByteCount = 0;
            ResetReceiver();
        }
        break;
    case 3:
    case 4:
    case 5:
        FReceiveQueue->PutByte(b);
        FSum += b;
        ++FState;
        break;
    case 6:
        FReceiveQueue->PutByte(b);
        FSum += b;
        FExpected = std::uint32_t(b) * 256;
        FState = 7;
        break;
    case 7:
        FReceiveQueue->PutByte(b);
        FSum += b;
        FExpected += b;
        FByteCount = 0;
        if (FExpected + HeaderSize > std::uint32_t(MaxReceiveFrame)) {
            WriteLog(TLogKind::Warning,
                     PortLabel() + QStringLiteral(": frame announcing %1 data bytes dropped (at most %2)")
                                       .arg(FExpected)
                                       .arg(MaxReceiveFrame - HeaderSize));
            ResetReceiver();
        } else if (FExpected == 0) {
            FState = 9;
        } else {
            FTimer.start(platform::ScaledInterval(InterByteTimeout));
            FState = 8;
        }
        break;
    case 8:
        ++FByteCount;
        FTimer.start(platform::ScaledInterval(InterByteTimeout));
        FReceiveQueue->PutByte(b);
        FSum = (FSum + b) & 0xFF;
        if (FByteCount == FExpected)
            FState = 9;
        break;
    case 9:
        FTimer.stop();
        if (b == (FSum & 0xFF)) {
            if (FReceiveQueue->EndFrame())
                FReceiver->Resume();
            FState = 1;
        } else {
            WriteLog(TLogKind::Warning, PortLabel() + QStringLiteral(": frame with a bad checksum dropped"));
            ResetReceiver();
        }
        FByteCount = 0;
        break;
    default:
        FByteCount = 0;
        ResetReceiver();
        break;
    }
}

void TApdA::TriggerTimer()
{
    if (FState == 8) {
        WriteLog(TLogKind::Warning, PortLabel() + QStringLiteral(": frame dropped: no byte for %1 ms")
                                                      .arg(platform::ScaledInterval(InterByteTimeout)));
        ResetReceiver();
    }
}

bool TApdA::Log()
{
    if (!Enable_Log) {
        FLoggingOn = false;
        return false;
    }
    FLoggingOn = !FLoggingOn;
    return FLoggingOn;
}

TApdA *CreateComPort(QObject *owner, int number)
{
    auto *link = new TApdA(owner, TApdA::DefaultWM);
    link->SetBaud(9600);
    link->SetComNumber(number);
    link->SetParity(QSerialPort::SpaceParity);
    link->SetStopBits(QSerialPort::OneStop);
    link->SetDataBits(QSerialPort::Data8);
    link->SetInSize(TBuffer::SlotSize);
    link->SetOutSize(TBuffer::SlotSize);
    return link;
}
