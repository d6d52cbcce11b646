#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

class QQmlEngine;
class SimulatorProcess;
class QuickTestSetup;

// Runs the simulated engraver on a pseudo-terminal for the whole test
// program, points the engraver search at it, and lets QML put a prepared job
// into the job buffer and read back what the simulated engraver burned.
class EngineFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool simulatorRunning READ simulatorRunning CONSTANT)
public:
    explicit EngineFixture(QObject *parent = nullptr);
    ~EngineFixture() override;

    bool simulatorRunning() const;

    // A job burning every pixel of the rectangle (x, y, w, h) of a preview
    // of previewWidth x previewHeight pixels with the given intensity, in
    // serpentine order; the bounds are those of the rectangle.
    Q_INVOKABLE void prepareJob(int previewWidth, int previewHeight, int x, int y, int w, int h,
                                int intensity);
    // The burn intensity at (x, y) of the picture the simulator wrote when
    // the last job ended; -1 when there is none.
    Q_INVOKABLE int burnedAt(int x, int y);

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);
    void cleanupTestCase();

private:
    QuickTestSetup *m_setup;
    std::unique_ptr<SimulatorProcess> m_simulator;
    QString m_png;
};
