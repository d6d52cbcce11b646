#include "app/commandline.h"

#include "engraver/commands.h"
#include "engraver/jobbuffer.h"
#include "engraver/jobrun.h"
#include "engraver/operations.h"
#include "engraver/replies.h"
#include "imaging/algorithms.h"
#include "imaging/engravingjob.h"
#include "imaging/looks.h"
#include "imaging/pictureloader.h"
#include "workfile/workformat.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

namespace CommandLine {

namespace {

constexpr int areaPixels = 1600;

// Set by Ctrl+C or a polite kill; the event loop looks at it.
volatile std::sig_atomic_t stopSignalled = 0;

void onStopSignal(int)
{
    stopSignalled = 1;
}

struct Maker
{
    std::function<bool(const QString &)> accepts;
    JobMaker make;
};

std::vector<Maker> &makers()
{
    static std::vector<Maker> registered;
    return registered;
}

void say(const QString &text)
{
    std::fprintf(stderr, "0_vandra: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

bool wholeIn(const QString &text, int low, int high, int *value)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

bool numberIn(const QString &text, double low, double high, double *value)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= low && v <= high))
        return false;
    *value = v;
    return true;
}

} // namespace

bool wanted(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (!std::strcmp(a, "--engrave") || !std::strncmp(a, "--engrave=", 10)
            || !std::strcmp(a, "--resume") || !std::strcmp(a, "--help") || !std::strcmp(a, "-h"))
            return true;
    }
    return false;
}

int defaultThreshold(Look look)
{
    switch (look) {
    case Look::Grey:
        return 255;
    case Look::Floyd:
        return 120;
    case Look::Binarize:
        break;
    }
    return 128;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: 0_vandra [picture]\n"
        "       0_vandra --engrave FILE [--look grey|binarize|floyd] [--threshold N]\n"
        "                [--power P] [--depth D] [--passes N] [--port DEVICE]\n"
        "       0_vandra --resume [--port DEVICE]\n"
        "\n"
        "Without options the window opens, with the picture named if any.\n"
        "\n"
        "--engrave FILE    burn FILE without a window: the picture is loaded, made\n"
        "                  grey and given its look as on the editing page, placed in\n"
        "                  the middle of the engraving area, and burned. A work file\n"
        "                  (.vandra) burns with its own look, threshold, tone,\n"
        "                  placement, power and depth, unless the options below\n"
        "                  name others.\n"
        "--look LOOK       grey, binarize (black and white, the default) or floyd\n"
        "                  (dithered).\n"
        "--threshold N     the look's threshold, 0 to 255 (grey 255, black and white\n"
        "                  128, dithered 120 unless given).\n"
        "--power P         laser power in percent, 0 to 100 (default: as the engraver\n"
        "                  has it).\n"
        "--depth D         engraving depth in percent, 0 to 100 (default: as the\n"
        "                  engraver has it).\n"
        "--passes N        burn the job N times in a row at the same place, 1 to 20.\n"
        "--port DEVICE     the engraver's serial device; without it the program\n"
        "                  searches as the connect button does.\n"
        "--resume          continue the job that was cut short when the program or\n"
        "                  the computer stopped, from the chunk after the last one\n"
        "                  the engraver confirmed, at the same place.\n"
        "--help            this text.\n"
        "\n"
        "Ctrl+C (or SIGTERM) stops the engraver and exits with status 4; a job\n"
        "stopped so is not resumed.\n"
        "\n"
        "Progress is written to standard error. Exit status:\n"
        "  0  the engraver reported the end of the job (of every pass)\n"
        "  1  the command line could not be understood\n"
        "  2  the picture cannot be read or burns nothing, or there is no job to\n"
        "     resume\n"
        "  3  no engraver was found\n"
        "  4  the link was lost or the engraver stopped the job; --resume continues\n"
        "     a job cut short\n");
}

bool parse(const QStringList &arguments, Options *options, QString *error)
{
    Options o;
    const auto valueOf = [&arguments, error](int *i, const QString &name, QString *value) {
        const QString &a = arguments.at(*i);
        if (a.startsWith(name + QLatin1Char('='))) {
            *value = a.mid(name.size() + 1);
            return true;
        }
        if (*i + 1 >= arguments.size()) {
            *error = name + QStringLiteral(" needs a value");
            return false;
        }
        *value = arguments.at(++*i);
        return true;
    };
    const auto is = [](const QString &a, const char *name) {
        return a == QLatin1String(name) || a.startsWith(QLatin1String(name) + QLatin1Char('='));
    };
    bool lookGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString a = arguments.at(i);
        QString v;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--resume")) {
            o.resume = true;
        } else if (is(a, "--engrave")) {
            if (!valueOf(&i, QStringLiteral("--engrave"), &v))
                return false;
            o.engrave = true;
            o.path = v;
        } else if (is(a, "--look")) {
            if (!valueOf(&i, QStringLiteral("--look"), &v))
                return false;
            lookGiven = true;
            o.lookGiven = true;
            if (v == QLatin1String("grey"))
                o.look = Look::Grey;
            else if (v == QLatin1String("binarize"))
                o.look = Look::Binarize;
            else if (v == QLatin1String("floyd"))
                o.look = Look::Floyd;
            else {
                *error = QStringLiteral("--look takes grey, binarize or floyd, not \"%1\"").arg(v);
                return false;
            }
        } else if (is(a, "--threshold")) {
            if (!valueOf(&i, QStringLiteral("--threshold"), &v))
                return false;
            if (!wholeIn(v, 0, 255, &o.threshold)) {
                *error = QStringLiteral("--threshold takes a whole number from 0 to 255");
                return false;
            }
        } else if (is(a, "--power")) {
            if (!valueOf(&i, QStringLiteral("--power"), &v))
                return false;
            if (!numberIn(v, 0, 100, &o.power)) {
                *error = QStringLiteral("--power takes a percentage from 0 to 100");
                return false;
            }
        } else if (is(a, "--depth")) {
            if (!valueOf(&i, QStringLiteral("--depth"), &v))
                return false;
            if (!numberIn(v, 0, 100, &o.depth)) {
                *error = QStringLiteral("--depth takes a percentage from 0 to 100");
                return false;
            }
        } else if (is(a, "--passes")) {
            if (!valueOf(&i, QStringLiteral("--passes"), &v))
                return false;
            if (!wholeIn(v, 1, JobRun::maxPasses, &o.passes)) {
                *error = QStringLiteral("--passes takes a whole number from 1 to 20");
                return false;
            }
        } else if (is(a, "--port")) {
            if (!valueOf(&i, QStringLiteral("--port"), &v))
                return false;
            if (v.isEmpty()) {
                *error = QStringLiteral("--port needs a device");
                return false;
            }
            o.port = v;
        } else {
            *error = QStringLiteral("unknown argument \"%1\"").arg(a);
            return false;
        }
    }
    if (o.help) {
        *options = o;
        return true;
    }
    if (o.engrave == o.resume) {
        *error = QStringLiteral("give either --engrave FILE or --resume");
        return false;
    }
    if (o.resume
        && (lookGiven || o.threshold >= 0 || o.power >= 0 || o.depth >= 0 || o.passes != 1)) {
        *error = QStringLiteral("--resume continues the job as it was: only --port goes with it");
        return false;
    }
    *options = o;
    return true;
}

void addJobMaker(std::function<bool(const QString &)> accepts, JobMaker maker)
{
    makers().push_back({std::move(accepts), std::move(maker)});
}

PreparedJob prepareJob(const QString &path, const Options &options)
{
    for (const Maker &maker : makers()) {
        if (maker.accepts(path))
            return maker.make(path, options);
    }
    if (path.endsWith(QLatin1String(WorkFile::suffix), Qt::CaseInsensitive))
        return workJob(path, options);
    return pictureJob(path, options);
}

PreparedJob workJob(const QString &path, const Options &options)
{
    PreparedJob job;
    const WorkFile::ReadResult read = WorkFile::readFile(path);
    if (read.problem != WorkFile::Problem::None) {
        job.error = QStringLiteral("cannot read the work file %1: %2").arg(path, read.detail);
        return job;
    }
    const WorkFile::Work &work = read.work;
    Imaging::Algorithm look = work.look;
    if (options.lookGiven) {
        look = options.look == Look::Grey ? Imaging::GreyFilter
            : options.look == Look::Floyd ? Imaging::Floyd
                                          : Imaging::Binarize;
    }
    const int threshold = options.threshold >= 0 ? options.threshold
        : options.lookGiven                      ? defaultThreshold(options.look)
                                                 : qRound(work.threshold);
    // The picture kept is the edited grey one the looks start from.
    const QImage picture = Imaging::lookImage(work.picture, look, threshold, work.settings);
    const Imaging::EngravingJob built = Imaging::engravingJob(picture, threshold);
    if (!built.built || built.bytes.isEmpty()) {
        job.error = QStringLiteral("%1 burns nothing at threshold %2").arg(path).arg(threshold);
        return job;
    }
    job.records = built.bytes;
    job.mode = look == Imaging::GreyFilter ? 1 : 2;
    job.xmin = built.xmin;
    job.ymin = built.ymin;
    job.xmax = built.xmax;
    job.ymax = built.ymax;
    job.pictureSize = built.pictureSize;
    if (work.engraver) {
        job.power = work.engraver->laserPower;
        job.depth = work.engraver->depth;
        if (work.engraver->placementMm)
            job.start = *work.engraver->placementMm / WorkFile::areaMillimetres * areaPixels;
    }
    return job;
}

PreparedJob pictureJob(const QString &path, const Options &options)
{
    PreparedJob job;
    const Imaging::LoadedPicture loaded = Imaging::loadPicture(path);
    if (loaded.image.isNull()) {
        job.error = QStringLiteral("cannot read the picture %1: %2").arg(path, loaded.error);
        return job;
    }
    if (loaded.incomplete)
        say(QStringLiteral("%1 ends early: only its readable part is burned").arg(path));
    // As the editing page: grey first, then the look from the grey picture,
    // then the records at the look's threshold.
    const QImage grey = Imaging::greyImage(loaded.image);
    const Imaging::Algorithm look = options.look == Look::Grey ? Imaging::GreyFilter
        : options.look == Look::Floyd                          ? Imaging::Floyd
                                                               : Imaging::Binarize;
    const int threshold
        = options.threshold >= 0 ? options.threshold : defaultThreshold(options.look);
    const QImage picture = Imaging::lookImage(grey, look, threshold, Imaging::LookSettings());
    const Imaging::EngravingJob built = Imaging::engravingJob(picture, threshold);
    if (!built.built || built.bytes.isEmpty()) {
        job.error = QStringLiteral("%1 burns nothing at threshold %2").arg(path).arg(threshold);
        return job;
    }
    job.records = built.bytes;
    job.mode = options.look == Look::Grey ? 1 : 2;
    job.xmin = built.xmin;
    job.ymin = built.ymin;
    job.xmax = built.xmax;
    job.ymax = built.ymax;
    job.pictureSize = built.pictureSize;
    return job;
}

namespace {

// Follows one run on the engraver to its end, telling its progress.
class Engraving : public QObject
{
public:
    Engraving(const Options &options, Operations *operations, JobRun *run)
        : m_options(options)
        , m_operations(operations)
        , m_run(run)
    {
        connect(operations, &Operations::searchFinished, this, [this](bool found) {
            if (!found && !m_linked)
                finish(NoEngraver,
                       m_options.port.isEmpty()
                           ? QStringLiteral("no engraver found; check its cable and power")
                           : QStringLiteral("no engraver answers on %1").arg(m_options.port));
        });
        connect(operations, &Operations::includeBackStatus, this, [this](int type) {
            if (type == 10)
                linkUp();
            else if (type == 11 && m_linked)
                finish(Interrupted,
                       QStringLiteral("the link to the engraver was lost; 0_vandra --resume "
                                      "continues the job"));
        });
        connect(operations, &Operations::toFrontStatus, this, &Engraving::status);
        connect(operations, &Operations::completePecent, this, &Engraving::progress);
        connect(operations, &Operations::dataRequestOverdueChanged, this, [this] {
            if (m_operations->dataRequestOverdue())
                say(QStringLiteral("the engraver has asked for no data for a while"));
        });
        connect(operations, &Operations::linkClosed, this,
                [this] { QCoreApplication::exit(m_exit); });
    }

    // Ctrl+C (or SIGTERM) is the user's stop: the laser must not go on
    // burning after the program is gone. A second one leaves at once.
    void watchSignals()
    {
        std::signal(SIGINT, onStopSignal);
        std::signal(SIGTERM, onStopSignal);
        connect(&m_signalWatch, &QTimer::timeout, this, [this] {
            if (!stopSignalled)
                return;
            stopSignalled = 0;
            if (m_stopping || !m_linked || !m_run->active()) {
                finish(Interrupted, QStringLiteral("stopped"));
                return;
            }
            m_stopping = true;
            say(QStringLiteral("stopping the engraver"));
            m_run->stopAsked();
            send(EngraverCommand::stop);
            // An engraver that does not answer must not keep us.
            QTimer::singleShot(3000, this, [this] {
                finish(Interrupted, QStringLiteral("the engraver did not report the stop"));
            });
        });
        m_signalWatch.start(100);
    }

    void begin()
    {
        watchSignals();
        say(m_options.port.isEmpty() ? QStringLiteral("looking for the engraver")
                                     : QStringLiteral("connecting to %1").arg(m_options.port));
        m_operations->connectToBelow(true);
    }

private:
    void send(const QByteArray &command) { m_operations->serialWriteData(command); }

    void linkUp()
    {
        if (m_linked)
            return;
        m_linked = true;
        say(QStringLiteral("engraver found on %1").arg(m_operations->portName()));
        if (m_options.resume) {
            m_run->continueJob();
            send(EngraverCommand::stop);
            return;
        }
        if (m_options.power >= 0)
            send(EngraverCommand::laserPower(m_options.power / 100));
        if (m_options.depth >= 0)
            send(EngraverCommand::depth(m_options.depth / 100));
        const JobBuffer *buffer = m_operations->jobBuffer();
        const double x = m_start ? m_start->x() : (areaPixels - buffer->pictureWidth()) / 2.0;
        const double y = m_start ? m_start->y() : (areaPixels - buffer->pictureHeight()) / 2.0;
        m_operations->clearIndex();
        send(EngraverCommand::start(x, y, m_mode));
        m_run->started(x, y, m_mode);
    }

    void status(const QString &text)
    {
        switch (Protocol::statusNumber(text)) {
        case EngraverProtocol::Started:
            if (!m_told) {
                m_told = true;
                m_clock.start();
                say(m_run->passes() > 1 ? QStringLiteral("engraving, pass %1 of %2")
                                              .arg(m_run->pass())
                                              .arg(m_run->passes())
                                        : QStringLiteral("engraving"));
            }
            break;
        case EngraverProtocol::Stopped:
            stopped();
            break;
        default:
            break;
        }
    }

    void stopped()
    {
        const JobBuffer *buffer = m_operations->jobBuffer();
        const bool whole = buffer->size() > 0 && buffer->sent() >= buffer->size();
        switch (m_run->stopReported(whole)) {
        case JobRun::NextPass:
            m_operations->clearIndex();
            send(EngraverCommand::start(m_run->resumeX(), m_run->resumeY(), m_run->resumeMode()));
            m_told = false;
            m_percent = -1;
            return;
        case JobRun::ContinueJob:
            if (m_run->resumePower() >= 0)
                send(EngraverCommand::laserPower(m_run->resumePower()));
            if (m_run->resumeDepth() >= 0)
                send(EngraverCommand::depth(m_run->resumeDepth()));
            send(EngraverCommand::start(m_run->resumeX(), m_run->resumeY(), m_run->resumeMode()));
            say(QStringLiteral("continuing from %1%").arg(int(m_run->resumeShare() * 100)));
            return;
        default:
            break;
        }
        if (m_stopping)
            finish(Interrupted, QStringLiteral("stopped"));
        else if (whole)
            finish(Done, QStringLiteral("done in %1 s").arg((m_clock.elapsed() + 500) / 1000));
        else
            finish(Interrupted, QStringLiteral("the engraver stopped the job before its end"));
    }

    void progress(double share)
    {
        const int percent = int(share * 100);
        if (percent / 5 == m_percent / 5)
            return;
        m_percent = percent;
        if (m_run->passes() > 1)
            say(QStringLiteral("pass %1 of %2: %3%")
                    .arg(m_run->pass())
                    .arg(m_run->passes())
                    .arg(percent));
        else
            say(QStringLiteral("%1%").arg(percent));
    }

    void finish(int code, const QString &message)
    {
        if (m_finished)
            return;
        m_finished = true;
        m_exit = code;
        say(message);
        if (m_run->journal())
            m_run->journal()->flush();
        if (code == Done && m_linked) {
            // The goodbye goes out before the port is let go (linkClosed).
            m_operations->connectToBelow(false);
            QTimer::singleShot(200, this, [this] { QCoreApplication::exit(m_exit); });
            return;
        }
        QCoreApplication::exit(code);
    }

public:
    int m_mode = 2;
    std::optional<QPointF> m_start; // none: the middle of the area
    Options m_options;

private:
    Operations *m_operations;
    JobRun *m_run;
    bool m_linked = false;
    bool m_told = false;
    bool m_finished = false;
    bool m_stopping = false;
    QTimer m_signalWatch;
    int m_exit = Done;
    int m_percent = -1;
    QElapsedTimer m_clock;
};

} // namespace

int run(int argc, char **argv)
{
    // No display is needed: pictures are drawn off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The same names as the window's, so that both find the same journal.
    QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
    QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
    QGuiApplication app(argc, argv);
    // Standard error carries the progress; the link's conversation only
    // when asked for (QT_LOGGING_RULES).
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    Options options;
    QString error;
    if (!parse(app.arguments().mid(1), &options, &error)) {
        say(error);
        say(QStringLiteral("see 0_vandra --help"));
        return Usage;
    }
    if (options.help) {
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return Done;
    }

    Operations::setOnlyPort(options.port);
    Operations operations;
    JobRun run;
    run.setController(&operations);
    Engraving engraving(options, &operations, &run);

    if (options.resume) {
        if (!run.takeUpJob()) {
            say(QStringLiteral("there is no job to resume"));
            return NoJob;
        }
    } else {
        const PreparedJob job = prepareJob(options.path, options);
        if (!job.error.isEmpty()) {
            say(job.error);
            return NoJob;
        }
        // No window shows the preview: a pixel, so that the picture's size
        // is taken.
        QImage dot(1, 1, QImage::Format_ARGB32);
        dot.fill(Qt::white);
        operations.jobBuffer()->publish(dot, job.records, job.xmin, job.ymin, job.xmax, job.ymax,
                                        job.pictureSize);
        run.setPasses(options.passes);
        engraving.m_mode = job.mode;
        engraving.m_start = job.start;
        // A work file's power and depth, unless the command line names others.
        if (options.power < 0 && job.power >= 0)
            engraving.m_options.power = job.power;
        if (options.depth < 0 && job.depth >= 0)
            engraving.m_options.depth = job.depth;
        if (engraving.m_options.power >= 0)
            run.setPower(engraving.m_options.power / 100);
        if (engraving.m_options.depth >= 0)
            run.setDepth(engraving.m_options.depth / 100);
    }
    engraving.begin();
    return app.exec();
}

} // namespace CommandLine
