#pragma once

#include <QString>

class QLabel;

namespace slm
{

// A value field of a list window (a setting, a figure) as a screen reader reads it: its caption
// as the accessible name, its value as the description, so "Freq Weight" is read together with
// "A" and neither hides the other. The caption label, where there is one, is the field's buddy.
void nameValueField(QLabel* field, const QString& caption, QLabel* captionLabel = nullptr);
// The value shown and told.
void setValueFieldText(QLabel* field, const QString& text);

} // namespace slm
