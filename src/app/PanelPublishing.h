#pragma once

#include <QStringList>
#include <memory>

class QObject;
class QWidget;

namespace slm
{

class Dialogs;
class LimitsModel;
class MeterSession;

// Publishing the panel's meter to an MQTT broker, as a station publishes each of its meters.
// The setting is a file in the station's format ([station] id and data, [mqtt], and [meter1]
// name for the topics): the one given by "--publish FILE", else publish.ini in the program's
// configuration folder when it is there. Without either nothing is published.
//
// A file that cannot be used (or whose password other users can read) is refused with a message;
// the panel then runs without publishing. Returns the publisher (owned by `owner`), or null.
// The alerts and events published are those of `limits`, the panel's own (its Limits window).
QObject* startPanelPublishing(const QStringList& arguments, MeterSession& session, Dialogs& dialogs,
                              QWidget* dialogParent, QObject* owner, LimitsModel* limits = nullptr);

// The file "--publish FILE" names, else the default one when it exists; "" for none.
QString panelPublishingConfigPath(const QStringList& arguments);

} // namespace slm
