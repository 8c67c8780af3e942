#include "ChildProcess.h"
#include "data/Dbconnection.h"
#include "data/Schema.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace vestrel;

namespace {
QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}
// Lot names and prices through the shared connection, in id order.
QStringList lots() {
    QStringList rows;
    if (const DbStatus opened = OpenDb(); !opened) return {QStringLiteral("OpenDb: ") + opened.error()};
    QSqlQuery q("SELECT Name, JiaGe FROM meitan ORDER BY id", Conn());
    while (q.next())
        rows << q.value(0).toString() + "=" + q.value(1).toString();
    CloseDb();
    return rows;
}
void addLots(int count) {
    QVERIFY(OpenDb());
    DbTransaction tx;
    QSqlQuery q(Conn());
    QVERIFY(q.prepare("INSERT INTO meitan (Name, JiaGe) VALUES (?, ?)"));
    for (int i = 0; i < count; ++i) {
        q.addBindValue(QString("焦炭%1").arg(i));
        q.addBindValue(1000 + i);
        QVERIFY(q.exec());
    }
    QVERIFY(tx.commit());
    CloseDb();
}
} // namespace

class DatabaseTest : public QObject {
    Q_OBJECT
private slots:
    void missingFileCreatedWithSchema() {
        test::TempProgramFolder folder;
        QVERIFY(!QFile::exists(folder.dbPath()));
        const DbStatus opened = OpenDb();
        QVERIFY2(opened, qPrintable(opened.error()));
        QVERIFY(QFile::exists(folder.dbPath()));
        const QSqlRecord lots = Conn().record("meitan");
        for (const char* c : {"id", "Name", "ShuiFen", "Liu", "HuiFen", "HuiFaFen", "GuDingTan", "NeiShui", "ReLiang",
                              "G", "Y", "KeMoXing", "HuiRongDian", "huishoulv", "kucun", "JiaGe", "leixing", "riqi"})
            QVERIFY2(lots.contains(c), c);
        const QSqlRecord shares = Conn().record("Lishi_Peibibiao");
        for (int k = 1; k <= 10; ++k)
            QVERIFY(shares.contains(QStringLiteral("d%1").arg(k)));
        QVERIFY(Conn().record("Lishi_meitan").contains("followid"));
        QVERIFY(Conn().record("Lishi_fangan").contains("fanganhao"));
        CloseDb();
        QCOMPARE(CheckDatabaseFile(folder.dbPath()), QString());
    }

    void openCloseNesting() {
        test::TempProgramFolder folder;
        QVERIFY(OpenDb());
        QVERIFY(OpenDb()); // nested: shares the open connection
        QVERIFY(IsDbOpen());
        CloseDb();
        QVERIFY(!IsDbOpen());
        CloseDb(); // closing a closed connection is harmless
        QVERIFY(OpenDb());
        CloseDb();
    }

    // A session closes the connection only if it opened it: an operation inside another keeps it open.
    void sessionClosesOnlyWhatItOpened() {
        test::TempProgramFolder folder;
        {
            const DbSession outer;
            QVERIFY(outer.ok());
            {
                const DbSession inner;
                QVERIFY(inner.ok());
            }
            QVERIFY(IsDbOpen());
            QSqlQuery q(outer.db());
            QVERIFY(q.exec("SELECT count(*) FROM meitan"));
        }
        QVERIFY(!IsDbOpen());
        QVERIFY(OpenDb());
        {
            const DbSession session;
            QVERIFY(session.ok());
        }
        QVERIFY(IsDbOpen()); // someone else opened it
        CloseDb();
        writeBytes(folder.dbPath(), "not a database");
        {
            const DbSession refused;
            QVERIFY(!refused.ok());
            QVERIFY(refused.error().contains("coal.dat"));
            QVERIFY(!IsDbOpen());
        }
        QVERIFY(!IsDbOpen());
    }

    void idsNeverReusedAndRunDateDefaults() {
        test::TempProgramFolder folder;
        QVERIFY(OpenDb());
        QSqlQuery q(Conn());
        QVERIFY(q.exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('a')"));
        QVERIFY(q.exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('b')"));
        QVERIFY(q.exec("DELETE FROM Lishi_fangan WHERE id=2"));
        QVERIFY(q.exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('c')"));
        QVERIFY(q.exec("SELECT id, riqi FROM Lishi_fangan WHERE xinxi='c'") && q.next());
        QCOMPARE(q.value(0).toInt(), 3);
        const QDateTime riqi = QDateTime::fromString(q.value(1).toString(), "yyyy-MM-dd HH:mm:ss");
        QVERIFY(riqi.isValid());
        QVERIFY(qAbs(riqi.secsTo(QDateTime::currentDateTime())) < 120); // local time, not UTC
        CloseDb();
    }

    void foreignFilesRefusedAndLeftUntouched_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reasonPart");
        QTest::newRow("empty file") << QByteArray() << QString::fromUtf8("空");
        QTest::newRow("text file") << QByteArray("Standard Jet DB, not really\r\n") << QString::fromUtf8("格式");
        QTest::newRow("access-like header")
            << QByteArray("\x00\x01\x00\x00Standard Jet DB", 19) + QByteArray(2000, 'x') << QString::fromUtf8("格式");
    }
    void foreignFilesRefusedAndLeftUntouched() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reasonPart);
        test::TempProgramFolder folder;
        writeBytes(folder.dbPath(), content);
        const DbStatus opened = OpenDb();
        QVERIFY(!opened);
        QVERIFY(opened.error().contains("coal.dat"));
        QVERIFY2(opened.error().contains(reasonPart), qPrintable(opened.error()));
        QCOMPARE(bytesOf(folder.dbPath()), content);
    }

    void otherProgramsDatabaseRefused() {
        test::TempProgramFolder folder;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(folder.dbPath());
            QVERIFY(db.open());
            QSqlQuery(db).exec("CREATE TABLE customers (id INTEGER, name TEXT)");
            db.close();
        }
        QSqlDatabase::removeDatabase("other");
        const QByteArray before = bytesOf(folder.dbPath());
        const DbStatus opened = OpenDb();
        QVERIFY(!opened);
        QVERIFY2(opened.error().contains("meitan"), qPrintable(opened.error()));
        QCOMPARE(bytesOf(folder.dbPath()), before);
    }

    void damagedDatabaseReportedThroughSeam() {
        test::TempProgramFolder folder;
        QVERIFY(OpenDb());
        CloseDb();
        QByteArray bytes = bytesOf(folder.dbPath());
        bytes.truncate(100); // the header survives, the tables do not
        writeBytes(folder.dbPath(), bytes);
        const DbStatus opened = OpenDb();
        QVERIFY(!opened);
        test::ScriptedInteraction ui;
        showDbError(opened.error());
        QCOMPARE(ui.messages().size(), 1);
        // Damage is named only after quick_check failed too, and only then is a restore the advice.
        QCOMPARE(ui.messages().first().text, QString("数据库文件“%1”已损坏（database disk image is malformed）。"
                                                     "程序没有改动这个文件；请从备份还原。")
                                                 .arg(QDir::toNativeSeparators(folder.dbPath())));
        QCOMPARE(ui.messages().first().icon, MsgIcon::Critical);
        QCOMPARE(bytesOf(folder.dbPath()), bytes);
    }

    void saveCutOffByACrashIsRolledBackOnOpen() {
        test::TempProgramFolder folder;
        addLots(300);
        const QStringList before = lots();
        QCOMPARE(before.size(), 300);
        const QByteArray committed = bytesOf(folder.dbPath());
        QVERIFY(!test::runChildAndKill(test::kInterruptedSave, folder.dbPath()).isEmpty());
        // The killed save left changed pages in coal.dat and the old ones in its hot journal.
        QVERIFY(QFileInfo(folder.dbPath() + "-journal").size() > 0);
        QVERIFY(bytesOf(folder.dbPath()) != committed);
        QCOMPARE(InspectDatabaseFile(folder.dbPath(), DbAccess::ReadOnly, false).state, DbFileState::Unfinished);

        QCOMPARE(lots(), before);
        QVERIFY(!QFile::exists(folder.dbPath() + "-journal"));
        QCOMPARE(InspectDatabaseFile(folder.dbPath(), DbAccess::ReadOnly, true).state, DbFileState::Usable);
    }

    void lockedDatabaseAsksToTryAgain() {
        test::TempProgramFolder folder;
        addLots(3);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "tst_database_other");
            other.setDatabaseName(folder.dbPath());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("BEGIN EXCLUSIVE"));
            const DbStatus opened = OpenDb();
            QVERIFY(!opened);
            QCOMPARE(opened.error(),
                     QString("数据库文件“%1”正被其他程序使用，暂时不能打开。请关闭那个程序，或稍后再试。")
                         .arg(QDir::toNativeSeparators(folder.dbPath())));
            QVERIFY(q.exec("ROLLBACK"));
            other.close();
        }
        QSqlDatabase::removeDatabase("tst_database_other");
        QCOMPARE(lots().size(), 3);
    }

    void folderInPlaceOfTheDatabase() {
        test::TempProgramFolder folder;
        QVERIFY(QDir(folder.path()).mkdir("coal.dat"));
        const DbStatus opened = OpenDb();
        QVERIFY(!opened);
        QCOMPARE(opened.error(), QString("数据库文件“%1”不能使用：这是一个文件夹，不是文件。请把它移走或改名后再试。")
                                     .arg(QDir::toNativeSeparators(folder.dbPath())));
        QVERIFY(QFileInfo(folder.dbPath()).isDir());
    }

    void missingFolderGivesMessageNotCrash() {
        test::TempProgramFolder folder;
        SetDbPath(folder.filePath("no/such/folder/coal.dat"));
        const DbStatus opened = OpenDb();
        QVERIFY(!opened);
        QVERIFY(opened.error().contains("coal.dat"));
    }

    void transactionRollsBackUnlessCommitted() {
        test::TempProgramFolder folder;
        QVERIFY(OpenDb());
        {
            DbTransaction tx;
            QVERIFY(tx.active());
            QVERIFY(QSqlQuery(Conn()).exec("INSERT INTO meitan (Name) VALUES ('x')"));
        }
        QSqlQuery q(Conn());
        QVERIFY(q.exec("SELECT count(*) FROM meitan") && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
        {
            DbTransaction tx;
            QVERIFY(QSqlQuery(Conn()).exec("INSERT INTO meitan (Name) VALUES ('y')"));
            QVERIFY(tx.commit());
        }
        QVERIFY(q.exec("SELECT count(*) FROM meitan") && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        CloseDb();
    }
};

VESTREL_TEST_MAIN_WITH_CHILDREN(DatabaseTest)
#include "tst_database.moc"
