#include "history/Reprice.h"

#include "base/CommonFunction.h"
#include "blending/BlendingTexts.h"
#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"
#include "history/SetSummary.h"
#include "history/StoredSet.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace vestrel {

PanelTexts PanelOfSet(const StoredSet& set) {
    PanelTexts t;
    QList<Mei> lots = set.lots;
    if (lots.size() > kGridRows) lots = lots.mid(0, kGridRows);
    for (int j = 0; j < lots.size(); ++j) {
        const Mei& m = lots[j];
        t.cell(j, CellName) = m.MingCheng;
        for (int x = 0; x < kIndexCount; ++x)
            t.cell(j, IndexCell(x)) = GeneralNumberText(m.*CellMember(IndexCell(x)));
        t.cell(j, CellStock) = GeneralNumberText(m.Kucun);
        t.cell(j, CellPrice) = GeneralNumberText(m.JiaGe);
    }
    QStringList names;
    for (const Mei& m : lots)
        names << m.MingCheng;
    ReadSetSummary(set.summary, names, t);
    return t;
}

std::vector<LimitPrice> SetLimitPrices(const StoredSet& set) {
    const PanelTexts t = PanelOfSet(set);
    // The run reached k = 100 with its difference row when a single-lot scheme came first at a smaller k.
    bool singleLotSeen = false;
    for (const StoredScheme& scheme : set.schemes)
        if (scheme.k < 100 && LotsOfScheme(set, scheme).size() == 1) singleLotSeen = true;
    return LimitPrices(ReadGridLots(t), t, singleLotSeen);
}

RepriceOutcome RepriceSet(const StoredSet& set) {
    RepriceOutcome out;
    const DbResult<QList<Mei>> catalogue = LoadAllMeis();
    if (!catalogue) {
        out.run = {RunOutcome::Kind::Failed, 0, catalogue.error()};
        return out;
    }
    QHash<QString, Mei> byName;
    for (const Mei& m : *catalogue)
        if (!byName.contains(m.MingCheng)) byName.insert(m.MingCheng, m);
    StoredSet today = set;
    for (Mei& lot : today.lots) {
        const auto found = byName.constFind(lot.MingCheng);
        if (found == byName.constEnd()) {
            out.missing << lot.MingCheng;
            continue;
        }
        // The catalogue's indices and price; the stock asked for stays the run's.
        const double stock = lot.Kucun;
        lot = found.value();
        lot.Kucun = stock;
    }
    PanelState state;
    state.texts = PanelOfSet(today);
    state.PanelLots = ReadGridLots(state.texts);
    out.run = RunOptimisation(state);
    if (out.run.kind == RunOutcome::Kind::Stored) {
        const DbSession session;
        DbStatus marked = session.ok() ? DbStatus{} : DbStatus{DbError{session.error()}};
        QSqlQuery q(session.db());
        if (marked && !q.prepare(QStringLiteral("UPDATE Lishi_fangan SET xinxi=xinxi || ? WHERE id=?")))
            marked = Failed(q);
        if (marked) {
            q.addBindValue(QString::fromUtf16(kRepricedMark));
            q.addBindValue(out.run.setId);
            if (!q.exec()) marked = Failed(q);
        }
        if (!marked) out.run.message = marked.error();
    }
    return out;
}

QString MissingLotsText(const QStringList& missing) {
    if (missing.isEmpty()) return {};
    return QStringLiteral("以下煤种已不在煤种库中，按原值计算：") + missing.join(u'、');
}

QStringList LotsOfScheme(const StoredSet& set, const StoredScheme& scheme) {
    QStringList out;
    for (size_t j = 0; j < scheme.parts.size() && int(j) < set.lots.size(); ++j)
        if (scheme.parts[j] > 0) out << set.lots[int(j)].MingCheng;
    return out;
}

Comparison CompareSets(const StoredSet& a, const StoredSet& b) {
    Comparison c;
    for (const StoredScheme& sa : a.schemes)
        for (const StoredScheme& sb : b.schemes)
            if (sa.k == sb.k)
                c.rows.push_back(
                    {sa.k, sa.price, sb.price, sb.price - sa.price, LotsOfScheme(a, sa), LotsOfScheme(b, sb)});
    std::sort(c.rows.begin(), c.rows.end(), [](const ComparedK& x, const ComparedK& y) { return x.k < y.k; });
    const auto cheapest = [](const StoredSet& s) -> std::optional<StoredScheme> {
        if (s.schemes.empty()) return std::nullopt;
        return *std::min_element(s.schemes.begin(), s.schemes.end(),
                                 [](const StoredScheme& x, const StoredScheme& y) { return x.price < y.price; });
    };
    c.cheapestA = cheapest(a);
    c.cheapestB = cheapest(b);
    return c;
}

} // namespace vestrel
