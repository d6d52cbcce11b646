#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The engraver's side of the serial conversation, as plain functions: what a
// reply is, where one reply ends and the next begins, what a status reply
// carries, and which bytes answer a data request. No I/O happens here.
namespace Protocol {

// Every data chunk on the wire has this size, whatever the job bytes in it.
constexpr int chunkSize = 1024;

// The handshake answer an engraver gives to "$40".
constexpr char handshakeAnswer[] = "B10";

enum class ReplyKind {
    Status, // "F…": passed on to the page as it is
    DataRequest, // "B1…": the next chunk of the job
    ResendRequest, // "B2…": the chunk sent last, again
    EndOfLink, // "B3…": the engraver closes the link
    Ignored, // anything else
};

// Classifies a reply by its first characters (case-sensitive).
ReplyKind classifyReply(const QString &text);

// The text of one reply: its bytes up to the first zero byte, as UTF-8.
QString replyText(const QByteArray &bytes);

// True when the bytes of one read answer the handshake ("B10" at the start).
bool isHandshakeAnswer(const QByteArray &bytes);
// True when the bytes could still grow into a handshake answer ("B", "B1"):
// the rest of the answer is worth waiting for.
bool isHandshakeAnswerPrefix(const QByteArray &bytes);

// Cuts the bytes of one read into the replies it holds, in order. The link
// has no framing, so a new reply starts at every "F" or "B" after the first
// byte, after a zero byte, and after a line end. A zero byte and what
// follows it up to the next reply start are not part of any reply; line ends
// stay with the reply they end. Pieces that hold nothing but line ends are
// dropped. A read holding a single reply comes back as that one reply.
//
// *pending carries a bare "F" or "B" that ended the previous read over to
// this one, where it is put in front (a reply split right after its first
// byte); a bare "F" or "B" at the end of this read is left in *pending
// instead of being returned. Pass nullptr to keep reads independent.
QList<QByteArray> splitReplies(const QByteArray &read, QByteArray *pending = nullptr);

// The status number of a status reply: the decimal digits after "F",
// leading blanks skipped, up to the first non-digit. -1 when there are no
// digits; numbers too large for an int come back as INT_MAX, which matches
// no status.
int statusNumber(const QString &text);

// The value after the first "P" of a reply (leading blanks skipped): an
// optional sign, digits, an optional decimal point and more digits. Sets
// *ok to false (and returns 0) when there is no "P" or no number after it.
double statusValue(const QString &text, bool *ok = nullptr);

// What answers one data (mode 1) or resend (mode 2) request.
struct ChunkPlan
{
    bool endOfData = false; // answer "$33" instead of a chunk
    quint32 start = 0; // offset of the chunk's first job byte
    quint32 length = 0; // job bytes in the chunk (0 to chunkSize)
    quint32 nextPosition = 0; // send position after the answer
    double progress = 0; // share of the job sent before this chunk
};

// Plans the answer to a request from the size of the job and the send
// position. A data request sends up to chunkSize bytes from the position on
// and moves the position to their end. A resend request repeats the chunk
// that was sent last: its job bytes end at the position, which stays where it
// is; before the first chunk that is a chunk without job bytes. When no job
// bytes remain (or the job is empty) the answer is the end of data. A
// position beyond the job is taken as the job's end.
ChunkPlan planChunk(quint32 size, quint32 position, int mode);

// The 1024 bytes of a chunk: length bytes of job from start on, then zeros.
QByteArray buildChunk(const QByteArray &job, quint32 start, quint32 length);

} // namespace Protocol
