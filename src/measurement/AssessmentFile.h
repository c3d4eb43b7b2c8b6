#pragma once

#include "measurement/AssessmentDetails.h"
#include "measurement/AssessmentExclusions.h"
#include "measurement/StandardsChoice.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <vector>

// The assessment file kept beside a record file, never in it: NAME.assessment.json next to NAME.
//
//   {"format": "slm-assessment", "version": 1,
//    "exclusions": [{"start": "2026-03-01T10:00:00+01:00", "end": "...", "reason": "..."}],
//    "details": {"site": "...", "instrument": {"model": "..."}, "calibration": {"before": 94.0}, ...},
//    "standards": {"intervals_s": 900, "ambient": 52.0, ...}}
//
// Keys this program does not know, at the top, in an exclusion or among the standards' inputs
// (StandardsChoice.h), are kept when it rewrites the file; the file is replaced as a whole; a
// damaged file is never overwritten unless asked.

namespace slm
{

struct AssessmentExclusion {
    Exclusion span;
    QJsonObject unknownKeys;
};

struct AssessmentFile {
    std::vector<AssessmentExclusion> exclusions;
    AssessmentDetails details;
    StandardsChoice standards;
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

// The largest assessment file read: anything bigger is not one (a link to /dev/zero, a log).
constexpr qint64 MaxAssessmentFileBytes = 64 * 1024 * 1024;

// Times must carry their offset (or "Z"); an exclusion whose end is before its start is a fault.
// Links are followed. A link that leads nowhere (dangling, looping), something that is not a
// regular file (a FIFO is never opened, so the read cannot block) or a file over the bound is a
// fault naming the file, never taken for an absent file.
AssessmentFileRead readAssessmentFile(const QString& path);
// The same by the file system's own bytes, so a name that is not UTF-8 is found too.
AssessmentFileRead readAssessmentFile(const QByteArray& encodedPath);
// Whether anything (a file, a link, even a broken one) is at the path.
bool assessmentFileIsThere(const QByteArray& encodedPath);
AssessmentFileRead parseAssessmentFile(const QByteArray& bytes, const QString& path);

QByteArray assessmentFileBytes(const AssessmentFile& file);

// Writes the file atomically. A file already at `path` that cannot be read as an assessment file
// is left as it is (and the message says so) unless `replaceDamaged`. "" on success.
QString writeAssessmentFile(const QString& path, const AssessmentFile& file, bool replaceDamaged = false);

// An instant as the file and the reports write it: ISO 8601 with the offset, "2026-03-01T10:00:00+01:00".
QString isoTimeText(const QDateTime& time);

} // namespace slm
