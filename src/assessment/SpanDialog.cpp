#include "assessment/SpanDialog.h"

#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace slm
{

std::optional<TypedSpan> askSpanByDialog(QWidget* parent, const TypedSpan& proposed)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Exclude"));
    auto* form = new QFormLayout(&dialog);
    auto* start = new QDateTimeEdit(proposed.start, &dialog);
    auto* end = new QDateTimeEdit(proposed.end, &dialog);
    for (QDateTimeEdit* e : {start, end}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        e->setCalendarPopup(true);
    }
    start->setAccessibleName(QStringLiteral("Start"));
    end->setAccessibleName(QStringLiteral("End"));
    form->addRow(QStringLiteral("&Start"), start);
    form->addRow(QStringLiteral("&End"), end);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TypedSpan{start->dateTime(), end->dateTime()};
}

} // namespace slm
