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

RealTimeHeader headerOf(const Sample& sample, int interval)
{
    RealTimeHeader header = realTimeHeaderOf(sample);
    header.samplingInterval = interval;
    return header;
}

// The complete lines of a growing file; a last line without its line end is the write a crash
// cut short.
QStringList completeLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", at);
        if (end < 0)
            break;
        lines << QString::fromLatin1(bytes.mid(at, end - at));
        at = end + 2;
    }
    return lines;
}

// A name not taken yet: "north-20261208-16.slmm", then "north-20261208-16-2.slmm", ...
QString freeFinalPath(const QString& folder, const QString& stem)
{
    QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n);
        const QString path = dir.filePath(name + QStringLiteral(".slmm"));
        if (!QFileInfo::exists(path) && !QFileInfo::exists(path + PartSuffix))
            return path;
    }
}

// Writes the finished file from its growing one: the header with the maximum, then the title and
// record lines as they stand. "" or the reason it failed.
QString finishFile(const QString& partPath, const QString& finalPath, RealTimeHeader header,
                   const QString& maxText, const QString& maxTime, int* records = nullptr)
{
    QFile part(partPath);
    if (!part.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(partPath, part.errorString());
    QStringList lines = completeLines(part.readAll());
    const int headerCount = headerLineCount(RecordFileKind::RealTime);
    lines = lines.mid(headerCount);
    // Only what the recording wrote: the title line, then record lines in order.
    int kept = 0;
    if (!lines.isEmpty() && lines.first() == titleLine()) {
        kept = 1;
        while (kept < lines.size()) {
            const std::optional<RecordRow> row = splitRecordLine(lines[kept]);
            if (!row || row->number != QString::number(kept))
                break;
            ++kept;
        }
    }
    lines = lines.mid(0, kept);
    if (lines.isEmpty())
        lines << titleLine();
    if (records)
        *records = int(lines.size()) - 1;
    header.maxLevel = maxText;
    header.maxTime = maxTime;
    RecordFileWriter out(finalPath, RecordFileWriter::Mode::Replace);
    if (!out.open() || !out.writeLines(headerLines(header)) || !out.writeLines(lines) || !out.commit())
        return out.error();
    QFile::remove(partPath);
    return {};
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
}

void StationRecording::recoverInterrupted(const QString& meterName, const QString& folder)
{
    const QDir dir(folder);
    const QStringList parts = dir.entryList({QStringLiteral("*.slmm") + PartSuffix}, QDir::Files, QDir::Name);
    for (const QString& name : parts) {
        const QString partPath = dir.filePath(name);
        QFile part(partPath);
        if (!part.open(QIODevice::ReadOnly)) {
            logEvent(
                meterName,
                QStringLiteral("cannot read the interrupted file %1: %2").arg(partPath, part.errorString()));
            continue;
        }
        const QStringList lines = completeLines(part.readAll());
        part.close();
        const int headerCount = headerLineCount(RecordFileKind::RealTime);
        RecordHeader read = recordHeaderOf(RecordFileKind::RealTime, lines.mid(0, headerCount));
        RealTimeHeader header;
        header.samplingInterval = int(read.interval().value_or(1));
        header.freqWeighting = read.text(HeaderField::FreqWeighting);
        header.timeWeighting = read.text(HeaderField::TimeWeighting);
        header.levelRange = read.text(HeaderField::LevelRange);
        header.sel = SelNotComputed;
        header.leq = SelNotComputed;
        // The maximum as a finished file has it: the highest level, the first of equal ones.
        QString maxText = QStringLiteral("0");
        QString maxTime;
        double maxValue = 0;
        for (int i = headerCount + 1; i < lines.size(); ++i) {
            const std::optional<RecordRow> row = splitRecordLine(lines[i]);
            if (!row || row->number != QString::number(i - headerCount))
                break;
            const double value = numericValue(row->level);
            if (maxValue < value) {
                maxValue = value;
                maxText = row->level;
                maxTime = row->dateTime;
            }
        }
        QString stem = name.chopped(PartSuffix.size());
        stem.chop(5); // ".slmm"
        const QString own = dir.filePath(stem + QStringLiteral(".slmm"));
        const QString finalPath = QFileInfo::exists(own) ? freeFinalPath(folder, stem) : own;
        int records = 0;
        const QString error = finishFile(partPath, finalPath, header, maxText, maxTime, &records);
        if (error.isEmpty())
            logEvent(
                meterName,
                QStringLiteral("saved the interrupted file %1 with %2 records").arg(finalPath).arg(records));
        else
            logEvent(meterName,
                     QStringLiteral("could not save the interrupted file %1: %2").arg(partPath, error));
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
    m_finalPath = freeFinalPath(m_folder, stem);
    m_partPath = m_finalPath + PartSuffix;
    m_part = std::make_unique<RecordFileWriter>(m_partPath, RecordFileWriter::Mode::Stream);
    m_first = sample;
    if (!m_part->open() || !m_part->writeLines(headerLines(headerOf(sample, m_interval))) ||
        !m_part->writeLine(titleLine())) {
        if (!m_failureLogged)
            logEvent(m_meter, m_part->error());
        m_failureLogged = true;
        m_part.reset();
        return false;
    }
    m_key = periodKey(sample.time);
    m_count = 0;
    m_maxTenths = 0;
    m_maxText = QStringLiteral("0");
    m_maxTime.clear();
    logEvent(m_meter, QStringLiteral("recording into %1").arg(m_finalPath));
    return true;
}

bool StationRecording::add(const Sample& sample)
{
    if (m_part && periodKey(sample.time) != m_key)
        close();
    if (!m_part && !openFor(sample))
        return false;
    const QString dateTime = sample.time.toLocalTime().toString(DateTimeFormat);
    const QString level = sampleLevelText(sample);
    if (!m_part->writeLine(recordLine(QString::number(m_count + 1), dateTime, level))) {
        if (!m_failureLogged)
            logEvent(m_meter, m_part->error());
        m_failureLogged = true;
        return false;
    }
    m_failureLogged = false;
    ++m_count;
    if (m_maxTenths < sample.tenths) {
        m_maxTenths = sample.tenths;
        m_maxText = level;
        m_maxTime = dateTime;
    }
    return true;
}

void StationRecording::close()
{
    if (!m_part)
        return;
    m_part->commit();
    m_part.reset();
    const QString error =
        finishFile(m_partPath, m_finalPath, headerOf(m_first, m_interval), m_maxText, m_maxTime);
    if (error.isEmpty())
        logEvent(m_meter, QStringLiteral("completed %1 with %2 records").arg(m_finalPath).arg(m_count));
    else
        logEvent(m_meter, QStringLiteral("could not complete %1 (its records stay in %2): %3")
                              .arg(m_finalPath, m_partPath, error));
}

} // namespace slm::station
