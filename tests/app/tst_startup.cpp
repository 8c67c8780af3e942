#include "app/Startup.h"
#include "data/Dbconnection.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vestrel;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartCreatesBackupFolderAndSetsDbPath() {
        QTemporaryDir dir;
        test::ScriptedInteraction ui;
        auto result = RunStartup(dir.path());
        QVERIFY(result.proceed);
        QVERIFY(QFileInfo(dir.filePath("bakup")).isDir());
        QCOMPARE(DbPath(), dir.filePath("coal.dat"));
        QVERIFY(ui.calls.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("coal.dat"))); // the database is not opened at start-up
    }

    void existingBackupFolderKept() {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("bakup");
        QFile keep(dir.filePath("bakup/2026-01-01.bak"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("old");
        keep.close();
        test::ScriptedInteraction ui;
        auto result = RunStartup(dir.path());
        QVERIFY(result.proceed);
        QVERIFY(QFile::exists(dir.filePath("bakup/2026-01-01.bak")));
    }

    void secondCopyRefused() {
        QTemporaryDir dir;
        test::ScriptedInteraction ui;
        auto first = RunStartup(dir.path());
        QVERIFY(first.proceed);
        auto second = RunStartup(dir.path());
        QVERIFY(!second.proceed);
        QCOMPARE(ui.messages().size(), 1);
        const Message m = ui.messages().first();
        QCOMPARE(m.text, QString::fromUtf8("程序已经运行！"));
        QCOMPARE(m.title, QString::fromUtf8("错误！"));
        QCOMPARE(m.icon, MsgIcon::Critical);
        QCOMPARE(m.buttons, MsgButtons::Ok);
        // Once the first copy ends, a new start goes through.
        first.lock.reset();
        QVERIFY(RunStartup(dir.path()).proceed);
    }

    void staleLockOfDeadCopyTakenOver() {
        QTemporaryDir dir;
        test::ScriptedInteraction ui;
        QString lockPath;
        QByteArray content;
        {
            auto first = RunStartup(dir.path());
            QVERIFY(first.proceed);
            // Find the lock file the first copy holds and keep its content.
            const QStringList locks = QDir(QDir::tempPath()).entryList({"vestrel-*.lock"});
            for (const QString& name : locks) {
                QLockFile probe(QDir(QDir::tempPath()).filePath(name));
                qint64 pid = 0;
                QString host, app;
                if (probe.getLockInfo(&pid, &host, &app) && pid == QCoreApplication::applicationPid())
                    lockPath = QDir(QDir::tempPath()).filePath(name);
            }
            QVERIFY(!lockPath.isEmpty());
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            content = f.readAll();
        }
        // A crashed copy leaves its file behind, naming a process that no longer runs.
        QList<QByteArray> lines = content.split('\n');
        lines[0] = "999999";
        QFile f(lockPath);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines.join('\n'));
        f.close();
        auto again = RunStartup(dir.path());
        QVERIFY(again.proceed);
        QVERIFY(ui.messages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
