#pragma once

#include <QGroupBox>
#include <QString>

class QLineEdit;

namespace slm
{

// X in general number form: as many digits as the value needs, no trailing zeros (12, 3.5).
QString generalNumberText(double value);
// Y with one decimal ("0.0").
QString oneDecimalText(double value);

// The "Cursor Information" frame: the position of cursor 1 as XPosition ("No.s ( X ) :") and
// YPosition ("Value ( Y ) :"). The readouts are read-only but take the focus, so they can be read
// by keyboard and by a screen reader.
class CursorInfoFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit CursorInfoFrame(QWidget* parent = nullptr);

    void showPosition(double x, double y);
    void clear();
    QString xText() const;
    QString yText() const;
    QLineEdit* xPosition() const { return m_x; }
    QLineEdit* yPosition() const { return m_y; }

private:
    QLineEdit* m_x = nullptr;
    QLineEdit* m_y = nullptr;
};

} // namespace slm
