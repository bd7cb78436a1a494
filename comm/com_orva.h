#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>

#include "comm/buffer.h"
#include "comm/commerror.h"
#include "comm/commlog.h"
#include "comm/threading.h"

// A received frame in the form the answer handlers read it: 10240 bytes of
// header and data (the rest zero), then the frame's length, u16 little-endian.
struct TFrameBlock {
    static constexpr int DataSize = 10240;
    static constexpr int Size = DataSize + 2;
    std::array<std::uint8_t, Size> Bytes{};

    static TFrameBlock FromFrame(const QByteArray &frame);
    std::uint16_t Length() const { return std::uint16_t(Bytes[DataSize] | Bytes[DataSize + 1] << 8); }
    QByteArray Frame() const
    {
        return QByteArray(reinterpret_cast<const char *>(Bytes.data()), std::min<int>(Length(), DataSize));
    }
};

// Serial link to an Orva system or console: frames out through a sender
// thread, bytes in through the receive state machine, each good frame handed to
// the owner as one FrameReceived(frame, port) in arrival order.
//
// Wire frame: A5 5A, command, A6 (forced when sending), argument, data length
// big-endian, data, then (A5 + 5A + header + data) mod 256. The caller's frame is
// the five header bytes and the data.
//
// The QSerialPort belongs to the thread that creates the link (the user-interface
// thread) and is touched only there: the sender thread prepares the wire bytes
// under the link's lock and its synchronised step writes them.
class TApdA : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultWM = 1025;       // WM_USER + 1
    static constexpr int InterByteTimeout = 990; // 18 ticks of 55 ms
    static constexpr int MinFrame = 5;
    static constexpr int MaxSendFrame = TBuffer::SlotSize - 1; // room for the checksum
    static constexpr int MaxReceiveFrame = TBuffer::SlotSize;

    // owner: the object the frames are for (also the QObject parent).
    explicit TApdA(QObject *owner, int wm = DefaultWM);
    ~TApdA() override;

    // Port parameters; they take effect at the next open.
    void SetComNumber(int number) { FComNumber = number; }
    int ComNumber() const { return FComNumber; }
    void SetBaud(int baud) { FBaud = baud; }
    int Baud() const { return FBaud; }
    void SetParity(QSerialPort::Parity parity) { FParity = parity; }
    QSerialPort::Parity Parity() const { return FParity; }
    void SetStopBits(QSerialPort::StopBits stopBits) { FStopBits = stopBits; }
    QSerialPort::StopBits StopBits() const { return FStopBits; }
    void SetDataBits(QSerialPort::DataBits dataBits) { FDataBits = dataBits; }
    QSerialPort::DataBits DataBits() const { return FDataBits; }
    void SetInSize(int size) { FInSize = size; }
    int InSize() const { return FInSize; }
    void SetOutSize(int size) { FOutSize = size; }
    int OutSize() const { return FOutSize; }
    void SetWM(int wm) { FWM = wm; }
    int WM() const { return FWM; }

    // The device of the port: an explicit path when set, else the COM map.
    void SetDeviceName(const QString &path) { FDevice = path; }
    QString DeviceName() const;
    // "COM1 (/dev/ttyS0)", used in every message about the port.
    QString PortLabel() const;

    // Opens or closes the port; both reset the receive state machine and the
    // queues. False when the port cannot be opened (LastError says why).
    bool SetOpen(bool open);
    bool Open() const;
    TLinkError LastError() const { return FLastError; }
    QString LastErrorText() const { return FLastErrorText; }

    // Queues a caller frame (header and data) for sending. Only frames of 5 to
    // 10239 bytes whose length field matches the data are taken; anything else
    // is refused with a log entry. Never throws; the caller may reuse its buffer.
    bool Send(const QByteArray &frame);
    bool Send(const std::uint8_t *frame, std::uint16_t length);

    // Diagnostic switch: with Enable_Log set, each read toggles a hex trace of
    // the traffic into the log; without it, it stops the trace.
    bool Enable_Log = false;
    bool Log();

    // Test access.
    int ReceiveState() const { return FState; }
    // Bytes as the port delivered them, through the receive state machine.
    void ReceiveBytes(const QByteArray &bytes);
    int SendQueueCount();
    TThreading *Sender() const { return FSender.get(); }
    TThreading *Receiver() const { return FReceiver.get(); }

    // The wire bytes for a caller frame (start bytes, A6, checksum).
    static QByteArray FrameToWire(const QByteArray &frame);

signals:
    // One good frame (header and data) from port number port.
    void FrameReceived(const QByteArray &frame, int port);
    // Log entries of the link, delivered queued (in order) on the link's thread.
    void LogEntry(TLogKind kind, const QString &text);
    // The open port failed on its own (device gone, I/O error); it may be closed.
    void PortFailed(TLinkError kind, const QString &message);
    void BytesSent(int count);
    void BytesReceived(int count);

private:
    void TriggerAvail();
    void TriggerTimer();
    void PortOpened();
    void PortErrorOccurred(QSerialPort::SerialPortError error);

    void SenderExecute(QObject *sender);
    void SenderSynchronize(QObject *sender);
    void ReceiverExecute(QObject *sender);
    void DeliverReceivedFrame(QObject *sender);
    void TransmitNextFrame();

    void HandleByte(std::uint8_t b);
    void ResetReceiver();
    void ResetLink();
    void WriteLog(TLogKind kind, const QString &text);
    void Fail(TLinkError kind, const QString &detail);

    std::unique_ptr<TBuffer> FReceiveQueue;
    std::unique_ptr<TBuffer> FSendQueue;
    bool FLoggingOn = false;
    QTimer FTimer; // inter-byte time-out inside the data
    std::uint8_t FState = 1;
    std::uint32_t FSum = 0;
    std::uint16_t FByteCount = 0;
    std::uint32_t FExpected = 0;
    std::unique_ptr<TThreading> FSender;
    std::unique_ptr<TThreading> FReceiver;
    std::unique_ptr<TThreadMemoryStream> FLock;
    QByteArray FPendingWire; // built by the sender thread, written by its step
    QObject *FOwner;
    int FWM;

    QSerialPort FPort;
    bool FSettingLines = false;
    int FComNumber = 1;
    QString FDevice;
    int FBaud = 9600;
    QSerialPort::Parity FParity = QSerialPort::SpaceParity;
    QSerialPort::StopBits FStopBits = QSerialPort::OneStop;
    QSerialPort::DataBits FDataBits = QSerialPort::Data8;
    int FInSize = TBuffer::SlotSize;
    int FOutSize = TBuffer::SlotSize;
    TLinkError FLastError = TLinkError::None;
    QString FLastErrorText;
};

// The main window's serial link: message 1025, 9600 baud, space parity, one
// stop bit, 8 data bits, buffers of 10240 bytes, the given COM number.
TApdA *CreateComPort(QObject *owner, int number);
