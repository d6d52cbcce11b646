#include "engraver/operations.h"

#include "engraver/jobbuffer.h"
#include "engraver/screenimageprovide.h"

#include <QSerialPort>

Operations::Operations(QObject *parent)
    : QObject(parent)
{
    imageProvider = new ScreenImageProvide;
    serialPort = new QSerialPort(this);
    // Until the first job is published the control page is served a white square.
    QImage blank(680, 680, QImage::Format_ARGB32);
    blank.fill(QColor(255, 255, 255, 255));
    imageProvider->image = blank;
}

Operations::~Operations() = default;

void Operations::finishedLoadProcess() {}

void Operations::serialDataProcess() {}

void Operations::connectToBelow(bool en)
{
    Q_UNUSED(en);
}

void Operations::serialWriteData(QByteArray str)
{
    Q_UNUSED(str);
}

void Operations::clearIndex()
{
    resetJobPosition();
}
