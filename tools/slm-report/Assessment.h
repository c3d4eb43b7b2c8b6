#pragma once

#include "AssessmentOptions.h"
#include "AssessmentOutput.h"
#include "RecordSamples.h"
#include "Report.h"

#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentRun.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// One record file assessed for the report program: read through the measurement layer's
// assessment and written in the output asked for.

namespace slm
{

// "site1.slmm" -> "site1.slmm.assessment.json", as the file system's bytes.
QByteArray assessmentFilePath(const QByteArray& encodedRecordFilePath);

// Whether the file at `encodedPath` (the file system's bytes) is reported through the assessments: a table is
// asked for, or exclusions apply to it.
bool needsAssessment(const QByteArray& encodedPath, const AssessmentOptions& options);

struct StandardsOfFile;

// One file reported with its exclusions and the tables asked for. The file is read once for the
// figures and the tables and once more as the events are written, so neither its records nor its
// events are ever held (but for a pipe's records, which cannot be read twice, and the records the
// standards' tables need all at once).
struct AssessedFile {
    FileReport report; // figures with the exclusions honoured
    AssessmentResults results;
    EventSettings events;
    std::unique_ptr<RecordFilePasses> file;
    std::shared_ptr<const StandardsOfFile> standards; // the standards' tables, when asked for

    // The tables after the figures, in the text report or as the JSON object's further keys.
    // False when the output failed or the file could not be read the same again (error()).
    bool writeTables(const AssessmentOptions& options, ReportOptions::Output output, const OutputSink& write);
    // The table asked for with --csv TABLE.
    bool writeCsv(const AssessmentOptions& options, const OutputSink& write);
    // What went wrong as the tables were written: "" when nothing did.
    QString error() const;

private:
    AssessmentOutputInput outputInput();
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
