// Reading tables from CSV, .xls and .xlsx files: encodings, delimiters, quoting, the Excel 97 cell records
// (checked against xlrd's dumps of the workbook fixtures), .xlsx packages, and files that must be refused.
#include "import/TableFile.h"
#include "xls/sheetreader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace vestrel;

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(VESTREL_FIXTURES_DIR "/") + name;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray gbk(const QString& text) {
    QStringEncoder e("GBK");
    return e.encode(text);
}

} // namespace

class TableFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return {};
        return f.fileName();
    }

private slots:
    void csv_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("delimiter");
        QTest::newRow("utf-8 comma") << QString("名称,硫分\n甲,1.5\n").toUtf8() << Rows{{"名称", "硫分"}, {"甲", "1.5"}}
                                     << "UTF-8"
                                     << ",";
        QTest::newRow("bom, semicolon, CR LF, no last line end")
            << QByteArray("\xEF\xBB\xBF") + QString("名称;价格\r\n乙;12,5").toUtf8()
            << Rows{{"名称", "价格"}, {"乙", "12,5"}} << "UTF-8"
            << ";";
        QTest::newRow("gbk tab") << gbk("焦名称\t灰分\n山西焦\t11.3\n") << Rows{{"焦名称", "灰分"}, {"山西焦", "11.3"}}
                                 << "GBK"
                                 << "\t";
        QTest::newRow("utf-16 with bom") << QByteArray("\xFF\xFE", 2) + QByteArray("a\0,\0b\0\n\0", 8)
                                         << Rows{{"a", "b"}} << "UTF-16"
                                         << ",";
        QTest::newRow("quotes hold delimiters, quotes and line breaks")
            << QByteArray("\"a,b\",\"say \"\"hi\"\"\",\"x\r\ny\"\nz\n") << Rows{{"a,b", "say \"hi\"", "x\r\ny"}, {"z"}}
            << "UTF-8"
            << ",";
        QTest::newRow("blank lines and trailing empty cells")
            << QByteArray("a,b,,\n\n1,,\n,\n") << Rows{{"a", "b"}, {}, {"1"}, {}} << "UTF-8"
            << ",";
        QTest::newRow("comma inside a header of a semicolon file")
            << QByteArray("Name;St,d;Price\nA;0.5;10\nB;0.6;11\n")
            << Rows{{"Name", "St,d", "Price"}, {"A", "0.5", "10"}, {"B", "0.6", "11"}} << "UTF-8"
            << ";";
        QTest::newRow("a title line above the table")
            << QByteArray("Lab report\nName\tS\tPrice\nA\t1\t2\n")
            << Rows{{"Lab report"}, {"Name", "S", "Price"}, {"A", "1", "2"}} << "UTF-8"
            << "\t";
    }
    void csv() {
        QFETCH(QByteArray, bytes);
        QFETCH(Rows, rows);
        QFETCH(QString, encoding);
        QFETCH(QString, delimiter);
        const TextTable t = ReadCsv(bytes, 1000);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.rows, rows);
        QCOMPARE(t.encoding, encoding);
        QCOMPARE(QString(t.delimiter), delimiter);
    }

    // xlrd's dumps of every worksheet of the Excel 97 fixtures are the oracle.
    void xlsCellsMatchXlrd_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sheet");
        const QStringList files = QDir(fixture("xls")).entryList({"*.xls"}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 9);
        for (const QString& f : files) {
            QFile json(fixture("xls/expected/") + QString(f).replace(".xls", ".json"));
            QVERIFY(json.open(QIODevice::ReadOnly));
            const QJsonArray sheets = QJsonDocument::fromJson(json.readAll())["sheets"].toArray();
            for (int i = 0; i < sheets.size(); ++i)
                QTest::addRow("%s %d", qPrintable(f), i) << f << i;
        }
    }
    void xlsCellsMatchXlrd() {
        QFETCH(QString, file);
        QFETCH(int, sheet);
        QFile json(fixture("xls/expected/") + QString(file).replace(".xls", ".json"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonArray expected =
            QJsonDocument::fromJson(json.readAll())["sheets"].toArray()[sheet].toObject()["cells"].toArray();
        QList<xls::SheetCell> cells;
        QCOMPARE(xls::readWorksheet(readAll(fixture("xls/") + file), sheet, &cells), QString());
        QCOMPARE(cells.size(), expected.size());
        std::sort(cells.begin(), cells.end(),
                  [](const auto& a, const auto& b) { return std::pair(a.row, a.column) < std::pair(b.row, b.column); });
        for (int i = 0; i < cells.size(); ++i) {
            const QJsonArray e = expected[i].toArray();
            const xls::SheetCell& c = cells[i];
            QCOMPARE(c.row, e[0].toInt());
            QCOMPARE(c.column, e[1].toInt());
            QCOMPARE(c.isNumber ? "number" : "text", e[2].toString());
            if (c.isNumber)
                QCOMPARE(c.number, e[3].toDouble());
            else
                QCOMPARE(c.text, e[3].toString());
        }
    }

    // The same table written by LibreOffice as CSV source, .xls (NUMBER, RK, MULRK) and .xlsx (shared strings).
    void sameTableInEveryFormat_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls") << "lots_lo.xls";
        QTest::newRow("xlsx") << "lots_lo.xlsx";
    }
    void sameTableInEveryFormat() {
        QFETCH(QString, file);
        const TextTable source = ReadTableFile(fixture("import/src/lots.csv"), 100);
        QVERIFY(source.error.isEmpty());
        QCOMPARE(source.rows.size(), 5);
        const TextTable t = ReadTableFile(fixture("import/") + file, 100);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.rows, source.rows);
    }

    void handMadeFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("inline strings, chart sheet first")
            << "inline.xlsx" << Rows{{}, {"名称", "硫分", "价格"}, {"甲焦", "0.55", "1234.5"}, {"乙\t焦", "", "900"}};
        QTest::newRow("gbk semicolons") << "gbk_semicolon.csv"
                                        << Rows{
                                               {"焦炭名称", "硫分(%)", "灰分(%)", "挥发分(%)", "单价(元/吨)", "库存吨"},
                                               {"阳泉焦", "0.65", "12.1", "1.3", "1780", "300"},
                                               {"晋城;无烟焦", "0.45", "10.5", "1.1", "1900"},
                                               {"平顶山焦", "0.8", "13.2", "1.4", "1650", "120"}};
    }
    void handMadeFiles() {
        QFETCH(QString, file);
        QFETCH(Rows, rows);
        const TextTable t = ReadTableFile(fixture("import/") + file, 100);
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QCOMPARE(t.rows, rows);
    }

    void rowsPastTheLimitAreNotRead_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("csv") << "import/src/lots.csv";
        QTest::newRow("xls") << "import/lots_lo.xls";
        QTest::newRow("xlsx") << "import/lots_lo.xlsx";
    }
    void rowsPastTheLimitAreNotRead() {
        QFETCH(QString, file);
        const TextTable t = ReadTableFile(fixture(file), 2);
        QVERIFY(t.error.isEmpty());
        QVERIFY(t.truncated);
        QCOMPARE(t.rows.size(), 2);
    }

    void refused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QByteArray random(4096, '\0');
        QRandomGenerator gen(20);
        for (char& b : random)
            b = char(gen.bounded(256));
        const QByteArray xlsx = readAll(fixture("import/lots_lo.xlsx"));
        QByteArray damaged = xlsx;
        for (qsizetype i = 600; i < 1400; ++i)
            damaged[i] = char(~damaged[i]);
        QTest::newRow("random bytes named .xlsx")
            << "r.xlsx" << random << "文件“r.xlsx”不是有效的Excel 工作簿（.xlsx），可能已损坏。";
        QTest::newRow("zip without a workbook")
            << "z.xlsx" << readAll(fixture("import/no_workbook.xlsx"))
            << "无法读取文件“z.xlsx”：压缩包中没有 Excel 工作簿（缺少 xl/workbook.xml），不是 .xlsx 工作簿。";
        QTest::newRow("cut in half") << "h.xlsx" << xlsx.left(xlsx.size() / 2)
                                     << "无法读取文件“h.xlsx”：文件不是有效的 .xlsx 工作簿（无法作为压缩包打开）。";
        QTest::newRow("damaged inside") << "d.xlsx" << damaged << "无法读取文件“d.xlsx”：工作簿已损坏";
        QTest::newRow("empty") << "e.csv" << QByteArray() << "文件“e.csv”是空的。";
        QTest::newRow("text named .xls")
            << "t.xls" << QByteArray("a,b\n")
            << "文件“t.xls”的扩展名表明它是Excel 97-2003 工作簿（.xls），内容却是文本（CSV），无法导入。请核对文件。";
        QTest::newRow("workbook named .csv")
            << "w.csv" << xlsx << "文件“w.csv”的扩展名表明它是文本（CSV），内容却是Excel 工作簿（.xlsx）";
        QTest::newRow("neither utf-8 nor gbk")
            << "g.csv" << QByteArray("a,\xFF\xFF\n") << "无法读取文件“g.csv”：文件既不是 UTF-8 也不是 GBK 编码的文本";
        QTest::newRow("other type") << "a.doc" << QByteArray("x") << "不支持文件“a.doc”的类型";
    }
    void refused() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const TextTable t = ReadTableFile(write(name, bytes), 100);
        QVERIFY2(t.error.startsWith(message), qPrintable(t.error));
        QVERIFY(t.rows.isEmpty());
    }

    void tooLargeIsRefusedUnread() {
        QFile f(dir.filePath("big.csv"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(kMaxTableFileBytes + 1));
        f.close();
        QCOMPARE(ReadTableFile(f.fileName(), 100).error, "文件“big.csv”太大（65 MB），一次最多导入 64 MB 的文件。");
    }

    void numberTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1200.0 << "1200";
        QTest::newRow("binary fraction") << 0.1 + 0.2 << "0.3";
        QTest::newRow("small") << 0.00015 << "0.00015";
        QTest::newRow("negative") << -12.5 << "-12.5";
        QTest::newRow("not finite") << qInf() << "#NUM!";
    }
    void numberTexts() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberCellText(value), text);
    }
};

QTEST_GUILESS_MAIN(TableFileTest)
#include "tst_tablefile.moc"
