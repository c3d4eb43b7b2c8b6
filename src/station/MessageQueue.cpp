#include "station/MessageQueue.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <set>

#include <unistd.h>

namespace slm::station
{

namespace
{
// Removals are cheap lines; the file is rewritten when they are this many and outnumber the
// waiting messages.
constexpr qint64 CompactAfter = 2048;
} // namespace

MessageQueue::MessageQueue(QString path, qsizetype limit)
    : m_path(std::move(path)), m_limit(std::max<qsizetype>(1, limit))
{
}

bool MessageQueue::open(QString& error)
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile in(m_path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("cannot read %1: %2").arg(m_path, in.errorString());
            return false;
        }
        std::set<qint64> removed;
        std::deque<Message> queued;
        while (!in.atEnd()) {
            QByteArray line = in.readLine();
            // A line without its end is the write a crash cut short: never acknowledged, so
            // dropping a cut "-" line only sends that message once more; a cut "+" line was never
            // handed to the broker either.
            if (!line.endsWith('\n'))
                break;
            line.chop(1);
            if (line.startsWith('-')) {
                removed.insert(line.mid(1).toLongLong());
                ++m_removedLines;
            } else if (line.startsWith('+')) {
                const qsizetype space1 = line.indexOf(' ');
                const qsizetype space2 = space1 < 0 ? -1 : line.indexOf(' ', space1 + 1);
                if (space2 < 0)
                    continue;
                Message m;
                m.seq = line.mid(1, space1 - 1).toLongLong();
                m.topic = line.mid(space1 + 1, space2 - space1 - 1);
                m.payload = line.mid(space2 + 1);
                queued.push_back(std::move(m));
            }
        }
        for (Message& m : queued) {
            m_nextSeq = std::max(m_nextSeq, m.seq + 1);
            if (!removed.count(m.seq))
                m_messages.push_back(std::move(m));
        }
        in.close();
    }
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, m_file.errorString());
        return false;
    }
    // Whatever an older run left over is read by now; start the log afresh when that pays.
    compactIfWorth();
    return true;
}

bool MessageQueue::append(const QByteArray& line, bool sync)
{
    if (!m_file.isOpen())
        return false;
    const bool ok = m_file.write(line) == line.size() && m_file.flush();
    // A queued message survives a power cut; an acknowledgement lost with one only sends a
    // message again, so it is not worth a disk flush.
    if (ok && sync)
        ::fdatasync(m_file.handle());
    return ok;
}

int MessageQueue::push(const QByteArray& topic, const QByteArray& payload)
{
    int dropped = 0;
    while (size() >= m_limit) {
        remove(m_messages.front().seq);
        ++dropped;
    }
    Message m{m_nextSeq++, topic, payload};
    append('+' + QByteArray::number(m.seq) + ' ' + m.topic + ' ' + m.payload + '\n', true);
    m_messages.push_back(std::move(m));
    return dropped;
}

void MessageQueue::remove(qint64 seq)
{
    // Acknowledgements come in order: the message is at or near the front.
    const auto it =
        std::find_if(m_messages.begin(), m_messages.end(), [&](const Message& m) { return m.seq == seq; });
    if (it == m_messages.end())
        return;
    m_messages.erase(it);
    append('-' + QByteArray::number(seq) + '\n', false);
    ++m_removedLines;
    compactIfWorth();
}

void MessageQueue::compactIfWorth()
{
    if (m_removedLines < CompactAfter || m_removedLines < qint64(m_messages.size()))
        return;
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return;
    for (const Message& m : m_messages)
        out.write('+' + QByteArray::number(m.seq) + ' ' + m.topic + ' ' + m.payload + '\n');
    m_file.close();
    if (!out.commit()) {
        m_file.open(QIODevice::WriteOnly | QIODevice::Append);
        return;
    }
    m_removedLines = 0;
    m_file.open(QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace slm::station
