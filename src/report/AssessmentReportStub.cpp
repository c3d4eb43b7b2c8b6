// Stands in for the report until its own sources are built into this branch; dropped then.
#include "report/AssessmentReport.h"

namespace slm
{

AssessmentReportOutcome writeAssessmentReport(const QString& pdfPath, const AssessmentReportInput&)
{
    return {QStringLiteral("%1 was not written: the report is not built into this program.").arg(pdfPath), 0};
}

QString programVersionText()
{
    return QStringLiteral("0");
}

} // namespace slm
