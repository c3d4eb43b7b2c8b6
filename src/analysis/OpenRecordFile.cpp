#include "analysis/OpenRecordFile.h"

#include "measurement/Measurement.h"
#include "measurement/MeasurementFigures.h"
#include "measurement/MeasurementReader.h"
#include "measurement/RecordFileFormat.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "shared/Services.h"
#include "shared/TimersPaused.h"
#include "shared/WindowPlacement.h"
#include "views/CsvExport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace slm
{

namespace
{

// How often a long read lists what it has, shows the count in the caption and lets the user
// interface run. Each listing wakes the views once, however many records it adds.
constexpr int ListEveryMs = 50;

} // namespace

OpenRecordFile::OpenRecordFile(const Desk& desk, PanelTimers& timers, QWidget* panel,
                               std::function<bool()> recording, QObject* parent)
    : QObject(parent), m_s(desk), m_timers(timers), m_panel(panel), m_recording(std::move(recording))
{
}

OpenRecordFile::~OpenRecordFile() = default;

QString OpenRecordFile::recordingRefusalText()
{
    return QStringLiteral("Recording Mode!\n\rPlease stop recording!");
}

void OpenRecordFile::run()
{
    // The read lets events run; a second "Open" meanwhile would list into a window being filled.
    ReentryFlag::Guard guard(m_reading);
    if (!guard.entered())
        return;
    if (m_recording && m_recording()) {
        m_s.dialogs.message(m_panel, recordingRefusalText(), QString(), Dialogs::Icon::Critical);
        return;
    }
    const QString path = m_s.dialogs.openFile(m_panel, RecordFileFilter);
    if (path.isEmpty() || QFileInfo(path).fileName().isEmpty())
        return;
    open(path);
}

FileListWindow* OpenRecordFile::newView(FileListWindow::View view, Measurement& measurement)
{
    QPointer<FileListWindow>& slot = view == FileListWindow::View::MemoryData ? m_memoryView : m_realView;
    // A view shows one file: the old one goes, and the new one starts with an empty list.
    if (slot)
        slot->close();
    auto* window = new FileListWindow(view, measurement, m_panel);
    // The measurement lives as long as its view, whatever becomes of this command meanwhile.
    connect(window, &QObject::destroyed, [m = &measurement] { delete m; });
    window->setPrinting(&m_s.dialogs, &m_timers);
    slot = window;
    connect(window, &FileListWindow::lnRequested, this,
            [this, window](LnResolution resolution) { emit lnRequested(window, resolution); });
    connect(window, &FileListWindow::plotRequested, this, [this, window] { emit plotRequested(window); });
    connect(window, &FileListWindow::assessRequested, this, [this, window] { emit assessRequested(window); });
    connect(window, &FileListWindow::exportCsvRequested, this,
            [this, window] { exportListCsv(window->records(), m_s.dialogs, window); });
    placeBesidePanel(window, m_panel);
    window->show();
    emit viewOpened(window);
    return window;
}

bool OpenRecordFile::open(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        m_s.dialogs.message(
            m_panel, recordFileError(path, QStringLiteral("Cannot open the file: %1").arg(in.errorString())),
            QString(), Dialogs::Icon::Critical);
        return false;
    }
    QString error;
    {
        // Timers and caption come back at the end of this block, before any message is shown.
        const TimersPaused paused(&m_timers);
        WidgetBusyCaption panelCaption(m_panel);
        BusyScope busy(m_panel ? &panelCaption : nullptr);

        MeasurementReader reader(in);
        // An empty file has nothing to list; a header without records shows its fields.
        if (reader.readHeader()) {
            auto* measurement = new Measurement; // the view's, deleted with it
            measurement->setOrigin({MeasurementOrigin::Kind::File, path});
            QPointer<FileListWindow> window = newView(FileListWindow::viewFor(reader.kind()), *measurement);
            window->setWindowTitle(QFileInfo(path).fileName());
            reader.readInto(
                *measurement,
                [&](Measurement& listed) {
                    busy.setCaption(QString::number(listed.recordCount()) +
                                    QStringLiteral(" Records Completed"));
                    // The user may close the view meanwhile; the reading then ends.
                    QCoreApplication::processEvents();
                    return !window.isNull();
                },
                ListEveryMs);
            // The figures of what was listed, the records before a damaged line included. A file
            // without a header (or with an interval that is no number) takes its interval from the
            // record times.
            if (window)
                window->showFigures(figuresOf(*measurement, measurement->interval()));
        }
        error = reader.error();
    }
    if (error.isEmpty())
        return true;
    m_s.dialogs.message(m_panel, recordFileError(path, error), QString(), Dialogs::Icon::Critical);
    return false;
}

} // namespace slm
