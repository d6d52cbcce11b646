#include "app/startup.h"

#include "app/picturefiles.h"
#include "app/resources.h"
#include "app/sleepinhibitor.h"
#include "app/tonecalibrator.h"
#include "app/workfiles.h"
#include "drawboard/drawimage.h"
#include "engraver/commands.h"
#include "engraver/jobcopies.h"
#include "engraver/jobpicture.h"
#include "engraver/jobrun.h"
#include "engraver/jobstate.h"
#include "engraver/jobtimer.h"
#include "engraver/operations.h"
#include "engraver/screenimageprovide.h"
#include "engraver/testcard.h"
#include "settings/materialpresets.h"
#include "settings/storedsettings.h"

#include <QDebug>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickStyle>
#include <QSettings>
#include <QTranslator>
#include <QtQml>

Q_LOGGING_CATEGORY(lcStartup, "vandra.startup")

namespace Startup {

namespace {
// The one engraver controller. It is never destroyed: it lives until the
// process ends. Keeping it in a global also tells leak checkers that it is
// still reachable on purpose.
Operations *theOperations = nullptr;
} // namespace

QString translationFileFor(const QString &storedLanguage, Edition edition)
{
    if (edition == Edition::Japanese)
        return QStringLiteral(":/0_vandra_JP.qm");

    struct Choice
    {
        const char *stored;
        const char *file;
    };
    // Compared in this order, exactly; the first match wins.
    static const Choice choices[] = {
        {"简体中文", nullptr},
        {"English", ":/0_vandra_EN.qm"},
        {"日本の", ":/0_vandra_JP.qm"},
    };
    for (const Choice &choice : choices) {
        if (storedLanguage == QString::fromUtf8(choice.stored))
            return choice.file ? QString::fromLatin1(choice.file) : QString();
    }
    return QString();
}

QString translationFileForSystem(const QLocale &system)
{
    switch (system.language()) {
    case QLocale::English:
        return QStringLiteral(":/0_vandra_EN.qm");
    case QLocale::Japanese:
        return QStringLiteral(":/0_vandra_JP.qm");
    default:
        return QString();
    }
}

void registerQmlTypes()
{
    qmlRegisterType<DrawImage>("Zan.DrawBoard", 1, 0, "DrawBoard");
    // The pages read status replies and build commands through the same
    // code as the controller and its tests.
    qmlRegisterSingletonType<EngraverProtocol>("Zan.Engraver", 1, 0, "EngraverProtocol",
                                               &EngraverProtocol::create);
    // The control page's job state and its clock for the time left, and
    // the desktop kept awake while a job runs.
    qmlRegisterType<JobState>("Zan.Engraver", 1, 0, "JobState");
    qmlRegisterType<JobTimer>("Zan.Engraver", 1, 0, "JobTimer");
    // Copies in a grid and the touch-up of the job burned last.
    qmlRegisterType<JobLayout>("Zan.Engraver", 1, 0, "JobLayout");
    qmlRegisterType<JobRun>("Zan.Engraver", 1, 0, "JobRun");
    qmlRegisterType<TestCard>("Zan.Engraver", 1, 0, "TestCard");
    qmlRegisterType<SleepInhibitor>("Zan.Desktop", 1, 0, "SleepInhibitor");
    qmlRegisterSingletonType<PictureFiles>("Zan.Desktop", 1, 0, "PictureFiles",
                                           &PictureFiles::create);
    qmlRegisterSingletonType<WorkFiles>("Zan.Desktop", 1, 0, "WorkFiles", &WorkFiles::create);
    // Every stored value is read through its check, in C++ and QML alike.
    qmlRegisterSingletonType<StoredSettings>("Zan.Desktop", 1, 0, "StoredSettings",
                                             &StoredSettings::create);
    qmlRegisterType<MaterialPresets>("Zan.Desktop", 1, 0, "MaterialPresets");
    qmlRegisterType<ToneCalibrator>("Zan.Desktop", 1, 0, "ToneCalibrator");
}

QString languageOf(const QString &translationFile)
{
    if (translationFile == QLatin1String(":/0_vandra_EN.qm"))
        return QStringLiteral("English");
    if (translationFile == QLatin1String(":/0_vandra_JP.qm"))
        return QStringLiteral("日本の");
    return QStringLiteral("简体中文");
}

void exposeToEngine(QQmlEngine *engine, Operations *operations, Edition edition,
                    const QString &translationFile)
{
    engine->rootContext()->setContextProperty(QStringLiteral("operationEnd"), operations);
    engine->rootContext()->setContextProperty(QStringLiteral("japaneseEdition"),
                                              edition == Edition::Japanese);
    // The settings popup shows the language on screen, which without a
    // stored choice follows the system's.
    engine->rootContext()->setContextProperty(QStringLiteral("languageInUse"),
                                              languageOf(translationFile));
    engine->addImageProvider(QStringLiteral("screen"), operations->imageProvider());
    // The true-size view of the published job, drawn when asked for.
    engine->addImageProvider(QStringLiteral("job"),
                             new JobPictureProvider(operations->publishedRecords()));
}

int run(int argc, char **argv, Edition edition, const QUrl &root)
{
    initVandraResources();

    // Names first, so that every settings object made later, here or in a
    // document, opens the same store in both editions.
    QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
    QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);

    QGuiApplication app(argc, argv);
    // Qt has taken its own options out: what is left may name a picture to
    // open (a file manager's "open with").
    PictureFiles::setStartupFile(PictureFiles::fileFromArguments(app.arguments()));

    QTranslator translator;
    QSettings settings;
    // A value that is no text counts as no choice made.
    const QVariant storedValue = StoredSettings::read(settings, QStringLiteral("languages"));
    const QString stored = storedValue.toString();
    const QString file = storedValue.isValid() || edition == Edition::Japanese
        ? translationFileFor(stored, edition)
        : translationFileForSystem(QLocale::system());
    if (!file.isEmpty())
        translator.load(file);
    // Installed in every case: an empty translator changes nothing.
    app.installTranslator(&translator);
    qDebug() << "language" << stored;

    registerQmlTypes();
    theOperations = new Operations;
    QQuickStyle::setStyle(QStringLiteral("Material"));

    QQmlApplicationEngine engine;
    exposeToEngine(&engine, theOperations, edition, file);
    engine.load(root);
    if (engine.rootObjects().isEmpty()) {
        // The engine has already printed why; running an event loop without
        // a window would leave an invisible process behind.
        qCCritical(lcStartup).noquote()
            << "0_vandra: cannot load" << root.toString() << "- exiting";
        return 1;
    }

    return app.exec();
    // Teardown runs in reverse order of declaration: the engine (with the
    // window, every QML object and the "screen" provider), the settings, the
    // translator, the application object.
}

} // namespace Startup
