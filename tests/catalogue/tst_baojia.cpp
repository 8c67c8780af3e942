#include "base/gui/WindowHub.h"
#include "blending/PanelBuilder.h"
#include "blending/Valuation.h"
#include "blending/gui/BlendingGrid.h"
#include "blending/gui/BlendingPanel.h"
#include "blending/gui/frmBaojia.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/gui/frmKucun.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace vestrel;

namespace {

// Two lots and limits that a blend meets only with the right share of each; the dialog caps B at 70 %.
test::Panel panel() {
    return test::Panel()
        .lot(0, "A", "1500", "100")
        .set(0, CellSulphur, "3.2")
        .set(0, CellFixedCarbon, "86")
        .lot(1, "B", "1800", "100")
        .set(1, CellSulphur, "1.5")
        .set(1, CellFixedCarbon, "89")
        .target(CellSulphur, "2.5")
        .target(CellFixedCarbon, "87")
        .share("B", "", "70");
}

Mei offer() {
    Mei m;
    m.MingCheng = QStringLiteral("报价 甲");
    m.Liu = 1.2;
    m.GuDingTan = 88.5;
    m.JiaGe = 1650;
    m.Kucun = 100;
    return m;
}

template <class W> W* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<W*>(w); found && w->objectName() == name) return found;
    return nullptr;
}

} // namespace

class TestBaojia : public QObject {
    Q_OBJECT
private slots:
    // Each way to "评估报价" shows the valuation's own answer for the same lot against the same panel.
    void entryPoints_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("catalogue") << QStringLiteral("catalogue");
        QTest::newRow("panel row") << QStringLiteral("row");
        QTest::newRow("offer typed in") << QStringLiteral("offer");
    }
    void entryPoints() {
        QFETCH(QString, entry);
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        const PanelTexts others = panel();
        const Mei lot = offer();
        const QString expected = QStringLiteral("报价 甲（报价 1650.00 元/吨）：") +
                                 BreakEvenText(BreakEvenPrice(ReadGridLots(others), others, lot), lot.JiaGe);
        QVERIFY(expected.contains(QStringLiteral("保本价")));
        QWidget* main = hub::mainWindow();
        auto* blending = test::find<BlendingPanel>(main, "BlendingPanel");
        QVERIFY(blending);
        QString shown;
        if (entry == u"row") {
            blending->setPanelTexts(test::Panel(panel())
                                        .lot(2, lot.MingCheng, "1650", "100")
                                        .set(2, CellSulphur, "1.2")
                                        .set(2, CellFixedCarbon, "88.5"));
            QLineEdit* name = blending->grid()->cell(2, CellName);
            emit name->customContextMenuRequested(QPoint(2, 2));
            QAction* action = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* menu = qobject_cast<QMenu*>(w); menu && !action)
                    action = menu->findChild<QAction*>(QStringLiteral("mnuBaojia_2"));
            QVERIFY(action);
            action->trigger();
            shown = ui.lastMessageText();
        } else {
            blending->setPanelTexts(others);
            QCOMPARE(SaveMei(lot), SaveResult::Saved);
            auto* catalogue = qobject_cast<frmKucun*>(hub::catalogueWindow());
            QVERIFY(catalogue);
            if (entry == u"catalogue") {
                catalogue->listView()->selectOnlyRow(0);
                test::find<QAction>(catalogue, "Toolbar1_baojia")->trigger();
                shown = ui.lastMessageText();
            } else {
                test::find<QAction>(catalogue, "Toolbar1_xinbaojia")->trigger();
                auto* window = topLevel<frmBaojia>(QStringLiteral("frmBaojia"));
                QVERIFY(window && window->isVisible());
                QCOMPARE(window->windowTitle(), QStringLiteral("评估报价"));
                test::find<QLineEdit>(window, "txtName")->setText(lot.MingCheng);
                test::find<QLineEdit>(window, "txtLiu")->setText(QStringLiteral("1.2"));
                test::find<QLineEdit>(window, "txtGudingtan")->setText(QStringLiteral("88.5"));
                test::find<QLineEdit>(window, "txtJiage")->setText(QStringLiteral("abc"));
                test::find<QPushButton>(window, "cmdJisuan")->click();
                QCOMPARE(ui.lastMessageText(), QStringLiteral("填写的价格必须是数字"));
                test::find<QLineEdit>(window, "txtJiage")->setText(QStringLiteral("1650"));
                const int messages = int(ui.messages().size());
                test::find<QPushButton>(window, "cmdJisuan")->click();
                QCOMPARE(int(ui.messages().size()), messages);
                shown = test::find<QLabel>(window, "lbJieguo")->text();
                window->close();
            }
            catalogue->close();
        }
        QCOMPARE(shown, expected);
        delete main;
    }
};

QTEST_MAIN(TestBaojia)
#include "tst_baojia.moc"
