#include "engraver/replies.h"

#include <climits>
#include <cstring>

namespace Protocol {

ReplyKind classifyReply(const QString &text)
{
    if (text.startsWith(QLatin1Char('F')))
        return ReplyKind::Status;
    if (text.startsWith(QLatin1String("B1")))
        return ReplyKind::DataRequest;
    if (text.startsWith(QLatin1String("B2")))
        return ReplyKind::ResendRequest;
    if (text.startsWith(QLatin1String("B3")))
        return ReplyKind::EndOfLink;
    return ReplyKind::Ignored;
}

QString replyText(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

bool isHandshakeAnswer(const QByteArray &bytes)
{
    return bytes.startsWith(handshakeAnswer);
}

bool isHandshakeAnswerPrefix(const QByteArray &bytes)
{
    const int n = int(std::strlen(handshakeAnswer));
    return !bytes.isEmpty() && bytes.size() < n && QByteArray(handshakeAnswer).startsWith(bytes);
}

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isReplyStart(char c)
{
    return c == 'F' || c == 'B';
}

bool onlyLineEnds(const QByteArray &piece)
{
    for (char c : piece) {
        if (!isLineEnd(c))
            return false;
    }
    return true;
}

} // namespace

QList<QByteArray> splitReplies(const QByteArray &read, QByteArray *pending)
{
    QByteArray data = read;
    if (pending && !pending->isEmpty()) {
        data.prepend(*pending);
        pending->clear();
    }

    QList<QByteArray> replies;
    QByteArray current;
    bool skipping = false; // after a zero byte, until the next reply start
    auto finish = [&]() {
        if (!current.isEmpty() && !onlyLineEnds(current))
            replies.append(current);
        current.clear();
    };

    for (int i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c == '\0') {
            finish();
            skipping = true;
            continue;
        }
        if (isReplyStart(c)) {
            skipping = false;
            if (!current.isEmpty())
                finish();
        } else if (skipping) {
            continue;
        } else if (!isLineEnd(c) && !current.isEmpty() && isLineEnd(current.back())) {
            // The line end closed the reply before; this byte starts another.
            finish();
        }
        current.append(c);
    }

    if (pending && current.size() == 1 && isReplyStart(current.at(0)))
        *pending = current;
    else
        finish();
    return replies;
}

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

int skipBlanks(const QString &text, int i)
{
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return i;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

int statusNumber(const QString &text)
{
    if (!text.startsWith(QLatin1Char('F')))
        return -1;
    int i = skipBlanks(text, 1);
    if (i >= text.size() || !isDigit(text.at(i)))
        return -1;
    qint64 value = 0;
    for (; i < text.size() && isDigit(text.at(i)); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return int(value);
}

double statusValue(const QString &text, bool *ok)
{
    if (ok)
        *ok = false;
    const int p = text.indexOf(QLatin1Char('P'));
    if (p < 0)
        return 0;
    int i = skipBlanks(text, p + 1);
    const int begin = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    int digits = 0;
    for (; i < text.size() && isDigit(text.at(i)); ++i)
        ++digits;
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        for (++i; i < text.size() && isDigit(text.at(i)); ++i)
            ++digits;
    }
    if (digits == 0)
        return 0;
    bool converted = false;
    const double value = text.mid(begin, i - begin).toDouble(&converted);
    if (ok)
        *ok = converted;
    return converted ? value : 0;
}

ChunkPlan planChunk(quint32 size, quint32 position, int mode)
{
    ChunkPlan plan;
    if (position > size)
        position = size;

    if (mode == 2) {
        // The chunk sent last began at the multiple of chunkSize below the
        // position (the last chunk of a job may be short); nothing was sent
        // yet at position 0.
        plan.start = position == 0 ? 0 : (position - 1) / chunkSize * chunkSize;
        plan.length = position - plan.start;
        plan.nextPosition = position;
        plan.endOfData = size == 0;
    } else {
        const quint32 remaining = size - position;
        plan.start = position;
        plan.length = remaining > quint32(chunkSize) ? quint32(chunkSize) : remaining;
        plan.nextPosition = position + plan.length;
        plan.endOfData = remaining == 0;
    }
    if (plan.endOfData) {
        plan.length = 0;
        plan.nextPosition = position;
        plan.progress = size == 0 ? 0 : double(position) / double(size);
    } else {
        plan.progress = double(plan.start) / double(size);
    }
    return plan;
}

QByteArray buildChunk(const QByteArray &job, quint32 start, quint32 length)
{
    QByteArray chunk(chunkSize, '\0');
    const quint32 size = quint32(job.size());
    if (start >= size)
        return chunk;
    if (length > size - start)
        length = size - start;
    if (length > quint32(chunkSize))
        length = chunkSize;
    std::memcpy(chunk.data(), job.constData() + start, length);
    return chunk;
}

} // namespace Protocol
