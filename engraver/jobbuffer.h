#pragma once

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

// The one prepared engraving job of the process: written by the canvas (the
// preview, GUI thread) and by the SaveByte run (the byte stream and bounds,
// a pool thread), read by the engraver controller (GUI thread). It has no
// lock: the pages read the job only after SaveByte has finished and start
// SaveByte only while no job is running.
struct JobBuffer
{
    QImage preview {680, 680, QImage::Format_ARGB32};
    QByteArray bytes;
    quint16 xmin = 0;
    quint16 ymin = 0;
    quint16 xmax = 0;
    quint16 ymax = 0;
    quint32 position = 0; // offset of the first byte not yet sent
};

extern JobBuffer jobBuffer;

void setJobPreview(const QImage &image);
void appendJobBytes(const QByteArray &data);
void clearJobBytes();
// Each bound is stored modulo 65536.
void setJobBounds(int xmin, int ymin, int xmax, int ymax);
void resetJobPosition();
