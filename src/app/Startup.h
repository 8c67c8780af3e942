#pragma once
// What the program does before its first window: the database path, the one-copy rule, the backup folder.

#include <QString>
#include <memory>

class QLockFile;

namespace vestrel {

// Held for the life of the process; a copy that crashed leaves a stale lock that the next start takes over.
class InstanceLock {
public:
    explicit InstanceLock(const QString& programFolder);
    ~InstanceLock();
    bool acquired() const { return m_acquired; }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

struct StartupResult {
    bool proceed = false; // false: another copy runs; the message has been shown
    std::unique_ptr<InstanceLock> lock;
};

// Sets the database path, refuses a second copy with "程序已经运行！", creates the backup folder.
StartupResult RunStartup(const QString& programFolder);

} // namespace vestrel
