#pragma once

#include <QDialog>

class QRadioButton;
struct PanelState;

// Asks whether the PC's or the meter's sampling interval is to be set. OK stores the answer
// in UsePCSampling; closing the window any other way leaves it as it was.
class SamplingChoice : public QDialog
{
    Q_OBJECT
public:
    SamplingChoice(PanelState& state, QWidget* panel);

private:
    void confirm();

    PanelState& m_state;
    QRadioButton* m_optMeter;
    QRadioButton* m_optPc;
};
