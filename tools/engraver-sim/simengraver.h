#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>

// The engraver's half of the serial conversation, without any I/O: what a
// command says, what an engraving record holds, how the burns add up to a
// picture, and how the engraver answers.
namespace Sim {

constexpr int areaSize = 1600; // engraving pixels per side
constexpr int chunkSize = 1024;
constexpr int recordSize = 4;

// One command: "$" and its number, then groups that each start with "P",
// e.g. "$30 P100 200 P2" has number 30 and groups {"100", "200"}, {"2"}.
struct Command
{
    int number = -1; // -1: not a command
    QList<QList<QByteArray>> groups;

    bool isValid() const { return number >= 0; }
    // The i-th value of the first group as an int (0 when missing).
    int intParam(int i) const;
};

Command parseCommand(const QByteArray &text);

// Cuts text written by the host into commands: each starts at a "$".
// Trailing blanks, line ends and zero bytes are dropped.
QList<QByteArray> splitCommands(const QByteArray &text);

struct Record
{
    int x = 0;
    int y = 0;
    int intensity = 0;
};

Record decodeRecord(const char *bytes);
QByteArray encodeRecord(int x, int y, int intensity);

// The burns of one job on the 1600 × 1600 area: an 8-bit grey picture whose
// value is the burn intensity (0 untouched, 255 full burn). A pixel burned
// twice keeps the stronger burn, so zero padding never erases anything.
class BurnPicture
{
public:
    BurnPicture();

    void clear();
    // Burns every record of data at origin; returns the records that burn
    // (intensity above 0). Records falling off the area are counted in
    // outside() and left out.
    int burn(const QByteArray &data, QPoint origin);

    const QImage &image() const { return m_image; }
    int outside() const { return m_outside; }

private:
    QImage m_image;
    int m_outside = 0;
};

// The engraver's state machine. Each call returns the replies to write, in
// order; the caller decides how and when they go on the wire.
class Engraver
{
public:
    enum class Job { Idle, Running, Paused };

    struct Reaction
    {
        QList<QByteArray> replies;
        bool jobEnded = false; // the burn picture is complete (or stopped)
    };

    explicit Engraver(bool answerHandshake = true);

    Reaction command(const Command &command);
    // A data chunk has arrived; returns the records it burned.
    int chunk(const QByteArray &data);

    // True while the job runs and no chunk has been asked for yet.
    bool wantsData() const { return m_job == Job::Running && !m_awaitingData; }
    // Asks for the next chunk: returns "B1".
    QByteArray requestData();
    bool awaitingData() const { return m_awaitingData; }
    // A chunk may still come that was asked for before a stop: bytes of a
    // chunk's size are taken as that chunk, and dropped, rather than read as
    // commands. Over with that chunk or the next start.
    bool strayChunkPossible() const { return m_strayChunkPossible; }

    Job job() const { return m_job; }
    bool framing() const { return m_framing; }
    QPoint origin() const { return m_origin; }
    QPoint head() const { return m_head; }
    // The depth last set by "$9", 0 to 1: deeper burns take longer.
    double depth() const { return m_depth; }
    // How long burning this many records takes at ratePerSecond records a
    // second at depth 0; each step of depth adds to it, up to four times as
    // long at full depth. 0 for rate 0 (as fast as asked).
    int burnMilliseconds(int records, int ratePerSecond) const;
    int chunksReceived() const { return m_chunks; }
    const BurnPicture &picture() const { return m_picture; }

private:
    bool m_answerHandshake;
    Job m_job = Job::Idle;
    bool m_awaitingData = false;
    bool m_strayChunkPossible = false;
    bool m_framing = false;
    QPoint m_origin;
    QPoint m_head;
    double m_depth = 0;
    int m_chunks = 0;
    BurnPicture m_picture;
};

} // namespace Sim
