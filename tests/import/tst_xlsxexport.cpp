// The .xlsx exports: every cell where the Excel 97 export puts it, as openpyxl, LibreOffice and Gnumeric read
// it; bold headers, numbers with their formats, the frozen header, fitted widths; failures; the dialog's choice.
#include "ExternalTools.h"

#include "base/CommonFunction.h"
#include "lists/ListViewFunction.h"
#include "lists/XlsxExport.h"
#include "lists/gui/ExportCommands.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

ListData lotList() {
    ListData list;
    SetLotColumns(list);
    const QList<QStringList> rows{
        {"1", "山西焦", "7.50", "0.52", "11.30", "", "86.10", "0.02", "", "", "", "", "", "0.05", "1200.00", "1850.00"},
        {"2", "123", "", "-1.50", "", "", "", "", "", "", "", "", "", "", "", "99.99"},
        {"17", "Coke \"A\" <b>", "", "", "", "", "", "", "", "", "", "", "", "", "", "123456.79"}};
    for (const QStringList& r : rows)
        list.rows << ListRow{r[0], r.mid(1)};
    return list;
}

ListData ratioList() {
    ListData list;
    SetRatioColumns(list);
    NameRatioColumns(list, {QStringLiteral("山西焦"), QStringLiteral("Coke")});
    QStringList cells{"5", "25", "75"};
    while (cells.size() < kRatioColumnCount - 1)
        cells << "1.25";
    cells << "1790.50";
    list.rows << ListRow{cells[0], cells.mid(1)};
    return list;
}

// Trailing empty cells and rows do not count: readers differ in writing them.
QList<QStringList> trimmed(QList<QStringList> rows) {
    for (QStringList& r : rows)
        while (!r.isEmpty() && r.constLast().isEmpty())
            r.removeLast();
    while (!rows.isEmpty() && rows.constLast().isEmpty())
        rows.removeLast();
    return rows;
}

QList<QStringList> csvRows(const QString& path, QString* error) {
    QJsonDocument json;
    *error = importtest::readWithPython("csv", path, &json);
    QList<QStringList> rows;
    for (const QJsonValue& row : json["rows"].toArray()) {
        QStringList cells;
        for (const QJsonValue& c : row.toArray())
            cells << c.toString();
        rows << cells;
    }
    return trimmed(rows);
}

// Every filled cell of the sheet, and nothing else, at its place: numbers as numbers, texts as texts; with
// `formats`, also the number formats and the bold headers (openpyxl's [row, col, value, type, format, bold]).
void checkCells(const XlsxSheet& sheet, const QJsonArray& cells, bool formats) {
    int filled = 0;
    for (const QStringList& row : sheet.rows)
        filled += int(std::count_if(row.begin(), row.end(), [](const QString& t) { return !t.isEmpty(); }));
    QCOMPARE(cells.size(), filled);
    for (const QJsonValue& v : cells) {
        const QJsonArray c = v.toArray();
        const int r = c[0].toInt(), col = c[1].toInt();
        QVERIFY(r < sheet.rows.size() && col < sheet.rows[r].size());
        const QString text = sheet.rows[r][col];
        const XlsxCell kind = sheet.kinds[r][col];
        const bool number = kind == XlsxCell::Decimal || kind == XlsxCell::Whole;
        QCOMPARE(c[3].toString(), number ? "n" : "s");
        if (number)
            QCOMPARE(c[2].toDouble(), *ParseNumber(text));
        else
            QCOMPARE(c[2].toString(), text);
        if (!formats) continue;
        if (number) QCOMPARE(c[4].toString(), kind == XlsxCell::Decimal ? "0.00" : "0");
        QCOMPARE(c[5].toBool(), kind == XlsxCell::Header);
    }
}

} // namespace

class XlsxExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

private slots:
    void init() {
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
    }
    void cleanup() {
        QCOMPARE(ui->unexpected, 0);
        ui.reset();
        folder.reset();
    }

    void workbooksOpenInThreeReadersWithEveryCellInPlace() {
        const ListData lots = lotList();
        const ListData ratios = ratioList();
        const QList<std::pair<QString, XlsxSheet>> sheets{
            {"catalogue", CatalogueXlsxSheet(lots)},
            {"history", SchemeXlsxSheet({"硫分<=1.00 灰分<=12.00", &lots, &ratios})}};
        QStringList files;
        for (const auto& [name, sheet] : sheets) {
            files << folder->filePath(name + ".xlsx");
            QCOMPARE(WriteXlsx(sheet, files.last()), QString());
        }
        const QString loDir = folder->filePath("lo");
        QVERIFY(QDir().mkpath(loDir));
        const QString loError = importtest::libreOfficeToCsv(files, loDir);
        QVERIFY2(loError.isEmpty(), qPrintable(loError));

        for (const auto& [name, sheet] : sheets) {
            const QString file = folder->filePath(name + ".xlsx");
            // The same rows and cells as the Excel 97 export of the same list.
            QCOMPARE(sheet.rows, name == "catalogue" ? CatalogueSheetRows(lots)
                                                     : SchemeSheetRows({"硫分<=1.00 灰分<=12.00", &lots, &ratios}));
            const QList<QStringList> expected = trimmed(sheet.rows);

            QString error;
            QCOMPARE(csvRows(QDir(loDir).filePath(name + ".csv"), &error), expected);
            QVERIFY2(error.isEmpty(), qPrintable(error));

            const QString gnumeric = folder->filePath(name + ".gnumeric");
            error = importtest::ssconvert(file, gnumeric);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QJsonDocument gn;
            error = importtest::readWithPython("gnumeric", gnumeric, &gn);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            checkCells(sheet, gn["cells"].toArray(), false);
            if (QTest::currentTestFailed()) return;

            QJsonDocument json;
            error = importtest::readWithPython("openpyxl", file, &json);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(json["sheets"].toArray(), QJsonArray{"Sheet1"});
            QCOMPARE(json["freeze"].toString(), QStringLiteral("A%1").arg(sheet.frozenRows + 1));
            checkCells(sheet, json["cells"].toArray(), true);
            if (QTest::currentTestFailed()) return;
            QVERIFY(json["widths"].toObject().size() >= kLotColumnCount);
        }
    }

    void cellKinds() {
        const XlsxSheet sheet = CatalogueXlsxSheet(lotList());
        QCOMPARE(sheet.frozenRows, 3); // two blank rows, then the header
        QCOMPARE(sheet.kinds[2][1], XlsxCell::Header);
        QCOMPARE(sheet.kinds[3][0], XlsxCell::Whole);   // the id
        QCOMPARE(sheet.kinds[4][1], XlsxCell::Text);    // the name "123" stays a name
        QCOMPARE(sheet.kinds[4][3], XlsxCell::Decimal); // -1.50
        QVERIFY(sheet.widths[1] >= 14);                 // "Coke "A" <b>" and two spaces
    }

    void failureKeepsTheTargetAndSaysWhy() {
        const QString target = folder->filePath("old.xlsx");
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("mine") == 4);
        f.close();
        ListData list = lotList();
        list.rows[0].subItems[0] = QString(40000, 'x');
        QVERIFY(!ExportListXlsx(list, target));
        QCOMPARE(ui->messageTexts(), QStringList{"导出excel失败，请联系软件作者，或者请您导入普通格式的文件即可！"
                                                 "单元格文本超过 32767 个字符。"});
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), "mine");
        QVERIFY(!ExportListXlsx(lotList(), folder->filePath("no/such/folder/a.xlsx")));
        QVERIFY(ui->lastMessageText().contains("无法写入文件"));
    }

    void xlsxTargetByNameThenFilter_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("filter");
        QTest::addColumn<bool>("xlsx");
        QTest::newRow(".xlsx under the .xls filter") << "a.xlsx" << 0 << true;
        QTest::newRow(".XLS under the .xlsx filter") << "a.XLS" << 1 << false;
        QTest::newRow("no extension, .xlsx filter") << "Vestrel_26-12-08-14-05-09" << 1 << true;
        QTest::newRow("no extension, .xls filter") << "Vestrel_26-12-08-14-05-09" << 0 << false;
    }
    void xlsxTargetByNameThenFilter() {
        QFETCH(QString, path);
        QFETCH(int, filter);
        QFETCH(bool, xlsx);
        QCOMPARE(IsXlsxTarget(path, filter), xlsx);
    }

    void excelCommandOffersBothAndWritesTheChosenOne() {
        QStringList written;
        auto xls = [&](const QString& p) {
            written << "xls " + p;
            return true;
        };
        auto xlsx = [&](const QString& p) {
            written << "xlsx " + p;
            return true;
        };
        ui->files << folder->filePath("a.xlsx") << folder->filePath("b.xls");
        ui->answers << MsgResult::Cancel << MsgResult::Cancel; // the open prompts
        QVERIFY(RunExportCommand(ExportSource::History, ExportKind::Excel, xls, {}, xlsx));
        QVERIFY(RunExportCommand(ExportSource::History, ExportKind::Excel, xls, {}, xlsx));
        QCOMPARE(written, (QStringList{"xlsx " + folder->filePath("a.xlsx"), "xls " + folder->filePath("b.xls")}));
        QCOMPARE(ui->calls[0].file.filter,
                 "Microsoft Excel .xls (*.xls)|*.xls|Microsoft Excel 工作簿 .xlsx (*.xlsx)|*.xlsx");
    }
};

QTEST_MAIN(XlsxExportTest)
#include "tst_xlsxexport.moc"
