#pragma once

#include "shared/Services.h"

#include "analysis/FileListWindow.h"
#include "shared/ReentryGuard.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace slm
{

class Measurement;
class PanelTimers;
struct Desk;

// The panel's toolbar "Open": asks for a record file and lists it in the view of its kind, a new
// window each time. The panel's timers are off while the file is read and its caption counts the
// records; both come back however the read ends. A damaged file keeps what was read before the
// damage listed and says where the damage is. Each file is read into a Measurement of its own that
// lives as long as the view that shows it.
class OpenRecordFile : public QObject
{
    Q_OBJECT
public:
    // `recording` tells whether a recording runs; opening is refused then, as the reading would
    // hold up the sampling tick that the recording needs.
    OpenRecordFile(const Desk& desk, PanelTimers& timers, QWidget* panel, std::function<bool()> recording,
                   QObject* parent = nullptr);
    ~OpenRecordFile() override;

    // Toolbar "Open": the refusal while recording, the open dialog, then open(path).
    void run();
    // Reads the file at `path` into a new view of its kind; false when it could not be read to
    // its end (the message has been shown).
    bool open(const QString& path);

    // The views of the last files opened, null when closed or never opened.
    FileListWindow* memoryDataView() const { return m_memoryView; }
    FileListWindow* realTimeView() const { return m_realView; }

    static QString recordingRefusalText();

signals:
    // A view was made for a file; it is shown and its records are coming.
    void viewOpened(FileListWindow* view);
    // A view's Cmd1dB or Cmd01dB.
    void lnRequested(FileListWindow* view, LnResolution resolution);
    // A view's "Plot".
    void plotRequested(FileListWindow* view);
    // A view's "Assess".
    void assessRequested(FileListWindow* view);

private:
    FileListWindow* newView(FileListWindow::View view, Measurement& measurement);

    Desk m_s; // dialogs and clock: no meter needed
    PanelTimers& m_timers;
    QWidget* m_panel;
    std::function<bool()> m_recording;
    QPointer<FileListWindow> m_memoryView;
    QPointer<FileListWindow> m_realView;
    ReentryFlag m_reading;
};

} // namespace slm
