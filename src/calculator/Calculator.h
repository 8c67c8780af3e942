#pragma once
// The manual blend calculator without its window: the checks of the grid, the ratio weights and the result.

#include "blending/PanelTexts.h"

#include <QList>
#include <QString>

namespace vestrel {

// Every non-empty row has a name, a ratio and a price. Empty text when it passed.
QString CheckNamesRatiosAndPrices(const PanelTexts& texts);
// Two lots at least; the cells of the named rows are numbers within kValueLimit where given (Na may be a
// percentage and does not enter the result), every ratio is a number. Empty text when it passed.
QString CheckCalcNumbers(const PanelTexts& texts);

struct RatioWeightsResult {
    QList<qint16> weights; // one per lot
    QString message;       // not empty when a ratio does not fit a weight; weights are then incomplete
};
// Each lot's ratio rounded to a whole number, halves to the even neighbour.
RatioWeightsResult RatioWeights(const QList<Mei>& calcLots);

// "全水：12.50硫分：2.50..." of a blend; zero values show empty and Na is not shown.
QString CalcResultText(const Mei& blend);

struct CalculationOutcome {
    QString message; // shown instead of a result when not empty
    QString result;  // the text for the result box
};
// The whole calculation: compacts the rows (texts changes), checks, reads calcLots and blends them.
CalculationOutcome Calculate(PanelTexts& texts, QList<Mei>& calcLots);

} // namespace vestrel
