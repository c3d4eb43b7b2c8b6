#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace slm
{

// Starts the simulated meter next to the program and tells the pseudo-terminal it serves.
// The simulator ends with this object (and with the program, should it die).
class SimulatorProcess
{
public:
    ~SimulatorProcess();
    // Returns the terminal's path, or "" with errorText() set when it did not start.
    QString start(const QStringList& arguments = {});
    QString errorText() const { return m_error; }

private:
    QProcess m_process;
    QString m_error;
};

} // namespace slm
