#include "app/picturefiles.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
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
        QTest::addColumn<QString>("holds"); // "image", "file", "text", "nothing"
        QTest::newRow("a copied picture") << "image";
        QTest::newRow("a copied file") << "file";
        QTest::newRow("text") << "text";
        QTest::newRow("nothing") << "nothing";
    }

    void clipboard()
    {
        QFETCH(QString, holds);
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        const QUrl copiedFile = QUrl::fromLocalFile(QStringLiteral("/tmp/some picture.jpg"));
        auto *data = new QMimeData;
        if (holds == QLatin1String("image"))
            data->setImageData(picture);
        else if (holds == QLatin1String("file"))
            data->setUrls({QUrl(QStringLiteral("https://example.invalid/a.png")), copiedFile});
        else if (holds == QLatin1String("text"))
            data->setText(QStringLiteral("not a picture"));
        QGuiApplication::clipboard()->setMimeData(data);

        PictureFiles files;
        const QUrl url = files.clipboardPicture();
        if (holds == QLatin1String("image")) {
            QVERIFY(url.isLocalFile());
            QCOMPARE(QImage(url.toLocalFile()).convertToFormat(QImage::Format_RGB32), picture);
            // Every paste gets a file of its own.
            QVERIFY(files.clipboardPicture() != url);
        } else if (holds == QLatin1String("file")) {
            QCOMPARE(url, copiedFile);
        } else {
            QVERIFY(url.isEmpty());
        }
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
