#include "blending/Explainer.h"

#include "base/CommonFunction.h"
#include "blending/BlendingTexts.h"
#include "blending/ExplainSolve.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

namespace vestrel {

namespace {

using solver::Decimal;
using solver::Relation;
using solver::Row;
using solver::Term;

// Panel values already hold two decimals.
Decimal twoDecimals(double value) {
    return Decimal::parse(QString::number(value, 'f', 2).toStdString()).value_or(Decimal());
}

// The value times k as the run's model writes it, so the explainer judges the same rows the run solved.
Decimal timesParts(const QString& text) {
    const double scaled = ParseNumber(text).value_or(0.0) * kExplainParts;
    if (auto d = Decimal::parse(GeneralNumberText(scaled).toStdString())) return *d;
    return Decimal::parse(QString::number(scaled, 'f', 9).toStdString()).value_or(Decimal());
}

// Cents of a Decimal with at most two decimals.
std::int64_t cents(const Decimal& d) {
    return std::llround(d.toDouble() * 100.0);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

QString centsText(std::int64_t c) {
    return GeneralNumberText(double(c) / 100.0);
}

// The cap as a whole number of lots: the model's "sum of Yj < cap" allows floor(cap) lots; -1 without a cap.
int MaxLotsOf(const PanelTexts& texts) {
    if (texts.advanced.maxLots.isEmpty()) return -1;
    const double cap = std::floor(ParseNumber(texts.advanced.maxLots).value_or(0.0));
    return cap < 0 ? 0 : cap > 1e6 ? 1000000 : int(cap);
}

class Builder {
public:
    Builder(const QList<Mei>& lots, const PanelTexts& texts) : lots_(lots), texts_(texts) {}

    int n() const { return int(lots_.size()); }

    std::vector<Term> indexTerms(int index, bool negate = false) const {
        std::vector<Term> terms;
        for (int j = 0; j < n(); ++j) {
            const Decimal q = twoDecimals(lots_[j].*CellMember(IndexCell(index)));
            terms.push_back({j + 1, negate ? q.negated() : q});
        }
        return terms;
    }

    Row row(const Condition& c) const {
        Row r;
        switch (c.kind) {
        case Condition::Kind::Limit:
            r.terms = indexTerms(c.at);
            r.relation = PanelIndices()[size_t(c.at)].lowerLimit ? Relation::GreaterEqual : Relation::LessEqual;
            r.rhs = timesParts(texts_.target(c.at));
            break;
        case Condition::Kind::Stock: // tonnes * Xj <= stock * k
            r.terms = {
                {c.at + 1, Decimal::parse(GeneralNumberText(ParseNumber(texts_.tonnes).value_or(0.0)).toStdString())
                               .value_or(Decimal())}};
            r.rhs = timesParts(GeneralNumberText(lots_[c.at].Kucun));
            break;
        case Condition::Kind::MustUse:
            r.terms = {{c.at + 1, Decimal::fromInteger(1)}};
            r.relation = Relation::GreaterEqual;
            r.rhs = Decimal::fromInteger(1);
            break;
        case Condition::Kind::OtherSide:
            r.terms = indexTerms(c.at);
            r.relation = PanelIndices()[size_t(c.at)].lowerLimit ? Relation::LessEqual : Relation::GreaterEqual;
            r.rhs = timesParts(texts_.advanced.otherSide[size_t(c.at)]);
            break;
        case Condition::Kind::ShareMin: // 100 * Xj >= min * k
        case Condition::Kind::ShareMax: {
            const ShareLimit* share = texts_.advanced.shareFor(lots_[c.at].MingCheng);
            const bool min = c.kind == Condition::Kind::ShareMin;
            r.terms = {{c.at + 1, Decimal::fromInteger(kExplainParts)}};
            r.relation = min ? Relation::GreaterEqual : Relation::LessEqual;
            r.rhs = share ? timesParts(min ? share->min : share->max) : Decimal();
            break;
        }
        case Condition::Kind::MaxLots: // not a row: see rows()
            break;
        }
        return r;
    }

    // The sum row and the rows of the given conditions, plus any extra rows.
    RunModel rows(const std::vector<Condition>& conditions, const std::vector<Row>& extra = {}) const {
        RunModel out;
        out.rows.n = n();
        Row sum;
        for (int j = 1; j <= n(); ++j)
            sum.terms.push_back({j, Decimal::fromInteger(1)});
        sum.relation = Relation::Equal;
        sum.rhs = Decimal::fromInteger(kExplainParts);
        out.rows.rows.push_back(sum);
        for (const Condition& c : conditions) {
            if (c.kind == Condition::Kind::MaxLots)
                out.maxLots = MaxLotsOf(texts_);
            else
                out.rows.rows.push_back(row(c));
        }
        out.rows.rows.insert(out.rows.rows.end(), extra.begin(), extra.end());
        return out;
    }

private:
    const QList<Mei>& lots_;
    const PanelTexts& texts_;
};

std::vector<Condition> without(const std::vector<Condition>& all, const Condition& c) {
    std::vector<Condition> out;
    for (const Condition& x : all)
        if (!(x == c)) out.push_back(x);
    return out;
}

// Deletion filter: drops every condition whose removal keeps the set infeasible. `set` must be infeasible.
template <class Feasible> std::vector<Condition> irreducible(std::vector<Condition> set, Feasible feasible) {
    for (size_t i = 0; i < set.size();) {
        std::vector<Condition> rest = set;
        rest.erase(rest.begin() + std::ptrdiff_t(i));
        if (!feasible(rest))
            set = std::move(rest);
        else
            ++i;
    }
    return set;
}

// The most tonnes at k parts: it is 100 * stock_i / m for some lot i and part count m, and a candidate works
// when the limits hold with every Xj <= floor(100 * stock_j / candidate), so a bisection over the sorted
// candidates finds it exactly.
std::optional<QString> maxTonnes(const Builder& b, const QList<Mei>& lots, const std::vector<Condition>& others) {
    const int n = int(lots.size());
    std::vector<std::int64_t> stock(static_cast<size_t>(n), 0);
    for (int j = 0; j < n; ++j)
        stock[size_t(j)] = std::max<std::int64_t>(0, std::llround(lots[j].Kucun * 100.0));
    struct Candidate {
        std::int64_t s; // stock cents of lot i
        int m;          // parts; the tonnes are s / m (s in cents = 100 * stock)
    };
    std::vector<Candidate> candidates;
    for (int j = 0; j < n; ++j)
        for (int m = 1; m <= kExplainParts && stock[size_t(j)] > 0; ++m)
            candidates.push_back({stock[size_t(j)], m});
    if (candidates.empty()) return std::nullopt;
    // a/m < c/p  <=>  a*p < c*m
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& c) { return a.s * c.m < c.s * a.m; });
    const auto works = [&](const Candidate& c) {
        std::vector<Row> bounds;
        for (int j = 0; j < n; ++j) {
            const std::int64_t cap = stock[size_t(j)] * c.m / c.s; // floor(100 stock_j / tonnes)
            if (cap >= kExplainParts) continue;
            Row r;
            r.terms = {{j + 1, Decimal::fromInteger(1)}};
            r.rhs = Decimal::fromInteger(cap);
            bounds.push_back(r);
        }
        return SolveRun(b.rows(others, bounds)).has_value();
    };
    if (!works(candidates.front())) return std::nullopt;
    size_t lo = 0, hi = candidates.size(); // candidates[lo] works; from hi on none is known to
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (works(candidates[mid]))
            lo = mid;
        else
            hi = mid;
    }
    // Cut down to the hundredth so that typing the figure keeps the blend possible.
    return centsText(candidates[lo].s * 100 / candidates[lo].m);
}

} // namespace

std::vector<Condition> RunConditions(const QList<Mei>& lots, const PanelTexts& texts) {
    std::vector<Condition> out;
    for (int x = 0; x < kIndexCount; ++x)
        if (!texts.target(x).isEmpty()) out.push_back({Condition::Kind::Limit, x});
    if (!texts.tonnes.isEmpty())
        for (int j = 0; j < lots.size(); ++j)
            out.push_back({Condition::Kind::Stock, j});
    for (int j = 0; j < lots.size() && j < kGridRows; ++j)
        if (texts.mustUse[size_t(j)]) out.push_back({Condition::Kind::MustUse, j});
    for (int x = 0; x < kIndexCount; ++x)
        if (!texts.advanced.otherSide[size_t(x)].isEmpty()) out.push_back({Condition::Kind::OtherSide, x});
    for (int j = 0; j < lots.size(); ++j)
        if (const ShareLimit* share = texts.advanced.shareFor(lots[j].MingCheng)) {
            if (!share->min.isEmpty()) out.push_back({Condition::Kind::ShareMin, j});
            if (!share->max.isEmpty()) out.push_back({Condition::Kind::ShareMax, j});
        }
    // A cap of as many lots as there are holds for every blend.
    const int cap = MaxLotsOf(texts);
    if (cap >= 0 && cap < lots.size()) out.push_back({Condition::Kind::MaxLots, 0});
    return out;
}

RunModel RunRows(const QList<Mei>& lots, const PanelTexts& texts, bool singleLotSeen) {
    RunModel model = Builder(lots, texts).rows(RunConditions(lots, texts));
    if (singleLotSeen && !lots.isEmpty()) {
        // |X1 - X2 - ... - Xn| <= k - 1, as the run writes it.
        Row up, down;
        for (int j = 1; j <= lots.size(); ++j) {
            const Decimal one = Decimal::fromInteger(j == 1 ? 1 : -1);
            up.terms.push_back({j, one});
            down.terms.push_back({j, one.negated()});
        }
        up.rhs = down.rhs = Decimal::fromInteger(kExplainParts - 1);
        model.rows.rows.push_back(up);
        model.rows.rows.push_back(down);
    }
    return model;
}

std::optional<explain::WholePoint> SolveRun(const RunModel& model, const std::vector<Term>& objective) {
    const int n = model.rows.n;
    if (model.maxLots < 0 || model.maxLots >= n) return explain::solveWhole(model.rows, objective);
    if (model.maxLots == 0 || n > 30) return std::nullopt;
    // Branch on the lots left out: the best blend with a set of lots forced to zero bounds every blend below it;
    // when it uses too many lots, each of them is left out in turn. Every blend within the cap leaves out a lot
    // the parent used, so the search misses none.
    std::optional<explain::WholePoint> best;
    const auto better = [&best](const explain::WholePoint& p) {
        return !best || (p.objective - best->objective).isNegative();
    };
    std::unordered_set<std::uint64_t> seen;
    std::vector<std::uint64_t> open{0};
    while (!open.empty()) {
        const std::uint64_t out = open.back();
        open.pop_back();
        if (!seen.insert(out).second) continue;
        explain::Rows rows = model.rows;
        for (int j = 0; j < n; ++j)
            if (out & (std::uint64_t(1) << j))
                rows.rows.push_back({{{j + 1, Decimal::fromInteger(1)}}, Relation::LessEqual, Decimal()});
        const std::optional<explain::WholePoint> p = explain::solveWhole(rows, objective);
        if (!p || !better(*p)) continue;
        std::vector<int> used;
        for (int j = 0; j < n; ++j)
            if (p->parts[size_t(j)] > 0) used.push_back(j);
        if (int(used.size()) <= model.maxLots) {
            best = p;
            if (objective.empty()) break;
            continue;
        }
        for (int j : used)
            open.push_back(out | (std::uint64_t(1) << j));
    }
    return best;
}

Explanation ExplainNoScheme(const QList<Mei>& lots, const PanelTexts& texts) {
    Explanation e;
    if (lots.isEmpty()) return e;
    const Builder b(lots, texts);
    const std::vector<Condition> all = RunConditions(lots, texts);
    const auto whole = [&b](const std::vector<Condition>& set) { return SolveRun(b.rows(set)).has_value(); };
    // Leaves the cap out: fractional parts are only the cheap first filter.
    const auto continuous = [&b](const std::vector<Condition>& set) {
        return explain::continuousFeasible(b.rows(set).rows);
    };

    e.blendExists = whole(all);
    if (!e.blendExists) {
        // Fractional parts first: a cheap filter that usually leaves the whole-part filter one check per member.
        std::vector<Condition> start = all;
        if (!continuous(all)) {
            std::vector<Condition> fromContinuous = irreducible(all, continuous);
            // The LP works within a tolerance; the whole-part check below decides.
            if (!whole(fromContinuous)) {
                start = std::move(fromContinuous);
                e.continuousConflict = true;
            }
        }
        e.conflict = irreducible(start, whole);
        e.continuousConflict = !continuous(e.conflict);
    }

    for (const Condition& c : all) {
        if (c.kind != Condition::Kind::Limit) continue;
        LimitAdvice advice;
        advice.index = c.at;
        advice.lower = PanelIndices()[size_t(c.at)].lowerLimit;
        // The least (or, for a floor, the greatest) value of the index over blends meeting everything else.
        const auto best = SolveRun(b.rows(without(all, c)), b.indexTerms(c.at, advice.lower));
        if (best) {
            const std::int64_t total = cents(best->objective); // cents x parts
            advice.tightest =
                advice.lower ? centsText(floorDiv(-total, kExplainParts)) : centsText(-floorDiv(-total, kExplainParts));
        }
        e.limits.push_back(advice);
    }

    e.tonnesGiven = !texts.tonnes.isEmpty();
    if (e.tonnesGiven) {
        std::vector<Condition> others;
        for (const Condition& c : all)
            if (c.kind != Condition::Kind::Stock) others.push_back(c);
        e.maxTonnes = maxTonnes(b, lots, others);
    }

    for (const Condition& c : all)
        if (c.kind == Condition::Kind::MustUse) e.mustUse.push_back({c.at, whole(without(all, c))});
    return e;
}

QString ConditionText(const Condition& c, const QList<Mei>& lots, const PanelTexts& texts) {
    const QString name = c.at >= 0 && c.at < lots.size() ? lots[c.at].MingCheng : QString();
    switch (c.kind) {
    case Condition::Kind::Limit: {
        const PanelIndex& idx = PanelIndices()[size_t(c.at)];
        return QString::fromUtf16(idx.summaryLabel) + (idx.lowerLimit ? QStringLiteral(">=") : QStringLiteral("<=")) +
               texts.target(c.at);
    }
    case Condition::Kind::Stock:
        return QStringLiteral("%1的库存%2吨(配%3吨)")
            .arg(name, GeneralNumberText(c.at < lots.size() ? lots[c.at].Kucun : 0.0), texts.tonnes);
    case Condition::Kind::MustUse:
        return name + QStringLiteral("必选");
    case Condition::Kind::OtherSide: {
        const PanelIndex& idx = PanelIndices()[size_t(c.at)];
        return QString::fromUtf16(idx.summaryLabel) + (idx.lowerLimit ? QStringLiteral("<=") : QStringLiteral(">=")) +
               texts.advanced.otherSide[size_t(c.at)];
    }
    case Condition::Kind::ShareMin:
    case Condition::Kind::ShareMax: {
        const ShareLimit* share = texts.advanced.shareFor(name);
        if (!share) return name;
        return c.kind == Condition::Kind::ShareMin ? name + QStringLiteral(">=") + share->min + u'%'
                                                   : name + QStringLiteral("<=") + share->max + u'%';
    }
    case Condition::Kind::MaxLots:
        return QStringLiteral("最多") + texts.advanced.maxLots + QStringLiteral("种");
    }
    return {};
}

QString ConflictSentence(const Explanation& e, const QList<Mei>& lots, const PanelTexts& texts) {
    QStringList parts;
    for (const Condition& c : e.conflict)
        parts << ConditionText(c, lots, texts);
    if (parts.isEmpty()) return {};
    if (parts.size() == 1) return parts[0] + QStringLiteral(" 无法满足");
    return parts.join(QStringLiteral(" 与 ")) + QStringLiteral(" 不能同时满足");
}

} // namespace vestrel
