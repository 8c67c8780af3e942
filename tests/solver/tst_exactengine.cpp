#include "solver/ExactEngine.h"
#include "solver/ModelSolver.h"
#include "solver/PanelModels.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using namespace vestrel::solver;
using namespace vestrel::test;

namespace {

enum class Kind { Ordinary, OnALine, TraceValues, TieHeavy };

// Typical index values in cents (moisture, sulphur, ash, volatile matter, fixed carbon) and a trace element.
constexpr qint64 kTypical[] = {800, 250, 40, 1000, 8500, 3};

void addExtras(Panel& p, QRandomGenerator& rng) {
    p.tonnes = rng.bounded(2) ? 50 * (1 + rng.bounded(40)) : 0;
    for (Lot& lot : p.lots) {
        lot.stock = 10 * rng.bounded(120);
        lot.mustUse = rng.bounded(6) == 0;
    }
    p.differenceLine = rng.bounded(4) == 0;
}

// Lots whose price and every index fall together (a refinery's grades, a price formula on quality), limits
// at the typical values: countless blends within a yuan of each other.
Panel onALine(QRandomGenerator& rng) {
    Panel p;
    const int n = 3 + int(rng.bounded(4));
    const int limits = 2 + int(rng.bounded(4));
    for (int j = 0; j < n; ++j) {
        const double quality = double(j) / (n - 1);
        Lot lot;
        lot.price = 100 * (1400 + 60 * j + rng.bounded(25)) + (rng.bounded(3) == 0 ? rng.bounded(100) : 0);
        for (int i = 0; i < limits; ++i) {
            const double spread = 0.35 - 0.7 * quality + 0.05 * (int(rng.bounded(3)) - 1);
            const bool lower = i == 4;
            lot.index.push_back(qMax<qint64>(1, qRound64(kTypical[i] * (1 + (lower ? -spread * 0.1 : spread)))));
        }
        p.lots.push_back(lot);
    }
    for (int i = 0; i < limits; ++i) {
        p.limits.push_back(i == 4 ? kTypical[i] * 995 / 1000 : kTypical[i]);
        p.lower.push_back(i == 4);
    }
    return p;
}

// Trace elements only: values of 0.01 to 0.04, whose rows branching on single parts decides slowly.
Panel traceValues(QRandomGenerator& rng) {
    Panel p;
    const int n = 3 + int(rng.bounded(4));
    const int limits = 2 + int(rng.bounded(3));
    for (int j = 0; j < n; ++j) {
        Lot lot;
        lot.price = 120000 + rng.bounded(60000);
        for (int i = 0; i < limits; ++i)
            lot.index.push_back(1 + rng.bounded(4));
        p.lots.push_back(lot);
    }
    for (int i = 0; i < limits; ++i) {
        p.limits.push_back(2 + rng.bounded(2));
        p.lower.push_back(false);
    }
    return p;
}

// Equal prices, or prices in exact steps, so that many blends share the least price.
Panel tieHeavy(QRandomGenerator& rng) {
    Panel p;
    const int n = 3 + int(rng.bounded(3));
    const int limits = 1 + int(rng.bounded(2));
    const qint64 base = 150000, step = rng.bounded(2) ? 0 : 500 * (1 + rng.bounded(4));
    for (int j = 0; j < n; ++j) {
        Lot lot;
        lot.price = base + step * j;
        for (int i = 0; i < limits; ++i)
            lot.index.push_back(10 + rng.bounded(500));
        p.lots.push_back(lot);
    }
    for (int i = 0; i < limits; ++i) {
        p.limits.push_back(100 + rng.bounded(400));
        p.lower.push_back(rng.bounded(4) == 0);
    }
    return p;
}

Panel ordinary(QRandomGenerator& rng) {
    Panel p;
    const int n = 2 + int(rng.bounded(4));
    const int limits = 1 + int(rng.bounded(3));
    const qint64 shared = 100000 + rng.bounded(200000);
    for (int j = 0; j < n; ++j) {
        Lot lot;
        const int kind = int(rng.bounded(4));
        lot.price = kind == 0 ? shared : kind == 1 ? shared + rng.bounded(7) - 3 : 100000 + rng.bounded(200000);
        for (int i = 0; i < limits; ++i)
            lot.index.push_back(rng.bounded(8) == 0 ? 0 : 10 + rng.bounded(600));
        p.lots.push_back(lot);
    }
    for (int i = 0; i < limits; ++i) {
        p.limits.push_back(50 + rng.bounded(500));
        p.lower.push_back(rng.bounded(4) == 0);
    }
    return p;
}

// Splits of k into n parts, for deciding whether enumeration is affordable.
double splits(int n, int k) {
    double c = 1;
    for (int i = 1; i < n; ++i)
        c = c * (k + i) / i;
    return c;
}

std::vector<qint64> partsOf(const Solution& s) {
    return std::vector<qint64>(s.parts.begin(), s.parts.end());
}

struct Counts {
    int models = 0, solved = 0, enumerated = 0, twoStage = 0;
};

} // namespace

class ExactEngineTest : public QObject {
    Q_OBJECT

private slots:
    // Random models of every kind against GLPK, enumeration and the tie rule worked out in stages.
    void agreesWithGlpkAndEnumeration_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("ordinary") << int(Kind::Ordinary);
        QTest::newRow("lots on one line") << int(Kind::OnALine);
        QTest::newRow("near-equal trace values") << int(Kind::TraceValues);
        QTest::newRow("tie-heavy") << int(Kind::TieHeavy);
    }
    void agreesWithGlpkAndEnumeration() {
        QFETCH(int, kind);
        ExactEngine engine; // solves the models one after the other, so it uses earlier optima
        ExactEngine fresh;  // forgets them before each model
        ExactEngine scaled; // the same models with prices too large for one weighted price
        GlpkEngine glpk;
        Counts counts;
        for (quint32 seed = 1; seed <= 600; ++seed) {
            QRandomGenerator rng(seed * 4 + quint32(kind));
            Panel p = kind == int(Kind::Ordinary)      ? ordinary(rng)
                      : kind == int(Kind::OnALine)     ? onALine(rng)
                      : kind == int(Kind::TraceValues) ? traceValues(rng)
                                                       : tieHeavy(rng);
            if (rng.bounded(3) == 0) addExtras(p, rng);
            const int n = int(p.lots.size());
            const bool small = rng.bounded(2) == 0;
            const int k = small ? 2 + int(rng.bounded(28)) : 2 + int(rng.bounded(99));
            const QByteArray text = modelText(p, k);
            const QByteArray where = "seed " + QByteArray::number(seed) + ", k " + QByteArray::number(k) + ":\n" + text;
            const auto model = parseModel(text);
            QVERIFY2(model, where.constData());
            ++counts.models;

            const SolveResult exact = solveModelChecked(*model, engine);
            const SolveResult reference = solveModelChecked(*model, glpk);
            QVERIFY2(exact.status == SolveStatus::Solved || exact.status == SolveStatus::NoSolution, where.constData());
            QVERIFY2(reference.status == SolveStatus::Solved || reference.status == SolveStatus::NoSolution,
                     where.constData());
            QVERIFY2(exact.status == reference.status, where.constData());
            if (exact.status == SolveStatus::Solved) {
                ++counts.solved;
                QVERIFY2(exact.solution->objective == reference.solution->objective, where.constData());
                QVERIFY2(meetsEveryRow(p, k, partsOf(*exact.solution)), where.constData());
            }

            // The same parts whatever the engine solved before.
            fresh.forgetEarlierOptima();
            const SolveResult alone = solveModelChecked(*model, fresh);
            QVERIFY2(alone.status == exact.status, where.constData());
            if (alone.solution) QVERIFY2(alone.solution->parts == exact.solution->parts, where.constData());

            if (splits(n, k) <= 40000) {
                ++counts.enumerated;
                const std::vector<qint64> preferred = preferredBlend(p, k);
                QVERIFY2(preferred.empty() == !exact.solution, where.constData());
                if (exact.solution) QVERIFY2(partsOf(*exact.solution) == preferred, where.constData());
            }

            // Prices 10^8 times as high order blends alike but are searched in two stages.
            if (seed % 4 == 0 && exact.solution) {
                Panel dear = p;
                for (Lot& lot : dear.lots)
                    lot.price *= 100000000;
                const auto dearModel = parseModel(modelText(dear, k));
                QVERIFY2(dearModel, where.constData());
                const SolveResult twoStage = solveModelChecked(*dearModel, scaled);
                QVERIFY2(twoStage.solution && twoStage.solution->parts == exact.solution->parts, where.constData());
                ++counts.twoStage;
            }
        }
        qInfo("%d models, %d solved, %d enumerated, %d in two stages", counts.models, counts.solved, counts.enumerated,
              counts.twoStage);
        QVERIFY(counts.solved > 200);
        QVERIFY(counts.enumerated > 150);
    }

    // A model beyond the budget is given up, never answered with a blend that is not proven cheapest.
    void givesUpWhenTheBudgetIsSpent() {
        QFile file(QStringLiteral(VESTREL_SOURCE_DIR "/tests/solver/fuzz-corpus/line-ten-lots-k95.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto model = parseModel(file.readAll());
        QVERIFY(model);
        ExactEngine tight(50);
        const SolveResult result = solveModelChecked(*model, tight);
        QCOMPARE(int(result.status), int(SolveStatus::OutOfBudget));
        QVERIFY(!result.solution);
        ExactEngine enough;
        QCOMPARE(int(solveModelChecked(*model, enough).status), int(SolveStatus::Solved));
    }

    void refusesNumbersItCannotCarry_data() {
        QTest::addColumn<QByteArray>("objective");
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("index value of 10^14")
            << QByteArray("1500.00*X1+1800.00*X2") << QByteArray("100000000000000.00*X1+1.50*X2<25;");
        QTest::newRow("price of 10^15") << QByteArray("999999999999999.00*X1+1800.00*X2")
                                        << QByteArray("3.20*X1+1.50*X2<25;");
        QTest::newRow("price with 16 digits")
            << QByteArray("1000000000000000.00*X1+1800.00*X2") << QByteArray("3.20*X1+1.50*X2<25;");
        QTest::newRow("limit with 16 digits")
            << QByteArray("1500.00*X1+1800.00*X2") << QByteArray("3.20*X1+1.50*X2<2500000000000000;");
    }
    void refusesNumbersItCannotCarry() {
        QFETCH(QByteArray, objective);
        QFETCH(QByteArray, row);
        const QByteArray text = "model:\n[rObj] min=" + objective + ";\n" + row +
                                "\nX1+X2=10;\ndata:\n@pointer(1)=X1;\n@pointer(2)=X2;\nenddata\nend";
        ExactEngine engine;
        SolveStatus status = SolveStatus::Solved;
        QVERIFY(!solveModelText(text, engine, nullptr, &status));
        QCOMPARE(int(status), int(SolveStatus::NumbersTooLarge));
    }

    // Limits far beyond what any blend reaches decide nothing and are no reason to refuse the model.
    void decidesHugeLimitsExactly_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<bool>("solved");
        QTest::newRow("upper limit never reached") << QByteArray("3.20*X1+1.50*X2<99999999999999.99*100;") << true;
        QTest::newRow("lower limit never reached") << QByteArray("3.20*X1+1.50*X2>99999999999999.99*100;") << false;
    }
    void decidesHugeLimitsExactly() {
        QFETCH(QByteArray, row);
        QFETCH(bool, solved);
        const QByteArray text = "model:\n[rObj] min=1500.00*X1+1800.00*X2;\n" + row +
                                "\nX1+X2=10;\ndata:\n@pointer(1)=X1;\n@pointer(2)=X2;\nenddata\nend";
        ExactEngine engine;
        SolveStatus status = SolveStatus::Failed;
        const auto values = solveModelText(text, engine, nullptr, &status);
        QCOMPARE(int(status), int(solved ? SolveStatus::Solved : SolveStatus::NoSolution));
        if (solved) QCOMPARE(*values, (std::vector<double>{10, 0}));
    }
};

QTEST_GUILESS_MAIN(ExactEngineTest)
#include "tst_exactengine.moc"
