// The windows at the scale of the font in use: the grid's cells hold their texts whole, and every window opens
// showing its working columns on the available screen.
#include "app/gui/frmMain.h"
#include "base/Seams.h"
#include "base/gui/WindowGeometry.h"
#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingGrid.h"
#include "calculator/gui/frmTest.h"
#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QSqlQuery>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <memory>

using namespace vestrel;

namespace {

// What a line edit shows of its text: the style's contents rectangle less QLineEdit's own 2-pixel margins.
int shownTextWidth(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 4;
}

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// The rows shown whole and whether the columns up to `last` are inside the list's view.
int wholeRows(const ReportListView* list) {
    const int rowHeight = list->verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? list->viewport()->height() / rowHeight : 0;
}
bool columnsShown(const ReportListView* list, int last) {
    const QHeaderView* header = list->horizontalHeader();
    return header->sectionViewportPosition(last) + header->sectionSize(last) <= list->viewport()->width();
}

} // namespace

class WindowSizesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;
    QFont appFont;

    void useScreen(const QSize& screen) {
        setScreenWidthProvider([screen] { return double(screen.width()); });
        setAvailableScreenProvider([screen] { return screen.isEmpty() ? QRect() : QRect(QPoint(0, 0), screen); });
    }

private slots:
    void initTestCase() { appFont = QApplication::font(); }
    void init() {
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
    }
    void cleanup() {
        // Every window goes, so the next case builds them at its own scale.
        test::deleteAllWindows();
        QApplication::setFont(appFont);
        SetTwipScales({}, {});
        setScreenWidthProvider({});
        setAvailableScreenProvider({});
        QCOMPARE(ui->unexpected, 0);
        ui.reset();
        folder.reset();
    }

    void cellsHoldPricesAndNames_data() {
        QTest::addColumn<double>("points");
        QTest::addColumn<QSize>("screen"); // available; empty: no limit
        QTest::newRow("9 pt") << 9.0 << QSize();
        QTest::newRow("9 pt, 1366 x 768 less the task bar") << 9.0 << QSize(1366, 728);
        QTest::newRow("13.5 pt (9 pt at 144 dpi)") << 13.5 << QSize();
        QTest::newRow("13.5 pt on a screen too small for the design") << 13.5 << QSize(1366, 728);
        QTest::newRow("13.5 pt on a full HD screen") << 13.5 << QSize(1920, 1040);
    }
    void cellsHoldPricesAndNames() {
        QFETCH(double, points);
        QFETCH(QSize, screen);
        QFont font = appFont;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        InstallTwipScales();
        useScreen(screen);

        QWidget* main = hub::mainWindow();
        hub::showCalculator();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        for (QWidget* window : {main, topLevel("frmTest")}) {
            QVERIFY(window);
            if (!screen.isEmpty()) QVERIFY(QRect(QPoint(0, 0), screen).contains(window->frameGeometry()));
            BlendingGrid* grid = window->findChild<BlendingGrid*>();
            for (int c = 0; c < kGridCells; ++c) {
                QLineEdit* cell = grid->cell(3, GridCell(c));
                cell->setText(c == CellName ? "山西阳泉焦炭" : "12345.67");
                const int needed = QFontMetrics(cell->font()).horizontalAdvance(cell->text());
                QVERIFY2(needed <= shownTextWidth(cell), qPrintable(QString("%1 in %2: %3 > %4")
                                                                        .arg(cell->text(), cell->objectName())
                                                                        .arg(needed)
                                                                        .arg(shownTextWidth(cell))));
            }
        }
    }

    void listWindowsShowTheirColumns_data() {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("1366 x 768 less the task bar") << QSize(1366, 728);
        QTest::newRow("1920 x 1080 less the task bar") << QSize(1920, 1040);
    }
    void listWindowsShowTheirColumns() {
        QFETCH(QSize, screen);
        InstallTwipScales();
        useScreen(screen);
        // A catalogue and a run of 78 schemes.
        for (int i = 0; i < 30; ++i) {
            Mei lot;
            lot.MingCheng = QString("焦%1").arg(i);
            lot.Kucun = 12345.67;
            lot.JiaGe = 1550;
            QCOMPARE(SaveMei(lot), SaveResult::Saved);
        }
        QVERIFY(OpenDb());
        QSqlQuery q(Conn());
        QVERIFY(q.exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('t')"));
        const qint64 set = q.lastInsertId().toLongLong();
        QVERIFY(q.exec("INSERT INTO Lishi_meitan (followid, Name, JiaGe) VALUES (" + QString::number(set) +
                       ", '山西阳泉焦炭', 1550)"));
        for (int k = 0; k < 78; ++k)
            QVERIFY(q.exec(QString("INSERT INTO Lishi_Peibibiao (followid, d1, Liu, JiaGe) VALUES (%1, %2, 1.25, %3)")
                               .arg(set)
                               .arg(k + 2)
                               .arg(1000 + 7.5 * k)));
        CloseDb();

        hub::showHistoryWindow();
        hub::showCatalogueWindow();
        hub::showSelectDialog(GridHost::Main);
        const QRect available(QPoint(0, 0), screen);
        const QList<QPair<const char*, const char*>> lists{
            {"frmLishi", "lsvBottom"}, {"frmKucun", "ListView1"}, {"frmSelect", "lsvTop"}};
        for (const auto& [windowName, listName] : lists) {
            QWidget* window = topLevel(windowName);
            QVERIFY2(window, windowName);
            QVERIFY2(available.contains(window->frameGeometry()), windowName);
            auto* list = test::find<ReportListView>(window, listName);
            // 价格 is the last column of each list; the lot lists show 库存 just before it.
            QVERIFY2(columnsShown(list, list->listData().columnCount() - 1), listName);
            QVERIFY2(wholeRows(list) >= 10, qPrintable(QString("%1: %2 rows").arg(listName).arg(wholeRows(list))));
        }
    }
};

QTEST_MAIN(WindowSizesTest)
#include "tst_windowsizes.moc"
