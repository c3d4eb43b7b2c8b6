#pragma once

#include "measurement/GrowingRecordFile.h"
#include "measurement/Sample.h"
#include "station/StationConfig.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace slm::station
{

// The records of one meter in real-time record files, one per local hour or day. A file grows as
// "<name>.slmm.part" (its header, the title line, every record handed to the disk at once) and
// becomes "<name>.slmm" with its maximum in the header when its period ends or the station stops.
// The sample that opens a new period is the first record of the new file, so consecutive files
// hold consecutive ticks. A full disk pauses the writing, not the file: the records wait in
// memory and the gap is logged when it starts and when it ends.
class StationRecording
{
public:
    StationRecording(QString meterName, QString folder, Rotation rotation, int intervalSeconds);
    ~StationRecording();

    // Saves every "*.part" that a crash or a power cut left in `folder` as the file it would have
    // become (its complete records, the maximum found among them). One log line per file. A file
    // another living process writes is left alone.
    static void recoverInterrupted(const QString& meterName, const QString& folder);

    // Records one sample; false when it could be neither written nor kept.
    bool add(const Sample& sample);
    // Completes and closes the running file.
    void close();

    // Where each new file's bytes go (tests fail it for a while); the real file by default.
    using DeviceFactory = std::function<std::unique_ptr<AppendDevice>()>;
    void setDeviceFactory(DeviceFactory factory) { m_devices = std::move(factory); }

    QString currentPath() const { return m_finalPath; }
    // The gaps of writing that ended, oldest first (the last hundred), and the one that lasts.
    const QList<RecordingGap>& gaps() const { return m_gaps; }
    std::optional<RecordingGap> currentGap() const;
    // Told of each gap once it ended, on the thread that records.
    void setGapEnded(std::function<void(const RecordingGap&)> told) { m_gapEnded = std::move(told); }

private:
    // A file whose period ended but which could not be completed yet (a full disk).
    struct Unfinished {
        std::unique_ptr<GrowingRecordFile> file;
        QString finalPath;
        RealTimeHeader header;
        QDateTime nextTry;
    };

    bool openFor(const Sample& sample);
    QString periodKey(const QDateTime& time) const;
    // True when the file is completed; else it waits in m_unfinished.
    bool complete(Unfinished& file, bool logFailure);
    void retryUnfinished(const QDateTime& now);

    QString m_meter;
    QString m_folder;
    Rotation m_rotation;
    int m_interval;
    DeviceFactory m_devices;
    std::function<void(const RecordingGap&)> m_gapEnded;
    std::unique_ptr<GrowingRecordFile> m_part;
    RealTimeHeader m_header;
    QString m_key;
    QString m_finalPath;
    std::vector<Unfinished> m_unfinished;
    QList<RecordingGap> m_gaps;
    bool m_failureLogged = false;
};

} // namespace slm::station
