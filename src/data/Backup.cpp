#include "data/Backup.h"

#include "base/Seams.h"
#include "data/Dbconnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <atomic>
#include <utility>

namespace vestrel {

QString BackupFolder() {
    return dataPath(QStringLiteral("bakup"));
}

namespace {

// SQLite's result codes for a database that another connection is using.
const QString kBusy = QStringLiteral("5");
const QString kLocked = QStringLiteral("6");

bool fail(QString* reason, const QString& why) {
    if (reason) *reason = why;
    return false;
}

QString sqlReason(const QSqlError& e) {
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("未知错误") : text;
}

// Runs `work` on a private connection that is removed afterwards, so the shared connection is never involved.
template <class Work> auto withPrivateConnection(const QString& path, const QString& options, Work work) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("vestrel_backup_%1").arg(++counter);
    decltype(work(std::declval<QSqlDatabase&>())) result{};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        result = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

// Writes `bytes` over `target` through a temporary file that replaces the target only once it is complete.
bool replaceFile(const QString& target, const QByteArray& bytes, QString* reason) {
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return fail(reason, QStringLiteral("无法写入：%1").arg(out.errorString()));
    if (out.write(bytes) != bytes.size()) // the destructor then discards the temporary
        return fail(reason, QStringLiteral("无法写入：%1").arg(out.errorString()));
    if (!out.commit()) return fail(reason, QStringLiteral("无法替换文件：%1").arg(out.errorString()));
    return true;
}

bool readWholeFile(const QString& path, QByteArray* bytes, QString* reason) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return fail(reason, QStringLiteral("无法读取：%1").arg(in.errorString()));
    *bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) return fail(reason, QStringLiteral("无法读取：%1").arg(in.errorString()));
    return true;
}

// False when another connection is inside a transaction on the database. Taking the exclusive lock also rolls
// back a journal left by a crashed writer, so no stale journal can later be applied to the restored file.
bool databaseIsFree(const QString& path, QString* reason) {
    if (!QFileInfo::exists(path)) return true;
    return withPrivateConnection(path, QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"), [&](QSqlDatabase& db) {
        if (!db.open()) return true; // an unreadable file is exactly what a restore is for
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
            q.exec(QStringLiteral("ROLLBACK"));
            return true;
        }
        const QString code = q.lastError().nativeErrorCode();
        if (code == kBusy || code == kLocked) return fail(reason, QStringLiteral("数据库文件正在被使用"));
        return true; // a damaged coal.dat: nobody can be using it as a database
    });
}

} // namespace

QString BackupFilePath(const QDate& day) {
    return QDir(BackupFolder()).filePath(day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".bak"));
}

QString BackupDatabase(const QDate& day, QString* reason) {
    const QString source = DbPath();
    if (source.isEmpty() || !QFileInfo(source).isFile()) {
        fail(reason, QStringLiteral("数据库文件不存在"));
        return {};
    }
    const QString target = QFileInfo(BackupFilePath(day)).absoluteFilePath();
    const QDir folder = QFileInfo(target).absoluteDir();
    if (!folder.exists()) {
        fail(reason, QStringLiteral("备份文件夹不存在"));
        return {};
    }

    // VACUUM INTO writes a consistent snapshot even while the shared connection is open; it needs a file that
    // does not exist or is empty, so it goes to a fresh temporary that then replaces the day's file whole.
    QTemporaryFile snapshot(folder.filePath(QStringLiteral("vestrel-XXXXXX.tmp")));
    if (!snapshot.open()) {
        fail(reason, QStringLiteral("无法在备份文件夹中写入：%1").arg(snapshot.errorString()));
        return {};
    }
    const QString snapshotPath = snapshot.fileName();
    snapshot.close();

    const QString options = QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000");
    const QString error = withPrivateConnection(source, options, [&](QSqlDatabase& db) {
        if (!db.open()) return sqlReason(db.lastError());
        QSqlQuery q(db);
        if (!q.prepare(QStringLiteral("VACUUM INTO ?"))) return sqlReason(q.lastError());
        q.addBindValue(snapshotPath);
        if (!q.exec()) return sqlReason(q.lastError());
        return QString();
    });
    if (!error.isEmpty()) {
        fail(reason, QStringLiteral("无法复制数据库：%1").arg(error));
        return {};
    }

    QByteArray bytes;
    if (!readWholeFile(snapshotPath, &bytes, reason)) return {};
    if (bytes.isEmpty()) {
        fail(reason, QStringLiteral("备份副本是空的"));
        return {};
    }
    if (!replaceFile(target, bytes, reason)) return {};
    return target;
}

QString CheckRestoreFile(const QString& path) {
    const QString reason = CheckDatabaseFile(path);
    if (!reason.isEmpty()) return reason;
    // The schema lives in the first pages; only a full pass finds a file cut short or damaged further in.
    return withPrivateConnection(path, QStringLiteral("QSQLITE_OPEN_READONLY"), [](QSqlDatabase& db) {
        if (!db.open()) return QStringLiteral("无法打开：%1").arg(sqlReason(db.lastError()));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA quick_check")))
            return QStringLiteral("文件已损坏：%1").arg(sqlReason(q.lastError()));
        QStringList problems;
        while (q.next())
            problems << q.value(0).toString();
        if (q.lastError().isValid()) return QStringLiteral("文件已损坏：%1").arg(sqlReason(q.lastError()));
        if (problems != QStringList{QStringLiteral("ok")})
            return QStringLiteral("文件已损坏：%1").arg(problems.join(QStringLiteral("；")));
        return QString();
    });
}

bool RestoreDatabase(const QString& source, QString* reason) {
    // Check and write the very same bytes, so the chosen file cannot change between the two.
    QByteArray bytes;
    if (!readWholeFile(source, &bytes, reason)) return false;
    QTemporaryDir scratch;
    if (!scratch.isValid()) return fail(reason, QStringLiteral("无法建立临时文件夹"));
    const QString copy = scratch.filePath(QStringLiteral("restore.dat"));
    {
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return fail(reason, QStringLiteral("无法写入临时文件：%1").arg(out.errorString()));
    }
    const QString problem = CheckRestoreFile(copy);
    if (!problem.isEmpty()) return fail(reason, problem);

    const QString target = DbPath();
    if (target.isEmpty()) return fail(reason, QStringLiteral("没有设定数据库文件的位置"));
    CloseDb();
    if (!databaseIsFree(target, reason)) return false;
    return replaceFile(target, bytes, reason);
}

void BackupCommand() {
    const QString path = BackupDatabase(now().date());
    if (path.isEmpty()) {
        showMessage(QStringLiteral("不能完成数据备份！"), QStringLiteral("运行错误"), MsgIcon::Exclamation);
        return;
    }
    showMessage(QStringLiteral("数据已备份到  ") + QDir::toNativeSeparators(path), QStringLiteral("提示"),
                MsgIcon::Information);
}

void RestoreCommand() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = QStringLiteral("选择还原文件");
    request.filter = QStringLiteral("备份卡(*.bak)|*.bak");
    request.folder = BackupFolder();
    const QString chosen = interaction().fileDialog(request);
    if (chosen.isEmpty()) return;
    if (showMessage(QStringLiteral("还原后将覆盖原有数据，确定还原吗?"), QStringLiteral("提示"), MsgIcon::Information,
                    MsgButtons::YesNo) != MsgResult::Yes)
        return;
    if (!RestoreDatabase(chosen)) {
        showMessage(QStringLiteral("不能完成数据还原，请进入系统后未做任何操作时进行！"), QStringLiteral("运行错误"),
                    MsgIcon::Exclamation);
        return;
    }
    showMessage(QStringLiteral("数据已经成功还原！请重新登陆 "), QStringLiteral("提示"), MsgIcon::Exclamation);
}

} // namespace vestrel
