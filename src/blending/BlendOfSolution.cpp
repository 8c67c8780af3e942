#include "blending/BlendOfSolution.h"

#include "base/CommonFunction.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace vestrel {

namespace {

// Sums of cents x weight stay below this, well inside 64 bits even after the estimate's rounding.
constexpr double kExactSumLimit = 4e18;

struct Weights {
    std::span<const double> values;
    double total = 0;
    std::vector<std::int64_t> whole; // empty when a weight is not a whole number of modest size
};

Weights weightsOf(std::span<const double> values) {
    Weights w{values, 0.0, {}};
    bool whole = true;
    for (const double v : values) {
        w.total += v;
        whole = whole && std::isfinite(v) && std::fabs(v) < 1e15 && v == std::trunc(v);
    }
    if (whole) w.whole.assign(values.begin(), values.end());
    return w;
}

// The weighted average of one property, rounded to two decimals. Exact whenever the weights are whole and the
// sum fits; the checks keep every value a user can type there. Anything else keeps the floating-point average.
double weightedAverage(const QList<Mei>& lots, double Mei::*member, const Weights& w) {
    const qsizetype n = lots.size();
    if (!w.whole.empty()) {
        bool exact = true;
        double estimate = 0;
        for (qsizetype i = 0; i < n && exact; ++i) {
            const std::optional<std::int64_t> c = ToCents(lots[i].*member);
            exact = c.has_value();
            if (exact) estimate += std::fabs(double(*c)) * std::fabs(w.values[size_t(i)]);
        }
        if (exact && estimate < kExactSumLimit) {
            std::int64_t sum = 0;
            std::int64_t total = 0;
            for (qsizetype i = 0; i < n; ++i) {
                sum += *ToCents(lots[i].*member) * w.whole[size_t(i)];
                total += w.whole[size_t(i)];
            }
            return FromCents(RoundedQuotient(sum, total));
        }
    }
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i)
        sum += lots[i].*member * w.values[size_t(i)];
    return ToDouble(sum / w.total);
}

} // namespace

std::optional<Mei> BlendOfSolution(const QList<Mei>& lots, std::span<const double> weights, IndexSet limited) {
    if (qsizetype(weights.size()) < lots.size()) return std::nullopt;
    const Weights w = weightsOf(weights.first(size_t(lots.size())));
    if (w.total == 0) return std::nullopt;
    Mei blend;
    for (int x = 0; x < kIndexCount; ++x) {
        double Mei::*member = CellMember(IndexCell(x));
        bool present = true;
        if (!limited.test(size_t(x))) {
            for (const Mei& lot : lots)
                present = present && lot.*member != 0;
        }
        blend.*member = present ? weightedAverage(lots, member, w) : 0.0;
    }
    blend.JiaGe = weightedAverage(lots, &Mei::JiaGe, w);
    return blend;
}

IndexSet LimitedIndices(const PanelTexts& texts) {
    IndexSet limited;
    for (int x = 0; x < kIndexCount; ++x)
        limited.set(size_t(x), !texts.target(x).isEmpty() || !texts.advanced.otherSide[size_t(x)].isEmpty());
    return limited;
}

} // namespace vestrel
