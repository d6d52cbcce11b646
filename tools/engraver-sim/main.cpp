// engraver-sim: a laser engraver on a pseudo-terminal, for trying the whole
// serial conversation without hardware. See --help.

#include "simengraver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char helpText[] = R"(
Opens a pseudo-terminal and plays the engraver's side of the serial link on
it. The first line printed on standard output is the device path the host
opens (for example /dev/pts/3); give it to the program through the
environment variable VANDRA_SERIAL_PORTS (colon-separated paths).

The simulated engraver answers "$40" with "B10", the fan commands with status
6 or 7, "$8 P<f>"/"$9 P<f>" by echoing the value ("F8 P0.250"), "$20" with 10
and "$25" while framing with 11. "$30 P<x> <y> P<m>" starts (or resumes) a job
placed at (x, y) and is answered with 20, followed by one data request "B1"
per chunk, paced by --rate and the depth ("$9"): at depth 1 a pixel takes
four times as long as at depth 0. "$31" pauses (21); "$32" stops (22) and
forgets the chunk it was waiting for, so that the next start asks for data
anew. After "$33" the job is complete and status 22 follows by itself. "$41"
is answered "B3".

Every record received is burned into a 1600 x 1600 picture placed at the
start command's position: an 8-bit grey PNG whose value is the burn
intensity (0 untouched, 255 full burn; a pixel burned twice keeps the
stronger burn; zero padding burns nothing). It is written to the --png file
whenever a job ends (complete or stopped), so pixel (x + X, y + Y) of the
PNG equals the intensity of the job's record for (x, y) started at (X, Y).

With --counts, every record that arrives during a job (all-zero padding
words excepted) is also counted at its place on the area, over the whole
run of the simulator, across jobs: an 8-bit grey PNG whose value is how
many times a record for that pixel arrived (at most 255), written whenever
a job ends. A job resent in part after the host restarted shows there as
the records that arrived twice.
)";

struct Options
{
    QString link;
    QString png;
    QString counts;
    int rate = 4000; // burned pixels per second, 0: as fast as asked
    bool answerHandshake = true;
    bool coalesce = false;
    bool split = false;
    int vanishAfter = 0; // chunks; 0: never
    int loseChunk = 0; // the chunk of a job lost on the line, once; 0: none
    int garbage = 0; // bytes of noise after the handshake answer
    bool quiet = false;
};

char linkPath[4096];

void removeLinkAndExit(int)
{
    if (linkPath[0])
        ::unlink(linkPath);
    ::_exit(0);
}

class Link : public QObject
{
public:
    Link(int master, int slave, const Options &options)
        : m_master(master)
        , m_slave(slave)
        , m_options(options)
        , m_engraver(options.answerHandshake)
        , m_notifier(master, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Link::readable);
        m_quiet.setSingleShot(true);
        m_quiet.setInterval(20);
        connect(&m_quiet, &QTimer::timeout, this, [this] { process(true); });
        m_pace.setSingleShot(true);
        connect(&m_pace, &QTimer::timeout, this, &Link::requestData);
        m_outTimer.setInterval(20);
        connect(&m_outTimer, &QTimer::timeout, this, &Link::writeNextPiece);
    }

private:
    void log(const QByteArray &line)
    {
        if (!m_options.quiet)
            std::fprintf(stderr, "engraver-sim: %s\n", line.constData());
    }

    void readable()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                m_inbox.append(buffer, int(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            break; // EAGAIN; we hold the slave open, so no hang-up here
        }
        process(false);
        if (!m_inbox.isEmpty())
            m_quiet.start();
    }

    // A data chunk and a command are told apart by the state (a chunk only
    // comes after "B1") and by size: a chunk is 1024 bytes in one burst,
    // while a command is short. What is shorter than a chunk while one is
    // awaited is taken as commands once the line has been quiet for a while.
    void process(bool quiet)
    {
        const auto chunkDue = [this] {
            return m_engraver.awaitingData() || m_engraver.strayChunkPossible();
        };
        while (chunkDue() && m_inbox.size() >= Sim::chunkSize) {
            const QByteArray chunk = m_inbox.left(Sim::chunkSize);
            m_inbox.remove(0, Sim::chunkSize);
            handleChunk(chunk);
        }
        if (m_inbox.isEmpty())
            return;
        if (chunkDue() && !quiet)
            return;
        if (chunkDue() && !m_inbox.startsWith('$')) {
            log("dropped " + QByteArray::number(m_inbox.size()) + " bytes of a broken chunk");
            m_inbox.clear();
            return;
        }
        const QByteArray text = m_inbox;
        m_inbox.clear();
        const QList<QByteArray> commands = Sim::splitCommands(text);
        for (const QByteArray &command : commands)
            handleCommand(command);
    }

    void handleCommand(const QByteArray &text)
    {
        const Sim::Command command = Sim::parseCommand(text);
        log("<- " + text);
        if (!command.isValid())
            return;
        const bool wasIdle = m_engraver.job() == Sim::Engraver::Job::Idle;
        const Sim::Engraver::Reaction reaction = m_engraver.command(command);
        // The picture is on disk before status 22 goes out, so that whoever
        // waits for the status can read it at once.
        if (reaction.jobEnded)
            jobEnded();
        if (command.number == 30 && m_engraver.wantsData()) {
            if (wasIdle)
                m_burned = 0;
            if (m_options.coalesce) {
                // Status and first data request back to back in one write.
                send({reaction.replies.join() + m_engraver.requestData()});
            } else {
                send(reaction.replies);
                m_pace.start(10);
            }
        } else if (command.number == 40) {
            // The handshake answer goes whole even with --split: the host
            // gives it only 100 ms, which a loaded machine's timers could
            // miss, and the fault is about the replies of a working link.
            sendWhole(reaction.replies);
        } else {
            send(reaction.replies);
        }
        if (command.number == 40 && m_options.garbage > 0 && !reaction.replies.isEmpty())
            sendGarbage(m_options.garbage);
    }

    // A line gone wild: pseudo-random bytes, the same every run, written as
    // fast as the line takes them.
    void sendGarbage(int count)
    {
        log("-> " + QByteArray::number(count) + " bytes of noise");
        quint32 state = 0x2545F491u;
        QByteArray noise(count, '\0');
        for (int i = 0; i < count; ++i) {
            state = state * 1664525u + 1013904223u;
            noise[i] = char(state >> 24);
        }
        for (int done = 0; done < count; done += 4096)
            writeAll(noise.mid(done, 4096));
    }

    void handleChunk(const QByteArray &chunk)
    {
        if (m_options.loseChunk > 0 && !m_chunkLost
            && m_engraver.chunksReceived() + 1 == m_options.loseChunk) {
            // Never seen: the engraver goes on waiting for it.
            m_chunkLost = true;
            log("lost chunk " + QByteArray::number(m_options.loseChunk) + " on the line");
            return;
        }
        if (m_engraver.job() != Sim::Engraver::Job::Idle)
            countRecords(chunk);
        const int burned = m_engraver.chunk(chunk);
        m_burned += burned;
        if (m_options.vanishAfter > 0 && m_engraver.chunksReceived() >= m_options.vanishAfter) {
            vanish();
            return;
        }
        if (m_engraver.wantsData())
            m_pace.start(m_engraver.burnMilliseconds(burned, m_options.rate));
    }

    void countRecords(const QByteArray &chunk)
    {
        if (m_options.counts.isEmpty())
            return;
        if (m_counts.isNull()) {
            m_counts = QImage(Sim::areaSize, Sim::areaSize, QImage::Format_Grayscale8);
            m_counts.fill(0);
        }
        const QPoint origin = m_engraver.origin();
        for (int at = 0; at + Sim::recordSize <= chunk.size(); at += Sim::recordSize) {
            const char *word = chunk.constData() + at;
            if (!word[0] && !word[1] && !word[2] && !word[3])
                continue;
            const Sim::Record record = Sim::decodeRecord(word);
            const int x = record.x + origin.x();
            const int y = record.y + origin.y();
            if (x < 0 || y < 0 || x >= Sim::areaSize || y >= Sim::areaSize)
                continue;
            uchar &count = m_counts.scanLine(y)[x];
            if (count < 255)
                ++count;
        }
    }

    void requestData()
    {
        if (m_engraver.wantsData())
            send({m_engraver.requestData()});
    }

    void jobEnded()
    {
        const Sim::BurnPicture &picture = m_engraver.picture();
        log("job ended after " + QByteArray::number(m_engraver.chunksReceived()) + " chunks, "
            + QByteArray::number(m_burned) + " pixels burned, "
            + QByteArray::number(picture.outside()) + " off the area");
        if (!m_options.counts.isEmpty() && !m_counts.isNull())
            writePicture(m_counts, m_options.counts);
        if (!m_options.png.isEmpty())
            writePicture(picture.image(), m_options.png);
    }

    // Written under a temporary name and renamed, so that a reader never
    // sees half a file.
    void writePicture(const QImage &image, const QString &path)
    {
        const QString temporary = path + QStringLiteral(".part");
        if (!image.save(temporary, "PNG")) {
            log("cannot write " + temporary.toLocal8Bit());
            return;
        }
        QFile::remove(path);
        QFile::rename(temporary, path);
    }

    void sendWhole(const QList<QByteArray> &replies)
    {
        for (const QByteArray &reply : replies) {
            log("-> " + reply);
            writeAll(reply);
        }
    }

    void send(const QList<QByteArray> &replies)
    {
        for (const QByteArray &reply : replies) {
            if (reply.isEmpty())
                continue;
            log("-> " + reply);
            if (m_options.split && reply.size() > 1) {
                // Each reply cut after its first byte, in two writes.
                m_out.append(reply.left(1));
                m_out.append(reply.mid(1));
            } else {
                m_out.append(reply);
            }
        }
        if (m_options.split) {
            if (!m_outTimer.isActive() && !m_out.isEmpty()) {
                writeNextPiece();
                m_outTimer.start();
            }
        } else {
            while (!m_out.isEmpty())
                writeAll(m_out.takeFirst());
        }
    }

    void writeNextPiece()
    {
        if (m_out.isEmpty()) {
            m_outTimer.stop();
            return;
        }
        writeAll(m_out.takeFirst());
    }

    void writeAll(const QByteArray &bytes)
    {
        int done = 0;
        while (done < bytes.size()) {
            const ssize_t n
                = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += int(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                ::usleep(1000);
            } else {
                log("write failed: " + QByteArray(std::strerror(errno)));
                return;
            }
        }
    }

    void vanish()
    {
        log("vanishing in the middle of the job");
        m_notifier.setEnabled(false);
        ::close(m_master);
        ::close(m_slave);
        if (linkPath[0])
            ::unlink(linkPath);
        QCoreApplication::exit(0);
    }

    int m_master;
    int m_slave;
    Options m_options;
    Sim::Engraver m_engraver;
    QSocketNotifier m_notifier;
    QTimer m_quiet;
    QTimer m_pace;
    QTimer m_outTimer;
    QByteArray m_inbox;
    QList<QByteArray> m_out;
    qint64 m_burned = 0;
    bool m_chunkLost = false;
    QImage m_counts; // records arrived per pixel of the area, over the run
};

bool parseOptions(const QCoreApplication &app, Options *options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated laser engraver on a pseudo-terminal.")
        + QString::fromLatin1(helpText));
    parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also make <path> a symbolic link to the device."),
                                  QStringLiteral("path"));
    const QCommandLineOption png(
        QStringLiteral("png"), QStringLiteral("Write the burn picture to <file> when a job ends."),
        QStringLiteral("file"));
    const QCommandLineOption counts(
        QStringLiteral("counts"),
        QStringLiteral("Write the count of records arrived per pixel, over the whole run, to "
                       "<file> when a job ends."),
        QStringLiteral("file"));
    const QCommandLineOption rate(
        QStringLiteral("rate"),
        QStringLiteral("Burn <n> pixels per second at depth 0, a quarter of that at depth 1: the "
                       "next chunk is asked for when the last one has burned (default 4000; 0: at "
                       "once)."),
        QStringLiteral("n"), QStringLiteral("4000"));
    const QCommandLineOption noHandshake(QStringLiteral("no-handshake"),
                                         QStringLiteral("Fault: answer nothing to \"$40\"."));
    const QCommandLineOption coalesce(
        QStringLiteral("coalesce"),
        QStringLiteral("Fault: send status 20 and the first \"B1\" back to back in one write."));
    const QCommandLineOption split(
        QStringLiteral("split"),
        QStringLiteral("Fault: split every reply after its first byte over two writes, 20 ms apart "
                       "(the handshake answer excepted)."));
    const QCommandLineOption vanish(
        QStringLiteral("vanish-after"),
        QStringLiteral("Fault: close the device and exit after receiving <n> chunks of a job."),
        QStringLiteral("n"));
    const QCommandLineOption lose(
        QStringLiteral("lose-chunk"),
        QStringLiteral("Fault: the <n>th chunk of a job is lost on the line (once a run): the "
                       "engraver goes on waiting for it and asks for nothing, as after a host "
                       "that was killed while sending it."),
        QStringLiteral("n"));
    const QCommandLineOption garbage(
        QStringLiteral("garbage"),
        QStringLiteral("Fault: follow the handshake answer with <n> bytes of noise."),
        QStringLiteral("n"));
    const QCommandLineOption quiet(
        QStringLiteral("quiet"), QStringLiteral("Do not log the conversation on standard error."));
    parser.addOptions(
        {link, png, counts, rate, noHandshake, coalesce, split, vanish, lose, garbage, quiet});
    parser.process(app);

    options->link = parser.value(link);
    options->png = parser.value(png);
    options->counts = parser.value(counts);
    bool ok = true;
    options->rate = parser.value(rate).toInt(&ok);
    if (!ok || options->rate < 0) {
        std::fprintf(stderr, "engraver-sim: --rate needs a whole number of pixels per second\n");
        return false;
    }
    if (parser.isSet(vanish)) {
        options->vanishAfter = parser.value(vanish).toInt(&ok);
        if (!ok || options->vanishAfter < 1) {
            std::fprintf(stderr, "engraver-sim: --vanish-after needs a number of chunks above 0\n");
            return false;
        }
    }
    if (parser.isSet(lose)) {
        options->loseChunk = parser.value(lose).toInt(&ok);
        if (!ok || options->loseChunk < 1) {
            std::fprintf(stderr, "engraver-sim: --lose-chunk needs a chunk number above 0\n");
            return false;
        }
    }
    if (parser.isSet(garbage)) {
        options->garbage = parser.value(garbage).toInt(&ok);
        if (!ok || options->garbage < 0) {
            std::fprintf(stderr, "engraver-sim: --garbage needs a number of bytes\n");
            return false;
        }
    }
    options->answerHandshake = !parser.isSet(noHandshake);
    options->coalesce = parser.isSet(coalesce);
    options->split = parser.isSet(split);
    options->quiet = parser.isSet(quiet);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("engraver-sim"));
    Options options;
    if (!parseOptions(app, &options))
        return 2;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("engraver-sim: cannot open a pseudo-terminal");
        return 1;
    }
    const char *name = ::ptsname(master);
    const QByteArray device = name ? QByteArray(name) : QByteArray();
    // Holding the slave open keeps the line alive between the host's
    // sessions (no hang-up when the host closes it) and lets us make it raw
    // before the host comes: no echo, no line editing, 8 bits through.
    const int slave = device.isEmpty() ? -1 : ::open(device.constData(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("engraver-sim: cannot open the device");
        return 1;
    }
    termios tio;
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    if (!options.link.isEmpty()) {
        const QByteArray path = QFile::encodeName(options.link);
        if (size_t(path.size()) >= sizeof linkPath) {
            std::fprintf(stderr, "engraver-sim: link path too long\n");
            return 2;
        }
        ::unlink(path.constData());
        if (::symlink(device.constData(), path.constData()) != 0) {
            std::perror("engraver-sim: cannot make the link");
            return 1;
        }
        std::strcpy(linkPath, path.constData());
    }
    std::signal(SIGTERM, removeLinkAndExit);
    std::signal(SIGINT, removeLinkAndExit);
    std::signal(SIGHUP, removeLinkAndExit);

    std::printf("%s\n", device.constData());
    std::fflush(stdout);

    Link link(master, slave, options);
    const int result = app.exec();
    if (linkPath[0])
        ::unlink(linkPath);
    return result;
}
