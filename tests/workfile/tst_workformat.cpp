#include "workfile/workformat.h"

#include <QBuffer>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>
#include <zlib.h>

using WorkFile::Problem;

Q_DECLARE_METATYPE(WorkFile::Work)

// Work files: what is written comes back whole, and a damaged or hostile
// file is refused with the reason, before anything of it is used.
class TestWorkFormat : public QObject
{
    Q_OBJECT

    // A photo-like grey picture: a ramp with noise, every level present.
    static QImage greyPicture(int width, int height)
    {
        QImage picture(width, height, QImage::Format_ARGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int level = qBound(
                    0, (x + y) * 255 / (width + height) + int(random.bounded(40)) - 20, 255);
                picture.setPixel(x, y, qRgb(level, level, level));
            }
        }
        return picture;
    }

    static QByteArray png(const QImage &picture, const char *format = "png")
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, format).write(picture);
        return bytes;
    }

    static WorkFile::Work sampleWork()
    {
        WorkFile::Work work;
        work.picture = greyPicture(40, 30);
        work.look = Imaging::Floyd;
        work.threshold = 120;
        work.engraver = WorkFile::Engraver {QPointF(12.5, 3), 80, 30.5, true};
        return work;
    }

    // The value at a dotted path set, or taken out when undefined.
    static QJsonObject changed(QJsonObject object, const QStringList &path, const QJsonValue &value)
    {
        const QString &key = path.first();
        if (path.size() > 1)
            object.insert(key, changed(object.value(key).toObject(), path.mid(1), value));
        else if (value.isUndefined())
            object.remove(key);
        else
            object.insert(key, value);
        return object;
    }

    static QByteArray archive(const QByteArray &manifest, const QByteArray &picture)
    {
        return WorkFile::zipStored({{"mimetype", WorkFile::mimeType},
                                    {"manifest.json", manifest},
                                    {"picture.png", picture}});
    }

    // The sample work with one value of its manifest changed.
    static QByteArray withValue(const QString &path, const QJsonValue &value)
    {
        const WorkFile::Work work = sampleWork();
        const QJsonObject manifest
            = changed(WorkFile::manifestOf(work), path.split(QLatin1Char('.')), value);
        return archive(QJsonDocument(manifest).toJson(), png(work.picture));
    }

    static void set32(QByteArray &bytes, qint64 at, quint32 value)
    {
        qToLittleEndian(value, bytes.data() + at);
    }

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<WorkFile::Work>("work");

        QTest::newRow("dithered photo, placed") << sampleWork();

        // Drawn on in colour, partly transparent: kept as it is, not as grey.
        WorkFile::Work colour;
        colour.picture = QImage(33, 17, QImage::Format_ARGB32);
        QRandomGenerator random(3);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 33; ++x)
                colour.picture.setPixel(x, y, random.generate());
        colour.look = Imaging::GreyFilter;
        colour.threshold = 255;
        colour.settings.tone = {-35.5, 20, 0.45};
        colour.settings.dither = {Imaging::DitherMethod::Halftone, 128, true, 11, 2.5};
        QTest::newRow("colour, no control page part") << colour;

        // The largest picture the canvas makes, in black and white, before
        // any job was placed.
        WorkFile::Work largest;
        largest.picture = greyPicture(WorkFile::maxPictureSide, WorkFile::maxPictureSide);
        largest.look = Imaging::Binarize;
        largest.threshold = 0;
        largest.settings.dither.method = Imaging::DitherMethod::JarvisJudiceNinke;
        largest.engraver = WorkFile::Engraver {std::nullopt, 0, 100, false};
        QTest::newRow("80 mm, not placed") << largest;
    }

    void roundTrip()
    {
        QFETCH(WorkFile::Work, work);
        const WorkFile::ReadResult read = WorkFile::decode(WorkFile::encode(work));
        QCOMPARE(int(read.problem), int(Problem::None));
        const WorkFile::Work &back = read.work;
        QCOMPARE(back.picture.format(), QImage::Format_ARGB32);
        QVERIFY(back.picture == work.picture);
        QCOMPARE(int(back.look), int(work.look));
        QCOMPARE(back.threshold, work.threshold);
        QCOMPARE(back.settings.tone.brightness, work.settings.tone.brightness);
        QCOMPARE(back.settings.tone.contrast, work.settings.tone.contrast);
        QCOMPARE(back.settings.tone.gamma, work.settings.tone.gamma);
        QCOMPARE(int(back.settings.dither.method), int(work.settings.dither.method));
        QCOMPARE(back.settings.dither.serpentine, work.settings.dither.serpentine);
        QCOMPARE(back.settings.dither.cellSize, work.settings.dither.cellSize);
        QCOMPARE(back.settings.dither.dotSize, work.settings.dither.dotSize);
        QCOMPARE(back.engraver.has_value(), work.engraver.has_value());
        if (work.engraver) {
            QCOMPARE(back.engraver->placementMm, work.engraver->placementMm);
            QCOMPARE(back.engraver->laserPower, work.engraver->laserPower);
            QCOMPARE(back.engraver->depth, work.engraver->depth);
            QCOMPARE(back.engraver->fan, work.engraver->fan);
        }
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("detail"); // what the detail names, if it must

        const QByteArray good = WorkFile::encode(sampleWork());
        const QByteArray picture = png(sampleWork().picture);
        const auto row = [](const char *tag, const QByteArray &bytes, Problem problem,
                            const QString &detail = QString()) {
            QTest::newRow(tag) << bytes << int(problem) << detail;
        };

        row("empty", QByteArray(), Problem::NotWorkFile);
        row("a PNG picture", picture, Problem::NotWorkFile);
        row("a zip of something else", WorkFile::zipStored({{"notes.txt", "hello"}}),
            Problem::NotWorkFile);
        row("a zip of another type",
            WorkFile::zipStored({{"mimetype", "application/vnd.oasis.opendocument.text"}}),
            Problem::NotWorkFile);
        row("cut in half", good.left(good.size() / 2), Problem::Damaged);
        row("last byte missing", good.chopped(1), Problem::Damaged);
        QByteArray changedByte = good;
        changedByte[good.indexOf("IDAT") + 20] = char(changedByte[good.indexOf("IDAT") + 20] ^ 1);
        row("a byte of the picture changed", changedByte, Problem::Damaged);
        QByteArray huge = good;
        set32(huge, good.lastIndexOf("PK\x01\x02") + 20, 0xfffffff0);
        set32(huge, good.lastIndexOf("PK\x01\x02") + 24, 0xfffffff0);
        row("picture claiming 4 GB", huge, Problem::TooLarge);
        QByteArray outside = good;
        set32(outside, good.size() - 22 + 16, 0x7fffffff);
        row("directory outside the file", outside, Problem::Damaged);
        QByteArray many = good;
        qToLittleEndian(quint16(0xffff), many.data() + good.size() - 22 + 8);
        qToLittleEndian(quint16(0xffff), many.data() + good.size() - 22 + 10);
        row("65535 entries claimed", many, Problem::Damaged);
        QByteArray oversized(int(WorkFile::maxFileBytes + 1), '\0');
        oversized.replace(0, good.size(), good);
        row("over the size cap", oversized, Problem::TooLarge);

        row("manifest not JSON", archive("{\"format\": ", picture), Problem::Damaged);
        row("manifest a list", archive("[]", picture), Problem::Damaged);
        row("higher major version", withValue("version", "2.0"), Problem::NewerVersion);
        const QJsonObject later
            = changed(changed(WorkFile::manifestOf(sampleWork()), {"version"}, "1.9"),
                      {"comment", "text"}, "added later");
        row("higher minor version, unknown key", archive(QJsonDocument(later).toJson(), picture),
            Problem::None);
        row("version a number", withValue("version", 1), Problem::BadValue, "version");
        row("no format", withValue("format", QJsonValue::Undefined), Problem::BadValue, "format");
        row("threshold as text", withValue("look.threshold", "128"), Problem::BadValue,
            "look.threshold");
        row("threshold above 255", withValue("look.threshold", 256), Problem::BadValue,
            "look.threshold");
        row("unknown look", withValue("look.name", "sepia"), Problem::BadValue, "look.name");
        row("no look", withValue("look", QJsonValue::Undefined), Problem::BadValue, "look");
        row("gamma 0", withValue("tone.gamma", 0), Problem::BadValue, "tone.gamma");
        row("tone a list", withValue("tone", QJsonArray {1, 2}), Problem::BadValue, "tone");
        row("halftone cell not whole", withValue("dithering.halftoneCell", 4.5), Problem::BadValue,
            "dithering.halftoneCell");
        row("unknown method", withValue("dithering.method", "random"), Problem::BadValue,
            "dithering.method");
        row("fan as a number", withValue("engraver.fan", 1), Problem::BadValue, "engraver.fan");
        row("placed outside the area", withValue("engraver.placement.x", 80.5), Problem::BadValue,
            "engraver.placement.x");
        row("no laser power", withValue("engraver.laserPower", QJsonValue::Undefined),
            Problem::BadValue, "engraver.laserPower");
        row("picture wider than the area", withValue("picture.width", 1067), Problem::BadValue,
            "picture.width");
        row("picture not of its size", withValue("picture.width", 10), Problem::BadPicture);
        row("picture entry missing", withValue("picture.file", "other.png"), Problem::Damaged);

        // A PNG whose header claims 60000 × 60000: its CRC made right again.
        const auto bigEndian = [](quint32 value) {
            QByteArray bytes(4, '\0');
            qToBigEndian(value, bytes.data());
            return bytes;
        };
        QByteArray bomb = picture;
        bomb.replace(16, 4, bigEndian(60000));
        bomb.replace(20, 4, bigEndian(60000));
        const auto *ihdr = reinterpret_cast<const Bytef *>(bomb.constData() + 12);
        bomb.replace(29, 4, bigEndian(quint32(crc32(crc32(0, Z_NULL, 0), ihdr, 17))));
        const QByteArray manifest = QJsonDocument(WorkFile::manifestOf(sampleWork())).toJson();
        row("picture claiming 60000 x 60000", archive(manifest, bomb), Problem::BadPicture);
        row("picture a JPEG", archive(manifest, png(sampleWork().picture, "jpeg")),
            Problem::BadPicture);
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, problem);
        QFETCH(QString, detail);
        const WorkFile::ReadResult read = WorkFile::decode(bytes);
        QCOMPARE(int(read.problem), problem);
        if (problem != int(Problem::None))
            QVERIFY2(!read.detail.isEmpty(), "no detail for the log");
        if (!detail.isEmpty())
            QCOMPARE(read.detail, detail);
    }

    // Written through a save file and read back from the disk; a folder that
    // is not there gives the reason and writes nothing; a FIFO is refused
    // before it is opened, which would block.
    void files()
    {
        QTemporaryDir dir;
        const QString path = WorkFile::pathFor(dir.filePath(QStringLiteral("job")));
        QCOMPARE(path, dir.filePath(QStringLiteral("job.vandra")));
        QCOMPARE(WorkFile::pathFor(dir.filePath(QStringLiteral("a.VANDRA"))),
                 dir.filePath(QStringLiteral("a.VANDRA")));
        QCOMPARE(WorkFile::writeFile(sampleWork(), path), QString());
        const WorkFile::ReadResult read = WorkFile::readFile(path);
        QCOMPARE(int(read.problem), int(Problem::None));
        QVERIFY(read.work.picture == sampleWork().picture);

        const QString missing = dir.filePath(QStringLiteral("missing/job.vandra"));
        QVERIFY(!WorkFile::writeFile(sampleWork(), missing).isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(int(WorkFile::readFile(missing).problem), int(Problem::Unreadable));

        const QString fifo = dir.filePath(QStringLiteral("fifo.vandra"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(int(WorkFile::readFile(fifo).problem), int(Problem::Unreadable));
    }
};

QTEST_GUILESS_MAIN(TestWorkFormat)
#include "tst_workformat.moc"
