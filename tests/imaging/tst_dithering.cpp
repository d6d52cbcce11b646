#include "imaging/algorithms.h"
#include "imaging/dithering.h"
#include "imaging/looks.h"
#include "imaging/tonecalibration.h"
#include "tests/drawboard/canvastest.h"

#include <QCryptographicHash>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using CanvasTest::greyPicture;
using Imaging::DitherMethod;

Q_DECLARE_METATYPE(std::vector<double>)

// The dithering methods beside Floyd, the tone controls and the spot
// compensation: small pictures worked out by hand, every method against a
// plain definition on random pictures, and logos and text on pure white.
class TestDithering : public QObject
{
    Q_OBJECT

    static QImage row(const QVector<int> &levels, int rows = 1)
    {
        QImage image(levels.size(), rows, QImage::Format_RGB32);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < levels.size(); ++x)
                image.setPixel(x, y, qRgb(levels[x], levels[x], levels[x]));
        return image;
    }

    static QVector<int> levels(const QImage &image)
    {
        QVector<int> out;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                out << qRed(image.pixel(x, y));
        return out;
    }

    static QImage dithered(QImage image, DitherMethod method, double threshold,
                           bool serpentine = false)
    {
        Imaging::DitherOptions options;
        options.method = method;
        options.threshold = threshold;
        options.serpentine = serpentine;
        Imaging::dither(image, options);
        return image;
    }

    // The published kernels, written out here once more: (dx, dy, weight).
    struct Published
    {
        DitherMethod method;
        int divisor;
        QVector<QVector<int>> taps;
    };
    static QVector<Published> published()
    {
        return {
            {DitherMethod::Atkinson,
             8,
             {{1, 0, 1}, {2, 0, 1}, {-1, 1, 1}, {0, 1, 1}, {1, 1, 1}, {0, 2, 1}}},
            {DitherMethod::JarvisJudiceNinke,
             48,
             {{1, 0, 7},
              {2, 0, 5},
              {-2, 1, 3},
              {-1, 1, 5},
              {0, 1, 7},
              {1, 1, 5},
              {2, 1, 3},
              {-2, 2, 1},
              {-1, 2, 3},
              {0, 2, 5},
              {1, 2, 3},
              {2, 2, 1}}},
            {DitherMethod::Stucki,
             42,
             {{1, 0, 8},
              {2, 0, 4},
              {-2, 1, 2},
              {-1, 1, 4},
              {0, 1, 8},
              {1, 1, 4},
              {2, 1, 2},
              {-2, 2, 1},
              {-1, 2, 2},
              {0, 2, 4},
              {1, 2, 2},
              {2, 2, 1}}},
            {DitherMethod::Sierra,
             32,
             {{1, 0, 5},
              {2, 0, 3},
              {-2, 1, 2},
              {-1, 1, 4},
              {0, 1, 5},
              {1, 1, 4},
              {2, 1, 2},
              {-1, 2, 2},
              {0, 2, 3},
              {1, 2, 2}}},
        };
    }

    // Error diffusion as defined: every pixel in scan order (odd rows right
    // to left when serpentine, the kernel mirrored), value = level + error
    // carried, black below the threshold, the miss spread by the kernel;
    // levels 0 and 255 stay black and white and spread nothing.
    static QImage definition(const QImage &picture, const Published &kernel, double threshold,
                             bool serpentine)
    {
        const int w = picture.width();
        const int h = picture.height();
        std::vector<float> carried(size_t(w * h), 0.0f);
        QImage out = picture;
        for (int y = 0; y < h; ++y) {
            const bool leftward = serpentine && y % 2 == 1;
            for (int i = 0; i < w; ++i) {
                const int x = leftward ? w - 1 - i : i;
                const int level = qRed(picture.pixel(x, y));
                if (level == 0 || level == 255) {
                    out.setPixel(x, y, qRgb(level, level, level));
                    continue;
                }
                const float value = float(level) + carried[size_t(y * w + x)];
                const bool black = value < float(threshold);
                out.setPixel(x, y, black ? 0xFF000000u : 0xFFFFFFFFu);
                const float error = value - (black ? 0.0f : 255.0f);
                for (const QVector<int> &tap : kernel.taps) {
                    const int nx = x + (leftward ? -tap[0] : tap[0]);
                    const int ny = y + tap[1];
                    if (nx >= 0 && nx < w && ny < h)
                        carried[size_t(ny * w + nx)]
                            += error * (float(tap[2]) / float(kernel.divisor));
                }
            }
        }
        return out;
    }

private slots:
    // Worked by hand. A first pixel of 100 under threshold 120 turns black
    // and passes on 100 times the right-hand weight; the second pixel lands
    // just on one side of the threshold or the other.
    void handWorked_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QVector<int>>("picture");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QVector<int>>("expected");

        const auto add
            = [](const char *tag, DitherMethod m, QVector<int> in, int rows, QVector<int> out) {
                  QTest::newRow(tag) << int(m) << in << rows << out;
              };
        // Atkinson: 100 / 8 = 12.5 to the right: 107 + 12.5 = 119.5 < 120.
        add("atkinson right, under", DitherMethod::Atkinson, {100, 107}, 1, {0, 0});
        add("atkinson right, over", DitherMethod::Atkinson, {100, 108}, 1, {0, 255});
        // Two to the right gets 12.5 from the first and 1/8 of the second's miss.
        add("atkinson two right", DitherMethod::Atkinson, {100, 130, 0}, 1, {0, 255, 0});
        // Jarvis: 100 * 7 / 48 = 14.58: 105 -> 119.58 black, 106 -> 120.58 white.
        add("jarvis right, under", DitherMethod::JarvisJudiceNinke, {100, 105}, 1, {0, 0});
        add("jarvis right, over", DitherMethod::JarvisJudiceNinke, {100, 106}, 1, {0, 255});
        // Stucki: 100 * 8 / 42 = 19.05: 100 -> 119.05 black, 101 -> 120.05 white.
        add("stucki right, under", DitherMethod::Stucki, {100, 100}, 1, {0, 0});
        add("stucki right, over", DitherMethod::Stucki, {100, 101}, 1, {0, 255});
        // Sierra: 100 * 5 / 32 = 15.63: 104 -> 119.63 black, 105 -> 120.63 white.
        add("sierra right, under", DitherMethod::Sierra, {100, 104}, 1, {0, 0});
        add("sierra right, over", DitherMethod::Sierra, {100, 105}, 1, {0, 255});
        // Straight down, one column: Jarvis passes 7/48 (14.58) below.
        add("jarvis below, under", DitherMethod::JarvisJudiceNinke, {100, 105}, 0, {0, 0});
        add("sierra below, over", DitherMethod::Sierra, {100, 105}, 0, {0, 255});
    }

    void handWorked()
    {
        QFETCH(int, method);
        QFETCH(QVector<int>, picture);
        QFETCH(int, rows);
        QFETCH(QVector<int>, expected);
        // rows 0: the levels stand in one column instead of one row.
        QImage image = rows ? row(picture) : row(picture).transformed(QTransform().rotate(90));
        if (!rows)
            image = image.mirrored(true, false).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(levels(dithered(image, DitherMethod(method), 120)), expected);
    }

    void matchesDefinition_data()
    {
        QTest::addColumn<int>("kernel");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<bool>("serpentine");
        for (int k = 0; k < published().size(); ++k) {
            for (bool serpentine : {false, true}) {
                QTest::addRow("kernel %d, serpentine %d", k, int(serpentine))
                    << k << 128.0 << serpentine;
            }
            QTest::addRow("kernel %d, threshold 60", k) << k << 60.0 << false;
        }
    }

    void matchesDefinition()
    {
        QFETCH(int, kernel);
        QFETCH(double, threshold);
        QFETCH(bool, serpentine);
        const Published p = published().at(kernel);
        QImage picture = Imaging::greyImage(
            CanvasTest::randomPicture(37, 23, QImage::Format_RGB32, quint32(kernel + 1)));
        // Patches of pure white and pure black among the greys.
        QPainter(&picture).fillRect(5, 4, 8, 6, Qt::white);
        QPainter(&picture).fillRect(20, 12, 8, 7, Qt::black);
        QCOMPARE(dithered(picture, p.method, threshold, serpentine),
                 definition(picture, p, threshold, serpentine));
    }

    void onlyBlackAndWhite_data()
    {
        QTest::addColumn<int>("method");
        for (DitherMethod m :
             {DitherMethod::Atkinson, DitherMethod::JarvisJudiceNinke, DitherMethod::Stucki,
              DitherMethod::Sierra, DitherMethod::Bayer, DitherMethod::Halftone})
            QTest::addRow("%d", int(m)) << int(m);
    }

    // A mid grey comes out as about half black, and nothing but black and white.
    void onlyBlackAndWhite()
    {
        QFETCH(int, method);
        const QImage out = dithered(greyPicture(64, 64, 128), DitherMethod(method), 128);
        int black = 0;
        for (int level : levels(out)) {
            QVERIFY(level == 0 || level == 255);
            black += level == 0;
        }
        QVERIFY2(std::abs(black - 64 * 64 / 2) < 64 * 64 / 10, qPrintable(QString::number(black)));
    }

    // Pictures drawn on pure white: a logo (a dark disc in a pale halo, whose
    // light edge leaves error behind, and a black square) and text. Pure
    // white stays white and pure black stays black, frame included: the
    // error left by the halo used to drift through the white and burn rows
    // of stray dots out to the picture's edge.
    void pureWhiteAndBlackKept_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<bool>("serpentine");

        QImage logo(320, 240, QImage::Format_RGB32);
        logo.fill(Qt::white);
        {
            QPainter painter(&logo);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(250, 250, 250));
            painter.drawEllipse(QPointF(110, 120), 80, 80);
            painter.setBrush(QColor(40, 40, 40));
            painter.drawEllipse(QPointF(110, 120), 55, 55);
            painter.fillRect(230, 30, 50, 50, Qt::black);
        }
        QImage text(420, 132, QImage::Format_RGB32);
        text.fill(Qt::white);
        {
            QPainter painter(&text);
            QFont font;
            font.setPixelSize(56);
            painter.setFont(font);
            painter.drawText(text.rect(), Qt::AlignCenter, QStringLiteral("Vandra 激光雕刻"));
        }
        const struct
        {
            const char *name;
            DitherMethod method;
            double threshold;
            bool serpentine;
        } methods[] = {{"Floyd", DitherMethod::Floyd, 120, false},
                       {"Floyd, threshold 200", DitherMethod::Floyd, 200, false},
                       {"Atkinson", DitherMethod::Atkinson, 128, false},
                       {"Jarvis", DitherMethod::JarvisJudiceNinke, 128, false},
                       {"Stucki", DitherMethod::Stucki, 128, false},
                       {"Sierra", DitherMethod::Sierra, 128, false},
                       {"Sierra serpentine", DitherMethod::Sierra, 128, true}};
        for (const auto &m : methods) {
            QTest::addRow("logo, %s", m.name)
                << logo << int(m.method) << m.threshold << m.serpentine;
            QTest::addRow("text, %s", m.name)
                << text << int(m.method) << m.threshold << m.serpentine;
        }
    }

    void pureWhiteAndBlackKept()
    {
        QFETCH(QImage, picture);
        QFETCH(int, method);
        QFETCH(double, threshold);
        QFETCH(bool, serpentine);
        const QImage out = dithered(picture, DitherMethod(method), threshold, serpentine);
        int strayBlack = 0;
        int strayWhite = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const int level = qRed(picture.pixel(x, y));
                strayBlack += level == 255 && out.pixel(x, y) != 0xFFFFFFFFu;
                strayWhite += level == 0 && out.pixel(x, y) != 0xFF000000u;
            }
        }
        QCOMPARE(strayBlack, 0);
        QCOMPARE(strayWhite, 0);
        if (DitherMethod(method) == DitherMethod::Floyd) {
            QImage look = picture; // the canvas's own look, in place
            Imaging::floydDither(look, threshold);
            QCOMPARE(look, out);
        }
    }

    void photoKeepsItsBytes_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<bool>("serpentine");
        QTest::addColumn<QByteArray>("md5");
        QTest::newRow("Floyd") << int(DitherMethod::Floyd) << 120.0 << false
                               << QByteArray("e45978bdf6a38fa8f8e6a9da882b33c0");
        QTest::newRow("Atkinson") << int(DitherMethod::Atkinson) << 128.0 << false
                                  << QByteArray("432868ed5fdcfb4a00ccfb7f204caebc");
        QTest::newRow("Jarvis") << int(DitherMethod::JarvisJudiceNinke) << 128.0 << false
                                << QByteArray("0d95d1f5f8881e14f55418fa86d129a0");
        QTest::newRow("Stucki") << int(DitherMethod::Stucki) << 128.0 << false
                                << QByteArray("fcefafb6868115cfa095cb6d7971f1bb");
        QTest::newRow("Sierra") << int(DitherMethod::Sierra) << 128.0 << false
                                << QByteArray("565b49d4bfcca465ae3534f20532a96d");
        QTest::newRow("Sierra serpentine") << int(DitherMethod::Sierra) << 128.0 << true
                                           << QByteArray("195ecd9fa42c0fd7357a3a5ad0da6dba");
    }

    // A photo with no pure white or black, only levels 1 to 254 with long
    // runs at both ends, dithers to exactly the bytes it always did (the
    // checksums were taken from the dithering before pure levels were kept).
    void photoKeepsItsBytes()
    {
        QFETCH(int, method);
        QFETCH(double, threshold);
        QFETCH(bool, serpentine);
        QFETCH(QByteArray, md5);
        QRandomGenerator random(3);
        QImage photo(96, 64, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x) {
                const int wave = (x * 5 + y * 3) % 508;
                const int ramp = wave < 254 ? wave : 507 - wave;
                const int level = qBound(1, ramp * 3 / 2 - 63 + int(random.bounded(16)), 254);
                photo.setPixel(x, y, qRgb(level, level, level));
            }
        }
        const QImage out = dithered(photo, DitherMethod(method), threshold, serpentine);
        QCryptographicHash hash(QCryptographicHash::Md5);
        for (int y = 0; y < out.height(); ++y)
            hash.addData(reinterpret_cast<const char *>(out.constScanLine(y)), out.width() * 4);
        QCOMPARE(hash.result().toHex(), md5);
    }

    // Floyd through the method choice is the canvas's own look, grey frame and all.
    void floydIsTheLook()
    {
        const QImage picture
            = Imaging::greyImage(CanvasTest::randomPicture(40, 30, QImage::Format_RGB32, 9));
        QImage look = picture;
        Imaging::floydDither(look, 120);
        QCOMPARE(dithered(picture, DitherMethod::Floyd, 120), look);
    }

    void bayer()
    {
        QVector<int> first;
        QSet<int> seen;
        for (int x = 0; x < 8; ++x)
            first << Imaging::bayerIndex(x, 0);
        for (int i = 0; i < 64; ++i)
            seen.insert(Imaging::bayerIndex(i % 8, i / 8));
        QCOMPARE(first, QVector<int>({0, 32, 8, 40, 2, 34, 10, 42}));
        QCOMPARE(Imaging::bayerIndex(1, 1), 16);
        QCOMPARE(seen.size(), 64);
        QCOMPARE(Imaging::bayerIndex(9, 8), Imaging::bayerIndex(1, 0)); // it tiles
        // A level of 130 is black where the screen lies above it: 32 of 64.
        int black = 0;
        for (int level : levels(dithered(greyPicture(8, 8, 130), DitherMethod::Bayer, 128)))
            black += level == 0;
        QCOMPARE(black, 31);
    }

    // Dots grow from each cell's centre: a light grey blackens the centre
    // pixels only, a dark one all but the corners.
    void halftoneDots()
    {
        Imaging::DitherOptions options;
        options.method = DitherMethod::Halftone;
        options.cellSize = 6; // 4 canvas pixels
        QImage light = greyPicture(8, 8, 200);
        Imaging::dither(light, options);
        // 55 of 255 dark: 55 / 255 * 16 = 3.45 of 16 pixels, three of the
        // four centre ones (ties go by position).
        QCOMPARE(qRed(light.pixel(1, 1)), 0);
        QCOMPARE(qRed(light.pixel(2, 1)), 0);
        QCOMPARE(qRed(light.pixel(1, 2)), 0);
        QCOMPARE(qRed(light.pixel(2, 2)), 255);
        QCOMPARE(qRed(light.pixel(0, 0)), 255);
        QCOMPARE(qRed(light.pixel(5, 5)), 0); // the next cell alike
        int black = 0;
        for (int level : levels(light))
            black += level == 0;
        QCOMPARE(black, 4 * 3);
    }

    void halftoneCellHeld_data()
    {
        QTest::addColumn<int>("cellSize");
        QTest::addColumn<int>("heldTo");
        QTest::newRow("30000") << 30000 << 64;
        QTest::newRow("largest int") << std::numeric_limits<int>::max() << 64;
        QTest::newRow("100") << 100 << 64;
        QTest::newRow("0") << 0 << 2;
        QTest::newRow("smallest int") << std::numeric_limits<int>::min() << 2;
    }

    // A cell size beyond reason is held to 2..64 engraving pixels, whoever
    // hands it over: a cell of 30000 would take gigabytes and minutes.
    void halftoneCellHeld()
    {
        QFETCH(int, cellSize);
        QFETCH(int, heldTo);
        const QImage picture
            = Imaging::greyImage(CanvasTest::randomPicture(90, 70, QImage::Format_RGB32, 5));
        Imaging::DitherOptions options;
        options.method = DitherMethod::Halftone;
        options.cellSize = heldTo;
        const QImage expected = Imaging::dithered(picture, options);
        options.cellSize = cellSize;
        QCOMPARE(Imaging::dithered(picture, options), expected);
    }

    void tone_data()
    {
        QTest::addColumn<double>("brightness");
        QTest::addColumn<double>("contrast");
        QTest::addColumn<double>("gamma");
        QTest::addColumn<QVector<int>>("expected"); // for levels 0, 64, 128, 192, 255
        QTest::newRow("neutral") << 0.0 << 0.0 << 1.0 << QVector<int> {0, 64, 128, 192, 255};
        QTest::newRow("brighter") << 20.0 << 0.0 << 1.0 << QVector<int> {51, 115, 179, 243, 255};
        QTest::newRow("darker") << -100.0 << 0.0 << 1.0 << QVector<int> {0, 0, 0, 0, 0};
        // Gamma 2: 255 * sqrt(l / 255).
        QTest::newRow("gamma 2") << 0.0 << 0.0 << 2.0 << QVector<int> {0, 128, 181, 221, 255};
        QTest::newRow("more contrast") << 0.0 << 50.0 << 1.0 << QVector<int> {0, 0, 128, 255, 255};
        QTest::newRow("less contrast")
            << 0.0 << -50.0 << 1.0 << QVector<int> {85, 107, 128, 149, 171};
    }

    void tone()
    {
        QFETCH(double, brightness);
        QFETCH(double, contrast);
        QFETCH(double, gamma);
        QFETCH(QVector<int>, expected);
        const QImage picture = row({0, 64, 128, 192, 255});
        QImage toned = picture;
        Imaging::applyTone(toned, {brightness, contrast, gamma});
        QVector<int> got = levels(toned);
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(std::abs(got[i] - expected[i]) <= 1,
                     qPrintable(QStringLiteral("level %1: %2").arg(i).arg(got[i])));
        // Neutral leaves the very same pixels, shared and all.
        if (Imaging::Tone {brightness, contrast, gamma}.isNeutral())
            QVERIFY(toned.constBits() == picture.constBits());
    }

    // A grey-step card measured from an engraver whose response is known:
    // a gamma-like curve, with the measuring noise of a scanner (uniform,
    // up to the amplitude given, from a fixed seed). The fitted response
    // lies within the stated error of the true one at every level asked,
    // never falls, and its correction brings every level wanted that the
    // engraver reaches within the stated error of itself.
    void calibrationRecovered_data()
    {
        QTest::addColumn<double>("gamma"); // the burn: 255 * (asked / 255)^gamma
        QTest::addColumn<double>("floor"); // the darkest it burns
        QTest::addColumn<double>("noise");
        QTest::addColumn<double>("responseError");
        QTest::addColumn<double>("correctedError");
        QTest::newRow("linear, exact") << 1.0 << 0.0 << 0.0 << 0.5 << 1.0;
        QTest::newRow("gamma 2.2, exact") << 2.2 << 0.0 << 0.0 << 0.5 << 1.5;
        QTest::newRow("gamma 2.2, noisy") << 2.2 << 0.0 << 3.0 << 4.0 << 4.5;
        // Steepest at the dark end, where the curve between the steps is
        // furthest off.
        QTest::newRow("gamma 0.6, noisy") << 0.6 << 0.0 << 3.0 << 7.0 << 7.5;
        QTest::newRow("never black, noisy") << 1.8 << 40.0 << 4.0 << 5.0 << 5.5;
    }

    void calibrationRecovered()
    {
        QFETCH(double, gamma);
        QFETCH(double, floor);
        QFETCH(double, noise);
        QFETCH(double, responseError);
        QFETCH(double, correctedError);
        const auto truth = [&](double asked) {
            return floor + (255 - floor) * std::pow(asked / 255, gamma);
        };
        QRandomGenerator random(2024);
        std::vector<double> measured;
        for (int step = 0; step < Imaging::calibrationSteps; ++step) {
            const double level = truth(Imaging::calibrationLevel(step))
                + noise * (2 * random.generateDouble() - 1);
            measured.push_back(std::clamp(level, 0.0, 255.0));
        }
        const auto response = Imaging::fitResponse(measured);
        QVERIFY(response);
        double worst = 0;
        for (int asked = 0; asked < 256; ++asked) {
            worst = std::max(worst, std::abs((*response)[asked] - truth(asked)));
            if (asked > 0)
                QVERIFY((*response)[asked] >= (*response)[asked - 1]);
        }
        QVERIFY2(worst <= responseError, qPrintable(QString::number(worst)));

        const auto correction = Imaging::correctionFor(*response);
        worst = 0;
        for (int wanted = 0; wanted < 256; ++wanted) {
            if (wanted > 0)
                QVERIFY(correction[wanted] >= correction[wanted - 1]);
            if (wanted >= truth(0) + noise && wanted <= 255 - noise)
                worst = std::max(worst, std::abs(truth(correction[wanted]) - wanted));
        }
        QVERIFY2(worst <= correctedError, qPrintable(QString::number(worst)));
        // Darker than the engraver burns is asked as black.
        if (floor > 0)
            QCOMPARE(int(correction[0]), 0);
    }

    // Measurements no response can be fitted to.
    void calibrationRefused_data()
    {
        QTest::addColumn<std::vector<double>>("measured");
        std::vector<double> card;
        for (int step = 0; step < Imaging::calibrationSteps; ++step)
            card.push_back(Imaging::calibrationLevel(step));
        std::vector<double> shortCard(card.begin(), card.end() - 1);
        std::vector<double> notANumber = card, beyond = card, reversed(card.rbegin(), card.rend());
        notANumber[3] = std::numeric_limits<double>::quiet_NaN();
        beyond[0] = 256;
        QTest::newRow("fifteen steps") << shortCard;
        QTest::newRow("NaN") << notANumber;
        QTest::newRow("lighter than white") << beyond;
        QTest::newRow("read the wrong way round") << reversed;
        QTest::newRow("nothing burned") << std::vector<double>(Imaging::calibrationSteps, 250.0);
    }

    void calibrationRefused()
    {
        QFETCH(std::vector<double>, measured);
        QVERIFY(!Imaging::fitResponse(measured));
    }

    // A photo of the burned card: the card's grey picture drawn at a
    // scale, turned and placed on the material's colour, with the noise of a
    // camera; the steps are found and read relative to the material and
    // the frame, within the stated error, and the material's colour with them.
    void cardRead_data()
    {
        QTest::addColumn<double>("pixelsPerMm");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("noise");
        QTest::addColumn<QColor>("tint");
        QTest::addColumn<double>("error");
        QTest::newRow("scan, upright") << 12.0 << 0.0 << 0.0 << QColor(255, 255, 255) << 2.0;
        QTest::newRow("photo of plywood, turned")
            << 9.0 << 2.5 << 12.0 << QColor(222, 184, 135) << 4.5;
        QTest::newRow("upside down, noisy")
            << 10.0 << 181.0 << 20.0 << QColor(240, 230, 210) << 6.0;
        QTest::newRow("card upright in the photo")
            << 8.0 << -88.0 << 8.0 << QColor(200, 170, 140) << 4.0;
        QTest::newRow("small") << 3.0 << 1.0 << 6.0 << QColor(230, 220, 200) << 6.0;
    }

    void cardRead()
    {
        QFETCH(double, pixelsPerMm);
        QFETCH(double, degrees);
        QFETCH(double, noise);
        QFETCH(QColor, tint);
        QFETCH(double, error);
        const QImage card = Imaging::calibrationCardPicture();
        const int side = int((Imaging::Card::width + 30) * pixelsPerMm);
        QImage photo(side, side, QImage::Format_RGB32);
        photo.fill(Qt::white);
        {
            QPainter painter(&photo);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.translate(side / 2.0, side / 2.0);
            painter.rotate(degrees);
            painter.scale(pixelsPerMm * Imaging::Card::pixelMm,
                          pixelsPerMm * Imaging::Card::pixelMm);
            painter.drawImage(QPointF(-card.width() / 2.0, -card.height() / 2.0), card);
        }
        QRandomGenerator random(7);
        for (int y = 0; y < side; ++y) {
            auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
            for (int x = 0; x < side; ++x) {
                const double light = qRed(line[x]) / 255.0;
                const auto channel = [&](int c) {
                    const double value = c * light + noise * (2 * random.generateDouble() - 1);
                    return int(std::clamp(value, 0.0, 255.0));
                };
                line[x] = qRgb(channel(tint.red()), channel(tint.green()), channel(tint.blue()));
            }
        }
        const auto reading = Imaging::readCalibrationCard(photo);
        QVERIFY(reading);
        QCOMPARE(int(reading->levels.size()), Imaging::calibrationSteps);
        double worst = 0;
        for (int step = 0; step < Imaging::calibrationSteps; ++step)
            worst = std::max(
                worst, std::abs(reading->levels[size_t(step)] - Imaging::calibrationLevel(step)));
        QVERIFY2(worst <= error, qPrintable(QString::number(worst)));
        QVERIFY(std::abs(qRed(reading->tint) - tint.red()) <= 4);
        QVERIFY(std::abs(qGreen(reading->tint) - tint.green()) <= 4);
        QVERIFY(std::abs(qBlue(reading->tint) - tint.blue()) <= 4);
        QVERIFY(Imaging::fitResponse(reading->levels));
    }

    // Photos without the card's frame give nothing.
    void cardRefused_data()
    {
        QTest::addColumn<QImage>("photo");
        QImage blank(600, 400, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QTest::newRow("blank") << blank;
        QImage block = blank.copy();
        QPainter(&block).fillRect(20, 150, 560, 90, Qt::black);
        QTest::newRow("a dark block of the card's size") << block;
        QImage square = blank.copy();
        {
            QPainter painter(&square);
            painter.fillRect(100, 50, 300, 300, Qt::black);
            painter.fillRect(115, 65, 270, 270, Qt::white);
        }
        QTest::newRow("a square frame") << square;
        QTest::newRow("noise") << CanvasTest::randomPicture(500, 400, QImage::Format_RGB32, 11);
        QTest::newRow("nothing") << QImage();
    }

    void cardRefused()
    {
        QFETCH(QImage, photo);
        QVERIFY(!Imaging::readCalibrationCard(photo));
    }

    void spotCompensation()
    {
        for (double dot : {1.0, 1.5}) {
            const auto table = Imaging::spotCompensationTable(dot);
            for (int level = 0; level < 256; ++level)
                QCOMPARE(int(table[size_t(level)]), level);
        }
        // A 3-pixel dot covers 4 canvas pixels: level 64 (75% dark) is
        // dithered as 255 * (64 / 255)^(1/4) = 180, so that a quarter of
        // the pixels, each burning four, give the darkness asked for.
        const auto table = Imaging::spotCompensationTable(3);
        QCOMPARE(int(table[0]), 0);
        QCOMPARE(int(table[255]), 255);
        QCOMPARE(int(table[64]), 180);
        for (int level = 1; level < 255; ++level)
            QVERIFY(table[size_t(level)] > level);
    }

    // A look made from the base picture equals the tone applied to a copy
    // of the base followed by the look in place (the table's entries, or
    // dither() for the methods), in every format a base can take and down
    // to pictures that are all frame; the base is only read, and the
    // result keeps its format and resolution.
    void lookFromBase_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("look");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("dotSize");

        const struct
        {
            const char *name;
            QImage::Format format;
        } formats[] = {{"RGB32", QImage::Format_RGB32},
                       {"ARGB32", QImage::Format_ARGB32},
                       {"premultiplied", QImage::Format_ARGB32_Premultiplied},
                       {"grey 8-bit", QImage::Format_Grayscale8}};
        const struct
        {
            const char *name;
            Imaging::Algorithm look;
            double threshold;
            DitherMethod method;
            double dotSize;
        } looks[] = {{"black and white", Imaging::Binarize, 128, DitherMethod::Floyd, 1},
                     {"grey", Imaging::GreyFilter, 200, DitherMethod::Floyd, 1},
                     {"Floyd", Imaging::Floyd, 120, DitherMethod::Floyd, 1},
                     {"Floyd, wide dots", Imaging::Floyd, 120, DitherMethod::Floyd, 3},
                     {"Atkinson", Imaging::Floyd, 128, DitherMethod::Atkinson, 1},
                     {"Bayer, wide dots", Imaging::Floyd, 128, DitherMethod::Bayer, 3},
                     {"halftone", Imaging::Floyd, 140, DitherMethod::Halftone, 1}};
        const QSize sizes[] = {{37, 23}, {2, 5}, {1, 1}};
        for (const auto &format : formats) {
            for (const auto &look : looks) {
                for (const QSize &size : sizes) {
                    QTest::addRow("%s, %s, %dx%d", format.name, look.name, size.width(),
                                  size.height())
                        << int(format.format) << size << int(look.look) << look.threshold
                        << int(look.method) << look.dotSize;
                }
            }
        }
    }

    void lookFromBase()
    {
        QFETCH(int, format);
        QFETCH(QSize, size);
        QFETCH(int, look);
        QFETCH(double, threshold);
        QFETCH(int, method);
        QFETCH(double, dotSize);

        QImage base
            = CanvasTest::randomPicture(size.width(), size.height(), QImage::Format(format), 11);
        base.setDotsPerMeterX(5000);
        const QImage before = base.copy();
        // The material's correction comes after the tone: a card that
        // burned exactly as asked changes nothing, one that burned darker
        // (level squared) asks for lighter levels, mid grey as about 181.
        std::vector<double> exact, darker;
        for (int step = 0; step < Imaging::calibrationSteps; ++step) {
            const double asked = Imaging::calibrationLevel(step);
            exact.push_back(asked);
            darker.push_back(asked * asked / 255);
        }
        const auto identity = Imaging::correctionForLevels(exact);
        const auto lighter = Imaging::correctionForLevels(darker);
        QVERIFY(identity && lighter);
        QVERIFY(std::abs(int((*lighter)[128]) - 181) <= 2);
        const Imaging::Tone toned {15, 30, 1.6};
        const struct
        {
            Imaging::Tone tone;
            std::optional<std::array<uchar, 256>> correction;
            bool mapped; // the expected picture goes through the correction
        } settingsTried[] = {{Imaging::Tone(), std::nullopt, false},
                             {toned, std::nullopt, false},
                             {Imaging::Tone(), identity, true},
                             {toned, lighter, true}};
        for (const auto &tried : settingsTried) {
            const Imaging::Tone &tone = tried.tone;
            Imaging::LookSettings settings;
            settings.tone = tone;
            settings.correction = tried.correction;
            settings.dither.method = DitherMethod(method);
            settings.dither.dotSize = dotSize;

            QImage expected = before;
            Imaging::applyTone(expected, tone);
            if (tried.mapped) {
                // Mapped pixels are written as opaque greys, as the tone's are.
                if (!Imaging::hasPlainPixels(expected))
                    expected = expected.convertToFormat(QImage::Format_RGB32);
                for (int y = 0; y < expected.height(); ++y) {
                    for (int x = 0; x < expected.width(); ++x) {
                        const int level = (*tried.correction)[size_t(qRed(expected.pixel(x, y)))];
                        expected.setPixel(x, y, qRgb(level, level, level));
                    }
                }
            }
            if (look == Imaging::Floyd && !settings.plainFloyd()) {
                Imaging::DitherOptions options = settings.dither;
                options.threshold = threshold;
                Imaging::dither(expected, options);
            } else {
                expected = CanvasTest::run(look, expected, threshold);
            }

            const QImage made
                = Imaging::lookImage(base, Imaging::Algorithm(look), threshold, settings);
            QCOMPARE(made.format(), expected.format());
            QCOMPARE(made, expected);
            QCOMPARE(made.dotsPerMeterX(), 5000);
            QVERIFY(made.constBits() != base.constBits());
            QCOMPARE(base, before);

            // Written into the memory of a picture let go of (other pixels,
            // resolution and texts), the look is the same; memory another
            // picture still holds is left alone.
            QImage memory
                = CanvasTest::randomPicture(size.width(), size.height(), made.format(), 5);
            memory.setDotsPerMeterX(1234);
            const QImage held = memory;
            const QImage heldPixels = held.copy();
            QCOMPARE(
                Imaging::lookImage(base, Imaging::Algorithm(look), threshold, settings, memory),
                expected);
            QCOMPARE(held, heldPixels);
            memory = QImage();
            QImage spare = heldPixels.copy();
            const uchar *spareBits = spare.constBits();
            const QImage reused = Imaging::lookImage(base, Imaging::Algorithm(look), threshold,
                                                     settings, std::move(spare));
            QCOMPARE(reused, expected);
            QCOMPARE(reused.dotsPerMeterX(), 5000);
            if (Imaging::hasPlainPixels(base))
                QCOMPARE(reused.constBits(), spareBits);
            QImage stale = heldPixels.copy();
            stale.setText(QStringLiteral("Comment"), QStringLiteral("an earlier picture"));
            QVERIFY(Imaging::lookImage(base, Imaging::Algorithm(look), threshold, settings,
                                       std::move(stale))
                        .text(QStringLiteral("Comment"))
                        .isEmpty());
        }
        // On the grey pictures the canvas keeps, the identity changes nothing.
        const QImage grey = before.convertToFormat(QImage::Format_Grayscale8)
                                .convertToFormat(QImage::Format_RGB32);
        Imaging::LookSettings plain;
        plain.dither.method = DitherMethod(method);
        plain.dither.dotSize = dotSize;
        Imaging::LookSettings corrected = plain;
        corrected.correction = identity;
        QCOMPARE(Imaging::lookImage(grey, Imaging::Algorithm(look), threshold, corrected),
                 Imaging::lookImage(grey, Imaging::Algorithm(look), threshold, plain));
    }
};

// A GUI application: the text picture needs the fonts.
QTEST_MAIN(TestDithering)
#include "tst_dithering.moc"
