#pragma once

#include <QDialog>
#include <optional>

class QRadioButton;

namespace slm
{

// Asks whether the PC's or the meter's sampling interval is to be set. OK gives the answer;
// closing the window any other way gives none, and the last answer stands.
class SamplingChoice : public QDialog
{
    Q_OBJECT
public:
    explicit SamplingChoice(QWidget* panel);

    // True for the PC's interval, once OK was clicked.
    std::optional<bool> usePcSampling() const { return m_answer; }

private:
    void confirm();

    std::optional<bool> m_answer;
    QRadioButton* m_optMeter;
    QRadioButton* m_optPc;
};

} // namespace slm
