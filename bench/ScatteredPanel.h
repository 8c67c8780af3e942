#pragma once
// Seeded 10-lot, 12-limit panels for the benchmarks that ask questions of one panel: the lots scatter around
// typical values, the limits sit at the panel's mean, `squeeze` pulls them that share of the lots' spread
// tighter, and `extras` adds tonnes and two must-use lots.

#include "blending/PanelTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vestrel::bench {

inline constexpr double kTypical[kIndexCount] = {0.03, 8, 0.02, 2.5, 0.4, 10, 0.03, 0.02, 85, 0.02, 0.03, 0.01};

struct Lcg {
    std::uint64_t state;
    double next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(state >> 11) / double(std::uint64_t(1) << 53);
    }
};

// `squeeze` moves every limit that share of the lots' spread past the mean; 0 keeps the panel workable.
inline PanelTexts panel(std::uint64_t seed, double squeeze, bool extras) {
    PanelTexts t;
    Lcg rng{seed};
    const int lots = 10;
    for (int j = 0; j < lots; ++j) {
        for (int x = 0; x < kIndexCount; ++x) {
            const bool lower = x == CellFixedCarbon - 1;
            const double u = 0.7 * rng.next() - 0.35;
            t.cell(j, IndexCell(x)) = QString::number(kTypical[x] * (1 + (lower ? -u * 0.1 : u)), 'f', 2);
        }
        t.cell(j, CellName) = QStringLiteral("焦%1").arg(j + 1);
        t.cell(j, CellPrice) = QString::number(1500 + 300 * rng.next(), 'f', 2);
        t.cell(j, CellStock) = QString::number(20 + (j * 29) % 50);
    }
    for (int x = 0; x < kIndexCount; ++x) {
        const bool lower = x == CellFixedCarbon - 1;
        double mean = 0, low = 1e9, high = -1e9;
        for (int j = 0; j < lots; ++j) {
            const double v = t.cell(j, IndexCell(x)).toDouble();
            mean += v / lots;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        const double v = lower ? mean + squeeze * (high - mean) : mean - squeeze * (mean - low);
        t.target(x) = QString::number(lower ? std::floor(v * 100) / 100 : std::ceil(v * 100) / 100, 'f', 2);
    }
    if (extras) {
        t.tonnes = QStringLiteral("300");
        t.mustUse[0] = true;
        t.mustUse[9] = true;
    }
    return t;
}

} // namespace vestrel::bench
