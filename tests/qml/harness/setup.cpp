#include "tests/qml/harness/setup.h"

#include "app/resources.h"
#include "app/startup.h"
#include "engraver/operations.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTranslator>

static Startup::Edition testEdition()
{
    return qEnvironmentVariable("VANDRA_TEST_EDITION") == QLatin1String("japanese")
        ? Startup::Edition::Japanese
        : Startup::Edition::Selectable;
}

void QuickTestSetup::applicationAvailable()
{
    QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
    QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
    initVandraResources();
    const QString file
        = Startup::translationFileFor(qEnvironmentVariable("VANDRA_TEST_LANGUAGE"), testEdition());
    if (!file.isEmpty()) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        translator->load(file);
        QCoreApplication::installTranslator(translator);
    }
    Startup::registerQmlTypes();
    QQuickStyle::setStyle(QStringLiteral("Material"));
}

void QuickTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    // One controller per engine: the engine owns and deletes its provider.
    m_operations = new Operations(engine);
    Startup::exposeToEngine(
        engine, m_operations, testEdition(),
        Startup::translationFileFor(qEnvironmentVariable("VANDRA_TEST_LANGUAGE"), testEdition()));
}
