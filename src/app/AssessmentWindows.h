#pragma once

#include "shared/Services.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

namespace slm
{

struct AssessmentFile;
class AssessmentSession;
class AssessmentWindow;
class Measurement;

// The assessments of the measurements open in the program: one session per measurement, kept as
// long as the measurement lives (so a list without a file keeps its exclusions when the window
// closes), and at most one "Assessment" window each.
class AssessmentWindows : public QObject
{
    Q_OBJECT
public:
    AssessmentWindows(const Desk& desk, QWidget* panel, QObject* parent = nullptr);
    ~AssessmentWindows() override;

    // "Assess": the measurement's window, made or raised.
    AssessmentWindow* open(const Measurement& measurement);
    // The list showing `measurement` was saved to `path`: its assessment goes beside it.
    void listSaved(const Measurement& measurement, const QString& path);
    AssessmentWindow* window(const Measurement& measurement) const;
    // The program is closing: every list without a file whose assessment holds something is
    // offered for saving now, while dialogs can still be shown, and not again when it goes.
    void offerUnsaved();

private:
    struct Entry {
        AssessmentSession* session = nullptr;
        QPointer<AssessmentWindow> window;
        QString name;
        bool offered = false;
    };
    void forget(const QObject* measurement);
    // A list without a file whose assessment holds something: the user may keep it in a file.
    void offerToSave(const AssessmentFile& file, const QString& name);

    Desk m_desk;
    QWidget* m_panel;
    QHash<const QObject*, Entry> m_entries;
};

} // namespace slm
