#pragma once

#include "imaging/engravingjob.h"
#include "imaging/pictureloader.h"
#include "imaging/tonecalibration.h"
#include "imaging/watchedload.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantList>

#include <optional>

class JobBuffer;

// The grey-step card of the tone calibration panel ("Zan.Desktop" 1.0,
// ToneCalibrator): makes the card as the look chosen burns it and publishes
// it as the prepared job, and reads a photo or scan of the burned card.
// Both are done off the GUI thread; one thing at a time.
class ToneCalibrator : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    // How long reading a photo may take, in ms, before it is given up.
    Q_PROPERTY(int timeout READ timeout WRITE setTimeout)

public:
    // Why a photo gave no levels.
    enum PhotoProblem {
        Unreadable, // no picture could be read from the file
        NoCard, // no card's frame found in it
        TimedOut,
    };
    Q_ENUM(PhotoProblem)

    explicit ToneCalibrator(QObject *parent = nullptr);
    ~ToneCalibrator() override;

    int timeout() const { return m_loading->timeout(); }
    void setTimeout(int ms) { m_loading->setTimeout(ms); }

    bool busy() const { return m_busy; }

    // The levels the steps ask for, white step first.
    Q_INVOKABLE QVariantList askedLevels() const;
    // Whether a response can be fitted to the levels (see fitResponse).
    Q_INVOKABLE bool fits(const QVariantList &levels) const;

    // Makes the card in the look (1 grey, 2 black and white, 3 dithered)
    // at its threshold, with the dithering given, and publishes it into
    // the buffer; cardMade follows. False, and nothing made, while busy or
    // without a buffer.
    Q_INVOKABLE bool makeCard(QObject *jobBuffer, int look, double threshold, int method,
                              bool serpentine, int halftoneCell, double dotSize);
    // Reads the card's steps from a photo or scan; photoRead or
    // photoRefused follows. False while busy.
    Q_INVOKABLE bool readPhoto(const QUrl &file);

signals:
    void busyChanged();
    // The card is the prepared job now; its burned bounds, as the
    // controller reports a published job.
    void cardMade(int xmin, int ymin, int xmax, int ymax);
    // The 16 levels measured (0 to 255, white step first) and the
    // material's colour ("#rrggbb").
    void photoRead(const QVariantList &levels, const QString &tint);
    void photoRefused(int problem);

private:
    void setBusy(bool busy);
    void photoLoaded(const Imaging::LoadedPicture &loaded);

    bool m_busy = false;
    QPointer<JobBuffer> m_jobBuffer;
    QFutureWatcher<Imaging::EngravingJob> *m_cardWatcher = nullptr;
    Imaging::WatchedLoad *m_loading = nullptr;
    QFutureWatcher<std::optional<Imaging::CardReading>> *m_readWatcher = nullptr;
};
