// Importing lots: header matching, the entry form's checks on every row, update or skip, one transaction, the
// round trips through the program's own exports, files made by other programs, bad files, and the preview
// dialog of the catalogue window.
#include "ExternalTools.h"

#include "base/gui/WindowHub.h"
#include "catalogue/Catalogue.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/LotImport.h"
#include "catalogue/gui/frmImport.h"
#include "catalogue/gui/frmKucun.h"
#include "data/Dbconnection.h"
#include "lists/Export.h"
#include "lists/ListViewFunction.h"
#include "lists/XlsxExport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(VESTREL_FIXTURES_DIR "/import/") + name;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The catalogue as "name: moisture sulphur ash volatiles fixed-carbon Si Fe V Ni Al Ca Na | stock price", by name.
QStringList catalogue() {
    const std::optional<QList<Mei>> lots = LoadAllMeis();
    if (!lots) return {"database failed"};
    QStringList out;
    for (const Mei& lot : *lots) {
        QStringList values;
        for (const QualityIndex& idx : QualityIndices())
            values << QString::number(lot.*idx.member, 'f', 2);
        out << QStringLiteral("%1: %2 | %3 %4")
                   .arg(lot.MingCheng, values.join(' '), QString::number(lot.Kucun, 'f', 2),
                        QString::number(lot.JiaGe, 'f', 2));
    }
    out.sort();
    return out;
}

Mei lot(const QString& name, double price, double sulphur = 0, double stock = 0) {
    Mei m;
    m.MingCheng = name;
    m.JiaGe = price;
    m.Liu = sulphur;
    m.Kucun = stock;
    return m;
}

ImportResult importText(const QByteArray& csv, ExistingLots existing, const QString& folder) {
    const QString path = folder + "/in.csv";
    if (!writeFile(path, csv)) return {};
    const LotFile file = ReadLotFile(path);
    if (!file.error.isEmpty()) {
        ImportResult r;
        r.error = file.error;
        return r;
    }
    return ImportLots(file, file.boxes, existing);
}

QString failures(const ImportResult& r) {
    QStringList out;
    for (const ImportFailure& f : r.failures)
        out << QStringLiteral("%1 %2: %3").arg(f.rowNumber).arg(f.name, f.messages.trimmed());
    return out.join('\n');
}

const QString kZeros = "0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00";

} // namespace

class LotImportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

private slots:
    void init() {
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
    }
    void cleanup() {
        test::closeAllWindows();
        QCOMPARE(ui->unexpected, 0);
        ui.reset();
        folder.reset();
    }

    void matchHeaders_data() {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("the program's own export")
            << QStringList{"编号", "名称", "全水", "硫分", "灰分", "挥发分", "固定碳", "硅",
                           "铁",   "钒",   "镍",   "铝",   "钙",   "钠",     "库存",   "价格"}
            << QStringList{
                   "",           "txtName",    "txtShuifen", "txtLiu", "txtHuifen",   "txtHuifafen",    "txtGudingtan",
                   "txtNeishui", "txtReliang", "txtG",       "txtY",   "txtKeMoxing", "txtHuiRongDian", "txtHuishoulv",
                   "txtKuCun",   "txtJiage"};
        QTest::newRow("laboratory symbols: Vdaf takes volatiles, V is vanadium")
            << QStringList{"Name", "Mt", "St,d", "Ad", "Vdaf", "FC",    "Si",   "Fe",
                           "V",    "Ni", "Al",   "Ca", "Na",   "Stock", "Price"}
            << QStringList{"txtName",      "txtShuifen",     "txtLiu",       "txtHuifen", "txtHuifafen",
                           "txtGudingtan", "txtNeishui",     "txtReliang",   "txtG",      "txtY",
                           "txtKeMoxing",  "txtHuiRongDian", "txtHuishoulv", "txtKuCun",  "txtJiage"};
        QTest::newRow("units, percent signs, blanks, brackets")
            << QStringList{"焦名称",    "全水(%)", "硫 分 %",     "灰分（%）",
                           "挥发份[%]", "库存吨",  "单价(元/吨)", "价格元/吨"}
            << QStringList{"txtName", "txtShuifen", "txtLiu", "txtHuifen", "txtHuifafen", "txtKuCun", "txtJiage", ""};
        QTest::newRow("a lone V is volatiles, a second V vanadium")
            << QStringList{"名称", "V", "V"} << QStringList{"txtName", "txtHuifafen", "txtG"};
        QTest::newRow("the first of two name columns")
            << QStringList{"名称", "Name", "S"} << QStringList{"txtName", "", "txtLiu"};
        QTest::newRow("full-width, upper case")
            << QStringList{"ＮＡＭＥ", "ＰＲＩＣＥ", "备注"} << QStringList{"txtName", "txtJiage", ""};
    }
    void matchHeaders() {
        QFETCH(QStringList, headers);
        QFETCH(QStringList, boxes);
        QCOMPARE(MatchImportHeaders(headers), boxes);
    }

    void headerRow_data() {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<int>>("rowNumbers");
        QTest::newRow("below a title and a blank row")
            << QList<QStringList>{{"化验单"}, {}, {"名称", "价格"}, {"甲", "1"}, {}, {"乙", "2"}} << ""
            << QList<int>{4, 6};
        QTest::newRow("no name column")
            << QList<QStringList>{{"硫分", "价格"}, {"1", "2"}}
            << "文件的前 20 行中找不到名称列（表头为“焦名称”“名称”或“Name”的列），无法导入。" << QList<int>{};
        QTest::newRow("header only") << QList<QStringList>{{"名称", "价格"}, {" ", ""}}
                                     << "文件中除表头外没有数据，没有可导入的焦炭。" << QList<int>{};
    }
    void headerRow() {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, error);
        QFETCH(QList<int>, rowNumbers);
        const LotFile file = LotFileFromRows(rows);
        QCOMPARE(file.error, error);
        QCOMPARE(file.rowNumbers, rowNumbers);
    }

    // Each row as the entry form would take it; existing names updated or kept as chosen.
    void importRows_data() {
        QTest::addColumn<QList<Mei>>("stored");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("failing rows are listed with the form's messages and skipped")
            << QList<Mei>{} << QByteArray("名称,价格,灰分\n甲,10,1.234\n乙,,2\n丙,12,abc\n,13,\n丁,1e2,-3\n") << false
            << "新增 2 种，更新 0 种，跳过 3 行"
            << "3 乙: 请填写煤的价格\n4 丙: 填写的灰分必须是数字\n5 : 请填写煤名称"
            << QStringList{"丁: 0.00 0.00 -3.00 " + kZeros.mid(15) + " | 0.00 100.00",
                           "甲: 0.00 0.00 1.23 " + kZeros.mid(15) + " | 0.00 10.00"};
        QTest::newRow("existing names kept")
            << QList<Mei>{lot("甲", 100, 1, 50)} << QByteArray("名称,价格,硫分\n甲,200,2\n乙,300,3\n") << false
            << "新增 1 种，更新 0 种，跳过 1 行"
            << ""
            << QStringList{"乙: 0.00 3.00 " + kZeros.mid(10) + " | 0.00 300.00",
                           "甲: 0.00 1.00 " + kZeros.mid(10) + " | 50.00 100.00"};
        QTest::newRow("existing names updated, columns not in the file kept")
            << QList<Mei>{lot("甲", 100, 1, 50)} << QByteArray("名称,价格,硫分\n甲,200,2.345\n") << true
            << "新增 0 种，更新 1 种，跳过 0 行"
            << "" << QStringList{"甲: 0.00 2.35 " + kZeros.mid(10) + " | 50.00 200.00"};
        QTest::newRow("an update is checked like an edit in the form")
            << QList<Mei>{lot("甲", 100)} << QByteArray("名称,价格\n甲,\n") << true << "新增 0 种，更新 0 种，跳过 1 行"
            << "2 甲: 请填写煤的价格" << QStringList{"甲: " + kZeros + " | 0.00 100.00"};
        QTest::newRow("a name repeated in the file counts once")
            << QList<Mei>{} << QByteArray("名称,价格\n甲,1\n 甲 ,2\n") << true << "新增 1 种，更新 0 种，跳过 1 行"
            << "3 甲: 名称与第 2 行相同" << QStringList{"甲: " + kZeros + " | 0.00 1.00"};
    }
    void importRows() {
        QFETCH(QList<Mei>, stored);
        QFETCH(QByteArray, csv);
        QFETCH(bool, update);
        QFETCH(QString, summary);
        QFETCH(QString, failed);
        QFETCH(QStringList, after);
        for (const Mei& m : stored)
            QCOMPARE(SaveMei(m), SaveResult::Saved);
        const ImportResult r = importText(csv, update ? ExistingLots::Update : ExistingLots::Skip, folder->path());
        QVERIFY2(r.written, qPrintable(r.error));
        QCOMPARE(ImportSummary(r), summary);
        QCOMPARE(failures(r), failed);
        QCOMPARE(catalogue(), after);
    }

    void reportListsTheFirstFailures() {
        ImportResult r;
        r.written = true;
        r.skipped = 3;
        r.failures = {
            {2, "甲", "请填写煤的价格\r\n填写的灰分必须是数字\r\n"}, {3, "", "请填写煤名称\r\n"}, {4, "丙", "x\r\n"}};
        QCOMPARE(ImportReport(r, 2), "新增 0 种，更新 0 种，跳过 3 行\r\n\r\n以下各行没有导入：\r\n"
                                     "第 2 行（甲）：请填写煤的价格；填写的灰分必须是数字\r\n第 3 行：请填写煤名称\r\n"
                                     "……另有 1 行没有列出");
    }

    // A failure on the last write leaves the catalogue as it was: the update of the first row is undone too.
    void nothingHalfImported() {
        QCOMPARE(SaveMei(lot("甲", 100)), SaveResult::Saved);
        QVERIFY(OpenDb());
        QVERIFY(QSqlQuery(Conn()).exec("CREATE TRIGGER boom BEFORE INSERT ON meitan WHEN NEW.Name = 'boom' "
                                       "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        CloseDb();
        const ImportResult r =
            importText("名称,价格\n甲,200\n乙,300\nboom,400\n", ExistingLots::Update, folder->path());
        QVERIFY(!r.written);
        QVERIFY(ImportReport(r).startsWith("导入失败，没有导入任何数据。\r\n数据库"));
        QCOMPARE(catalogue(), QStringList{"甲: " + kZeros + " | 0.00 100.00"});
    }

    // The catalogue exported by the program, read back into an empty catalogue: the same lots to two decimals.
    void roundTrips_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("xls") << "xls";
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("csv from the xlsx by Gnumeric") << "csv";
    }
    void roundTrips() {
        QFETCH(QString, format);
        QList<Mei> lots{lot("山西低硫焦", 1850.125, 0.5249, 1200.5), lot("Coke, \"A\"", 1), lot("123", 99.994, -1.5),
                        lot("零值焦", 0.01)};
        lots[0].HuiFen = 12.3456;
        lots[0].HuiShou = 0.005;
        lots[0].G = 2.675;
        lots[1].GuDingTan = 86.1;
        for (const Mei& m : lots)
            QCOMPARE(SaveMei(m), SaveResult::Saved);
        const QStringList before = catalogue();

        ListData list;
        SetLotColumns(list);
        QVERIFY(FillLotRows(list, AllLotsQuery().sql));
        CloseDb();
        const QString path = folder->filePath("lots." + format);
        if (format == "xls") {
            QDir().mkpath(programPath("template"));
            QVERIFY(QFile::copy(VESTREL_SOURCE_DIR "/resources/template/list1.xls", programPath("template/list1.xls")));
            QVERIFY(ExportListExcel(list, path));
        } else if (format == "xlsx") {
            QVERIFY(ExportListXlsx(list, path));
        } else {
            QVERIFY(ExportListXlsx(list, folder->filePath("via.xlsx")));
            const QString error = importtest::ssconvert(folder->filePath("via.xlsx"), path);
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }

        SetDbPath(folder->filePath("empty.dat"));
        const LotFile file = ReadLotFile(path);
        QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
        const ImportResult r = ImportLots(file, file.boxes, ExistingLots::Skip);
        QVERIFY2(r.written, qPrintable(r.error));
        QCOMPARE(ImportSummary(r), "新增 4 种，更新 0 种，跳过 0 行");
        QCOMPARE(catalogue(), before);
    }

    // Files written by LibreOffice (.xlsx and .xls) and the CSV they were made from give the same lots.
    void filesOfOtherPrograms_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("after");
        const QStringList lots{
            "Coke A: 6.25 0.60 10.80 1.10 87.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00 | 0.00 1900.00",
            "内蒙焦: 8.13 0.90 13.00 1.50 84.00 0.02 0.30 0.00 0.00 0.00 0.00 0.00 | 500.00 1650.00",
            "山西低硫焦: 7.50 0.52 11.30 1.20 86.10 0.02 0.35 0.00 0.00 0.45 0.31 0.05 | 1200.00 1850.00",
            "河北二级焦: 9.00 0.78 12.45 1.35 85.20 0.03 0.40 0.01 0.00 0.50 0.28 0.06 | 800.00 1720.50"};
        QTest::newRow("xlsx by LibreOffice") << "lots_lo.xlsx" << lots;
        QTest::newRow("xls by LibreOffice") << "lots_lo.xls" << lots;
        QTest::newRow("their source CSV") << "src/lots.csv" << lots;
        QTest::newRow("GBK, semicolons")
            << "gbk_semicolon.csv"
            << QStringList{"平顶山焦: 0.00 0.80 13.20 1.40 " + kZeros.mid(20) + " | 120.00 1650.00",
                           "晋城;无烟焦: 0.00 0.45 10.50 1.10 " + kZeros.mid(20) + " | 0.00 1900.00",
                           "阳泉焦: 0.00 0.65 12.10 1.30 " + kZeros.mid(20) + " | 300.00 1780.00"};
    }
    void filesOfOtherPrograms() {
        QFETCH(QString, file);
        QFETCH(QStringList, after);
        const LotFile f = ReadLotFile(fixture(file));
        QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
        const ImportResult r = ImportLots(f, f.boxes, ExistingLots::Skip);
        QVERIFY2(r.written, qPrintable(r.error));
        QCOMPARE(catalogue(), after);
    }

    void badFilesWriteNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("random bytes named .xlsx") << "r.xlsx" << QByteArray(300, '\x01') + QByteArray(300, '\0')
                                                  << "文件“r.xlsx”不是有效的Excel 工作簿（.xlsx），可能已损坏。";
        QFile zip(fixture("no_workbook.xlsx"));
        QVERIFY(zip.open(QIODevice::ReadOnly));
        QTest::newRow("zip without a workbook")
            << "z.xlsx" << zip.readAll()
            << "无法读取文件“z.xlsx”：压缩包中没有 Excel 工作簿（缺少 xl/workbook.xml），不是 .xlsx 工作簿。";
        QTest::newRow("csv without a name column")
            << "n.csv" << QByteArray("硫分,价格\n1,2\n")
            << "文件的前 20 行中找不到名称列（表头为“焦名称”“名称”或“Name”的列），无法导入。";
    }
    void badFilesWriteNothing() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QCOMPARE(SaveMei(lot("甲", 1)), SaveResult::Saved);
        QVERIFY(writeFile(folder->filePath(name), bytes));
        QCOMPARE(ReadLotFile(folder->filePath(name)).error, message);
        QCOMPARE(CountMeitan(), 1);
    }

    // One row more than the limit is refused whole; the limit itself is imported row by row.
    void hundredThousandRows() {
        QByteArray csv("名称,价格,硫分\n");
        csv.reserve(3 << 20);
        for (int i = 0; i < kMaxImportRows; ++i)
            csv += "焦" + QByteArray::number(i) + "," + QByteArray::number(1000 + i % 500) + ",0.5\n";
        QVERIFY(writeFile(folder->filePath("over.csv"), csv + "多一行,1,1\n"));
        QCOMPARE(ReadLotFile(folder->filePath("over.csv")).error,
                 "文件中有 100001 行数据，超过一次最多导入 100000 行的上限，请分成几个文件导入。");
        QVERIFY(writeFile(folder->filePath("limit.csv"), csv));
        const LotFile file = ReadLotFile(folder->filePath("limit.csv"));
        QVERIFY(file.error.isEmpty());
        const ImportResult r = ImportLots(file, file.boxes, ExistingLots::Skip);
        QVERIFY(r.written);
        QCOMPARE(ImportSummary(r), "新增 100000 种，更新 0 种，跳过 0 行");
        QCOMPARE(CountMeitan(), kMaxImportRows);
    }

    void importThroughTheCatalogueWindow() {
        QCOMPARE(SaveMei(lot("甲", 100, 0, 7)), SaveResult::Saved);
        const QString path = folder->filePath("lab.csv");
        QVERIFY(writeFile(path, "名称,价格,备注,灰分\n甲,200,x,5\n乙,300,y,6\n丙,,z,7\n"));
        auto* w = qobject_cast<frmKucun*>(hub::catalogueWindow());
        QVERIFY(w);
        w->show();
        ui->files << path;
        test::find<QAction>(w, "Toolbar1_8")->trigger();
        QCOMPARE(ui->calls.value(0).file.filter, "表格文件 (*.csv *.xls *.xlsx)|*.csv *.xls *.xlsx");
        QPointer<frmImport> preview = w->findChild<frmImport*>();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->boxes(), (QStringList{"txtName", "txtJiage", "", "txtHuifen"}));

        // A field feeds from one column: choosing it for another frees the first.
        auto* note = test::find<QComboBox>(preview, "cboField_2");
        note->setCurrentIndex(note->findText("灰分"));
        QCOMPARE(preview->boxes(), (QStringList{"txtName", "txtJiage", "txtHuifen", ""}));
        auto* ash = test::find<QComboBox>(preview, "cboField_3");
        ash->setCurrentIndex(ash->findText("灰分"));
        QCOMPARE(preview->boxes(), (QStringList{"txtName", "txtJiage", "", "txtHuifen"}));

        test::find<QRadioButton>(preview, "optUpdate")->setChecked(true);
        test::find<QPushButton>(preview, "cmdImport")->click();
        QCOMPARE(ui->lastMessageText(),
                 "新增 1 种，更新 1 种，跳过 1 行\r\n\r\n以下各行没有导入：\r\n第 4 行（丙）：请填写煤的价格");
        QVERIFY(!preview || !preview->isVisible());
        QCOMPARE(test::find<QLabel>(w, "labCONUT")->text(), "2 种");
        QCOMPARE(w->listData().cell(0, 4), "5.00"); // 甲's ash, its stock kept
        QCOMPARE(w->listData().cell(0, 14), "7.00");
        QCOMPARE(w->listData().cell(1, 15), "300.00"); // 乙's price
    }

    void refusedOrCancelledFileOpensNoPreview() {
        auto* w = qobject_cast<frmKucun*>(hub::catalogueWindow());
        QVERIFY(w);
        QVERIFY(writeFile(folder->filePath("n.csv"), "硫分,价格\n1,2\n"));
        ui->files << "" << folder->filePath("n.csv");
        test::find<QAction>(w, "Toolbar1_8")->trigger();
        QVERIFY(ui->messages().isEmpty());
        test::find<QAction>(w, "Toolbar1_8")->trigger();
        QCOMPARE(ui->messageTexts(),
                 QStringList{"文件的前 20 行中找不到名称列（表头为“焦名称”“名称”或“Name”的列），无法导入。"});
        QVERIFY(!w->findChild<frmImport*>());
        QCOMPARE(CountMeitan(), 0);
    }
};

QTEST_MAIN(LotImportTest)
#include "tst_lotimport.moc"
