#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace slm
{

// A label that reports clicks (the panel's port label, the clock window's readouts).
//
// It works as a button for everyone: Tab reaches it, Space or Enter clicks it, and assistive
// technology sees a button named by its text whose press action clicks it.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // What a click, the keys and the press action all do.
    void click() { emit clicked(); }

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
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void init();
};

} // namespace slm
