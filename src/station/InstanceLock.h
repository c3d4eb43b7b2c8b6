#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace slm::station
{

struct StationConfig;

// One station per data folder and per output folder: each holds ".slm-station.lock", locked
// (flock) for as long as the station runs and holding its process id. The system lets a lock go
// with the process that held it, so a crash never leaves one behind.
class InstanceLock
{
public:
    enum class Outcome { Taken, HeldByAnother, Unavailable };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Locks the data folder and every meter's output folder. HeldByAnother (and `message` naming
    // the folder and the running station's process id) when another station has one of them;
    // Unavailable for a folder that cannot hold a lock (it cannot be written either, which the
    // recording and the queue report): `message` then says so and the station goes on.
    Outcome take(const StationConfig& config, QString& message);

private:
    Outcome takeFolder(const QString& folder, QString& message);
    std::vector<int> m_fds;
};

} // namespace slm::station
