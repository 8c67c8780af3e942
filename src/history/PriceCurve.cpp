#include "history/PriceCurve.h"

#include "blending/ExplainSolve.h"
#include "blending/PanelTexts.h"
#include "data/Dbconnection.h"

#include <QSqlQuery>
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
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    QSqlQuery q(session.db());
    if (!q.prepare(QStringLiteral("SELECT xinxi FROM Lishi_fangan WHERE id=?"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    if (!q.next()) return DbError{}; // gone: nothing to add
    const QString summary = q.value(0).toString();
    q.finish();

    PriceCurve curve;
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_Peibibiao WHERE followid=? ORDER BY id ASC"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        double k = 0;
        for (int j = 1; j <= 10; ++j)
            k += q.value(QStringLiteral("d%1").arg(j)).toDouble();
        curve.points.push_back({int(std::lround(k)), q.value(QStringLiteral("JiaGe")).toDouble()});
    }
    q.finish();
    std::stable_sort(curve.points.begin(), curve.points.end(),
                     [](const PricePoint& a, const PricePoint& b) { return a.k < b.k; });

    QList<Mei> lots;
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_meitan WHERE followid=? ORDER BY id ASC"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        Mei m;
        m.MingCheng = q.value(QStringLiteral("Name")).toString();
        for (const QualityIndex& idx : QualityIndices())
            m.*idx.member = q.value(QLatin1String(idx.column)).toDouble();
        m.Kucun = q.value(QStringLiteral("kucun")).toDouble();
        m.JiaGe = q.value(QStringLiteral("JiaGe")).toDouble();
        lots << m;
    }
    QStringList names;
    for (const Mei& m : lots)
        names << m.MingCheng;
    curve.continuous = CheapestContinuousBlend(lots, LimitsOfSummary(summary, names), TonnesOfSummary(summary, names));
    return curve;
}

} // namespace vestrel
