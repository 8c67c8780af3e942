#include "blending/Valuation.h"

#include "base/CommonFunction.h"
#include "blending/BlendingTexts.h"
#include "blending/Explainer.h"

#include <cmath>

namespace vestrel {

namespace {

using solver::Decimal;
using solver::Relation;
using solver::Row;
using solver::Term;

std::int64_t toCents(double v) {
    return std::llround(v * 100.0);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

struct Blend {
    std::int64_t cost = 0; // cents x parts
    std::vector<std::int64_t> parts;
};

// The cheapest whole-part blend of the model at the given prices, priced exactly in integer cents.
std::optional<Blend> cheapest(const RunModel& model, const std::vector<std::int64_t>& cents) {
    std::vector<Term> objective;
    for (size_t j = 0; j < cents.size(); ++j)
        objective.push_back({int(j) + 1, Decimal::fromInteger(cents[j])});
    const std::optional<explain::WholePoint> p = SolveRun(model, objective);
    if (!p) return std::nullopt;
    Blend b{0, p->parts};
    for (size_t j = 0; j < cents.size(); ++j)
        b.cost += cents[j] * p->parts[j];
    return b;
}

std::vector<std::int64_t> priceCents(const QList<Mei>& lots) {
    std::vector<std::int64_t> out;
    for (const Mei& m : lots)
        out.push_back(toCents(m.JiaGe));
    return out;
}

} // namespace

std::optional<std::int64_t> CheapestCost(const QList<Mei>& lots, const PanelTexts& texts, bool singleLotSeen) {
    if (lots.isEmpty()) return std::nullopt;
    const std::optional<Blend> b = cheapest(RunRows(lots, texts, singleLotSeen), priceCents(lots));
    if (!b) return std::nullopt;
    return b->cost;
}

BreakEven BreakEvenPrice(const QList<Mei>& lots, const PanelTexts& texts, const Mei& offer) {
    BreakEven out;
    QList<Mei> all = lots;
    all << offer;
    const int v = int(all.size()); // the offer's variable
    // No run history here, so no difference row: the question is about a fresh run's k = 100.
    const RunModel base = RunRows(all, texts);
    std::vector<std::int64_t> cents = priceCents(all);
    RunModel without = base, with = base;
    without.rows.rows.push_back({{{v, Decimal::fromInteger(1)}}, Relation::LessEqual, Decimal::fromInteger(0)});
    with.rows.rows.push_back({{{v, Decimal::fromInteger(1)}}, Relation::GreaterEqual, Decimal::fromInteger(1)});
    const std::int64_t asked = cents.back();
    const auto at = [&](std::int64_t price) {
        cents.back() = price;
        return cheapest(with, cents);
    };

    const std::optional<Blend> noOffer = cheapest(without, cents);
    const std::optional<Blend> atAsked = at(asked);
    if (!atAsked) return out; // no blend holds any of it
    if (!noOffer) {
        out.enters = out.needed = true;
        out.parts = int(atAsked->parts.back());
        return out;
    }
    const std::int64_t g = noOffer->cost;
    // The blend found at one price keeps its cost below g up to floor((g - others) / parts): a jump past the
    // bisection's midpoint that stays exact, since the cheapest cost only grows with the price.
    const auto reach = [&](const Blend& b, std::int64_t price) {
        const std::int64_t m = b.parts.back();
        return floorDiv(g - (b.cost - price * m), m);
    };
    std::int64_t lo = -1, hi = 0;
    if (atAsked->cost <= g) {
        lo = reach(*atAsked, asked);
        out.savingPerTonne = double(g - atAsked->cost) / 10000.0;
    } else {
        hi = asked;
        const std::optional<Blend> atZero = at(0);
        if (!atZero || atZero->cost > g) return out;
        lo = reach(*atZero, 0);
    }
    // Above g cents one part alone costs more than the blend without it (prices are not negative).
    if (atAsked->cost <= g) hi = g + 1;
    if (lo >= hi) lo = hi - 1;
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        const std::optional<Blend> b = at(mid);
        if (b && b->cost <= g)
            lo = std::min(hi - 1, std::max(mid, reach(*b, mid)));
        else
            hi = mid;
    }
    out.enters = true;
    out.priceCents = lo;
    if (const std::optional<Blend> b = at(lo)) out.parts = int(b->parts.back());
    return out;
}

std::optional<BreakEven> BreakEvenOfRow(const PanelTexts& texts, int row, Mei* offer) {
    if (row < 0 || row > LastFilledRow(texts) || texts.cell(row, CellName).isEmpty()) return std::nullopt;
    const Mei lot = ReadGridLots(texts).value(row);
    PanelTexts rest = texts;
    ClearRow(rest, row);
    rest.mustUse[size_t(row)] = false;
    CompactRows(rest, GridHost::Main);
    if (offer) *offer = lot;
    return BreakEvenPrice(ReadGridLots(rest), rest, lot);
}

QString BreakEvenText(const BreakEven& b, double askedPrice) {
    if (!b.enters) return QStringLiteral("不会被配入");
    const QString saving = QStringLiteral("，按报价每吨节省 %1 元").arg(QString::number(b.savingPerTonne, 'f', 2));
    if (b.needed) return QStringLiteral("任何价格都会被配入（配比 %1%）").arg(b.parts) + saving;
    Q_UNUSED(askedPrice);
    return QStringLiteral("保本价 %1 元/吨（配比 %2%）")
               .arg(QString::number(double(b.priceCents) / 100.0, 'f', 2))
               .arg(b.parts) +
           saving;
}

std::int64_t LimitStepCents(int index) {
    switch (IndexCell(index)) {
    case CellMoisture:
    case CellSulphur:
    case CellAsh:
    case CellVolatile:
    case CellFixedCarbon:
        return 10;
    default:
        return 1;
    }
}

std::vector<LimitPrice> LimitPrices(const QList<Mei>& lots, const PanelTexts& texts, bool singleLotSeen) {
    std::vector<LimitPrice> out;
    const std::optional<std::int64_t> base = CheapestCost(lots, texts, singleLotSeen);
    for (int x = 0; x < kIndexCount; ++x) {
        if (texts.target(x).isEmpty()) continue;
        LimitPrice p;
        p.index = x;
        p.lower = PanelIndices()[size_t(x)].lowerLimit;
        const std::int64_t limit = toCents(ParseNumber(texts.target(x)).value_or(0.0));
        const auto costWith = [&](std::int64_t moved) {
            PanelTexts t = texts;
            t.target(x) = QString::number(double(moved) / 100.0, 'f', 2);
            return CheapestCost(lots, t, singleLotSeen);
        };
        const std::int64_t step = LimitStepCents(x) * (p.lower ? -1 : 1);
        if (base) {
            const std::optional<std::int64_t> looser = costWith(limit + step);
            const std::optional<std::int64_t> tighter = costWith(limit - step);
            if (looser && *looser != *base) p.loosen = double(*base - *looser) / 10000.0;
            if (tighter && *tighter != *base) p.tighten = double(*tighter - *base) / 10000.0;
        }
        out.push_back(p);
    }
    return out;
}

QString LimitPriceText(const std::optional<double>& yuanPerTonne) {
    return yuanPerTonne ? QString::number(*yuanPerTonne, 'f', 2) : QStringLiteral("—");
}

} // namespace vestrel
