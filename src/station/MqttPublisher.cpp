#include "station/MqttPublisher.h"

#include "station/StationLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <mosquitto.h>

namespace slm::station
{

namespace
{

// Messages of the queue in flight at once: enough to keep a link busy, few enough that a broken
// connection sends little twice.
constexpr int Window = 200;
// A connection lost this soon after another station's claim of the client id was lost to it.
constexpr qint64 StolenWithinMs = 30000;

struct LibraryInit {
    LibraryInit() { mosquitto_lib_init(); }
    ~LibraryInit() { mosquitto_lib_cleanup(); }
};

void ensureLibrary()
{
    static LibraryInit init;
}

MqttPublisher* self(void* obj)
{
    return static_cast<MqttPublisher*>(obj);
}

QString errorText(int rc)
{
    QString text = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(strerror(errno))
                                        : QString::fromUtf8(mosquitto_strerror(rc));
    // The log line goes on after it.
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

MqttPublisher::MqttPublisher(const BrokerConfig& broker, QString clientId, QString topicBase,
                             QString queuePath, QString logName, QObject* parent)
    : QObject(parent), m_broker(broker), m_clientId(std::move(clientId)), m_base(std::move(topicBase)),
      m_log(std::move(logName)), m_queue(std::move(queuePath), broker.queueMessages)
{
    ensureLibrary();
    m_claim = QJsonDocument(QJsonObject{{QStringLiteral("host"), QSysInfo::machineHostName()},
                                        {QStringLiteral("pid"), double(QCoreApplication::applicationPid())},
                                        {QStringLiteral("client"), m_clientId}})
                  .toJson(QJsonDocument::Compact);
    m_misc.setInterval(1000);
    connect(&m_misc, &QTimer::timeout, this, &MqttPublisher::misc);
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &MqttPublisher::connectNow);
}

MqttPublisher::~MqttPublisher()
{
    m_read.reset();
    m_write.reset();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

bool MqttPublisher::start()
{
    QString error;
    QStringList notes;
    const bool onDisk = m_queue.open(error, notes);
    for (const QString& note : notes)
        logEvent(m_log, note);
    // Recording never waits for the queue: the minutes wait in memory while its file cannot be used.
    if (!onDisk)
        logEvent(m_log, error + QStringLiteral("; minute messages wait in memory until it can be written"));
    if (m_queue.size() > 0) {
        logEvent(m_log, QStringLiteral("%1 minute messages wait in the queue").arg(m_queue.size()));
        m_hadQueue = true;
    }
    connectNow();
    return true;
}

void MqttPublisher::connectNow()
{
    if (m_mosq || m_finishing)
        return;
    // A fresh client per connection: nothing the library kept from a lost one is sent again
    // behind the queue's back.
    m_mosq = mosquitto_new(m_clientId.toUtf8().constData(), true, this);
    if (!m_mosq) {
        logEvent(m_log, QStringLiteral("cannot create the MQTT client"));
        scheduleReconnect();
        return;
    }
    mosquitto_connect_callback_set(m_mosq, [](mosquitto*, void* obj, int rc) { self(obj)->onConnect(rc); });
    mosquitto_publish_callback_set(m_mosq, [](mosquitto*, void* obj, int mid) { self(obj)->onPublish(mid); });
    mosquitto_disconnect_callback_set(m_mosq,
                                      [](mosquitto*, void* obj, int rc) { self(obj)->onDisconnect(rc); });
    mosquitto_message_callback_set(m_mosq, [](mosquitto*, void* obj, const mosquitto_message* m) {
        self(obj)->onMessage(QByteArray(m->topic),
                             QByteArray(static_cast<const char*>(m->payload), m->payloadlen));
    });
    mosquitto_max_inflight_messages_set(m_mosq, 0);
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    if (!m_broker.username.isEmpty()) {
        const QByteArray user = m_broker.username.toUtf8();
        const QByteArray& password = m_broker.password;
        mosquitto_username_pw_set(m_mosq, user.constData(),
                                  password.isEmpty() ? nullptr : password.constData());
    }
    if (!m_broker.caFile.isEmpty()) {
        const QByteArray ca = m_broker.caFile.toLocal8Bit();
        const QByteArray cert = m_broker.certFile.toLocal8Bit();
        const QByteArray key = m_broker.keyFile.toLocal8Bit();
        const int rc =
            mosquitto_tls_set(m_mosq, ca.constData(), nullptr, cert.isEmpty() ? nullptr : cert.constData(),
                              key.isEmpty() ? nullptr : key.constData(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            dropConnection(QStringLiteral("the TLS files cannot be used: %1").arg(errorText(rc)));
            return;
        }
    }
    const QByteArray will = R"({"state":"offline"})";
    const QByteArray stateTopic = topic("state").toUtf8();
    mosquitto_will_set(m_mosq, stateTopic.constData(), int(will.size()), will.constData(), 1, true);

    const QByteArray host = m_broker.host.toUtf8();
    const int rc =
        mosquitto_connect_async(m_mosq, host.constData(), m_broker.port, m_broker.keepaliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        dropConnection(QStringLiteral("cannot connect to %1:%2: %3")
                           .arg(m_broker.host)
                           .arg(m_broker.port)
                           .arg(errorText(rc)));
        return;
    }
    const int fd = mosquitto_socket(m_mosq);
    m_read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_read.get(), &QSocketNotifier::activated, this, &MqttPublisher::readReady);
    m_write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(m_write.get(), &QSocketNotifier::activated, this, &MqttPublisher::writeReady);
    updateWriteNotifier();
    m_misc.start();
}

void MqttPublisher::dropConnection(const QString& why)
{
    const bool was = m_connected;
    m_connected = false;
    m_read.reset();
    m_write.reset();
    m_misc.stop();
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
    m_inflight.clear();
    m_otherInflight.clear();
    m_lastSent = 0;
    m_dropPending = false;
    QString reason = why;
    if (was && !why.isEmpty() && !m_foreignClaim.isEmpty() &&
        QDateTime::currentMSecsSinceEpoch() - m_connectedAt < StolenWithinMs) {
        reason = lossReason(why);
        // Back off as after a refusal, so the two stations do not trade the connection every second.
        m_attempt = ++m_steals;
    } else if (was) {
        m_steals = 0;
    }
    m_foreignClaim.clear();
    if (!reason.isEmpty()) {
        // The same failure again and again is one line per attempt, with the delay that follows.
        const int delay =
            std::min(m_broker.reconnectMaxSeconds, m_broker.reconnectMinSeconds << std::min(m_attempt, 16));
        logEvent(m_log, QStringLiteral("%1; trying again in %2 s").arg(reason).arg(delay));
    }
    if (was)
        emit connectedChanged(false);
    scheduleReconnect();
}

void MqttPublisher::scheduleReconnect()
{
    if (m_finishing)
        return;
    const int delay =
        std::min(m_broker.reconnectMaxSeconds, m_broker.reconnectMinSeconds << std::min(m_attempt, 16));
    ++m_attempt;
    m_reconnect.start(delay * 1000);
}

void MqttPublisher::readReady()
{
    if (!m_mosq)
        return;
    const int rc = mosquitto_loop_read(m_mosq, 1);
    if (m_dropPending) {
        dropConnection(m_dropReason);
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        dropConnection(loopFailure(rc));
        return;
    }
    updateWriteNotifier();
}

QString MqttPublisher::loopFailure(int rc) const
{
    return m_connected ? QStringLiteral("lost the broker: %1").arg(errorText(rc))
                       : QStringLiteral("cannot connect to %1:%2: %3")
                             .arg(m_broker.host)
                             .arg(m_broker.port)
                             .arg(errorText(rc));
}

void MqttPublisher::writeReady()
{
    if (!m_mosq)
        return;
    const int rc = mosquitto_loop_write(m_mosq, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
        dropConnection(loopFailure(rc));
        return;
    }
    updateWriteNotifier();
}

void MqttPublisher::misc()
{
    if (!m_mosq)
        return;
    const int rc = mosquitto_loop_misc(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS) {
        dropConnection(QStringLiteral("lost the broker: %1").arg(errorText(rc)));
        return;
    }
    updateWriteNotifier();
}

void MqttPublisher::updateWriteNotifier()
{
    if (m_mosq && m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttPublisher::onConnect(int rc)
{
    if (rc != 0) {
        // Handled once the library's read returns: the client cannot go from inside its callback.
        m_dropPending = true;
        m_dropReason =
            QStringLiteral("the broker %1:%2 refused the connection: %3")
                .arg(m_broker.host)
                .arg(m_broker.port)
                .arg(QString::fromUtf8(mosquitto_connack_string(rc))
                         .chopped(QByteArrayView(mosquitto_connack_string(rc)).endsWith(".") ? 1 : 0));
        return;
    }
    m_connected = true;
    m_attempt = 0;
    m_connectedAt = QDateTime::currentMSecsSinceEpoch();
    claimClientId();
    logEvent(m_log, QStringLiteral("connected to the broker %1:%2").arg(m_broker.host).arg(m_broker.port));
    if (!m_state.isEmpty())
        publishRetained(topic("state").toUtf8(), m_state);
    for (const auto& [t, payload] : m_extras)
        publishRetained(t, payload);
    emit connectedChanged(true);
    sendQueued();
}

void MqttPublisher::claimClientId()
{
    const QByteArray claim = topic("claim").toUtf8();
    mosquitto_subscribe(m_mosq, nullptr, claim.constData(), 0);
    publishRetained(claim, m_claim);
}

void MqttPublisher::onMessage(const QByteArray& t, const QByteArray& payload)
{
    if (t != topic("claim").toUtf8() || payload == m_claim || payload.isEmpty())
        return;
    // The claim an earlier run of this station left is no other station's.
    const QJsonObject other = QJsonDocument::fromJson(payload).object();
    const auto pid = pid_t(other.value(QStringLiteral("pid")).toDouble());
    if (other.value(QStringLiteral("host")).toString() == QSysInfo::machineHostName() && pid > 0 &&
        ::kill(pid, 0) != 0 && errno == ESRCH)
        return;
    m_foreignClaim = payload;
}

QString MqttPublisher::lossReason(const QString& cause) const
{
    const QJsonObject other = QJsonDocument::fromJson(m_foreignClaim).object();
    return QStringLiteral("%1: another station with the same id took the client id %2 (process %3 on %4 "
                          "claimed it); give each station its own [station] id")
        .arg(cause, m_clientId)
        .arg(qint64(other.value(QStringLiteral("pid")).toDouble()))
        .arg(other.value(QStringLiteral("host")).toString());
}

void MqttPublisher::onDisconnect(int rc)
{
    if (rc != 0 && !m_dropPending && m_connected) {
        m_dropPending = true;
        m_dropReason = QStringLiteral("lost the broker: %1").arg(errorText(rc));
    }
}

void MqttPublisher::onPublish(int mid)
{
    const auto it = m_inflight.find(mid);
    if (it != m_inflight.end()) {
        m_queue.remove(it.value());
        m_inflight.erase(it);
        if (m_queue.size() == 0 && m_hadQueue) {
            m_hadQueue = false;
            logEvent(m_log, QStringLiteral("the queue is sent"));
            emit queueDrained();
        }
        sendQueued();
        return;
    }
    m_otherInflight.remove(mid);
}

void MqttPublisher::sendQueued()
{
    if (!m_connected || !m_mosq)
        return;
    std::vector<std::pair<qint64, QString>> refused;
    for (const MessageQueue::Message& m : m_queue.messages()) {
        if (m_inflight.size() >= Window)
            break;
        if (m.seq <= m_lastSent)
            continue;
        int mid = 0;
        int rc = mosquitto_publish(m_mosq, &mid, m.topic.constData(), int(m.payload.size()),
                                   m.payload.constData(), 1, false);
        const QByteArray current = topic("minute").toUtf8();
        if ((rc == MOSQ_ERR_INVAL || rc == MOSQ_ERR_MALFORMED_UTF8) && m.topic != current) {
            // An older version queued it under a topic that cannot be; it goes to the meter's own.
            logEvent(m_log,
                     QStringLiteral("the queued minute %1 goes to %2: the MQTT client refuses its topic %3")
                         .arg(m.seq)
                         .arg(QString::fromUtf8(current), QString::fromUtf8(m.topic)));
            rc = mosquitto_publish(m_mosq, &mid, current.constData(), int(m.payload.size()),
                                   m.payload.constData(), 1, false);
        }
        if (rc == MOSQ_ERR_INVAL || rc == MOSQ_ERR_MALFORMED_UTF8 || rc == MOSQ_ERR_PAYLOAD_SIZE ||
            rc == MOSQ_ERR_OVERSIZE_PACKET) {
            // It can never be sent: held in the queue it would hold back every minute after it.
            refused.push_back({m.seq, QStringLiteral("dropped the queued minute %1: the MQTT client refuses "
                                                     "to publish it to %2: %3")
                                          .arg(m.seq)
                                          .arg(QString::fromUtf8(m.topic), errorText(rc))});
            continue;
        }
        if (rc != MOSQ_ERR_SUCCESS)
            break;
        m_inflight.insert(mid, m.seq);
        m_lastSent = m.seq;
    }
    for (const auto& [seq, why] : refused) {
        logEvent(m_log, why);
        m_queue.remove(seq);
    }
    updateWriteNotifier();
}

void MqttPublisher::publishRetained(const QByteArray& t, const QByteArray& payload)
{
    if (!m_connected || !m_mosq)
        return;
    int mid = 0;
    if (mosquitto_publish(m_mosq, &mid, t.constData(), int(payload.size()), payload.constData(), 1, true) ==
        MOSQ_ERR_SUCCESS)
        m_otherInflight.insert(mid, true);
    updateWriteNotifier();
}

void MqttPublisher::publishLevel(const QByteArray& payload)
{
    if (!m_connected || !m_mosq)
        return;
    const QByteArray t = topic("level").toUtf8();
    mosquitto_publish(m_mosq, nullptr, t.constData(), int(payload.size()), payload.constData(), 0, false);
    updateWriteNotifier();
}

void MqttPublisher::publishMinute(const QByteArray& payload)
{
    publishQueued(QStringLiteral("minute"), payload);
}

void MqttPublisher::publishQueued(const QString& leaf, const QByteArray& payload)
{
    if (!m_queue.onDisk()) {
        QString ignored;
        if (m_queue.reopen(ignored))
            logEvent(m_log, QStringLiteral("the queue %1 is written again").arg(m_queue.path()));
    }
    const int dropped = m_queue.push(topic(leaf).toUtf8(), payload);
    if (dropped > 0)
        logEvent(m_log, QStringLiteral("the queue is full (%1 minute messages): dropped the oldest %2")
                            .arg(m_broker.queueMessages)
                            .arg(dropped));
    if (!m_connected)
        m_hadQueue = true;
    sendQueued();
}

void MqttPublisher::publishState(const QByteArray& payload)
{
    m_state = payload;
    publishRetained(topic("state").toUtf8(), payload);
}

void MqttPublisher::publishRetainedMessage(const QByteArray& t, const QByteArray& payload)
{
    const auto same =
        std::find_if(m_extras.begin(), m_extras.end(), [&](const auto& m) { return m.first == t; });
    if (same != m_extras.end())
        same->second = payload;
    else
        m_extras.append({t, payload});
    publishRetained(t, payload);
}

void MqttPublisher::finish(const QByteArray& offlineState, int timeoutMs)
{
    m_finishing = true;
    m_reconnect.stop();
    if (!m_connected || !m_mosq) {
        dropConnection({});
        return;
    }
    int mid = 0;
    const QByteArray t = topic("state").toUtf8();
    mosquitto_publish(m_mosq, &mid, t.constData(), int(offlineState.size()), offlineState.constData(), 1,
                      true);
    m_otherInflight.insert(mid, true);
    updateWriteNotifier();
    QElapsedTimer waited;
    waited.start();
    while (m_mosq && m_otherInflight.contains(mid) && waited.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (m_mosq) {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_write(m_mosq, 1);
    }
    const bool was = m_connected;
    dropConnection({});
    if (was)
        logEvent(m_log, QStringLiteral("disconnected from the broker"));
}

} // namespace slm::station
