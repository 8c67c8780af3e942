#pragma once
// The one shared connection to coal.dat. Every data operation brackets itself with OpenDb/CloseDb;
// OpenDb on an open connection does nothing, so nested operations share it until the first CloseDb.

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;
class QSqlError;

namespace vestrel {

QString DbPath();
void SetDbPath(const QString& path);

// Opens the shared connection. A missing file is created with the schema; a file that is not a database of
// this program is refused and left untouched. False on failure, with the reason in LastDbError().
bool OpenDb();
void CloseDb();
bool IsDbOpen();
QSqlDatabase Conn();

// The last database failure as a sentence in Chinese that names the file and the reason.
QString LastDbError();
void SetLastDbError(const QString& text);
// Records a failed statement's error; always returns false so callers can `return Failed(q)`.
bool Failed(const QSqlQuery& query);
// Shows LastDbError() through the message seam, the one way database errors reach the user.
void ReportDbError();

// Checks a file without opening it as the shared connection: "" when it is a database of this program,
// otherwise the reason in Chinese. Backup and restore use it too.
QString CheckDatabaseFile(const QString& path);
// Creates a new database file with the schema; false when it cannot.
bool CreateDatabaseFile(const QString& path);

// The writes of one user action in one transaction; rolls back unless committed.
class DbTransaction {
public:
    DbTransaction();
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;
    bool active() const { return m_active; }
    bool commit();
    void rollback();

private:
    bool m_active = false;
};

} // namespace vestrel
