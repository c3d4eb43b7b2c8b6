#include "shared/PrinterNote.h"

#include <QStringList>

namespace slm
{

QString printerNoteText()
{
    return QStringList{
        QStringLiteral("Note"),
        QStringLiteral("The effect of the properties of the Printer settings"),
        QStringLiteral("depends on the driver supplied by the printer manufacturer."),
        QStringLiteral("Some property settings may have no effect, or several different property settings"),
        QStringLiteral(
            "may all have the same effect. Settings outside the accepted range may or may not produce "
            "an error."),
        QStringLiteral("For more information, see the manufacturer's documentation for the specific driver."),
    }
        .join(QChar(13));
}

} // namespace slm
