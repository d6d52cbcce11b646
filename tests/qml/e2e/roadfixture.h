#pragma once

#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "tests/qml/harness/setup.h"
#include "tests/qml/harness/simulatorprocess.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

// What the whole-program tests need around the real window: a simulated
// engraver that can be started with fault options, killed or restarted,
// pictures and broken files to drop, and a look into the job buffer and at
// what the engraver burned.
class RoadFixture : public QObject
{
    Q_OBJECT
public:
    // Starts a simulated engraver (after stopping the previous one) with the
    // given extra options and offers its device to the engraver search.
    // Returns the device path, or "" when it did not start.
    Q_INVOKABLE QString startSimulator(const QStringList &options);
    // Ends the simulated engraver abruptly, as a pulled cable would.
    Q_INVOKABLE void killSimulator() { m_simulator.kill(); }
    Q_INVOKABLE void forgetBurnPicture() { QFile::remove(path(QStringLiteral("burned.png"))); }
    // Compares what the simulated engraver burned with what the job's
    // records from byte fromByte on describe when placed at (x, y): the
    // number of pixels that differ, or -1 when nothing has been burned yet.
    Q_INVOKABLE int burnMismatches(int x, int y, int fromByte = 0) const;
    // Keeps the job's records as they are now, for keptMismatches.
    Q_INVOKABLE void keepJob() { m_kept = job().bytes(); }
    // The same comparison for the kept records placed at (x, y) and repeated
    // in a grid of columns x rows stepped by (stepX, stepY), counting as
    // burned only what lies inside region (engraving pixels of the area).
    Q_INVOKABLE int keptMismatches(int x, int y, int columns, int rows, int stepX, int stepY,
                                   const QRect &region) const;
    // The test card's last run: what the engraver burned of its last row
    // against that row's records (as burnMismatches), and the records of
    // all its rows against the simulator's record counts (the --counts
    // file countsFile()), each pixel counted as often as a record for it
    // arrived.
    Q_INVOKABLE int cardLastRowMismatches(QObject *card) const;
    Q_INVOKABLE int cardCountMismatches(QObject *card) const;
    Q_INVOKABLE QString countsFile() const { return path(QStringLiteral("counts.png")); }
    Q_INVOKABLE int jobPosition() const { return int(job().position()); }
    Q_INVOKABLE int jobSize() const { return job().bytes().size(); }
    // A photo-like picture (gradients and shapes) in the test's directory.
    Q_INVOKABLE QString makePhoto(const QString &name, int width, int height) const;
    // A logo: a dark disc in a pale halo, in the middle of pure white.
    Q_INVOKABLE QString makeLogo(const QString &name, int width, int height) const;
    // How many of the job's burned pixels lie farther than radius from
    // (cx, cy), in engraving pixels of the job's picture.
    Q_INVOKABLE int burnedOutside(double cx, double cy, double radius) const;
    // A file a user might drop by mistake: "truncated", "bitflipped",
    // "empty", "directory", "text" or "huge" (a picture claiming
    // 60000 × 60000 pixels). Returns its URL.
    Q_INVOKABLE QString makeBrokenFile(const QString &kind) const;

public slots:
    void applicationAvailable() { m_setup.applicationAvailable(); }
    void qmlEngineAvailable(QQmlEngine *engine);
    void cleanupTestCase() { m_simulator.stop(); }

private:
    QString path(const QString &name) const { return QDir(m_dir).absoluteFilePath(name); }
    const JobBuffer &job() const { return *m_setup.operations()->jobBuffer(); }

    // What the engraver burned against the records placed at each offset.
    int mismatches(const QByteArray &records, const QVector<QPoint> &offsets, const QRect &region,
                   int fromByte) const;

    QuickTestSetup m_setup;
    QByteArray m_kept;
    SimulatorProcess m_simulator {QStringLiteral(ENGRAVER_SIM)};
    // isolated.sh runs every test in a temporary directory of its own.
    const QString m_dir = QDir::currentPath();
};
