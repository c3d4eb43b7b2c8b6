#include "measurement/AssessmentFile.h"

#include "measurement/RecordCsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slm
{

namespace
{

const QString FormatName = QStringLiteral("slm-assessment");
constexpr int FormatVersion = 1;

// ISO 8601 date and time with seconds and an offset or "Z".
bool hasOffset(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?(Z|[+-]\\d{2}:\\d{2})$"));
    return pattern.match(text).hasMatch();
}

std::optional<QDateTime> timeOf(const QJsonValue& value)
{
    if (!value.isString() || !hasOffset(value.toString()))
        return std::nullopt;
    const QDateTime t = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

} // namespace

std::vector<Exclusion> AssessmentFile::spans() const
{
    std::vector<Exclusion> out;
    out.reserve(exclusions.size());
    for (const AssessmentExclusion& e : exclusions)
        out.push_back(e.span);
    return out;
}

QString assessmentFilePath(const QString& recordFilePath)
{
    return recordFilePath + QStringLiteral(".assessment.json");
}

QString isoTimeText(const QDateTime& time)
{
    QDateTime t = time;
    if (t.timeSpec() == Qt::LocalTime)
        t = t.toOffsetFromUtc(t.offsetFromUtc());
    return t.toString(t.time().msec() != 0 ? Qt::ISODateWithMs : Qt::ISODate);
}

AssessmentFileRead parseAssessmentFile(const QByteArray& bytes, const QString& path)
{
    AssessmentFileRead r;
    r.exists = true;
    const QString name = QDir::toNativeSeparators(path);
    auto fail = [&](const QString& what) {
        r.error = QStringLiteral("%1: %2").arg(name, what);
        r.file = {};
        return r;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON at byte %1: %2.")
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!doc.isObject())
        return fail(QStringLiteral("not an assessment file: the JSON is not an object."));
    QJsonObject top = doc.object();
    if (top.value(u"format") != FormatName)
        return fail(QStringLiteral("not an assessment file: \"format\" is not \"%1\".").arg(FormatName));
    if (!top.value(u"version").isDouble() || top.value(u"version").toDouble() != FormatVersion)
        return fail(QStringLiteral("\"version\" must be %1.").arg(FormatVersion));
    const QJsonValue list = top.value(u"exclusions");
    if (!list.isUndefined() && !list.isArray())
        return fail(QStringLiteral("\"exclusions\" is not a list."));
    const QJsonArray array = list.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString which = QStringLiteral("exclusion %1").arg(i + 1);
        if (!array[i].isObject())
            return fail(which + QStringLiteral(" is not an object."));
        QJsonObject o = array[i].toObject();
        AssessmentExclusion e;
        const std::optional<QDateTime> start = timeOf(o.value(u"start"));
        const std::optional<QDateTime> end = timeOf(o.value(u"end"));
        if (!start)
            return fail(which + QStringLiteral(": \"start\" is not an ISO 8601 time with its offset."));
        if (!end)
            return fail(which + QStringLiteral(": \"end\" is not an ISO 8601 time with its offset."));
        if (*end < *start)
            return fail(which + QStringLiteral(": the end is before the start."));
        const QJsonValue reason = o.value(u"reason");
        if (!reason.isUndefined() && !reason.isString())
            return fail(which + QStringLiteral(": \"reason\" is not a text."));
        e.span = {*start, *end, reason.toString()};
        o.remove(u"start");
        o.remove(u"end");
        o.remove(u"reason");
        e.unknownKeys = o;
        r.file.exclusions.push_back(e);
    }
    const QJsonValue details = top.value(u"details");
    if (!details.isUndefined() && !details.isObject())
        return fail(QStringLiteral("\"details\" is not an object."));
    QString detailsError;
    r.file.details = detailsOfJson(details.toObject(), &detailsError);
    if (!detailsError.isEmpty())
        return fail(detailsError);
    const QJsonValue standards = top.value(u"standards");
    if (!standards.isUndefined() && !standards.isObject())
        return fail(QStringLiteral("\"standards\" is not an object."));
    QString standardsError;
    r.file.standards = standardsOfJson(standards.toObject(), standardsError);
    if (!standardsError.isEmpty())
        return fail(standardsError);
    top.remove(u"format");
    top.remove(u"version");
    top.remove(u"exclusions");
    top.remove(u"details");
    top.remove(u"standards");
    r.file.unknownKeys = top;
    return r;
}

AssessmentFileRead readAssessmentFile(const QString& path)
{
    return readAssessmentFile(QFile::encodeName(path));
}

bool assessmentFileIsThere(const QByteArray& encodedPath)
{
    struct stat link;
    return ::lstat(encodedPath.constData(), &link) == 0;
}

AssessmentFileRead readAssessmentFile(const QByteArray& encodedPath)
{
    const QString path = QFile::decodeName(encodedPath);
    if (!assessmentFileIsThere(encodedPath))
        return {};
    AssessmentFileRead r;
    r.exists = true;
    auto fail = [&](const QString& why) {
        r.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
        return r;
    };
    auto systemError = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    struct stat target;
    if (::stat(encodedPath.constData(), &target) != 0)
        return fail(QStringLiteral("cannot read the assessment file, a link that leads nowhere: %1.")
                        .arg(systemError()));
    if (!S_ISREG(target.st_mode))
        return fail(QStringLiteral("not an assessment file: it is not a regular file."));
    if (target.st_size > MaxAssessmentFileBytes)
        return fail(
            QStringLiteral("not an assessment file: larger than %1 MB.").arg(MaxAssessmentFileBytes >> 20));
    // Opened without blocking and checked again: what was looked at may have been swapped since.
    const int fd = ::open(encodedPath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(QStringLiteral("cannot open the file: %1").arg(systemError()));
    QFile in;
    if (::fstat(fd, &target) != 0 || !S_ISREG(target.st_mode) ||
        !in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(QStringLiteral("not an assessment file: it is not a regular file."));
    }
    const QByteArray bytes = in.read(MaxAssessmentFileBytes + 1);
    if (bytes.size() > MaxAssessmentFileBytes)
        return fail(
            QStringLiteral("not an assessment file: larger than %1 MB.").arg(MaxAssessmentFileBytes >> 20));
    if (in.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read the assessment file: %1.").arg(in.errorString()));
    return parseAssessmentFile(bytes, path);
}

QByteArray assessmentFileBytes(const AssessmentFile& file)
{
    QJsonObject top = file.unknownKeys;
    top.insert(u"format", FormatName);
    top.insert(u"version", FormatVersion);
    QJsonArray list;
    for (const AssessmentExclusion& e : file.exclusions) {
        QJsonObject o = e.unknownKeys;
        o.insert(u"start", isoTimeText(e.span.start));
        o.insert(u"end", isoTimeText(e.span.end));
        o.insert(u"reason", e.span.reason);
        list.append(o);
    }
    top.insert(u"exclusions", list);
    const QJsonObject details = detailsJson(file.details);
    if (!details.isEmpty())
        top.insert(u"details", details);
    const QJsonObject standards = standardsJson(file.standards);
    if (!standards.isEmpty())
        top.insert(u"standards", standards);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QString writeAssessmentFile(const QString& path, const AssessmentFile& file, bool replaceDamaged)
{
    if (!replaceDamaged) {
        const AssessmentFileRead present = readAssessmentFile(path);
        if (!present.error.isEmpty())
            return present.error + QStringLiteral(" The file was left as it is.");
    }
    return writeFileAtomically(path, assessmentFileBytes(file));
}

} // namespace slm
