#include "app/Startup.h"

#include "base/Seams.h"
#include "data/Backup.h"
#include "data/Dbconnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>

namespace vestrel {

namespace {

// The lock lives outside the program folder (it may be read-only) but is tied to it: one copy per folder.
QString lockPath(const QString& programFolder) {
    const QByteArray key = QDir::cleanPath(QDir(programFolder).absolutePath()).toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("vestrel-%1.lock").arg(hash));
}

} // namespace

InstanceLock::InstanceLock(const QString& programFolder)
    : m_lock(std::make_unique<QLockFile>(lockPath(programFolder))) {
    m_lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    m_acquired = m_lock->tryLock(0);
    if (!m_acquired && m_lock->error() == QLockFile::LockFailedError) {
        // tryLock already removes locks of dead processes; one more try covers a race with such a removal.
        m_acquired = m_lock->removeStaleLockFile() && m_lock->tryLock(0);
    }
}

InstanceLock::~InstanceLock() {
    if (m_acquired) m_lock->unlock();
}

StartupResult RunStartup(const QString& programFolder) {
    StartupResult result;
    setProgramFolder(programFolder);
    SetDbPath(programPath(QStringLiteral("coal.dat")));
    auto lock = std::make_unique<InstanceLock>(programFolder);
    if (!lock->acquired()) {
        showMessage(QStringLiteral("程序已经运行！"), QStringLiteral("错误！"), MsgIcon::Critical);
        return result;
    }
    QDir folder(programFolder);
    if (!folder.exists(QStringLiteral("bakup"))) folder.mkdir(QStringLiteral("bakup"));
    RemoveStaleTemporaries(); // copies left by a backup or restore that was cut off
    result.lock = std::move(lock);
    result.proceed = true;
    return result;
}

} // namespace vestrel
