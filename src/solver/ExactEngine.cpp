#include "solver/ExactEngine.h"

#include "solver/CpuState.h"
#include "solver/DualSimplex.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>

namespace vestrel::solver {

namespace {

// Every row activity of a model (a scaled, shifted coefficient times k, summed over the parts) stays below
// this, so it is exact in int64 and in double.
constexpr double kMaxActivity = 0x1p52;
constexpr std::int64_t kMaxScaled = std::int64_t(1) << 61;
constexpr int kMaxDecimals = 18;
// The weighted price of a blend stays below this, so the search compares prices exactly in double.
constexpr double kMaxObjective = 0x1p52;

constexpr double kIntegralTolerance = 1e-6;
constexpr int kMaxPivots = 200;
constexpr int kRefactorAfter = 60;
// Strong-branching trials stop after this many pivots; their objective then still bounds the child from below.
constexpr int kTrialPivots = 20;
// Trials each way before a column's pseudocosts are trusted, and candidates tried without a better one.
constexpr int kReliable = 4;
constexpr int kLookahead = 4;
// Root cuts: rounds, cuts added per round, and the denominator of their multipliers.
constexpr int kCutRounds = 2;
constexpr int kCutsPerRound = 4;
constexpr std::int64_t kCutDenominator = std::int64_t(1) << 16;
constexpr std::size_t kMaxRememberedOptima = 1000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { // b > 0
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { // b > 0
    const std::int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// lo <= a . x <= up, a side only when it can bind.
struct IntRow {
    std::vector<std::int64_t> a;
    bool hasLo = false;
    bool hasUp = false;
    std::int64_t lo = 0;
    std::int64_t up = 0;
    // Coefficients of at most 0.10 after the shift (trace elements): the row's activity takes few whole values
    // and branching on it decides what branching on single parts cannot.
    bool trace = false;
};

// The model in whole numbers: x_j in [lo_j, up_j], sum x = k, the rows. price holds the prices scaled to
// whole numbers less the cheapest one, so the price of a blend is the cheapest price x k plus price . x; every
// price . x is a multiple of priceStep.
struct IntModel {
    int n = 0;
    std::int64_t k = 0;
    std::vector<std::int64_t> lo, up;
    std::vector<IntRow> rows;
    std::vector<std::int64_t> price;
    std::int64_t priceStep = 1;

    void activityRange(const IntRow& row, std::int64_t& least, std::int64_t& most) const {
        least = most = 0;
        for (int j = 0; j < n; ++j) {
            const std::int64_t a = row.a[std::size_t(j)];
            least += a * (a > 0 ? lo[std::size_t(j)] : up[std::size_t(j)]);
            most += a * (a > 0 ? up[std::size_t(j)] : lo[std::size_t(j)]);
        }
    }

    bool feasible(const std::vector<std::int64_t>& x) const {
        std::int64_t sum = 0;
        for (int j = 0; j < n; ++j) {
            if (x[std::size_t(j)] < lo[std::size_t(j)] || x[std::size_t(j)] > up[std::size_t(j)]) return false;
            sum += x[std::size_t(j)];
        }
        if (sum != k) return false;
        for (const IntRow& row : rows) {
            std::int64_t activity = 0;
            for (int j = 0; j < n; ++j)
                activity += row.a[std::size_t(j)] * x[std::size_t(j)];
            if ((row.hasLo && activity < row.lo) || (row.hasUp && activity > row.up)) return false;
        }
        return true;
    }
};

std::int64_t dot(const std::vector<std::int64_t>& c, const std::vector<std::int64_t>& x) {
    std::int64_t v = 0;
    for (std::size_t j = 0; j < c.size(); ++j)
        v += c[j] * x[j];
    return v;
}

enum class Prep { Ok, Infeasible, NumbersTooLarge, OtherShape };

// The value most coefficients share (the smallest of equally frequent ones): subtracting it times the sum row
// leaves the most zeros, so the stock, must-use and difference rows become bounds on one part.
std::int64_t commonValue(const std::vector<std::int64_t>& a) {
    std::int64_t best = a[0];
    int bestCount = 0;
    for (const std::int64_t v : a) {
        const int count = int(std::count(a.begin(), a.end(), v));
        if (count > bestCount || (count == bestCount && v < best)) {
            best = v;
            bestCount = count;
        }
    }
    return best;
}

Prep boundColumn(IntModel& m, int j, std::int64_t a, const IntRow& row) {
    std::int64_t& lo = m.lo[std::size_t(j)];
    std::int64_t& up = m.up[std::size_t(j)];
    if (a > 0) {
        if (row.hasUp) up = std::min(up, floorDiv(row.up, a));
        if (row.hasLo) lo = std::max(lo, ceilDiv(row.lo, a));
    } else {
        if (row.hasUp) lo = std::max(lo, ceilDiv(-row.up, -a));
        if (row.hasLo) up = std::min(up, floorDiv(-row.lo, -a));
    }
    return lo <= up ? Prep::Ok : Prep::Infeasible;
}

// Tightens the bounds from the rows and the sum row, drops sides that cannot bind, until nothing changes.
Prep propagate(IntModel& m) {
    for (int round = 0; round < 16; ++round) {
        bool changed = false;
        const auto tighten = [&changed](std::int64_t& bound, std::int64_t value, bool upper) {
            if (upper ? value < bound : value > bound) {
                bound = value;
                changed = true;
            }
        };
        std::int64_t sumLo = 0, sumUp = 0;
        for (int j = 0; j < m.n; ++j) {
            sumLo += m.lo[std::size_t(j)];
            sumUp += m.up[std::size_t(j)];
        }
        if (sumLo > m.k || sumUp < m.k) return Prep::Infeasible;
        for (int j = 0; j < m.n; ++j) {
            tighten(m.up[std::size_t(j)], m.k - (sumLo - m.lo[std::size_t(j)]), true);
            tighten(m.lo[std::size_t(j)], m.k - (sumUp - m.up[std::size_t(j)]), false);
        }
        for (IntRow& row : m.rows) {
            std::int64_t least = 0, most = 0;
            m.activityRange(row, least, most);
            if ((row.hasUp && least > row.up) || (row.hasLo && most < row.lo)) return Prep::Infeasible;
            if (row.hasUp && most <= row.up) row.hasUp = false;
            if (row.hasLo && least >= row.lo) row.hasLo = false;
            for (int j = 0; j < m.n; ++j) {
                const std::int64_t a = row.a[std::size_t(j)];
                if (a == 0) continue;
                std::int64_t& lo = m.lo[std::size_t(j)];
                std::int64_t& up = m.up[std::size_t(j)];
                if (row.hasUp) {
                    const std::int64_t room = row.up - least;
                    if (a > 0)
                        tighten(up, lo + room / a, true);
                    else
                        tighten(lo, up - room / -a, false);
                }
                if (row.hasLo) {
                    const std::int64_t room = most - row.lo;
                    if (a > 0)
                        tighten(lo, up - room / a, false);
                    else
                        tighten(up, lo + room / -a, true);
                }
            }
        }
        for (int j = 0; j < m.n; ++j) {
            if (m.lo[std::size_t(j)] > m.up[std::size_t(j)]) return Prep::Infeasible;
        }
        m.rows.erase(std::remove_if(m.rows.begin(), m.rows.end(), [](const IntRow& r) { return !r.hasLo && !r.hasUp; }),
                     m.rows.end());
        if (!changed) break;
    }
    return Prep::Ok;
}

// Scales a row to whole numbers, shifts it by a multiple of the sum row, clips its sides to what the parts can
// reach and divides it by the common divisor of its coefficients, rounding the sides inwards. Every step keeps
// exactly the whole points that meet the row.
Prep addRow(const MilpProblem::Row& source, IntModel& m) {
    const int n = m.n;
    int decimals = 0;
    for (const Decimal& c : source.exactCoefficients)
        decimals = std::max(decimals, c.scale());
    if (decimals > kMaxDecimals) return Prep::NumbersTooLarge;
    std::vector<std::int64_t> a(std::size_t(n), 0);
    for (std::size_t t = 0; t < source.columns.size(); ++t) {
        const auto v = source.exactCoefficients[t].timesPow10(decimals).toInt64();
        std::int64_t& target = a[std::size_t(source.columns[t])];
        if (!v || std::llabs(*v) > kMaxScaled || std::llabs(target + *v) > kMaxScaled) return Prep::NumbersTooLarge;
        target += *v;
    }
    const std::int64_t shift = commonValue(a);
    double activity = 0;
    for (std::int64_t& v : a) {
        v -= shift;
        activity += std::fabs(double(v)) * double(m.k);
    }
    if (activity >= kMaxActivity) return Prep::NumbersTooLarge;
    const Decimal rhs =
        source.exactRhs.timesPow10(decimals) - Decimal::fromInteger(shift).multipliedBy(std::uint32_t(m.k));

    IntRow row;
    row.a = std::move(a);
    const std::vector<std::int64_t>& coefficients = row.a;
    std::int64_t tenth = 1; // 0.1 in the row's scale, when it has at least one decimal
    for (int i = 1; i < decimals; ++i)
        tenth *= 10;
    row.trace = decimals > 0 && std::all_of(coefficients.begin(), coefficients.end(),
                                            [tenth](std::int64_t v) { return std::llabs(v) <= tenth; });
    std::int64_t least = 0, most = 0;
    m.activityRange(row, least, most);
    if (source.relation != Relation::GreaterEqual) {
        const Decimal up = rhs.floorTo(0);
        if (up.compare(Decimal::fromInteger(least)) < 0) return Prep::Infeasible;
        if (up.compare(Decimal::fromInteger(most)) < 0) {
            row.hasUp = true;
            row.up = *up.toInt64();
        }
    }
    if (source.relation != Relation::LessEqual) {
        const Decimal lo = rhs.ceilTo(0);
        if (lo.compare(Decimal::fromInteger(most)) > 0) return Prep::Infeasible;
        if (lo.compare(Decimal::fromInteger(least)) > 0) {
            row.hasLo = true;
            row.lo = *lo.toInt64();
        }
    }
    if (!row.hasLo && !row.hasUp) return Prep::Ok;

    std::int64_t divisor = 0;
    int nonzero = 0, last = -1;
    for (int j = 0; j < n; ++j) {
        if (coefficients[std::size_t(j)] == 0) continue;
        divisor = std::gcd(divisor, std::llabs(coefficients[std::size_t(j)]));
        ++nonzero;
        last = j;
    }
    if (divisor > 1) {
        for (std::int64_t& v : row.a)
            v /= divisor;
        row.up = floorDiv(row.up, divisor);
        row.lo = ceilDiv(row.lo, divisor);
    }
    if (row.hasLo && row.hasUp && row.lo > row.up) return Prep::Infeasible;
    if (nonzero == 1) return boundColumn(m, last, row.a[std::size_t(last)], row);
    m.rows.push_back(std::move(row));
    return Prep::Ok;
}

// The prices in whole numbers less the cheapest one, and their common step.
Prep scalePrices(const std::vector<Decimal>& prices, IntModel& m) {
    int decimals = 0;
    for (const Decimal& p : prices)
        decimals = std::max(decimals, p.scale());
    if (decimals > kMaxDecimals) return Prep::NumbersTooLarge;
    std::vector<std::int64_t> scaled;
    for (const Decimal& p : prices) {
        const auto v = p.timesPow10(decimals).toInt64();
        if (!v || std::llabs(*v) > (std::int64_t(1) << 52)) return Prep::NumbersTooLarge;
        scaled.push_back(*v);
    }
    const std::int64_t cheapest = *std::min_element(scaled.begin(), scaled.end());
    const std::int64_t dearest = *std::max_element(scaled.begin(), scaled.end());
    if (double(dearest - cheapest) * double(m.k) >= kMaxObjective) return Prep::NumbersTooLarge;
    m.price.clear();
    m.priceStep = 0;
    for (const std::int64_t v : scaled) {
        m.price.push_back(v - cheapest);
        m.priceStep = std::gcd(m.priceStep, v - cheapest);
    }
    m.priceStep = std::max<std::int64_t>(1, m.priceStep);
    return Prep::Ok;
}

Prep presolve(const MilpProblem& problem, IntModel& m) {
    const int n = problem.columnCount;
    if (n < 1 || n > ExactEngine::kMaxColumns || !problem.isExact()) return Prep::OtherShape;
    const Decimal one = Decimal::fromInteger(1);
    int sumRow = -1;
    for (std::size_t i = 0; i < problem.rows.size() && sumRow < 0; ++i) {
        const auto& row = problem.rows[i];
        if (row.relation != Relation::Equal || row.columns.size() != std::size_t(n)) continue;
        std::vector<bool> seen(std::size_t(n), false);
        bool ones = true;
        for (std::size_t t = 0; t < row.columns.size() && ones; ++t) {
            const int c = row.columns[t];
            ones = c >= 0 && c < n && !seen[std::size_t(c)] && row.exactCoefficients[t] == one;
            if (ones) seen[std::size_t(c)] = true;
        }
        const auto k = row.exactRhs.toInt64();
        if (ones && k && *k >= 0 && *k <= ExactEngine::kMaxParts) {
            sumRow = int(i);
            m.k = *k;
        }
    }
    if (sumRow < 0) return Prep::OtherShape;
    for (const auto& row : problem.rows) {
        for (const int c : row.columns) {
            if (c < 0 || c >= n) return Prep::OtherShape;
        }
    }
    m.n = n;
    m.lo.assign(std::size_t(n), 0);
    m.up.assign(std::size_t(n), m.k);
    for (std::size_t i = 0; i < problem.rows.size(); ++i) {
        if (int(i) == sumRow) continue;
        const Prep prep = addRow(problem.rows[i], m);
        if (prep != Prep::Ok) return prep;
    }
    const Prep prep = scalePrices(problem.exactObjective, m);
    if (prep != Prep::Ok) return prep;
    return propagate(m);
}

// Depth-first branch and bound on the whole-number model minimising objective . x, with the node problems
// solved by the dual simplex. Every objective value is a multiple of step. With keepTies the search looks for
// the point the tie rule prefers among those of least objective (the most parts on X1, then X2, ...);
// without, for any point of least objective.
class Search {
public:
    Search(const IntModel& model, std::vector<std::int64_t> objective, std::int64_t step, bool keepTies, long budget)
        : model_(model), objective_(std::move(objective)), step_(double(step)), keepTies_(keepTies), budget_(budget) {
        // The node buffers of the thread's previous search, so that a run's 99 searches allocate them once.
        std::swap(stack_, spare().stack);
        p_.n = model.n;
        p_.m = 1 + int(model.rows.size());
        p_.a.assign(std::size_t(p_.m) * std::size_t(p_.n), 0.0);
        for (int j = 0; j < p_.n; ++j)
            p_.a[std::size_t(j)] = 1.0;
        lo_.assign(std::size_t(p_.columns()), 0.0);
        up_.assign(std::size_t(p_.columns()), 0.0);
        for (int j = 0; j < p_.n; ++j) {
            lo_[std::size_t(j)] = double(model.lo[std::size_t(j)]);
            up_[std::size_t(j)] = double(model.up[std::size_t(j)]);
        }
        lo_[std::size_t(p_.n)] = up_[std::size_t(p_.n)] = double(model.k);
        branchable_.assign(std::size_t(p_.columns()), 0);
        for (int j = 0; j < p_.n; ++j)
            branchable_[std::size_t(j)] = 1;
        rows_.push_back(std::vector<std::int64_t>(std::size_t(p_.n), 1));
        for (std::size_t i = 0; i < model.rows.size(); ++i) {
            const IntRow& row = model.rows[i];
            rows_.push_back(row.a);
            for (int j = 0; j < p_.n; ++j)
                p_.a[(i + 1) * std::size_t(p_.n) + std::size_t(j)] = double(row.a[std::size_t(j)]);
            std::int64_t least = 0, most = 0;
            model.activityRange(row, least, most);
            branchable_[std::size_t(p_.n) + i + 1] = row.trace;
            lo_[std::size_t(p_.n) + i + 1] = double(row.hasLo ? row.lo : least);
            up_[std::size_t(p_.n) + i + 1] = double(row.hasUp ? row.up : most);
        }
        for (const std::int64_t c : objective_) {
            p_.cost.push_back(double(c));
            p_.costScale = std::max(p_.costScale, std::fabs(double(c)));
        }
    }

    // Takes a point as incumbent when it meets every row and beats the one held.
    void offer(const std::vector<std::int64_t>& x) {
        if (!model_.feasible(x)) return;
        const std::int64_t v = dot(objective_, x);
        if (has_ && (v > bestValue_ ||
                     (v == bestValue_ &&
                      (!keepTies_ || !std::lexicographical_compare(best_.begin(), best_.end(), x.begin(), x.end())))))
            return;
        has_ = true;
        best_ = x;
        bestValue_ = v;
    }

    // What branching on the parts cost in an earlier model of the same panel (see learned()), so that this
    // search trusts its estimates sooner.
    void seedPseudocosts(const std::vector<double>& learned) { seed_ = learned; }
    std::vector<double> learned() const {
        std::vector<double> flat;
        const double scale = 1.0 / p_.costScale;
        const auto put = [&flat, scale](const Pseudocost& p) {
            flat.insert(flat.end(), {p.sum[0] * scale, p.sum[1] * scale, double(p.count[0]), double(p.count[1])});
        };
        for (int j = 0; j < p_.n; ++j)
            put(pseudo_[std::size_t(j)]);
        put(overall_);
        return flat;
    }

    MilpStatus run() {
        addRootCuts();
        pseudo_.assign(std::size_t(p_.columns()), Pseudocost{});
        if (seed_.size() == std::size_t(4 * (p_.n + 1))) {
            // The earlier models' average counts as one trial: it orders the candidates, but this model's own
            // trials decide when a column is trusted.
            const auto take = [this](Pseudocost& p, std::size_t at) {
                for (int side = 0; side < 2; ++side) {
                    const double count = seed_[at + 2 + std::size_t(side)];
                    p.sum[side] = count > 0 ? seed_[at + std::size_t(side)] * p_.costScale / count : 0.0;
                    p.count[side] = count > 0 ? 1 : 0;
                }
            };
            for (int j = 0; j < p_.n; ++j)
                take(pseudo_[std::size_t(j)], 4 * std::size_t(j));
            take(overall_, 4 * std::size_t(p_.n));
        }
        Node& root = pushSlot();
        root.state.reset(p_, lo_, up_);
        Node node;
        while (depth_ > 0) {
            std::swap(node, stack_[--depth_]);
            if (pruned(node.bound)) continue;
            ++nodes_;
            if (!process(node)) return MilpStatus::OutOfBudget;
        }
        return has_ ? MilpStatus::Optimal : MilpStatus::Infeasible;
    }

    ~Search() { std::swap(stack_, spare().stack); }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    const std::vector<std::int64_t>& incumbent() const { return best_; }
    long work() const { return work_; }
    long nodes() const { return nodes_; }

private:
    struct Node;
    struct Spare {
        std::vector<Node> stack;
    };
    static Spare& spare() {
        thread_local Spare buffers;
        return buffers;
    }

    struct Node {
        lp::State state;
        double bound = -std::numeric_limits<double>::infinity(); // a proven lower bound of its weighted price
        // The branching that made the node, so that its solve teaches what branching on the column costs.
        int column = -1;
        int side = 0; // 0 down, 1 up
        double parentObjective = 0;
        double distance = 0; // how far the branching moved the column's value
    };
    // The average gain of the objective per unit a column was moved down or up by branching.
    struct Pseudocost {
        double sum[2] = {0, 0};
        int count[2] = {0, 0};
    };
    enum class Lp { Optimal, Infeasible, Unknown };

    // The highest objective a point may have and still matter: below the incumbent, or equal to it when ties
    // are settled by the tie rule.
    double target() const { return double(bestValue_) - (keepTies_ ? 0.0 : step_); }

    // The least multiple of the step not below a proven bound (made a little smaller first, so that rounding
    // of the quotient never lifts it past a multiple).
    double roundUp(double bound) const {
        const double q = bound / step_;
        return step_ * std::ceil(q - (1e-12 * std::fabs(q) + 1e-9));
    }

    bool pruned(double bound) const { return has_ && roundUp(bound) > target(); }

    bool spend() { return ++work_ <= budget_; }

    Lp solveNode(lp::State& s) {
        if (s.pivots() > kRefactorAfter) s.refactor(p_);
        lp::Status status = s.solve(p_, kMaxPivots);
        if (status == lp::Status::Optimal) return Lp::Optimal;
        if (status == lp::Status::Infeasible && lp::provesInfeasible(p_, s)) return Lp::Infeasible;
        // Rounding has piled up or the simplex cycles: start again from the basis's own data.
        s.refactor(p_);
        status = s.solve(p_, 4 * kMaxPivots);
        if (status == lp::Status::Optimal) return Lp::Optimal;
        if (status == lp::Status::Infeasible && lp::provesInfeasible(p_, s)) return Lp::Infeasible;
        return Lp::Unknown;
    }

    bool atUpper(const lp::State& s, int c) const { return s.value(c) == s.up(c); }

    // What moving nonbasic column c off its current bound is proven to cost (0 when unknown).
    double proven(const lp::State& s, const lp::Bound& b, int c) const {
        return bool(b.fromUpper[std::size_t(c)]) == atUpper(s, c) ? b.gain[std::size_t(c)] : 0.0;
    }

    // Whether the node's LP value z comes close enough to the target, or a reduced cost is large enough against
    // the room left, for the proven bound to prune the node or tighten a bound.
    bool boundMatters(const lp::State& s, double z) const {
        if (roundUp(z + 1e-9 * std::fabs(z) + 1e-6) > target()) return true;
        const double room = target() - z;
        for (int c = 0; c < p_.columns(); ++c) {
            if (!s.isBasic(c) && std::fabs(s.reducedCost(c)) * (s.up(c) - s.lo(c)) > room) return true;
        }
        return false;
    }

    // Reduced-cost tightening: a column whose move costs more than the gap to the incumbent cannot move that far.
    bool tighten(lp::State& s, const lp::Bound& b) {
        const double room = target() - b.value;
        for (int c = 0; c < p_.columns(); ++c) {
            if (s.isBasic(c) || s.lo(c) == s.up(c)) continue;
            const double g = proven(s, b, c);
            if (g <= 0) continue;
            const double steps = room / g;
            if (steps >= s.up(c) - s.lo(c)) continue;
            // Rounded up a little so that a quotient that is whole in exact arithmetic is never cut below it.
            const double allowed = std::floor(steps * (1 + 1e-12) + 1e-9);
            if (atUpper(s, c))
                s.setBounds(c, s.up(c) - allowed, s.up(c));
            else
                s.setBounds(c, s.lo(c), s.lo(c) + allowed);
        }
        return true;
    }

    // Gomory mixed-integer cuts from the root's tableau rows, derived in integer arithmetic so that each holds
    // for every whole point whatever the rounding of the tableau was. A row of the tableau is only used for
    // its multipliers: they are rounded to multiples of 1/kCutDenominator and the combination they make of the
    // rows (exact, since every row reads A x - r = 0) is what the cut comes from.
    void addRootCuts() {
        lp::State s;
        for (int round = 0; round < kCutRounds; ++round) {
            s.reset(p_, lo_, up_);
            if (s.solve(p_, 4 * kMaxPivots) != lp::Status::Optimal) return;
            // No cut when the incumbent already closes the root.
            if (round == 0 && has_ && boundMatters(s, s.objective(p_))) {
                lp::safeBound(p_, s, bound_);
                if (pruned(bound_.value)) return;
            }
            std::vector<std::pair<double, IntRow>> found;
            for (int r = 0; r < p_.m; ++r) {
                const int b = s.basicColumn(r);
                if (!branchable_[std::size_t(b)]) continue;
                const double f = s.value(b) - std::floor(s.value(b));
                if (std::min(f, 1 - f) < 0.01) continue;
                IntRow cut;
                double efficacy = 0;
                if (gomoryCut(s, r, cut, efficacy)) found.emplace_back(efficacy, std::move(cut));
            }
            if (found.empty()) return;
            std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
            for (std::size_t i = 0; i < found.size() && i < std::size_t(kCutsPerRound); ++i)
                appendRow(found[i].second);
        }
    }

    void appendRow(const IntRow& row) {
        rows_.push_back(row.a);
        for (const std::int64_t a : row.a)
            p_.a.push_back(double(a));
        ++p_.m;
        std::int64_t least = 0, most = 0;
        model_.activityRange(row, least, most);
        lo_.push_back(double(row.hasLo ? row.lo : least));
        up_.push_back(double(row.hasUp ? row.up : most));
        branchable_.push_back(0);
    }

    // The cut of tableau row r as a row "cut . x >= lo"; false when none is found or the numbers would grow too
    // large. efficacy is how far the cut lies from the LP point, relative to its length.
    bool gomoryCut(const lp::State& s, int r, IntRow& cut, double& efficacy) const {
        constexpr std::int64_t d = kCutDenominator;
        const int n = p_.n, m = p_.m, width = p_.columns();
        // Multipliers U_i / d of the rows; the combination sum_c alpha_c z_c = 0 over columns z = (x, r).
        std::vector<std::int64_t> u(static_cast<std::size_t>(m), 0);
        for (int i = 0; i < m; ++i) {
            const double w = -s.tableau(r, n + i) * double(d);
            if (!(std::fabs(w) < 0x1p40)) return false;
            u[std::size_t(i)] = std::llround(w);
        }
        const auto mod = [](std::int64_t v) { return ((v % d) + d) % d; };
        // Each column as z_c = bound + sign z'_c with z'_c >= 0: from its upper bound when it sits there.
        std::vector<std::int64_t> frac(std::size_t(width), 0);
        std::vector<int> sign(std::size_t(width), 1);
        std::vector<std::int64_t> from(std::size_t(width), 0);
        std::int64_t h = 0; // -sum alpha_c bound_c, modulo d
        for (int c = 0; c < width; ++c) {
            std::int64_t alpha = 0; // alpha_c modulo d
            if (c < n) {
                for (int i = 0; i < m; ++i)
                    alpha = (alpha + mod(u[std::size_t(i)]) * mod(rows_[std::size_t(i)][std::size_t(c)])) % d;
            } else {
                alpha = mod(-u[std::size_t(c - n)]);
            }
            const bool upper = !s.isBasic(c) && s.value(c) == s.up(c) && s.lo(c) < s.up(c);
            sign[std::size_t(c)] = upper ? -1 : 1;
            const double bound = upper ? s.up(c) : s.lo(c);
            if (!(std::fabs(bound) < 0x1p52)) return false;
            from[std::size_t(c)] = std::int64_t(bound);
            h = mod(h - alpha * mod(from[std::size_t(c)]));
            frac[std::size_t(c)] = s.lo(c) == s.up(c) ? -1 : mod(upper ? -alpha : alpha);
        }
        const std::int64_t f0 = h;
        if (f0 == 0) return false;
        // sum kappa_c z'_c >= f0 (d - f0), kappa_c = F_c (d - f0) or (d - F_c) f0; scaled down to keep numbers small,
        // rounding coefficients and the right side up (valid because z' >= 0 and whole).
        const std::int64_t rhsFull = f0 * (d - f0);
        const std::int64_t scale = std::max<std::int64_t>(1, rhsFull >> 12);
        const auto up = [scale](std::int64_t v) { return (v + scale - 1) / scale; };
        std::vector<std::int64_t> x(std::size_t(n), 0);
        double rhs = double(up(rhsFull));
        std::int64_t rhsInt = up(rhsFull);
        for (int c = 0; c < width; ++c) {
            const std::int64_t fc = frac[std::size_t(c)];
            if (fc <= 0) continue;
            const std::int64_t kappa = up(fc <= f0 ? fc * (d - f0) : (d - fc) * f0);
            const std::int64_t signed_ = kappa * sign[std::size_t(c)];
            // z'_c = sign (z_c - bound_c): the constant moves to the right side.
            if (std::fabs(double(signed_) * double(from[std::size_t(c)])) + std::fabs(rhs) > 0x1p60) return false;
            rhsInt += signed_ * from[std::size_t(c)];
            rhs += double(signed_) * double(from[std::size_t(c)]);
            if (c < n) {
                x[std::size_t(c)] += signed_;
            } else {
                const auto& row = rows_[std::size_t(c - n)];
                for (int j = 0; j < n; ++j) {
                    if (std::fabs(double(signed_) * double(row[std::size_t(j)])) > 0x1p50) return false;
                    x[std::size_t(j)] += signed_ * row[std::size_t(j)];
                }
            }
        }
        std::int64_t divisor = 0;
        double reach = 0;
        for (const std::int64_t v : x) {
            reach += std::fabs(double(v)) * double(model_.k);
            divisor = std::gcd(divisor, std::llabs(v));
        }
        if (reach >= kMaxActivity) return false;
        if (divisor == 0) return false;
        for (std::int64_t& v : x)
            v /= divisor;
        cut.a = x;
        cut.hasLo = true;
        cut.lo = ceilDiv(rhsInt, divisor);
        std::int64_t least = 0, most = 0;
        model_.activityRange(cut, least, most);
        if (cut.lo <= least || cut.lo > most) return false;
        double activity = 0, length = 0;
        for (int j = 0; j < n; ++j) {
            activity += double(x[std::size_t(j)]) * s.value(j);
            length += double(x[std::size_t(j)]) * double(x[std::size_t(j)]);
        }
        efficacy = (double(cut.lo) - activity) / std::sqrt(length);
        return efficacy > 1e-6;
    }

    // The next free node of the stack, its buffers kept from earlier nodes so that filling it allocates
    // nothing. Invalidates references to other slots.
    Node& pushSlot() {
        if (depth_ == stack_.size()) stack_.emplace_back();
        Node& node = stack_[depth_++];
        node.bound = -std::numeric_limits<double>::infinity();
        node.column = -1;
        return node;
    }

    void learn(int c, int side, double perUnit) {
        Pseudocost& p = pseudo_[std::size_t(c)];
        p.sum[side] += std::max(0.0, perUnit);
        ++p.count[side];
        overall_.sum[side] += std::max(0.0, perUnit);
        ++overall_.count[side];
    }

    double perUnit(int c, int side) const {
        const Pseudocost& p = pseudo_[std::size_t(c)];
        if (p.count[side] > 0) return p.sum[side] / p.count[side];
        return overall_.count[side] > 0 ? overall_.sum[side] / overall_.count[side] : 1.0;
    }

    bool reliable(int c) const {
        const Pseudocost& p = pseudo_[std::size_t(c)];
        return p.count[0] >= kReliable && p.count[1] >= kReliable;
    }

    // When the simplex cannot be trusted: halve the widest part's range, or take the point once all are fixed.
    void split(const lp::State& s) {
        int widest = -1;
        for (int j = 0; j < p_.n; ++j) {
            if (s.up(j) > s.lo(j) && (widest < 0 || s.up(j) - s.lo(j) > s.up(widest) - s.lo(widest))) widest = j;
        }
        if (widest < 0) {
            std::vector<std::int64_t> x(std::size_t(p_.n));
            for (int j = 0; j < p_.n; ++j)
                x[std::size_t(j)] = std::int64_t(s.lo(j));
            offer(x);
            return;
        }
        std::vector<double> lo(std::size_t(p_.columns())), up(std::size_t(p_.columns()));
        for (int c = 0; c < p_.columns(); ++c) {
            lo[std::size_t(c)] = s.lo(c);
            up[std::size_t(c)] = s.up(c);
        }
        const double middle = std::floor((s.lo(widest) + s.up(widest)) / 2);
        for (const bool upper : {true, false}) {
            std::vector<double> l = lo, u = up;
            (upper ? l : u)[std::size_t(widest)] = upper ? middle + 1 : middle;
            pushSlot().state.reset(p_, l, u);
        }
    }

    // The node's optimum is a whole point; other points of the same weighted price may still be in the node.
    // Unless every one is proven dearer, branch on the column whose move is least proven to cost.
    void closeOrExploreTies(lp::State& s, const lp::Bound& b) {
        int column = -1;
        double least = std::numeric_limits<double>::infinity();
        for (int c = 0; c < p_.columns(); ++c) {
            if (s.isBasic(c) || s.lo(c) == s.up(c)) continue;
            const double g = proven(s, b, c);
            if (g < least) {
                least = g;
                column = c;
            }
        }
        if (column < 0 || pruned(b.value + least)) return;
        const double v = s.value(column);
        const double lo = s.lo(column), up = s.up(column);
        const double bound = b.value;
        Node& moved = pushSlot();
        moved.state = s;
        if (atUpper(s, column))
            moved.state.setBounds(column, lo, v - 1);
        else
            moved.state.setBounds(column, v + 1, up);
        moved.bound = bound + least;
        Node& fixed = pushSlot();
        std::swap(fixed.state, s);
        fixed.state.setBounds(column, v, v);
        fixed.bound = bound;
    }

    // Solves one node and either closes it or pushes its children; false when the budget is spent.
    bool process(Node& node) {
        lp::State& s = node.state;
        for (;;) {
            if (!spend()) return false;
            const Lp status = solveNode(s);
            if (status == Lp::Infeasible) return true;
            if (status == Lp::Unknown) {
                split(s);
                return true;
            }
            if (node.column >= 0) {
                learn(node.column, node.side, (s.objective(p_) - node.parentObjective) / node.distance);
                node.column = -1;
            }
            // The proven bound costs a pass over the rows; it is worked out when it can decide something: a
            // prune, a tightening or the closing of a node with a whole-number optimum.
            bool bounded = false;
            const double z = s.objective(p_);
            if (has_ && boundMatters(s, z)) {
                lp::safeBound(p_, s, bound_);
                bounded = true;
                if (pruned(bound_.value)) return true;
                tighten(s, bound_);
            }

            candidates_.clear();
            bool fractionalPart = false;
            for (int c = 0; c < p_.columns(); ++c) {
                if (!s.isBasic(c) || !branchable_[std::size_t(c)]) continue;
                const double v = s.value(c);
                const double f = v - std::floor(v);
                if (std::min(f, 1 - f) <= kIntegralTolerance) continue;
                fractionalPart = fractionalPart || c < p_.n;
                candidates_.push_back(c);
            }
            if (!fractionalPart) {
                std::vector<std::int64_t> x(std::size_t(p_.n));
                for (int j = 0; j < p_.n; ++j)
                    x[std::size_t(j)] = std::llround(s.value(j));
                if (!model_.feasible(x)) {
                    split(s);
                    return true;
                }
                if (!bounded) lp::safeBound(p_, s, bound_);
                offer(x);
                closeOrExploreTies(s, bound_);
                return true;
            }
            const int decided = branch(s, bounded ? std::max(bound_.value, node.bound) : node.bound);
            if (decided < 0) return false;
            if (decided == 0) return true;
            // One side of a column was ruled out and its bound moved: solve the node again.
        }
    }

    // Reliability branching over the fractional parts and the activities of trace rows: a column is tried on
    // both sides (strong branching) until its pseudocosts rest on kReliable trials each way, then estimated.
    // Returns 0 when children were pushed or the node was closed, 1 when a side was ruled out and the node must
    // be solved again, -1 when the budget ran out.
    int branch(lp::State& s, double bound) {
        const double z = s.objective(p_);
        const double tiny = std::max(1e-6, 1e-12 * std::fabs(z));
        const auto score = [tiny](double down, double up) { return std::max(down, tiny) * std::max(up, tiny); };
        ranked_.clear();
        for (const int c : candidates_) {
            const double f = s.value(c) - std::floor(s.value(c));
            ranked_.push_back({score(f * perUnit(c, 0), (1 - f) * perUnit(c, 1)), c});
        }
        std::sort(ranked_.begin(), ranked_.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

        int chosen = -1;
        bool tried = false; // the chosen column's children are in bestStates_
        double bestScore = -1;
        double childBounds[2] = {bound, bound};
        double childObjectives[2] = {z, z};
        int sinceBetter = 0;
        for (const auto& [estimate, c] : ranked_) {
            if (reliable(c)) {
                if (estimate > bestScore) {
                    bestScore = estimate;
                    chosen = c;
                    tried = false;
                    const double f = s.value(c) - std::floor(s.value(c));
                    childObjectives[0] = z + f * perUnit(c, 0);
                    childObjectives[1] = z + (1 - f) * perUnit(c, 1);
                    childBounds[0] = childBounds[1] = bound;
                }
                continue;
            }
            const double below = std::floor(s.value(c));
            const double distance[2] = {s.value(c) - below, below + 1 - s.value(c)};
            double objectives[2], bounds[2];
            bool dead[2];
            for (int side = 0; side < 2; ++side) {
                if (!spend()) return -1;
                // Most children need one pivot: evaluated on this state without a copy, with their bound from
                // the duals after that pivot when it may rule the side out.
                double quick = 0;
                if (s.onePivotChild(p_, c, side == 0, quick, &duals_)) {
                    objectives[side] = std::max(z, quick);
                    bounds[side] = bound;
                    solved_[side] = false;
                    if (has_ && roundUp(quick) > target()) {
                        const double b = side == 0 ? lp::safeBound(p_, s, duals_, c, s.lo(c), below)
                                                   : lp::safeBound(p_, s, duals_, c, below + 1, s.up(c));
                        bounds[side] = std::max(bound, b);
                    }
                    dead[side] = pruned(bounds[side]);
                    learn(c, side, (objectives[side] - z) / distance[side]);
                    continue;
                }
                solved_[side] = true;
                lp::State& trial = trial_[side];
                trial = s;
                if (side == 0)
                    trial.setBounds(c, s.lo(c), below);
                else
                    trial.setBounds(c, below + 1, s.up(c));
                const lp::Status status = trial.solve(p_, kTrialPivots);
                dead[side] = status == lp::Status::Infeasible && lp::provesInfeasible(p_, trial);
                objectives[side] = std::max(z, trial.objective(p_));
                bounds[side] = bound;
                if (status == lp::Status::Optimal) {
                    learn(c, side, (objectives[side] - z) / distance[side]);
                    if (has_ && roundUp(objectives[side]) > target()) {
                        lp::safeBound(p_, trial, scratch_);
                        bounds[side] = std::max(bound, scratch_.value);
                        dead[side] = pruned(bounds[side]);
                    }
                }
            }
            if (dead[0] && dead[1]) return 0;
            if (dead[0] || dead[1]) {
                // The other side is all that is left of this column; the node is solved again once the scan
                // has collected every such side.
                fixings_.push_back({c, dead[0] ? below + 1 : s.lo(c), dead[0] ? s.up(c) : below});
                break;
            }
            const double measured = score(objectives[0] - z, objectives[1] - z);
            if (measured > bestScore) {
                bestScore = measured;
                chosen = c;
                tried = true;
                sinceBetter = 0;
                std::swap(bestStates_[0], trial_[0]);
                std::swap(bestStates_[1], trial_[1]);
                bestSolved_[0] = solved_[0];
                bestSolved_[1] = solved_[1];
                for (int side = 0; side < 2; ++side) {
                    childBounds[side] = bounds[side];
                    childObjectives[side] = objectives[side];
                }
            } else if (++sinceBetter >= kLookahead) {
                break;
            }
        }
        if (!fixings_.empty()) {
            for (const Fixing& f : fixings_)
                s.setBounds(f.column, f.lo, f.up);
            fixings_.clear();
            return 1;
        }
        if (chosen < 0) return 0;
        const double below = std::floor(s.value(chosen));
        const double distance[2] = {s.value(chosen) - below, below + 1 - s.value(chosen)};
        // Depth first, the cheaper child on top.
        const int first = childObjectives[0] <= childObjectives[1] ? 1 : 0;
        for (const int side : {first, 1 - first}) {
            Node& child = pushSlot();
            if (tried && bestSolved_[side]) {
                std::swap(child.state, bestStates_[side]);
            } else {
                child.state = s;
                if (side == 0)
                    child.state.setBounds(chosen, s.lo(chosen), below);
                else
                    child.state.setBounds(chosen, below + 1, s.up(chosen));
                if (!tried) {
                    child.column = chosen;
                    child.side = side;
                }
                child.parentObjective = z;
                child.distance = distance[side];
            }
            child.bound = childBounds[side];
        }
        return 0;
    }

    const IntModel& model_;
    const std::vector<std::int64_t> objective_;
    const double step_;
    const bool keepTies_;
    lp::Problem p_;
    std::vector<double> lo_, up_;
    std::vector<char> branchable_;                // the parts and the activities of trace rows
    std::vector<std::vector<std::int64_t>> rows_; // the rows of the node problems in whole numbers
    long budget_;
    long work_ = 0;
    long nodes_ = 0;
    bool has_ = false;
    std::vector<std::int64_t> best_;
    std::int64_t bestValue_ = 0;
    std::vector<Node> stack_; // slots 0 .. depth_ - 1 hold the open nodes
    std::size_t depth_ = 0;
    std::vector<int> candidates_;
    lp::Bound bound_, scratch_;
    lp::State trial_[2];
    lp::State bestStates_[2];
    bool solved_[2] = {false, false};     // whether trial_[side] holds the solved child
    bool bestSolved_[2] = {false, false}; // the same for bestStates_
    std::vector<std::pair<double, int>> ranked_;
    std::vector<Pseudocost> pseudo_;
    Pseudocost overall_;
    std::vector<double> seed_;
    struct Fixing {
        int column;
        double lo, up;
    };
    std::vector<Fixing> fixings_;
    std::vector<double> duals_;
};

ExactEngine engine;
std::atomic<MilpEngine*> engineOverride{nullptr};

} // namespace

bool MilpProblem::isExact() const {
    if (exactObjective.size() != std::size_t(columnCount)) return false;
    return std::all_of(rows.begin(), rows.end(),
                       [](const Row& row) { return row.exactCoefficients.size() == row.columns.size(); });
}

MilpResult ExactEngine::solve(const MilpProblem& problem) {
    ClearUpperVectorHalves();
    IntModel model;
    const Prep prep = presolve(problem, model);
    if (prep == Prep::OtherShape) {
        MilpResult result = glpk_.solve(problem);
        std::lock_guard lock(mutex_);
        last_ = Statistics{};
        return result;
    }
    if (prep != Prep::Ok) {
        std::lock_guard lock(mutex_);
        last_ = Statistics{true, 0, 0};
        return {prep == Prep::Infeasible ? MilpStatus::Infeasible : MilpStatus::NumbersTooLarge, {}};
    }

    // Rows are homogeneous in (parts, k) apart from the must-use and difference rows, so the optima of two
    // earlier models of the same panel add up to a good point for their sum of k; one more part on top of the
    // previous optimum is another. Each is checked like any other point.
    std::vector<std::vector<std::int64_t>> candidates;
    std::vector<double> pseudocosts;
    {
        std::lock_guard lock(mutex_);
        if (history_.prices != problem.exactObjective) {
            history_.prices = problem.exactObjective;
            history_.optima.clear();
            history_.pseudocosts.clear();
        }
        pseudocosts = history_.pseudocosts;
        for (const auto& [k1, x1] : history_.optima) {
            if (2 * k1 > model.k) break;
            const auto other = history_.optima.find(model.k - k1);
            if (other == history_.optima.end() || x1.size() != std::size_t(model.n)) continue;
            std::vector<std::int64_t> sum = x1;
            for (int j = 0; j < model.n; ++j)
                sum[std::size_t(j)] += other->second[std::size_t(j)];
            candidates.push_back(std::move(sum));
        }
        const auto previous = history_.optima.find(model.k - 1);
        if (previous != history_.optima.end() && previous->second.size() == std::size_t(model.n)) {
            for (int j = 0; j < model.n; ++j) {
                candidates.push_back(previous->second);
                ++candidates.back()[std::size_t(j)];
            }
        }
    }

    std::vector<std::int64_t> weights; // 2^(j-1) for Xj
    for (int j = 0; j < model.n; ++j)
        weights.push_back(std::int64_t(1) << j);
    Statistics statistics{true, 0, 0};
    std::vector<std::int64_t> x;
    MilpStatus status = MilpStatus::Optimal;
    // The tie weight sum 2^(j-1) Xj of a blend of k parts lies between k and k 2^(n-1), so a price step times
    // W = k 2^n + 1 outweighs any difference in it: one search on price step x W + weight settles the price and
    // the tie at once. When that cannot be carried exactly, two searches do the same: the least price first,
    // then the least weight among the blends of that price.
    const std::int64_t w = model.k * (std::int64_t(1) << model.n) + 1;
    const std::int64_t dearest = *std::max_element(model.price.begin(), model.price.end()) / model.priceStep;
    if (double(dearest) * double(w) * double(model.k) + double(model.k) * double(w) < kMaxObjective) {
        std::vector<std::int64_t> combined;
        for (int j = 0; j < model.n; ++j)
            combined.push_back(model.price[std::size_t(j)] / model.priceStep * w + weights[std::size_t(j)]);
        Search search(model, combined, 1, true, budget_);
        for (const auto& candidate : candidates)
            search.offer(candidate);
        search.seedPseudocosts(pseudocosts);
        status = search.run();
        pseudocosts = search.learned();
        statistics = {true, search.work(), search.nodes()};
        x = search.incumbent();
    } else {
        Search cheapest(model, model.price, model.priceStep, false, budget_);
        for (const auto& candidate : candidates)
            cheapest.offer(candidate);
        status = cheapest.run();
        statistics = {true, cheapest.work(), cheapest.nodes()};
        if (status == MilpStatus::Optimal) {
            IntModel ofThatPrice = model;
            IntRow priceRow;
            priceRow.hasUp = true;
            priceRow.up = dot(model.price, cheapest.incumbent()) / model.priceStep;
            for (const std::int64_t p : model.price)
                priceRow.a.push_back(p / model.priceStep);
            ofThatPrice.rows.push_back(std::move(priceRow));
            Search tie(ofThatPrice, weights, 1, true, budget_ - cheapest.work());
            tie.offer(cheapest.incumbent());
            for (const auto& candidate : candidates)
                tie.offer(candidate);
            status = tie.run();
            statistics.work += tie.work();
            statistics.nodes += tie.nodes();
            x = tie.incumbent();
        }
    }
    MilpResult result;
    result.status = status;
    std::lock_guard lock(mutex_);
    last_ = statistics;
    if (status != MilpStatus::Optimal) return result;
    for (const std::int64_t v : x)
        result.values.push_back(double(v));
    if (!pseudocosts.empty()) history_.pseudocosts = pseudocosts;
    if (history_.optima.size() >= kMaxRememberedOptima) history_.optima.clear();
    history_.optima[model.k] = x;
    return result;
}

ExactEngine::Statistics ExactEngine::lastStatistics() const {
    std::lock_guard lock(mutex_);
    return last_;
}

void ExactEngine::forgetEarlierOptima() {
    std::lock_guard lock(mutex_);
    history_ = History{};
}

ExactEngine& builtInEngine() {
    return engine;
}

MilpEngine& defaultEngine() {
    MilpEngine* replaced = engineOverride.load();
    return replaced ? *replaced : engine;
}

void setDefaultEngine(MilpEngine* engine) {
    engineOverride.store(engine);
}

bool defaultEngineIsBuiltIn() {
    return engineOverride.load() == nullptr;
}

} // namespace vestrel::solver
