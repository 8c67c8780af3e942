#pragma once
// The blending panel's user texts and the per-index facts the checks, the model and the summary share.

#include "blending/PanelTexts.h"

#include <array>

namespace vestrel {

struct PanelIndex {
    const char* targetBox;              // main window target box
    const char16_t* valueName;          // names the index in the missing-value message
    const char16_t* cellMessage;        // a grid cell that is not a number
    const char16_t* targetMessage;      // a target box that is not a number
    const char16_t* targetRangeMessage; // a target box beyond kValueLimit
    const char16_t* summaryLabel;       // label in the run's summary line
    bool lowerLimit;                    // fixed carbon takes a lower limit, every other index an upper one
};

// In the order of the cells: Si, total moisture, Fe, sulphur, ash, volatile matter, V, Ni, fixed carbon, Al,
// Ca, Na; entry i belongs to IndexCell(i) and PanelTexts::targets[i].
const std::array<PanelIndex, kIndexCount>& PanelIndices();

// The other side of an index's limit as the "高级指标" dialog names it: "硫分下限", "固定碳上限".
QString OtherSideName(int index);

// The order of the summary's limit segments, as index numbers into PanelIndices().
const std::array<int, kIndexCount>& SummaryOrder();

namespace msg {
inline constexpr char16_t StockName[] = u"库存";
inline constexpr char16_t StockNotNumber[] = u"库存请填写成数字";
inline constexpr char16_t PriceNotNumber[] = u"价格请填写成数字";
inline constexpr char16_t TonnesNotNumber[] = u"请将配多少吨煤填写成数字！";
inline constexpr char16_t TonnesOutOfRange[] = u"请将配多少吨煤填写成绝对值小于1000000000的数字！";
inline constexpr char16_t NoTarget[] = u"请您至少填写一项您要达到的指标！";
inline constexpr char16_t TwoLotsNeeded[] = u"您至少要输入2种煤！";
} // namespace msg

} // namespace vestrel
