#include "comm/threading.h"

#include <QMetaObject>

namespace
{

// The unit-wide lock of every TThreading's critical-section step.
QMutex &unitLock()
{
    static QMutex lock;
    return lock;
}

} // namespace

void TMainThread::run()
{
    if (FOwner && FOwner->OnExecute)
        FOwner->OnExecute(this);
}

TThreading::TThreading(QObject *owner) : QObject(owner), FThread(std::make_unique<TMainThread>(this)) {}

TThreading::~TThreading()
{
    Terminate();
    Resume();
    WaitFor();
}

void TThreading::DoSynchronize()
{
    if (!OnSynchronize)
        return;
    {
        std::lock_guard<std::mutex> guard(FMutex);
        if (FTerminated || FSuspended)
            return;
    }
    if (QThread::currentThread() == thread()) {
        OnSynchronize(this);
        return;
    }
    auto call = std::make_shared<SyncCall>();
    // Queued to this object: dropped by Qt if the component goes first.
    QMetaObject::invokeMethod(
        this, [this, call] { RunSynchronized(call); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(FMutex);
    FWake.wait(lock, [&] { return call->done || (FTerminated && !call->running); });
    if (!call->done)
        call->cancelled = true; // a terminated worker never waits for the step
}

void TThreading::RunSynchronized(const std::shared_ptr<SyncCall> &call)
{
    {
        std::lock_guard<std::mutex> guard(FMutex);
        if (call->cancelled || FTerminated) {
            call->cancelled = true;
            FWake.notify_all();
            return;
        }
        call->running = true;
    }
    if (OnSynchronize)
        OnSynchronize(this);
    std::lock_guard<std::mutex> guard(FMutex);
    call->running = false;
    call->done = true;
    FWake.notify_all();
}

void TThreading::DoCriticalSection()
{
    if (!OnCriticalSection)
        return;
    {
        std::lock_guard<std::mutex> guard(FMutex);
        if (FTerminated || FSuspended)
            return;
    }
    QMutexLocker locker(&unitLock());
    OnCriticalSection(this);
}

void TThreading::Suspend()
{
    std::lock_guard<std::mutex> guard(FMutex);
    FSuspended = true;
}

void TThreading::Resume()
{
    bool start = false;
    {
        std::lock_guard<std::mutex> guard(FMutex);
        FSuspended = false;
        if (!FStarted && !FTerminated) {
            FStarted = true;
            start = true;
        }
        FWake.notify_all();
    }
    if (start)
        FThread->start(FPriority);
}

void TThreading::WaitFor()
{
    {
        std::lock_guard<std::mutex> guard(FMutex);
        if (!FStarted)
            return;
    }
    if (QThread::currentThread() == FThread.get())
        return; // a thread cannot wait for itself
    FThread->wait();
}

void TThreading::Terminate()
{
    std::lock_guard<std::mutex> guard(FMutex);
    FTerminated = true;
    FWake.notify_all();
}

void TThreading::Sleep(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(unsigned(milliseconds));
}

bool TThreading::Terminated()
{
    Sleep(1);
    std::unique_lock<std::mutex> lock(FMutex);
    if (QThread::currentThread() == FThread.get())
        FWake.wait(lock, [this] { return FTerminated || !FSuspended; });
    return FTerminated;
}

bool TThreading::Suspended() const
{
    std::lock_guard<std::mutex> guard(FMutex);
    return FSuspended;
}

QThread::Priority TThreading::Priority() const
{
    std::lock_guard<std::mutex> guard(FMutex);
    return FPriority;
}

void TThreading::SetPriority(QThread::Priority priority)
{
    bool running = false;
    {
        std::lock_guard<std::mutex> guard(FMutex);
        FPriority = priority;
        running = FStarted;
    }
    if (running && FThread->isRunning())
        FThread->setPriority(priority);
}

bool TThreading::Started() const
{
    std::lock_guard<std::mutex> guard(FMutex);
    return FStarted;
}

TThreadMemoryStream::TThreadMemoryStream() = default;

TThreadMemoryStream::~TThreadMemoryStream()
{
    QMutexLocker locker(&FLock);
    close();
    setData(QByteArray());
}
