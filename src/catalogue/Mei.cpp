#include "catalogue/Mei.h"

namespace vestrel {

double Mei::*IndexMember(int position) {
    static constexpr std::array<double Mei::*, kIndexCount> members{
        &Mei::ShuiFen, &Mei::Liu, &Mei::HuiFen, &Mei::HuiFaFen, &Mei::GuDingTan,   &Mei::NeiShui,
        &Mei::ReLiang, &Mei::G,   &Mei::y,      &Mei::KeMoXing, &Mei::HuiRongDian, &Mei::HuiShou,
    };
    return members[size_t(position)];
}

const std::array<QualityIndex, kIndexCount>& QualityIndices() {
    static const std::array<QualityIndex, kIndexCount> table = [] {
        std::array<QualityIndex, kIndexCount> t{};
        for (int x = 0; x < kIndexCount; ++x) {
            const IndexInfo& i = IndexTable()[size_t(x)];
            t[size_t(x)] = {i.column, IndexMember(x), i.header, i.entryBox};
        }
        return t;
    }();
    return table;
}

} // namespace vestrel
