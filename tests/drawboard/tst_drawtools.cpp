#include "drawboard/drawimage.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QQuickWindow> m_window;
    RecordingCanvas *m_canvas = nullptr;

    static constexpr int grey = 128;

    // A 200 × 200 grey picture on the canvas, the pen black and 10 wide.
    void prepare()
    {
        m_window = std::make_unique<QQuickWindow>();
        m_window->resize(200, 200);
        m_canvas = new RecordingCanvas;
        m_canvas->setParentItem(m_window->contentItem());
        m_canvas->setParent(m_window->contentItem()); // owned, not only shown
        m_canvas->setSize(QSizeF(200, 200));
        m_canvas->init();

        QImage picture(200, 200, QImage::Format_RGB32);
        picture.fill(qRgb(grey, grey, grey));
        const QString path = m_dir.filePath(QStringLiteral("grey.png"));
        QVERIFY(picture.save(path));
        QSignalSpy loaded(m_canvas, &DrawImage::loadImageDone);
        m_canvas->load(QUrl::fromLocalFile(path).toString());
        QVERIFY(loaded.wait(5000));

        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    QImage picture() const { return m_canvas->displayedImage(); }

    void stroke(const QList<QPoint> &points, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(m_window.get(), button, Qt::NoModifier, points.first());
        for (int i = 1; i < points.size(); ++i)
            QTest::mouseMove(m_window.get(), points.at(i));
        QTest::mouseRelease(m_window.get(), button, Qt::NoModifier, points.last());
    }

    static int changedPixels(const QImage &before, const QImage &after)
    {
        int changed = 0;
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x)
                changed += before.pixel(x, y) != after.pixel(x, y);
        }
        return changed;
    }

    static bool dark(const QImage &image, int x, int y)
    {
        return qRed(image.pixel(x, y)) < grey - 20;
    }

private slots:
    void init() { prepare(); }
    void cleanup()
    {
        m_window.reset();
        m_canvas = nullptr;
    }

    void clickDrawsNothing_data();
    void clickDrawsNothing();
    void otherButtonsNeverDraw_data();
    void otherButtonsNeverDraw();
    void solidStroke();
    void solidRepaintsSegmentOnly();
    void hairsFromThirdMove_data();
    void hairsFromThirdMove();
    void netReach_data();
    void netReach();
    void randomCircle_data();
    void randomCircle();
    void rubberOnTransparency();
    void textTypeDrawsNothing();
    void drawTextBaseline();
    void smallPenAlwaysRadiusOne();
};

void TestDrawTools::clickDrawsNothing_data()
{
    QTest::addColumn<DrawImage::DrawType>("type");
    QTest::addColumn<DrawImage::PenStyle>("style");
    QTest::newRow("solid") << DrawImage::PenType << DrawImage::Solid;
    QTest::newRow("fur") << DrawImage::PenType << DrawImage::Fur;
    QTest::newRow("net") << DrawImage::PenType << DrawImage::Net;
    QTest::newRow("circle") << DrawImage::PenType << DrawImage::RandomCircle;
    QTest::newRow("rubber") << DrawImage::RubberType << DrawImage::Solid;
    QTest::newRow("text") << DrawImage::TextType << DrawImage::Solid;
}

void TestDrawTools::clickDrawsNothing()
{
    QFETCH(DrawImage::DrawType, type);
    QFETCH(DrawImage::PenStyle, style);

    m_canvas->setDrawType(type);
    m_canvas->setPenStyle(style);
    const QImage before = picture();
    QTest::mouseClick(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QCOMPARE(changedPixels(before, picture()), 0);
}

void TestDrawTools::otherButtonsNeverDraw_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<DrawImage::DrawType>("type");
    QTest::newRow("right, pen") << int(Qt::RightButton) << DrawImage::PenType;
    QTest::newRow("middle, pen") << int(Qt::MiddleButton) << DrawImage::PenType;
    QTest::newRow("right, rubber") << int(Qt::RightButton) << DrawImage::RubberType;
}

void TestDrawTools::otherButtonsNeverDraw()
{
    QFETCH(int, button);
    QFETCH(DrawImage::DrawType, type);

    m_canvas->setDrawType(type);
    const QImage before = picture();
    stroke({{20, 20}, {60, 60}, {100, 60}, {150, 150}}, Qt::MouseButton(button));
    QCOMPARE(changedPixels(before, picture()), 0);
    QCOMPARE(m_canvas->strokeLayer().pixel(60, 60), qRgba(255, 255, 255, 0));
}

void TestDrawTools::solidStroke()
{
    QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 100));
    QTest::mouseMove(m_window.get(), QPoint(60, 100));
    QTest::mouseMove(m_window.get(), QPoint(100, 100));
    // While the button is held the segments are on the stroke layer only.
    QVERIFY(!dark(picture(), 40, 100));
    QCOMPARE(qAlpha(m_canvas->strokeLayer().pixel(40, 100)), 255);

    QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    // The curve through the midpoints ends half-way along the last segment.
    QVERIFY(dark(picture(), 22, 100));
    QVERIFY(dark(picture(), 78, 100));
    QVERIFY(dark(picture(), 80, 104));
    QVERIFY(!dark(picture(), 95, 100));
    QCOMPARE(m_canvas->strokeLayer().pixel(40, 100), qRgba(255, 255, 255, 0));
}

void TestDrawTools::solidRepaintsSegmentOnly()
{
    m_canvas->setPenSize(7);
    QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QTest::mouseMove(m_window.get(), QPoint(40, 50));
    QTRY_VERIFY(!m_canvas->paintedAreas.isEmpty());
    QTest::qWait(50);
    m_canvas->paintedAreas.clear();

    // From (40, 50) to (70, 55): x0 40, w 30, y0 50, h 5, widened by 7.
    QTest::mouseMove(m_window.get(), QPoint(70, 55));
    QTRY_VERIFY(!m_canvas->paintedAreas.isEmpty());
    QCOMPARE(m_canvas->paintedAreas.first(), QRect(33, 43, 44, 19));
    QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(70, 55));
}

void TestDrawTools::hairsFromThirdMove_data()
{
    QTest::addColumn<DrawImage::PenStyle>("style");
    QTest::newRow("fur") << DrawImage::Fur;
    QTest::newRow("net") << DrawImage::Net;
}

void TestDrawTools::hairsFromThirdMove()
{
    QFETCH(DrawImage::PenStyle, style);

    m_canvas->setPenStyle(style);
    const QImage before = picture();
    QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 100));
    QTest::mouseMove(m_window.get(), QPoint(30, 100));
    QTest::mouseMove(m_window.get(), QPoint(30, 100)); // no distance: not counted
    QTest::mouseMove(m_window.get(), QPoint(50, 100));
    QCOMPARE(changedPixels(before, picture()), 0);

    QTest::mouseMove(m_window.get(), QPoint(80, 100));
    QVERIFY(dark(picture(), 65, 100) || dark(picture(), 65, 99));
    QTest::mouseMove(m_window.get(), QPoint(80, 140));
    QVERIFY(dark(picture(), 80, 120) || dark(picture(), 79, 120));
    QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(80, 140));
}

void TestDrawTools::netReach_data()
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

void TestDrawTools::netReach()
{
    QFETCH(int, penSize);
    QFETCH(QPoint, earlier);
    QFETCH(bool, connected);

    m_canvas->setPenStyle(DrawImage::Net);
    m_canvas->setPenSize(penSize);
    stroke({{100, 150}, earlier, {60, 100}, {80, 100}});

    // The middle of the line from the newest point to the earlier one.
    const QPointF middle = (QPointF(80, 100) + QPointF(earlier)) / 2;
    const int x = int(middle.x());
    const int y = int(middle.y());
    const bool drawn = dark(picture(), x, y) || dark(picture(), x - 1, y)
        || dark(picture(), x, y - 1) || dark(picture(), x - 1, y - 1);
    QCOMPARE(drawn, connected);
    QVERIFY(dark(picture(), 70, 100) || dark(picture(), 70, 99));
}

void TestDrawTools::randomCircle_data()
{
    QTest::addColumn<int>("penSize");
    QTest::addColumn<QColor>("pen");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<bool>("circle");
    QTest::addColumn<int>("maxRadius");
    QTest::addColumn<int>("lowestGrey");

    const QColor black(Qt::black);
    const QColor red(200, 30, 40);
    QTest::newRow("10, length² 2: none") << 10 << black << QPoint(1, 1) << false << 0 << 0;
    QTest::newRow("10, length² 4") << 10 << black << QPoint(2, 0) << true << 4 << 0;
    QTest::newRow("12, length² 4: none") << 12 << black << QPoint(0, 2) << false << 0 << 0;
    QTest::newRow("12, length² 5") << 12 << black << QPoint(1, 2) << true << 5 << 0;
    QTest::newRow("5: radius 1") << 5 << black << QPoint(3, 0) << true << 1 << 0;
    QTest::newRow("2: radius 1") << 2 << black << QPoint(3, 0) << true << 1 << 0;
    QTest::newRow("red 200") << 10 << red << QPoint(3, 0) << true << 4 << 100;
    QTest::newRow("red 120") << 10 << QColor(120, 0, 0) << QPoint(3, 0) << true << 4 << 70;
}

void TestDrawTools::randomCircle()
{
    QFETCH(int, penSize);
    QFETCH(QColor, pen);
    QFETCH(QPoint, move);
    QFETCH(bool, circle);
    QFETCH(int, maxRadius);
    QFETCH(int, lowestGrey);

    m_canvas->setPenStyle(DrawImage::RandomCircle);
    m_canvas->setPenSize(penSize);
    m_canvas->setPenColor(pen);
    const QImage before = picture();
    const QPoint centre = QPoint(100, 100) + move;
    stroke({{100, 100}, centre});

    const QImage after = picture();
    if (!circle) {
        QCOMPARE(changedPixels(before, after), 0);
        return;
    }
    // The pixel at the centre is covered whole, so it has the circle's grey.
    const QRgb middle = after.pixel(centre);
    QCOMPARE(qRed(middle), qGreen(middle));
    QCOMPARE(qRed(middle), qBlue(middle));
    // The rasteriser may leave the middle a hair short of full cover, which
    // lightens it by a level or two.
    QVERIFY2(qRed(middle) >= lowestGrey && qRed(middle) < lowestGrey + 100 + 3,
             qPrintable(QString::number(qRed(middle))));
    // Nothing beyond the largest radius, its outline and antialiasing.
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) == before.pixel(x, y))
                continue;
            const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            QVERIFY2(distance < maxRadius + 0.5 + 0.75,
                     qPrintable(QStringLiteral("%1, %2 changed").arg(x).arg(y)));
        }
    }
}

void TestDrawTools::rubberOnTransparency()
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

void TestDrawTools::textTypeDrawsNothing()
{
    m_canvas->setDrawType(DrawImage::TextType);
    const QImage before = picture();
    QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(m_window.get(), QPoint(60, 60));
    // Switching to the solid pen mid-stroke draws on the stroke layer ...
    m_canvas->setDrawType(DrawImage::PenType);
    QTest::mouseMove(m_window.get(), QPoint(120, 60));
    QCOMPARE(qAlpha(m_canvas->strokeLayer().pixel(90, 60)), 255);
    m_canvas->setDrawType(DrawImage::TextType);
    m_canvas->setPenSize(0);
    QTest::mouseMove(m_window.get(), QPoint(150, 150));
    // ... which the release empties.
    QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    QCOMPARE(m_canvas->strokeLayer().pixel(90, 60), qRgba(255, 255, 255, 0));
    QVERIFY(!dark(picture(), 130, 130));
    QVERIFY(!dark(picture(), 40, 40));
    Q_UNUSED(before);
}

void TestDrawTools::drawTextBaseline()
{
    m_canvas->setTextSize(30);
    m_canvas->setTextColor(Qt::black);
    m_canvas->drawText(10, 40, QStringLiteral("HHH"));

    const QImage after = picture();
    int top = after.height();
    int bottom = -1;
    int left = after.width();
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (dark(after, x, y)) {
                top = qMin(top, y);
                bottom = qMax(bottom, y);
                left = qMin(left, x);
            }
        }
    }
    QVERIFY2(bottom == 39 || bottom == 40, qPrintable(QString::number(bottom)));
    QVERIFY(top >= 40 - 30 && top < 35);
    QVERIFY(left >= 10 && left < 16);
}

void TestDrawTools::smallPenAlwaysRadiusOne()
{
    // randomBetween(1, 2) is always 1, whatever the clock gives.
    m_canvas->setPenStyle(DrawImage::RandomCircle);
    m_canvas->setPenSize(4); // penSize / 2 = 2: radius randomBetween(1, 2)
    for (int i = 0; i < 20; ++i) {
        const QImage before = picture();
        stroke({{20 + 8 * i, 30}, {24 + 8 * i, 30}});
        const QImage after = picture();
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (after.pixel(x, y) != before.pixel(x, y))
                    QVERIFY(std::hypot(x + 0.5 - (24 + 8 * i), y + 0.5 - 30) < 2.3);
            }
        }
    }
}

QTEST_MAIN(TestDrawTools)
#include "tst_drawtools.moc"
