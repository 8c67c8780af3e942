#pragma once
// The optimisation run: one least-cost model per total of parts k = 2..100, solved through the solver's five
// calls, and the distinct blends stored as one scheme set of the history.

#include "blending/PanelTexts.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <span>
#include <vector>

namespace vestrel {

// The command script that loads and solves a model file. A leading drive ("C:") is left out of the take
// line; any other path goes in whole.
QByteArray SolverScript(const QString& modelPath);

// Solves the model file of n lots: the parts X1..Xn and the objective after them, or nothing when the model
// has no solution, was refused, or its objective is exactly 0. solverAvailable, when given, is set to false
// when no solver environment could be made (a fault of the installation, not of the model).
std::optional<std::vector<double>> SolveModel(const QString& modelPath, int n, bool* solverAvailable = nullptr);

// One lot received all k parts.
bool IsSingleLotSolution(std::span<const double> solution, int k);

struct RunOutcome {
    enum class Kind {
        Stored,   // a scheme set was stored under setId
        NoScheme, // no k had a solution; nothing was stored
        Failed,   // nothing was stored; message says why
    };
    Kind kind = Kind::Failed;
    qint64 setId = 0;
    QString message; // the text to show for NoScheme and Failed
};

// Steps after the checks: state.texts are the compacted, checked panel texts and state.PanelLots the lots
// read from them. Every row of the run is written in one transaction, so a run either stores a whole set or
// nothing. The model file is deleted and SingleLotSeen is false afterwards, however the run ends.
RunOutcome RunOptimisation(PanelState& state);

} // namespace vestrel
