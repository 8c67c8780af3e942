#pragma once
// The blend of lots in given proportions: the run's solutions and the calculator's ratios both go through it.

#include "catalogue/Mei.h"

#include <QList>
#include <optional>
#include <span>

namespace vestrel {

// Weighted averages of the twelve indices and of the price over lots[i] with weights[i] (extra weights are
// ignored), rounded to two decimals. An index that is 0 in any lot is 0 in the blend, because an empty cell
// means the value is unknown; the price has no such rule. std::nullopt when the weights add up to 0 or there
// are fewer weights than lots.
std::optional<Mei> BlendOfSolution(const QList<Mei>& lots, std::span<const double> weights);

} // namespace vestrel
