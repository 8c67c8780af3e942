#pragma once
// A catalogue of the list's lot columns for the export and import benchmarks: names "焦炭N号" and values that
// cycle through 0.00-9.99 (plus `offset`), the same on every run.

#include "lists/ListViewFunction.h"

namespace vestrel::bench {

inline ListData LotCatalogue(int lots, double offset = 0.0) {
    ListData list;
    SetLotColumns(list);
    for (int i = 0; i < lots; ++i) {
        ListRow row;
        row.text = QString::number(i + 1);
        row.subItems << QStringLiteral("焦炭%1号").arg(i + 1);
        for (int c = 2; c < kLotColumnCount; ++c)
            row.subItems << QString::number((i * 7 + c * 13) % 1000 / 100.0 + offset, 'f', 2);
        list.rows << row;
    }
    return list;
}

} // namespace vestrel::bench
