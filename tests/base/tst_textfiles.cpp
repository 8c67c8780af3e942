#include "base/FileFunction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vestrel;

class TextFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QByteArray bytesOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString writeRaw(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

private slots:
    void writeAppendsCrLfAndTruncates() {
        QVERIFY(WriteTextFile("a.txt", dir.path(), "a much longer first text"));
        QVERIFY(WriteTextFile("a.txt", dir.path(), QString::fromUtf8("硫分<=2.5")));
        QCOMPARE(bytesOf(dir.filePath("a.txt")), QString::fromUtf8("硫分<=2.5").toUtf8() + "\r\n");
    }

    void writeFailures() {
        QVERIFY(!WriteTextFile("a.txt", dir.filePath("missing-folder"), "x"));
        QVERIFY(!QFile::exists(dir.filePath("missing-folder/a.txt")));
        QVERIFY(!WriteTextFileAt(dir.path(), "x")); // a folder is not a file
        QVERIFY(!WriteTextFileAt(QString(), "x"));
    }

    void readLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("allLines");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first of three") << QByteArray("one\r\ntwo\r\nthree\r\n") << false << "one";
        QTest::newRow("all joined") << QByteArray("one\r\ntwo\r\nthree\r\n") << true << "onetwothree";
        QTest::newRow("lone CR ends a line") << QByteArray("a\rb") << true << "ab";
        QTest::newRow("lone CR, first line") << QByteArray("a\rb") << false << "a";
        QTest::newRow("lone LF stays") << QByteArray("a\nb\r\nc") << true << "a\nbc";
        QTest::newRow("lone LF stays in first line") << QByteArray("a\nb\r\nc") << false << "a\nb";
        QTest::newRow("empty file") << QByteArray() << true << "";
        QTest::newRow("chinese") << QString::fromUtf8("配比\r\n方案").toUtf8() << true << QString::fromUtf8("配比方案");
    }
    void readLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, allLines);
        QFETCH(QString, expected);
        QCOMPARE(ReadTextFile(writeRaw("r.txt", bytes), allLines), expected);
    }

    void roundTripThroughSystemCodePage() {
        const QString text = QString::fromUtf8("焦炭<b>&\"'");
        QVERIFY(WriteTextFileAt(dir.filePath("rt.txt"), text));
        QCOMPARE(ReadTextFile(dir.filePath("rt.txt"), true), text);
        QCOMPARE(bytesOf(dir.filePath("rt.txt")), EncodeSystemText(text) + "\r\n");
    }

    void fileExists() {
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(dir.path()));
        QVERIFY(!FileExists(dir.filePath("nothing")));
        const QString ro = writeRaw("ro.txt", "x");
        QFile::setPermissions(ro, QFileDevice::ReadOwner);
        QVERIFY(FileExists(ro));
    }
};

QTEST_GUILESS_MAIN(TextFilesTest)
#include "tst_textfiles.moc"
