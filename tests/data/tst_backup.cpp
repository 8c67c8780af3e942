#include "ChildProcess.h"
#include "app/Startup.h"
#include "catalogue/DaoFunction.h"
#include "data/Backup.h"
#include "data/Dbconnection.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The lot names in a database file, read through a connection of its own.
QStringList lotNames(const QString& file) {
    QStringList names;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "tst_backup_reader");
        db.setDatabaseName(file);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery q("select Name from meitan order by id", db);
            while (q.next())
                names << q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("tst_backup_reader");
    return names;
}

void addLot(const QString& name) {
    Mei lot;
    lot.MingCheng = name;
    lot.JiaGe = 1500;
    lot.Liu = 2.5;
    QCOMPARE(SaveMei(lot), SaveResult::Saved);
}

// Enough lots for the data to span many pages, so a cut or a damaged page misses real content.
void addManyLots(int count) {
    QVERIFY(OpenDb());
    DbTransaction t;
    QSqlQuery q(Conn());
    QVERIFY(q.prepare("insert into meitan (Name, JiaGe) values (?, ?)"));
    for (int i = 0; i < count; ++i) {
        q.addBindValue(QString("焦炭批次%1").arg(i).repeated(8));
        q.addBindValue(1000 + i);
        QVERIFY(q.exec());
    }
    QVERIFY(t.commit());
    CloseDb();
}

// The file with 4 KiB in its middle overwritten.
QByteArray damaged(QByteArray bytes) {
    for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 4096; ++i)
        bytes[i] = char(0xA5);
    return bytes;
}

void makeForeignDatabase(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "tst_backup_foreign");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("create table notes (id integer primary key, body text)"));
        QVERIFY(q.exec("insert into notes (body) values ('hello')"));
        db.close();
    }
    QSqlDatabase::removeDatabase("tst_backup_foreign");
}

// The second line of a refusal: `reason` itself, or, when it ends in "：", a text it begins.
bool reasonMatches(const QString& line, const QString& reason) {
    return reason.endsWith("：") ? line.startsWith(reason) && line.size() > reason.size() : line == reason;
}

QDateTime at(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(10, 15));
}

} // namespace

class BackupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> m_folder;

    QString bakup(const QString& name = {}) const { return m_folder->filePath("bakup/" + name); }
    QStringList backupFiles() const { return QDir(bakup()).entryList(QDir::Files, QDir::Name); }
    void setDay(int year, int month, int day) {
        setClock([=] { return at(year, month, day); });
    }

    // A restore of `file` answered Yes; returns the last message.
    Message restoreAnsweredYes(test::ScriptedInteraction& ui, const QString& file) {
        ui.files.enqueue(file);
        ui.answers.enqueue(MsgResult::Yes);
        RestoreCommand();
        return ui.messages().isEmpty() ? Message{} : ui.messages().last();
    }

private slots:
    void init() {
        m_folder = std::make_unique<test::TempProgramFolder>();
        QVERIFY(QDir(m_folder->path()).mkdir("bakup"));
        setDay(2026, 12, 8);
    }

    void cleanup() {
        setClock({});
        m_folder.reset();
    }

    void oneBackupPerDayHoldingTheLatestCopy() {
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        const Message m = ui.messages().value(0);
        QCOMPARE(m.text, QString("数据已备份到  ") + QDir::toNativeSeparators(bakup("2026-12-08.bak")));
        QCOMPARE(m.title, QString("提示"));
        QCOMPARE(m.icon, MsgIcon::Information);
        QCOMPARE(m.buttons, MsgButtons::Ok);

        addLot("乙焦");
        BackupCommand(); // the same day: replaces the first copy, leaving no temporary behind
        QCOMPARE(QDir(bakup()).entryList(QDir::Files | QDir::Hidden), QStringList{"2026-12-08.bak"});
        QCOMPARE(lotNames(bakup("2026-12-08.bak")), (QStringList{"甲焦", "乙焦"}));

        setDay(2026, 12, 9);
        addLot("丙焦");
        BackupCommand();
        QCOMPARE(backupFiles(), (QStringList{"2026-12-08.bak", "2026-12-09.bak"}));
        QCOMPARE(lotNames(bakup("2026-12-08.bak")), (QStringList{"甲焦", "乙焦"}));
        QCOMPARE(lotNames(bakup("2026-12-09.bak")).size(), 3);
    }

    void backupDuringAnOpenTransactionHoldsTheCommittedData() {
        test::ScriptedInteraction ui;
        addLot("甲焦");
        QVERIFY(OpenDb());
        {
            DbTransaction t;
            QVERIFY(t.active());
            QSqlQuery q(Conn());
            QVERIFY(q.prepare("insert into meitan (Name) values (?)"));
            q.addBindValue("未提交");
            QVERIFY(q.exec());
            BackupCommand();
        }
        CloseDb();
        QVERIFY(ui.lastMessageText().startsWith(QString("数据已备份到  ")));
        QCOMPARE(CheckRestoreFile(bakup("2026-12-08.bak")), QString());
        QCOMPARE(lotNames(bakup("2026-12-08.bak")), QStringList{"甲焦"});
    }

    void backupFailureIsReported_data() {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("text");
        QTest::newRow("no database yet") << "coal.dat"
                                         << "不能完成数据备份！\n数据库文件不存在";
        QTest::newRow("backup folder removed") << "bakup"
                                               << "不能完成数据备份！\n备份文件夹不存在";
    }
    void backupFailureIsReported() {
        QFETCH(QString, missing);
        QFETCH(QString, text);
        test::ScriptedInteraction ui;
        if (missing == "bakup") {
            addLot("甲焦");
            QVERIFY(QDir(bakup()).removeRecursively());
        }
        BackupCommand();
        QCOMPARE(ui.messages().size(), 1);
        const Message m = ui.messages().first();
        QCOMPARE(m.text, text);
        QCOMPARE(m.title, QString("运行错误"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QVERIFY(!QFile::exists(bakup("2026-12-08.bak")));
        if (missing == "coal.dat") QVERIFY(!QFile::exists(m_folder->dbPath())); // nor does it create one
    }

    void restoreStoppedByTheUserChangesNothing_data() {
        QTest::addColumn<bool>("cancelDialog");
        QTest::newRow("dialog cancelled") << true;
        QTest::newRow("question answered No") << false;
    }
    void restoreStoppedByTheUserChangesNothing() {
        QFETCH(bool, cancelDialog);
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        addLot("乙焦");
        ui.calls.clear();
        const QByteArray before = bytesOf(m_folder->dbPath());
        ui.files.enqueue(cancelDialog ? QString() : bakup("2026-12-08.bak"));
        if (!cancelDialog) ui.answers.enqueue(MsgResult::No);
        RestoreCommand();

        const FileDialogRequest r = ui.calls.first().file;
        QCOMPARE(r.kind, FileDialogRequest::Kind::Open);
        QCOMPARE(r.title, QString("选择还原文件"));
        QCOMPARE(r.filter, QString("备份卡(*.bak)|*.bak"));
        QCOMPARE(QDir::cleanPath(r.folder), QDir::cleanPath(bakup()));
        if (cancelDialog) {
            QVERIFY(ui.messages().isEmpty());
        } else {
            QCOMPARE(ui.messages().size(), 1);
            const Message question = ui.messages().first();
            QCOMPARE(question.text, QString("还原后将覆盖原有数据，确定还原吗?"));
            QCOMPARE(question.title, QString("提示"));
            QCOMPARE(question.icon, MsgIcon::Information);
            QCOMPARE(question.buttons, MsgButtons::YesNo);
        }
        QCOMPARE(bytesOf(m_folder->dbPath()), before);
    }

    void restoreReplacesTheDatabaseForTheNextQuery() {
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        addLot("乙焦");
        addLot("丙焦");
        QVERIFY(OpenDb()); // an open shared connection must not keep the old data alive
        const Message m = restoreAnsweredYes(ui, bakup("2026-12-08.bak"));
        QCOMPARE(m.text, QString("数据已经成功还原！请重新登陆 "));
        QCOMPARE(m.title, QString("提示"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(CountMeitan(), std::optional<qint64>(1));
        QCOMPARE(lotNames(m_folder->dbPath()), QStringList{"甲焦"});
        // The replacement left nothing beside coal.dat.
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"coal.dat"});
    }

    void restoreRefusesUnsoundFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // the second line, or its start where SQLite's words follow
        QTest::newRow("text file") << "text"
                                   << "文件不是本程序的数据库格式";
        QTest::newRow("empty file") << "empty"
                                    << "文件是空的";
        QTest::newRow("truncated database") << "truncated"
                                            << "文件已损坏：";
        QTest::newRow("damaged page") << "damaged"
                                      << "文件已损坏：";
        QTest::newRow("database of another program") << "foreign"
                                                     << "缺少数据表 meitan";
        QTest::newRow("file vanished after choosing") << "missing"
                                                      << "文件不存在";
        QTest::newRow("a folder chosen") << "folder"
                                         << "这是一个文件夹，不是文件";
    }
    void restoreRefusesUnsoundFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        test::ScriptedInteraction ui;
        addManyLots(400);
        BackupCommand();
        const QByteArray good = bytesOf(bakup("2026-12-08.bak"));
        QVERIFY(good.size() > 16 * 4096);

        const QString chosen = bakup("chosen.bak");
        if (kind == "text") {
            writeBytes(chosen, "这不是数据库\r\n");
        } else if (kind == "empty") {
            writeBytes(chosen, {});
        } else if (kind == "truncated") {
            writeBytes(chosen, good.left(good.size() / 2));
        } else if (kind == "damaged") {
            writeBytes(chosen, damaged(good));
        } else if (kind == "foreign") {
            makeForeignDatabase(chosen);
        } else if (kind == "folder") {
            QVERIFY(QDir(bakup()).mkdir("chosen.bak"));
        }
        const QByteArray before = bytesOf(m_folder->dbPath());
        QVERIFY(!CheckRestoreFile(chosen).isEmpty());

        const Message m = restoreAnsweredYes(ui, chosen);
        const QStringList lines = m.text.split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("不能完成数据还原，请进入系统后未做任何操作时进行！"));
        QVERIFY2(reasonMatches(lines[1], reason), qPrintable(lines[1]));
        QCOMPARE(m.title, QString("运行错误"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(bytesOf(m_folder->dbPath()), before);
        QCOMPARE(CountMeitan(), std::optional<qint64>(400));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"coal.dat"});
    }

    void restoreRefusedWhileAnotherConnectionWrites() {
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        addLot("乙焦");
        const QByteArray before = bytesOf(m_folder->dbPath());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "tst_backup_other");
            other.setDatabaseName(m_folder->dbPath());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("BEGIN IMMEDIATE"));
            QVERIFY(q.exec("insert into meitan (Name) values ('写入中')"));

            const Message m = restoreAnsweredYes(ui, bakup("2026-12-08.bak"));
            QCOMPARE(m.text, QString("不能完成数据还原，请进入系统后未做任何操作时进行！\n"
                                     "数据库文件正被其他程序使用，请稍后再试"));
            QCOMPARE(bytesOf(m_folder->dbPath()), before);
            QVERIFY(q.exec("ROLLBACK"));
            other.close();
        }
        QSqlDatabase::removeDatabase("tst_backup_other");
        QCOMPARE(lotNames(m_folder->dbPath()), (QStringList{"甲焦", "乙焦"}));
    }

    void restoreOverADamagedDatabase() {
        // Restoring is what a damaged coal.dat needs, so its state must not stand in the way.
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        writeBytes(m_folder->dbPath(), "garbage");
        const Message m = restoreAnsweredYes(ui, bakup("2026-12-08.bak"));
        QCOMPARE(m.text, QString("数据已经成功还原！请重新登陆 "));
        QCOMPARE(lotNames(m_folder->dbPath()), QStringList{"甲焦"});
    }

    void restoreOverADamagedDatabaseLeftWithAHotJournal() {
        // The journal belongs to the file being replaced; left beside the restored one it would be rolled back
        // into it and tear it.
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        addManyLots(200);
        QVERIFY(!test::runChildAndKill(test::kInterruptedSave, m_folder->dbPath()).isEmpty());
        QVERIFY(QFileInfo(m_folder->dbPath() + "-journal").size() > 0);
        QFile db(m_folder->dbPath());
        QVERIFY(db.open(QIODevice::ReadWrite));
        db.write("garbage, not SQLite");
        db.close();

        QCOMPARE(restoreAnsweredYes(ui, bakup("2026-12-08.bak")).text, QString("数据已经成功还原！请重新登陆 "));
        QVERIFY(!QFile::exists(m_folder->dbPath() + "-journal"));
        QCOMPARE(CountMeitan(), std::optional<qint64>(1));
        QCOMPARE(CheckRestoreFile(m_folder->dbPath()), QString());
        QCOMPARE(lotNames(m_folder->dbPath()), QStringList{"甲焦"});
    }

    void restoreSaysAFolderStandsInTheWay() {
        test::ScriptedInteraction ui;
        addLot("甲焦");
        BackupCommand();
        QVERIFY(QFile::remove(m_folder->dbPath()));
        QVERIFY(QDir(m_folder->path()).mkdir("coal.dat"));
        const Message m = restoreAnsweredYes(ui, bakup("2026-12-08.bak"));
        QCOMPARE(m.text, QString("不能完成数据还原，请进入系统后未做任何操作时进行！\n"
                                 "“%1”是一个文件夹，还原的数据不能替换它；请把这个文件夹移走或改名后再还原")
                             .arg(QDir::toNativeSeparators(m_folder->dbPath())));
        QVERIFY(QFileInfo(m_folder->dbPath()).isDir());
        QVERIFY(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void backupNeverReplacesAGoodBackupWithAnUnusableCopy_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // the second line, or its start where SQLite's words follow
        QTest::newRow("database of another program") << "foreign"
                                                     << "缺少数据表 meitan";
        QTest::newRow("empty coal.dat") << "empty"
                                        << "文件是空的";
        QTest::newRow("damaged page") << "damaged"
                                      << "文件已损坏：";
        QTest::newRow("held by another program") << "locked"
                                                 << "数据库文件正被其他程序使用，请稍后再试";
    }
    void backupNeverReplacesAGoodBackupWithAnUnusableCopy() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        test::ScriptedInteraction ui;
        addManyLots(400);
        BackupCommand();
        const QByteArray good = bytesOf(bakup("2026-12-08.bak"));
        QVERIFY(ui.lastMessageText().startsWith(QString("数据已备份到  ")));

        QSqlDatabase other;
        if (kind == "foreign") {
            QVERIFY(QFile::remove(m_folder->dbPath()));
            makeForeignDatabase(m_folder->dbPath());
        } else if (kind == "empty") {
            QVERIFY(QFile::resize(m_folder->dbPath(), 0));
        } else if (kind == "damaged") {
            const QByteArray bad = damaged(bytesOf(m_folder->dbPath()));
            QVERIFY(QFile::remove(m_folder->dbPath()));
            writeBytes(m_folder->dbPath(), bad);
        } else {
            other = QSqlDatabase::addDatabase("QSQLITE", "tst_backup_other");
            other.setDatabaseName(m_folder->dbPath());
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
        }
        BackupCommand();
        const QStringList lines = ui.lastMessageText().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("不能完成数据备份！"));
        QVERIFY2(reasonMatches(lines[1], reason), qPrintable(lines[1]));
        QCOMPARE(bytesOf(bakup("2026-12-08.bak")), good);
        QCOMPARE(QDir(bakup()).entryList(QDir::Files | QDir::Hidden), QStringList{"2026-12-08.bak"});

        if (other.isValid()) { // once the other program lets go, the backup goes through
            QVERIFY(QSqlQuery(other).exec("ROLLBACK"));
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase("tst_backup_other");
            BackupCommand();
            QVERIFY(ui.lastMessageText().startsWith(QString("数据已备份到  ")));
            QCOMPARE(lotNames(bakup("2026-12-08.bak")).size(), 400);
        }
    }

    void backupAndRestoreAfterASaveCutOffByACrash() {
        test::ScriptedInteraction ui;
        addLot("甲焦");
        addLot("乙焦");
        QVERIFY(!test::runChildAndKill(test::kInterruptedSave, m_folder->dbPath()).isEmpty());
        QVERIFY(QFileInfo(m_folder->dbPath() + "-journal").size() > 0);
        // The pair as the crash left it, offered to a restore: its journal would not travel with the copy.
        QVERIFY(QFile::copy(m_folder->dbPath(), bakup("torn.bak")));
        QVERIFY(QFile::copy(m_folder->dbPath() + "-journal", bakup("torn.bak-journal")));

        BackupCommand(); // the first thing after the crash: rolls the cut-off save back, then copies
        QCOMPARE(ui.lastMessageText(), QString("数据已备份到  ") + QDir::toNativeSeparators(bakup("2026-12-08.bak")));
        QCOMPARE(lotNames(bakup("2026-12-08.bak")), (QStringList{"甲焦", "乙焦"}));
        QVERIFY(!QFile::exists(m_folder->dbPath() + "-journal"));

        const QByteArray before = bytesOf(m_folder->dbPath());
        const Message m = restoreAnsweredYes(ui, bakup("torn.bak"));
        QCOMPARE(m.text, QString("不能完成数据还原，请进入系统后未做任何操作时进行！\n"
                                 "这个文件上次的保存没有完成，不能用来还原"));
        QCOMPARE(bytesOf(m_folder->dbPath()), before);
        QCOMPARE(restoreAnsweredYes(ui, bakup("2026-12-08.bak")).text, QString("数据已经成功还原！请重新登陆 "));
        QCOMPARE(lotNames(m_folder->dbPath()), (QStringList{"甲焦", "乙焦"}));
    }

    void staleTemporariesRemovedAtStart() {
        addLot("甲焦");
        // A backup killed half-way: its copy and guard stay, naming a process that is gone.
        const QString dead = test::runChildAndKill(test::kHeldTemporary, bakup("2026-12-08.bak"));
        QVERIFY(QFile::exists(dead));
        QVERIFY(QFile::exists(dead + ".lock"));
        writeBytes(dead + "-journal", "journal of the copy");
        writeBytes(bakup("vestrel-a1B2c3.tmp"), "snapshot of an earlier version");
        // A copy whose owner still runs, and files that only look alike.
        TemporaryCopy live(m_folder->dbPath());
        QString reason;
        QVERIFY2(live.write("in use", &reason), qPrintable(reason));
        const QStringList keep{bakup("2026-12-07.bak"), bakup("2026-12-08.bak.old"), m_folder->filePath("notes.tmp")};
        for (const QString& file : keep)
            writeBytes(file, "keep");

        test::ScriptedInteraction ui;
        const StartupResult start = RunStartup(m_folder->path());
        QVERIFY(start.proceed);
        QCOMPARE(QDir(bakup()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"2026-12-07.bak", "2026-12-08.bak.old"}));
        QVERIFY(QFile::exists(live.path()));
        for (const QString& file : keep)
            QVERIFY2(QFile::exists(file), qPrintable(file));
        QVERIFY(ui.calls.isEmpty());
    }
};

VESTREL_TEST_MAIN_WITH_CHILDREN(BackupTest)
#include "tst_backup.moc"
