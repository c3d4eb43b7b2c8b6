#include "views/ValueField.h"

#include <QLabel>
#include <QVariant>

namespace slm
{

namespace
{

// The caption is kept on the field, so a new value is named with it.
constexpr char CaptionProperty[] = "valueFieldCaption";

} // namespace

QString valueFieldName(const QString& caption, const QString& shown)
{
    const QString value = shown.simplified();
    return value.isEmpty() ? caption : caption + QStringLiteral(": ") + value;
}

void nameValueField(QLabel* field, const QString& caption, QLabel* captionLabel)
{
    field->setProperty(CaptionProperty, caption);
    field->setAccessibleName(valueFieldName(caption, field->text()));
    if (captionLabel)
        captionLabel->setBuddy(field);
}

void setValueFieldText(QLabel* field, const QString& text)
{
    field->setText(text);
    const QVariant caption = field->property(CaptionProperty);
    if (caption.isValid())
        field->setAccessibleName(valueFieldName(caption.toString(), text));
}

} // namespace slm
