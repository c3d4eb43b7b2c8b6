#pragma once

#include <QObject>
#include <QString>

namespace slm
{

// Short notes for the user that need no answer (a command refused because the meter is busy, a
// key the meter did not acknowledge). Whoever does the work posts them; the panel shows them in
// its status bar and tests listen to the same signal.
class StatusNotices : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void post(const QString& text) { emit posted(text); }

signals:
    void posted(const QString& text);
};

} // namespace slm
