#include "engraver/jobcopies.h"

#include <QMap>
#include <QtTest>

using Pixels = QMap<QPair<int, int>, int>;
Q_DECLARE_METATYPE(JobCopies::Grid)

namespace {

void add(QByteArray &job, int x, int y, int intensity)
{
    const char r[] = {char(x), char(x >> 8 << 4 | y >> 8), char(y), char(intensity)};
    job.append(r, 4);
}

// A small job as SaveByte writes it: serpentine lines, x from 2 to 4 and y
// from 1 to 2 (burned area 3 x 2).
QByteArray smallJob()
{
    QByteArray job;
    add(job, 2, 1, 200);
    add(job, 4, 1, 10);
    add(job, 4, 2, 30);
    add(job, 3, 2, 40);
    return job;
}

const QRect smallBurned(QPoint(2, 1), QPoint(4, 2));

Pixels pixelsOf(const QByteArray &records, QPoint offset = QPoint())
{
    Pixels pixels;
    for (int i = 0; i + 4 <= records.size(); i += 4) {
        const auto *r = reinterpret_cast<const uchar *>(records.constData() + i);
        pixels[{offset.x() + (r[0] | (r[1] & 0xF0) << 4), offset.y() + ((r[1] & 0x0F) << 8 | r[2])}]
            = r[3];
    }
    return pixels;
}

} // namespace

class TestJobCopies : public QObject
{
    Q_OBJECT

private slots:
    void grid_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("gapMm");
        QTest::addColumn<int>("stepX");
        QTest::addColumn<int>("stepY");
        QTest::newRow("one copy") << 1 << 1 << 0.0 << 3 << 2;
        QTest::newRow("2 x 3, touching") << 2 << 3 << 0.0 << 3 << 2;
        QTest::newRow("3 x 2, gap 1 mm") << 3 << 2 << 1.0 << 23 << 22;
        QTest::newRow("gap rounds to pixels") << 2 << 1 << 0.124 << 5 << 4;
    }

    // Every copy burns the job's pixels, shifted by whole steps, and
    // nothing else; the grid goes row of copies by row of copies.
    void grid()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(double, gapMm);
        QFETCH(int, stepX);
        QFETCH(int, stepY);
        const QByteArray job = smallJob();
        const JobCopies::Grid grid {columns, rows, JobCopies::gapPixels(gapMm)};
        QCOMPARE(JobCopies::copyStep(smallBurned, grid.gap), QPoint(stepX, stepY));
        const QByteArray records = JobCopies::gridRecords(job, smallBurned, grid);
        QCOMPARE(records.size(), job.size() * columns * rows);
        if (columns == 1 && rows == 1)
            QCOMPARE(records.constData(), job.constData()); // the job itself, untouched

        const Pixels single = pixelsOf(job);
        Pixels expected;
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i)
                for (auto it = single.cbegin(); it != single.cend(); ++it)
                    expected[{it.key().first + i * stepX, it.key().second + j * stepY}]
                        = it.value();
        QCOMPARE(pixelsOf(records), expected);

        // The first row of copies is burned whole before the second starts,
        // and each line crosses its copies in the line's own direction.
        const int perRow = job.size() / 4 * columns;
        for (int k = 0; k < records.size() / 4; ++k) {
            const int y = (records[k * 4 + 1] & 0x0F) << 8 | uchar(records[k * 4 + 2]);
            QCOMPARE((y - 1) / stepY, k / perRow);
        }
        if (columns > 1) {
            // Line y = 2 runs leftward: its last copy comes first.
            const QByteArray secondLine = records.mid(2 * columns * 4, 4);
            QCOMPARE(pixelsOf(secondLine).firstKey(), qMakePair(4 + (columns - 1) * stepX, 2));
        }
    }

    void fit_data()
    {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("mostColumns");
        QTest::addColumn<int>("mostRows");
        // Burned area 100 x 50 at (10, 20) of the picture, gap 20 pixels:
        // steps of 120 and 70.
        QTest::newRow("one copy at the origin") << QPoint(0, 0) << 1 << 1 << true << 13 << 22;
        QTest::newRow("4 x 3 in the middle") << QPoint(800, 800) << 4 << 3 << true << 6 << 11;
        // The last column ends on the area's last pixel, 1599.
        QTest::newRow("last column on the edge") << QPoint(1250, 0) << 3 << 1 << true << 3 << 22;
        QTest::newRow("one pixel over the edge") << QPoint(1251, 0) << 3 << 1 << false << 2 << 22;
        QTest::newRow("too many rows") << QPoint(0, 1000) << 1 << 9 << false << 13 << 8;
        QTest::newRow("the job itself off the area")
            << QPoint(1500, 0) << 1 << 1 << false << 0 << 22;
    }

    void fit()
    {
        QFETCH(QPoint, start);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, fits);
        QFETCH(int, mostColumns);
        QFETCH(int, mostRows);
        const QRect burned(10, 20, 100, 50);
        const JobCopies::Fit fit = JobCopies::fitGrid(burned, start, {columns, rows, 20});
        QCOMPARE(fit.fits, fits);
        QCOMPARE(fit.columns, mostColumns);
        QCOMPARE(fit.rows, mostRows);
    }

    void touchUp_data()
    {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QRect>("region");
        QTest::addColumn<QByteArray>("kept");
        QByteArray first, secondLine;
        add(first, 2, 1, 200);
        add(secondLine, 4, 2, 30);
        add(secondLine, 3, 2, 40);
        QTest::newRow("everything") << QPoint(0, 0) << QRect(0, 0, 1600, 1600) << smallJob();
        QTest::newRow("nothing") << QPoint(0, 0) << QRect(5, 0, 10, 10) << QByteArray();
        // The region is on the area: the job's start moves its pixels.
        QTest::newRow("one pixel, job placed") << QPoint(100, 50) << QRect(102, 51, 1, 1) << first;
        QTest::newRow("second line, edges inside")
            << QPoint(100, 50) << QRect(103, 52, 2, 1) << secondLine;
    }

    // A touch-up keeps the job's own records inside the region, in order.
    void touchUp()
    {
        QFETCH(QPoint, start);
        QFETCH(QRect, region);
        QFETCH(QByteArray, kept);
        QCOMPARE(JobCopies::recordsInside(smallJob(), start, region), kept);
    }
};

QTEST_GUILESS_MAIN(TestJobCopies)
#include "tst_jobcopies.moc"
