#pragma once

#include <QImage>
#include <QQuickPaintedItem>

// The canvas on which the user prepares a picture for engraving.
class DrawImage : public QQuickPaintedItem
{
    Q_OBJECT
public:
    enum PenStyle { Solid = 0, Fur = 1, Net = 2, RandomCircle = 3 };
    Q_ENUM(PenStyle)
    enum DrawType { PenType = 0, RubberType = 1, TextType = 2 };
    Q_ENUM(DrawType)
    enum ProcessAlgorithm {
        Grey = 0,
        Rotate,
        HMirror,
        VMirror,
        Negative,
        Binarize,
        Floyd,
        GreyFilter,
        SaveByte,
        AlgorithmCount
    };
    Q_ENUM(ProcessAlgorithm)

    explicit DrawImage(QQuickItem *parent = nullptr);
    ~DrawImage() override;

    Q_INVOKABLE void init();

protected:
    void paint(QPainter *painter) override;

private:
    QImage m_workingImage;
};
