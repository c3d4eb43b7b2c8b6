#pragma once

#include "Report.h"

#include "measurement/AssessmentDose.h"
#include "measurement/AssessmentEvents.h"
#include "measurement/AssessmentFile.h"
#include "measurement/AssessmentPeriods.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The assessment options of the report program: the hourly and day-evening-night tables, noise
// dose, noise events and the exclusions that every figure follows.

namespace slm
{

struct AssessmentOptions {
    enum class Table { None, Hours, Days, Events };
    bool periods = false;
    PeriodSettings periodSettings;
    std::optional<DoseCriterion> dose;
    std::optional<EventSettings> events;
    QString exclusionsFile; // given with --exclusions; "" for each file's own
    bool noExclusions = false;
    Table csvTable = Table::None;

    bool anyTable() const { return periods || dose || events || csvTable != Table::None; }
};

// Takes the assessment options out of `arguments` and returns the rest for parseReportArguments.
// `error` says what is wrong with them ("" when they are sound).
QStringList takeAssessmentArguments(const QStringList& arguments, AssessmentOptions& options, QString& error);
// The same over the command line's own bytes: the rest keeps each argument's bytes, so a file
// name that is not UTF-8 still opens.
QList<QByteArray> takeAssessmentArguments(const QList<QByteArray>& arguments, AssessmentOptions& options,
                                          QString& error);
// What is wrong with the two sets together ("" when nothing).
QString checkAssessmentOptions(const AssessmentOptions& options, const ReportOptions& report);

// The parts of the usage text that describe the assessments.
QString assessmentSynopsisText();
QString assessmentDescriptionText();
QString assessmentOptionsText();

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

// Whether the file at `encodedPath` (the file system's bytes) is reported through the assessments: a table is
// asked for, or exclusions apply to it.
bool needsAssessment(const QByteArray& encodedPath, const AssessmentOptions& options);

// One file reported with its exclusions and the tables asked for. `exclusions` is the file given
// with --exclusions, already read; without it the file's own assessment file is read.
struct AssessedFile {
    FileReport report; // figures with the exclusions honoured, the tables in its extra fields
    QByteArray csv;    // the table asked for with --csv TABLE
};
AssessedFile assessFile(const QByteArray& encodedPath, LnResolution resolution,
                        const AssessmentOptions& options, const std::optional<AssessmentFile>& exclusions,
                        ReportOptions::Output output = ReportOptions::Output::Text);

// The command line as slm-report and its PDF writer read it: `report.error` holds the first fault.
struct CommandLine {
    ReportOptions report;
    AssessmentOptions assessment;
};
CommandLine parseCommandLine(int argc, char** argv);

// The file given with --exclusions, read before anything is written; "" when it was read or none
// was given, else what is wrong with it.
QString readExclusionsOption(const AssessmentOptions& options, std::optional<AssessmentFile>& exclusions);

} // namespace slm
