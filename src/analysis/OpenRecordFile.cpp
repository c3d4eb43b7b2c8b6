#include "analysis/OpenRecordFile.h"

#include "recording/RecordFileFormat.h"
#include "recording/RecordFileReader.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"
#include "shared/RecordListModel.h"
#include "shared/Services.h"
#include "shared/TimersPaused.h"
#include "shared/WindowPlacement.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace
{

// Records listed at once. The views wake once per batch rather than once per record, and the
// caption and the user interface get their turn as often: a few hundred times for the longest
// list the panel writes.
constexpr std::size_t Batch = 4096;

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
    slot = window;
    connect(window, &FileListWindow::lnRequested, this,
            [this, window](LnResolution resolution) { emit lnRequested(window, resolution); });
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

            std::vector<RecordRow> batch;
            batch.reserve(Batch);
            int listed = 0;
            bool more = true;
            while (more && window) {
                std::optional<RecordRow> row = reader.nextRecord();
                more = row.has_value();
                if (more)
                    batch.push_back(std::move(*row));
                if (batch.size() == Batch || (!more && !batch.empty())) {
                    window->model().append(batch);
                    listed += static_cast<int>(batch.size());
                    batch.clear();
                    busy.setCaption(QString::number(listed) + QStringLiteral(" Records Completed"));
                    // The user may close the view meanwhile; the loop then ends.
                    QCoreApplication::processEvents();
                }
            }
        }
        error = reader.error();
    }
    if (error.isEmpty())
        return true;
    m_s.dialogs.message(m_panel, recordFileError(path, error), QString(), Dialogs::Icon::Critical);
    return false;
}
