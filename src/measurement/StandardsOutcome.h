#pragma once

#include "measurement/AssessmentRun.h"
#include "measurement/AssessmentTables.h"
#include "measurement/StandardsChoice.h"
#include "measurement/StandardsTables.h"

#include <QStringList>
#include <span>
#include <vector>

// The standards' inputs of an assessment run over its records: the same tables the report program
// prints, laid out by the window and the printed report alike.

namespace slm
{

// What a run of the inputs came to, with the tables as the window and the report lay them out.
struct StandardsOutcome {
    StandardsChoice choice;
    StandardsInputs inputs;
    StandardsResults results;
    std::vector<StandardsTable> tables;
    // What was left out and why: inputs that go together given alone, a span outside the records.
    QStringList messages;
};

// The inputs over the records (a copy of the run's, never held): the event rule of the counts
// above and the coverage threshold are the assessment's own.
StandardsOutcome runStandardsChoice(std::span<const RecordSample> samples, std::optional<double> interval,
                                    const ExclusionMask& mask, const StandardsChoice& choice,
                                    const AssessmentSettings& settings);

// The inputs as a report states them: each one given, the corrections with their reasons.
TextTable standardsInputsTable(const StandardsOutcome& outcome);
// A standards table in the assessment's table layout: the first column and the texts to the left,
// figures to the right; a list of names and values is headed "Figure" and "Value".
TextTable shownStandardsTable(const StandardsTable& table);
// A table of two unnamed columns: names and values.
bool isListTable(const StandardsTable& table);

} // namespace slm
