#pragma once

#include <QDoubleSpinBox>

class QKeyEvent;

namespace slm
{

// What a numeric edit accepts and how it steps: whole numbers (decimals 0) or one decimal
// (format "0.0"), arrows step by `step`, PageUp/PageDown by `fastStep`.
struct NumericEditSettings {
    double minimum = 0;
    double maximum = 100;
    double initial = 0;
    int decimals = 0;
    double step = 1;
    double fastStep = 5;
};

// A spin box with the graph windows' stepping. Typing takes effect on Enter or when the focus
// leaves, so a half-typed number is never applied (or refused) on the way.
class NumericEdit : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit NumericEdit(const NumericEditSettings& settings, QWidget* parent = nullptr);

    double fastStep() const { return m_fastStep; }
    // A value from the program: shown as given, the accepted range widening to hold it if needed.
    void setValueWidening(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    double m_fastStep;
};

} // namespace slm
