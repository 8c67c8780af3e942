#pragma once
// Panels for the blending and calculator tests, described in a few calls.

#include "blending/PanelTexts.h"

#include <QMetaType>

namespace vestrel::test {

struct Panel {
    PanelTexts texts;

    Panel& lot(int row, const QString& name, const QString& price, const QString& stock = {}) {
        texts.cell(row, CellName) = name;
        texts.cell(row, CellPrice) = price;
        texts.cell(row, CellStock) = stock;
        return *this;
    }
    // Rows 0..count-1 named "A", "B", ... with price 1.
    Panel& named(int count) {
        for (int i = 0; i < count; ++i)
            lot(i, QString(QChar(u'A' + i)), QStringLiteral("1"));
        return *this;
    }
    Panel& set(int row, GridCell cell, const QString& value) {
        texts.cell(row, cell) = value;
        return *this;
    }
    Panel& target(GridCell indexCell, const QString& value) {
        texts.target(indexCell - CellSi) = value;
        return *this;
    }
    Panel& tonnes(const QString& value) {
        texts.tonnes = value;
        return *this;
    }
    Panel& mustUse(int row) {
        texts.mustUse[size_t(row)] = true;
        return *this;
    }
    Panel& compacted(GridHost host = GridHost::Main) {
        CompactRows(texts, host);
        return *this;
    }
    operator PanelTexts() const { return texts; }
};

} // namespace vestrel::test

Q_DECLARE_METATYPE(vestrel::PanelTexts)
