#pragma once

#include <QByteArray>
#include <QStringList>

// slm-report (built beside the tests) run as a script would run it: without a display, as on a
// server, so a report that needed one fails here.
struct ReportRun {
    int status = -1; // -1 when it crashed
    QByteArray out;
    QByteArray err;
};
ReportRun runReportProgram(const QStringList& arguments, int timeoutMs = 60000);
