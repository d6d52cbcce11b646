#pragma once

#include <QFutureWatcher>
#include <QLoggingCategory>
#include <QString>
#include <QtConcurrent>

#include <utility>

Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

// Writes a file on the thread pool, so that the window never waits for the
// disk, and tells the outcome on owner's thread: write() returns why the file
// could not be written, empty when it was; done(path, error) follows, after
// a line in the log that names what was written ("work saved to …").
template<typename Write, typename Done>
void writeInBackground(QObject *owner, const QString &path, const char *what, Write write,
                       Done done)
{
    auto *watcher = new QFutureWatcher<QString>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner,
                     [watcher, path, what, done = std::move(done)] {
                         const QString error = watcher->result();
                         watcher->deleteLater();
                         if (error.isEmpty())
                             qCInfo(lcDesktop) << what << "written to" << path;
                         else
                             qCWarning(lcDesktop)
                                 << "cannot write the" << what << "to" << path << "-" << error;
                         done(path, error);
                     });
    watcher->setFuture(QtConcurrent::run(std::move(write)));
}
