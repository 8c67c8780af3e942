#include "lists/gui/ReportListView.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

using namespace vestrel;

namespace {

ListData sample(int rows) {
    ListData list;
    list.columns = {{"编号", 0}, {"名称", 1800}, {"硫分", 900}, {"价格", 905}};
    for (int r = 0; r < rows; ++r)
        list.rows.append({QString::number(r + 1), {QString("lot %1").arg(r), "1.50", ""}, false});
    return list;
}

// The middle of the check box of a row's first visible cell.
QPoint checkBoxPoint(ReportListView& view, int row, int column) {
    const QRect cell = view.visualRect(view.model()->index(row, column));
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    const int box = view.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &view);
    return QPoint(cell.left() + margin + box / 2, cell.center().y());
}

} // namespace

class ReportListViewTest : public QObject {
    Q_OBJECT
private slots:
    void showsHeadersWidthsAndHiddenColumns() {
        ReportListView view;
        view.setListData(sample(3));
        view.resize(600, 300);
        view.show();
        QCOMPARE(view.model()->rowCount(), 3);
        QCOMPARE(view.model()->headerData(1, Qt::Horizontal).toString(), "名称");
        QCOMPARE(view.model()->index(1, 2).data().toString(), "1.50");
        QVERIFY(view.isColumnHidden(0));
        QCOMPARE(view.columnWidth(1), 120);
        QCOMPARE(view.columnWidth(2), 60);
        QCOMPARE(view.columnWidth(3), 60); // 905 twips rounds to 60 pixels
        QVERIFY(!view.isSortingEnabled());

        // A refill through listData() appears after refresh().
        view.listData().rows.removeFirst();
        view.listData().columns[0].widthTwips = 300;
        view.refresh();
        QCOMPARE(view.model()->rowCount(), 2);
        QVERIFY(!view.isColumnHidden(0));
        QCOMPARE(view.columnWidth(0), 20);
    }

    void headerClickReportsColumnWithoutSorting() {
        ReportListView view;
        ListData data = sample(3);
        data.rows[0].subItems[0] = "z";
        view.setListData(data);
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy spy(&view, &ReportListView::headerClicked);
        QHeaderView* header = view.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(1) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QCOMPARE(view.model()->index(0, 1).data().toString(), "z");
    }

    void checkBoxWritesBackIntoRows_data() {
        QTest::addColumn<bool>("toggleOnRowClick");
        QTest::addColumn<bool>("clickOnBox");
        QTest::addColumn<bool>("checkedAfterOneClick");
        QTest::newRow("box click") << false << true << true;
        QTest::newRow("text click only selects") << false << false << false;
        QTest::newRow("row click toggles") << true << false << true;
        QTest::newRow("row click on box toggles once") << true << true << true;
    }
    void checkBoxWritesBackIntoRows() {
        QFETCH(bool, toggleOnRowClick);
        QFETCH(bool, clickOnBox);
        QFETCH(bool, checkedAfterOneClick);
        ReportListView view;
        view.setCheckBoxes(true);
        view.setToggleCheckOnRowClick(toggleOnRowClick);
        view.setListData(sample(3));
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy toggled(&view, &ReportListView::checkToggled);
        const QPoint at = clickOnBox ? checkBoxPoint(view, 1, 1) : view.visualRect(view.model()->index(1, 2)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(view.listData().rows[1].checked, checkedAfterOneClick);
        QCOMPARE(view.listData().rows[0].checked, false);
        QCOMPARE(toggled.count(), checkedAfterOneClick ? 1 : 0);
        QCOMPARE(view.model()->index(1, 1).data(Qt::CheckStateRole).toInt(),
                 int(checkedAfterOneClick ? Qt::Checked : Qt::Unchecked));
        if (!clickOnBox) QCOMPARE(view.selectedRows(), QList<int>({1}));

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(view.listData().rows[1].checked, false);

        // Space marks the current row in either mode.
        view.selectOnlyRow(1);
        QTest::keyClick(&view, Qt::Key_Space);
        QCOMPARE(view.listData().rows[1].checked, true);
    }

    void extendedSelection() {
        ReportListView view;
        view.setMultiSelect(true);
        view.setListData(sample(5));
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy clicked(&view, &ReportListView::rowClicked);
        const auto cell = [&](int r) { return view.visualRect(view.model()->index(r, 1)).center(); };
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell(3));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, cell(1));
        QCOMPARE(view.selectedRows(), QList<int>({1, 3}));
        QCOMPARE(view.currentRow(), 1);
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.at(1).at(0).toInt(), 1);

        view.selectOnlyRow(4);
        QCOMPARE(view.selectedRows(), QList<int>({4}));
        QCOMPARE(view.currentRow(), 4);
        view.selectOnlyRow(-1);
        QVERIFY(view.selectedRows().isEmpty());
        QCOMPARE(view.currentRow(), -1);

        view.refresh(); // a refill starts without selection
        QVERIFY(view.selectedRows().isEmpty());
    }

    void keyboardMoveIsReported() {
        ReportListView view;
        view.setListData(sample(3));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.selectOnlyRow(0);
        QSignalSpy moved(&view, &ReportListView::rowChangedByKeyboard);
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toInt(), 1);
        QCOMPARE(view.selectedRows(), QList<int>({1}));
    }
};

QTEST_MAIN(ReportListViewTest)
#include "tst_reportlistview.moc"
