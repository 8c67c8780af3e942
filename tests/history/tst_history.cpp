#include "base/gui/WindowHub.h"
#include "blending/PanelBuilder.h"
#include "blending/gui/BlendingPanel.h"
#include "data/Dbconnection.h"
#include "history/SchemeHistory.h"
#include "history/gui/frmLishi.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace vestrel;
using test::find;

namespace {

struct Scheme {
    QList<double> shares;
    double price;
};

QVariant exec(const QString& sql, const QVariantList& binds = {}) {
    if (!OpenDb()) return {};
    QSqlQuery q(Conn());
    q.prepare(sql);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    if (!q.exec()) qWarning() << q.lastError().text();
    const QVariant first = q.next() ? q.value(0) : QVariant();
    return sql.startsWith("INSERT") ? q.lastInsertId() : first;
}

// A stored run: its targets text, its lots in panel order and its schemes.
qint64 addSet(const QString& xinxi, const QStringList& lots, const QList<Scheme>& schemes) {
    const qint64 id = exec("INSERT INTO Lishi_fangan (xinxi) VALUES (?)", {xinxi}).toLongLong();
    for (const Scheme& s : schemes) {
        QStringList cols{"followid", "JiaGe", "Liu", "Name", "kucun"};
        QVariantList values{id, s.price, 0.5, "", 0};
        for (int k = 0; k < s.shares.size(); ++k) {
            cols << QString("d%1").arg(k + 1);
            values << s.shares[k];
        }
        exec(QString("INSERT INTO Lishi_Peibibiao (%1) VALUES (%2)")
                 .arg(cols.join(','), QStringList(QList<QString>(cols.size(), "?")).join(',')),
             values);
    }
    for (const QString& name : lots)
        exec("INSERT INTO Lishi_meitan (followid, Name, Liu, JiaGe) VALUES (?, ?, 1.5, 1000)", {id, name});
    CloseDb();
    return id;
}

int count(const QString& table, qint64 followid) {
    const QString key = table == "Lishi_fangan" ? "id" : "followid";
    const int n = exec(QString("SELECT count(*) FROM %1 WHERE %2=?").arg(table, key), {followid}).toInt();
    CloseDb();
    return n;
}

QStringList column(const ListData& list, int c) {
    QStringList out;
    for (int r = 0; r < list.rowCount(); ++r)
        out << list.cell(r, c);
    return out;
}

QStringList headers(const ListData& list) {
    QStringList out;
    for (const ListColumn& c : list.columns)
        out << c.header;
    return out;
}

void clickRow(ReportListView* view, int row, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, view->visualRect(view->model()->index(row, 1)).center());
}

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

    std::unique_ptr<frmLishi> loadWindow() {
        auto w = std::make_unique<frmLishi>();
        w->Form_Load();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get())) qWarning("window not exposed");
        return w;
    }

private slots:
    void init() {
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
    }
    void cleanup() {
        ui.reset();
        folder.reset();
    }

    void emptyHistory() {
        auto w = loadWindow();
        QCOMPARE(w->windowTitle(), "历史配比表");
        QCOMPARE(w->leftList().rowCount(), 0);
        QCOMPARE(w->midList().rowCount(), 0);
        QCOMPARE(w->bottomList().rowCount(), 0);
        QCOMPARE(w->zhibiaoText(), "");
        QCOMPARE(headers(w->leftList()), QStringList({"编号", "方案名称", "方案日期"}));
        QCOMPARE(w->midList().columnCount(), 16);
        QCOMPARE(w->bottomList().columnCount(), 24);

        find<QAction>(w.get(), "Toolbar1_2")->trigger(); // delete stops at once
        find<QPushButton>(w.get(), "Command1")->click();
        QCOMPARE(ui->messageTexts(), QStringList({"您要配多少吨，请先填写"}));
        find<QLineEdit>(w.get(), "txtZhongliang")->setText("25");
        find<QPushButton>(w.get(), "Command1")->click();
        QCOMPARE(ui->messageTexts().size(), 1);
        QCOMPARE(find<QPushButton>(w.get(), "Command1")->text(), "把如下比例转换成吨");
    }

    void controlsAndCaptions() {
        auto w = loadWindow();
        const QList<QPair<const char*, QString>> frames{{"fraLeft", "历史配比方案"},
                                                        {"fraTop", "要达到的精煤指标"},
                                                        {"fraMid", "参与的煤种"},
                                                        {"fraBottom", "配比方案"}};
        for (const auto& [name, title] : frames)
            QCOMPARE(find<QGroupBox>(w.get(), name)->title(), title);
        const QList<QPair<const char*, QString>> buttons{
            {"Toolbar1_2", "删除方案"}, {"Toolbar1_3", "导出普通"}, {"Toolbar1_4", "导出Excel"}};
        for (const auto& [name, text] : buttons)
            QCOMPARE(find<QAction>(w.get(), name)->text(), text);
        QLabel* busy = find<QLabel>(w.get(), "picLOAD");
        QCOMPARE(busy->text(), "正在处理数据，请稍候......");
        QVERIFY(!busy->isVisible());
        QStringList labels;
        for (QLabel* l : find<QGroupBox>(w.get(), "fraBottom")->findChildren<QLabel*>())
            labels << l->text();
        QVERIFY(labels.contains("配多少吨："));
        QVERIFY(labels.contains("吨精煤"));
    }

    void loadShowsNewestSetAndClickShowsAnother() {
        const qint64 older = addSet("old\r\ntargets", {"甲", "乙"}, {{{1, 1}, 900}});
        const qint64 newest =
            addSet("硫分<=1\r\n灰分<=0.5", {"焦A", "焦B", "焦C"}, {{{5, 3, 2}, 1200}, {{1, 2, 7}, 1100}});
        auto w = loadWindow();
        QCOMPARE(column(w->leftList(), 0), QStringList({QString::number(newest), QString::number(older)}));
        QCOMPARE(column(w->leftList(), 1), QStringList({"硫分<=1\r\n灰分<=0.5", "old\r\ntargets"}));
        QVERIFY(find<ReportListView>(w.get(), "lsvLeft")->isColumnHidden(0));
        QCOMPARE(find<ReportListView>(w.get(), "lsvLeft")->selectedRows(), QList<int>({0}));

        QCOMPARE(w->currentSchemeId(), newest);
        QCOMPARE(w->zhibiaoText(), "硫分<=1灰分<=0.5");
        QCOMPARE(column(w->midList(), 1), QStringList({"焦A", "焦B", "焦C"}));
        QCOMPARE(headers(w->bottomList()).mid(0, 12),
                 QStringList({"序", "焦A", "焦B", "焦C", "d4", "d5", "d6", "d7", "d8", "d9", "d10", "全水"}));
        QCOMPARE(column(w->bottomList(), 23), QStringList({"1100.00", "1200.00"})); // cheapest first
        QCOMPARE(w->bottomList().rows[0].subItems.mid(0, 10),
                 QStringList({"1", "2", "7", "0", "0", "0", "0", "0", "0", "0"}));

        clickRow(find<ReportListView>(w.get(), "lsvLeft"), 1);
        QCOMPARE(w->currentSchemeId(), older);
        QCOMPARE(w->zhibiaoText(), "oldtargets");
        QCOMPARE(column(w->midList(), 1), QStringList({"甲", "乙"}));
        QCOMPARE(headers(w->bottomList()).mid(1, 3), QStringList({"甲", "乙", "d3"}));
        QCOMPARE(w->bottomList().rowCount(), 1);
        QVERIFY(ui->messageTexts().isEmpty());
    }

    void onlyNewest500Listed() {
        OpenDb();
        {
            DbTransaction t;
            for (int i = 0; i < 503; ++i)
                exec("INSERT INTO Lishi_fangan (xinxi) VALUES (?)", {QString("set %1").arg(i)});
            QVERIFY(t.commit());
        }
        CloseDb();
        auto w = loadWindow();
        QCOMPARE(w->leftList().rowCount(), 500);
        QCOMPARE(w->leftList().cell(0, 1), "set 502");
        QCOMPARE(w->leftList().cell(499, 1), "set 3");
    }

    void convertAndRestore_data() {
        QTest::addColumn<QString>("tonnage");
        QTest::addColumn<QStringList>("tonnes");
        QTest::newRow("25") << "25" << QStringList({"7.50", "17.50"});
        QTest::newRow("25.5 counts as 26") << "25.5" << QStringList({"7.80", "18.20"});
        QTest::newRow("24.5 counts as 24") << "24.5" << QStringList({"7.20", "16.80"});
        QTest::newRow("one tonne") << "1" << QStringList({"0.30", "0.70"});
    }
    void convertAndRestore() {
        QFETCH(QString, tonnage);
        QFETCH(QStringList, tonnes);
        addSet("t", {"A", "B"}, {{{3, 7}, 1500}});
        auto w = loadWindow();
        auto* box = find<QLineEdit>(w.get(), "txtZhongliang");
        auto* button = find<QPushButton>(w.get(), "Command1");
        QCOMPARE(button->text(), "把如下比例转换成吨");

        box->setText(tonnage);
        button->click();
        QCOMPARE(w->bottomList().rows[0].subItems.mid(0, 3), tonnes + QStringList{"0"});
        QCOMPARE(w->bottomList().cell(0, 12), "0.50"); // indices keep the blend's values
        QCOMPARE(w->bottomList().cell(0, 23), "1500.00");
        QCOMPARE(button->text(), "还原");

        button->click();
        QCOMPARE(w->bottomList().rows[0].subItems.mid(0, 2), QStringList({"3", "7"}));
        QCOMPARE(headers(w->bottomList()).mid(1, 2), QStringList({"A", "B"}));
        QCOMPARE(button->text(), "将如下比例转换成吨");

        box->setText("10");
        button->click();
        QCOMPARE(w->bottomList().rows[0].subItems.mid(0, 2), QStringList({"3.00", "7.00"}));
        QCOMPARE(button->text(), "还原");

        // Showing a set again returns to the first state.
        clickRow(find<ReportListView>(w.get(), "lsvLeft"), 0);
        QCOMPARE(button->text(), "把如下比例转换成吨");
        QVERIFY(ui->messageTexts().isEmpty());
    }

    void badTonnageAndZeroSum_data() {
        QTest::addColumn<QString>("tonnage");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("firstRow");
        QTest::newRow("not a number") << "abc" << QStringList({"请将配多少吨煤填写成数字！"})
                                      << QStringList({"0", "0"});
        QTest::newRow("blank") << " " << QStringList({"请将配多少吨煤填写成数字！"}) << QStringList({"0", "0"});
        QTest::newRow("empty") << "" << QStringList({"您要配多少吨，请先填写"}) << QStringList({"0", "0"});
        QTest::newRow("zero sum keeps its cells") << "20" << QStringList() << QStringList({"0", "0"});
    }
    void badTonnageAndZeroSum() {
        QFETCH(QString, tonnage);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, firstRow);
        addSet("t", {"A", "B"}, {{{0, 0}, 100}, {{1, 3}, 200}});
        auto w = loadWindow();
        find<QLineEdit>(w.get(), "txtZhongliang")->setText(tonnage);
        find<QPushButton>(w.get(), "Command1")->click();
        QCOMPARE(ui->messageTexts(), messages);
        QCOMPARE(w->bottomList().rows[0].subItems.mid(0, 2), firstRow);
        const bool converted = messages.isEmpty();
        QCOMPARE(w->bottomList().rows[1].subItems.mid(0, 2),
                 converted ? QStringList({"5.00", "15.00"}) : QStringList({"1", "3"}));
        QCOMPARE(find<QPushButton>(w.get(), "Command1")->text(), converted ? "还原" : "把如下比例转换成吨");
    }

    void deleteTwoSetsWithOneConfirmation() {
        const qint64 a = addSet("a", {"A1", "A2"}, {{{1, 1}, 1}, {{2, 1}, 2}});
        const qint64 b = addSet("b", {"B1"}, {{{2}, 1}});
        const qint64 c = addSet("c", {"C1", "C2"}, {{{1, 2}, 3}});
        auto w = loadWindow();
        auto* left = find<ReportListView>(w.get(), "lsvLeft");
        clickRow(left, 0);
        clickRow(left, 2, Qt::ControlModifier); // rows 0 and 2: sets c and a
        ui->answers.enqueue(MsgResult::Ok);
        find<QAction>(w.get(), "Toolbar1_2")->trigger();

        const QList<Message> asked = ui->messages();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, "确定要删除此方案吗？");
        QCOMPARE(asked[0].buttons, MsgButtons::OkCancel);
        QCOMPARE(asked[0].title, ""); // the product name
        for (qint64 gone : {a, c}) {
            QCOMPARE(count("Lishi_fangan", gone), 0);
            QCOMPARE(count("Lishi_meitan", gone), 0);
            QCOMPARE(count("Lishi_Peibibiao", gone), 0);
        }
        QCOMPARE(count("Lishi_fangan", b), 1);
        QCOMPARE(count("Lishi_meitan", b), 1);
        QCOMPARE(count("Lishi_Peibibiao", b), 1);
        QCOMPARE(column(w->leftList(), 0), QStringList({QString::number(b)}));
        QCOMPARE(w->midList().rowCount(), 0);
        QCOMPARE(w->bottomList().rowCount(), 0);
        QCOMPARE(w->zhibiaoText(), "");
    }

    void deleteCancelledKeepsEverything() {
        const qint64 a = addSet("a", {"A1"}, {{{2}, 1}});
        auto w = loadWindow();
        ui->answers.enqueue(MsgResult::Cancel);
        find<QAction>(w.get(), "Toolbar1_2")->trigger();
        QCOMPARE(ui->messages().size(), 1);
        QCOMPARE(count("Lishi_fangan", a), 1);
        QCOMPARE(count("Lishi_Peibibiao", a), 1);
        QCOMPARE(w->leftList().rowCount(), 1);
        QCOMPARE(w->zhibiaoText(), "a");
    }

    void failedDeleteLeavesSetWhole() {
        const qint64 a = addSet("a", {"A1"}, {{{2}, 1}});
        // The last of the three deletes fails; the first two must not stay done.
        exec("CREATE TRIGGER no_delete BEFORE DELETE ON Lishi_fangan BEGIN SELECT RAISE(ABORT, 'locked'); END");
        CloseDb();
        auto w = loadWindow();
        ui->answers.enqueue(MsgResult::Ok);
        find<QAction>(w.get(), "Toolbar1_2")->trigger();
        QCOMPARE(ui->messages().size(), 2);
        QCOMPARE(ui->messages().at(1).title, "数据库错误");
        QCOMPARE(count("Lishi_fangan", a), 1);
        QCOMPARE(count("Lishi_meitan", a), 1);
        QCOMPARE(count("Lishi_Peibibiao", a), 1);
        QCOMPARE(w->leftList().rowCount(), 1);
    }

    void headerClicksToggleSortAndSortSurvivesRestore() {
        addSet("t", {"A", "B"}, {{{1, 9}, 1550}, {{2, 8}, 900}, {{3, 7}, 1000}});
        auto w = loadWindow();
        auto* bottom = find<ReportListView>(w.get(), "lsvBottom");
        QCOMPARE(column(w->bottomList(), 23), QStringList({"900.00", "1000.00", "1550.00"}));
        QHeaderView* header = bottom->horizontalHeader();
        const QPoint price(header->sectionViewportPosition(23) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, price);
        QCOMPARE(column(w->bottomList(), 23), QStringList({"1550.00", "1000.00", "900.00"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, price);
        QCOMPARE(column(w->bottomList(), 23), QStringList({"900.00", "1000.00", "1550.00"}));
        w->lsvBottom_ColumnClick(1); // another column switches the direction again
        QCOMPARE(column(w->bottomList(), 1), QStringList({"3", "2", "1"}));

        find<QLineEdit>(w.get(), "txtZhongliang")->setText("10");
        find<QPushButton>(w.get(), "Command1")->click();
        QCOMPARE(column(w->bottomList(), 1), QStringList({"3.00", "2.00", "1.00"}));
        find<QPushButton>(w.get(), "Command1")->click();
        QCOMPARE(column(w->bottomList(), 1), QStringList({"3", "2", "1"}));
    }

    void brokenDatabaseReportsAndStaysEmpty() {
        QFile f(folder->dbPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all");
        f.close();
        auto w = loadWindow();
        QCOMPARE(ui->messages().size(), 1);
        QCOMPARE(ui->messages().at(0).title, "数据库错误");
        QCOMPARE(w->leftList().rowCount(), 0);
    }

    void layoutNeverGoesNegative_data() {
        QTest::addColumn<QSize>("inside");
        QTest::newRow("design") << HistoryDesignInside();
        QTest::newRow("wide and low") << QSize(20000, 3000);
        QTest::newRow("narrow and tall") << QSize(3000, 15000);
        QTest::newRow("tiny") << QSize(100, 100);
        QTest::newRow("large") << QSize(28800, 16000);
    }
    void layoutNeverGoesNegative() {
        QFETCH(QSize, inside);
        const HistoryLayout l = LayoutHistory(inside, 288);
        for (const QRect& r :
             {l.fraLeft, l.lsvLeft, l.fraTop, l.lbZhibiao, l.fraMid, l.lsvMid, l.fraBottom, l.lsvBottom}) {
            QVERIFY(r.width() > 0);
            QVERIFY(r.height() > 0);
        }
        QCOMPARE(l.lsvBottom.height(), l.fraBottom.height() - 200 - 630);
        QVERIFY(l.lsvBottom.height() >= 600);
        QCOMPARE(l.fraLeft.left(), 100);
        QCOMPARE(l.lsvMid.width(), l.fraMid.width() - 200);
        if (inside.height() > 7000) QCOMPARE(l.fraBottom.bottom() + 1, inside.height() - 60); // fills downwards
        if (inside.width() > 3000) QCOMPARE(l.fraTop.width(), inside.width() - 200);
    }

    void windowGrowsOnlyTheRatioList() {
        auto w = loadWindow();
        auto* bottom = find<ReportListView>(w.get(), "lsvBottom");
        auto* mid = find<ReportListView>(w.get(), "lsvMid");
        const int midHeight = mid->height();
        const int midWidth = mid->width();
        const int bottomHeight = bottom->height();
        w->resize(w->size() + QSize(400, 400));
        QCOMPARE(mid->height(), midHeight);
        QVERIFY(bottom->height() > bottomHeight + 300);
        QVERIFY(bottom->mapTo(w.get(), QPoint(0, bottom->height())).y() <= w->height());
        QVERIFY(mid->width() > midWidth + 300);
        const ListData& left = w->leftList();
        QCOMPARE(left.columns[1].widthTwips / 3, left.columns[2].widthTwips); // three quarters, one quarter
    }

    void hubLoadsOnceAndAfresh() {
        addSet("first", {"A"}, {{{2}, 1}});
        bool loaded = false;
        QPointer<QWidget> w = hub::historyWindow(&loaded);
        QVERIFY(w);
        QVERIFY(loaded);
        QCOMPARE(hub::historyWindow(&loaded), w.data());
        QVERIFY(!loaded);

        const qint64 second = addSet("second", {"B"}, {{{2}, 1}});
        hub::showHistoryAfterRun(); // already open: lists the new set first and shows it
        QVERIFY(w->isVisible());
        auto* open = static_cast<frmLishi*>(w.data());
        QCOMPARE(open->leftList().rowCount(), 2);
        QCOMPARE(find<ReportListView>(open, "lsvLeft")->selectedRows(), QList<int>({0}));
        QCOMPARE(open->currentSchemeId(), second);
        QCOMPARE(open->zhibiaoText(), "second");

        w->close();
        QTRY_VERIFY(!w);
        hub::showHistoryAfterRun(); // loaded by the call: lists the new set first and shows it
        auto* again = static_cast<frmLishi*>(hub::historyWindow(&loaded));
        const QPointer<QWidget> guard = again;
        QVERIFY(!loaded);
        QVERIFY(again->isVisible());
        QCOMPARE(again->leftList().cell(0, 0), QString::number(second));
        QCOMPARE(again->currentSchemeId(), second);
        QCOMPARE(again->zhibiaoText(), "second");
        again->close();
        QTRY_VERIFY(!guard);
    }

    void datesShowAlikeInEveryLanguage_data() {
        QTest::addColumn<QLocale>("language");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("Chinese") << QLocale(QLocale::Chinese, QLocale::China);
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }
    void datesShowAlikeInEveryLanguage() {
        QFETCH(QLocale, language);
        const QLocale before;
        QLocale::setDefault(language);
        const qint64 id = addSet("t", {"A"}, {{{2}, 1}});
        exec("UPDATE Lishi_fangan SET riqi=? WHERE id=?", {"2026-12-09 14:36:38", id});
        CloseDb();
        auto w = loadWindow();
        QLocale::setDefault(before);
        QCOMPARE(w->leftList().cell(0, 2), "2026-12-09 14:36:38");
        QCOMPARE(SchemeDateText(QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6))), "2026-02-03 04:05:06");
    }

    void runWithHistoryOpenShowsTheNewSet() {
        const qint64 older = addSet("older", {"X"}, {{{2}, 1}});
        auto* history = static_cast<frmLishi*>(hub::historyWindow());
        const QPointer<QWidget> guard = history;
        history->show();
        QCOMPARE(history->currentSchemeId(), older);

        BlendingPanel panel;
        panel.setPanelTexts(test::examplePanel());
        panel.Command1_Click();
        QTRY_COMPARE(history->leftList().rowCount(), 2);
        const qint64 stored = history->leftList().cell(0, 0).toLongLong();
        QVERIFY(stored > older);
        QCOMPARE(find<ReportListView>(history, "lsvLeft")->selectedRows(), QList<int>({0}));
        QCOMPARE(history->currentSchemeId(), stored);
        QCOMPARE(column(history->midList(), 1), QStringList({"A", "B"}));
        QVERIFY(history->bottomList().rowCount() > 0);
        QVERIFY(ui->messageTexts().isEmpty());
        history->close();
        QTRY_VERIFY(!guard);
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
