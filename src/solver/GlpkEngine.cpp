#include "solver/MilpEngine.h"

#include "solver/CpuState.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <glpk.h>

namespace vestrel::solver {

namespace {

// GLPK prunes a branch whose bound is within tol_obj * (1 + |incumbent|) of the incumbent. With the default
// 1e-7 and a price of 100 parts near 180000 that is 0.018, more than the 0.01 by which two blends can differ,
// so a cheaper blend could be cut off. The tighter value only costs a few more nodes on exact ties.
constexpr double kObjectiveTolerance = 1e-11;
// Enough for any model the reader accepts; an error from GLPK ends the solve instead of the program.
constexpr int kMemoryLimitMb = 512;
// GLPK 5.0's MIP presolver raises integer bounds one unit per pass. On an infeasible model whose columns have
// no upper bound (X1-X2=10 together with X1-X2<9) it never stops, and the time limit does not cover it.
// The program's models bound every column by the sum row (Xj <= k); a model without such bounds is solved
// without the presolver, after its LP relaxation.
constexpr double kPresolveBoundLimit = 1e5;

int swallowOutput(void*, const char*) {
    return 1;
}

[[noreturn]] void leaveGlpk(void* info) {
    std::longjmp(*static_cast<std::jmp_buf*>(info), 1);
}

// GLPK reports internal errors (including failed assertions) through the error hook and then aborts; the hook
// jumps back here instead. Only trivially destructible objects live in this frame, so the jump skips no
// destructor, and afterwards GLPK's whole environment, the problem included, must be freed.
MilpStatus runGuarded(const MilpProblem& problem, const std::vector<std::vector<int>>& indices,
                      const std::vector<std::vector<double>>& values, const glp_iocp& parm, double* out) {
    std::jmp_buf jump;
    glp_prob* volatile lp = nullptr;
    if (setjmp(jump) != 0) {
        glp_error_hook(nullptr, nullptr);
        glp_free_env();
        return MilpStatus::Failed;
    }
    glp_error_hook(leaveGlpk, &jump);
    glp_term_hook(swallowOutput, nullptr);
    glp_term_out(GLP_OFF);
    glp_mem_limit(kMemoryLimitMb);

    lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MIN);
    const int n = problem.columnCount;
    glp_add_cols(lp, n);
    for (int j = 0; j < n; ++j) {
        glp_set_col_kind(lp, j + 1, GLP_IV);
        glp_set_col_bnds(lp, j + 1, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(lp, j + 1, problem.objective[std::size_t(j)]);
    }
    const int m = int(problem.rows.size());
    if (m > 0) glp_add_rows(lp, m);
    for (int i = 0; i < m; ++i) {
        const auto& row = problem.rows[std::size_t(i)];
        const int type = row.relation == Relation::LessEqual      ? GLP_UP
                         : row.relation == Relation::GreaterEqual ? GLP_LO
                                                                  : GLP_FX;
        glp_set_row_bnds(lp, i + 1, type, row.rhs, row.rhs);
        glp_set_mat_row(lp, i + 1, int(row.columns.size()), indices[std::size_t(i)].data(),
                        values[std::size_t(i)].data());
    }

    // Only a proof of infeasibility (or of an unbounded relaxation, which leaves no optimum either) counts as
    // "no solution"; a time limit or a numerical breakdown says nothing about the model.
    MilpStatus status = MilpStatus::Failed;
    int code = 0;
    if (parm.presolve != GLP_ON) {
        glp_smcp lpParm;
        glp_init_smcp(&lpParm);
        lpParm.msg_lev = GLP_MSG_OFF;
        lpParm.tm_lim = parm.tm_lim;
        code = glp_simplex(lp, &lpParm);
        if (code == 0 && (glp_get_status(lp) == GLP_NOFEAS || glp_get_status(lp) == GLP_UNBND))
            status = MilpStatus::Infeasible;
        else if (code != 0 || glp_get_status(lp) != GLP_OPT)
            code = -1;
    }
    if (code == 0 && status == MilpStatus::Failed) {
        code = glp_intopt(lp, &parm);
        if (code == 0 && glp_mip_status(lp) == GLP_OPT) {
            for (int j = 0; j < n; ++j)
                out[j] = glp_mip_col_val(lp, j + 1);
            status = MilpStatus::Optimal;
        } else if ((code == 0 && glp_mip_status(lp) == GLP_NOFEAS) || code == GLP_ENOPFS || code == GLP_ENODFS) {
            status = MilpStatus::Infeasible;
        }
    }
    glp_delete_prob(lp);
    glp_error_hook(nullptr, nullptr);
    return status;
}

bool isWellFormed(const MilpProblem& problem) {
    if (problem.columnCount < 1 || problem.objective.size() != std::size_t(problem.columnCount)) return false;
    for (double c : problem.objective) {
        if (!std::isfinite(c)) return false;
    }
    for (const auto& row : problem.rows) {
        if (row.columns.empty() || row.columns.size() != row.coefficients.size() || !std::isfinite(row.rhs))
            return false;
        std::vector<bool> seen(std::size_t(problem.columnCount), false);
        for (std::size_t k = 0; k < row.columns.size(); ++k) {
            const int j = row.columns[k];
            if (j < 0 || j >= problem.columnCount || seen[std::size_t(j)] || !std::isfinite(row.coefficients[k]))
                return false;
            seen[std::size_t(j)] = true;
        }
    }
    return true;
}

// True when rows with positive coefficients only (and "<" or "=") keep every column below the limit.
bool columnsBounded(const MilpProblem& problem, double limit) {
    std::vector<double> bound(std::size_t(problem.columnCount), HUGE_VAL);
    for (const auto& row : problem.rows) {
        const bool positive =
            std::all_of(row.coefficients.begin(), row.coefficients.end(), [](double a) { return a > 0; });
        if (row.relation == Relation::GreaterEqual || !positive) continue;
        for (std::size_t k = 0; k < row.columns.size(); ++k) {
            double& b = bound[std::size_t(row.columns[k])];
            b = std::min(b, row.rhs / row.coefficients[k]);
        }
    }
    return std::all_of(bound.begin(), bound.end(), [limit](double b) { return b <= limit; });
}

} // namespace

MilpResult GlpkEngine::solve(const MilpProblem& problem) {
    ClearUpperVectorHalves();
    if (!isWellFormed(problem)) return {MilpStatus::Failed, {}};
    // GLPK takes 1-based arrays.
    std::vector<std::vector<int>> indices;
    std::vector<std::vector<double>> values;
    indices.reserve(problem.rows.size());
    values.reserve(problem.rows.size());
    for (const auto& row : problem.rows) {
        std::vector<int> ind{0};
        std::vector<double> val{0.0};
        for (std::size_t k = 0; k < row.columns.size(); ++k) {
            ind.push_back(row.columns[k] + 1);
            val.push_back(row.coefficients[k]);
        }
        indices.push_back(std::move(ind));
        values.push_back(std::move(val));
    }

    // Fixed settings: the same model always gives the same point, also among equally cheap blends. No tie
    // rule is added on top; which optimum GLPK's branching reaches first is the one returned.
    glp_iocp parm;
    glp_init_iocp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = columnsBounded(problem, kPresolveBoundLimit) ? GLP_ON : GLP_OFF;
    parm.tol_obj = kObjectiveTolerance;
    parm.tm_lim = timeLimitMs_ > 0 ? timeLimitMs_ : INT_MAX;

    MilpResult result;
    result.values.assign(std::size_t(problem.columnCount), 0.0);
    result.status = runGuarded(problem, indices, values, parm, result.values.data());
    if (result.status != MilpStatus::Optimal) result.values.clear();
    return result;
}

void GlpkEngine::releaseThread() {
    glp_free_env();
}

} // namespace vestrel::solver
