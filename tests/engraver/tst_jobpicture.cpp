#include "app/tonecalibrator.h"
#include "engraver/jobbuffer.h"
#include "engraver/jobpicture.h"
#include "engraver/operations.h"
#include "tests/drawboard/canvastest.h"

#include <cmath>

// The true-size view: exactly the job's pixels, one per engraving pixel.
class TestJobPicture : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void records()
    {
        QByteArray job;
        const auto add = [&job](int x, int y, int intensity) {
            const char r[] = {char(x), char(x >> 8 << 4 | y >> 8), char(y), char(intensity)};
            job.append(r, 4);
        };
        add(0, 0, 255);
        add(5, 2, 100);
        add(5, 2, 30); // named twice: the stronger burn shows
        add(300, 1, 0); // a record that burns nothing
        const QImage picture = jobPicture(job);
        QCOMPARE(picture.size(), QSize(301, 3));
        QCOMPARE(qGray(picture.pixel(0, 0)), 0);
        QCOMPARE(qGray(picture.pixel(5, 2)), 155);
        QCOMPARE(qGray(picture.pixel(300, 1)), 255);
        QCOMPARE(qGray(picture.pixel(1, 1)), 255);
        QCOMPARE(jobPicture(QByteArray()).size(), QSize(1, 1));

        // As the material shows it: bare in its tint, a full burn a dark
        // shade of it, a burn between through the measured response (here
        // a card that came out exactly as asked). An id that does not read
        // gives the plain picture.
        QStringList asked;
        for (int step = 0; step < 16; ++step)
            asked << QString::number(255 - 17 * step);
        const QImage material
            = jobPictureFor(QStringLiteral("3/material/c89664/") + asked.join(','), job);
        QCOMPARE(material.size(), picture.size());
        QCOMPARE(material.pixel(1, 1), qRgb(200, 150, 100));
        QCOMPARE(material.pixel(0, 0), qRgb(36, 27, 18));
        const double keep = 0.18 + 0.82 * 155 / 255;
        QCOMPARE(material.pixel(5, 2),
                 qRgb(int(std::lround(200 * keep)), int(std::lround(150 * keep)),
                      int(std::lround(100 * keep))));
        QCOMPARE(jobPictureFor(QStringLiteral("3/material/c89664/1,2,3"), job), picture);
        QCOMPARE(jobPictureFor(QStringLiteral("3"), job), picture);
    }

    // The calibration's grey card, made off the GUI thread and published as
    // the job: 75.5 x 12 mm, and read back from what the laser will burn,
    // its frame found and each step at the level it asks for.
    void greyCard()
    {
        Operations operations;
        ToneCalibrator calibrator;
        QSignalSpy made(&calibrator, &ToneCalibrator::cardMade);
        QVERIFY(calibrator.makeCard(operations.jobBuffer(), 1, 255, 0, false, 6, 1));
        QVERIFY(!calibrator.makeCard(operations.jobBuffer(), 1, 255, 0, false, 6, 1));
        QVERIFY(made.wait(5000));
        QVERIFY(!calibrator.busy());
        const QImage burned = jobPicture(operations.jobBuffer()->bytes());
        QCOMPARE(burned.size(), QSize(1510, 240));
        const auto reading = Imaging::readCalibrationCard(burned);
        QVERIFY(reading);
        for (int step = 0; step < Imaging::calibrationSteps; ++step)
            QVERIFY(std::abs(reading->levels[size_t(step)] - Imaging::calibrationLevel(step)) <= 1);

        // The same from a scan on disk, read through the picture loader,
        // and a file that is no picture refused.
        QSignalSpy read(&calibrator, &ToneCalibrator::photoRead);
        QSignalSpy refused(&calibrator, &ToneCalibrator::photoRefused);
        const QString scan = CanvasTest::writePicture(m_dir, QStringLiteral("scan.png"), burned);
        QVERIFY(calibrator.readPhoto(QUrl(scan)));
        QVERIFY(read.wait(5000));
        const QVariantList levels = read.first().at(0).toList();
        QCOMPARE(levels.size(), Imaging::calibrationSteps);
        QVERIFY(std::abs(levels.at(8).toDouble() - Imaging::calibrationLevel(8)) <= 1);
        QCOMPARE(read.first().at(1).toString(), QStringLiteral("#ffffff"));
        QVERIFY(calibrator.readPhoto(QUrl::fromLocalFile(m_dir.filePath("none.png"))));
        QVERIFY(refused.wait(5000));
        QCOMPARE(refused.first().at(0).toInt(), int(ToneCalibrator::Unreadable));
    }

    // From the canvas through Done to the view the control page asks for:
    // a pixel is dark exactly where the job burns, as dark as it burns.
    void publishedJob()
    {
        DrawImage canvas;
        QVERIFY(CanvasTest::loadAndWait(
            canvas,
            CanvasTest::writePicture(m_dir, QStringLiteral("p.png"),
                                     CanvasTest::randomPicture(40, 30, QImage::Format_RGB32, 8))));
        Operations operations;
        canvas.setJobBuffer(operations.jobBuffer());
        QSignalSpy saved(&canvas, &DrawImage::saveDone);
        canvas.done();
        canvas.process(DrawImage::SaveByte, 128);
        QVERIFY(saved.wait(5000));
        operations.finishedLoadProcess();

        JobPictureProvider provider(operations.publishedRecords());
        QSize size;
        const QImage view = provider.requestImage(QStringLiteral("1"), &size, QSize());
        QCOMPARE(size, view.size());
        const QImage preview = operations.jobBuffer()->preview();
        int burned = 0;
        for (int y = 0; y < view.height(); ++y) {
            for (int x = 0; x < view.width(); ++x) {
                const int level = qRed(preview.pixel(x, y));
                const int expected = level <= 128 ? level : 255;
                burned += level <= 128;
                QCOMPARE(qGray(view.pixel(x, y)), expected);
            }
        }
        QCOMPARE(burned * 4, operations.jobBuffer()->bytes().size());
    }
};

QTEST_MAIN(TestJobPicture)
#include "tst_jobpicture.moc"
