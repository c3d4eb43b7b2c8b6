#include "support/LocalBroker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace slm::test
{

namespace
{

QString brokerProgram()
{
    const QString found =
        QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin", "/usr/bin"});
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("mosquitto")) : found;
}

// A test that crashes leaves no broker or subscriber behind.
void endWithParent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

LocalBroker::LocalBroker(QString folder, QStringList extraConfig)
    : m_folder(std::move(folder)), m_extra(std::move(extraConfig)), m_port(freePort())
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    endWithParent(m_process);
}

LocalBroker::~LocalBroker()
{
    stop();
}

bool LocalBroker::available()
{
    return !brokerProgram().isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("mosquitto_sub")).isEmpty();
}

bool LocalBroker::start()
{
    QDir().mkpath(m_folder);
    const QString config = QDir(m_folder).filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QStringList lines = {QStringLiteral("listener %1 127.0.0.1").arg(m_port),
                         // Sessions and their queued messages outlive a restart.
                         QStringLiteral("persistence true"),
                         QStringLiteral("persistence_location %1/").arg(m_folder),
                         QStringLiteral("log_dest stderr")};
    // Started by root, the broker would change to a user that cannot write the test's folder.
    if (const passwd* me = ::getpwuid(::getuid()))
        lines << QStringLiteral("user %1").arg(QString::fromLocal8Bit(me->pw_name));
    if (!m_extra.join(u'\n').contains(QStringLiteral("password_file")))
        lines << QStringLiteral("allow_anonymous true");
    lines += m_extra;
    file.write(lines.join(u'\n').toUtf8() + '\n');
    file.close();
    m_process.start(brokerProgram(), {QStringLiteral("-c"), config});
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        if (listening(m_port))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void LocalBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(2000);
}

Subscriber::Subscriber(int port, const QString& topic, const QString& clientId)
{
    endWithParent(m_process);
    m_process.start(QStringLiteral("mosquitto_sub"),
                    {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                     QString::number(port), QStringLiteral("-q"), QStringLiteral("1"), QStringLiteral("-c"),
                     QStringLiteral("-i"), clientId, QStringLiteral("-t"), topic, QStringLiteral("-F"),
                     QStringLiteral("%U %t %p")});
    m_process.waitForStarted(5000);
    // Subscribed once the broker lists the session; a short wait is enough on 127.0.0.1.
    QThread::msleep(300);
}

Subscriber::~Subscriber()
{
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

const QList<Subscriber::Message>& Subscriber::messages()
{
    m_pending += m_process.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        const qsizetype a = line.indexOf(' ');
        const qsizetype b = a < 0 ? -1 : line.indexOf(' ', a + 1);
        if (b < 0)
            continue;
        m_messages.append(
            {line.left(a).toDouble(), QString::fromUtf8(line.mid(a + 1, b - a - 1)), line.mid(b + 1)});
    }
    return m_messages;
}

QList<Subscriber::Message> Subscriber::on(const QString& topic)
{
    QList<Message> out;
    for (const Message& m : messages())
        if (m.topic == topic)
            out << m;
    return out;
}

bool Subscriber::waitFor(const QString& topic, int count, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (on(topic).size() < count) {
        if (waited.elapsed() > ms)
            return false;
        m_process.waitForReadyRead(100);
    }
    return true;
}

} // namespace slm::test
