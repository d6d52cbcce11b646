#include "simengraver.h"

namespace Sim {

int Command::intParam(int i) const
{
    if (groups.isEmpty() || i >= groups.first().size())
        return 0;
    return groups.first().at(i).toInt();
}

Command parseCommand(const QByteArray &text)
{
    Command command;
    const QList<QByteArray> tokens = text.trimmed().split(' ');
    if (tokens.isEmpty() || !tokens.first().startsWith('$') || tokens.first().size() < 2)
        return command;
    const QByteArray number = tokens.first().mid(1);
    for (char c : number) {
        if (c < '0' || c > '9')
            return command;
    }
    bool ok = false;
    const int value = number.toInt(&ok);
    if (!ok)
        return command;

    for (int i = 1; i < tokens.size(); ++i) {
        QByteArray token = tokens.at(i);
        if (token.isEmpty())
            continue;
        if (token.startsWith('P')) {
            command.groups.append(QList<QByteArray>());
            token.remove(0, 1);
            if (token.isEmpty())
                continue;
        } else if (command.groups.isEmpty()) {
            return command; // a value without its "P"
        }
        command.groups.last().append(token);
    }
    command.number = value;
    return command;
}

QList<QByteArray> splitCommands(const QByteArray &text)
{
    QList<QByteArray> commands;
    int start = text.indexOf('$');
    while (start >= 0) {
        const int next = text.indexOf('$', start + 1);
        QByteArray piece = text.mid(start, next < 0 ? -1 : next - start);
        while (!piece.isEmpty()
               && (piece.back() == ' ' || piece.back() == '\r' || piece.back() == '\n'
                   || piece.back() == '\0'))
            piece.chop(1);
        commands.append(piece);
        start = next;
    }
    return commands;
}

Record decodeRecord(const char *bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    Record r;
    r.x = b[0] | (b[1] >> 4) << 8;
    r.y = (b[1] & 0x0F) << 8 | b[2];
    r.intensity = b[3];
    return r;
}

QByteArray encodeRecord(int x, int y, int intensity)
{
    QByteArray r(recordSize, '\0');
    r[0] = char(x & 0xFF);
    r[1] = char(((x >> 8) & 0x0F) << 4 | ((y >> 8) & 0x0F));
    r[2] = char(y & 0xFF);
    r[3] = char(intensity & 0xFF);
    return r;
}

BurnPicture::BurnPicture()
    : m_image(areaSize, areaSize, QImage::Format_Grayscale8)
{
    clear();
}

void BurnPicture::clear()
{
    m_image.fill(0);
    m_outside = 0;
}

int BurnPicture::burn(const QByteArray &data, QPoint origin)
{
    int burned = 0;
    for (int i = 0; i + recordSize <= data.size(); i += recordSize) {
        const Record r = decodeRecord(data.constData() + i);
        if (r.intensity == 0)
            continue;
        ++burned;
        const int x = origin.x() + r.x;
        const int y = origin.y() + r.y;
        if (x < 0 || y < 0 || x >= areaSize || y >= areaSize) {
            ++m_outside;
            continue;
        }
        uchar *pixel = m_image.scanLine(y) + x;
        if (r.intensity > *pixel)
            *pixel = uchar(r.intensity);
    }
    return burned;
}

Engraver::Engraver(bool answerHandshake)
    : m_answerHandshake(answerHandshake)
{ }

Engraver::Reaction Engraver::command(const Command &command)
{
    Reaction reaction;
    auto status = [&reaction](const QByteArray &text) {
        reaction.replies.append("F" + text);
    };
    auto firstValue = [&command]() {
        return command.groups.isEmpty() || command.groups.first().isEmpty()
            ? QByteArray("0")
            : command.groups.first().first();
    };

    switch (command.number) {
    case 40:
        if (m_answerHandshake)
            reaction.replies.append("B10");
        break;
    case 41:
        // The host closes the link; a job in progress is abandoned.
        reaction.replies.append("B3");
        m_job = Job::Idle;
        m_awaitingData = false;
        m_framing = false;
        break;
    case 8:
        status(QByteArray::number(command.number) + " P" + firstValue());
        break;
    case 9:
        m_depth = qBound(0.0, firstValue().toDouble(), 1.0);
        status(QByteArray::number(command.number) + " P" + firstValue());
        break;
    case 10:
        status(command.intParam(0) > 0 ? "6" : "7");
        break;
    case 20:
        m_framing = true;
        m_head = QPoint(command.intParam(0), command.intParam(1));
        status("10");
        break;
    case 25:
        m_head = QPoint(command.intParam(0), command.intParam(1));
        if (m_framing) {
            m_framing = false;
            status("11");
        }
        break;
    case 30:
        m_strayChunkPossible = false;
        if (m_job == Job::Idle) {
            // A new job: a resumed one keeps the place it started at.
            m_picture.clear();
            m_chunks = 0;
            m_origin = QPoint(command.intParam(0), command.intParam(1));
            m_framing = false;
        }
        m_job = Job::Running;
        status("20");
        break;
    case 31:
        if (m_job == Job::Running)
            m_job = Job::Paused;
        status("21");
        break;
    case 32:
        // A stop drops the job: whatever it was waiting for, so that the
        // next start asks for data anew. A host that went away and came back
        // may never send the chunk asked for; stop and start recover.
        reaction.jobEnded = m_job != Job::Idle;
        m_job = Job::Idle;
        m_strayChunkPossible = m_awaitingData;
        m_awaitingData = false;
        status("22");
        break;
    case 33:
        // The host has no more data: the job is complete.
        m_awaitingData = false;
        if (m_job != Job::Idle) {
            m_job = Job::Idle;
            reaction.jobEnded = true;
            status("22");
        }
        break;
    case 42:
        m_head = QPoint(0, 0);
        break;
    case 50:
    case 51:
        break;
    default:
        break;
    }
    return reaction;
}

int Engraver::chunk(const QByteArray &data)
{
    m_awaitingData = false;
    m_strayChunkPossible = false;
    if (m_job == Job::Idle)
        return 0; // sent after a stop: nothing burns
    ++m_chunks;
    return m_picture.burn(data, m_origin);
}

QByteArray Engraver::requestData()
{
    m_awaitingData = true;
    return "B1";
}

int Engraver::burnMilliseconds(int records, int ratePerSecond) const
{
    if (ratePerSecond <= 0)
        return 0;
    return int(double(records) * 1000.0 * (1.0 + 3.0 * m_depth) / ratePerSecond);
}

} // namespace Sim
