#include "link/SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace slm
{

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(1000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QString SimulatorProcess::start(const QStringList& arguments)
{
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("slm-sim"));
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("The simulated meter %1 was not found.").arg(program);
        return {};
    }
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(3000)) {
        m_error = QStringLiteral("The simulated meter did not start: %1").arg(m_process.errorString());
        return {};
    }
    // The first line of its output is the terminal's path.
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(5000)) {
            m_error = QStringLiteral("The simulated meter did not report its terminal.");
            return {};
        }
    }
    return QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

} // namespace slm
