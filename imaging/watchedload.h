#pragma once

#include "imaging/pictureloader.h"

#include <QFutureWatcher>
#include <QObject>

#include <functional>

class QTimer;

namespace Imaging {

// One picture load at a time on the shared loader pool, watched from the
// thread that starts it: its result comes back there in `finished`, unless
// a newer load replaced it, it was given up, or it ran past the time
// allowed (`timedOut`). A load that hangs on its file is left to the pool,
// which takes another thread for the next one, so nothing ever waits for it.
class WatchedLoad : public QObject
{
    Q_OBJECT

public:
    explicit WatchedLoad(QObject *parent = nullptr);
    // Gives up a load still running.
    ~WatchedLoad() override;

    // How long a load may run, in ms (0: as long as it takes).
    int timeout() const { return m_timeout; }
    void setTimeout(int ms) { m_timeout = ms; }
    bool running() const { return m_watcher != nullptr; }

    // Starts work on the pool, giving up the load still running.
    void start(std::function<LoadedPicture()> work);
    // The load running no longer counts.
    void giveUp();

signals:
    void finished(const Imaging::LoadedPicture &loaded);
    // The load ran past the time allowed and was given up.
    void timedOut();

private:
    void expire();

    int m_timeout = 10000;
    QFutureWatcher<LoadedPicture> *m_watcher = nullptr;
    LoaderPool::Load m_load;
    QTimer *m_timer = nullptr;
};

} // namespace Imaging
