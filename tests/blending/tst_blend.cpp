// A stored blend: exact to the cent with halves away from zero, the zero rule only for indices no limit holds,
// and every value the checks let through carried by the model at every k.
#include "base/CommonFunction.h"
#include "blending/BlendOfSolution.h"
#include "blending/ModelText.h"
#include "blending/PanelBuilder.h"
#include "blending/Run.h"
#include "data/Dbconnection.h"
#include "solver/ModelSolver.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <limits>

using namespace vestrel;
using vestrel::test::Panel;

namespace {

// The parts of the example, k = 6, followed by an objective the blend ignores.
const std::vector<double> kParts{0, 2, 3, 0, 1, 999};

QString centsText(std::int64_t cents) {
    const std::int64_t m = std::llabs(cents);
    return QStringLiteral("%1%2.%3").arg(cents < 0 ? "-" : "").arg(m / 100).arg(m % 100, 2, 10, QChar(u'0'));
}

// True when c is N / D rounded to a whole number with halves away from zero, judged without dividing.
bool isNearestAwayFromZero(std::int64_t c, std::int64_t n, std::int64_t d) {
    const std::int64_t twiceGap = 2 * std::llabs(n - c * d);
    if (twiceGap != std::llabs(d)) return twiceGap < std::llabs(d);
    return std::llabs(c * d) > std::llabs(n);
}

// The cents a blend value stands for, or a failure when it is not a two-decimal value.
std::int64_t centsOf(double value) {
    const std::int64_t c = std::llround(value * 100);
    return centsText(c).toDouble() == value ? c : std::numeric_limits<std::int64_t>::min();
}

} // namespace

class BlendTest : public QObject {
    Q_OBJECT
private slots:
    void fiveLots_data() {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QStringList>("values"); // lots A..E; parts 0, 2, 3, 0, 1
        QTest::addColumn<bool>("limited");
        QTest::addColumn<double>("expected");
        // 0.21 / 6 is 0.035 exactly; in floating point it was 0.034999999999999996 and stored as 0.03.
        QTest::newRow("Na 0.035 goes up")
            << int(CellNa) << QStringList{"0.01", "0.03", "0.04", "0.01", "0.03"} << false << 0.04;
        QTest::newRow("Si 0.035 goes up")
            << int(CellSi) << QStringList{"0.07", "0.01", "0.06", "0.09", "0.01"} << false << 0.04;
        QTest::newRow("sulphur 3.395 goes up")
            << int(CellSulphur) << QStringList{"2.50", "3.00", "3.40", "2.00", "4.17"} << false << 3.40;
        QTest::newRow("limited sulphur rounds the same")
            << int(CellSulphur) << QStringList{"2.50", "3.00", "3.40", "2.00", "4.17"} << true << 3.40;
        QTest::newRow("price 1583.395 goes up")
            << int(CellPrice) << QStringList{"1000", "1500", "1600", "1000", "1700.37"} << false << 1583.40;
        QTest::newRow("negative half away from zero")
            << int(CellCa) << QStringList{"-0.01", "-0.03", "-0.04", "-0.01", "-0.03"} << false << -0.04;
        QTest::newRow("below a half goes down")
            << int(CellNa) << QStringList{"0.01", "0.04", "0.03", "0.01", "0.03"} << false << 0.03;

        // Lot A has no parts, yet its 0 switches an index off unless a limit holds the blend to it.
        QTest::newRow("fixed carbon 0 in a lot without parts, no limit")
            << int(CellFixedCarbon) << QStringList{"0", "6", "6", "7", "6"} << false << 0.0;
        QTest::newRow("fixed carbon 0 in a lot without parts, limited: the 6.00 the model met")
            << int(CellFixedCarbon) << QStringList{"0", "6", "6", "7", "6"} << true << 6.0;
        QTest::newRow("0 in a lot with parts, limited, counts as 0")
            << int(CellCa) << QStringList{"0.02", "0", "0.05", "0.02", "0.02"} << true << 0.03;
        QTest::newRow("0 in a lot with parts, no limit")
            << int(CellCa) << QStringList{"0.02", "0", "0.05", "0.02", "0.02"} << false << 0.0;
        QTest::newRow("empty cell, no limit")
            << int(CellAsh) << QStringList{"0.4", "0.3", "", "0.5", "0.4"} << false << 0.0;
        QTest::newRow("the price has no zero rule")
            << int(CellPrice) << QStringList{"0", "1500", "1500", "1500", "0"} << false << 1250.0;
    }
    void fiveLots() {
        QFETCH(int, cell);
        QFETCH(QStringList, values);
        QFETCH(bool, limited);
        QFETCH(double, expected);
        Panel panel = Panel().named(5);
        for (int i = 0; i < 5; ++i)
            panel.set(i, GridCell(cell), values[i]);
        IndexSet limits;
        if (cell != CellPrice) limits.set(size_t(cell - CellSi), limited);
        const std::optional<Mei> blend = BlendOfSolution(ReadGridLots(panel), kParts, limits);
        QVERIFY(blend);
        QCOMPARE((*blend).*CellMember(GridCell(cell)), expected);
        for (int c = CellSi; c <= CellNa; ++c)
            if (c != cell) QCOMPARE((*blend).*CellMember(GridCell(c)), 0.0);
    }

    // The published case: a blend of fixed carbon 6.00 under "固定碳=>6" was stored as 0 because a lot the
    // model also held to the limit had a typed 0. Sulphur, without a limit, keeps the zero rule.
    void runStoresTheLimitedValueTheModelMet() {
        test::TempProgramFolder folder;
        PanelState state;
        state.texts = Panel()
                          .lot(0, "A", "900")
                          .set(0, CellFixedCarbon, "0")
                          .set(0, CellSulphur, "0")
                          .lot(1, "B", "1000")
                          .set(1, CellFixedCarbon, "6")
                          .set(1, CellSulphur, "2")
                          .lot(2, "C", "1200")
                          .set(2, CellFixedCarbon, "8")
                          .set(2, CellSulphur, "3")
                          .target(CellFixedCarbon, "6");
        state.PanelLots = ReadGridLots(state.texts);
        QCOMPARE(int(RunOptimisation(state).kind), int(RunOutcome::Kind::Stored));
        QVERIFY(OpenDb());
        QSqlQuery q(Conn());
        QVERIFY(q.exec("SELECT d1, d2, d3, GuDingTan, Liu FROM Lishi_Peibibiao ORDER BY id"));
        QVERIFY(q.next()); // k = 2: two parts of B
        QCOMPARE(QList<double>({q.value(0).toDouble(), q.value(1).toDouble(), q.value(2).toDouble()}),
                 QList<double>({0, 2, 0}));
        QCOMPARE(q.value(3).toDouble(), 6.0);
        QCOMPARE(q.value(4).toDouble(), 0.0);
        do {
            QVERIFY2(q.value(3).toDouble() >= 6.0, "every stored blend shows a fixed carbon that meets the limit");
            QCOMPARE(q.value(4).toDouble(), 0.0);
        } while (q.next());
    }

    void limitedIndicesAreTheFilledTargets() {
        const IndexSet limited =
            LimitedIndices(Panel().target(CellSi, "0.05").target(CellFixedCarbon, "85").target(CellNa, " "));
        QCOMPARE(limited, IndexSet().set(CellSi - 1).set(CellFixedCarbon - 1).set(CellNa - 1));
        QCOMPARE(LimitedIndices(Panel()), IndexSet());
    }

    // Random lots and weights, run-like (parts adding up to k) and calculator-like (16-bit ratios, negative
    // ones too): every index and the price is the nearest cent of the exact average, halves away from zero.
    void nearestCentOfTheExactAverage() {
        QRandomGenerator rng(20261209);
        for (int round = 0; round < 3000; ++round) {
            const bool calculator = round % 2 == 1;
            const int n = int(rng.bounded(2, 11));
            // Values up to the checks' limit now and then, otherwise of the size lots have.
            const std::int64_t range = round % 10 == 0 ? std::int64_t(1e11) : 20000;
            std::vector<double> weights(size_t(n), 0.0);
            if (calculator) {
                for (double& w : weights)
                    w = double(rng.bounded(-32768, 32768));
            } else {
                const int k = int(rng.bounded(2, 101));
                for (int p = 0; p < k; ++p)
                    weights[size_t(rng.bounded(n))] += 1;
            }
            std::int64_t d = 0;
            for (double w : weights)
                d += std::int64_t(w);
            if (d == 0) continue;

            QList<Mei> lots(n);
            std::vector<std::vector<std::int64_t>> cents(kIndexCount + 1, std::vector<std::int64_t>(size_t(n)));
            for (int x = 0; x <= kIndexCount; ++x) {
                double Mei::*member = x < kIndexCount ? CellMember(IndexCell(x)) : &Mei::JiaGe;
                for (int i = 0; i < n; ++i) {
                    const std::int64_t c = std::int64_t(rng.bounded(quint64(2 * range + 1))) - range;
                    cents[size_t(x)][size_t(i)] = c;
                    lots[i].*member = centsText(c).toDouble();
                }
            }
            const std::optional<Mei> blend = BlendOfSolution(lots, weights, IndexSet().set());
            QVERIFY(blend);
            for (int x = 0; x <= kIndexCount; ++x) {
                double Mei::*member = x < kIndexCount ? CellMember(IndexCell(x)) : &Mei::JiaGe;
                std::int64_t numerator = 0;
                for (int i = 0; i < n; ++i)
                    numerator += cents[size_t(x)][size_t(i)] * std::int64_t(weights[size_t(i)]);
                const std::int64_t c = centsOf((*blend).*member);
                if (!isNearestAwayFromZero(c, numerator, d))
                    QFAIL(qPrintable(QStringLiteral("round %1 index %2: %3 for %4 / %5")
                                         .arg(round)
                                         .arg(x)
                                         .arg((*blend).*member, 0, 'g', 17)
                                         .arg(numerator)
                                         .arg(d)));
            }
        }
    }

    void valuesBeyondTheExactRangeStayFinite() {
        // Not reachable through the checks; the blend still comes out, by floating point.
        QList<Mei> lots(2);
        lots[0].HuiShou = 1e300;
        lots[1].HuiShou = 1e300;
        lots[0].JiaGe = 1e15;
        lots[1].JiaGe = 3e15;
        const std::vector<double> ratios{1, 1};
        const std::optional<Mei> blend = BlendOfSolution(lots, ratios);
        QVERIFY(blend);
        QCOMPARE(blend->HuiShou, 1e300);
        QCOMPARE(blend->JiaGe, 2e15);
    }

    // The largest values the checks let through, in every cell, target and the tonnes: the model reader and
    // solver carry them for every k, so the limit leaves no k behind.
    void valuesAtTheLimitAreSolvedAtEveryK() {
        const QString top = QStringLiteral("999999999.99");
        Panel panel = Panel().lot(0, "A", top, top).lot(1, "B", "-" + top, top).mustUse(1).tonnes(top);
        for (int x = 0; x < kIndexCount; ++x) {
            const GridCell cell = IndexCell(x);
            const bool lower = cell == CellFixedCarbon;
            panel.set(0, cell, top).set(1, cell, "-" + top).target(cell, lower ? "-" + top : top);
        }
        const PanelTexts texts = panel;
        const QList<Mei> lots = ReadGridLots(texts);
        const ModelTemplate model(lots, texts);
        for (int k = 2; k <= 100; ++k) {
            QString error;
            const auto values = solver::solveModelText(model.text(k, false).toUtf8(), &error);
            QVERIFY2(values, qPrintable(QStringLiteral("k = %1: %2").arg(k).arg(error)));
            // The cheapest blend is all of B: its price comes out to the cent.
            QCOMPARE((*values)[0], 0.0);
            QCOMPARE((*values)[1], double(k));
            const std::optional<Mei> blend = BlendOfSolution(lots, *values, LimitedIndices(texts));
            QVERIFY(blend);
            QCOMPARE(blend->JiaGe, -999999999.99);
        }
    }
};

QTEST_GUILESS_MAIN(BlendTest)
#include "tst_blend.moc"
