#include "blending/PanelBuilder.h"
#include "blending/Run.h"
#include "history/Headroom.h"
#include "history/PriceCurve.h"
#include "history/gui/HeadroomView.h"
#include "history/gui/frmLishi.h"
#include "history/gui/frmQuxian.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QImage>
#include <QTest>

using namespace vestrel;

namespace {

QList<Mei> exampleLots() {
    return ReadGridLots(test::examplePanel()); // A 1500 sulphur 3.2 stock 60, B 1800 sulphur 1.5 stock 100
}

} // namespace

class HeadroomTest : public QObject {
    Q_OBJECT
private slots:
    void limitsOfSummary_data() {
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("limits"); // index:value, lower marked with "+"
        QTest::addColumn<QString>("names");  // the set's lots, "|" between
        QTest::newRow("sulphur, tonnes, must-use") << "硫分<=2.5  配50吨 B必选"
                                                   << "3:2.5"
                                                   << "A|B";
        QTest::newRow("moisture and fixed carbon") << "全水<=8 固定碳=>85 "
                                                   << "1:8 8:85+"
                                                   << "";
        QTest::newRow("trace elements") << "硅<=0.05 钠<=0.01 "
                                        << "0:0.05 11:0.01"
                                        << "";
        QTest::newRow("a lot named like a limit") << "灰分<=12  配9吨 硫分<=1必选"
                                                  << "4:12"
                                                  << "硫分<=1";
        QTest::newRow("a name holding a limit and a blank") << "灰分<=12  配9吨 甲 硫分<=1 乙必选"
                                                            << "4:12"
                                                            << "甲 硫分<=1 乙|丙";
        QTest::newRow("summary order, other sides last") << "全水<=8 硫分<=2.5 硅<=0.05  硫分>=1 最多2种"
                                                         << "1:8 3:2.5 0:0.05 3:1+"
                                                         << "";
        QTest::newRow("nothing readable") << "硫分<=abc "
                                          << ""
                                          << "";
    }
    void limitsOfSummary() {
        QFETCH(QString, summary);
        QFETCH(QString, names);
        QStringList got;
        for (const SetLimit& l : LimitsOfSummary(summary, names.split(u'|', Qt::SkipEmptyParts)))
            got << QStringLiteral("%1:%2%3").arg(l.index).arg(l.value).arg(l.lower ? "+" : "");
        QTEST(got.join(' '), "limits");
    }

    void states_data() {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("limit");
        QTest::addColumn<int>("state");
        // Sulphur of the blend of A and B: 5:5 gives 2.35, 4:3 gives 2.4714...
        QTest::newRow("inside") << 5.0 << 5.0 << 2.5 << int(HeadroomBar::State::Inside);
        QTest::newRow("within 2 %") << 4.0 << 3.0 << 2.5 << int(HeadroomBar::State::Near);
        QTest::newRow("binding") << 4.0 << 3.0 << 2.47 << int(HeadroomBar::State::Binding);
        QTest::newRow("outside") << 1.0 << 0.0 << 2.5 << int(HeadroomBar::State::Outside);
    }
    void states() {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(double, limit);
        const double parts[] = {a, b};
        const Headroom h = SchemeHeadroom(exampleLots(), parts, {{CellSulphur - CellSi, false, limit}});
        QCOMPARE(int(h.bars.size()), 1);
        QTEST(int(h.bars[0].state), "state");
        QCOMPARE(h.shares.front().percent, 100.0 * a / (a + b));
    }

    void continuousBlend() {
        const std::vector<SetLimit> sulphur{{CellSulphur - CellSi, false, 2.5}};
        // 1/1.7 of A meets 2.5 exactly: 1800 - 300 / 1.7.
        QCOMPARE(qRound(*CheapestContinuousBlend(exampleLots(), sulphur, std::nullopt) * 100), 162353);
        // 150 tonnes: A can give at most 60, 40 %.
        QCOMPARE(qRound(*CheapestContinuousBlend(exampleLots(), sulphur, 150.0) * 100), 168000);
        QVERIFY(!CheapestContinuousBlend(exampleLots(), {{CellSulphur - CellSi, false, 1.0}}, std::nullopt));
        QCOMPARE(*TonnesOfSummary("硫分<=2.5  配50吨 B必选"), 50.0);
    }

    // A stored run: the headroom of the selected scheme and the price curve of its set, saved as a picture.
    void historyWindow() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        PanelState state;
        state.texts = test::examplePanel();
        state.PanelLots = ReadGridLots(state.texts);
        QCOMPARE(int(RunOptimisation(state).kind), int(RunOutcome::Kind::Stored));

        frmLishi w;
        w.Form_Load();
        auto* bottom = test::find<ReportListView>(&w, "lsvBottom");
        QVERIFY(bottom && w.bottomList().rowCount() >= 4);
        bottom->selectOnlyRow(0); // the cheapest: 10 parts A, 7 parts B, sulphur exactly at the limit
        test::find<QAction>(&w, "Toolbar1_yuliang")->trigger();
        auto* view = w.findChild<HeadroomView*>("HeadroomView");
        QVERIFY(view);
        QCOMPARE(view->barTexts(), QStringList{QStringLiteral("硫分<=2.5  2.50  紧")});
        QCOMPARE(int(view->headroom().bars[0].state), int(HeadroomBar::State::Binding));
        QCOMPARE(int(view->headroom().shares.size()), 2);

        test::find<QAction>(&w, "Toolbar1_quxian")->trigger();
        auto* chart = w.findChild<frmQuxian*>("frmQuxian");
        QVERIFY(chart);
        const PriceCurve& curve = chart->curve();
        QCOMPARE(int(curve.points.size()), w.bottomList().rowCount());
        QVERIFY(curve.continuous);
        for (const PricePoint& p : curve.points)
            QVERIFY(p.price >= *curve.continuous - 0.01 && p.k >= 2 && p.k <= 100);
        QCOMPARE(curve.points.front().k, 2);

        ui.files.enqueue(folder.filePath("curve.png"));
        QVERIFY(chart->exportPng());
        QVERIFY(!QImage(folder.filePath("curve.png")).isNull());
        QCOMPARE(ui.messages().size(), 0);
    }
};

QTEST_MAIN(HeadroomTest)
#include "tst_headroom.moc"
