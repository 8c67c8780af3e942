#pragma once
// What the program does before its first window: the desktop check, Qt's Chinese texts, the data folder,
// the database path, the one-copy rule, the backup folder.

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

namespace vestrel {

// False on a system whose windows need a desktop session when there is none: no X11 or Wayland display
// and no platform chosen by QT_QPA_PLATFORM or "-platform". Windows and macOS always have one.
bool DesktopSessionAvailable(const QStringList& arguments);
// The one line printed instead of starting without a desktop.
QString NoDesktopMessage();

// Loads Qt's own Chinese texts (standard buttons, dialogs) from translations/qtbase_zh_CN.qm in the program
// folder, whatever the system language. Needs the application object; false when the file is missing.
bool InstallQtTranslation(const QString& programFolder);

// True when a file can be created in the folder. Permission bits alone do not tell on every system.
bool FolderIsWritable(const QString& folder);
// Qt's per-user application data folder (for example ~/.local/share/Vestrel).
QString PerUserDataFolder();
// Where coal.dat, bakup/ and the model file live: the program folder wherever it is writable (the portable
// layout), otherwise the per-user folder (an installed, read-only program folder).
QString ChooseDataFolder(const QString& programFolder, const QString& perUserFolder);

// Held for the life of the process; a copy that crashed leaves a stale lock that the next start takes over.
class InstanceLock {
public:
    explicit InstanceLock(const QString& dataFolder);
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

// Chooses the data folder (an empty perUserFolder means PerUserDataFolder()), sets the database path,
// refuses a second copy on the same data with "程序已经运行！", creates the backup folder.
StartupResult RunStartup(const QString& programFolder, const QString& perUserFolder = {});

} // namespace vestrel
