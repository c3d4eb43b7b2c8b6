#pragma once

#include <QLabel>
#include <QMouseEvent>

// A label that reports clicks (the panel's port label, the clock window's readouts).
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    // A label ignores presses by default, and the release then goes to whoever took the press:
    // take it here so the release (the click) comes back to this label.
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            event->accept();
        else
            QLabel::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(event);
    }
};
