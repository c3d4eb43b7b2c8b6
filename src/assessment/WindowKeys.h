#pragma once

#include <QObject>
#include <QPointer>

class QUndoStack;
class QWidget;

namespace slm
{

// Undo (Ctrl+Z) and redo (Ctrl+Shift+Z) of a window's edits by their keys wherever the focus is
// in it. A text field whose own edit history has something in it (the user typed there) keeps
// the keys for that history; one the program filled, a read-only one or any other widget hands
// them to the window's stack.
class WindowUndoKeys : public QObject
{
    Q_OBJECT
public:
    // Made once the window's widgets are.
    WindowUndoKeys(QWidget* window, QUndoStack* stack);

    // Whether `focus` keeps the undo keys for an edit history of its own.
    static bool keepsUndoKeys(const QWidget* focus);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QUndoStack* m_stack;
};

// While a dialog is open: the focus goes back where it was when the guard was made, or to
// `fallback` when that widget is gone, hidden or disabled by then.
class FocusReturn
{
public:
    explicit FocusReturn(QWidget* window, QWidget* fallback);
    ~FocusReturn();
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> m_focus;
    QPointer<QWidget> m_fallback;
};

} // namespace slm
