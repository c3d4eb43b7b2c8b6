#include "analysis/OpenRecordFile.h"

#include "measurement/RecordFileFormat.h"
#include "measurement/RecordFileReader.h"
#include "shared/BusyCaption.h"
#include "views/CsvExport.h"
#include "shared/Dialogs.h"
#include "measurement/LevelFigures.h"
#include "measurement/RecordListModel.h"
#include "shared/Services.h"
#include "shared/TimersPaused.h"
#include "shared/WindowPlacement.h"

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

OpenRecordFile::OpenRecordFile(Services& services, PanelTimers& timers, QWidget* panel,
                               std::function<bool()> recording, QObject* parent)
    : QObject(parent), m_s(services), m_timers(timers), m_panel(panel), m_recording(std::move(recording))
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

FileListWindow* OpenRecordFile::newView(FileListWindow::View view)
{
    QPointer<FileListWindow>& slot = view == FileListWindow::View::MemoryData ? m_memoryView : m_realView;
    // A view shows one file: the old one goes, and the new one starts with an empty list.
    if (slot)
        slot->close();
    auto* window = new FileListWindow(view, m_panel);
    window->setPrinting(&m_s.dialogs, &m_timers);
    slot = window;
    connect(window, &FileListWindow::lnRequested, this,
            [this, window](LnResolution resolution) { emit lnRequested(window, resolution); });
    connect(window, &FileListWindow::plotRequested, this, [this, window] { emit plotRequested(window); });
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

        RecordFileReader reader(in);
        const bool hasHeader = reader.readHeader();
        if (!hasHeader && reader.error().isEmpty())
            return true; // an empty file: nothing to list
        if (hasHeader) {
            QPointer<FileListWindow> window = newView(FileListWindow::viewFor(reader.kind()));
            window->setWindowTitle(QFileInfo(path).fileName());
            const QStringList& header = reader.headerLines();
            for (int i = 0; i < header.size(); ++i)
                window->setHeaderLine(i, header[i]);

            QByteArrayView fields[3];
            QElapsedTimer sinceListed;
            sinceListed.start();
            bool more = true;
            while (more && window) {
                RecordListModel& list = window->model();
                more = reader.nextRecordBytes(fields);
                if (more)
                    list.stageLatin1(fields[0], fields[1], fields[2]);
                if (!more || sinceListed.elapsed() >= ListEveryMs) {
                    list.commitStaged();
                    busy.setCaption(QString::number(list.recordCount()) +
                                    QStringLiteral(" Records Completed"));
                    // The user may close the view meanwhile; the loop then ends.
                    QCoreApplication::processEvents();
                    sinceListed.restart();
                }
            }
            // The figures of what was listed, the records before a damaged line included. A file
            // without a header (or with an interval that is no number) takes its interval from the
            // record times.
            if (window)
                window->showFigures(figuresOfList(window->records(), headerInterval(reader.headerLine(1))));
        }
        error = reader.error();
    }
    if (error.isEmpty())
        return true;
    m_s.dialogs.message(m_panel, recordFileError(path, error), QString(), Dialogs::Icon::Critical);
    return false;
}

} // namespace slm
