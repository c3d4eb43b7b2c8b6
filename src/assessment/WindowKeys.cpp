#include "assessment/WindowKeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>
#include <QUndoStack>

namespace slm
{

namespace
{

enum class UndoKey { None, Undo, Redo };

UndoKey undoKeyOf(const QKeyEvent* e)
{
    if (e->key() != Qt::Key_Z)
        return UndoKey::None;
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier)
        return UndoKey::Undo;
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return UndoKey::Redo;
    return UndoKey::None;
}

bool lineKeeps(const QLineEdit* line)
{
    return line && !line->isReadOnly() && (line->isUndoAvailable() || line->isRedoAvailable());
}

bool documentKeeps(const QTextDocument* document, bool readOnly)
{
    return !readOnly && (document->isUndoAvailable() || document->isRedoAvailable());
}

} // namespace

WindowUndoKeys::WindowUndoKeys(QWidget* window, QUndoStack* stack)
    : QObject(window), m_window(window), m_stack(stack)
{
    // With the focus on the window itself or on nothing in it.
    const auto shortcut = [this](const QKeySequence& keys, void (QUndoStack::*slot)()) {
        auto* s = new QShortcut(keys, m_window);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, m_stack, slot);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &QUndoStack::undo);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &QUndoStack::redo);
    // Every widget of the window that takes the focus sees the keys first: those there now, and
    // any made later once it has the focus.
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus)
            w->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_window->isAncestorOf(now))
            now->installEventFilter(this);
    });
}

bool WindowUndoKeys::keepsUndoKeys(const QWidget* focus)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(focus))
        return lineKeeps(line);
    if (const auto* box = qobject_cast<const QAbstractSpinBox*>(focus))
        return lineKeeps(box->findChild<QLineEdit*>());
    if (const auto* combo = qobject_cast<const QComboBox*>(focus))
        return lineKeeps(combo->lineEdit());
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(focus))
        return documentKeeps(plain->document(), plain->isReadOnly());
    if (const auto* rich = qobject_cast<const QTextEdit*>(focus))
        return documentKeeps(rich->document(), rich->isReadOnly());
    return false;
}

bool WindowUndoKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto* e = static_cast<QKeyEvent*>(event);
    const UndoKey key = undoKeyOf(e);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (key == UndoKey::None || !widget || !m_window->isAncestorOf(widget) || keepsUndoKeys(widget))
        return false;
    // Done as the keys are announced, whoever the press then goes to; the press itself is eaten.
    if (type == QEvent::ShortcutOverride) {
        if (key == UndoKey::Undo)
            m_stack->undo();
        else
            m_stack->redo();
        e->accept();
    }
    return true;
}

FocusReturn::FocusReturn(QWidget* window, QWidget* fallback) : m_fallback(fallback)
{
    QWidget* focus = QApplication::focusWidget();
    m_focus = focus && window->isAncestorOf(focus) ? focus : window->focusWidget();
}

FocusReturn::~FocusReturn()
{
    QWidget* target = m_focus;
    if (!target || !target->isVisible() || !target->isEnabled())
        target = m_fallback;
    if (!target)
        return;
    // The window the dialog came from is the active one again, whatever the window manager does.
    if (!target->isActiveWindow())
        target->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
}

} // namespace slm
