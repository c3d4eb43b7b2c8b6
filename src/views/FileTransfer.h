#pragma once

#include "measurement/RecordFileFormat.h"

#include <QString>
#include <optional>

class QWidget;

namespace slm
{

class BusyCaption;
class Dialogs;
class RecordFileWriter;
class RecordListModel;

// Asks for the record file to save to: its path, or nothing when the dialog was cancelled or
// gave a path without a file name.
std::optional<QString> ChooseRecordFile(Dialogs& dialogs, QWidget* parent);

// Writes grid rows 0..lastRow (row 0 is the title row) of the list, columns 0..lastColumn, each
// cell followed by a TAB, one line per row. The caption shows the row number followed by
// captionSuffix ("<row>Records Completed") and the pointer is busy while it runs; both are
// restored however it ends. Returns "" or the error.
QString WriteListRows(RecordFileWriter& out, const RecordListModel& list, int lastColumn, int lastRow,
                      BusyCaption* progress,
                      const QString& captionSuffix = QStringLiteral("Records Completed"));

// The whole-file writers. Each writes the complete file or, on a failure, leaves whatever was at
// the path untouched and returns the message naming the file; "" on success.
QString writeRealTimeListFile(const QString& path, const RealTimeHeader& header, const RecordListModel& list,
                              BusyCaption* progress);
QString writeDataLoggerFile(const QString& path, const DataLoggerHeader& header, const RecordListModel& list,
                            BusyCaption* progress);
// The header-less kind: the title line and the rows (the automatic save of a full list, whose
// caption reads "<row> Records Completed").
QString writeListFile(const QString& path, const RecordListModel& list, BusyCaption* progress);

} // namespace slm
