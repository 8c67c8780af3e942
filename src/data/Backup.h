#pragma once
// Backup and restore of coal.dat. Both work on whole files and never leave a torn database behind: a backup
// is a snapshot taken through SQLite, a restore is checked first and then replaces coal.dat in one step.

#include <QDate>
#include <QString>

namespace vestrel {

// The folder "bakup" in the data folder.
QString BackupFolder();

// The backup file of a day: bakup/yyyy-MM-dd.bak in the data folder.
QString BackupFilePath(const QDate& day);

// Writes a consistent copy of the database to the day's backup file, replacing an earlier copy of that day.
// Returns the path written, or an empty text on failure (the reason in *reason, in Chinese).
QString BackupDatabase(const QDate& day, QString* reason = nullptr);

// "" when the file is an undamaged database of this program, otherwise the reason in Chinese.
QString CheckRestoreFile(const QString& path);

// Replaces coal.dat with the content of `source` after checking it. Closes the shared connection first, so
// the next data operation opens the restored file. On failure coal.dat is left as it was.
bool RestoreDatabase(const QString& source, QString* reason = nullptr);

// The two commands of the data menu, with their dialog and messages.
void BackupCommand();
void RestoreCommand();

} // namespace vestrel
