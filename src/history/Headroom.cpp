#include "history/Headroom.h"

#include "blending/BlendingTexts.h"
#include "history/StoredSet.h"

#include <algorithm>
#include <cmath>

namespace vestrel {

namespace {

constexpr double kNearShare = 0.02;

} // namespace

Headroom SchemeHeadroom(const QList<Mei>& lots, std::span<const double> parts, const std::vector<SetLimit>& limits) {
    Headroom h;
    double total = 0;
    for (int j = 0; j < lots.size() && size_t(j) < parts.size(); ++j)
        total += parts[size_t(j)];
    if (total <= 0) return h;
    for (int j = 0; j < lots.size() && size_t(j) < parts.size(); ++j)
        if (parts[size_t(j)] > 0) h.shares.push_back({lots[j].MingCheng, 100.0 * parts[size_t(j)] / total});
    for (const SetLimit& l : limits) {
        HeadroomBar bar;
        bar.index = l.index;
        bar.lower = l.lower;
        bar.limit = l.value;
        const PanelIndex& idx = PanelIndices()[size_t(l.index)];
        bar.label = QString::fromUtf16(idx.summaryLabel) + (l.lower ? QStringLiteral(">=") : QStringLiteral("<=")) +
                    QString::number(l.value);
        double sum = 0;
        for (int j = 0; j < lots.size() && size_t(j) < parts.size(); ++j)
            sum += parts[size_t(j)] * (lots[j].*CellMember(IndexCell(l.index)));
        bar.value = sum / total;
        const double gap = l.lower ? bar.value - l.value : l.value - bar.value; // >= 0 inside
        if (std::abs(std::round(bar.value * 100) - std::round(l.value * 100)) < 0.5)
            bar.state = HeadroomBar::State::Binding;
        else if (gap < 0)
            bar.state = HeadroomBar::State::Outside;
        else if (gap <= kNearShare * std::abs(l.value))
            bar.state = HeadroomBar::State::Near;
        // Upper limits fill from 0 up to the limit; a floor shows how far above it the blend stands, out of 2x.
        const double ratio = l.value != 0 ? bar.value / l.value : 1.0;
        bar.fill = std::clamp(l.lower ? 2.0 - ratio : ratio, 0.0, 1.0);
        h.bars.push_back(bar);
    }
    return h;
}

DbResult<Headroom> LoadHeadroom(qint64 schemeId) {
    const DbResult<StoredSet> set = LoadSetOfScheme(schemeId);
    if (!set) return DbError{set.error()};
    for (const StoredScheme& scheme : set->schemes)
        if (scheme.id == schemeId)
            return SchemeHeadroom(set->lots, scheme.parts, LimitsOfSummary(set->summary, LotNames(*set)));
    return DbError{}; // gone meanwhile: nothing to add
}

} // namespace vestrel
