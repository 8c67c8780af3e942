#include "blending/BlendOfSolution.h"

#include "base/CommonFunction.h"
#include "blending/PanelTexts.h"

namespace vestrel {

std::optional<Mei> BlendOfSolution(const QList<Mei>& lots, std::span<const double> weights) {
    if (qsizetype(weights.size()) < lots.size()) return std::nullopt;
    std::array<double, kIndexCount> sums{};
    std::array<bool, kIndexCount> present;
    present.fill(true);
    double price = 0;
    double total = 0;
    for (qsizetype i = 0; i < lots.size(); ++i) {
        const Mei& lot = lots[i];
        const double w = weights[size_t(i)];
        total += w;
        for (int x = 0; x < kIndexCount; ++x) {
            const double v = lot.*CellMember(IndexCell(x));
            if (v == 0) present[size_t(x)] = false;
            sums[size_t(x)] += v * w;
        }
        price += lot.JiaGe * w;
    }
    if (total == 0) return std::nullopt;
    Mei blend;
    for (int x = 0; x < kIndexCount; ++x)
        blend.*CellMember(IndexCell(x)) = present[size_t(x)] ? ToDouble(sums[size_t(x)] / total) : 0.0;
    blend.JiaGe = ToDouble(price / total);
    return blend;
}

} // namespace vestrel
