#pragma once

#include <QObject>
#include <QQmlParserStatus>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

class QSettings;

// Material presets: named sets of what a material needs, the control page's
// laser power, depth and fan and the editing page's look with its threshold,
// dithering and tone. A preset is a map of its name and these fields. The
// store keeps them as an array of groups under "materialPresets", a file
// anyone can edit, so each entry is checked when read, with the same rules
// as the live values it sets: an entry that fails any of them is left out
// whole, and nothing out of range ever reaches a slider or the engraver.
namespace PresetRules {

// The fields of a preset besides its name, in the order they are stored.
const QStringList &fields();

// Names are told apart without regard to case or the spaces around them.
constexpr int maximumNameLength = 64;
// What the store may hold; entries beyond are not read.
constexpr int maximumPresets = 100;

// The name as it is kept (trimmed), or a null text when it is no name: not
// a text, empty, or longer than maximumNameLength.
QString checkedName(const QVariant &given);

// Every field of given, converted to its type; an empty map when any is
// missing or fails its rule, with the first such field named in fault.
// Fields given beyond those of a preset are left out.
QVariantMap checkedValues(const QVariantMap &given, QString *fault = nullptr);

// The calibration a preset may hold besides its fields: "response", the
// 16 levels its grey-step card was measured as (white step first, each 0 to
// 255, as fitResponse takes them), and "tint", the bare material's colour
// ("#rrggbb"), kept only with a response. A preset without them is
// uncalibrated. Read into `into` when they pass: a response no curve fits
// is left out with its tint, a tint that is no colour alone; what was left
// out is named in fault.
void takeCalibration(const QVariantMap &given, QVariantMap &into, QString *fault = nullptr);

// Whether the fields of a and b are the same values (the numbers within
// what a slider step cannot tell apart).
bool sameValues(const QVariantMap &a, const QVariantMap &b);

// The entries that pass, names made unique (a later entry under a name
// taken is left out); stored tells whether the store holds the array at
// all, so that a list the user emptied stays empty.
QVector<QVariantMap> read(QSettings &settings, bool *stored = nullptr);
void write(QSettings &settings, const QVector<QVariantMap> &presets);

} // namespace PresetRules

// The QML face of the presets ("Zan.Desktop" 1.0, MaterialPresets): the
// list read from the store once the object is complete, or the starting
// points it was given when the store holds none, and the edits, each
// written back at once. Everything that comes in is checked as what is read.
class MaterialPresets : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    Q_PROPERTY(QStringList names READ names NOTIFY presetsChanged)
    // Offered until the user has stored a list of their own.
    Q_PROPERTY(QVariantList startingPoints MEMBER m_startingPoints)

public:
    explicit MaterialPresets(QObject *parent = nullptr);

    QStringList names() const;

    // Reads the list from the store again.
    Q_INVOKABLE void reload();
    // The preset at index, its name and fields; empty for no preset.
    Q_INVOKABLE QVariantMap preset(int index) const;
    // The preset named so, or -1.
    Q_INVOKABLE int indexOf(const QString &name) const;
    // Whether name may name a preset: a name, and no other preset's than
    // that at index except.
    Q_INVOKABLE bool nameFree(const QString &name, int except = -1) const;
    // A new preset at the end; its index, or -1 when the name is not free,
    // the values fail their check or the list is full.
    Q_INVOKABLE int create(const QString &name, const QVariantMap &values);
    // The preset at index takes the values, keeping its name.
    Q_INVOKABLE bool save(int index, const QVariantMap &values);
    Q_INVOKABLE bool rename(int index, const QString &name);
    Q_INVOKABLE bool remove(int index);
    // The preset at index takes the calibration (see takeCalibration); an
    // empty response clears it. False for no preset or a response no curve
    // fits.
    Q_INVOKABLE bool calibrate(int index, const QVariantList &response, const QString &tint);
    // Whether values differ from the preset at index (false for no preset);
    // the calibration is not one of the values compared.
    Q_INVOKABLE bool differs(int index, const QVariantMap &values) const;

    void classBegin() override { }
    void componentComplete() override;

signals:
    void presetsChanged();
    // The store could not be written: the edit holds until the program ends.
    void storeFailed();

private:
    void store();

    QVector<QVariantMap> m_presets;
    QVariantList m_startingPoints;
};
