#include "blending/ModelText.h"
#include "blending/Valuation.h"
#include "solver/ModelSolver.h"

#include <QRandomGenerator>
#include <QTest>
#include <functional>

using namespace vestrel;

namespace {

// Limits in these panels: silicon (a trace element), sulphur and ash from above, fixed carbon from below.
constexpr int kSi = 0, kSulphur = CellSulphur - CellSi, kAsh = CellAsh - CellSi, kCarbon = CellFixedCarbon - CellSi;

std::int64_t c(double v) {
    return std::llround(v * 100.0);
}

// Brute force over every whole-part blend of k = 100 in integer cents: the oracle.
struct Oracle {
    QList<Mei> lots;
    PanelTexts texts;

    bool holds(const std::vector<int>& x) const {
        const AdvancedLimits& a = texts.advanced;
        for (int i = 0; i < kIndexCount; ++i) {
            std::int64_t sum = 0;
            for (int j = 0; j < lots.size(); ++j)
                sum += c(lots[j].*CellMember(IndexCell(i))) * x[size_t(j)];
            const auto over = [&](const QString& limit) { return !limit.isEmpty() && sum > c(limit.toDouble()) * 100; };
            const auto under = [&](const QString& limit) {
                return !limit.isEmpty() && sum < c(limit.toDouble()) * 100;
            };
            if (i == kCarbon ? under(texts.target(i)) || over(a.otherSide[size_t(i)])
                             : over(texts.target(i)) || under(a.otherSide[size_t(i)]))
                return false;
        }
        int used = 0;
        for (int j = 0; j < lots.size(); ++j) {
            used += x[size_t(j)] > 0;
            if (const ShareLimit* share = a.shareFor(lots[j].MingCheng)) {
                if (!share->min.isEmpty() && x[size_t(j)] < share->min.toInt()) return false;
                if (!share->max.isEmpty() && x[size_t(j)] > share->max.toInt()) return false;
            }
        }
        return a.maxLots.isEmpty() || used <= a.maxLots.toInt();
    }
    void forEach(const std::function<void(const std::vector<int>&, std::int64_t)>& f) const {
        const int n = int(lots.size());
        std::vector<int> x(size_t(n), 0);
        std::function<void(int, int)> rec = [&](int j, int left) {
            if (j == n - 1) {
                x[size_t(j)] = left;
                if (!holds(x)) return;
                std::int64_t cost = 0;
                for (int i = 0; i < n; ++i)
                    cost += c(lots[i].JiaGe) * x[size_t(i)];
                f(x, cost);
                return;
            }
            for (int v = 0; v <= left; ++v) {
                x[size_t(j)] = v;
                rec(j + 1, left - v);
            }
        };
        rec(0, 100);
    }
    std::optional<std::int64_t> cheapest() const {
        std::optional<std::int64_t> best;
        forEach([&](const std::vector<int>&, std::int64_t cost) {
            if (!best || cost < *best) best = cost;
        });
        return best;
    }
};

Mei lot(QRandomGenerator& rng, int j) {
    Mei m;
    m.MingCheng = QStringLiteral("焦%1").arg(j);
    m.Liu = rng.bounded(100, 400) / 100.0;
    m.HuiFen = rng.bounded(20, 80) / 100.0;
    m.GuDingTan = rng.bounded(8200, 9000) / 100.0;
    m.NeiShui = rng.bounded(2, 7) / 100.0;
    m.JiaGe = rng.bounded(150000, 200000) / 100.0;
    return m;
}

PanelTexts limits(const QString& s, const QString& a, const QString& fc, bool advanced = false) {
    PanelTexts t;
    t.target(kSulphur) = s;
    t.target(kAsh) = a;
    t.target(kCarbon) = fc;
    t.target(kSi) = QStringLiteral("0.05");
    if (advanced) {
        // Whole per cent, so the oracle can compare parts of 100 directly.
        t.advanced.otherSide[size_t(kSulphur)] = QStringLiteral("1.6");
        t.advanced.otherSide[size_t(kCarbon)] = QStringLiteral("88.5");
        t.advanced.shares = {{QStringLiteral("焦0"), QStringLiteral("15"), QStringLiteral("70")},
                             {QStringLiteral("焦2"), {}, QStringLiteral("60")}};
        t.advanced.maxLots = QStringLiteral("2");
    }
    return t;
}

} // namespace

class TestValuation : public QObject {
    Q_OBJECT
private slots:
    void breakEvenMatchesBruteForce_data() {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("others");
        QTest::addColumn<bool>("advanced");
        for (int seed = 1; seed <= 16; ++seed)
            QTest::addRow("seed %d", seed) << seed << 1 + seed % 2 << false;
        for (int seed = 1; seed <= 12; ++seed)
            QTest::addRow("advanced, seed %d", seed) << seed << 2 << true;
    }
    void breakEvenMatchesBruteForce() {
        QFETCH(int, seed);
        QFETCH(int, others);
        QFETCH(bool, advanced);
        QRandomGenerator rng{quint32(seed)};
        Oracle o{{}, limits(QStringLiteral("2.5"), QStringLiteral("0.5"), QStringLiteral("86"), advanced)};
        for (int j = 0; j <= others; ++j)
            o.lots << lot(rng, j);
        const Mei offer = o.lots.takeLast();
        const BreakEven b = BreakEvenPrice(o.lots, o.texts, offer);

        Oracle full = o;
        full.lots << offer;
        std::optional<std::int64_t> g;
        full.forEach([&](const std::vector<int>& x, std::int64_t cost) {
            if (x.back() == 0 && (!g || cost < *g)) g = cost;
        });
        std::optional<std::int64_t> best; // the highest price at which some blend with it costs no more than g
        bool any = false;
        full.forEach([&](const std::vector<int>& x, std::int64_t cost) {
            const int m = x.back();
            if (m == 0) return;
            any = true;
            if (!g) return;
            const std::int64_t others = cost - c(offer.JiaGe) * m;
            const std::int64_t d = g.value() - others;
            const std::int64_t p = d >= 0 ? d / m : -((-d + m - 1) / m);
            if (!best || p > *best) best = p;
        });
        if (!g) {
            QCOMPARE(b.needed, any);
            return;
        }
        const bool enters = best && *best >= 0;
        QCOMPARE(b.enters, enters);
        if (enters) QCOMPARE(b.priceCents, *best);
    }

    void dominatingLotAndHopelessLot() {
        const PanelTexts t = limits(QStringLiteral("2.5"), QStringLiteral("0.5"), QStringLiteral("86"));
        QList<Mei> lots;
        QRandomGenerator rng(7);
        for (int j = 0; j < 2; ++j)
            lots << lot(rng, j);
        lots[0].Liu = 3.5; // the others need each other to meet the limits
        lots[1].Liu = 1.0;
        lots[0].HuiFen = lots[1].HuiFen = 0.4;
        lots[0].GuDingTan = lots[1].GuDingTan = 87;
        lots[0].NeiShui = lots[1].NeiShui = 0.03;
        Mei best;
        best.MingCheng = QStringLiteral("优");
        best.Liu = 0.5;
        best.HuiFen = 0.1;
        best.GuDingTan = 90;
        best.NeiShui = 0.02;
        best.JiaGe = 1400;
        const BreakEven b = BreakEvenPrice(lots, t, best);
        QVERIFY(b.enters);
        QVERIFY(b.priceCents > 140000);
        QVERIFY(b.parts >= 1);
        QVERIFY(b.savingPerTonne > 0);

        Mei bad = best;
        bad.Liu = 40;
        bad.HuiFen = 30;
        bad.GuDingTan = 10;
        bad.NeiShui = 9;
        bad.JiaGe = 1;
        const BreakEven none = BreakEvenPrice(lots, t, bad);
        QVERIFY(!none.enters);
        QCOMPARE(BreakEvenText(none, bad.JiaGe), QStringLiteral("不会被配入"));
    }

    void limitPricesMatchBruteForce_data() {
        QTest::addColumn<int>("seed");
        QTest::addColumn<bool>("advanced");
        for (int seed = 1; seed <= 10; ++seed)
            QTest::addRow("seed %d", seed) << seed << false;
        for (int seed = 1; seed <= 6; ++seed)
            QTest::addRow("advanced, seed %d", seed) << seed << true;
    }
    void limitPricesMatchBruteForce() {
        QFETCH(int, seed);
        QFETCH(bool, advanced);
        QRandomGenerator rng(quint32(seed + 100));
        Oracle o{{}, limits(QStringLiteral("2.2"), QStringLiteral("0.45"), QStringLiteral("86.5"), advanced)};
        for (int j = 0; j < 3; ++j)
            o.lots << lot(rng, j);
        const std::vector<LimitPrice> prices = LimitPrices(o.lots, o.texts);
        QCOMPARE(prices.size(), size_t(4));
        const std::optional<std::int64_t> base = o.cheapest();
        for (const LimitPrice& p : prices) {
            const std::int64_t step = (p.index == kSi ? 1 : 10) * (p.lower ? -1 : 1);
            const auto moved = [&](std::int64_t by) {
                Oracle m = o;
                m.texts.target(p.index) =
                    QString::number(double(c(o.texts.target(p.index).toDouble()) + by) / 100, 'f', 2);
                return m.cheapest();
            };
            const auto expect = [&](std::optional<std::int64_t> other, bool loosen) -> QString {
                if (!base || !other || *other == *base) return QStringLiteral("—");
                return QString::number(double(loosen ? *base - *other : *other - *base) / 10000.0, 'f', 2);
            };
            QCOMPARE(LimitPriceText(p.loosen), expect(moved(step), true));
            QCOMPARE(LimitPriceText(p.tighten), expect(moved(-step), false));
        }
    }

    // The rows valuation solves are the run's model at k = 100: the solver's answer to the model text is the
    // same cheapest cost, with the "高级指标" limits and with the difference row.
    void runRowsMatchModelText_data() {
        QTest::addColumn<int>("seed");
        QTest::addColumn<bool>("singleLotSeen");
        for (int seed = 1; seed <= 8; ++seed)
            QTest::addRow("seed %d", seed) << seed << (seed % 2 == 0);
    }
    void runRowsMatchModelText() {
        QFETCH(int, seed);
        QFETCH(bool, singleLotSeen);
        QRandomGenerator rng(quint32(seed + 200));
        PanelTexts t = limits(QStringLiteral("2.6"), QStringLiteral("0.6"), QStringLiteral("85"), true);
        t.advanced.maxLots = QString::number(2 + seed % 3);
        QList<Mei> lots;
        for (int j = 0; j < 5; ++j)
            lots << lot(rng, j);
        const std::optional<std::vector<double>> solved =
            solver::solveModelText(BuildModelText(lots, 100, t, singleLotSeen).toUtf8());
        const std::optional<std::int64_t> cost = CheapestCost(lots, t, singleLotSeen);
        QCOMPARE(cost.has_value(), solved.has_value());
        if (cost) QCOMPARE(*cost, c(solved->back()));
    }
};

QTEST_GUILESS_MAIN(TestValuation)
#include "tst_valuation.moc"
