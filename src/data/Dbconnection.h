#pragma once
// The one shared connection to coal.dat. Every data operation holds a DbSession for its duration; a session
// opens the connection only when it is closed and closes it only if it opened it, so nested operations share
// the connection and the outermost one closes it.

#include "data/DbResult.h"

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;
class QSqlError;

namespace vestrel {

QString DbPath();
void SetDbPath(const QString& path);

// Opens the shared connection. A missing file is created with the schema; a save that a crash cut off is
// rolled back; a file that is not a usable database of this program is refused and left untouched. On failure
// the status carries the reason.
DbStatus OpenDb();
void CloseDb();
bool IsDbOpen();
QSqlDatabase Conn();

// A failed statement's error as the sentence callers hand back: `return Failed(q);`.
DbError Failed(const QSqlQuery& query);

// What a look into a database file found.
enum class DbFileState {
    Usable,
    Missing,
    NotAFile,   // a folder or another kind of entry stands at the path
    Unreadable, // the system refuses it
    Foreign,    // not a database of this program: empty, another format, tables missing
    Locked,     // another program holds a lock; trying again later helps
    Unfinished, // a save was cut off and the file may not be written to undo it
    Damaged,    // quick_check fails
};
struct DbFileCheck {
    DbFileState state = DbFileState::Usable;
    QString reason; // in Chinese, for a second line under a fixed message; empty when usable
    QString detail; // SQLite's own words where they say more
    bool usable() const { return state == DbFileState::Usable; }
};
enum class DbAccess {
    Recover,  // read-write where the file allows it, so a save cut off by a crash is rolled back first
    ReadOnly, // nothing is written, not even such a rollback
};
// Opens the file on a private connection and checks the tables; `thorough` adds SQLite's quick_check, which
// reads every page. A failing read is told apart into locked, unfinished, not this program's and damaged;
// "damaged" is said only when quick_check fails.
DbFileCheck InspectDatabaseFile(const QString& path, DbAccess access, bool thorough);
// The sentence for a database that OpenDb cannot use, with the advice that fits the state.
QString DbFileMessage(const QString& path, const DbFileCheck& check);

// Checks a file read-only without opening it as the shared connection: "" when it is a database of this
// program, otherwise the reason in Chinese.
QString CheckDatabaseFile(const QString& path);
// Creates a new database file with the schema; on failure the status says why and no file is left.
DbStatus CreateDatabaseFile(const QString& path);

// The shared connection for one data operation; see the top of this file.
class DbSession {
public:
    DbSession();
    ~DbSession();
    DbSession(const DbSession&) = delete;
    DbSession& operator=(const DbSession&) = delete;
    // False when the connection could not be opened; error() says why.
    bool ok() const { return m_status.ok(); }
    const QString& error() const { return m_status.error(); }
    QSqlDatabase db() const { return Conn(); }

private:
    DbStatus m_status;
    bool m_opened = false; // this session opened the connection and so closes it
};

// The writes of one user action in one transaction; rolls back unless committed.
class DbTransaction {
public:
    DbTransaction();
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;
    // False when the transaction could not begin; error() says why.
    bool active() const { return m_active; }
    const QString& error() const { return m_error; }
    DbStatus commit();
    void rollback();

private:
    bool m_active = false;
    QString m_error;
};

} // namespace vestrel
