#include "logger/MemoryDownload.h"

#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"

#include <QElapsedTimer>
#include <algorithm>

namespace slm
{

namespace
{

// Address where logged data starts; the pointer of an empty memory.
constexpr int EmptyPointer = 48;
// The pause between a request and reading its reply.
constexpr double ReplyWait = 0.02;
// The pause between reads of the block: long enough not to spin, short against its length.
constexpr double BlockReadWait = 0.01;

int threeByteValue(const QByteArray& b)
{
    return static_cast<unsigned char>(b[0]) * 65536 + static_cast<unsigned char>(b[1]) * 256 +
           static_cast<unsigned char>(b[2]);
}

QByteArray request(MeterLink& link, Waiter& waiter, const QByteArray& command)
{
    link.flush();
    link.output(command);
    waiter.waitSeconds(ReplyWait);
    return link.readAll();
}

bool seconds(const QElapsedTimer& t, double limit)
{
    return t.nsecsElapsed() >= static_cast<qint64>(limit * 1e9);
}

} // namespace

double freeMemoryK(int sizeK, int pointer)
{
    const double freeBytes = 1024.0 * sizeK - pointer;
    return freeBytes < 60 ? 0.0 : freeBytes / 1024.0;
}

DownloadResult MemoryDownload::run(MeterLink& link, Waiter& waiter, const CancelQuestion& cancelled,
                                   const DownloadBounds& bounds)
{
    using Outcome = DownloadResult::Outcome;
    DownloadResult result;

    // Pointer and size; a wrong length on either starts over from the pointer.
    QElapsedTimer exchange;
    exchange.start();
    while (true) {
        if (cancelled && cancelled()) {
            result.outcome = Outcome::Cancelled;
            return result;
        }
        const QByteArray pointerReply = request(link, waiter, MeterCommands::ReadMemoryPointer());
        if (pointerReply.size() != 3) {
            if (seconds(exchange, bounds.exchangeSeconds))
                return result;
            continue;
        }
        result.pointer = threeByteValue(pointerReply);
        if (result.pointer < 46)
            return result;
        // 46 and 47 leave no room for a single set: nothing logged, like 48.
        if (result.pointer <= EmptyPointer) {
            result.outcome = Outcome::NoData;
            return result;
        }
        const QByteArray sizeReply = request(link, waiter, MeterCommands::ReadMemorySize());
        if (sizeReply.size() == 3) {
            result.sizeK = 64 * static_cast<unsigned char>(sizeReply[1]);
            break;
        }
        if (seconds(exchange, bounds.exchangeSeconds))
            return result;
    }
    // A pointer beyond the memory (a garbled reply) would have us wait for bytes never sent.
    if (result.pointer > 1024 * result.sizeK)
        return result;
    result.freeK = freeMemoryK(result.sizeK, result.pointer);
    emit sizeKnown(result.sizeK, result.freeK);

    // The block: one framing byte, the logged bytes, one framing byte.
    link.output(MeterCommands::Download());
    waiter.waitSeconds(ReplyWait);
    const qsizetype expected = result.pointer - 46;
    QByteArray block;
    block.reserve(expected);
    QElapsedTimer silence;
    silence.start();
    while (true) {
        const QByteArray chunk = link.readAll();
        if (!chunk.isEmpty()) {
            block.append(chunk);
            silence.restart();
        }
        const qsizetype received = std::min(block.size(), expected);
        emit progress(100.0 * double(received) / double(expected));
        if (received == expected)
            break;
        if (cancelled && cancelled()) {
            result.outcome = Outcome::Cancelled;
            return result;
        }
        if (seconds(silence, bounds.silenceSeconds))
            return result;
        waiter.waitSeconds(BlockReadWait);
    }
    block.truncate(expected);
    result.image = loggerImageFromBlock(block);
    result.sets = scanLoggerImage(result.image, result.pointer - EmptyPointer);
    result.outcome = Outcome::Listed;
    return result;
}

} // namespace slm
