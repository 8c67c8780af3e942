#pragma once
// The blending panel's user texts and the per-index facts the checks, the model and the summary share.

#include "blending/PanelTexts.h"

#include <array>

namespace vestrel {

using PanelIndex = IndexInfo;

// IndexTable() in the order of the cells (kCellOrder): entry i belongs to IndexCell(i) and
// PanelTexts::targets[i].
const std::array<PanelIndex, kIndexCount>& PanelIndices();

// The other side of an index's limit as the "高级指标" dialog names it: "硫分下限", "固定碳上限".
QString OtherSideName(int index);

// The order of the set (IndexTable()) as index numbers into PanelIndices(): the order of the summary's limit
// segments, the grid's columns and the target boxes.
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
