#pragma once

#include <QString>

class QLabel;

namespace slm
{

// A value field of a list window (a setting, a figure) as a screen reader reads it: its caption
// and the value it shows as the accessible name ("Freq Weight: A"), since a reader's review of a
// window reads names and texts, not descriptions. The caption label, where there is one, is the
// field's buddy.
void nameValueField(QLabel* field, const QString& caption, QLabel* captionLabel = nullptr);
// The value shown, and told with its caption.
void setValueFieldText(QLabel* field, const QString& text);
// "Freq Weight: A"; the caption alone while the field is empty.
QString valueFieldName(const QString& caption, const QString& shown);

} // namespace slm
