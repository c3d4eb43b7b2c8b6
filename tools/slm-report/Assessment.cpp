#include "Assessment.h"
#include "StandardsOutput.h"

#include <QFile>

namespace slm
{

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
    a.file = std::make_unique<RecordFilePasses>(encodedPath);
    RecordFilePasses& file = *a.file;

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
    const std::vector<ClockSpan> spans = exclusionClockSpans((exclusions ? *exclusions : own).spans());

    // The events need the interval as the records come: a file whose header does not give it
    // counts them in a pass of their own once the records have given it.
    AssessmentCounter counter(settings, file.headerInterval());
    ExclusionCursor cursor(spans);
    file.first([&](const RecordSample& s) {
        counter.add(s, cursor.excluded(s.time));
        return true;
    });
    if (!file.error().isEmpty()) {
        r.error = file.error();
        return a;
    }
    r.kind = file.kind();
    r.header = file.headerLines();
    if (file.records() == 0)
        r.notice = noRecordsText(path);
    const std::optional<double> interval = file.interval();
    a.results = counter.finish(interval, aWeightedOf(recordHeaderOf(file.kind(), file.headerLines())));
    a.results.excludedSpans = spans;
    if (parts.events && !file.headerInterval() && interval && *interval > 0) {
        EventCounter events(settings.events, *interval);
        ExclusionCursor again(spans);
        file.again([&](const RecordSample& s) {
            events.add(s, again.excluded(s.time));
            return true;
        });
        events.finish();
        a.results.events = events.summary();
        if (!file.error().isEmpty()) {
            r.error = file.error();
            return a;
        }
    }
    r.figures = a.results.figures;
    r.excluded = a.results.excluded();
    if (o.standards.any()) {
        // The standards' tables take every record at once: another pass gathers them.
        RecordSamplesOfFile whole{file.kind(), file.headerLines(), {}, interval, {}};
        whole.samples.reserve(size_t(file.records()));
        file.again([&](const RecordSample& s) {
            whole.samples.push_back(s);
            return true;
        });
        if (!file.error().isEmpty()) {
            r.error = file.error();
            return a;
        }
        const ExclusionMask mask(whole.samples, spans);
        a.standards = assessStandards(path, whole, mask, o, r.error);
    }
    return a;
}

AssessmentOutputInput AssessedFile::outputInput()
{
    const std::optional<double> interval = file->interval();
    return {results, interval, [this, interval](const EventVisitor& visit) {
                // Only asked for when the events are known, which needs the interval.
                EventCounter counter(events, interval.value_or(1));
                ExclusionCursor cursor(results.excludedSpans);
                bool going = true;
                const bool whole = file->again([&](const RecordSample& s) {
                    if (const std::optional<NoiseEvent> e = counter.add(s, cursor.excluded(s.time)))
                        going = visit(*e);
                    return going;
                });
                if (whole && going) {
                    if (const std::optional<NoiseEvent> e = counter.finish())
                        going = visit(*e);
                }
                return whole && going;
            }};
}

bool AssessedFile::writeTables(const AssessmentOptions& o, ReportOptions::Output output,
                               const OutputSink& write)
{
    const bool json = output == ReportOptions::Output::Json;
    const bool written =
        json ? writeAssessmentJson(outputInput(), o, write) : writeAssessmentText(outputInput(), o, write);
    if (!written || !error().isEmpty())
        return false;
    if (!standards)
        return true;
    return json ? writeStandardsJson(*standards, write) : writeStandardsText(*standards, write);
}

bool AssessedFile::writeCsv(const AssessmentOptions& o, const OutputSink& write)
{
    if (o.csvTable == AssessmentOptions::Table::Standards)
        return standards && writeStandardsCsv(*standards, o.standards.csvTable, write);
    return writeAssessmentCsv(outputInput(), o.csvTable, write) && error().isEmpty();
}

QString AssessedFile::error() const
{
    return file ? file->error() : QString();
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
