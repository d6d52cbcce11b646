// A job sent to an engraver that asks for each 1024-byte chunk only when the
// chunk before would have arrived over a real 115200-baud wire (89 ms), while
// the program's real window is on show on an X server of its own (Xvfb):
// once with the window idle, once with the looks recomputed every 60 ms and
// four spinning processes keeping the cores busy. Prints, for each, the
// job's time against its chunks' wire time and the longest a data request
// waited for its answer.
//
//   bench_wirepace [chunks]      (319 by default: 28.4 s of wire time)

#include "app/resources.h"
#include "app/startup.h"
#include "drawboard/drawimage.h"
#include "engraver/jobbuffer.h"
#include "engraver/operations.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto wirePerChunk = std::chrono::milliseconds(89);
constexpr int chunkSize = 1024;

// The engraver's end of a pseudo-terminal: answers the handshake, then, once
// started, asks for a chunk, takes it whole and asks for the next when it
// would have arrived over the wire, until the end of data.
class PacedEngraver
{
public:
    PacedEngraver()
    {
        termios raw {};
        cfmakeraw(&raw);
        openpty(&m_master, &m_slave, nullptr, &raw, nullptr);
        m_device = QString::fromLocal8Bit(ttyname(m_slave));
        m_thread = std::thread([this] { run(); });
    }
    ~PacedEngraver()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_master);
        ::close(m_slave);
    }
    QString device() const { return m_device; }
    void start() { m_start = true; }
    bool finished() const { return m_finished; }
    double jobSeconds() const { return m_jobSeconds; }
    double worstWaitMs() const { return m_worstWaitMs; }
    // How late this end itself asked, at worst: the machine's share of a wait.
    double worstLateMs() const { return m_worstLateMs; }
    int slowAnswers() const { return m_slowAnswers; }
    int chunks() const { return m_chunks; }
    void reset()
    {
        m_finished = false;
        m_chunks = 0;
        m_worstWaitMs = 0;
        m_worstLateMs = 0;
        m_slowAnswers = 0;
    }

private:
    void request(Clock::time_point &askedAt)
    {
        askedAt = Clock::now();
        (void)!::write(m_master, "B1", 2);
    }

    void run()
    {
        QByteArray in;
        bool running = false;
        Clock::time_point begun, askedAt, nextAsk;
        bool chunkStarted = false;
        bool waitingToAsk = false;
        while (!m_stop) {
            if (m_start.exchange(false)) {
                running = true;
                in.clear();
                begun = Clock::now();
                request(askedAt);
                chunkStarted = false;
            }
            if (waitingToAsk && Clock::now() >= nextAsk) {
                waitingToAsk = false;
                const double late
                    = std::chrono::duration<double, std::milli>(Clock::now() - nextAsk).count();
                m_worstLateMs = std::max(m_worstLateMs.load(), late);
                request(askedAt);
                chunkStarted = false;
            }
            pollfd fd {m_master, POLLIN, 0};
            if (::poll(&fd, 1, 1) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            const auto now = Clock::now();
            in.append(buffer, int(n));
            if (!running) {
                if (in.contains("$40")) {
                    (void)!::write(m_master, "B10", 3);
                    in.clear();
                }
                continue;
            }
            if (!chunkStarted) {
                chunkStarted = true;
                const double waited
                    = std::chrono::duration<double, std::milli>(now - askedAt).count();
                m_worstWaitMs = std::max(m_worstWaitMs.load(), waited);
                if (waited > 30)
                    ++m_slowAnswers;
            }
            if (in.startsWith("$33")) {
                m_jobSeconds = std::chrono::duration<double>(now - begun).count();
                running = false;
                in.clear();
                m_finished = true;
                continue;
            }
            if (in.size() >= chunkSize) {
                in.remove(0, chunkSize);
                ++m_chunks;
                nextAsk = now + wirePerChunk;
                waitingToAsk = true;
            }
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_device;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_start {false};
    std::atomic<bool> m_finished {false};
    std::atomic<int> m_chunks {0};
    std::atomic<double> m_worstWaitMs {0};
    std::atomic<double> m_jobSeconds {0};
    std::atomic<double> m_worstLateMs {0};
    std::atomic<int> m_slowAnswers {0};
};

// Waits in the event loop until done() or the time is up. The loop sleeps
// between events as the program's own does: a loop spinning on
// processEvents() would keep a core busy and rob the link of its share.
template<typename Done>
bool waitFor(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() >= ms)
            loop.quit();
    });
    check.start(5);
    if (!done())
        loop.exec();
    return done();
}

QString startXvfb(qint64 *pid)
{
    for (int display = 90; display < 120; ++display) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
            continue;
        const QString name = QStringLiteral(":%1").arg(display);
        if (!QProcess::startDetached(QStringLiteral("Xvfb"),
                                     {name, QStringLiteral("-screen"), QStringLiteral("0"),
                                      QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"),
                                      QStringLiteral("tcp")},
                                     QString(), pid))
            return QString();
        for (int i = 0; i < 100; ++i) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
                return name;
            QThread::msleep(50);
        }
        return QString();
    }
    return QString();
}

std::vector<pid_t> spin(int processes)
{
    std::vector<pid_t> children;
    for (int i = 0; i < processes; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            volatile unsigned long n = 0;
            for (;;)
                n = n + 1;
        }
        children.push_back(child);
    }
    return children;
}

void stopSpinning(const std::vector<pid_t> &children)
{
    for (pid_t child : children) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
}

} // namespace

int main(int argc, char **argv)
{
    const int chunks = argc > 1 ? std::max(1, atoi(argv[1])) : 319;
    qint64 xvfb = 0;
    const QString display = startXvfb(&xvfb);
    if (display.isEmpty()) {
        std::fprintf(stderr, "bench_wirepace: cannot start Xvfb\n");
        return 1;
    }
    qputenv("DISPLAY", display.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    int result = 0;
    {
        QGuiApplication app(argc, argv);
        initVandraResources();
        Startup::registerQmlTypes();
        auto *operations = new Operations;
        QQuickStyle::setStyle(QStringLiteral("Material"));
        QQmlApplicationEngine engine;
        Startup::exposeToEngine(&engine, operations, Startup::Edition::Selectable, QString());
        engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        auto *canvas = engine.rootObjects().value(0)
            ? engine.rootObjects().value(0)->findChild<DrawImage *>(QStringLiteral("drawBoard"))
            : nullptr;
        if (!canvas) {
            std::fprintf(stderr, "bench_wirepace: no window\n");
            return 1;
        }

        // A 1050 × 1050 photo-like picture on the canvas, for the looks.
        QTemporaryDir dir;
        QImage photo(1050, 1050, QImage::Format_RGB32);
        QPainter painter(&photo);
        QLinearGradient gradient(0, 0, 1050, 1050);
        gradient.setColorAt(0, Qt::white);
        gradient.setColorAt(1, Qt::darkBlue);
        painter.fillRect(photo.rect(), gradient);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPoint(525, 525), 260, 260);
        painter.end();
        const QString file = dir.filePath(QStringLiteral("photo.png"));
        photo.save(file);
        bool loaded = false;
        QObject::connect(canvas, &DrawImage::loadImageDone, [&] { loaded = true; });
        canvas->load(file);
        waitFor([&] { return loaded; }, 10000);

        PacedEngraver engraver;
        qputenv("VANDRA_SERIAL_PORTS", engraver.device().toLocal8Bit());
        QByteArray job(chunks * chunkSize, '\x7f');
        operations->jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        bool found = false;
        QObject::connect(operations, &Operations::searchFinished, [&](bool f) { found = f; });
        for (int attempt = 0; attempt < 3 && !found; ++attempt) {
            operations->connectToBelow(true);
            waitFor([&] { return found; }, 2000);
        }
        if (!found) {
            std::fprintf(stderr, "bench_wirepace: no link\n");
            return 1;
        }
        waitFor([] { return false; }, 500); // let the window settle

        const double wire = chunks * 0.089;
        std::printf("%d chunks, %.1f s of wire time\n", chunks, wire);
        struct Case
        {
            const char *name;
            bool busy;
            double target;
        };
        for (const Case &c : {Case {"window idle", false, 0.95},
                              Case {"looks every 60 ms, 4 spinners", true, 0.90}}) {
            operations->clearIndex();
            waitFor([] { return false; }, 100);
            engraver.reset();
            QTimer looks;
            int turn = 0;
            QObject::connect(&looks, &QTimer::timeout, [&] {
                // Alternating looks and thresholds, as a user trying them.
                const auto look = turn % 2 ? DrawImage::Floyd : DrawImage::Binarize;
                canvas->process(look, 90 + (turn * 37) % 80);
                ++turn;
            });
            std::vector<pid_t> spinners;
            if (c.busy) {
                spinners = spin(4);
                looks.start(60);
            }
            engraver.start();
            const bool done = waitFor([&] { return engraver.finished(); }, int(wire * 3000));
            looks.stop();
            stopSpinning(spinners);
            waitFor([&] { return !canvas->property("busy").toBool(); }, 2000);
            if (!done) {
                std::printf("%-32s did not end (%d chunks sent)\n", c.name, engraver.chunks());
                result = 1;
                continue;
            }
            const double share = wire / engraver.jobSeconds();
            const bool met = share >= c.target && engraver.worstWaitMs() <= 30;
            std::printf("%-32s %.2f s, %.1f %% of wire pace (target %.0f %%), worst wait %.1f ms "
                        "(%d over 30 ms; the engraver's end itself up to %.1f ms late), "
                        "%d looks%s\n",
                        c.name, engraver.jobSeconds(), share * 100, c.target * 100,
                        engraver.worstWaitMs(), engraver.slowAnswers(), engraver.worstLateMs(),
                        turn, met ? "" : "  MISSED");
            std::fflush(stdout);
            if (!met)
                result = 1;
        }
        operations->connectToBelow(false);
        waitFor([] { return false; }, 200);
    }
    if (xvfb > 0)
        ::kill(pid_t(xvfb), SIGTERM);
    return result;
}
