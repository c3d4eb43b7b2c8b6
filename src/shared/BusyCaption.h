#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace slm
{

// The window caption that long work writes its progress into, and the busy mouse pointer.
class BusyCaption
{
public:
    virtual ~BusyCaption() = default;
    virtual QString caption() const = 0;
    virtual void setCaption(const QString& text) = 0;
    virtual void setBusy(bool busy) = 0;
};

// The caption of a window and the application's override cursor.
class WidgetBusyCaption : public BusyCaption
{
public:
    explicit WidgetBusyCaption(QWidget* window) : m_window(window) {}
    QString caption() const override;
    void setCaption(const QString& text) override;
    void setBusy(bool busy) override;

private:
    // The window may close while the work it shows lets events run.
    QPointer<QWidget> m_window;
};

// Shows the busy pointer for its lifetime and puts the caption back as it found it, however the
// work ends. A null BusyCaption makes it do nothing.
class BusyScope
{
public:
    explicit BusyScope(BusyCaption* target);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void setCaption(const QString& text);

private:
    BusyCaption* m_target;
    QString m_savedCaption;
};

} // namespace slm
