#include "tests/qml/e2e/roadfixture.h"

#include "engraver/jobbuffer.h"
#include "tests/qml/harness/setup.h"
#include "tests/qml/harness/simulatorprocess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QRadialGradient>
#include <QUrl>
#include <QtEndian>

RoadFixture::RoadFixture(QObject *parent)
    : QObject(parent)
    , m_setup(new QuickTestSetup)
    , m_simulator(std::make_unique<SimulatorProcess>(QStringLiteral(ENGRAVER_SIM)))
{
    m_setup->setParent(this);
    // isolated.sh runs every test in a temporary directory of its own.
    m_dir = QDir::currentPath();
}

RoadFixture::~RoadFixture()
{
    cleanupTestCase();
}

void RoadFixture::applicationAvailable()
{
    m_setup->applicationAvailable();
}

void RoadFixture::qmlEngineAvailable(QQmlEngine *engine)
{
    m_setup->qmlEngineAvailable(engine);
    engine->rootContext()->setContextProperty(QStringLiteral("roadFixture"), this);
}

void RoadFixture::cleanupTestCase()
{
    m_simulator->stop();
}

QString RoadFixture::path(const QString &name) const
{
    return QDir(m_dir).absoluteFilePath(name);
}

QString RoadFixture::startSimulator(const QStringList &options)
{
    return m_simulator->start(QStringList {QStringLiteral("--png"),
                                           path(QStringLiteral("burned.png")),
                                           QStringLiteral("--quiet")}
                              + options);
}

void RoadFixture::killSimulator()
{
    m_simulator->kill();
}

void RoadFixture::forgetBurnPicture()
{
    QFile::remove(path(QStringLiteral("burned.png")));
}

int RoadFixture::burnMismatches(int x, int y, int fromByte) const
{
    const QImage burned(path(QStringLiteral("burned.png")));
    if (burned.isNull())
        return -1;
    // What the records say, burned the way an engraver burns: a pixel
    // reached twice keeps the stronger burn.
    QImage expected(burned.size(), QImage::Format_Grayscale8);
    expected.fill(0);
    const QByteArray &bytes = jobBuffer.bytes;
    for (int i = fromByte; i + 4 <= bytes.size(); i += 4) {
        const auto *r = reinterpret_cast<const uchar *>(bytes.constData() + i);
        const int px = x + (r[0] | (r[1] & 0xF0) << 4);
        const int py = y + ((r[1] & 0x0F) << 8 | r[2]);
        if (!expected.valid(px, py))
            continue;
        uchar &value = expected.scanLine(py)[px];
        value = qMax<uchar>(value, r[3]);
    }
    const QImage actual = burned.convertToFormat(QImage::Format_Grayscale8);
    int mismatches = 0;
    for (int row = 0; row < actual.height(); ++row) {
        const uchar *a = actual.constScanLine(row);
        const uchar *e = expected.constScanLine(row);
        for (int column = 0; column < actual.width(); ++column)
            mismatches += a[column] != e[column];
    }
    return mismatches;
}

int RoadFixture::jobPosition() const
{
    return int(jobBuffer.position);
}

int RoadFixture::jobSize() const
{
    return jobBuffer.bytes.size();
}

int RoadFixture::jobPreviewWidth() const
{
    return jobBuffer.preview.width();
}

QString RoadFixture::makePhoto(const QString &name, int width, int height) const
{
    QImage photo(width, height, QImage::Format_RGB32);
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(250, 230, 200));
    sky.setColorAt(1, QColor(40, 60, 110));
    painter.fillRect(photo.rect(), sky);
    QRadialGradient sun(width * 0.3, height * 0.35, height * 0.3);
    sun.setColorAt(0, QColor(255, 250, 220));
    sun.setColorAt(1, QColor(200, 80, 40));
    painter.setBrush(sun);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(width * 0.3, height * 0.35), height * 0.25, height * 0.25);
    painter.setBrush(QColor(20, 30, 20));
    painter.drawRect(QRectF(width * 0.55, height * 0.5, width * 0.3, height * 0.45));
    painter.end();
    const QString file = path(name);
    photo.save(file, "PNG");
    return QUrl::fromLocalFile(file).toString();
}

QString RoadFixture::makeBrokenFile(const QString &kind) const
{
    const QString file
        = path(QStringLiteral("broken-") + kind
               + (kind == QLatin1String("text") ? QStringLiteral(".txt") : QStringLiteral(".png")));
    QFile::remove(file);
    QByteArray content;
    if (kind == QLatin1String("directory")) {
        QDir().mkpath(file);
        return QUrl::fromLocalFile(file).toString();
    }
    if (kind == QLatin1String("truncated") || kind == QLatin1String("bitflipped")) {
        const QString source = path(QStringLiteral("whole.png"));
        QImage whole(200, 150, QImage::Format_RGB32);
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                whole.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        whole.save(source, "PNG");
        QFile in(source);
        in.open(QIODevice::ReadOnly);
        content = in.readAll();
        if (kind == QLatin1String("truncated")) {
            content.truncate(content.size() / 2);
        } else {
            // Flip bits all through the compressed pixel data.
            for (int i = 64; i < content.size() - 16; i += 97)
                content[i] = char(content[i] ^ 0x5A);
        }
    } else if (kind == QLatin1String("text")) {
        content = "This is a shopping list, not a picture.\n";
    } else if (kind == QLatin1String("huge")) {
        // A valid PNG signature and header claiming 60000 × 60000 pixels,
        // followed by a little compressed nonsense.
        content = QByteArray::fromHex("89504e470d0a1a0a");
        QByteArray ihdr = QByteArray::fromHex("49484452");
        uchar size[8];
        qToBigEndian<quint32>(60000, size);
        qToBigEndian<quint32>(60000, size + 4);
        ihdr.append(reinterpret_cast<const char *>(size), 8);
        ihdr.append(QByteArray::fromHex("0802000000")); // 8-bit RGB, no interlace
        quint32 crc = 0xFFFFFFFFu;
        for (char c : qAsConst(ihdr)) {
            crc ^= uchar(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        crc ^= 0xFFFFFFFFu;
        uchar lengthAndCrc[4];
        qToBigEndian<quint32>(13, lengthAndCrc);
        content.append(reinterpret_cast<const char *>(lengthAndCrc), 4);
        content.append(ihdr);
        qToBigEndian<quint32>(crc, lengthAndCrc);
        content.append(reinterpret_cast<const char *>(lengthAndCrc), 4);
        content.append(QByteArray(64, '\x42'));
    }
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(content);
    return QUrl::fromLocalFile(file).toString();
}
