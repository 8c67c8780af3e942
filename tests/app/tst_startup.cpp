#include "app/Startup.h"
#include "data/Backup.h"
#include "data/Dbconnection.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace vestrel;

namespace {

bool canCreateFileIn(const QString& folder) {
    QFile probe(QDir(folder).filePath("probe"));
    if (!probe.open(QIODevice::WriteOnly)) return false;
    probe.remove();
    return true;
}

// A folder nobody may write to: `folder` with its write permissions taken away, or, for a superuser who
// writes through permission bits, a folder of the kernel's. Empty when the system offers neither.
QString readOnlyFolder(const QString& folder) {
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    if (!canCreateFileIn(folder)) return folder;
    if (QFileInfo("/proc/self").isDir() && !canCreateFileIn("/proc/self")) return "/proc/self";
    return {};
}

} // namespace

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

    // The portable layout keeps the data beside the program; an installed, read-only program folder sends it
    // to the per-user folder, while templates and help are still read from the program folder.
    void dataFolderFollowsWritability_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("writable program folder") << false;
        QTest::newRow("read-only program folder") << true;
    }

    void dataFolderFollowsWritability() {
        QFETCH(bool, readOnly);
        QTemporaryDir program, home;
        const auto restore = qScopeGuard([&program] {
            QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        });
        QString programFolder = program.path();
        if (readOnly) {
            programFolder = readOnlyFolder(program.path());
            if (programFolder.isEmpty()) QSKIP("no folder on this system refuses this user's files");
        }
        const QString perUser = home.filePath("data/Vestrel"); // not there yet: start-up makes it
        const QString expected = readOnly ? perUser : programFolder;
        QCOMPARE(FolderIsWritable(programFolder), !readOnly);
        QCOMPARE(ChooseDataFolder(programFolder, perUser), expected);

        test::ScriptedInteraction ui;
        auto result = RunStartup(programFolder, perUser);
        QVERIFY(result.proceed);
        QCOMPARE(dataFolder(), expected);
        QCOMPARE(DbPath(), expected + "/coal.dat");
        QCOMPARE(BackupFolder(), expected + "/bakup");
        QVERIFY(QFileInfo(expected + "/bakup").isDir());
        QCOMPARE(QFileInfo::exists(perUser), readOnly);
        QCOMPARE(programPath("template/list1.xls"), programFolder + "/template/list1.xls");
        // The database steps work in the chosen folder.
        const DbStatus opened = OpenDb();
        QVERIFY2(opened, qPrintable(opened.error()));
        QVERIFY(QSqlQuery(Conn()).exec("SELECT 1"));
        CloseDb();
        QVERIFY(QFile::exists(expected + "/coal.dat"));
        QVERIFY(ui.calls.isEmpty());
    }

    // Users who share one installed program each have their own data, so one's copy does not refuse another's.
    void usersOfOneInstalledProgramRunTogether() {
        QTemporaryDir program, alice, bob;
        const auto restore = qScopeGuard([&program] {
            QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        });
        const QString programFolder = readOnlyFolder(program.path());
        if (programFolder.isEmpty()) QSKIP("no folder on this system refuses this user's files");
        test::ScriptedInteraction ui;
        auto first = RunStartup(programFolder, alice.path());
        QVERIFY(first.proceed);
        auto second = RunStartup(programFolder, bob.path());
        QVERIFY(second.proceed);
        QVERIFY(!RunStartup(programFolder, bob.path()).proceed); // the same user's second copy is refused
        QCOMPARE(ui.messages().size(), 1);
    }

    // Without a desktop the program says so in one line instead of letting Qt abort.
    void desktopSession_data() {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("available");
        QTest::newRow("nothing") << QByteArray() << QStringList{"vestrel"} << false;
        QTest::newRow("X11") << QByteArray("DISPLAY") << QStringList{"vestrel"} << true;
        QTest::newRow("Wayland") << QByteArray("WAYLAND_DISPLAY") << QStringList{"vestrel"} << true;
        QTest::newRow("platform chosen") << QByteArray("QT_QPA_PLATFORM") << QStringList{"vestrel"} << true;
        QTest::newRow("platform argument") << QByteArray() << QStringList{"vestrel", "-platform", "vnc"} << true;
    }

    void desktopSession() {
        QFETCH(QByteArray, variable);
        QFETCH(QStringList, arguments);
        QFETCH(bool, available);
        const QList<QByteArray> names{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
        QList<std::optional<QByteArray>> saved;
        for (const QByteArray& name : names) {
            saved << (qEnvironmentVariableIsSet(name.constData()) ? std::optional(qgetenv(name.constData()))
                                                                  : std::nullopt);
            qunsetenv(name.constData());
        }
        const auto restore = qScopeGuard([&] {
            for (int i = 0; i < names.size(); ++i)
                if (saved[i]) qputenv(names[i].constData(), *saved[i]);
        });
        if (!variable.isEmpty()) qputenv(variable.constData(), ":1");
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        QCOMPARE(DesktopSessionAvailable(arguments), available);
#else
        Q_UNUSED(available);
        QVERIFY(DesktopSessionAvailable(arguments)); // Windows and macOS always have a desktop
#endif
        QVERIFY(!NoDesktopMessage().contains('\n'));
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
