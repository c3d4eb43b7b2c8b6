#pragma once

#include <QString>
#include <QtGlobal>

namespace slm::station
{

// The cause of a failed system call as a log line goes on with it: "permission denied".
QString systemErrorText(int error);

// Makes `folder` and the folders above it; false with `why` ("cannot make the folder /x:
// permission denied") naming the folder that failed.
bool makeFolder(const QString& folder, QString& why);

// Bytes free for an unprivileged writer on the file system holding `path` (or the nearest folder
// above it that exists); -1 when unknown.
qint64 freeBytes(const QString& path);

} // namespace slm::station
