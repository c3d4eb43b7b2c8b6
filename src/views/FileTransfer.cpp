#include "views/FileTransfer.h"

#include "measurement/RecordFileWriter.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/Dialogs.h"

#include <QFileInfo>

namespace slm
{

namespace
{

// Setting a caption per row of a list of 348000 would cost more than writing the rows; nothing
// repaints in between anyway, so the caption moves on every few hundred rows and at the last.
constexpr int CaptionStep = 500;

QString writeWholeFile(const QString& path, const QStringList& header, const RecordListModel& list,
                       BusyCaption* progress,
                       const QString& captionSuffix = QStringLiteral("Records Completed"))
{
    RecordFileWriter out(path, RecordFileWriter::Mode::Replace);
    if (!out.open() || !out.writeLines(header))
        return out.error();
    const QString error =
        WriteListRows(out, list, RecordListModel::ColumnCount - 1, list.rows() - 1, progress, captionSuffix);
    if (!error.isEmpty())
        return error;
    if (!out.commit())
        return out.error();
    return {};
}

} // namespace

std::optional<QString> ChooseRecordFile(Dialogs& dialogs, QWidget* parent)
{
    const QString path = dialogs.saveFile(parent, RecordFileFilter);
    if (path.isEmpty() || QFileInfo(path).fileName().isEmpty())
        return std::nullopt;
    return path;
}

QString WriteListRows(RecordFileWriter& out, const RecordListModel& list, int lastColumn, int lastRow,
                      BusyCaption* progress, const QString& captionSuffix)
{
    BusyScope busy(progress);
    lastColumn = std::min(lastColumn, RecordListModel::ColumnCount - 1);
    lastRow = std::min(lastRow, list.rows() - 1);
    QString line;
    for (int row = 0; row <= lastRow; ++row) {
        if (row % CaptionStep == 0 || row == lastRow)
            busy.setCaption(QString::number(row) + captionSuffix);
        line.clear();
        for (int column = 0; column <= lastColumn; ++column) {
            line += list.text(row, column);
            line += u'\t';
        }
        if (!out.writeLine(line))
            return out.error();
    }
    return {};
}

QString writeRealTimeListFile(const QString& path, const RealTimeHeader& header, const RecordListModel& list,
                              BusyCaption* progress)
{
    return writeWholeFile(path, headerLines(header), list, progress);
}

QString writeDataLoggerFile(const QString& path, const DataLoggerHeader& header, const RecordListModel& list,
                            BusyCaption* progress)
{
    return writeWholeFile(path, headerLines(header), list, progress);
}

QString writeListFile(const QString& path, const RecordListModel& list, BusyCaption* progress)
{
    return writeWholeFile(path, {}, list, progress, QStringLiteral(" Records Completed"));
}

} // namespace slm
