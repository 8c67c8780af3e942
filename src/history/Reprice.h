#pragma once
// Questions about stored scheme sets: their limits' prices, the same run at today's catalogue values, and
// two sets side by side. A scheme's k is the sum of its parts.

#include "blending/Run.h"
#include "blending/Valuation.h"
#include "catalogue/Mei.h"
#include "data/DbResult.h"
#include "history/SetSummary.h"
#include "history/StoredSet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vestrel {

// The panel a set was run from, as far as its summary keeps it: lots, limits, tonnes and must-use lots.
PanelTexts PanelOfSet(const StoredSet& set);

// The limit prices of a set at k = 100.
std::vector<LimitPrice> SetLimitPrices(const StoredSet& set);

struct RepriceOutcome {
    RunOutcome run;
    QStringList missing; // lots no longer in the catalogue: they kept their stored values
};

// Runs the set again with the catalogue's values of its lots (by name) and stores it as a new set whose summary
// ends with "（按当前价格重算）".
RepriceOutcome RepriceSet(const StoredSet& set);
// "以下煤种已不在煤种库中，按原值计算：甲、乙", or empty.
QString MissingLotsText(const QStringList& missing);

struct ComparedK {
    int k = 0;
    double priceA = 0, priceB = 0;
    double difference = 0;    // B - A
    QStringList lotsA, lotsB; // lots with parts
};

struct Comparison {
    std::vector<ComparedK> rows; // every k both sets hold, ascending
    std::optional<StoredScheme> cheapestA, cheapestB;
};

Comparison CompareSets(const StoredSet& a, const StoredSet& b);
QStringList LotsOfScheme(const StoredSet& set, const StoredScheme& scheme);

} // namespace vestrel
