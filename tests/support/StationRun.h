#pragma once

// The built slm-station as the station tests run it: started on a configuration, its log
// collected, stopped with a signal; and the record files it leaves read back.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace slm::test
{

class StationRun
{
public:
    explicit StationRun(const QString& config) : StationRun(QStringList{"--config", config}) {}
    explicit StationRun(const QStringList& arguments);
    ~StationRun() { kill(); }
    qint64 pid() const { return m_process.processId(); }
    void signal(int sig);
    // SIGTERM, then the exit status; -1 for a crash or a station that does not end.
    int stop();
    // The exit status of a station that ends by itself within `ms`; -1 otherwise.
    int waitForExit(int ms);
    void kill();
    QString log();
    // Waits `ms` while collecting the log.
    void run(int ms);

private:
    QProcess m_process;
    QString m_log;
};

struct Records {
    QStringList header;
    QStringList times;
    QStringList levels;
};
Records readRecordFile(const QString& path);
QStringList filesIn(const QString& folder, const QString& pattern);
// Every record of the meter's "*.slmm" and "*.slmm.part" files in `folder`.
int recordsIn(const QString& folder);

} // namespace slm::test
