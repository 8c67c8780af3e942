#include "data/IndexTable.h"

namespace vestrel {

const std::array<IndexInfo, kIndexCount>& IndexTable() {
    static const std::array<IndexInfo, kIndexCount> table{{
        {"ShuiFen", u"全水", "txtQuanshui", u"全  水", "txtQuanshuiMax", "lbQuanshuiMax", u"全水<=", "txtQuanshuiMin",
         false, "txtShuifen", u"填写的水份必须是数字", u"水分", u"全水值请填写成数字",
         u"请将水份的指标上限填写成数字！", u"请将水份的指标上限填写成绝对值小于1000000000的数字！", u"全水"},
        {"Liu", u"硫分", "txtLiu", u"硫  分", "txtLiuMax", "lbLiuMax", u"硫分<=", "txtLiuMin", false, "txtLiu",
         u"填写的硫必须是数字", u"硫", u"硫分值请填写成数字", u"请将硫分的指标上限填写成数字！",
         u"请将硫分的指标上限填写成绝对值小于1000000000的数字！", u"硫分"},
        {"HuiFen", u"灰分", "txtHuifen", u"灰  份", "txtHuifenMax", "lbHuifenMax", u"灰份<=", "txtHuifenMin", false,
         "txtHuifen", u"填写的灰分必须是数字", u"灰分", u"灰分值请填写成数字", u"请将灰分的指标上限填写成数字！",
         u"请将灰分的指标上限填写成绝对值小于1000000000的数字！", u"灰分"},
        {"HuiFaFen", u"挥发分", "txtHuifafen", u"挥发份", "txtHuifafenMax", "lbHuifafenMax", u"挥发份<=",
         "txtHuifafenMin", false, "txtHuifafen", u"填写的挥发分必须是数字", u"挥发分", u"挥发分值请填写成数字",
         u"请将挥发分的指标上限填写成数字！", u"请将挥发分的指标上限填写成绝对值小于1000000000的数字！", u"挥发分"},
        {"GuDingTan", u"固定碳", "txtGudingtan", u"固定碳", "txtGudingtanMin", "lbGudingtanMin", u"<=固定碳",
         "txtGudingtanMax", true, "txtGudingtan", u"填写的固定碳必须是数字", u"固定碳", u"固定碳值请填写成数字",
         u"请将固定碳的指标下限填写成数字！", u"请将固定碳的指标下限填写成绝对值小于1000000000的数字！", u"固定碳"},
        {"NeiShui", u"硅", "txtNeishui", u"硅", "txtNeishuiMax", "lbNeishuiMax", u"硅<=", "txtNeishuiMin", false,
         "txtNeishui", u"填写的硅必须是数字", u"硅", u"硅值请填写成数字", u"请将硅的指标上限填写成数字！",
         u"请将硅的指标上限填写成绝对值小于1000000000的数字！", u"硅"},
        {"ReLiang", u"铁", "txtReliang", u"铁", "txtReliangMax", "lbReliangMax", u"铁<=", "txtReliangMin", false,
         "txtReliang", u"填写的铁必须是数字", u"铁", u"铁值请填写成数字", u"请将铁的指标上限填写成数字！",
         u"请将铁的指标上限填写成绝对值小于1000000000的数字！", u"铁"},
        {"G", u"钒", "txtNianjie", u"钒", "txtNianjieMax", "lbNianjieMax", u"钒<=", "txtNianjieMin", false, "txtG",
         u"填写的钒必须是数字", u"钒", u"钒值请填写成数字", u"请将钒的指标上限填写成数字！",
         u"请将钒的指标上限填写成绝对值小于1000000000的数字！", u"钒"},
        // The Ni cell message has no "值".
        {"Y", u"镍", "txtJiaozhi", u"镍", "txtJiaozhiMax", "lbJiaozhiMax", u"镍<=", "txtJiaozhiMin", false, "txtY",
         u"填写的镍必须是数字", u"镍", u"镍请填写成数字", u"请将镍的指标上限填写成数字！",
         u"请将镍的指标上限填写成绝对值小于1000000000的数字！", u"镍"},
        {"KeMoXing", u"铝", "txtKeMoxing", u"铝", "txtKemoxingMax", "lbKemoxingMax", u"铝<=", "txtKemoxingMin", false,
         "txtKeMoxing", u"填写的铝必须是数字", u"铝", u"铝值请填写成数字", u"请将铝的指标上限填写成数字！",
         u"请将铝的指标上限填写成绝对值小于1000000000的数字！", u"铝"},
        {"HuiRongDian", u"钙", "txtHuiRongDian", u"钙", "txtHuirongdianMax", "lbHuirongdianMax", u"钙<=",
         "txtHuirongdianMin", false, "txtHuiRongDian", u"填写的钙必须是数字", u"钙", u"钙值请填写成数字",
         u"请将钙的指标上限填写成数字！", u"请将钙的指标上限填写成绝对值小于1000000000的数字！", u"钙"},
        // The Na target message says "限" twice; users have always seen it so. The newer range message does not.
        {"huishoulv", u"钠", "txtHuishoulv", u"钠", "txtHuiShouMax", "lbHuiShouMax", u"钠<=", "txtHuiShouMin", false,
         "txtHuishoulv", u"填写的钠必须是数字", u"钠", u"钠值请填写成数字", u"请将钠指标上限限填写成数字！",
         u"请将钠的指标上限填写成绝对值小于1000000000的数字！", u"钠"},
    }};
    return table;
}

} // namespace vestrel
