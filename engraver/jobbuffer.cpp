#include "engraver/jobbuffer.h"

JobBuffer jobBuffer;

void setJobPreview(const QImage &image)
{
    jobBuffer.preview = image;
}

void appendJobBytes(const QByteArray &data)
{
    jobBuffer.bytes.append(data);
}

void clearJobBytes()
{
    jobBuffer.bytes.clear();
    jobBuffer.position = 0;
}

void setJobBounds(int xmin, int ymin, int xmax, int ymax)
{
    jobBuffer.xmin = static_cast<quint16>(xmin);
    jobBuffer.ymin = static_cast<quint16>(ymin);
    jobBuffer.xmax = static_cast<quint16>(xmax);
    jobBuffer.ymax = static_cast<quint16>(ymax);
}

void resetJobPosition()
{
    jobBuffer.position = 0;
}
