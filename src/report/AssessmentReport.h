#pragma once

#include "measurement/AssessmentDetails.h"
#include "measurement/AssessmentRun.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/Sample.h"
#include "measurement/StandardsOutcome.h"

#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The measurement report: one PDF of A4 pages that says what was measured, how, with which
// instrument and calibration, and what came out. Drawn with Qt's own PDF output and the painter
// alone (no window library), so the report program writes it without a display.

namespace slm
{

struct AssessmentReportInput {
    QString fileName; // the record file's name as the report names it; "" for a list not saved
    RecordHeader header;
    std::span<const RecordSample> samples; // read while the report is written
    std::optional<double> interval;
    std::vector<Exclusion> exclusions;
    AssessmentDetails details;
    AssessmentSettings settings;
    AssessmentResults results; // of exactly these samples, exclusions and settings
    // The standards' inputs and tables of the same run; null when no standards' input is set.
    std::shared_ptr<const StandardsOutcome> standards;
};

struct AssessmentReportOutcome {
    QString error; // "" when the file was written; else names the file and what went wrong
    int pages = 0;
};

// Writes the report to `pdfPath`, replacing the file only when the whole report was written. Fonts
// need a QGuiApplication (the offscreen platform will do). About 50 ms for ten days at 1 s.
AssessmentReportOutcome writeAssessmentReport(const QString& pdfPath, const AssessmentReportInput& input);

// "8.01": the program's version, printed at the foot of every page.
QString programVersionText();

} // namespace slm
