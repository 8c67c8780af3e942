#include "data/Dbconnection.h"

#include "base/Seams.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vestrel {

namespace {

const char* const kConnectionName = "vestrel_coal";
QString g_dbPath;
QString g_lastError;

QString fileLabel(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString sqliteReason(const QSqlError& e) {
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("未知错误") : text;
}

} // namespace

QString DbPath() {
    return g_dbPath;
}

void SetDbPath(const QString& path) {
    if (IsDbOpen()) CloseDb();
    g_dbPath = path;
}

QString LastDbError() {
    return g_lastError;
}

void SetLastDbError(const QString& text) {
    g_lastError = text;
}

bool Failed(const QSqlQuery& query) {
    g_lastError = QStringLiteral("数据库“%1”操作失败：%2").arg(fileLabel(g_dbPath), sqliteReason(query.lastError()));
    return false;
}

void ReportDbError() {
    const QString text = g_lastError.isEmpty() ? QStringLiteral("数据库操作失败。") : g_lastError;
    showMessage(text, QStringLiteral("数据库错误"), MsgIcon::Critical);
}

QString CheckDatabaseFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("文件不存在");
    if (!info.isFile()) return QStringLiteral("这不是一个文件");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("文件无法读取：%1").arg(file.errorString());
    const QByteArray header = file.read(100);
    file.close();
    if (header.isEmpty()) return QStringLiteral("文件是空的");
    if (!header.startsWith(QByteArrayLiteral("SQLite format 3\0")) || header.size() < 100)
        return QStringLiteral("文件不是本程序的数据库格式");

    // Look inside read-only through a private connection so nothing is written to the file.
    const QString name = QStringLiteral("vestrel_check_%1").arg(quintptr(&file));
    QString reason;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            reason = QStringLiteral("无法打开：%1").arg(sqliteReason(db.lastError()));
        } else {
            reason = CheckSchema(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return reason;
}

bool CreateDatabaseFile(const QString& path) {
    const QString name = QStringLiteral("vestrel_create");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            ok = CreateSchema(db);
            if (!ok)
                g_lastError =
                    QStringLiteral("无法在“%1”中建立数据表：%2").arg(fileLabel(path), sqliteReason(db.lastError()));
            db.close();
        } else {
            g_lastError =
                QStringLiteral("无法创建数据库文件“%1”：%2").arg(fileLabel(path), sqliteReason(db.lastError()));
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) QFile::remove(path);
    return ok;
}

bool OpenDb() {
    if (IsDbOpen()) return true;
    if (g_dbPath.isEmpty()) {
        g_lastError = QStringLiteral("没有设定数据库文件的位置。");
        return false;
    }
    if (!QFileInfo::exists(g_dbPath)) {
        if (!QFileInfo(g_dbPath).dir().exists()) {
            g_lastError = QStringLiteral("无法创建数据库文件“%1”：文件夹不存在").arg(fileLabel(g_dbPath));
            return false;
        }
        if (!CreateDatabaseFile(g_dbPath)) return false;
    } else {
        const QString reason = CheckDatabaseFile(g_dbPath);
        if (!reason.isEmpty()) {
            g_lastError = QStringLiteral("数据库文件“%1”不能使用：%2。程序没有改动这个文件；请检查它，或从备份还原。")
                              .arg(fileLabel(g_dbPath), reason);
            return false;
        }
    }
    QSqlDatabase db = QSqlDatabase::contains(QLatin1String(kConnectionName))
                          ? QSqlDatabase::database(QLatin1String(kConnectionName), false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnectionName));
    db.setDatabaseName(g_dbPath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open()) {
        g_lastError =
            QStringLiteral("无法打开数据库文件“%1”：%2").arg(fileLabel(g_dbPath), sqliteReason(db.lastError()));
        return false;
    }
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
    return true;
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

DbTransaction::DbTransaction() {
    m_active = IsDbOpen() && Conn().transaction();
    if (!m_active)
        g_lastError =
            QStringLiteral("数据库“%1”无法开始事务：%2").arg(fileLabel(g_dbPath), sqliteReason(Conn().lastError()));
}

DbTransaction::~DbTransaction() {
    if (m_active) rollback();
}

bool DbTransaction::commit() {
    if (!m_active) return false;
    m_active = false;
    if (Conn().commit()) return true;
    g_lastError = QStringLiteral("数据库“%1”保存失败：%2").arg(fileLabel(g_dbPath), sqliteReason(Conn().lastError()));
    Conn().rollback();
    return false;
}

void DbTransaction::rollback() {
    if (!m_active) return;
    m_active = false;
    Conn().rollback();
}

} // namespace vestrel
