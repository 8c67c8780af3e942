#include "blending/PanelBuilder.h"
#include "blending/SchemeSummary.h"
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
        const DbSession session;
        QVERIFY(QSqlQuery(session.db())
                    .exec("CREATE TRIGGER no_mark BEFORE UPDATE ON Lishi_fangan "
                          "BEGIN SELECT RAISE(ABORT, 'marks refused'); END"));
        const RepriceOutcome out = RepriceSet(*set);
        QCOMPARE(int(out.run.kind), int(RunOutcome::Kind::Stored));
        QVERIFY2(out.run.message.contains("marks refused"), qPrintable(out.run.message));
    }

    // The summary gives back the "高级指标" limits and the must-use lots, whatever the lot names hold.
    void panelOfSummary_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::newRow("blanks and symbols") << PanelTexts(test::Panel()
                                                              .lot(0, "甲 焦", "1500", "60")
                                                              .lot(1, "乙-焦(2)", "1800", "100")
                                                              .lot(2, "乙", "1700", "80")
                                                              .mustUse(2)
                                                              .target(CellSulphur, "2.5")
                                                              .target(CellFixedCarbon, "85")
                                                              .tonnes("50")
                                                              .other(CellSulphur, "1.5")
                                                              .other(CellFixedCarbon, "92")
                                                              .share("乙-焦(2)", "10", "40")
                                                              .share("乙", "5", "")
                                                              .maxLots("3"));
        QTest::newRow("names inside names") << PanelTexts(test::Panel()
                                                              .lot(0, "B", "1500")
                                                              .lot(1, "AB", "1600")
                                                              .lot(2, "B必选", "1700")
                                                              .lot(3, "硫分", "1400")
                                                              .mustUse(1)
                                                              .target(CellSulphur, "2")
                                                              .share("B必选", "", "30")
                                                              .share("硫分", "", "40")
                                                              .share("B", "20", ""));
    }
    void panelOfSummary() {
        QFETCH(PanelTexts, texts);
        StoredSet set;
        set.lots = ReadGridLots(texts);
        set.summary = BuildSchemeSummary(texts) + QString::fromUtf16(kRepricedMark);
        const PanelTexts back = PanelOfSet(set);
        QCOMPARE(BuildSchemeSummary(back), BuildSchemeSummary(texts));
        QCOMPARE(back.mustUse, texts.mustUse);
        QCOMPARE(back.advanced.otherSide, texts.advanced.otherSide);
        QCOMPARE(back.advanced.maxLots, texts.advanced.maxLots);
        for (const Mei& lot : set.lots) {
            const ShareLimit* share = texts.advanced.shareFor(lot.MingCheng);
            const ShareLimit* found = back.advanced.shareFor(lot.MingCheng);
            QCOMPARE(found ? *found : ShareLimit{}, share ? *share : ShareLimit{});
        }
    }

    // A run with the dialog's limits re-priced: unchanged values give the same schemes, a dearer lot changes
    // exactly the schemes that use it. Its limit prices are those of the panel it was run from.
    void repriceWithAdvancedLimits() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        PanelState state;
        state.texts = test::Panel()
                          .lot(0, "甲 焦", "1500", "100")
                          .set(0, CellSulphur, "3.2")
                          .lot(1, "乙-焦(2)", "1800", "100")
                          .set(1, CellSulphur, "1.5")
                          .lot(2, "C", "1700", "100")
                          .set(2, CellSulphur, "2.4")
                          .lot(3, "D", "1650", "100")
                          .set(3, CellSulphur, "2")
                          .target(CellSulphur, "2.5")
                          .tonnes("50")
                          .other(CellSulphur, "1.8")
                          .share("乙-焦(2)", "10", "60")
                          .maxLots("2");
        state.PanelLots = ReadGridLots(state.texts);
        const RunOutcome run = RunOptimisation(state);
        QCOMPARE(int(run.kind), int(RunOutcome::Kind::Stored));
        const std::optional<StoredSet> before = LoadStoredSet(run.setId);
        QVERIFY(before);
        QCOMPARE(PanelOfSet(*before).advanced, state.texts.advanced);
        const auto priceTexts = [](const std::vector<LimitPrice>& prices) {
            QStringList out;
            for (const LimitPrice& p : prices)
                out << LimitPriceText(p.loosen) + u'/' + LimitPriceText(p.tighten);
            return out;
        };
        QCOMPARE(priceTexts(SetLimitPrices(*before)), priceTexts(LimitPrices(state.PanelLots, state.texts)));

        for (const Mei& lot : before->lots)
            QCOMPARE(SaveMei(lot), SaveResult::Saved);
        const RepriceOutcome same = RepriceSet(*before);
        QCOMPARE(int(same.run.kind), int(RunOutcome::Kind::Stored));
        const std::optional<StoredSet> unchanged = LoadStoredSet(same.run.setId);
        QVERIFY(unchanged);
        QCOMPARE(unchanged->schemes.size(), before->schemes.size());
        const Comparison self = CompareSets(*before, *unchanged);
        QCOMPARE(self.rows.size(), before->schemes.size());
        for (const ComparedK& r : self.rows) {
            QCOMPARE(r.difference, 0.0);
            QCOMPARE(r.lotsA, r.lotsB);
        }

        const QString dearer = QStringLiteral("D");
        QList<Mei> catalogue = LoadAllMeis().value();
        for (Mei& lot : catalogue)
            if (lot.MingCheng == dearer) {
                lot.JiaGe += 30;
                QCOMPARE(SaveMei(lot), SaveResult::Saved);
            }
        const RepriceOutcome again = RepriceSet(*before);
        QCOMPARE(int(again.run.kind), int(RunOutcome::Kind::Stored));
        const Comparison cmp = CompareSets(*before, LoadStoredSet(again.run.setId).value());
        bool someWith = false, someWithout = false;
        for (const ComparedK& r : cmp.rows) {
            const bool uses = r.lotsA.contains(dearer);
            (uses ? someWith : someWithout) = true;
            QCOMPARE(std::abs(r.difference) > 1e-9, uses);
        }
        QVERIFY(someWith && someWithout);
        QCOMPARE(ui.messages().size(), 0);
    }

    // Limit prices at k = 100 carry the run's difference row exactly when a single-lot scheme came first: here
    // A alone at k = 2, so B keeps a part and fixed carbon 85.1 costs one part more of B, not two.
    void setLimitPricesFollowTheRun() {
        test::TempProgramFolder folder;
        PanelState state;
        state.texts = test::Panel()
                          .lot(0, "B", "1100", "100")
                          .set(0, CellSulphur, "3")
                          .set(0, CellFixedCarbon, "90")
                          .lot(1, "A", "1000", "100")
                          .set(1, CellSulphur, "1")
                          .set(1, CellFixedCarbon, "85")
                          .target(CellSulphur, "2.5")
                          .target(CellFixedCarbon, "85");
        state.PanelLots = ReadGridLots(state.texts);
        const RunOutcome run = RunOptimisation(state);
        QCOMPARE(int(run.kind), int(RunOutcome::Kind::Stored));
        const std::vector<LimitPrice> prices = SetLimitPrices(LoadStoredSet(run.setId).value());
        QCOMPARE(prices.size(), size_t(2));
        QCOMPARE(prices[1].index, int(CellFixedCarbon - CellSi));
        QCOMPARE(LimitPriceText(prices[1].tighten), QStringLiteral("1.00"));
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

        // The shown set deleted behind the window's back: the message says so rather than ending in nothing.
        {
            const DbSession session;
            QVERIFY(QSqlQuery(session.db()).exec("DELETE FROM Lishi_fangan"));
        }
        test::find<QAction>(&w, "Toolbar1_zhibiaojiage")->trigger();
        QCOMPARE(ui.lastMessageText(), QStringLiteral("读取方案失败：此方案已被删除。"));
    }
};

QTEST_MAIN(TestReprice)
#include "tst_reprice.moc"
