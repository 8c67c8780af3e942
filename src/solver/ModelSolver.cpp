#include "solver/ModelSolver.h"

#include <algorithm>
#include <cmath>

namespace vestrel::solver {

namespace {

// A row that still fails after this many tightened solves makes the model count as unsolved.
constexpr int kMaxAttempts = 8;
// Parts beyond this cannot come from a blend and are not checked exactly.
constexpr double kMaxPart = 1e9;

struct CheckedRow {
    std::vector<int> columns;
    std::vector<Decimal> coefficients;
    Relation relation = Relation::LessEqual;
    Decimal rhs;            // the limit cut to the grid the left side moves on; same whole points as written
    double engineRhs = 0.0; // what the engine is given before any tightening
    double shift = 0.0;     // how far the engine's rhs was tightened after failed checks
};

bool holds(const Decimal& lhs, Relation relation, const Decimal& rhs) {
    const int c = lhs.compare(rhs);
    return relation == Relation::LessEqual ? c <= 0 : relation == Relation::GreaterEqual ? c >= 0 : c == 0;
}

// Merges repeated variables and drops zero coefficients, so the engine sees each column once.
void collect(const std::vector<Term>& terms, const std::vector<int>& column, std::vector<int>& columns,
             std::vector<Decimal>& coefficients) {
    std::vector<std::pair<int, const Decimal*>> sorted;
    sorted.reserve(terms.size());
    for (const auto& term : terms)
        sorted.emplace_back(column[std::size_t(term.variable)], &term.coefficient);
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 0; k < sorted.size();) {
        Decimal sum;
        const int c = sorted[k].first;
        for (; k < sorted.size() && sorted[k].first == c; ++k)
            sum = sum + *sorted[k].second;
        if (!sum.isZero()) {
            columns.push_back(c);
            coefficients.push_back(std::move(sum));
        }
    }
}

// Prepares one row. Whole-number parts make the left side a multiple of 10^-d, d being the most decimals of
// a coefficient, so a limit such as 23.499999 can be cut back to 23.49 (or up, for ">") without losing a
// point; the engine then never has to decide within its tolerance. False when no whole point can meet it.
bool prepareRow(const Row& row, const std::vector<int>& column, std::vector<CheckedRow>& out) {
    CheckedRow checked;
    collect(row.terms, column, checked.columns, checked.coefficients);
    checked.relation = row.relation;
    if (checked.columns.empty()) return holds(Decimal(), row.relation, row.rhs);
    int decimals = 0;
    for (const auto& c : checked.coefficients)
        decimals = std::max(decimals, c.scale());
    Decimal lattice = row.rhs;
    if (row.relation == Relation::LessEqual)
        lattice = row.rhs.floorTo(decimals);
    else if (row.relation == Relation::GreaterEqual)
        lattice = row.rhs.ceilTo(decimals);
    else if (row.rhs.scale() > decimals)
        return false;
    checked.rhs = lattice;
    checked.engineRhs = lattice.toDouble();
    out.push_back(std::move(checked));
    return true;
}

MilpProblem::Row engineRow(const CheckedRow& row) {
    MilpProblem::Row r;
    r.columns = row.columns;
    for (const auto& c : row.coefficients)
        r.coefficients.push_back(c.toDouble());
    r.relation = row.relation;
    r.rhs = row.relation == Relation::LessEqual ? row.engineRhs - row.shift : row.engineRhs + row.shift;
    r.exactCoefficients = row.coefficients;
    r.exactRhs = row.rhs;
    return r;
}

Decimal leftSide(const CheckedRow& row, const std::vector<std::int64_t>& parts) {
    Decimal sum;
    for (std::size_t k = 0; k < row.columns.size(); ++k)
        sum = sum + row.coefficients[k].multipliedBy(std::uint32_t(parts[std::size_t(row.columns[k])]));
    return sum;
}

SolveResult solve(const Model& model, MilpEngine& engine) {
    const int n = int(model.variables.size());
    if (n == 0) return {SolveStatus::Failed, std::nullopt};
    std::vector<int> column(kMaxVariableId + 1, -1);
    for (int c = 0; c < n; ++c)
        column[std::size_t(model.variables[std::size_t(c)])] = c;

    std::vector<Decimal> price(static_cast<std::size_t>(n));
    for (const auto& term : model.objective) {
        Decimal& p = price[std::size_t(column[std::size_t(term.variable)])];
        p = p + term.coefficient;
    }
    std::vector<CheckedRow> rows;
    for (const auto& row : model.rows) {
        if (!prepareRow(row, column, rows)) return {SolveStatus::NoSolution, std::nullopt};
    }

    MilpProblem problem;
    problem.columnCount = n;
    for (const auto& p : price)
        problem.objective.push_back(p.toDouble());
    problem.exactObjective = price;

    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        problem.rows.clear();
        for (const auto& row : rows)
            problem.rows.push_back(engineRow(row));
        const MilpResult result = engine.solve(problem);
        switch (result.status) {
        case MilpStatus::Optimal:
            break;
        case MilpStatus::Infeasible:
            // Only the model as written proves that nothing meets it; a tightened one may have lost points.
            return {attempt == 0 ? SolveStatus::NoSolution : SolveStatus::Failed, std::nullopt};
        case MilpStatus::OutOfBudget:
            return {SolveStatus::OutOfBudget, std::nullopt};
        case MilpStatus::NumbersTooLarge:
            return {SolveStatus::NumbersTooLarge, std::nullopt};
        case MilpStatus::Failed:
            return {SolveStatus::Failed, std::nullopt};
        }
        const std::vector<double>& values = result.values;
        if (values.size() != std::size_t(n)) return {SolveStatus::Failed, std::nullopt};

        std::vector<std::int64_t> parts;
        for (double v : values) {
            if (!std::isfinite(v) || v < -0.5 || v > kMaxPart) return {SolveStatus::Failed, std::nullopt};
            parts.push_back(std::max<std::int64_t>(0, std::llround(v)));
        }

        // The engine accepts rows within its tolerance; only an exact check on the rounded parts is trusted.
        bool allHold = true;
        for (auto& row : rows) {
            const Decimal lhs = leftSide(row, parts);
            if (holds(lhs, row.relation, row.rhs)) continue;
            if (row.relation == Relation::Equal) return {SolveStatus::Failed, std::nullopt};
            allHold = false;
            // Grows at least geometrically, so a row whose violations stay inside the engine's tolerance is
            // pushed out of it within a few attempts.
            row.shift = std::max(2 * row.shift, row.shift + std::fabs((lhs - row.rhs).toDouble()));
        }
        if (!allHold) continue;

        Solution solution;
        solution.variables = model.variables;
        solution.parts = parts;
        for (int c = 0; c < n; ++c)
            solution.objective =
                solution.objective + price[std::size_t(c)].multipliedBy(std::uint32_t(parts[std::size_t(c)]));
        for (int target : model.exports) {
            solution.exported.push_back(target == 0 ? solution.objective.toDouble()
                                                    : double(parts[std::size_t(column[std::size_t(target)])]));
        }
        return {SolveStatus::Solved, std::move(solution)};
    }
    return {SolveStatus::Failed, std::nullopt};
}

QString reason(SolveStatus status) {
    switch (status) {
    case SolveStatus::Solved:
        return {};
    case SolveStatus::NoSolution:
        return QStringLiteral("no solution");
    case SolveStatus::OutOfBudget:
        return QStringLiteral("search budget spent before the optimum was proven");
    case SolveStatus::NumbersTooLarge:
        return QStringLiteral("a number is too large for exact arithmetic");
    case SolveStatus::Failed:
        break;
    }
    return QStringLiteral("the engine failed");
}

} // namespace

SolveResult solveModelChecked(const Model& model, MilpEngine& engine) {
    try {
        return solve(model, engine);
    } catch (...) {
        return {SolveStatus::Failed, std::nullopt};
    }
}

std::optional<Solution> solveModel(const Model& model, MilpEngine& engine) {
    return solveModelChecked(model, engine).solution;
}

std::optional<std::vector<double>> solveModelText(const QByteArray& text, MilpEngine& engine, QString* error,
                                                  SolveStatus* status) {
    bool numbers = false;
    const auto model = parseModel(text, error, &numbers);
    if (!model) {
        if (status) *status = numbers ? SolveStatus::NumbersTooLarge : SolveStatus::Failed;
        return std::nullopt;
    }
    SolveResult result = solveModelChecked(*model, engine);
    if (status) *status = result.status;
    if (!result.solution) {
        if (error) *error = reason(result.status);
        return std::nullopt;
    }
    return std::move(result.solution->exported);
}

std::optional<std::vector<double>> solveModelText(const QByteArray& text, QString* error) {
    return solveModelText(text, defaultEngine(), error);
}

} // namespace vestrel::solver
