#pragma once

#include "station/MessageQueue.h"
#include "station/StationConfig.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <memory>

class QSocketNotifier;
struct mosquitto;

namespace slm::station
{

// One connection to the broker for one meter, so that the broker's last will can mark that
// meter's state topic "offline". Runs in the thread's event loop (no thread of the library's own):
// the socket's notifiers read and write, a timer keeps the connection alive, and a lost or refused
// connection is tried again with a doubling delay, without ever holding up the caller.
//
// - level(): QoS 0, sent only while connected (a sample that misses the broker is in the files).
// - minute(), alert and event: QoS 1 through the on-disk queue; a message leaves the queue only
//   when the broker acknowledged it, and the queue is sent in order after every (re)connection.
// - state(): retained QoS 1, sent again at every connection.
class MqttPublisher : public QObject
{
    Q_OBJECT
public:
    MqttPublisher(const BrokerConfig& broker, QString clientId, QString topicBase, QString queuePath,
                  QString logName, QObject* parent = nullptr);
    ~MqttPublisher() override;

    // Reads the queue and starts connecting. A queue file that cannot be used is logged and the
    // minutes wait in memory; true all the same.
    bool start();
    void publishLevel(const QByteArray& payload);
    void publishMinute(const QByteArray& payload);
    // QoS 1 through the on-disk queue, like the minutes, on the meter's topic `leaf` ("alert").
    void publishQueued(const QString& leaf, const QByteArray& payload);
    void publishState(const QByteArray& payload);
    // Retained messages published at every connection (Home Assistant discovery).
    void setRetainedExtras(QList<std::pair<QByteArray, QByteArray>> messages)
    {
        m_extras = std::move(messages);
    }
    // A retained message kept for every later connection too, replacing the one on its topic.
    void publishRetainedMessage(const QByteArray& topic, const QByteArray& payload);
    // Publishes `offlineState` and waits (at most `timeoutMs`) for the broker to have it, then
    // disconnects cleanly.
    void finish(const QByteArray& offlineState, int timeoutMs);

    bool connected() const { return m_connected; }
    qsizetype queued() const { return m_queue.size(); }
    const MessageQueue& queue() const { return m_queue; }
    QString topic(const char* leaf) const { return m_base + u'/' + QLatin1StringView(leaf); }
    QString topic(const QString& leaf) const { return m_base + u'/' + leaf; }

    // The library's callbacks.
    void onConnect(int rc);
    void onPublish(int mid);
    void onDisconnect(int rc);
    void onMessage(const QByteArray& topic, const QByteArray& payload);

signals:
    void connectedChanged(bool connected);
    // The queue emptied after it held messages.
    void queueDrained();

private:
    void connectNow();
    void scheduleReconnect();
    void dropConnection(const QString& why);
    // Why a pass of the client's loop failed, as the log says it.
    QString loopFailure(int rc) const;
    void readReady();
    void writeReady();
    void misc();
    void updateWriteNotifier();
    void sendQueued();
    void publishRetained(const QByteArray& topic, const QByteArray& payload);
    void claimClientId();
    QString lossReason(const QString& cause) const;

    BrokerConfig m_broker;
    QString m_clientId;
    QString m_base;
    QString m_log;
    MessageQueue m_queue;
    mosquitto* m_mosq = nullptr;
    std::unique_ptr<QSocketNotifier> m_read;
    std::unique_ptr<QSocketNotifier> m_write;
    QTimer m_misc;
    QTimer m_reconnect;
    int m_attempt = 0;
    bool m_connected = false;
    bool m_dropPending = false;
    QString m_dropReason;
    bool m_finishing = false;
    QByteArray m_state;
    QList<std::pair<QByteArray, QByteArray>> m_extras;
    QHash<int, qint64> m_inflight; // message id -> queue sequence
    qint64 m_lastSent = 0;         // highest queue sequence handed to this connection
    QHash<int, bool> m_otherInflight;
    bool m_hadQueue = false;
    QString m_lastFailure;
    // Two stations with the same id take each other's connection: each claims the client id
    // (retained, with its host and process id) and a connection lost soon after another's claim
    // was seen names that one.
    QByteArray m_claim;
    QByteArray m_foreignClaim;
    qint64 m_connectedAt = 0;
    int m_steals = 0;
};

} // namespace slm::station
