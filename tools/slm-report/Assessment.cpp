#include "Assessment.h"
#include "StandardsOutput.h"

#include "measurement/MeasurementReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace slm
{

RecordSamplesOfFile readRecordSamplesOfFile(const QByteArray& encodedPath)
{
    RecordSamplesOfFile r;
    const QString path = QFile::decodeName(encodedPath);
    QString openError;
    const std::unique_ptr<QFile> in = openRecordInput(encodedPath, openError);
    if (!in) {
        r.error =
            QStringLiteral("%1: cannot open the file: %2").arg(QDir::toNativeSeparators(path), openError);
        return r;
    }
    MeasurementReader reader(*in);
    StepCounter steps;
    if (reader.readHeader()) {
        // About 28 bytes a record line: one allocation for the usual file (a pipe has no size),
        // asked for only once the header says it is a record file, and bounded all the same.
        constexpr qint64 MostReserved = qint64(1) << 22;
        r.samples.reserve(size_t(std::clamp<qint64>(in->size() / 28 + 16, 0, MostReserved)));
        r.kind = reader.kind();
        r.header = reader.headerLines();
        r.interval = reader.header().interval();
        QByteArrayView fields[3];
        // Records of one hour share "yyyy/mm/dd hh": the calendar is worked out once per hour.
        char hourText[13] = {};
        std::int64_t hourBase = RecordSample::NoTime;
        auto digit = [](char c) { return c >= '0' && c <= '9'; };
        while (reader.nextRecord(fields)) {
            const QByteArrayView t = fields[1];
            if (hourBase != RecordSample::NoTime && t.size() == 19 &&
                std::memcmp(t.data(), hourText, 13) == 0 && t[13] == ':' && t[16] == ':' && digit(t[14]) &&
                digit(t[15]) && digit(t[17]) && digit(t[18]) && t[14] <= '5' && t[17] <= '5') {
                RecordSample sample = parseRecordSample({}, fields[2]);
                sample.time =
                    hourBase + ((t[14] - '0') * 10 + (t[15] - '0')) * 60 + (t[17] - '0') * 10 + (t[18] - '0');
                r.samples.push_back(sample);
            } else {
                r.samples.push_back(parseRecordSample(t, fields[2]));
                const std::int64_t time = r.samples.back().time;
                hourBase = time == RecordSample::NoTime ? time : time - time % 3600;
                if (hourBase != RecordSample::NoTime && time < 0)
                    hourBase = RecordSample::NoTime; // before 1970: left to the general reader
                if (hourBase != RecordSample::NoTime)
                    std::memcpy(hourText, t.data(), 13);
            }
            if (!r.interval)
                steps.add(fields[1]);
        }
    }
    if (!reader.error().isEmpty())
        r.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reader.error());
    if (!r.interval)
        r.interval = steps.mostCommonStep();
    return r;
}

QByteArray assessmentFilePath(const QByteArray& encodedRecordFilePath)
{
    return encodedRecordFilePath + ".assessment.json";
}

bool needsAssessment(const QByteArray& encodedPath, const AssessmentOptions& o)
{
    if (o.anyTable() || !o.exclusionsFile.isEmpty())
        return true;
    // A link that leads nowhere counts: reading it says what is wrong instead of ignoring it.
    return !o.noExclusions && assessmentFileIsThere(assessmentFilePath(encodedPath));
}

AssessedFile assessFile(const QByteArray& encodedPath, LnResolution resolution, const AssessmentOptions& o,
                        const std::optional<AssessmentFile>& exclusions)
{
    const QString path = QFile::decodeName(encodedPath);
    AssessedFile a;
    FileReport& r = a.report;
    r.path = path;
    AssessmentFile own;
    if (!exclusions && !o.noExclusions) {
        AssessmentFileRead read = readAssessmentFile(assessmentFilePath(encodedPath));
        if (!read.error.isEmpty()) {
            r.error = read.error;
            return a;
        }
        own = std::move(read.file);
    }
    a.file = readRecordSamplesOfFile(encodedPath);
    const RecordSamplesOfFile& file = a.file;
    if (!file.error.isEmpty()) {
        r.error = file.error;
        return a;
    }
    r.kind = file.kind;
    r.header = file.header;
    if (file.samples.empty())
        r.notice = noRecordsText(path);

    AssessmentSettings settings;
    settings.resolution = resolution;
    settings.periods = o.periodSettings;
    AssessmentParts& parts = settings.parts;
    parts.hours = o.periods || o.csvTable == AssessmentOptions::Table::Hours;
    parts.days = o.periods || o.csvTable == AssessmentOptions::Table::Days;
    parts.dose = o.dose.has_value();
    parts.events = o.events.has_value();
    parts.listEvents = false; // walked again as they are written
    if (o.dose)
        settings.dose = *o.dose;
    if (o.events)
        settings.events = *o.events;
    a.events = settings.events;
    const std::vector<Exclusion> spans = (exclusions ? *exclusions : own).spans();
    a.results = assessSamples(file.samples, file.interval,
                              aWeightedOf(recordHeaderOf(file.kind, file.header)), spans, settings);
    r.figures = a.results.figures;
    r.excluded = a.results.excluded();
    if (o.standards.any())
        a.standards = assessStandards(path, file, a.results.excludedRecords, o, r.error);
    return a;
}

AssessmentOutputInput AssessedFile::outputInput() const
{
    return {results, file.interval, [this](const EventVisitor& visit) {
                bool completed = true;
                noiseEvents(file.samples, file.interval, results.excludedRecords, events,
                            [&](const NoiseEvent& e) { return completed = visit(e); });
                return completed;
            }};
}

bool AssessedFile::writeTables(const AssessmentOptions& o, ReportOptions::Output output,
                               const OutputSink& write) const
{
    const bool json = output == ReportOptions::Output::Json;
    const bool written =
        json ? writeAssessmentJson(outputInput(), o, write) : writeAssessmentText(outputInput(), o, write);
    if (!written || !standards)
        return written;
    return json ? writeStandardsJson(*standards, write) : writeStandardsText(*standards, write);
}

bool AssessedFile::writeCsv(const AssessmentOptions& o, const OutputSink& write) const
{
    if (o.csvTable == AssessmentOptions::Table::Standards)
        return standards && writeStandardsCsv(*standards, o.standards.csvTable, write);
    return writeAssessmentCsv(outputInput(), o.csvTable, write);
}

QString readExclusionsOption(const AssessmentOptions& options, std::optional<AssessmentFile>& exclusions)
{
    exclusions.reset();
    if (options.exclusionsFile.isEmpty())
        return {};
    AssessmentFileRead read = readAssessmentFile(options.encodedExclusionsFile);
    if (!read.exists)
        read.error = QStringLiteral("%1: no such file.").arg(options.exclusionsFile);
    if (!read.error.isEmpty())
        return read.error;
    exclusions = std::move(read.file);
    return {};
}

} // namespace slm
