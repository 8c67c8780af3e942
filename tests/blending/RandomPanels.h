#pragma once
// Seeded random panels: 2-10 lots with values typed to 0-2 decimals, some cells empty, any subset of targets,
// tonnes and must-use boxes now and then. The same seed gives the same panels everywhere.

#include "blending/PanelTexts.h"

#include <QRandomGenerator>

namespace vestrel::test {

inline QString randomNumberText(QRandomGenerator& rng, int maxCents) {
    const int cents = int(rng.bounded(maxCents + 1));
    const int decimals = int(rng.bounded(3));
    return QString::number(cents / 100.0, 'f', decimals);
}

inline PanelTexts randomPanel(QRandomGenerator& rng) {
    PanelTexts t;
    const int lots = int(rng.bounded(2, kGridRows + 1));
    for (int row = 0; row < lots; ++row) {
        t.cell(row, CellName) = QStringLiteral("焦%1").arg(row + 1);
        t.cell(row, CellPrice) = randomNumberText(rng, 300000);
        t.cell(row, CellStock) = rng.bounded(4) == 0 ? QString() : randomNumberText(rng, 20000);
        for (int x = 0; x < kIndexCount; ++x)
            t.cell(row, IndexCell(x)) = rng.bounded(5) == 0 ? QString() : randomNumberText(rng, 10000);
    }
    for (int x = 0; x < kIndexCount; ++x)
        if (rng.bounded(3) == 0) t.target(x) = randomNumberText(rng, 10000);
    if (rng.bounded(2) == 0) t.tonnes = randomNumberText(rng, 50000);
    for (bool& box : t.mustUse)
        box = rng.bounded(4) == 0;
    return t;
}

} // namespace vestrel::test
