#include "workfile/workformat.h"

#include "drawboard/canvashistory.h"
#include "imaging/pictureexport.h"
#include "imaging/pictureloader.h"
#include "settings/storedsettings.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointF>
#include <QRegularExpression>
#include <QSaveFile>
#include <QVector>
#include <QtEndian>

#include <zlib.h>

#include <cmath>
#include <iterator>

namespace WorkFile {

namespace {

const char manifestName[] = "manifest.json";
const char pictureName[] = "picture.png";
const char formatName[] = "vandra-work";

// The zip records this file uses (APPNOTE 6.3), little-endian throughout.
constexpr quint32 localSignature = 0x04034b50;
constexpr quint32 centralSignature = 0x02014b50;
constexpr quint32 endSignature = 0x06054b50;
constexpr int localSize = 30;
constexpr int centralSize = 46;
constexpr int endSize = 22;
constexpr quint16 stored = 0;
constexpr quint16 deflated = 8;
// 1980-01-01 00:00 in DOS form: the same work gives the same bytes.
constexpr quint16 dosDate = (1 << 5) | 1;

const char *const lookNames[] = {"grey", "black-and-white", "dithered"};
const Imaging::Algorithm looks[] = {Imaging::GreyFilter, Imaging::Binarize, Imaging::Floyd};
// In the order of Imaging::DitherMethod.
const char *const methodNames[] = {
    "floyd-steinberg", "atkinson", "jarvis-judice-ninke", "stucki", "sierra", "bayer", "halftone"};

void put16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

quint16 get16(const QByteArray &in, qint64 at)
{
    return qFromLittleEndian<quint16>(in.constData() + at);
}

quint32 get32(const QByteArray &in, qint64 at)
{
    return qFromLittleEndian<quint32>(in.constData() + at);
}

quint32 crcOf(const QByteArray &data)
{
    const uLong start = crc32(0L, Z_NULL, 0);
    return quint32(
        crc32(start, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
}

} // namespace

QByteArray zipStored(const QList<QPair<QByteArray, QByteArray>> &entries)
{
    QByteArray out;
    QByteArray directory;
    for (const auto &entry : entries) {
        const QByteArray &name = entry.first;
        const QByteArray &data = entry.second;
        const quint32 crc = crcOf(data);
        const auto size = quint32(data.size());
        const auto offset = quint32(out.size());
        const auto header = [&](QByteArray &to, bool central) {
            put32(to, central ? centralSignature : localSignature);
            if (central)
                put16(to, 0x031e); // made by: Unix, zip 3.0
            put16(to, 10); // needed: 1.0, stored entries only
            put16(to, 0); // flags
            put16(to, stored);
            put16(to, 0); // time
            put16(to, dosDate);
            put32(to, crc);
            put32(to, size);
            put32(to, size);
            put16(to, quint16(name.size()));
            put16(to, 0); // extra field
        };
        header(out, false);
        out.append(name);
        out.append(data);
        header(directory, true);
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, quint32(0100644) << 16); // a plain file, rw-r--r--
        put32(directory, offset);
        directory.append(name);
    }
    const auto directoryOffset = quint32(out.size());
    out.append(directory);
    put32(out, endSignature);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0); // comment
    return out;
}

namespace {

struct ZipEntry
{
    QByteArray name;
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
    quint32 packedSize = 0;
    quint32 size = 0;
    quint32 localOffset = 0;
};

ReadResult failure(Problem problem, const QString &detail)
{
    ReadResult result;
    result.problem = problem;
    result.detail = detail;
    return result;
}

// The archive's central directory, every offset and size in it checked
// against the bytes there are.
ReadResult directoryOf(const QByteArray &bytes, QVector<ZipEntry> *entries)
{
    const qint64 total = bytes.size();
    // The end record sits last, before a comment of at most 65535 bytes.
    qint64 end = -1;
    for (qint64 at = total - endSize; at >= 0 && at >= total - endSize - 0xffff; --at) {
        if (get32(bytes, at) == endSignature && at + endSize + get16(bytes, at + 20) == total) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return failure(Problem::Damaged, QStringLiteral("no end of the zip directory"));
    const quint16 count = get16(bytes, end + 10);
    const qint64 directorySize = get32(bytes, end + 12);
    const qint64 directoryOffset = get32(bytes, end + 16);
    if (get16(bytes, end + 4) != 0 || get16(bytes, end + 6) != 0 || get16(bytes, end + 8) != count)
        return failure(Problem::Damaged, QStringLiteral("a zip split over several disks"));
    if (count > maxEntries)
        return failure(Problem::Damaged, QStringLiteral("%1 entries").arg(count));
    if (directoryOffset + directorySize > end)
        return failure(Problem::Damaged, QStringLiteral("the zip directory lies outside the file"));
    qint64 at = directoryOffset;
    const qint64 directoryEnd = directoryOffset + directorySize;
    for (int i = 0; i < count; ++i) {
        if (at + centralSize > directoryEnd || get32(bytes, at) != centralSignature)
            return failure(Problem::Damaged, QStringLiteral("zip directory entry %1").arg(i));
        ZipEntry entry;
        entry.flags = get16(bytes, at + 8);
        entry.method = get16(bytes, at + 10);
        entry.crc = get32(bytes, at + 16);
        entry.packedSize = get32(bytes, at + 20);
        entry.size = get32(bytes, at + 24);
        const int nameLength = get16(bytes, at + 28);
        const qint64 next
            = at + centralSize + nameLength + get16(bytes, at + 30) + get16(bytes, at + 32);
        entry.localOffset = get32(bytes, at + 42);
        if (next > directoryEnd)
            return failure(Problem::Damaged, QStringLiteral("zip directory entry %1").arg(i));
        entry.name = bytes.mid(at + centralSize, nameLength);
        entries->append(entry);
        at = next;
    }
    return {};
}

// An entry's bytes, at most `limit` of them, checked against its CRC.
ReadResult contentOf(const QByteArray &bytes, const ZipEntry &entry, qint64 limit,
                     QByteArray *content)
{
    const QString name = QString::fromUtf8(entry.name);
    const qint64 local = entry.localOffset;
    if (local + localSize > bytes.size() || get32(bytes, local) != localSignature)
        return failure(Problem::Damaged, name + QStringLiteral(": no local header"));
    // Bit 0: encrypted; bit 3: sizes after the data, which the directory
    // gives anyway, so it is allowed.
    if (entry.flags & 0x1)
        return failure(Problem::Damaged, name + QStringLiteral(": encrypted"));
    if (entry.size > limit)
        return failure(Problem::TooLarge, name + QStringLiteral(": %1 bytes").arg(entry.size));
    const qint64 start = local + localSize + get16(bytes, local + 26) + get16(bytes, local + 28);
    if (start + qint64(entry.packedSize) > bytes.size())
        return failure(Problem::Damaged, name + QStringLiteral(": cut short"));
    if (entry.method == stored) {
        if (entry.packedSize != entry.size)
            return failure(Problem::Damaged, name + QStringLiteral(": sizes differ"));
        *content = bytes.mid(start, entry.size);
    } else if (entry.method == deflated) {
        // A tool that packed the archive again may have compressed it: the
        // output never grows past the size the directory gives.
        content->resize(int(entry.size));
        z_stream stream {};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return failure(Problem::Damaged, name + QStringLiteral(": cannot inflate"));
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData() + start));
        stream.avail_in = entry.packedSize;
        stream.next_out = reinterpret_cast<Bytef *>(content->data());
        stream.avail_out = entry.size;
        const int status = inflate(&stream, Z_FINISH);
        const bool whole = status == Z_STREAM_END && stream.total_out == entry.size;
        inflateEnd(&stream);
        if (!whole)
            return failure(Problem::Damaged, name + QStringLiteral(": does not inflate"));
    } else {
        return failure(Problem::Damaged,
                       name + QStringLiteral(": compression method %1").arg(entry.method));
    }
    if (crcOf(*content) != entry.crc)
        return failure(Problem::Damaged, name + QStringLiteral(": wrong CRC"));
    return {};
}

// Reads the manifest's values, each checked for its type and its range.
// The first value refused is remembered by its path ("look.threshold"),
// and from then on every read gives its fallback.
class Fields
{
public:
    QString refused;

    // A member object; an empty one when absent and not required.
    QJsonObject object(const QJsonObject &in, const QString &key, const QString &path,
                       bool required, bool *present = nullptr)
    {
        const QJsonValue value = in.value(key);
        if (present)
            *present = value.isObject();
        if (value.isObject())
            return value.toObject();
        if (required || !value.isUndefined())
            refuse(path);
        return {};
    }

    double number(const QJsonObject &in, const QString &key, const QString &path, double low,
                  double high, double fallback, bool required = false, bool whole = false)
    {
        const QJsonValue value = in.value(key);
        if (value.isUndefined() && !required)
            return fallback;
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || !(number >= low && number <= high)
            || (whole && number != std::floor(number))) {
            refuse(path);
            return fallback;
        }
        return number;
    }

    // An entry's name: a text of 1 to 255 characters.
    QString name(const QJsonObject &in, const QString &key, const QString &path)
    {
        const QString text = in.value(key).toString();
        if (text.isEmpty() || text.size() > 255)
            refuse(path);
        return text;
    }

    bool flag(const QJsonObject &in, const QString &key, const QString &path, bool fallback,
              bool required = false)
    {
        const QJsonValue value = in.value(key);
        if (value.isUndefined() && !required)
            return fallback;
        if (!value.isBool()) {
            refuse(path);
            return fallback;
        }
        return value.toBool();
    }

    // The index of the name in `names`, or -1 (refused).
    int choice(const QJsonObject &in, const QString &key, const QString &path,
               const char *const *names, int count, int fallback, bool required = false)
    {
        const QJsonValue value = in.value(key);
        if (value.isUndefined() && !required)
            return fallback;
        for (int i = 0; i < count && value.isString(); ++i) {
            if (value.toString() == QLatin1String(names[i]))
                return i;
        }
        refuse(path);
        return fallback;
    }

    // A number within the range of the settings store's key of the same
    // value: a work file holds what the tone panel could set.
    double setting(const QJsonObject &in, const QString &key, const QString &path,
                   const char *settingsKey)
    {
        const SettingsRules::Rule *rule = SettingsRules::ruleFor(QLatin1String(settingsKey));
        return number(in, key, path, rule->minimum, rule->maximum, rule->fallback.toDouble(), false,
                      rule->kind == SettingsRules::Kind::Whole);
    }

private:
    void refuse(const QString &path)
    {
        if (refused.isEmpty())
            refused = path;
    }
};

QByteArray pngOf(const QImage &picture)
{
    // A grey picture (every picture the canvas keeps, unless drawn on in
    // colour) takes a byte a pixel, a quarter of the work to compress.
    QImage written = HistoryPacking::greyLevels(picture);
    if (written.isNull())
        written = picture.convertToFormat(QImage::Format_ARGB32);
    written.setDotsPerMeterX(Imaging::exportDotsPerMetre);
    written.setDotsPerMeterY(Imaging::exportDotsPerMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(written))
        return QByteArray();
    return bytes;
}

} // namespace

QJsonObject manifestOf(const Work &work)
{
    const Imaging::LookSettings &settings = work.settings;
    QJsonObject manifest {
        {QStringLiteral("format"), QLatin1String(formatName)},
        {QStringLiteral("version"), QStringLiteral("%1.%2").arg(formatMajor).arg(formatMinor)},
        {QStringLiteral("picture"),
         QJsonObject {{QStringLiteral("file"), QLatin1String(pictureName)},
                      {QStringLiteral("width"), work.picture.width()},
                      {QStringLiteral("height"), work.picture.height()}}},
        {QStringLiteral("look"),
         QJsonObject {{QStringLiteral("name"), lookName(work.look)},
                      {QStringLiteral("threshold"), work.threshold}}},
        {QStringLiteral("tone"),
         QJsonObject {{QStringLiteral("brightness"), settings.tone.brightness},
                      {QStringLiteral("contrast"), settings.tone.contrast},
                      {QStringLiteral("gamma"), settings.tone.gamma}}},
        {QStringLiteral("dithering"),
         QJsonObject {{QStringLiteral("method"), methodName(settings.dither.method)},
                      {QStringLiteral("serpentine"), settings.dither.serpentine},
                      {QStringLiteral("halftoneCell"), settings.dither.cellSize},
                      {QStringLiteral("dotSize"), settings.dither.dotSize}}},
    };
    if (work.engraver) {
        const Engraver &engraver = *work.engraver;
        QJsonObject part {{QStringLiteral("laserPower"), engraver.laserPower},
                          {QStringLiteral("depth"), engraver.depth},
                          {QStringLiteral("fan"), engraver.fan}};
        if (engraver.placementMm)
            part.insert(QStringLiteral("placement"),
                        QJsonObject {{QStringLiteral("x"), engraver.placementMm->x()},
                                     {QStringLiteral("y"), engraver.placementMm->y()}});
        manifest.insert(QStringLiteral("engraver"), part);
    }
    return manifest;
}

namespace {

// The manifest's values into `result`; the picture's size and file name
// into the others.
void readManifest(const QJsonObject &manifest, ReadResult &result, QSize *pictureSize,
                  QString *pictureFile)
{
    Fields fields;
    Work &work = result.work;
    const QJsonObject picture
        = fields.object(manifest, QStringLiteral("picture"), QStringLiteral("picture"), true);
    *pictureFile = fields.name(picture, QStringLiteral("file"), QStringLiteral("picture.file"));
    pictureSize->setWidth(
        int(fields.number(picture, QStringLiteral("width"), QStringLiteral("picture.width"), 1,
                          maxPictureSide, 1, true, true)));
    pictureSize->setHeight(
        int(fields.number(picture, QStringLiteral("height"), QStringLiteral("picture.height"), 1,
                          maxPictureSide, 1, true, true)));

    const QJsonObject look
        = fields.object(manifest, QStringLiteral("look"), QStringLiteral("look"), true);
    work.look = looks[fields.choice(look, QStringLiteral("name"), QStringLiteral("look.name"),
                                    lookNames, 3, 1, true)];
    work.threshold = fields.number(look, QStringLiteral("threshold"),
                                   QStringLiteral("look.threshold"), 0, 255, 128, true);

    Imaging::LookSettings &settings = work.settings;
    const QJsonObject tone
        = fields.object(manifest, QStringLiteral("tone"), QStringLiteral("tone"), false);
    settings.tone.brightness = fields.setting(tone, QStringLiteral("brightness"),
                                              QStringLiteral("tone.brightness"), "toneBrightness");
    settings.tone.contrast = fields.setting(tone, QStringLiteral("contrast"),
                                            QStringLiteral("tone.contrast"), "toneContrast");
    settings.tone.gamma
        = fields.setting(tone, QStringLiteral("gamma"), QStringLiteral("tone.gamma"), "toneGamma");

    const QJsonObject dither
        = fields.object(manifest, QStringLiteral("dithering"), QStringLiteral("dithering"), false);
    settings.dither.method = Imaging::DitherMethod(
        fields.choice(dither, QStringLiteral("method"), QStringLiteral("dithering.method"),
                      methodNames, int(std::size(methodNames)), 0));
    settings.dither.serpentine = fields.flag(dither, QStringLiteral("serpentine"),
                                             QStringLiteral("dithering.serpentine"), false);
    settings.dither.cellSize
        = int(fields.setting(dither, QStringLiteral("halftoneCell"),
                             QStringLiteral("dithering.halftoneCell"), "halftoneCell"));
    settings.dither.dotSize = fields.setting(dither, QStringLiteral("dotSize"),
                                             QStringLiteral("dithering.dotSize"), "dotSize");

    bool hasEngraver = false;
    const QJsonObject part = fields.object(manifest, QStringLiteral("engraver"),
                                           QStringLiteral("engraver"), false, &hasEngraver);
    if (hasEngraver) {
        Engraver engraver;
        engraver.laserPower = fields.number(part, QStringLiteral("laserPower"),
                                            QStringLiteral("engraver.laserPower"), 0, 100, 0, true);
        engraver.depth = fields.number(part, QStringLiteral("depth"),
                                       QStringLiteral("engraver.depth"), 0, 100, 0, true);
        engraver.fan
            = fields.flag(part, QStringLiteral("fan"), QStringLiteral("engraver.fan"), false, true);
        bool placed = false;
        const QJsonObject placement
            = fields.object(part, QStringLiteral("placement"), QStringLiteral("engraver.placement"),
                            false, &placed);
        if (placed)
            engraver.placementMm = QPointF(
                fields.number(placement, QStringLiteral("x"),
                              QStringLiteral("engraver.placement.x"), 0, areaMillimetres, 0, true),
                fields.number(placement, QStringLiteral("y"),
                              QStringLiteral("engraver.placement.y"), 0, areaMillimetres, 0, true));
        work.engraver = engraver;
    }
    if (!fields.refused.isEmpty()) {
        result.problem = Problem::BadValue;
        result.detail = fields.refused;
    }
}

// Decodes the picture with the loader's checks: a PNG, whose decoded pixels
// stay within the loader's cap, of the size the manifest gives.
ReadResult readPicture(QByteArray png, const QSize &size, QImage *picture)
{
    QBuffer buffer(&png);
    buffer.open(QIODevice::ReadOnly);
    if (Imaging::pictureFormat(&buffer) != "png")
        return failure(Problem::BadPicture, QStringLiteral("not a PNG"));
    const qint64 cost = Imaging::decodeCost(&buffer, false);
    if (cost < 0 || cost > Imaging::maxDecodedBytes)
        return failure(Problem::BadPicture,
                       QStringLiteral("decoding would take %1 bytes").arg(cost));
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    if (reader.size() != size)
        return failure(Problem::BadPicture, QStringLiteral("not of the size the manifest gives"));
    const QImage decoded = reader.read();
    if (decoded.isNull())
        return failure(Problem::BadPicture, reader.errorString());
    *picture = decoded.convertToFormat(QImage::Format_ARGB32);
    return {};
}

} // namespace

QString lookName(Imaging::Algorithm look)
{
    for (int i = 0; i < 3; ++i) {
        if (looks[i] == look)
            return QLatin1String(lookNames[i]);
    }
    return QLatin1String(lookNames[1]);
}

QString methodName(Imaging::DitherMethod method)
{
    const int index = int(method);
    return QLatin1String(
        methodNames[index >= 0 && index < int(std::size(methodNames)) ? index : 0]);
}

QByteArray encode(const Work &work)
{
    const QByteArray png = pngOf(work.picture);
    if (png.isEmpty())
        return QByteArray();
    return zipStored(
        {{"mimetype", QByteArray(mimeType)},
         {manifestName, QJsonDocument(manifestOf(work)).toJson(QJsonDocument::Indented)},
         {pictureName, png}});
}

ReadResult decode(const QByteArray &bytes)
{
    if (bytes.size() > maxFileBytes)
        return failure(Problem::TooLarge, QStringLiteral("%1 bytes").arg(bytes.size()));
    if (!bytes.startsWith("PK\x03\x04"))
        return failure(Problem::NotWorkFile, QStringLiteral("not a zip archive"));
    QVector<ZipEntry> entries;
    ReadResult result = directoryOf(bytes, &entries);
    if (result.problem != Problem::None)
        return result;
    const auto find = [&entries](const QString &name) -> const ZipEntry * {
        for (const ZipEntry &entry : qAsConst(entries)) {
            if (QString::fromUtf8(entry.name) == name)
                return &entry;
        }
        return nullptr;
    };

    // What the file says it is, before anything else of it is believed.
    const ZipEntry *typeEntry = find(QStringLiteral("mimetype"));
    QByteArray type;
    if (!typeEntry || typeEntry->size > 255)
        return failure(Problem::NotWorkFile, QStringLiteral("no work file type"));
    result = contentOf(bytes, *typeEntry, 255, &type);
    if (result.problem != Problem::None)
        return result;
    if (type != mimeType)
        return failure(Problem::NotWorkFile,
                       QStringLiteral("of type %1").arg(QString::fromUtf8(type)));

    const ZipEntry *manifestEntry = find(QLatin1String(manifestName));
    if (!manifestEntry)
        return failure(Problem::Damaged, QStringLiteral("no manifest"));
    QByteArray text;
    result = contentOf(bytes, *manifestEntry, maxManifestBytes, &text);
    if (result.problem != Problem::None)
        return result;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (!document.isObject())
        return failure(Problem::Damaged, QStringLiteral("manifest: ") + error.errorString());
    const QJsonObject manifest = document.object();
    if (manifest.value(QStringLiteral("format")) != QLatin1String(formatName))
        return failure(Problem::BadValue, QStringLiteral("format"));
    // The version first: a later major version may mean anything by the rest.
    static const QRegularExpression versionPattern(QStringLiteral("^(\\d{1,6})\\.(\\d{1,6})$"));
    const QRegularExpressionMatch version
        = versionPattern.match(manifest.value(QStringLiteral("version")).toString());
    if (!version.hasMatch() || version.captured(1).toInt() < 1)
        return failure(Problem::BadValue, QStringLiteral("version"));
    if (version.captured(1).toInt() > formatMajor)
        return failure(Problem::NewerVersion, version.captured(0));

    QSize size;
    QString file;
    readManifest(manifest, result, &size, &file);
    if (result.problem != Problem::None)
        return result;
    const ZipEntry *pictureEntry = find(file);
    if (!pictureEntry)
        return failure(Problem::Damaged, QStringLiteral("no picture %1").arg(file));
    QByteArray png;
    ReadResult read = contentOf(bytes, *pictureEntry, maxFileBytes, &png);
    if (read.problem != Problem::None)
        return read;
    read = readPicture(png, size, &result.work.picture);
    if (read.problem != Problem::None)
        return read;
    return result;
}

QString writeFile(const Work &work, const QString &path)
{
    const QByteArray bytes = encode(work);
    if (bytes.isEmpty())
        return QStringLiteral("the picture cannot be encoded");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

ReadResult readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return failure(Problem::Unreadable,
                       info.exists() ? QStringLiteral("not a regular file")
                                     : QStringLiteral("no such file"));
    if (info.size() > maxFileBytes)
        return failure(Problem::TooLarge, QStringLiteral("%1 bytes").arg(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(Problem::Unreadable, file.errorString());
    // One byte more than allowed tells a file that grew meanwhile.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(Problem::Unreadable, file.errorString());
    return decode(bytes);
}

QString pathFor(const QString &chosen)
{
    if (chosen.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
        return chosen;
    return chosen + QLatin1String(suffix);
}

} // namespace WorkFile
