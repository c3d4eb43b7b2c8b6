#pragma once

#include <QByteArray>
#include <QString>

namespace slm
{
class Measurement;
}

// The bytes of a file, or "<missing>" when it cannot be read, so a comparison names the cause.
QByteArray readAll(const QString& path);

// Writes a record file and reads it back as the file views open one (its origin the file): ""
// or what failed.
QString writeAndOpen(const QString& path, const QByteArray& bytes, slm::Measurement& into);
