#include "catalogue/Mei.h"

namespace vestrel {

const std::array<QualityIndex, 12>& QualityIndices() {
    static const std::array<QualityIndex, 12> table{{
        {"ShuiFen", &Mei::ShuiFen, u"全水", "txtQuanshui", "txtQuanshuiMax", u"全水<=", false, "txtShuifen"},
        {"Liu", &Mei::Liu, u"硫分", "txtLiu", "txtLiuMax", u"硫分<=", false, "txtLiu"},
        {"HuiFen", &Mei::HuiFen, u"灰分", "txtHuifen", "txtHuifenMax", u"灰份<=", false, "txtHuifen"},
        {"HuiFaFen", &Mei::HuiFaFen, u"挥发分", "txtHuifafen", "txtHuifafenMax", u"挥发份<=", false, "txtHuifafen"},
        {"GuDingTan", &Mei::GuDingTan, u"固定碳", "txtGudingtan", "txtGudingtanMin", u"<=固定碳", true, "txtGudingtan"},
        {"NeiShui", &Mei::NeiShui, u"硅", "txtNeishui", "txtNeishuiMax", u"硅<=", false, "txtNeishui"},
        {"ReLiang", &Mei::ReLiang, u"铁", "txtReliang", "txtReliangMax", u"铁<=", false, "txtReliang"},
        {"G", &Mei::G, u"钒", "txtNianjie", "txtNianjieMax", u"钒<=", false, "txtG"},
        {"Y", &Mei::y, u"镍", "txtJiaozhi", "txtJiaozhiMax", u"镍<=", false, "txtY"},
        {"KeMoXing", &Mei::KeMoXing, u"铝", "txtKeMoxing", "txtKemoxingMax", u"铝<=", false, "txtKeMoxing"},
        {"HuiRongDian", &Mei::HuiRongDian, u"钙", "txtHuiRongDian", "txtHuirongdianMax", u"钙<=", false,
         "txtHuiRongDian"},
        {"huishoulv", &Mei::HuiShou, u"钠", "txtHuishoulv", "txtHuiShouMax", u"钠<=", false, "txtHuishoulv"},
    }};
    return table;
}

} // namespace vestrel
