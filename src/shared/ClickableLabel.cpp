#include "shared/ClickableLabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace slm
{

namespace
{

// A button named by the label's current text: a reader announces "PC System Time, button" and,
// once the readout runs, the time itself.
class ClickableLabelAccessible : public QAccessibleWidget
{
public:
    explicit ClickableLabelAccessible(ClickableLabel* label) : QAccessibleWidget(label, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(type);
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction()) {
            if (label()->isEnabled())
                label()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (name == pressAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(name);
    }

private:
    ClickableLabel* label() const { return static_cast<ClickableLabel*>(widget()); }
};

QAccessibleInterface* clickableLabelFactory(const QString&, QObject* object)
{
    if (auto* label = qobject_cast<ClickableLabel*>(object))
        return new ClickableLabelAccessible(label);
    return nullptr;
}

} // namespace

ClickableLabel::ClickableLabel(QWidget* parent, Qt::WindowFlags flags) : QLabel(parent, flags)
{
    init();
}

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent, Qt::WindowFlags flags)
    : QLabel(text, parent, flags)
{
    init();
}

void ClickableLabel::init()
{
    static const bool accessible = [] {
        QAccessible::installFactory(clickableLabelFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    // Tab only: a mouse click acts at once, it need not move the focus as well.
    setFocusPolicy(Qt::TabFocus);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void ClickableLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Labels draw no focus of their own; without this, Tab would land on something invisible.
    QPainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = contentsRect().adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

} // namespace slm
