#pragma once
// Crashes made on purpose: the test binary runs itself with a role, the child gets to the point where a real
// crash would hurt, says "ready" and is killed there. main() hands argv to runChildRole before anything else.

#include "data/Backup.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace vestrel::test {

// A save of many rows into `db` that spills to the file before it commits (a small page cache forces that);
// it is killed at that point, leaving a hot journal beside the database.
inline const char* const kInterruptedSave = "--interrupted-save";
// Holds a TemporaryCopy of `target`, written in full, until it is killed.
inline const char* const kHeldTemporary = "--held-temporary";

namespace detail {

[[noreturn]] inline void readyThenWait(const QByteArray& said = {}) {
    std::fputs(said.constData(), stdout);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    std::getchar(); // the parent kills us here; if it goes away instead, stdin closes
    std::_Exit(70); // no clean-up: what is left is what a crash leaves
}

inline bool interruptedSave(const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("child"));
    db.setDatabaseName(path);
    if (!db.open()) return false;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA cache_size=4")) || !q.exec(QStringLiteral("BEGIN"))) return false;
    if (!q.exec(QStringLiteral("UPDATE meitan SET Name = Name || '(改)', JiaGe = JiaGe + 1"))) return false;
    if (!q.prepare(QStringLiteral("INSERT INTO meitan (Name, JiaGe) VALUES (?, ?)"))) return false;
    for (int i = 0; i < 3000; ++i) {
        q.addBindValue(QStringLiteral("未保存的批次%1").arg(i).repeated(4));
        q.addBindValue(2000 + i);
        if (!q.exec()) return false;
    }
    readyThenWait();
}

inline bool heldTemporary(const QString& target) {
    static TemporaryCopy copy(target); // never destroyed: the kill comes first
    QString reason;
    if (!copy.write(QByteArray(64 * 1024, 'x'), &reason)) return false;
    readyThenWait(copy.path().toUtf8() + '\n');
}

} // namespace detail

// True when argv names a child role; the role ran and *exitCode tells how it failed.
inline bool runChildRole(int argc, char** argv, int* exitCode) {
    if (argc < 3) return false;
    const QByteArray role = argv[1];
    if (role != kInterruptedSave && role != kHeldTemporary) return false;
    QCoreApplication app(argc, argv);
    const QString argument = QString::fromLocal8Bit(argv[2]);
    const bool started = role == kInterruptedSave ? detail::interruptedSave(argument) : detail::heldTemporary(argument);
    *exitCode = started ? 0 : 71;
    return true;
}

// Runs this binary in `role` until it is ready, kills it and returns what it printed before "ready" (empty when
// it never got ready).
inline QString runChildAndKill(const char* role, const QString& argument) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(role), argument});
    QByteArray out;
    while (!out.contains("ready\n") && child.waitForReadyRead(60000))
        out += child.readAllStandardOutput();
    const bool ready = out.contains("ready\n");
    child.kill();
    child.waitForFinished(60000);
    if (!ready) return {};
    out.chop(int(sizeof("ready\n")) - 1);
    return QString::fromUtf8(out).trimmed().isEmpty() ? QStringLiteral("ready") : QString::fromUtf8(out).trimmed();
}

} // namespace vestrel::test

// A Qt Test main that first lets the binary act as one of the children above.
#define VESTREL_TEST_MAIN_WITH_CHILDREN(TestClass)                                                                     \
    int main(int argc, char** argv) {                                                                                  \
        int childExit = 0;                                                                                             \
        if (vestrel::test::runChildRole(argc, argv, &childExit)) return childExit;                                     \
        QCoreApplication app(argc, argv);                                                                              \
        TestClass test;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
