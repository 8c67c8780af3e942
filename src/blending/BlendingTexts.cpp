#include "blending/BlendingTexts.h"

namespace vestrel {

const std::array<PanelIndex, kIndexCount>& PanelIndices() {
    static const std::array<PanelIndex, kIndexCount> table{{
        {"txtNeishuiMax", u"硅", u"硅值请填写成数字", u"请将硅的指标上限填写成数字！",
         u"请将硅的指标上限填写成绝对值小于1000000000的数字！", u"硅", false},
        {"txtQuanshuiMax", u"水分", u"全水值请填写成数字", u"请将水份的指标上限填写成数字！",
         u"请将水份的指标上限填写成绝对值小于1000000000的数字！", u"全水", false},
        {"txtReliangMax", u"铁", u"铁值请填写成数字", u"请将铁的指标上限填写成数字！",
         u"请将铁的指标上限填写成绝对值小于1000000000的数字！", u"铁", false},
        {"txtLiuMax", u"硫", u"硫分值请填写成数字", u"请将硫分的指标上限填写成数字！",
         u"请将硫分的指标上限填写成绝对值小于1000000000的数字！", u"硫分", false},
        {"txtHuifenMax", u"灰分", u"灰分值请填写成数字", u"请将灰分的指标上限填写成数字！",
         u"请将灰分的指标上限填写成绝对值小于1000000000的数字！", u"灰分", false},
        {"txtHuifafenMax", u"挥发分", u"挥发分值请填写成数字", u"请将挥发分的指标上限填写成数字！",
         u"请将挥发分的指标上限填写成绝对值小于1000000000的数字！", u"挥发分", false},
        {"txtNianjieMax", u"钒", u"钒值请填写成数字", u"请将钒的指标上限填写成数字！",
         u"请将钒的指标上限填写成绝对值小于1000000000的数字！", u"钒", false},
        // The Ni cell message has no "值".
        {"txtJiaozhiMax", u"镍", u"镍请填写成数字", u"请将镍的指标上限填写成数字！",
         u"请将镍的指标上限填写成绝对值小于1000000000的数字！", u"镍", false},
        {"txtGudingtanMin", u"固定碳", u"固定碳值请填写成数字", u"请将固定碳的指标下限填写成数字！",
         u"请将固定碳的指标下限填写成绝对值小于1000000000的数字！", u"固定碳", true},
        {"txtKemoxingMax", u"铝", u"铝值请填写成数字", u"请将铝的指标上限填写成数字！",
         u"请将铝的指标上限填写成绝对值小于1000000000的数字！", u"铝", false},
        {"txtHuirongdianMax", u"钙", u"钙值请填写成数字", u"请将钙的指标上限填写成数字！",
         u"请将钙的指标上限填写成绝对值小于1000000000的数字！", u"钙", false},
        // The Na target message says "限" twice; users have always seen it so. The newer range message does not.
        {"txtHuiShouMax", u"钠", u"钠值请填写成数字", u"请将钠指标上限限填写成数字！",
         u"请将钠的指标上限填写成绝对值小于1000000000的数字！", u"钠", false},
    }};
    return table;
}

QString OtherSideName(int index) {
    const PanelIndex& i = PanelIndices()[size_t(index)];
    return QString::fromUtf16(i.summaryLabel) + (i.lowerLimit ? QStringLiteral("上限") : QStringLiteral("下限"));
}

const std::array<int, kIndexCount>& SummaryOrder() {
    // Total moisture, sulphur, ash, volatile matter, fixed carbon, then the trace elements.
    static const std::array<int, kIndexCount> order{
        CellMoisture - 1, CellSulphur - 1, CellAsh - 1, CellVolatile - 1, CellFixedCarbon - 1, CellSi - 1,
        CellFe - 1,       CellV - 1,       CellNi - 1,  CellAl - 1,       CellCa - 1,          CellNa - 1,
    };
    return order;
}

} // namespace vestrel
