#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;
class ScreenImageProvide;

// The engraver controller: finds the engraver among the serial ports, keeps
// the link, writes commands, turns replies into signals and feeds the job.
class Operations : public QObject
{
    Q_OBJECT
public:
    explicit Operations(QObject *parent = nullptr);
    ~Operations() override;

    ScreenImageProvide *imageProvider = nullptr; // owned by the QML engine once registered
    QSerialPort *serialPort = nullptr;           // child of this object

signals:
    void finishedLoad(int xmin, int ymin, int xmax, int ymax);
    void toFrontStatus(QString cmd);
    void includeBackStatus(int type);
    void completePecent(double pecent);

public slots:
    void finishedLoadProcess();
    void serialDataProcess();

public:
    Q_INVOKABLE void connectToBelow(bool en);
    Q_INVOKABLE void serialWriteData(QByteArray str);
    Q_INVOKABLE void clearIndex();
};
