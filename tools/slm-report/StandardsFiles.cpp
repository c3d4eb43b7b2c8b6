#include "StandardsOutput.h"

#include <QDir>
#include <QFile>

namespace slm
{

namespace
{

// A record file an option points at, with its own exclusions unless --no-exclusions.
struct OtherFile {
    RecordSamplesOfFile file;
    ExclusionMask mask;
};

bool readOther(const LevelArgument& a, bool noExclusions, OtherFile& out, QString& error)
{
    out.file = readRecordSamplesOfFile(a.encodedFile);
    if (!out.file.error.isEmpty()) {
        error = QStringLiteral("%1: %2").arg(a.option, out.file.error);
        return false;
    }
    if (out.file.samples.empty()) {
        error = QStringLiteral("%1 %2: the file holds no records.").arg(a.option, a.text);
        return false;
    }
    if (noExclusions)
        return true;
    const AssessmentFileRead read = readAssessmentFile(assessmentFilePath(a.encodedFile));
    if (!read.error.isEmpty()) {
        error = QStringLiteral("%1: %2").arg(a.option, read.error);
        return false;
    }
    out.mask = ExclusionMask(out.file.samples, exclusionClockSpans(read.file.spans()));
    return true;
}

LevelSource sourceOf(const LevelArgument& a, const OtherFile* other)
{
    LevelSource s;
    s.option = a.option;
    s.given = a.text;
    switch (a.kind) {
    case LevelArgument::Kind::None:
        break;
    case LevelArgument::Kind::Number:
        s.kind = LevelSource::Kind::Number;
        s.number = a.number;
        break;
    case LevelArgument::Kind::File:
        s.kind = LevelSource::Kind::Records;
        s.records = other->file.samples;
        s.mask = &other->mask;
        break;
    case LevelArgument::Kind::Span:
        s.kind = LevelSource::Kind::Span;
        s.span = {a.spanStart, a.spanEnd};
        break;
    }
    return s;
}

std::optional<QList<LimitConfig>> readLimitsFile(const StandardsOptions& o, QString& error)
{
    const QString name = QDir::toNativeSeparators(o.limitsFile);
    QFile in(QFile::decodeName(o.encodedLimitsFile));
    // A limits file is a few lines: anything larger is not one.
    constexpr qint64 MostBytes = 1 << 20;
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("--limits %1: cannot open the file: %2").arg(name, in.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = in.read(MostBytes + 1);
    if (bytes.size() > MostBytes) {
        error = QStringLiteral("--limits %1: larger than 1 MB, not a limits file.").arg(name);
        return std::nullopt;
    }
    QString why;
    std::optional<QList<LimitConfig>> limits = readLimits(iniKeys(QString::fromUtf8(bytes)), why);
    if (!limits)
        error = QStringLiteral("--limits %1: %2.").arg(name, why);
    else if (limits->isEmpty())
        error = QStringLiteral("--limits %1: no [limitN] section.").arg(name);
    return error.isEmpty() ? limits : std::nullopt;
}

} // namespace

std::shared_ptr<const StandardsOfFile> assessStandards(const QString& path, const RecordSamplesOfFile& file,
                                                       const ExclusionMask& mask,
                                                       const AssessmentOptions& options, QString& error)
{
    const StandardsOptions& o = options.standards;
    auto out = std::make_shared<StandardsOfFile>();
    StandardsInputs& in = out->inputs;
    in.intervalSeconds = o.intervalSeconds;
    in.backgroundSeconds = o.backgroundSeconds;
    if (!o.limitsFile.isEmpty()) {
        in.limits = readLimitsFile(o, error);
        if (!in.limits)
            return nullptr;
    }
    // The other files are held only while the tables are worked out.
    OtherFile files[4];
    const LevelArgument* levels[4] = {&o.ambient, &o.residual, &o.specific, &o.abcFile};
    LevelSource* sources[4] = {&in.ambient, &in.residual, &in.specific, &in.abcRecords};
    for (int k = 0; k < 4; ++k) {
        if (levels[k]->kind == LevelArgument::Kind::File &&
            !readOther(*levels[k], options.noExclusions, files[k], error))
            return nullptr;
        *sources[k] = sourceOf(*levels[k], &files[k]);
    }
    in.rating = o.rating;
    in.referenceSeconds = o.referenceSeconds;
    in.onTimeSeconds = o.onTimeSeconds;
    in.corrections = o.corrections;
    in.backgroundLevel = o.backgroundLevel;
    in.abc = o.abc;
    in.abcLevels = o.abcLevels;
    in.rbl = o.rbl;
    in.cnel = o.cnel;
    in.nAbove = o.nAbove;
    in.eventRule = options.events.value_or(EventSettings{});
    in.periods = options.periodSettings;
    out->results = runStandards(file.samples, file.interval, mask, in);
    for (LevelSource* s : sources) {
        s->records = {};
        s->mask = nullptr;
    }
    if (!out->results.error.isEmpty()) {
        error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), out->results.error);
        return nullptr;
    }
    return out;
}

} // namespace slm
