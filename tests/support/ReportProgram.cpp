#include "support/ReportProgram.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

ReportRun runReportProgram(const QStringList& arguments, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + "/slm-report", arguments);
    if (!p.waitForFinished(timeoutMs))
        qFatal("slm-report did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
