#include "tests/drawboard/canvastest.h"

#include <QPainter>
#include <QQuickWindow>

#include <cmath>

// The drawing tools driven by real mouse events on the canvas in an
// offscreen window; the picture tells what was drawn.
class RecordingCanvas : public DrawImage
{
public:
    QList<QRect> paintedAreas;

protected:
    void paint(QPainter *painter) override
    {
        paintedAreas << painter->clipBoundingRect().toAlignedRect();
        DrawImage::paint(painter);
    }
};

class TestDrawTools : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QQuickWindow> m_window;
    RecordingCanvas *m_canvas = nullptr;

    static constexpr int grey = 128;

    QImage picture() const { return m_canvas->displayedImage(); }
    QRgb layerPixel(int x, int y) const { return m_canvas->strokeLayer().pixel(x, y); }

    void press(QPoint at) { QTest::mousePress(m_window.get(), Qt::LeftButton, {}, at); }
    void move(QPoint at) { QTest::mouseMove(m_window.get(), at); }
    void release(QPoint at) { QTest::mouseRelease(m_window.get(), Qt::LeftButton, {}, at); }

    void stroke(const QVector<QPoint> &points, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(m_window.get(), button, {}, points.first());
        for (int i = 1; i < points.size(); ++i)
            move(points.at(i));
        QTest::mouseRelease(m_window.get(), button, {}, points.last());
    }

    // The pixels that differ between two pictures.
    static QPolygon changes(const QImage &before, const QImage &after)
    {
        QPolygon points;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (before.pixel(x, y) != after.pixel(x, y))
                    points << QPoint(x, y);
        return points;
    }

    static bool dark(const QImage &image, int x, int y)
    {
        return qRed(image.pixel(x, y)) < grey - 20;
    }

    // Dark at the pixel or at one of its neighbours up and to the left, for
    // lines that fall between two pixels.
    bool darkNear(int x, int y) const
    {
        const QImage shown = picture();
        return dark(shown, x, y) || dark(shown, x - 1, y) || dark(shown, x, y - 1)
            || dark(shown, x - 1, y - 1);
    }

private slots:
    // A 200 × 200 grey picture on the canvas, the pen black and 10 wide.
    void init()
    {
        m_window = std::make_unique<QQuickWindow>();
        m_window->resize(200, 200);
        m_canvas = new RecordingCanvas;
        m_canvas->setParentItem(m_window->contentItem());
        m_canvas->setParent(m_window->contentItem()); // owned, not only shown
        m_canvas->setSize(QSizeF(200, 200));
        const QImage picture = CanvasTest::greyPicture(200, 200, grey);
        QVERIFY(CanvasTest::loadAndWait(
            *m_canvas, CanvasTest::writePicture(m_dir, QStringLiteral("grey.png"), picture)));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void drawsNothing_data()
    {
        QTest::addColumn<DrawImage::DrawType>("type");
        QTest::addColumn<DrawImage::PenStyle>("style");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPolygon>("points");

        // A click without a move, whatever the tool.
        const QPolygon click({QPoint(100, 100)});
        const int left = Qt::LeftButton;
        for (auto style :
             {DrawImage::Solid, DrawImage::Fur, DrawImage::Net, DrawImage::RandomCircle})
            QTest::addRow("pen %d", style) << DrawImage::PenType << style << left << click;
        QTest::newRow("rubber") << DrawImage::RubberType << DrawImage::Solid << left << click;
        // Other buttons never draw.
        const QPolygon path({{20, 20}, {60, 60}, {100, 60}, {150, 150}});
        for (auto type : {DrawImage::PenType, DrawImage::RubberType})
            for (int button : {Qt::RightButton, Qt::MiddleButton})
                QTest::addRow("tool %d, button %d", type, button)
                    << type << DrawImage::Solid << button << path;
    }

    void drawsNothing()
    {
        QFETCH(DrawImage::DrawType, type);
        QFETCH(DrawImage::PenStyle, style);
        QFETCH(int, button);
        QFETCH(QPolygon, points);

        m_canvas->setDrawType(type);
        m_canvas->setPenStyle(style);
        const QImage before = picture();
        stroke(points, Qt::MouseButton(button));
        QCOMPARE(picture(), before);
        QCOMPARE(layerPixel(60, 60), qRgba(255, 255, 255, 0));
    }

    void solidStroke()
    {
        press({20, 100});
        move({60, 100});
        QTRY_VERIFY(!m_canvas->paintedAreas.isEmpty());
        QTest::qWait(50);
        m_canvas->paintedAreas.clear();
        // Only the segment's rectangle, widened by the pen, is repainted:
        // x0 60, w 40, y0 100, h 0, widened by 10.
        move({100, 100});
        QTRY_VERIFY(!m_canvas->paintedAreas.isEmpty());
        QCOMPARE(m_canvas->paintedAreas.first(), QRect(50, 90, 60, 20));
        // While the button is held the segments are on the stroke layer only.
        QVERIFY(!dark(picture(), 40, 100));
        QCOMPARE(qAlpha(layerPixel(40, 100)), 255);

        release({100, 100});
        // The curve through the midpoints ends half-way along the last segment.
        QVERIFY(dark(picture(), 22, 100));
        QVERIFY(dark(picture(), 78, 100));
        QVERIFY(dark(picture(), 80, 104));
        QVERIFY(!dark(picture(), 95, 100));
        QCOMPARE(layerPixel(40, 100), qRgba(255, 255, 255, 0));
    }

    void hairsFromThirdMove_data()
    {
        QTest::addColumn<DrawImage::PenStyle>("style");
        QTest::newRow("fur") << DrawImage::Fur;
        QTest::newRow("net") << DrawImage::Net;
    }

    void hairsFromThirdMove()
    {
        QFETCH(DrawImage::PenStyle, style);

        m_canvas->setPenStyle(style);
        const QImage before = picture();
        press({20, 100});
        move({30, 100});
        move({30, 100}); // no distance: not counted
        move({50, 100});
        QCOMPARE(picture(), before);

        move({80, 100});
        QVERIFY(darkNear(65, 100));
        move({80, 140});
        QVERIFY(darkNear(80, 120));
        release({80, 140});
    }

    void netReach_data()
    {
        QTest::addColumn<int>("penSize");
        QTest::addColumn<QPoint>("earlier");
        QTest::addColumn<bool>("connected");

        // The newest point is (80, 100); an earlier one at offset (10, -25) is
        // at squared distance 725, one at (20, -30) at 1300.
        QTest::newRow("10, within 1000") << 10 << QPoint(90, 75) << true;
        QTest::newRow("10, beyond 1000") << 10 << QPoint(100, 70) << false;
        QTest::newRow("0, only the segment") << 0 << QPoint(90, 75) << false;
    }

    void netReach()
    {
        QFETCH(int, penSize);
        QFETCH(QPoint, earlier);
        QFETCH(bool, connected);

        m_canvas->setPenStyle(DrawImage::Net);
        m_canvas->setPenSize(penSize);
        stroke({{100, 150}, earlier, {60, 100}, {80, 100}});
        // The middle of the line from the newest point to the earlier one.
        QCOMPARE(darkNear((80 + earlier.x()) / 2, (100 + earlier.y()) / 2), connected);
        QVERIFY(darkNear(70, 100));
    }

    void randomCircle_data()
    {
        QTest::addColumn<int>("penSize");
        QTest::addColumn<QColor>("pen");
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<int>("maxRadius"); // 0: no circle
        QTest::addColumn<int>("lowestGrey");

        const QColor black(Qt::black);
        QTest::newRow("10, length² 2: none") << 10 << black << QPoint(1, 1) << 0 << 0;
        QTest::newRow("10, length² 4") << 10 << black << QPoint(2, 0) << 4 << 0;
        QTest::newRow("12, length² 4: none") << 12 << black << QPoint(0, 2) << 0 << 0;
        QTest::newRow("12, length² 5") << 12 << black << QPoint(1, 2) << 5 << 0;
        // randomBetween(1, 2) is always 1, whatever the clock gives.
        QTest::newRow("5: radius 1") << 5 << black << QPoint(3, 0) << 1 << 0;
        QTest::newRow("red 200") << 10 << QColor(200, 30, 40) << QPoint(3, 0) << 4 << 100;
        QTest::newRow("red 120") << 10 << QColor(120, 0, 0) << QPoint(3, 0) << 4 << 70;
    }

    void randomCircle()
    {
        QFETCH(int, penSize);
        QFETCH(QColor, pen);
        QFETCH(QPoint, move);
        QFETCH(int, maxRadius);
        QFETCH(int, lowestGrey);

        m_canvas->setPenStyle(DrawImage::RandomCircle);
        m_canvas->setPenSize(penSize);
        m_canvas->setPenColor(pen);
        // The radius is random: a few strokes, each in a clean place.
        for (int i = 0; i < 4; ++i) {
            const QImage before = picture();
            const QPoint start(25 + 45 * i, 100);
            const QPoint centre = start + move;
            stroke({start, centre});
            if (maxRadius == 0) {
                QCOMPARE(picture(), before);
                continue;
            }
            // The pixel at the centre is covered whole, so it has the circle's
            // grey; the rasteriser may leave it a hair short of full cover,
            // which lightens it by a level or two.
            const QRgb middle = picture().pixel(centre);
            QCOMPARE(middle, qRgb(qRed(middle), qRed(middle), qRed(middle)));
            QVERIFY2(qRed(middle) >= lowestGrey && qRed(middle) < lowestGrey + 100 + 3,
                     qPrintable(QString::number(qRed(middle))));
            // Nothing beyond the largest radius, its outline and antialiasing.
            for (const QPoint &p : changes(before, picture()))
                QVERIFY(std::hypot(p.x() + 0.5 - centre.x(), p.y() + 0.5 - centre.y())
                        < maxRadius + 0.5 + 0.75);
        }
    }

    void rubberOnTransparency()
    {
        // A crop beyond the blank picture leaves transparent black there.
        m_canvas->clear();
        m_canvas->cutImage(600, 600, 200, 200);
        QCOMPARE(qAlpha(picture().pixel(150, 150)), 0);

        m_canvas->setDrawType(DrawImage::RubberType);
        m_canvas->setRubberSize(10);
        stroke({{100, 150}, {180, 150}});
        QCOMPARE(picture().pixel(150, 150), qRgba(255, 255, 255, 255));
        QCOMPARE(picture().pixel(150, 153), qRgba(255, 255, 255, 255));
        QCOMPARE(qAlpha(picture().pixel(150, 170)), 0);
    }

    void textTypeDrawsNothing()
    {
        m_canvas->setDrawType(DrawImage::TextType);
        press({20, 20});
        move({60, 60});
        // Switching to the solid pen mid-stroke draws on the stroke layer ...
        m_canvas->setDrawType(DrawImage::PenType);
        move({120, 60});
        QCOMPARE(qAlpha(layerPixel(90, 60)), 255);
        m_canvas->setDrawType(DrawImage::TextType);
        m_canvas->setPenSize(0);
        move({150, 150});
        // ... which the release empties.
        release({150, 150});
        QCOMPARE(layerPixel(90, 60), qRgba(255, 255, 255, 0));
        QVERIFY(!dark(picture(), 130, 130));
        QVERIFY(!dark(picture(), 40, 40));
    }

    void drawTextBaseline()
    {
        m_canvas->setTextSize(30);
        m_canvas->setTextColor(Qt::black);
        const QImage before = picture();
        m_canvas->drawText(10, 40, QStringLiteral("HHH"));

        const QRect drawn = changes(before, picture()).boundingRect();
        QVERIFY2(drawn.bottom() == 39 || drawn.bottom() == 40,
                 qPrintable(QString::number(drawn.bottom())));
        QVERIFY(drawn.top() >= 40 - 30 && drawn.top() < 35);
        QVERIFY(drawn.left() >= 10 && drawn.left() < 16);
    }
};

QTEST_MAIN(TestDrawTools)
#include "tst_drawtools.moc"
