#pragma once

#include <QString>

class QWidget;

namespace slm
{

class AssessmentSession;
class Dialogs;

// NAME-report.pdf beside the record file NAME.slmm; in the home folder for a list kept in memory.
QString proposedReportPath(const AssessmentSession& session);
// "Report...": asks where (proposing that path), writes the measurement report of the session's present state
// there and offers to open it in the system's viewer.
void runReportAction(QWidget* parent, Dialogs& dialogs, AssessmentSession& session);

} // namespace slm
