#pragma once

#include "solver/ModelReader.h"

#include <optional>
#include <vector>

namespace vestrel::solver {

// An integer program in floating point: minimise objective . x over whole numbers x >= 0 subject to the rows.
// The model solver also hands over the rows and prices exactly as written; an engine that computes exactly
// reads those, any other the doubles.
struct MilpProblem {
    struct Row {
        std::vector<int> columns; // 0-based, each at most once
        std::vector<double> coefficients;
        Relation relation = Relation::LessEqual;
        double rhs = 0.0;
        std::vector<Decimal> exactCoefficients; // empty, or one per column
        Decimal exactRhs;                       // the limit the doubles approximate, before any tightening
    };
    int columnCount = 0;
    std::vector<double> objective;       // one per column
    std::vector<Decimal> exactObjective; // empty, or one per column
    std::vector<Row> rows;

    // True when every row and the objective carry their exact values.
    bool isExact() const;
};

enum class MilpStatus {
    Optimal,
    Infeasible,      // no whole point meets the rows (an unbounded model has no optimum either)
    Failed,          // the engine broke down or ran out of time; nothing is known about the model
    OutOfBudget,     // the search was stopped before the cheapest point was proven
    NumbersTooLarge, // a value the engine's exact arithmetic cannot carry
};

struct MilpResult {
    MilpStatus status = MilpStatus::Failed;
    std::vector<double> values; // one per column when Optimal
};

// The seam to the optimiser: the program uses the exact engine (GLPK for models of another shape), tests may
// put a scripted engine in its place.
class MilpEngine {
public:
    virtual ~MilpEngine() = default;
    // With Optimal, the column values of an optimal point; they may be off whole numbers and rows by the
    // engine's tolerances, so the caller checks them.
    virtual MilpResult solve(const MilpProblem& problem) = 0;
};

class GlpkEngine : public MilpEngine {
public:
    // A time limit keeps a pathological model from blocking the caller.
    explicit GlpkEngine(int timeLimitMs = 10000) : timeLimitMs_(timeLimitMs) {}
    MilpResult solve(const MilpProblem& problem) override;
    // GLPK keeps an environment per thread and never frees it by itself: a thread that has solved calls this
    // before it ends.
    static void releaseThread();

private:
    int timeLimitMs_;
};

// The engine used by the five calls and by solveModelText without an engine argument.
MilpEngine& defaultEngine();
// Replaces it (the caller keeps ownership); nullptr restores the built-in one.
void setDefaultEngine(MilpEngine* engine);
// True while no engine replaces the built-in one.
bool defaultEngineIsBuiltIn();

} // namespace vestrel::solver
