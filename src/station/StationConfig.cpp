#include "station/StationConfig.h"

#include "station/StationIni.h"
#include "station/TopicRules.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

namespace slm::station
{

namespace
{

// The station's id and the meters' names are topic levels and file names alike.
QString nameFault(const QString& name)
{
    const QString fault = topicLevelFault(name);
    if (!fault.isEmpty())
        return fault;
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    if (!allowed.match(name).hasMatch())
        return QStringLiteral("must be letters, digits, \"_\", \".\" or \"-\"");
    return {};
}

bool readInt(const StationIni& ini, const QString& key, int low, int high, int& out, QString& error)
{
    const QString value = ini.value(key).value_or(QString()).trimmed();
    if (value.isEmpty())
        return true;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < low || number > high) {
        error = QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                    .arg(key)
                    .arg(low)
                    .arg(high)
                    .arg(value);
        return false;
    }
    out = number;
    return true;
}

bool readBool(const StationIni& ini, const QString& key, bool& out, QString& error)
{
    const QString text = ini.value(key).value_or(QString()).trimmed().toLower();
    if (text.isEmpty())
        return true;
    if (text == u"true" || text == u"yes" || text == u"1" || text == u"on")
        out = true;
    else if (text == u"false" || text == u"no" || text == u"0" || text == u"off")
        out = false;
    else {
        error = QStringLiteral("%1 must be true or false, not \"%2\"").arg(key, text);
        return false;
    }
    return true;
}

QString text(const StationIni& ini, const QString& key, const QString& fallback = {})
{
    return ini.value(key).value_or(fallback);
}

const QFileDevice::Permissions SharedBits =
    QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// The password file: exactly its bytes, but for the one line end an editor or echo adds.
bool readPasswordFile(const QString& path, QByteArray& out, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("[mqtt] password_file %1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    if (file.permissions() & SharedBits) {
        error = QStringLiteral("[mqtt] password_file %1 can be read or changed by other users; make it "
                               "readable by its owner alone (chmod 600 %1)")
                    .arg(path);
        return false;
    }
    out = file.readAll();
    if (out.endsWith('\n'))
        out.chop(1);
    if (out.endsWith('\r'))
        out.chop(1);
    return true;
}

// Where two meters would read the same device: the device's own path behind any link.
QString deviceIdentity(const QString& port)
{
    const QString canonical = QFileInfo(port).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(port).absoluteFilePath() : canonical;
}

} // namespace

std::optional<StationConfig> readStationConfig(const QString& path, QString& error)
{
    if (!QFileInfo(path).isFile()) {
        error = QStringLiteral("the configuration file %1 does not exist").arg(path);
        return std::nullopt;
    }
    const std::optional<StationIni> read = StationIni::read(path, error);
    if (!read)
        return std::nullopt;
    const StationIni& ini = *read;
    const auto fail = [&](const QString& what) {
        error = QStringLiteral("%1: %2").arg(path, what);
        return std::nullopt;
    };

    StationConfig config;
    config.path = path;
    config.id = text(ini, QStringLiteral("station/id")).trimmed();
    if (const QString fault = nameFault(config.id); !fault.isEmpty())
        return fail(QStringLiteral("[station] id \"%1\" %2").arg(config.id, fault));
    config.data = text(ini, QStringLiteral("station/data"), QStringLiteral("/var/lib/slm-station")).trimmed();
    const QString clock = text(ini, QStringLiteral("station/clock_start")).trimmed();
    if (!clock.isEmpty()) {
        const QDateTime start = QDateTime::fromString(clock, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!start.isValid())
            return fail(QStringLiteral("[station] clock_start must read yyyy-mm-dd hh:mm:ss"));
        config.clockStart = start;
    }

    BrokerConfig& b = config.broker;
    b.host = text(ini, QStringLiteral("mqtt/host")).trimmed();
    b.prefix = text(ini, QStringLiteral("mqtt/prefix"), b.prefix).trimmed();
    b.username = text(ini, QStringLiteral("mqtt/username"));
    b.password = text(ini, QStringLiteral("mqtt/password")).toUtf8();
    b.passwordFile = text(ini, QStringLiteral("mqtt/password_file")).trimmed();
    if (!b.passwordFile.isEmpty()) {
        if (!b.password.isEmpty())
            return fail(QStringLiteral("[mqtt] password and password_file exclude each other"));
        QString why;
        if (!readPasswordFile(b.passwordFile, b.password, why))
            return fail(why);
    }
    b.caFile = text(ini, QStringLiteral("mqtt/ca_file")).trimmed();
    b.certFile = text(ini, QStringLiteral("mqtt/cert_file")).trimmed();
    b.keyFile = text(ini, QStringLiteral("mqtt/key_file")).trimmed();
    QString why;
    if (!readInt(ini, QStringLiteral("mqtt/port"), 1, 65535, b.port, why) ||
        !readBool(ini, QStringLiteral("mqtt/home_assistant"), b.homeAssistant, why) ||
        !readInt(ini, QStringLiteral("mqtt/keepalive"), 5, 3600, b.keepaliveSeconds, why) ||
        !readInt(ini, QStringLiteral("mqtt/reconnect_min"), 1, 3600, b.reconnectMinSeconds, why) ||
        !readInt(ini, QStringLiteral("mqtt/reconnect_max"), 1, 3600, b.reconnectMaxSeconds, why) ||
        !readInt(ini, QStringLiteral("mqtt/minute_seconds"), 1, 3600, b.minuteSeconds, why) ||
        !readInt(ini, QStringLiteral("mqtt/queue_messages"), 1, 10000000, b.queueMessages, why))
        return fail(why);
    b.reconnectMaxSeconds = std::max(b.reconnectMaxSeconds, b.reconnectMinSeconds);
    if (!b.prefix.isEmpty())
        if (const QString fault = topicPrefixFault(b.prefix); !fault.isEmpty())
            return fail(QStringLiteral("[mqtt] prefix \"%1\": %2").arg(b.prefix, fault));
    if (b.certFile.isEmpty() != b.keyFile.isEmpty())
        return fail(QStringLiteral("[mqtt] cert_file and key_file go together"));
    if (!b.certFile.isEmpty() && b.caFile.isEmpty())
        return fail(QStringLiteral("[mqtt] a client certificate needs ca_file (TLS)"));

    // [meter1], [meter2], ... in the order of their numbers.
    QList<std::pair<int, QString>> sections;
    static const QRegularExpression meterSection(QStringLiteral("^meter(\\d+)$"));
    for (const QString& group : ini.sections()) {
        const QRegularExpressionMatch m = meterSection.match(group);
        if (m.hasMatch())
            sections.append({m.captured(1).toInt(), group});
    }
    std::sort(sections.begin(), sections.end());
    if (sections.isEmpty())
        return fail(QStringLiteral("no [meter1] section"));
    for (const auto& [number, section] : sections) {
        MeterConfig meter;
        meter.section = section;
        const QString at = section + u'/';
        meter.name = text(ini, at + QStringLiteral("name"), section).trimmed();
        if (const QString fault = nameFault(meter.name); !fault.isEmpty())
            return fail(QStringLiteral("[%1] name \"%2\" %3").arg(section, meter.name, fault));
        for (const MeterConfig& other : config.meters)
            if (other.name == meter.name)
                return fail(QStringLiteral("two meters are named \"%1\"").arg(meter.name));
        meter.port = text(ini, at + QStringLiteral("port")).trimmed();
        if (meter.port.isEmpty())
            return fail(QStringLiteral("[%1] port is missing (a device path or \"simulated\")").arg(section));
        if (meter.port != u"simulated")
            for (const MeterConfig& other : config.meters)
                if (other.port != u"simulated" && deviceIdentity(other.port) == deviceIdentity(meter.port))
                    return fail(QStringLiteral("[%1] port %2 is the port of [%3] already: one meter per port")
                                    .arg(section, meter.port, other.section));
        meter.simulatorArguments =
            QProcess::splitCommand(text(ini, at + QStringLiteral("simulator_arguments")));
        if (!readInt(ini, at + QStringLiteral("interval"), 1, 3600, meter.interval, why))
            return fail(why);
        meter.output = text(ini, at + QStringLiteral("output")).trimmed();
        if (meter.output.isEmpty())
            meter.output = QDir(config.data).filePath(meter.name);
        const QString rotate = text(ini, at + QStringLiteral("rotate"), QStringLiteral("hour")).trimmed();
        if (rotate == u"hour")
            meter.rotation = Rotation::Hour;
        else if (rotate == u"day")
            meter.rotation = Rotation::Day;
        else
            return fail(QStringLiteral("[%1] rotate must be hour or day, not \"%2\"").arg(section, rotate));
        config.meters.append(meter);
    }

    const QMap<QString, QString> keys = ini.keys();
    std::optional<QList<LimitConfig>> limits = readLimits(keys, why);
    if (!limits)
        return fail(why);
    const auto isMeter = [&](const QString& name) {
        return std::any_of(config.meters.begin(), config.meters.end(),
                           [&](const MeterConfig& m) { return m.name == name; });
    };
    for (const LimitConfig& l : *limits)
        for (const QString& name : l.meters)
            if (!isMeter(name))
                return fail(QStringLiteral("[%1] meters names \"%2\", which is no meter's name")
                                .arg(l.section, name));
    config.limits = *limits;
    for (const QString& section : ini.sections())
        if (section.startsWith(QStringLiteral("events.")) && !isMeter(section.mid(7)))
            return fail(QStringLiteral("[%1] is for the meter \"%2\", which is no meter's name")
                            .arg(section, section.mid(7)));
    for (MeterConfig& meter : config.meters) {
        why.clear();
        meter.events = readLiveEvents(keys, meter.name, why);
        if (!meter.events && !why.isEmpty())
            return fail(why);
    }
    return config;
}

QString passwordExposure(const StationConfig& config)
{
    if (config.broker.password.isEmpty())
        return {};
    const QFileInfo info(config.path);
    if (!config.broker.passwordFile.isEmpty() || !(info.permissions() & SharedBits))
        return {};
    return QStringLiteral("%1 holds the broker's password but other users can read or change it; "
                          "make it readable by its owner alone (chmod 600 %1)")
        .arg(config.path);
}

QString meterTopicBase(const StationConfig& config, const MeterConfig& meter)
{
    QStringList levels;
    if (!config.broker.prefix.isEmpty())
        levels << config.broker.prefix;
    levels << config.id << meter.name;
    return levels.join(u'/');
}

} // namespace slm::station
