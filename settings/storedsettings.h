#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QStringList>
#include <QVariant>

// Warnings about what the settings store holds.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

class QJSEngine;
class QQmlEngine;
class QSettings;

// What the settings store may hold under each key, and the check every
// stored value passes when it is read. The store is a plain file that other
// builds of the program share and that anyone can edit, so what comes back
// may be of another type (the native format on Linux gives every value back
// as text), out of range, not a number or huge; such a value gives way to
// its key's default, and the program never works with it.
namespace SettingsRules {

enum class Kind {
    Flag, // true or false
    Whole, // a whole number from minimum to maximum
    Number, // a finite number from minimum to maximum
    Text, // any text of at most maximum characters
    FolderUrl, // empty, or the file URL of a folder: at most maximum characters
    PaceMap, // "jobPace": depth in percent (0 to 100) to bytes a second,
             // each pace from minimum to maximum
};

struct Rule
{
    Kind kind;
    double minimum;
    double maximum;
    // The value used when the store holds none, or none that passes.
    // Invalid for "languages": no choice made.
    QVariant fallback;
};

// The rule for key; null for a key the program does not store.
const Rule *ruleFor(const QString &key);
// Every key the program stores.
QStringList keys();

// The value to use for what the store holds under key: the stored value,
// converted to the key's type, when it passes; the key's default when it
// is absent or fails. A pace map keeps the entries that pass. refused, when
// given, tells whether something present was turned down. A key the
// program does not store gives an invalid value.
QVariant checked(const QString &key, const QVariant &stored, bool *refused = nullptr);

// The stored value converted to the rule's type when it passes the rule; an
// invalid value when it does not (no default stands in). For values kept
// elsewhere than under a key of their own, such as a material preset's.
QVariant passes(const Rule &rule, const QVariant &stored);

} // namespace SettingsRules

// The QML face of the rules, a singleton ("Zan.Desktop" 1.0,
// StoredSettings): the documents read each stored value through checked()
// before anything uses it, and take their sliders' ranges from the same
// rules. A value turned down is named in a warning (vandra.startup).
class StoredSettings : public QObject
{
    Q_OBJECT

public:
    explicit StoredSettings(QObject *parent = nullptr);

    static QObject *create(QQmlEngine *engine, QJSEngine *scriptEngine);

    Q_INVOKABLE QVariant checked(const QString &key, const QVariant &stored) const;
    // The range of a Whole or Number key (of the pace for "jobPace").
    Q_INVOKABLE double minimum(const QString &key) const;
    Q_INVOKABLE double maximum(const QString &key) const;

    // What settings holds under key, checked; for the C++ readers.
    static QVariant read(const QSettings &settings, const QString &key);
};
