#include "history/PriceCurve.h"

#include "blending/ExplainSolve.h"
#include "blending/PanelTexts.h"
#include "history/StoredSet.h"

#include <algorithm>
#include <cmath>

namespace vestrel {

namespace {

solver::Decimal decimal(double v) {
    return solver::Decimal::parse(QString::number(v, 'f', 6).toStdString()).value_or(solver::Decimal());
}

} // namespace

std::optional<double> CheapestContinuousBlend(const QList<Mei>& lots, const std::vector<SetLimit>& limits,
                                              std::optional<double> tonnes) {
    const int n = int(lots.size());
    if (n == 0) return std::nullopt;
    explain::Rows rows;
    rows.n = n;
    solver::Row sum;
    sum.relation = solver::Relation::Equal;
    sum.rhs = solver::Decimal::fromInteger(1);
    for (int j = 1; j <= n; ++j)
        sum.terms.push_back({j, solver::Decimal::fromInteger(1)});
    rows.rows.push_back(sum);
    for (const SetLimit& l : limits) {
        solver::Row r;
        for (int j = 0; j < n; ++j)
            r.terms.push_back({j + 1, decimal(lots[j].*CellMember(IndexCell(l.index)))});
        r.relation = l.lower ? solver::Relation::GreaterEqual : solver::Relation::LessEqual;
        r.rhs = decimal(l.value);
        rows.rows.push_back(r);
    }
    if (tonnes && *tonnes > 0)
        for (int j = 0; j < n; ++j) { // share x tonnes <= stock
            solver::Row r;
            r.terms = {{j + 1, decimal(*tonnes)}};
            r.rhs = decimal(std::max(0.0, lots[j].Kucun));
            rows.rows.push_back(r);
        }
    std::vector<double> price;
    for (const Mei& m : lots)
        price.push_back(m.JiaGe);
    return explain::continuousMinimum(rows, price);
}

DbResult<PriceCurve> LoadPriceCurve(qint64 setId) {
    const DbResult<StoredSet> set = LoadStoredSet(setId);
    if (!set) return DbError{set.error()};
    PriceCurve curve;
    for (const StoredScheme& scheme : set->schemes)
        curve.points.push_back({scheme.k, scheme.price});
    std::stable_sort(curve.points.begin(), curve.points.end(),
                     [](const PricePoint& a, const PricePoint& b) { return a.k < b.k; });
    const QStringList names = LotNames(*set);
    curve.continuous =
        CheapestContinuousBlend(set->lots, LimitsOfSummary(set->summary, names), TonnesOfSummary(set->summary, names));
    return curve;
}

} // namespace vestrel
