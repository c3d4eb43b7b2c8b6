#pragma once

// A broker of the tests' own (the system's "mosquitto" program) on 127.0.0.1 and a port nobody
// else uses, with a subscriber that keeps every message it receives. Both end with their objects.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace slm::test
{

class LocalBroker
{
public:
    // `extraConfig`: lines added to the generated configuration (a password file, ...).
    explicit LocalBroker(QString folder, QStringList extraConfig = {});
    ~LocalBroker();
    static bool available();

    // Starts the broker (again, on the same port and with its saved sessions); false when it
    // does not listen within a few seconds.
    bool start();
    void stop();
    int port() const { return m_port; }

private:
    QString m_folder;
    QStringList m_extra;
    int m_port = 0;
    QProcess m_process;
};

// mosquitto_sub on the broker with a session that outlives a restart of the broker (QoS 1,
// clean session off), so messages sent while it reconnects still reach it.
class Subscriber
{
public:
    struct Message {
        double receivedAt = 0; // seconds since the epoch
        QString topic;
        QByteArray payload;
    };

    Subscriber(int port, const QString& topic, const QString& clientId);
    ~Subscriber();
    // Reads what arrived so far.
    const QList<Message>& messages();
    QList<Message> on(const QString& topic);
    // Waits until `count` messages on `topic` arrived, at most `ms`.
    bool waitFor(const QString& topic, int count, int ms);

private:
    QProcess m_process;
    QByteArray m_pending;
    QList<Message> m_messages;
};

// A TCP port of 127.0.0.1 that nothing listens on now.
int freePort();

} // namespace slm::test
