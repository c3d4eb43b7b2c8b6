#include "app/AssessmentWindows.h"

#include "app/SessionReport.h"
#include "assessment/AssessmentSession.h"
#include "assessment/AssessmentWindow.h"
#include "measurement/Measurement.h"
#include "shared/Dialogs.h"
#include "shared/WindowPlacement.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <utility>
#include <vector>

namespace slm
{

namespace
{

// The same file by whatever path it was reached (a link, "..", another spelling), even one not
// written yet.
QString samePlace(const QString& path)
{
    const QFileInfo info(path);
    const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? info.absoluteFilePath() : QDir(dir).filePath(info.fileName());
}

// Exclusions or details kept only in memory, for a list that has no file.
bool holdsUnsaved(const AssessmentSession& session)
{
    return session.filePath().isEmpty() &&
           (!session.file().exclusions.empty() || !session.details().isEmpty());
}

} // namespace

AssessmentWindows::AssessmentWindows(const Desk& desk, QWidget* panel, QObject* parent)
    : QObject(parent), m_desk(desk), m_panel(panel)
{
}

AssessmentWindows::~AssessmentWindows()
{
    for (Entry& e : m_entries) {
        delete e.window;
        delete e.session;
    }
}

AssessmentWindow* AssessmentWindows::open(const Measurement& measurement)
{
    auto it = m_entries.find(&measurement);
    // A file shown twice has one assessment, or two windows would each write back their own: the
    // second view's "Assess" raises the first one's window.
    if (it == m_entries.end() && measurement.origin().kind == MeasurementOrigin::Kind::File) {
        const QString place = samePlace(assessmentFilePath(measurement.origin().where));
        for (auto other = m_entries.begin(); other != m_entries.end(); ++other)
            if (!other->session->filePath().isEmpty() && samePlace(other->session->filePath()) == place) {
                it = other;
                break;
            }
    }
    if (it == m_entries.end()) {
        it = m_entries.insert(&measurement, {new AssessmentSession(measurement, m_desk.dialogs), {}, {}});
        // Named while the measurement lives: it is gone when its assessment is forgotten.
        it->name = it->session->measurementName();
        AssessmentSession* session = it->session;
        const QObject* key = &measurement;
        connect(session, &AssessmentSession::filePathChanged, this, [this, session, key] {
            const auto entry = m_entries.find(key);
            if (entry != m_entries.end() && entry->session == session)
                entry->name = session->measurementName();
        });
        // The window and the assessment go with their records.
        connect(&measurement, &QObject::destroyed, this, [this](QObject* gone) { forget(gone); });
    }
    Entry& e = *it;
    if (!e.window) {
        e.window = new AssessmentWindow(*e.session, m_desk.dialogs, m_panel);
        e.window->setReportWriter(writeSessionReport);
        e.window->setAttribute(Qt::WA_DeleteOnClose);
        placeBesidePanel(e.window, m_panel);
    }
    e.window->show();
    e.window->raise();
    e.window->activateWindow();
    return e.window;
}

void AssessmentWindows::listSaved(const Measurement& measurement, const QString& path)
{
    const auto it = m_entries.find(&measurement);
    if (it != m_entries.end())
        it->session->saveBeside(path);
}

AssessmentWindow* AssessmentWindows::window(const Measurement& measurement) const
{
    const auto it = m_entries.find(&measurement);
    return it == m_entries.end() ? nullptr : it->window.data();
}

void AssessmentWindows::offerUnsaved()
{
    // Taken out first: a question's event loop may delete a window closed earlier, and with it an
    // entry of the table being walked.
    std::vector<std::pair<AssessmentFile, QString>> unsaved;
    for (Entry& e : m_entries)
        if (!e.offered && holdsUnsaved(*e.session)) {
            e.offered = true;
            unsaved.emplace_back(e.session->file(), e.name);
        }
    for (const auto& [file, name] : unsaved)
        offerToSave(file, name);
}

void AssessmentWindows::forget(const QObject* measurement)
{
    const auto it = m_entries.find(measurement);
    if (it == m_entries.end())
        return;
    const Entry e = *it;
    m_entries.erase(it);
    if (e.window) {
        // Deleted later, as it closes: a dialog the window has open returns into it first. The
        // session goes with it, after it has kept the notes typed last.
        e.session->setParent(e.window);
        e.window->close();
    }
    // The measurement is being deleted, perhaps inside its window's destructor: the question waits
    // until that is over, so no dialog's event loop runs into half-destroyed windows.
    if (!e.offered && holdsUnsaved(*e.session))
        QTimer::singleShot(0, this,
                           [this, file = e.session->file(), name = e.name] { offerToSave(file, name); });
    if (!e.window)
        delete e.session;
}

void AssessmentWindows::offerToSave(const AssessmentFile& file, const QString& name)
{
    Dialogs& dialogs = m_desk.dialogs;
    const QString title = QStringLiteral("Assessment");
    if (!dialogs.confirm(
            m_panel,
            QStringLiteral("The exclusions and details of %1 are not saved. Save them to a file?").arg(name),
            title))
        return;
    QString path =
        dialogs.saveFile(m_panel, QStringLiteral("Assessment Files (*.assessment.json)|*.assessment.json|"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".json")))
        path += QStringLiteral(".assessment.json");
    const QString error = writeAssessmentFile(path, file);
    if (!error.isEmpty())
        dialogs.message(m_panel, error, title, Dialogs::Icon::Critical);
}

} // namespace slm
