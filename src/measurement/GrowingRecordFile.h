#pragma once

#include "measurement/AppendDevice.h"
#include "measurement/OwnerLock.h"
#include "measurement/RecordCompletion.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace slm
{

// A time in which records could not be written (a full disk): from the first record that waited
// to the record with which the file caught up. Records of the gap wait in memory and are
// written when space returns; past the buffer's limit newer ones are lost.
struct RecordingGap {
    QDateTime start;
    QDateTime end; // invalid while the gap lasts
    int kept = 0;  // records that waited and were written, or still wait
    int lost = 0;  // records dropped because the buffer was full
    QString error; // the first failure, naming the file and the reason
    qint64 seconds() const { return start.isValid() && end.isValid() ? start.secsTo(end) : 0; }
};

// The one writer of a record file that grows while a meter is sampled: the panel's recording
// into "Fake" and the station's hourly or daily ".part" files. It owns the file for this process
// (a lock beside it), hands every record to the disk as it is taken, rides out writes the disk
// refuses, and completes the file under its header with its own maximum.
class GrowingRecordFile : public QObject
{
    Q_OBJECT
public:
    // Six hours at one record a second, about 1 MB: past that, a gap loses its newer records.
    static constexpr int DefaultBufferLimit = 6 * 3600;

    // `leadingLines` open the file (a header and the title line); the first `headerLineCount` of
    // them give way to the completed file's header.
    GrowingRecordFile(QString path, QStringList leadingLines, int headerLineCount, QObject* parent = nullptr);
    ~GrowingRecordFile() override;

    // Before open(): where the bytes go (tests fail it for a while).
    void setDevice(std::unique_ptr<AppendDevice> device);
    void setBufferLimit(int records) { m_bufferLimit = records; }

    const QString& path() const { return m_path; }
    static QString lockPathOf(const QString& growingPath) { return growingPath + QStringLiteral(".lock"); }

    // Takes the file for this process; false while another living process owns it. The lock's
    // notice() says what was found (a stale lock taken over, the living owner's process id).
    bool claim();
    const OwnerLock& lock() const { return m_lock; }

    // Creates the file empty with its leading lines. False when that failed (error() says why);
    // the lines then wait like records and each later add() tries again, in the same file.
    bool open(const QDateTime& now);

    // Numbers and writes one record, after any that wait. Its number, or 0 when it could be
    // neither written nor kept.
    int add(const QString& dateTime, const QString& level, const QDateTime& now);

    int recordCount() const { return m_count; }
    int waitingRecords() const { return m_waitingRecords; }
    const std::optional<RecordingGap>& gap() const { return m_gap; }
    const QString& error() const { return m_error; }
    const RecordsMaximum& maximum() const { return m_maximum; }

    // Writes `header` and the recorded lines (those still waiting included) to `target`, which
    // appears whole or not at all; the growing file stays. "" or the message naming the file;
    // `readFailed` tells a growing file that could not be read from a target that failed.
    QString completeInto(const QString& target, const QStringList& header,
                         const std::function<void(int)>& progress = {}, bool* readFailed = nullptr);
    // The station's way: the growing file itself becomes the completed file `finalPath`, so no
    // moment leaves both. The lock goes with it.
    QString completeAs(const QString& finalPath, const QStringList& header);

    // Closes the file and gives up the lock; what waits in memory is dropped.
    void release();

signals:
    // Once at a gap's start, and once when the file caught up (or the file was completed).
    void gapStarted(const RecordingGap& gap);
    void gapEnded(const RecordingGap& gap);

private:
    bool writeWaiting(const QDateTime& now);
    void failed(const QDateTime& now);
    void endGap(const QDateTime& now);

    QString m_path;
    QStringList m_leading;
    int m_headerLines;
    std::unique_ptr<AppendDevice> m_device;
    OwnerLock m_lock;
    QByteArrayList m_waiting; // encoded lines, oldest first
    int m_waitingRecords = 0;
    int m_bufferLimit = DefaultBufferLimit;
    bool m_opened = false;
    int m_count = 0;
    RecordsMaximum m_maximum;
    std::optional<RecordingGap> m_gap;
    QDateTime m_lastTime; // of the newest record: a gap that ends at the completion ends then
    QString m_error;
};

// "<who> could not write ... from <start>" and "... caught up ...": the lines a log or the panel's
// status bar shows, once each.
QString gapStartText(const RecordingGap& gap);
QString gapEndText(const QString& path, const RecordingGap& gap);

} // namespace slm
