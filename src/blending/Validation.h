#pragma once
// The checks before a run. Each returns the message to show, or an empty text when it passed; they are
// called in the order declared here and the first message stops the run.

#include "blending/PanelTexts.h"

#include <QString>

namespace vestrel {

// Every non-empty row has a name and a price.
QString CheckNamesAndPrices(const PanelTexts& texts);
// CheckCellNumbers, CheckTargets, CheckAdvancedLimits, CheckRequiredValues and CheckStock; the first message,
// later ones not run.
QString ValidateInput(const PanelTexts& texts);
// Every cell of all ten rows is empty or a number within kValueLimit.
QString CheckCellNumbers(const PanelTexts& texts);
// At least one target (of the panel or the "高级指标" dialog), and every target and the tonnes are empty or a
// number within kValueLimit.
QString CheckTargets(const PanelTexts& texts);
// The "高级指标" limits: numbers within kValueLimit, no lower limit above its upper one, shares from 0 to 100
// per cent with the minimum not above the maximum, a cap on lots that is a whole number of at least 1.
QString CheckAdvancedLimits(const PanelTexts& texts);
// Two lots at least; a value for every index limited by the panel or the dialog in every lot; a stock for every lot
// when tonnes are given.
QString CheckRequiredValues(const PanelTexts& texts);
// The tonnes asked for do not exceed the lots' summed stock.
QString CheckStock(const PanelTexts& texts);

bool IsNumberOrEmpty(const QString& text);
// row is 0-based; the message numbers lots from 1.
QString MissingValueMessage(const QString& indexName, int row);
// The price cells of rows 0..LastFilledRow hold the same text (so 10 and 10.0 differ).
bool PricesAllEqual(const PanelTexts& texts);

} // namespace vestrel
