#pragma once

// Builds logger memory the way the meter lays it out, for the logger tests and benchmarks.

#include "link/MeterCommands.h"
#include "logger/LoggerMemory.h"

#include <QByteArray>
#include <QDateTime>
#include <vector>

using namespace slm;

namespace loggertest
{

inline void appendWord(QByteArray& b, int word)
{
    b.append(static_cast<char>((word >> 8) & 0xff)).append(static_cast<char>(word & 0xff));
}

inline void appendBcdDateTime(QByteArray& b, const QDateTime& t)
{
    using MeterCommands::toBcd;
    for (int v : {t.time().second(), t.time().minute(), t.time().hour(), t.date().day(), t.date().month(),
                  t.date().year() % 100})
        b.append(static_cast<char>(toBcd(v)));
}

struct SetSpec {
    int interval = 1;
    unsigned char status = 0x10; // FAST, stopped, A
    unsigned char range = 0x03;  // 50-110
    std::vector<int> records{600, 612, 655};
    QDateTime start = QDateTime(QDate(2013, 1, 17), QTime(8, 30, 0));
    QDateTime maxTime = QDateTime(QDate(2013, 1, 17), QTime(8, 30, 1));
    QDateTime peakTime = QDateTime(QDate(2013, 1, 17), QTime(8, 30, 2));
    int maxWord = 655;
    int peakWord = 700;
    int leqWord = 550; // the meter's own Leq and SEL
    int selWord = 800;
};

inline QByteArray makeSet(const SetSpec& s)
{
    QByteArray b = SetMarker;
    appendWord(b, s.interval);
    b.append(static_cast<char>(s.status)).append(static_cast<char>(s.range));
    for (int r : s.records)
        appendWord(b, r);
    const QDateTime end = s.start.addSecs(qint64(s.records.size() - 1) * s.interval);
    appendBcdDateTime(b, s.start);
    appendBcdDateTime(b, end);
    appendBcdDateTime(b, s.maxTime);
    appendBcdDateTime(b, s.start); // minimum
    appendBcdDateTime(b, s.peakTime);
    for (int w : {s.leqWord, s.selWord, s.maxWord, 450, s.peakWord, 0, 0, 0, 0, 0})
        appendWord(b, w);
    return b;
}

inline SetSpec setOf(int count, int interval)
{
    SetSpec s;
    s.interval = interval;
    s.records.clear();
    for (int i = 0; i < count; ++i)
        s.records.push_back(450 + (i * 37) % 200);
    return s;
}

// The block the meter sends for "K": 0x02, the logged bytes, 0x03.
inline QByteArray downloadBlock(const QByteArray& logged)
{
    return QByteArray(1, '\x02') + logged + QByteArray(1, '\x03');
}

} // namespace loggertest
