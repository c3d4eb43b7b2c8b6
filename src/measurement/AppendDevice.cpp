#include "measurement/AppendDevice.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace slm
{

namespace
{

class FileAppendDevice final : public AppendDevice
{
public:
    bool open(const QString& path) override
    {
        m_file.close();
        m_file.setFileName(path);
        m_size = 0;
        // Unbuffered: each line is one write to the system, nothing waits in our own buffer.
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            m_error = m_file.errorString();
            return false;
        }
        return true;
    }

    bool append(const QByteArray& bytes) override
    {
        if (!m_file.isOpen()) {
            m_error = QStringLiteral("the file is not open");
            return false;
        }
        bool ok = m_file.write(bytes) == bytes.size() && m_file.flush();
        if (!ok)
            m_error = m_file.errorString();
#ifdef Q_OS_UNIX
        // A full disk may only show here, when the system allocates the blocks.
        if (ok && ::fdatasync(m_file.handle()) != 0) {
            ok = false;
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        }
#endif
        if (!ok) {
            // Back to the last complete line, which needs no space.
            m_file.unsetError();
            m_file.resize(m_size);
            m_file.seek(m_size);
            return false;
        }
        m_size += bytes.size();
        return true;
    }

    bool close() override
    {
        if (!m_file.isOpen())
            return true;
        const bool ok = m_file.flush();
        if (!ok)
            m_error = m_file.errorString();
        m_file.close();
        return ok;
    }

    bool isOpen() const override
    {
        return m_file.isOpen();
    }
    QString errorString() const override
    {
        return m_error;
    }

private:
    QFile m_file;
    qint64 m_size = 0;
    QString m_error;
};

} // namespace

std::unique_ptr<AppendDevice> makeFileAppendDevice()
{
    return std::make_unique<FileAppendDevice>();
}

} // namespace slm
