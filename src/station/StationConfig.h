#pragma once

#include "measurement/LimitConfig.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace slm::station
{

enum class Rotation { Hour, Day };

// The broker and how the station talks to it.
struct BrokerConfig {
    QString host; // empty: nothing is published, the station only records
    int port = 1883;
    QString prefix = QStringLiteral("slm");
    QString username;
    QByteArray password;  // byte for byte; never logged
    QString passwordFile; // where the password came from, when not from the configuration
    QString caFile;       // TLS when set
    QString certFile;     // optional client certificate and its key
    QString keyFile;
    bool homeAssistant = false;
    int keepaliveSeconds = 30;
    // Back-off between connection attempts: doubles from the first to the last.
    int reconnectMinSeconds = 1;
    int reconnectMaxSeconds = 60;
    // The period of the "minute" figures; other values than 60 only to test the queue quickly.
    int minuteSeconds = 60;
    // The on-disk queue of "minute" messages holds at most this many per meter (seven days).
    int queueMessages = 7 * 24 * 60;
};

struct MeterConfig {
    QString section; // "meter1"
    QString name;    // the topic level and the file names
    QString port;    // a device path, or "simulated"
    QStringList simulatorArguments;
    int interval = 1; // seconds between samples
    QString output;
    Rotation rotation = Rotation::Hour;
    // The live event rule: [events.NAME], else [events]; none without either.
    std::optional<EventSettings> events;
};

struct StationConfig {
    QString path;
    QString id;
    QString data;
    // Starts the station's clock at this local time instead of the system's (tests of the file
    // rotation); the clock then runs at the normal rate.
    std::optional<QDateTime> clockStart;
    BrokerConfig broker;
    QList<MeterConfig> meters;
    // The [limitN] sections, each naming the meters it judges (none: every meter).
    QList<LimitConfig> limits;
};

// Reads the INI file; nothing, with `error` set to one line, when it cannot be used.
std::optional<StationConfig> readStationConfig(const QString& path, QString& error);

// Why the file must not be used as it is: a password in a file other users can read (or change).
// Empty when it may be used.
QString passwordExposure(const StationConfig& config);

// "slm/site1/north": the topics of one meter start with it.
QString meterTopicBase(const StationConfig& config, const MeterConfig& meter);

} // namespace slm::station
