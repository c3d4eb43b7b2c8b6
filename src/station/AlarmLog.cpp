#include "station/AlarmLog.h"

#include <QDir>
#include <QFile>
#include <cmath>

namespace slm::station
{

namespace
{

// Local time with its offset, as the report's CSV tables write theirs.
QString localText(std::int64_t civil)
{
    return localDateTimeOf(civil)
        .toOffsetFromUtc(localDateTimeOf(civil).offsetFromUtc())
        .toString(Qt::ISODate);
}

QString number(std::optional<double> v)
{
    return v ? QString::number(std::round(*v * 10) / 10, 'f', 1) : QString();
}

} // namespace

QString AlarmLog::header()
{
    return QStringLiteral("time,meter,limit,state,previous,figure,threshold,since,window_s,reason");
}

QString AlarmLog::fileName(std::int64_t civil)
{
    return QStringLiteral("alarms-%1.csv")
        .arg(localDateTimeOf(civil).date().toString(QStringLiteral("yyyyMMdd")));
}

QString AlarmLog::line(const QString& meter, const LimitTransition& t)
{
    // Meter and limit names are letters, digits, "_", "." and "-": no field needs quoting.
    return QStringList{localText(t.time),
                       meter,
                       t.limit,
                       limitStateText(t.state),
                       limitStateText(t.previous),
                       number(t.figure),
                       number(t.threshold),
                       localText(t.since),
                       QString::number(t.windowSeconds),
                       t.reason}
        .join(u',');
}

bool AlarmLog::append(const QString& meter, const LimitTransition& t, QString& error)
{
    const QString path = QDir(m_folder).filePath(fileName(t.time));
    QFile file(path);
    const bool fresh = !file.exists() || file.size() == 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error = QStringLiteral("the alarm log %1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray bytes;
    if (fresh)
        bytes += header().toUtf8() + '\n';
    bytes += line(meter, t).toUtf8() + '\n';
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = QStringLiteral("the alarm log %1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace slm::station
