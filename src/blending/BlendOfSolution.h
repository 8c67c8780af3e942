#pragma once
// The blend of lots in given proportions: the run's solutions and the calculator's ratios both go through it.

#include "blending/PanelTexts.h"
#include "catalogue/Mei.h"

#include <QList>
#include <bitset>
#include <optional>
#include <span>

namespace vestrel {

// A set of indices, bit i for index i (cell IndexCell(i)).
using IndexSet = std::bitset<kIndexCount>;

// Weighted averages of the twelve indices and of the price over lots[i] with weights[i] (extra weights are
// ignored), rounded once to two decimals, halves away from zero. Values count at two decimals and whole
// weights make the average exact: sum of cents x weight, one division. An index that is 0 in any lot is 0 in
// the blend, because an empty cell means the value is unknown - except for the indices in `limited`: a run's
// model holds every lot to those limits with 0 as a real value, so the blend shows the value the model met.
// The price has no such rule. std::nullopt when the weights add up to 0 or there are fewer weights than lots.
std::optional<Mei> BlendOfSolution(const QList<Mei>& lots, std::span<const double> weights, IndexSet limited = {});

// The indices a run limits: those whose target box, or other side in the "高级指标" dialog, is filled.
IndexSet LimitedIndices(const PanelTexts& texts);

} // namespace vestrel
