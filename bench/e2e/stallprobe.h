#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <ctime>
#include <functional>

// The longest time the GUI thread is kept from its events while some work
// goes on: a 5 ms timer ticks through the whole of it, and the worst gap
// between two ticks, less the 5 ms, is the longest stall a user could feel.
//
// Runs start(finish) from the event loop, with the timer already ticking,
// and keeps the loop running until the work calls finish(). Returns the
// stall in ms.
//
// How much of that worst gap the GUI thread spent working (its own CPU
// time) is left in stallBusyMs(): a stall it spent working is the
// program's doing; one it spent waiting is the machine's (other threads
// and processes had the cores) or a lock's.
inline double &stallBusyMs()
{
    static double busy = 0;
    return busy;
}

inline qint64 threadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

template<typename Start>
double worstStallUntil(Start start)
{
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    qint64 lastCpu = threadCpuNs();
    qint64 worstCpu = 0;
    const auto tick = [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (now - last > worst) {
            worst = now - last;
            worstCpu = cpu - lastCpu;
        }
        last = now;
        lastCpu = cpu;
    };
    QObject::connect(&ticker, &QTimer::timeout, tick);
    ticker.start();
    clock.start();
    const std::function<void()> finish = [&loop] {
        loop.quit();
    };
    QTimer::singleShot(0, [&] { start(finish); });
    loop.exec();
    tick();
    stallBusyMs() = worstCpu / 1e6;
    return qMax(0.0, worst / 1e6 - 5.0);
}

// The same until sender emits done.
template<typename Sender, typename Signal, typename Start>
double worstStall(Sender *sender, Signal done, Start start)
{
    QMetaObject::Connection ended;
    const double stall = worstStallUntil([&](const std::function<void()> &finish) {
        ended = QObject::connect(sender, done, [finish] { finish(); });
        start();
    });
    QObject::disconnect(ended);
    return stall;
}
