#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>

class JobBuffer;
class ScreenImageProvide;

// The engraver controller: finds the engraver among the serial ports, keeps
// the link, writes commands, turns replies into signals and feeds the job.
class Operations : public QObject
{
    Q_OBJECT
    // The prepared job that data requests are answered from; the editing
    // page hands it to the canvas, which publishes each new job into it.
    Q_PROPERTY(JobBuffer *jobBuffer READ jobBuffer CONSTANT)
public:
    explicit Operations(QObject *parent = nullptr);
    ~Operations() override;

    JobBuffer *jobBuffer() const { return m_jobBuffer; }

    ScreenImageProvide *imageProvider = nullptr; // owned by the QML engine once registered
    QSerialPort *serialPort = nullptr; // child of this object

    // The ports tried by connectToBelow(true), in order: those the system
    // reports, then the device paths listed, colon-separated, in the
    // environment variable VANDRA_SERIAL_PORTS (a simulated engraver, tests).
    static QStringList candidatePorts();

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

private:
    void sendChunk(int mode);
    bool tryPort(const QString &name);
    void handleReply(const QByteArray &reply);
    void closeLink();
    void portError(QSerialPort::SerialPortError error);

    JobBuffer *m_jobBuffer = nullptr; // child of this object
    bool providerForEngine = false; // made as an engine's child: the engine deletes it
    bool linkUp = false;
    quint64 linkGeneration = 0;
    bool rereadQueued = false;
    QByteArray pendingReply; // a bare "F" or "B" that ended the last read
};
