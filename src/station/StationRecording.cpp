#include "station/StationRecording.h"

#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileWriter.h"
#include "shared/TextHelpers.h"
#include "station/StationLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace slm::station
{

namespace
{

const QString PartSuffix = QStringLiteral(".part");
const QString DateTimeFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");
// A file that could not be completed is tried again at most this often while records are
// written, so a nearly full disk is not asked to take an hour's file every second.
constexpr int CompletionRetrySeconds = 60;
constexpr int GapsKept = 100;

QString partPathOf(const QString& finalPath)
{
    return finalPath + PartSuffix;
}

// A name not taken yet: "north-20261208-16.slmm", then "north-20261208-16-2.slmm", ... A name
// whose growing file or lock is there belongs to a recording (maybe another process's).
QString freeFinalPath(const QString& folder, const QString& stem)
{
    QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n);
        const QString path = dir.filePath(name + QStringLiteral(".slmm"));
        const QString part = partPathOf(path);
        if (!QFileInfo::exists(path) && !QFileInfo::exists(part) &&
            !QFileInfo::exists(GrowingRecordFile::lockPathOf(part)))
            return path;
    }
}

RealTimeHeader headerRead(const QByteArrayList& lines)
{
    QStringList text;
    for (const QByteArray& line : lines)
        text << QString::fromLatin1(line);
    const RecordHeader read = recordHeaderOf(RecordFileKind::RealTime, text);
    RealTimeHeader header;
    header.samplingInterval = int(read.interval().value_or(1));
    header.freqWeighting = read.text(HeaderField::FreqWeighting);
    header.timeWeighting = read.text(HeaderField::TimeWeighting);
    header.levelRange = read.text(HeaderField::LevelRange);
    header.sel = SelNotComputed;
    header.leq = SelNotComputed;
    return header;
}

// True when the finished file at `path` holds exactly `recorded` (the title and the records).
bool holdsRecords(const QString& path, const QByteArrayList& recorded)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return completeLinesOf(file.readAll()).mid(headerLineCount(RecordFileKind::RealTime)) == recorded;
}

// Saves one interrupted growing file that this process now holds the lock of.
void recoverPart(const QString& meterName, const QString& partPath)
{
    QFile part(partPath);
    if (!part.open(QIODevice::ReadOnly)) {
        logEvent(meterName,
                 QStringLiteral("cannot read the interrupted file %1: %2").arg(partPath, part.errorString()));
        return;
    }
    const QByteArrayList lines = completeLinesOf(part.readAll());
    part.close();
    const int headerCount = headerLineCount(RecordFileKind::RealTime);
    const QByteArrayList recorded = recordedLinesOf(lines.mid(headerCount));
    const int records = std::max(0, int(recorded.size()) - 1);
    if (records == 0) {
        // A file opened on a full disk, or killed before its first record: nothing to keep.
        QFile::remove(partPath);
        logEvent(meterName,
                 QStringLiteral("removed the interrupted file %1: it holds no records").arg(partPath));
        return;
    }
    const QString stem = partPath.chopped(PartSuffix.size() + 5); // ".slmm.part"
    const QString own = stem + QStringLiteral(".slmm");
    if (holdsRecords(own, recorded)) {
        // Completed before the crash, with the growing file not yet gone: no second copy.
        QFile::remove(partPath);
        logEvent(meterName, QStringLiteral("removed the interrupted file %1: %2 holds its %3 records")
                                .arg(partPath, own)
                                .arg(records));
        return;
    }
    const QFileInfo stemInfo(stem);
    const QString finalPath =
        QFileInfo::exists(own) ? freeFinalPath(stemInfo.path(), stemInfo.fileName()) : own;
    RealTimeHeader header = headerRead(lines.mid(0, headerCount));
    const RecordsMaximum max = maximumOfRecords(recorded.mid(1));
    header.maxLevel = max.level;
    header.maxTime = max.time;
    CompletionSource source;
    source.extraLines = recorded;
    // Completed in its own place first, then renamed: the folder never holds both.
    QString error = writeCompletedFile(partPath, headerLines(header), source);
    if (error.isEmpty())
        error = moveIntoPlace(partPath, finalPath);
    if (error.isEmpty())
        logEvent(meterName,
                 QStringLiteral("saved the interrupted file %1 with %2 records").arg(finalPath).arg(records));
    else
        logEvent(meterName,
                 QStringLiteral("could not save the interrupted file %1: %2").arg(partPath, error));
}

} // namespace

StationRecording::StationRecording(QString meterName, QString folder, Rotation rotation, int intervalSeconds)
    : m_meter(std::move(meterName)), m_folder(std::move(folder)), m_rotation(rotation),
      m_interval(intervalSeconds)
{
}

StationRecording::~StationRecording()
{
    close();
    // Still no space: the growing files keep what reached the disk for the next start to save.
    for (const Unfinished& file : m_unfinished)
        if (file.file->waitingRecords() > 0)
            logEvent(m_meter, QStringLiteral("%1 records that waited in memory for %2 are lost")
                                  .arg(file.file->waitingRecords())
                                  .arg(file.file->path()));
}

void StationRecording::recoverInterrupted(const QString& meterName, const QString& folder)
{
    const QDir dir(folder);
    // Locks whose growing file is gone: a process killed between completing a file and removing
    // its lock. Taking a stale one removes it; a living owner's stays.
    for (const QString& name :
         dir.entryList({QStringLiteral("*.slmm") + PartSuffix + QStringLiteral(".lock")}, QDir::Files)) {
        if (!QFileInfo::exists(dir.filePath(name.chopped(5))))
            OwnerLock(dir.filePath(name)).take();
    }
    const QStringList parts = dir.entryList({QStringLiteral("*.slmm") + PartSuffix}, QDir::Files, QDir::Name);
    for (const QString& name : parts) {
        const QString partPath = dir.filePath(name);
        OwnerLock lock(GrowingRecordFile::lockPathOf(partPath));
        switch (lock.take()) {
        case OwnerLock::Result::HeldByLiving:
            logEvent(meterName, QStringLiteral("leaves %1 alone: process %2 is writing it")
                                    .arg(partPath)
                                    .arg(lock.otherPid()));
            continue;
        case OwnerLock::Result::Failed:
            logEvent(meterName, QStringLiteral("leaves %1 alone: %2").arg(partPath, lock.notice()));
            continue;
        case OwnerLock::Result::TakenOverStale:
            logEvent(meterName, lock.notice());
            break;
        case OwnerLock::Result::Taken:
            break;
        }
        recoverPart(meterName, partPath);
    }
}

QString StationRecording::periodKey(const QDateTime& time) const
{
    const QDateTime local = time.toLocalTime();
    if (m_rotation == Rotation::Day)
        return local.toString(QStringLiteral("yyyyMMdd"));
    // The hour that repeats when the clocks go back is another hour: it has another offset.
    return local.toString(QStringLiteral("yyyyMMdd-HH")) + u'@' + QString::number(local.offsetFromUtc());
}

bool StationRecording::openFor(const Sample& sample)
{
    const QDateTime local = sample.time.toLocalTime();
    if (!QDir().mkpath(m_folder)) {
        if (!m_failureLogged)
            logEvent(m_meter, QStringLiteral("cannot create the folder %1").arg(m_folder));
        m_failureLogged = true;
        return false;
    }
    const QString stem = m_meter + u'-' +
                         local.toString(m_rotation == Rotation::Day ? QStringLiteral("yyyyMMdd")
                                                                    : QStringLiteral("yyyyMMdd-HH"));
    const QString finalPath = freeFinalPath(m_folder, stem);
    m_header = realTimeHeaderOf(sample);
    m_header.samplingInterval = m_interval; // the station's own interval, whatever the sample says
    const QStringList header = headerLines(m_header);
    auto part = std::make_unique<GrowingRecordFile>(partPathOf(finalPath), header + QStringList{titleLine()},
                                                    int(header.size()));
    if (m_devices)
        part->setDevice(m_devices());
    if (!part->claim()) {
        // Another process took the name a moment ago; the next sample picks the next one.
        logEvent(m_meter, part->lock().notice());
        return false;
    }
    if (!part->lock().notice().isEmpty())
        logEvent(m_meter, part->lock().notice());
    m_failureLogged = false;
    QObject::connect(part.get(), &GrowingRecordFile::gapStarted,
                     [this](const RecordingGap& gap) { logEvent(m_meter, gapStartText(gap)); });
    const QString partPath = part->path();
    QObject::connect(part.get(), &GrowingRecordFile::gapEnded, [this, partPath](const RecordingGap& gap) {
        logEvent(m_meter, gapEndText(partPath, gap));
        m_gaps << gap;
        if (m_gaps.size() > GapsKept)
            m_gaps.removeFirst();
        if (m_gapEnded)
            m_gapEnded(gap);
    });
    m_finalPath = finalPath;
    m_key = periodKey(sample.time);
    logEvent(m_meter, QStringLiteral("recording into %1").arg(m_finalPath));
    m_part = std::move(part);
    // A file that cannot be written yet is still this period's one file: its lines wait.
    m_part->open(sample.time);
    return true;
}

bool StationRecording::add(const Sample& sample)
{
    if (m_part && periodKey(sample.time) != m_key)
        close();
    if (!m_part && !openFor(sample))
        return false;
    const QString dateTime = sample.time.toLocalTime().toString(DateTimeFormat);
    const bool kept = m_part->add(dateTime, sampleLevelText(sample), sample.time) != 0;
    if (kept && !m_part->gap())
        retryUnfinished(sample.time);
    return kept;
}

bool StationRecording::complete(Unfinished& file, bool logFailure)
{
    RealTimeHeader header = file.header;
    header.maxLevel = file.file->maximum().level;
    header.maxTime = file.file->maximum().time;
    const QString error = file.file->completeAs(file.finalPath, headerLines(header));
    if (error.isEmpty()) {
        logEvent(
            m_meter,
            QStringLiteral("completed %1 with %2 records").arg(file.finalPath).arg(file.file->recordCount()));
        return true;
    }
    if (logFailure)
        logEvent(m_meter, QStringLiteral("could not complete %1 (its records stay in %2): %3")
                              .arg(file.finalPath, file.file->path(), error));
    return false;
}

void StationRecording::retryUnfinished(const QDateTime& now)
{
    for (auto it = m_unfinished.begin(); it != m_unfinished.end();) {
        if (now < it->nextTry) {
            ++it;
            continue;
        }
        it->nextTry = now.addSecs(CompletionRetrySeconds);
        it = complete(*it, false) ? m_unfinished.erase(it) : it + 1;
    }
}

void StationRecording::close()
{
    if (m_part) {
        Unfinished file{std::move(m_part), m_finalPath, m_header, {}};
        if (!complete(file, true))
            m_unfinished.push_back(std::move(file));
    }
    retryUnfinished(QDateTime::currentDateTime().addYears(1));
}

std::optional<RecordingGap> StationRecording::currentGap() const
{
    return m_part ? m_part->gap() : std::nullopt;
}

} // namespace slm::station
