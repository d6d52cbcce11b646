#pragma once

#include <QLocale>
#include <QString>
#include <QUrl>

class QQmlEngine;
class Operations;

namespace Startup {

enum class Edition {
    Selectable, // 0_vandra: the language comes from the settings store
    Japanese, // 0_vandra_jp: always Japanese
};

// The translation file the start-up loads for a stored "languages" value.
// The comparison is exact and case-sensitive; an empty result means that no
// file is loaded and the Chinese source texts are shown.
QString translationFileFor(const QString &storedLanguage, Edition edition);

// Before the user has picked a language (nothing stored), 0_vandra speaks
// the system's language where it has it, English or Japanese, and the
// Chinese source texts otherwise. Nothing is stored by it.
QString translationFileForSystem(const QLocale &system);

// Makes DrawImage known to QML as DrawBoard 1.0 in "Zan.DrawBoard".
void registerQmlTypes();

// The language a translation file (as translationFileFor gives it) shows,
// named as the settings popup lists it: "简体中文", "English" or "日本の".
QString languageOf(const QString &translationFile);

// Gives an engine what every document expects to find: the context property
// "operationEnd", the "screen" image provider (the engine takes ownership of
// it), whether the document runs in the Japanese edition, and the language
// of the translation installed ("languageInUse", as languageOf names it).
void exposeToEngine(QQmlEngine *engine, Operations *operations, Edition edition,
                    const QString &translationFile);

// The program's whole life: start-up, event loop, teardown. Returns the event
// loop's result, or 1 when the root document cannot be loaded.
int run(int argc, char **argv, Edition edition,
        const QUrl &root = QUrl(QStringLiteral("qrc:/main.qml")));

} // namespace Startup
