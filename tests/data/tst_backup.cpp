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
        QTest::newRow("no database yet") << "coal.dat";
        QTest::newRow("backup folder removed") << "bakup";
    }
    void backupFailureIsReported() {
        QFETCH(QString, missing);
        test::ScriptedInteraction ui;
        if (missing == "bakup") {
            addLot("甲焦");
            QVERIFY(QDir(bakup()).removeRecursively());
        }
        BackupCommand();
        QCOMPARE(ui.messages().size(), 1);
        const Message m = ui.messages().first();
        QCOMPARE(m.text, QString("不能完成数据备份！"));
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
        QTest::newRow("text file") << "text";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("truncated database") << "truncated";
        QTest::newRow("damaged page") << "damaged";
        QTest::newRow("database of another program") << "foreign";
        QTest::newRow("file vanished after choosing") << "missing";
    }
    void restoreRefusesUnsoundFiles() {
        QFETCH(QString, kind);
        test::ScriptedInteraction ui;
        // Enough lots for the data to span many pages, so a cut or a damaged page misses real content.
        QVERIFY(OpenDb());
        {
            DbTransaction t;
            QSqlQuery q(Conn());
            QVERIFY(q.prepare("insert into meitan (Name, JiaGe) values (?, ?)"));
            for (int i = 0; i < 400; ++i) {
                q.addBindValue(QString("焦炭批次%1").arg(i).repeated(8));
                q.addBindValue(1000 + i);
                QVERIFY(q.exec());
            }
            QVERIFY(t.commit());
        }
        CloseDb();
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
            QByteArray bad = good;
            for (qsizetype i = bad.size() / 2; i < bad.size() / 2 + 4096; ++i)
                bad[i] = char(0xA5);
            writeBytes(chosen, bad);
        } else if (kind == "foreign") {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "tst_backup_foreign");
                db.setDatabaseName(chosen);
                QVERIFY(db.open());
                QSqlQuery q(db);
                QVERIFY(q.exec("create table notes (id integer primary key, body text)"));
                QVERIFY(q.exec("insert into notes (body) values ('hello')"));
                db.close();
            }
            QSqlDatabase::removeDatabase("tst_backup_foreign");
        }
        const QByteArray before = bytesOf(m_folder->dbPath());
        QVERIFY(!CheckRestoreFile(chosen).isEmpty());

        const Message m = restoreAnsweredYes(ui, chosen);
        QCOMPARE(m.text, QString("不能完成数据还原，请进入系统后未做任何操作时进行！"));
        QCOMPARE(m.title, QString("运行错误"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(bytesOf(m_folder->dbPath()), before);
        QCOMPARE(CountMeitan(), std::optional<qint64>(400));
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
            QCOMPARE(m.text, QString("不能完成数据还原，请进入系统后未做任何操作时进行！"));
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
};

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
