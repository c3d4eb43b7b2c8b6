#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace slm
{

class AssessmentSession;
class Dialogs;

// How writing one report came out.
struct ReportWritten {
    QString error; // "" when the file was written; else names the file and what went wrong
    int pages = 0;
};
// Writes the measurement report of the session's settled state to the path. The program hands the
// window its writer, so the window does not depend on how the report is drawn.
using ReportWriter = std::function<ReportWritten(const QString& path, const AssessmentSession& session)>;

// NAME-report.pdf beside the record file NAME.slmm; in the home folder for a list kept in memory.
QString proposedReportPath(const AssessmentSession& session);
// "Report...": asks where (proposing that path), writes the measurement report of the session's present state
// there with `write` and offers to open it in the system's viewer.
void runReportAction(QWidget* parent, Dialogs& dialogs, AssessmentSession& session,
                     const ReportWriter& write);

} // namespace slm
