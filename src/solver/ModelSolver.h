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

// Solves a model and returns a point that meets every row exactly, or nothing (infeasible, or the engine
// found no point that survives the exact check). An objective of 0 is a solution like any other.
std::optional<Solution> solveModel(const Model& model, MilpEngine& engine);

// Reads and solves a model text; the values in pointer order, or nothing with a one-line reason.
std::optional<std::vector<double>> solveModelText(const QByteArray& text, MilpEngine& engine, QString* error = nullptr);
std::optional<std::vector<double>> solveModelText(const QByteArray& text, QString* error = nullptr);

} // namespace vestrel::solver
