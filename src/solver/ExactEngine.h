#pragma once

#include "solver/MilpEngine.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace vestrel::solver {

// Branch and bound in whole numbers for the blending run's models: at most kMaxColumns parts X1..Xn >= 0 that
// add up to k (one row X1 + ... + Xn = k, k at most kMaxParts), any number of "<", ">" and "=" rows. Every
// decision that removes points is exact: rows are scaled to whole numbers, and the bound that prunes a node is
// computed from the node's duals with every rounding error bounded, so no blend is ever reported cheapest
// without proof. A model whose search needs more than the budget is reported OutOfBudget, never answered with
// the best blend found so far; one whose scaled rows or prices reach 2^52 is NumbersTooLarge. Models of
// another shape go to GLPK.
//
// Ties, which decide more than the one scheme: a blend of one lot switches on the difference row for every
// later k of the run, so the rule must not depend on chance. Among the cheapest blends the engine returns the
// one with the least sum of 2^(j-1) Xj, that is the one with more parts on the lots higher in the panel, and
// among those the one with the most parts on X1, then on X2, and so on. It minimises price x W + sum
// 2^(j-1) Xj with W = k 2^n + 1 (prices in their whole-number steps), which orders blends by price first
// because the second term differs by less than W between any two blends of k parts; where that sum would
// reach 2^52 it searches twice instead, for the least price and then for the least weight at that price. The
// result never depends on the search order, on earlier models or on the thread that solves.
class ExactEngine : public MilpEngine {
public:
    static constexpr int kMaxColumns = 16;
    static constexpr std::int64_t kMaxParts = 4096;
    // Work units (node problems and strong-branching trials) one model may use before it is given up.
    static constexpr long kDefaultBudget = 60000;

    explicit ExactEngine(long budget = kDefaultBudget) : budget_(budget) {}
    MilpResult solve(const MilpProblem& problem) override;

    struct Statistics {
        bool dedicated = false; // solved here rather than by GLPK
        long work = 0;          // work units used
        long nodes = 0;         // nodes of the search tree
    };
    Statistics lastStatistics() const;
    // Forgets the optima of earlier models (tests use this to solve a model as if it came first).
    void forgetEarlierOptima();

private:
    struct History {
        std::vector<Decimal> prices;
        std::map<std::int64_t, std::vector<std::int64_t>> optima; // by k
        std::vector<double> pseudocosts;                          // what branching on each part cost
    };

    long budget_;
    mutable std::mutex mutex_;
    History history_;
    Statistics last_;
    GlpkEngine glpk_;
};

// The engine the program uses unless a test replaces it (see defaultEngine).
ExactEngine& builtInEngine();

} // namespace vestrel::solver
