#pragma once

#include "AssessmentOptions.h"
#include "AssessmentOutput.h"
#include "Report.h"

#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentRun.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// One record file assessed for the report program: read once, run through the measurement
// layer's assessment, and written in the output asked for.

namespace slm
{

// One file's records as parsed samples, with its header and interval, read with the measurement
// reader in one pass (one parsed sample per record; the texts are not kept).
struct RecordSamplesOfFile {
    RecordFileKind kind = RecordFileKind::List;
    QStringList header;
    std::vector<RecordSample> samples;
    std::optional<double> interval;
    QString error;
};
RecordSamplesOfFile readRecordSamplesOfFile(const QByteArray& encodedPath);

// "site1.slmm" -> "site1.slmm.assessment.json", as the file system's bytes.
QByteArray assessmentFilePath(const QByteArray& encodedRecordFilePath);

// Whether the file at `encodedPath` (the file system's bytes) is reported through the assessments: a table is
// asked for, or exclusions apply to it.
bool needsAssessment(const QByteArray& encodedPath, const AssessmentOptions& options);

struct StandardsOfFile;

// One file reported with its exclusions and the tables asked for.
struct AssessedFile {
    FileReport report; // figures with the exclusions honoured
    RecordSamplesOfFile file;
    AssessmentResults results;
    EventSettings events;
    std::shared_ptr<const StandardsOfFile> standards; // the standards' tables, when asked for

    // The tables after the figures, in the text report or as the JSON object's further keys.
    bool writeTables(const AssessmentOptions& options, ReportOptions::Output output,
                     const OutputSink& write) const;
    // The table asked for with --csv TABLE.
    bool writeCsv(const AssessmentOptions& options, const OutputSink& write) const;

private:
    AssessmentOutputInput outputInput() const;
};
// `exclusions` is the file given with --exclusions, already read; without it the file's own
// assessment file is read.
AssessedFile assessFile(const QByteArray& encodedPath, LnResolution resolution,
                        const AssessmentOptions& options, const std::optional<AssessmentFile>& exclusions);

// Why the --pdf output must not be written ("" when it may): it is one of the files read (a record
// file, an assessment file) or something other than a regular file (a folder, a FIFO, a device).
QString refusedPdfOutput(const ReportOptions& report, const AssessmentOptions& options);

// The file given with --exclusions, read before anything is written; "" when it was read or none
// was given, else what is wrong with it.
QString readExclusionsOption(const AssessmentOptions& options, std::optional<AssessmentFile>& exclusions);

} // namespace slm
