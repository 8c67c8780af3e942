#include "blending/ExplainSolve.h"

#include "solver/ModelSolver.h"

#include <glpk.h>

namespace vestrel::explain {

std::optional<WholePoint> solveWhole(const Rows& rows, const std::vector<solver::Term>& objective) {
    solver::Model model;
    model.objectiveName = "rObj";
    model.objective = objective;
    model.rows = rows.rows;
    for (int j = 1; j <= rows.n; ++j) {
        model.variables.push_back(j);
        model.exports.push_back(j);
    }
    model.exports.push_back(0);
    const std::optional<solver::Solution> s = solver::solveModel(model, solver::defaultEngine());
    if (!s) return std::nullopt;
    WholePoint point;
    point.parts.assign(size_t(rows.n), 0);
    for (size_t i = 0; i < s->variables.size(); ++i)
        if (s->variables[i] >= 1 && s->variables[i] <= rows.n) point.parts[size_t(s->variables[i] - 1)] = s->parts[i];
    point.objective = s->objective;
    return point;
}

bool wholeFeasible(const Rows& rows) {
    return solveWhole(rows).has_value();
}

std::optional<double> continuousMinimum(const Rows& rows, const std::vector<double>& objective) {
    glp_prob* lp = glp_create_prob();
    glp_term_out(GLP_OFF);
    glp_set_obj_dir(lp, GLP_MIN);
    glp_add_cols(lp, rows.n);
    for (int j = 1; j <= rows.n; ++j) {
        glp_set_col_bnds(lp, j, GLP_LO, 0.0, 0.0);
        if (size_t(j) <= objective.size()) glp_set_obj_coef(lp, j, objective[size_t(j - 1)]);
    }
    if (!rows.rows.empty()) glp_add_rows(lp, int(rows.rows.size()));
    int i = 0;
    for (const solver::Row& row : rows.rows) {
        ++i;
        std::vector<double> values(size_t(rows.n) + 1, 0.0);
        for (const solver::Term& t : row.terms)
            values[size_t(t.variable)] += t.coefficient.toDouble();
        std::vector<int> index{0};
        std::vector<double> value{0.0};
        for (int j = 1; j <= rows.n; ++j)
            if (values[size_t(j)] != 0.0) {
                index.push_back(j);
                value.push_back(values[size_t(j)]);
            }
        const double rhs = row.rhs.toDouble();
        const int type = row.relation == solver::Relation::LessEqual      ? GLP_UP
                         : row.relation == solver::Relation::GreaterEqual ? GLP_LO
                                                                          : GLP_FX;
        glp_set_row_bnds(lp, i, type, rhs, rhs);
        glp_set_mat_row(lp, i, int(index.size()) - 1, index.data(), value.data());
    }
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = GLP_ON;
    const int rc = glp_simplex(lp, &parm);
    std::optional<double> best;
    if (rc == 0 && glp_get_status(lp) == GLP_OPT) best = glp_get_obj_val(lp);
    glp_delete_prob(lp);
    return best;
}

bool continuousFeasible(const Rows& rows) {
    return continuousMinimum(rows, {}).has_value();
}

} // namespace vestrel::explain
