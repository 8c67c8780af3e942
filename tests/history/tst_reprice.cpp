#include "blending/PanelBuilder.h"
#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"
#include "history/Reprice.h"
#include "history/gui/frmBijiao.h"
#include "history/gui/frmLishi.h"
#include "lists/gui/ReportListView.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QSqlQuery>
#include <QTest>
#include <cmath>

using namespace vestrel;

class TestReprice : public QObject {
    Q_OBJECT
private slots:
    // A three-lot run; C gets dearer in the catalogue and B leaves it.
    void repriceAndCompare() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        PanelState state;
        state.texts = test::examplePanel().lot(2, "C", "1700", "100").set(2, CellSulphur, "2.4");
        state.PanelLots = ReadGridLots(state.texts);
        const RunOutcome run = RunOptimisation(state);
        QCOMPARE(int(run.kind), int(RunOutcome::Kind::Stored));
        const std::optional<StoredSet> before = LoadStoredSet(run.setId);
        QVERIFY(before && before->schemes.size() >= 3);

        const PanelTexts panel = PanelOfSet(*before);
        QCOMPARE(panel.target(CellSulphur - CellSi), QStringLiteral("2.5"));
        QCOMPARE(panel.tonnes, QStringLiteral("50"));
        QVERIFY(panel.mustUse[1] && !panel.mustUse[0] && !panel.mustUse[2]);
        QCOMPARE(SetLimitPrices(*before).size(), size_t(1));

        const Comparison self = CompareSets(*before, *before);
        QCOMPARE(self.rows.size(), before->schemes.size());
        for (const ComparedK& r : self.rows) {
            QCOMPARE(r.difference, 0.0);
            QCOMPARE(r.lotsA, r.lotsB);
        }

        Mei a = before->lots[0], c = before->lots[2];
        c.JiaGe = 1760;
        QCOMPARE(SaveMei(a), SaveResult::Saved);
        QCOMPARE(SaveMei(c), SaveResult::Saved);
        const RepriceOutcome again = RepriceSet(*before);
        QCOMPARE(int(again.run.kind), int(RunOutcome::Kind::Stored));
        QCOMPARE(again.missing, QStringList{QStringLiteral("B")});
        QCOMPARE(MissingLotsText(again.missing), QStringLiteral("以下煤种已不在煤种库中，按原值计算：B"));
        const std::optional<StoredSet> after = LoadStoredSet(again.run.setId);
        QVERIFY(after);
        QCOMPARE(after->summary, before->summary + QStringLiteral("（按当前价格重算）"));

        // A dearer C leaves every blend without it cheapest; every blend with it costs more or gives way.
        const Comparison cmp = CompareSets(*before, *after);
        QVERIFY(!cmp.rows.empty());
        bool someWithC = false, someWithout = false;
        for (const ComparedK& r : cmp.rows) {
            const bool usesC = r.lotsA.contains(QStringLiteral("C"));
            (usesC ? someWithC : someWithout) = true;
            QCOMPARE(std::abs(r.difference) > 1e-9, usesC);
        }
        QVERIFY(someWithC && someWithout);
        QCOMPARE(ui.messages().size(), 0);
    }

    // The new set is stored but its mark cannot be written: the note says why instead of nothing.
    void refusedMarkIsReported() {
        test::TempProgramFolder folder;
        PanelState state;
        state.texts = test::examplePanel();
        state.PanelLots = ReadGridLots(state.texts);
        const RunOutcome run = RunOptimisation(state);
        QCOMPARE(int(run.kind), int(RunOutcome::Kind::Stored));
        const std::optional<StoredSet> set = LoadStoredSet(run.setId);
        QVERIFY(set);
        QVERIFY(QSqlQuery(Conn()).exec("CREATE TRIGGER no_mark BEFORE UPDATE ON Lishi_fangan "
                                       "BEGIN SELECT RAISE(ABORT, 'marks refused'); END"));
        const RepriceOutcome out = RepriceSet(*set);
        QCOMPARE(int(out.run.kind), int(RunOutcome::Kind::Stored));
        QVERIFY2(out.run.message.contains("marks refused"), qPrintable(out.run.message));
    }

    // The history window's commands on two runs of the same panel.
    void historyCommands() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        for (int i = 0; i < 2; ++i) {
            PanelState state;
            state.texts = test::examplePanel();
            state.PanelLots = ReadGridLots(state.texts);
            QCOMPARE(int(RunOptimisation(state).kind), int(RunOutcome::Kind::Stored));
        }
        frmLishi w;
        w.Form_Load();
        test::find<QAction>(&w, "Toolbar1_zhibiaojiage")->trigger();
        QVERIFY2(ui.lastMessageText().startsWith(QStringLiteral("每吨价格（按100份计算）：\n硫分<=2.5：放宽0.1节省 ")),
                 qPrintable(ui.lastMessageText()));
        auto* left = test::find<ReportListView>(&w, "lsvLeft");
        left->selectOnlyRow(0);
        left->selectionModel()->select(left->model()->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        test::find<QAction>(&w, "Toolbar1_bijiao")->trigger();
        auto* compare = w.findChild<frmBijiao*>("frmBijiao");
        QVERIFY(compare && !compare->comparison().rows.empty());
        for (const ComparedK& r : compare->comparison().rows)
            QCOMPARE(r.difference, 0.0);
    }
};

QTEST_MAIN(TestReprice)
#include "tst_reprice.moc"
