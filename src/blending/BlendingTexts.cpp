#include "blending/BlendingTexts.h"

namespace vestrel {

const std::array<PanelIndex, kIndexCount>& PanelIndices() {
    static const std::array<PanelIndex, kIndexCount> table = [] {
        std::array<PanelIndex, kIndexCount> t{};
        for (int x = 0; x < kIndexCount; ++x)
            t[size_t(x)] = IndexTable()[size_t(kCellOrder[size_t(x)])];
        return t;
    }();
    return table;
}

QString OtherSideName(int index) {
    const PanelIndex& i = PanelIndices()[size_t(index)];
    return QString::fromUtf16(i.summaryLabel) + (i.lowerLimit ? QStringLiteral("上限") : QStringLiteral("下限"));
}

const std::array<int, kIndexCount>& SummaryOrder() {
    static const std::array<int, kIndexCount> order = [] {
        std::array<int, kIndexCount> o{};
        for (int x = 0; x < kIndexCount; ++x)
            o[size_t(kCellOrder[size_t(x)])] = x;
        return o;
    }();
    return order;
}

} // namespace vestrel
