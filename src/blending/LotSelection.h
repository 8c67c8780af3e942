#pragma once
// The selection dialog's decisions without widgets: which lots go to the grid, and the warning above ten.

#include "lists/ListData.h"

#include <QList>
#include <QString>

namespace vestrel {

// The grid has this many rows; more checked lots are warned about and then dropped by the grid.
constexpr int kMaxSelectedLots = 10;

struct LotSelection {
    QList<qint32> ids; // checked lot ids in list order
    QString warning;   // "最多只能选择10种煤" above the limit, else empty
};

LotSelection SelectCheckedLots(const ListData& list);

} // namespace vestrel
