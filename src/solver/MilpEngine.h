#pragma once

#include "solver/ModelReader.h"

#include <optional>
#include <vector>

namespace vestrel::solver {

// An integer program in floating point: minimise objective . x over whole numbers x >= 0 subject to the rows.
struct MilpProblem {
    struct Row {
        std::vector<int> columns; // 0-based, each at most once
        std::vector<double> coefficients;
        Relation relation = Relation::LessEqual;
        double rhs = 0.0;
    };
    int columnCount = 0;
    std::vector<double> objective; // one per column
    std::vector<Row> rows;
};

// The seam to the optimiser: the program uses GLPK, tests may put a scripted engine in its place.
class MilpEngine {
public:
    virtual ~MilpEngine() = default;
    // Column values of an optimal point, or nothing when the engine finds none (infeasible, unbounded,
    // time limit, internal failure). Values may be off whole numbers and rows by the engine's tolerances.
    virtual std::optional<std::vector<double>> solve(const MilpProblem& problem) = 0;
};

class GlpkEngine : public MilpEngine {
public:
    // A time limit keeps a pathological model from blocking the caller; the program's models take
    // well under a millisecond.
    explicit GlpkEngine(int timeLimitMs = 10000) : timeLimitMs_(timeLimitMs) {}
    std::optional<std::vector<double>> solve(const MilpProblem& problem) override;
    // GLPK keeps an environment per thread and never frees it by itself: a thread that has solved calls this
    // before it ends.
    static void releaseThread();

private:
    int timeLimitMs_;
};

// The engine used by the five calls and by solveModelText without an engine argument.
MilpEngine& defaultEngine();
// Replaces it (the caller keeps ownership); nullptr restores GLPK.
void setDefaultEngine(MilpEngine* engine);
// True while no engine replaces GLPK.
bool defaultEngineIsBuiltIn();

} // namespace vestrel::solver
