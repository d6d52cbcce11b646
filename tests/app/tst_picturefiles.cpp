#include "app/picturefiles.h"
#include "drawboard/drawimage.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>
#include <QtTest>

// The ways in besides a drop, each ending in a file the canvas loads:
// the clipboard (a copied picture or a copied file) and the command line.
class TestPictureFiles : public QObject
{
    Q_OBJECT

private slots:
    void patterns()
    {
        const QStringList patterns = PictureFiles().patterns().split(QLatin1Char(' '));
        for (const char *format : {"*.png", "*.jpg", "*.jpeg", "*.bmp", "*.gif"})
            QVERIFY2(patterns.contains(QLatin1String(format)), format);
    }

    void clipboard_data()
    {
        QTest::addColumn<QString>("holds"); // "image", "png", "jpeg", "file", "text", "nothing"
        QTest::newRow("a picture copied here") << "image";
        QTest::newRow("a copied PNG") << "png";
        QTest::newRow("a copied JPEG and BMP") << "jpeg";
        QTest::newRow("a copied file") << "file";
        QTest::newRow("text") << "text";
        QTest::newRow("nothing") << "nothing";
    }

    // A copied file is loaded as a file; a copied picture goes to the
    // canvas as the clipboard holds it, and is named for saving.
    void clipboard()
    {
        QFETCH(QString, holds);
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        const auto encoded = [&picture](const char *format) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, format);
            return bytes;
        };
        const QUrl copiedFile = QUrl::fromLocalFile(QStringLiteral("/tmp/some picture.jpg"));
        auto *data = new QMimeData;
        if (holds == QLatin1String("image")) {
            data->setImageData(picture);
        } else if (holds == QLatin1String("png")) {
            data->setData(QStringLiteral("image/png"), encoded("PNG"));
        } else if (holds == QLatin1String("jpeg")) {
            data->setData(QStringLiteral("text/plain"), "a name");
            data->setData(QStringLiteral("image/jpeg"), encoded("JPEG"));
            data->setData(QStringLiteral("image/bmp"), encoded("BMP"));
        } else if (holds == QLatin1String("file")) {
            data->setUrls({QUrl(QStringLiteral("https://example.invalid/a.png")), copiedFile});
        } else if (holds == QLatin1String("text")) {
            data->setText(QStringLiteral("not a picture"));
        }
        QGuiApplication::clipboard()->setMimeData(data);

        PictureFiles files;
        DrawImage canvas;
        QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
        const bool picturePasted = files.pasteInto(&canvas);
        if (holds == QLatin1String("file")) {
            QCOMPARE(files.clipboardFile(), copiedFile);
            QVERIFY(!picturePasted);
        } else if (holds == QLatin1String("text") || holds == QLatin1String("nothing")) {
            QVERIFY(files.clipboardFile().isEmpty());
            QVERIFY(!picturePasted);
        } else {
            QVERIFY(files.clipboardFile().isEmpty());
            QVERIFY(picturePasted);
            QVERIFY(canvas.isLoading());
            QVERIFY(loaded.wait(5000));
            const QImage shown = canvas.displayedImage();
            QCOMPARE(shown.size(), picture.size());
            QVERIFY(qAbs(qRed(shown.pixel(3, 3)) - qGray(picture.pixel(3, 3))) < 4);
        }
    }

    // Saving a pasted picture writes new_pasted-<date>-<time>.png in the
    // Pictures folder, or in the home folder when there is none.
    void pastedName()
    {
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 5, 3));
        const QString name = PictureFiles::pastedName(when);
        QCOMPARE(QFileInfo(name).fileName(), QStringLiteral("pasted-20261207-090503.png"));
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QCOMPARE(QFileInfo(name).path(), QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file"); // relative to the current directory
        QTest::newRow("none") << QStringList {"0_vandra"} << QString();
        QTest::newRow("a name") << QStringList {"0_vandra", "photo.jpg"} << "photo.jpg";
        QTest::newRow("after an option")
            << QStringList {"0_vandra", "--verbose", "dir/photo 2.png"} << "dir/photo 2.png";
        QTest::newRow("a file URL")
            << QStringList {"0_vandra", "file:///tmp/x.png"} << "/tmp/x.png";
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const QUrl url = PictureFiles::fileFromArguments(arguments);
        if (file.isEmpty())
            QVERIFY(url.isEmpty());
        else
            QCOMPARE(url.toLocalFile(), QDir::current().absoluteFilePath(file));
    }
};

QTEST_MAIN(TestPictureFiles)
#include "tst_picturefiles.moc"
