#include "app/tonecalibrator.h"
#include "engraver/jobbuffer.h"
#include "engraver/jobpicture.h"
#include "engraver/operations.h"
#include "engraver/testcard.h"
#include "tests/drawboard/canvastest.h"

#include <cmath>

Q_DECLARE_METATYPE(Card::Plan)
Q_DECLARE_METATYPE(Card::Problem)

namespace {
Card::Plan cardPlan(int powerFrom, int powerTo, int powerCount, int depthFrom, int depthTo,
                    int depthCount, double square, double gap)
{
    return {powerFrom, powerTo, powerCount, depthFrom, depthTo, depthCount, square, gap};
}
} // namespace

// The true-size view: exactly the job's pixels, one per engraving pixel;
// and the test card's row jobs, seen the same way.
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

    void cardCheck_data()
    {
        QTest::addColumn<Card::Plan>("plan");
        QTest::addColumn<Card::Problem>("problem");
        using P = Card::Problem;
        QTest::newRow("defaults") << Card::Plan() << P::None;
        QTest::newRow("one square") << cardPlan(50, 50, 1, 30, 30, 1, 6, 3) << P::None;
        QTest::newRow("nine rows of 4 mm") << cardPlan(20, 100, 5, 10, 90, 9, 4, 4) << P::None;
        QTest::newRow("no columns") << cardPlan(20, 100, 0, 20, 100, 5, 6, 3) << P::Count;
        QTest::newRow("eleven rows") << cardPlan(20, 100, 5, 20, 100, 11, 3, 1) << P::Count;
        QTest::newRow("power from above to")
            << cardPlan(80, 40, 5, 20, 100, 5, 6, 3) << P::PowerRange;
        QTest::newRow("power 0") << cardPlan(0, 40, 5, 20, 100, 5, 6, 3) << P::PowerRange;
        QTest::newRow("depth 101") << cardPlan(20, 100, 5, 20, 101, 5, 6, 3) << P::DepthRange;
        QTest::newRow("square 1 mm") << cardPlan(20, 100, 5, 20, 100, 5, 1, 3) << P::SquareSize;
        QTest::newRow("gap below 0") << cardPlan(20, 100, 5, 20, 100, 5, 6, -1) << P::GapSize;
        QTest::newRow("labels wider than columns")
            << cardPlan(20, 100, 5, 20, 100, 5, 3, 0) << P::LabelsTooWide;
        QTest::newRow("ten columns of 6 mm")
            << cardPlan(10, 100, 10, 20, 100, 5, 6, 3) << P::TooLarge;
        QTest::newRow("ten rows of 8 mm") << cardPlan(20, 100, 5, 10, 100, 10, 8, 1) << P::TooLarge;
    }

    // A card that passes fits the area with its labels, wherever it goes.
    void cardCheck()
    {
        QFETCH(Card::Plan, plan);
        QFETCH(Card::Problem, problem);
        QCOMPARE(int(Card::check(plan)), int(problem));
        if (problem != Card::Problem::None)
            return;
        const QPoint start = Card::placement(plan);
        const QVector<Card::RowJob> rows = Card::rowJobs(plan);
        QCOMPARE(rows.size(), plan.depthCount);
        for (const Card::RowJob &row : rows) {
            QVERIFY(start.x() + row.xmax < Card::areaPixels);
            QVERIFY(start.y() + row.ymax < Card::areaPixels);
        }
    }

    void cardRows_data()
    {
        QTest::addColumn<Card::Plan>("plan");
        QTest::newRow("defaults") << Card::Plan();
        QTest::newRow("uneven steps") << cardPlan(15, 70, 4, 33, 90, 3, 5.5, 2.5);
        QTest::newRow("one column") << cardPlan(60, 60, 1, 20, 100, 2, 10, 0);
    }

    // Each row burns its own squares once, as strong as its power is to
    // the laser's setting, and its labels at full strength.
    void cardRows()
    {
        QFETCH(Card::Plan, plan);
        const Card::Layout layout = Card::layout(plan);
        const QVector<int> powers = Card::steps(plan.powerFrom, plan.powerTo, plan.powerCount);
        const QVector<int> depths = Card::steps(plan.depthFrom, plan.depthTo, plan.depthCount);
        const QVector<Card::RowJob> rows = Card::rowJobs(plan);
        QCOMPARE(rows.size(), depths.size());
        QByteArray all;
        for (int r = 0; r < rows.size(); ++r) {
            QCOMPARE(rows[r].depth, depths[r]);
            const QImage row = jobPicture(rows[r].records);
            // Its own squares and nobody else's, at the power's intensity.
            for (int c = 0; c < powers.size(); ++c) {
                const int x = layout.columnLeft(c) + layout.square / 2;
                for (int other = 0; other < depths.size(); ++other) {
                    const int y = layout.rowTop(other) + layout.square / 2;
                    const int burn = other == r ? Card::intensity(powers[c], powers.last()) : 0;
                    QCOMPARE(row.valid(x, y) ? 255 - qGray(row.pixel(x, y)) : 0, burn);
                }
            }
            // Its depth label at the left, at full strength.
            int label = 0;
            for (int y = layout.rowTop(r); y < layout.rowTop(r) + layout.square; ++y)
                for (int x = 0; x < layout.labelWidth && x < row.width(); ++x)
                    label += row.valid(x, y) && qGray(row.pixel(x, y)) == 0;
            QVERIFY2(label > 50, "no depth label");
            all += rows[r].records;
        }
        // The power labels, with the first row.
        const QImage first = jobPicture(rows[0].records);
        int labels = 0;
        for (int y = 0; y < layout.labelHeight; ++y)
            for (int x = layout.squaresLeft; x < first.width(); ++x)
                labels += qGray(first.pixel(x, y)) == 0;
        QVERIFY2(labels > 50 * powers.size(), "no power labels");
        // Whole: none reaches the card's edge.
        for (int y = 0; y < layout.labelHeight; ++y)
            QVERIFY(!first.valid(layout.size.width() - 1, y)
                    || qGray(first.pixel(layout.size.width() - 1, y)) == 255);
        // No pixel is burned by two rows.
        QSet<quint32> pixels;
        for (int i = 0; i + 4 <= all.size(); i += 4) {
            const quint32 place = qFromLittleEndian<quint32>(all.constData() + i) & 0xFFFFFFu;
            QVERIFY(!pixels.contains(place));
            pixels.insert(place);
        }
    }
};

QTEST_MAIN(TestJobPicture)
#include "tst_jobpicture.moc"
