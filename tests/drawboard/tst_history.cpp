#include "tests/drawboard/canvastest.h"

#include <QMouseEvent>
#include <QUndoStack>

using CanvasTest::greyPicture;

// The editing history: every kind of edit taken back and done again to the
// exact pixels, never while a run works on the pictures, at most
// historyLimit steps, and a new one for each picture.
class TestHistory : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Strokes the way a mouse makes them.
    class Canvas : public DrawImage
    {
    public:
        void stroke(QPointF from, QPointF to)
        {
            QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, {});
            mousePressEvent(&press);
            for (int i = 1; i <= 10; ++i) {
                QMouseEvent move(QEvent::MouseMove, from + (to - from) * i / 10.0, Qt::NoButton,
                                 Qt::LeftButton, {});
                mouseMoveEvent(&move);
            }
            QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, {});
            mouseReleaseEvent(&release);
        }
    };

    static bool runAndWait(DrawImage &canvas, DrawImage::ProcessAlgorithm algorithm, double para)
    {
        QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
        canvas.process(algorithm, para);
        return changed.wait(5000);
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
        QTest::newRow("solid pen") << int(DrawImage::PenType) << int(DrawImage::Solid);
        QTest::newRow("fur pen") << int(DrawImage::PenType) << int(DrawImage::Fur);
        QTest::newRow("rubber") << int(DrawImage::RubberType) << int(DrawImage::Solid);
    }

    // A mixed history undone to the start and redone to the end, the
    // pictures and the item's size exact at every step.
    void roundTrip()
    {
        QFETCH(int, tool);
        QFETCH(int, style);
        Canvas canvas;
        canvas.setSize(QSizeF(680, 680));
        QVERIFY(loaded(canvas));
        QVERIFY(!canvas.canUndo());
        canvas.setDrawType(DrawImage::DrawType(tool));
        canvas.setPenStyle(DrawImage::PenStyle(style));

        QList<QImage> states {canvas.displayedImage()};
        const auto record = [&] {
            states << canvas.displayedImage();
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
        canvas.clear();
        record();
        QCOMPARE(canvas.history()->count(), states.size() - 1);

        for (int i = states.size() - 2; i >= 0; --i) {
            QVERIFY(canvas.canUndo());
            canvas.undo();
            QCOMPARE(canvas.displayedImage(), states[i]);
            QCOMPARE(canvas.size(), QSizeF(states[i].size()));
        }
        QVERIFY(!canvas.canUndo());
        for (int i = 1; i < states.size(); ++i) {
            canvas.redo();
            QCOMPARE(canvas.displayedImage(), states[i]);
        }
        QVERIFY(!canvas.canRedo());
        // An effect run after an undo starts from the base picture as ever.
        canvas.undo();
        canvas.undo();
        QVERIFY(runAndWait(canvas, DrawImage::Binarize, 100));
        QCOMPARE(canvas.displayedImage(), states[1]);
        QVERIFY(!canvas.canRedo());
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
