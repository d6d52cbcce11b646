#include "tests/drawboard/canvastest.h"

#include <QUndoStack>

using CanvasTest::greyPicture;

// The editing history: every kind of edit taken back and done again to the
// exact pixels, with the look that was on show, never while a run works on
// the pictures, at most historyLimit steps, and a new one for each picture.
class TestHistory : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    using Canvas = CanvasTest::StrokingCanvas;

    static bool runAndWait(Canvas &canvas, DrawImage::ProcessAlgorithm algorithm, double para)
    {
        return canvas.runAndWait(algorithm, para);
    }

    bool loaded(DrawImage &canvas)
    {
        return CanvasTest::loadAndWait(
            canvas,
            CanvasTest::writePicture(m_dir, QStringLiteral("photo.png"),
                                     CanvasTest::randomPicture(120, 90, QImage::Format_RGB32, 4)));
    }

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<int>("tool"); // DrawType, with the pen style below
        QTest::addColumn<int>("style");
        QTest::addColumn<QColor>("colour"); // of the pen and the text
        const QColor black(Qt::black);
        QTest::newRow("solid pen") << int(DrawImage::PenType) << int(DrawImage::Solid) << black;
        QTest::newRow("fur pen") << int(DrawImage::PenType) << int(DrawImage::Fur) << black;
        QTest::newRow("rubber") << int(DrawImage::RubberType) << int(DrawImage::Solid) << black;
        // Pictures that are no longer grey are kept as they are.
        QTest::newRow("red pen") << int(DrawImage::PenType) << int(DrawImage::Solid)
                                 << QColor(200, 30, 30);
        QTest::newRow("translucent blue pen")
            << int(DrawImage::PenType) << int(DrawImage::Fur) << QColor(0, 0, 255, 100);
    }

    // A mixed history undone to the start and redone to the end, the
    // pictures, the item's size and the look on show (which the page's
    // look buttons and slider follow) exact at every step.
    void roundTrip()
    {
        QFETCH(int, tool);
        QFETCH(int, style);
        QFETCH(QColor, colour);
        Canvas canvas;
        canvas.setSize(QSizeF(680, 680));
        QVERIFY(loaded(canvas));
        QVERIFY(!canvas.canUndo());
        canvas.setDrawType(DrawImage::DrawType(tool));
        canvas.setPenStyle(DrawImage::PenStyle(style));
        canvas.setPenColor(colour);
        canvas.setTextColor(colour);

        QList<QImage> states {canvas.displayedImage()};
        // The look on show: a loaded picture is grey as it is.
        using Look = QPair<int, double>;
        const auto look = [&] {
            return Look(canvas.look(), canvas.lookThreshold());
        };
        QCOMPARE(look(), Look(DrawImage::GreyFilter, 255));
        QList<Look> looks {look()};
        const auto record = [&] {
            states << canvas.displayedImage();
            looks << look();
        };
        QVERIFY(runAndWait(canvas, DrawImage::Binarize, 100));
        record();
        canvas.stroke({10, 10}, {100, 60});
        record();
        canvas.drawText(20, 40, QStringLiteral("Vandra"));
        record();
        QVERIFY(runAndWait(canvas, DrawImage::Rotate, 90));
        record();
        canvas.cutImage(5, 5, 60, 50);
        record();
        canvas.adjustImageScale(10, 10);
        record();
        QVERIFY(runAndWait(canvas, DrawImage::Negative, 0));
        record();
        QVERIFY(runAndWait(canvas, DrawImage::Floyd, 140));
        record();
        // The threshold moved: the same look again, with the edits.
        QVERIFY(runAndWait(canvas, DrawImage::Floyd, 90));
        record();
        QCOMPARE(states.last().size(), states[states.size() - 3].size());
        // A third look is written into the memory of the first of the two,
        // which the history has put away: undo still brings back that one.
        QVERIFY(runAndWait(canvas, DrawImage::Binarize, 60));
        record();
        // The blank picture is ARGB32; a crop reaching beyond it adds
        // transparent pixels.
        canvas.clear();
        record();
        canvas.cutImage(600, 600, 200, 200);
        record();
        canvas.stroke({150, 150}, {190, 120});
        record();
        QCOMPARE(canvas.history()->count(), states.size() - 1);

        QSignalSpy lookShown(&canvas, &DrawImage::lookChanged);
        for (int i = states.size() - 2; i >= 0; --i) {
            QVERIFY(canvas.canUndo());
            canvas.undo();
            QCOMPARE(canvas.displayedImage(), states[i]);
            QCOMPARE(canvas.size(), QSizeF(states[i].size()));
            QCOMPARE(look(), looks[i]);
        }
        QCOMPARE(lookShown.count(), states.size() - 1);
        QVERIFY(!canvas.canUndo());
        for (int i = 1; i < states.size(); ++i) {
            canvas.redo();
            QCOMPARE(canvas.displayedImage(), states[i]);
            QCOMPARE(look(), looks[i]);
        }
        QVERIFY(!canvas.canRedo());
        // Undone to the first look, the grey picture the looks start from
        // comes back exact, without the edits taken back: GreyFilter at 255
        // shows it as it is, and the first look is made again.
        while (canvas.history()->index() > 1)
            canvas.undo();
        QVERIFY(runAndWait(canvas, DrawImage::GreyFilter, 255));
        QCOMPARE(canvas.displayedImage(), states[0]);
        QVERIFY(runAndWait(canvas, DrawImage::Binarize, 100));
        QCOMPARE(canvas.displayedImage(), states[1]);
        QVERIFY(!canvas.canRedo());
    }

    void keptPicture_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<bool>("packed"); // kept at one byte a pixel

        const QImage grey = CanvasTest::randomPicture(37, 23, QImage::Format_Grayscale8, 7)
                                .convertToFormat(QImage::Format_RGB32);
        QImage details = grey;
        details.setDotsPerMeterX(11811);
        details.setDotsPerMeterY(5905);
        details.setOffset(QPoint(3, -4));
        details.setText(QStringLiteral("Comment"), QStringLiteral("Vandra"));
        const auto withPixel = [](QImage image, QRgb pixel) {
            image.setPixel(36, 22, pixel);
            return image;
        };
        QTest::newRow("grey") << grey << true;
        QTest::newRow("grey, resolution, offset and text") << details << true;
        QTest::newRow("grey ARGB32") << grey.convertToFormat(QImage::Format_ARGB32) << true;
        QTest::newRow("grey premultiplied")
            << grey.convertToFormat(QImage::Format_ARGB32_Premultiplied) << true;
        QTest::newRow("one pixel not grey") << withPixel(grey, qRgb(10, 10, 11)) << false;
        QTest::newRow("one pixel not opaque")
            << withPixel(grey.convertToFormat(QImage::Format_ARGB32), qRgba(10, 10, 10, 254))
            << false;
        QTest::newRow("colour") << CanvasTest::randomPicture(37, 23, QImage::Format_ARGB32, 8)
                                << false;
        QTest::newRow("8-bit grey") << grey.convertToFormat(QImage::Format_Grayscale8) << false;
        QTest::newRow("null") << QImage() << false;
    }

    // A picture put away by the history comes back in its own format with
    // the same pixels and details.
    void keptPicture()
    {
        QFETCH(QImage, picture);
        QFETCH(bool, packed);
        const KeptPicture kept(picture);
        QCOMPARE(kept.isPacked(), packed);
        if (packed)
            QCOMPARE(kept.kept().sizeInBytes(), qint64(kept.kept().bytesPerLine()) * 23);
        const QImage back = kept.picture();
        QCOMPARE(back, picture);
        QCOMPARE(back.dotsPerMeterX(), picture.dotsPerMeterX());
        QCOMPARE(back.dotsPerMeterY(), picture.dotsPerMeterY());
        QCOMPARE(back.offset(), picture.offset());
        QCOMPARE(back.text(), picture.text());
    }

    // While a run works on the pictures, the history stands still.
    void notDuringARun()
    {
        Canvas canvas;
        QVERIFY(loaded(canvas));
        canvas.drawText(10, 30, QStringLiteral("x"));
        const QImage written = canvas.displayedImage();
        QSignalSpy history(&canvas, &DrawImage::historyChanged);
        QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
        canvas.process(DrawImage::Floyd, 128);
        QVERIFY(!canvas.canUndo());
        canvas.undo();
        QCOMPARE(changed.count(), 0);
        QVERIFY(changed.wait(5000));
        QVERIFY(canvas.canUndo());
        canvas.undo();
        QCOMPARE(canvas.displayedImage(), written);
    }

    void limitAndNewPicture()
    {
        Canvas canvas;
        QVERIFY(loaded(canvas));
        for (int i = 0; i < DrawImage::historyLimit + 5; ++i)
            canvas.drawText(5, 20, QString::number(i));
        // Grey pictures are kept at one byte a pixel: the two on show cost
        // nothing, and each text step wrote two others of 120 x 90 bytes,
        // the picture on show and the grey one the looks start from.
        QCOMPARE(canvas.historyBytes(), qint64(DrawImage::historyLimit) * 2 * 120 * 90);
        int undone = 0;
        for (; canvas.canUndo(); ++undone)
            canvas.undo();
        QCOMPARE(undone, DrawImage::historyLimit);
        QVERIFY(canvas.canRedo());

        // A new picture starts a new history.
        QVERIFY(loaded(canvas));
        QVERIFY(!canvas.canUndo());
        QVERIFY(!canvas.canRedo());
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
