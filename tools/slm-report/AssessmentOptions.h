#pragma once

#include "Report.h"
#include "StandardsOptions.h"

#include "measurement/AssessmentDose.h"
#include "measurement/AssessmentEvents.h"
#include "measurement/AssessmentPeriods.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The assessment options of the report program: the hourly and day-evening-night tables, noise
// dose, noise events and the exclusions that every figure follows.

namespace slm
{

struct AssessmentOptions {
    enum class Table { None, Hours, Days, Events, Standards }; // Standards: standards.csvTable
    bool periods = false;
    PeriodSettings periodSettings;
    std::optional<DoseCriterion> dose;
    std::optional<EventSettings> events;
    QString exclusionsFile;           // given with --exclusions; "" for each file's own
    QByteArray encodedExclusionsFile; // the same as the file system names it
    bool noExclusions = false;
    Table csvTable = Table::None;
    StandardsOptions standards;

    bool anyTable() const { return periods || dose || events || csvTable != Table::None || standards.any(); }
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

// The command line as slm-report and its PDF writer read it: `report.error` holds the first fault.
struct CommandLine {
    ReportOptions report;
    AssessmentOptions assessment;
};
CommandLine parseCommandLine(int argc, char** argv);

} // namespace slm
