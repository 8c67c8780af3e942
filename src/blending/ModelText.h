#pragma once
// The least-cost model for one total of parts k, in the solver's modelling language, and its file.

#include "blending/PanelTexts.h"

#include <QList>
#include <QString>

namespace vestrel {

// The model of the lots (panel rows 0..n-1 become X1..Xn) for k parts: the price as objective, one row per
// target, the must-use rows, the parts adding up to k, the difference row while singleLotSeen, one stock row
// per lot when tonnes are given. Lines end in CR LF except the closing "end".
QString BuildModelText(const QList<Mei>& lots, int k, const PanelTexts& texts, bool singleLotSeen);

// Writes the model of the run's lots for k into "qzmd.dll" in the program folder and returns its path, or an
// empty text when the file could not be written.
QString WriteModelFile(const PanelState& state, int k);

} // namespace vestrel
