#pragma once

#include "measurement/LimitMonitor.h"

#include <QString>

namespace slm::station
{

// The daily alarm log: every transition of every meter's limits, one line each, appended to
// "alarms-YYYYMMDD.csv" in the data folder by the local date of the transition. Each line is
// written and flushed at once: a crash loses none that were reported.
class AlarmLog
{
public:
    explicit AlarmLog(QString folder) : m_folder(std::move(folder)) {}

    // "time,meter,limit,state,previous,figure,threshold,since,window_s,reason"
    static QString header();
    static QString fileName(std::int64_t civilSeconds);
    static QString line(const QString& meter, const LimitTransition& t);

    // False, with `error` naming the file and the cause, when the line could not be written.
    bool append(const QString& meter, const LimitTransition& t, QString& error);

private:
    QString m_folder;
};

} // namespace slm::station
