#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace slm
{

// The lock file beside a file that grows, holding its owner's process id: a file belongs to the
// one process that writes it. Another process that would take it over or save it leaves it
// alone while that owner lives; a lock whose process is gone is stale and is taken over.
class OwnerLock
{
public:
    explicit OwnerLock(QString lockPath);
    ~OwnerLock();
    OwnerLock(const OwnerLock&) = delete;
    OwnerLock& operator=(const OwnerLock&) = delete;

    enum class Result {
        Taken,          // nobody held it
        TakenOverStale, // a lock of a process that no longer runs was replaced
        HeldByLiving,   // another living process owns the file
        Failed,         // the lock file could not be written
    };
    Result take();
    // Removes the lock file; the destructor does it too.
    void release();
    bool held() const;

    const QString& path() const { return m_path; }
    // The process of the lock found: the living owner, or the gone one a take-over replaced.
    qint64 otherPid() const { return m_otherPid; }
    // What take() found, one sentence for a log or a notice: "" after a plain take.
    QString notice() const;

    // The living process that holds the lock at `lockPath`; 0 when none does.
    static qint64 livingOwner(const QString& lockPath);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    Result m_result = Result::Failed;
    qint64 m_otherPid = 0;
};

} // namespace slm
