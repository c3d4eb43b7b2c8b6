#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace slm
{

// Where the bytes of a growing record file go. Each append is whole or nothing: a write the
// disk refused halfway is taken back, so the file only ever holds complete lines and the same
// bytes can be tried again later. Tests put a device in front that fails for a while.
class AppendDevice
{
public:
    virtual ~AppendDevice() = default;
    // Creates the file, emptied.
    virtual bool open(const QString& path) = 0;
    // Appends `bytes` and hands them to the disk before returning.
    virtual bool append(const QByteArray& bytes) = 0;
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    // The reason of the last failure, e.g. "No space left on device".
    virtual QString errorString() const = 0;
};

// The real file.
std::unique_ptr<AppendDevice> makeFileAppendDevice();

} // namespace slm
