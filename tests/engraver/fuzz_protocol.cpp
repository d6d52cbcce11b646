// libFuzzer target for the reply side of the protocol: cutting a read into
// replies, classifying them and reading their status numbers and values,
// and planning the answer to a request. Run briefly by CTest.

#include "engraver/replies.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace Protocol;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray read(reinterpret_cast<const char *>(data), int(size));

    // Split in one go and in two reads: no byte is invented, a piece never
    // holds a zero byte, only the first byte of a piece may start a reply.
    QByteArray pending;
    const int half = int(size / 2);
    QList<QByteArray> replies = splitReplies(read.left(half), &pending);
    replies += splitReplies(read.mid(half), &pending);
    replies += splitReplies(read);
    for (const QByteArray &reply : qAsConst(replies)) {
        check(!reply.isEmpty() && reply.size() <= read.size() + 1);
        check(!reply.contains('\0'));
        check(!reply.mid(1).contains('F') && !reply.mid(1).contains('B'));

        const QString text = replyText(reply);
        const ReplyKind kind = classifyReply(text);
        check(kind != ReplyKind::Status || text.startsWith(QLatin1Char('F')));
        const int number = statusNumber(text);
        check(number >= -1);
        check(number == -1 || kind == ReplyKind::Status);
        bool ok = false;
        const double value = statusValue(text, &ok);
        check(ok || value == 0);
        check(!std::isnan(value));
    }
    check(pending.size() <= 1);

    // The answer to a request never reaches outside the job.
    if (size >= 9) {
        quint32 jobSize, position;
        std::memcpy(&jobSize, data, 4);
        std::memcpy(&position, data + 4, 4);
        jobSize %= 1u << 24;
        const int mode = data[8] % 2 + 1;
        const ChunkPlan plan = planChunk(jobSize, position, mode);
        check(plan.length <= quint32(chunkSize));
        check(plan.nextPosition <= jobSize);
        check(plan.endOfData || quint64(plan.start) + plan.length <= jobSize);
        check(plan.progress >= 0 && plan.progress <= 1);
        if (!plan.endOfData && mode == 1)
            check(plan.progress < 1);
        if (!plan.endOfData && mode == 2)
            check(plan.start + plan.length == plan.nextPosition);
    }
    return 0;
}
