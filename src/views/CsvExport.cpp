#include "views/CsvExport.h"

#include "measurement/RecordCsv.h"
#include "shared/Dialogs.h"

#include <QCursor>
#include <QGuiApplication>

namespace slm
{

bool exportListCsv(const RecordListModel& list, Dialogs& dialogs, QWidget* parent)
{
    const QString path = dialogs.saveFile(parent, CsvFileFilter);
    if (path.isEmpty())
        return false;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const QString error = writeFileAtomically(path, recordListCsv(list));
    QGuiApplication::restoreOverrideCursor();
    if (!error.isEmpty()) {
        dialogs.message(parent, error, QStringLiteral("Export CSV"), Dialogs::Icon::Critical);
        return false;
    }
    return true;
}

} // namespace slm
