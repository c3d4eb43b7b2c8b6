#include "support/StationRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>

namespace slm::test
{

StationRun::StationRun(const QStringList& arguments)
{
    m_process.start(QCoreApplication::applicationDirPath() + "/slm-station", arguments);
    m_process.waitForStarted(5000);
}

void StationRun::signal(int sig)
{
    ::kill(pid_t(m_process.processId()), sig);
}

int StationRun::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return waitForExit(0);
    signal(SIGTERM);
    return waitForExit(15000);
}

int StationRun::waitForExit(int ms)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(ms))
        return -1;
    log();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void StationRun::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString StationRun::log()
{
    m_log += QString::fromUtf8(m_process.readAllStandardError());
    return m_log;
}

void StationRun::run(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && m_process.state() != QProcess::NotRunning)
        m_process.waitForFinished(int(std::min<qint64>(200, ms - t.elapsed() + 1)));
    log();
}

Records readRecordFile(const QString& path)
{
    QFile file(path);
    Records out;
    if (!file.open(QIODevice::ReadOnly))
        return out;
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    out.header = lines.mid(0, 9);
    for (int i = 10; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(u'\t');
        if (fields.size() < 4)
            continue;
        out.times << fields[1];
        out.levels << fields[2];
    }
    return out;
}

QStringList filesIn(const QString& folder, const QString& pattern)
{
    QStringList out;
    for (const QString& name : QDir(folder).entryList({pattern}, QDir::Files, QDir::Name))
        out << QDir(folder).filePath(name);
    return out;
}

int recordsIn(const QString& folder)
{
    int n = 0;
    for (const QString& f : filesIn(folder, "*.slmm*"))
        n += int(readRecordFile(f).times.size());
    return n;
}

} // namespace slm::test
