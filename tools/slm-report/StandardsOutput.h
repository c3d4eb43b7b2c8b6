#pragma once

#include "Assessment.h"

#include "measurement/StandardsRun.h"

// The standards' tables of one file for the report program: the inputs read (other record files,
// the limits file), the tables worked out, and their text, JSON keys and CSV.

namespace slm
{

struct StandardsOfFile {
    StandardsInputs inputs; // as given; the other files' records are no longer held
    StandardsResults results;
};

// Everything the standards' options ask of `file`; nothing, with `error` naming the input, when an
// input cannot be read or the records cannot give a table.
std::shared_ptr<const StandardsOfFile> assessStandards(const QString& path, const RecordSamplesOfFile& file,
                                                       const ExclusionMask& mask,
                                                       const AssessmentOptions& options, QString& error);

// The tables after the others in the text report.
bool writeStandardsText(const StandardsOfFile& s, const OutputSink& write);
// The keys after the others in the file's JSON object, each as ",\n  \"key\": value".
bool writeStandardsJson(const StandardsOfFile& s, const OutputSink& write);
// The table asked for with --csv TABLE (RFC 4180).
bool writeStandardsCsv(const StandardsOfFile& s, StandardsOptions::Table table, const OutputSink& write);

} // namespace slm
