#pragma once
// What a lot and a limit are worth against a panel, at k = 100 with whole parts: the highest price at which a
// lot still enters the cheapest blend, and what one step of each limit saves or costs per tonne.

#include "blending/PanelTexts.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vestrel {

// The cheapest blend's cost at k = 100 in cents x parts (cents per tonne times 100), or nothing without a blend.
// Every condition of a run counts, the "高级指标" limits included; singleLotSeen adds the run's difference row.
std::optional<std::int64_t> CheapestCost(const QList<Mei>& lots, const PanelTexts& texts, bool singleLotSeen = false);

struct BreakEven {
    bool enters = false;         // some price from 0 up brings it into the cheapest blend
    bool needed = false;         // no blend exists without it: it enters at any price
    std::int64_t priceCents = 0; // the highest price (cents per tonne) at which it enters; not with `needed`
    int parts = 0;               // its parts of 100 in the cheapest blend with it at that price (or at its own)
    double savingPerTonne = 0;   // yuan per tonne the blend saves at its asked price; 0 when it does not enter
};

// `offer` joins the panel's lots as one more row (its stock counts when tonnes are given). It enters when the
// cheapest blend with at least one part of it costs no more than the cheapest blend without it.
BreakEven BreakEvenPrice(const QList<Mei>& lots, const PanelTexts& texts, const Mei& offer);
// The lot of panel row `row` against the other rows and the panel's limits; nothing when the row holds no lot.
std::optional<BreakEven> BreakEvenOfRow(const PanelTexts& texts, int row, Mei* offer = nullptr);
// "保本价 1523.45 元/吨（配比 12%），按报价每吨节省 3.20 元" or "不会被配入".
QString BreakEvenText(const BreakEven& b, double askedPrice);

// One step of a limit: 0.1 for moisture, sulphur, ash, volatile matter and fixed carbon, 0.01 otherwise.
std::int64_t LimitStepCents(int index);

struct LimitPrice {
    int index = 0;      // as PanelTexts::targets
    bool lower = false; // fixed carbon: a floor
    // Yuan per tonne: what loosening by one step saves and what tightening by one step costs; nothing when the
    // step changes nothing or allows no blend.
    std::optional<double> loosen;
    std::optional<double> tighten;
};

// Every targeted limit, in index order.
std::vector<LimitPrice> LimitPrices(const QList<Mei>& lots, const PanelTexts& texts, bool singleLotSeen = false);
// "12.34" or "—".
QString LimitPriceText(const std::optional<double>& yuanPerTonne);

} // namespace vestrel
