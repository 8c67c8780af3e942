// The catalogue window: loading, count, search, delete, sort and resize.
#include "base/Twips.h"
#include "base/gui/WindowHub.h"
#include "catalogue/Catalogue.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/gui/frmKucun.h"
#include "catalogue/gui/frmUpdate.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

void addLots(const QStringList& names, const QList<double>& prices = {}) {
    for (int i = 0; i < names.size(); ++i) {
        Mei lot;
        lot.MingCheng = names[i];
        lot.JiaGe = i < prices.size() ? prices[i] : 100;
        QCOMPARE(SaveMei(lot), SaveResult::Saved);
    }
}

QStringList column(const frmKucun* w, int c) {
    QStringList out;
    for (int r = 0; r < w->listData().rowCount(); ++r)
        out << w->listData().cell(r, c);
    return out;
}

frmUpdate* entryForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<frmUpdate*>(w); f && !f->closing()) return f;
    return nullptr;
}

} // namespace

class KucunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

    frmKucun* load() {
        auto* w = qobject_cast<frmKucun*>(hub::catalogueWindow());
        if (w) w->show();
        return w;
    }
    void trigger(frmKucun* w, int button) {
        test::find<QAction>(w, QStringLiteral("Toolbar1_%1").arg(button))->trigger();
    }
    void search(frmKucun* w, const QString& text) {
        test::find<QLineEdit>(w, "txtSearch")->setText(text);
        test::find<QPushButton>(w, "cmdSearch")->click();
    }
    QString count(frmKucun* w) { return test::find<QLabel>(w, "labCONUT")->text(); }
    void clickHeader(frmKucun* w, int c) {
        QHeaderView* h = w->listView()->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(c) + 5, 5));
    }

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

    void loadsOnceAndAfreshAfterClosing() {
        Mei lot;
        lot.MingCheng = "A";
        lot.Liu = 1.5;
        SaveMei(lot);
        addLots({"B"});
        bool loadedNow = false;
        auto* w = qobject_cast<frmKucun*>(hub::catalogueWindow(&loadedNow));
        QVERIFY(w && loadedNow && !w->isVisible()); // the caller shows it
        QCOMPARE(hub::catalogueWindow(&loadedNow), w);
        QVERIFY(!loadedNow);
        QCOMPARE(count(w), QString::fromUtf8("2 种"));
        QCOMPARE(column(w, 0), (QStringList{"1", "2"}));
        QCOMPARE(column(w, 3), (QStringList{"1.50", ""}));    // 硫分
        QCOMPARE(column(w, 15), (QStringList{"", "100.00"})); // 价格

        search(w, "A");
        w->close();
        QVERIFY(!hub::isCatalogueWindowLoaded());
        auto* again = qobject_cast<frmKucun*>(hub::catalogueWindow(&loadedNow));
        QVERIFY(loadedNow && again != w);
        QCOMPARE(again->listData().rowCount(), 2); // the search went with the old window
    }

    void emptyCatalogueEditAndDeleteDoNothing() {
        frmKucun* w = load();
        QCOMPARE(count(w), QString::fromUtf8("0 种"));
        trigger(w, 3);
        trigger(w, 4); // stops before asking
        QVERIFY(!entryForm());
        QVERIFY(ui->calls.isEmpty());
    }

    void editOpensTheSelectedLot() {
        addLots({"A", "B"}, {10, 55});
        frmKucun* w = load();
        trigger(w, 3); // no row selected: nothing to edit
        QVERIFY(!entryForm());
        QCOMPARE(ui->messageTexts(), QStringList{QString::fromUtf8("请选择您要编辑的项")});
        w->listView()->selectOnlyRow(1);
        trigger(w, 3);
        QVERIFY(entryForm());
        QCOMPARE(entryForm()->MeiId, 2);
        QCOMPARE(test::find<QLineEdit>(entryForm(), "txtJiage")->text(), QString("55.00"));
    }

    void search_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        const QStringList coke{QString::fromUtf8("山东焦"), QString::fromUtf8("山西焦"), QString::fromUtf8("河北焦")};
        QTest::newRow("substring") << coke << QString::fromUtf8("山") << QStringList{coke[0], coke[1]};
        QTest::newRow("no match") << coke << "x" << QStringList{};
        QTest::newRow("spaces kept") << QStringList{"a b", "ab"} << " b" << QStringList{"a b"};
        QTest::newRow("single quote") << QStringList{"O'Brien", "OBrien"} << "O'B" << QStringList{"O'Brien"};
        QTest::newRow("percent literal") << QStringList{"50%S", "500S"} << "50%" << QStringList{"50%S"};
        QTest::newRow("underscore literal") << QStringList{"a_b", "axb"} << "_" << QStringList{"a_b"};
    }
    void search() {
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        addLots(names);
        frmKucun* w = load();
        search(w, text);
        QCOMPARE(column(w, 1), found);
        QCOMPARE(count(w), QString::fromUtf8("%1 种").arg(names.size())); // the whole catalogue
        QVERIFY(ui->calls.isEmpty());
    }

    void blankSearchRefusedAndListKept() {
        addLots({"A", "B"});
        frmKucun* w = load();
        search(w, "A");
        search(w, "   ");
        QCOMPARE(ui->messages().size(), 1);
        const Message m = ui->messages().first();
        QCOMPARE(m.text, QString::fromUtf8("请输入要查找的煤名称！"));
        QCOMPARE(m.title, QString::fromUtf8("提示"));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(column(w, 1), QStringList{"A"});
    }

    void showAllEndsTheSearch() {
        addLots({QString::fromUtf8("山东焦"), QString::fromUtf8("河北焦")});
        frmKucun* w = load();
        search(w, QString::fromUtf8("山"));
        auto* all = test::find<QPushButton>(w, "cmdAll");
        QCOMPARE(all->text(), QString::fromUtf8("显示全部"));
        QCOMPARE(all->parentWidget(), test::find<QWidget>(w, "Picture1")); // beside 查找
        all->click();
        QCOMPARE(column(w, 1).size(), 2);
        QCOMPARE(test::find<QLineEdit>(w, "txtSearch")->text(), QString());
        w->addLIST(); // a later refresh (after a save or a delete) lists every lot too
        QCOMPARE(column(w, 1).size(), 2);
        QVERIFY(ui->calls.isEmpty());
    }

    void searchStaysAfterSave() {
        addLots({QString::fromUtf8("山东焦"), QString::fromUtf8("河北焦")});
        frmKucun* w = load();
        search(w, QString::fromUtf8("山"));
        hub::showEntryForm(0);
        test::find<QLineEdit>(entryForm(), "txtName")->setText(QString::fromUtf8("山西焦"));
        test::find<QLineEdit>(entryForm(), "txtJiage")->setText("10");
        test::find<QPushButton>(entryForm(), "btnSubmit")->click();
        QCOMPARE(hub::catalogueWindow(), w);
        QCOMPARE(column(w, 1), (QStringList{QString::fromUtf8("山东焦"), QString::fromUtf8("山西焦")}));
        QCOMPARE(count(w), QString::fromUtf8("3 种"));
    }

    void checkedRowsDeletedWithOneConfirmation() {
        addLots({"xA", "xB", "xC", "y", "xD", "xE"});
        frmKucun* w = load();
        search(w, "x");
        w->listView()->selectOnlyRow(0); // selected but not checked: stays
        for (int r : {1, 2, 4})
            w->listView()->setRowChecked(r, true);
        ui->answers.enqueue(MsgResult::Ok);
        trigger(w, 4);
        QCOMPARE(ui->messages().size(), 1);
        const Message m = ui->messages().first();
        QCOMPARE(m.text, QString::fromUtf8("确认要删除吗？"));
        QCOMPARE(m.title, QString());
        QCOMPARE(m.buttons, MsgButtons::OkCancel);
        QCOMPARE(column(w, 1), (QStringList{"xA", "xD"})); // the search stays in force
        QCOMPARE(count(w), QString::fromUtf8("3 种"));
    }

    void deleteAnswers_data() {
        QTest::addColumn<bool>("checkOne");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("texts");
        const QString ask = QString::fromUtf8("确认要删除吗？");
        QTest::newRow("cancelled") << true << int(MsgResult::Cancel) << QStringList{ask};
        QTest::newRow("nothing checked, told after confirming")
            << false << int(MsgResult::Ok) << QStringList{ask, QString::fromUtf8("请选择您要删除的项")};
    }
    void deleteAnswers() {
        QFETCH(bool, checkOne);
        QFETCH(int, answer);
        QFETCH(QStringList, texts);
        addLots({"A", "B"});
        frmKucun* w = load();
        w->listView()->selectOnlyRow(0);
        if (checkOne) w->listView()->setRowChecked(1, true);
        ui->answers.enqueue(MsgResult(answer));
        trigger(w, 4);
        QCOMPARE(ui->messageTexts(), texts);
        QCOMPARE(ui->messages().last().title, QString());
        QCOMPARE(CountMeitan().value(), 2);
    }

    void sortToggles_data() {
        QTest::addColumn<int>("firstColumn");
        QTest::addColumn<QStringList>("afterFirst");
        QTest::addColumn<int>("secondColumn");
        QTest::addColumn<QStringList>("afterSecond");
        // Prices B 900, A 1550, C 1000 sort by value, not as text ("1000.00" < "1550.00" < "900.00").
        QTest::newRow("name, then name again") << 1 << QStringList{"C", "B", "A"} << 1 << QStringList{"A", "B", "C"};
        QTest::newRow("name, then price") << 1 << QStringList{"C", "B", "A"} << 15 << QStringList{"B", "C", "A"};
        QTest::newRow("price, then name") << 15 << QStringList{"A", "C", "B"} << 1 << QStringList{"A", "B", "C"};
        QTest::newRow("price, then price") << 15 << QStringList{"A", "C", "B"} << 15 << QStringList{"B", "C", "A"};
    }
    void sortToggles() {
        QFETCH(int, firstColumn);
        QFETCH(QStringList, afterFirst);
        QFETCH(int, secondColumn);
        QFETCH(QStringList, afterSecond);
        addLots({"B", "A", "C"}, {900, 1550, 1000});
        frmKucun* w = load();
        clickHeader(w, firstColumn);
        QCOMPARE(column(w, 1), afterFirst);
        clickHeader(w, secondColumn);
        QCOMPARE(column(w, 1), afterSecond);
    }

    void resizeStretchesListOnlyBeyondDesign() {
        frmKucun* w = load();
        ReportListView* list = w->listView();
        const QSize designList = ListScale().toPixels(CatalogueDesignLayout().list.size());
        w->resize(1000, 700);
        QCOMPARE(list->geometry().bottomRight(), QPoint(999, 699));
        QCOMPARE(w->picLeft()->geometry().bottom(), 699);
        QCOMPARE(test::find<QWidget>(w, "Picture1")->geometry().right(), 1000 - 8 - 1);
        w->resize(600, 400);
        QCOMPARE(list->size(), designList);
    }
};

QTEST_MAIN(KucunTest)
#include "tst_kucun.moc"
