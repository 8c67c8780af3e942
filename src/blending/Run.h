#pragma once
// The optimisation run: one least-cost model per total of parts k = 2..100, solved through the solver's five
// calls, and the distinct blends stored as one scheme set of the history.

#include "blending/PanelTexts.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace vestrel {

// The command script that loads and solves a model file. A leading drive ("C:") is left out of the take
// line; any other path goes in whole.
QByteArray SolverScript(const QString& modelPath);

// How the solve of one model ended.
enum class SolveOutcome {
    Solved,
    NoSolution,        // no blend meets the model's rows, or the cheapest one costs exactly 0
    Skipped,           // the search was stopped before the cheapest blend was proven
    NumbersTooLarge,   // the model holds a value beyond the solver's exact arithmetic
    Failed,            // the solver broke down, or could not read or refused the model file
    SolverUnavailable, // no solver environment could be made (a fault of the installation)
};

// Solves the model file of n lots: the parts X1..Xn and the objective after them, or nothing; outcome, when
// given, says why.
std::optional<std::vector<double>> SolveModel(const QString& modelPath, int n, SolveOutcome* outcome = nullptr);

// One lot received all k parts.
bool IsSingleLotSolution(std::span<const double> solution, int k);

struct RunOutcome {
    enum class Kind {
        Stored,    // a scheme set was stored under setId
        NoScheme,  // no k had a solution; nothing was stored
        Failed,    // nothing was stored; message says why
        Cancelled, // the progress callback stopped the run; nothing was stored, nothing to say
    };
    Kind kind = Kind::Failed;
    qint64 setId = 0;
    // The text to show for NoScheme and Failed; with Stored, a note to show after the history (the k whose
    // cheapest blend could not be proven), or empty.
    QString message;
};

// Told how many of the run's 99 models are done: 0 before the first, 99 after the last, before anything is
// stored. Returning false cancels the run.
using RunProgress = std::function<bool(int done)>;
constexpr int kRunModels = 99; // k = 2..100

// Steps after the checks: state.texts are the compacted, checked panel texts and state.PanelLots the lots
// read from them. Every row of the run is written in one transaction, so a run either stores a whole set or
// nothing. The model file is deleted and SingleLotSeen is false afterwards, however the run ends.
RunOutcome RunOptimisation(PanelState& state, const RunProgress& progress = {});

} // namespace vestrel
