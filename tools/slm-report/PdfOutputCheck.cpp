#include "Assessment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace slm
{

namespace
{

// The same file: one inode, or (for a file not there yet) the same absolute name.
bool sameFile(const QByteArray& a, const QByteArray& b)
{
    struct stat sa;
    struct stat sb;
    if (::stat(a.constData(), &sa) == 0 && ::stat(b.constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QDir::cleanPath(QFileInfo(QFile::decodeName(a)).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(QFile::decodeName(b)).absoluteFilePath());
}

} // namespace

QString refusedPdfOutput(const ReportOptions& report, const AssessmentOptions& options)
{
    const QByteArray out = QFile::encodeName(report.pdfFile);
    const QString shown = QDir::toNativeSeparators(report.pdfFile);
    auto refuse = [&](const QString& what) {
        return QStringLiteral("--pdf \"%1\" is %2: nothing was written.").arg(shown, what);
    };
    struct stat target;
    if (::stat(out.constData(), &target) == 0 && !S_ISREG(target.st_mode))
        return refuse(QStringLiteral("not a regular file (a folder, a FIFO or a device)"));
    for (const QByteArray& file : report.encodedFiles) {
        if (sameFile(out, file))
            return refuse(QStringLiteral("the record file itself"));
        if (sameFile(out, assessmentFilePath(file)))
            return refuse(QStringLiteral("the record file's assessment file"));
    }
    if (!options.encodedExclusionsFile.isEmpty() && sameFile(out, options.encodedExclusionsFile))
        return refuse(QStringLiteral("the assessment file given with --exclusions"));
    return {};
}

} // namespace slm
