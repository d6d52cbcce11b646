#pragma once

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <QTimer>
#include <functional>

// What is kept on disk of a running job, so that a job cut short by the
// program or the computer stopping can be taken up again at the next start:
// the job's records once, in a file of their own, and a small state file
// updated as the engraver confirms chunks. Both are written through
// QSaveFile, so a kill at any moment leaves either the last state or the one
// before it, never half a file.
struct JournalState
{
    quint64 job = 0; // names the records file, so a state never pairs with another job's records
    qint64 size = 0; // bytes of records
    quint32 confirmed = 0; // the engraver has taken the records before this offset
    int x = 0; // where the picture is placed on the engraving area
    int y = 0;
    int mode = 2; // the start command's marker: 1 grey, 2 black and white
    double power = -1; // 0 to 1 as last set on the page; -1: not known
    double depth = -1;
    int passes = 1;
    int passesDone = 0;
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
    QSize pictureSize;

    bool operator==(const JournalState &other) const;
};

namespace Journal {

// Where a job taken up again starts: the chunk the engraver was last sent
// may never have arrived, so sending starts again with it. sent is the send
// position, the end of the chunk handed over last.
quint32 resumePosition(quint32 sent, quint32 size);

QByteArray encode(const JournalState &state);
// Reads a state file; false (with why) for anything that is not a state of
// this program's in every field.
bool decode(const QByteArray &text, JournalState *state, QString *why);

} // namespace Journal

// The journal in a directory (the program's data directory by default).
// Writes go to a thread of their own in the order they were asked for; a
// state update comes at most every updateIntervalMs, the latest one winning,
// so a chunk confirmed costs the window nothing but a copy of the state.
class JobJournal : public QObject
{
    Q_OBJECT
public:
    explicit JobJournal(const QString &directory = defaultDirectory(), QObject *parent = nullptr);
    ~JobJournal() override;

    static QString defaultDirectory();
    static constexpr int updateIntervalMs = 200;

    // A new job: its records, then its state (state.job is set here).
    void begin(const QByteArray &records, JournalState state);
    // The job goes on: written within updateIntervalMs, unless a newer
    // state replaces it first.
    void update(const JournalState &state);
    // The job ended or was stopped: nothing is left to take up.
    void end();
    // Waits for every write asked for so far (leaving the program, tests).
    void flush();

    // The job left by an earlier run, if any. Anything unreadable, foreign
    // or not matching its records is logged and ignored. Without records,
    // only the records file's size is checked (nothing large is read).
    bool read(JournalState *state, QByteArray *records = nullptr) const;

    QString statePath() const;
    QString recordsPath(quint64 job) const;

private:
    void writeState();
    // Runs work on the writer thread, after what was queued before it.
    void write(std::function<void()> work);
    void removeAll();

    QString m_directory;
    QThreadPool m_writer; // one thread: writes in order
    QTimer m_updateTimer;
    JournalState m_pending;
    bool m_havePending = false;
    bool m_active = false;
};
