#include "measurement/OwnerLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace slm
{

namespace
{
qint64 pidInLock(QLockFile& lock)
{
    qint64 pid = 0;
    QString host;
    QString app;
    return lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}
} // namespace

OwnerLock::OwnerLock(QString lockPath) : m_path(std::move(lockPath)) {}

OwnerLock::~OwnerLock()
{
    release();
}

OwnerLock::Result OwnerLock::take()
{
    release();
    m_otherPid = 0;
    m_lock = std::make_unique<QLockFile>(m_path);
    // A recording may run for days: only a lock whose process is gone is stale, never an old one.
    m_lock->setStaleLockTime(0);
    const qint64 before = QFileInfo::exists(m_path) ? pidInLock(*m_lock) : 0;
    if (m_lock->tryLock(0)) {
        m_otherPid = before;
        m_result = before != 0 ? Result::TakenOverStale : Result::Taken;
        return m_result;
    }
    const bool living = m_lock->error() == QLockFile::LockFailedError;
    m_otherPid = living ? pidInLock(*m_lock) : 0;
    m_lock.reset();
    m_result = living ? Result::HeldByLiving : Result::Failed;
    return m_result;
}

void OwnerLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

bool OwnerLock::held() const
{
    return m_lock && m_lock->isLocked();
}

QString OwnerLock::notice() const
{
    const QString path = QDir::toNativeSeparators(m_path);
    switch (m_result) {
    case Result::Taken:
        return {};
    case Result::TakenOverStale:
        return QStringLiteral("took over the lock %1 of process %2, which no longer runs")
            .arg(path)
            .arg(m_otherPid);
    case Result::HeldByLiving:
        return QStringLiteral("the lock %1 is held by process %2, which is running")
            .arg(path)
            .arg(m_otherPid);
    case Result::Failed:
        return QStringLiteral("the lock %1 could not be written").arg(path);
    }
    return {};
}

qint64 OwnerLock::livingOwner(const QString& lockPath)
{
    if (!QFileInfo::exists(lockPath))
        return 0;
    OwnerLock probe(lockPath);
    // Taking it is the only sure test: a lock of a living process cannot be taken. A stale one
    // taken here goes again at once, so the file is free for whoever asked.
    return probe.take() == Result::HeldByLiving ? std::max<qint64>(probe.otherPid(), 1) : 0;
}

} // namespace slm
