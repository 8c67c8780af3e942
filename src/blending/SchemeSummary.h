#pragma once
// The one-line record of what a run asked for: limits and tonnes as typed, and the lots that had to be used.

#include "blending/PanelTexts.h"

#include <QString>

namespace vestrel {

// One index's segment, ending in a blank; empty when neither limit is given. A lower limit alone reads "=>".
QString FormatLimit(const QString& lower, const QString& upper, const QString& label);
QString BuildSchemeSummary(const PanelTexts& texts);

} // namespace vestrel
