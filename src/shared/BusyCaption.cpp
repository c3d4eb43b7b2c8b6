#include "shared/BusyCaption.h"

#include <QApplication>
#include <QWidget>

namespace slm
{

QString WidgetBusyCaption::caption() const
{
    return m_window ? m_window->windowTitle() : QString();
}

void WidgetBusyCaption::setCaption(const QString& text)
{
    if (m_window)
        m_window->setWindowTitle(text);
}

void WidgetBusyCaption::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

BusyScope::BusyScope(BusyCaption* target) : m_target(target)
{
    if (m_target) {
        m_savedCaption = m_target->caption();
        m_target->setBusy(true);
    }
}

BusyScope::~BusyScope()
{
    if (m_target) {
        m_target->setCaption(m_savedCaption);
        m_target->setBusy(false);
    }
}

void BusyScope::setCaption(const QString& text)
{
    if (m_target)
        m_target->setCaption(text);
}

} // namespace slm
