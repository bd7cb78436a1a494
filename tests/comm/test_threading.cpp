#include <QtTest>
#include <atomic>

#include "comm/threading.h"

class TestThreading : public QObject
{
    Q_OBJECT

private slots:
    void createdSuspendedRunsOnlyAfterResume()
    {
        std::atomic<int> runs{0};
        {
            TThreading t;
            std::atomic<bool> senderIsThread{false};
            t.OnExecute = [&](QObject *sender) {
                senderIsThread = dynamic_cast<TMainThread *>(sender) != nullptr;
                ++runs;
            };
            QVERIFY(t.Suspended());
            QTest::qWait(30);
            QCOMPARE(runs.load(), 0);
            t.Resume();
            t.WaitFor();
            QCOMPARE(runs.load(), 1);
            QVERIFY(senderIsThread);
        }
        // Never started: destruction returns at once.
        TThreading idle;
        idle.OnExecute = [&](QObject *) { ++runs; };
    }

    void synchronizedStepRunsOnTheCreatorThreadAndIsAwaited()
    {
        TThreading t;
        QThread *const uiThread = QThread::currentThread();
        std::atomic<int> steps{0};
        std::atomic<bool> wrongThread{false};
        std::atomic<bool> returnedBeforeStep{false};
        t.OnSynchronize = [&](QObject *sender) {
            if (QThread::currentThread() != uiThread || sender != &t)
                wrongThread = true;
            QThread::msleep(5); // the worker must still be waiting
            ++steps;
        };
        t.OnExecute = [&](QObject *) {
            for (int i = 0; i < 20 && !t.Terminated(); ++i) {
                const int before = steps.load();
                t.DoSynchronize();
                if (steps.load() != before + 1)
                    returnedBeforeStep = true;
            }
        };
        t.Resume();
        QTRY_COMPARE_WITH_TIMEOUT(steps.load(), 20, 5000);
        t.WaitFor();
        QVERIFY(!wrongThread);
        QVERIFY(!returnedBeforeStep);
    }

    void doSynchronizeDoesNothingWhenUnboundSuspendedOrTerminated()
    {
        int steps = 0;
        TThreading unbound;
        unbound.Resume();
        unbound.DoSynchronize(); // no handler: nothing to run, no crash

        TThreading t;
        t.OnSynchronize = [&](QObject *) { ++steps; };
        t.DoSynchronize(); // suspended (never started)
        QCOMPARE(steps, 0);
        t.Resume();
        t.DoSynchronize(); // running, called on the creator thread: runs here
        QCOMPARE(steps, 1);
        t.Suspend();
        t.DoSynchronize();
        t.Resume();
        t.Terminate();
        t.DoSynchronize();
        QCOMPARE(steps, 1);

        int sections = 0;
        TThreading c;
        c.OnCriticalSection = [&](QObject *) { ++sections; };
        c.DoCriticalSection();
        c.Resume();
        c.DoCriticalSection();
        c.Terminate();
        c.DoCriticalSection();
        QCOMPARE(sections, 1);
    }

    void emptyLoopIsPacedByTheTerminatedTest()
    {
        TThreading t;
        std::atomic<int> passes{0};
        t.OnExecute = [&](QObject *) {
            while (!t.Terminated())
                ++passes;
        };
        QElapsedTimer clock;
        clock.start();
        t.Resume();
        QTest::qWait(300);
        t.Terminate();
        t.WaitFor();
        const double seconds = clock.elapsed() / 1000.0;
        QVERIFY(passes.load() > 0);
        QVERIFY2(passes.load() <= 1000 * seconds + 10, qPrintable(QString::number(passes.load())));
    }

    void tenThousandSuspendResumeCyclesNeverStall()
    {
        TThreading t;
        std::atomic<int> passes{0};
        t.OnExecute = [&](QObject *) {
            while (!t.Terminated()) {
                // Suspend before announcing the pass: the resume that answers
                // may land before the worker parks and must not be lost.
                t.Suspend();
                ++passes;
            }
        };
        t.Resume();
        constexpr int cycles = 10000;
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= cycles; ++i) {
            QDeadlineTimer deadline(2000);
            while (passes.load() < i) {
                QVERIFY2(!deadline.hasExpired(), qPrintable(QStringLiteral("stalled at cycle %1").arg(i)));
                QThread::yieldCurrentThread();
            }
            QVERIFY(passes.load() == i); // parked: no pass without a resume
            t.Resume();
        }
        QTRY_COMPARE_WITH_TIMEOUT(passes.load(), cycles + 1, 2000);
        QTest::qWait(20);
        QCOMPARE(passes.load(), cycles + 1); // suspended again, does no work
        qInfo("%d cycles in %lld ms", cycles, clock.elapsed());
    }

    void suspendFromItsOwnStepTakesEffectBeforeTheNextPass()
    {
        TThreading t;
        std::atomic<int> passes{0};
        t.OnSynchronize = [&](QObject *) { t.Suspend(); };
        t.OnExecute = [&](QObject *) {
            while (!t.Terminated()) {
                ++passes;
                t.DoSynchronize();
            }
        };
        t.Resume();
        QTRY_COMPARE_WITH_TIMEOUT(passes.load(), 1, 2000);
        QTest::qWait(50);
        QCOMPARE(passes.load(), 1);
        QVERIFY(t.Suspended());
        t.Resume();
        QTRY_COMPARE_WITH_TIMEOUT(passes.load(), 2, 2000);
        QTest::qWait(50);
        QCOMPARE(passes.load(), 2);
    }

    void destroyWhileASynchronizedStepIsPendingReturns()
    {
        std::atomic<int> steps{0};
        std::atomic<bool> waiting{false};
        auto *t = new TThreading;
        t->OnSynchronize = [&](QObject *) { ++steps; };
        t->OnExecute = [&](QObject *) {
            while (!t->Terminated()) {
                waiting = true;
                t->DoSynchronize();
            }
        };
        t->Resume();
        // The event loop does not run here, so the step stays pending.
        QDeadlineTimer deadline(2000);
        while (!waiting && !deadline.hasExpired())
            QThread::msleep(1);
        QThread::msleep(20);
        QElapsedTimer clock;
        clock.start();
        delete t;
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(steps.load(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(steps.load(), 0); // the abandoned step never runs
    }

    void terminateWhileSuspendedEndsTheThread()
    {
        TThreading t;
        t.OnExecute = [&](QObject *) {
            t.Suspend();
            while (!t.Terminated()) {
            }
        };
        t.Resume();
        QTRY_VERIFY_WITH_TIMEOUT(t.Suspended(), 5000);
        QTest::qWait(20); // parked by now, or about to be
        t.Terminate();
        QVERIFY(t.Thread()->wait(2000));
    }

    void criticalSectionsAreSerialisedAcrossComponents()
    {
        std::atomic<int> inside{0};
        std::atomic<bool> overlap{false};
        int total = 0; // guarded by the unit-wide lock only
        auto section = [&](QObject *) {
            if (++inside > 1)
                overlap = true;
            for (int i = 0; i < 100; ++i)
                ++total;
            --inside;
        };
        TThreading a, b;
        for (TThreading *t : {&a, &b}) {
            t->OnCriticalSection = section;
            t->OnExecute = [t](QObject *) {
                for (int i = 0; i < 300; ++i)
                    t->DoCriticalSection();
            };
        }
        a.Resume();
        b.Resume();
        a.WaitFor();
        b.WaitFor();
        QVERIFY(!overlap);
        QCOMPARE(total, 2 * 300 * 100);
    }

    void priorityIsKept()
    {
        TThreading t;
        t.SetPriority(QThread::LowPriority);
        QCOMPARE(t.Priority(), QThread::LowPriority);
    }

    void memoryStreamLock()
    {
        TThreadMemoryStream stream;
        stream.Lock();
        QVERIFY(!stream.Mutex().tryLock());
        stream.Unlock();
        QVERIFY(stream.Mutex().tryLock());
        stream.Unlock();
    }
};

QTEST_GUILESS_MAIN(TestThreading)
#include "test_threading.moc"
