#pragma once

#include <QLabel>

namespace slm
{

class LimitsModel;

// The panel's at-a-glance alarm sign: shown while any limit is in alarm, naming the limits. Each
// change of its text is told to screen readers (a name change and an alert).
class AlarmIndicator : public QLabel
{
    Q_OBJECT
public:
    explicit AlarmIndicator(LimitsModel& model, QWidget* parent = nullptr);

private:
    void showState(bool alarm, const QString& names);
};

} // namespace slm
