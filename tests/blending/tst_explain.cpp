#include "base/CommonFunction.h"
#include "base/gui/WindowHub.h"
#include "blending/Explainer.h"
#include "blending/PanelBuilder.h"
#include "blending/gui/BlendingPanel.h"
#include "blending/gui/frmYuanyin.h"
#include "data/Dbconnection.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

using namespace vestrel;
using vestrel::test::Panel;

namespace {

// Brute force over every whole-part blend of k = 100, in integer cents: the oracle for the explainer.
struct Oracle {
    QList<Mei> lots;
    PanelTexts texts;

    static std::int64_t c(double v) { return std::llround(v * 100.0); }
    std::int64_t q(int index, int j) const { return c(lots[j].*CellMember(IndexCell(index))); }

    bool holds(const Condition& cond, const std::vector<int>& x) const {
        switch (cond.kind) {
        case Condition::Kind::Limit: {
            std::int64_t sum = 0;
            for (int j = 0; j < lots.size(); ++j)
                sum += q(cond.at, j) * x[size_t(j)];
            const std::int64_t limit = c(texts.target(cond.at).toDouble()) * 100;
            return cond.at == CellFixedCarbon - CellSi ? sum >= limit : sum <= limit;
        }
        case Condition::Kind::Stock:
            return c(texts.tonnes.toDouble()) * x[size_t(cond.at)] <= c(lots[cond.at].Kucun) * 100;
        case Condition::Kind::MustUse:
            return x[size_t(cond.at)] >= 1;
        case Condition::Kind::OtherSide: {
            std::int64_t sum = 0;
            for (int j = 0; j < lots.size(); ++j)
                sum += q(cond.at, j) * x[size_t(j)];
            const std::int64_t limit = c(texts.advanced.otherSide[size_t(cond.at)].toDouble()) * 100;
            return cond.at == CellFixedCarbon - CellSi ? sum <= limit : sum >= limit;
        }
        case Condition::Kind::ShareMin:
            return x[size_t(cond.at)] * 100 >= c(texts.advanced.shareFor(lots[cond.at].MingCheng)->min.toDouble());
        case Condition::Kind::ShareMax:
            return x[size_t(cond.at)] * 100 <= c(texts.advanced.shareFor(lots[cond.at].MingCheng)->max.toDouble());
        case Condition::Kind::MaxLots:
            return std::count_if(x.begin(), x.end(), [](int v) { return v > 0; }) <= texts.advanced.maxLots.toInt();
        }
        return false;
    }

    template <class F> void forEachBlend(F f) const {
        const int n = int(lots.size());
        std::vector<int> x(size_t(n), 0);
        std::function<void(int, int)> rec = [&](int j, int left) {
            if (j == n - 1) {
                x[size_t(j)] = left;
                f(x);
                return;
            }
            for (int v = 0; v <= left; ++v) {
                x[size_t(j)] = v;
                rec(j + 1, left - v);
            }
        };
        rec(0, 100);
    }

    bool feasible(const std::vector<Condition>& set) const {
        bool found = false;
        forEachBlend([&](const std::vector<int>& x) {
            if (!found) found = std::all_of(set.begin(), set.end(), [&](const Condition& k) { return holds(k, x); });
        });
        return found;
    }

    std::vector<Condition> without(std::vector<Condition> set, const Condition& k) const {
        set.erase(std::find(set.begin(), set.end(), k));
        return set;
    }

    std::optional<QString> tightest(const std::vector<Condition>& all, const Condition& limit) const {
        const bool lower = limit.at == CellFixedCarbon - CellSi;
        std::optional<std::int64_t> best;
        const std::vector<Condition> rest = without(all, limit);
        forEachBlend([&](const std::vector<int>& x) {
            if (!std::all_of(rest.begin(), rest.end(), [&](const Condition& k) { return holds(k, x); })) return;
            std::int64_t sum = 0;
            for (int j = 0; j < lots.size(); ++j)
                sum += q(limit.at, j) * x[size_t(j)];
            if (!best || (lower ? sum > *best : sum < *best)) best = sum;
        });
        if (!best) return std::nullopt;
        // The limit in cents: sum <= 100 * limit (or >=), in the limit's two-decimal steps.
        const double cents = lower ? std::floor(double(*best) / 100.0) : std::ceil(double(*best) / 100.0);
        return GeneralNumberText(cents / 100.0);
    }

    std::optional<QString> maxTonnes(const std::vector<Condition>& all) const {
        std::vector<Condition> rest;
        for (const Condition& k : all)
            if (k.kind != Condition::Kind::Stock) rest.push_back(k);
        std::optional<double> best; // in cents of tonnes, cut down
        forEachBlend([&](const std::vector<int>& x) {
            if (!std::all_of(rest.begin(), rest.end(), [&](const Condition& k) { return holds(k, x); })) return;
            std::int64_t top = std::numeric_limits<std::int64_t>::max();
            for (int j = 0; j < lots.size(); ++j)
                if (x[size_t(j)] > 0) top = std::min(top, c(lots[j].Kucun) * 100 / x[size_t(j)]);
            if (!best || double(top) > *best) best = double(top);
        });
        if (!best) return std::nullopt;
        return GeneralNumberText(*best / 100.0);
    }
};

Condition limit(GridCell cell) {
    return {Condition::Kind::Limit, cell - CellSi};
}
Condition stock(int row) {
    return {Condition::Kind::Stock, row};
}
Condition mustUse(int row) {
    return {Condition::Kind::MustUse, row};
}
Condition shareMin(int row) {
    return {Condition::Kind::ShareMin, row};
}

// Every answer of the explainer against the brute force: the conflict is infeasible and irreducible, each
// tightest value and the tonnage are those of the best blend, each must-use verdict is right.
void checkAgainstOracle(const PanelTexts& texts) {
    const Oracle o{ReadGridLots(texts), texts};
    const Explanation e = ExplainNoScheme(o.lots, texts);
    const std::vector<Condition> all = RunConditions(o.lots, texts);
    QCOMPARE(e.blendExists, o.feasible(all));
    if (!e.blendExists) {
        QVERIFY(!e.conflict.empty());
        QVERIFY(!o.feasible(e.conflict));
        for (const Condition& k : e.conflict)
            QVERIFY(o.feasible(o.without(e.conflict, k)));
    }
    int limits = 0;
    for (const Condition& k : all) {
        if (k.kind != Condition::Kind::Limit) continue;
        QCOMPARE(e.limits[size_t(limits)].index, k.at);
        QCOMPARE(e.limits[size_t(limits)].tightest, o.tightest(all, k));
        ++limits;
    }
    QCOMPARE(int(e.limits.size()), limits);
    QCOMPARE(e.tonnesGiven, !texts.tonnes.isEmpty());
    if (e.tonnesGiven) QCOMPARE(e.maxTonnes, o.maxTonnes(all));
    for (const MustUseAdvice& m : e.mustUse)
        QCOMPARE(m.droppingHelps, o.feasible(o.without(all, mustUse(m.row))));
}

} // namespace

Q_DECLARE_METATYPE(std::vector<Condition>)
Q_DECLARE_METATYPE(std::optional<QString>)

class ExplainTest : public QObject {
    Q_OBJECT
private slots:
    void crafted_data() {
        QTest::addColumn<PanelTexts>("texts");
        QTest::addColumn<std::vector<Condition>>("conflict");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<int>("index"); // a limit whose tightest value is known
        QTest::addColumn<std::optional<QString>>("tightest");
        QTest::addColumn<std::optional<QString>>("tonnes"); // the largest tonnage, when asked

        QTest::newRow("sulphur below every lot")
            << PanelTexts(Panel()
                              .lot(0, "A", "1000")
                              .set(0, CellSulphur, "2.3")
                              .lot(1, "B", "1200")
                              .set(1, CellSulphur, "2.1")
                              .lot(2, "C", "900")
                              .set(2, CellSulphur, "3")
                              .target(CellSulphur, "1.5"))
            << std::vector<Condition>{limit(CellSulphur)} << QStringLiteral("硫分<=1.5 无法满足")
            << int(CellSulphur - CellSi) << std::optional<QString>(QStringLiteral("2.1")) << std::optional<QString>();

        // Ash at most 12 keeps B at 20 %, so fixed carbon reaches 86 at best; the sulphur limit is no part of it.
        QTest::newRow("ash against fixed carbon")
            << PanelTexts(Panel()
                              .lot(0, "A", "1000")
                              .set(0, CellAsh, "10")
                              .set(0, CellFixedCarbon, "85")
                              .set(0, CellSulphur, "1")
                              .lot(1, "B", "1500")
                              .set(1, CellAsh, "20")
                              .set(1, CellFixedCarbon, "90")
                              .set(1, CellSulphur, "1")
                              .target(CellSulphur, "2")
                              .target(CellAsh, "12")
                              .target(CellFixedCarbon, "88"))
            << std::vector<Condition>{limit(CellAsh), limit(CellFixedCarbon)}
            << QStringLiteral("灰分<=12 与 固定碳>=88 不能同时满足") << int(CellFixedCarbon - CellSi)
            << std::optional<QString>(QStringLiteral("86")) << std::optional<QString>();

        QTest::newRow("must-use lot breaks sulphur")
            << PanelTexts(Panel()
                              .lot(0, "A", "1000")
                              .set(0, CellSulphur, "1")
                              .lot(1, "B", "800")
                              .set(1, CellSulphur, "3")
                              .mustUse(1)
                              .target(CellSulphur, "1"))
            << std::vector<Condition>{limit(CellSulphur), mustUse(1)} << QStringLiteral("硫分<=1 与 B必选 不能同时满足")
            << int(CellSulphur - CellSi) << std::optional<QString>(QStringLiteral("1.02")) << std::optional<QString>();

        // C breaks the limit, so A and B must give all 150 tonnes and hold only 100. Without the limit C must
        // give at least 34 %: sulphur (26 + 40 + 34 x 5) / 100 = 2.36.
        QTest::newRow("stock too small") << PanelTexts(Panel()
                                                           .lot(0, "A", "1000", "40")
                                                           .set(0, CellSulphur, "1")
                                                           .lot(1, "B", "1100", "60")
                                                           .set(1, CellSulphur, "1")
                                                           .lot(2, "C", "500", "500")
                                                           .set(2, CellSulphur, "5")
                                                           .target(CellSulphur, "1")
                                                           .tonnes("150"))
                                         << std::vector<Condition>{limit(CellSulphur), stock(0), stock(1)}
                                         << QStringLiteral(
                                                "硫分<=1 与 A的库存40吨(配150吨) 与 B的库存60吨(配150吨) 不能同时满足")
                                         << int(CellSulphur - CellSi) << std::optional<QString>(QStringLiteral("2.36"))
                                         << std::optional<QString>(QStringLiteral("100"));

        // Only the dialog's limits stand in the way: the panel must not be told that a blend exists.
        QTest::newRow("share bound") << PanelTexts(Panel()
                                                       .lot(0, "A", "1000")
                                                       .set(0, CellSulphur, "1")
                                                       .lot(1, "B 2", "800")
                                                       .set(1, CellSulphur, "3")
                                                       .target(CellSulphur, "2")
                                                       .share("B 2", "60", ""))
                                     << std::vector<Condition>{limit(CellSulphur), shareMin(1)}
                                     << QStringLiteral("硫分<=2 与 B 2>=60% 不能同时满足") << int(CellSulphur - CellSi)
                                     << std::optional<QString>(QStringLiteral("2.2")) << std::optional<QString>();
        // B may give 40 % to 50 %, but one lot alone meets only one of the limits.
        QTest::newRow("cap on lots") << PanelTexts(Panel()
                                                       .lot(0, "A", "1000")
                                                       .set(0, CellSulphur, "1")
                                                       .set(0, CellFixedCarbon, "80")
                                                       .lot(1, "B", "800")
                                                       .set(1, CellSulphur, "3")
                                                       .set(1, CellFixedCarbon, "95")
                                                       .target(CellSulphur, "2")
                                                       .target(CellFixedCarbon, "86")
                                                       .other(CellSulphur, "0.5")
                                                       .maxLots("1"))
                                     << std::vector<Condition>{limit(CellSulphur),
                                                               limit(CellFixedCarbon),
                                                               {Condition::Kind::MaxLots, 0}}
                                     << QStringLiteral("硫分<=2 与 固定碳>=86 与 最多1种 不能同时满足")
                                     << int(CellFixedCarbon - CellSi) << std::optional<QString>(QStringLiteral("80"))
                                     << std::optional<QString>();
    }

    void crafted() {
        QFETCH(PanelTexts, texts);
        QFETCH(std::vector<Condition>, conflict);
        const QList<Mei> lots = ReadGridLots(texts);
        const Explanation e = ExplainNoScheme(lots, texts);
        QVERIFY(!e.blendExists);
        QCOMPARE(e.conflict, conflict);
        QTEST(ConflictSentence(e, lots, texts), "sentence");
        QFETCH(int, index);
        const auto advice =
            std::find_if(e.limits.begin(), e.limits.end(), [index](const LimitAdvice& a) { return a.index == index; });
        QVERIFY(advice != e.limits.end());
        QTEST(advice->tightest, "tightest");
        QTEST(e.maxTonnes, "tonnes");
        checkAgainstOracle(texts);
    }

    // Random two- and three-lot panels, several limits, sometimes tonnes and a must-use lot.
    void randomAgainstBruteForce() {
        QRandomGenerator rng(17);
        const GridCell cells[] = {CellSulphur, CellAsh, CellFixedCarbon, CellV};
        for (int round = 0; round < 40; ++round) {
            Panel p;
            const int n = 2 + int(rng.bounded(2));
            for (int j = 0; j < n; ++j) {
                p.lot(j, QString(QChar(u'A' + j)), QString::number(500 + rng.bounded(1000)),
                      QString::number(10 + rng.bounded(90)));
                for (GridCell cell : cells)
                    p.set(j, cell, GeneralNumberText(double(rng.bounded(1, 1000)) / 100.0));
            }
            for (GridCell cell : cells)
                if (rng.bounded(2)) p.target(cell, GeneralNumberText(double(rng.bounded(1, 1000)) / 100.0));
            if (p.texts.target(CellSulphur - CellSi).isEmpty()) p.target(CellSulphur, "4.5");
            if (rng.bounded(2)) p.tonnes(QString::number(20 + rng.bounded(150)));
            if (rng.bounded(3) == 0) p.mustUse(int(rng.bounded(n)));
            // Half the rounds with the dialog's limits: whole per cent, so the oracle compares parts directly.
            if (round % 2) {
                if (rng.bounded(2)) p.other(CellSulphur, GeneralNumberText(double(rng.bounded(1, 500)) / 100.0));
                const int j = int(rng.bounded(n));
                const int lo = int(rng.bounded(60));
                p.share(QString(QChar(u'A' + j)), rng.bounded(2) ? QString::number(lo) : QString(),
                        rng.bounded(2) ? QString::number(lo + int(rng.bounded(40))) : QString());
                if (rng.bounded(2)) p.maxLots(QString::number(1 + rng.bounded(n - 1)));
            }
            checkAgainstOracle(p.texts);
            if (QTest::currentTestFailed()) qWarning() << "round" << round;
        }
    }

    // The no-scheme message offers the reasons; copying the suggested sulphur limit makes the next run store a set.
    void reasonsWindow() {
        test::TempProgramFolder folder;
        test::ScriptedInteraction ui;
        ui.answers.enqueue(MsgResult::Extra);
        QWidget* main = hub::mainWindow();
        auto* panel = test::find<BlendingPanel>(main, "BlendingPanel");
        QVERIFY(panel);
        panel->setPanelTexts(test::examplePanel().target(CellSulphur, "1"));
        test::find<QPushButton>(main, "Command1")->click();
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("没有配比方案")});
        QCOMPARE(ui.messages()[0].extraButton, QStringLiteral("查看原因"));

        auto* reasons = test::find<frmYuanyin>(panel, "frmYuanyin");
        QVERIFY(reasons);
        QVERIFY(reasons->isVisible());
        QCOMPARE(test::find<QLabel>(reasons, "lbChongtu")->text().section(u'。', 0, 0),
                 QStringLiteral("硫分<=1 无法满足"));
        QCOMPARE(test::find<QLabel>(reasons, "lbZhongliang")->text(), QStringLiteral("任何吨数都配不出方案"));
        QLineEdit* sulphur = panel->targetBox(CellSulphur - CellSi);
        QCOMPARE(sulphur->text(), QStringLiteral("1")); // nothing changes before the click
        test::find<QPushButton>(reasons, QStringLiteral("cmdCaiyong_%1").arg(CellSulphur - CellSi))->click();
        QCOMPARE(sulphur->text(), QStringLiteral("1.5"));

        test::find<QPushButton>(main, "Command1")->click();
        QCOMPARE(ui.messageTexts().size(), 1);
        QVERIFY(OpenDb());
        QSqlQuery q(Conn());
        QVERIFY(q.exec("SELECT COUNT(*) FROM Lishi_fangan") && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        q.finish();

        reasons->close();
        if (QWidget* history = hub::historyWindow()) history->close();
        delete main;
    }
};

QTEST_MAIN(ExplainTest)
#include "tst_explain.moc"
