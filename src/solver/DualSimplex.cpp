#include "solver/DualSimplex.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vestrel::solver::lp {

namespace {

constexpr double kPivotTolerance = 1e-9;
constexpr double kPrimalTolerance = 1e-9;
constexpr double kDualTolerance = 1e-11; // relative to the largest cost
// Unit roundoff of double.
constexpr double kUnit = 0x1p-53;

// Terms of the rigorous bound: sum of terms and sum of their magnitudes, for the final error allowance.
struct Sum {
    double value = 0.0;
    double magnitude = 0.0;
    int count = 0;
    void add(double term) {
        value += term;
        magnitude += std::fabs(term);
        ++count;
    }
    // A lower bound of the exact sum: recursive summation of k terms errs by at most k u times the sum of
    // magnitudes; twice that and two more terms cover the rounding of the products and of this allowance.
    double lower() const { return value - 2.0 * (count + 2) * kUnit * magnitude; }
};

// The bound for cost (or 0 when cost is null) and duals y over the box lo..up: every point that meets the rows
// has cost . x = sum_j (cost_j - (y A)_j) x_j + sum_i y_i r_i, and each term is bounded over its own box.
// Column c's bounds may be replaced by lo..up (c = -1: none).
double boundFor(const Problem& p, const double* cost, const std::vector<double>& y, const State& s, Bound* out,
                int c = -1, double lo = 0, double up = 0) {
    const auto lower = [&](int j) { return j == c ? lo : s.lo(j); };
    const auto upper = [&](int j) { return j == c ? up : s.up(j); };
    thread_local std::vector<int> rows;
    rows.clear();
    for (int i = 0; i < p.m; ++i) {
        if (y[std::size_t(i)] != 0.0) rows.push_back(i);
    }
    Sum total;
    for (int j = 0; j < p.n; ++j) {
        double dj = cost ? cost[j] : 0.0;
        double magnitude = std::fabs(dj);
        for (const int i : rows) {
            const double product = y[std::size_t(i)] * p.a[std::size_t(i) * std::size_t(p.n) + std::size_t(j)];
            dj -= product;
            magnitude += std::fabs(product);
        }
        const double error = 2.0 * (p.m + 3) * kUnit * magnitude;
        const double dl = dj - error;
        const double du = dj + error;
        double term = 0.0;
        double gain = 0.0;
        bool fromUpper = false;
        if (dl >= 0) {
            term = dl * lower(j);
            gain = dl;
        } else {
            // With x >= 0 the least of d x over d in [dl, du] is dl times the upper bound.
            term = dl * upper(j);
            gain = du <= 0 ? -du : 0.0;
            fromUpper = true;
        }
        total.add(term);
        if (out) {
            out->gain[std::size_t(j)] = gain;
            out->fromUpper[std::size_t(j)] = fromUpper;
        }
    }
    for (int i = 0; i < p.m; ++i) {
        const double yi = y[std::size_t(i)];
        const int col = p.n + i;
        total.add(yi >= 0 ? yi * lower(col) : yi * upper(col));
        if (out) {
            out->gain[std::size_t(col)] = std::fabs(yi);
            out->fromUpper[std::size_t(col)] = yi < 0;
        }
    }
    return total.lower();
}

} // namespace

void State::layout(const Problem& p) {
    n_ = p.n;
    m_ = p.m;
    width_ = p.columns();
    const std::size_t n = std::size_t(n_), m = std::size_t(m_), w = std::size_t(width_);
    betaAt_ = m * n;
    dAt_ = betaAt_ + m;
    loAt_ = dAt_ + n;
    upAt_ = loAt_ + w;
    dbl_.assign(upAt_ + w, 0.0);
    nonbasicAt_ = m;
    whereAt_ = nonbasicAt_ + n;
    upperAt_ = whereAt_ + w;
    int_.assign(upperAt_ + w, 0);
}

void State::reset(const Problem& p, const std::vector<double>& lo, const std::vector<double>& up) {
    layout(p);
    std::copy(lo.begin(), lo.end(), dbl_.begin() + std::ptrdiff_t(loAt_));
    std::copy(up.begin(), up.end(), dbl_.begin() + std::ptrdiff_t(upAt_));
    // B = -I on the activities, so B^-1 N = -A.
    for (std::size_t k = 0; k < std::size_t(m_) * std::size_t(n_); ++k)
        dbl_[k] = -p.a[k];
    for (int i = 0; i < m_; ++i) {
        int_[std::size_t(i)] = n_ + i;
        int_[whereAt_ + std::size_t(n_ + i)] = i;
    }
    for (int j = 0; j < n_; ++j) {
        int_[nonbasicAt_ + std::size_t(j)] = j;
        int_[whereAt_ + std::size_t(j)] = -1 - j;
        int_[upperAt_ + std::size_t(j)] = p.cost[std::size_t(j)] < 0;
    }
    computeBetaAndCosts(p);
    infeasibleRow_ = -1;
    pivots_ = 0;
}

void State::computeBetaAndCosts(const Problem& p) {
    const std::size_t n = std::size_t(n_);
    double* beta = &dbl_[betaAt_];
    double* d = &dbl_[dAt_];
    std::fill(beta, beta + m_, 0.0);
    for (int k = 0; k < n_; ++k) {
        const int c = int_[nonbasicAt_ + std::size_t(k)];
        const double v = value(c);
        if (v != 0.0) {
            for (int i = 0; i < m_; ++i)
                beta[i] -= dbl_[std::size_t(i) * n + std::size_t(k)] * v;
        }
        d[k] = c < p.n ? p.cost[std::size_t(c)] : 0.0;
    }
    for (int i = 0; i < m_; ++i) {
        const int b = int_[std::size_t(i)];
        const double cb = b < p.n ? p.cost[std::size_t(b)] : 0.0;
        if (cb == 0.0) continue;
        for (int k = 0; k < n_; ++k)
            d[k] -= cb * dbl_[std::size_t(i) * n + std::size_t(k)];
    }
}

double State::objective(const Problem& p) const {
    double z = 0.0;
    for (int j = 0; j < p.n; ++j)
        z += p.cost[std::size_t(j)] * value(j);
    return z;
}

void State::moveNonbasic(int k, double delta) {
    if (delta == 0.0) return;
    double* beta = &dbl_[betaAt_];
    for (int i = 0; i < m_; ++i)
        beta[i] -= dbl_[std::size_t(i) * std::size_t(n_) + std::size_t(k)] * delta;
}

void State::setBounds(int c, double lo, double up) {
    const int w = where(c);
    const double before = value(c);
    dbl_[loAt_ + std::size_t(c)] = lo;
    dbl_[upAt_ + std::size_t(c)] = up;
    if (w < 0) moveNonbasic(-1 - w, value(c) - before);
}

// Rounding can leave a nonbasic column's reduced cost with the wrong sign for its bound; every column is boxed,
// so it moves to the other bound and the basis stays dual feasible.
void State::fixDualSigns(const Problem& p) {
    const double tolerance = kDualTolerance * std::max(1.0, p.costScale);
    const double* d = &dbl_[dAt_];
    for (int k = 0; k < n_; ++k) {
        const int c = int_[nonbasicAt_ + std::size_t(k)];
        const double l = lo(c), u = up(c);
        if (l == u) continue;
        int& upper = int_[upperAt_ + std::size_t(c)];
        if (!upper && d[k] < -tolerance) {
            moveNonbasic(k, u - l);
            upper = 1;
        } else if (upper && d[k] > tolerance) {
            moveNonbasic(k, l - u);
            upper = 0;
        }
    }
}

Status State::solve(const Problem& p, int maxPivots) {
    fixDualSigns(p);
    infeasibleRow_ = -1;
    const std::size_t n = std::size_t(n_);
    double* t = dbl_.data();
    double* beta = &dbl_[betaAt_];
    double* d = &dbl_[dAt_];
    for (int done = 0;; ++done) {
        int r = -1;
        double worst = 0.0;
        for (int i = 0; i < m_; ++i) {
            const int b = int_[std::size_t(i)];
            const double v = beta[i], l = lo(b), u = up(b);
            double violation = 0.0;
            if (v < l - kPrimalTolerance * (1.0 + std::fabs(l)))
                violation = l - v;
            else if (v > u + kPrimalTolerance * (1.0 + std::fabs(u)))
                violation = v - u;
            if (violation > worst) {
                worst = violation;
                r = i;
            }
        }
        if (r < 0) return Status::Optimal;
        if (done >= maxPivots) return Status::Stalled;

        const int leaving = int_[std::size_t(r)];
        const bool toLower = beta[r] < lo(leaving);
        const double target = toLower ? lo(leaving) : up(leaving);
        double* row = t + std::size_t(r) * n;
        // The leaving value is beta_r - sum t_rk (x_k - its bound); a column may enter when moving it away from
        // its bound pushes the leaving value towards the target. The smallest |d_k / t_rk| keeps every reduced
        // cost's sign; among equal ratios the largest pivot is the most stable.
        int q = -1;
        double bestRatio = std::numeric_limits<double>::infinity();
        double bestPivot = 0.0;
        for (int k = 0; k < n_; ++k) {
            const int c = int_[nonbasicAt_ + std::size_t(k)];
            const double a = row[k];
            if (std::fabs(a) <= kPivotTolerance || lo(c) == up(c)) continue;
            double direction = toLower ? -a : a;
            if (atUpper(c)) direction = -direction;
            if (direction <= 0) continue;
            const double ratio = std::fabs(d[k]) / std::fabs(a);
            if (ratio < bestRatio * (1 - 1e-12) || (ratio <= bestRatio * (1 + 1e-12) && std::fabs(a) > bestPivot)) {
                bestRatio = std::min(ratio, bestRatio);
                bestPivot = std::fabs(a);
                q = k;
            }
        }
        if (q < 0) {
            infeasibleRow_ = r;
            return Status::Infeasible;
        }

        const int entering = int_[nonbasicAt_ + std::size_t(q)];
        const double enteringFrom = value(entering);
        const double pivot = row[q];
        const double theta = (beta[r] - target) / pivot;
        for (int i = 0; i < m_; ++i)
            beta[i] -= t[std::size_t(i) * n + std::size_t(q)] * theta;
        beta[r] = enteringFrom + theta;

        // Exchange: the entering column takes row r, the leaving one position q.
        const double inverse = 1.0 / pivot;
        for (int k = 0; k < n_; ++k)
            row[k] *= inverse;
        row[q] = inverse;
        for (int i = 0; i < m_; ++i) {
            if (i == r) continue;
            double* other = t + std::size_t(i) * n;
            const double f = other[q];
            if (f == 0.0) continue;
            for (int k = 0; k < n_; ++k)
                other[k] -= f * row[k];
            other[q] = -f * inverse;
        }
        const double f = d[q];
        if (f != 0.0) {
            for (int k = 0; k < n_; ++k)
                d[k] -= f * row[k];
        }
        d[q] = -f * inverse;

        int_[std::size_t(r)] = entering;
        int_[whereAt_ + std::size_t(entering)] = r;
        int_[nonbasicAt_ + std::size_t(q)] = leaving;
        int_[whereAt_ + std::size_t(leaving)] = -1 - q;
        int_[upperAt_ + std::size_t(leaving)] = toLower ? 0 : 1;
        ++pivots_;
    }
}

bool State::onePivotChild(const Problem& p, int c, bool down, double& objective, std::vector<double>* duals) const {
    const int r = where(c);
    if (r < 0) return false;
    const std::size_t n = std::size_t(n_);
    const double* t = dbl_.data();
    const double* beta = &dbl_[betaAt_];
    const double* d = &dbl_[dAt_];
    const double v = beta[r];
    const double target = down ? std::floor(v) : std::ceil(v);
    const bool toLower = !down;
    const double* row = t + std::size_t(r) * n;
    // Nonbasic columns must keep their reduced costs' signs, as solve() would find them.
    const double tolerance = kDualTolerance * std::max(1.0, p.costScale);
    int q = -1;
    double bestRatio = std::numeric_limits<double>::infinity();
    double bestPivot = 0.0;
    for (int k = 0; k < n_; ++k) {
        const int col = int_[nonbasicAt_ + std::size_t(k)];
        if (lo(col) == up(col)) continue;
        if (atUpper(col) ? d[k] > tolerance : d[k] < -tolerance) return false;
        const double a = row[k];
        if (std::fabs(a) <= kPivotTolerance) continue;
        double direction = toLower ? -a : a;
        if (atUpper(col)) direction = -direction;
        if (direction <= 0) continue;
        const double ratio = std::fabs(d[k]) / std::fabs(a);
        if (ratio < bestRatio * (1 - 1e-12) || (ratio <= bestRatio * (1 + 1e-12) && std::fabs(a) > bestPivot)) {
            bestRatio = std::min(ratio, bestRatio);
            bestPivot = std::fabs(a);
            q = k;
        }
    }
    if (q < 0) return false;
    const int entering = int_[nonbasicAt_ + std::size_t(q)];
    const double theta = (v - target) / row[q];
    const double enteringValue = value(entering) + theta;
    const auto inside = [](double x, double l, double u) {
        return x >= l - kPrimalTolerance * (1.0 + std::fabs(l)) && x <= u + kPrimalTolerance * (1.0 + std::fabs(u));
    };
    if (!inside(enteringValue, lo(entering), up(entering))) return false;
    for (int i = 0; i < m_; ++i) {
        if (i == r) continue;
        const int b = int_[std::size_t(i)];
        if (!inside(beta[i] - t[std::size_t(i) * n + std::size_t(q)] * theta, lo(b), up(b))) return false;
    }
    double z = 0.0;
    for (int j = 0; j < p.n; ++j) {
        double x = value(j);
        if (j == entering)
            x = enteringValue;
        else if (j == c)
            x = target;
        else if (where(j) >= 0)
            x -= t[std::size_t(where(j)) * n + std::size_t(q)] * theta;
        z += p.cost[std::size_t(j)] * x;
    }
    objective = z;
    if (duals) {
        // After the pivot: d'_k = d_k - d_q t_rk / t_rq, the leaving column at position q with -d_q / t_rq, the
        // entering one basic (dual 0).
        duals->assign(std::size_t(m_), 0.0);
        const double ratio = d[q] / row[q];
        for (int k = 0; k < n_; ++k) {
            const int col = int_[nonbasicAt_ + std::size_t(k)];
            if (k == q || col < p.n) continue;
            (*duals)[std::size_t(col - p.n)] = d[k] - ratio * row[k];
        }
        if (c >= p.n) (*duals)[std::size_t(c - p.n)] = -ratio;
    }
    return true;
}

bool State::refactor(const Problem& p) {
    // Gauss-Jordan elimination of [A -I] on the basic columns, with the largest remaining pivot each time.
    const std::size_t w = std::size_t(width_);
    thread_local std::vector<double> full;
    full.assign(std::size_t(m_) * w, 0.0);
    for (int i = 0; i < m_; ++i) {
        for (int j = 0; j < p.n; ++j)
            full[std::size_t(i) * w + std::size_t(j)] = p.a[std::size_t(i) * std::size_t(p.n) + std::size_t(j)];
        full[std::size_t(i) * w + std::size_t(p.n + i)] = -1.0;
    }
    std::vector<int> columns(int_.begin(), int_.begin() + m_);
    std::vector<char> used(std::size_t(m_), 0);
    for (const int c : columns) {
        int r = -1;
        double best = 0.0;
        for (int i = 0; i < m_; ++i) {
            const double a = std::fabs(full[std::size_t(i) * w + std::size_t(c)]);
            if (!used[std::size_t(i)] && a > best) {
                best = a;
                r = i;
            }
        }
        if (r < 0 || best < 1e-9) {
            const std::vector<double> lo(dbl_.begin() + std::ptrdiff_t(loAt_),
                                         dbl_.begin() + std::ptrdiff_t(loAt_ + w));
            const std::vector<double> up(dbl_.begin() + std::ptrdiff_t(upAt_),
                                         dbl_.begin() + std::ptrdiff_t(upAt_ + w));
            reset(p, lo, up);
            return false;
        }
        used[std::size_t(r)] = 1;
        int_[std::size_t(r)] = c;
        double* pivotRow = &full[std::size_t(r) * w];
        const double inverse = 1.0 / pivotRow[c];
        for (std::size_t k = 0; k < w; ++k)
            pivotRow[k] *= inverse;
        pivotRow[c] = 1.0;
        for (int i = 0; i < m_; ++i) {
            if (i == r) continue;
            double* row = &full[std::size_t(i) * w];
            const double f = row[c];
            if (f == 0.0) continue;
            for (std::size_t k = 0; k < w; ++k)
                row[k] -= f * pivotRow[k];
            row[c] = 0.0;
        }
    }
    for (int i = 0; i < m_; ++i)
        int_[whereAt_ + std::size_t(int_[std::size_t(i)])] = i;
    for (int k = 0; k < n_; ++k) {
        const int c = int_[nonbasicAt_ + std::size_t(k)];
        for (int i = 0; i < m_; ++i)
            dbl_[std::size_t(i) * std::size_t(n_) + std::size_t(k)] = full[std::size_t(i) * w + std::size_t(c)];
    }
    computeBetaAndCosts(p);
    pivots_ = 0;
    return true;
}

void safeBound(const Problem& p, const State& s, Bound& out) {
    out.gain.assign(std::size_t(p.columns()), 0.0);
    out.fromUpper.assign(std::size_t(p.columns()), 0);
    // The dual of row i is the reduced cost of its activity column (zero while that column is basic).
    thread_local std::vector<double> y;
    y.assign(std::size_t(p.m), 0.0);
    for (int i = 0; i < p.m; ++i) {
        if (!s.isBasic(p.n + i)) y[std::size_t(i)] = s.reducedCost(p.n + i);
    }
    out.value = boundFor(p, p.cost.data(), y, s, &out);
}

double safeBound(const Problem& p, const State& s, const std::vector<double>& y, int c, double lo, double up) {
    return boundFor(p, p.cost.data(), y, s, nullptr, c, lo, up);
}

bool provesInfeasible(const Problem& p, const State& s) {
    const int r = s.infeasibleRow();
    if (r < 0) return false;
    // Row r of the tableau is w [A -I] with w row r of B^-1, which the activity columns hold negated. Every
    // point that meets the rows has w A x - w r = 0; a bound of either sign above 0 rules every point out.
    // Both signs in one pass: the terms of the second are the first's with d and y negated.
    Sum plus, minus;
    thread_local std::vector<double> w;
    w.resize(std::size_t(p.m));
    for (int i = 0; i < p.m; ++i)
        w[std::size_t(i)] = -s.tableau(r, p.n + i);
    for (int j = 0; j < p.n; ++j) {
        double dj = 0.0, magnitude = 0.0; // d_j = (w A)_j for y = -w
        for (int i = 0; i < p.m; ++i) {
            const double product = w[std::size_t(i)] * p.a[std::size_t(i) * std::size_t(p.n) + std::size_t(j)];
            dj += product;
            magnitude += std::fabs(product);
        }
        const double error = 2.0 * (p.m + 3) * kUnit * magnitude;
        const auto term = [&](double d) {
            const double dl = d - error;
            return dl >= 0 ? dl * s.lo(j) : dl * s.up(j);
        };
        plus.add(term(dj));
        minus.add(term(-dj));
    }
    for (int i = 0; i < p.m; ++i) {
        const double yi = -w[std::size_t(i)];
        const int c = p.n + i;
        plus.add(yi >= 0 ? yi * s.lo(c) : yi * s.up(c));
        minus.add(-yi >= 0 ? -yi * s.lo(c) : -yi * s.up(c));
    }
    return plus.lower() > 0 || minus.lower() > 0;
}

} // namespace vestrel::solver::lp
