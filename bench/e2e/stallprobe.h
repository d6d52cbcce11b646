#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

// The longest time the GUI thread is kept from its events while some work
// goes on: a 5 ms timer ticks through the whole of it, and the worst gap
// between two ticks, less the 5 ms, is the longest stall a user could feel.
//
// Runs start(finish) from the event loop, with the timer already ticking,
// and keeps the loop running until the work calls finish(). Returns the
// stall in ms.
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
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = qMax(worst, now - last);
        last = now;
    });
    ticker.start();
    clock.start();
    const std::function<void()> finish = [&loop] {
        loop.quit();
    };
    QTimer::singleShot(0, [&] { start(finish); });
    loop.exec();
    worst = qMax(worst, clock.nsecsElapsed() - last);
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
