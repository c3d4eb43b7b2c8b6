#include "app/PanelPublishing.h"

#include "limits/LimitsModel.h"
#include "meter/MeterSession.h"
#include "shared/Dialogs.h"

#ifdef SLM_PUBLISH
#include "station/MeterPublisher.h"
#include "station/StationConfig.h"
#endif

#include <QFileInfo>
#include <QStandardPaths>

namespace slm
{

QString panelPublishingConfigPath(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--publish"));
    if (at >= 0 && at + 1 < arguments.size())
        return arguments[at + 1];
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString fallback = folder + QStringLiteral("/publish.ini");
    return !folder.isEmpty() && QFileInfo(fallback).isFile() ? fallback : QString();
}

QObject* startPanelPublishing(const QStringList& arguments, MeterSession& session, Dialogs& dialogs,
                              QWidget* dialogParent, QObject* owner, LimitsModel* limits)
{
    const QString path = panelPublishingConfigPath(arguments);
    if (path.isEmpty())
        return nullptr;
#ifdef SLM_PUBLISH
    using namespace station;
    QString error;
    std::optional<StationConfig> config = readStationConfig(path, error);
    if (config && error.isEmpty())
        error = passwordExposure(*config);
    if (!config || !error.isEmpty()) {
        dialogs.message(dialogParent, QStringLiteral("The meter is not published: %1").arg(error), QString(),
                        Dialogs::Icon::Warning);
        return nullptr;
    }
    if (config->meters.isEmpty() || config->broker.host.isEmpty()) {
        dialogs.message(
            dialogParent,
            QStringLiteral("The meter is not published: the file names no broker host or no meter."),
            QString(), Dialogs::Icon::Warning);
        return nullptr;
    }
    // The panel's limits are those of its Limits window, not the file's.
    config->limits.clear();
    config->meters.first().events.reset();
    // The interval, the weightings and the range flags come with every sample.
    auto* publisher = new MeterPublisher(*config, config->meters.first(), owner);
    if (limits) {
        publisher->setLimits(limits->limits(), limits->events());
        QObject::connect(limits, &LimitsModel::configurationChanged, publisher,
                         [publisher, limits] { publisher->setLimits(limits->limits(), limits->events()); });
    }
    if (!publisher->start()) {
        delete publisher;
        dialogs.message(dialogParent,
                        QStringLiteral("The meter is not published: the message queue in the data folder "
                                       "cannot be used (see the program's standard error)."),
                        QString(), Dialogs::Icon::Warning);
        return nullptr;
    }
    QObject::connect(&session, &MeterSession::sampleTaken, publisher, &MeterPublisher::publishSample);
    QObject::connect(&session, &MeterSession::linkLost, publisher,
                     [publisher, &session] { publisher->publishLink(false, session.port().name); });
    QObject::connect(&session, &MeterSession::comLabelChanged, publisher, [publisher, &session] {
        publisher->publishLink(!session.recovering(), session.port().name);
    });
    QObject::connect(&session, &MeterSession::aboutToEnd, publisher, &MeterPublisher::finish);
    return publisher;
#else
    dialogs.message(dialogParent,
                    QStringLiteral("The meter is not published: this build has no MQTT client library."),
                    QString(), Dialogs::Icon::Warning);
    return nullptr;
#endif
}

} // namespace slm
