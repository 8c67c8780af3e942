#include "app/Startup.h"

#include "base/Seams.h"
#include "data/Backup.h"
#include "data/Dbconnection.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>

namespace vestrel {

namespace {

// The lock lives in the temporary folder, tied to the data folder: one copy per database, and users who
// share an installed program folder do not lock each other out.
QString lockPath(const QString& dataFolder) {
    const QByteArray key = QDir::cleanPath(QDir(dataFolder).absolutePath()).toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("vestrel-%1.lock").arg(hash));
}

} // namespace

bool DesktopSessionAvailable(const QStringList& arguments) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (arguments.contains(QStringLiteral("-platform"))) return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    Q_UNUSED(arguments);
    return true;
#endif
}

QString NoDesktopMessage() {
    return QStringLiteral("Vestrel 需要图形桌面才能运行（没有 DISPLAY 或 WAYLAND_DISPLAY）。"
                          "Vestrel needs a graphical desktop: neither DISPLAY nor WAYLAND_DISPLAY is set.");
}

bool InstallQtTranslation(const QString& programFolder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QDir(programFolder).filePath(QStringLiteral("translations")))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

bool FolderIsWritable(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("write-test-XXXXXX")));
    return probe.open();
}

QString PerUserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString ChooseDataFolder(const QString& programFolder, const QString& perUserFolder) {
    return FolderIsWritable(programFolder) ? QDir::cleanPath(programFolder) : QDir::cleanPath(perUserFolder);
}

InstanceLock::InstanceLock(const QString& dataFolder) : m_lock(std::make_unique<QLockFile>(lockPath(dataFolder))) {
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

StartupResult RunStartup(const QString& programFolder, const QString& perUserFolder) {
    StartupResult result;
    setProgramFolder(programFolder);
    setDataFolder(ChooseDataFolder(programFolder, perUserFolder.isEmpty() ? PerUserDataFolder() : perUserFolder));
    SetDbPath(dataPath(QStringLiteral("coal.dat")));
    auto lock = std::make_unique<InstanceLock>(dataFolder());
    if (!lock->acquired()) {
        showMessage(QStringLiteral("程序已经运行！"), QStringLiteral("错误！"), MsgIcon::Critical);
        return result;
    }
    // Creates the per-user data folder too; where that fails, the first database step says so.
    QDir().mkpath(BackupFolder());
    RemoveStaleTemporaries(); // copies left by a backup or restore that was cut off
    result.lock = std::move(lock);
    result.proceed = true;
    return result;
}

} // namespace vestrel
