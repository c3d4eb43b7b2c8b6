#include "measurement/AssessmentDetails.h"

#include <cmath>

namespace slm
{

namespace
{

// Sets or removes one key: an empty text or an unknown level is not written.
void put(QJsonObject& o, QStringView key, const QString& text)
{
    if (text.isEmpty())
        o.remove(key);
    else
        o.insert(key, text);
}

void put(QJsonObject& o, QStringView key, std::optional<double> level)
{
    if (level)
        o.insert(key, *level);
    else
        o.remove(key);
}

void putObject(QJsonObject& o, QStringView key, const QJsonObject& inner)
{
    if (inner.isEmpty())
        o.remove(key);
    else
        o.insert(key, inner);
}

class Reader
{
public:
    explicit Reader(QString* error) : m_error(error) {}

    QString text(QJsonObject& o, QStringView key, const QString& where)
    {
        const QJsonValue v = o.take(key);
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isString())
            fault(where, QStringLiteral("is not a text"));
        return v.toString();
    }
    std::optional<double> level(QJsonObject& o, QStringView key, const QString& where)
    {
        const QJsonValue v = o.take(key);
        if (v.isUndefined() || v.isNull())
            return std::nullopt;
        if (!v.isDouble() || !std::isfinite(v.toDouble())) {
            fault(where, QStringLiteral("is not a level in dB (a number)"));
            return std::nullopt;
        }
        return v.toDouble();
    }
    QJsonObject object(QJsonObject& o, QStringView key)
    {
        const QJsonValue v = o.value(key);
        if (v.isObject())
            return v.toObject();
        if (!v.isUndefined() && !v.isNull())
            fault(QStringLiteral("\"details.%1\"").arg(key), QStringLiteral("is not an object"));
        return {};
    }

private:
    void fault(const QString& where, const QString& what)
    {
        if (m_error && m_error->isEmpty())
            *m_error = QStringLiteral("%1 %2.").arg(where, what);
    }
    QString* m_error;
};

} // namespace

bool AssessmentDetails::isEmpty() const
{
    return *this == AssessmentDetails{};
}

bool calibrationDriftTooLarge(const AssessmentDetails& d)
{
    if (!d.calibrationBefore || !d.calibrationAfter)
        return false;
    const double driftHundredths = std::round(std::abs(*d.calibrationAfter - *d.calibrationBefore) * 100);
    return driftHundredths > CalibrationDriftLimit * 100;
}

QString calibrationDriftText()
{
    return QStringLiteral("Calibration drift above 0.5 dB: the results are not valid");
}

QString calibrationLevelText(double level)
{
    QString text = QString::number(level, 'f', 2);
    if (text.endsWith(u'0'))
        text.chop(1);
    return text;
}

QJsonObject detailsJson(const AssessmentDetails& d)
{
    QJsonObject o = d.unknownKeys;
    put(o, u"site", d.site);
    put(o, u"address", d.address);
    put(o, u"operator", d.operatorName);
    put(o, u"purpose", d.purpose);
    put(o, u"conditions", d.conditions);
    QJsonObject instrument = o.value(u"instrument").toObject();
    put(instrument, u"model", d.instrumentModel);
    put(instrument, u"serial", d.instrumentSerial);
    put(instrument, u"class", d.instrumentClass);
    putObject(o, u"instrument", instrument);
    QJsonObject calibrator = o.value(u"calibrator").toObject();
    put(calibrator, u"model", d.calibratorModel);
    put(calibrator, u"serial", d.calibratorSerial);
    put(calibrator, u"reference_level", d.calibratorReferenceLevel);
    putObject(o, u"calibrator", calibrator);
    QJsonObject calibration = o.value(u"calibration").toObject();
    put(calibration, u"before", d.calibrationBefore);
    put(calibration, u"after", d.calibrationAfter);
    putObject(o, u"calibration", calibration);
    return o;
}

AssessmentDetails detailsOfJson(const QJsonObject& object, QString* error)
{
    AssessmentDetails d;
    Reader r(error);
    QJsonObject o = object;
    d.site = r.text(o, u"site", QStringLiteral("\"details.site\""));
    d.address = r.text(o, u"address", QStringLiteral("\"details.address\""));
    d.operatorName = r.text(o, u"operator", QStringLiteral("\"details.operator\""));
    d.purpose = r.text(o, u"purpose", QStringLiteral("\"details.purpose\""));
    d.conditions = r.text(o, u"conditions", QStringLiteral("\"details.conditions\""));
    // The objects keep what they hold beyond the known keys, so they stay in unknownKeys with
    // the known keys taken out.
    QJsonObject instrument = r.object(o, u"instrument");
    d.instrumentModel = r.text(instrument, u"model", QStringLiteral("\"details.instrument.model\""));
    d.instrumentSerial = r.text(instrument, u"serial", QStringLiteral("\"details.instrument.serial\""));
    d.instrumentClass = r.text(instrument, u"class", QStringLiteral("\"details.instrument.class\""));
    QJsonObject calibrator = r.object(o, u"calibrator");
    d.calibratorModel = r.text(calibrator, u"model", QStringLiteral("\"details.calibrator.model\""));
    d.calibratorSerial = r.text(calibrator, u"serial", QStringLiteral("\"details.calibrator.serial\""));
    d.calibratorReferenceLevel =
        r.level(calibrator, u"reference_level", QStringLiteral("\"details.calibrator.reference_level\""));
    QJsonObject calibration = r.object(o, u"calibration");
    d.calibrationBefore = r.level(calibration, u"before", QStringLiteral("\"details.calibration.before\""));
    d.calibrationAfter = r.level(calibration, u"after", QStringLiteral("\"details.calibration.after\""));
    putObject(o, u"instrument", o.value(u"instrument").isObject() ? instrument : QJsonObject());
    putObject(o, u"calibrator", o.value(u"calibrator").isObject() ? calibrator : QJsonObject());
    putObject(o, u"calibration", o.value(u"calibration").isObject() ? calibration : QJsonObject());
    d.unknownKeys = o;
    return d;
}

} // namespace slm
