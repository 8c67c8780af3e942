#pragma once
// Backup and restore of coal.dat. Both work on whole files and never leave a torn database behind: a backup
// is a snapshot taken through SQLite, a restore is checked first and then replaces coal.dat in one step.

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

namespace vestrel {

// The folder "bakup" in the data folder.
QString BackupFolder();

// The backup file of a day: bakup/yyyy-MM-dd.bak in the data folder.
QString BackupFilePath(const QDate& day);

// Writes a consistent copy of the database to the day's backup file, replacing an earlier copy of that day.
// Both coal.dat and the copy are checked as a restore checks; an earlier backup is never replaced by a copy
// a restore would refuse. Returns the path written, or an empty text on failure (the reason in *reason, in
// Chinese).
QString BackupDatabase(const QDate& day, QString* reason = nullptr);

// "" when the file is an undamaged database of this program, otherwise the reason in Chinese. Read-only.
QString CheckRestoreFile(const QString& path);

// Replaces coal.dat with the content of `source` after checking it. Closes the shared connection first, so
// the next data operation opens the restored file. On failure coal.dat is left as it was.
bool RestoreDatabase(const QString& source, QString* reason = nullptr);

// A full-size working copy beside `target` that replaces it in one step when complete. Its name,
// "<target name>.<pid>-<random>.vestrel-tmp", and the files that grow from it (SQLite's journal, the system's
// own temporaries) carry the mark ".vestrel-tmp"; a lock file beside it (QLockFile, same name + ".lock")
// shows that its owner still runs. Whatever is left when the owner ends normally is removed by the destructor;
// what a killed owner leaves is removed by RemoveStaleTemporaries.
class TemporaryCopy {
public:
    explicit TemporaryCopy(const QString& target);
    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    bool isValid() const { return m_guard != nullptr; }
    QString path() const { return m_path; }
    QString errorString() const { return m_error; }
    // Writes the copy and makes sure it reached the disk.
    bool write(const QByteArray& bytes, QString* reason);
    // Moves the copy over the target in one step; a journal of the old target is removed first, so it can
    // never be applied to the new content.
    bool replaceTarget(QString* reason);

private:
    QString m_target;
    QString m_path;
    QString m_error;
    std::unique_ptr<QLockFile> m_guard;
};

// Removes, from the given folders, the temporaries of interrupted backups and restores whose owner is gone.
// Returns how many files were removed.
int RemoveStaleTemporaries(const QStringList& folders);
// The same for the program folder and the backup folder; start-up calls it.
int RemoveStaleTemporaries();

// The two commands of the data menu, with their dialog and messages. RestoreCommand tells whether coal.dat was
// replaced, so the open windows can show the restored data.
void BackupCommand();
bool RestoreCommand();

} // namespace vestrel
