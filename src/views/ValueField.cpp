#include "views/ValueField.h"

#include <QLabel>

namespace slm
{

void nameValueField(QLabel* field, const QString& caption, QLabel* captionLabel)
{
    field->setAccessibleName(caption);
    field->setAccessibleDescription(field->text());
    if (captionLabel)
        captionLabel->setBuddy(field);
}

void setValueFieldText(QLabel* field, const QString& text)
{
    field->setText(text);
    field->setAccessibleDescription(text);
}

} // namespace slm
