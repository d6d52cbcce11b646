#include "settings/materialpresets.h"

#include "imaging/tonecalibration.h"
#include "settings/storedsettings.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSettings>

#include <cmath>
#include <utility>
#include <vector>

namespace PresetRules {

namespace {

const QString arrayName = QStringLiteral("materialPresets");
const QString nameField = QStringLiteral("name");
const QString responseField = QStringLiteral("response");
const QString tintField = QStringLiteral("tint");

// Percent, as on the control page's sliders; the fan is on or off.
const SettingsRules::Rule percentRule {SettingsRules::Kind::Number, 0, 100, 0.0};
const SettingsRules::Rule fanRule {SettingsRules::Kind::Flag, 0, 0, true};

// Each field and its rule: the look, its threshold, the dithering and the
// tone are held to the rules of the stored values they set.
const std::vector<std::pair<QString, const SettingsRules::Rule *>> &fieldRules()
{
    static const std::vector<std::pair<QString, const SettingsRules::Rule *>> rules = {
        {QStringLiteral("power"), &percentRule},
        {QStringLiteral("depth"), &percentRule},
        {QStringLiteral("fan"), &fanRule},
        {QStringLiteral("look"), SettingsRules::ruleFor(QStringLiteral("lastLook"))},
        {QStringLiteral("threshold"), SettingsRules::ruleFor(QStringLiteral("lastThreshold"))},
        {QStringLiteral("method"), SettingsRules::ruleFor(QStringLiteral("ditherMethod"))},
        {QStringLiteral("serpentine"), SettingsRules::ruleFor(QStringLiteral("ditherSerpentine"))},
        {QStringLiteral("halftoneCell"), SettingsRules::ruleFor(QStringLiteral("halftoneCell"))},
        {QStringLiteral("brightness"), SettingsRules::ruleFor(QStringLiteral("toneBrightness"))},
        {QStringLiteral("contrast"), SettingsRules::ruleFor(QStringLiteral("toneContrast"))},
        {QStringLiteral("gamma"), SettingsRules::ruleFor(QStringLiteral("toneGamma"))},
        {QStringLiteral("dotSize"), SettingsRules::ruleFor(QStringLiteral("dotSize"))},
    };
    return rules;
}

QString key(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

} // namespace

const QStringList &fields()
{
    static const QStringList names = [] {
        QStringList all;
        for (const auto &field : fieldRules())
            all << field.first;
        return all;
    }();
    return names;
}

QString checkedName(const QVariant &given)
{
    if (given.userType() != QMetaType::QString)
        return QString();
    const QString name = given.toString().trimmed();
    if (name.isEmpty() || name.size() > maximumNameLength)
        return QString();
    return name;
}

QVariantMap checkedValues(const QVariantMap &given, QString *fault)
{
    QVariantMap values;
    for (const auto &field : fieldRules()) {
        const QVariant value = SettingsRules::passes(*field.second, given.value(field.first));
        if (!value.isValid()) {
            if (fault)
                *fault = field.first;
            return QVariantMap();
        }
        values.insert(field.first, value);
    }
    return values;
}

void takeCalibration(const QVariantMap &given, QVariantMap &into, QString *fault)
{
    into.remove(responseField);
    into.remove(tintField);
    const QVariant response = given.value(responseField);
    if (!response.isValid())
        return;
    // The store keeps the levels as one text; the pages hand a list.
    QStringList parts;
    if (response.userType() == QMetaType::QString) {
        if (response.toString().trimmed().isEmpty())
            return; // an empty text: no calibration
        parts = response.toString().split(QRegularExpression(QStringLiteral("[\\s,]+")),
                                          Qt::SkipEmptyParts);
    } else if (response.canConvert<QStringList>()) {
        parts = response.toStringList();
    }
    std::vector<double> levels;
    QVariantList kept;
    for (const QString &part : qAsConst(parts)) {
        bool ok = false;
        const double level = part.trimmed().toDouble(&ok);
        levels.push_back(ok ? level : std::nan(""));
        kept << level;
    }
    if (!Imaging::fitResponse(levels)) {
        if (fault)
            *fault = responseField;
        return;
    }
    into.insert(responseField, kept);
    const QVariant tint = given.value(tintField);
    if (!tint.isValid())
        return;
    const QString text
        = tint.userType() == QMetaType::QString ? tint.toString().trimmed() : QString();
    if (!QRegularExpression(QStringLiteral("^#[0-9a-fA-F]{6}$")).match(text).hasMatch()) {
        if (fault)
            *fault = tintField;
        return;
    }
    into.insert(tintField, text.toLower());
}

bool sameValues(const QVariantMap &a, const QVariantMap &b)
{
    for (const auto &field : fieldRules()) {
        const QVariant x = a.value(field.first);
        const QVariant y = b.value(field.first);
        if (field.second->kind == SettingsRules::Kind::Flag) {
            if (x.toBool() != y.toBool())
                return false;
        } else if (std::abs(x.toDouble() - y.toDouble()) > 1e-4) {
            return false;
        }
    }
    return true;
}

QVector<QVariantMap> read(QSettings &settings, bool *stored)
{
    const bool present = settings.contains(arrayName + QStringLiteral("/size"));
    if (stored)
        *stored = present;
    QVector<QVariantMap> presets;
    if (!present)
        return presets;
    const int size = settings.beginReadArray(arrayName);
    if (size > maximumPresets)
        qCWarning(lcSettings) << "reading only the first" << maximumPresets << "of" << size
                              << "material presets";
    QStringList taken;
    for (int i = 0; i < qMin(size, maximumPresets); ++i) {
        settings.setArrayIndex(i);
        QVariantMap given;
        for (const QString &field : fields())
            given.insert(field, settings.value(field));
        const QString name = checkedName(settings.value(nameField));
        QString fault;
        QVariantMap preset = checkedValues(given, &fault);
        if (name.isNull())
            fault = nameField;
        else if (taken.contains(key(name)))
            fault = QStringLiteral("name (taken)");
        if (!fault.isEmpty()) {
            qCWarning(lcSettings) << "ignoring material preset" << i + 1
                                  << "of the settings store: its" << qPrintable(fault)
                                  << "is missing, of the wrong type or out of range";
            continue;
        }
        taken << key(name);
        preset.insert(nameField, name);
        // A calibration that does not read costs the preset only that.
        QVariantMap calibration;
        calibration.insert(responseField, settings.value(responseField));
        calibration.insert(tintField, settings.value(tintField));
        if (!settings.contains(tintField))
            calibration.remove(tintField);
        if (!settings.contains(responseField))
            calibration.remove(responseField);
        takeCalibration(calibration, preset, &fault);
        if (!fault.isEmpty())
            qCWarning(lcSettings) << "reading material preset" << i + 1 << "without its"
                                  << qPrintable(fault) << "(of the wrong type or out of range)";
        presets << preset;
    }
    settings.endArray();
    return presets;
}

void write(QSettings &settings, const QVector<QVariantMap> &presets)
{
    settings.remove(arrayName);
    settings.beginWriteArray(arrayName, presets.size());
    for (int i = 0; i < presets.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(nameField, presets[i].value(nameField));
        for (const QString &field : fields())
            settings.setValue(field, presets[i].value(field));
        const QVariantList response = presets[i].value(responseField).toList();
        if (!response.isEmpty()) {
            QStringList levels;
            for (const QVariant &level : response)
                levels << QString::number(level.toDouble(), 'g', 5);
            settings.setValue(responseField, levels.join(QLatin1Char(' ')));
            if (presets[i].contains(tintField))
                settings.setValue(tintField, presets[i].value(tintField));
        }
    }
    settings.endArray();
}

} // namespace PresetRules

MaterialPresets::MaterialPresets(QObject *parent)
    : QObject(parent)
{ }

QStringList MaterialPresets::names() const
{
    QStringList all;
    for (const QVariantMap &preset : m_presets)
        all << preset.value(QStringLiteral("name")).toString();
    return all;
}

void MaterialPresets::componentComplete()
{
    reload();
}

void MaterialPresets::reload()
{
    QSettings settings;
    bool stored = false;
    m_presets = PresetRules::read(settings, &stored);
    if (!stored) {
        // The starting points pass the same checks as what is read.
        for (const QVariant &point : qAsConst(m_startingPoints)) {
            const QVariantMap given = point.toMap();
            const QString name = PresetRules::checkedName(given.value(QStringLiteral("name")));
            QVariantMap values = PresetRules::checkedValues(given);
            if (!name.isNull() && !values.isEmpty() && indexOf(name) < 0) {
                values.insert(QStringLiteral("name"), name);
                m_presets << values;
            }
        }
    }
    emit presetsChanged();
}

QVariantMap MaterialPresets::preset(int index) const
{
    return index >= 0 && index < m_presets.size() ? m_presets[index] : QVariantMap();
}

int MaterialPresets::indexOf(const QString &name) const
{
    const QString wanted = name.trimmed().toCaseFolded();
    for (int i = 0; i < m_presets.size(); ++i) {
        if (m_presets[i].value(QStringLiteral("name")).toString().toCaseFolded() == wanted)
            return i;
    }
    return -1;
}

bool MaterialPresets::nameFree(const QString &name, int except) const
{
    if (PresetRules::checkedName(name).isNull())
        return false;
    const int holder = indexOf(name);
    return holder < 0 || holder == except;
}

int MaterialPresets::create(const QString &name, const QVariantMap &values)
{
    QVariantMap preset = PresetRules::checkedValues(values);
    if (!nameFree(name) || preset.isEmpty() || m_presets.size() >= PresetRules::maximumPresets)
        return -1;
    PresetRules::takeCalibration(values, preset);
    preset.insert(QStringLiteral("name"), PresetRules::checkedName(name));
    m_presets << preset;
    store();
    return m_presets.size() - 1;
}

bool MaterialPresets::save(int index, const QVariantMap &values)
{
    QVariantMap preset = PresetRules::checkedValues(values);
    if (index < 0 || index >= m_presets.size() || preset.isEmpty())
        return false;
    PresetRules::takeCalibration(values, preset);
    preset.insert(QStringLiteral("name"), m_presets[index].value(QStringLiteral("name")));
    m_presets[index] = preset;
    store();
    return true;
}

bool MaterialPresets::rename(int index, const QString &name)
{
    if (index < 0 || index >= m_presets.size() || !nameFree(name, index))
        return false;
    m_presets[index].insert(QStringLiteral("name"), PresetRules::checkedName(name));
    store();
    return true;
}

bool MaterialPresets::remove(int index)
{
    if (index < 0 || index >= m_presets.size())
        return false;
    m_presets.remove(index);
    store();
    return true;
}

bool MaterialPresets::calibrate(int index, const QVariantList &response, const QString &tint)
{
    if (index < 0 || index >= m_presets.size())
        return false;
    QVariantMap given;
    if (!response.isEmpty()) {
        given.insert(QStringLiteral("response"), response);
        if (!tint.isEmpty())
            given.insert(QStringLiteral("tint"), tint);
    }
    QString fault;
    QVariantMap preset = m_presets[index];
    PresetRules::takeCalibration(given, preset, &fault);
    if (!fault.isEmpty())
        return false;
    m_presets[index] = preset;
    store();
    return true;
}

bool MaterialPresets::differs(int index, const QVariantMap &values) const
{
    if (index < 0 || index >= m_presets.size())
        return false;
    return !PresetRules::sameValues(m_presets[index], values);
}

void MaterialPresets::store()
{
    emit presetsChanged();
    QSettings settings;
    PresetRules::write(settings, m_presets);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcSettings) << "could not write the material presets to" << settings.fileName();
        emit storeFailed();
    }
}
