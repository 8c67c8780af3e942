#pragma once
// One coke lot: a catalogue row, a panel row, or the computed blend of a scheme.

#include "data/IndexTable.h"

#include <QDateTime>
#include <QString>
#include <array>

namespace vestrel {

struct Mei {
    QString MingCheng;      // name
    double HuiFen = 0;      // ash
    double HuiFaFen = 0;    // volatile matter
    double Liu = 0;         // sulphur
    double ShuiFen = 0;     // total moisture
    double ReLiang = 0;     // Fe
    double y = 0;           // Ni
    double G = 0;           // V
    double NeiShui = 0;     // Si
    double JiaGe = 0;       // price
    double HuiShou = 0;     // Na
    double GuDingTan = 0;   // fixed carbon
    qint16 LeiXing = 0;     // 1 when the panel's Na cell held text
    double KeMoXing = 0;    // Al
    double HuiRongDian = 0; // Ca
    qint32 id = 0;          // catalogue number, 0 for a lot not yet stored
    double Kucun = 0;       // stock in tonnes (the ratio in the calculator)
    QDateTime Riqi;         // last save through the entry form

    bool operator==(const Mei&) const = default;
};

// The Mei property of the index at that position of IndexTable().
double Mei::*IndexMember(int position);

// An index's column, property and the names readers of stored rows and forms look it up by, in the order of
// IndexTable().
struct QualityIndex {
    const char* column;     // meitan / Lishi_meitan / Lishi_Peibibiao column
    double Mei::*member;    // Mei property
    const char16_t* header; // list header
    const char* entryBox;   // entry form box
};

const std::array<QualityIndex, kIndexCount>& QualityIndices();

} // namespace vestrel
