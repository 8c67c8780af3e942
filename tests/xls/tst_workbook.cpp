// Appending text rows to Excel 97 templates, checked by reading the written files with xlrd.

#include "xls/workbook.h"
#include "xlstestutil.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using vestrel::xls::appendRowsToCopy;
using vestrel::xls::Workbook;
using namespace xlstest;

namespace {

// A 24-column header as the history export writes it.
QStringList header24() {
    QStringList h{QStringLiteral("序")};
    for (int i = 1; i <= 23; ++i)
        h << (i <= 10 ? QStringLiteral("比例%1") : QStringLiteral("指标%1")).arg(i);
    return h;
}

// Texts that stress the string table: empty, 8-bit, wide, astral, long enough to span CONTINUE records.
QList<QStringList> mixedRows() {
    const QString astral = QString::fromUtf8("\xF0\xA0\x80\x80"); // U+20000
    return {
        {QString()},
        {QString(), QString()},
        header24(),
        {QStringLiteral("Latin-1 é ü ß"), QStringLiteral("plain ASCII"), QString(), astral + QStringLiteral(" 外")},
        {QString(5000, QChar(0x7164)), QString(9000, QLatin1Char('x')), astral.repeated(3000),
         QStringLiteral("中") + astral.repeated(3000)},
        {QStringLiteral("<b>&amp;</b>"), QStringLiteral("两行\n文字"), QStringLiteral("方案 title"),
         QStringLiteral("重复"), QStringLiteral("重复")},
        {QStringLiteral("参与配比的煤")},
    };
}

QList<QStringList> bulkRows(int count, int columns) {
    QList<QStringList> rows;
    rows.reserve(count);
    for (int r = 0; r < count; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            if (c == 0)
                row << QString::number(r + 1);
            else if (c == 1)
                row << QStringLiteral("煤样%1号").arg(r + 1);
            else if (c == 5 && r % 7 == 0)
                row << QString();
            else
                row << QStringLiteral("r%1c%2").arg(r).arg(c);
        }
        rows << row;
    }
    return rows;
}

QList<QStringList> workload(const QString& name, int firstRow) {
    if (name == "tiny") return {{QStringLiteral("方案")}};
    if (name == "mixed") return mixedRows();
    if (name == "bulk") return mixedRows() + bulkRows(10000, 16);
    if (name == "256 columns") return bulkRows(2, 256);
    if (name == "32767 characters") return {{QString(32767, QChar(0x7164)), QString(32767, QLatin1Char('x'))}};
    return bulkRows(65536 - firstRow, 1); // up to the last row there is
}

QString firstDifference(const QJsonArray& got, const QJsonArray& want) {
    for (qsizetype i = 0; i < std::max(got.size(), want.size()); ++i) {
        if (i >= got.size() || i >= want.size() || got[i] != want[i]) {
            auto show = [](const QJsonArray& a, qsizetype k) {
                return k < a.size() ? QString::fromUtf8(QJsonDocument(a[k].toArray()).toJson(QJsonDocument::Compact))
                                    : QStringLiteral("(none)");
            };
            return QStringLiteral("cell %1: got %2, want %3").arg(i).arg(show(got, i), show(want, i)).left(400);
        }
    }
    return {};
}

// The written file holds the template's sheets unchanged except `sheet`, which holds its old cells and then the
// rows from firstRow on; every stream but Workbook is byte-for-byte the template's.
void verifyReadBack(const QString& templateName, const QString& out, const QString& sheet, int firstRow,
                    const QList<QStringList>& rows) {
    QString error;
    const QJsonObject got = readWithXlrd(out, {"--grown", sheet, "--indexes"}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QJsonArray problems = got["problems"].toArray();
    QVERIFY2(problems.isEmpty(), QJsonDocument(problems).toJson().constData());

    const QJsonArray wantSheets = expectedDump(templateName)["sheets"].toArray();
    const QJsonArray gotSheets = got["sheets"].toArray();
    QVERIFY(!wantSheets.isEmpty());
    QCOMPARE(gotSheets.size(), wantSheets.size());
    bool grownSeen = false;
    for (qsizetype i = 0; i < wantSheets.size(); ++i) {
        const QJsonObject want = wantSheets[i].toObject();
        const QJsonObject have = gotSheets[i].toObject();
        if (want["name"].toString().compare(sheet, Qt::CaseInsensitive) != 0) {
            QVERIFY2(have == want, qPrintable(QStringLiteral("sheet %1 changed").arg(want["name"].toString())));
            continue;
        }
        grownSeen = true;
        QCOMPARE(have["name"], want["name"]);
        QCOMPARE(have["merged"], want["merged"]);
        QCOMPARE(have["nrows"].toInt(), firstRow + int(rows.size()));
        int width = want["ncols"].toInt();
        QJsonArray cells = want["cells"].toArray();
        for (qsizetype r = 0; r < rows.size(); ++r) {
            width = std::max(width, int(rows[r].size()));
            for (qsizetype c = 0; c < rows[r].size(); ++c)
                cells.append(QJsonArray{int(firstRow + r), int(c), QStringLiteral("text"), rows[r][c]});
        }
        QCOMPARE(have["ncols"].toInt(), width);
        const QJsonArray haveCells = have["cells"].toArray();
        QVERIFY2(haveCells == cells, qPrintable(firstDifference(haveCells, cells)));
    }
    QVERIFY(grownSeen);

    const QJsonObject templateStreams =
        readWithXlrd(fixturePath(templateName), {"--streams-only"}, &error)["streams"].toObject();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QJsonObject outStreams = got["streams"].toObject();
    QCOMPARE(outStreams.keys(), templateStreams.keys());
    for (const QString& name : templateStreams.keys()) {
        if (name != "Workbook") QVERIFY2(outStreams[name] == templateStreams[name], qPrintable(name + " changed"));
    }
}

} // namespace

class TestWorkbook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QStringList missing = missingFixtures();
        QVERIFY2(missing.isEmpty(), qPrintable("missing test files: " + missing.join(", ")));
    }
    void appendedRowsReadBack_data();
    void appendedRowsReadBack();
    void limitsExceeded_data();
    void limitsExceeded();
    void refusedTemplatesWriteNothing_data();
    void refusedTemplatesWriteNothing();
    void movedSheetsKeepTheirIndex();
    void appendsAccumulateAcrossCalls();
    void failedSaveLeavesTargetAlone();
    void tenThousandRowsAppended();

private:
    QTemporaryDir dir_;
};

void TestWorkbook::appendedRowsReadBack_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<QString>("rows");

    // The first appended row follows the last row holding a cell or a ROW record.
    QTest::newRow("LibreOffice empty sheet, stays in the mini stream") << "a_plain_lo.xls"
                                                                       << "Sheet1" << 0 << "tiny";
    QTest::newRow("LibreOffice empty sheet, no string table yet") << "a_plain_lo.xls"
                                                                  << "Sheet1" << 0 << "mixed";
    QTest::newRow("LibreOffice empty sheet, 10000 rows") << "a_plain_lo.xls"
                                                         << "Sheet1" << 0 << "bulk";
    QTest::newRow("Gnumeric empty sheet") << "a_plain_gn.xls"
                                          << "Sheet1" << 0 << "mixed";
    QTest::newRow("after a title and a bordered row") << "b_formatted_lo.xls"
                                                      << "Sheet1" << 2 << "mixed";
    QTest::newRow("third of four sheets") << "c_sheet1_third_gn.xls"
                                          << "Sheet1" << 1 << "mixed";
    QTest::newRow("third of four sheets, 10000 rows") << "c_sheet1_third_gn.xls"
                                                      << "Sheet1" << 1 << "bulk";
    QTest::newRow("sheet name in other case") << "c_sheet1_third_gn.xls"
                                              << "sheet1" << 1 << "tiny";
    // Both later sheets move; their INDEX keeps its rows and follows DEFCOLWIDTH and the DBCELLs.
    QTest::newRow("first of three sheets, two move") << "g_three_sheets_gn.xls"
                                                     << "Sheet1" << 2 << "mixed";
    QTest::newRow("sheet before Sheet1") << "c_sheet1_third_gn.xls"
                                         << "Notes" << 2 << "mixed";
    QTest::newRow("first sheet, UTF-16 name") << "c_sheet1_third_gn.xls"
                                              << "封面" << 3 << "mixed";
    QTest::newRow("LibreOffice strings over CONTINUE") << "e_large_lo.xls"
                                                       << "Sheet1" << 40 << "mixed";
    QTest::newRow("Gnumeric strings over CONTINUE, 10000 rows") << "e_large_gn.xls"
                                                                << "Sheet1" << 40 << "bulk";
    QTest::newRow("4096-byte sectors, mini stream") << "f_v4_mini.xls"
                                                    << "Sheet1" << 2 << "mixed";
    QTest::newRow("4096-byte sectors, 10000 rows") << "f_v4_big.xls"
                                                   << "Sheet1" << 40 << "bulk";
}

void TestWorkbook::appendedRowsReadBack() {
    QFETCH(QString, fixture);
    QFETCH(QString, sheet);
    QFETCH(int, firstRow);
    QFETCH(QString, rows);
    const QList<QStringList> appended = workload(rows, firstRow);

    Workbook book;
    QCOMPARE(book.load(fixturePath(fixture)), QString());
    QCOMPARE(book.nextRow(sheet), firstRow);
    QCOMPARE(book.appendRows(sheet, appended), QString());
    const QString out = dir_.filePath(QStringLiteral("%1_%2_%3.xls").arg(fixture, sheet, rows));
    QCOMPARE(book.save(out), QString());
    verifyReadBack(fixture, out, sheet, firstRow, appended);
}

void TestWorkbook::limitsExceeded_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<QString>("error");

    QTest::newRow("257 columns") << "a_plain_lo.xls" << 1 << 257 << 1 << "追加的行超出 Excel 97 的 256 列上限。";
    QTest::newRow("65537 rows on an empty sheet")
        << "a_plain_lo.xls" << 65537 << 1 << 1 << "追加的行超出 Excel 97 的 65536 行上限。";
    QTest::newRow("row 65536 after 40 used")
        << "e_large_lo.xls" << 65497 << 1 << 1 << "追加的行超出 Excel 97 的 65536 行上限。";
    QTest::newRow("text of 32768 characters") << "a_plain_gn.xls" << 1 << 1 << 32768 << "单元格文本超过 32767 个字符。";
}

void TestWorkbook::limitsExceeded() {
    QFETCH(QString, fixture);
    QFETCH(int, rowCount);
    QFETCH(int, columns);
    QFETCH(int, textLength);
    QFETCH(QString, error);

    Workbook book;
    QCOMPARE(book.load(fixturePath(fixture)), QString());
    const int before = book.nextRow("Sheet1");
    QCOMPARE(book.appendRows("Sheet1", {{QStringLiteral("kept")}}), QString());
    QList<QStringList> rows(rowCount, QStringList(columns, QString(textLength, QLatin1Char('a'))));
    QCOMPARE(book.appendRows("Sheet1", rows), error);

    // The refused rows leave no trace: only the row appended before is written.
    QCOMPARE(book.nextRow("Sheet1"), before + 1);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QCOMPARE(book.write(&buffer), QString());
    Workbook reread;
    QCOMPARE(reread.loadData(buffer.data()), QString());
    QCOMPARE(reread.nextRow("Sheet1"), before + 1);
}

void TestWorkbook::refusedTemplatesWriteNothing_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("error");

    const QByteArray plain = fixture("a_plain_lo.xls");
    const QByteArray globalsBof = QByteArray::fromHex("0908100000060500");
    QByteArray biff5Bof = plain;
    biff5Bof.replace(biff5Bof.indexOf(globalsBof), globalsBof.size(), QByteArray::fromHex("0908100000050500"));
    // The record after the globals BOF becomes FILEPASS, as in a password-protected workbook.
    QByteArray encrypted = plain;
    encrypted.replace(encrypted.indexOf(globalsBof) + 20, 2, QByteArray::fromHex("2f00"));

    QTest::newRow("no sheet named Sheet1") << fixture("d_no_sheet1_lo.xls") << "Sheet1"
                                           << "工作簿中没有名为“Sheet1”的工作表。";
    QTest::newRow("near miss with a space") << plain << "Sheet 1"
                                            << "工作簿中没有名为“Sheet 1”的工作表。";
    QTest::newRow("Excel 95 Book stream") << renameEntry(plain, "Workbook", "Book") << "Sheet1"
                                          << "不支持 Excel 5.0/95 格式的工作簿，请使用 Excel 97-2003 格式的模板。";
    QTest::newRow("Excel 95 records in a Workbook stream")
        << biff5Bof << "Sheet1"
        << "不支持 Excel 5.0/95 格式的工作簿，请使用 Excel 97-2003 格式的模板。";
    QTest::newRow("password protected") << encrypted << "Sheet1"
                                        << "工作簿设有密码保护，无法写入。";
    QTest::newRow("compound file without a workbook") << renameEntry(plain, "Workbook", "Workbooq") << "Sheet1"
                                                      << "文件中没有工作簿数据，不是 Excel 工作簿。";
    QTest::newRow("Excel 2007 zip file") << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8).repeated(100) << "Sheet1"
                                         << "文件不是 Excel 97-2003 工作簿（不是复合文档格式）。";
    QTest::newRow("empty file") << QByteArray() << "Sheet1"
                                << "文件不是 Excel 97-2003 工作簿（不是复合文档格式）。";
}

void TestWorkbook::refusedTemplatesWriteNothing() {
    QFETCH(QByteArray, file);
    QFETCH(QString, sheet);
    QFETCH(QString, error);

    const QString templatePath = dir_.filePath("refused_template.xls");
    const QString target = dir_.filePath("refused_target.xls");
    QFile::remove(target);
    QVERIFY(writeFile(templatePath, file));
    QCOMPARE(appendRowsToCopy(templatePath, target, sheet, {{QStringLiteral("x")}}), error);
    QVERIFY(!QFile::exists(target));
    QVERIFY(QDir(dir_.path()).entryList({"refused_target*"}, QDir::Files | QDir::Hidden).isEmpty());
}

void TestWorkbook::movedSheetsKeepTheirIndex() {
    // GIVEN three sheets with INDEX records, the second holding more rows than the bytes before its string table
    // ends, so a row count taken for a stream position would move
    const QString templ = dir_.filePath("three_sheets_template.xls");
    const QList<QStringList> repeated(3000, QStringList{QStringLiteral("同"), QStringLiteral("x")});
    QVERIFY(appendRowsToCopy(fixturePath("g_three_sheets_gn.xls"), templ, "Sheet2", repeated).isEmpty());
    QString error;
    const QJsonObject before = readWithXlrd(templ, {"--grown", "Sheet2"}, &error);
    QVERIFY2(error.isEmpty() && before["problems"].toArray().isEmpty(), qPrintable(error));

    // WHEN the first sheet grows, moving the other two
    Workbook book;
    QCOMPARE(book.load(templ), QString());
    QCOMPARE(book.appendRows("Sheet1", mixedRows()), QString());
    const QString out = dir_.filePath("three_sheets_grown.xls");
    QCOMPARE(book.save(out), QString());

    // THEN every sheet's INDEX gives its rows, its DEFCOLWIDTH and its DBCELLs, and the moved sheets read as before
    const QJsonObject after = readWithXlrd(out, {"--grown", "Sheet1", "--indexes"}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(after["problems"].toArray().isEmpty(), QJsonDocument(after["problems"].toArray()).toJson().constData());
    const QJsonArray sheets = after["sheets"].toArray();
    QCOMPARE(sheets.size(), 3);
    QCOMPARE(sheets[0].toObject()["nrows"].toInt(), 2 + int(mixedRows().size()));
    QCOMPARE(sheets[1], before["sheets"].toArray()[1]);
    QCOMPARE(sheets[2], before["sheets"].toArray()[2]);
    QCOMPARE(sheets[1].toObject()["nrows"].toInt(), 3040);
}

void TestWorkbook::appendsAccumulateAcrossCalls() {
    // GIVEN a workbook with rows appended in three calls, as an export appends header, lots and schemes
    Workbook book;
    QCOMPARE(book.load(fixturePath("c_sheet1_third_gn.xls")), QString());
    const QList<QStringList> first{{QString()}, {QString()}};
    const QList<QStringList> second{{QStringLiteral("参与配比的煤")}, header24()};
    const QList<QStringList> third{{QString()}, {QStringLiteral("方案列表")}};
    QCOMPARE(book.appendRows("Sheet1", first), QString());
    QCOMPARE(book.appendRows("Sheet1", second), QString());
    QCOMPARE(book.appendRows("Sheet1", third), QString());
    QCOMPARE(book.nextRow("Sheet1"), 7);

    // WHEN it is saved twice THEN both files are the same and hold the rows in order after row 0
    const QString out = dir_.filePath("accumulated.xls");
    const QString again = dir_.filePath("accumulated_again.xls");
    QCOMPARE(book.save(out), QString());
    QCOMPARE(book.save(again), QString());
    QFile a(out);
    QFile b(again);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QVERIFY(a.readAll() == b.readAll());
    verifyReadBack("c_sheet1_third_gn.xls", out, "Sheet1", 1, first + second + third);
}

void TestWorkbook::failedSaveLeavesTargetAlone() {
    Workbook book;
    QCOMPARE(book.load(fixturePath("a_plain_lo.xls")), QString());
    QCOMPARE(book.appendRows("Sheet1", {{QStringLiteral("x")}}), QString());

    const QString missingFolder = dir_.filePath("no/such/folder/out.xls");
    QCOMPARE(book.save(missingFolder), QStringLiteral("无法写入文件：%1").arg(missingFolder));
    QVERIFY(!QFile::exists(missingFolder));

    // A refused export leaves an existing target as it was; a good one replaces it.
    const QString target = dir_.filePath("existing.xls");
    QVERIFY(writeFile(target, "old contents"));
    QVERIFY(!appendRowsToCopy(fixturePath("d_no_sheet1_lo.xls"), target, "Sheet1", {{"x"}}).isEmpty());
    QFile old(target);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old contents"));
    old.close();
    QCOMPARE(book.save(target), QString());
    Workbook reread;
    QCOMPARE(reread.load(target), QString());
    QCOMPARE(reread.nextRow("Sheet1"), 1);

    Workbook empty;
    QCOMPARE(empty.save(dir_.filePath("never.xls")), QStringLiteral("没有打开的工作簿。"));
    QVERIFY(!QFile::exists(dir_.filePath("never.xls")));
}

// The speed of the same work is timed by bench_export (10,000 lots of 16 columns to an Excel 97 workbook).
void TestWorkbook::tenThousandRowsAppended() {
    const QList<QStringList> rows = bulkRows(10000, 16);
    Workbook book;
    QCOMPARE(book.load(fixturePath("e_large_gn.xls")), QString());
    const int before = book.nextRow("Sheet1");
    QCOMPARE(book.appendRows("Sheet1", rows), QString());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QCOMPARE(book.write(&buffer), QString());
    Workbook reread;
    QCOMPARE(reread.loadData(buffer.data()), QString());
    QCOMPARE(reread.nextRow("Sheet1"), before + 10000);
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
