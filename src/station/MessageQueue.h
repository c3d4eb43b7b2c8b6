#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <deque>

namespace slm::station
{

// Messages waiting for the broker's acknowledgement, kept in a file so that neither a broker
// outage nor a restart of the station loses one. The file is a log: "+<seq> <topic> <payload>"
// when a message is queued, "-<seq>" when the broker acknowledged it (or it was dropped); it is
// rewritten with the waiting messages alone when the removals outweigh them.
class MessageQueue
{
public:
    struct Message {
        qint64 seq = 0;
        QByteArray topic;
        QByteArray payload;
    };

    MessageQueue(QString path, qsizetype limit);

    // Reads what an earlier run left. False (and `error`) when the file cannot be used.
    bool open(QString& error);
    // Appends a message, dropping the oldest first when the queue is full; returns how many were
    // dropped.
    int push(const QByteArray& topic, const QByteArray& payload);
    // The broker has it: it leaves the queue.
    void remove(qint64 seq);

    const std::deque<Message>& messages() const { return m_messages; }
    qsizetype size() const { return qsizetype(m_messages.size()); }
    const QString& path() const { return m_path; }

private:
    bool append(const QByteArray& line, bool sync);
    void compactIfWorth();

    QString m_path;
    qsizetype m_limit;
    QFile m_file;
    std::deque<Message> m_messages;
    qint64 m_nextSeq = 1;
    qint64 m_removedLines = 0;
};

} // namespace slm::station
