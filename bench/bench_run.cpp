// Times the optimisation run on fixed panels: 2, 5 and 10 lots x 1, 6 and 12 limits x with and without tonnes
// and must-use lots. "solves" is the 99 models k = 2..100 built once and solved in memory; "run" is the whole
// RunOptimisation with its model files and database writes. Prints medians of several repeats.
//
// The panels' lots scatter around typical values the way a catalogue's do (seeded, so every run of the
// benchmark sees the same panels). With --stress it also times panels whose lots lie on one line: price and
// every index fall together from lot to lot, so countless blends tie within a yuan and branch-and-bound has to
// visit thousands of nodes per model. They show the worst case rather than the usual one.

#include "base/Seams.h"
#include "blending/ModelText.h"
#include "blending/Run.h"
#include "data/Dbconnection.h"
#include "solver/ModelSolver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace vestrel;

namespace {

constexpr int kRepeats = 9;
// A panel whose repeats have taken this long stops repeating, so one slow panel does not hold up the table.
constexpr qint64 kPanelBudgetMs = 20000;

// Typical values of the twelve indices in cell order (Si, moisture, Fe, S, ash, volatile, V, Ni, fixed carbon,
// Al, Ca, Na); the targets sit near them so that the limits bind.
constexpr double kTypical[kIndexCount] = {0.03, 8, 0.02, 2.5, 0.4, 10, 0.03, 0.02, 85, 0.02, 0.03, 0.01};

// A fixed-seed generator: the same panels on every machine and every run.
struct Lcg {
    std::uint64_t state;
    double next() { // uniform in [0, 1)
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(state >> 11) / double(std::uint64_t(1) << 53);
    }
};

// Names, stocks and the tonnes and must-use lots; the limits are the caller's.
void finishPanel(PanelTexts& t, int lots, bool extras) {
    for (int j = 0; j < lots; ++j) {
        t.cell(j, CellName) = QStringLiteral("焦%1").arg(j + 1);
        t.cell(j, CellStock) = QString::number(60 + (j * 29) % 50);
    }
    if (extras) {
        t.tonnes = QStringLiteral("100");
        t.mustUse[0] = true;
        t.mustUse[size_t(lots - 1)] = true;
    }
}

// Each index within 35 % of its typical value (fixed carbon within 3.5 %), drawn independently; the price
// follows the overall quality loosely, with up to 100 yuan either way of its own.
PanelTexts panel(int lots, int limits, bool extras) {
    PanelTexts t;
    Lcg rng{std::uint64_t(1000 * lots + 10 * limits + (extras ? 1 : 0))};
    for (int j = 0; j < lots; ++j) {
        double worse = 0; // mean relative excess over the typical values
        for (int x = 0; x < kIndexCount; ++x) {
            const bool lower = x == CellFixedCarbon - 1;
            const double u = 0.7 * rng.next() - 0.35;
            worse += u / kIndexCount;
            const double v = kTypical[x] * (1 + (lower ? -u * 0.1 : u));
            t.cell(j, IndexCell(x)) = QString::number(v, 'f', 2);
        }
        t.cell(j, CellPrice) = QString::number(1700 - 400 * worse + 200 * (rng.next() - 0.5), 'f', 2);
    }
    // Limits a buyer could set for these lots: the panel's mean, to two decimals on the side the equal blend
    // meets, so every limit binds and the panel always has schemes.
    for (int x = 0; x < limits; ++x) {
        const bool lower = x == CellFixedCarbon - 1;
        double mean = 0;
        for (int j = 0; j < lots; ++j)
            mean += t.cell(j, IndexCell(x)).toDouble() / lots;
        const double hundredths = lower ? std::floor(mean * 100 + 1e-9) : std::ceil(mean * 100 - 1e-9);
        t.target(x) = QString::number(hundredths / 100, 'f', 2);
    }
    finishPanel(t, lots, extras);
    return t;
}

// Cheaper lots are worse: price and every index move together along the panel.
PanelTexts stressPanel(int lots, int limits, bool extras) {
    PanelTexts t;
    for (int j = 0; j < lots; ++j) {
        const double quality = lots == 1 ? 0.5 : double(j) / (lots - 1); // 0 cheapest, 1 dearest
        t.cell(j, CellPrice) = QString::number(1400 + 60 * j + (j * 37) % 23, 'f', 2);
        for (int x = 0; x < kIndexCount; ++x) {
            const bool lower = x == CellFixedCarbon - 1;
            const double spread = 0.35 - 0.7 * quality + 0.05 * (((j + x) % 3) - 1);
            const double v = kTypical[x] * (1 + (lower ? -spread * 0.1 : spread));
            t.cell(j, IndexCell(x)) = QString::number(v, 'f', 2);
        }
    }
    // The limits sit at the typical values, so most of them bind.
    for (int x = 0; x < limits; ++x)
        t.target(x) = QString::number(kTypical[x] * (x == CellFixedCarbon - 1 ? 0.995 : 1.0), 'g', 6);
    finishPanel(t, lots, extras);
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Times one panel and prints its row; false when the run fails.
bool benchPanel(const QString& name, const PanelTexts& texts) {
    PanelState state;
    state.texts = texts;
    state.PanelLots = ReadGridLots(state.texts);

    // The models the run itself solves: once a single-lot solution has come up, the later ones carry the
    // difference line.
    std::vector<QByteArray> models;
    bool singleLotSeen = false;
    for (int k = 2; k <= 100; ++k) {
        models.push_back(BuildModelText(state.PanelLots, k, state.texts, singleLotSeen).toUtf8());
        const auto values = solver::solveModelText(models.back());
        if (values && IsSingleLotSolution(*values, k)) singleLotSeen = true;
    }
    std::vector<double> solves, runs;
    int schemes = 0;
    QElapsedTimer spent;
    spent.start();
    for (int r = 0; r < kRepeats && spent.elapsed() < kPanelBudgetMs; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray& m : models)
            solver::solveModelText(m);
        solves.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        const RunOutcome outcome = RunOptimisation(state);
        runs.push_back(timer.nsecsElapsed() / 1e6);
        if (outcome.kind == RunOutcome::Kind::Failed) {
            std::printf("run failed: %s\n", qPrintable(outcome.message));
            return false;
        }
        if (OpenDb()) {
            QSqlQuery q(Conn());
            q.prepare(QStringLiteral("SELECT COUNT(*) FROM Lishi_Peibibiao WHERE followid = ?"));
            q.addBindValue(outcome.setId);
            schemes = q.exec() && q.next() ? q.value(0).toInt() : 0;
            q.finish();
            CloseDb();
        }
    }
    const double s = median(solves), w = median(runs);
    std::printf("%-24s %12.2f %12.2f %7.2f %8d %8d\n", qPrintable(name), s, w, w / s, schemes, int(runs.size()));
    std::fflush(stdout);
    return true;
}

QString panelName(int lots, int limits, bool extras) {
    return QStringLiteral("%1 lots, %2 limits%3").arg(lots).arg(limits).arg(extras ? ", t+m" : "");
}

// The hardest panels again with at most three lots per scheme (the "高级指标" cap): 0/1 variables per lot.
struct CappedPanel {
    int lots, limits;
    bool extras;
};
const CappedPanel kCappedPanels[] = {{10, 6, false}, {10, 6, true}, {10, 12, false}, {10, 12, true}};

bool benchLotCap() {
    std::printf("at most 3 lots per scheme:\n");
    for (const CappedPanel& c : kCappedPanels) {
        PanelTexts t = panel(c.lots, c.limits, c.extras);
        t.advanced.maxLots = QStringLiteral("3");
        if (!benchPanel(panelName(c.lots, c.limits, c.extras) + QStringLiteral(", cap 3"), t)) return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool stress = app.arguments().contains(QStringLiteral("--stress"));
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    setProgramFolder(dir.path());
    SetDbPath(dir.filePath(QStringLiteral("coal.dat")));

    std::printf("%-24s %12s %12s %7s %8s %8s\n", "panel", "solves ms", "run ms", "ratio", "schemes", "repeats");
    for (const int lots : {2, 5, 10})
        for (const int limits : {1, 6, 12})
            for (const bool extras : {false, true})
                if (!benchPanel(panelName(lots, limits, extras), panel(lots, limits, extras))) return 1;
    if (!benchLotCap()) return 1;
    if (stress) {
        std::printf("lots on one line:\n");
        for (const int limits : {1, 6, 12})
            for (const bool extras : {false, true})
                if (!benchPanel(panelName(10, limits, extras), stressPanel(10, limits, extras))) return 1;
    }
    return 0;
}
