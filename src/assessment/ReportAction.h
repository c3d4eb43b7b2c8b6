#pragma once

class QWidget;

namespace slm
{

class AssessmentSession;
class Dialogs;

// "Report...": asks where, writes the measurement report of the session's present state there
// and offers to open it in the system's viewer.
void runReportAction(QWidget* parent, Dialogs& dialogs, AssessmentSession& session);

} // namespace slm
