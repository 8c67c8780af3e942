#pragma once

#include "solver/MilpEngine.h"
#include "solver/ModelReader.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vestrel::solver {

struct Solution {
    std::vector<int> variables;      // j of every Xj, ascending (as Model::variables)
    std::vector<std::int64_t> parts; // the whole-number value of each of them
    Decimal objective;               // the objective of these parts, exact
    std::vector<double> exported;    // the values of @pointer(1), @pointer(2) ... in order
};

enum class SolveStatus {
    Solved,
    NoSolution,      // proven: no whole point meets every row
    OutOfBudget,     // the search stopped before the cheapest point was proven
    NumbersTooLarge, // the model holds a value the exact arithmetic cannot carry
    Failed,          // the engine broke down; nothing is known about the model
};

struct SolveResult {
    SolveStatus status = SolveStatus::Failed;
    std::optional<Solution> solution; // with Solved
};

// Solves a model; a solution always meets every row exactly. An objective of 0 is a solution like any other.
SolveResult solveModelChecked(const Model& model, MilpEngine& engine);
// The solution alone, or nothing whatever the reason.
std::optional<Solution> solveModel(const Model& model, MilpEngine& engine);

// Reads and solves a model text; the values in pointer order, or nothing with a one-line reason.
std::optional<std::vector<double>> solveModelText(const QByteArray& text, MilpEngine& engine, QString* error = nullptr,
                                                  SolveStatus* status = nullptr);
std::optional<std::vector<double>> solveModelText(const QByteArray& text, QString* error = nullptr);

} // namespace vestrel::solver
