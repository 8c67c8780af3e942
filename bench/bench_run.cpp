// Times the optimisation run on fixed panels: 2, 5 and 10 lots x 1, 6 and 12 limits x with and without tonnes
// and must-use lots. "solves" is the 99 models k = 2..100 built once and solved in memory by the exact engine;
// "run" is the whole RunOptimisation with its model files and database writes; each with its wall-clock time
// and the processor time spent ("cpu", which a machine busy with other work does not inflate as much);
// "model max" the slowest single model; "nodes" the search nodes of the 99 models; "GLPK run" the whole run
// with GLPK in the exact engine's place. Prints medians of several repeats (every run starting without the
// optima of earlier runs), then per class of panels the median and the worst whole run of both engines side
// by side.
//
// Options: --stress adds the panels below; --no-glpk skips GLPK;
// --repeats N; --only PREFIX times only the panels whose name starts with PREFIX; --solves-only skips the runs.
//
// The panels' lots scatter around typical values the way a catalogue's do (seeded, so every run of the
// benchmark sees the same panels). With --stress it also times panels whose lots lie on one line: price and
// every index fall together from lot to lot, so countless blends tie within a yuan and branch-and-bound has to
// visit thousands of nodes per model. They show the worst case rather than the usual one.

#include "base/Seams.h"
#include "blending/ModelText.h"
#include "blending/Run.h"
#include "data/Dbconnection.h"
#include "solver/ExactEngine.h"
#include "solver/ModelSolver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
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

double worst(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

struct Options {
    bool glpk = true; // also time every run with GLPK in place of the exact engine
    int repeats = kRepeats;
    QString only;     // panels whose name starts with this, when given
    bool runs = true; // time the whole runs, not only the solves
};

// One panel's figures: whole runs with each engine and the solves of the exact engine alone.
struct PanelFigures {
    QString group;
    std::vector<double> runs, runsCpu, glpkRuns; // ms per whole run: wall clock, processor time
};

int storedSchemes(qint64 setId) {
    int schemes = 0;
    if (OpenDb()) {
        QSqlQuery q(Conn());
        q.prepare(QStringLiteral("SELECT COUNT(*) FROM Lishi_Peibibiao WHERE followid = ?"));
        q.addBindValue(setId);
        schemes = q.exec() && q.next() ? q.value(0).toInt() : 0;
        q.finish();
        CloseDb();
    }
    return schemes;
}

// Whole runs of the panel with the engine in place until the repeats or the panel's time are used up.
bool timeRuns(PanelState& state, const Options& options, std::vector<double>& runs, std::vector<double>& cpu,
              int& schemes) {
    QElapsedTimer spent;
    spent.start();
    for (int r = 0; r < options.repeats && spent.elapsed() < kPanelBudgetMs; ++r) {
        solver::builtInEngine().forgetEarlierOptima(); // every run starts cold, as the first run of a panel does
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const RunOutcome outcome = RunOptimisation(state);
        const double ms = timer.nsecsElapsed() / 1e6;
        const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
        if (outcome.kind == RunOutcome::Kind::Failed) {
            std::printf("  run failed: %s\n", qPrintable(outcome.message));
            return false;
        }
        runs.push_back(ms);
        cpu.push_back(cpuMs);
        schemes = outcome.kind == RunOutcome::Kind::Stored ? storedSchemes(outcome.setId) : 0;
        if (!outcome.message.isEmpty()) std::printf("  note: %s\n", qPrintable(outcome.message));
    }
    return true;
}

// Times one panel and prints its row; false when a run fails.
bool benchPanel(const QString& name, const QString& group, const PanelTexts& texts, const Options& options,
                std::vector<PanelFigures>& figures) {
    if (!name.startsWith(options.only)) return true;
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
    // The exact engine on the model texts alone, in the run's order, each model timed.
    std::vector<double> solves, cpu;
    std::vector<std::vector<double>> perModel(models.size());
    long totalNodes = 0;
    QElapsedTimer spent;
    spent.start();
    for (int r = 0; r < options.repeats && spent.elapsed() < kPanelBudgetMs; ++r) {
        solver::builtInEngine().forgetEarlierOptima();
        double total = 0;
        const std::clock_t cpuStart = std::clock();
        for (std::size_t i = 0; i < models.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            solver::solveModelText(models[i]);
            const double ms = timer.nsecsElapsed() / 1e6;
            total += ms;
            perModel[i].push_back(ms);
            if (r == 0) totalNodes += solver::builtInEngine().lastStatistics().nodes;
        }
        solves.push_back(total);
        cpu.push_back(double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
    }
    double worstModel = 0;
    for (const auto& times : perModel)
        worstModel = std::max(worstModel, median(times));

    PanelFigures f;
    f.group = group;
    int schemes = 0;
    if (!options.runs) {
        f.runs = solves;
        f.runsCpu = cpu;
    } else if (!timeRuns(state, options, f.runs, f.runsCpu, schemes)) {
        return false;
    }
    if (options.glpk) {
        // GLPK needs minutes for some models of the panels on one line; a model it gives up on fails its run,
        // which is then left out of its column.
        solver::GlpkEngine glpk(600000);
        solver::setDefaultEngine(&glpk);
        int glpkSchemes = 0;
        std::vector<double> glpkCpu;
        timeRuns(state, options, f.glpkRuns, glpkCpu, glpkSchemes);
        solver::setDefaultEngine(nullptr);
    }
    const double s = median(solves), w = median(f.runs);
    std::printf("%-24s %8.2f %8.2f %8.2f %8.2f %6.2f %9.3f %8ld %10s %8d\n", qPrintable(name), s, median(cpu), w,
                median(f.runsCpu), w / s, worstModel, totalNodes,
                f.glpkRuns.empty() ? "-" : qPrintable(QString::number(median(f.glpkRuns), 'f', 2)), schemes);
    std::fflush(stdout);
    figures.push_back(std::move(f));
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

bool benchLotCap(const Options& options, std::vector<PanelFigures>& figures) {
    std::printf("at most 3 lots per scheme:\n");
    for (const CappedPanel& c : kCappedPanels) {
        PanelTexts t = panel(c.lots, c.limits, c.extras);
        t.advanced.maxLots = QStringLiteral("3");
        if (!benchPanel(panelName(c.lots, c.limits, c.extras) + QStringLiteral(", cap 3"),
                        QStringLiteral("10 lots, cap 3"), t, options, figures))
            return false;
    }
    return true;
}

QString groupOf(int lots, int limits) {
    if (lots <= 5) return QStringLiteral("2-5 lots, 1-12 limits");
    return QStringLiteral("10 lots, %1 limits").arg(limits == 12 ? QStringLiteral("12") : QStringLiteral("1-6"));
}

// Per group of panels: the median of the panels' median runs and the worst single run, for both engines.
void printGroups(const std::vector<PanelFigures>& figures, bool glpk) {
    std::printf("\nwhole run per class, ms  %10s %10s %10s %10s %10s %8s\n", "exact med", "worst", "cpu med",
                "GLPK med", "worst", "GLPK/ex");
    QStringList groups;
    for (const PanelFigures& f : figures)
        if (!groups.contains(f.group)) groups << f.group;
    for (const QString& g : groups) {
        std::vector<double> medians, cpuMedians, glpkMedians;
        double worstRun = 0, worstGlpk = 0;
        for (const PanelFigures& f : figures) {
            if (f.group != g) continue;
            medians.push_back(median(f.runs));
            cpuMedians.push_back(median(f.runsCpu));
            worstRun = std::max(worstRun, worst(f.runs));
            if (!f.glpkRuns.empty()) {
                glpkMedians.push_back(median(f.glpkRuns));
                worstGlpk = std::max(worstGlpk, worst(f.glpkRuns));
            }
        }
        if (glpk && !glpkMedians.empty())
            std::printf("%-24s %10.2f %10.2f %10.2f %10.2f %10.2f %8.1f\n", qPrintable(g), median(medians), worstRun,
                        median(cpuMedians), median(glpkMedians), worstGlpk, median(glpkMedians) / median(medians));
        else
            std::printf("%-24s %10.2f %10.2f %10.2f %10s %10s %8s\n", qPrintable(g), median(medians), worstRun,
                        median(cpuMedians), "-", "-", "-");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool stress = args.contains(QStringLiteral("--stress"));
    Options options;
    options.runs = !args.contains(QStringLiteral("--solves-only"));
    options.glpk = options.runs && !args.contains(QStringLiteral("--no-glpk"));
    const qsizetype repeats = args.indexOf(QStringLiteral("--repeats"));
    if (repeats > 0 && repeats + 1 < args.size()) options.repeats = std::max(1, args[repeats + 1].toInt());
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    if (only > 0 && only + 1 < args.size()) options.only = args[only + 1];
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    setProgramFolder(dir.path());
    SetDbPath(dir.filePath(QStringLiteral("coal.dat")));

    std::printf("%-24s %8s %8s %8s %8s %6s %9s %8s %10s %8s\n", "panel", "solves", "cpu", "run", "cpu", "ratio",
                "model max", "nodes", "GLPK run", "schemes");
    std::vector<PanelFigures> figures;
    for (const int lots : {2, 5, 10})
        for (const int limits : {1, 6, 12})
            for (const bool extras : {false, true})
                if (!benchPanel(panelName(lots, limits, extras), groupOf(lots, limits), panel(lots, limits, extras),
                                options, figures))
                    return 1;
    if (!benchLotCap(options, figures)) return 1;
    if (stress) {
        std::printf("lots on one line:\n");
        for (const int limits : {1, 6, 12})
            for (const bool extras : {false, true})
                if (!benchPanel(panelName(10, limits, extras), QStringLiteral("on one line, %1 limits").arg(limits),
                                stressPanel(10, limits, extras), options, figures))
                    return 1;
    }
    printGroups(figures, options.glpk);
    return 0;
}
