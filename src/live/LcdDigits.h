#pragma once

#include <QWidget>

namespace slm
{

// Seven-segment digits like the meter's own display. Shows digits, ".", "-", blanks and the
// trailing "*" of a marked reading; the text is right-aligned in a fixed number of cells.
class LcdDigits : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit LcdDigits(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setColors(const QColor& on, const QColor& off);
    QSize sizeHint() const override { return {300, 110}; }
    QSize minimumSizeHint() const override { return {160, 60}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_text;
    QColor m_on{20, 32, 24};
    QColor m_off{0, 0, 0, 22};
};

} // namespace slm
