#include "tests/qml/harness/setup.h"

#include "app/resources.h"
#include "app/startup.h"
#include "engraver/operations.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTranslator>

QuickTestSetup::QuickTestSetup() = default;

void QuickTestSetup::applicationAvailable()
{
    QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
    QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
    initVandraResources();
    const QString language = qEnvironmentVariable("VANDRA_TEST_LANGUAGE");
    const Startup::Edition edition
        = qEnvironmentVariable("VANDRA_TEST_EDITION") == QLatin1String("japanese")
        ? Startup::Edition::Japanese
        : Startup::Edition::Selectable;
    const QString file = Startup::translationFileFor(language, edition);
    if (!file.isEmpty()) {
        m_translator = new QTranslator(QCoreApplication::instance());
        m_translator->load(file);
        QCoreApplication::installTranslator(m_translator);
    }
    Startup::registerQmlTypes();
    QQuickStyle::setStyle(QStringLiteral("Material"));
}

void QuickTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    // One controller per engine: the engine owns and deletes its provider.
    auto *operations = new Operations(engine);
    const Startup::Edition edition
        = qEnvironmentVariable("VANDRA_TEST_EDITION") == QLatin1String("japanese")
        ? Startup::Edition::Japanese
        : Startup::Edition::Selectable;
    Startup::exposeToEngine(engine, operations, edition);
}
