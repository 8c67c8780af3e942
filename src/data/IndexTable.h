#pragma once
// The twelve quality indices: the one table of their columns, captions, messages, limit sides and object names,
// and the orders in which the program visits them. The stored column and object names do not describe their
// content (column NeiShui holds silicon); this table binds them.

#include <array>
#include <cstddef>

namespace vestrel {

constexpr int kIndexCount = 12;

struct IndexInfo {
    const char* column;                 // meitan / Lishi_meitan / Lishi_Peibibiao column
    const char16_t* header;             // list header
    const char* gridBox;                // panel grid cell array
    const char16_t* gridHeader;         // grid column caption
    const char* targetBox;              // main window target box
    const char* targetLabelBox;         // its label
    const char16_t* targetLabel;        // the label's caption
    const char* otherSideBox;           // the "高级指标" dialog's box for the other side of the limit
    bool lowerLimit;                    // fixed carbon takes a lower limit, every other index an upper one
    const char* entryBox;               // entry form box
    const char16_t* entryMessage;       // an entry form box that is not a number
    const char16_t* valueName;          // names the index in the missing-value message
    const char16_t* cellMessage;        // a grid cell that is not a number
    const char16_t* targetMessage;      // a target box that is not a number
    const char16_t* targetRangeMessage; // a target box beyond the value limit
    const char16_t* summaryLabel;       // label in the run's summary line
};

// In the order of the set, which is also the order of the lists, the grid's columns, the target boxes and the
// summary: total moisture, sulphur, ash, volatile matter, fixed carbon (the main indices), then Si, Fe, V, Ni,
// Al, Ca, Na (the trace elements).
const std::array<IndexInfo, kIndexCount>& IndexTable();
constexpr int kMainIndexCount = 5;

// The order of the panel's cells, its checks and the model's constraint lines, as positions in IndexTable():
// Si, total moisture, Fe, sulphur, ash, volatile matter, V, Ni, fixed carbon, Al, Ca, Na.
constexpr std::array<int, kIndexCount> kCellOrder{5, 0, 6, 1, 2, 3, 7, 8, 4, 9, 10, 11};
// The order of the entry form's checks: ash, volatile matter, sulphur, total moisture, Fe, Ni, V, Si, fixed
// carbon, Al, Ca, Na.
constexpr std::array<int, kIndexCount> kEntryOrder{2, 3, 1, 0, 6, 8, 7, 5, 4, 9, 10, 11};

constexpr bool IsIndexOrder(const std::array<int, kIndexCount>& order) {
    std::array<bool, kIndexCount> seen{};
    for (int x : order) {
        if (x < 0 || x >= kIndexCount || seen[std::size_t(x)]) return false;
        seen[std::size_t(x)] = true;
    }
    return true;
}
static_assert(IsIndexOrder(kCellOrder) && IsIndexOrder(kEntryOrder));

} // namespace vestrel
