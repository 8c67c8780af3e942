#include "history/Headroom.h"

#include "blending/BlendingTexts.h"
#include "data/Dbconnection.h"

#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace vestrel {

namespace {

constexpr double kNearShare = 0.02;

} // namespace

Headroom SchemeHeadroom(const QList<Mei>& lots, std::span<const double> parts, const std::vector<SetLimit>& limits) {
    Headroom h;
    double total = 0;
    for (int j = 0; j < lots.size() && size_t(j) < parts.size(); ++j)
        total += parts[size_t(j)];
    if (total <= 0) return h;
    for (int j = 0; j < lots.size() && size_t(j) < parts.size(); ++j)
        if (parts[size_t(j)] > 0) h.shares.push_back({lots[j].MingCheng, 100.0 * parts[size_t(j)] / total});
    for (const SetLimit& l : limits) {
        HeadroomBar bar;
        bar.index = l.index;
        bar.lower = l.lower;
        bar.limit = l.value;
        const PanelIndex& idx = PanelIndices()[size_t(l.index)];
        bar.label = QString::fromUtf16(idx.summaryLabel) + (l.lower ? QStringLiteral(">=") : QStringLiteral("<=")) +
                    QString::number(l.value);
        double sum = 0;
        for (int j = 0; j < lots.size() && size_t(j) < parts.size(); ++j)
            sum += parts[size_t(j)] * (lots[j].*CellMember(IndexCell(l.index)));
        bar.value = sum / total;
        const double gap = l.lower ? bar.value - l.value : l.value - bar.value; // >= 0 inside
        if (std::abs(std::round(bar.value * 100) - std::round(l.value * 100)) < 0.5)
            bar.state = HeadroomBar::State::Binding;
        else if (gap < 0)
            bar.state = HeadroomBar::State::Outside;
        else if (gap <= kNearShare * std::abs(l.value))
            bar.state = HeadroomBar::State::Near;
        // Upper limits fill from 0 up to the limit; a floor shows how far above it the blend stands, out of 2x.
        const double ratio = l.value != 0 ? bar.value / l.value : 1.0;
        bar.fill = std::clamp(l.lower ? 2.0 - ratio : ratio, 0.0, 1.0);
        h.bars.push_back(bar);
    }
    return h;
}

DbResult<Headroom> LoadHeadroom(qint64 schemeId) {
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    QSqlQuery q(session.db());
    q.prepare(QStringLiteral("SELECT * FROM Lishi_Peibibiao WHERE id=?"));
    q.addBindValue(schemeId);
    if (!q.exec()) return Failed(q);
    if (!q.next()) return DbError{}; // gone: nothing to add
    const qint64 setId = q.value(QStringLiteral("followid")).toLongLong();
    std::vector<double> parts;
    for (int j = 1; j <= 10; ++j)
        parts.push_back(q.value(QStringLiteral("d%1").arg(j)).toDouble());
    q.finish();
    if (!q.prepare(QStringLiteral("SELECT xinxi FROM Lishi_fangan WHERE id=?"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    if (!q.next()) return DbError{}; // gone: nothing to add
    const QString summary = q.value(0).toString();
    q.finish();
    QList<Mei> lots;
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_meitan WHERE followid=? ORDER BY id ASC"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        Mei m;
        m.MingCheng = q.value(QStringLiteral("Name")).toString();
        for (const QualityIndex& idx : QualityIndices())
            m.*idx.member = q.value(QLatin1String(idx.column)).toDouble();
        lots << m;
    }
    QStringList names;
    for (const Mei& m : lots)
        names << m.MingCheng;
    return SchemeHeadroom(lots, parts, LimitsOfSummary(summary, names));
}

} // namespace vestrel
