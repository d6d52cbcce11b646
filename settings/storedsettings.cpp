#include "settings/storedsettings.h"

#include "imaging/dithering.h"

#include <QDir>
#include <QJSValue>
#include <QLoggingCategory>
#include <QMutex>
#include <QQmlEngine>
#include <QSet>
#include <QSettings>
#include <QUrl>

#include <cmath>
#include <vector>

Q_LOGGING_CATEGORY(lcSettings, "vandra.settings")

namespace SettingsRules {

namespace {

struct Entry
{
    const char *key;
    Rule rule;
};

const std::vector<Entry> &table()
{
    static const std::vector<Entry> entries = {
        // The start-up compares the text with its three languages, the
        // settings popup without regard to case; no choice made is absent.
        {"languages", {Kind::Text, 0, 64, QVariant()}},
        {"coordinateChecked", {Kind::Flag, 0, 0, true}},
        {"completeShadyChecked", {Kind::Flag, 0, 0, true}},
        // Non-zero is on: the control page stores 1 or 0, and starts with
        // the fan on when nothing is stored.
        {"fanValue", {Kind::Whole, 0, 1000, 10}},
        // An index into the settings popup's six low-power times.
        {"shutTime", {Kind::Whole, 0, 5, 0}},
        {"lastFolder", {Kind::FolderUrl, 0, 8192, QString()}},
        // The tone panel's sliders run over these ranges.
        {"toneBrightness", {Kind::Number, -100, 100, 0.0}},
        {"toneContrast", {Kind::Number, -100, 100, 0.0}},
        {"toneGamma", {Kind::Number, 0.2, 5, 1.0}},
        {"ditherMethod",
         {Kind::Whole, int(Imaging::DitherMethod::Floyd), int(Imaging::DitherMethod::Halftone),
          int(Imaging::DitherMethod::Floyd)}},
        {"ditherSerpentine", {Kind::Flag, 0, 0, false}},
        // In engraving pixels.
        {"halftoneCell", {Kind::Whole, 4, 16, 6}},
        {"dotSize", {Kind::Number, 1, 4, 1.0}},
        // The look a new picture gets (1 grey, 2 black and white, 3
        // dithered) and its threshold: the last the user chose.
        {"lastLook", {Kind::Whole, 1, 3, 2}},
        {"lastThreshold", {Kind::Whole, 0, 255, 128}},
        // Bytes a second: the serial link carries at most about 11500, and a
        // pace below one would make a job of 10 MB last for months.
        {"jobPace", {Kind::PaceMap, 1, 1e6, QVariantMap()}},
        // The control page's copies: columns and rows of the grid, and the
        // gap between them in millimetres (the engraving area is 80 mm).
        {"copyColumns", {Kind::Whole, 1, 99, 1}},
        {"copyRows", {Kind::Whole, 1, 99, 1}},
        {"copyGap", {Kind::Number, 0, 80, 0.0}},
        // How many times the control page burns a job in a row.
        {"passes", {Kind::Whole, 1, 20, 1}},
    };
    return entries;
}

// A number as stored: a number type, or its text (the native format on Linux
// gives numbers back as text). A flag is no number, nor is what is not finite.
bool asNumber(const QVariant &stored, double *number)
{
    switch (stored.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Float:
    case QMetaType::Double:
        *number = stored.toDouble();
        break;
    case QMetaType::QString: {
        bool ok = false;
        *number = stored.toString().toDouble(&ok);
        if (!ok)
            return false;
        break;
    }
    default:
        return false;
    }
    return std::isfinite(*number);
}

bool within(double number, const Rule &rule)
{
    return number >= rule.minimum && number <= rule.maximum;
}

// The value the rule lets through, or an invalid one.
QVariant passed(const Rule &rule, const QVariant &stored)
{
    const int type = stored.userType();
    double number = 0;
    switch (rule.kind) {
    case Kind::Flag:
        if (type == QMetaType::Bool)
            return stored.toBool();
        if (type == QMetaType::QString) {
            const QString text = stored.toString().trimmed().toLower();
            if (text == QLatin1String("true") || text == QLatin1String("false"))
                return text == QLatin1String("true");
        }
        return QVariant();
    case Kind::Whole:
        if (asNumber(stored, &number) && within(number, rule) && number == std::floor(number))
            return int(number);
        return QVariant();
    case Kind::Number:
        if (asNumber(stored, &number) && within(number, rule))
            return number;
        return QVariant();
    case Kind::Text:
        if (type == QMetaType::QString && stored.toString().size() <= rule.maximum)
            return stored.toString();
        return QVariant();
    case Kind::FolderUrl: {
        if (type != QMetaType::QString && type != QMetaType::QUrl)
            return QVariant();
        const QString text = stored.toString();
        if (text.isEmpty())
            return text;
        const QUrl url(text, QUrl::StrictMode);
        if (text.size() <= rule.maximum && url.isValid() && url.isLocalFile()
            && QDir::isAbsolutePath(url.toLocalFile()))
            return text;
        return QVariant();
    }
    case Kind::PaceMap:
        // Whole maps are checked by entry in checked().
        return QVariant();
    }
    return QVariant();
}

// The entries of a stored pace map that pass; refused when any does not.
QVariantMap passedPaces(const Rule &rule, const QVariant &stored, bool *refused)
{
    const int type = stored.userType();
    if (type != QMetaType::QVariantMap && type != QMetaType::QVariantHash) {
        *refused = true;
        return QVariantMap();
    }
    QVariantMap paces;
    const QVariantMap entries = stored.toMap();
    for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
        bool whole = false;
        const int depth = entry.key().toInt(&whole);
        double pace = 0;
        // The depth as the clock writes it: "40", never "040" or " 40".
        if (whole && depth >= 0 && depth <= 100 && QString::number(depth) == entry.key()
            && asNumber(entry.value(), &pace) && within(pace, rule))
            paces.insert(entry.key(), pace);
        else
            *refused = true;
    }
    return paces;
}

} // namespace

const Rule *ruleFor(const QString &key)
{
    for (const Entry &entry : table()) {
        if (key == QLatin1String(entry.key))
            return &entry.rule;
    }
    return nullptr;
}

QStringList keys()
{
    QStringList names;
    for (const Entry &entry : table())
        names << QString::fromLatin1(entry.key);
    return names;
}

namespace {

// A document's Settings object stores a script value as it is (a map or a
// list as QJSValue), until the file is next read.
QVariant plain(const QVariant &given)
{
    return given.userType() == qMetaTypeId<QJSValue>() ? given.value<QJSValue>().toVariant()
                                                       : given;
}

} // namespace

QVariant passes(const Rule &rule, const QVariant &given)
{
    return rule.kind == Kind::PaceMap ? QVariant() : passed(rule, plain(given));
}

QVariant checked(const QString &key, const QVariant &given, bool *refused)
{
    const QVariant stored = plain(given);
    bool turnedDown = false;
    QVariant value;
    if (const Rule *rule = ruleFor(key)) {
        // QML hands over an absent value as undefined or null.
        const bool absent = !stored.isValid() || stored.userType() == QMetaType::Nullptr;
        if (absent)
            value = rule->fallback;
        else if (rule->kind == Kind::PaceMap)
            value = passedPaces(*rule, stored, &turnedDown);
        else
            value = passed(*rule, stored);
        if (!absent && !value.isValid()) {
            turnedDown = true;
            value = rule->fallback;
        }
    }
    if (refused)
        *refused = turnedDown;
    return value;
}

} // namespace SettingsRules

namespace {

// Some keys are read again and again (the pace at each change of depth): a
// bad value is worth one warning.
bool firstRefusal(const QString &key)
{
    static QMutex mutex;
    static QSet<QString> warned;
    const QMutexLocker lock(&mutex);
    if (warned.contains(key))
        return false;
    warned.insert(key);
    return true;
}

QVariant checkedWithWarning(const QString &key, const QVariant &stored)
{
    if (!SettingsRules::ruleFor(key)) {
        qCWarning(lcSettings) << "no stored setting is named" << key;
        return QVariant();
    }
    bool refused = false;
    const QVariant value = SettingsRules::checked(key, stored, &refused);
    if (refused && firstRefusal(key)) {
        if (value.isValid())
            qCWarning(lcSettings) << "ignoring what the settings store holds under" << key
                                  << "(of the wrong type or out of range); using" << value;
        else
            qCWarning(lcSettings) << "ignoring what the settings store holds under" << key
                                  << "(of the wrong type or out of range)";
    }
    return value;
}

} // namespace

StoredSettings::StoredSettings(QObject *parent)
    : QObject(parent)
{ }

QObject *StoredSettings::create(QQmlEngine *engine, QJSEngine *)
{
    return new StoredSettings(engine);
}

QVariant StoredSettings::checked(const QString &key, const QVariant &stored) const
{
    return checkedWithWarning(key, stored);
}

double StoredSettings::minimum(const QString &key) const
{
    const SettingsRules::Rule *rule = SettingsRules::ruleFor(key);
    return rule ? rule->minimum : 0;
}

double StoredSettings::maximum(const QString &key) const
{
    const SettingsRules::Rule *rule = SettingsRules::ruleFor(key);
    return rule ? rule->maximum : 0;
}

QVariant StoredSettings::read(const QSettings &settings, const QString &key)
{
    return checkedWithWarning(key, settings.value(key));
}
