#include "station/MessageQueue.h"

#include "station/StationFiles.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <set>
#include <unistd.h>

namespace slm::station
{

namespace
{
// Removals are cheap lines; the file is rewritten when they are this many and outnumber the
// waiting messages.
constexpr qint64 CompactAfter = 2048;

quint32 crc32(const QByteArray& bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char b : bytes)
        crc = table[(crc ^ quint8(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray queuedEntry(const MessageQueue::Message& m)
{
    return '+' + QByteArray::number(m.seq) + ' ' + m.topic + ' ' + m.payload;
}

// The entry of a whole line: a checked one, or one of an older version's lines, which had no
// checksum and is taken only when nothing in it could be a fragment glued to the next line.
std::optional<QByteArray> entryOf(const QByteArray& line)
{
    if (line.size() > 9 && line[8] == ' ') {
        bool ok = false;
        const quint32 crc = line.left(8).toUInt(&ok, 16);
        if (ok)
            return crc == crc32(line.mid(9)) ? std::optional(line.mid(9)) : std::nullopt;
    }
    static const QRegularExpression removal(QStringLiteral("^-\\d+$"));
    static const QRegularExpression queued(QStringLiteral("^\\+\\d+ .+? (\\{.*\\})$"));
    const QString text = QString::fromUtf8(line);
    if (removal.match(text).hasMatch())
        return line;
    const QRegularExpressionMatch m = queued.match(text);
    if (m.hasMatch() && QJsonDocument::fromJson(m.captured(1).toUtf8()).isObject())
        return line;
    return std::nullopt;
}

} // namespace

QByteArray MessageQueue::line(const QByteArray& entry)
{
    return QByteArray::number(crc32(entry), 16).rightJustified(8, '0') + ' ' + entry;
}

MessageQueue::MessageQueue(QString path, qsizetype limit)
    : m_path(std::move(path)), m_limit(std::max<qsizetype>(1, limit))
{
}

bool MessageQueue::open(QString& error, QStringList& notes)
{
    const bool read = readExisting(notes, error);
    if (!read)
        return false;
    if (!openForAppend(error))
        return false;
    // Whatever an older run left over is read by now; start the log afresh when that pays.
    compactIfWorth();
    return true;
}

bool MessageQueue::readExisting(QStringList& notes, QString& error)
{
    QFile in(m_path);
    const QByteArray native = QFile::encodeName(m_path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        error = QStringLiteral("cannot read the queue %1: %2").arg(m_path, systemErrorText(errno));
        return false;
    }
    if (QFileInfo(m_path).isDir()) {
        ::close(fd);
        error = QStringLiteral("cannot use the queue %1: it is a folder").arg(m_path);
        return false;
    }
    in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray all = in.readAll();
    const qsizetype end = all.lastIndexOf('\n') + 1;
    m_goodSize = end;
    if (end < all.size())
        notes << QStringLiteral("dropped the cut end of the queue %1 (%2 bytes a crash left unfinished)")
                     .arg(m_path)
                     .arg(all.size() - end);
    std::set<qint64> removed;
    std::deque<Message> queued;
    int damaged = 0;
    for (const QByteArray& whole : all.left(end).split('\n')) {
        if (whole.isEmpty())
            continue;
        const std::optional<QByteArray> entry = entryOf(whole);
        if (!entry) {
            ++damaged;
            continue;
        }
        if (entry->startsWith('-')) {
            removed.insert(entry->mid(1).toLongLong());
            ++m_removedLines;
            continue;
        }
        const qsizetype space1 = entry->indexOf(' ');
        // The payload is a JSON object; an older version's topic may hold spaces.
        const qsizetype space2 = space1 < 0 ? -1 : entry->indexOf(" {", space1);
        if (!entry->startsWith('+') || space2 < 0) {
            ++damaged;
            continue;
        }
        queued.push_back({entry->mid(1, space1 - 1).toLongLong(), entry->mid(space1 + 1, space2 - space1 - 1),
                          entry->mid(space2 + 1)});
    }
    if (damaged > 0)
        notes << QStringLiteral(
                     "dropped %1 damaged lines of the queue %2 (cut by a crash of an older version)")
                     .arg(damaged)
                     .arg(m_path);
    for (Message& m : queued) {
        m_nextSeq = std::max(m_nextSeq, m.seq + 1);
        if (!removed.count(m.seq))
            m_messages.push_back(std::move(m));
    }
    // A damaged line goes with a rewrite at once.
    m_rewriteDue = damaged > 0;
    return true;
}

bool MessageQueue::openForAppend(QString& error)
{
    QString why;
    if (!makeFolder(QFileInfo(m_path).absolutePath(), why)) {
        error = QStringLiteral("cannot use the queue %1: %2").arg(m_path, why);
        return false;
    }
    const QByteArray native = QFile::encodeName(m_path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = QStringLiteral("cannot write the queue %1: %2").arg(m_path, systemErrorText(errno));
        return false;
    }
    if (!m_file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = QStringLiteral("cannot write the queue %1: %2").arg(m_path, m_file.errorString());
        return false;
    }
    // A cut tail goes before anything is appended, so no line is ever glued to a fragment.
    if (m_file.size() > m_goodSize && !m_file.resize(m_goodSize)) {
        error =
            QStringLiteral("cannot drop the cut end of the queue %1: %2").arg(m_path, m_file.errorString());
        m_file.close();
        return false;
    }
    m_file.seek(m_file.size());
    m_goodSize = m_file.size();
    return true;
}

bool MessageQueue::reopen(QString& error)
{
    if (m_file.isOpen())
        return true;
    // What waits in memory becomes the file's content.
    QString why;
    if (!makeFolder(QFileInfo(m_path).absolutePath(), why)) {
        error = QStringLiteral("cannot use the queue %1: %2").arg(m_path, why);
        return false;
    }
    if (!rewrite()) {
        error = QStringLiteral("cannot write the queue %1").arg(m_path);
        return false;
    }
    m_goodSize = QFileInfo(m_path).size();
    return openForAppend(error);
}

bool MessageQueue::append(const QByteArray& entry, bool sync)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray text = line(entry) + '\n';
    const bool ok = m_file.write(text) == text.size() && m_file.flush();
    if (!ok) {
        // Nothing half written stays behind to be glued to the next line.
        m_file.resize(m_goodSize);
        m_file.seek(m_goodSize);
        return false;
    }
    m_goodSize += text.size();
    // A queued message survives a power cut; an acknowledgement lost with one only sends a
    // message again, so it is not worth a disk flush.
    if (sync)
        ::fdatasync(m_file.handle());
    return true;
}

int MessageQueue::push(const QByteArray& topic, const QByteArray& payload)
{
    int dropped = 0;
    while (size() >= m_limit) {
        remove(m_messages.front().seq);
        ++dropped;
    }
    Message m{m_nextSeq++, topic, payload};
    append(queuedEntry(m), true);
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
    append('-' + QByteArray::number(seq), false);
    ++m_removedLines;
    compactIfWorth();
}

bool MessageQueue::rewrite()
{
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (const Message& m : m_messages)
        out.write(line(queuedEntry(m)) + '\n');
    return out.commit();
}

void MessageQueue::compactIfWorth()
{
    if (!m_file.isOpen() ||
        (!m_rewriteDue && (m_removedLines < CompactAfter || m_removedLines < qint64(m_messages.size()))))
        return;
    m_rewriteDue = false;
    m_file.close();
    const bool ok = rewrite();
    if (ok)
        m_removedLines = 0;
    m_goodSize = QFileInfo(m_path).size();
    QString ignored;
    openForAppend(ignored);
}

} // namespace slm::station
