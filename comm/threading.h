#pragma once

#include <QBuffer>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class TThreading;

// The worker thread of a TThreading: runs its owner's OnExecute once.
class TMainThread : public QThread
{
public:
    explicit TMainThread(TThreading *owner) : FOwner(owner) {}
    TThreading *Owner() const { return FOwner; }

protected:
    void run() override;

private:
    TThreading *FOwner;
};

// One worker thread with pluggable body, a step run on the thread that created
// the component (the user-interface thread) and a step run under one lock shared
// by every TThreading. Suspension is cooperative: the worker parks at its next
// test of Terminated, so a resume is never lost and a suspended worker does no
// work until resumed.
class TThreading : public QObject
{
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject *sender)>;

    explicit TThreading(QObject *owner = nullptr);
    // Stops the thread (terminate, resume, wait) before it goes.
    ~TThreading() override;

    TNotifyEvent OnExecute;
    TNotifyEvent OnSynchronize;
    TNotifyEvent OnCriticalSection;

    // Runs OnSynchronize on the creator's thread and waits for it; returns
    // early, without running it, when the thread is terminated meanwhile.
    virtual void DoSynchronize();
    // Runs OnCriticalSection under the unit-wide lock.
    virtual void DoCriticalSection();
    virtual void Suspend();
    virtual void Resume();
    virtual void WaitFor();
    virtual void Terminate();
    virtual void Sleep(int milliseconds);

    // Sleeps 1 ms, then (on the worker, while suspended) parks until resumed
    // or terminated; returns the terminated flag.
    bool Terminated();
    bool Suspended() const;
    QThread::Priority Priority() const;
    void SetPriority(QThread::Priority priority);

    // The worker has been started (by the first Resume).
    bool Started() const;
    QThread *Thread() const { return FThread.get(); }

private:
    struct SyncCall {
        bool running = false;
        bool done = false;
        bool cancelled = false;
    };

    void RunSynchronized(const std::shared_ptr<SyncCall> &call);

    std::unique_ptr<TMainThread> FThread;
    mutable std::mutex FMutex;
    std::condition_variable FWake;
    bool FTerminated = false;
    bool FSuspended = true;
    bool FStarted = false;
    QThread::Priority FPriority = QThread::NormalPriority;
};

// A memory stream with a lock of its own; the serial link uses it as the lock
// shared by its two worker loops.
class TThreadMemoryStream : public QBuffer
{
public:
    TThreadMemoryStream();
    ~TThreadMemoryStream() override;

    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }
    QMutex &Mutex() { return FLock; }

private:
    QMutex FLock;
};
