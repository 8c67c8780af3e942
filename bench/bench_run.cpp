// Times the optimisation run on fixed panels: 2, 5 and 10 lots x 1, 6 and 12 limits x with and without tonnes
// and must-use lots. "solves" is the 99 models k = 2..100 built once and solved in memory; "run" is the whole
// RunOptimisation with its model files and database writes. Prints medians of several repeats.

#include "app/Seams.h"
#include "blending/ModelText.h"
#include "blending/Run.h"
#include "data/Dbconnection.h"
#include "solver/ModelSolver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vestrel;

namespace {

constexpr int kRepeats = 7;
// A panel whose repeats have taken this long stops repeating, so one slow panel does not hold up the table.
constexpr qint64 kPanelBudgetMs = 20000;

// Typical values of the twelve indices in cell order (Si, moisture, Fe, S, ash, volatile, V, Ni, fixed carbon,
// Al, Ca, Na); the targets sit near them so that the limits bind.
constexpr double kTypical[kIndexCount] = {0.03, 8, 0.02, 2.5, 0.4, 10, 0.03, 0.02, 85, 0.02, 0.03, 0.01};

PanelTexts panel(int lots, int limits, bool extras) {
    PanelTexts t;
    for (int j = 0; j < lots; ++j) {
        // Cheaper lots are worse: their values run above the typical ones, dearer lots below.
        const double quality = lots == 1 ? 0.5 : double(j) / (lots - 1); // 0 cheapest, 1 dearest
        t.cell(j, CellName) = QStringLiteral("焦%1").arg(j + 1);
        t.cell(j, CellPrice) = QString::number(1400 + 60 * j + (j * 37) % 23, 'f', 2);
        t.cell(j, CellStock) = QString::number(60 + (j * 29) % 50);
        for (int x = 0; x < kIndexCount; ++x) {
            const bool lower = x == CellFixedCarbon - 1;
            const double spread = 0.35 - 0.7 * quality + 0.05 * (((j + x) % 3) - 1);
            const double v = kTypical[x] * (1 + (lower ? -spread * 0.1 : spread));
            t.cell(j, IndexCell(x)) = QString::number(v, 'f', 2);
        }
    }
    for (int x = 0; x < limits; ++x)
        t.target(x) = QString::number(kTypical[x] * (x == CellFixedCarbon - 1 ? 0.995 : 1.0), 'g', 6);
    if (extras) {
        t.tonnes = QStringLiteral("100");
        t.mustUse[0] = true;
        t.mustUse[size_t(lots - 1)] = true;
    }
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    setProgramFolder(dir.path());
    SetDbPath(dir.filePath(QStringLiteral("coal.dat")));

    std::printf("%-24s %12s %12s %7s %8s %8s\n", "panel", "solves ms", "run ms", "ratio", "schemes", "repeats");
    for (const int lots : {2, 5, 10}) {
        for (const int limits : {1, 6, 12}) {
            for (const bool extras : {false, true}) {
                PanelState state;
                state.texts = panel(lots, limits, extras);
                state.PanelLots = ReadGridLots(state.texts);

                std::vector<QByteArray> models;
                for (int k = 2; k <= 100; ++k)
                    models.push_back(BuildModelText(state.PanelLots, k, state.texts, false).toUtf8());
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
                        return 1;
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
                const QString name =
                    QStringLiteral("%1 lots, %2 limits%3").arg(lots).arg(limits).arg(extras ? ", t+m" : "");
                std::printf("%-24s %12.2f %12.2f %7.2f %8d %8d\n", qPrintable(name), s, w, w / s, schemes,
                            int(runs.size()));
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
