#include "tests/qml/e2e/roadfixture.h"

#include "engraver/testcard.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QRadialGradient>
#include <QUrl>

void RoadFixture::qmlEngineAvailable(QQmlEngine *engine)
{
    m_setup.qmlEngineAvailable(engine);
    engine->rootContext()->setContextProperty(QStringLiteral("roadFixture"), this);
}

QString RoadFixture::startSimulator(const QStringList &options)
{
    return m_simulator.start(QStringList {QStringLiteral("--png"),
                                          path(QStringLiteral("burned.png")),
                                          QStringLiteral("--quiet")}
                             + options);
}

int RoadFixture::burnMismatches(int x, int y, int fromByte) const
{
    return mismatches(job().bytes(), {QPoint(x, y)}, QRect(0, 0, 4096, 4096), fromByte);
}

int RoadFixture::keptMismatches(int x, int y, int columns, int rows, int stepX, int stepY,
                                const QRect &region) const
{
    QVector<QPoint> offsets;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            offsets.append(QPoint(x + column * stepX, y + row * stepY));
    return mismatches(m_kept, offsets, region, 0);
}

int RoadFixture::mismatches(const QByteArray &bytes, const QVector<QPoint> &offsets,
                            const QRect &region, int fromByte) const
{
    const QImage burned(path(QStringLiteral("burned.png")));
    if (burned.isNull())
        return -1;
    // What the records say, burned the way an engraver burns: a pixel
    // reached twice keeps the stronger burn.
    QImage expected(burned.size(), QImage::Format_Grayscale8);
    expected.fill(0);
    for (const QPoint &offset : offsets) {
        for (int i = fromByte; i + 4 <= bytes.size(); i += 4) {
            const auto *r = reinterpret_cast<const uchar *>(bytes.constData() + i);
            const int px = offset.x() + (r[0] | (r[1] & 0xF0) << 4);
            const int py = offset.y() + ((r[1] & 0x0F) << 8 | r[2]);
            if (!expected.valid(px, py) || !region.contains(px, py))
                continue;
            uchar &value = expected.scanLine(py)[px];
            value = qMax<uchar>(value, r[3]);
        }
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

int RoadFixture::cardLastRowMismatches(QObject *card) const
{
    const auto *testCard = qobject_cast<TestCard *>(card);
    if (!testCard)
        return -1;
    return mismatches(testCard->records(testCard->rowCount() - 1),
                      {QPoint(testCard->startX(), testCard->startY())}, QRect(0, 0, 4096, 4096), 0);
}

int RoadFixture::cardCountMismatches(QObject *card) const
{
    const auto *testCard = qobject_cast<TestCard *>(card);
    const QImage counts = QImage(countsFile()).convertToFormat(QImage::Format_Grayscale8);
    if (!testCard || counts.isNull())
        return -1;
    QImage expected(counts.size(), QImage::Format_Grayscale8);
    expected.fill(0);
    for (int row = 0; row < testCard->rowCount(); ++row) {
        const QByteArray records = testCard->records(row);
        for (int i = 0; i + 4 <= records.size(); i += 4) {
            const auto *r = reinterpret_cast<const uchar *>(records.constData() + i);
            const int px = testCard->startX() + (r[0] | (r[1] & 0xF0) << 4);
            const int py = testCard->startY() + ((r[1] & 0x0F) << 8 | r[2]);
            if (expected.valid(px, py))
                ++expected.scanLine(py)[px];
        }
    }
    int mismatches = 0;
    for (int y = 0; y < counts.height(); ++y)
        for (int x = 0; x < counts.width(); ++x)
            mismatches += counts.constScanLine(y)[x] != expected.constScanLine(y)[x];
    return mismatches;
}

QString RoadFixture::makePhoto(const QString &name, int width, int height) const
{
    QImage photo(width, height, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(250, 230, 200));
    sky.setColorAt(1, QColor(40, 60, 110));
    painter.fillRect(photo.rect(), sky);
    painter.setBrush(QColor(230, 150, 90));
    painter.drawEllipse(QPointF(width * 0.3, height * 0.35), height * 0.25, height * 0.25);
    painter.fillRect(QRectF(width * 0.55, height * 0.5, width * 0.3, height * 0.45),
                     QColor(20, 30, 20));
    painter.end();
    photo.save(path(name), "PNG");
    return QUrl::fromLocalFile(path(name)).toString();
}

QString RoadFixture::makeLogo(const QString &name, int width, int height) const
{
    QImage logo(width, height, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // A pale halo fading into the white, as a scanned or exported logo has.
    const QPointF centre(width / 2.0, height / 2.0);
    QRadialGradient halo(centre, height * 0.4);
    halo.setColorAt(0.5, QColor(225, 225, 225));
    halo.setColorAt(1, Qt::white);
    painter.setBrush(halo);
    painter.drawEllipse(centre, height * 0.4, height * 0.4);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawEllipse(centre, height * 0.2, height * 0.2);
    painter.end();
    logo.save(path(name), "PNG");
    return QUrl::fromLocalFile(path(name)).toString();
}

int RoadFixture::burnedOutside(double cx, double cy, double radius) const
{
    const QByteArray &bytes = job().bytes();
    int outside = 0;
    for (int i = 0; i + 4 <= bytes.size(); i += 4) {
        const auto *r = reinterpret_cast<const uchar *>(bytes.constData() + i);
        const double dx = (r[0] | (r[1] & 0xF0) << 4) - cx;
        const double dy = ((r[1] & 0x0F) << 8 | r[2]) - cy;
        outside += r[3] > 0 && dx * dx + dy * dy > radius * radius;
    }
    return outside;
}

QString RoadFixture::makeBrokenFile(const QString &kind) const
{
    const QString file = path(QStringLiteral("broken-") + kind);
    QByteArray content;
    if (kind == QLatin1String("truncated") || kind == QLatin1String("bitflipped")) {
        QFile in(QUrl(makePhoto(QStringLiteral("whole.png"), 200, 150)).toLocalFile());
        in.open(QIODevice::ReadOnly);
        content = in.readAll();
        // Cut in half, or with bits flipped all through the compressed pixels.
        if (kind == QLatin1String("truncated"))
            content.truncate(content.size() / 2);
        else
            for (int i = 64; i < content.size() - 16; i += 97)
                content[i] = char(content[i] ^ 0x5A);
    } else if (kind == QLatin1String("text")) {
        content = "This is a shopping list, not a picture.\n";
    } else if (kind == QLatin1String("huge")) {
        // A PNG signature, a valid header chunk (width and height 60000,
        // 8-bit RGB) and the start of a data chunk holding nonsense: its size
        // can be read, its pixels never.
        content
            = QByteArray::fromHex("89504e470d0a1a0a 0000000d 49484452 0000ea60 0000ea60 0802000000"
                                  " 0fb0e215 00000040 49444154")
            + QByteArray(68, '\x42');
    }
    QFile out(file);
    if (kind == QLatin1String("directory"))
        QDir().mkpath(file);
    else if (out.open(QIODevice::WriteOnly))
        out.write(content);
    return QUrl::fromLocalFile(file).toString();
}
