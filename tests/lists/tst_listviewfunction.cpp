#include "base/Seams.h"
#include "data/Dbconnection.h"
#include "lists/ListViewFunction.h"
#include "support/TestSupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace vestrel;

Q_DECLARE_METATYPE(vestrel::ColumnKind)

namespace {

void exec(const QString& sql, const QVariantList& binds = {}) {
    QVERIFY(OpenDb());
    QSqlQuery q(Conn());
    QVERIFY(q.prepare(sql));
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}

QStringList headers(const ListData& list) {
    QStringList out;
    for (const ListColumn& c : list.columns)
        out << c.header;
    return out;
}

QList<int> widths(const ListData& list) {
    QList<int> out;
    for (const ListColumn& c : list.columns)
        out << c.widthTwips;
    return out;
}

QStringList rowTexts(const ListData& list, int row) {
    QStringList out;
    for (int c = 0; c < list.columnCount(); ++c)
        out << list.cell(row, c);
    return out;
}

ListData textList(const QStringList& texts, ColumnKind kind = ColumnKind::Text) {
    ListData list;
    list.columns = {{"a", 100}, {"b", 100, kind}};
    for (int i = 0; i < texts.size(); ++i)
        list.rows.append({QString::number(i), {texts[i]}, false});
    return list;
}

} // namespace

class ListViewFunctionTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setScreenWidthProvider({}); }

    void lotColumns() {
        ListData list;
        list.columns = {{"old", 5}};
        SetLotColumns(list);
        QCOMPARE(headers(list), QStringList({"编号", "名称", "全水", "硫分", "灰分", "挥发分", "固定碳", "硅", "铁",
                                             "钒", "镍", "铝", "钙", "钠", "库存", "价格"}));
        QList<int> expected{800, 1800};
        for (int i = 0; i < 14; ++i)
            expected << 900;
        QCOMPARE(widths(list), expected);
    }

    void lotValueCells_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << QVariant(0.0) << "";
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("1.5") << QVariant(1.5) << "1.50";
        QTest::newRow("2") << QVariant(2.0) << "2.00";
        QTest::newRow("rounded") << QVariant(12.345) << "12.35";
        QTest::newRow("text") << QVariant("abc") << "";
    }
    void lotValueCells() {
        QFETCH(QVariant, stored);
        QFETCH(QString, shown);
        test::TempProgramFolder folder;
        exec("INSERT INTO meitan (Name, Liu, Y, kucun, JiaGe) VALUES ('焦', ?, ?, ?, ?)",
             {stored, stored, stored, stored});
        ListData list;
        SetLotColumns(list);
        QVERIFY(FillLotRows(list, "select * from meitan"));
        QCOMPARE(list.rowCount(), 1);
        QCOMPARE(list.cell(0, 3), shown);  // 硫分
        QCOMPARE(list.cell(0, 10), shown); // 镍
        QCOMPARE(list.cell(0, 14), shown); // 库存
        QCOMPARE(list.cell(0, 15), shown); // 价格
        QCOMPARE(list.cell(0, 2), "");     // 全水 never written
        QCOMPARE(list.rows[0].subItems.size(), 15);
    }

    void lotRowTextNameAndOrder() {
        test::TempProgramFolder folder;
        exec("INSERT INTO Lishi_meitan (followid, Name, ShuiFen, huishoulv, JiaGe) VALUES (7, 'B<焦>', 8, 0.05, "
             "1500)");
        exec("INSERT INTO Lishi_meitan (followid, Name) VALUES (7, NULL)");
        exec("INSERT INTO Lishi_meitan (followid, Name) VALUES (8, 'other set')");
        ListData list;
        SetLotColumns(list);
        QVERIFY(FillLotRows(list, "select * from Lishi_meitan where followid=? order by id asc", {7}));
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(rowTexts(list, 0),
                 QStringList({"1", "B<焦>", "8.00", "", "", "", "", "", "", "", "", "", "", "0.05", "", "1500.00"}));
        QCOMPARE(list.cell(1, 0), "2");
        QCOMPARE(list.cell(1, 1), ""); // a Null name
        QVERIFY(!list.rows[0].checked);
    }

    void ratioRowCells() {
        test::TempProgramFolder folder;
        exec("INSERT INTO Lishi_Peibibiao (followid, d1, d2, Liu, JiaGe, Name, kucun) VALUES (3, 35, 65, 0.8, "
             "1234.5, '', 0)");
        exec("INSERT INTO Lishi_Peibibiao (followid, d1, d2, d3) VALUES (3, 2.5, 3.5, 'x')");
        ListData list;
        SetRatioColumns(list);
        QVERIFY(FillRatioRows(list, "select * from Lishi_Peibibiao where followid=? order by id asc", {3}));
        QCOMPARE(list.rowCount(), 2);
        QStringList first{"1", "35", "65", "0", "0", "0", "0", "0", "0", "0", "0", "", "0.80"};
        for (int i = 0; i < 10; ++i)
            first << "";
        first << "1234.50";
        QCOMPARE(rowTexts(list, 0), first);
        // Whole-number cells round halves to the even neighbour; text counts as 0.
        QCOMPARE(rowTexts(list, 1).mid(1, 3), QStringList({"2", "4", "0"}));
    }

    void ratioColumns_data() {
        QTest::addColumn<double>("screen");
        QTest::addColumn<int>("w");
        QTest::newRow("1024") << 1024.0 << 700;
        QTest::newRow("1279.5 rounds to 1280") << 1279.5 << 810;
        QTest::newRow("1366") << 1366.0 << 810;
        QTest::newRow("1439.5 rounds to 1440") << 1439.5 << 900;
        QTest::newRow("1599.5 rounds to 1600") << 1599.5 << 1000;
        QTest::newRow("1920") << 1920.0 << 1200;
    }
    void ratioColumns() {
        QFETCH(double, screen);
        QFETCH(int, w);
        setScreenWidthProvider([screen] { return screen; });
        ListData list;
        SetLotColumns(list);
        SetRatioColumns(list);
        QCOMPARE(headers(list),
                 QStringList({"序",   "D1",   "D2",     "D3",     "D4", "D5", "D6", "D7", "D8", "D9", "D10", "全水",
                              "硫分", "灰分", "挥发分", "固定碳", "硅", "铁", "钒", "镍", "铝", "钙", "钠",  "价格"}));
        QList<int> expected{0};
        for (int i = 0; i < 22; ++i)
            expected << w;
        expected << w + 100;
        QCOMPARE(widths(list), expected);
    }

    void nameRatioColumns_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("shareHeaders");
        QTest::newRow("A, B") << QStringList({"A", "B"})
                              << QStringList({"A", "B", "d3", "d4", "d5", "d6", "d7", "d8", "d9", "d10"});
        QTest::newRow("none") << QStringList()
                              << QStringList({"d1", "d2", "d3", "d4", "d5", "d6", "d7", "d8", "d9", "d10"});
        QTest::newRow("empty name") << QStringList({"A", "", "C"})
                                    << QStringList({"A", "", "C", "d4", "d5", "d6", "d7", "d8", "d9", "d10"});
        QTest::newRow("more than ten") << QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"})
                                       << QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
        QTest::newRow("comma in a name") << QStringList({"山东A,低硫", "B"})
                                         << QStringList(
                                                {"山东A,低硫", "B", "d3", "d4", "d5", "d6", "d7", "d8", "d9", "d10"});
    }
    void nameRatioColumns() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, shareHeaders);
        ListData list;
        SetRatioColumns(list);
        NameRatioColumns(list, {"X", "Y", "Z", "W"}); // an earlier naming must not survive
        NameRatioColumns(list, names);
        QCOMPARE(headers(list).mid(1, 10), shareHeaders);
        QCOMPARE(list.header(0), "序");
        QCOMPARE(list.header(11), "全水");
        QCOMPARE(list.columnCount(), 24);
    }

    void secondFillReplacesFirst() {
        test::TempProgramFolder folder;
        exec("INSERT INTO meitan (Name) VALUES ('a')");
        exec("INSERT INTO meitan (Name) VALUES ('b')");
        exec("INSERT INTO meitan (Name) VALUES ('c')");
        ListData list;
        SetLotColumns(list);
        QVERIFY(FillLotRows(list, "select * from meitan"));
        list.rows[0].checked = true;
        QVERIFY(FillLotRows(list, "select * from meitan where Name like ?", {"b"}));
        QCOMPARE(list.rowCount(), 1);
        QCOMPARE(list.cell(0, 1), "b");
        QVERIFY(!list.rows[0].checked);
        QVERIFY(IsDbOpen()); // the caller's connection stays open
    }

    void failedQueryLeavesNoRows_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("bad sql") << "select * from nowhere";
        QTest::newRow("missing column") << "select id, Name from Lishi_Peibibiao";
    }
    void failedQueryLeavesNoRows() {
        QFETCH(QString, sql);
        test::TempProgramFolder folder;
        exec("INSERT INTO Lishi_Peibibiao (followid, d1) VALUES (1, 2)");
        ListData list;
        SetRatioColumns(list);
        QVERIFY(FillRatioRows(list, "select * from Lishi_Peibibiao"));
        const DbStatus filled = FillRatioRows(list, sql);
        QVERIFY(!filled);
        QCOMPARE(list.rowCount(), 0);
        QVERIFY(!filled.error().isEmpty());
    }

    void sortRows_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<ColumnKind>("kind");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("expected");
        const ColumnKind text = ColumnKind::Text;
        const ColumnKind number = ColumnKind::Number;
        const ColumnKind date = ColumnKind::Date;
        QTest::newRow("case-insensitive, stable up")
            << QStringList({"b", "A", "c", "a"}) << text << true << QStringList({"A", "a", "b", "c"});
        QTest::newRow("case-insensitive, stable down")
            << QStringList({"b", "A", "c", "a"}) << text << false << QStringList({"c", "b", "A", "a"});
        QTest::newRow("numbers in a text column as text")
            << QStringList({"9.00", "10.00", "", "100"}) << text << true << QStringList({"", "10.00", "100", "9.00"});
        QTest::newRow("numbers in a text column as text, down")
            << QStringList({"9.00", "10.00", "", "100"}) << text << false << QStringList({"9.00", "100", "10.00", ""});
        QTest::newRow("Chinese names in pinyin order") << QStringList({"山西焦", "安徽焦", "河北焦", "北京焦"}) << text
                                                       << true << QStringList({"安徽焦", "北京焦", "河北焦", "山西焦"});
        QTest::newRow("prices by value") << QStringList({"1550.00", "", "900.00", "1000.00"}) << number << true
                                         << QStringList({"", "900.00", "1000.00", "1550.00"});
        QTest::newRow("prices by value, down") << QStringList({"1550.00", "", "900.00", "1000.00"}) << number << false
                                               << QStringList({"1550.00", "1000.00", "900.00", ""});
        QTest::newRow("parts and tonnes, negative and equal values stable")
            << QStringList({"35", "7.50", "-1", "35.00", "100"}) << number << true
            << QStringList({"-1", "7.50", "35", "35.00", "100"});
        QTest::newRow("a stray text after the values")
            << QStringList({"x", "2", "", "10"}) << number << true << QStringList({"", "2", "10", "x"});
        QTest::newRow("dates by time")
            << QStringList({"2026-12-09 14:36:38", "2026-02-10 09:00:00", "", "2025-12-31 23:59:59"}) << date << true
            << QStringList({"", "2025-12-31 23:59:59", "2026-02-10 09:00:00", "2026-12-09 14:36:38"});
    }
    void sortRows() {
        QFETCH(QStringList, texts);
        QFETCH(ColumnKind, kind);
        QFETCH(bool, ascending);
        QFETCH(QStringList, expected);
        ListData list = textList(texts, kind);
        SortListRows(list, 1, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        QStringList got;
        for (int r = 0; r < list.rowCount(); ++r)
            got << list.cell(r, 1);
        QCOMPARE(got, expected);
        // Whole rows move together.
        for (int r = 0; r < list.rowCount(); ++r)
            QCOMPARE(texts[list.cell(r, 0).toInt()], list.cell(r, 1));
    }

    void columnKinds() {
        // Every column of both lists sorts by value but the lot's name.
        ListData lots;
        SetLotColumns(lots);
        ListData ratios;
        SetRatioColumns(ratios);
        for (const ListData& list : {lots, ratios})
            for (const ListColumn& c : list.columns)
                QCOMPARE(c.kind, c.header == "名称" ? ColumnKind::Text : ColumnKind::Number);
    }

    void fitRatioColumns_data() {
        QTest::addColumn<int>("room");
        QTest::addColumn<int>("w");
        QTest::newRow("room to spare") << 30000 << 810;
        QTest::newRow("exactly") << 23 * 810 + 100 << 810;
        QTest::newRow("a little short") << 23 * 810 + 99 << 809;
        QTest::newRow("far too narrow") << 2000 << 300;
    }
    void fitRatioColumns() {
        QFETCH(int, room);
        QFETCH(int, w);
        setScreenWidthProvider([] { return 1366.0; });
        ListData list;
        SetRatioColumns(list);
        FitRatioColumns(list, room);
        QList<int> expected{0};
        for (int i = 0; i < 22; ++i)
            expected << w;
        expected << w + 100;
        QCOMPARE(widths(list), expected);
    }
};

QTEST_GUILESS_MAIN(ListViewFunctionTest)
#include "tst_listviewfunction.moc"
