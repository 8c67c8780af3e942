#pragma once
// The price curve of a scheme set: the least price the set stored for each total of parts k, and the cheapest
// blend with fractional shares, which no whole-part scheme can undercut.

#include "catalogue/Mei.h"
#include "data/DbResult.h"
#include "history/Headroom.h"

#include <optional>
#include <vector>

namespace vestrel {

struct PricePoint {
    int k = 0;
    double price = 0;
};

struct PriceCurve {
    std::vector<PricePoint> points; // ascending k; a k whose price repeats an earlier one was not stored
    std::optional<double> continuous;
};

// The cheapest blend of the lots with fractional shares under the limits and, when given, the tonnes the
// stocks must cover; nothing when no blend meets them. Must-use lots add nothing here: any share counts.
std::optional<double> CheapestContinuousBlend(const QList<Mei>& lots, const std::vector<SetLimit>& limits,
                                              std::optional<double> tonnes);

// Reads the set's schemes, lots and summary; nothing on failure, with no reason given when the set is gone.
DbResult<PriceCurve> LoadPriceCurve(qint64 setId);

} // namespace vestrel
