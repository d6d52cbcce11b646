#include "app/commandline.h"
#include "engraver/commands.h"
#include "engraver/jobjournal.h"
#include "imaging/algorithms.h"
#include "imaging/pictureloader.h"
#include "simengraver.h"
#include "workfile/workformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The command line end to end: the program itself, without a window,
// against the simulated engraver over a pseudo-terminal, which counts every
// record that arrives. A job resumed after the program was killed must burn
// every record, and none twice but those of the chunk that was in flight.
class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_picture;
    QProcess m_sim;

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    QString startSimulator(const QStringList &extra)
    {
        m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_sim.start(
            QStringLiteral(ENGRAVER_SIM),
            QStringList {QStringLiteral("--quiet"), QStringLiteral("--counts"), path("counts.png")}
                + extra);
        if (!m_sim.waitForReadyRead(5000))
            return QString();
        return QString::fromLatin1(m_sim.readLine().trimmed());
    }

    // Starts the program; the caller waits for it.
    void startVandra(QProcess &vandra, const QStringList &arguments)
    {
        vandra.setProcessChannelMode(QProcess::SeparateChannels);
        vandra.start(QStringLiteral(VANDRA_BIN), arguments);
        QVERIFY(vandra.waitForStarted(5000));
    }

    int runVandra(const QStringList &arguments, QByteArray *errors = nullptr)
    {
        QProcess vandra;
        startVandra(vandra, arguments);
        if (!vandra.waitForFinished(60000))
            return -2;
        if (errors)
            *errors = vandra.readAllStandardError();
        return vandra.exitStatus() == QProcess::NormalExit ? vandra.exitCode() : -1;
    }

    static QString statePath() { return JobJournal().statePath(); }

    static bool readJournal(JournalState *state)
    {
        QFile file(statePath());
        QString why;
        return file.open(QIODevice::ReadOnly) && Journal::decode(file.readAll(), state, &why);
    }

    static qint64 confirmedInJournal()
    {
        JournalState state;
        return readJournal(&state) ? qint64(state.confirmed) : -1;
    }

    // The records of a job as (place on the area, offset in the stream).
    struct Placed
    {
        QPoint at;
        int offset;
    };
    static QVector<Placed> placedRecords(const CommandLine::PreparedJob &job)
    {
        const QPoint origin(EngraverCommand::wholePixels((1600 - job.pictureSize.width()) / 2.0),
                            EngraverCommand::wholePixels((1600 - job.pictureSize.height()) / 2.0));
        QVector<Placed> placed;
        for (int at = 0; at + 4 <= job.records.size(); at += 4) {
            const char *word = job.records.constData() + at;
            if (!word[0] && !word[1] && !word[2] && !word[3])
                continue;
            const Sim::Record record = Sim::decodeRecord(word);
            placed.append({QPoint(record.x, record.y) + origin, at});
        }
        return placed;
    }

    void stopSimulator()
    {
        m_sim.terminate();
        if (!m_sim.waitForFinished(3000))
            m_sim.kill();
        m_sim.waitForFinished(3000);
    }

private slots:
    void initTestCase()
    {
        // The program's names: the journal is found where it writes it.
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
        QVERIFY(m_dir.isValid());
        // A checkerboard of 5-pixel squares: about 1350 records, 6 chunks.
        QImage picture(40, 30, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, (x / 5 + y / 5) % 2 ? 0xFFFFFFFF : 0xFF000000);
        m_picture = path("checkers.png");
        QVERIFY(picture.save(m_picture));
    }

    void cleanup()
    {
        stopSimulator();
        QFile::remove(path("counts.png"));
        QFile::remove(statePath());
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::newRow("picture") << QStringList {"--engrave", "a.png"} << true;
        QTest::newRow("everything")
            << QStringList {"--engrave=a.png", "--look", "floyd",       "--threshold", "0",
                            "--power",         "12.5",   "--depth=100", "--passes",    "20",
                            "--port",          "/dev/x"}
            << true;
        QTest::newRow("resume on a port") << QStringList {"--resume", "--port", "/dev/x"} << true;
        QTest::newRow("nothing to do") << QStringList {"--look", "grey"} << false;
        QTest::newRow("both") << QStringList {"--resume", "--engrave", "a.png"} << false;
        QTest::newRow("resume with passes") << QStringList {"--resume", "--passes", "2"} << false;
        QTest::newRow("no picture") << QStringList {"--engrave"} << false;
        QTest::newRow("21 passes") << QStringList {"--engrave", "a", "--passes", "21"} << false;
        QTest::newRow("0 passes") << QStringList {"--engrave", "a", "--passes", "0"} << false;
        QTest::newRow("threshold 256")
            << QStringList {"--engrave", "a", "--threshold", "256"} << false;
        QTest::newRow("power over 100")
            << QStringList {"--engrave", "a", "--power", "101"} << false;
        QTest::newRow("unknown look") << QStringList {"--engrave", "a", "--look", "sepia"} << false;
        QTest::newRow("stray word") << QStringList {"--engrave", "a", "b"} << false;
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, valid);
        CommandLine::Options options;
        QString error;
        QCOMPARE(CommandLine::parse(arguments, &options, &error), valid);
        QCOMPARE(error.isEmpty(), valid);
    }

    // Every record of the job arrives once a pass, at the middle of the area.
    void engrave_data()
    {
        QTest::addColumn<QString>("look");
        QTest::addColumn<int>("passes");
        QTest::newRow("black and white") << "binarize" << 1;
        QTest::newRow("dithered, three passes") << "floyd" << 3;
        QTest::newRow("grey, two passes") << "grey" << 2;
        // A saved work: its own look and threshold (dithered at 100).
        QTest::newRow("work file") << "work" << 1;
    }

    void engrave()
    {
        QFETCH(QString, look);
        QFETCH(int, passes);
        QString file = m_picture;
        QStringList lookArguments {"--look", look};
        if (look == QLatin1String("work")) {
            WorkFile::Work work;
            work.picture = Imaging::greyImage(Imaging::loadPicture(m_picture).image);
            work.look = Imaging::Floyd;
            work.threshold = 100;
            file = path("saved.vandra");
            QCOMPARE(WorkFile::writeFile(work, file), QString());
            lookArguments = QStringList {"--look", "floyd", "--threshold", "100"};
        }
        const QString device = startSimulator({QStringLiteral("--rate"), QStringLiteral("0")});
        QVERIFY(!device.isEmpty());
        QByteArray errors;
        const QStringList arguments
            = QStringList {"--engrave", file, "--passes", QString::number(passes), "--port", device}
            + (file == m_picture ? lookArguments : QStringList());
        QCOMPARE(runVandra(arguments, &errors), int(CommandLine::Done));
        if (passes > 1)
            QVERIFY2(errors.contains(QByteArray("pass ") + QByteArray::number(passes) + " of "),
                     errors.constData());

        CommandLine::Options options;
        QString error;
        QVERIFY(CommandLine::parse(QStringList {"--engrave", m_picture} + lookArguments, &options,
                                   &error));
        // The work burns what its picture would at the look it was saved with.
        const QVector<Placed> records = placedRecords(CommandLine::pictureJob(m_picture, options));
        if (file != m_picture)
            QCOMPARE(CommandLine::prepareJob(file, CommandLine::Options()).records,
                     CommandLine::pictureJob(m_picture, options).records);
        QVERIFY(records.size() > 256);
        const QImage counts(path("counts.png"));
        QVERIFY(!counts.isNull());
        qint64 total = 0;
        for (int y = 0; y < counts.height(); ++y)
            for (int x = 0; x < counts.width(); ++x)
                total += qGray(counts.pixel(x, y));
        QCOMPARE(total, qint64(records.size()) * passes);
        for (const Placed &record : records)
            QCOMPARE(qGray(counts.pixel(record.at)), passes);
        // A job that ended leaves nothing to resume.
        QVERIFY(!QFile::exists(statePath()));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("simulator"); // empty: none
        QTest::addColumn<QStringList>("arguments"); // "PORT" for its device
        QTest::addColumn<int>("exit");
        QTest::addColumn<bool>("resumable");
        QTest::newRow("unreadable picture")
            << QStringList() << QStringList {"--engrave", "/nonexistent/picture.png"}
            << int(CommandLine::NoJob) << false;
        QTest::newRow("nothing to resume")
            << QStringList() << QStringList {"--resume"} << int(CommandLine::NoJob) << false;
        QTest::newRow("bad option") << QStringList() << QStringList {"--engrave", "a", "--passes"}
                                    << int(CommandLine::Usage) << false;
        QTest::newRow("no engraver") << QStringList {"--no-handshake"}
                                     << QStringList {"--engrave", "PICTURE", "--port", "PORT"}
                                     << int(CommandLine::NoEngraver) << false;
        QTest::newRow("link lost") << QStringList {"--vanish-after", "2", "--rate", "0"}
                                   << QStringList {"--engrave", "PICTURE", "--port", "PORT"}
                                   << int(CommandLine::Interrupted) << true;
    }

    void failures()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, arguments);
        QFETCH(int, exit);
        QFETCH(bool, resumable);
        QString device;
        if (!simulator.isEmpty()) {
            device = startSimulator(simulator);
            QVERIFY(!device.isEmpty());
        }
        arguments.replaceInStrings(QStringLiteral("PORT"), device);
        arguments.replaceInStrings(QStringLiteral("PICTURE"), m_picture);
        QByteArray errors;
        QCOMPARE(runVandra(arguments, &errors), exit);
        QVERIFY2(errors.contains("0_vandra: "), "a message says why");
        QCOMPARE(QFile::exists(statePath()), resumable);
    }

    // Ctrl+C or a polite kill stops the engraver before the program goes:
    // the user's stop, which leaves nothing to resume.
    void stopSignal()
    {
        const QString device = startSimulator({QStringLiteral("--rate"), QStringLiteral("300")});
        QVERIFY(!device.isEmpty());
        QProcess vandra;
        startVandra(vandra, {"--engrave", m_picture, "--port", device, "--passes", "3"});
        QTRY_VERIFY_WITH_TIMEOUT(confirmedInJournal() >= 1024, 30000);
        vandra.terminate();
        QVERIFY(vandra.waitForFinished(10000));
        const QByteArray errors = vandra.readAllStandardError();
        QCOMPARE(vandra.exitCode(), int(CommandLine::Interrupted));
        QVERIFY2(errors.contains("0_vandra: stopped"), errors.constData());
        QVERIFY(!QFile::exists(statePath()));
    }

    // A journal left by something else, or spoilt, is ignored: no job to
    // take up, and no crash.
    void journalRead_data()
    {
        QTest::addColumn<QByteArray>("state"); // RECORDS: the good records' job id
        QTest::addColumn<int>("records"); // bytes in the records file
        QTest::addColumn<bool>("taken");
        const QByteArray good = R"({"format":"vandra-job-journal","version":1,"job":"JOB",)"
                                R"("size":2048,"confirmed":1024,"x":10,"y":-20,"mode":1,)"
                                R"("power":0.5,"depth":-1,"passes":3,"passesDone":2,"xmin":0,)"
                                R"("ymin":0,"xmax":30,"ymax":40,"width":31,"height":41})";
        QTest::newRow("good") << good << 2048 << true;
        QTest::newRow("records cut short") << good << 1024 << false;
        QTest::newRow("no records") << good << -1 << false;
        QTest::newRow("empty") << QByteArray() << 2048 << false;
        QTest::newRow("cut off") << good.left(good.size() / 2) << 2048 << false;
        QTest::newRow("not ours") << QByteArray(R"({"format":"other","version":1})") << 2048
                                  << false;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << 2048 << false;
        QTest::newRow("confirmed past the end")
            << QByteArray(good).replace("\"confirmed\":1024", "\"confirmed\":4096") << 2048
            << false;
        QTest::newRow("passes done beyond the passes")
            << QByteArray(good).replace("\"passesDone\":2", "\"passesDone\":3") << 2048 << false;
        QTest::newRow("power as text")
            << QByteArray(good).replace("\"power\":0.5", "\"power\":\"0.5\"") << 2048 << false;
        QTest::newRow("fractional place")
            << QByteArray(good).replace("\"x\":10", "\"x\":10.5") << 2048 << false;
    }

    void journalRead()
    {
        QFETCH(QByteArray, state);
        QFETCH(int, records);
        QFETCH(bool, taken);
        JobJournal journal(m_dir.filePath(QStringLiteral("journal")));
        QDir().mkpath(m_dir.filePath(QStringLiteral("journal")));
        const quint64 job = 0xabc1;
        QFile stateFile(journal.statePath());
        QVERIFY(stateFile.open(QIODevice::WriteOnly));
        stateFile.write(QByteArray(state).replace("JOB", QByteArray::number(job, 16)));
        stateFile.close();
        QFile::remove(journal.recordsPath(job));
        if (records >= 0) {
            QFile recordsFile(journal.recordsPath(job));
            QVERIFY(recordsFile.open(QIODevice::WriteOnly));
            recordsFile.write(QByteArray(records, '\x01'));
        }
        JournalState read;
        QByteArray bytes;
        QCOMPARE(journal.read(&read, &bytes), taken);
        if (taken) {
            QCOMPARE(bytes.size(), records);
            QCOMPARE(read.confirmed, 1024u);
            QCOMPARE(QPoint(read.x, read.y), QPoint(10, -20));
            QCOMPARE(read.passesDone, 2);
            JournalState again;
            QString why;
            QVERIFY(Journal::decode(Journal::encode(read), &again, &why));
            QVERIFY(again == read);
        }
    }

    // Killed at a chunk of the job, the program takes it up again with
    // --resume: every record arrives, and only the chunk in flight twice.
    void resumeAfterKill_data()
    {
        QTest::addColumn<QList<int>>("killAt"); // chunk offsets confirmed, one kill each
        QTest::newRow("at the first chunk") << QList<int> {0};
        QTest::newRow("in the middle") << QList<int> {2048};
        QTest::newRow("twice, then near the end") << QList<int> {1024, 4096};
    }

    void resumeAfterKill()
    {
        QFETCH(QList<int>, killAt);
        // A chunk takes most of a second to burn: the journal, written a few
        // times a second, has caught up with the chunk in flight long before
        // the next one is asked for.
        const QString device = startSimulator({QStringLiteral("--rate"), QStringLiteral("300")});
        QVERIFY(!device.isEmpty());
        QVector<qint64> resent;
        for (int i = 0; i < killAt.size(); ++i) {
            QProcess vandra;
            startVandra(vandra,
                        i == 0 ? QStringList {"--engrave", m_picture, "--port", device}
                               : QStringList {"--resume", "--port", device});
            QTRY_VERIFY_WITH_TIMEOUT(confirmedInJournal() >= killAt.at(i), 30000);
            vandra.kill();
            QVERIFY(vandra.waitForFinished(5000));
            const qint64 confirmed = confirmedInJournal();
            QVERIFY(confirmed >= killAt.at(i));
            resent.append(confirmed);
        }
        QByteArray errors;
        QCOMPARE(runVandra({"--resume", "--port", device}, &errors), int(CommandLine::Done));
        QVERIFY(!QFile::exists(statePath()));

        CommandLine::Options options;
        QString error;
        QVERIFY(CommandLine::parse({"--engrave", m_picture}, &options, &error));
        const QVector<Placed> records = placedRecords(CommandLine::pictureJob(m_picture, options));
        const QImage counts(path("counts.png"));
        QVERIFY(!counts.isNull());
        for (const Placed &record : records) {
            const int count = qGray(counts.pixel(record.at));
            int inFlight = 0;
            for (qint64 start : resent)
                inFlight += record.offset >= start && record.offset < start + 1024 ? 1 : 0;
            QVERIFY2(count >= 1 && count <= 1 + inFlight,
                     qPrintable(QStringLiteral("record at offset %1 arrived %2 times")
                                    .arg(record.offset)
                                    .arg(count)));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
