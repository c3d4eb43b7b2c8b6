#pragma once

#include "assessment/ReportAction.h"

namespace slm
{

// The "Assessment" window's report writer: the measurement report of the session's settled
// results, samples, exclusions, details and standards.
ReportWritten writeSessionReport(const QString& path, const AssessmentSession& session);

} // namespace slm
