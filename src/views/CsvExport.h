#pragma once

#include <QString>

class QWidget;

namespace slm
{

class Dialogs;
class RecordListModel;

inline const QString CsvFileFilter = QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|");

// The "Export CSV" command of a list: asks for the file, writes the records as CSV in one piece
// and says so when that failed. True when a file was written.
bool exportListCsv(const RecordListModel& list, Dialogs& dialogs, QWidget* parent);

} // namespace slm
