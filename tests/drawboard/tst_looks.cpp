#include "imaging/dithering.h"
#include "tests/drawboard/canvastest.h"

// The canvas's looks with the tone controls and the dithering choices: each
// look on the canvas equals the tone applied to the grey picture, with the
// edits made before it, followed by that look, and the untouched settings
// give exactly the looks as they were.
class TestLooks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void looks_data()
    {
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<QVector<double>>("tone"); // brightness, contrast, gamma
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("serpentine");
        QTest::addColumn<double>("dotSize");
        QTest::addColumn<bool>("edited"); // cropped, turned and negated before the look

        const QVector<double> neutral {0, 0, 1};
        const QVector<double> toned {15, 25, 1.4};
        const int floyd = DrawImage::FloydSteinberg;
        QTest::newRow("dithered as ever")
            << int(DrawImage::Floyd) << 120.0 << neutral << floyd << false << 1.0 << false;
        QTest::newRow("black and white as ever")
            << int(DrawImage::Binarize) << 128.0 << neutral << floyd << false << 1.0 << false;
        QTest::newRow("toned, black and white")
            << int(DrawImage::Binarize) << 128.0 << toned << floyd << false << 1.0 << false;
        QTest::newRow("toned, grey")
            << int(DrawImage::GreyFilter) << 200.0 << toned << floyd << false << 1.0 << false;
        QTest::newRow("toned, Floyd")
            << int(DrawImage::Floyd) << 120.0 << toned << floyd << false << 1.0 << false;
        QTest::newRow("Atkinson, serpentine") << int(DrawImage::Floyd) << 128.0 << toned
                                              << int(DrawImage::Atkinson) << true << 1.0 << false;
        QTest::newRow("Stucki") << int(DrawImage::Floyd) << 128.0 << neutral
                                << int(DrawImage::Stucki) << false << 1.0 << false;
        QTest::newRow("halftone") << int(DrawImage::Floyd) << 128.0 << neutral
                                  << int(DrawImage::Halftone) << false << 1.0 << false;
        QTest::newRow("Floyd, wide dots")
            << int(DrawImage::Floyd) << 120.0 << neutral << floyd << false << 3.0 << false;
        QTest::newRow("edited, toned, grey")
            << int(DrawImage::GreyFilter) << 200.0 << toned << floyd << false << 1.0 << true;
        QTest::newRow("edited, Bayer") << int(DrawImage::Floyd) << 128.0 << neutral
                                       << int(DrawImage::Bayer) << false << 1.0 << true;
        QTest::newRow("edited, toned, Stucki") << int(DrawImage::Floyd) << 128.0 << toned
                                               << int(DrawImage::Stucki) << true << 1.0 << true;
    }

    void looks()
    {
        QFETCH(int, algorithm);
        QFETCH(double, threshold);
        QFETCH(QVector<double>, tone);
        QFETCH(int, method);
        QFETCH(bool, serpentine);
        QFETCH(double, dotSize);
        QFETCH(bool, edited);

        CanvasTest::StrokingCanvas canvas;
        QVERIFY(CanvasTest::loadAndWait(
            canvas,
            CanvasTest::writePicture(m_dir, QStringLiteral("photo.png"),
                                     CanvasTest::randomPicture(90, 70, QImage::Format_RGB32, 2))));
        QImage grey = canvas.displayedImage();
        if (edited) {
            // In the page's first look, as after every load.
            QVERIFY(canvas.runAndWait(DrawImage::Binarize, 128));
            canvas.cutImage(4, 3, 80, 60);
            QVERIFY(canvas.runAndWait(DrawImage::Rotate, 90));
            QVERIFY(canvas.runAndWait(DrawImage::Negative, 0));
            grey = Imaging::rotatedImage(grey.copy(4, 3, 80, 60), 90);
            Imaging::negate(grey);
        }
        canvas.setProperty("toneBrightness", tone[0]);
        canvas.setProperty("toneContrast", tone[1]);
        canvas.setProperty("toneGamma", tone[2]);
        canvas.setProperty("ditherMethod", method);
        canvas.setProperty("ditherSerpentine", serpentine);
        canvas.setProperty("dotSize", dotSize);
        QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
        canvas.process(DrawImage::ProcessAlgorithm(algorithm), threshold);
        QVERIFY(changed.wait(5000));

        QImage expected = grey;
        Imaging::applyTone(expected, {tone[0], tone[1], tone[2]});
        if (algorithm == DrawImage::Floyd
            && (method != DrawImage::FloydSteinberg || dotSize > 1.5)) {
            Imaging::DitherOptions options;
            options.method = Imaging::DitherMethod(method);
            options.threshold = threshold;
            options.serpentine = serpentine;
            options.dotSize = dotSize;
            Imaging::dither(expected, options);
        } else {
            expected = CanvasTest::run(algorithm, expected, threshold);
        }
        QCOMPARE(canvas.displayedImage(), expected);
        // The grey picture itself is never toned: the next look starts afresh,
        // with the edits.
        canvas.setProperty("toneBrightness", 0.0);
        canvas.setProperty("toneContrast", 0.0);
        canvas.setProperty("toneGamma", 1.0);
        canvas.process(DrawImage::GreyFilter, 255);
        QVERIFY(changed.wait(5000));
        QCOMPARE(canvas.displayedImage(), grey);
    }
};

QTEST_MAIN(TestLooks)
#include "tst_looks.moc"
