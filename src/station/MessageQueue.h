#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <deque>

namespace slm::station
{

// Messages waiting for the broker's acknowledgement, kept in a file so that neither a broker
// outage nor a restart of the station loses one. The file is a log of lines, each "<crc> <entry>"
// with the CRC-32 of the entry in eight hex digits: "+<seq> <topic> <payload>" when a message is
// queued, "-<seq>" when the broker acknowledged it (or it was dropped). A line counts only when
// whole: a tail a crash cut short is dropped (and logged) before anything is appended, and a
// removal is never read from a damaged line. Older files without the checksums are still read.
// The file is rewritten with the waiting messages alone when the removals outweigh them.
//
// A file that cannot be used does not stop the station: the messages then wait in memory, and the
// file is tried again at every new message.
class MessageQueue
{
public:
    struct Message {
        qint64 seq = 0;
        QByteArray topic;
        QByteArray payload;
    };

    MessageQueue(QString path, qsizetype limit);

    // Reads what an earlier run left. False (and `error`, naming the file and the cause) when the
    // file cannot be used; the queue then works in memory. `notes` tells what was dropped.
    bool open(QString& error, QStringList& notes);
    // Appends a message, dropping the oldest first when the queue is full; returns how many were
    // dropped.
    int push(const QByteArray& topic, const QByteArray& payload);
    // The broker has it: it leaves the queue.
    void remove(qint64 seq);
    // Tries the file again when it could not be used; true when it is (again) in use.
    bool reopen(QString& error);

    const std::deque<Message>& messages() const { return m_messages; }
    qsizetype size() const { return qsizetype(m_messages.size()); }
    const QString& path() const { return m_path; }
    bool onDisk() const { return m_file.isOpen(); }

    // "3f2a9b1c +12 topic payload": one line of the file, without its end.
    static QByteArray line(const QByteArray& entry);

private:
    bool readExisting(QStringList& notes, QString& error);
    bool openForAppend(QString& error);
    bool append(const QByteArray& entry, bool sync);
    bool rewrite();
    void compactIfWorth();

    QString m_path;
    qsizetype m_limit;
    QFile m_file;
    qint64 m_goodSize = 0; // the file's length up to its last whole line
    std::deque<Message> m_messages;
    qint64 m_nextSeq = 1;
    qint64 m_removedLines = 0;
    bool m_rewriteDue = false;
};

} // namespace slm::station
