#pragma once
// A stored set keeps its limits only in its summary line (xinxi): " 硫分<=2.5 固定碳=>85  配50吨 B必选 硫分>=1.5
// B10%~40% 最多3种". This reads it back, segment by segment in the order the run writes them.

#include "blending/PanelTexts.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vestrel {

// Appended to the summary of a set stored by re-pricing another.
constexpr char16_t kRepricedMark[] = u"（按当前价格重算）";

// Fills the targets, tonnes, must-use rows and "高级指标" limits of `into` from a summary. Lot names may hold
// blanks and symbols, so the segments naming a lot are matched against `lotNames` (the set's own); must-use
// and share segments of other names are skipped. Values are kept as written, so a re-run writes the same line.
void ReadSetSummary(const QString& summary, const QStringList& lotNames, PanelTexts& into);

struct SetLimit {
    int index = 0;      // as PanelTexts::targets
    bool lower = false; // fixed carbon
    double value = 0;
};

// The limits of a summary in the order it lists them: the panel's ("硫分<=2.5 固定碳=>85 "), then the other sides
// of the "高级指标" dialog (" 硫分>=1.5").
std::vector<SetLimit> LimitsOfSummary(const QString& summary, const QStringList& lotNames = {});
// The tonnes a summary asked for (" 配50吨"), if any.
std::optional<double> TonnesOfSummary(const QString& summary, const QStringList& lotNames = {});

} // namespace vestrel
