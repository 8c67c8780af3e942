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
    // The "高级指标" dialog: the other side of an index's limit, a lot's share bounds, the cap on lots.
    Panel& other(GridCell indexCell, const QString& value) {
        texts.advanced.otherSide[size_t(indexCell - CellSi)] = value;
        return *this;
    }
    Panel& share(const QString& name, const QString& min, const QString& max) {
        texts.advanced.shares.append({name, min, max});
        return *this;
    }
    Panel& maxLots(const QString& value) {
        texts.advanced.maxLots = value;
        return *this;
    }
    Panel& compacted(GridHost host = GridHost::Main) {
        CompactRows(texts, host);
        return *this;
    }
    operator PanelTexts() const { return texts; }
};

// The two-lot panel of the worked example: lot A 1500, sulphur 3.2, stock 60; lot B 1800, sulphur 1.5, stock
// 100, must be used; sulphur at most 2.5; 50 tonnes.
inline Panel examplePanel() {
    return Panel()
        .lot(0, "A", "1500", "60")
        .set(0, CellSulphur, "3.2")
        .lot(1, "B", "1800", "100")
        .set(1, CellSulphur, "1.5")
        .mustUse(1)
        .target(CellSulphur, "2.5")
        .tonnes("50");
}

} // namespace vestrel::test

Q_DECLARE_METATYPE(vestrel::PanelTexts)
