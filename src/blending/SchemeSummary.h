#pragma once
// The one-line record of what a run asked for: limits and tonnes as typed, and the lots that had to be used.

#include "blending/PanelTexts.h"

#include <QString>

namespace vestrel {

// One index's segment, ending in a blank; empty when neither limit is given. A lower limit alone reads "=>".
QString FormatLimit(const QString& lower, const QString& upper, const QString& label);
// The limits as typed, then the tonnes and the must-use lots, then the "高级指标" limits the run applies, each
// after a blank: "硫分>=1.5", "乙焦10%~40%", "最多3种".
QString BuildSchemeSummary(const PanelTexts& texts);
// The "高级指标" limits in one line, segments separated by a blank: the other sides in the order of the limit
// segments, the shares in their order, the cap. Empty without a limit.
QString AdvancedSummary(const AdvancedLimits& limits);

} // namespace vestrel
