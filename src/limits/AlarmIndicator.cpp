#include "limits/AlarmIndicator.h"

#include "limits/LimitsModel.h"

#include <QAccessible>

namespace slm
{

AlarmIndicator::AlarmIndicator(LimitsModel& model, QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("alarmIndicator"));
    setStyleSheet(
        QStringLiteral("QLabel { background: #c00000; color: white; font-weight: bold; padding: 2px 6px; }"));
    setFocusPolicy(Qt::TabFocus); // reachable from the keyboard while it shows
    connect(&model, &LimitsModel::alarmChanged, this, &AlarmIndicator::showState);
    showState(model.anyAlarm(), model.alarmNames());
}

void AlarmIndicator::showState(bool alarm, const QString& names)
{
    setText(alarm ? QStringLiteral("ALARM: %1").arg(names) : QString());
    setAccessibleName(alarm ? QStringLiteral("Limits: alarm %1").arg(names)
                            : QStringLiteral("Limits: clear"));
    setVisible(alarm);
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    if (alarm) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

} // namespace slm
