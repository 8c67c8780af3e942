#pragma once
// A small dense bounded dual simplex for the exact engine's node problems, and bounds from its duals that hold
// in exact arithmetic whatever the rounding of the simplex was.
//
// The problem is min cost . x subject to A x - r = 0 with every x and every row activity r boxed. All data
// are whole numbers below 2^53, so they are exact in double; only the simplex itself rounds.

#include <vector>

namespace vestrel::solver::lp {

struct Problem {
    int n = 0;                // structural columns x; row activity r_i is column n + i
    int m = 0;                // rows
    std::vector<double> a;    // m x n, row by row
    std::vector<double> cost; // n
    double costScale = 1.0;   // the largest |cost|, for the dual tolerance

    int columns() const { return n + m; }
};

enum class Status { Optimal, Infeasible, Stalled };

// A basis with its compact tableau B^-1 N (one column per nonbasic column), the basic values and the reduced
// costs of the nonbasic columns. Nonbasic columns sit at one of their bounds. Copying a state is how a node
// hands its basis to its children; everything lives in two buffers, so a copy is two block copies.
class State {
public:
    // The basis of the row activities, every x at the bound its cost prefers. lo and up have n + m entries.
    void reset(const Problem& p, const std::vector<double>& lo, const std::vector<double>& up);
    // Re-optimises from the current basis; Infeasible leaves the failing row in infeasibleRow.
    Status solve(const Problem& p, int maxPivots);
    // Changes a column's bounds, moving a nonbasic column with its bound.
    void setBounds(int c, double lo, double up);
    // Recomputes the tableau of the current basis from the problem's data; false when the basis is singular,
    // in which case the state is reset to the activity basis.
    bool refactor(const Problem& p);

    double value(int c) const {
        const int w = where(c);
        return w >= 0 ? dbl_[betaAt_ + std::size_t(w)] : atUpper(c) ? up(c) : lo(c);
    }
    double objective(const Problem& p) const;
    bool isBasic(int c) const { return where(c) >= 0; }
    int basicColumn(int row) const { return int_[std::size_t(row)]; }
    double lo(int c) const { return dbl_[loAt_ + std::size_t(c)]; }
    double up(int c) const { return dbl_[upAt_ + std::size_t(c)]; }
    double reducedCost(int c) const {
        const int w = where(c);
        return w >= 0 ? 0.0 : dbl_[dAt_ + std::size_t(-1 - w)];
    }
    int infeasibleRow() const { return infeasibleRow_; }
    // Element (row, column c) of B^-1 [A -I].
    double tableau(int row, int c) const {
        const int w = where(c);
        return w >= 0 ? (w == row ? 1.0 : 0.0) : dbl_[std::size_t(row) * std::size_t(n_) + std::size_t(-1 - w)];
    }
    int pivots() const { return pivots_; }
    // The objective of the child that moves basic column c's bound to the whole number below (down) or above
    // its value, when one dual simplex pivot already makes that child optimal; otherwise nothing is known and
    // the child has to be solved on a copy. Leaves this state unchanged.
    // duals, when given, receives the child's row duals (see safeBound).
    bool onePivotChild(const Problem& p, int c, bool down, double& objective,
                       std::vector<double>* duals = nullptr) const;

private:
    int where(int c) const { return int_[whereAt_ + std::size_t(c)]; }
    bool atUpper(int c) const { return int_[upperAt_ + std::size_t(c)] != 0; }
    void layout(const Problem& p);
    void moveNonbasic(int k, double delta);
    void fixDualSigns(const Problem& p);
    void computeBetaAndCosts(const Problem& p);

    int n_ = 0, m_ = 0, width_ = 0;
    // dbl_: tableau (m x n), basic values (m), reduced costs by nonbasic position (n), lo and up (n + m each).
    std::vector<double> dbl_;
    // int_: basic column per row (m), column per nonbasic position (n), where per column (row, or -1 - position),
    // at-upper flag per column.
    std::vector<int> int_;
    std::size_t betaAt_ = 0, dAt_ = 0, loAt_ = 0, upAt_ = 0;
    std::size_t nonbasicAt_ = 0, whereAt_ = 0, upperAt_ = 0;
    int infeasibleRow_ = -1;
    int pivots_ = 0;
};

// A lower bound of cost . x over every point of the state's box that meets the rows, valid in exact
// arithmetic: it is computed from the duals the state holds, with every rounding error bounded. gain[c] is a
// lower bound of what moving column c one unit away from the bound fromUpper[c] names adds to it.
struct Bound {
    double value = 0.0;
    std::vector<double> gain;
    std::vector<char> fromUpper;
};
void safeBound(const Problem& p, const State& s, Bound& out);
// The same bound from given row duals y, over the state's box with column c's bounds replaced by lo..up.
double safeBound(const Problem& p, const State& s, const std::vector<double>& y, int c, double lo, double up);

// True when the row the dual simplex stopped at proves, in exact arithmetic, that no point of the box meets
// the rows.
bool provesInfeasible(const Problem& p, const State& s);

} // namespace vestrel::solver::lp
