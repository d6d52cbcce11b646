#include "imaging/watchedload.h"

#include <QTimer>

namespace Imaging {

WatchedLoad::WatchedLoad(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &WatchedLoad::expire);
}

WatchedLoad::~WatchedLoad()
{
    giveUp();
}

void WatchedLoad::start(std::function<LoadedPicture()> work)
{
    giveUp();
    m_load = LoaderPool::shared()->start(std::move(work));
    m_watcher = new QFutureWatcher<LoadedPicture>(this);
    auto *watcher = m_watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        if (watcher != m_watcher)
            return;
        const LoadedPicture loaded = LoaderPool::result(m_load);
        m_watcher = nullptr;
        m_load = {};
        m_timer->stop();
        watcher->deleteLater();
        emit finished(loaded);
    });
    watcher->setFuture(m_load.future);
    if (m_timeout > 0)
        m_timer->start(m_timeout);
}

void WatchedLoad::giveUp()
{
    if (!m_watcher)
        return;
    // The thread may stay blocked on the file; the pool takes another one
    // for the next load meanwhile.
    LoaderPool::shared()->giveUp(m_load);
    delete m_watcher;
    m_watcher = nullptr;
    m_load = {};
    m_timer->stop();
}

void WatchedLoad::expire()
{
    if (!m_watcher)
        return;
    giveUp();
    emit timedOut();
}

} // namespace Imaging
