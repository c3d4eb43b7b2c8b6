#pragma once

#include "measurement/Sample.h"
#include "station/StationConfig.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace slm
{
class RecordFileWriter;
}

namespace slm::station
{

// The records of one meter in real-time record files, one per local hour or day. A file grows as
// "<name>.slmm.part" (its header, the title line, every record handed to the disk at once) and
// becomes "<name>.slmm" with its maximum in the header when its period ends or the station stops.
// The sample that opens a new period is the first record of the new file, so consecutive files
// hold consecutive ticks.
class StationRecording
{
public:
    StationRecording(QString meterName, QString folder, Rotation rotation, int intervalSeconds);
    ~StationRecording();

    // Saves every "*.part" that a crash or a power cut left in `folder` as the file it would have
    // become (its complete records, the maximum found among them). One log line per file.
    static void recoverInterrupted(const QString& meterName, const QString& folder);

    // Records one sample; false (after a log line) when it could not be written.
    bool add(const Sample& sample);
    // Completes and closes the running file.
    void close();

    QString currentPath() const { return m_finalPath; }

private:
    bool openFor(const Sample& sample);
    QString periodKey(const QDateTime& time) const;

    QString m_meter;
    QString m_folder;
    Rotation m_rotation;
    int m_interval;
    std::unique_ptr<RecordFileWriter> m_part;
    QString m_key;
    QString m_finalPath;
    QString m_partPath;
    Sample m_first;
    int m_count = 0;
    int m_maxTenths = 0;
    QString m_maxText = QStringLiteral("0");
    QString m_maxTime;
    bool m_failureLogged = false;
};

} // namespace slm::station
