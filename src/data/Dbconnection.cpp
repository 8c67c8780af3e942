#include "data/Dbconnection.h"

#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

namespace vestrel {

namespace {

const char* const kConnectionName = "vestrel_coal";
QString g_dbPath;

QString fileLabel(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// SQLite's own words; Qt's addition ("Unable to execute statement") says nothing more.
QString sqliteReason(const QSqlError& e) {
    const QString text = e.databaseText().trimmed().isEmpty() ? e.text().trimmed() : e.databaseText().trimmed();
    return text.isEmpty() ? QStringLiteral("未知错误") : text;
}

// SQLite's primary result codes; Qt hands over the extended ones, whose low byte is the primary.
enum SqliteCode { kBusy = 5, kLocked = 6, kReadOnly = 8, kCorrupt = 11, kNotADatabase = 26 };

int sqliteCode(const QSqlError& e) {
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : 0;
}

bool isLockError(const QSqlError& e) {
    const int code = sqliteCode(e);
    return code == kBusy || code == kLocked;
}

} // namespace

QString DbPath() {
    return g_dbPath;
}

void SetDbPath(const QString& path) {
    if (IsDbOpen()) CloseDb();
    g_dbPath = path;
}

DbError Failed(const QSqlQuery& query) {
    return {
        isLockError(query.lastError())
            ? QStringLiteral("数据库文件“%1”正被其他程序使用，这次操作没有完成。请稍后再试。").arg(fileLabel(g_dbPath))
            : QStringLiteral("数据库“%1”操作失败：%2").arg(fileLabel(g_dbPath), sqliteReason(query.lastError()))};
}

namespace {

DbFileCheck lockedCheck() {
    return {DbFileState::Locked, QStringLiteral("数据库文件正被其他程序使用，请稍后再试"), {}};
}

// Runs quick_check: "" when it passes, otherwise what it found; a failing pragma leaves *error set.
QString quickCheckProblems(QSqlDatabase& db, QSqlError* error) {
    QSqlQuery q(db);
    // Two findings are enough to tell damage; it stops there, and the message stays short.
    if (!q.exec(QStringLiteral("PRAGMA quick_check(2)"))) {
        *error = q.lastError();
        return sqliteReason(*error);
    }
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString();
    if (q.lastError().isValid()) {
        *error = q.lastError();
        return sqliteReason(*error);
    }
    if (rows == QStringList{QStringLiteral("ok")}) return {};
    QStringList findings; // without the heading that names the schema
    for (const QString& row : rows)
        for (const QString& line : row.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (!line.startsWith(QLatin1String("*** in database"))) findings << line.trimmed();
    return findings.isEmpty() ? QStringLiteral("未知错误") : findings.join(QStringLiteral("；"));
}

// quick_check's verdict; `otherwise` stands when it passes.
DbFileCheck judgeByQuickCheck(QSqlDatabase& db, const DbFileCheck& otherwise) {
    QSqlError error;
    const QString problems = quickCheckProblems(db, &error);
    if (problems.isEmpty()) return otherwise;
    if (isLockError(error)) return lockedCheck();
    const int code = sqliteCode(error);
    if (error.isValid() && code != kCorrupt && code != kNotADatabase) // the reading itself failed
        return {DbFileState::Unreadable, QStringLiteral("文件无法读取：%1").arg(problems), problems};
    return {DbFileState::Damaged, QStringLiteral("文件已损坏：%1").arg(problems), problems};
}

// Why reading the tables failed.
DbFileCheck readFailure(QSqlDatabase& db, const QSqlError& error) {
    switch (sqliteCode(error)) {
    case kBusy:
    case kLocked:
        return lockedCheck();
    case kReadOnly: // the only write a reader makes is rolling back a hot journal
        return {DbFileState::Unfinished, QStringLiteral("文件上次的保存没有完成，要能写入这个文件才能撤销那次保存"),
                sqliteReason(error)};
    case kNotADatabase:
        return {DbFileState::Foreign, QStringLiteral("文件不是本程序的数据库格式"), sqliteReason(error)};
    default:
        return judgeByQuickCheck(db,
                                 {DbFileState::Unreadable, QStringLiteral("文件无法读取：%1").arg(sqliteReason(error)),
                                  sqliteReason(error)});
    }
}

DbFileCheck inspectOpen(QSqlDatabase& db, bool thorough) {
    QSqlQuery q(db);
    // One read transaction: every table is read under one shared lock. Its first read rolls back a hot journal
    // when the connection may write.
    if (!q.exec(QStringLiteral("BEGIN"))) return readFailure(db, q.lastError());
    QSqlError readError;
    const QString missing = CheckSchema(db, &readError);
    DbFileCheck check;
    if (readError.isValid())
        check = readFailure(db, readError);
    else if (!missing.isEmpty())
        check = {DbFileState::Foreign, missing, {}};
    else if (thorough)
        check = judgeByQuickCheck(db, {});
    q.exec(QStringLiteral("ROLLBACK"));
    return check;
}

} // namespace

DbFileCheck InspectDatabaseFile(const QString& path, DbAccess access, bool thorough) {
    const QFileInfo info(path);
    if (!info.exists()) return {DbFileState::Missing, QStringLiteral("文件不存在"), {}};
    if (!info.isFile())
        return {DbFileState::NotAFile,
                info.isDir() ? QStringLiteral("这是一个文件夹，不是文件") : QStringLiteral("这不是一个文件"),
                {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {DbFileState::Unreadable, QStringLiteral("文件无法读取：%1").arg(file.errorString()),
                file.errorString()};
    const QByteArray header = file.read(100);
    file.close();
    if (header.isEmpty()) return {DbFileState::Foreign, QStringLiteral("文件是空的"), {}};
    if (!header.startsWith(QByteArrayLiteral("SQLite format 3\0")) || header.size() < 100)
        return {DbFileState::Foreign, QStringLiteral("文件不是本程序的数据库格式"), {}};

    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("vestrel_inspect_%1").arg(++counter);
    DbFileCheck check;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(access == DbAccess::ReadOnly
                                 ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
        if (!db.open()) {
            const QString why = sqliteReason(db.lastError());
            check = {DbFileState::Unreadable, QStringLiteral("无法打开：%1").arg(why), why};
        } else {
            check = inspectOpen(db, thorough);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return check;
}

QString DbFileMessage(const QString& path, const DbFileCheck& check) {
    const QString file = fileLabel(path);
    switch (check.state) {
    case DbFileState::Usable:
        return {};
    case DbFileState::Missing:
        return QStringLiteral("数据库文件“%1”不存在。").arg(file);
    case DbFileState::NotAFile:
        return QStringLiteral("数据库文件“%1”不能使用：%2。请把它移走或改名后再试。").arg(file, check.reason);
    case DbFileState::Unreadable:
        return QStringLiteral("无法打开数据库文件“%1”：%2")
            .arg(file, check.detail.isEmpty() ? check.reason : check.detail);
    case DbFileState::Foreign:
        return QStringLiteral("数据库文件“%1”不能使用：%2。程序没有改动这个文件；请检查它，或从备份还原。")
            .arg(file, check.reason);
    case DbFileState::Locked:
        return QStringLiteral("数据库文件“%1”正被其他程序使用，暂时不能打开。请关闭那个程序，或稍后再试。").arg(file);
    case DbFileState::Unfinished:
        return QStringLiteral(
                   "数据库文件“%1”上次的保存没有完成。要撤销那次保存，本程序需要写入这个文件，但它不允许写入。"
                   "请允许写入这个文件和它所在的文件夹后再试。")
            .arg(file);
    case DbFileState::Damaged:
        return QStringLiteral("数据库文件“%1”已损坏（%2）。程序没有改动这个文件；请从备份还原。")
            .arg(file, check.detail);
    }
    return {};
}

QString CheckDatabaseFile(const QString& path) {
    return InspectDatabaseFile(path, DbAccess::ReadOnly, false).reason;
}

DbStatus CreateDatabaseFile(const QString& path) {
    const QString name = QStringLiteral("vestrel_create");
    DbStatus status;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            if (!CreateSchema(db))
                status = DbError{
                    QStringLiteral("无法在“%1”中建立数据表：%2").arg(fileLabel(path), sqliteReason(db.lastError()))};
            db.close();
        } else {
            status = DbError{
                QStringLiteral("无法创建数据库文件“%1”：%2").arg(fileLabel(path), sqliteReason(db.lastError()))};
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!status) QFile::remove(path);
    return status;
}

DbStatus OpenDb() {
    if (IsDbOpen()) return {};
    if (g_dbPath.isEmpty()) return DbError{QStringLiteral("没有设定数据库文件的位置。")};
    if (!QFileInfo::exists(g_dbPath)) {
        if (!QFileInfo(g_dbPath).dir().exists())
            return DbError{QStringLiteral("无法创建数据库文件“%1”：文件夹不存在").arg(fileLabel(g_dbPath))};
        if (DbStatus created = CreateDatabaseFile(g_dbPath); !created) return created;
    } else {
        // Checked on a connection that may write, so a save cut off by a crash is rolled back, not taken for damage.
        const DbFileCheck check = InspectDatabaseFile(g_dbPath, DbAccess::Recover, false);
        if (!check.usable()) return DbError{DbFileMessage(g_dbPath, check)};
    }
    QSqlDatabase db = QSqlDatabase::contains(QLatin1String(kConnectionName))
                          ? QSqlDatabase::database(QLatin1String(kConnectionName), false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnectionName));
    db.setDatabaseName(g_dbPath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open())
        return DbError{
            QStringLiteral("无法打开数据库文件“%1”：%2").arg(fileLabel(g_dbPath), sqliteReason(db.lastError()))};
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    return {};
}

void CloseDb() {
    if (!QSqlDatabase::contains(QLatin1String(kConnectionName))) return;
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(kConnectionName), false);
        if (db.isOpen()) db.close();
    }
}

bool IsDbOpen() {
    if (!QSqlDatabase::contains(QLatin1String(kConnectionName))) return false;
    return QSqlDatabase::database(QLatin1String(kConnectionName), false).isOpen();
}

QSqlDatabase Conn() {
    return QSqlDatabase::database(QLatin1String(kConnectionName), false);
}

DbSession::DbSession() {
    const bool wasOpen = IsDbOpen();
    m_status = OpenDb();
    m_opened = m_status.ok() && !wasOpen;
}

DbSession::~DbSession() {
    if (m_opened) CloseDb();
}

DbTransaction::DbTransaction() {
    m_active = IsDbOpen() && Conn().transaction();
    if (!m_active)
        m_error =
            QStringLiteral("数据库“%1”无法开始事务：%2").arg(fileLabel(g_dbPath), sqliteReason(Conn().lastError()));
}

DbTransaction::~DbTransaction() {
    if (m_active) rollback();
}

DbStatus DbTransaction::commit() {
    if (!m_active) return DbError{m_error};
    m_active = false;
    if (Conn().commit()) return {};
    const QSqlError error = Conn().lastError();
    const DbError failed{
        isLockError(error)
            ? QStringLiteral("数据库文件“%1”正被其他程序使用，没有保存。请稍后再试。").arg(fileLabel(g_dbPath))
            : QStringLiteral("数据库“%1”保存失败：%2").arg(fileLabel(g_dbPath), sqliteReason(error))};
    Conn().rollback();
    return failed;
}

void DbTransaction::rollback() {
    if (!m_active) return;
    m_active = false;
    Conn().rollback();
}

} // namespace vestrel
