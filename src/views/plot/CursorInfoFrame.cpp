#include "views/plot/CursorInfoFrame.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

namespace slm
{

QString generalNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

QString oneDecimalText(double value)
{
    // A value just below zero that rounds to zero reads "0.0", not "-0.0".
    const double rounded = std::round(value * 10) / 10;
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', 1);
}

CursorInfoFrame::CursorInfoFrame(QWidget* parent) : QGroupBox(QStringLiteral("Cursor Information"), parent)
{
    setObjectName(QStringLiteral("FraCursorInformation"));
    auto* form = new QFormLayout(this);
    auto make = [this](const char* name, const char* spoken) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setAccessibleName(QString::fromLatin1(spoken));
        e->setReadOnly(true);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("3499990.0")));
        return e;
    };
    m_x = make("XPosition", "Cursor X");
    m_y = make("YPosition", "Cursor Y");
    form->addRow(QStringLiteral("No.s ( X ) :"), m_x);
    form->addRow(QStringLiteral("Value ( Y ) :"), m_y);
}

void CursorInfoFrame::showPosition(double x, double y)
{
    m_x->setText(generalNumberText(x));
    m_y->setText(oneDecimalText(y));
}

void CursorInfoFrame::clear()
{
    m_x->clear();
    m_y->clear();
}

QString CursorInfoFrame::xText() const
{
    return m_x->text();
}

QString CursorInfoFrame::yText() const
{
    return m_y->text();
}

} // namespace slm
