#pragma once

#include "measurement/AssessmentDetails.h"

#include <QHash>
#include <QScrollArea>

class QLineEdit;

namespace slm
{

// The "Details" tab: where, by whom, why, with which instrument and calibrator a measurement was
// made, one field each. A field tells when it was left (`edited`), the notes when typing pauses.
// A level that is not a level in dB is marked at once and never taken.
class DetailsForm : public QScrollArea
{
    Q_OBJECT
public:
    explicit DetailsForm(QWidget* parent = nullptr);

    void showDetails(const AssessmentDetails& details);
    // The details as the fields hold them, over `saved`: a level field the form does not accept
    // keeps the saved level, so a fault is never written, not even with another field's edit.
    AssessmentDetails details(const AssessmentDetails& saved);

signals:
    void edited();
    // A level field holds no acceptable level: what is wrong, to be told.
    void levelRefused(const QString& text);

private:
    bool levelAccepted(QLineEdit* field);

    QHash<QString, QWidget*> m_fields;
};

} // namespace slm
