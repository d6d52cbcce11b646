#pragma once

#include "engraver/replies.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QtGlobal>

#include <atomic>

// The prepared engraving job: the preview the control page shows, the byte
// stream of 4-byte records that goes to the engraver, the bounding box of the
// burned pixels and the send position in the stream.
//
// One buffer belongs to the engraver controller, which hands it to the canvas.
// It lives in the GUI thread and is only ever touched there: a SaveByte run
// builds its job on a pool thread in memory of its own, and the canvas
// publishes the finished job here in one step when the run is reported.
//
// The engraver link answers data requests on a thread of its own, from a
// shared copy of the bytes handed over whenever the job or its send position
// starts over (sendingRestarted). The one thing that thread writes here is the
// send position, through followLink: the position carries the number of the
// hand-over it belongs to, so a position of a job replaced meanwhile, or from
// before a rewind, is never taken.
class JobBuffer : public QObject
{
    Q_OBJECT
    // For the control page: the job's size in bytes and how far it has been
    // sent (the page reads both, for the time left and to tell a job sent
    // whole from one stopped half way).
    Q_PROPERTY(int size READ size NOTIFY changed)
    Q_PROPERTY(int sent READ sent NOTIFY changed)
    // The size of the job's whole picture in engraving pixels: the page
    // sizes the picture on its engraving area by it (the preview itself is
    // only as large as the page shows it).
    Q_PROPERTY(int pictureWidth READ pictureWidth NOTIFY changed)
    Q_PROPERTY(int pictureHeight READ pictureHeight NOTIFY changed)
    // Screen pixels per engraving pixel at which the control page shows the
    // job, set by the page; previews are made at that scale (at most 1, the
    // job's own size). The true-size view draws from the records instead.
    Q_PROPERTY(
        double previewScale READ previewScale WRITE setPreviewScale NOTIFY previewScaleChanged)
public:
    explicit JobBuffer(QObject *parent = nullptr);

    const QImage &preview() const { return m_preview; }
    const QByteArray &bytes() const { return m_bytes; }
    quint16 xmin() const { return m_xmin; }
    quint16 ymin() const { return m_ymin; }
    quint16 xmax() const { return m_xmax; }
    quint16 ymax() const { return m_ymax; }
    // Offset of the first byte not yet sent.
    quint32 position() const { return quint32(m_cursor.load()); }
    int size() const { return m_bytes.size(); }
    int sent() const { return int(position()); }
    // Counts the times the job or its send position started over.
    quint32 sendEpoch() const { return quint32(m_cursor.load() >> 32); }
    // Any thread: the link has sent up to position of the job as handed over
    // at epoch. Ignored (false) once the job or its position has started over
    // since. Emits nothing: the link announces its progress in batches
    // through announceSent, on the buffer's thread.
    bool followLink(quint32 epoch, quint32 position);
    void announceSent() { emit changed(); }
    int pictureWidth() const { return m_pictureSize.width(); }
    int pictureHeight() const { return m_pictureSize.height(); }
    double previewScale() const { return m_previewScale; }
    void setPreviewScale(double scale);
    // The size of the preview to make for a picture of this many engraving
    // pixels: scaled by previewScale, rounded up, at least one pixel.
    QSize previewSizeFor(const QSize &pictureSize) const
    {
        return scaledPreviewSize(pictureSize, m_previewScale);
    }
    static QSize scaledPreviewSize(const QSize &pictureSize, double previewScale);

    // Replaces the whole job at once: the preview and the picture's size
    // (both kept when the preview is null; the size is the preview's own
    // when not given), the records and the bounds (each stored modulo
    // 65536); sending starts again at the first byte. The records the
    // buffer held until now are kept for takeSpareBytes.
    void publish(const QImage &preview, QByteArray bytes, int xmin, int ymin, int xmax, int ymax,
                 const QSize &pictureSize = QSize());
    // The memory of the job published before the current one, for the next
    // job to write its records into (empty when there is none, or when it
    // was too large to keep). The buffer keeps no hold on it.
    QByteArray takeSpareBytes();

    void setJobPreview(const QImage &image);
    void appendJobBytes(const QByteArray &data);
    // Empties the stream and sends from its start again.
    void clearJobBytes();
    void setJobBounds(int xmin, int ymin, int xmax, int ymax);
    // Sends the same stream again from its first byte.
    void resetJobPosition();
    // Sends the same stream again from position (at most its end): a job
    // taken up again after the program stopped in the middle of it.
    void startFrom(quint32 position);

    // Answers a data request (mode 1) or a resend request (mode 2): what to
    // send, with the position moved past it. The chunk handed over last is
    // remembered until the engraver's next request shows that it arrived.
    Protocol::ChunkPlan takeChunk(int mode);
    // The link went down: the chunk handed over last may never have reached
    // the engraver, so the next request starts with it again. Its records
    // carry their own positions, so a repeat burns the same pixels once more
    // instead of leaving a gap.
    void rewindUnconfirmedChunk();

signals:
    void changed();
    void previewScaleChanged();
    // The bytes, or the position sending starts from, changed by a call of
    // the buffer's own (publish, a reset), not by sending.
    void sendingRestarted();

private:
    void setPosition(quint32 position);
    // A new hand-over number, with the position given.
    void restartAt(quint32 position);

    QImage m_preview {680, 680, QImage::Format_ARGB32};
    QSize m_pictureSize {680, 680};
    double m_previewScale = 1;
    QByteArray m_bytes;
    QByteArray m_spareBytes;
    quint16 m_xmin = 0;
    quint16 m_ymin = 0;
    quint16 m_xmax = 0;
    quint16 m_ymax = 0;
    // The hand-over number in the upper 32 bits, the send position in the lower.
    std::atomic<quint64> m_cursor {0};
    // Start of the chunk handed to the engraver and not yet followed by a
    // request; -1 when there is none.
    qint64 m_unconfirmedStart = -1;
};
