#include "app/SessionReport.h"

#include "assessment/AssessmentSession.h"
#include "report/AssessmentReport.h"

namespace slm
{

ReportWritten writeSessionReport(const QString& path, const AssessmentSession& session)
{
    const AssessedRecords& records = *session.resultRecords();
    AssessmentReportInput input;
    // A list read from a file or saved is named by its file; one never saved by none.
    input.fileName = session.filePath().isEmpty() ? QString() : session.measurementName();
    input.header = records.header;
    input.samples = records.samples;
    input.interval = records.interval;
    input.exclusions = session.resultExclusions();
    input.details = session.details();
    input.settings = session.settings();
    input.results = session.results();
    input.standards = session.resultView().standards;
    const AssessmentReportOutcome outcome = writeAssessmentReport(path, input);
    return {outcome.error, outcome.pages};
}

} // namespace slm
