#include "assessment/ReportAction.h"

#include "assessment/AssessmentSession.h"
#include "shared/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace slm
{

QString proposedReportPath(const AssessmentSession& session)
{
    const QString records = session.recordFilePath();
    if (records.isEmpty())
        return QDir::home().filePath(session.measurementName() + QStringLiteral("-report.pdf"));
    const QFileInfo file(records);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("-report.pdf"));
}

void runReportAction(QWidget* parent, Dialogs& dialogs, AssessmentSession& session, const ReportWriter& write)
{
    const QString title = QStringLiteral("Report");
    QString path = dialogs.saveFileAs(parent, QStringLiteral("PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*|"),
                                      proposedReportPath(session));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".pdf");
        // The dialog asked about the name without ".pdf", not about this one.
        if (QFileInfo::exists(path) &&
            !dialogs.confirm(parent,
                             QStringLiteral("%1 already exists. Replace it?").arg(QFileInfo(path).fileName()),
                             title))
            return;
    }
    // The report is of what the window shows once every edit is assessed.
    session.settle();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ReportWritten outcome = write(path, session);
    QApplication::restoreOverrideCursor();
    if (!outcome.error.isEmpty()) {
        dialogs.message(parent, outcome.error, title, Dialogs::Icon::Critical);
        return;
    }
    const QString text = QStringLiteral("The report was written to %1 (%2 pages). Open it now?")
                             .arg(QFileInfo(path).fileName())
                             .arg(outcome.pages);
    if (dialogs.confirm(parent, text, title) && !dialogs.startProgram(QStringLiteral("xdg-open"), {path}))
        dialogs.message(parent, QStringLiteral("The report could not be opened: no viewer was started."),
                        title, Dialogs::Icon::Warning);
}

} // namespace slm
