#include "views/plot/NumericEdit.h"

#include <QKeyEvent>
#include <algorithm>
#include <cmath>

namespace slm
{

NumericEdit::NumericEdit(const NumericEditSettings& settings, QWidget* parent)
    : QDoubleSpinBox(parent), m_fastStep(settings.fastStep)
{
    setDecimals(settings.decimals);
    setRange(settings.minimum, settings.maximum);
    setSingleStep(settings.step);
    setKeyboardTracking(false);
    setAccelerated(true);
    setValueWidening(settings.initial);
}

void NumericEdit::setValueWidening(double value)
{
    if (value < minimum())
        setMinimum(value);
    if (value > maximum())
        setMaximum(value);
    setValue(value);
}

void NumericEdit::keyPressEvent(QKeyEvent* event)
{
    // The spin box would step ten single steps; these edits step by their fast step instead.
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        const int steps = std::max(1, int(std::lround(m_fastStep / singleStep())));
        stepBy(event->key() == Qt::Key_PageUp ? steps : -steps);
        event->accept();
        return;
    }
    QDoubleSpinBox::keyPressEvent(event);
}

} // namespace slm
