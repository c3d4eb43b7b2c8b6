#pragma once

#include "measurement/AssessmentDetails.h"
#include "measurement/AssessmentExclusions.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <vector>

// The assessment file kept beside a record file, never in it: NAME.assessment.json next to NAME.
//
//   {"format": "slm-assessment", "version": 1,
//    "exclusions": [{"start": "2026-03-01T10:00:00+01:00", "end": "...", "reason": "..."}],
//    "details": {"site": "...", "instrument": {"model": "..."}, "calibration": {"before": 94.0}, ...}}
//
// Keys this program does not know, at the top or in an exclusion, are kept when it rewrites the
// file; the file is replaced as a whole; a damaged file is never overwritten unless asked.

namespace slm
{

struct AssessmentExclusion {
    Exclusion span;
    QJsonObject unknownKeys;
};

struct AssessmentFile {
    std::vector<AssessmentExclusion> exclusions;
    AssessmentDetails details;
    QJsonObject unknownKeys;

    std::vector<Exclusion> spans() const;
};

// "site1.slmm" -> "site1.slmm.assessment.json".
QString assessmentFilePath(const QString& recordFilePath);

struct AssessmentFileRead {
    AssessmentFile file;
    bool exists = false;
    QString error; // names the file and what is wrong; "" when it was read or is absent
};

// Times must carry their offset (or "Z"); an exclusion whose end is before its start is a fault.
AssessmentFileRead readAssessmentFile(const QString& path);
AssessmentFileRead parseAssessmentFile(const QByteArray& bytes, const QString& path);

QByteArray assessmentFileBytes(const AssessmentFile& file);

// Writes the file atomically. A file already at `path` that cannot be read as an assessment file
// is left as it is (and the message says so) unless `replaceDamaged`. "" on success.
QString writeAssessmentFile(const QString& path, const AssessmentFile& file, bool replaceDamaged = false);

// An instant as the file and the reports write it: ISO 8601 with the offset, "2026-03-01T10:00:00+01:00".
QString isoTimeText(const QDateTime& time);

} // namespace slm
