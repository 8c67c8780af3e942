#include "data/Backup.h"

#include "base/Seams.h"
#include "data/Dbconnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vestrel {

QString BackupFolder() {
    return dataPath(QStringLiteral("bakup"));
}

namespace {

// Every temporary of a backup or restore carries this mark, and so does whatever grows from it.
const QString kTempMark = QStringLiteral(".vestrel-tmp");
const QString kGuardSuffix = QStringLiteral(".lock");

const QString kLockedReason = QStringLiteral("数据库文件正被其他程序使用，请稍后再试");

bool fail(QString* reason, const QString& why) {
    if (reason) *reason = why;
    return false;
}

QString sqlReason(const QSqlError& e) {
    const QString text = e.databaseText().trimmed().isEmpty() ? e.text().trimmed() : e.databaseText().trimmed();
    return text.isEmpty() ? QStringLiteral("未知错误") : text;
}

// Busy or locked: another connection holds the database.
bool isLockError(const QSqlError& e) {
    const int code = e.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
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
        if (isLockError(q.lastError())) return fail(reason, kLockedReason);
        return true; // a damaged coal.dat: nobody can be using it as a database
    });
}

// Takes a guard whose earlier owner may have died; only a dead owner makes it stale, never its age.
bool takeGuard(QLockFile& guard) {
    guard.setStaleLockTime(0);
    if (guard.tryLock(0)) return true;
    // tryLock already removes guards of dead processes; one more try covers a race with such a removal.
    return guard.error() == QLockFile::LockFailedError && guard.removeStaleLockFile() && guard.tryLock(0);
}

// Removes the files named `stem` or `stem` + anything, except the guard; returns how many.
int removeStemFiles(const QDir& dir, const QString& stem) {
    int removed = 0;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(stem) || name == stem + kGuardSuffix) continue;
        if (QFile::remove(dir.filePath(name))) ++removed;
    }
    return removed;
}

// The files SQLite keeps beside a database while it writes to it.
QStringList sideFiles(const QString& database) {
    return {database + QStringLiteral("-journal"), database + QStringLiteral("-wal"),
            database + QStringLiteral("-shm")};
}

} // namespace

TemporaryCopy::TemporaryCopy(const QString& target) : m_target(QFileInfo(target).absoluteFilePath()) {
    const QFileInfo info(m_target);
    const QString token = QStringLiteral("%1-%2")
                              .arg(QCoreApplication::applicationPid())
                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    m_path = info.absoluteDir().filePath(info.fileName() + QLatin1Char('.') + token + kTempMark);
    auto guard = std::make_unique<QLockFile>(m_path + kGuardSuffix);
    if (!takeGuard(*guard)) {
        m_error = guard->error() == QLockFile::PermissionError
                      ? QStringLiteral("没有在“%1”中写入的权限").arg(native(info.absolutePath()))
                      : QStringLiteral("无法在“%1”中建立临时文件").arg(native(info.absolutePath()));
        return;
    }
    m_guard = std::move(guard);
}

TemporaryCopy::~TemporaryCopy() {
    if (!m_guard) return;
    removeStemFiles(QFileInfo(m_path).absoluteDir(), QFileInfo(m_path).fileName());
    m_guard->unlock();
}

bool TemporaryCopy::write(const QByteArray& bytes, QString* reason) {
    if (!isValid()) return fail(reason, m_error);
    // QSaveFile flushes to the disk before it renames, so the copy is complete even after a power cut.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return fail(reason, QStringLiteral("无法写入临时文件：%1").arg(out.errorString()));
    if (out.write(bytes) != bytes.size()) // the destructor then discards it
        return fail(reason, QStringLiteral("无法写入临时文件：%1").arg(out.errorString()));
    if (!out.commit()) return fail(reason, QStringLiteral("无法写入临时文件：%1").arg(out.errorString()));
    return true;
}

bool TemporaryCopy::replaceTarget(QString* reason) {
    if (!isValid()) return fail(reason, m_error);
    // A journal beside the old file would be rolled back into the new one; it belongs to content now replaced.
    for (const QString& side : sideFiles(m_target)) {
        if (QFileInfo::exists(side) && !QFile::remove(side))
            return fail(reason, QStringLiteral("无法删除旧的日志文件“%1”").arg(native(side)));
    }
    std::error_code error;
    std::filesystem::rename(QFileInfo(m_path).filesystemAbsoluteFilePath(),
                            QFileInfo(m_target).filesystemAbsoluteFilePath(), error);
    if (error)
        return fail(reason, QStringLiteral("无法替换“%1”：%2")
                                .arg(native(m_target), QString::fromLocal8Bit(error.message()).trimmed()));
    return true;
}

int RemoveStaleTemporaries(const QStringList& folders) {
    static const QRegularExpression marked(QStringLiteral("^(.+") + QRegularExpression::escape(kTempMark) + ')');
    int removed = 0;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        if (folder.isEmpty() || !dir.exists()) continue;
        QMap<QString, int> stems;
        const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : names) {
            const QRegularExpressionMatch m = marked.match(name);
            if (m.hasMatch()) stems[m.captured(1)] += 1;
        }
        for (auto it = stems.cbegin(); it != stems.cend(); ++it) {
            QLockFile guard(dir.filePath(it.key() + kGuardSuffix));
            if (!takeGuard(guard)) continue; // its owner still runs
            removed += removeStemFiles(dir, it.key());
            guard.unlock();
        }
    }
    return removed;
}

int RemoveStaleTemporaries() {
    int removed = RemoveStaleTemporaries({dataFolder(), BackupFolder()});
    // Snapshots of earlier versions carried no guard. Start-up holds the one-copy lock of this data folder,
    // so none of them can be in use.
    static const QRegularExpression earlier(QStringLiteral("^vestrel-[A-Za-z0-9]{6}\\.tmp$"));
    const QDir backups(BackupFolder());
    for (const QString& name : backups.entryList(QDir::Files | QDir::Hidden))
        if (earlier.match(name).hasMatch() && QFile::remove(backups.filePath(name))) ++removed;
    return removed;
}

QString BackupFilePath(const QDate& day) {
    return QDir(BackupFolder()).filePath(day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".bak"));
}

QString BackupDatabase(const QDate& day, QString* reason) {
    const QString source = DbPath();
    if (source.isEmpty() || !QFileInfo::exists(source)) {
        fail(reason, QStringLiteral("数据库文件不存在"));
        return {};
    }
    const QString target = QFileInfo(BackupFilePath(day)).absoluteFilePath();
    if (!QFileInfo(target).absoluteDir().exists()) {
        fail(reason, QStringLiteral("备份文件夹不存在"));
        return {};
    }
    if (QFileInfo(target).exists() && !QFileInfo(target).isFile()) {
        fail(reason, QStringLiteral("“%1”不是文件，备份不能替换它").arg(native(target)));
        return {};
    }

    // What a restore would refuse is no backup. Looked at on a connection that may write, so a save cut off
    // by a crash is rolled back first and the copy holds the data as it was before that save.
    const DbFileCheck check = InspectDatabaseFile(source, DbAccess::Recover, true);
    if (!check.usable()) {
        fail(reason, check.reason);
        return {};
    }

    TemporaryCopy copy(target);
    if (!copy.isValid()) {
        fail(reason, QStringLiteral("无法在备份文件夹中写入：%1").arg(copy.errorString()));
        return {};
    }
    // VACUUM INTO writes a consistent snapshot even while the shared connection is open; it needs a file that
    // does not exist yet.
    const QString error =
        withPrivateConnection(source, QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"), [&](QSqlDatabase& db) {
            if (!db.open()) return sqlReason(db.lastError());
            QSqlQuery q(db);
            if (!q.prepare(QStringLiteral("VACUUM INTO ?"))) return sqlReason(q.lastError());
            q.addBindValue(copy.path());
            if (q.exec()) return QString();
            return isLockError(q.lastError()) ? kLockedReason
                                              : QStringLiteral("无法复制数据库：%1").arg(sqlReason(q.lastError()));
        });
    if (!error.isEmpty()) {
        fail(reason, error);
        return {};
    }

    // SQLite does not flush VACUUM INTO's file to the disk; writing it again through QSaveFile does. The file
    // checked is the very file that becomes the backup.
    QByteArray bytes;
    if (!readWholeFile(copy.path(), &bytes, reason)) return {};
    if (bytes.isEmpty()) {
        fail(reason, QStringLiteral("备份副本是空的"));
        return {};
    }
    if (!copy.write(bytes, reason)) return {};
    const QString problem = CheckRestoreFile(copy.path());
    if (!problem.isEmpty()) {
        fail(reason, QStringLiteral("备份副本不能使用：%1").arg(problem));
        return {};
    }
    if (!copy.replaceTarget(reason)) return {};
    return target;
}

QString CheckRestoreFile(const QString& path) {
    // The tables live in the first pages; only quick_check's full pass finds a file cut short or damaged further in.
    return InspectDatabaseFile(path, DbAccess::ReadOnly, true).reason;
}

bool RestoreDatabase(const QString& source, QString* reason) {
    QString target = DbPath();
    if (target.isEmpty()) return fail(reason, QStringLiteral("没有设定数据库文件的位置"));
    const QFileInfo targetInfo(target);
    if (targetInfo.isSymbolicLink() && targetInfo.exists()) target = targetInfo.canonicalFilePath(); // keep the link
    if (targetInfo.exists() && !QFileInfo(target).isFile()) {
        return fail(reason,
                    QFileInfo(target).isDir()
                        ? QStringLiteral("“%1”是一个文件夹，还原的数据不能替换它；请把这个文件夹移走或改名后再还原")
                              .arg(native(target))
                        : QStringLiteral("“%1”不是文件，还原的数据不能替换它").arg(native(target)));
    }

    // A quick look first: a folder, a foreign file or one with a save cut off (its journal beside it would not
    // travel with the copy) is refused before anything is read or written.
    const DbFileCheck first = InspectDatabaseFile(source, DbAccess::ReadOnly, false);
    if (first.state == DbFileState::Unfinished)
        return fail(reason, QStringLiteral("这个文件上次的保存没有完成，不能用来还原"));
    if (first.state == DbFileState::Locked) return fail(reason, QStringLiteral("这个文件正被其他程序使用，请稍后再试"));
    if (!first.usable()) return fail(reason, first.reason);

    // Check and install the very same bytes, so the chosen file cannot change between the two.
    QByteArray bytes;
    if (!readWholeFile(source, &bytes, reason)) return false;
    TemporaryCopy copy(target);
    if (!copy.write(bytes, reason)) return false;
    const QString problem = CheckRestoreFile(copy.path());
    if (!problem.isEmpty()) return fail(reason, problem);

    CloseDb();
    if (!databaseIsFree(target, reason)) return false;
    return copy.replaceTarget(reason);
}

void BackupCommand() {
    QString reason;
    const QString path = BackupDatabase(now().date(), &reason);
    if (path.isEmpty()) {
        showMessage(QStringLiteral("不能完成数据备份！\n") + reason, QStringLiteral("运行错误"), MsgIcon::Exclamation);
        return;
    }
    showMessage(QStringLiteral("数据已备份到  ") + QDir::toNativeSeparators(path), QStringLiteral("提示"),
                MsgIcon::Information);
}

bool RestoreCommand() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = QStringLiteral("选择还原文件");
    request.filter = QStringLiteral("备份卡(*.bak)|*.bak");
    request.folder = BackupFolder();
    const QString chosen = interaction().fileDialog(request);
    if (chosen.isEmpty()) return false;
    if (showMessage(QStringLiteral("还原后将覆盖原有数据，确定还原吗?"), QStringLiteral("提示"), MsgIcon::Information,
                    MsgButtons::YesNo) != MsgResult::Yes)
        return false;
    QString reason;
    if (!RestoreDatabase(chosen, &reason)) {
        // The fixed text first; the reason on its own line says what to do about it.
        showMessage(QStringLiteral("不能完成数据还原，请进入系统后未做任何操作时进行！\n") + reason,
                    QStringLiteral("运行错误"), MsgIcon::Exclamation);
        return false;
    }
    showMessage(QStringLiteral("数据已经成功还原！请重新登陆 "), QStringLiteral("提示"), MsgIcon::Exclamation);
    return true;
}

} // namespace vestrel
