// The lot selection dialog: listing, toggling, the ten-lot warning and the import into either grid.
#include "base/gui/WindowHub.h"
#include "blending/gui/frmSelect.h"
#include "catalogue/DaoFunction.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

frmSelect* dialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<frmSelect*>(w); d && !d->closing()) return d;
    return nullptr;
}

QWidget* calculatorWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmTest")) return w;
    return nullptr;
}

void seed(int n) {
    for (int i = 1; i <= n; ++i) {
        Mei lot;
        lot.MingCheng = QStringLiteral("L%1").arg(i);
        lot.JiaGe = i == 2 ? 0 : 100 + i;
        lot.Kucun = 10 * i;
        SaveMei(lot);
    }
}

QString cell(QWidget* host, const QString& array, int row) {
    auto* box = test::find<QLineEdit>(host, QStringLiteral("%1_%2").arg(array).arg(row));
    return box ? box->text() : QStringLiteral("<missing>");
}

QStringList names(QWidget* host) {
    QStringList out;
    for (int r = 0; r < 10; ++r)
        out << cell(host, "txtMingcheng", r);
    return out;
}

void clickRow(ReportListView* list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 3));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

class SelectTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

    frmSelect* open(GridHost caller, const QList<int>& checkRows) {
        hub::showSelectDialog(caller);
        frmSelect* d = dialog();
        if (d)
            for (int r : checkRows)
                d->listView()->setRowChecked(r, true);
        return d;
    }

private slots:
    void init() {
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
        setScreenWidthProvider([] { return 1366.0; });
        // The main window and the calculator live for the whole program; start each case with empty grids.
        for (QWidget* host : {hub::mainWindow(), calculatorWindow()})
            if (host)
                for (QLineEdit* box : host->findChildren<QLineEdit*>())
                    box->clear();
    }
    void cleanup() {
        if (frmSelect* d = dialog()) d->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setScreenWidthProvider({});
        QCOMPARE(ui->unexpected, 0);
        ui.reset();
        folder.reset();
    }

    void listsEveryLotUncheckedWithTextsAndWidths() {
        seed(3);
        hub::showSelectDialog(GridHost::Main);
        frmSelect* d = dialog();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowModality(), Qt::NonModal);
        QVERIFY(d->CallerForm == GridHost::Main);
        const ListData& list = d->listView()->listData();
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.cell(2, 0), QString("3"));
        QCOMPARE(list.cell(2, 1), QString("L3"));
        for (const ListRow& r : list.rows)
            QVERIFY(!r.checked);
        // 1366 px = 20490 twips: dialog 20290, frame 20090 at 100, list 19890 at 100 inside the frame.
        QCOMPARE(d->width(), 1353);
        QCOMPARE(test::find<QWidget>(d, "fraTop")->geometry(), QRect(7, 7, 1339, 360));
        QCOMPARE(d->listView()->x(), 7);
        QCOMPARE(d->listView()->width(), 1326);
    }

    void clickOnRowTogglesMark() {
        seed(2);
        hub::showSelectDialog(GridHost::Main);
        frmSelect* d = dialog();
        ReportListView* list = d->listView();
        clickRow(list, 1);
        QVERIFY(list->listData().rows[1].checked);
        clickRow(list, 1);
        QVERIFY(!list->listData().rows[1].checked);
    }

    void nothingCheckedDoesNothing() {
        seed(2);
        frmSelect* d = open(GridHost::Main, {});
        test::find<QPushButton>(d, "Command1")->click();
        QCOMPARE(dialog(), d);
        QVERIFY(ui->calls.isEmpty());
    }

    void importIntoPanel_data() {
        QTest::addColumn<int>("lots");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<int>("prefilled");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("messages");
        QStringList threeRows{"L1", "L3", "L4"};
        for (int i = 0; i < 7; ++i)
            threeRows << "";
        QTest::newRow("three into an empty panel") << 5 << QList<int>{3, 0, 2} << 0 << threeRows << QStringList{};
        QStringList nearlyFull;
        for (int i = 0; i < 9; ++i)
            nearlyFull << QStringLiteral("P%1").arg(i);
        nearlyFull << "L2";
        QTest::newRow("three into nine filled rows") << 5 << QList<int>{1, 2, 3} << 9 << nearlyFull << QStringList{};
        QStringList firstTen;
        for (int i = 1; i <= 10; ++i)
            firstTen << QStringLiteral("L%1").arg(i);
        QList<int> twelve;
        for (int i = 11; i >= 0; --i)
            twelve << i;
        QList<int> ten;
        for (int i = 0; i < 10; ++i)
            ten << i;
        QTest::newRow("ten without a warning") << 10 << ten << 0 << firstTen << QStringList{};
        QTest::newRow("twelve with the warning")
            << 12 << twelve << 0 << firstTen << QStringList{QString::fromUtf8("最多只能选择10种煤")};
    }
    void importIntoPanel() {
        QFETCH(int, lots);
        QFETCH(QList<int>, checked);
        QFETCH(int, prefilled);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, messages);
        seed(lots);
        QWidget* main = hub::mainWindow();
        for (int r = 0; r < prefilled; ++r)
            test::find<QLineEdit>(main, QStringLiteral("txtMingcheng_%1").arg(r))
                ->setText(QStringLiteral("P%1").arg(r));
        frmSelect* d = open(GridHost::Main, checked);
        test::find<QPushButton>(d, "Command1")->click();
        QCOMPARE(ui->messageTexts(), messages);
        if (!messages.isEmpty()) {
            QCOMPARE(ui->messages().first().title, QString());
            QCOMPARE(ui->messages().first().icon, MsgIcon::None);
        }
        QCOMPARE(names(main), expected);
        QVERIFY(!dialog());
        QVERIFY(!d->CallerForm);
    }

    void zeroPriceArrivesEmptyAndVanishedLotSkipped() {
        seed(3);
        frmSelect* d = open(GridHost::Main, {0, 1, 2});
        QVERIFY(DeleteMei(1)); // deleted while the dialog was open
        test::find<QPushButton>(d, "Command1")->click();
        QWidget* main = hub::mainWindow();
        QCOMPARE(names(main).mid(0, 3), (QStringList{"L2", "L3", ""}));
        QCOMPARE(cell(main, "txtJiage", 0), QString());
        QCOMPARE(cell(main, "txtJiage", 1), QString("103.00"));
    }

    void calculatorCallerIsModalAndGetsTheLots() {
        seed(3);
        hub::mainWindow();
        frmSelect* d = open(GridHost::Calculator, {1});
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        test::find<QPushButton>(d, "Command1")->click();
        QVERIFY(!dialog());
        QWidget* calc = calculatorWindow();
        QVERIFY(calc);
        QCOMPARE(cell(calc, "txtMingcheng", 0), QString("L2"));
        QCOMPARE(cell(calc, "txtKuCun", 0), QString("20.00")); // the stock lands in the ratio column
        QCOMPARE(cell(hub::mainWindow(), "txtMingcheng", 0), QString());
    }

    void openAgainServesTheNewestCaller() {
        seed(2);
        frmSelect* d = open(GridHost::Main, {0});
        hub::showSelectDialog(GridHost::Main);
        QCOMPARE(dialog(), d);
        QVERIFY(d->listView()->listData().rows[0].checked); // brought forward, checks kept
        hub::showSelectDialog(GridHost::Calculator);
        QCOMPARE(dialog(), d);
        QVERIFY(d->CallerForm == GridHost::Calculator);
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        QVERIFY(d->isVisible());
    }
};

QTEST_MAIN(SelectTest)
#include "tst_select.moc"
