#include "engraver/jobpicture.h"

#include "imaging/tonecalibration.h"

#include <QColor>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

struct Record
{
    int x;
    int y;
    int intensity;
};

inline Record recordAt(const uchar *r)
{
    return {r[0] | (r[1] & 0xF0) << 4, (r[1] & 0x0F) << 8 | r[2], r[3]};
}

} // namespace

QImage jobPicture(const QByteArray &records)
{
    const auto *data = reinterpret_cast<const uchar *>(records.constData());
    const int count = records.size() / 4;
    int width = 0;
    int height = 0;
    for (int i = 0; i < count; ++i) {
        const Record r = recordAt(data + 4 * i);
        width = std::max(width, r.x + 1);
        height = std::max(height, r.y + 1);
    }
    QImage picture(std::max(width, 1), std::max(height, 1), QImage::Format_Grayscale8);
    picture.fill(255);
    for (int i = 0; i < count; ++i) {
        const Record r = recordAt(data + 4 * i);
        uchar &pixel = picture.scanLine(r.y)[r.x];
        // A pixel named twice shows its stronger burn, as the engraver burns it.
        pixel = std::min<int>(pixel, 255 - r.intensity);
    }
    return picture;
}

JobPictureProvider::JobPictureProvider(std::shared_ptr<const PublishedRecords> records)
    : QQuickImageProvider(QQuickImageProvider::Image,
                          QQmlImageProviderBase::ForceAsynchronousImageLoading)
    , m_records(std::move(records))
{ }

QImage jobPictureFor(const QString &id, const QByteArray &records)
{
    QImage picture = jobPicture(records);
    // "<count>/material/<tint>/<16 levels, comma-separated>": the job as
    // the measured material shows it. A part that does not read leaves the
    // plain picture.
    const QStringList parts = id.split(QLatin1Char('/'));
    if (parts.size() != 4 || parts[1] != QLatin1String("material"))
        return picture;
    const QColor tint(QLatin1Char('#') + parts[2]);
    std::vector<double> levels;
    for (const QString &part : parts[3].split(QLatin1Char(','))) {
        bool ok = false;
        levels.push_back(part.toDouble(&ok));
        if (!ok)
            return picture;
    }
    const auto response = Imaging::fitResponse(levels);
    if (!tint.isValid() || !response)
        return picture;
    return Imaging::materialView(picture, *response, tint.rgb());
}

QImage JobPictureProvider::requestImage(const QString &id, QSize *size, const QSize &)
{
    const QImage picture = jobPictureFor(id, m_records->get());
    if (size)
        *size = picture.size();
    return picture;
}
