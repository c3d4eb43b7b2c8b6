#include "app/AssessmentWindows.h"

#include "assessment/AssessmentSession.h"
#include "assessment/AssessmentWindow.h"
#include "measurement/Measurement.h"
#include "shared/WindowPlacement.h"

namespace slm
{

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
    if (it == m_entries.end()) {
        it = m_entries.insert(&measurement, {new AssessmentSession(measurement, m_desk.dialogs), {}});
        // The window and the assessment go with their records.
        connect(&measurement, &QObject::destroyed, this, [this](QObject* gone) { forget(gone); });
    }
    Entry& e = *it;
    if (!e.window) {
        e.window = new AssessmentWindow(*e.session, m_desk.dialogs, m_panel);
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

void AssessmentWindows::forget(const QObject* measurement)
{
    const auto it = m_entries.find(measurement);
    if (it == m_entries.end())
        return;
    const Entry e = *it;
    m_entries.erase(it);
    delete e.window;
    delete e.session;
}

} // namespace slm
