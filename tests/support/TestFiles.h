#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a file, or "<missing>" when it cannot be read, so a comparison names the cause.
QByteArray readAll(const QString& path);
