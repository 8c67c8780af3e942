#pragma once
// The explainer's two questions to an optimiser, kept apart so a change of the solver layer touches one file:
// does a set of rows over X1..Xn >= 0 have a whole-number point (and which is the least by an objective), and
// does it have a point at all when the parts may be fractions.

#include "solver/ModelReader.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vestrel::explain {

struct Rows {
    int n = 0;                     // variables X1..Xn
    std::vector<solver::Row> rows; // terms name variables 1..n
};

struct WholePoint {
    std::vector<std::int64_t> parts; // X1..Xn
    solver::Decimal objective;       // exact, of these parts
};

// The least whole-number point by `objective` (empty: any point), or nothing when there is none.
std::optional<WholePoint> solveWhole(const Rows& rows, const std::vector<solver::Term>& objective = {});
bool wholeFeasible(const Rows& rows);
// Whether the rows have a point with fractional parts allowed (in floating point, within the LP tolerance).
bool continuousFeasible(const Rows& rows);
// The least objective with fractional parts allowed, or nothing when the rows have no point.
std::optional<double> continuousMinimum(const Rows& rows, const std::vector<double>& objective);

} // namespace vestrel::explain
