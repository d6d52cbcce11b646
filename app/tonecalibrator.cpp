#include "app/tonecalibrator.h"

#include "engraver/jobbuffer.h"
#include "imaging/imaginglog.h"

#include <QColor>
#include <QtConcurrent>

#include <cmath>
#include <vector>

namespace {

Imaging::Algorithm lookAlgorithm(int look)
{
    switch (look) {
    case 1:
        return Imaging::GreyFilter;
    case 2:
        return Imaging::Binarize;
    default:
        return Imaging::Floyd;
    }
}

std::vector<double> levelsOf(const QVariantList &levels)
{
    std::vector<double> measured;
    for (const QVariant &level : levels) {
        bool ok = false;
        const double value = level.toDouble(&ok);
        measured.push_back(ok ? value : std::nan(""));
    }
    return measured;
}

} // namespace

ToneCalibrator::ToneCalibrator(QObject *parent)
    : QObject(parent)
    , m_loading(new Imaging::WatchedLoad(this))
{
    connect(m_loading, &Imaging::WatchedLoad::finished, this, &ToneCalibrator::photoLoaded);
    connect(m_loading, &Imaging::WatchedLoad::timedOut, this, [this] {
        setBusy(false);
        emit photoRefused(TimedOut);
    });
}

ToneCalibrator::~ToneCalibrator()
{
    // The card's run holds nothing of this object; a load that hangs is
    // left to its pool.
    m_loading->giveUp();
    if (m_cardWatcher)
        m_cardWatcher->waitForFinished();
    if (m_readWatcher)
        m_readWatcher->waitForFinished();
}

QVariantList ToneCalibrator::askedLevels() const
{
    QVariantList levels;
    for (int step = 0; step < Imaging::calibrationSteps; ++step)
        levels << Imaging::calibrationLevel(step);
    return levels;
}

bool ToneCalibrator::fits(const QVariantList &levels) const
{
    return Imaging::fitResponse(levelsOf(levels)).has_value();
}

void ToneCalibrator::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged();
}

bool ToneCalibrator::makeCard(QObject *jobBuffer, int look, double threshold, int method,
                              bool serpentine, int halftoneCell, double dotSize)
{
    auto *buffer = qobject_cast<JobBuffer *>(jobBuffer);
    if (m_busy || !buffer)
        return false;
    m_jobBuffer = buffer;
    Imaging::LookSettings settings;
    settings.dither.method = Imaging::DitherMethod(method);
    settings.dither.serpentine = serpentine;
    settings.dither.cellSize = halftoneCell;
    settings.dither.dotSize = dotSize;
    const Imaging::Algorithm algorithm = lookAlgorithm(look);
    // The preview at the size the control page shows it, as for Done.
    const QSize cardSize(int(std::lround(Imaging::Card::width / Imaging::Card::pixelMm)),
                         int(std::lround(Imaging::Card::height / Imaging::Card::pixelMm)));
    const QSize previewSize = buffer->previewSizeFor(
        QSize(Imaging::engravingSize(cardSize.width()), Imaging::engravingSize(cardSize.height())));
    setBusy(true);
    m_cardWatcher = new QFutureWatcher<Imaging::EngravingJob>(this);
    connect(m_cardWatcher, &QFutureWatcherBase::finished, this, [this] {
        Imaging::EngravingJob job = m_cardWatcher->result();
        m_cardWatcher->deleteLater();
        m_cardWatcher = nullptr;
        setBusy(false);
        if (!m_jobBuffer || !job.built)
            return;
        m_jobBuffer->publish(job.preview, std::move(job.bytes), job.xmin, job.ymin, job.xmax,
                             job.ymax, job.pictureSize);
        emit cardMade(job.xmin, job.ymin, job.xmax, job.ymax);
    });
    m_cardWatcher->setFuture(QtConcurrent::run([=] {
        Imaging::EngravingJob job;
        job.previewSize = previewSize;
        Imaging::buildEngravingJob(Imaging::calibrationCardLook(algorithm, threshold, settings),
                                   threshold, job);
        return job;
    }));
    return true;
}

bool ToneCalibrator::readPhoto(const QUrl &file)
{
    if (m_busy)
        return false;
    const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    setBusy(true);
    m_loading->start([path] { return Imaging::loadPicture(path); });
    return true;
}

void ToneCalibrator::photoLoaded(const Imaging::LoadedPicture &loaded)
{
    if (loaded.image.isNull()) {
        qCWarning(lcImaging) << "no calibration card read from" << loaded.path << loaded.error;
        setBusy(false);
        emit photoRefused(Unreadable);
        return;
    }
    m_readWatcher = new QFutureWatcher<std::optional<Imaging::CardReading>>(this);
    connect(m_readWatcher, &QFutureWatcherBase::finished, this, [this] {
        const std::optional<Imaging::CardReading> reading = m_readWatcher->result();
        m_readWatcher->deleteLater();
        m_readWatcher = nullptr;
        setBusy(false);
        if (!reading) {
            emit photoRefused(NoCard);
            return;
        }
        QVariantList levels;
        for (double level : reading->levels)
            levels << std::round(level * 10) / 10;
        emit photoRead(levels, QColor(reading->tint).name());
    });
    const QImage image = loaded.image;
    m_readWatcher->setFuture(
        QtConcurrent::run([image] { return Imaging::readCalibrationCard(image); }));
}
