#include "tests/qml/control/enginefixture.h"

#include "engraver/jobbuffer.h"
#include "tests/qml/harness/setup.h"
#include "tests/qml/harness/simulatorprocess.h"

#include <QColor>
#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>

EngineFixture::EngineFixture(QObject *parent)
    : QObject(parent)
    , m_setup(new QuickTestSetup)
{
    m_setup->setParent(this);
}

EngineFixture::~EngineFixture()
{
    cleanupTestCase();
}

void EngineFixture::applicationAvailable()
{
    m_setup->applicationAvailable();
    // isolated.sh runs every test in its own temporary directory.
    m_png = QDir::current().absoluteFilePath(QStringLiteral("burned.png"));
    m_simulator = std::make_unique<SimulatorProcess>(QStringLiteral(ENGRAVER_SIM));
    m_simulator->start({QStringLiteral("--png"), m_png, QStringLiteral("--quiet")});
}

bool EngineFixture::simulatorRunning() const
{
    return m_simulator && !m_simulator->device().isEmpty();
}

void EngineFixture::qmlEngineAvailable(QQmlEngine *engine)
{
    m_setup->qmlEngineAvailable(engine);
    engine->rootContext()->setContextProperty(QStringLiteral("engineFixture"), this);
}

void EngineFixture::cleanupTestCase()
{
    m_simulator.reset();
}

void EngineFixture::prepareJob(int previewWidth, int previewHeight, int x, int y, int w, int h,
                               int intensity)
{
    QImage preview(previewWidth, previewHeight, QImage::Format_ARGB32);
    preview.fill(Qt::white);
    for (int row = y; row < y + h; ++row)
        for (int column = x; column < x + w; ++column)
            preview.setPixel(column, row,
                             QColor(255 - intensity, 255 - intensity, 255 - intensity).rgb());
    setJobPreview(preview);

    clearJobBytes();
    for (int row = 0; row < h; ++row) {
        for (int i = 0; i < w; ++i) {
            const int px = x + (row % 2 == 0 ? i : w - 1 - i);
            const int py = y + row;
            QByteArray record(4, '\0');
            record[0] = char(px & 0xFF);
            record[1] = char(((px >> 4) & 0xF0) | ((py >> 8) & 0x0F));
            record[2] = char(py & 0xFF);
            record[3] = char(intensity);
            appendJobBytes(record);
        }
    }
    setJobBounds(x, y, x + w - 1, y + h - 1);
}

int EngineFixture::burnedAt(int x, int y)
{
    QImage burned(m_png);
    if (burned.isNull() || !burned.valid(x, y))
        return -1;
    return qGray(burned.pixel(x, y));
}
