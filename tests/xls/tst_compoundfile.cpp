// Compound file layout and hostile input: broken templates are refused with a message, never crash or hang.

#include "xls/compoundfile.h"
#include "xls/workbook.h"
#include "xlstestutil.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using vestrel::xls::CompoundFile;
using vestrel::xls::Workbook;
using namespace xlstest;

namespace {

const QString kCorrupt = QStringLiteral("工作簿文件已损坏或不完整");

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

qsizetype sectorOffset(const QByteArray& file, quint32 sector) {
    const int shift = qFromLittleEndian<quint16>(file.constData() + 0x1E);
    return (qsizetype(sector) + 1) << shift;
}

// File offset of FAT[sector] (the FAT sectors are listed in the header).
qsizetype fatEntry(const QByteArray& file, quint32 sector) {
    const qsizetype perSector = (qsizetype(1) << qFromLittleEndian<quint16>(file.constData() + 0x1E)) / 4;
    const quint32 fatSector = get32(file, 0x4C + 4 * (sector / perSector));
    return sectorOffset(file, fatSector) + 4 * (sector % perSector);
}

// The Workbook stream of a fixture changed by edit, in an otherwise unchanged compound file.
template <typename Edit> QByteArray withWorkbookStream(const QString& name, Edit edit) {
    CompoundFile file;
    if (!file.parse(fixture(name)).isEmpty()) return {};
    const int id = file.rootStream("Workbook");
    QByteArray stream = file.stream(id);
    edit(stream);
    file.setStream(id, stream);
    return file.serialize();
}

// Offset of the first record of a type in the n-th substream of a Workbook stream (0 is the globals).
qsizetype recordIn(const QByteArray& stream, int substream, quint16 type) {
    const qsizetype bof = recordsOfType(stream, 0x0809).value(substream);
    for (qsizetype at : recordsOfType(stream, type))
        if (at > bof) return at;
    return -1;
}

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

class TestCompoundFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QStringList missing = missingFixtures();
        QVERIFY2(missing.isEmpty(), qPrintable("missing test files: " + missing.join(", ")));
    }
    void brokenFilesAreRefused_data();
    void brokenFilesAreRefused();
    void brokenSheetIsRefusedOnAppend();
    void randomDamageNeverCrashes_data();
    void randomDamageNeverCrashes();
    void streamsSurviveRelayout_data();
    void streamsSurviveRelayout();

private:
    QTemporaryDir dir_;
};

void TestCompoundFile::brokenFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    const QByteArray large = fixture("e_large_lo.xls");
    const QByteArray plain = fixture("a_plain_lo.xls");
    const QString chain = QStringLiteral("工作簿文件已损坏或不完整（扇区链无效）。");

    QTest::newRow("random bytes") << randomBytes(8192, 1) << "文件不是 Excel 97-2003 工作簿（不是复合文档格式）。";
    QByteArray noise = randomBytes(8192, 2);
    noise.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    QTest::newRow("signature then random bytes") << noise << "工作簿文件已损坏或不完整（文件头无效）。";
    QTest::newRow("header only") << large.left(512) << "工作簿文件已损坏或不完整（文件被截断）。";
    QTest::newRow("cut in half") << large.left(large.size() / 2) << kCorrupt;

    QByteArray hugeFat = large;
    set32(hugeFat, 0x2C, 0x7FFFFFFF);
    QTest::newRow("huge FAT sector count") << hugeFat << "工作簿文件已损坏或不完整（扇区分配表无效）。";

    QByteArray difatLoop = large;
    set32(difatLoop, 0x2C, 150); // more FAT sectors than the header lists, so the DIFAT chain is read
    set32(difatLoop, 0x44, 3);
    set32(difatLoop, 0x48, 1);
    set32(difatLoop, sectorOffset(difatLoop, 3) + 127 * 4, 3); // the DIFAT sector names itself as next
    QTest::newRow("DIFAT chain loops") << difatLoop << "工作簿文件已损坏或不完整（扇区分配表无效）。";

    QByteArray dirLoop = large;
    const quint32 dir = get32(dirLoop, 0x30);
    set32(dirLoop, fatEntry(dirLoop, dir), dir);
    QTest::newRow("directory chain loops onto itself") << dirLoop << chain;

    QByteArray miniLoop = plain;
    const qsizetype miniFat = sectorOffset(miniLoop, get32(miniLoop, 0x3C));
    miniLoop.replace(miniFat, 512, QByteArray(512, '\0')); // every mini sector is followed by sector 0
    QTest::newRow("mini FAT chains loop") << miniLoop << chain;

    QByteArray streamLoop = large;
    const quint32 start = get32(streamLoop, directoryEntry(streamLoop, "Workbook") + 0x74);
    set32(streamLoop, fatEntry(streamLoop, start + 5), start);
    QTest::newRow("stream chain loops back") << streamLoop << chain;

    QByteArray treeLoop = large;
    const qsizetype entry = directoryEntry(treeLoop, "Workbook");
    set32(treeLoop, entry + 0x44, quint32(entry - sectorOffset(treeLoop, dir)) / 128);
    QTest::newRow("directory tree loops") << treeLoop << "工作簿文件已损坏或不完整（目录无效）。";

    QByteArray hugeStream = large;
    set32(hugeStream, directoryEntry(hugeStream, "Workbook") + 0x78, 0x7FFFFFF0);
    QTest::newRow("stream longer than the file") << hugeStream << "工作簿文件已损坏或不完整（目录无效）。";

    QByteArray badShift = large;
    set16(badShift, 0x1E, 16);
    QTest::newRow("unknown sector size") << badShift << "工作簿文件已损坏或不完整（文件头无效）。";

    QTest::newRow("records cut short") << withWorkbookStream("a_plain_lo.xls", [](QByteArray& s) { s.truncate(1000); })
                                       << "工作簿文件已损坏或不完整（工作簿记录无效）。";
    QTest::newRow("sheet offset off by one") << withWorkbookStream("e_large_gn.xls", [](QByteArray& s) {
        const qsizetype at = recordsOfType(s, 0x0085).value(1) + 4;
        set32(s, at, get32(s, at) + 1);
    }) << "工作簿文件已损坏或不完整（工作表列表无效）。";
    QTest::newRow("more strings claimed than stored") << withWorkbookStream("b_formatted_lo.xls", [](QByteArray& s) {
        set32(s, recordsOfType(s, 0x00FC).value(0) + 8, 1000000);
    }) << "工作簿文件已损坏或不完整（共享字符串表无效）。";
    QTest::newRow("first string longer than the table") << withWorkbookStream("e_large_lo.xls", [](QByteArray& s) {
        const qsizetype sst = recordsOfType(s, 0x00FC).value(0);
        set16(s, sst + 4 + 8, 60000);
    }) << "工作簿文件已损坏或不完整（共享字符串表无效）。";

    // Damage away from Sheet1: the whole stream is walked before anything is written.
    const QString truncated = QStringLiteral("工作簿文件已损坏或不完整（文件被截断）。");
    const QString badSheet3 = QStringLiteral("工作簿文件已损坏或不完整（工作表“Sheet3”中的记录无效）。");
    const QString badSheet2 = QStringLiteral("工作簿文件已损坏或不完整（工作表“Sheet2”中的记录无效）。");
    const char* three = "g_three_sheets_gn.xls";
    QTest::newRow("last sheet's record overruns the stream")
        << withWorkbookStream(three, [](QByteArray& s) { set16(s, recordIn(s, 3, 0x00FD) + 2, 0x2000); }) << truncated;
    QTest::newRow("last sheet cut short") << withWorkbookStream(three, [](QByteArray& s) { s.chop(10); }) << truncated;
    QTest::newRow("sheet without its EOF")
        << withWorkbookStream(three, [](QByteArray& s) { set16(s, recordsOfType(s, 0x000A).value(2), 0x0000); })
        << truncated;
    QTest::newRow("string index beyond the table")
        << withWorkbookStream(three, [](QByteArray& s) { set32(s, recordIn(s, 3, 0x00FD) + 10, 5000); }) << badSheet3;
    QTest::newRow("cell record shorter than its fields") << withWorkbookStream(three, [](QByteArray& s) {
        set16(s, recordIn(s, 2, 0x00FD), 0x0203); // a text cell read as a number
    }) << badSheet2;
    QTest::newRow("column beyond IV") << withWorkbookStream(three, [](QByteArray& s) {
        set16(s, recordIn(s, 2, 0x00FD) + 6, 300);
    }) << badSheet2;
    QTest::newRow("record longer than 8224 bytes") << withWorkbookStream(three, [](QByteArray& s) {
        const qsizetype at = recordIn(s, 2, 0x0200);
        s.insert(at + 4 + 14, QByteArray(8300 - 14, '\0'));
        set16(s, at + 2, 8300);
        const qsizetype sheet3 = recordsOfType(s, 0x0085).value(2) + 4;
        set32(s, sheet3, get32(s, sheet3) + 8300 - 14);
    }) << badSheet2;
}

void TestCompoundFile::brokenFilesAreRefused() {
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QVERIFY(!file.isEmpty());

    Workbook book;
    const QString got = book.loadData(file);
    if (error == kCorrupt) // where a cut lands decides which part is reported
        QVERIFY2(got.startsWith(kCorrupt), qPrintable(got));
    else
        QCOMPARE(got, error);
    QCOMPARE(book.appendRows("Sheet1", {{"x"}}), QStringLiteral("没有打开的工作簿。"));
}

void TestCompoundFile::brokenSheetIsRefusedOnAppend() {
    // A sheet without DIMENSIONS has no cell table to append to.
    const QByteArray file = withWorkbookStream(
        "b_formatted_lo.xls", [](QByteArray& s) { set16(s, recordsOfType(s, 0x0200).value(0), 0x0999); });
    Workbook book;
    QCOMPARE(book.loadData(file), QString());
    QCOMPARE(book.appendRows("Sheet1", {{"x"}}), QStringLiteral("工作表“Sheet1”的结构无法识别，无法追加数据。"));
    QCOMPARE(book.nextRow("Sheet1"), -1);
    QCOMPARE(book.appendRows("Sheet2", {{"x"}}), QString());
}

void TestCompoundFile::randomDamageNeverCrashes_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("inWorkbookStream");
    for (const char* name : {"a_plain_lo.xls", "a_plain_gn.xls", "b_formatted_lo.xls", "c_sheet1_third_gn.xls",
                             "e_large_gn.xls", "f_v4_mini.xls", "f_v4_big.xls"}) {
        QTest::addRow("%s, file bytes", name) << QString(name) << false;
        QTest::addRow("%s, workbook records", name) << QString(name) << true;
    }
}

void TestCompoundFile::randomDamageNeverCrashes() {
    QFETCH(QString, fixture);
    QFETCH(bool, inWorkbookStream);
    const QByteArray original = xlstest::fixture(fixture);
    CompoundFile container;
    QCOMPARE(container.parse(original), QString());
    const int workbook = container.rootStream("Workbook");
    const QByteArray stream = container.stream(workbook);

    QRandomGenerator random(quint32(qHash(fixture)) + inWorkbookStream);
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray target = inWorkbookStream ? stream : original;
        const int edits = 1 + random.bounded(4);
        for (int e = 0; e < edits; ++e)
            target[random.bounded(target.size())] = char(random.bounded(256));
        QByteArray file = target;
        if (inWorkbookStream) {
            CompoundFile copy = container;
            copy.setStream(workbook, target);
            file = copy.serialize();
        }

        // Whatever loads must append and write a file that loads again with the row in place.
        Workbook book;
        if (!book.loadData(file).isEmpty()) continue;
        const int next = book.nextRow("Sheet1");
        if (!book.appendRows("Sheet1", {{QStringLiteral("甲"), QString()}}).isEmpty()) continue;
        ++loaded;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(book.write(&out), QString());
        Workbook reread;
        QCOMPARE(reread.loadData(out.data()), QString());
        QCOMPARE(reread.nextRow("Sheet1"), next + 1);
    }
    qInfo("%d of 300 damaged copies were still usable", loaded);
}

void TestCompoundFile::streamsSurviveRelayout_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("workbookSize");
    QTest::addColumn<bool>("difat");

    QTest::newRow("mini stream to sectors") << "a_plain_lo.xls" << 50000 << false;
    QTest::newRow("sectors to mini stream") << "e_large_lo.xls" << 3000 << false;
    QTest::newRow("empty stream") << "e_large_gn.xls" << 0 << false;
    // The header lists 109 FAT sectors; one byte more needs a 110th, listed in a DIFAT sector.
    QTest::newRow("largest stream without DIFAT") << "e_large_lo.xls" << 7085568 << false;
    QTest::newRow("one byte more needs a DIFAT sector") << "e_large_lo.xls" << 7085569 << true;
    QTest::newRow("4096-byte sectors grow") << "f_v4_mini.xls" << 5 * 1024 * 1024 << false;
}

void TestCompoundFile::streamsSurviveRelayout() {
    QFETCH(QString, fixture);
    QFETCH(int, workbookSize);
    QFETCH(bool, difat);

    const QByteArray original = xlstest::fixture(fixture);
    CompoundFile file;
    QCOMPARE(file.parse(original), QString());
    const int workbook = file.rootStream("Workbook");
    QVERIFY(workbook > 0);
    file.setStream(workbook, randomBytes(workbookSize, 7));
    const QByteArray written = file.serialize();

    QCOMPARE(written.left(8), original.left(8));
    QCOMPARE(written.mid(0x1A, 6), original.mid(0x1A, 6)); // version, byte order, sector size
    QCOMPARE(get32(written, 0x48) > 0, difat);
    QCOMPARE(written.size() % (qsizetype(1) << qFromLittleEndian<quint16>(written.constData() + 0x1E)), 0);

    CompoundFile reread;
    QCOMPARE(reread.parse(written), QString());
    for (int id : file.streamIds())
        QVERIFY2(reread.stream(id) == file.stream(id), qPrintable(file.entryName(id)));

    // The independent reader finds the same bytes in every stream.
    const QString path = dir_.filePath(QStringLiteral("relayout_%1_%2.bin").arg(fixture).arg(workbookSize));
    QVERIFY(writeFile(path, written));
    QString error;
    const QJsonObject streams = readWithXlrd(path, {"--streams-only"}, &error)["streams"].toObject();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(streams.size(), file.streamIds().size());
    for (int id : file.streamIds())
        QCOMPARE(streams[file.entryName(id)].toString(), sha256(file.stream(id)));
}

QTEST_GUILESS_MAIN(TestCompoundFile)
#include "tst_compoundfile.moc"
