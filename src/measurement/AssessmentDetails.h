#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// What a report says about how a measurement was made: where, by whom, why, with which instrument
// and calibrator, and the calibration check before and after. Kept in the assessment file under
// "details"; keys this program does not know are kept as they were.

namespace slm
{

struct AssessmentDetails {
    QString site;
    QString address; // or coordinates
    QString operatorName;
    QString purpose;
    QString instrumentModel;
    QString instrumentSerial;
    QString instrumentClass;
    QString calibratorModel;
    QString calibratorSerial;
    std::optional<double> calibratorReferenceLevel; // dB
    std::optional<double> calibrationBefore;        // the reading at the check before, dB
    std::optional<double> calibrationAfter;         // and after
    QString conditions;                             // weather and conditions
    QJsonObject unknownKeys;                        // at the top of "details" and in its objects

    bool isEmpty() const;
    bool operator==(const AssessmentDetails&) const = default;
};

// The checks before and after differ by more than this: the measurement does not count.
inline constexpr double CalibrationDriftLimit = 0.5;

// True when both checks are given and differ by more than 0.5 dB (judged on the values to 0.01 dB,
// so 0.5 itself is no drift whatever the binary fractions say).
bool calibrationDriftTooLarge(const AssessmentDetails& details);
// "Calibration drift above 0.5 dB: the results are not valid"
QString calibrationDriftText();

// A level of the details as typed to 0.01 dB, in its shortest form that keeps it: "94.0", "93.85".
QString calibrationLevelText(double level);

// "details" as the assessment file keeps it, and back. A value of the wrong type (a level that is
// not a number) is a fault named in `error`; the other keys are still read.
QJsonObject detailsJson(const AssessmentDetails& details);
AssessmentDetails detailsOfJson(const QJsonObject& object, QString* error = nullptr);

} // namespace slm
